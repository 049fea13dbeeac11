// The calls on a driver object beside its interfaces: subscribing to its trace event (the
// client's sink is wrapped as a receiver of the driver's trace log, which calls it after each
// completed record), and the C-session calls an object-model client cannot use.
#include <memory>
#include <new>

#include "core/ErrorCodes.h"
#include "counter/Tevra.h"
#include "platform/Bstr.h"
#include "platform/ComPtr.h"
#include "tevra/TevraObjectModel.h"

namespace tevra::api {
namespace {

inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = static_cast<HRESULT>(0x80040202u);

// Holds a reference to the client's sink for as long as the log keeps the receiver.
class EventSink final : public core::ITraceSink {
 public:
  explicit EventSink(ITevraTraceEvents* sink) : sink_(sink) { sink_->AddRef(); }
  ~EventSink() override { sink_->Release(); }
  EventSink(const EventSink&) = delete;
  EventSink& operator=(const EventSink&) = delete;

  void OnTraceEvent(std::string_view record, std::int32_t kind, std::string_view logName,
                    std::uint32_t processId) override {
    const platform::Bstr text(record);
    const platform::Bstr name(logName);
    // The sink's result does not concern the traced call.
    if (text.get() && name.get())
      (void)sink_->OnTraceEvent(text.get(), kind, name.get(), processId);
  }

 private:
  ITevraTraceEvents* sink_;
};

// The driver object that object is an interface of (or the outer object of), else null.
counter::Tevra* DriverOf(IUnknown* object) {
  if (!object) return nullptr;
  platform::ComPtr<IUnknown> identity;
  if (FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.put()))))
    return nullptr;
  return counter::Tevra::FromIdentity(identity.get());
}

}  // namespace
}  // namespace tevra::api

extern "C" {

TEVRA_API HRESULT TevraAdviseTrace(IUnknown* object, ITevraTraceEvents* sink, ULONG* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  try {
    tevra::counter::Tevra* driver = tevra::api::DriverOf(object);
    if (!driver) return E_INVALIDARG;
    *cookie = driver->Trace().RegisterSink(std::make_shared<tevra::api::EventSink>(sink));
    return *cookie ? S_OK : tevra::api::CONNECT_E_CANNOTCONNECT;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

TEVRA_API HRESULT TevraUnadviseTrace(IUnknown* object, ULONG cookie) {
  tevra::counter::Tevra* driver = tevra::api::DriverOf(object);
  if (!driver) return E_INVALIDARG;
  return driver->Trace().UnregisterSink(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

// A driver object created by an object-model client never has a C session.
TEVRA_API HRESULT TevraAttachToExistingCSession(IUnknown* object, std::uint32_t) {
  tevra::counter::Tevra* driver = tevra::api::DriverOf(object);
  if (!driver) return E_INVALIDARG;
  return driver->Reporter().Report(tevra::core::Code::MethodNotSupported,
                                   "AttachToExistingCSession");
}

TEVRA_API HRESULT TevraGetNativeCHandle(IUnknown* object, std::uint32_t* handle) {
  if (!handle) return E_POINTER;
  *handle = 0;
  tevra::counter::Tevra* driver = tevra::api::DriverOf(object);
  if (!driver) return E_INVALIDARG;
  return driver->Reporter().Report(tevra::core::Code::PropertyNotSupported, "NativeCHandle");
}
}
