// ITevraChannel: the settings of one input channel, each sent with the channel's number. The
// plain settings are rows of the member file run by the generic accessors; impedance, range and
// probe factor say more.
#pragma once

#include "core/Embedded.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

class TevraChannel;

class ChannelSettings final : public core::Embedded<ITevraChannel> {
 public:
  ChannelSettings(TevraChannel& channel);

#define TEVRA_ROWS "counter/members/ITevraChannel.def"
#include "core/DeclareAccessors.inc"
  HRESULT ConfigureLevel(double Voltage, VARIANT_BOOL NoiseRejectEnabled) override;
  HRESULT Configure(TevraImpedanceEnum Impedance, TevraCouplingEnum Coupling,
                    TevraAttenuationFactorEnum Range) override;

 private:
  TevraChannel& channel_;
};

}  // namespace tevra::counter
