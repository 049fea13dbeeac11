#include "counter/Channels.h"

#include <mutex>
#include <new>
#include <string>

#include "core/Options.h"
#include "counter/Property.h"
#include "platform/Bstr.h"
#include "platform/ErrorInfo.h"
#include "state/Selector.h"

namespace tevra::counter {
namespace {

template <class Itf>
Itf* InterfaceOf(TevraChannel& channel) {
  if constexpr (std::is_same_v<Itf, ITevraChannel>)
    return channel.InstrumentInterface();
  else
    return channel.ClassInterface();
}

}  // namespace

#define TEVRA_ROWS "counter/members/ITevraChannels.def"
#define TEVRA_CLASS ChannelCollection::InstrumentCollection
#define TEVRA_NODE c_.driver_
#include "counter/DefineAccessors.inc"

ChannelCollection::ChannelCollection(core::CDriver& driver, core::IObjectRoot& driverRoot)
    : driver_(driver),
      driverRoot_(driverRoot),
      instrument_(driverRoot, *this),
      class_(driverRoot, *this) {}

HRESULT ChannelCollection::Create(const ChannelLayout& layout) {
  Release();
  for (std::int32_t i = 0; i < layout.channelCount; ++i) {
    const std::string name = "Channel" + std::to_string(i + 1);
    auto* channel = new (std::nothrow) TevraChannel(driver_, driverRoot_, name, i);
    if (!channel) return E_OUTOFMEMORY;
    channels_.push_back(channel);
    driver_.AddChild(channel->RepCapName(), channel);
  }
  return S_OK;
}

void ChannelCollection::Release() {
  for (TevraChannel* channel : channels_) channel->ReleaseFromDriver();
  channels_.clear();
}

HRESULT ChannelCollection::Find(std::string_view name, TevraChannel*& channel) const {
  std::size_t index = 0;
  const HRESULT hr = state::FindRepCapIndex(
      name, channels_.size(),
      [&](std::size_t i) { return std::string_view(channels_[i]->PhysicalName()); },
      driver_.VirtualNameMap(), driver_.Reporter(), index);
  channel = SUCCEEDED(hr) ? channels_[index] : nullptr;
  return hr;
}

HRESULT ChannelCollection::Count(LONG* val) {
  *val = static_cast<LONG>(channels_.size());
  return S_OK;
}

template <class Itf>
HRESULT ChannelCollection::Item(const core::MethodRecord& method, BSTR name, Itf** val) {
  return driver_.Enter(
      method,
      [&] {
        TevraChannel* channel = nullptr;
        const HRESULT found = Find(platform::BstrToUtf8(name), channel);
        if (FAILED(found)) return found;
        return core::GiveInterface(InterfaceOf<Itf>(*channel), reinterpret_cast<void**>(val));
      },
      core::InString("Name", name), core::Out("val", val));
}

HRESULT ChannelCollection::Name(const core::MethodRecord& method, LONG index, BSTR* val) {
  return driver_.Enter(
      method,
      [&] {
        if (index < 1 || index > static_cast<LONG>(channels_.size()))
          return driver_.Reporter().ReportInvalidValueInt(method.methodName, "Index", index, "%d");
        const TevraChannel& channel = *channels_[index - 1];
        const std::string name = state::ResolveVirtualName(
            channel.RepCapName(), channel.PhysicalName(), driver_.PhysicalToVirtualMap());
        return GiveString(driver_, name, *val);
      },
      core::In("Index", index), core::Out("val", val));
}

HRESULT ChannelCollection::InstrumentCollection::get_Count(LONG* val) {
  return c_.driver_.Enter(
      rows::ITevraChannels_Count.get, [&] { return c_.Count(val); }, core::Out("val", val));
}
// Under the driver's lock, like every entry point, but outside the call trace: the C layer calls
// the channels' own members next, and those are traced.
HRESULT ChannelCollection::Select(const char* selector, bool rangesAllowed, REFIID riid,
                                  std::vector<platform::ComPtr<IUnknown>>& channels) {
  channels.clear();
  if (riid != IID_ITevraChannel && riid != IID_IIviCounterChannel) return E_NOINTERFACE;
  try {
    const std::lock_guard lock(driver_.Mutex());
    platform::ClearThreadError();
    state::SelectorPaths paths;
    HRESULT hr = state::ParseSelector(
        selector ? selector : "",
        rangesAllowed ? state::SelectorRanges::kAllowed : state::SelectorRanges::kForbidden,
        driver_.Reporter(), paths);
    if (FAILED(hr)) return hr;
    std::vector<std::size_t> indices;
    hr = state::ResolveSelectorIndices(
        paths, channels_.size(),
        [&](std::size_t i) { return std::string_view(channels_[i]->PhysicalName()); },
        driver_.VirtualNameMap(), driver_.Reporter(), indices);
    if (FAILED(hr)) return hr;
    channels.reserve(indices.size());
    for (const std::size_t i : indices) {
      TevraChannel& channel = *channels_[i];
      IUnknown* itf = riid == IID_ITevraChannel
                          ? static_cast<IUnknown*>(InterfaceOf<ITevraChannel>(channel))
                          : static_cast<IUnknown*>(InterfaceOf<IIviCounterChannel>(channel));
      channels.emplace_back(itf);
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    channels.clear();
    return driver_.Reporter().Report(core::Code::OutOfMemory);
  }
}

HRESULT ChannelCollection::InstrumentCollection::get_Item(BSTR Name, ITevraChannel** val) {
  return c_.Item(rows::ITevraChannels_get_Item.record, Name, val);
}
HRESULT ChannelCollection::InstrumentCollection::get_Name(LONG Index, BSTR* val) {
  return c_.Name(rows::ITevraChannels_get_Name.record, Index, val);
}
HRESULT ChannelCollection::ClassCollection::get_Item(BSTR Name, IIviCounterChannel** val) {
  return c_.Item(rows::IIviCounterChannels_get_Item.record, Name, val);
}
HRESULT ChannelCollection::ClassCollection::get_Count(LONG* val) {
  return c_.driver_.Enter(
      rows::IIviCounterChannels_Count.get, [&] { return c_.Count(val); }, core::Out("val", val));
}
HRESULT ChannelCollection::ClassCollection::get_Name(LONG Index, BSTR* val) {
  return c_.Name(rows::IIviCounterChannels_get_Name.record, Index, val);
}

}  // namespace tevra::counter
