// Replays saved fuzz inputs without libFuzzer: every file named on the command line, and every
// regular file under a named directory, goes through LLVMFuzzerTestOneInput once. Fails when a
// path cannot be read or when nothing was replayed, so a lost corpus does not pass silently.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool ReplayFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  // An exactly sized buffer, so that a sanitizer sees any read past the input.
  const std::vector<std::uint8_t> input((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(input.data(), input.size());
  return true;
}

// The regular files under a directory, in name order so that runs are repeatable.
std::vector<fs::path> FilesUnder(const fs::path& directory) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(directory)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
    return 2;
  }
  bool allRead = true;
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path path(argv[i]);
    std::error_code error;
    if (fs::is_directory(path, error)) {
      for (const fs::path& file : FilesUnder(path)) {
        allRead = ReplayFile(file) && allRead;
        ++replayed;
      }
    } else if (fs::is_regular_file(path, error)) {
      allRead = ReplayFile(path) && allRead;
      ++replayed;
    } else {
      std::fprintf(stderr, "no such file or directory: %s\n", argv[i]);
      allRead = false;
    }
  }
  std::printf("replayed %zu inputs\n", replayed);
  return allRead && replayed > 0 ? 0 : 1;
}
