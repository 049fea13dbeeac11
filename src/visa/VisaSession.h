// A VISA session on one instrument resource, as the driver's I/O session uses it: message-based
// I/O, device clear, status byte, trigger, locks, attributes and service-request events. Each
// operation records its status and, when it failed, a readable description for the driver's I/O
// error messages. Two kinds exist: the session of a built-in transport (TransportSession) and a
// session of a system VISA library (SystemVisaSession).
//
// Not thread-safe: one session is used by one thread at a time (the driver's session lock).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "visa/VisaTypes.h"

namespace tevra::visa {

class VisaSession {
 public:
  virtual ~VisaSession() = default;

  // viRead: at most buffer.size() bytes. kViSuccess (END), kViSuccessTermChar or
  // kViSuccessMaxCnt (the message goes on: the next read continues it); an error may come with
  // count > 0.
  virtual ViStatus Read(std::span<std::uint8_t> buffer, std::size_t& count) = 0;
  // viWrite: END after the last byte when VI_ATTR_SEND_END_EN is true.
  virtual ViStatus Write(std::span<const std::uint8_t> data, std::size_t& written) = 0;
  ViStatus Write(std::string_view text, std::size_t& written) {
    return Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, written);
  }
  virtual ViStatus Clear() = 0;
  // Keeping replies matched to the queries that asked for them (see Transport::BeginExchange);
  // a session that cannot tell stale input apart answers false.
  virtual void BeginExchange() {}
  virtual bool LastReadWasStale() const { return false; }
  virtual bool HoldsInput() const { return false; }
  // Whether Clear empties the instrument's own queues.
  virtual bool ClearResetsInstrument() const = 0;
  virtual ViStatus ReadStatusByte(std::uint16_t& statusByte) = 0;
  virtual ViStatus AssertTrigger(std::uint16_t protocol) = 0;

  // viLock: ExclusiveLock or SharedLock, waiting at most timeoutMs for other sessions of the
  // same resource to release theirs. A shared lock is joined with its key; an empty requested
  // key makes a new one. accessKey receives the key of a shared lock (empty for exclusive).
  // kViSuccessNested... when this session already held that kind of lock.
  virtual ViStatus Lock(AccessMode mode, std::uint32_t timeoutMs, std::string_view requestedKey,
                        std::string& accessKey) = 0;
  // viUnlock: releases one level of the lock (an exclusive one first);
  // kViErrorSesnNlocked when the session holds none.
  virtual ViStatus Unlock() = 0;

  // Service requests, the one event a session delivers, and only queued: viEnableEvent and
  // viDisableEvent take kViEventServiceReq with kViQueue (disabling also takes
  // kViAllEnabledEvents and kViAllMech); viWaitOnEvent waits at most timeoutMs (kViTmoImmediate:
  // only looks) for the next one, kViErrorTmo when none came, kViErrorNenabled while they are
  // not enabled. Enabling twice answers kViSuccessEventEn, disabling twice kViSuccessEventDis.
  virtual ViStatus EnableEvent(ViEventType event, std::uint16_t mechanism) = 0;
  virtual ViStatus DisableEvent(ViEventType event, std::uint16_t mechanism) = 0;
  virtual ViStatus WaitOnEvent(ViEventType event, std::uint32_t timeoutMs) = 0;

  virtual ViStatus GetAttribute(ViAttr attribute, AttributeValue& value) = 0;
  virtual ViStatus SetAttribute(ViAttr attribute, const AttributeValue& value) = 0;

  // The name VISA reports for the resource (VI_ATTR_RSRC_NAME).
  virtual const std::string& ResourceName() const = 0;

  // The status of the last operation (VI_ATTR_..., I/O, lock), success codes included.
  ViStatus LastStatus() const { return lastStatus_; }
  // "VI_ERROR_TMO: Timeout expired before the operation completed. (viRead, 2000 ms)";
  // empty when the last operation succeeded.
  const std::string& LastErrorDescription() const { return lastErrorDescription_; }

 protected:
  VisaSession() = default;
  VisaSession(const VisaSession&) = delete;
  VisaSession& operator=(const VisaSession&) = delete;

  enum class EventOperation : std::uint8_t { Enable, Disable, Wait };
  static const char* OperationName(EventOperation operation);
  // The one check of an event operation's type and mechanism (kViErrorInvEvent,
  // kViErrorInvMech; a wait takes kViQueue); a failure is recorded as the operation's.
  ViStatus CheckEvent(EventOperation operation, ViEventType event, std::uint16_t mechanism);
  // Records status as the failure of operation, with detail, and returns it.
  ViStatus Fail(ViStatus status, std::string_view operation, std::string_view detail);

  ViStatus lastStatus_ = kViSuccess;
  std::string lastErrorDescription_;
};

// Builds the description of a failure the way sessions do; used by the resource manager for
// open failures.
std::string DescribeFailure(ViStatus status, std::string_view operation, std::string_view detail);

}  // namespace tevra::visa
