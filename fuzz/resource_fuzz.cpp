// Feeds arbitrary bytes to the VISA resource-string parser and checks what must hold for any
// text: only success or VI_ERROR_INV_RSRC_NAME comes back, and a string that parses has a
// canonical name that parses to the same resource and prints back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "visa/ResourceString.h"

#include "Require.h"

using tevra::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevra::visa;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ResourceAddress address;
  const ViStatus status = ParseResourceString(text, address);
  Require(status == kViSuccess || status == kViErrorInvRsrcName, "status is success or invalid");
  if (status != kViSuccess) return 0;

  Require(!address.resourceClass.empty(), "a parsed resource has a class");
  const std::string canonical = CanonicalResourceName(address);
  ResourceAddress reparsed;
  Require(ParseResourceString(canonical, reparsed) == kViSuccess, "canonical name parses");
  Require(reparsed == address, "canonical name names the same resource");
  Require(CanonicalResourceName(reparsed) == canonical, "canonical name is a fixed point");
  return 0;
}
