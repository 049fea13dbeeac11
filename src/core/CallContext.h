// The call context: which interface method is running on the driver, with the command its
// template produced and the response format it reads. Entry points push a frame on entry and
// pop it on exit; the error reporter and the implementations read the top.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/CommandText.h"
#include "core/EnumWords.h"
#include "tevra/TevraTypes.h"

namespace tevra::core {

// Flags of a method's static record.
enum MethodFlags : std::uint32_t {
  kMethodNone = 0,
  kNoInitCheck = 1u << 0,      // callable before Initialize (identity constants, interface getters)
  kKeepsOutputs = 1u << 1,     // outputs are left as the caller gave them until the body sets them
  kDropsQuotes = 1u << 2,      // a text reply is read without the double quotes it comes in
  kAsksBurstOption = 1u << 3,  // asks "*OPT?" for the burst option before its own I/O
};

// Bit per instrument model, for the unsupported-model list of a method.
enum ModelMask : std::uint8_t {
  kNoModels = 0,
  kQX1100 = 1u << 0,
  kQX1200 = 1u << 1,
  kQX1300 = 1u << 2,
};

// One per interface method, in static storage: everything the entry path needs to know about the
// method besides its arguments.
struct MethodRecord {
  const IID* iid;
  const char* interfaceName;
  const char* methodName;
  std::uint32_t flags = kMethodNone;
  std::uint8_t unsupportedModels = kNoModels;
  const char* commandTemplate = nullptr;  // format-language template, formatted at entry
  const char* responseFormat = nullptr;   // format-language response format, for queries
  std::span<const EnumWords> enums{};     // the words its "%{Type}s" conversions use
};

// A frame lives on the stack of the entry point that pushed it.
struct CallFrame {
  const MethodRecord* method = nullptr;
  CommandText command;  // the formatted command template, empty when the method has none
  CallFrame* below = nullptr;
};

class ICallContextProvider {
 public:
  virtual void PushCallContext(CallFrame& frame) = 0;
  virtual void PopCallContext() = 0;
  // Null when the stack is empty.
  virtual const CallFrame* TopCallContext() const = 0;

 protected:
  ~ICallContextProvider() = default;
};

// The driver's call-context stack: an intrusive linked list. It has no lock of its own: every
// push, pop and read happens inside a call on the driver, which holds the driver's session lock.
class CallContextStack final : public ICallContextProvider {
 public:
  void PushCallContext(CallFrame& frame) override;
  void PopCallContext() override;
  const CallFrame* TopCallContext() const override { return top_; }

 private:
  CallFrame* top_ = nullptr;
};

}  // namespace tevra::core
