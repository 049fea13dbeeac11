// An in-memory I/O session that plays a script of exchanges: each command the driver writes must
// be the next one the script expects, and queries get the scripted reply. It records every
// command with the timeout in force. Only the library is scripted: the formatted and typed
// operations, and the status poll after each composite, are the real session's.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "io/IoSession.h"

namespace tevra::testing {

class ScriptedIoSession final : public io::CIoSession {
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
    int opens = 0;
    int closes = 0;
    int clears = 0;
    bool open = false;
    std::int32_t timeout = 2000;
    // Once the expected exchanges are played, every command is taken and a query gets this reply.
    std::function<std::string(std::string_view command)> answer;

    void Expect(std::string command, std::string reply = {}, HRESULT status = S_OK) {
      expected.push_back({std::move(command), std::move(reply), status});
    }
    std::vector<std::string> Commands() const;
  };

  explicit ScriptedIoSession(Script& script) : s_(script) {}
  ~ScriptedIoSession() override { Close(); }

  HRESULT ReadStatusByte(std::int16_t& statusByte) override;
  HRESULT Clear() override;
  HRESULT GetTimeout(std::int32_t& milliseconds) override;
  HRESULT SetTimeout(std::int32_t milliseconds) override;
  HRESULT GetTerminationCharacter(std::uint8_t& character) override;
  HRESULT SetTerminationCharacter(std::uint8_t character) override;
  HRESULT GetTerminationCharacterEnabled(bool& enabled) override;
  HRESULT SetTerminationCharacterEnabled(bool enabled) override;
  HRESULT GetSendEndEnabled(bool& enabled) override;
  HRESULT SetSendEndEnabled(bool enabled) override;
  HRESULT Lock(std::int32_t mode, std::int32_t timeout, std::string_view requestedKey,
               std::string& accessKey) override;
  HRESULT Unlock() override;
  HRESULT LibraryRead(std::span<std::uint8_t> buffer, std::size_t& count,
                      std::int32_t timeout) override;
  HRESULT LibraryWrite(std::span<const std::uint8_t> data, std::size_t& written,
                       std::int32_t timeout) override;

 protected:
  HRESULT OpenResource(std::string_view resourceDescriptor) override;
  // The scripted bus has a device clear: a session out of step gets back in step by it.
  bool LibraryClearResetsInstrument() const override { return true; }
  void CloseResource() override;

 private:
  // Plays one command; a query's reply, with a line feed, waits to be read.
  HRESULT Send(std::string_view command);

  Script& s_;
  std::string pendingRead_;
};

}  // namespace tevra::testing
