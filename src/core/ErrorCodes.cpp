#include "core/ErrorCodes.h"

#include <array>
#include <cstddef>

#include "core/TextUtil.h"

namespace tevra::core {
namespace {

constexpr const char* SameOr(const char* cMessage, const char* message) {
  return cMessage ? cMessage : message;
}

constexpr CodeInfo kCodes[] = {
#define TEVRA_ERROR(code, symbol, message, comStatus, cStatus, cMessage, hasHelp) \
  {code,                                                                          \
   #symbol,                                                                       \
   message,                                                                       \
   static_cast<HRESULT>(comStatus),                                               \
   static_cast<std::int32_t>(cStatus),                                            \
   SameOr(cMessage, message),                                                     \
   hasHelp},
#include "core/ErrorCodes.def"
#undef TEVRA_ERROR
};

constexpr int kMaxCode = 53;
constexpr std::uint8_t kNoEntry = 0xFF;

// Code -> position in kCodes, kNoEntry for a gap.
constexpr auto kIndex = [] {
  std::array<std::uint8_t, kMaxCode + 1> index{};
  index.fill(kNoEntry);
  for (std::size_t i = 0; i < std::size(kCodes); ++i)
    index[kCodes[i].code] = static_cast<std::uint8_t>(i);
  return index;
}();

constexpr bool TableIsConsistent() {
  if (std::size(kCodes) != 52) return false;
  for (int code = 1; code <= kMaxCode; ++code)
    if ((kIndex[code] != kNoEntry) != (code != 46)) return false;
  for (std::size_t i = 0; i < std::size(kCodes); ++i) {
    if (kCodes[i].hasHelp != (kCodes[i].code >= 42 && kCodes[i].code <= 50)) return false;
    // Both conversions are lookups by status, so statuses must be unique.
    for (std::size_t j = i + 1; j < std::size(kCodes); ++j)
      if (kCodes[i].comStatus == kCodes[j].comStatus || kCodes[i].cStatus == kCodes[j].cStatus)
        return false;
  }
  return kCodes[0].code == 1 && kCodes[0].comStatus == 0 && kCodes[0].cStatus == 0;
}
static_assert(TableIsConsistent(), "ErrorCodes.def: codes 1..53 but 46, unique statuses");

// C messages of statuses that have no driver code.
struct CEntry {
  std::int32_t status;
  const char* message;
};
constexpr CEntry kCLayerEntries[] = {
    {kCStatusAttributeNotSupported, "Attribute ID not recognized."},
    {kCStatusInvalidType, "Wrong attribute accessor invoked for attribute type."},
    {kCStatusAttributeNotWritable, "Attribute is read-only."},
    {kCStatusAttributeNotReadable, "Attribute is write-only."},
    {kCStatusInvalidSession, "Invalid session handle."},
};

constexpr std::int32_t kCStatusUnknown = static_cast<std::int32_t>(0x80000000u);

}  // namespace

const CodeInfo* FindCode(int code) {
  if (code < 0 || code > kMaxCode || kIndex[code] == kNoEntry) return nullptr;
  return &kCodes[kIndex[code]];
}

HRESULT ComStatusOf(int code) {
  const CodeInfo* info = FindCode(code);
  return info ? info->comStatus : E_UNEXPECTED;
}

// The longest argument a message shows in full.
constexpr std::size_t kArgumentLimit = 1024;

std::string FormatCodeMessage(int code, std::initializer_list<std::string_view> args) {
  const CodeInfo* info = FindCode(code);
  if (!info) return {};
  std::string text = kMessagePrefix;
  // Each argument is inserted as is; the result is not scanned again for placeholders.
  for (const char* p = info->message; *p; ++p) {
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '3') {
      const std::size_t n = static_cast<std::size_t>(p[1] - '1');
      if (n < args.size()) AppendExcerpt(text, args.begin()[n], kArgumentLimit);
      ++p;
    } else {
      text += *p;
    }
  }
  return std::string(Trim(text));
}

void AppendExcerpt(std::string& to, std::string_view text, std::size_t limit) {
  const bool cut = text.size() > limit;
  if (cut) text = text.substr(0, limit);
  for (std::size_t nul; (nul = text.find('\0')) != std::string_view::npos;) {
    to.append(text.substr(0, nul));
    to.append("\\0");
    text.remove_prefix(nul + 1);
  }
  to.append(text);
  if (cut) to.append("...");
}

std::string Excerpt(std::string_view text, std::size_t limit) {
  std::string out;
  AppendExcerpt(out, text, limit);
  return out;
}

std::int32_t ToCStatus(HRESULT status) {
  if (status == 0) return 0;
  for (const CodeInfo& info : kCodes)
    if (info.comStatus == status) return info.cStatus;
  return kCStatusUnknown;
}

const char* CMessageOf(std::int32_t cStatus) {
  for (const CodeInfo& info : kCodes)  // code 1 gives "Success." for 0
    if (info.cStatus == cStatus) return info.cMessage;
  for (const CEntry& entry : kCLayerEntries)
    if (entry.status == cStatus) return entry.message;
  return nullptr;
}

}  // namespace tevra::core
