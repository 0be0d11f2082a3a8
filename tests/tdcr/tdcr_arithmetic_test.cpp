#include <gtest/gtest.h>

#include <vector>

#include "run_memory.h"
#include "tdcr/tdcr_counter_readout.h"
#include "tdcr/tdcr_rates.h"
#include "tdcr/time_base.h"

namespace korva {
namespace {

using test::PutCounter;
using C = TdcrCounter;
using R = TdcrRates;

class TdcrArithmeticTest : public ::testing::Test {
 protected:
  std::vector<std::uint32_t> memory = std::vector<std::uint32_t>(16384, 0);

  DisplayedRun Run(std::size_t run = 1) const { return DisplayedRun(TdcrRunRecord::Read(memory, run - 1)); }
  void Put(TdcrCounter counter, std::uint64_t value, std::size_t run = 1) {
    PutCounter(memory, run, counter, value);
  }
  void PutClocks(std::uint64_t internal, std::uint64_t internalReference, std::uint64_t externalReference) {
    Put(C::kInt10MHz, internal);
    Put(C::kIntRef10MHz, internalReference);
    Put(C::kExtRef10MHz, externalReference);
  }
};

TEST_F(TdcrArithmeticTest, TimeBaseFollowsTheChosenReferenceOnlyWithin25Ppm) {
  PutClocks(10'000'000, 10'000'200, 10'000'300);  // internal ref +20 ppm, external +30 ppm
  EXPECT_DOUBLE_EQ(TimeBaseFactor(Run(), 1), 0.001 * 1.00002);
  EXPECT_EQ(TimeBaseFactor(Run(), 2), 0.001);
  EXPECT_EQ(TimeBaseFactor(Run(), 0), 0.001);

  PutClocks(10'000'000, 10'000'250, 9'999'760);  // +25 ppm exactly is outside, -24 ppm inside
  EXPECT_EQ(TimeBaseFactor(Run(), 1), 0.001);
  EXPECT_DOUBLE_EQ(TimeBaseFactor(Run(), 2), 0.001 * 0.999976);

  PutClocks(0, 10'000'000, 10'000'000);
  EXPECT_EQ(TimeBaseFactor(Run(), 1), 0.001);
  EXPECT_EQ(TimeBaseFactor(Run(), 2), 0.001);
}

TEST_F(TdcrArithmeticTest, RecordsAreReadAt128EntriesPerRunWithTheHighHalfSecond) {
  Put(C::kRawA, 5'000'000'000, 2);
  Put(C::kExtRef10MHz, 7, 64);
  EXPECT_EQ(Run(2)[C::kRawA], 5'000'000'000u);
  EXPECT_EQ(Run(64)[C::kExtRef10MHz], 7u);
  EXPECT_EQ(Run(1)[C::kRawA], 0u);

  TdcrCounterReadout readout;
  readout.Refresh(Run(2), 0.001, 0);
  EXPECT_EQ(readout.Texts().pmts[0].raw, "5000000000");
}

TEST_F(TdcrArithmeticTest, TotalRealTimeAddsAll64RecordsIn64Bits) {
  Put(C::kRealTime, 0xFFFFFFFFull, 1);
  Put(C::kRealTime, 2, 64);
  EXPECT_EQ(TotalRealTimeTicks(memory), 0x100000001ull);
}

// Live times depend on the extension only: AB of N1 and M1 both divide by
// live time AB1. D comes from the rates and may be negative.
TEST_F(TdcrArithmeticTest, RatesDivideByTheirExtensionsLiveTimeAndDFollowsTheRates) {
  Put(C::kLiveAb1, 2000);
  Put(C::kLiveBc1, 1000);
  Put(C::kLiveAc1, 1000);
  Put(C::kLiveT1, 1000);
  Put(C::kAbN1, 20);  // 10 cps
  Put(C::kAbM1, 40);  // 20 cps
  Put(C::kBcN1, 10);
  Put(C::kAcN1, 10);
  Put(C::kTN1, 25);
  Put(C::kDN1, 999);  // the instrument's D is not used for the rates
  const TdcrRates rates = ComputeRates(Run(), 0.001);
  EXPECT_DOUBLE_EQ(rates.rates[R::kN1][R::kAB], 10.0);
  EXPECT_DOUBLE_EQ(rates.rates[R::kM1][R::kAB], 20.0);
  EXPECT_DOUBLE_EQ(rates.rates[R::kN1][R::kD], -20.0);
  EXPECT_DOUBLE_EQ(*rates.ratios[R::kN1][R::kTOverD], -1.25);
  EXPECT_DOUBLE_EQ(*rates.ratios[R::kN1][R::kTOverAB], 2.5);

  const TdcrRateTexts texts = FormatRates(rates);
  EXPECT_EQ(texts.rates[R::kN1][R::kD], "   -20.000");
  EXPECT_EQ(texts.ratios[R::kN1][R::kTOverD], " -1.250000");
  EXPECT_EQ(texts.liveTimes[0][R::kAB], "     2.000");

  // The counters view computes its ED from the counts, wrapping as unsigned.
  TdcrCounterReadout readout;
  readout.Refresh(Run(), 0.001, 0);
  EXPECT_EQ(readout.Texts().coincidences[R::kN1][TdcrCounterTexts::kED], "18446744073709551606");
  EXPECT_EQ(readout.Texts().coincidences[R::kN1][TdcrCounterTexts::kD], "999");
}

TEST_F(TdcrArithmeticTest, ZeroDivisorsGiveZeroRatesAndZeroRatioTexts) {
  Put(C::kAbN2, 50);  // counts with no live time and no real time
  Put(C::kTN2, 50);
  Put(C::kRawA, 100);
  Put(C::kExt1A, 300);
  Put(C::kLiveA1, 3000);
  const TdcrRateTexts texts = FormatRates(ComputeRates(Run(), 0.001));
  EXPECT_EQ(texts.rates[R::kN2][R::kAB], "     0.000");
  EXPECT_EQ(texts.ratios[R::kN2][R::kTOverAB], "0.0");
  EXPECT_EQ(texts.ratios[R::kN2][R::kTOverD], "0.0");
  EXPECT_EQ(texts.realTime, "     0.000");

  TdcrCounterReadout readout;
  readout.Refresh(Run(), 0.001, 0);
  const TdcrCounterTexts::Pmt& a = readout.Texts().pmts[0];
  EXPECT_EQ(a.rawRate, "0.0");
  EXPECT_EQ(a.ext1Rate, "   100.000");
  EXPECT_EQ(a.ext2Rate, "     0.000");
  EXPECT_EQ(a.liveTime1, "     3.000");
}

TEST_F(TdcrArithmeticTest, RawRatesUseTheCorrectedRealTime) {
  Put(C::kRealTime, 2000);
  Put(C::kRawC, 1000);
  TdcrCounterReadout readout;
  readout.Refresh(Run(), 0.0005, 0);
  EXPECT_EQ(readout.Texts().pmts[2].rawRate, "  1000.000");
}

TEST_F(TdcrArithmeticTest, SourceBitsThreeShowNone) {
  TdcrCounterReadout readout;
  readout.Refresh(Run(), 0.001, 0x0702);
  EXPECT_EQ(readout.ShownSource(), 2);
  readout.Refresh(Run(), 0.001, 0x0703);
  EXPECT_EQ(readout.ShownSource(), 0);
}

}  // namespace
}  // namespace korva
