// Opens a Tevra driver session (simulated unless a resource name is given), prints the driver's
// and the instrument's identity, and closes the session.
//
//   tevra_measure                          simulated QX1300
//   tevra_measure "" "Model=QX1100"        simulated QX1100
//   tevra_measure TCPIP::10.0.0.5::5025::SOCKET
#include <cstdio>
#include <string>
#include <string_view>

#include "tevra/TevraInterfaces.h"

namespace {

// A counted UTF-16 string made from ASCII text.
BSTR MakeBstr(std::string_view text) {
  std::u16string wide(text.begin(), text.end());
  return SysAllocStringLen(wide.data(), static_cast<std::uint32_t>(wide.size()));
}

std::string ToText(BSTR text) {
  std::string out;
  for (std::uint32_t i = 0; i < SysStringLen(text); ++i)
    out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  return out;
}

std::string LastError() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return "(no description)";
  BSTR description = nullptr;
  info->GetDescription(&description);
  std::string text = ToText(description);
  SysFreeString(description);
  info->Release();
  return text;
}

template <class Getter>
std::string Property(Getter getter) {
  BSTR value = nullptr;
  if (FAILED(getter(&value))) return "<" + LastError() + ">";
  std::string text = ToText(value);
  SysFreeString(value);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string resource = argc > 1 ? argv[1] : "";
  const bool simulate = resource.empty();
  std::string options = simulate ? "Simulate=true" : "";
  if (argc > 2) options += std::string(options.empty() ? "" : ", ") + "DriverSetup=" + argv[2];

  ITevra* driver = nullptr;
  if (FAILED(TevraCreateDriver(IID_ITevra, reinterpret_cast<void**>(&driver)))) {
    std::fprintf(stderr, "cannot create the driver object\n");
    return 1;
  }
  BSTR name = MakeBstr(simulate ? "SIM" : resource);
  BSTR optionString = MakeBstr(options);
  const HRESULT hr = driver->Initialize(name, VARIANT_TRUE, VARIANT_FALSE, optionString);
  SysFreeString(name);
  SysFreeString(optionString);
  if (FAILED(hr)) {
    std::fprintf(stderr, "Initialize failed (0x%08X): %s\n", static_cast<unsigned>(hr),
                 LastError().c_str());
    driver->Release();
    return 1;
  }

  IIviDriverIdentity* identity = nullptr;
  driver->get_Identity(&identity);
  std::printf("Driver:       %s %s (%s)\n",
              Property([&](BSTR* v) { return identity->get_Identifier(v); }).c_str(),
              Property([&](BSTR* v) { return identity->get_Revision(v); }).c_str(),
              Property([&](BSTR* v) { return identity->get_Vendor(v); }).c_str());
  std::printf("Description:  %s\n",
              Property([&](BSTR* v) { return identity->get_Description(v); }).c_str());
  std::printf("Manufacturer: %s\n",
              Property([&](BSTR* v) { return identity->get_InstrumentManufacturer(v); }).c_str());
  std::printf("Model:        %s\n",
              Property([&](BSTR* v) { return identity->get_InstrumentModel(v); }).c_str());
  std::printf("Firmware:     %s\n", Property([&](BSTR* v) {
                                      return identity->get_InstrumentFirmwareRevision(v);
                                    }).c_str());
  identity->Release();

  const HRESULT closed = driver->Close();
  driver->Release();
  return FAILED(closed) ? 1 : 0;
}
