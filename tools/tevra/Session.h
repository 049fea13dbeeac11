// The tevra command's driver session, over the C interface: opening and closing, a failed call as
// an exception carrying the driver's status and message, and the measurement functions by name.
#pragma once

#include <tevra/Tevra.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tevra::command {

// A driver call that failed: its status and the driver's text for it.
class Failure : public std::runtime_error {
 public:
  Failure(ViStatus status, const std::string& what) : std::runtime_error(what), status(status) {}
  ViStatus status;
};

class Session {
 public:
  // An empty resource simulates (model names the simulated model); trace switches the driver's
  // method trace on; setup holds further driver setup options ("Name=value, ...").
  Session(const std::string& resource, const std::string& model, bool trace,
          const std::string& setup = {});
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  ViSession Handle() const { return vi_; }
  bool Simulating() const { return simulating_; }
  // Throws Failure with what and the driver's text when status is an error.
  void Check(ViStatus status, const char* what) const;
  std::string Text(ViAttr attribute) const;
  std::int32_t Integer(ViAttr attribute) const;
  void SetInteger(ViAttr attribute, std::int32_t value) const;
  // The instrument's "*IDN?" reply through direct I/O; empty in simulation.
  std::string Identity() const;

 private:
  ViSession vi_ = VI_NULL;
  bool simulating_ = false;
};

// A measurement function by its command-line name: one reading, and the configuration repeated
// readings use.
struct Function {
  const char* name;
  const char* unit;
  std::function<ViStatus(ViSession, ViInt32 channel, ViReal64* value)> measure;
  std::function<ViStatus(ViSession, ViInt32 channel)> configure;
};
const std::vector<Function>& Functions();
const Function* FindFunction(const std::string& name);

// triggers x samples readings of the configured function, chunk by chunk as the instrument has
// them; progress(done) after each chunk.
std::vector<double> ReadMany(const Session& session, std::int32_t triggers, std::int32_t samples,
                             std::int32_t timeoutMs,
                             const std::function<void(std::size_t)>& progress);

}  // namespace tevra::command
