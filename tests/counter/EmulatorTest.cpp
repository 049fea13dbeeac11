// The emulator's counter on its own: measurements, the statistics over them, the reading memory,
// program messages with relative headers, the error queue, saved states and the status byte's
// service requests. Every property row
// against it, through the driver, is walked in RowWalkTest.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/Counter.h"

namespace tevra::testing {
namespace {

std::vector<double> Numbers(const std::string& reply) {
  std::vector<double> values;
  std::istringstream in(reply);
  for (std::string item; std::getline(in, item, ',');)
    values.push_back(std::strtod(item.c_str(), nullptr));
  return values;
}

TEST(EmulatorCounter, ReadingsScatterAroundTheFunctionsValueAndTheStatisticsAreTheirs) {
  emulator::Counter counter("QX1300");
  counter.Answer("TRIG:COUN 2;:SAMP:COUN 5");
  const std::vector<double> readings = Numbers(counter.Answer("MEAS:FREQ? 1e6,1,(@1)"));
  ASSERT_EQ(readings.size(), 10u);
  for (const double r : readings) EXPECT_NEAR(r, 1e6, 1.0);
  EXPECT_NE(readings.front(), readings.back());
  const double mean = std::accumulate(readings.begin(), readings.end(), 0.0) / 10;
  const std::vector<double> all = Numbers(counter.Answer("CALC:AVER:ALL?"));
  ASSERT_EQ(all.size(), 4u);
  EXPECT_NEAR(all[0], mean, 1e-6);
  EXPECT_EQ(all[2], *std::min_element(readings.begin(), readings.end()));
  EXPECT_EQ(all[3], *std::max_element(readings.begin(), readings.end()));
  const std::vector<double> histogram = Numbers(counter.Answer("CALC2:TRAN:HIST:POIN 4;ALL?"));
  ASSERT_EQ(histogram.size(), 3u + 4u);
  EXPECT_EQ(histogram[2], 10);
  EXPECT_EQ(std::accumulate(histogram.begin() + 3, histogram.end(), 0.0), 10);

  // Period readings are the period's; the memory gives readings up once.
  EXPECT_NEAR(Numbers(counter.Answer("CONF:PER (@1);:READ?"))[0], 1e-6, 1e-12);
  EXPECT_EQ(counter.Answer("DATA:POIN?"), "+10\n");
  const std::string block = counter.Answer("R? 3");
  EXPECT_EQ(block.substr(0, 4), "#224");
  EXPECT_EQ(block.size(), 4u + 24u + 1u);
  EXPECT_EQ(Numbers(counter.Answer("DATA:REM? 100")).size(), 7u);
  EXPECT_EQ(counter.Answer("DATA:POIN?"), "+0\n");
}

TEST(EmulatorCounter, ProgramMessagesSettingsErrorsAndSavedStates) {
  emulator::Counter counter("QX1100");
  EXPECT_EQ(counter.Answer("*IDN?"), "Orvane Technologies,QX1100,EM000001,1.2.2.0\n");
  // A relative header continues the path of the one before it; "INP" is "INP1".
  counter.Answer("CONF:PER (@1); :FREQ:GATE:SOUR TIME; TIME 0.25");
  EXPECT_EQ(counter.Answer("FREQ:GATE:SOUR?;TIME?"), "TIME;0.25\n");
  EXPECT_EQ(counter.Answer("INP:COUP?"), "AC\n");  // the default, from the member rows
  counter.Answer("INP1:COUP DC");
  EXPECT_EQ(counter.Answer("INP:COUP?"), "DC\n");
  EXPECT_EQ(counter.Answer("INP1:RANG MAX;RANG?"), "+5.00000000E+002\n");

  // An unknown query gets no reply; the error waits in the queue with the command-error bit.
  EXPECT_EQ(counter.Answer("NO:SUCH?"), "");
  EXPECT_EQ(counter.Answer("*ESR?"), "+32\n");
  EXPECT_EQ(counter.Answer("SYST:ERR?"), "-113,\"Undefined header\"\n");
  EXPECT_EQ(counter.Answer("SYST:ERR?"), "+0,\"No error\"\n");

  counter.Answer("*SAV 2;*RST");
  EXPECT_EQ(counter.Answer("INP:COUP?"), "AC\n");
  counter.Answer("*RCL 2");
  EXPECT_EQ(counter.Answer("INP:COUP?"), "DC\n");
}

TEST(EmulatorCounter, AnEnabledSummaryBitSetsMssAndRequestsServiceOnce) {
  emulator::Counter counter("QX1200");
  struct Step {
    const char* message;
    const char* reply;
    bool requestsService;
  };
  const Step steps[] = {
      {"NOPE?", "", false},      // an error, but nothing enabled
      {"*STB?", "+4\n", false},  // EAV; no ESB while *ESE enables no event
      {"*CLS;*SRE 4", "", false},
      {"NOPE?", "", true},  // EAV, enabled: MSS rises
      {"*STB?", "+68\n", false},
      {"NOPE?", "", false},  // MSS stays set: no new request
      {"*CLS;*SRE 32;*OPC", "", false},
      {"*ESE 1", "", true},  // the operation-complete event, now enabled, sets ESB
      {"*STB?", "+96\n", false},
      {"*SRE?", "32\n", false},
      {"*RST;*SRE?", "32\n", false},  // a reset keeps the enable registers
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.message);
    EXPECT_EQ(counter.Answer(step.message), step.reply);
    EXPECT_EQ(counter.TakeServiceRequest(), step.requestsService);
  }
}

}  // namespace
}  // namespace tevra::testing
