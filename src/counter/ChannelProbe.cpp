#include "counter/ChannelProbe.h"

#include "core/Identity.h"

namespace tevra::counter {
namespace {

bool Contains(std::string_view text, std::string_view code) {
  return text.find(code) != std::string_view::npos;
}

}  // namespace

ChannelLayout SimulatedLayout(std::string_view model) {
  const core::identity::ModelEntry* entry = core::identity::FindModel(model);
  // A model outside the table is simulated as one input and the microwave input.
  const std::int32_t inputs = entry ? entry->inputs : 1;
  ChannelLayout layout;
  layout.channelCount = layout.microwaveChannel = inputs + 1;
  layout.burstOptionInstalled = entry && entry->burstOption;
  return layout;
}

ChannelLayout InstrumentLayout(std::string_view model, std::string_view optionList) {
  const core::identity::ModelEntry* entry = core::identity::FindModel(model);
  ChannelLayout layout;
  layout.channelCount = entry ? entry->inputs : 1;
  if (Contains(optionList, kOption15GHz) || Contains(optionList, kOption6GHz))
    layout.microwaveChannel = ++layout.channelCount;
  // An instrument outside the family (accepted without the ID query) gets one more input.
  if (!entry) ++layout.channelCount;
  layout.burstOptionInstalled = entry && entry->burstOption && Contains(optionList, kOptionBurst);
  return layout;
}

}  // namespace tevra::counter
