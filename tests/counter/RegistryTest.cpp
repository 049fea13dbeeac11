// The member registry, walked: every method of the public headers has exactly one row, every
// template and response passes the format language's static check, every row kind has what its
// generic body needs (the rows' bytes, values and simulated values are in the row walk).
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "CounterTestSupport.h"
#include "MisuseTable.h"
#include "core/Registry.h"
#include "io/FormattedInput.h"
#include "io/FormattedOutput.h"

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
    if (p->Readable()) ++names[Key(p->itf->name, p->get.methodName)];
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

// A template is written, a response read; each must pass the formatter's or the scanner's whole
// static check, since the calls run them without it.
bool Tokenizes(io::Direction direction, const char* format) {
  if (!format) return true;
  return direction == io::Direction::Output ? SUCCEEDED(io::CheckOutputFormat(format))
                                            : SUCCEEDED(io::CheckInputFormat(format));
}

TEST(Registry, EveryRowHasWhatItsKindNeedsAndItsFormatsTokenize) {
  using enum PropertyKind;
  for (const Property* p : core::RegisteredProperties()) {
    SCOPED_TRACE(Key(p->itf->name, p->name));
    const bool genericGet = p->kind == Generic || p->kind == ReadOnly || p->kind == OwnPut;
    const bool genericPut = p->kind == Generic || p->kind == OwnGet || p->kind == WriteOnly;
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
    if (m->kind == MethodKind::Send || m->kind == MethodKind::Query) {
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

}  // namespace
}  // namespace tevra::testing
