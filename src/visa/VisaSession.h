// A VISA session on one instrument resource: the attributes of the line (timeout, termination
// character, END), message-based I/O through its transport, device clear, status byte, trigger,
// and resource locks shared by every session of the process on the same resource. It records
// the status of its last operation and a readable description of its last error for the driver's
// I/O error messages.
//
// Not thread-safe: one session is used by one thread at a time (the driver's session lock);
// only Lock waits on other sessions.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "visa/ResourceString.h"
#include "visa/Transport.h"
#include "visa/VisaTypes.h"

namespace tevra::visa {

struct ResourceLock;

class VisaSession {
 public:
  VisaSession(ResourceAddress address, std::unique_ptr<Transport> transport);
  ~VisaSession();  // releases the locks it holds and closes the transport
  VisaSession(const VisaSession&) = delete;
  VisaSession& operator=(const VisaSession&) = delete;

  // viRead: at most buffer.size() bytes. kViSuccess (END), kViSuccessTermChar or
  // kViSuccessMaxCnt (the message goes on: the next read continues it); an error may come with
  // count > 0.
  ViStatus Read(std::span<std::uint8_t> buffer, std::size_t& count);
  // viWrite: END after the last byte when VI_ATTR_SEND_END_EN is true.
  ViStatus Write(std::span<const std::uint8_t> data, std::size_t& written);
  ViStatus Write(std::string_view text, std::size_t& written);
  ViStatus Clear();
  // The transport's reply matching (Transport::BeginExchange and the rest).
  void BeginExchange() { transport_->BeginExchange(); }
  bool LastReadWasStale() const { return transport_->LastReadWasStale(); }
  bool HoldsInput() const { return transport_->HoldsInput(); }
  bool ClearResetsInstrument() const { return transport_->ClearResetsInstrument(); }
  ViStatus ReadStatusByte(std::uint16_t& statusByte);
  ViStatus AssertTrigger(std::uint16_t protocol);

  // viLock: ExclusiveLock or SharedLock, waiting at most timeoutMs for other sessions of the
  // same resource to release theirs. A shared lock is joined with its key; an empty requested
  // key makes a new one. accessKey receives the key of a shared lock (empty for exclusive).
  // kViSuccessNested... when this session already held that kind of lock.
  ViStatus Lock(AccessMode mode, std::uint32_t timeoutMs, std::string_view requestedKey,
                std::string& accessKey);
  // viUnlock: releases one level of the lock (an exclusive one first);
  // kViErrorSesnNlocked when the session holds none.
  ViStatus Unlock();

  ViStatus GetAttribute(ViAttr attribute, AttributeValue& value);
  ViStatus SetAttribute(ViAttr attribute, const AttributeValue& value);

  const LineSettings& Line() const { return line_; }
  const ResourceAddress& Address() const { return address_; }
  const std::string& ResourceName() const { return resourceName_; }

  // The status of the last operation (VI_ATTR_..., I/O, lock), success codes included.
  ViStatus LastStatus() const { return lastStatus_; }
  // "VI_ERROR_TMO: Timeout expired before the operation completed. (viRead, 2000 ms)";
  // empty when the last operation succeeded.
  const std::string& LastErrorDescription() const { return lastErrorDescription_; }

 private:
  ViStatus Record(ViStatus status, const char* operation);
  ViStatus CheckAccess(const char* operation);
  ViStatus GetOwnAttribute(ViAttr attribute, AttributeValue& value) const;

  ResourceAddress address_;
  std::string resourceName_;
  std::unique_ptr<Transport> transport_;
  std::shared_ptr<ResourceLock> lock_;
  LineSettings line_;
  ViStatus lastStatus_ = kViSuccess;
  std::string lastErrorDescription_;
};

// Builds the description of a failure the way sessions do; used by the resource manager for
// open failures.
std::string DescribeFailure(ViStatus status, std::string_view operation, std::string_view detail);

}  // namespace tevra::visa
