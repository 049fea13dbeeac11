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

  HRESULT get_Impedance(double* val) override;
  HRESULT put_Impedance(double val) override;
  HRESULT get_Coupling(IviCounterCouplingEnum* val) override;
  HRESULT put_Coupling(IviCounterCouplingEnum val) override;
  HRESULT get_Attenuation(double* val) override;
  HRESULT put_Attenuation(double val) override;
  HRESULT get_Level(double* val) override;
  HRESULT put_Level(double val) override;
  HRESULT get_Hysteresis(double* val) override;
  HRESULT put_Hysteresis(double val) override;
  HRESULT get_FilterEnabled(VARIANT_BOOL* val) override;
  HRESULT put_FilterEnabled(VARIANT_BOOL val) override;
  HRESULT get_Slope(IviCounterSlopeEnum* val) override;
  HRESULT put_Slope(IviCounterSlopeEnum val) override;
  HRESULT get_MinimumFrequency(double* val) override;
  HRESULT put_MinimumFrequency(double val) override;
  HRESULT get_MaximumFrequency(double* val) override;
  HRESULT put_MaximumFrequency(double val) override;
  HRESULT ConfigureLevel(double TriggerLevel, double Hysteresis) override;
  HRESULT Configure(double Impedance, IviCounterCouplingEnum Coupling, double Attenuation) override;
  HRESULT ConfigureFilter(double MinimumFrequency, double MaximumFrequency) override;

 private:
  ITevraChannel& Instrument();

  TevraChannel& channel_;
};

}  // namespace tevra::counter
