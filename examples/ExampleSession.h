// What the examples share: text conversions, the description of the last error, and opening a
// driver session (simulated unless a resource name is given).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "tevra/TevraInterfaces.h"

namespace example {

// A counted UTF-16 string made from ASCII text.
inline BSTR MakeBstr(std::string_view text) {
  std::u16string wide(text.begin(), text.end());
  return TevraSysAllocStringLen(wide.data(), static_cast<std::uint32_t>(wide.size()));
}

inline std::string ToText(BSTR text) {
  std::string out;
  for (std::uint32_t i = 0; i < TevraSysStringLen(text); ++i)
    out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  return out;
}

inline std::string LastError() {
  IErrorInfo* info = nullptr;
  if (TevraGetErrorInfo(0, &info) != S_OK || !info) return "(no description)";
  BSTR description = nullptr;
  info->GetDescription(&description);
  std::string text = ToText(description);
  TevraSysFreeString(description);
  info->Release();
  return text;
}

// Reports a failed call; true when it succeeded.
inline bool Succeeded(HRESULT hr, const char* what) {
  if (SUCCEEDED(hr)) return true;
  std::fprintf(stderr, "%s failed (0x%08X): %s\n", what, static_cast<unsigned>(hr),
               LastError().c_str());
  return false;
}

// The driver's interface, or null.
template <class Itf>
Itf* Interface(IUnknown* driver, const IID& iid) {
  Itf* itf = nullptr;
  driver->QueryInterface(iid, reinterpret_cast<void**>(&itf));
  return itf;
}

// Releases each interface that is there.
template <class... Itf>
void ReleaseAll(Itf*... itfs) {
  ((itfs ? itfs->Release() : 0u), ...);
}

// A driver initialized on resource (simulated when empty) with setup as its DriverSetup;
// null, with the reason printed, when that failed.
inline ITevra* OpenDriver(const std::string& resource, const std::string& setup) {
  const bool simulate = resource.empty();
  std::string options = simulate ? "Simulate=true" : "";
  if (!setup.empty()) options += std::string(options.empty() ? "" : ", ") + "DriverSetup=" + setup;
  ITevra* driver = nullptr;
  if (FAILED(TevraCreateDriver(IID_ITevra, reinterpret_cast<void**>(&driver)))) {
    std::fprintf(stderr, "cannot create the driver object\n");
    return nullptr;
  }
  BSTR name = MakeBstr(simulate ? "SIM" : resource);
  BSTR optionString = MakeBstr(options);
  const HRESULT hr = driver->Initialize(name, VARIANT_TRUE, VARIANT_FALSE, optionString);
  TevraSysFreeString(name);
  TevraSysFreeString(optionString);
  if (Succeeded(hr, "Initialize")) return driver;
  driver->Release();
  return nullptr;
}

// Closes and releases the driver; the exit status of a run that did or did not succeed.
inline int Finish(ITevra* driver, bool succeeded) {
  const HRESULT closed = driver->Close();
  driver->Release();
  return !succeeded || FAILED(closed) ? 1 : 0;
}

}  // namespace example
