// ITevraChannel: the settings of one input channel, each sent with the channel's number. The
// plain settings are declared rows run by the generic accessors; impedance, range, probe factor
// and strength have rules of their own.
#pragma once

#include "core/Embedded.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

class TevraChannel;

class ChannelSettings final : public core::Embedded<ITevraChannel> {
 public:
  ChannelSettings(TevraChannel& channel);

  HRESULT get_Impedance(TevraImpedanceEnum* val) override;
  HRESULT put_Impedance(TevraImpedanceEnum val) override;
  HRESULT get_Coupling(TevraCouplingEnum* val) override;
  HRESULT put_Coupling(TevraCouplingEnum val) override;
  HRESULT get_Range(TevraAttenuationFactorEnum* val) override;
  HRESULT put_Range(TevraAttenuationFactorEnum val) override;
  HRESULT get_Voltage1(double* val) override;
  HRESULT put_Voltage1(double val) override;
  HRESULT get_Voltage2(double* val) override;
  HRESULT put_Voltage2(double val) override;
  HRESULT get_FilterEnabled(VARIANT_BOOL* val) override;
  HRESULT put_FilterEnabled(VARIANT_BOOL val) override;
  HRESULT get_Slope1(TevraSlopeEnum* val) override;
  HRESULT put_Slope1(TevraSlopeEnum val) override;
  HRESULT get_Slope2(TevraSlopeEnum* val) override;
  HRESULT put_Slope2(TevraSlopeEnum val) override;
  HRESULT get_NoiseRejectEnabled(VARIANT_BOOL* val) override;
  HRESULT put_NoiseRejectEnabled(VARIANT_BOOL val) override;
  HRESULT get_ProbeFactor(TevraProbeFactorEnum* val) override;
  HRESULT put_ProbeFactor(TevraProbeFactorEnum val) override;
  HRESULT get_AutoLevelEnabled(VARIANT_BOOL* val) override;
  HRESULT put_AutoLevelEnabled(VARIANT_BOOL val) override;
  HRESULT get_IsProtectionEnable(VARIANT_BOOL* val) override;
  HRESULT get_Percentage1(LONG* val) override;
  HRESULT put_Percentage1(LONG val) override;
  HRESULT get_Percentage2(LONG* val) override;
  HRESULT put_Percentage2(LONG val) override;
  HRESULT get_Strength(LONG* val) override;
  HRESULT ConfigureLevel(double Voltage, VARIANT_BOOL NoiseRejectEnabled) override;
  HRESULT Configure(TevraImpedanceEnum Impedance, TevraCouplingEnum Coupling,
                    TevraAttenuationFactorEnum Range) override;
  HRESULT ResetProtection() override;
  HRESULT AutoLevelOnce() override;

 private:
  // Message 50 for the microwave channel, which has none of these settings.
  HRESULT CheckNotMicrowave();
  HRESULT CheckStrengthChannel();

  TevraChannel& channel_;
};

}  // namespace tevra::counter
