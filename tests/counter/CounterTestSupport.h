// Drivers for the counter tests: one on a scripted session (live or simulated) and one on the
// fake instrument over a loopback socket, each with the interfaces it handed out released with it,
// and the status codes and helpers the counter tests share.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "io/VisaComSession.h"
#include "platform/SafeArray.h"
#include "support/DriverHandle.h"
#include "support/FakeInstrument.h"
#include "support/ScriptedIoSession.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::testing {

inline constexpr HRESULT kUnexpectedResponse = static_cast<HRESULT>(0x80047059);
inline constexpr HRESULT kIoFailure = static_cast<HRESULT>(0x80044214);
inline constexpr HRESULT kIoTimeout = static_cast<HRESULT>(0x80044215);
inline constexpr HRESULT kInstrumentStatus = static_cast<HRESULT>(0x80047001);

// A driver and the interfaces queried from it, which are released before it.
class HeldDriver {
 public:
  explicit HeldDriver(std::unique_ptr<core::IIoSession> io) : handle(std::move(io)) {}
  HeldDriver(const HeldDriver&) = delete;
  HeldDriver& operator=(const HeldDriver&) = delete;
  ~HeldDriver() {
    for (IUnknown* itf : held_) itf->Release();
  }

  template <class Itf>
  Itf* Get(REFIID iid) {
    Itf* itf = nullptr;
    EXPECT_EQ(handle.driver->QueryInterface(iid, reinterpret_cast<void**>(&itf)), S_OK);
    return Keep(itf);
  }
  ITevraChannels* Channels() {
    ITevraChannels* channels = nullptr;
    EXPECT_EQ(handle.driver->get_Channels(&channels), S_OK);
    return Keep(channels);
  }
  // The instrument-specific channel of this name.
  ITevraChannel* Channel(const std::string& name) {
    ITevraChannel* channel = nullptr;
    platform::Bstr text(name);
    EXPECT_EQ(Channels()->get_Item(text.get(), &channel), S_OK) << name;
    return Keep(channel);
  }
  // A reference released with the others.
  template <class Itf>
  Itf* Keep(Itf* itf) {
    if (itf) held_.push_back(itf);
    return itf;
  }

  DriverHandle handle;

 private:
  std::vector<IUnknown*> held_;
};

// The script outlives the driver whose session plays it, the fake instrument the driver that
// talks to it.
struct ScriptHolder {
  ScriptedIoSession::Script script;
};
struct FakeHolder {
  FakeInstrument fake;
  io::CVisaComSession* session = nullptr;  // owned by the driver
};

class CounterDriver : public ScriptHolder, public HeldDriver {
 public:
  CounterDriver() : HeldDriver(std::make_unique<ScriptedIoSession>(script)) {}

  // A live instrument of this model whose "*OPT?" answers options.
  void Open(const std::string& model, const std::string& options = "") {
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

  // Whether the script was played exactly: nothing left over, nothing unexpected.
  void ExpectScriptPlayed() {
    EXPECT_TRUE(script.unexpected.empty()) << "first unexpected: " << script.unexpected.front();
    EXPECT_TRUE(script.expected.empty()) << "never sent: " << script.expected.front().command;
    script.unexpected.clear();
    script.expected.clear();
  }
};

// A driver talking to the fake instrument through the socket session.
class SocketDriver : public FakeHolder, public HeldDriver {
 public:
  SocketDriver() : HeldDriver(MakeSession(session)) {}

  void Open(const std::string& model, const std::string& options, std::string_view settings = "") {
    fake.On("*IDN?").Reply("Orvane Technologies," + model + ",SN0042,2.0.1\n");
    fake.On("*OPT?").Reply(options + "\n").Times(1);
    ASSERT_TRUE(fake.Start());
    ASSERT_EQ(Initialize(settings), S_OK) << TakeErrorDescription();
  }
  // Initializes with an identity query on the started fake; the wire is checked from here on.
  HRESULT Initialize(std::string_view settings = "") {
    const HRESULT hr = handle.Initialize(fake.ResourceName(), settings, true);
    start_ = fake.Transcript().size();
    return hr;
  }
  // Whether exactly these bytes arrived since Open or the last check.
  void ExpectWire(std::string_view expected) {
    EXPECT_TRUE(fake.WaitForTranscript(start_ + expected.size(), Milliseconds(2000)));
    EXPECT_EQ(fake.Transcript().substr(start_), expected);
    start_ = fake.Transcript().size();
  }
  // The session timeout, set as the timeout property would.
  void SetTimeout(std::int32_t milliseconds) { ASSERT_EQ(session->SetTimeout(milliseconds), S_OK); }

 private:
  static std::unique_ptr<io::CVisaComSession> MakeSession(io::CVisaComSession*& at) {
    auto made = std::make_unique<io::CVisaComSession>();
    at = made.get();
    return made;
  }
  std::size_t start_ = 0;
};

// The text in quotes, line ends shown as \n and \r.
inline std::string Quoted(const std::string& text) {
  std::string q = "\"";
  for (char c : text) q += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
  return q + "\"";
}

// A transcript line of a call: "<what> -> <commands sent> = <shown or ok, or status and message>".
inline void TranscriptLine(std::ostream& out, CounterDriver& d, const std::string& what,
                           const std::function<HRESULT()>& call,
                           const std::string* shown = nullptr) {
  d.script.sent.clear();
  const HRESULT hr = call();
  out << what << " ->";
  for (const auto& sent : d.script.sent) out << " " << Quoted(sent.command);
  if (SUCCEEDED(hr)) {
    out << " = " << (shown ? *shown : "ok") << "\n";
  } else {
    char status[16];
    std::snprintf(status, sizeof status, "0x%08X", static_cast<unsigned>(hr));
    out << " = " << status << " " << Quoted(TakeErrorDescription()) << "\n";
  }
}

// The methods with arguments on every model, written to the row walk's transcript.
void WalkMethods(std::ostream& out);

// The doubles of a reading array, which it destroys; {-999} when it is no such array.
inline std::vector<double> Readings(SAFEARRAY* array) {
  const platform::SafeArrayPtr owned(array);
  constexpr VARTYPE kDoubles[] = {VT_R8};
  void* data = nullptr;
  std::size_t count = 0;
  if (!platform::ViewVector(array, kDoubles, data, count)) return {-999.0};
  return {static_cast<double*>(data), static_cast<double*>(data) + count};
}

// An instrument-specific interface of the CounterDriver d in scope.
#define COUNTER_ITF(Name) d.Get<ITevra##Name>(IID_ITevra##Name)

}  // namespace tevra::testing
