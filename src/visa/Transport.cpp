#include "visa/Transport.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

namespace tevra::visa {
namespace {

// Longest status-byte reply ("255" and a terminator, with room for blanks).
constexpr std::size_t kStatusByteReplyLimit = 32;

}  // namespace

int RemainingMs(std::uint32_t timeoutMs, std::chrono::steady_clock::time_point started) {
  if (timeoutMs == kViTmoInfinite) return -1;
  const long long elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - started)
                                .count();
  const long long left = static_cast<long long>(timeoutMs) - elapsed;
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 0x7FFFFFFF));
}

std::string ErrnoText(const char* operation, int error) {
  return std::string(operation) + ": " + std::strerror(error);
}

ViStatus Transport::Clear(const LineSettings&) { return kViErrorNsupOper; }

ViStatus Transport::ReadStatusByte(const LineSettings&, std::uint16_t&) { return kViErrorNsupOper; }

ViStatus Transport::AssertTrigger(const LineSettings&, std::uint16_t) { return kViErrorNsupOper; }

ViStatus Transport::LockDevice(std::string_view, std::uint32_t) { return kViErrorNsupOper; }

ViStatus Transport::UnlockDevice() { return kViErrorNsupOper; }

ViStatus Transport::EnableServiceRequest(bool) { return kViErrorNsupOper; }

ViStatus Transport::WaitServiceRequest(std::uint32_t) { return kViErrorNsupOper; }

ViStatus Transport::GetAttribute(ViAttr, AttributeValue&) const { return kViErrorNsupAttr; }

ViStatus Transport::SetAttribute(ViAttr, const AttributeValue&) { return kViErrorNsupAttr; }

ViStatus Transport::ReadStatusByteAsString(const LineSettings& line, std::uint16_t& statusByte) {
  if (line.protocol != IoProtocol::Ieee4882Strict) return kViErrorNsupOper;
  static constexpr std::uint8_t kQuery[] = {'*', 'S', 'T', 'B', '?', '\n'};
  std::size_t written = 0;
  ViStatus status = Write(kQuery, true, line, written);
  if (status < 0) return status;
  LineSettings lineReply = line;
  lineReply.termChar = '\n';
  lineReply.termCharEnabled = true;
  std::uint8_t reply[kStatusByteReplyLimit];
  std::size_t count = 0;
  status = Read(reply, lineReply, count);
  if (status < 0) return status;
  const char* text = reinterpret_cast<const char*>(reply);
  std::size_t start = 0;
  while (start < count && (text[start] == ' ' || text[start] == '+')) ++start;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text + start, text + count, value);
  if (error != std::errc() || value > 0xFF || end == text + start) {
    return Fail(kViErrorIo, "the reply to *STB? is not a status byte");
  }
  statusByte = static_cast<std::uint16_t>(value);
  return kViSuccess;
}

ViStatus Transport::AssertTriggerAsString(const LineSettings& line, std::uint16_t protocol) {
  if (line.protocol != IoProtocol::Ieee4882Strict) return kViErrorNsupOper;
  if (protocol != kViTrigProtDefault) return kViErrorInvProt;
  static constexpr std::uint8_t kCommand[] = {'*', 'T', 'R', 'G', '\n'};
  std::size_t written = 0;
  return Write(kCommand, true, line, written);
}

ViStatus Transport::Fail(ViStatus status, std::string detail) {
  lastErrorDetail_ = std::move(detail);
  return status;
}

}  // namespace tevra::visa
