#include "counter/Tevra.h"

#include <new>

#include "counter/Rows.h"

#include "io/CommandFormat.h"
#include "io/VisaComSession.h"
#include "platform/ErrorInfo.h"
#include "platform/ModuleCount.h"
#include "state/EnumFormatter.h"

namespace tevra::counter {

Tevra::Tevra(std::unique_ptr<core::IIoSession> io, std::unique_ptr<core::ITraceLog> trace)
    : CDriver(*this, std::move(io), std::move(trace)),
      root_(*this),
      channels_(*this, *this),
      groups_(CreateInterfaceGroups(*this)) {
  platform::ObjectCreated();
}

Tevra::~Tevra() { platform::ObjectDestroyed(); }

HRESULT Tevra::Create(REFIID riid, void** ppv) {
  return Create(std::make_unique<io::CVisaComSession>(), riid, ppv);
}

HRESULT Tevra::Create(std::unique_ptr<core::IIoSession> io, REFIID riid, void** ppv) {
  return Create(std::move(io), nullptr, riid, ppv);
}

HRESULT Tevra::Create(std::unique_ptr<core::IIoSession> io, std::unique_ptr<core::ITraceLog> trace,
                      REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!trace) trace.reset(new (std::nothrow) core::NullTraceLog);
  if (!trace) return E_OUTOFMEMORY;
  Tevra* driver = new (std::nothrow) Tevra(std::move(io), std::move(trace));
  if (!driver) return E_OUTOFMEMORY;
  const HRESULT hr = driver->QueryObject(riid, ppv);
  driver->ReleaseObject();  // the creation reference; the caller now holds its own
  return hr;
}

HRESULT Tevra::FormatCommand(const char* commandTemplate, std::span<const core::Param> args,
                             std::string& command) {
  return io::FormatCommand(commandTemplate, args, command, Reporter(), this);
}

HRESULT Tevra::Format(std::string_view typeName, std::int32_t value, std::string_view& word) {
  return state::FormatEnum(EnumWords(), typeName, value, word);
}

HRESULT Tevra::Parse(std::string_view typeName, std::string_view word, std::int32_t& value) {
  return state::ParseEnum(EnumWords(), typeName, word, value);
}

HRESULT Tevra::ParseBooleanResponse(std::string_view reply, VARIANT_BOOL& value) {
  return state::ParseBooleanResponse(EnumWords(), reply, value);
}

HRESULT Tevra::QueryObject(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_ITevra || riid == IID_IIviDriver || riid == IID_ITevra2 ||
      riid == IID_ITevra3)
    return core::GiveInterface<ITevra3>(&root_, ppv);
  if (riid == IID_ITevraChannels)
    return core::GiveInterface<ITevraChannels>(channels_.InstrumentInterface(), ppv);
  if (riid == IID_IIviCounterChannels)
    return core::GiveInterface<IIviCounterChannels>(channels_.ClassInterface(), ppv);
  if (riid == IID_IChannelSelection)
    return core::GiveInterface<IChannelSelection>(channels_.SelectionInterface(), ppv);
  for (const auto& group : groups_)
    if (group->Query(riid, ppv) == S_OK) return S_OK;
  return QueryInherent(riid, ppv);
}

ULONG Tevra::AddRefObject() { return ++refs_; }

ULONG Tevra::ReleaseObject() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

// Finds the inputs from the model and the installed options, then builds one channel object per
// input. The "*OPT?" reply is kept as the installed options.
HRESULT Tevra::CreateRepCapObjects() {
  if (Simulating()) {
    SetInstalledOptions(std::string(kOptionBurst));
    layout_ = SimulatedLayout(Model());
  } else {
    // An instrument that does not answer "*OPT?" is taken to have no options installed; the
    // session gets back in step before its next message.
    std::string options;
    if (FAILED(Io().QueryString("*OPT?", options, core::kDefaultTimeout))) {
      options.clear();
      platform::ClearThreadError();
    }
    layout_ = InstrumentLayout(Model(), options);
    SetInstalledOptions(std::move(options));
  }
  return channels_.Create(layout_);
}

void Tevra::ReleaseRepCapObjects() { channels_.Release(); }

void Tevra::ResetState() { measurement_ = MeasurementState{}; }

HRESULT Tevra::Root::get_Channels(ITevraChannels** val) {
  return t_.Enter(
      rows::ITevra_Channels.get,
      [&] {
        return core::GiveInterface<ITevraChannels>(t_.channels_.InstrumentInterface(), (void**)val);
      },
      core::Out("val", val));
}

}  // namespace tevra::counter
