// An in-memory I/O session that plays a script of exchanges: each command the driver writes must
// be the next one the script expects, and queries get the scripted reply. It records every
// command with the timeout in force, and polls the driver's status check after each composite
// operation as a real session does.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/IoSession.h"

namespace tevra::testing {

class ScriptedIoSession final : public core::IIoSession {
 public:
  struct Exchange {
    std::string command;
    std::string reply;      // for queries and "*ESR?" reads
    HRESULT status = S_OK;  // a failure makes the operation fail with it (an I/O error)
  };
  struct Sent {
    std::string command;
    std::int32_t timeout;  // the timeout in force while it was exchanged
    bool operator==(const Sent&) const = default;
  };

  // The script is shared with the test, which keeps it after the driver took the session.
  struct Script {
    std::deque<Exchange> expected;
    std::vector<Sent> sent;
    std::vector<std::string> unexpected;  // commands that did not match the script
    HRESULT openStatus = S_OK;
    int opens = 0;
    int closes = 0;
    int clears = 0;
    bool open = false;
    std::int32_t timeout = 2000;

    void Expect(std::string command, std::string reply = {}, HRESULT status = S_OK) {
      expected.push_back({std::move(command), std::move(reply), status});
    }
    std::vector<std::string> Commands() const;
  };

  explicit ScriptedIoSession(Script& script) : s_(script) {}

  HRESULT Open(std::string_view resourceDescriptor, core::IInstrErrorPoller* poller,
               core::IErrorReporter* reporter, core::IEnumFormatter* formatter) override;
  HRESULT Close() override;
  HRESULT Clear() override;
  HRESULT GetTimeout(std::int32_t& milliseconds) override;
  HRESULT SetTimeout(std::int32_t milliseconds) override;
  HRESULT WriteString(std::string_view text, bool flushEnd, std::int32_t timeout) override;
  HRESULT QueryString(std::string_view command, std::string& reply, std::int32_t timeout) override;
  HRESULT QueryNumber(std::string_view command, std::int32_t& value, std::int32_t timeout) override;
  HRESULT QueryFormatted(std::string_view command, const char* readFormat,
                         std::span<const core::ScanTarget> targets, std::int32_t timeout) override;
  HRESULT LowLevelWriteStringNoPoll(std::string_view text, std::int32_t timeout) override;
  HRESULT LowLevelReadStringNoPoll(std::string& text, std::int32_t timeout) override;
  HRESULT LowLevelReadNoPoll(std::span<std::uint8_t> buffer, std::size_t& count,
                             std::int32_t timeout) override;
  HRESULT LowLevelWriteNoPoll(std::span<const std::uint8_t> data, std::size_t& written,
                              std::int32_t timeout) override;
  HRESULT GetTerminationCharacterEnabled(bool& enabled) override;
  HRESULT SetTerminationCharacterEnabled(bool enabled) override;
  HRESULT GetSendEndEnabled(bool& enabled) override;
  HRESULT SetSendEndEnabled(bool enabled) override;

 private:
  // Sends one command; on success reply holds the scripted reply.
  HRESULT Send(std::string_view command, std::int32_t timeout, std::string& reply);
  HRESULT Poll(HRESULT transfer);

  Script& s_;
  core::IInstrErrorPoller* poller_ = nullptr;
  core::IErrorReporter* reporter_ = nullptr;
  std::string pendingRead_;  // reply of the last low-level write, for the low-level read
};

}  // namespace tevra::testing
