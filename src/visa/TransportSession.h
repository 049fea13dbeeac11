// The VISA session of a built-in transport: the attributes of the line (timeout, termination
// character, END), message-based I/O through the transport, device clear, status byte, trigger,
// service requests the transport delivers, and resource locks shared by every session of the
// process on the same resource; a transport that holds locks on the device itself (VXI-11, HiSLIP)
// is asked for one too, so other hosts are kept out as well.
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
#include "visa/VisaSession.h"
#include "visa/VisaTypes.h"

namespace tevra::visa {

struct ResourceLock;

class TransportSession final : public VisaSession {
 public:
  TransportSession(ResourceAddress address, std::unique_ptr<Transport> transport);
  ~TransportSession() override;  // releases the locks it holds and closes the transport

  using VisaSession::Write;
  ViStatus Read(std::span<std::uint8_t> buffer, std::size_t& count) override;
  ViStatus Write(std::span<const std::uint8_t> data, std::size_t& written) override;
  ViStatus Clear() override;
  void BeginExchange() override { transport_->BeginExchange(); }
  bool LastReadWasStale() const override { return transport_->LastReadWasStale(); }
  bool HoldsInput() const override { return transport_->HoldsInput(); }
  bool ClearResetsInstrument() const override { return transport_->ClearResetsInstrument(); }
  ViStatus ReadStatusByte(std::uint16_t& statusByte) override;
  ViStatus AssertTrigger(std::uint16_t protocol) override;
  ViStatus Lock(AccessMode mode, std::uint32_t timeoutMs, std::string_view requestedKey,
                std::string& accessKey) override;
  ViStatus Unlock() override;
  ViStatus EnableEvent(ViEventType event, std::uint16_t mechanism) override;
  ViStatus DisableEvent(ViEventType event, std::uint16_t mechanism) override;
  ViStatus WaitOnEvent(ViEventType event, std::uint32_t timeoutMs) override;
  ViStatus GetAttribute(ViAttr attribute, AttributeValue& value) override;
  ViStatus SetAttribute(ViAttr attribute, const AttributeValue& value) override;
  const std::string& ResourceName() const override { return resourceName_; }

  const LineSettings& Line() const { return line_; }
  const ResourceAddress& Address() const { return address_; }

 private:
  ViStatus Record(ViStatus status, const char* operation);
  // Asks the transport for the device's own lock on the first level of a lock; a transport
  // without device locks needs none.
  ViStatus LockDevice(std::string_view key, std::uint32_t timeoutMs);
  ViStatus CheckAccess(const char* operation);
  ViStatus GetOwnAttribute(ViAttr attribute, AttributeValue& value) const;

  ResourceAddress address_;
  std::string resourceName_;
  std::unique_ptr<Transport> transport_;
  std::shared_ptr<ResourceLock> lock_;
  LineSettings line_;
  bool serviceRequestsEnabled_ = false;
};

}  // namespace tevra::visa
