// Where the trace's stylesheet is looked for: the IVI root folders in their order, and the first
// of them that holds the component.
#include "api/IviRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"

namespace tevra::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kConfigured[] = "/usr/local/share/ivi";

TEST(IviRoot, CandidatesInTheirOrder) {
  struct Row {
    const char* rootVariable;
    const char* libraryFolder;
    std::vector<std::string> roots;
  };
  const Row rows[] = {
      {"/opt/ivi", "/usr/lib/x86_64-linux-gnu", {"/opt/ivi"}},
      {"", "/opt/tevra/lib", {"/opt/tevra/share/ivi", kConfigured}},
      {nullptr, "/opt/tevra/lib64", {"/opt/tevra/share/ivi", kConfigured}},
      {nullptr, "/usr/lib/x86_64-linux-gnu", {"/usr/lib/share/ivi", "/usr/share/ivi", kConfigured}},
      {nullptr, "/home/me/build/src", {"/home/me/build/share/ivi", kConfigured}},
      {nullptr, "", {kConfigured}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(api::IviRootCandidates(row.rootVariable, row.libraryFolder, kConfigured), row.roots)
        << (row.rootVariable ? row.rootVariable : "(unset)") << " " << row.libraryFolder;
}

TEST(IviRoot, FirstRootThatHoldsTheComponentWins) {
  ScratchFolder scratch;
  const fs::path empty = scratch.path() / "empty", other = scratch.path() / "other",
                 held = scratch.path() / "held", later = scratch.path() / "later";
  fs::create_directories(empty / "Components");
  fs::create_directories(other / "Components");
  std::ofstream(other / "Components" / "other.xslt") << "x";
  for (const fs::path& root : {held, later}) {
    fs::create_directories(root / "Components");
    std::ofstream(root / "Components" / "trace.xslt") << "x";
  }
  struct Row {
    std::vector<std::string> roots;
    fs::path component;
  };
  const Row rows[] = {
      {{empty, other, held, later}, held / "Components" / "trace.xslt"},
      {{(scratch.path() / "missing").string(), later}, later / "Components" / "trace.xslt"},
      {{empty, other}, empty / "Components" / "trace.xslt"},  // none: the first, found missing
  };
  for (const Row& row : rows)
    EXPECT_EQ(api::FindIviComponent(row.roots, "trace.xslt"), row.component.string())
        << row.roots.front();
}

}  // namespace
}  // namespace tevra::testing
