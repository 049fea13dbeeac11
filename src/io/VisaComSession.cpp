#include "io/VisaComSession.h"

namespace tevra::io {
CVisaComSession::CVisaComSession() = default;

CVisaComSession::~CVisaComSession() { Close(); }

HRESULT CVisaComSession::Library(visa::ViStatus status) {
  if (visa::Succeeded(status)) {
    if (status == visa::kViSuccessMaxCnt) return core::kResultMoreData;
    if (status == visa::kViSuccessTermChar) return S_OK;
    return ComStatusOfVisa(status);
  }
  // The library's description fills the driver's I/O message; a timeout has its own.
  const std::string description = session_ ? session_->LastErrorDescription() : std::string();
  const core::Code code = status == visa::kViErrorTmo ? core::Code::IoTimeout : core::Code::IoError;
  return Reporter()->ReportV(code, {description});
}

// --- lifetime ---

HRESULT CVisaComSession::OpenResource(std::string_view resourceDescriptor) {
  visa::ResourceManager manager;
  const visa::ViStatus status =
      manager.Open(resourceDescriptor, visa::AccessMode::NoLock, 2000, session_, openOptions_);
  if (!visa::Succeeded(status)) {
    session_.reset();
    core::IErrorReporter& reporter = *Reporter();
    // The driver names the descriptor of a resource that does not exist.
    if (status == visa::kViErrorRsrcNfound || status == visa::kViErrorInvRsrcName)
      return reporter.ReportElaboratedV(
          core::Code::UnknownResource,
          "Failed to open VISA resource. " + manager.LastErrorDescription(), {});
    return reporter.ReportElaboratedV(core::Code::IoError, "Failed to open VISA resource.",
                                      {manager.LastErrorDescription()});
  }
  return ConfigureLine();
}

void CVisaComSession::CloseResource() { session_.reset(); }

// --- line settings ---

template <class T>
HRESULT CVisaComSession::GetNumber(visa::ViAttr id, T& value) {
  visa::AttributeValue held;
  if (HRESULT hr = GetLibraryAttribute(id, held); FAILED(hr)) return hr;
  visa::NumberOf(held, value);
  return S_OK;
}

HRESULT CVisaComSession::GetLibraryAttribute(visa::ViAttr id, visa::AttributeValue& value) {
  if (!session_) return NotConnected();
  return Library(session_->GetAttribute(id, value));
}

HRESULT CVisaComSession::SetLibraryAttribute(visa::ViAttr id, const visa::AttributeValue& value) {
  if (!session_) return NotConnected();
  return Library(session_->SetAttribute(id, value));
}

HRESULT CVisaComSession::GetTimeout(std::int32_t& milliseconds) {
  std::uint32_t value = 0;
  if (HRESULT hr = GetNumber(visa::kViAttrTmoValue, value); FAILED(hr)) return hr;
  milliseconds = value == visa::kViTmoInfinite ? -1 : static_cast<std::int32_t>(value);
  return S_OK;
}

HRESULT CVisaComSession::SetTimeout(std::int32_t milliseconds) {
  // A negative timeout waits for ever.
  const std::uint32_t value =
      milliseconds < 0 ? visa::kViTmoInfinite : static_cast<std::uint32_t>(milliseconds);
  return SetLibraryAttribute(visa::kViAttrTmoValue, value);
}

HRESULT CVisaComSession::GetTerminationCharacter(std::uint8_t& character) {
  return GetNumber(visa::kViAttrTermchar, character);
}
HRESULT CVisaComSession::SetTerminationCharacter(std::uint8_t character) {
  return SetLibraryAttribute(visa::kViAttrTermchar, character);
}
HRESULT CVisaComSession::GetTerminationCharacterEnabled(bool& enabled) {
  return GetNumber(visa::kViAttrTermcharEn, enabled);
}
HRESULT CVisaComSession::SetTerminationCharacterEnabled(bool enabled) {
  return SetLibraryAttribute(visa::kViAttrTermcharEn, enabled);
}
HRESULT CVisaComSession::GetSendEndEnabled(bool& enabled) {
  return GetNumber(visa::kViAttrSendEndEn, enabled);
}
HRESULT CVisaComSession::SetSendEndEnabled(bool enabled) {
  return SetLibraryAttribute(visa::kViAttrSendEndEn, enabled);
}

HRESULT CVisaComSession::GetLastStatus(HRESULT& status) {
  if (!session_) return NotConnected();
  status = ComStatusOfVisa(session_->LastStatus());
  return S_OK;
}

// --- message operations ---

HRESULT CVisaComSession::ReadStatusByte(std::int16_t& statusByte) {
  if (!session_) return NotConnected();
  std::uint16_t value = 0;
  const HRESULT hr = Library(session_->ReadStatusByte(value));
  if (SUCCEEDED(hr)) statusByte = static_cast<std::int16_t>(value);
  return hr;
}

HRESULT CVisaComSession::Clear() {
  if (!session_) return NotConnected();
  const HRESULT hr = Library(session_->Clear());
  if (SUCCEEDED(hr)) Cleared(session_->ClearResetsInstrument());
  return hr;
}

HRESULT CVisaComSession::AssertLibraryTrigger(std::uint16_t visaProtocol) {
  if (!session_) return NotConnected();
  return Library(session_->AssertTrigger(visaProtocol));
}

HRESULT CVisaComSession::Lock(std::int32_t mode, std::int32_t timeout,
                              std::string_view requestedKey, std::string& accessKey) {
  if (!session_) return NotConnected();
  if (mode != 0 && mode != 1)
    return Reporter()->ReportIoMessage("Unsupported VISA session access mode.");
  const auto visaMode = mode == 0 ? visa::AccessMode::ExclusiveLock : visa::AccessMode::SharedLock;
  const std::uint32_t wait =
      timeout < 0 ? visa::kViTmoInfinite : static_cast<std::uint32_t>(timeout);
  return Library(session_->Lock(visaMode, wait, requestedKey, accessKey));
}

HRESULT CVisaComSession::Unlock() {
  if (!session_) return NotConnected();
  return Library(session_->Unlock());
}

HRESULT CVisaComSession::LibraryRead(std::span<std::uint8_t> buffer, std::size_t& count,
                                     std::int32_t timeout) {
  count = 0;
  if (!session_) return NotConnected();
  const TimeoutScope scope(*this, timeout);
  if (FAILED(scope.Status())) return scope.Status();
  return Library(session_->Read(buffer, count));
}

HRESULT CVisaComSession::LibraryWrite(std::span<const std::uint8_t> data, std::size_t& written,
                                      std::int32_t timeout) {
  written = 0;
  if (!session_) return NotConnected();
  const TimeoutScope scope(*this, timeout);
  if (FAILED(scope.Status())) return scope.Status();
  return Library(session_->Write(data, written));
}

void CVisaComSession::LibraryBeginExchange() {
  if (session_) session_->BeginExchange();
}

bool CVisaComSession::LibraryReadWasStale() const {
  return session_ && session_->LastReadWasStale();
}

bool CVisaComSession::LibraryHoldsInput() const { return session_ && session_->HoldsInput(); }

bool CVisaComSession::LibraryClearResetsInstrument() const {
  return session_ && session_->ClearResetsInstrument();
}

}  // namespace tevra::io
