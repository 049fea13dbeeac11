// The serial transport over a pty pair: the line settings, bounded reads, and the clear.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/FakeInstrument.h"
#include "support/SessionReads.h"
#include "visa/ResourceManager.h"

namespace tevra::visa {
namespace {

using testing::FakeInstrument;
namespace FakeWire = testing::FakeWire;

class SerialSession : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_ = std::make_unique<FakeInstrument>(FakeInstrument::Options{.wire = FakeWire::Serial});
    fake_->On("*IDN?").Reply("Orvane Technologies,QX1100,SN7,1.0\n");
    fake_->On("SLOW?").Reply("late\n").After(testing::Milliseconds(300));
    ASSERT_TRUE(fake_->Start());
  }
  ViStatus Open(const OpenOptions& options = {}) {
    return manager_.Open(fake_->ResourceName(), AccessMode::NoLock, 2000, session_, options);
  }
  std::string Query(std::string_view command, ViStatus& status) {
    status = testing::WriteText(*session_, command);
    if (status < 0) return {};
    const testing::ReadResult reply = testing::ReadUpTo(*session_, 128);
    status = reply.status;
    return reply.bytes;
  }

  std::unique_ptr<FakeInstrument> fake_;
  ResourceManager manager_;
  std::unique_ptr<VisaSession> session_;
};

TEST_F(SerialSession, TheDriverSetupLineIsAppliedAndChecked) {
  OpenOptions options;
  options.serial = {115200, 8, Parity::None, StopBits::Two, FlowControl::RtsCts};
  ASSERT_EQ(Open(options), kViSuccess) << manager_.LastErrorDescription();
  const std::pair<ViAttr, AttributeValue> expected[] = {
      {kViAttrAsrlBaud, std::uint32_t{115200}}, {kViAttrAsrlDataBits, std::uint16_t{8}},
      {kViAttrAsrlParity, std::uint16_t{0}},    {kViAttrAsrlStopBits, std::uint16_t{20}},
      {kViAttrAsrlFlowCntrl, std::uint16_t{2}},
  };
  for (const auto& [attribute, value] : expected) {
    AttributeValue held;
    ASSERT_EQ(session_->GetAttribute(attribute, held), kViSuccess);
    EXPECT_EQ(held, value) << std::hex << attribute;
  }
  // What termios cannot do is refused with its reason, and the line stays as it was.
  EXPECT_EQ(session_->SetAttribute(kViAttrAsrlBaud, std::uint32_t{12345}), kViErrorNsupAttrState);
  EXPECT_NE(session_->LastErrorDescription().find("baud rate 12345 is not one termios knows"),
            std::string::npos)
      << session_->LastErrorDescription();
  EXPECT_EQ(session_->SetAttribute(kViAttrAsrlFlowCntrl, std::uint16_t{4}), kViErrorNsupAttrState);
  // A pty carries only 8 data bits without parity: the port's own refusal is reported too.
  EXPECT_EQ(session_->SetAttribute(kViAttrAsrlParity, std::uint16_t{2}), kViErrorNsupAttrState);
  EXPECT_NE(session_->LastErrorDescription().find("refuses these settings"), std::string::npos);
  AttributeValue baud;
  ASSERT_EQ(session_->GetAttribute(kViAttrAsrlBaud, baud), kViSuccess);
  EXPECT_EQ(baud, AttributeValue(std::uint32_t{115200}));

  OpenOptions refused;
  refused.serial.flowControl = FlowControl::DtrDsr;
  std::unique_ptr<VisaSession> other;
  EXPECT_EQ(manager_.Open(fake_->ResourceName(), AccessMode::NoLock, 2000, other, refused),
            kViErrorNsupAttrState);
  EXPECT_FALSE(other);
}

TEST_F(SerialSession, ReadsEndOnTheTerminatorWithinTheirTimeoutAndClearDropsALateReply) {
  ASSERT_EQ(Open(), kViSuccess) << manager_.LastErrorDescription();
  ASSERT_EQ(session_->SetAttribute(kViAttrTermcharEn, true), kViSuccess);
  ViStatus status;
  EXPECT_EQ(Query("*IDN?\n", status), "Orvane Technologies,QX1100,SN7,1.0\n");
  EXPECT_EQ(status, kViSuccessTermChar);

  ASSERT_EQ(session_->SetAttribute(kViAttrTmoValue, std::uint32_t{100}), kViSuccess);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Query("SLOW?\n", status), "");
  EXPECT_EQ(status, kViErrorTmo);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(150));
  // The late reply lands in the port's queue; the clear drops it, so the next query gets its
  // own answer.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(session_->Clear(), kViSuccess);
  ASSERT_EQ(session_->SetAttribute(kViAttrTmoValue, std::uint32_t{2000}), kViSuccess);
  EXPECT_EQ(Query("*IDN?\n", status), "Orvane Technologies,QX1100,SN7,1.0\n");
  EXPECT_EQ(fake_->Transcript(), "*IDN?\nSLOW?\n*IDN?\n");
}

}  // namespace
}  // namespace tevra::visa
