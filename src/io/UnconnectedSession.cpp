#include "io/UnconnectedSession.h"

namespace tevra::io {

HRESULT UnconnectedSession::Open(std::string_view, core::IInstrErrorPoller* poller,
                                 core::IErrorReporter* reporter, core::IEnumFormatter* formatter) {
  if (!poller || !reporter || !formatter) return E_POINTER;
  reporter_ = reporter;
  return reporter->ReportElaboratedV(core::Code::UnknownResource, {}, {});
}

HRESULT UnconnectedSession::Close() { return S_OK; }

HRESULT UnconnectedSession::NotConnected() {
  if (!reporter_) return core::ComStatusOf(static_cast<int>(core::Code::NotInitialized));
  return reporter_->Report(core::Code::NotInitialized);
}

HRESULT UnconnectedSession::Clear() { return NotConnected(); }
HRESULT UnconnectedSession::GetTimeout(std::int32_t&) { return NotConnected(); }
HRESULT UnconnectedSession::SetTimeout(std::int32_t) { return NotConnected(); }
HRESULT UnconnectedSession::WriteString(std::string_view, bool, std::int32_t) {
  return NotConnected();
}
HRESULT UnconnectedSession::QueryString(std::string_view, std::string&, std::int32_t) {
  return NotConnected();
}
HRESULT UnconnectedSession::QueryNumber(std::string_view, std::int32_t&, std::int32_t) {
  return NotConnected();
}
HRESULT UnconnectedSession::QueryFormatted(std::string_view, const char*,
                                           std::span<const core::ScanTarget>, std::int32_t) {
  return NotConnected();
}
HRESULT UnconnectedSession::LowLevelWriteStringNoPoll(std::string_view, std::int32_t) {
  return NotConnected();
}
HRESULT UnconnectedSession::LowLevelReadStringNoPoll(std::string&, std::int32_t) {
  return NotConnected();
}

HRESULT UnconnectedSession::LowLevelReadNoPoll(std::span<std::uint8_t>, std::size_t& count,
                                               std::int32_t) {
  count = 0;
  return NotConnected();
}
HRESULT UnconnectedSession::LowLevelWriteNoPoll(std::span<const std::uint8_t>, std::size_t& written,
                                                std::int32_t) {
  written = 0;
  return NotConnected();
}
HRESULT UnconnectedSession::GetTerminationCharacterEnabled(bool&) { return NotConnected(); }
HRESULT UnconnectedSession::SetTerminationCharacterEnabled(bool) { return NotConnected(); }
HRESULT UnconnectedSession::GetSendEndEnabled(bool&) { return NotConnected(); }
HRESULT UnconnectedSession::SetSendEndEnabled(bool) { return NotConnected(); }

}  // namespace tevra::io
