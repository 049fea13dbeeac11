// The member registry: every property and method of every interface the driver implements is one
// row of its interface's file in core/members/ (the IVI driver interfaces) or counter/members/
// (the counter's), and everything the entry path, the generic accessors, the simulated store, the
// trace and the listings need comes from that row.
//
// A member file is an X-macro list, included with the three macros defined by whoever reads it:
//
//   TEVRA_INTERFACE(ITevraTrigger, .models = ..., .rule = ...)
//   TEVRA_PROPERTY(ITevraTrigger, Count, LONG, Generic, .get = "TRIG:COUN?", .response = "%d",
//                  .put = "TRIG:COUN %d", .simulated = 1)
//   TEVRA_METHOD(ITevraTrigger, SendSoftwareTrigger, Send, .command = "*TRG")
//   TEVRA_COMMAND(ITevraMemory, SaveState, (TevraMemoryLocationEnum, Memorylocation),
//                 .command = "*SAV %{TevraMemoryLocationEnum}s", .enums = ...)
//
// The first three columns are the interface, the member and (for properties) the value type;
// then the kind, saying which bodies are generic (below); then the row's columns by name, in the
// order of PropertyColumns or MethodColumns. A TEVRA_COMMAND row is a method of kind Command whose
// third column lists its parameters as type and name pairs (core/RowArgs.h); its parameter names
// come from that list. A macro list rather than a constexpr array because
// the same rows also declare and define the accessors of the implementing class
// (core/DeclareAccessors.inc, counter/DefineAccessors.inc) and, later, the C functions.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "core/CallContext.h"
#include "core/IIoSession.h"
#include "core/Param.h"
#include "core/RowArgs.h"
#include "tevra/TevraAttributes.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::core {

// What must hold before a member does its I/O (and, for command-only methods, before anything);
// the counter's channels check these.
enum class Rule : std::uint8_t {
  Inherit,  // the rule of the member's interface
  None,
  NotChannel3,    // refused on channel 3 (the microwave input of the two-input models)
  MicrowaveInput  // only on the model's microwave input; other models: every channel
};

// Which accessor bodies the registry writes; the others are written by hand. Every property's
// accessors are declared from its row.
enum class PropertyKind : std::uint8_t {
  Generic,      // get and put: generic
  ReadOnly,     // get only: generic
  OwnGet,       // get written by hand, put generic
  OwnPut,       // get generic, put written by hand
  Own,          // both written by hand
  OwnReadOnly,  // get only, written by hand
  WriteOnly,    // put only: generic
  Gives,        // get only: hands out the driver object's interface .gives
  Refused,      // get and put: message 10 naming "<family>_get_<Name>" ("_put_")
};

// The channel numbers a measurement function's channel arguments accept.
enum class ChannelRule : std::uint8_t {
  None,         // takes no channel
  Any,          // 1..ChannelCount
  NoMicrowave,  // 1..ChannelCount, except the microwave input
  Microwave,    // only the microwave input, the last channel
};

enum class MethodKind : std::uint8_t {
  Send,     // no arguments; sends its command (nothing in simulation); declared and defined here
  Own,      // declared and written by hand
  Query,    // one output, read from its command's reply as a get of the output's type reads it
            // (a 16-bit output as a boolean only when the row reads boolean words), with the
            // session timeout raised to at least the row's .timeout (nothing in simulation: the
            // zeroed output stands); declared and defined here
  Command,  // the inputs its row lists, formatted into its command, which it sends; when the
            // list ends in an output, the reply is read into it as Query does (in simulation
            // nothing is sent and the zeroed output stands); declared and defined here
};

// A property's simulated value before its setter has run: a number (booleans -1 or 0,
// enumerations their values) or a text.
struct Simulated {
  double number = 0;
  std::string_view text;
  constexpr Simulated() = default;
  constexpr Simulated(double value) : number(value) {}
  constexpr Simulated(int value) : number(value) {}
  constexpr Simulated(const char* value) : text(value) {}
};

struct Interface {
  const IID* iid;
  const char* name;
  std::uint8_t models = kNoModels;  // the models that have none of the interface
  Rule rule = Rule::None;
  const char* family = nullptr;  // how messages name the interface's features ("Frequency")
};

constexpr bool IsReadable(PropertyKind kind) { return kind != PropertyKind::WriteOnly; }
constexpr bool IsWritable(PropertyKind kind) {
  return kind != PropertyKind::ReadOnly && kind != PropertyKind::OwnReadOnly &&
         kind != PropertyKind::Gives;
}

struct PropertyColumns {
  const char* name;
  const char* getName;
  const char* putName;
  const char* get = nullptr;           // command template of the get
  const char* response = nullptr;      // response format of the get
  const char* put = nullptr;           // command template of the put
  std::span<const EnumWords> enums{};  // the words of the enumerations its get and put convert
  std::uint8_t models = kNoModels;
  std::uint32_t flags = kMethodNone;
  Rule rule = Rule::Inherit;
  Simulated simulated{};
  const IID* gives = nullptr;   // the interface a Gives property hands out
  std::int32_t cAttribute = 0;  // the C interface's attribute id (TEVRA_ATTR_*); 0: none
};

struct Property {
  const Interface* itf;
  const char* name;
  PropertyKind kind;
  ValueType type;
  bool isEnum;
  MethodRecord get;  // no method name when write-only
  MethodRecord put;  // no method name when read-only
  Rule rule;
  Simulated simulated;
  const IID* gives;
  std::int32_t cAttribute;

  constexpr bool Readable() const { return IsReadable(kind); }
  constexpr bool Writable() const { return IsWritable(kind); }
};

struct MethodColumns {
  const char* name;
  const char* command = nullptr;       // command template
  const char* response = nullptr;      // response format
  std::span<const EnumWords> enums{};  // the words of the enumerations it converts
  std::uint8_t models = kNoModels;
  std::uint32_t flags = kMethodNone;
  Rule rule = Rule::Inherit;
  // The measurement functions' configure and measure methods.
  const char* errorName = nullptr;  // the method as invalid-value messages name it
  ChannelRule channels = ChannelRule::None;
  double reading = 0.0;  // a measure's reading in simulation
  std::int32_t timeout = kDefaultTimeout;
  bool keepsVoltage = false;        // leaves the voltage selection as it is
  bool needsBurstOption = false;    // asks "*OPT?" for the burst option before any other I/O
  const char* params = nullptr;     // parameter names in order, comma-separated
  const char* cFunction = nullptr;  // the C interface's function name; null while it has none
};

struct Method {
  const Interface* itf;
  MethodKind kind;
  MethodRecord record;
  Rule rule;
  const char* errorName;
  ChannelRule channels;
  double reading;
  std::int32_t timeout;
  bool keepsVoltage;
  bool needsBurstOption;
  const char* params;
  const char* cFunction;
};

namespace detail {
// Reached only while a row's constant is evaluated, where it stops the build.
inline void BadRow(const char*) {}
}  // namespace detail

template <class T>
constexpr Property MakeProperty(const Interface& itf, PropertyKind kind, PropertyColumns c) {
  constexpr ValueType type = ValueTypeOf<T>();
  if constexpr (type == ValueType::String) {
    if (c.simulated.number != 0) detail::BadRow("a string's simulated value is a text");
  } else {
    if (!c.simulated.text.empty()) detail::BadRow("only a string has a text as simulated value");
    if constexpr (std::is_same_v<T, VARIANT_BOOL>) {
      if (c.simulated.number != 0 && c.simulated.number != -1)
        detail::BadRow("a boolean is -1 or 0");
    } else if constexpr (type != ValueType::Double && type != ValueType::Float) {
      if (c.simulated.number != static_cast<double>(static_cast<std::int64_t>(c.simulated.number)))
        detail::BadRow("an integer's simulated value is whole");
    }
  }
  if (!LinksEveryType(c.get, c.enums) || !LinksEveryType(c.response, c.enums) ||
      !LinksEveryType(c.put, c.enums))
    detail::BadRow("every %{Type}s of the templates needs words in .enums");
  const std::uint8_t models = c.models | itf.models;
  const bool writable = IsWritable(kind);
  return {
      &itf,
      c.name,
      kind,
      type,
      std::is_enum_v<T>,
      {itf.iid, itf.name, IsReadable(kind) ? c.getName : nullptr, c.flags, models, c.get,
       c.response, c.enums},
      {itf.iid, itf.name, writable ? c.putName : nullptr, c.flags, models, c.put, nullptr, c.enums},
      c.rule == Rule::Inherit ? itf.rule : c.rule,
      c.simulated,
      c.gives,
      c.cAttribute,
  };
}

constexpr Method MakeMethod(const Interface& itf, MethodKind kind, MethodColumns c) {
  if (!LinksEveryType(c.command, c.enums) || !LinksEveryType(c.response, c.enums))
    detail::BadRow("every %{Type}s of the templates needs words in .enums");
  return {&itf,
          kind,
          {itf.iid, itf.name, c.name, c.flags, static_cast<std::uint8_t>(c.models | itf.models),
           c.command, c.response, c.enums},
          c.rule == Rule::Inherit ? itf.rule : c.rule,
          c.errorName,
          c.channels,
          c.reading,
          c.timeout,
          c.keepsVoltage,
          c.needsBurstOption,
          c.params,
          c.cFunction};
}

// The columns of a TEVRA_COMMAND row, with the parameter names its argument list gives.
constexpr MethodColumns WithParams(MethodColumns c, const char* params) {
  c.params = params;
  return c;
}

// Every row, in the order of the member files (core/members/Interfaces.inc, then
// counter/members/Interfaces.inc).
std::span<const Interface* const> RegisteredInterfaces();
std::span<const Property* const> RegisteredProperties();
std::span<const Method* const> RegisteredMethods();

}  // namespace tevra::core
