// The measurement-function members of the driver's root interface: the function selector, the
// configuration query and the getters of the function interfaces.
#include <algorithm>
#include <string>

#include "counter/ChannelProbe.h"
#include "counter/Property.h"
#include "counter/Tevra.h"
#include "platform/Bstr.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {
namespace {

using core::kQX1100;
using core::kQX1200;
using core::kQX1300;

constexpr std::uint8_t kAllModels = kQX1100 | kQX1200 | kQX1300;
constexpr std::uint8_t kQX1200Up = kQX1200 | kQX1300;
using rows::kQX1300Only;

// The word FUNC selects for a function, and the models that offer it.
struct FunctionChoice {
  TevraMeasurementFunctionEnum value;
  const char* word;
  std::uint8_t models;
  bool needsBurstOption = false;
};

constexpr FunctionChoice kFunctionChoices[] = {
    {TevraMeasurementFunctionFrequency1, "FREQ", kAllModels},
    {TevraMeasurementFunctionFrequency2, "FREQ 2", kAllModels},
    {TevraMeasurementFunctionFrequency3, "FREQ 3", kQX1200Up},
    {TevraMeasurementFunctionFrequencyRatio1and2, "FREQ:RAT 1,2", kAllModels},
    {TevraMeasurementFunctionFrequencyRatio2and1, "FREQ:RAT 2,1", kAllModels},
    {TevraMeasurementFunctionFrequencyRatio1and3, "FREQ:RAT 1,3", kQX1200Up},
    {TevraMeasurementFunctionFrequencyRatio2and3, "FREQ:RAT 2,3", kQX1200Up},
    {TevraMeasurementFunctionFrequencyRatio3and2, "FREQ:RAT 3,2", kQX1200Up},
    {TevraMeasurementFunctionFrequencyRatio3and1, "FREQ:RAT 3,1", kQX1200Up},
    {TevraMeasurementFunctionPeriod1, "PER 1", kAllModels},
    {TevraMeasurementFunctionPeriod2, "PER 2", kAllModels},
    {TevraMeasurementFunctionPeriod3, "PER 3", kQX1200Up},
    {TevraMeasurementFunctionTimeInterval1and2, "TINT 1,2", kQX1200Up},
    {TevraMeasurementFunctionTimeInterval2and1, "TINT 2,1", kQX1200Up},
    {TevraMeasurementFunctionTimeInterval1, "TINT 1", kQX1200Up},
    {TevraMeasurementFunctionTimeInterval2, "TINT 2", kQX1200Up},
    {TevraMeasurementFunctionPhase1and2, "PHAS 1,2", kQX1200Up},
    {TevraMeasurementFunctionPhase2and1, "PHAS 2,1", kQX1200Up},
    {TevraMeasurementFunctionTotalize1, "TOT 1", kQX1200Up},
    {TevraMeasurementFunctionTotalize2, "TOT 2", kQX1200Up},
    {TevraMeasurementFunctionFallTime1, "FTIM 1", kQX1200Up},
    {TevraMeasurementFunctionFallTime2, "FTIM 2", kQX1200Up},
    {TevraMeasurementFunctionRiseTime1, "RTIM 1", kQX1200Up},
    {TevraMeasurementFunctionRiseTime2, "RTIM 2", kQX1200Up},
    {TevraMeasurementFunctionNegativeDutyCycle1, "NDUT 1", kQX1200Up},
    {TevraMeasurementFunctionNegativeDutyCycle2, "NDUT 2", kQX1200Up},
    {TevraMeasurementFunctionPositiveDutyCycle1, "PDUT 1", kQX1200Up},
    {TevraMeasurementFunctionPositiveDutyCycle2, "PDUT 2", kQX1200Up},
    {TevraMeasurementFunctionNegativeWidth1, "NWID 1", kQX1200Up},
    {TevraMeasurementFunctionNegativeWidth2, "NWID 2", kQX1200Up},
    {TevraMeasurementFunctionPositiveWidth1, "PWID 1", kQX1200Up},
    {TevraMeasurementFunctionPositiveWidth2, "PWID 2", kQX1200Up},
    {TevraMeasurementFunctionSinglePeriod1, "SPER 1", kQX1200Up},
    {TevraMeasurementFunctionSinglePeriod2, "SPER 2", kQX1200Up},
    {TevraMeasurementFunctionTimeStamp1, "TST 1", kQX1300},
    {TevraMeasurementFunctionTimeStamp2, "TST 2", kQX1300},
    {TevraMeasurementFunctionTimeStamp3, "TST 3", kQX1300},
    {TevraMeasurementFunctionBurst, "FREQ:BURS", kQX1300, true},
    {TevraMeasurementFunctionPRF, "FREQ:PRF", kQX1300, true},
    {TevraMeasurementFunctionPRI, "FREQ:PRI", kQX1300, true},
    {TevraMeasurementFunctionNegativeBurstWidth, "NWID:BURS", kQX1300, true},
    {TevraMeasurementFunctionPositiveBurstWidth, "PWID:BURS", kQX1300, true},
};

// The configuration a simulated instrument reports.
constexpr const char* kSimulatedConfiguration =
    "FREQ +1.00000000000000E+007,+1.00000000000000E-003,(@2)";
constexpr std::size_t kMaxFunctionReply = 1024;

// The function the connected model offers for value, or null.
const FunctionChoice* OfferedFunction(Tevra& driver, TevraMeasurementFunctionEnum value) {
  for (const FunctionChoice& c : kFunctionChoices) {
    if (c.value != value) continue;
    if (!(c.models & driver.ModelBit())) return nullptr;
    if (c.needsBurstOption && driver.InstalledOptions().find(kOptionBurst) == std::string::npos)
      return nullptr;
    return &c;
  }
  return nullptr;
}

HRESULT GiveText(Tevra& driver, std::string text, BSTR* val) {
  std::erase(text, '"');
  return GiveString(driver, text, *val);
}

// The reply of a configuration query, without its double quotes.
HRESULT QueryText(Tevra& driver, const char* command, std::size_t limit, BSTR* val) {
  std::string reply;
  if (HRESULT hr = driver.Io().QueryString(command, reply, core::kDefaultTimeout); FAILED(hr))
    return hr;
  if (reply.size() > limit) reply.resize(limit);
  return GiveText(driver, std::move(reply), val);
}

}  // namespace

HRESULT Tevra::Root::SetFunction(TevraMeasurementFunctionEnum MeasurementFunction) {
  return t_.Enter(
      rows::ITevra_SetFunction.record,
      [&]() -> HRESULT {
        const FunctionChoice* choice = OfferedFunction(t_, MeasurementFunction);
        if (!choice)
          return t_.Reporter().ReportInvalidValueInt("SetFunction", "MeasurementFunction",
                                                     MeasurementFunction, "%d");
        if (t_.Simulating()) {
          std::string_view word;
          if (HRESULT hr = t_.Format("TevraMeasurementFunctionEnum", MeasurementFunction, word);
              FAILED(hr))
            return hr;
          t_.Measurement().functionWord = std::string(word);
          return S_OK;
        }
        return t_.Io().WriteString("FUNC \"" + std::string(choice->word) + "\"", true,
                                   core::kDefaultTimeout);
      },
      core::In("MeasurementFunction", MeasurementFunction));
}

HRESULT Tevra::Root::GetFunction(BSTR* Val) {
  return t_.Enter(
      rows::ITevra_GetFunction.record,
      [&] {
        if (t_.Simulating()) return GiveText(t_, t_.Measurement().functionWord, Val);
        return QueryText(t_, "FUNC?", kMaxFunctionReply, Val);
      },
      core::Out("Val", Val));
}

HRESULT Tevra::Root::Configure(BSTR* Val) {
  return t_.Enter(
      rows::ITevra_Configure.record,
      [&] {
        if (t_.Simulating()) return GiveText(t_, kSimulatedConfiguration, Val);
        return QueryText(t_, "CONF?", std::string::npos, Val);
      },
      core::Out("Val", Val));
}

#define TEVRA_ROWS "counter/members/ITevra.def"
#define TEVRA_CLASS Tevra::Root
#define TEVRA_NODE t_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevra2.def"
#define TEVRA_CLASS Tevra::Root
#define TEVRA_NODE t_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevra3.def"
#define TEVRA_CLASS Tevra::Root
#define TEVRA_NODE t_
#include "counter/DefineAccessors.inc"

}  // namespace tevra::counter
