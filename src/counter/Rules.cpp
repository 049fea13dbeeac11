// The preconditions of the member rows, the refusal of the properties the driver lacks, and the
// new arrays the members hand out.
#include <cstring>
#include <string>

#include "core/Identity.h"
#include "counter/ChannelProbe.h"
#include "counter/Property.h"
#include "counter/TevraChannel.h"

namespace tevra::counter {
namespace {

// Channel 3, the microwave input of the two-input models, has none of the input settings; the
// rule holds on every model.
constexpr std::int32_t kSettingsRefusedChannel = 3;

bool Refused(Rule rule, const Tevra& driver, std::int32_t number) {
  switch (rule) {
    case Rule::Inherit:
    case Rule::None:
      return false;
    case Rule::NotChannel3:
      return number == kSettingsRefusedChannel;
    case Rule::MicrowaveInput: {
      // A model outside the table is asked on every channel.
      const core::identity::ModelEntry* model = core::identity::FindModel(driver.Model());
      return model && number != model->MicrowaveChannel();
    }
  }
  return false;
}

}  // namespace

HRESULT GiveBytes(core::CDriver& driver, std::span<const std::uint8_t> bytes, SAFEARRAY** out) {
  SAFEARRAY* array = TevraSafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!array) return driver.Reporter().Report(Code::OutOfMemory);
  if (!bytes.empty()) std::memcpy(array->pvData, bytes.data(), bytes.size());
  *out = array;
  return S_OK;
}

HRESULT AskBurstOption(Tevra& driver) {
  std::string options;
  if (HRESULT hr = driver.Io().QueryString("*OPT?", options, core::kDefaultTimeout); FAILED(hr))
    return hr;
  if (options.find(kOptionBurst) == std::string::npos)
    return driver.Reporter().Report(Code::OptionNotInstalled);
  return S_OK;
}

HRESULT CheckRule(Rule rule, core::CNode& node) {
  if (rule == Rule::None || rule == Rule::Inherit) return S_OK;
  const auto* channel = dynamic_cast<const TevraChannel*>(&node);
  if (!channel) return S_OK;  // the channel rules hold on channels only
  Tevra& driver = DriverOf(node);
  const std::int32_t number = channel->Number();
  if (!Refused(rule, driver, number)) return S_OK;
  return driver.Reporter().Report(Code::InvalidInputChannel, std::to_string(number));
}

HRESULT ReportRefusedProperty(core::CNode& node, const Property& row, const char* access) {
  return DriverOf(node).Reporter().Report(Code::PropertyNotSupported,
                                          std::string(row.itf->family) + access + row.name);
}

}  // namespace tevra::counter
