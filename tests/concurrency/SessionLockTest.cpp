// Calls on two driver objects run side by side; objects are created and used on many threads
// (error information per thread is in platform/ErrorInfoTest.cpp). That calls on one object run one
// at a time is shown by SharedSessionTest, where interleaved commands would reach the instrument.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "io/IoSession.h"
#include "support/DriverHandle.h"

namespace tevra::testing {
namespace {

using namespace std::chrono_literals;

// An instrument whose self-test waits (bounded) for another object's self-test to start.
class SlowSession final : public io::CIoSession {
 public:
  struct Shared {
    std::mutex m;
    std::condition_variable cv;
    int arrived = 0;
    bool partnerSeen = false;
  };
  explicit SlowSession(Shared& shared) : s_(shared) {}
  ~SlowSession() override { Close(); }

  HRESULT ReadStatusByte(std::int16_t& b) override { return b = 0, S_OK; }
  HRESULT Clear() override { return S_OK; }
  HRESULT GetTimeout(std::int32_t& ms) override { return ms = 2000, S_OK; }
  HRESULT SetTimeout(std::int32_t) override { return S_OK; }
  HRESULT GetTerminationCharacter(std::uint8_t& c) override { return c = '\n', S_OK; }
  HRESULT SetTerminationCharacter(std::uint8_t) override { return S_OK; }
  HRESULT GetTerminationCharacterEnabled(bool& on) override { return on = true, S_OK; }
  HRESULT SetTerminationCharacterEnabled(bool) override { return S_OK; }
  HRESULT GetSendEndEnabled(bool& on) override { return on = true, S_OK; }
  HRESULT SetSendEndEnabled(bool) override { return S_OK; }
  HRESULT Lock(std::int32_t, std::int32_t, std::string_view, std::string&) override { return S_OK; }
  HRESULT Unlock() override { return S_OK; }
  HRESULT LibraryWrite(std::span<const std::uint8_t> data, std::size_t& n, std::int32_t) override {
    const std::string_view command(reinterpret_cast<const char*>(data.data()), data.size());
    n = data.size();
    if (command.starts_with("*IDN?")) reply_ = "Orvane Technologies,QX1300,1,1\n";
    if (command.starts_with("*OPT?")) reply_ = "431\n";
    if (command.starts_with("*TST?")) SelfTest();
    return S_OK;
  }
  HRESULT LibraryRead(std::span<std::uint8_t> buffer, std::size_t& n, std::int32_t) override {
    n = std::min(buffer.size(), reply_.size());
    std::copy_n(reply_.begin(), n, buffer.begin());
    reply_.erase(0, n);
    return S_OK;
  }

 protected:
  HRESULT OpenResource(std::string_view) override { return S_OK; }
  void CloseResource() override {}

 private:
  void SelfTest() {
    std::unique_lock lock(s_.m);
    ++s_.arrived;
    s_.cv.notify_all();
    if (s_.cv.wait_for(lock, 2s, [&] { return s_.arrived >= 2; })) s_.partnerSeen = true;
    reply_ = "0\n";
  }

  std::string reply_;
  Shared& s_;
};

TEST(SessionLock, TwoObjectsRunInParallel) {
  SlowSession::Shared shared;
  DriverHandle a(std::make_unique<SlowSession>(shared));
  DriverHandle b(std::make_unique<SlowSession>(shared));
  ASSERT_EQ(a.Initialize("TCPIP::a::5025::SOCKET", ""), S_OK);
  ASSERT_EQ(b.Initialize("TCPIP::b::5025::SOCKET", ""), S_OK);
  auto selfTest = [](DriverHandle& h) {
    LONG result = 0;
    BSTR message = nullptr;
    EXPECT_EQ(h.utility->SelfTest(&result, &message), S_OK);
    TevraSysFreeString(message);
  };
  std::thread ta([&] { selfTest(a); });
  std::thread tb([&] { selfTest(b); });
  ta.join();
  tb.join();
  // Each object's exchange saw the other's start while it was still running.
  EXPECT_TRUE(shared.partnerSeen);
}

TEST(SessionLock, ObjectsCreatedAndUsedOnManyThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 20; ++i) {
        DriverHandle handle;
        EXPECT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX1200", true), S_OK);
        EXPECT_EQ(GetText([&](BSTR* v) { return handle.identity->get_InstrumentModel(v); }),
                  "QX1200");
        EXPECT_EQ(handle.Close(), S_OK);
      }
    });
  }
  for (auto& t : threads) t.join();
}

}  // namespace
}  // namespace tevra::testing
