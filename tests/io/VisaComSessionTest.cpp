// The driver's I/O session over a real loopback socket against the fake instrument: the line
// configuration, the closed state, per-operation timeouts, the typed operations with their
// overflow reports, the bytes on the wire and the refusals of what the binding cannot offer.
#include "io/VisaComSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/FormatArgs.h"
#include "io/EnumFormatterDouble.h"
#include "io/MemoryLowLevelIo.h"
#include "platform/SafeArray.h"
#include "support/FakeInstrument.h"

namespace tevra::io {
namespace {

using core::ElemType;
using core::FormatArg;
using core::ScanArg;
using tevra::testing::FakeInstrument;
using tevra::testing::Microseconds;
using tevra::testing::Milliseconds;
using namespace std::string_literals;

constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x8004701D);
constexpr HRESULT kIoError = static_cast<HRESULT>(0x80044214);
constexpr HRESULT kUnknownResource = static_cast<HRESULT>(0x80047060);
constexpr HRESULT kIoTimeout = static_cast<HRESULT>(0x80044215);

class CountingPoller final : public core::IInstrErrorPoller {
 public:
  HRESULT CheckInstrument() override {
    ++polls;
    return S_OK;
  }
  int polls = 0;
};

class VisaComSession : public ::testing::Test, public testing::ReporterFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(fake.Start()); }
  HRESULT Open(const std::string& resource) {
    return session.Open(resource, &poller, &reporter, &enums);
  }
  void OpenFake() { ASSERT_EQ(Open(fake.ResourceName()), S_OK) << Reported(); }
  std::string Wire(std::size_t size) {
    EXPECT_TRUE(fake.WaitForTranscript(size, Milliseconds(2000)));
    return fake.Transcript();
  }

  FakeInstrument fake;
  CountingPoller poller;
  testing::CouplingFormatter enums;
  CVisaComSession session;
};

// A session never opened, one that failed to open and a closed one send nothing and say so.
TEST_F(VisaComSession, AClosedSessionSendsNothingAndSaysSo) {
  std::string reply;
  EXPECT_EQ(session.QueryString("*IDN?", reply, core::kDefaultTimeout), kNotInitialized);
  for (const char* resource : {"GPIB0::5::INSTR", "TCPIP::127.0.0.1::1::SOCKET"}) {
    platform::ClearThreadError();
    EXPECT_EQ(Open(resource), kUnknownResource) << resource;
    EXPECT_TRUE(Reported().starts_with("Tevra: Unknown resource.\r\nFailed to open VISA resource."))
        << Reported();
    EXPECT_FALSE(session.IsOpen());
  }
  OpenFake();
  EXPECT_EQ(session.Close(), S_OK);
  platform::ClearThreadError();
  EXPECT_EQ(session.WriteString("*CLS", true, core::kDefaultTimeout), kNotInitialized);
  EXPECT_EQ(Reported(), "Tevra: A connection to the instrument has not been established.");
  std::int32_t timeout = 0;
  EXPECT_EQ(session.GetTimeout(timeout), kNotInitialized);
  EXPECT_EQ(session.Close(), S_OK);  // closing twice does nothing
  EXPECT_EQ(fake.Transcript(), "");
}

TEST_F(VisaComSession, AnOperationTimeoutHoldsForThatOperationOnlyAlsoWhenItFails) {
  fake.On("SLOW?").NoReply();
  fake.On("*IDN?").Reply("Orvane Technologies,QX1300,1,1\n");
  OpenFake();
  ASSERT_EQ(session.SetTimeout(3000), S_OK);
  std::string reply;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(session.QueryString("SLOW?", reply, 300), kIoTimeout);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, Milliseconds(290));
  EXPECT_LT(waited, Milliseconds(1500));
  EXPECT_TRUE(Reported().starts_with("Tevra: I/O timeout error: VI_ERROR_TMO")) << Reported();
  std::int32_t timeout = 0;
  EXPECT_EQ(session.GetTimeout(timeout), S_OK);
  EXPECT_EQ(timeout, 3000);
  EXPECT_EQ(session.QueryString("*IDN?", reply, core::kDefaultTimeout), S_OK);
  EXPECT_EQ(reply, "Orvane Technologies,QX1300,1,1");
  EXPECT_EQ(poller.polls, 1);  // only the exchange that completed is followed by a poll
}

TEST_F(VisaComSession, NumbersThatDoNotFitTheirTypeAreReportedWithTheValueRead) {
  std::uint8_t byte = 0;
  std::int16_t shortValue = 0;
  std::int32_t longValue = 0;
  float floatValue = 0;
  const char* kFloat = "single-precision float";
  // {reply, destination, the value in the overflow message (null: it fits), the type named}
  const std::tuple<const char*, ScanArg, const char*, const char*> cases[] = {
      {"255", ScanArg(&byte), nullptr, ""},
      {"256", ScanArg(&byte), "2.560000e+02", "BYTE"},
      {"-1", ScanArg(&byte), "-1.000000e+00", "BYTE"},
      {"32768", ScanArg(&shortValue), "3.276800e+04", "short"},
      {"-32768", ScanArg(&shortValue), nullptr, ""},
      {"2147483648", ScanArg(&longValue), "2.147484e+09", "long"},
      {"-2147483648", ScanArg(&longValue), nullptr, ""},
      {"1E39", ScanArg(&floatValue), "1.000000e+39", kFloat},
      {"1E-39", ScanArg(&floatValue), "1.000000e-39", kFloat},
  };
  for (const auto& [reply, target, value, type] : cases)
    fake.On(std::string("NUM? ") + reply).Reply(std::string(reply) + "\n");
  OpenFake();
  for (const auto& [reply, target, value, type] : cases) {
    platform::ClearThreadError();
    EXPECT_EQ(session.QueryNumber(std::string("NUM? ") + reply, target, core::kDefaultTimeout),
              value ? kIoError : S_OK)
        << reply;
    EXPECT_EQ(Reported(), value ? std::string("Tevra: I/O error: Overflow or underflow reading "
                                              "value of '") +
                                      value + "' into a " + type + "."
                                : "")
        << reply;
  }
  EXPECT_EQ(byte, 255);
  EXPECT_EQ(shortValue, -32768);
  EXPECT_EQ(longValue, -2147483647 - 1);
}

TEST_F(VisaComSession, TypedWritesPutTheirTextOnTheWire) {
  OpenFake();
  const std::uint8_t bytes[] = {1, 2, 3};
  const double doubles[] = {0.5, -2};
  const std::int16_t shorts[] = {1, 256};
  const std::int64_t wide[] = {1, 2};
  const auto t = core::kDefaultTimeout;
  EXPECT_EQ(session.WriteList(std::span(wide), true, t), kIoError);
  EXPECT_EQ(Reported(), "Tevra: I/O error: Unknown type of array passed to WriteList function.");
  EXPECT_EQ(session.WriteNumber(42, true, t), S_OK);
  EXPECT_EQ(session.WriteNumber(1.5, true, t), S_OK);
  EXPECT_EQ(session.WriteList(std::span(bytes), true, t), S_OK);
  EXPECT_EQ(session.WriteList(std::span(doubles), true, t), S_OK);
  EXPECT_EQ(session.WriteString("DATA ", false, t), S_OK);
  EXPECT_EQ(session.WriteBinaryBlock(std::span(shorts), true, t), S_OK);
  const std::string expected =
      "42\n1.500000\n1,2,3\n0.500000,-2.000000\nDATA #14\x00\x01\x01\x00\n"s;
  EXPECT_EQ(Wire(expected.size()), expected);
  EXPECT_EQ(poller.polls, 5);
}

// Replies cut anywhere arrive whole; a reply read only in part is dropped by the next query.
TEST_F(VisaComSession, RepliesCutAnywhereArriveWholeAndStaleInputIsDropped) {
  std::string list = "+1.00000000123456E+007";
  for (int i = 1; i < 2000; ++i) list += ",-2.5";
  fake.On("LIST?").Reply(list + "\n").InChunks(7, Microseconds(0));
  // Big-endian doubles whose bytes hold line feeds: 0x0A0A0A0A0A0A0A0A and 1.0.
  const std::string payload = std::string(8, '\x0A') + std::string("\x3F\xF0\0\0\0\0\0\0", 8);
  fake.On("BLOCK?").Reply("#216" + payload + "\n").InChunks(3, Microseconds(0));
  fake.On("HALF?").Reply("ABC\n");
  fake.On("INTS?").Reply("7,8\n").InChunks(2);
  OpenFake();
  const auto t = core::kDefaultTimeout;
  std::vector<double> values;
  EXPECT_EQ(session.QueryList("LIST?", &values, t), S_OK);
  ASSERT_EQ(values.size(), 2000u);
  EXPECT_EQ(values.front(), 10000000.0123456);
  EXPECT_EQ(values.back(), -2.5);
  std::vector<double> block;
  EXPECT_EQ(session.WriteString("BLOCK?", true, t), S_OK);
  EXPECT_EQ(session.ReadBinaryBlock(&block, true, t), S_OK);
  ASSERT_EQ(block.size(), 2u);
  EXPECT_EQ(std::memcmp(&block[0], payload.data(), 8), 0);
  EXPECT_EQ(block[1], 1.0);
  char first = 0;
  const ScanArg one[] = {ScanArg(std::span(&first, 1))};
  EXPECT_EQ(session.QueryFormatted("HALF?", {}, "%c", one, t), S_OK);
  EXPECT_EQ(first, 'A');
  SAFEARRAY* ints = nullptr;
  EXPECT_EQ(session.QueryList("INTS?", ScanArg(&ints, ElemType::I32), t), S_OK);
  ASSERT_NE(ints, nullptr);
  VARTYPE vt = VT_EMPTY;
  TevraSafeArrayGetVartype(ints, &vt);
  EXPECT_EQ(vt, VT_I4);
  EXPECT_EQ(static_cast<std::int32_t*>(ints->pvData)[0], 7);
  TevraSafeArrayDestroy(ints);
}

TEST_F(VisaComSession, AttributesConvertOrSayWhichConversionFailed) {
  OpenFake();
  SessionInterfaceType type = SessionInterfaceType::Other;
  EXPECT_EQ(session.GetInterfaceType(type), S_OK);
  EXPECT_EQ(type, SessionInterfaceType::Tcpip);
  std::uint32_t number = 7;
  EXPECT_EQ(session.GetAttribute(visa::kViAttrRsrcName, number), kIoError);
  EXPECT_EQ(Reported(),
            "Tevra: I/O error: GetAttribute could not convert attribute with ID 3221159938 to a "
            "UINT32 value.");
  EXPECT_EQ(number, 7u);
  std::uint8_t small = 0;
  EXPECT_EQ(session.GetAttribute(visa::kViAttrTcpipPort, small), kIoError);  // above 255
  std::string port;
  EXPECT_EQ(session.GetAttribute(visa::kViAttrTcpipPort, port), S_OK);
  EXPECT_EQ(port, std::to_string(fake.Port()));
}

TEST_F(VisaComSession, WhatTheBindingCannotOfferIsRefusedWithItsOwnMessage) {
  OpenFake();
  std::string key;
  // Each refusal is an I/O error that says what is missing.
  const std::pair<std::function<HRESULT()>, const char*> refusals[] = {
      {[&] { return session.SetProtocol(5); }, "Unsupported VISA I/O protocol."},
      {[&] { return session.Lock(2, 0, "", key); }, "Unsupported VISA session access mode."},
  };
  for (const auto& [call, message] : refusals) {
    platform::ClearThreadError();
    EXPECT_EQ(call(), kIoError) << message;
    EXPECT_TRUE(Reported().starts_with("Tevra: I/O error: ")) << Reported();
    EXPECT_TRUE(Reported().ends_with(message)) << Reported();
  }
  std::int32_t protocol = -1;
  EXPECT_EQ(session.SetProtocol(3), S_OK);
  EXPECT_EQ(session.GetProtocol(protocol), S_OK);
  EXPECT_EQ(protocol, 3);
  EXPECT_EQ(fake.Transcript(), "");
}

}  // namespace
}  // namespace tevra::io
