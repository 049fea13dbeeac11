// Opens a Tevra driver session (simulated unless a resource name is given), prints the driver's
// and the instrument's identity, measures the frequency on channel 1 with a trigger count and a
// sample count, prints the readings and closes the session.
//
//   tevra_measure                          simulated QX1300, 1 trigger of 5 samples
//   tevra_measure "" "Model=QX1100"        simulated QX1100
//   tevra_measure TCPIP::10.0.0.5::5025::SOCKET
//   tevra_measure TCPIP::10.0.0.5::5025::SOCKET "" 4 10      4 triggers of 10 samples
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ExampleSession.h"

namespace {

using namespace example;

template <class Getter>
std::string Property(Getter getter) {
  BSTR value = nullptr;
  if (FAILED(getter(&value))) return "<" + LastError() + ">";
  std::string text = ToText(value);
  TevraSysFreeString(value);
  return text;
}

// Frequency on channel 1, triggers x samples readings; false when a step failed.
bool MeasureFrequency(ITevra* driver, LONG triggers, LONG samples) {
  ITevraFrequency* frequency = Interface<ITevraFrequency>(driver, IID_ITevraFrequency);
  ITevraTrigger* trigger = Interface<ITevraTrigger>(driver, IID_ITevraTrigger);
  ITevraMeasurement* measurement = Interface<ITevraMeasurement>(driver, IID_ITevraMeasurement);
  bool ok = frequency && trigger && measurement;
  if (!ok) std::fprintf(stderr, "the driver lacks a measurement interface\n");
  SAFEARRAY* readings = nullptr;
  ok = ok && Succeeded(frequency->ConfigureAuto(1), "ConfigureAuto") &&
       Succeeded(trigger->put_Count(triggers), "Trigger count") &&
       Succeeded(trigger->put_SampleCount(samples), "Sample count") &&
       Succeeded(measurement->Read(10000, &readings), "Read");
  if (ok) {
    LONG last = -1;
    TevraSafeArrayGetUBound(readings, 1, &last);
    double* values = nullptr;
    TevraSafeArrayAccessData(readings, reinterpret_cast<void**>(&values));
    std::printf("Readings:     %ld (%ld triggers x %ld samples, Hz)\n", static_cast<long>(last + 1),
                static_cast<long>(triggers), static_cast<long>(samples));
    for (LONG i = 0; i <= last; ++i)
      std::printf("  %4ld  %.15g\n", static_cast<long>(i), values[i]);
    TevraSafeArrayUnaccessData(readings);
    TevraSafeArrayDestroy(readings);
  }
  ReleaseAll(frequency, trigger, measurement);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string resource = argc > 1 ? argv[1] : "";
  const std::string setup = argc > 2 ? argv[2] : "";
  const LONG triggers = argc > 3 ? std::atoi(argv[3]) : 1;
  const LONG samples = argc > 4 ? std::atoi(argv[4]) : 5;
  ITevra* driver = OpenDriver(resource, setup);
  if (!driver) return 1;

  IIviDriverIdentity* identity = nullptr;
  driver->get_Identity(&identity);
  std::printf("Driver:       %s %s (%s)\n",
              Property([&](BSTR* v) { return identity->get_Identifier(v); }).c_str(),
              Property([&](BSTR* v) { return identity->get_Revision(v); }).c_str(),
              Property([&](BSTR* v) { return identity->get_Vendor(v); }).c_str());
  std::printf("Description:  %s\n",
              Property([&](BSTR* v) { return identity->get_Description(v); }).c_str());
  std::printf("Manufacturer: %s\n",
              Property([&](BSTR* v) { return identity->get_InstrumentManufacturer(v); }).c_str());
  std::printf("Model:        %s\n",
              Property([&](BSTR* v) { return identity->get_InstrumentModel(v); }).c_str());
  std::printf("Firmware:     %s\n", Property([&](BSTR* v) {
                                      return identity->get_InstrumentFirmwareRevision(v);
                                    }).c_str());
  identity->Release();

  const bool measured = MeasureFrequency(driver, triggers, samples);
  return Finish(driver, measured);
}
