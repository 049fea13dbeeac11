#include "counter/Measurement.h"

#include "counter/Property.h"
#include "platform/SafeArray.h"

namespace tevra::counter {
namespace {

// The first reading of the array an instrument-specific read returned; the array is destroyed.
template <class ReadArray>
HRESULT FirstReading(ReadArray readArray, double* val) {
  SAFEARRAY* array = nullptr;
  if (HRESULT hr = readArray(&array); FAILED(hr)) return hr;
  const platform::SafeArrayPtr owned(array);
  constexpr VARTYPE kDoubles[] = {VT_R8};
  void* data = nullptr;
  std::size_t count = 0;
  if (!platform::ViewVector(array, kDoubles, data, count) || count == 0) return E_INVALIDARG;
  *val = static_cast<const double*>(data)[0];
  return S_OK;
}

}  // namespace

HRESULT ClassMeasurementInterface::Abort() {
  return driver_.Enter(rows::IIviCounterMeasurement_Abort.record,
                       [&] { return instrument_.Abort(); });
}

HRESULT ClassMeasurementInterface::Initiate() {
  return driver_.Enter(rows::IIviCounterMeasurement_Initiate.record,
                       [&] { return instrument_.Initiate(); });
}

HRESULT ClassMeasurementInterface::Fetch(double* Val) {
  return driver_.Enter(
      rows::IIviCounterMeasurement_Fetch.record,
      [&] {
        return FirstReading([&](SAFEARRAY** array) { return instrument_.Fetch(array); }, Val);
      },
      core::Out("Val", Val));
}

HRESULT ClassMeasurementInterface::Read(LONG MaxTimeMilliseconds, double* Val) {
  return driver_.Enter(
      rows::IIviCounterMeasurement_Read.record,
      [&] {
        return FirstReading(
            [&](SAFEARRAY** array) { return instrument_.Read(MaxTimeMilliseconds, array); }, Val);
      },
      core::In("MaxTimeMilliseconds", MaxTimeMilliseconds), core::Out("Val", Val));
}

HRESULT ClassMeasurementInterface::IsMeasurementComplete(
    IviCounterMeasurementStatusEnum* MeasurementStatus) {
  return driver_.Enter(
      rows::IIviCounterMeasurement_IsMeasurementComplete.record,
      [&] {
        return driver_.Reporter().Report(Code::MethodNotSupported,
                                         "Measurement_IsMeasurementComplete");
      },
      core::Out("MeasurementStatus", MeasurementStatus));
}

}  // namespace tevra::counter
