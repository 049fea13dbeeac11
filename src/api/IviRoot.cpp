#include "api/IviRoot.h"

#include <cstdlib>
#include <system_error>

#include "platform/OwnModule.h"

#ifndef TEVRA_IVI_ROOT
#define TEVRA_IVI_ROOT "/usr/local/share/ivi"
#endif

namespace tevra::api {
namespace fs = std::filesystem;
namespace {

// The folder of the shared object that holds this function (the program's own folder when the
// driver is linked in statically), links resolved: the loader may have found the library through
// a linked folder such as /lib -> usr/lib, where a parent taken by name would be the wrong one.
// Found once: a loaded object does not move.
const fs::path& LoadedLibraryFolder() {
  static const fs::path folder = [] {
    const fs::path file = platform::OwnModuleFile();
    if (!file.has_parent_path()) return fs::path();  // a bare name says nothing of its folder
    std::error_code ec;
    fs::path resolved = fs::canonical(file.parent_path(), ec);
    return ec ? fs::path() : resolved;
  }();
  return folder;
}

}  // namespace

std::vector<std::string> IviRootCandidates(const char* rootVariable, const fs::path& libraryFolder,
                                           const std::string& configuredRoot) {
  if (rootVariable && *rootVariable) return {rootVariable};
  std::vector<std::string> roots;
  if (!libraryFolder.empty()) {
    const fs::path tree = libraryFolder.parent_path();
    roots.push_back((tree / "share" / "ivi").string());
    if (tree.filename() == "lib") roots.push_back((tree.parent_path() / "share" / "ivi").string());
  }
  roots.push_back(configuredRoot);
  return roots;
}

std::string FindIviComponent(const std::vector<std::string>& roots, std::string_view name) {
  const auto inRoot = [name](const std::string& root) {
    return root + "/Components/" + std::string(name);
  };
  std::error_code ec;
  for (const std::string& root : roots)
    if (fs::is_regular_file(inRoot(root), ec)) return inRoot(root);
  return roots.empty() ? std::string() : inRoot(roots.front());
}

std::string IviComponentPath(std::string_view name) {
  return FindIviComponent(
      IviRootCandidates(std::getenv("IVIROOTDIR"), LoadedLibraryFolder(), TEVRA_IVI_ROOT), name);
}

}  // namespace tevra::api
