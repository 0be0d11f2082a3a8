#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "sim/tdcr_run_counters.h"
#include "tdcr_test_support.h"

namespace korva::sim {
namespace {

using namespace korva::sim::testing;
using std::chrono::milliseconds;
namespace counter = tdcr_counter;

constexpr std::array<ChannelSet, 3> kPairs = {ChannelSet::kAB, ChannelSet::kBC, ChannelSet::kAC};
constexpr std::array<std::array<std::size_t, 2>, 3> kPairChannels = {{{0, 1}, {1, 2}, {0, 2}}};

constexpr std::uint16_t kWindowsN10M200 = 15 << 4;
constexpr std::uint16_t kBothCdt = 0xC000;
constexpr std::uint16_t k200us = 24998;  // extension position 25000

std::uint64_t Count(const TdcrRunRecord& r, ChannelSet set, std::size_t w, std::size_t e) {
  return r[counter::Coincidence(set, w, e)];
}

// Counts a rate the way the program does: counts over the live time of the extension.
double Rate(const TdcrRunRecord& r, ChannelSet set, std::size_t w, std::size_t e) {
  return static_cast<double>(Count(r, set, w, e)) /
         (1e-3 * static_cast<double>(r[counter::LiveTime(set, e)]));
}

double DRate(const TdcrRunRecord& r, std::size_t w, std::size_t e) {
  return Rate(r, ChannelSet::kAB, w, e) + Rate(r, ChannelSet::kBC, w, e) + Rate(r, ChannelSet::kAC, w, e) -
         2 * Rate(r, ChannelSet::kABC, w, e);
}

// One run of `presetMs` with the given windows/modes word, extension 2 and thresholds.
TdcrRunRecord MeasureOnce(const TdcrOptions& options, std::uint32_t presetMs, std::uint16_t windows,
                          std::uint16_t extension2 = 78, std::uint16_t threshold = 0) {
  VirtualInstrument instrument(InstrumentIdentity{}, 9, options);
  SetUpSequence(instrument, 1, presetMs, 0);
  WriteRegisters(instrument, 80, {threshold, threshold, threshold});
  WriteRegisters(instrument, 85, {extension2});
  WriteRegisters(instrument, 90, {windows});
  WriteControl(instrument, kStartWord);
  AdvanceBy(instrument, milliseconds(presetMs + 10), milliseconds(50));
  EXPECT_FALSE(Running(instrument));
  return RecordOf(instrument, 1);
}

// What holds for any run, whatever the source: every coincidence is also a
// pair, a pair also two singles, D is the logical sum, no timer passes the
// real time, and the wide window M catches at least what N catches.
void ExpectConsistent(const TdcrRunRecord& r) {
  const std::uint64_t real = r[counter::kRealTime];
  for (std::size_t e = 0; e < 2; ++e) {
    SCOPED_TRACE(::testing::Message() << "extension " << e + 1);
    for (std::size_t c = 0; c < 3; ++c) {
      EXPECT_LE(r[counter::Single(c, e)], r[counter::Raw(c)]);
      EXPECT_LE(r[counter::LiveTime(static_cast<ChannelSet>(c), e)], real);
    }
    for (std::size_t w = 0; w < 2; ++w) {
      std::uint64_t pairs = 0;
      for (std::size_t p = 0; p < 3; ++p) {
        const std::uint64_t pair = Count(r, kPairs[p], w, e);
        EXPECT_LE(Count(r, ChannelSet::kABC, w, e), pair);
        for (const std::size_t c : kPairChannels[p]) EXPECT_LE(pair, r[counter::Single(c, e)]);
        EXPECT_LE(r[counter::LiveTime(kPairs[p], e)],
                  r[counter::LiveTime(static_cast<ChannelSet>(kPairChannels[p][0]), e)]);
        EXPECT_LE(r[counter::LiveTime(ChannelSet::kABC, e)], r[counter::LiveTime(kPairs[p], e)]);
        pairs += pair;
      }
      EXPECT_EQ(r[counter::Double(w, e)], pairs - 2 * Count(r, ChannelSet::kABC, w, e));
    }
    for (const ChannelSet set : {ChannelSet::kAB, ChannelSet::kBC, ChannelSet::kAC, ChannelSet::kABC}) {
      EXPECT_GE(Count(r, set, 1, e), Count(r, set, 0, e));
    }
  }
}

TEST(TdcrCounting, ATritiumVialGivesConsistentCountsAndTheTdcrRatioOfItsYield) {
  const TdcrRunRecord r = MeasureOnce(TdcrOptions{}, 2000, kWindowsN10M200);
  ExpectConsistent(r);
  EXPECT_EQ(r[counter::kRealTime], 2000u);
  // The default yield gives tritium T/D 0.50 and an efficiency for D of
  // 0.55 at kB 0.010 cm/MeV in the wide window; the 10 ns window loses some
  // faint doubles and more faint triples.
  for (std::size_t w = 0; w < 2; ++w) {
    const double ratio = Rate(r, ChannelSet::kABC, w, 0) / DRate(r, w, 0);
    EXPECT_GT(ratio, 0.42);
    EXPECT_LT(ratio, 0.53);
  }
  EXPECT_NEAR(DRate(r, 1, 0) / 5000.0, 0.55, 0.03) << "D efficiency of the yield model";
  EXPECT_LT(DRate(r, 0, 0), DRate(r, 1, 0));
  EXPECT_GT(static_cast<double>(Count(r, ChannelSet::kABC, 1, 0)),
            1.02 * static_cast<double>(Count(r, ChannelSet::kABC, 0, 0)))
      << "10 ns loses faint triples the scintillator's decay spreads out";
}

TEST(TdcrCounting, TheWindowLossFollowsTheLightsTimeProfile) {
  const auto triplesKeptByN10 = [](const PulseTiming& timing) {
    const TdcrRunRecord r = MeasureOnce(TdcrOptions{.timing = timing}, 1000, kWindowsN10M200);
    ExpectConsistent(r);
    return static_cast<double>(Count(r, ChannelSet::kABC, 0, 0)) /
           static_cast<double>(Count(r, ChannelSet::kABC, 1, 0));
  };
  // Light within 0.1 ns and no jitter: every pulse of an event comes within
  // 10 ns; 200 ns only adds its accidental triples (some 0.1 %) and the
  // spread of a few counts.
  EXPECT_GT(triplesKeptByN10(PulseTiming{.promptNs = 0.1, .delayedFraction = 0.0, .jitterNs = 0.0}), 0.99);
  // All light delayed by 250 ns: a faint tube's single photoelectron falls
  // within 10 ns of the first tube's with probability about 1 - exp(-10/250),
  // so 10 ns keeps only the few brightest triples that 200 ns keeps.
  EXPECT_LT(triplesKeptByN10(PulseTiming{.delayedFraction = 1.0, .delayedNs = 250.0}), 0.3);
  // The default timing: a loss of a few per cent, as on a real counter.
  const double kept = triplesKeptByN10(PulseTiming{});
  EXPECT_LT(kept, 0.98);
  EXPECT_GT(kept, 0.85);
}

TEST(TdcrCounting, TheEmitterAndTheOpticsSetTheEfficiencyAndTheRatio) {
  const auto measured = [](const TdcrOptions& options) {
    const TdcrRunRecord r = MeasureOnce(options, 1000, kWindowsN10M200);
    return std::pair{DRate(r, 1, 0) / options.activityBq, Rate(r, ChannelSet::kABC, 1, 0) / DRate(r, 1, 0)};
  };
  const auto [carbonEfficiency, carbonRatio] = measured(TdcrOptions{.nuclide = "C-14"});
  EXPECT_GT(carbonEfficiency, 0.92);
  EXPECT_GT(carbonRatio, 0.92);
  const auto [brightEfficiency, brightRatio] = measured(TdcrOptions{.photoelectronsPerKeV = 3.0});
  EXPECT_GT(brightEfficiency, 0.75);
  EXPECT_GT(brightRatio, 0.7);
  const auto [quenchedEfficiency, quenchedRatio] = measured(TdcrOptions{.kbCmPerMeV = 0.02});
  EXPECT_LT(quenchedEfficiency, 0.53);
  EXPECT_LT(quenchedRatio, 0.48);
  // Bi-207: only the decays with a conversion electron (11.2 %) give light, and plenty of it.
  const auto [bismuthEfficiency, bismuthRatio] =
      measured(TdcrOptions{.activityBq = 50000.0, .nuclide = "Bi-207"});
  EXPECT_NEAR(bismuthEfficiency, 0.112, 0.008);
  EXPECT_GT(bismuthRatio, 0.98);
}

TEST(TdcrCounting, LiveTimesCorrectTheRatesUnderALongDeadTimeInBothModes) {
  for (const std::uint16_t mode : {std::uint16_t{0}, kBothCdt}) {
    SCOPED_TRACE(mode ? "CDT" : "IDT");
    const TdcrRunRecord r = MeasureOnce(TdcrOptions{}, 2000, mode, k200us);
    ExpectConsistent(r);
    const double liveFraction = 1e-3 * static_cast<double>(r[counter::LiveTime(ChannelSet::kA, 1)]) / 2.0;
    const double rawA = static_cast<double>(r[counter::Raw(0)]) / 2.0;
    // An extendable dead time is live while no trigger came within the last
    // 200 us: IDT triggers on A's own pulses, CDT on every event, counted by
    // inclusion and exclusion of the nearly undisturbed extension 1.
    double triggers = rawA;
    if (mode == kBothCdt) {
      triggers = 0.0;
      for (std::size_t c = 0; c < 3; ++c) triggers += static_cast<double>(r[counter::Single(c, 0)]) / 2.0;
      for (const ChannelSet pair : kPairs) triggers -= static_cast<double>(Count(r, pair, 1, 0)) / 2.0;
      triggers += static_cast<double>(Count(r, ChannelSet::kABC, 1, 0)) / 2.0;
    }
    EXPECT_NEAR(liveFraction, std::exp(-triggers * 200e-6), 0.03);
    const double acceptedA = static_cast<double>(r[counter::Single(0, 1)]) / (liveFraction * 2.0);
    EXPECT_NEAR(acceptedA / rawA, 1.0, 0.08);
    for (const ChannelSet set : {ChannelSet::kAB, ChannelSet::kABC}) {
      EXPECT_NEAR(Rate(r, set, 0, 1) / Rate(r, set, 0, 0), 1.0, 0.08);
    }
    EXPECT_NEAR(DRate(r, 0, 1) / DRate(r, 0, 0), 1.0, 0.08);
  }
}

TEST(TdcrCounting, DarkPulsesMakeAccidentalsThatGrowWithTheWindowAndAThresholdSilences) {
  const TdcrOptions darkOnly{.activityBq = 0.0, .darkRatePerPmt = 1e5};
  const TdcrRunRecord r = MeasureOnce(darkOnly, 100, kWindowsN10M200);
  ExpectConsistent(r);
  const double rateA = static_cast<double>(r[counter::Raw(0)]) / 0.1;
  EXPECT_NEAR(rateA, 1e5, 3e3);
  // Two independent trains meet within +-W at 2 W rA rB.
  const double accidentalAB = 2 * 200e-9 * rateA * static_cast<double>(r[counter::Raw(1)]) / 0.1;
  EXPECT_NEAR(Rate(r, ChannelSet::kAB, 1, 0) / accidentalAB, 1.0, 0.2);
  const double windowRatio = static_cast<double>(Count(r, ChannelSet::kAB, 1, 0)) /
                             static_cast<double>(Count(r, ChannelSet::kAB, 0, 0));
  EXPECT_NEAR(windowRatio, 20.0, 5.0);

  constexpr std::uint16_t kMinus60mV = 35914;  // RQ3102: code x -0.0190735 + 625
  const TdcrRunRecord silenced = MeasureOnce(darkOnly, 100, kWindowsN10M200, 78, kMinus60mV);
  EXPECT_EQ(silenced[counter::Raw(0)], 0u) << "a dark pulse is one photoelectron";
}

TEST(TdcrCounting, AHigherThresholdLowersTheEfficiencyAndTheTdcrRatio) {
  constexpr std::uint16_t kMinus60mV = 35914;
  const TdcrRunRecord low = MeasureOnce(TdcrOptions{}, 1000, kWindowsN10M200);
  const TdcrRunRecord high = MeasureOnce(TdcrOptions{}, 1000, kWindowsN10M200, 78, kMinus60mV);
  const auto ratio = [](const TdcrRunRecord& r) { return Rate(r, ChannelSet::kABC, 1, 0) / DRate(r, 1, 0); };
  EXPECT_LT(DRate(high, 1, 0), 0.8 * DRate(low, 1, 0));
  EXPECT_LT(ratio(high), ratio(low) - 0.1);
}

TEST(TdcrCounting, ReferenceClocksRunTheConfiguredPartsPerMillionAhead) {
  for (const double ppm : {3.0, 20.0, -30.0}) {
    const TdcrRunRecord r = MeasureOnce(TdcrOptions{.activityBq = 100.0, .referencePpm = ppm}, 1000, 0);
    EXPECT_EQ(r[counter::kInternalClock], 10'000'000u);
    const double ratio = static_cast<double>(r[counter::kInternalReference]) / 10'000'000.0;
    EXPECT_NEAR((ratio - 1.0) * 1e6, ppm, 0.2);
    EXPECT_EQ(r[counter::kExternalReference], r[counter::kInternalReference]);
  }
}

}  // namespace
}  // namespace korva::sim
