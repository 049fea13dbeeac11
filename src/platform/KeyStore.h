// The key store: the registry's stand-in. A tree of keys, each with an optional default value and
// named string values, kept in one text file per scope (the user's and the machine's).
//
// The file is UTF-8 text, its keys in order so that a key's subkeys follow it:
//
//   Tevra key store 1
//
//   [Software\Classes\Tevra.Tevra]
//   @="Tevra Class"
//
//   [Software\Classes\Tevra.Tevra\CurVer]
//   @="Tevra.Tevra.1"
//   "Name"="C:\\quoted \"text\""
//
// The first line names the format and its version. A key is its path in brackets: names joined
// by backslashes, each name neither empty nor holding a control character. The key's values
// follow it, one a line: @="..." is the default value, "Name"="..." a named value (a name is
// never empty). Between quotes \\ is a backslash, \" a quote, \n \r \t and \xHH the control
// characters; every other byte, non-ASCII UTF-8 included, stands for itself. Blank lines separate
// keys. The writer lists every key, ancestors included; a reader takes a missing ancestor as
// implied and refuses a repeated key or value and any line it cannot read, by line number.
// Names compare exactly, byte for byte (the registry folds case; nothing stored here needs it).
//
// Saving writes a temporary file in the store's folder, syncs it, renames it over the store and
// syncs the folder, so a reader or a crash sees the old store or the new one, never a part.
// Read-modify-write holds an exclusive flock on "<store>.lock", a file that is never removed;
// reading alone needs no lock.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tevra::platform {

struct StoreKey {
  std::optional<std::string> defaultValue;
  std::map<std::string, std::string, std::less<>> values;
  bool operator==(const StoreKey&) const = default;
};

// Orders paths name by name: a key's subkeys come right after it, before any sibling that
// shares its name as a prefix ("a", "a\b", "a-b").
struct KeyPathLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// A path of one or more names, none of them empty or holding a control character.
bool IsKeyPath(std::string_view path);

class KeyTree {
 public:
  using Keys = std::map<std::string, StoreKey, KeyPathLess>;

  // Creates the key and its missing ancestors; false (and no change) for an invalid path.
  bool CreateKey(std::string_view path);
  // Sets a value (an empty name is the default value), creating the key; false for an invalid
  // path.
  bool SetValue(std::string_view path, std::string_view name, std::string_view value);
  // Removes the key and everything below it; an absent key is no change.
  void DeleteTree(std::string_view path);
  const StoreKey* Find(std::string_view path) const;
  struct Range {
    Keys::const_iterator first, last;
    Keys::const_iterator begin() const { return first; }
    Keys::const_iterator end() const { return last; }
  };
  // The key and its subkeys, in order; empty when the key is absent.
  Range Tree(std::string_view path) const;
  const Keys& keys() const { return keys_; }
  bool operator==(const KeyTree&) const = default;

 private:
  Keys keys_;
};

// The store's text, and one key's lines of it ("[path]" and its values, each with a line feed).
std::string FormatKeyStore(const KeyTree& tree);
void AppendKeyText(std::string& out, std::string_view path, const StoreKey& key);
// Reads the store's text into out; on failure sets error to "line N: reason" and leaves out alone.
bool ParseKeyStore(std::string_view text, KeyTree& out, std::string& error);

// How a store operation ended. The message names the store's file.
struct StoreStatus {
  enum class Kind { Ok, AccessDenied, Malformed, Failed };
  Kind kind = Kind::Ok;
  std::string message;
  bool ok() const { return kind == Kind::Ok; }
};

enum class StoreScope { User, Machine };

// Where the classes live in a store, as in the registry of the platform the model comes from.
inline constexpr std::string_view kClassesRoot = "Software\\Classes\\";

// The store's file: for the user $TEVRA_USER_KEYSTORE, else $XDG_DATA_HOME/tevra/keystore (an
// absolute XDG_DATA_HOME only), else $HOME/.local/share/tevra/keystore; for the machine
// $TEVRA_MACHINE_KEYSTORE, else /var/lib/tevra/keystore. An empty variable counts as unset.
StoreStatus KeyStorePath(StoreScope scope, std::string& path);

// Reads a store without its lock (saves replace the file whole); a missing file is an empty store.
StoreStatus ReadKeyStore(const std::string& path, KeyTree& tree);

// One read-modify-write of a store: Open creates the store's folders, takes its lock and reads
// it; Save writes tree() over it; the lock is held until the edit is destroyed.
class KeyStoreEdit {
 public:
  KeyStoreEdit() = default;
  KeyStoreEdit(const KeyStoreEdit&) = delete;
  KeyStoreEdit& operator=(const KeyStoreEdit&) = delete;
  ~KeyStoreEdit();

  StoreStatus Open(const std::string& path);
  KeyTree& tree() { return tree_; }
  StoreStatus Save();

 private:
  std::string path_;
  int lock_ = -1;
  KeyTree tree_;
};

}  // namespace tevra::platform
