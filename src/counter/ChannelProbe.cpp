#include "counter/ChannelProbe.h"

namespace tevra::counter {
namespace {

bool HasTwoInputs(std::string_view model) { return model == "QX1200" || model == "QX1300"; }

bool Contains(std::string_view text, std::string_view code) {
  return text.find(code) != std::string_view::npos;
}

}  // namespace

ChannelLayout SimulatedLayout(std::string_view model) {
  ChannelLayout layout;
  layout.channelCount = layout.microwaveChannel = HasTwoInputs(model) ? 3 : 2;
  layout.burstOptionInstalled = model == "QX1300";
  return layout;
}

ChannelLayout InstrumentLayout(std::string_view model, std::string_view optionList) {
  ChannelLayout layout;
  layout.channelCount = 1;
  if (HasTwoInputs(model)) ++layout.channelCount;
  if (Contains(optionList, kOption15GHz) || Contains(optionList, kOption6GHz))
    layout.microwaveChannel = ++layout.channelCount;
  layout.burstOptionInstalled = model == "QX1300" && Contains(optionList, kOptionBurst);
  // An instrument outside the family (accepted without the ID query) gets one more input.
  if (model != "QX1100" && !HasTwoInputs(model)) ++layout.channelCount;
  return layout;
}

}  // namespace tevra::counter
