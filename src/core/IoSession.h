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

// Lends the %{Type}s specifiers of the format language their enumeration words.
class IEnumFormatter {
 protected:
  ~IEnumFormatter() = default;
};

// A destination of a formatted read.
struct ScanTarget {
  enum class Kind : std::uint8_t { Int32, Double, String } kind;
  void* where;  // std::int32_t*, double* or std::string*
};

class IIoSession {
 public:
  virtual ~IIoSession() = default;

  virtual HRESULT Open(std::string_view resourceDescriptor, IInstrErrorPoller* poller,
                       IErrorReporter* reporter, IEnumFormatter* formatter) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT Clear() = 0;  // device clear

  virtual HRESULT GetTimeout(std::int32_t& milliseconds) = 0;
  virtual HRESULT SetTimeout(std::int32_t milliseconds) = 0;

  // Composite operations: each ends by polling the instrument's status.
  virtual HRESULT WriteString(std::string_view text, bool flushEnd, std::int32_t timeout) = 0;
  virtual HRESULT QueryString(std::string_view command, std::string& reply,
                              std::int32_t timeout) = 0;
  virtual HRESULT QueryNumber(std::string_view command, std::int32_t& value,
                              std::int32_t timeout) = 0;
  virtual HRESULT QueryFormatted(std::string_view command, const char* readFormat,
                                 std::span<const ScanTarget> targets, std::int32_t timeout) = 0;

  // Unbuffered transfers that never poll, for the status check itself.
  virtual HRESULT LowLevelWriteStringNoPoll(std::string_view text, std::int32_t timeout) = 0;
  virtual HRESULT LowLevelReadStringNoPoll(std::string& text, std::int32_t timeout) = 0;
};

}  // namespace tevra::core
