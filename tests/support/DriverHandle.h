// A driver object for tests, with its inherent interfaces at hand and helpers that turn the
// object interface's strings and error information, and files, into std::string.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "core/IIoSession.h"
#include "core/ITraceLog.h"
#include "platform/Bstr.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::testing {

class DriverHandle {
 public:
  // Without a session the driver gets the one it ships with (no transport); without a trace log
  // it traces nothing.
  explicit DriverHandle(std::unique_ptr<core::IIoSession> io = nullptr,
                        std::unique_ptr<core::ITraceLog> trace = nullptr);
  ~DriverHandle();
  DriverHandle(const DriverHandle&) = delete;
  DriverHandle& operator=(const DriverHandle&) = delete;

  HRESULT Initialize(std::string_view resource, std::string_view options, bool idQuery = false,
                     bool reset = false);
  HRESULT Close() { return driver->Close(); }
  bool Initialized();

  ITevra* driver = nullptr;
  IIviDriverOperation* operation = nullptr;
  IIviDriverIdentity* identity = nullptr;
  IIviDriverUtility* utility = nullptr;
};

// Takes the calling thread's error information; empty when there is none.
std::string TakeErrorDescription();

// Calls a string getter and returns the text, or "<failed>" when it fails.
template <class Getter>
std::string GetText(Getter getter) {
  BSTR value = nullptr;
  if (FAILED(getter(&value))) return "<failed>";
  std::string text = platform::BstrToUtf8(value);
  TevraSysFreeString(value);
  return text;
}

// The whole contents of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace tevra::testing
