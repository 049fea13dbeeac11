// The steps every configure and measure method of the measurement functions shares: check the
// channels against the inputs found at Initialize, clear the voltage selection, answer from the
// simulated readings when simulating, and otherwise send the command or query one reading.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/CallContext.h"
#include "core/IIoSession.h"
#include "counter/Rows.h"
#include "counter/Tevra.h"

namespace tevra::counter {

// A channel argument; real for the one method that takes its channel as a double.
struct ChannelArg {
  const char* name;
  double value;
  bool real = false;
};

// Message 8 for the first channel the method's rule refuses, in argument order.
HRESULT CheckChannels(Tevra& driver, const Method& method,
                      std::initializer_list<ChannelArg> channels);

// The live part of a method: the burst-option gate, then text as one flushed message, or as a
// query whose one number goes to *reading.
HRESULT SendFunctionCommand(Tevra& driver, const Method& method, std::string_view text,
                            double* reading);

// The command text is the formatted template.
struct UseTemplate {
  HRESULT operator()(core::CommandText&) const { return S_OK; }
};

// Runs a method through the entry path. build gets the frame's command text, which holds the
// formatted template, and may replace it (or refuse the arguments) after the channel checks;
// reading is null for a configure method.
template <class Build, class... P>
HRESULT RunFunction(Tevra& driver, const Method& method, std::initializer_list<ChannelArg> channels,
                    double* reading, Build build, P... params) {
  return driver.Enter(
      method.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (HRESULT hr = CheckChannels(driver, method, channels); FAILED(hr)) return hr;
        if (HRESULT hr = build(frame.command); FAILED(hr)) return hr;
        if (!method.keepsVoltage) driver.Measurement().voltageChannel = 0;
        if (driver.Simulating()) {
          if (reading) *reading = method.reading;
          return S_OK;
        }
        return SendFunctionCommand(driver, method, frame.command, reading);
      },
      params...);
}

// A method whose command is its template.
template <class... P>
HRESULT RunTemplate(Tevra& driver, const Method& method, std::initializer_list<ChannelArg> channels,
                    double* reading, P... params) {
  return RunFunction(driver, method, channels, reading, UseTemplate{}, params...);
}

}  // namespace tevra::counter
