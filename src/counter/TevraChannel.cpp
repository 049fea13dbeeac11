#include "counter/TevraChannel.h"

#include "platform/ModuleCount.h"

namespace tevra::counter {
namespace {

bool AnswersChannelInterface(REFIID riid) {
  return riid == IID_ITevraChannel || riid == IID_IIviCounterChannel ||
         riid == IID_ISupportErrorInfo;
}

}  // namespace

TevraChannel::TevraChannel(core::CDriver& driver, core::IObjectRoot& driverRoot,
                           std::string_view name, std::int32_t index)
    : CRepCap(driver, "TevraChannel", name, index),
      driverRoot_(driverRoot),
      number_(core::In("Channel", index + 1)),
      instrument_(*this),
      class_(*this),
      errorInfo_(*this, AnswersChannelInterface) {
  platform::ObjectCreated();
}

TevraChannel::~TevraChannel() { platform::ObjectDestroyed(); }

HRESULT TevraChannel::QueryObject(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_ITevraChannel)
    return core::GiveInterface<ITevraChannel>(&instrument_, ppv);
  if (riid == IID_IIviCounterChannel) return core::GiveInterface<IIviCounterChannel>(&class_, ppv);
  if (riid == IID_ISupportErrorInfo)
    return core::GiveInterface<ISupportErrorInfo>(&errorInfo_, ppv);
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG TevraChannel::AddRefObject() {
  // The first application reference pins the driver, whose session the channel works through.
  if (external_.fetch_add(1) == 0) driverRoot_.AddRefObject();
  return ++refs_;
}

ULONG TevraChannel::ReleaseObject() {
  const bool lastExternal = external_.fetch_sub(1) == 1;
  core::IObjectRoot& driver = driverRoot_;
  const ULONG n = Drop();
  // Last: releasing the driver may destroy it, and with it the driver's reference to this
  // channel.
  if (lastExternal) driver.ReleaseObject();
  return n;
}

void TevraChannel::ReleaseFromDriver() { Drop(); }

ULONG TevraChannel::Drop() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

}  // namespace tevra::counter
