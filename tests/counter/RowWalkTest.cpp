// Every row of the counter's member files, walked on every model and every object that has its
// interface: each property's get with sample replies and its put with sample values, each
// command-only method, each interface getter, on a live session and in simulation. The bytes sent,
// the values read, the statuses and the messages make one transcript, compared line by line with
// RowWalk.golden beside this file. The golden file is the reviewed record of every row's wire
// bytes; after a deliberate change, TEVRA_UPDATE_GOLDEN=1 rewrites it from the run, and the diff
// is reviewed with the change.
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>

#include "CounterTestSupport.h"
#include "counter/Property.h"
#include "counter/Rows.h"
#include "emulator/Counter.h"
#include "platform/Bstr.h"
#include "platform/SafeArray.h"

#ifndef TEVRA_TEST_SOURCE_DIR
#error "the counter tests are built with TEVRA_TEST_SOURCE_DIR"
#endif

namespace tevra::testing {
namespace {

// A put's value: a number (booleans, enumerations, integers, reals) or a text.
struct PutValue {
  double number = 0;
  const char* text = nullptr;
};

template <class T>
std::string Shown(T value) {
  if constexpr (std::is_same_v<T, BSTR>) {
    std::string text = "\"" + platform::BstrToUtf8(value) + "\"";
    TevraSysFreeString(value);
    return text;
  } else if constexpr (std::is_same_v<T, SAFEARRAY*>) {
    void* data = nullptr;
    std::size_t count = 0;
    constexpr VARTYPE kBytes[] = {VT_UI1};
    if (!platform::ViewVector(value, kBytes, data, count)) return value ? "array?" : "null";
    std::string text = "bytes \"" + std::string(static_cast<const char*>(data), count) + "\"";
    TevraSafeArrayDestroy(value);
    return text;
  } else if constexpr (std::is_pointer_v<T>) {
    if (value) value->Release();
    return value ? "object" : "null";
  } else {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", static_cast<double>(value));
    return text;
  }
}

// One row bound to its public accessors.
struct RowCall {
  const core::Interface* itf;
  const char* name;
  const core::Property* property;                          // null for a method
  std::function<HRESULT(IUnknown*, std::string&)> get;     // a get, or a one-output query
  std::function<HRESULT(IUnknown*, const PutValue&)> put;  // empty when read-only
  std::function<HRESULT(IUnknown*)> call;                  // a command-only method
  const core::Method* query = nullptr;                     // the one-output query's row
  core::ValueType queryType = core::ValueType::Int32;      // and its output's type
};

template <class Itf>
Itf* As(IUnknown* object) {
  return static_cast<Itf*>(object);  // the object was queried for the row's interface
}

template <class Itf, class T>
RowCall PropertyCall(const core::Property& row, HRESULT (Itf::*get)(T*), HRESULT (Itf::*put)(T)) {
  RowCall c{row.itf, row.name, &row, {}, {}, {}};
  if (get) {
    c.get = [get](IUnknown* object, std::string& shown) {
      T value{};
      const HRESULT hr = (As<Itf>(object)->*get)(&value);
      shown = Shown(value);
      return hr;
    };
  }
  if constexpr (std::is_same_v<T, BSTR> || !std::is_pointer_v<T>) {
    if (put) {
      c.put = [put](IUnknown* object, const PutValue& v) {
        if constexpr (std::is_same_v<T, BSTR>) {
          platform::Bstr text(v.text);
          return (As<Itf>(object)->*put)(text.get());
        } else if constexpr (std::is_floating_point_v<T>) {
          return (As<Itf>(object)->*put)(static_cast<T>(v.number));
        } else {
          return (As<Itf>(object)->*put)(static_cast<T>(static_cast<long long>(v.number)));
        }
      };
    }
  }
  return c;
}

template <class Itf>
RowCall MethodCall(const core::Method& row, HRESULT (Itf::*method)()) {
  return {row.itf, row.record.methodName,
          nullptr, {},
          {},      [method](IUnknown* object) { return (As<Itf>(object)->*method)(); }};
}

template <class Itf, class T>
RowCall QueryCall(const core::Method& row, HRESULT (Itf::*query)(T*)) {
  RowCall c{row.itf, row.record.methodName, nullptr, {}, {}, {}, &row, core::ValueTypeOf<T>()};
  c.get = [query](IUnknown* object, std::string& shown) {
    T value{};
    const HRESULT hr = (As<Itf>(object)->*query)(&value);
    shown = Shown(value);
    return hr;
  };
  return c;
}

// A command row's method, once per set of sample inputs: an enumeration takes its first and last
// values and one no word stands for, a string "Text" and the position, a number 7. When its
// arguments end in an output it is walked as a one-output query.
template <class T>
std::vector<double> InputSamples(const core::Method& row) {
  if constexpr (std::is_enum_v<T>) {
    for (const core::EnumWords& link : row.record.enums)
      if (link.type != core::kBooleanTypeName && !link.rows.empty())
        return {static_cast<double>(link.rows.front().value),
                static_cast<double>(link.rows.back().value), 99};
    return {0, 99};
  } else {
    return {7};
  }
}

template <class T>
struct Sample {
  T value{};
  platform::Bstr text;
  Sample(double number, std::size_t position) {
    if constexpr (std::is_same_v<T, BSTR>) {
      text = platform::Bstr("Text" + std::to_string(position + 1));
      value = text.get();
    } else {
      value = static_cast<T>(static_cast<long long>(number));
    }
  }
};

template <class T>
std::string ShownSample(double number, std::size_t position) {
  if constexpr (std::is_same_v<T, BSTR>)
    return Quoted("Text" + std::to_string(position + 1));
  else
    return Shown(number);
}

template <class Itf, class... T>
void AddCommandCalls(std::vector<RowCall>& calls, const core::Method& row,
                     HRESULT (Itf::*method)(T...)) {
  using Args = std::tuple<T...>;
  constexpr bool kQuery = counter::EndsInOutput<T...>();
  constexpr std::size_t kInputs = sizeof...(T) - (kQuery ? 1 : 0);
  // Every combination of the inputs' samples.
  std::vector<std::vector<double>> sets = {{}};
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    const std::vector<double> samples[] = {InputSamples<std::tuple_element_t<I, Args>>(row)..., {}};
    for (std::size_t i = 0; i < kInputs; ++i) {
      std::vector<std::vector<double>> grown;
      for (const auto& set : sets)
        for (double v : samples[i]) {
          grown.push_back(set);
          grown.back().push_back(v);
        }
      sets = grown;
    }
  }
  (std::make_index_sequence<kInputs>());
  static std::deque<std::string> names;  // the calls name their rows for the life of the test
  for (const std::vector<double>& set : sets) {
    std::string name = std::string(row.record.methodName) + "(";
    [&]<std::size_t... I>(std::index_sequence<I...>) {
      ((name += (I ? ", " : "") + ShownSample<std::tuple_element_t<I, Args>>(set[I], I)), ...);
    }
    (std::make_index_sequence<kInputs>());
    RowCall c{row.itf, names.emplace_back(name + ")").c_str(), nullptr, {}, {}, {}};
    auto invoke = [method, set](IUnknown* object, auto* output) {
      return [&]<std::size_t... I>(std::index_sequence<I...>) {
        std::tuple<Sample<std::tuple_element_t<I, Args>>...> inputs{
            Sample<std::tuple_element_t<I, Args>>(set[I], I)...};
        if constexpr (kQuery)
          return (As<Itf>(object)->*method)(std::get<I>(inputs).value..., output);
        else
          return (As<Itf>(object)->*method)(std::get<I>(inputs).value...);
      }
      (std::make_index_sequence<kInputs>());
    };
    if constexpr (kQuery) {
      using Output = std::remove_pointer_t<std::tuple_element_t<kInputs, Args>>;
      c.query = &row;
      c.queryType = core::ValueTypeOf<Output>();
      c.get = [invoke](IUnknown* object, std::string& shown) {
        Output value{};
        const HRESULT hr = invoke(object, &value);
        shown = Shown(value);
        return hr;
      };
    } else {
      c.call = [invoke](IUnknown* object) { return invoke(object, static_cast<int*>(nullptr)); };
    }
    calls.push_back(std::move(c));
  }
}

#define TEVRA_WALK_PUT_Generic(Itf, Name) &Itf::put_##Name
#define TEVRA_WALK_PUT_OwnGet(Itf, Name) &Itf::put_##Name
#define TEVRA_WALK_PUT_OwnPut(Itf, Name) &Itf::put_##Name
#define TEVRA_WALK_PUT_Own(Itf, Name) &Itf::put_##Name
#define TEVRA_WALK_PUT_Refused(Itf, Name) &Itf::put_##Name
#define TEVRA_WALK_PUT_ReadOnly(Itf, Name) nullptr
#define TEVRA_WALK_PUT_OwnReadOnly(Itf, Name) nullptr
#define TEVRA_WALK_PUT_Gives(Itf, Name) nullptr
#define TEVRA_WALK_PUT_WriteOnly(Itf, Name) &Itf::put_##Name
#define TEVRA_WALK_GET_WriteOnly(Itf, Name) nullptr
#define TEVRA_WALK_GET_Generic(Itf, Name) &Itf::get_##Name
#define TEVRA_WALK_GET_OwnGet TEVRA_WALK_GET_Generic
#define TEVRA_WALK_GET_OwnPut TEVRA_WALK_GET_Generic
#define TEVRA_WALK_GET_Own TEVRA_WALK_GET_Generic
#define TEVRA_WALK_GET_Refused TEVRA_WALK_GET_Generic
#define TEVRA_WALK_GET_ReadOnly TEVRA_WALK_GET_Generic
#define TEVRA_WALK_GET_OwnReadOnly TEVRA_WALK_GET_Generic
#define TEVRA_WALK_GET_Gives TEVRA_WALK_GET_Generic
#define TEVRA_WALK_METHOD_Send(Itf, Name) MethodCall<Itf>(counter::rows::Itf##_##Name, &Itf::Name),
#define TEVRA_WALK_METHOD_Own(Itf, Name)
#define TEVRA_INTERFACE(Itf, ...)
#define TEVRA_PROPERTY(Itf, Name, Type, Kind, ...)                                       \
  PropertyCall<Itf, Type>(counter::rows::Itf##_##Name, TEVRA_WALK_GET_##Kind(Itf, Name), \
                          TEVRA_WALK_PUT_##Kind(Itf, Name)),
#define TEVRA_METHOD(Itf, Name, Kind, ...) TEVRA_WALK_METHOD_##Kind(Itf, Name)
#define TEVRA_QUERY(Itf, Name, ...) QueryCall(counter::rows::Itf##_##Name, &Itf::Name),
#define TEVRA_COMMAND(Itf, Name, ...)
std::vector<RowCall> RowCalls() {
  return {
#include "counter/members/Interfaces.inc"
  };
}
#undef TEVRA_INTERFACE
#undef TEVRA_PROPERTY
#undef TEVRA_METHOD
#undef TEVRA_QUERY
#undef TEVRA_COMMAND

// The command rows follow the others.
#define TEVRA_INTERFACE(Itf, ...)
#define TEVRA_PROPERTY(Itf, Name, ...)
#define TEVRA_METHOD(Itf, Name, ...)
#define TEVRA_QUERY(Itf, Name, ...)
#define TEVRA_COMMAND(Itf, Name, ...) \
  AddCommandCalls(calls, counter::rows::Itf##_##Name, &Itf::Name);
const std::vector<RowCall>& Calls() {
  static const std::vector<RowCall> calls = [] {
    std::vector<RowCall> calls = RowCalls();
#include "counter/members/Interfaces.inc"
    return calls;
  }();
  return calls;
}
#undef TEVRA_INTERFACE
#undef TEVRA_PROPERTY
#undef TEVRA_METHOD
#undef TEVRA_QUERY
#undef TEVRA_COMMAND

// The words a row converts: its own links, or for a class-compliant row that has none, those of
// the instrument-specific row it stands for (IIviCounterChannel.Coupling: ITevraChannel.Coupling).
std::span<const core::EnumWords> WordsOf(const core::Property& row) {
  if (!row.get.enums.empty()) return row.get.enums;
  const std::string_view itf = row.itf->name;
  if (!itf.starts_with("IIviCounter")) return {};
  const std::string twin = "ITevra" + std::string(itf.substr(11));
  for (const core::Property* p : core::RegisteredProperties())
    if (p->itf->name == twin &&
        (std::string_view(p->name) == row.name ||
         (std::string_view(row.name) == "Slope" && std::string_view(p->name) == "Slope1")))
      return p->get.enums;
  return {};
}

// The replies a get is tried with, each a list for the queries of one call. Enumerations and
// booleans: every word their row links, and a word it does not.
std::vector<std::vector<std::string>> Replies(std::span<const core::EnumWords> words,
                                              core::ValueType type) {
  std::vector<std::vector<std::string>> replies;
  for (const core::EnumWords& link : words)
    for (const core::EnumRow& r : link.rows)
      for (std::string_view word : r.words)
        if (!word.empty()) replies.push_back({std::string(word)});
  if (!replies.empty()) {
    replies.push_back({"BOGUS"});
    return replies;
  }
  switch (type) {
    case core::ValueType::Double:
    case core::ValueType::Float:
      return {{"-1.25E-01"}};
    case core::ValueType::String:
      return {{"Text,1"}};
    case core::ValueType::Array:
      return {{"#15BMxyz"}, {"#9"}};
    default:
      return {{"+7"}};
  }
}

std::vector<std::vector<std::string>> Replies(const core::Property& row) {
  struct Own {
    std::string_view member;
    std::vector<std::vector<std::string>> replies;
  };
  // Gets that read the instrument's numbers rather than their words.
  static const Own kOwn[] = {
      {"ITevraChannel.Impedance", {{"+5.00000000E+001"}, {"+1.00000000E+006"}, {"+7.5E+001"}}},
      {"ITevraChannel.Range",
       {{"+5.00000000E+000"},
        {"+5.00000000E+002"},
        {"+5.00000000E+001", "+10"},
        {"+5.00000000E+001", "+1"},
        {"+2.0E+001"}}},
      {"IIviCounterChannel.Impedance", {{"+5.00000000E+001"}, {"+1.00000000E+006"}}},
      {"IIviCounterChannel.Attenuation",
       {{"+5.00000000E+000"}, {"+5.00000000E+001", "+1"}, {"+5.00000000E+001", "+10"}}},
      {"IIviCounterChannel.Hysteresis", {{"1"}, {"0"}}},
      {"ITevraArmStartExternal.Voltage", {{"INP2", "-2.5E-01"}, {"BNC", "+1.5E-01"}}},
      {"ITevraArmStopExternal.Voltage", {{"INP", "-2.5E-01"}}},
      {"IIviCounterArmStartExternal.Source", {{"INP"}, {"INP2"}, {"BNC"}, {"EXT"}}},
      {"IIviCounterArmStopExternal.Source", {{"INP"}, {"INP2"}, {"BNC"}, {"EXT"}}},
      {"IIviCounterArmStartExternal.Level", {{"INP", "+1.0E-01"}, {"INP2", "+2.0E-01"}}},
      // Texts that come back in quotes, which the get drops.
      {"ITevraMathScaling.Unit", {{"\"PSI\""}, {"Hz"}}},
      {"ITevraDisplay.Text", {{"\"READY 1\""}}},
      // The first function word found in the reply decides; a time stamp has no class function.
      {"IIviCounter.Function",
       {{"+7"},
        {"\"FREQ:RAT 1,2\""},
        {"  \"FREQ 2\" "},
        {"\"PER 1\""},
        {"\"PWID 1\""},
        {"\"NWID 2\""},
        {"\"PDUT 1\""},
        {"\"NDUT 1\""},
        {"\"FTIM 1\""},
        {"\"RTIM 2\""},
        {"\"TINT 1,2\""},
        {"\"PHAS 2,1\""},
        {"\"TOT 2\""},
        {"\"SPER 1\""},
        {"\"TST 1\""}}},
  };
  const std::string member = std::string(row.itf->name) + "." + row.name;
  for (const Own& own : kOwn)
    if (own.member == member) return own.replies;
  return Replies(WordsOf(row), row.type);
}

std::vector<PutValue> PutValues(const core::Property& row) {
  struct Own {
    std::string_view member;
    std::vector<PutValue> values;
  };
  // Puts that take the class's numbers and turn them into the instrument's words.
  static const Own kOwn[] = {
      {"IIviCounterChannel.Impedance", {{50.0}, {1e6}, {75.0}}},
      {"IIviCounterChannel.Attenuation", {{1.0}, {10.0}, {2.0}}},
      {"IIviCounterChannel.Hysteresis", {{0.0}, {0.001}}},
      // Source names in any case; blanks are not trimmed.
      {"IIviCounterArmStartExternal.Source",
       {{0, "CHANNEL1"}, {0, "channel2"}, {0, "Bnc"}, {0, " Channel2 "}, {0, "Rear"}}},
      {"IIviCounterArmStopExternal.Source", {{0, "Channel1"}, {0, "Rear"}}},
  };
  const std::string member = std::string(row.itf->name) + "." + row.name;
  for (const Own& own : kOwn)
    if (own.member == member) return own.values;
  if (row.type == core::ValueType::String) return {{0, "Text"}};
  if (row.type == core::ValueType::Bool) return {{-1}, {0}};
  if (row.type == core::ValueType::Double || row.type == core::ValueType::Float)
    return {{0.123456789012345}};
  std::vector<PutValue> values;
  for (const core::EnumWords& link : WordsOf(row))
    for (const core::EnumRow& r : link.rows) values.push_back({static_cast<double>(r.value)});
  if (values.empty())
    values = row.isEnum ? std::vector<PutValue>{{0}, {1}, {2}} : std::vector<PutValue>{{7}};
  if (row.isEnum) values.push_back({99});  // a value no word stands for
  return values;
}

// The interface of the object, held by the driver's holder; null when the object has none.
IUnknown* Query(HeldDriver& d, IUnknown* from, REFIID iid) {
  void* object = nullptr;
  if (from->QueryInterface(iid, &object) != S_OK) return nullptr;
  return d.Keep(static_cast<IUnknown*>(object));
}

// The objects that have the interface: each channel for a channel's, else the driver or the
// channel collection.
std::vector<std::pair<std::string, IUnknown*>> Objects(HeldDriver& d, const core::Interface& itf) {
  std::vector<std::pair<std::string, IUnknown*>> objects;
  IUnknown* object = nullptr;
  if (itf.iid == &IID_ITevraChannel || itf.iid == &IID_IIviCounterChannel) {
    LONG count = 0;
    d.Channels()->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
      const std::string name = "Channel" + std::to_string(i);
      object = d.Channel(name);
      if (itf.iid == &IID_IIviCounterChannel) object = Query(d, object, *itf.iid);
      objects.emplace_back("[" + name + "]", object);
    }
    return objects;
  }
  object = Query(d, d.handle.driver, *itf.iid);
  objects.emplace_back("", object ? object : Query(d, d.Channels(), *itf.iid));
  return objects;
}

struct Model {
  const char* name;
  const char* options;
};
constexpr Model kModels[] = {{"QX1100", "762"}, {"QX1200", "785"}, {"QX1300", "785,431"}};

class Walker {
 public:
  explicit Walker(std::ostream& out) : out_(out) {}

  // With functions, SetFunction with every value of its enumeration instead of the rows; with
  // optionRows, only the rows that ask "*OPT?" first.
  void Run(const Model& model, bool simulate, bool functions = false, bool optionRows = false) {
    CounterDriver d;
    if (simulate) {
      d.Simulate(model.name);
    } else {
      d.Open(model.name, model.options);
      d.script.answer = [this](std::string_view) {
        if (replies_.empty()) return std::string("0");
        std::string reply = replies_.front();
        replies_.erase(replies_.begin());
        return reply;
      };
    }
    prefix_ = std::string(simulate ? "SIM " : "") + model.name + " ";
    options_ = model.options;
    if (functions) {
      WalkFunctions(d, simulate, model.options);
      return;
    }
    for (const RowCall& c : Calls()) {
      if (optionRows && !(c.property && (c.property->get.flags & core::kAsksBurstOption))) continue;
      for (auto& [label, object] : Objects(d, *c.itf)) {
        const std::string at = prefix_ + c.itf->name + label + "." + c.name;
        if (!object) {
          out_ << at << " no object\n";
          continue;
        }
        if (c.call) {
          Line(d, at + " call", [&] { return c.call(object); });
        } else if (simulate) {
          WalkSimulated(d, c, object, at);
        } else {
          WalkLive(d, c, object, at);
        }
      }
    }
  }

 private:
  // The command each function value sends or its refusal; in simulation the word GetFunction
  // then returns.
  void WalkFunctions(CounterDriver& d, bool simulate, const char* options) {
    for (int value = 0; value <= TevraMeasurementFunctionPositiveBurstWidth; ++value) {
      const std::string at = prefix_ + (simulate ? "" : "\"" + std::string(options) + "\" ") +
                             "SetFunction " + std::to_string(value);
      Line(d, at, [&] {
        return d.handle.driver->SetFunction(static_cast<TevraMeasurementFunctionEnum>(value));
      });
      if (!simulate) continue;
      std::string shown;
      Line(
          d, at + " GetFunction",
          [&] {
            BSTR word = nullptr;
            const HRESULT hr = d.handle.driver->GetFunction(&word);
            shown = Shown(word);
            return hr;
          },
          &shown);
    }
  }

  // A row that asks "*OPT?" first hears the model's options before its own replies.
  void WalkLive(CounterDriver& d, const RowCall& c, IUnknown* object, const std::string& at) {
    std::string shown;
    const bool asksOption = c.property && (c.property->get.flags & core::kAsksBurstOption);
    const std::vector<std::vector<std::string>> tried =
        !c.get    ? std::vector<std::vector<std::string>>{}  // a write-only property
        : c.query ? Replies(c.query->record.enums, c.queryType)
                  : Replies(*c.property);
    for (const std::vector<std::string>& replies : tried) {
      replies_ = replies;
      if (asksOption) replies_.insert(replies_.begin(), options_);
      std::string said;
      for (const std::string& r : replies) said += " " + Quoted(r);
      Line(
          d, at + " get <-" + said, [&] { return c.get(object, shown); }, &shown);
    }
    if (!c.put) return;
    for (const PutValue& v : PutValues(*c.property)) {
      const std::string value = v.text ? Quoted(v.text) : Shown(v.number);
      if (asksOption) replies_ = {options_};
      Line(d, at + " put " + value, [&] { return c.put(object, v); });
    }
  }

  // The value before any put, then a put of another value read back.
  void WalkSimulated(CounterDriver& d, const RowCall& c, IUnknown* object, const std::string& at) {
    std::string shown;
    if (c.get)
      Line(
          d, at + " get", [&] { return c.get(object, shown); }, &shown);
    if (!c.put) return;
    const std::vector<PutValue> values = PutValues(*c.property);
    PutValue v = values.front();
    for (const PutValue& other : values) {
      if (other.text ? other.text != c.property->simulated.text
                     : other.number != c.property->simulated.number) {
        v = other;
        break;
      }
    }
    const std::string value = v.text ? Quoted(v.text) : Shown(v.number);
    Line(d, at + " put " + value, [&] { return c.put(object, v); });
    if (c.get)
      Line(
          d, at + " get", [&] { return c.get(object, shown); }, &shown);
  }

  void Line(CounterDriver& d, const std::string& what, const std::function<HRESULT()>& call,
            const std::string* shown = nullptr) {
    TranscriptLine(out_, d, what, call, shown);
    replies_.clear();
  }

  std::ostream& out_;
  std::string prefix_;
  std::string options_;
  std::vector<std::string> replies_;
};

TEST(RowWalk, EveryRowOnEveryModelIsAsTheGoldenTranscriptSays) {
  std::ostringstream out;
  Walker walker(out);
  for (const Model& model : kModels) {
    walker.Run(model, false);
    walker.Run(model, true);
  }
  // The burst settings on an instrument without the burst option.
  walker.Run({"QX1300", "785"}, false, false, true);
  // Each model's functions, and the burst functions with and without their option.
  constexpr Model kFunctionModels[] = {
      {"QX1100", "431"}, {"QX1200", "431"}, {"QX1300", "762"}, {"QX1300", "762,431"}};
  for (const Model& model : kFunctionModels) walker.Run(model, false, true);
  for (const Model& model : kModels) walker.Run(model, true, true);
  WalkMethods(out);
  const std::string path = std::string(TEVRA_TEST_SOURCE_DIR) + "/counter/RowWalk.golden";
  if (std::getenv("TEVRA_UPDATE_GOLDEN")) {
    std::ofstream(path, std::ios::binary) << out.str();
    GTEST_SKIP() << "rewrote " << path;
  }
  std::istringstream expected(ReadFile(path)), actual(out.str());
  std::string want, got;
  int line = 0;
  int differences = 0;
  while (true) {
    const bool more = static_cast<bool>(std::getline(expected, want));
    const bool moreActual = static_cast<bool>(std::getline(actual, got));
    if (!more && !moreActual) break;
    ++line;
    if (want != got && ++differences <= 20)
      ADD_FAILURE() << "RowWalk.golden:" << line << "\n  golden: " << want << "\n  now:    " << got;
    if (!more) want.clear();
    if (!moreActual) got.clear();
  }
  EXPECT_EQ(differences, 0) << "TEVRA_UPDATE_GOLDEN=1 rewrites the golden file from this run";
}

// Every property row against the emulator's counter, live over the socket with the status check
// on: the counter answers every get and put in a form the driver reads (the driver may still
// refuse a member on a model or channel, but nothing fails for want of an answer), and a value
// put reads back as it does in simulation.
TEST(RowWalk, TheEmulatorAnswersEveryProperty) {
  const auto unanswered = [](HRESULT hr) {
    return hr == kUnexpectedResponse || hr == kIoTimeout || hr == kInstrumentStatus;
  };
  // Its enumeration has no words, so no reply of any instrument reads as one of its values.
  const std::string_view unreadable = "ITevraMemory.AutoRecallIndexedState";
  for (const Model& model : kModels) {
    SocketDriver live;
    live.fake.SetResponder(std::make_shared<emulator::Counter>(model.name));
    ASSERT_TRUE(live.fake.Start());
    ASSERT_EQ(live.Initialize("QueryInstrStatus=true"), S_OK) << TakeErrorDescription();
    live.SetTimeout(200);
    CounterDriver simulated;
    simulated.Simulate(model.name);
    int compared = 0;
    for (const RowCall& c : Calls()) {
      if (!c.property) continue;
      const auto liveObjects = Objects(live, *c.itf);
      const auto simulatedObjects = Objects(simulated, *c.itf);
      for (std::size_t i = 0; i < liveObjects.size() && i < simulatedObjects.size(); ++i) {
        IUnknown* const on = liveObjects[i].second;
        IUnknown* const sim = simulatedObjects[i].second;
        if (!on || !sim) continue;
        const std::string at =
            std::string(model.name) + " " + c.itf->name + liveObjects[i].first + "." + c.name;
        std::string shown, simulatedShown;
        if (c.get && std::string(c.itf->name) + "." + c.name != unreadable) {
          EXPECT_FALSE(unanswered(c.get(on, shown))) << at << " get: " << TakeErrorDescription();
        }
        if (!c.put) continue;
        const PutValue v = PutValues(*c.property).front();
        const HRESULT put = c.put(on, v);
        EXPECT_FALSE(unanswered(put)) << at << " put: " << TakeErrorDescription();
        // Texts come back as the counter quotes them; an own put may not reach the instrument.
        const bool instrumentValue =
            c.property->put.commandTemplate && c.property->type != core::ValueType::String;
        if (instrumentValue && c.get && SUCCEEDED(put) && SUCCEEDED(c.put(sim, v)) &&
            SUCCEEDED(c.get(sim, simulatedShown)) && SUCCEEDED(c.get(on, shown))) {
          EXPECT_EQ(shown, simulatedShown) << at << " reads back";
          ++compared;
        }
        TakeErrorDescription();
      }
    }
    EXPECT_GT(compared, 50) << model.name;
  }
}

}  // namespace
}  // namespace tevra::testing
