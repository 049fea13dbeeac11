// IIviCounterChannel: the class-compliant view of a channel. Every call converts its values and
// runs the channel's ITevraChannel operation as a nested call of its own.
#pragma once

#include "core/Embedded.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

class TevraChannel;

class ClassChannel final : public core::Embedded<IIviCounterChannel> {
 public:
  ClassChannel(TevraChannel& channel);

#define TEVRA_ROWS "counter/members/IIviCounterChannel.def"
#include "core/DeclareAccessors.inc"
  HRESULT ConfigureLevel(double TriggerLevel, double Hysteresis) override;
  HRESULT Configure(double Impedance, IviCounterCouplingEnum Coupling, double Attenuation) override;
  HRESULT ConfigureFilter(double MinimumFrequency, double MaximumFrequency) override;

 private:
  ITevraChannel& Instrument();

  TevraChannel& channel_;
};

}  // namespace tevra::counter
