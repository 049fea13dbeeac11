#include "counter/FunctionRunner.h"

#include "core/FormatArgs.h"
#include "counter/ChannelProbe.h"
#include "counter/Property.h"

namespace tevra::counter {
namespace {

bool Accepts(const ChannelLayout& layout, ChannelRule rule, double channel) {
  switch (rule) {
    case ChannelRule::None:
      return true;
    case ChannelRule::Any:
      return channel >= 1 && channel <= layout.channelCount;
    case ChannelRule::NoMicrowave:
      return channel >= 1 && channel <= layout.channelCount && channel != layout.microwaveChannel;
    case ChannelRule::Microwave:
      return channel == layout.channelCount;
  }
  return false;
}

}  // namespace

HRESULT CheckChannels(Tevra& driver, const Method& method,
                      std::initializer_list<ChannelArg> channels) {
  for (const ChannelArg& c : channels) {
    if (Accepts(driver.Layout(), method.channels, c.value)) continue;
    if (c.real)
      return driver.Reporter().ReportInvalidValueDouble(method.errorName, c.name, c.value,
                                                        "%0.15lg");
    return driver.Reporter().ReportInvalidValueInt(method.errorName, c.name,
                                                   static_cast<std::int32_t>(c.value), "%d");
  }
  return S_OK;
}

HRESULT SendFunctionCommand(Tevra& driver, const Method& method, std::string_view text,
                            double* reading) {
  core::IIoSession& io = driver.Io();
  if (method.needsBurstOption) {
    if (HRESULT hr = AskBurstOption(driver); FAILED(hr)) return hr;
  }
  if (reading) return io.QueryNumber(text, core::ScanArg(reading), method.timeout);
  return io.WriteString(text, true, method.timeout);
}

}  // namespace tevra::counter
