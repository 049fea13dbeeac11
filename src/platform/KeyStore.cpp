// The key store's files: where they live, the lock, reading, and the atomic save.
#include "platform/KeyStore.h"

#include "platform/ReplaceFile.h"
#include "platform/UserFolders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace tevra::platform {
namespace {

StoreStatus SystemFailure(int error, const std::string& store, std::string_view what) {
  const bool denied = error == EACCES || error == EPERM || error == EROFS;
  std::string message = "key store " + store + ": cannot ";
  message += what;
  message += ": " + std::generic_category().message(error);
  return {denied ? StoreStatus::Kind::AccessDenied : StoreStatus::Kind::Failed, std::move(message)};
}

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

StoreStatus KeyStorePath(StoreScope scope, std::string& path) {
  if (scope == StoreScope::Machine) {
    const std::string_view named = Environment("TEVRA_MACHINE_KEYSTORE");
    path = named.empty() ? "/var/lib/tevra/keystore" : named;
    return {};
  }
  if (const std::string_view named = Environment("TEVRA_USER_KEYSTORE"); !named.empty()) {
    path = named;
  } else if (const std::string data = UserBaseFolder("XDG_DATA_HOME", ".local/share");
             !data.empty()) {
    path = data + "/tevra/keystore";
  } else {
    return {StoreStatus::Kind::Failed,
            "cannot find the per-user key store: TEVRA_USER_KEYSTORE, XDG_DATA_HOME and HOME are "
            "not set"};
  }
  return {};
}

StoreStatus ReadKeyStore(const std::string& path, KeyTree& tree) {
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) {
    if (errno != ENOENT) return SystemFailure(errno, path, "open it");
    tree = KeyTree{};
    return {};
  }
  std::string text;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return SystemFailure(errno, path, "read it");
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  std::string error;
  if (!ParseKeyStore(text, tree, error))
    return {StoreStatus::Kind::Malformed, "key store " + path + " is malformed: " + error};
  return {};
}

KeyStoreEdit::~KeyStoreEdit() {
  if (lock_ >= 0) ::close(lock_);  // releases the flock
}

StoreStatus KeyStoreEdit::Open(const std::string& path) {
  if (lock_ >= 0) ::close(std::exchange(lock_, -1));
  path_ = path;
  const std::string folder = FolderOf(path);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return SystemFailure(error.value(), path, "create its folder " + folder);
  const std::string lockPath = path + ".lock";
  lock_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock_ < 0) return SystemFailure(errno, path, "open its lock file " + lockPath);
  int locked;
  do {
    locked = ::flock(lock_, LOCK_EX);
  } while (locked < 0 && errno == EINTR);
  if (locked < 0) return SystemFailure(errno, path, "lock " + lockPath);
  return ReadKeyStore(path, tree_);
}

StoreStatus KeyStoreEdit::Save() {
  ReplaceFailure failure;
  if (!ReplaceFile(path_, FormatKeyStore(tree_), failure))
    return SystemFailure(failure.cause, path_, failure.what);
  return {};
}

}  // namespace tevra::platform
