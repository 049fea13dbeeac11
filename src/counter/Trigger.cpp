#include "counter/Trigger.h"

#include "counter/Setting.h"

namespace tevra::counter {
namespace {

using core::kNoModels;

constexpr const IID* kIid = &IID_ITevraTrigger;
constexpr const char* kItf = "ITevraTrigger";

constexpr Setting kCount{{kIid, kItf, "get_Count", 0, kNoModels, "TRIG:COUN?", "%d"},
                         {kIid, kItf, "put_Count", 0, kNoModels, "TRIG:COUN %d"},
                         "ITevraTrigger.Count"};
constexpr Setting kDelay{{kIid, kItf, "get_Delay", 0, kNoModels, "TRIG:DEL?"},
                         {kIid, kItf, "put_Delay", 0, kNoModels, "TRIG:DEL %d"},
                         "ITevraTrigger.Delay"};
constexpr Setting kSlope{
    {kIid, kItf, "get_Slope", 0, kNoModels, "TRIG:SLOP?", "%{TevraSlopeEnum}s"},
    {kIid, kItf, "put_Slope", 0, kNoModels, "TRIG:SLOP %{TevraSlopeEnum}s"},
    "ITevraTrigger.Slope"};
constexpr Setting kSource{
    {kIid, kItf, "get_Source", 0, kNoModels, "TRIG:SOUR?", "%{TevraTriggerSourceEnum}s"},
    {kIid, kItf, "put_Source", 0, kNoModels, "TRIG:SOUR %{TevraTriggerSourceEnum}s"},
    "ITevraTrigger.Source"};
constexpr Setting kSampleCount{{kIid, kItf, "get_SampleCount", 0, kNoModels, "SAMP:COUN?", "%d"},
                               {kIid, kItf, "put_SampleCount", 0, kNoModels, "SAMP:COUN %d"},
                               "ITevraTrigger.SampleCount"};

constexpr core::MethodRecord kSendSoftwareTrigger{kIid, kItf,      "SendSoftwareTrigger",
                                                  0,    kNoModels, "*TRG"};

}  // namespace

HRESULT TriggerInterface::SendSoftwareTrigger() {
  return SendCommand(driver_, kSendSoftwareTrigger);
}

HRESULT TriggerInterface::get_Count(LONG* val) { return GetSetting(driver_, kCount, val); }
HRESULT TriggerInterface::put_Count(LONG val) { return PutSetting(driver_, kCount, val); }
HRESULT TriggerInterface::get_Delay(LONG* val) { return GetSetting(driver_, kDelay, val); }
HRESULT TriggerInterface::put_Delay(LONG val) { return PutSetting(driver_, kDelay, val); }
HRESULT TriggerInterface::get_Slope(TevraSlopeEnum* val) {
  return GetSetting(driver_, kSlope, val);
}
HRESULT TriggerInterface::put_Slope(TevraSlopeEnum val) { return PutSetting(driver_, kSlope, val); }
HRESULT TriggerInterface::get_Source(TevraTriggerSourceEnum* val) {
  return GetSetting(driver_, kSource, val);
}
HRESULT TriggerInterface::put_Source(TevraTriggerSourceEnum val) {
  return PutSetting(driver_, kSource, val);
}
HRESULT TriggerInterface::get_SampleCount(LONG* val) {
  return GetSetting(driver_, kSampleCount, val);
}
HRESULT TriggerInterface::put_SampleCount(LONG val) {
  return PutSetting(driver_, kSampleCount, val);
}

}  // namespace tevra::counter
