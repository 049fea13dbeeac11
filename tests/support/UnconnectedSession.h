// An I/O session with no library behind it: every resource is unknown and every operation
// reports that no connection is established. Tests use it to prove that simulation never
// touches the I/O session.
#pragma once

#include "io/IoSession.h"

namespace tevra::testing {

class UnconnectedSession final : public io::CIoSession {
 public:
  ~UnconnectedSession() override { Close(); }

  HRESULT ReadStatusByte(std::int16_t&) override { return NotConnected(); }
  HRESULT Clear() override { return NotConnected(); }
  HRESULT GetTimeout(std::int32_t&) override { return NotConnected(); }
  HRESULT SetTimeout(std::int32_t) override { return NotConnected(); }
  HRESULT GetTerminationCharacter(std::uint8_t&) override { return NotConnected(); }
  HRESULT SetTerminationCharacter(std::uint8_t) override { return NotConnected(); }
  HRESULT GetTerminationCharacterEnabled(bool&) override { return NotConnected(); }
  HRESULT SetTerminationCharacterEnabled(bool) override { return NotConnected(); }
  HRESULT GetSendEndEnabled(bool&) override { return NotConnected(); }
  HRESULT SetSendEndEnabled(bool) override { return NotConnected(); }
  HRESULT Lock(std::int32_t, std::int32_t, std::string_view, std::string&) override {
    return NotConnected();
  }
  HRESULT Unlock() override { return NotConnected(); }
  HRESULT LibraryRead(std::span<std::uint8_t>, std::size_t& count, std::int32_t) override {
    count = 0;
    return NotConnected();
  }
  HRESULT LibraryWrite(std::span<const std::uint8_t>, std::size_t& written, std::int32_t) override {
    written = 0;
    return NotConnected();
  }

 protected:
  HRESULT OpenResource(std::string_view) override {
    return Reporter()->Report(core::Code::UnknownResource);
  }
  void CloseResource() override {}
};

}  // namespace tevra::testing
