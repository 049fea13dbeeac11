// CVisaComSession: the driver's one concrete I/O session. It reaches the instrument through the
// VISA binding: a resource manager opens the resource (no lock, 2000 ms), the session object
// carries every transfer and line setting, and the completion codes of reads are mapped to the
// session's own (a read cut at its count becomes kResultMoreData, one that ended on the
// termination character plain success). A failure of the library is reported as the driver's I/O
// timeout error (a timeout) or I/O error (anything else), with the library's description.
#pragma once

#include <memory>

#include "io/VisaIoSession.h"
#include "visa/ResourceManager.h"
#include "visa/VisaSession.h"

namespace tevra::io {

class CVisaComSession final : public CVisaIoSession {
 public:
  CVisaComSession();
  ~CVisaComSession() override;

  void SetOpenOptions(const visa::OpenOptions& options) override { openOptions_ = options; }
  HRESULT ReadStatusByte(std::int16_t& statusByte) override;
  HRESULT Clear() override;
  HRESULT GetTimeout(std::int32_t& milliseconds) override;
  HRESULT SetTimeout(std::int32_t milliseconds) override;
  HRESULT GetTerminationCharacter(std::uint8_t& character) override;
  HRESULT SetTerminationCharacter(std::uint8_t character) override;
  HRESULT GetTerminationCharacterEnabled(bool& enabled) override;
  HRESULT SetTerminationCharacterEnabled(bool enabled) override;
  HRESULT GetSendEndEnabled(bool& enabled) override;
  HRESULT SetSendEndEnabled(bool enabled) override;
  HRESULT Lock(std::int32_t mode, std::int32_t timeout, std::string_view requestedKey,
               std::string& accessKey) override;
  HRESULT Unlock() override;

  // The status of the library's last operation, success codes included.
  HRESULT GetLastStatus(HRESULT& status);
  // Whether Clear is a device clear that empties the instrument's own queues: a session that gave
  // up an exchange then gets back in step by clearing, without the identity query.
  bool LibraryClearResetsInstrument() const override;

 protected:
  HRESULT OpenResource(std::string_view resourceDescriptor) override;
  void CloseResource() override;
  HRESULT GetLibraryAttribute(visa::ViAttr id, visa::AttributeValue& value) override;
  HRESULT SetLibraryAttribute(visa::ViAttr id, const visa::AttributeValue& value) override;
  HRESULT AssertLibraryTrigger(std::uint16_t visaProtocol) override;
  HRESULT LibraryRead(std::span<std::uint8_t> buffer, std::size_t& count,
                      std::int32_t timeout) override;
  HRESULT LibraryWrite(std::span<const std::uint8_t> data, std::size_t& written,
                       std::int32_t timeout) override;
  void LibraryBeginExchange() override;
  bool LibraryReadWasStale() const override;
  bool LibraryHoldsInput() const override;

 private:
  // The status of a library call; failures are reported.
  HRESULT Library(visa::ViStatus status);
  template <class T>
  HRESULT GetNumber(visa::ViAttr id, T& value);

  std::unique_ptr<visa::VisaSession> session_;
  visa::OpenOptions openOptions_;
};

}  // namespace tevra::io
