// The driver's channel collection: the channel objects built at Initialize from the channel
// layout, and the two collection interfaces that find them by name.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "core/Driver.h"
#include "core/Embedded.h"
#include "counter/ChannelProbe.h"
#include "counter/TevraChannel.h"
#include "platform/ComPtr.h"

namespace tevra::counter {

class ChannelCollection {
 public:
  ChannelCollection(core::CDriver& driver, core::IObjectRoot& driverRoot);
  ~ChannelCollection() { Release(); }

  // Builds "Channel1".."ChannelN" and hangs them under the driver node.
  HRESULT Create(const ChannelLayout& layout);
  // Drops the driver's references; channels an application still holds live on, unusable.
  void Release();

  std::span<TevraChannel* const> Channels() const { return channels_; }
  // The channel for a physical or virtual name (trimmed, case ignored); the only channel for an
  // empty name when there is just one. No match is reported (code 36).
  HRESULT Find(std::string_view name, TevraChannel*& channel) const;

  ITevraChannels* InstrumentInterface() { return &instrument_; }
  IIviCounterChannels* ClassInterface() { return &class_; }
  // The channels a selector names ("Channel1", "Channel1,Channel3", "Channel1-Channel2"), in
  // selector order, each as the interface riid (IID_ITevraChannel or IID_IIviCounterChannel),
  // under the driver's lock. With rangesAllowed false a range is badly formed. A failure is
  // reported on the calling thread's error information and leaves channels empty.
  HRESULT Select(const char* selector, bool rangesAllowed, REFIID riid,
                 std::vector<platform::ComPtr<IUnknown>>& channels);

 private:
  HRESULT Count(LONG* val);
  template <class Itf>
  HRESULT Item(const core::MethodRecord& method, BSTR name, Itf** val);
  HRESULT Name(const core::MethodRecord& method, LONG index, BSTR* val);

  class InstrumentCollection final : public core::Embedded<ITevraChannels> {
   public:
    InstrumentCollection(core::IObjectRoot& root, ChannelCollection& c) : Embedded(root), c_(c) {}
    HRESULT get_Item(BSTR Name, ITevraChannel** val) override;
    HRESULT get_Name(LONG Index, BSTR* val) override;
#define TEVRA_ROWS "counter/members/ITevraChannels.def"
#include "core/DeclareAccessors.inc"

   private:
    ChannelCollection& c_;
  };
  class ClassCollection final : public core::Embedded<IIviCounterChannels> {
   public:
    ClassCollection(core::IObjectRoot& root, ChannelCollection& c) : Embedded(root), c_(c) {}
    HRESULT get_Item(BSTR Name, IIviCounterChannel** val) override;
    HRESULT get_Name(LONG Index, BSTR* val) override;
#define TEVRA_ROWS "counter/members/IIviCounterChannels.def"
#include "core/DeclareAccessors.inc"

   private:
    ChannelCollection& c_;
  };

  core::CDriver& driver_;
  core::IObjectRoot& driverRoot_;
  std::vector<TevraChannel*> channels_;
  InstrumentCollection instrument_;
  ClassCollection class_;
};

}  // namespace tevra::counter
