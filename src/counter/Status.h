// The status registers: the service request, the registers' parts by register and part, and the
// serial poll. Preset and Clear are rows of the member file.
#pragma once

#include <memory>

#include "counter/DriverPart.h"
#include "counter/InterfaceGroup.h"

namespace tevra::counter {

class StatusInterface final : public DriverPart<ITevraStatus> {
 public:
  using DriverPart::DriverPart;
  HRESULT ConfigureServiceRequest(LONG Reason) override;
  HRESULT get_Register(TevraStatusRegisterEnum Register, TevraStatusSubRegisterEnum SubRegister,
                       LONG* val) override;
  HRESULT put_Register(TevraStatusRegisterEnum Register, TevraStatusSubRegisterEnum SubRegister,
                       LONG val) override;
#define TEVRA_ROWS "counter/members/ITevraStatus.def"
#include "core/DeclareAccessors.inc"
};

std::unique_ptr<InterfaceGroup> CreateStatusGroup(Tevra& driver);

}  // namespace tevra::counter
