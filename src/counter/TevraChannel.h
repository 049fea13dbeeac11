// TevraChannel: one input channel of the counter, an object of its own (identity, reference
// count, lock and cache store) under the driver. While an application holds a channel, the
// channel keeps its driver alive.
#pragma once

#include <atomic>
#include <string_view>

#include "core/Embedded.h"
#include "core/Param.h"
#include "core/RepCap.h"
#include "counter/ChannelSettings.h"
#include "counter/ClassChannel.h"
#include "counter/ClassInfo.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

class TevraChannel final : public core::IObjectRoot, public core::CRepCap {
 public:
  // Created with one reference, the driver's. driverRoot is the driver object's identity.
  TevraChannel(core::CDriver& driver, core::IObjectRoot& driverRoot, std::string_view name,
               std::int32_t index);

  HRESULT QueryObject(REFIID riid, void** ppv) override;
  ULONG AddRefObject() override;
  ULONG ReleaseObject() override;
  // The driver's own reference, dropped when the channel is released at Close.
  void ReleaseFromDriver();

  // The SCPI channel number: index + 1.
  std::int32_t Number() const { return Index() + 1; }
  // Every command template of a channel starts with its number ("INP%d:COUP?").
  std::span<const core::Param> CommandPrefix() const override { return {&number_, 1}; }

  ITevraChannel* InstrumentInterface() { return &instrument_; }
  IIviCounterChannel* ClassInterface() { return &class_; }

 private:
  ~TevraChannel() override;
  ULONG Drop();

  core::IObjectRoot& driverRoot_;
  std::atomic<ULONG> refs_{1};      // all references, the driver's included
  std::atomic<ULONG> external_{0};  // references held by applications
  core::Param number_;
  ChannelSettings instrument_;
  ClassChannel class_;
  ErrorInfoSupport errorInfo_;
};

}  // namespace tevra::counter
