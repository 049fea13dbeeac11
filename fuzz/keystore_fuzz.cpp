// Feeds arbitrary bytes to the key store's reader and checks what must hold for any file: a
// refusal names its line; a store that reads back is written in a form that reads to the same
// tree and is written again byte for byte the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/KeyStore.h"

#include "Require.h"

using tevra::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevra::platform;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  KeyTree tree;
  std::string error;
  if (!ParseKeyStore(text, tree, error)) {
    Require(error.starts_with("line "), "a refusal names its line");
    Require(tree.keys().empty(), "a refused store leaves the tree alone");
    return 0;
  }
  const std::string written = FormatKeyStore(tree);
  KeyTree again;
  Require(ParseKeyStore(written, again, error), "what the writer writes reads back");
  Require(again == tree, "the written store reads to the same tree");
  Require(FormatKeyStore(again) == written, "writing is a fixed point");
  for (const auto& [path, key] : tree.keys()) Require(IsKeyPath(path), "every key path is valid");
  return 0;
}
