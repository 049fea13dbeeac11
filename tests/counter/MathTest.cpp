// The math members that read several values from one reply: the statistics at once and the
// histogram, live with their raised and restored timeouts and simulated. The single-value rows
// are in the row walk.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

class Math : public ::testing::Test {
 protected:
  void TearDown() override { d.ExpectScriptPlayed(); }
  CounterDriver d;
};

TEST_F(Math, ListRepliesRaiseTheTimeoutToTenSecondsAndPutItBack) {
  d.Open("QX1300", "785");
  auto* statistics = d.Get<ITevraMathStatistics>(IID_ITevraMathStatistics);
  auto* histogram = d.Get<ITevraMathHistogram>(IID_ITevraMathHistogram);
  double a = -1, s = -1, lo = -1, hi = -1, count = -1;
  struct Row {
    std::int32_t sessionTimeout;
    const char* reply;
    HRESULT status;
    std::int32_t inForce;
  };
  // A longer session timeout stands; a short reply and a failed read restore it too.
  const Row rows[] = {{2000, "+1.0E+006,+2.5E-001,+9.0E+005,+1.1E+006", S_OK, 10000},
                      {20000, "1,2,3,4,5", S_OK, 20000},
                      {2000, "1,2,3", E_INVALIDARG, 10000},
                      {3000, "", kIoFailure, 10000}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reply);
    d.script.timeout = row.sessionTimeout;
    d.script.sent.clear();
    d.script.Expect("CALC:AVER:ALL?", row.reply, row.status == kIoFailure ? kIoFailure : S_OK);
    EXPECT_EQ(statistics->AverageAll(&a, &s, &lo, &hi), row.status) << TakeErrorDescription();
    EXPECT_THAT(d.script.sent,
                ::testing::ElementsAre(ScriptedIoSession::Sent{"CALC:AVER:ALL?", row.inForce}));
    EXPECT_EQ(d.script.timeout, row.sessionTimeout);
  }
  d.script.Expect("CALC:AVER:ALL?", "+1.0E+006,+2.5E-001,+9.0E+005,+1.1E+006");
  ASSERT_EQ(statistics->AverageAll(&a, &s, &lo, &hi), S_OK);
  EXPECT_EQ(std::vector<double>({a, s, lo, hi}), std::vector<double>({1e6, 0.25, 9e5, 1.1e6}));

  // The range, the count of readings, then the bins in the order received.
  SAFEARRAY* bins = nullptr;
  d.script.timeout = 2000;
  d.script.sent.clear();
  d.script.Expect("CALC2:TRAN:HIST:ALL?", "+5.0E-001,+2.5E+000,+6.0E+000,1,2,3");
  ASSERT_EQ(histogram->HistogramData(&lo, &hi, &count, &bins), S_OK) << TakeErrorDescription();
  EXPECT_EQ(std::vector<double>({lo, hi, count}), std::vector<double>({0.5, 2.5, 6}));
  EXPECT_EQ(Readings(bins), std::vector<double>({1, 2, 3}));
  d.script.Expect("CALC2:TRAN:HIST:ALL?", "+5.0E-001,+2.5E+000");
  EXPECT_EQ(histogram->HistogramData(&lo, &hi, &count, &bins), E_INVALIDARG);
  EXPECT_EQ(bins, nullptr);
  d.script.Expect("CALC2:TRAN:HIST:DATA?", "4,0,7");
  ASSERT_EQ(histogram->ReadData(&bins), S_OK);
  EXPECT_EQ(Readings(bins), std::vector<double>({4, 0, 7}));
  EXPECT_THAT(d.script.sent,
              ::testing::ElementsAre(ScriptedIoSession::Sent{"CALC2:TRAN:HIST:ALL?", 10000},
                                     ScriptedIoSession::Sent{"CALC2:TRAN:HIST:ALL?", 10000},
                                     ScriptedIoSession::Sent{"CALC2:TRAN:HIST:DATA?", 2000}));
}

TEST_F(Math, SimulatedStatisticsAndHistogramFollowTheTriggerAndBinSettings) {
  d.Simulate("QX1200");
  auto* statistics = d.Get<ITevraMathStatistics>(IID_ITevraMathStatistics);
  auto* histogram = d.Get<ITevraMathHistogram>(IID_ITevraMathHistogram);
  auto* trigger = d.Get<ITevraTrigger>(IID_ITevraTrigger);
  double a = -1, s = -1, lo = -1, hi = -1, count = -1;
  ASSERT_EQ(statistics->AverageAll(&a, &s, &lo, &hi), S_OK);
  EXPECT_EQ(std::vector<double>({a, s, lo, hi}), std::vector<double>({1e6, 0, 1e6, 1e6}));

  SAFEARRAY* bins = nullptr;
  ASSERT_EQ(histogram->HistogramData(&lo, &hi, &count, &bins), S_OK);
  EXPECT_EQ(std::vector<double>({lo, hi, count}), std::vector<double>({1e6, 1e6, 1}));
  EXPECT_TRUE(Readings(bins).empty());  // no bins until DataPoints is set

  ASSERT_EQ(trigger->put_Count(4), S_OK);
  ASSERT_EQ(trigger->put_SampleCount(3), S_OK);
  ASSERT_EQ(histogram->put_DataPoints(5), S_OK);
  ASSERT_EQ(histogram->HistogramData(&lo, &hi, &count, &bins), S_OK);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(Readings(bins), std::vector<double>(5, 0.0));
  ASSERT_EQ(histogram->ReadData(&bins), S_OK);
  EXPECT_EQ(Readings(bins), std::vector<double>(12, 0.0));
  EXPECT_TRUE(d.script.sent.empty());
}

}  // namespace
}  // namespace tevra::testing
