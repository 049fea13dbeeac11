// The counter behind the emulator: answers the driver's commands as a QX1100, QX1200 or QX1300
// would. Its settings memory starts at the driver's simulated defaults (read from the member
// rows) and keeps what was last set; measurements give readings that scatter around the
// function's nominal value (a measure row's simulated reading), and the statistics queries
// compute over the last readings. A query it does not know gets no reply and queues -113,
// "Undefined header" with the command-error bit of the event status register, as a counter does.
// Its status byte summarises the error queue (EAV, bit 2) and the event status register (ESB,
// bit 5); with either enabled by *SRE, MSS (bit 6) is set too, and a command that sets it
// requests service.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "emulator/Script.h"

namespace tevra::emulator {

class Counter final : public Responder {
 public:
  // False for a model outside the driver's model table.
  static bool KnownModel(std::string_view model);

  // model: "QX1100", "QX1200" or "QX1300"; seed: the noise generator's.
  explicit Counter(std::string model, std::uint32_t seed = 1);

  // A program message: commands joined by ';', each header absolute after ':' or relative to
  // the path of the header before it. The replies of its queries, joined by ';', end in '\n'.
  std::string Answer(std::string_view message) override;
  bool TakeServiceRequest() override { return std::exchange(serviceRequested_, false); }

 private:
  // False for a query it has no answer to.
  bool Execute(const std::string& header, std::string_view arguments, std::string& reply);
  bool Common(const std::string& header, std::string_view arguments, std::string& reply);
  bool Measurement(const std::string& header, std::string_view arguments, std::string& reply);
  bool Statistics(const std::string& header, std::string& reply);
  bool Histogram(const std::string& item, double low, double high, std::string& reply);
  void Reset();
  void Acquire();  // a new set of readings of the current function into memory
  double Nominal() const;
  std::string Setting(const char* header) const;  // as last set, or by default
  void Queue(int code, const char* text);
  int EnableMask(const char* header) const;
  int StatusByte() const;

  std::string model_;
  std::string identity_;
  std::mt19937 random_;
  std::map<std::string, std::string> defaults_;  // header -> reply
  std::map<std::string, std::string> settings_;  // header -> arguments last sent
  std::map<std::string, std::map<std::string, std::string>> saved_;  // *SAV location -> settings
  std::map<std::string, double> nominals_;                           // function -> value
  std::string function_;
  std::string configuration_;
  std::vector<double> readings_;
  double totalized_ = 0;
  std::deque<std::string> errors_;
  int eventStatus_ = 0;
  bool serviceRequested_ = false;
};

}  // namespace tevra::emulator
