// The pass-through I/O of the system interface and the formatted I/O object over the fake
// instrument: the bytes go out unformatted and without a status check, responses come back whole
// or cut as each read form says, and a simulated driver refuses them all.
#include <cstring>

#include "CounterTestSupport.h"
#include "platform/SafeArray.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x8004701D);

std::string Bytes(SAFEARRAY* array) {
  void* data = nullptr;
  std::size_t count = 0;
  constexpr VARTYPE kBytes[] = {VT_UI1};
  std::string text;
  if (platform::ViewVector(array, kBytes, data, count))
    text.assign(static_cast<const char*>(data), count);
  TevraSafeArrayDestroy(array);
  return text;
}

SAFEARRAY* ByteArray(std::string_view bytes) {
  SAFEARRAY* array = TevraSafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  void* data = nullptr;
  std::size_t count = 0;
  constexpr VARTYPE kBytes[] = {VT_UI1};
  if (platform::ViewVector(array, kBytes, data, count)) std::memcpy(data, bytes.data(), count);
  return array;
}

class SystemIo : public ::testing::Test {
 protected:
  void SetUp() override {
    d.fake.On("ABC?").Reply("abcdefg\n");
    d.fake.On("XYZ?").Reply("xyz\n");
    d.fake.On("*ESR?").Reply("+0\n");
    d.Open("QX1300", "431");
    // The status check stays on: none of the pass-through calls may add "*ESR?" to the wire.
    ASSERT_EQ(d.handle.operation->put_QueryInstrumentStatus(VARIANT_TRUE), S_OK);
    d.ExpectWire("*CLS\n*ESR?\n");
    system = d.Get<ITevraSystem3>(IID_ITevraSystem3);
  }
  std::string ReadString() {
    return GetText([&](BSTR* v) { return system->ReadString(v); });
  }
  HRESULT Write(const char* text) {
    platform::Bstr command(text);
    return system->WriteString(command.get());
  }

  SocketDriver d;
  ITevraSystem3* system = nullptr;
};

TEST_F(SystemIo, StringsAndBytesPassThroughUnformatted) {
  ASSERT_EQ(Write("ABC?\n"), S_OK);
  EXPECT_EQ(ReadString(), "abcdefg");
  SAFEARRAY* data = ByteArray("XYZ?\n");
  LONG written = 0;
  ASSERT_EQ(system->WriteBytes2(data, &written), S_OK);
  TevraSafeArrayDestroy(data);
  EXPECT_EQ(written, 5);
  SAFEARRAY* read = nullptr;
  ASSERT_EQ(system->ReadBytes(64, &read), S_OK);
  EXPECT_EQ(Bytes(read), "xyz\n");
  d.ExpectWire("ABC?\nXYZ?\n");
}

// ReadBytes drops what is beyond its count, so the next query's reply is its own; ReadBytes2
// leaves it for the next read.
TEST_F(SystemIo, ReadFormsCutAsTheySay) {
  SAFEARRAY* read = nullptr;
  ASSERT_EQ(Write("ABC?\n"), S_OK);
  ASSERT_EQ(system->ReadBytes(4, &read), S_OK);
  EXPECT_EQ(Bytes(read), "abcd");
  ASSERT_EQ(Write("XYZ?\n"), S_OK);
  EXPECT_EQ(ReadString(), "xyz");

  ASSERT_EQ(Write("ABC?\n"), S_OK);
  ASSERT_EQ(system->ReadBytes2(4, &read), S_OK);
  EXPECT_EQ(Bytes(read), "abcd");
  ASSERT_EQ(system->ReadBytes2(64, &read), S_OK);
  EXPECT_EQ(Bytes(read), "efg\n");

  EXPECT_EQ(system->ReadBytes(0, &read), static_cast<HRESULT>(0x80047010));
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Invalid value '0' for method 'ReadBytes', parameter 'Count'.");
  d.ExpectWire("ABC?\nXYZ?\nABC?\n");
}

TEST_F(SystemIo, TheFormattedIoObjectTalksOnTheDriversSession) {
  IFormattedIO488* io = nullptr;
  ASSERT_EQ(system->get_DirectIO(&io), S_OK);
  platform::Bstr command("ABC?\n");
  ASSERT_EQ(io->WriteString(command.get(), VARIANT_TRUE), S_OK);
  EXPECT_EQ(GetText([&](BSTR* v) { return io->ReadString(v); }), "abcdefg");
  ASSERT_EQ(io->WriteNumber(2.5, VARIANT_TRUE), S_OK) << TakeErrorDescription();
  d.ExpectWire("ABC?\n2.500000\n");
  // The object keeps the driver alive; its calls fail once the session is closed.
  ASSERT_EQ(d.handle.Close(), S_OK);
  EXPECT_EQ(io->FlushRead(), kNotInitialized);
  io->Release();
}

TEST_F(SystemIo, SystemResetIsTheDriversReset) {
  d.fake.On("*RST;*OPC?").Reply("1\n");
  ASSERT_EQ(system->Reset(), S_OK) << TakeErrorDescription();
  d.ExpectWire("*RST;*OPC?\n*ESR?\n");
}

TEST(SystemIoSimulated, EveryPassThroughIsRefused) {
  CounterDriver d;
  d.Simulate("QX1300");
  auto* system = d.Get<ITevraSystem3>(IID_ITevraSystem3);
  platform::Bstr command("ABC?");
  SAFEARRAY* data = ByteArray("A");
  SAFEARRAY* read = nullptr;
  BSTR text = nullptr;
  LONG written = 0;
  const std::function<HRESULT()> calls[] = {[&] { return system->WriteString(command.get()); },
                                            [&] { return system->ReadString(&text); },
                                            [&] { return system->ClearIO(); },
                                            [&] { return system->ReadBytes(4, &read); },
                                            [&] { return system->WriteBytes(data); },
                                            [&] { return system->ReadBytes2(4, &read); },
                                            [&] { return system->WriteBytes2(data, &written); }};
  for (const auto& call : calls) {
    EXPECT_EQ(call(), kNotInitialized);
    EXPECT_EQ(TakeErrorDescription(),
              "Tevra: A connection to the instrument has not been established.");
  }
  TevraSafeArrayDestroy(data);
  EXPECT_EQ(read, nullptr);
  EXPECT_TRUE(d.script.sent.empty());
}

}  // namespace
}  // namespace tevra::testing
