// ITevraSystem: WaitForOperationComplete waits for the instrument's "*OPC?" reply, at least
// 100 ms, with the status check off for the wait; TraceEnabled switches the method trace
// (SystemTrace.cpp).
#pragma once

#include "core/Embedded.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

class Tevra;

class OperationCompleteInterface final : public core::Embedded<ITevraSystem> {
 public:
  OperationCompleteInterface(core::IObjectRoot& root, Tevra& driver)
      : Embedded(root), driver_(driver) {}

  HRESULT WaitForOperationComplete(LONG MaxTimeMilliseconds) override;
#define TEVRA_ROWS "counter/members/ITevraSystem.def"
#include "core/DeclareAccessors.inc"

 private:
  Tevra& driver_;
};

}  // namespace tevra::counter
