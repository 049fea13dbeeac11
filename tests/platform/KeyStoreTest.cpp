// The key store's text form: every byte written and read back, the subtree order that deletion
// relies on, and the line and reason of what the reader refuses.
#include <gtest/gtest.h>

#include <vector>

#include "platform/KeyStore.h"

namespace tevra::platform {
namespace {

TEST(KeyStoreText, RoundTripsEveryByteAndDeletesWholeSubtrees) {
  KeyTree tree;
  ASSERT_TRUE(tree.SetValue("a\\b", "q\"uo\\te", "C:\\dir \"x\"\n\r\t\x01\x7F"));
  ASSERT_TRUE(tree.SetValue("a\\b\\c", "n", "1"));
  ASSERT_TRUE(tree.SetValue("a\\b\\c", "n", "2"));
  ASSERT_TRUE(tree.SetValue("a-b", "", ""));
  ASSERT_TRUE(tree.SetValue("ab\\Grüße", "", "naïve ✓"));
  const std::string text = FormatKeyStore(tree);
  EXPECT_EQ(text, R"(Tevra key store 1

[a]

[a\b]
"q\"uo\\te"="C:\\dir \"x\"\n\r\t\x01\x7F"

[a\b\c]
"n"="2"

[a-b]
@=""

[ab]

[ab\Grüße]
@="naïve ✓"
)");
  KeyTree read;
  std::string error;
  ASSERT_TRUE(ParseKeyStore(text, read, error)) << error;
  EXPECT_EQ(read, tree);
  // The subkeys of "a" sit right after it, before "a-b"; "ab" merely shares the prefix.
  tree.DeleteTree("a");
  std::vector<std::string> left;
  for (const auto& [path, key] : tree.keys()) left.push_back(path);
  EXPECT_EQ(left, (std::vector<std::string>{"a-b", "ab", "ab\\Grüße"}));
  for (const char* path : {"", "\\a", "a\\", "a\\\\b", "a\nb"}) EXPECT_FALSE(tree.CreateKey(path));
  EXPECT_EQ(tree.keys().size(), 3u);
}

TEST(KeyStoreText, NamesTheLineAndTheReasonOfWhatItRefuses) {
#define HEAD "Tevra key store 1\n"
  const std::pair<const char*, const char*> cases[] = {
      {"", "line 1: not a Tevra key store"},
      {"Tevra key store 2\n", "line 1: a key store version this library does not read"},
      {HEAD "@=\"x\"\n", "line 2: a value before the first key"},
      {HEAD "[a\n", "line 2: a key line that does not end in ]"},
      {HEAD "[a\\\\b]\n", "line 2: an invalid key path"},
      {HEAD "[a]\n\n[b]\n[a]\n", "line 5: a key listed twice"},
      {HEAD "[a]\n@=\"x\"\n@=\"y\"\n", "line 4: a second value of the same name"},
      {HEAD "[a]\n\"n\"=\"x\"\n\"n\"=\"x\"\n", "line 4: a second value of the same name"},
      {HEAD "[a]\n\"\"=\"x\"\n", "line 3: an empty value name"},
      {HEAD "[a]\nn=\"x\"\n", "line 3: expected a quoted text"},
      {HEAD "[a]\n\"n\" = \"x\"\n", "line 3: expected = after"},
      {HEAD "[a]\n@=\"x\\\"\n", "line 3: quoted text without its closing quote"},
      {HEAD "[a]\n@=\"\\q\"\n", "line 3: an unknown escape"},
      {HEAD "[a]\n@=\"\\x4\"\n", "line 3: \\x takes two hexadecimal digits"},
      {HEAD "[a]\n@=\"\t\"\n", "line 3: a control character"},
      {HEAD "[a]\n@=\"x\" \n", "line 3: text after the value"},
  };
#undef HEAD
  KeyTree kept;
  ASSERT_TRUE(kept.CreateKey("kept"));
  for (const auto& [text, expected] : cases) {
    std::string error;
    KeyTree tree = kept;
    EXPECT_FALSE(ParseKeyStore(text, tree, error)) << text;
    EXPECT_TRUE(error.starts_with(expected)) << text << " gave " << error;
    EXPECT_EQ(tree, kept) << text;
  }
}

}  // namespace
}  // namespace tevra::platform
