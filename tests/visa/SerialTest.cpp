// The serial transport over a pty pair: the line settings termios takes and refuses (reads,
// timeouts and the clear run with every wire in WireTest.cpp).
#include <gtest/gtest.h>

#include "support/FakeInstrument.h"
#include "visa/ResourceManager.h"

namespace tevra::visa {
namespace {

using testing::FakeInstrument;
namespace FakeWire = testing::FakeWire;

class SerialSession : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeInstrument::Options options;
    options.wire = FakeWire::Serial;
    fake_ = std::make_unique<FakeInstrument>(options);
    ASSERT_TRUE(fake_->Start());
  }
  ViStatus Open(const OpenOptions& options = {}) {
    return manager_.Open(fake_->ResourceName(), AccessMode::NoLock, 2000, session_, options);
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

}  // namespace
}  // namespace tevra::visa
