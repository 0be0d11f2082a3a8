#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "analysis/decay_correction.h"
#include "analysis/rate_corrections.h"
#include "sim/tdcr_run_counters.h"
#include "sim/tdcr_run_record.h"
#include "sim/tdcr_settings.h"
#include "sim/virtual_instrument.h"
#include "tdcr/tdcr_rates.h"
#include "virtual_vial.h"

namespace korva {
namespace {

// A tritium vial counted twice by the virtual instrument, once with quiet
// tubes and once with tubes that each add 10 000 dark pulses a second: with
// the accidentals taken off, the noisy vial's 200 ns window gives the quiet
// vial's D and T again, though the noise adds a seventh to its doubles.
TEST(AccidentalCoincidences, TheirCorrectionRestoresAVialSeenThroughNoisyTubes) {
  constexpr std::uint32_t kRunMs = 2500;
  struct Counted {
    CoincidenceRates measured;
    CoincidenceRates net;
  };
  const auto count = [](double darkRate) {
    const std::vector<TdcrRunRecord> records =
        test::MeasureVial({.activityBq = 2000.0, .darkRatePerPmt = darkRate}, 1, kRunMs, 23);
    const DisplayedRun run(records[0]);
    const TdcrRates rates = ComputeRates(run, 0.001);
    const auto& m = rates.rates[TdcrRates::kM1];
    const CoincidenceRates measured{m[TdcrRates::kAB], m[TdcrRates::kBC], m[TdcrRates::kAC],
                                    m[TdcrRates::kT]};
    const auto single = [&](TdcrCounter counts, TdcrCounter live) {
      return static_cast<double>(run[counts]) / (1e-3 * static_cast<double>(run[live]));
    };
    const SingleRates singles{single(TdcrCounter::kExt1A, TdcrCounter::kLiveA1),
                              single(TdcrCounter::kExt1B, TdcrCounter::kLiveB1),
                              single(TdcrCounter::kExt1C, TdcrCounter::kLiveC1)};
    return Counted{measured,
                   WithoutAccidentals(singles, measured, {200e-9, 200e-9, DeadTimeMode::kIndividual})};
  };
  const Counted quiet = count(0.0);
  const Counted noisy = count(10000.0);
  EXPECT_GT(noisy.measured.D() - noisy.net.D(), 0.1 * quiet.net.D());
  EXPECT_GT(noisy.measured.t - noisy.net.t, 2.0) << "noise pairs up with true pairs into triples";
  // Two independent counts of D and T: 4 standard deviations of their difference.
  const double seconds = kRunMs / 1000.0;
  EXPECT_NEAR(noisy.net.D(), quiet.net.D(), 4.0 * std::sqrt(2.0 * quiet.net.D() / seconds));
  EXPECT_NEAR(noisy.net.t, quiet.net.t, 4.0 * std::sqrt(2.0 * quiet.net.t / seconds));
}

// Dark pulses only, counted by the virtual instrument's own window logic:
// everything it counts as a coincidence is accidental, so the correction
// must take the doubles and the triples to zero within their counting spread.
TEST(AccidentalCoincidences, TakeTheInstrumentsDarkCoincidencesToNothing) {
  sim::TdcrSettings settings;
  settings.windowNs = {40.0, 200.0};
  settings.extensionNs = {640.0, 640.0};
  settings.deadTimeMode = {sim::DeadTimeMode::kIndividual, sim::DeadTimeMode::kIndividual};
  sim::TdcrRunCounters counters(settings);
  std::mt19937 random(11);
  std::exponential_distribution<double> gap(3 * 1e5 * 1e-9);  // 100 000 cps per tube
  std::uniform_int_distribution<int> tube(0, 2);
  const double runNs = 0.5e9;
  for (double t = gap(random); t < runNs; t += gap(random)) counters.Pulse(t, tube(random));
  counters.AdvanceTo(runNs);
  counters.Finish();
  const sim::TdcrRunRecord r = counters.Record(0.0);
  namespace counter = sim::tdcr_counter;
  const auto live = [&](sim::ChannelSet set) {
    return 1e-3 * static_cast<double>(r[counter::LiveTime(set, 0)]);
  };
  const SingleRates singles{static_cast<double>(r[counter::Single(0, 0)]) / live(sim::ChannelSet::kA),
                            static_cast<double>(r[counter::Single(1, 0)]) / live(sim::ChannelSet::kB),
                            static_cast<double>(r[counter::Single(2, 0)]) / live(sim::ChannelSet::kC)};
  for (std::size_t w = 0; w < 2; ++w) {
    SCOPED_TRACE(w == 0 ? "40 ns" : "200 ns");
    const auto count = [&](sim::ChannelSet set) {
      return static_cast<double>(r[counter::Coincidence(set, w, 0)]);
    };
    const CoincidenceRates measured{count(sim::ChannelSet::kAB) / live(sim::ChannelSet::kAB),
                                    count(sim::ChannelSet::kBC) / live(sim::ChannelSet::kBC),
                                    count(sim::ChannelSet::kAC) / live(sim::ChannelSet::kAC),
                                    count(sim::ChannelSet::kABC) / live(sim::ChannelSet::kABC)};
    const CoincidenceTiming timing{settings.windowNs[w] * 1e-9, 200e-9, DeadTimeMode::kIndividual};
    const CoincidenceRates accidental = MeasuredDistortion(singles, measured, timing).Total();
    const CoincidenceRates net = measured - accidental;
    const double seconds = live(sim::ChannelSet::kABC);
    const auto spread = [seconds](double rate) { return 4.0 * std::sqrt(rate / seconds) + 0.02 * rate; };
    EXPECT_GT(measured.ab, 500.0);
    EXPECT_NEAR(net.ab, 0.0, spread(accidental.ab));
    EXPECT_NEAR(net.D(), 0.0, spread(accidental.D()));
    EXPECT_NEAR(net.t, 0.0, spread(accidental.t));
    EXPECT_GT(accidental.t, 1.0);
  }
}

// A bright source whose every event fires all three tubes, 1000 events a
// second, no noise: no pulse is left to pair up by accident, and two events
// within 1 us count as one, which loses tau R^2 = 1e-6 x 1000^2 = 1 count a
// second of every pair and of the triples. The correction must give the
// losses back, where the textbook 2 tau r_A r_B would take 2 more away.
// The same source behind window N = 100 ns of a 1 us gate: in CDT the
// gate takes a second event within 1 us into the first one's whatever the
// window, so N loses G R^2 = 1 count a second as M does. In IDT the tubes
// of the first event are dead for the second one and their live timers
// stop: nothing is lost unseen, and no decay fires a tube alone, so no
// three decays make a triple that a pair does not: nothing to correct.
TEST(AccidentalCoincidences, ForABrightSourceDependOnTheGateNotTheWindow) {
  const SingleRates singles{1000.0, 1000.0, 1000.0};
  const CoincidenceRates cdt =
      WithoutAccidentals(singles, {999.0, 999.0, 999.0, 999.0}, {1e-7, 1e-6, DeadTimeMode::kCommon});
  EXPECT_NEAR(cdt.ac, 1000.0, 0.01);
  EXPECT_NEAR(cdt.t, 1000.0, 0.01);
  const CoincidenceRates idt =
      WithoutAccidentals(singles, {1000.0, 1000.0, 1000.0, 1000.0}, {1e-7, 1e-6, DeadTimeMode::kIndividual});
  EXPECT_NEAR(idt.ab, 1000.0, 1e-9);
  EXPECT_NEAR(idt.t, 1000.0, 1e-9);
}

// Dark pulses alone, 10 000 a second on each tube, in a 40 ns window: the
// accidental pairs are the textbook 2 W r^2 = 8 a second in either mode
// (there is no true pair for the CDT gate to block); the measured singles
// of CDT lost G r^2 = 20 a second to the 200 ns gate.
TEST(AccidentalCoincidences, OfDarkPulsesAreTwiceTheWindowTimesTheSingles) {
  const CoincidenceTiming cdt{40e-9, 200e-9, DeadTimeMode::kCommon};
  EXPECT_NEAR(TrueSingles({9980.0, 9980.0, 9980.0}, cdt).b, 10000.0, 0.1);
  const CountingDistortion d = DistortionOfTrueRates({1e4, 1e4, 1e4}, {}, cdt);
  EXPECT_NEAR(d.Total().ab, 8.0, 1e-9);
  EXPECT_NEAR(d.Total().t, 3.0 * 40e-9 * 40e-9 * 1e12, 1e-12);
  EXPECT_NEAR(
      DistortionOfTrueRates({1e4, 1e4, 1e4}, {}, {40e-9, 200e-9, DeadTimeMode::kIndividual}).Total().ac, 8.0,
      1e-9);
}

TEST(AccidentalCoincidences, ForABrightSourceAreTheLossOfMergedEvents) {
  const SingleRates singles{1000.0, 1000.0, 1000.0};
  const CoincidenceRates measured{999.0, 999.0, 999.0, 999.0};
  const CoincidenceRates net = WithoutAccidentals(singles, measured, {1e-6, 1e-6, DeadTimeMode::kCommon});
  EXPECT_NEAR(net.ab, 1000.0, 0.01);
  EXPECT_NEAR(net.bc, 1000.0, 0.01);
  EXPECT_NEAR(net.t, 1000.0, 0.01);
  EXPECT_NEAR(net.D(), 1000.0, 0.02);
}

TEST(DecayCorrection, AveragesOverTheRunAndCarriesToTheReference) {
  const double halfLife = 1000.0;
  EXPECT_DOUBLE_EQ(DecayDuringRun(halfLife, 0.0), 1.0);
  EXPECT_NEAR(DecayDuringRun(halfLife, halfLife), 0.5 / std::numbers::ln2, 1e-15);
  const double x = std::numbers::ln2 * 1e-6;  // a millisecond of a 1000 s half-life
  EXPECT_NEAR(DecayDuringRun(halfLife, 1e-3), 1.0 - x / 2.0 + x * x / 6.0, 1e-15);
  EXPECT_NEAR(DecayToReference(halfLife, halfLife), 2.0, 1e-14);
  EXPECT_NEAR(DecayToReference(halfLife, -2.0 * halfLife), 0.25, 1e-15);
  EXPECT_EQ(DecayToReference(halfLife, 0.0), 1.0);

  // A run of length t starting at s counts N = A0 integral of exp(-mu x) from s to s + t;
  // the corrections take N / t back to A0.
  const double mu = std::numbers::ln2 / halfLife;
  const double s = 300.0;
  const double t = 700.0;
  const double meanRate = 50.0 * (std::exp(-mu * s) - std::exp(-mu * (s + t))) / mu / t;
  EXPECT_NEAR(meanRate / DecayDuringRun(halfLife, t) * DecayToReference(halfLife, s), 50.0, 1e-12);
}

}  // namespace
}  // namespace korva
