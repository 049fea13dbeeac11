// ITevraTrigger: trigger count, delay, slope and source, samples per trigger, and the software
// trigger. Every property is a declared setting; in simulation Count and SampleCount size the
// readings of a simulated Read or Fetch.
#pragma once

#include "core/Embedded.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

class Tevra;

class TriggerInterface final : public core::Embedded<ITevraTrigger> {
 public:
  TriggerInterface(core::IObjectRoot& root, Tevra& driver) : Embedded(root), driver_(driver) {}

  HRESULT SendSoftwareTrigger() override;
  HRESULT get_Count(LONG* val) override;
  HRESULT put_Count(LONG val) override;
  HRESULT get_Delay(LONG* val) override;
  HRESULT put_Delay(LONG val) override;
  HRESULT get_Slope(TevraSlopeEnum* val) override;
  HRESULT put_Slope(TevraSlopeEnum val) override;
  HRESULT get_Source(TevraTriggerSourceEnum* val) override;
  HRESULT put_Source(TevraTriggerSourceEnum val) override;
  HRESULT get_SampleCount(LONG* val) override;
  HRESULT put_SampleCount(LONG val) override;

 private:
  Tevra& driver_;
};

}  // namespace tevra::counter
