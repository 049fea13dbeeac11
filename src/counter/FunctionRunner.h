// The steps every configure and measure method of the measurement functions shares: check the
// channels against the inputs found at Initialize, clear the voltage selection, answer from the
// simulated readings when simulating, and otherwise send the command or query one reading.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/CallContext.h"
#include "core/IoSession.h"
#include "counter/Tevra.h"

namespace tevra::counter {

// The channel numbers a function accepts.
enum class ChannelRule : std::uint8_t {
  None,         // takes no channel
  Any,          // 1..ChannelCount
  NoMicrowave,  // 1..ChannelCount, except the microwave input
  Microwave,    // only the microwave input, the last channel
};

// One configure or measure method: its entry record (command template, unsupported models) and
// what its body needs besides.
struct FunctionMethod {
  core::MethodRecord record;
  const char* errorName;  // the method as invalid-value messages name it
  ChannelRule rule = ChannelRule::None;
  double simulated = 0.0;  // a measure's reading in simulation
  std::int32_t timeout = core::kDefaultTimeout;
  bool keepsVoltage = false;      // leaves the voltage selection as it is
  bool needsBurstOption = false;  // asks "*OPT?" for the burst option before any other I/O
};

// A channel argument; real for the one method that takes its channel as a double.
struct ChannelArg {
  const char* name;
  double value;
  bool real = false;
};

// Message 8 for the first channel the method's rule refuses, in argument order.
HRESULT CheckChannels(Tevra& driver, const FunctionMethod& method,
                      std::initializer_list<ChannelArg> channels);

// The live part of a method: the burst-option gate, then text as one flushed message, or as a
// query whose one number goes to *reading.
HRESULT SendFunctionCommand(Tevra& driver, const FunctionMethod& method, std::string_view text,
                            double* reading);

// The command text is the formatted template.
struct UseTemplate {
  HRESULT operator()(const core::CallFrame& frame, std::string& text) const {
    text = frame.command;
    return S_OK;
  }
};

// Runs a method through the entry path. build makes the command text (or refuses the arguments)
// after the channel checks; reading is null for a configure method.
template <class Build, class... P>
HRESULT RunFunction(Tevra& driver, const FunctionMethod& method,
                    std::initializer_list<ChannelArg> channels, double* reading, Build build,
                    P... params) {
  return driver.Enter(
      method.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (HRESULT hr = CheckChannels(driver, method, channels); FAILED(hr)) return hr;
        std::string text;
        if (HRESULT hr = build(frame, text); FAILED(hr)) return hr;
        if (!method.keepsVoltage) driver.Measurement().voltageChannel = 0;
        if (driver.Simulating()) {
          if (reading) *reading = method.simulated;
          return S_OK;
        }
        return SendFunctionCommand(driver, method, text, reading);
      },
      params...);
}

// A method whose command is its template.
template <class... P>
HRESULT RunTemplate(Tevra& driver, const FunctionMethod& method,
                    std::initializer_list<ChannelArg> channels, double* reading, P... params) {
  return RunFunction(driver, method, channels, reading, UseTemplate{}, params...);
}

}  // namespace tevra::counter
