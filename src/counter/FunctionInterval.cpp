// Time interval, phase and time stamps.
#include <algorithm>

#include "core/FormatArgs.h"
#include "counter/FunctionImpls.h"
#include "counter/FunctionTable.h"
#include "counter/Property.h"
#include "platform/SafeArray.h"

namespace tevra::counter {
namespace {

using core::In;
using core::Out;
using namespace functions;

// The simulated time stamps: Count readings 1 µs apart, each the running sum of the steps.
HRESULT SimulatedTimeStamps(LONG count, SAFEARRAY** val) {
  SAFEARRAY* array = TevraSafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(count));
  if (!array) return E_OUTOFMEMORY;
  void* data = nullptr;
  if (HRESULT hr = TevraSafeArrayAccessData(array, &data); FAILED(hr)) {
    TevraSafeArrayDestroy(array);
    return hr;
  }
  double stamp = 0.0;
  for (LONG i = 0; i < count; ++i) {
    static_cast<double*>(data)[i] = stamp;
    stamp += 1e-06;
  }
  TevraSafeArrayUnaccessData(array);
  *val = array;
  return S_OK;
}

// A time-stamp run needs at least one reading.
HRESULT CheckCount(Tevra& driver, const Method& method, LONG count) {
  if (count >= 1) return S_OK;
  return driver.Reporter().ReportInvalidValueInt(method.errorName, "Count", count, "%d");
}

}  // namespace

HRESULT TimeIntervalImpl::Configure(LONG StartChannel, LONG StopChannel) {
  return RunTemplate(d_, rows::ITevraTimeInterval_Configure,
                     {{"StartChannel", double(StartChannel)}, {"StopChannel", double(StopChannel)}},
                     nullptr, In("StartChannel", StartChannel), In("StopChannel", StopChannel));
}
HRESULT TimeIntervalImpl::ConfigureSingleChannel(LONG Channel) {
  return RunTemplate(d_, rows::ITevraTimeInterval_ConfigureSingleChannel,
                     {{"Channel", double(Channel)}}, nullptr, In("Channel", Channel));
}
HRESULT TimeIntervalImpl::Measure(LONG StartChannel, LONG StopChannel, double* Data) {
  return RunTemplate(d_, rows::ITevraTimeInterval_Measure,
                     {{"StartChannel", double(StartChannel)}, {"StopChannel", double(StopChannel)}},
                     Data, In("StartChannel", StartChannel), In("StopChannel", StopChannel),
                     Out("Data", Data));
}

// The input channel is checked before the reference channel.
HRESULT PhaseImpl::Configure(LONG ReferenceChannel, LONG InputChannel) {
  return RunTemplate(
      d_, rows::ITevraPhase_Configure,
      {{"InputChannel", double(InputChannel)}, {"ReferenceChannel", double(ReferenceChannel)}},
      nullptr, In("ReferenceChannel", ReferenceChannel), In("InputChannel", InputChannel));
}
HRESULT PhaseImpl::Measure(LONG ReferenceChannel, LONG InputChannel, double* Measurement) {
  return RunTemplate(
      d_, rows::ITevraPhase_Measure,
      {{"InputChannel", double(InputChannel)}, {"ReferenceChannel", double(ReferenceChannel)}},
      Measurement, In("ReferenceChannel", ReferenceChannel), In("InputChannel", InputChannel),
      Out("Measurement", Measurement));
}

HRESULT TimeStampImpl::Configure(LONG Count, LONG Channel) {
  auto build = [&](core::CommandText&) {
    return CheckCount(d_, rows::ITevraTimeStamp_Configure, Count);
  };
  return RunFunction(d_, rows::ITevraTimeStamp_Configure, {{"Channel", double(Channel)}}, nullptr,
                     build, In("Count", Count), In("Channel", Channel));
}

HRESULT TimeStampImpl::Measure(LONG Count, LONG Channel, SAFEARRAY** Val) {
  const Method& method = rows::ITevraTimeStamp_Measure;
  return d_.Enter(
      method.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (HRESULT hr = CheckChannels(d_, method, {{"Channel", double(Channel)}}); FAILED(hr))
          return hr;
        if (HRESULT hr = CheckCount(d_, method, Count); FAILED(hr)) return hr;
        if (d_.Simulating()) return SimulatedTimeStamps(Count, Val);
        // A long run of stamps takes a while to collect; the session timeout is only raised.
        return QueryDoubles(d_.Io(), frame.command, Val, kTimeStampTimeout);
      },
      In("Count", Count), In("Channel", Channel), Out("Val", Val));
}

#define TEVRA_ROWS "counter/members/ITevraPhase.def"
#define TEVRA_CLASS PhaseImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

#define TEVRA_ROWS "counter/members/ITevraTimeStamp.def"
#define TEVRA_CLASS TimeStampImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

}  // namespace tevra::counter
