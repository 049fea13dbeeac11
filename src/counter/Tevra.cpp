#include "counter/Tevra.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "counter/Rows.h"

#include "io/CommandFormat.h"
#include "io/VisaComSession.h"
#include "platform/ErrorInfo.h"
#include "platform/ModuleCount.h"
#include "state/EnumFormatter.h"

namespace tevra::counter {
namespace {

// The live driver objects, for the calls that find a driver from any of its interfaces.
std::mutex g_liveMutex;
std::vector<Tevra*> g_live;

bool AnswersDriverInterface(REFIID riid) { return DriverInterfaceIndex(riid) >= 0; }

}  // namespace

Tevra::Tevra(std::unique_ptr<core::IIoSession> io, std::unique_ptr<core::ITraceLog> trace,
             IUnknown* outer)
    : CDriver(*this, std::move(io), std::move(trace)),
      inner_(*this),
      outer_(outer),
      root_(*this),
      channels_(*this, *this),
      groups_(CreateInterfaceGroups(*this)),
      errorInfo_(*this, AnswersDriverInterface),
      classInfo_(*this) {
  for (int i = 0; i < kDriverInterfaceCount; ++i) interfaces_[i] = Locate(*kDriverInterfaceIds[i]);
  {
    std::lock_guard lock(g_liveMutex);
    g_live.push_back(this);
  }
  platform::ObjectCreated();
}

Tevra::~Tevra() {
  {
    std::lock_guard lock(g_liveMutex);
    g_live.erase(std::find(g_live.begin(), g_live.end(), this));
  }
  platform::ObjectDestroyed();
}

Tevra& Tevra::FromOwnUnknown(IUnknown* unknown) { return static_cast<Inner*>(unknown)->Owner(); }

Tevra* Tevra::FromIdentity(IUnknown* identity) {
  std::lock_guard lock(g_liveMutex);
  for (Tevra* t : g_live)
    if ((t->outer_ ? t->outer_ : static_cast<IUnknown*>(&t->inner_)) == identity) return t;
  return nullptr;
}

HRESULT Tevra::Create(REFIID riid, void** ppv) {
  return Create(std::make_unique<io::CVisaComSession>(), riid, ppv);
}

HRESULT Tevra::Create(std::unique_ptr<core::IIoSession> io, REFIID riid, void** ppv) {
  return Create(std::move(io), nullptr, riid, ppv);
}

HRESULT Tevra::Create(std::unique_ptr<core::IIoSession> io, std::unique_ptr<core::ITraceLog> trace,
                      REFIID riid, void** ppv) {
  return Create(std::move(io), std::move(trace), nullptr, riid, ppv);
}

HRESULT Tevra::Create(std::unique_ptr<core::IIoSession> io, std::unique_ptr<core::ITraceLog> trace,
                      IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  if (!trace) trace.reset(new (std::nothrow) core::NullTraceLog);
  if (!trace) return E_OUTOFMEMORY;
  Tevra* driver = new (std::nothrow) Tevra(std::move(io), std::move(trace), outer);
  if (!driver) return E_OUTOFMEMORY;
  const HRESULT hr = driver->inner_.QueryInterface(riid, ppv);
  driver->inner_.Release();  // the creation reference; the caller now holds its own
  return hr;
}

HRESULT Tevra::FormatCommand(const char* commandTemplate, std::span<const core::Param> args,
                             core::CommandText& command) {
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

void* Tevra::Locate(REFIID riid) {
  if (riid == IID_ITevra || riid == IID_ITevra2 || riid == IID_ITevra3)
    return static_cast<ITevra3*>(&root_);
  if (riid == IID_IIviDriver) return static_cast<IIviDriver*>(&root_);
  if (riid == IID_ITevraChannels) return channels_.InstrumentInterface();
  if (riid == IID_IIviCounterChannels) return channels_.ClassInterface();
  if (riid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(&errorInfo_);
  if (riid == IID_IProvideClassInfo2) return static_cast<IProvideClassInfo2*>(&classInfo_);
  for (const auto& group : groups_)
    if (IUnknown* found = group->Find(riid)) return found;
  return FindInherent(riid);
}

HRESULT Tevra::QueryObject(REFIID riid, void** ppv) {
  if (outer_) return outer_->QueryInterface(riid, ppv);
  return inner_.QueryInterface(riid, ppv);
}

ULONG Tevra::AddRefObject() { return outer_ ? outer_->AddRef() : inner_.AddRef(); }

ULONG Tevra::ReleaseObject() { return outer_ ? outer_->Release() : inner_.Release(); }

HRESULT Tevra::Inner::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown) {
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  const int i = DriverInterfaceIndex(riid);
  *ppv = i < 0 ? nullptr : t_.interfaces_[i];
  if (!*ppv) return E_NOINTERFACE;
  t_.AddRefObject();  // released through the interface, so through the identity
  return S_OK;
}

ULONG Tevra::Inner::AddRef() { return ++t_.refs_; }

ULONG Tevra::Inner::Release() {
  const ULONG n = --t_.refs_;
  if (n == 0) delete &t_;
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
