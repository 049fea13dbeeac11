#include "support/ScriptedIoSession.h"

#include <charconv>

namespace tevra::testing {

std::vector<std::string> ScriptedIoSession::Script::Commands() const {
  std::vector<std::string> out;
  for (const Sent& s : sent) out.push_back(s.command);
  return out;
}

HRESULT ScriptedIoSession::Open(std::string_view, core::IInstrErrorPoller* poller,
                                core::IErrorReporter* reporter, core::IEnumFormatter* formatter) {
  if (!poller || !reporter || !formatter) return E_POINTER;
  ++s_.opens;
  if (FAILED(s_.openStatus)) return s_.openStatus;
  poller_ = poller;
  reporter_ = reporter;
  s_.open = true;
  return S_OK;
}

HRESULT ScriptedIoSession::Close() {
  if (s_.open) ++s_.closes;
  s_.open = false;
  return S_OK;
}

HRESULT ScriptedIoSession::Clear() {
  ++s_.clears;
  return S_OK;
}

HRESULT ScriptedIoSession::GetTimeout(std::int32_t& milliseconds) {
  milliseconds = s_.timeout;
  return S_OK;
}

HRESULT ScriptedIoSession::SetTimeout(std::int32_t milliseconds) {
  s_.timeout = milliseconds;
  return S_OK;
}

HRESULT ScriptedIoSession::Send(std::string_view command, std::int32_t timeout,
                                std::string& reply) {
  if (!s_.open)
    return reporter_ ? reporter_->Report(core::Code::NotInitialized)
                     : core::ComStatusOf(static_cast<int>(core::Code::NotInitialized));
  s_.sent.push_back(
      {std::string(command), timeout == core::kDefaultTimeout ? s_.timeout : timeout});
  if (s_.expected.empty() || s_.expected.front().command != command) {
    s_.unexpected.emplace_back(command);
    return reporter_->ReportIoError("unexpected command");
  }
  const auto step = std::move(s_.expected.front());
  s_.expected.pop_front();
  if (FAILED(step.status)) {
    reporter_->ReportIoError("scripted failure");
    return step.status;
  }
  reply = step.reply;
  return S_OK;
}

HRESULT ScriptedIoSession::Poll(HRESULT transfer) {
  if (FAILED(transfer)) return transfer;
  const HRESULT polled = poller_->CheckInstrument();
  return FAILED(polled) ? polled : transfer;
}

HRESULT ScriptedIoSession::WriteString(std::string_view text, bool, std::int32_t timeout) {
  std::string ignored;
  return Poll(Send(text, timeout, ignored));
}

HRESULT ScriptedIoSession::QueryString(std::string_view command, std::string& reply,
                                       std::int32_t timeout) {
  return Poll(Send(command, timeout, reply));
}

HRESULT ScriptedIoSession::QueryNumber(std::string_view command, std::int32_t& value,
                                       std::int32_t timeout) {
  std::string reply;
  HRESULT hr = Send(command, timeout, reply);
  if (SUCCEEDED(hr)) {
    const char* first = reply.data();
    while (first < reply.data() + reply.size() && *first == ' ') ++first;
    if (*first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, reply.data() + reply.size(), value);
    if (ec != std::errc()) hr = reporter_->Report(core::Code::UnexpectedResponse);
  }
  return Poll(hr);
}

HRESULT ScriptedIoSession::QueryFormatted(std::string_view command, const char* readFormat,
                                          std::span<const core::ScanTarget> targets,
                                          std::int32_t timeout) {
  std::string reply;
  HRESULT hr = Send(command, timeout, reply);
  if (FAILED(hr)) return hr;
  // Only the error query's "%d,%$Ct" is understood here: an integer, a comma, the rest.
  if (std::string_view(readFormat) != "%d,%$Ct" || targets.size() != 2) {
    s_.unexpected.push_back(std::string("format ") + readFormat);
    return E_NOTIMPL;
  }
  std::int32_t number = 0;
  const char* end = reply.data() + reply.size();
  const char* first = reply.data() + (reply.starts_with('+') ? 1 : 0);
  const auto [next, ec] = std::from_chars(first, end, number);
  if (ec != std::errc() || next == end || *next != ',')
    return Poll(reporter_->Report(core::Code::UnexpectedResponse));
  *static_cast<std::int32_t*>(targets[0].where) = number;
  *static_cast<std::string*>(targets[1].where) = std::string(next + 1, end);
  return Poll(S_OK);
}

HRESULT ScriptedIoSession::LowLevelWriteStringNoPoll(std::string_view text, std::int32_t timeout) {
  return Send(text, timeout, pendingRead_);
}

HRESULT ScriptedIoSession::LowLevelReadStringNoPoll(std::string& text, std::int32_t) {
  text = std::move(pendingRead_);
  pendingRead_.clear();
  return S_OK;
}

// The status check and the utilities exchange whole strings; byte transfers are not scripted.
HRESULT ScriptedIoSession::LowLevelReadNoPoll(std::span<std::uint8_t>, std::size_t& count,
                                              std::int32_t) {
  count = 0;
  s_.unexpected.push_back("LowLevelReadNoPoll");
  return E_NOTIMPL;
}
HRESULT ScriptedIoSession::LowLevelWriteNoPoll(std::span<const std::uint8_t>, std::size_t& written,
                                               std::int32_t) {
  written = 0;
  s_.unexpected.push_back("LowLevelWriteNoPoll");
  return E_NOTIMPL;
}
HRESULT ScriptedIoSession::GetTerminationCharacterEnabled(bool& enabled) {
  enabled = true;
  return S_OK;
}
HRESULT ScriptedIoSession::SetTerminationCharacterEnabled(bool) { return S_OK; }
HRESULT ScriptedIoSession::GetSendEndEnabled(bool& enabled) {
  enabled = true;
  return S_OK;
}
HRESULT ScriptedIoSession::SetSendEndEnabled(bool) { return S_OK; }

}  // namespace tevra::testing
