#include "visa/SystemVisa.h"

#include "core/TextUtil.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

namespace tevra::visa {

// The VISA C types on a 64-bit Linux host: ViSession and ViUInt32 are 32 bits, ViAttrState 64.
using CSession = std::uint32_t;
using CStatus = std::int32_t;

struct VisaLibrary {
  std::string name;
  void* handle = nullptr;
  CSession defaultRm = 0;
  CStatus (*viOpenDefaultRM)(CSession*) = nullptr;
  CStatus (*viOpen)(CSession, const char*, std::uint32_t, std::uint32_t, CSession*) = nullptr;
  CStatus (*viClose)(CSession) = nullptr;
  CStatus (*viRead)(CSession, unsigned char*, std::uint32_t, std::uint32_t*) = nullptr;
  CStatus (*viWrite)(CSession, const unsigned char*, std::uint32_t, std::uint32_t*) = nullptr;
  CStatus (*viSetAttribute)(CSession, std::uint32_t, std::uint64_t) = nullptr;
  CStatus (*viGetAttribute)(CSession, std::uint32_t, void*) = nullptr;
  CStatus (*viReadSTB)(CSession, std::uint16_t*) = nullptr;
  CStatus (*viAssertTrigger)(CSession, std::uint16_t) = nullptr;
  CStatus (*viLock)(CSession, std::uint32_t, std::uint32_t, const char*, char*) = nullptr;
  CStatus (*viUnlock)(CSession) = nullptr;
  CStatus (*viClear)(CSession) = nullptr;
  CStatus (*viStatusDesc)(CSession, CStatus, char*) = nullptr;
  // Events: the event type, mechanism and filter context (ViEventFilter, unused) are 32, 16 and
  // 32 bits; viWaitOnEvent returns the type and an event context that viClose releases.
  CStatus (*viEnableEvent)(CSession, std::uint32_t, std::uint16_t, std::uint32_t) = nullptr;
  CStatus (*viDisableEvent)(CSession, std::uint32_t, std::uint16_t) = nullptr;
  CStatus (*viWaitOnEvent)(CSession, std::uint32_t, std::uint32_t, std::uint32_t*,
                           CSession*) = nullptr;
};

namespace {

// VISA strings (resource names, keys, descriptions) fit buffers of this size.
constexpr std::size_t kVisaStringSize = 256;

template <class F>
void Resolve(void* handle, const char* symbol, F& function) {
  function = reinterpret_cast<F>(dlsym(handle, symbol));
}

ViStatus LoadOne(const std::string& name, std::unique_ptr<VisaLibrary>& library,
                 std::string& detail) {
  dlerror();
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    detail = why ? why : name + ": cannot be loaded";
    return kViErrorLibraryNfound;
  }
  auto loaded = std::make_unique<VisaLibrary>();
  loaded->name = name;
  loaded->handle = handle;
  VisaLibrary& l = *loaded;
  Resolve(handle, "viOpenDefaultRM", l.viOpenDefaultRM);
  Resolve(handle, "viOpen", l.viOpen);
  Resolve(handle, "viClose", l.viClose);
  Resolve(handle, "viRead", l.viRead);
  Resolve(handle, "viWrite", l.viWrite);
  Resolve(handle, "viSetAttribute", l.viSetAttribute);
  Resolve(handle, "viGetAttribute", l.viGetAttribute);
  Resolve(handle, "viReadSTB", l.viReadSTB);
  Resolve(handle, "viAssertTrigger", l.viAssertTrigger);
  Resolve(handle, "viLock", l.viLock);
  Resolve(handle, "viUnlock", l.viUnlock);
  Resolve(handle, "viClear", l.viClear);
  Resolve(handle, "viStatusDesc", l.viStatusDesc);
  Resolve(handle, "viEnableEvent", l.viEnableEvent);
  Resolve(handle, "viDisableEvent", l.viDisableEvent);
  Resolve(handle, "viWaitOnEvent", l.viWaitOnEvent);
  if (!l.viOpenDefaultRM || !l.viOpen) {
    detail = name + " is not a VISA library: it has no " +
             (l.viOpenDefaultRM ? "viOpen" : "viOpenDefaultRM");
    dlclose(handle);
    return kViErrorLibraryNfound;
  }
  const CStatus opened = l.viOpenDefaultRM(&l.defaultRm);
  if (opened < 0) {
    detail = name + ": viOpenDefaultRM failed with " + StatusName(opened);
    dlclose(handle);
    return opened;
  }
  library = std::move(loaded);
  return kViSuccess;
}

bool IsDefault(std::string_view name) { return core::EqualsNoCase(name, "default"); }

// How a value of a known attribute is delivered; others are strings when their id has the top
// bit set (VISA gives pointer-valued attributes such ids) and unsigned numbers otherwise.
enum class Kind : std::uint8_t { Boolean, U8, U16, U32 };

bool KnownKind(ViAttr attribute, Kind& kind) {
  switch (attribute) {
    case kViAttrSendEndEn:
    case kViAttrSuppressEndEn:
    case kViAttrTermcharEn:
    case kViAttrTcpipNodelay:
    case kViAttrTcpipKeepalive:
      kind = Kind::Boolean;
      return true;
    case kViAttrTermchar:
      kind = Kind::U8;
      return true;
    case kViAttrIoProt:
    case kViAttrIntfType:
    case kViAttrIntfNum:
    case kViAttrRsrcManfId:
    case kViAttrTcpipPort:
    case kViAttrAsrlDataBits:
    case kViAttrAsrlParity:
    case kViAttrAsrlStopBits:
    case kViAttrAsrlFlowCntrl:
      kind = Kind::U16;
      return true;
    case kViAttrTmoValue:
    case kViAttrRsrcLockState:
    case kViAttrAsrlBaud:
      kind = Kind::U32;
      return true;
    default:
      return false;
  }
}

class SystemVisaSession final : public VisaSession {
 public:
  SystemVisaSession(std::shared_ptr<VisaLibrary> library, CSession vi)
      : library_(std::move(library)), vi_(vi) {
    AttributeValue value;
    std::uint16_t type = 0;
    std::string resourceClass;
    if (GetAttribute(kViAttrIntfType, value) >= 0) NumberOf(value, type);
    if (GetAttribute(kViAttrRsrcClass, value) >= 0 && std::holds_alternative<std::string>(value))
      resourceClass = std::get<std::string>(value);
    if (GetAttribute(kViAttrRsrcName, value) >= 0 && std::holds_alternative<std::string>(value))
      resourceName_ = std::get<std::string>(value);
    // A raw socket or a serial line has no device clear on the wire.
    clearResetsInstrument_ =
        !(type == static_cast<std::uint16_t>(InterfaceType::Asrl) ||
          (type == static_cast<std::uint16_t>(InterfaceType::Tcpip) && resourceClass == "SOCKET"));
    lastStatus_ = kViSuccess;
    lastErrorDescription_.clear();
  }
  ~SystemVisaSession() override {
    if (library_->viClose) library_->viClose(vi_);
  }

  using VisaSession::Write;
  ViStatus Read(std::span<std::uint8_t> buffer, std::size_t& count) override {
    count = 0;
    std::uint32_t done = 0;
    const auto size = static_cast<std::uint32_t>(std::min<std::size_t>(buffer.size(), 0xFFFFFFFF));
    const ViStatus status = Call(library_->viRead, "viRead", vi_, buffer.data(), size, &done);
    count = done;
    return status;
  }
  ViStatus Write(std::span<const std::uint8_t> data, std::size_t& written) override {
    written = 0;
    // A write longer than one call can carry goes in pieces; END comes with the last.
    while (written < data.size() || data.empty()) {
      const auto size =
          static_cast<std::uint32_t>(std::min<std::size_t>(data.size() - written, 0x7FFFFFFF));
      std::uint32_t done = 0;
      const ViStatus status =
          Call(library_->viWrite, "viWrite", vi_, data.data() + written, size, &done);
      written += done;
      if (status < 0 || data.empty() || done == 0) return status;
    }
    return lastStatus_;
  }
  ViStatus Clear() override { return Call(library_->viClear, "viClear", vi_); }
  bool ClearResetsInstrument() const override { return clearResetsInstrument_; }
  ViStatus ReadStatusByte(std::uint16_t& statusByte) override {
    return Call(library_->viReadSTB, "viReadSTB", vi_, &statusByte);
  }
  ViStatus AssertTrigger(std::uint16_t protocol) override {
    return Call(library_->viAssertTrigger, "viAssertTrigger", vi_, protocol);
  }
  ViStatus Lock(AccessMode mode, std::uint32_t timeoutMs, std::string_view requestedKey,
                std::string& accessKey) override {
    char key[kVisaStringSize] = {};
    const std::string requested(requestedKey.substr(0, kVisaStringSize - 1));
    const ViStatus status = Call(library_->viLock, "viLock", vi_, static_cast<std::uint32_t>(mode),
                                 timeoutMs, requested.empty() ? nullptr : requested.c_str(), key);
    accessKey = status >= 0 ? std::string(key, strnlen(key, sizeof key)) : std::string();
    return status;
  }
  ViStatus Unlock() override { return Call(library_->viUnlock, "viUnlock", vi_); }

  ViStatus EnableEvent(ViEventType event, std::uint16_t mechanism) override {
    if (const ViStatus checked = CheckEvent(EventOperation::Enable, event, mechanism); checked < 0)
      return checked;
    return Call(library_->viEnableEvent, "viEnableEvent", vi_, event, mechanism, std::uint32_t{0});
  }
  ViStatus DisableEvent(ViEventType event, std::uint16_t mechanism) override {
    if (const ViStatus checked = CheckEvent(EventOperation::Disable, event, mechanism); checked < 0)
      return checked;
    return Call(library_->viDisableEvent, "viDisableEvent", vi_, event, mechanism);
  }
  ViStatus WaitOnEvent(ViEventType event, std::uint32_t timeoutMs) override {
    if (const ViStatus checked = CheckEvent(EventOperation::Wait, event, kViQueue); checked < 0)
      return checked;
    std::uint32_t type = 0;
    CSession context = 0;
    const ViStatus status =
        Call(library_->viWaitOnEvent, "viWaitOnEvent", vi_, event, timeoutMs, &type, &context);
    // Nothing reads the event's attributes: its context goes back at once.
    if (status >= 0 && context != 0 && library_->viClose) library_->viClose(context);
    return status;
  }

  ViStatus GetAttribute(ViAttr attribute, AttributeValue& value) override {
    // Large enough for any value and for a string attribute.
    alignas(8) unsigned char raw[kVisaStringSize + 8] = {};
    const ViStatus status = Call(library_->viGetAttribute, "viGetAttribute", vi_, attribute, raw);
    if (status < 0) return status;
    Kind kind;
    if (KnownKind(attribute, kind)) {
      switch (kind) {
        case Kind::Boolean: {
          std::uint16_t flag;
          std::memcpy(&flag, raw, sizeof flag);
          value = flag != 0;
          break;
        }
        case Kind::U8:
          value = raw[0];
          break;
        case Kind::U16: {
          std::uint16_t number;
          std::memcpy(&number, raw, sizeof number);
          value = number;
          break;
        }
        case Kind::U32: {
          std::uint32_t number;
          std::memcpy(&number, raw, sizeof number);
          value = number;
          break;
        }
      }
    } else if (attribute & 0x80000000u) {
      const char* text = reinterpret_cast<const char*>(raw);
      value = std::string(text, strnlen(text, kVisaStringSize));
    } else {
      std::uint64_t number;  // the value's own bytes, zero-extended
      std::memcpy(&number, raw, sizeof number);
      value = number;
    }
    return status;
  }
  ViStatus SetAttribute(ViAttr attribute, const AttributeValue& value) override {
    std::uint64_t number = 0;
    if (!NumberOf(value, number)) return Record(kViErrorNsupAttrState, "viSetAttribute");
    return Call(library_->viSetAttribute, "viSetAttribute", vi_, attribute, number);
  }
  const std::string& ResourceName() const override { return resourceName_; }

 private:
  // Calls a library function, or answers kViErrorNsupOper when the library lacks it.
  template <class F, class... Args>
  ViStatus Call(F function, const char* operation, Args... args) {
    if (!function)
      return Fail(kViErrorNsupOper, operation, library_->name + " has no " + operation);
    return Record(function(args...), operation);
  }

  ViStatus Record(ViStatus status, const char* operation) {
    lastStatus_ = status;
    if (status >= 0) {
      lastErrorDescription_.clear();
      return status;
    }
    // The library's own text, when it gives one, says more than the code's name.
    std::string detail;
    char text[kVisaStringSize] = {};
    if (library_->viStatusDesc && library_->viStatusDesc(vi_, status, text) >= 0) {
      detail = std::string(text, strnlen(text, sizeof text));
    }
    return Fail(status, operation, detail);
  }

  std::shared_ptr<VisaLibrary> library_;
  CSession vi_;
  std::string resourceName_;
  bool clearResetsInstrument_ = true;
};

}  // namespace

ViStatus LoadVisaLibrary(std::string_view name, std::shared_ptr<VisaLibrary>& library,
                         std::string& detail) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<VisaLibrary>, std::less<>> loaded;
  std::lock_guard guard(mutex);
  const std::string key = IsDefault(name) ? "default" : std::string(name);
  if (auto found = loaded.find(key); found != loaded.end()) {
    library = found->second;
    return kViSuccess;
  }
  std::unique_ptr<VisaLibrary> result;
  ViStatus status = kViErrorLibraryNfound;
  if (key == "default") {
    std::string tried;
    for (std::string_view candidate : kVisaLibrarySearch) {
      std::string why;
      status = LoadOne(std::string(candidate), result, why);
      if (status >= 0) break;
      if (!tried.empty()) tried += ", ";
      tried += candidate;
    }
    if (status < 0) detail = "no VISA library found (looked for " + tried + ")";
  } else {
    status = LoadOne(key, result, detail);
  }
  if (status < 0) return status;
  library = std::shared_ptr<VisaLibrary>(result.release(), [](VisaLibrary* l) { delete l; });
  loaded.emplace(key, library);
  return kViSuccess;
}

ViStatus OpenSystemVisaSession(const std::shared_ptr<VisaLibrary>& library,
                               std::string_view resource, AccessMode mode,
                               std::uint32_t openTimeoutMs, std::unique_ptr<VisaSession>& session,
                               std::string& detail) {
  const std::string text(resource);
  CSession vi = 0;
  const ViStatus status = library->viOpen(library->defaultRm, text.c_str(),
                                          static_cast<std::uint32_t>(mode), openTimeoutMs, &vi);
  if (status < 0) {
    detail = "through " + library->name;
    char description[kVisaStringSize] = {};
    if (library->viStatusDesc &&
        library->viStatusDesc(library->defaultRm, status, description) >= 0)
      detail += ": " + std::string(description, strnlen(description, sizeof description));
    return status;
  }
  session = std::make_unique<SystemVisaSession>(library, vi);
  return status;
}

const std::string& VisaLibraryName(const VisaLibrary& library) { return library.name; }

ViStatus FindInVisaLibrary(const std::shared_ptr<VisaLibrary>& library, std::string_view expression,
                           std::vector<std::string>& resources, std::string& detail) {
  using FindFirst = CStatus (*)(CSession, const char*, CSession*, std::uint32_t*, char*);
  using FindNext = CStatus (*)(CSession, char*);
  const auto first = reinterpret_cast<FindFirst>(dlsym(library->handle, "viFindRsrc"));
  const auto next = reinterpret_cast<FindNext>(dlsym(library->handle, "viFindNext"));
  if (!first || !next) {
    detail = library->name + " has no " + (first ? "viFindNext" : "viFindRsrc");
    return kViErrorNsupOper;
  }
  const std::string text(expression);
  CSession list = 0;
  std::uint32_t count = 0;
  char name[kVisaStringSize] = {};
  const CStatus status = first(library->defaultRm, text.c_str(), &list, &count, name);
  if (status < 0) {
    detail = library->name + ": viFindRsrc failed with " + StatusName(status);
    return status;
  }
  resources.emplace_back(name, strnlen(name, sizeof name));
  for (std::uint32_t i = 1; i < count && next(list, name) >= 0; ++i)
    resources.emplace_back(name, strnlen(name, sizeof name));
  if (library->viClose) library->viClose(list);
  return kViSuccess;
}

}  // namespace tevra::visa
