#include "support/ScriptedIoSession.h"

#include <algorithm>
#include <cstring>

namespace tevra::testing {

std::vector<std::string> ScriptedIoSession::Script::Commands() const {
  std::vector<std::string> out;
  for (const Sent& s : sent) out.push_back(s.command);
  return out;
}

HRESULT ScriptedIoSession::OpenResource(std::string_view) {
  ++s_.opens;
  s_.open = true;
  return S_OK;
}

void ScriptedIoSession::CloseResource() {
  if (s_.open) ++s_.closes;
  s_.open = false;
  pendingRead_.clear();
}

HRESULT ScriptedIoSession::Send(std::string_view command) {
  if (!s_.open) return NotConnected();
  s_.sent.push_back({std::string(command), s_.timeout});
  const bool query = command.find('?') != std::string_view::npos;
  if (s_.expected.empty() && s_.answer) {
    if (query) pendingRead_ += s_.answer(command) + "\n";
    return S_OK;
  }
  if (s_.expected.empty() || s_.expected.front().command != command) {
    s_.unexpected.emplace_back(command);
    return Reporter()->ReportIoError("unexpected command");
  }
  const auto step = std::move(s_.expected.front());
  s_.expected.pop_front();
  if (FAILED(step.status)) {
    Reporter()->ReportIoError("scripted failure");
    return step.status;
  }
  if (query) pendingRead_ += step.reply + "\n";
  return S_OK;
}

HRESULT ScriptedIoSession::LibraryWrite(std::span<const std::uint8_t> data, std::size_t& written,
                                        std::int32_t timeout) {
  written = 0;
  const io::TimeoutScope scope(*this, timeout);
  std::string_view command(reinterpret_cast<const char*>(data.data()), data.size());
  if (command.ends_with('\n')) command.remove_suffix(1);
  const HRESULT hr = Send(command);
  if (SUCCEEDED(hr)) written = data.size();
  return hr;
}

HRESULT ScriptedIoSession::LibraryRead(std::span<std::uint8_t> buffer, std::size_t& count,
                                       std::int32_t) {
  count = 0;
  if (!s_.open) return NotConnected();
  if (pendingRead_.empty()) {
    s_.unexpected.push_back("read with no reply pending");
    return Reporter()->ReportIoTimeout("nothing to read");
  }
  count = std::min(buffer.size(), pendingRead_.size());
  std::memcpy(buffer.data(), pendingRead_.data(), count);
  pendingRead_.erase(0, count);
  return pendingRead_.empty() ? S_OK : core::kResultMoreData;
}

HRESULT ScriptedIoSession::Clear() {
  if (!s_.open) return NotConnected();
  ++s_.clears;
  pendingRead_.clear();
  Cleared(true);
  return S_OK;
}

HRESULT ScriptedIoSession::ReadStatusByte(std::int16_t& statusByte) {
  statusByte = 0;
  return s_.open ? S_OK : NotConnected();
}

HRESULT ScriptedIoSession::GetTimeout(std::int32_t& milliseconds) {
  milliseconds = s_.timeout;
  return S_OK;
}

HRESULT ScriptedIoSession::SetTimeout(std::int32_t milliseconds) {
  s_.timeout = milliseconds;
  return S_OK;
}

// The line settings are accepted and kept as the instrument's socket would have them.
HRESULT ScriptedIoSession::GetTerminationCharacter(std::uint8_t& character) {
  character = '\n';
  return S_OK;
}
HRESULT ScriptedIoSession::SetTerminationCharacter(std::uint8_t) { return S_OK; }
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
HRESULT ScriptedIoSession::Lock(std::int32_t, std::int32_t, std::string_view,
                                std::string& accessKey) {
  accessKey.clear();
  return S_OK;
}
HRESULT ScriptedIoSession::Unlock() { return S_OK; }

}  // namespace tevra::testing
