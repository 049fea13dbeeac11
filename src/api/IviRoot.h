// The IVI standard root directory: its "Components" folder holds the shared components, the trace
// stylesheet among them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tevra::api {

// The folders that may be the IVI standard root directory, in the order they are tried. There is
// no registry value for it on Linux, so:
//   1. $IVIROOTDIR (rootVariable) when it is set and not empty: the user's word, and then the only
//      folder, so that a stylesheet elsewhere never stands in for the one the user named;
//   2. share/ivi beside the library's folder (<libdir>/../share/ivi): the tree the loaded library
//      was installed into, whatever prefix that was and wherever the tree was moved to;
//   3. for a multiarch folder lib/<triplet>, share/ivi two levels up (<libdir>/../../share/ivi):
//      the Debian packages' /usr/lib/<triplet> next to /usr/share/ivi;
//   4. configuredRoot, the ivi folder of the data folder of the prefix the library was built for:
//      a library copied out of its tree, or linked into a program, still finds an installed one.
// libraryFolder is the loaded library's folder with its links resolved (empty when unknown), so
// that its parent is the folder that holds it.
std::vector<std::string> IviRootCandidates(const char* rootVariable,
                                           const std::filesystem::path& libraryFolder,
                                           const std::string& configuredRoot);

// <root>/Components/<name> in the first of roots that holds such a file; when none does, that path
// in the first root, which the caller then finds missing.
std::string FindIviComponent(const std::vector<std::string>& roots, std::string_view name);

// FindIviComponent over this process's candidates: its IVIROOTDIR, the folder of the library this
// code was loaded from, and the root configured at build time.
std::string IviComponentPath(std::string_view name);

}  // namespace tevra::api
