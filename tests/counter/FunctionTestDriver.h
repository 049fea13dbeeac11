// A driver on a scripted session (or simulated) with every measurement-function interface at
// hand, for the measurement-function tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {

inline constexpr HRESULT kInvalidValue = static_cast<HRESULT>(0x80047010);
inline constexpr HRESULT kMethodNotSupported = static_cast<HRESULT>(0x80047011);
inline constexpr HRESULT kPropertyNotSupported = static_cast<HRESULT>(0x80047012);
inline constexpr HRESULT kUnexpectedResponse = static_cast<HRESULT>(0x80047059);
inline constexpr HRESULT kModelNotSupported = static_cast<HRESULT>(0x80044216);
inline constexpr HRESULT kOptionNotInstalled = static_cast<HRESULT>(0x80044001);
inline constexpr HRESULT kIoFailure = static_cast<HRESULT>(0x80044214);

class FunctionDriver {
 public:
  FunctionDriver() : handle(std::make_unique<ScriptedIoSession>(script)) {}
  ~FunctionDriver() {
    for (IUnknown* itf : held_) itf->Release();
  }

  // A live instrument of this model whose "*OPT?" answers options.
  void Open(const std::string& model, const std::string& options) {
    script.Expect("*IDN?", "Orvane Technologies," + model + ",SN1,2.0");
    script.Expect("*OPT?", options);
    ASSERT_EQ(handle.Initialize("TCPIP::h::5025::SOCKET", "", true), S_OK)
        << TakeErrorDescription();
    script.sent.clear();
  }
  void Simulate(const std::string& model) {
    ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=" + model), S_OK)
        << TakeErrorDescription();
  }

  template <class Itf>
  Itf* Get(REFIID iid) {
    Itf* itf = nullptr;
    EXPECT_EQ(handle.driver->QueryInterface(iid, reinterpret_cast<void**>(&itf)), S_OK);
    if (itf) held_.push_back(itf);
    return itf;
  }

  // Whether the script was played exactly: nothing left over, nothing unexpected.
  void ExpectScriptPlayed() {
    EXPECT_TRUE(script.unexpected.empty()) << "first unexpected: " << script.unexpected.front();
    EXPECT_TRUE(script.expected.empty()) << "never sent: " << script.expected.front().command;
    script.unexpected.clear();
    script.expected.clear();
  }

  ScriptedIoSession::Script script;
  DriverHandle handle;

 private:
  std::vector<IUnknown*> held_;
};

// An instrument-specific function interface of the FunctionDriver d in scope.
#define FUNCTION_ITF(Name) d.Get<ITevra##Name>(IID_ITevra##Name)

// "Tevra: " and the message of an invalid value.
inline std::string InvalidValue(const std::string& value, const std::string& method,
                                const std::string& parameter) {
  return "Tevra: Invalid value '" + value + "' for method '" + method + "', parameter '" +
         parameter + "'.";
}

}  // namespace tevra::testing
