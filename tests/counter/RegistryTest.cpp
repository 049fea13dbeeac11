// The member registry, walked: every method of the public headers has exactly one row, every
// template and response reads as the format language, every row kind has what its generic body
// needs, and the simulated values are those of the simulated-defaults table.
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "CounterTestSupport.h"
#include "MisuseTable.h"
#include "core/Registry.h"
#include "io/FormatTokens.h"

namespace tevra::testing {
namespace {

using core::Method;
using core::MethodKind;
using core::Property;
using core::PropertyKind;

std::string Key(const char* itf, const char* member) { return std::string(itf) + "." + member; }

// Every method name the rows give the entry path, counted.
std::map<std::string, int> RowMethodNames() {
  std::map<std::string, int> names;
  for (const Property* p : core::RegisteredProperties()) {
    ++names[Key(p->itf->name, p->get.methodName)];
    if (p->Writable()) ++names[Key(p->itf->name, p->put.methodName)];
  }
  for (const Method* m : core::RegisteredMethods())
    ++names[Key(m->itf->name, m->record.methodName)];
  return names;
}

TEST(Registry, EveryPublicMethodHasExactlyOneRowAndEveryRowAMethod) {
  std::map<std::string, int> rows = RowMethodNames();
  std::set<std::string> declared;
  for (const MisuseRow& m : MisuseRows()) {
    const std::string key = Key(m.interfaceName, m.method);
    declared.insert(key);
    EXPECT_EQ(rows[key], 1) << key;
  }
  for (const auto& [key, count] : rows)
    EXPECT_TRUE(declared.count(key)) << key << " has a row but no declaration";
}

TEST(Registry, InterfacesAreListedOnceAndRowsPointAtListedOnes) {
  std::set<std::string_view> names;
  std::set<const core::Interface*> listed;
  for (const core::Interface* itf : core::RegisteredInterfaces()) {
    EXPECT_TRUE(names.insert(itf->name).second) << itf->name;
    listed.insert(itf);
  }
  for (const Property* p : core::RegisteredProperties()) {
    EXPECT_TRUE(listed.count(p->itf)) << p->name;
    EXPECT_EQ(p->get.iid, p->itf->iid) << p->name;
  }
  for (const Method* m : core::RegisteredMethods()) EXPECT_TRUE(listed.count(m->itf));
}

// A template is written, a response read; each must cut into tokens to its end.
bool Tokenizes(io::Direction direction, const char* format) {
  if (!format) return true;
  const std::string_view text(format);
  std::size_t pos = 0;
  io::FormatToken token;
  while (pos < text.size())
    if (!io::NextFormatToken(direction, text, pos, token)) return false;
  return true;
}

TEST(Registry, EveryRowHasWhatItsKindNeedsAndItsFormatsTokenize) {
  using enum PropertyKind;
  for (const Property* p : core::RegisteredProperties()) {
    SCOPED_TRACE(Key(p->itf->name, p->name));
    const bool genericGet = p->kind == Generic || p->kind == ReadOnly || p->kind == OwnPut;
    const bool genericPut = p->kind == Generic || p->kind == OwnGet;
    if (genericGet) {
      EXPECT_NE(p->get.commandTemplate, nullptr);
    }
    if (genericPut) {
      EXPECT_NE(p->put.commandTemplate, nullptr);
    }
    EXPECT_TRUE(Tokenizes(io::Direction::Output, p->get.commandTemplate));
    EXPECT_TRUE(Tokenizes(io::Direction::Output, p->put.commandTemplate));
    EXPECT_TRUE(Tokenizes(io::Direction::Input, p->get.responseFormat));
    // Pointers to other constants are no constant expressions under the sanitizers, so these two
    // are checked here rather than when the row is built.
    EXPECT_EQ(p->kind == Gives, p->gives != nullptr) << "a Gives row names what it gives";
    if (p->kind == Refused) {
      EXPECT_NE(p->itf->family, nullptr) << "a Refused row's interface names its family";
    }
  }
  for (const Method* m : core::RegisteredMethods()) {
    SCOPED_TRACE(Key(m->itf->name, m->record.methodName));
    if (m->kind == MethodKind::Send) {
      EXPECT_NE(m->record.commandTemplate, nullptr);
    }
    EXPECT_TRUE(Tokenizes(io::Direction::Output, m->record.commandTemplate));
    EXPECT_TRUE(Tokenizes(io::Direction::Input, m->record.responseFormat));
    // A function method names itself in its invalid-value messages as "<Function>_<Method>".
    if (m->errorName) {
      EXPECT_EQ(std::string(m->errorName),
                std::string(m->itf->name).substr(6) + "_" + m->record.methodName);
    }
  }
}

// The simulated-defaults table, as the instrument's documentation gives it, for the interfaces
// built so far. A key missing here has the value 0 (or the empty text).
struct Default {
  const char* key;
  double number;
  const char* text = nullptr;
};
constexpr Default kDefaults[] = {
    {"IIviCounter.Function", 1},
    {"ITevraSystem.TraceEnabled", 0},
    {"ITevraMeasurement.Mode", 0},
    {"ITevraTrigger.Count", 1},
    {"ITevraTrigger.Delay", 1},
    {"ITevraTrigger.Slope", 0},
    {"ITevraTrigger.Source", 0},
    {"ITevraTrigger.SampleCount", 1},
    {"ITevraChannel.Impedance", 1},
    {"ITevraChannel.Coupling", 1},
    {"ITevraChannel.Range", 0},
    {"ITevraChannel.Voltage1", 0.0},
    {"ITevraChannel.Voltage2", 0.0},
    {"ITevraChannel.Slope1", 1},
    {"ITevraChannel.Slope2", 0},
    {"ITevraChannel.Percentage1", 50},
    {"ITevraChannel.Percentage2", 50},
    {"ITevraChannel.FilterEnabled", 0},
    {"ITevraChannel.NoiseRejectEnabled", 0},
    {"ITevraChannel.ProbeFactor", 0},
    {"ITevraChannel.AutoLevelEnabled", -1},
    {"ITevraChannels.AutoLevelFrequency", 0},
    {"ITevraArmStart.Type", 1},
    {"ITevraArmStartExternal.Source", 0},
    {"ITevraArmStartExternal.Slope", 1},
    {"ITevraArmStartExternal.DelayTime", 0.0},
    {"ITevraArmStartExternal.DelaySource", 0},
    {"ITevraArmStartExternal.DelayEvents", 1},
    {"ITevraArmStartExternal.Voltage", 0.1},
    {"ITevraArmStop.Type", 1},
    {"ITevraArmStopExternal.Source", 0},
    {"ITevraArmStopExternal.Slope", 0},
    {"ITevraArmStopExternal.Voltage", 0.5},
    {"ITevraArmStopExternal.HoldOffTime", 0.0},
    {"ITevraArmStopExternal.HoldOffEvents", 1},
    {"ITevraArmStopExternal.HoldOffSource", 0},
};

TEST(Registry, SimulatedValuesAreThoseOfTheDefaultsTable) {
  std::map<std::string, const Default*> table;
  for (const Default& d : kDefaults) table[d.key] = &d;
  std::set<std::string> seen;
  for (const Property* p : core::RegisteredProperties()) {
    const std::string key = Key(p->itf->name, p->name);
    const auto it = table.find(key);
    const double number = it == table.end() ? 0.0 : it->second->number;
    const char* text = it == table.end() ? nullptr : it->second->text;
    EXPECT_EQ(p->simulated.number, number) << key;
    EXPECT_EQ(p->simulated.text, std::string_view(text ? text : "")) << key;
    if (it != table.end()) seen.insert(key);
  }
  for (const Default& d : kDefaults) EXPECT_TRUE(seen.count(d.key)) << d.key << " has no row";
}

}  // namespace
}  // namespace tevra::testing
