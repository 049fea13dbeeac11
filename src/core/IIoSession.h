// The seam between the driver core and the instrument I/O: the I/O session interface the core
// talks through, the status poller the session calls after each exchange, and the enumeration
// formatter it is lent. The session itself lives with the I/O code; the core holds it by this
// interface only.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/ErrorReporter.h"
#include "core/FormatArgs.h"
#include "visa/OpenOptions.h"

namespace tevra::core {

// A timeout argument of this value means "the session timeout, unchanged".
inline constexpr std::int32_t kDefaultTimeout = -2;

class IInstrErrorPoller {
 public:
  // Checks the instrument's status after an exchange; code 3 when it recorded an error.
  virtual HRESULT CheckInstrument() = 0;

 protected:
  ~IInstrErrorPoller() = default;
};

// Lends the %{Type}s specifiers of the format language their enumeration words. Both operations
// look the type name up (without regard to case) for the current call context and report their
// own failures: an unknown type name ("Unrecognized enum name '%s'."), a value without a word
// (the invalid-value report for parameter "nVal"), a word without a value ("Unexpected value '%s'
// for enum '%s'."). The driver overrides both; the defaults know no enumeration.
class IEnumFormatter {
 public:
  // The command word of value; the text stays valid as long as the enumeration tables (for the
  // life of the process).
  virtual HRESULT Format(std::string_view typeName, std::int32_t value, std::string_view& word) {
    return E_NOTIMPL;
  }
  // The value of a word read from the instrument (trimmed of white space first).
  virtual HRESULT Parse(std::string_view typeName, std::string_view word, std::int32_t& value) {
    return E_NOTIMPL;
  }

 protected:
  ~IEnumFormatter() = default;
};

// The buffer's success code for a read that stopped at its count while the instrument has more
// data for the same message.
inline constexpr HRESULT kResultMoreData = 0x00040102;

// Unbuffered transfers and the line settings they depend on; none of them polls the instrument's
// status. A timeout other than kDefaultTimeout holds for that one transfer.
class ILowLevelIo {
 public:
  // Reads at most buffer.size() bytes into buffer; count receives the number read. S_OK: the
  // message ended (END or the termination character); kResultMoreData: the read stopped at the
  // buffer's size and the message goes on.
  virtual HRESULT LowLevelReadNoPoll(std::span<std::uint8_t> buffer, std::size_t& count,
                                     std::int32_t timeout) = 0;
  // Writes the bytes; END follows the last byte when sending END is enabled.
  virtual HRESULT LowLevelWriteNoPoll(std::span<const std::uint8_t> data, std::size_t& written,
                                      std::int32_t timeout) = 0;
  // One whole message (END after it), begun with StartMessage.
  virtual HRESULT LowLevelWriteStringNoPoll(std::string_view text, std::int32_t timeout) = 0;
  virtual HRESULT LowLevelReadStringNoPoll(std::string& text, std::int32_t timeout) = 0;
  // A new message is about to be written. The session first gets back in step with the
  // instrument when an earlier exchange was given up, and from then on takes nothing that
  // arrived before this moment as a reply.
  virtual HRESULT StartMessage() { return S_OK; }

  virtual HRESULT GetTerminationCharacterEnabled(bool& enabled) = 0;
  virtual HRESULT SetTerminationCharacterEnabled(bool enabled) = 0;
  virtual HRESULT GetSendEndEnabled(bool& enabled) = 0;
  virtual HRESULT SetSendEndEnabled(bool enabled) = 0;

 protected:
  ~ILowLevelIo() = default;
};

// Told when the session drops input on its own to keep every reply matched to the query that
// asked for it, so that the trace shows what the instrument said.
class IIoObserver {
 public:
  enum class Dropped : std::uint8_t {
    Unsolicited,     // input that arrived before the message being answered was written
    RestOfReply,     // the unread rest of a reply, before the next message
    Resynchronised,  // everything before the answer to the query that got the session back in step
  };
  // head: the first bytes dropped; total: how many in all.
  virtual void OnInputDropped(Dropped why, std::string_view head, std::uint64_t total) = 0;

 protected:
  ~IIoObserver() = default;
};

// Which buffer SetBufferSize resizes.
enum class BufferSelect : std::int32_t { Read = 0, Write = 1, Both = 2 };

// The session interface: raw, formatted and typed I/O on one instrument resource. Composite
// operations (a write that flushes, a read, a query) end by polling the instrument's status and
// return the poll's status when the transfer itself succeeded. Typed operations take their value
// or destination as a FormatArg or ScanArg of one of the five element types (BYTE, short, long,
// float, double); array forms take a caller's array, a vector or a safe array.
class IIoSession : public ILowLevelIo {
 public:
  virtual ~IIoSession() = default;

  // Lifetime and identity.
  // The connection settings the next Open uses (serial line, system VISA library); a session
  // without a line of its own ignores them.
  virtual void SetOpenOptions(const visa::OpenOptions&) {}
  virtual HRESULT Open(std::string_view resourceDescriptor, IInstrErrorPoller* poller,
                       IErrorReporter* reporter, IEnumFormatter* formatter) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT ReadStatusByte(std::int16_t& statusByte) = 0;
  virtual HRESULT Clear() = 0;  // device clear

  // Formatted I/O settings.
  virtual HRESULT GetReadTerminator(std::string& terminator) = 0;
  virtual HRESULT SetReadTerminator(std::string_view terminator) = 0;
  virtual HRESULT GetWriteTerminator(std::string& terminator) = 0;
  virtual HRESULT SetWriteTerminator(std::string_view terminator) = 0;
  virtual HRESULT GetByteSwap(bool& swap) = 0;
  virtual HRESULT SetByteSwap(bool swap) = 0;

  // Line settings.
  virtual HRESULT GetTimeout(std::int32_t& milliseconds) = 0;
  virtual HRESULT SetTimeout(std::int32_t milliseconds) = 0;
  virtual HRESULT GetTerminationCharacter(std::uint8_t& character) = 0;
  virtual HRESULT SetTerminationCharacter(std::uint8_t character) = 0;

  // Buffer control.
  virtual HRESULT SetBufferSize(BufferSelect which, std::int32_t size) = 0;
  virtual HRESULT GetReadBufferSize(std::int32_t& size) = 0;
  virtual HRESULT GetWriteBufferSize(std::int32_t& size) = 0;
  virtual HRESULT FlushWrite(bool sendEnd, std::int32_t timeout) = 0;
  virtual HRESULT DiscardRead(std::int32_t timeout) = 0;

  // Locking: mode 0 exclusive, 1 shared.
  virtual HRESULT Lock(std::int32_t mode, std::int32_t timeout, std::string_view requestedKey,
                       std::string& accessKey) = 0;
  virtual HRESULT Unlock() = 0;

  virtual HRESULT PollInstrumentErrors() = 0;

  // Keeping replies matched to queries. The observer hears of dropped input. The marker is a
  // query the instrument always answers with the same reply (the identity query and the reply
  // it gave at Initialize): after an exchange was given up, the session sends it and drops
  // everything before that reply, so no late reply to an earlier query answers a later one.
  virtual void SetObserver(IIoObserver* observer) = 0;
  virtual void SetStepMarker(std::string_view query, std::string_view reply) = 0;

  // Formatted I/O.
  virtual HRESULT WriteFormatted(std::string_view format, std::span<const FormatArg> args,
                                 std::int32_t timeout) = 0;
  virtual HRESULT ReadFormatted(std::string_view format, std::span<const ScanArg> args,
                                std::int32_t timeout) = 0;
  virtual HRESULT QueryFormatted(std::string_view writeFormat, std::span<const FormatArg> writeArgs,
                                 std::string_view readFormat, std::span<const ScanArg> readArgs,
                                 std::int32_t timeout) = 0;
  // Sends command as it stands and reads its reply with readFormat, a format of the driver's own
  // (a row's response format) that was checked once and is not checked again on every call.
  virtual HRESULT QueryChecked(std::string_view command, std::string_view readFormat,
                               std::span<const ScanArg> readArgs, std::int32_t timeout) {
    const FormatArg text[] = {FormatArg(command)};
    return QueryFormatted("%s", text, readFormat, readArgs, timeout);
  }

  // Typed operations.
  virtual HRESULT WriteNumber(FormatArg value, bool flushEnd, std::int32_t timeout) = 0;
  virtual HRESULT ReadNumber(ScanArg value, bool flush, std::int32_t timeout) = 0;
  virtual HRESULT QueryNumber(std::string_view command, ScanArg value, std::int32_t timeout) = 0;
  virtual HRESULT WriteList(FormatArg values, bool flushEnd, std::int32_t timeout) = 0;
  virtual HRESULT ReadList(ScanArg values, bool flush, std::int32_t timeout) = 0;
  virtual HRESULT QueryList(std::string_view command, ScanArg values, std::int32_t timeout) = 0;
  virtual HRESULT WriteString(std::string_view text, bool flushEnd, std::int32_t timeout) = 0;
  // One response up to the read terminator, without it.
  virtual HRESULT ReadString(std::string& text, bool flush, std::int32_t timeout) = 0;
  virtual HRESULT QueryString(std::string_view command, std::string& reply,
                              std::int32_t timeout) = 0;
  virtual HRESULT WriteBinaryBlock(FormatArg values, bool flushEnd, std::int32_t timeout) = 0;
  virtual HRESULT ReadBinaryBlock(ScanArg values, bool flush, std::int32_t timeout) = 0;
  // Writes the command and reads its reply as a definite-length block, dropping the rest of the
  // response; the status check follows the whole exchange.
  virtual HRESULT QueryBinaryBlock(std::string_view command, ScanArg values,
                                   std::int32_t timeout) = 0;
};

}  // namespace tevra::core
