// Service requests through a VISA session, the same cases over every wire that carries them
// (VXI-11's interrupt channel, HiSLIP's asynchronous channel, the test VISA library's line), and
// the event operations' refusals, which a raw socket session meets as any other.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "emulator/Counter.h"
#include "support/FakeInstrument.h"
#include "support/SessionReads.h"
#include "visa/ResourceManager.h"

namespace tevra::visa {
namespace {

using testing::FakeInstrument;
namespace FakeWire = testing::FakeWire;

struct Wire {
  const char* name;
  emulator::WireSetUp setUp;
};

class ServiceRequest : public ::testing::TestWithParam<Wire> {
 protected:
  void Open(FakeInstrument& fake) {
    ASSERT_TRUE(fake.Start());
    ASSERT_EQ(manager_.Open(fake.ResourceName(), AccessMode::NoLock, 2000, session_), kViSuccess)
        << manager_.LastErrorDescription();
    ASSERT_EQ(session_->SetAttribute(kViAttrTermcharEn, true), kViSuccess);
  }
  ViStatus Enable() { return session_->EnableEvent(kViEventServiceReq, kViQueue); }
  ViStatus Disable() { return session_->DisableEvent(kViEventServiceReq, kViQueue); }
  ViStatus Wait(std::uint32_t timeoutMs) {
    return session_->WaitOnEvent(kViEventServiceReq, timeoutMs);
  }
  // The session still answers in step: a query gets its own reply.
  void ExpectQueryAnswered() {
    ASSERT_EQ(testing::WriteText(*session_, "*IDN?\n"), kViSuccess);
    testing::ExpectRead(*session_, 64, kViSuccess, "Orvane Technologies,QX1300,SN1,1.0\n");
  }

  ResourceManager manager_;
  std::unique_ptr<VisaSession> session_;
};

TEST_P(ServiceRequest, ACommandThatRequestsServiceEndsTheWaitAndDisablingStopsDelivery) {
  FakeInstrument fake({.wire = GetParam().setUp});
  fake.On("*IDN?").Reply("Orvane Technologies,QX1300,SN1,1.0\n");
  fake.On("INIT").NoReply().RequestService();
  fake.On("MEAS?").Reply("+1.0E+6\n").RequestService();
  Open(fake);

  EXPECT_EQ(Wait(0), kViErrorNenabled);
  EXPECT_NE(session_->LastErrorDescription().find("VI_ERROR_NENABLED"), std::string::npos)
      << session_->LastErrorDescription();
  ASSERT_EQ(Enable(), kViSuccess) << session_->LastErrorDescription();
  EXPECT_EQ(Enable(), kViSuccessEventEn);

  // Nothing pending: the wait ends by its timeout, polled or not, and the session goes on.
  EXPECT_EQ(Wait(kViTmoImmediate), kViErrorTmo);
  EXPECT_EQ(Wait(100), kViErrorTmo);
  // A built-in transport names the wait's own timeout; a VISA library gives its own text.
  const std::string description = session_->LastErrorDescription();
  EXPECT_EQ(description.rfind("VI_ERROR_TMO: ", 0), 0u) << description;
  EXPECT_TRUE(description.find("(viWaitOnEvent: no service request within 100 ms)") !=
                  std::string::npos ||
              std::string(GetParam().name) == "visa")
      << description;
  ExpectQueryAnswered();

  // A command without a reply, then a query whose reply comes before its request.
  ASSERT_EQ(testing::WriteText(*session_, "INIT\n"), kViSuccess);
  EXPECT_EQ(Wait(2000), kViSuccess) << session_->LastErrorDescription();
  EXPECT_EQ(Wait(kViTmoImmediate), kViErrorTmo) << "one command, one request";
  ASSERT_EQ(testing::WriteText(*session_, "MEAS?\n"), kViSuccess);
  testing::ExpectRead(*session_, 64, kViSuccess, "+1.0E+6\n");
  EXPECT_EQ(Wait(2000), kViSuccess) << session_->LastErrorDescription();
  ExpectQueryAnswered();

  ASSERT_EQ(Disable(), kViSuccess) << session_->LastErrorDescription();
  EXPECT_EQ(Disable(), kViSuccessEventDis);
  ASSERT_EQ(testing::WriteText(*session_, "INIT\n"), kViSuccess);
  EXPECT_EQ(Wait(200), kViErrorNenabled);
  ExpectQueryAnswered();

  // Enabled again, a request made while they were off is not delivered; a new one is.
  ASSERT_EQ(Enable(), kViSuccess) << session_->LastErrorDescription();
  EXPECT_EQ(Wait(100), kViErrorTmo);
  ASSERT_EQ(testing::WriteText(*session_, "INIT\n"), kViSuccess);
  EXPECT_EQ(Wait(2000), kViSuccess) << session_->LastErrorDescription();
}

TEST_P(ServiceRequest, TheCounterRequestsServiceWhenAnEnabledSummaryBitSets) {
  FakeInstrument fake({.wire = GetParam().setUp});
  fake.SetResponder(std::make_shared<emulator::Counter>("QX1300"));
  Open(fake);
  ASSERT_EQ(Enable(), kViSuccess) << session_->LastErrorDescription();
  ASSERT_EQ(testing::WriteText(*session_, "*ESE 1;*SRE 32;*OPC\n"), kViSuccess);
  EXPECT_EQ(Wait(2000), kViSuccess) << session_->LastErrorDescription();
  ASSERT_EQ(testing::WriteText(*session_, "*STB?\n"), kViSuccess);
  testing::ExpectRead(*session_, 16, kViSuccess, "+96\n");  // ESB and MSS
}

INSTANTIATE_TEST_SUITE_P(Wires, ServiceRequest,
                         ::testing::Values(Wire{"vxi11", FakeWire::Vxi11},
                                           Wire{"hislip", FakeWire::Hislip},
                                           Wire{"visa", FakeWire::Visa}),
                         [](const ::testing::TestParamInfo<Wire>& info) {
                           return std::string(info.param.name);
                         });

TEST(ServiceRequestRefusals, OtherEventsAndMechanismsAndABusWithoutServiceRequests) {
  FakeInstrument fake({.wire = FakeWire::Socket});
  ASSERT_TRUE(fake.Start());
  ResourceManager manager;
  std::unique_ptr<VisaSession> session;
  ASSERT_EQ(manager.Open(fake.ResourceName(), AccessMode::NoLock, 2000, session), kViSuccess);

  enum class Op { Enable, Disable, Wait };
  struct Case {
    Op op;
    ViEventType event;
    std::uint16_t mechanism;
    ViStatus status;
    const char* says;
  };
  constexpr ViEventType kIoCompletion = 0x3FFF2009;
  constexpr std::uint16_t kHandler = 2;
  const Case cases[] = {
      {Op::Enable, kIoCompletion, kViQueue, kViErrorInvEvent,
       "VI_ERROR_INV_EVENT: The event type is not valid or not supported by this resource. "
       "(viEnableEvent: service requests are the only event)"},
      {Op::Enable, kViAllEnabledEvents, kViQueue, kViErrorInvEvent, "(viEnableEvent: service"},
      {Op::Enable, kViEventServiceReq, kHandler, kViErrorInvMech,
       "VI_ERROR_INV_MECH: The event mechanism is not valid. (viEnableEvent: events are "
       "delivered only through the queue)"},
      {Op::Enable, kViEventServiceReq, kViAllMech, kViErrorInvMech, "(viEnableEvent: events"},
      {Op::Disable, kIoCompletion, kViQueue, kViErrorInvEvent, "(viDisableEvent: service"},
      {Op::Disable, kViEventServiceReq, kHandler, kViErrorInvMech, "(viDisableEvent: events"},
      {Op::Wait, kIoCompletion, kViQueue, kViErrorInvEvent, "(viWaitOnEvent: service"},
      // Well formed, on a raw socket: no service requests to enable, so none to wait for.
      {Op::Enable, kViEventServiceReq, kViQueue, kViErrorNsupOper,
       "VI_ERROR_NSUP_OPER: The operation is not supported by this resource. (viEnableEvent)"},
      {Op::Wait, kViAllEnabledEvents, kViQueue, kViErrorNenabled,
       "(viWaitOnEvent: service requests are not enabled)"},
      {Op::Disable, kViAllEnabledEvents, kViAllMech, kViSuccessEventDis, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    ViStatus status;
    switch (c.op) {
      case Op::Enable:
        status = session->EnableEvent(c.event, c.mechanism);
        break;
      case Op::Disable:
        status = session->DisableEvent(c.event, c.mechanism);
        break;
      default:
        status = session->WaitOnEvent(c.event, 10);
    }
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(session->LastStatus(), c.status);
    if (c.status < 0) {
      EXPECT_NE(session->LastErrorDescription().find(c.says), std::string::npos)
          << session->LastErrorDescription();
    } else {
      EXPECT_EQ(session->LastErrorDescription(), "");
    }
  }
}

}  // namespace
}  // namespace tevra::visa
