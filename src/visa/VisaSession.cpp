#include "visa/VisaSession.h"

namespace tevra::visa {

const char* VisaSession::OperationName(EventOperation operation) {
  switch (operation) {
    case EventOperation::Enable:
      return "viEnableEvent";
    case EventOperation::Disable:
      return "viDisableEvent";
    default:
      return "viWaitOnEvent";
  }
}

ViStatus VisaSession::CheckEvent(EventOperation operation, ViEventType event,
                                 std::uint16_t mechanism) {
  // Disabling and waiting may name every enabled event; enabling names the one it enables.
  const bool anyEnabled = operation != EventOperation::Enable && event == kViAllEnabledEvents;
  const bool anyMechanism = operation == EventOperation::Disable && mechanism == kViAllMech;
  ViStatus status = kViSuccess;
  const char* detail = nullptr;
  if (event != kViEventServiceReq && !anyEnabled) {
    status = kViErrorInvEvent;
    detail = "service requests are the only event";
  } else if (mechanism != kViQueue && !anyMechanism) {
    status = kViErrorInvMech;
    detail = "events are delivered only through the queue";
  } else {
    return kViSuccess;
  }
  return Fail(status, OperationName(operation), detail);
}

ViStatus VisaSession::Fail(ViStatus status, std::string_view operation, std::string_view detail) {
  lastStatus_ = status;
  lastErrorDescription_ = DescribeFailure(status, operation, detail);
  return status;
}

}  // namespace tevra::visa
