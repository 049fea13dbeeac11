// An I/O session with no transport behind it: every resource is unknown and every operation
// reports that no connection is established. The driver uses it where no instrument can be
// reached, and tests use it to prove that simulation never touches the I/O session.
#pragma once

#include "core/IoSession.h"

namespace tevra::io {

class UnconnectedSession final : public core::IIoSession {
 public:
  HRESULT Open(std::string_view resourceDescriptor, core::IInstrErrorPoller* poller,
               core::IErrorReporter* reporter, core::IEnumFormatter* formatter) override;
  HRESULT Close() override;
  HRESULT Clear() override;
  HRESULT GetTimeout(std::int32_t& milliseconds) override;
  HRESULT SetTimeout(std::int32_t milliseconds) override;
  HRESULT WriteString(std::string_view text, bool flushEnd, std::int32_t timeout) override;
  HRESULT QueryString(std::string_view command, std::string& reply, std::int32_t timeout) override;
  HRESULT QueryNumber(std::string_view command, std::int32_t& value, std::int32_t timeout) override;
  HRESULT QueryFormatted(std::string_view command, const char* readFormat,
                         std::span<const core::ScanTarget> targets, std::int32_t timeout) override;
  HRESULT LowLevelWriteStringNoPoll(std::string_view text, std::int32_t timeout) override;
  HRESULT LowLevelReadStringNoPoll(std::string& text, std::int32_t timeout) override;
  HRESULT LowLevelReadNoPoll(std::span<std::uint8_t> buffer, std::size_t& count,
                             std::int32_t timeout) override;
  HRESULT LowLevelWriteNoPoll(std::span<const std::uint8_t> data, std::size_t& written,
                              std::int32_t timeout) override;
  HRESULT GetTerminationCharacterEnabled(bool& enabled) override;
  HRESULT SetTerminationCharacterEnabled(bool enabled) override;
  HRESULT GetSendEndEnabled(bool& enabled) override;
  HRESULT SetSendEndEnabled(bool enabled) override;

 private:
  HRESULT NotConnected();
  core::IErrorReporter* reporter_ = nullptr;
};

}  // namespace tevra::io
