#include "platform/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace tevra::platform {
namespace {

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view text, ReplaceFailure& failure) {
  const std::filesystem::path target(path);
  const std::string folder =
      target.has_parent_path() ? target.parent_path().string() : std::string(".");
  std::string temporary = folder + "/." + target.filename().string() + ".XXXXXX";
  const Descriptor file{::mkostemp(temporary.data(), O_CLOEXEC)};
  if (file.fd < 0) {
    failure = {errno, "create a temporary file in " + folder};
    return false;
  }
  struct stat old;
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : 0644;
  const char* failed = nullptr;
  if (::fchmod(file.fd, mode) != 0)
    failed = "set the permissions of";
  else if (!WriteAll(file.fd, text))
    failed = "write";
  else if (::fsync(file.fd) != 0)
    failed = "sync";
  else if (::rename(temporary.c_str(), path.c_str()) != 0)
    failed = "rename";
  if (failed) {
    failure = {errno, std::string(failed) + " the temporary file " + temporary};
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename is durable once the folder is synced.
  const Descriptor directory{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (directory.fd < 0 || ::fsync(directory.fd) != 0) {
    failure = {errno, "sync its folder " + folder};
    return false;
  }
  return true;
}

}  // namespace tevra::platform
