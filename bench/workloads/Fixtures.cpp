#include "Fixtures.h"

#include <cstdio>

namespace tevra::workloads {
namespace {

// The driver's strings are ASCII here; a BSTR of them.
BSTR AllocBstr(std::string_view text) {
  std::u16string wide(text.begin(), text.end());
  return TevraSysAllocStringLen(wide.data(), static_cast<std::uint32_t>(wide.size()));
}

std::string Narrow(BSTR text) {
  std::string narrow;
  if (text) {
    for (std::uint32_t i = 0, n = TevraSysStringLen(text); i < n; ++i)
      narrow.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  }
  return narrow;
}

}  // namespace

std::unique_ptr<emulator::Instrument> StartFake(const Replies& replies, emulator::WireSetUp wire) {
  emulator::Instrument::Options options;
  options.lifetime = std::chrono::minutes(30);
  options.wire = wire;
  auto fake = std::make_unique<emulator::Instrument>(options);
  testing::AnswerSamples(*fake, replies);
  if (!fake->Start()) return nullptr;
  return fake;
}

std::string Failure(const char* what, HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  std::string text = std::string(what) + " failed with " + code;
  IErrorInfo* info = nullptr;
  if (TevraGetErrorInfo(0, &info) == S_OK && info) {
    BSTR description = nullptr;
    if (SUCCEEDED(info->GetDescription(&description))) text += ": " + Narrow(description);
    TevraSysFreeString(description);
    info->Release();
  }
  return text;
}

DriverSession::~DriverSession() {
  if (!driver_) return;
  driver_->Close();
  driver_->Release();
}

std::string DriverSession::Open(const std::string& resource, const std::string& options) {
  HRESULT hr = TevraCreateDriver(IID_ITevra, reinterpret_cast<void**>(&driver_));
  if (FAILED(hr)) return Failure("TevraCreateDriver", hr);
  BSTR name = AllocBstr(resource), optionText = AllocBstr(options);
  hr = driver_->Initialize(name, VARIANT_FALSE, VARIANT_FALSE, optionText);
  TevraSysFreeString(name);
  TevraSysFreeString(optionText);
  return FAILED(hr) ? Failure("Initialize", hr) : std::string();
}

CSession::~CSession() {
  if (vi_) Tevra_close(vi_);
}

std::string CSession::Open(const std::string& resource, const std::string& options) {
  std::string name = resource;
  if (Tevra_InitWithOptions(name.data(), VI_FALSE, VI_FALSE, options.c_str(), &vi_) < 0)
    return "Tevra_InitWithOptions failed: " + LastError();
  return {};
}

std::string CSession::LastError() const {
  ViStatus status = 0;
  ViChar text[512] = {};
  Tevra_GetError(vi_, &status, sizeof text, text);
  return text;
}

}  // namespace tevra::workloads
