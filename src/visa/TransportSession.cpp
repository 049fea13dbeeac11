#include "visa/TransportSession.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>

namespace tevra::visa {

// The lock state of one resource, shared by every session open on it. Guarded by
// LockRegistry::mutex; lockedLevels lets I/O skip the mutex while nothing is locked.
struct ResourceLock {
  std::atomic<int> lockedLevels{0};
  const TransportSession* exclusiveOwner = nullptr;
  int exclusiveLevels = 0;
  std::string sharedKey;
  std::map<const TransportSession*, int> sharedLevels;
};

namespace {

struct LockRegistry {
  std::mutex mutex;
  std::condition_variable released;
  std::map<std::string, std::weak_ptr<ResourceLock>> byResource;
  std::uint64_t nextKey = 1;

  static LockRegistry& Instance() {
    static LockRegistry registry;
    return registry;
  }

  std::shared_ptr<ResourceLock> For(const std::string& resourceName) {
    std::lock_guard guard(mutex);
    std::weak_ptr<ResourceLock>& entry = byResource[resourceName];
    std::shared_ptr<ResourceLock> lock = entry.lock();
    if (!lock) {
      lock = std::make_shared<ResourceLock>();
      entry = lock;
    }
    return lock;
  }
};

bool HoldsShared(const ResourceLock& lock, const TransportSession* session) {
  return lock.sharedLevels.count(session) != 0;
}

// Whether session may do I/O on a resource in this lock state.
bool MayAccess(const ResourceLock& lock, const TransportSession* session) {
  if (lock.exclusiveOwner) return lock.exclusiveOwner == session;
  return lock.sharedLevels.empty() || HoldsShared(lock, session);
}

std::string TimeoutText(std::uint32_t timeoutMs) {
  return timeoutMs == kViTmoInfinite ? std::string("no timeout")
                                     : std::to_string(timeoutMs) + " ms";
}

}  // namespace

std::string DescribeFailure(ViStatus status, std::string_view operation, std::string_view detail) {
  std::string text = StatusName(status);
  const std::string_view description = StatusDescription(status);
  if (!description.empty()) {
    text += ": ";
    text += description;
  }
  text += " (";
  text += operation;
  if (!detail.empty()) {
    text += ": ";
    text += detail;
  }
  text += ")";
  return text;
}

TransportSession::TransportSession(ResourceAddress address, std::unique_ptr<Transport> transport)
    : address_(std::move(address)),
      resourceName_(CanonicalResourceName(address_)),
      transport_(std::move(transport)),
      lock_(LockRegistry::Instance().For(resourceName_)) {}

TransportSession::~TransportSession() {
  LockRegistry& registry = LockRegistry::Instance();
  std::lock_guard guard(registry.mutex);
  int released = 0;
  if (lock_->exclusiveOwner == this) {
    released += lock_->exclusiveLevels;
    lock_->exclusiveOwner = nullptr;
    lock_->exclusiveLevels = 0;
  }
  if (auto held = lock_->sharedLevels.find(this); held != lock_->sharedLevels.end()) {
    released += held->second;
    lock_->sharedLevels.erase(held);
    if (lock_->sharedLevels.empty()) lock_->sharedKey.clear();
  }
  if (released) {
    lock_->lockedLevels -= released;
    registry.released.notify_all();
  }
}

ViStatus TransportSession::Record(ViStatus status, const char* operation) {
  lastStatus_ = status;
  if (status >= 0) {
    lastErrorDescription_.clear();
    return status;
  }
  std::string detail = transport_->TakeErrorDetail();
  if (status == kViErrorTmo && detail.empty()) detail = TimeoutText(line_.timeoutMs);
  return Fail(status, operation, detail);
}

ViStatus TransportSession::CheckAccess(const char* operation) {
  if (lock_->lockedLevels.load(std::memory_order_acquire) == 0) return kViSuccess;
  std::lock_guard guard(LockRegistry::Instance().mutex);
  if (MayAccess(*lock_, this)) return kViSuccess;
  return Fail(kViErrorRsrcLocked, operation, "locked by another session");
}

ViStatus TransportSession::Read(std::span<std::uint8_t> buffer, std::size_t& count) {
  count = 0;
  if (const ViStatus access = CheckAccess("viRead"); access < 0) return access;
  return Record(transport_->Read(buffer, line_, count), "viRead");
}

ViStatus TransportSession::Write(std::span<const std::uint8_t> data, std::size_t& written) {
  written = 0;
  if (const ViStatus access = CheckAccess("viWrite"); access < 0) return access;
  return Record(transport_->Write(data, line_.sendEndEnabled, line_, written), "viWrite");
}

ViStatus TransportSession::Clear() {
  if (const ViStatus access = CheckAccess("viClear"); access < 0) return access;
  return Record(transport_->Clear(line_), "viClear");
}

ViStatus TransportSession::ReadStatusByte(std::uint16_t& statusByte) {
  if (const ViStatus access = CheckAccess("viReadSTB"); access < 0) return access;
  return Record(transport_->ReadStatusByte(line_, statusByte), "viReadSTB");
}

ViStatus TransportSession::AssertTrigger(std::uint16_t protocol) {
  if (const ViStatus access = CheckAccess("viAssertTrigger"); access < 0) return access;
  return Record(transport_->AssertTrigger(line_, protocol), "viAssertTrigger");
}

ViStatus TransportSession::Lock(AccessMode mode, std::uint32_t timeoutMs,
                                std::string_view requestedKey, std::string& accessKey) {
  accessKey.clear();
  if (mode != AccessMode::ExclusiveLock && mode != AccessMode::SharedLock) {
    return Record(kViErrorInvLockType, "viLock");
  }
  LockRegistry& registry = LockRegistry::Instance();
  std::unique_lock guard(registry.mutex);
  ResourceLock& lock = *lock_;

  if (mode == AccessMode::ExclusiveLock && lock.exclusiveOwner == this) {
    ++lock.exclusiveLevels;
    ++lock.lockedLevels;
    return Record(kViSuccessNestedExclusive, "viLock");
  }
  if (mode == AccessMode::SharedLock && HoldsShared(lock, this)) {
    if (!requestedKey.empty() && requestedKey != lock.sharedKey) {
      return Record(kViErrorInvAccessKey, "viLock");
    }
    ++lock.sharedLevels[this];
    ++lock.lockedLevels;
    accessKey = lock.sharedKey;
    return Record(kViSuccessNestedShared, "viLock");
  }

  // An exclusive lock needs every other session out; a shared one needs no foreign exclusive
  // lock and a matching key (an empty requested key starts a new shared lock).
  auto grantable = [&] {
    const bool foreignExclusive = lock.exclusiveOwner && lock.exclusiveOwner != this;
    if (mode == AccessMode::ExclusiveLock) {
      const std::size_t ownShared = HoldsShared(lock, this) ? 1 : 0;
      return !foreignExclusive && lock.sharedLevels.size() == ownShared;
    }
    return !foreignExclusive &&
           (lock.sharedLevels.empty() || (!requestedKey.empty() && requestedKey == lock.sharedKey));
  };
  const auto started = std::chrono::steady_clock::now();
  if (timeoutMs == kViTmoInfinite) {
    registry.released.wait(guard, grantable);
  } else if (!registry.released.wait_for(guard, std::chrono::milliseconds(timeoutMs), grantable)) {
    return Fail(kViErrorTmo, "viLock",
                "the resource stayed locked by another session for " + TimeoutText(timeoutMs));
  }

  if (mode == AccessMode::ExclusiveLock) {
    lock.exclusiveOwner = this;
    lock.exclusiveLevels = 1;
  } else {
    if (lock.sharedLevels.empty()) {
      lock.sharedKey = requestedKey.empty()
                           ? "tevra-shared-lock-" + std::to_string(registry.nextKey++)
                           : std::string(requestedKey);
    }
    lock.sharedLevels[this] = 1;
    accessKey = lock.sharedKey;
  }
  ++lock.lockedLevels;
  const bool firstLevel =
      lock.exclusiveOwner == this ? !HoldsShared(lock, this) : lock.exclusiveOwner == nullptr;
  guard.unlock();
  if (firstLevel) {
    // The instrument's own lock gets what the wait for this host's sessions left of the timeout.
    const std::uint32_t left = timeoutMs == kViTmoInfinite
                                   ? timeoutMs
                                   : static_cast<std::uint32_t>(RemainingMs(timeoutMs, started));
    const ViStatus device = LockDevice(accessKey, left);
    if (device < 0) {
      const std::string description = lastErrorDescription_;
      Unlock();
      lastErrorDescription_ = description;
      lastStatus_ = device;
      return device;
    }
  }
  return Record(kViSuccess, "viLock");
}

ViStatus TransportSession::LockDevice(std::string_view key, std::uint32_t timeoutMs) {
  const ViStatus status = transport_->LockDevice(key, timeoutMs);
  if (status == kViErrorNsupOper) {
    transport_->TakeErrorDetail();
    return kViSuccess;
  }
  return status < 0 ? Record(status, "viLock") : kViSuccess;
}

ViStatus TransportSession::Unlock() {
  LockRegistry& registry = LockRegistry::Instance();
  std::unique_lock guard(registry.mutex);
  ResourceLock& lock = *lock_;
  if (lock.exclusiveOwner == this) {
    if (--lock.exclusiveLevels == 0) lock.exclusiveOwner = nullptr;
  } else if (auto held = lock.sharedLevels.find(this); held != lock.sharedLevels.end()) {
    if (--held->second == 0) lock.sharedLevels.erase(held);
    if (lock.sharedLevels.empty()) lock.sharedKey.clear();
  } else {
    return Record(kViErrorSesnNlocked, "viUnlock");
  }
  --lock.lockedLevels;
  const bool released = lock.exclusiveOwner != this && !HoldsShared(lock, this);
  registry.released.notify_all();
  guard.unlock();
  // The device's own lock goes with the session's last level; a transport without one has
  // nothing to release.
  if (released) transport_->UnlockDevice();
  transport_->TakeErrorDetail();
  return Record(kViSuccess, "viUnlock");
}

ViStatus TransportSession::EnableEvent(ViEventType event, std::uint16_t mechanism) {
  if (const ViStatus checked = CheckEvent(EventOperation::Enable, event, mechanism); checked < 0)
    return checked;
  if (serviceRequestsEnabled_) return Record(kViSuccessEventEn, "viEnableEvent");
  const ViStatus status = transport_->EnableServiceRequest(true);
  serviceRequestsEnabled_ = status >= 0;
  return Record(status, "viEnableEvent");
}

ViStatus TransportSession::DisableEvent(ViEventType event, std::uint16_t mechanism) {
  if (const ViStatus checked = CheckEvent(EventOperation::Disable, event, mechanism); checked < 0)
    return checked;
  if (!serviceRequestsEnabled_) return Record(kViSuccessEventDis, "viDisableEvent");
  // Delivery stops here even when the instrument could not be told: nothing waits for it now.
  serviceRequestsEnabled_ = false;
  return Record(transport_->EnableServiceRequest(false), "viDisableEvent");
}

ViStatus TransportSession::WaitOnEvent(ViEventType event, std::uint32_t timeoutMs) {
  if (const ViStatus checked = CheckEvent(EventOperation::Wait, event, kViQueue); checked < 0)
    return checked;
  if (!serviceRequestsEnabled_)
    return Fail(kViErrorNenabled, "viWaitOnEvent", "service requests are not enabled");
  const ViStatus status = transport_->WaitServiceRequest(timeoutMs);
  if (status != kViErrorTmo) return Record(status, "viWaitOnEvent");
  transport_->TakeErrorDetail();
  return Fail(status, "viWaitOnEvent", "no service request within " + TimeoutText(timeoutMs));
}

ViStatus TransportSession::GetOwnAttribute(ViAttr attribute, AttributeValue& value) const {
  switch (attribute) {
    case kViAttrTmoValue:
      value = line_.timeoutMs;
      return kViSuccess;
    case kViAttrTermchar:
      value = line_.termChar;
      return kViSuccess;
    case kViAttrTermcharEn:
      value = line_.termCharEnabled;
      return kViSuccess;
    case kViAttrSendEndEn:
      value = line_.sendEndEnabled;
      return kViSuccess;
    case kViAttrSuppressEndEn:
      value = line_.suppressEndEnabled;
      return kViSuccess;
    case kViAttrIoProt:
      value = static_cast<std::uint16_t>(line_.protocol);
      return kViSuccess;
    case kViAttrIntfType:
      value = static_cast<std::uint16_t>(address_.interfaceType);
      return kViSuccess;
    case kViAttrIntfNum:
      value = address_.board;
      return kViSuccess;
    case kViAttrRsrcName:
      value = resourceName_;
      return kViSuccess;
    case kViAttrRsrcClass:
      value = address_.resourceClass;
      return kViSuccess;
    case kViAttrIntfInstName:
      value = resourceName_.substr(0, resourceName_.find("::"));
      return kViSuccess;
    case kViAttrRsrcManfName:
      value = std::string("Tevra");
      return kViSuccess;
    case kViAttrRsrcManfId:
      value = std::uint16_t{0};
      return kViSuccess;
    case kViAttrRsrcLockState: {
      std::lock_guard guard(LockRegistry::Instance().mutex);
      AccessMode state = AccessMode::NoLock;
      if (lock_->exclusiveOwner) {
        state = AccessMode::ExclusiveLock;
      } else if (!lock_->sharedLevels.empty()) {
        state = AccessMode::SharedLock;
      }
      value = static_cast<std::uint32_t>(state);
      return kViSuccess;
    }
    default:
      return transport_->GetAttribute(attribute, value);
  }
}

ViStatus TransportSession::GetAttribute(ViAttr attribute, AttributeValue& value) {
  return Record(GetOwnAttribute(attribute, value), "viGetAttribute");
}

ViStatus TransportSession::SetAttribute(ViAttr attribute, const AttributeValue& value) {
  auto set = [&]() -> ViStatus {
    std::uint64_t number = 0;
    switch (attribute) {
      case kViAttrTmoValue:
      case kViAttrTermchar:
      case kViAttrTermcharEn:
      case kViAttrSendEndEn:
      case kViAttrSuppressEndEn:
      case kViAttrIoProt:
        if (!NumberOf(value, number)) return kViErrorNsupAttrState;
        break;
      case kViAttrIntfType:
      case kViAttrIntfNum:
      case kViAttrRsrcName:
      case kViAttrRsrcClass:
      case kViAttrIntfInstName:
      case kViAttrRsrcManfName:
      case kViAttrRsrcManfId:
      case kViAttrRsrcLockState:
        return kViErrorAttrReadonly;
      default:
        return transport_->SetAttribute(attribute, value);
    }
    switch (attribute) {
      case kViAttrTmoValue:
        if (number > kViTmoInfinite) return kViErrorNsupAttrState;
        line_.timeoutMs = static_cast<std::uint32_t>(number);
        return kViSuccess;
      case kViAttrTermchar:
        if (number > 0xFF) return kViErrorNsupAttrState;
        line_.termChar = static_cast<std::uint8_t>(number);
        return kViSuccess;
      case kViAttrTermcharEn:
        line_.termCharEnabled = number != 0;
        return kViSuccess;
      case kViAttrSendEndEn:
        line_.sendEndEnabled = number != 0;
        return kViSuccess;
      case kViAttrSuppressEndEn:
        line_.suppressEndEnabled = number != 0;
        return kViSuccess;
      default:  // kViAttrIoProt
        if (number < static_cast<std::uint16_t>(IoProtocol::Normal) ||
            number > static_cast<std::uint16_t>(IoProtocol::UsbtmcVendor)) {
          return kViErrorNsupAttrState;
        }
        line_.protocol = static_cast<IoProtocol>(number);
        return kViSuccess;
    }
  };
  return Record(set(), "viSetAttribute");
}

}  // namespace tevra::visa
