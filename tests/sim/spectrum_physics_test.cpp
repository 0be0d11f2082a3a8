#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "acquisition/acquisition_rates.h"
#include "sim/beta_pulse_source.h"
#include "sim/beta_spectrum.h"
#include "sim/ionisation_quenching.h"
#include "sim/spectrum_acquisition.h"
#include "sim/virtual_instrument.h"
#include "sim_test_support.h"
#include "spectrum/acquisition_times.h"

namespace korva::sim {
namespace {

using namespace korva::sim::testing;
using std::chrono::milliseconds;

constexpr std::uint16_t kRunBits = 0x0003;
constexpr std::uint16_t kLiveTimer = 0x0008;
constexpr std::uint16_t kLowerHalf = 0x8000;
constexpr std::uint16_t kTdcrIdle = 0x0210;  // register 83 as the instrument powers up
constexpr int kSumInput = 3;

TEST(BetaSpectrumTest, EachNuclideHasItsEndpointAndMeanEnergy) {
  struct Case {
    Nuclide nuclide;
    double endpoint, mean, tolerance;
  };
  for (const Case c : {Case{Nuclide::kH3, 18.591, 5.68, 0.15}, Case{Nuclide::kC14, 156.476, 49.5, 1.5},
                       Case{Nuclide::kNi63, 66.977, 17.4, 0.6}}) {
    SCOPED_TRACE(std::string(NuclideName(c.nuclide)));
    const BetaSpectrum spectrum(c.nuclide);
    EXPECT_DOUBLE_EQ(spectrum.EndpointKeV(), c.endpoint);
    EXPECT_NEAR(spectrum.MeanKeV(), c.mean, c.tolerance);

    std::mt19937 random(3);
    double sum = 0.0;
    for (int i = 0; i < 20000; ++i) {
      const double energy = spectrum.Draw(random);
      ASSERT_GE(energy, 0.0);
      ASSERT_LE(energy, c.endpoint);
      sum += energy;
    }
    EXPECT_NEAR(sum / 20000, spectrum.MeanKeV(), 0.02 * c.mean) << "draws follow the density";
    EXPECT_EQ(NuclideOfName(NuclideName(c.nuclide)), c.nuclide);
  }
  EXPECT_EQ(NuclideOfName("c-14"), Nuclide::kC14);
  EXPECT_FALSE(NuclideOfName("Co-60"));
  EXPECT_FALSE(NuclideOfName(""));
}

TEST(IonisationQuenchingTest, LowEnergyElectronsLoseTheMostLight) {
  const IonisationQuenching none(0.0, 160.0);
  EXPECT_NEAR(none.QuenchedKeV(18.6), 18.6, 1e-6) << "kB 0: no quenching";

  const IonisationQuenching standard(0.010, 160.0);
  const IonisationQuenching strong(0.015, 160.0);
  double previousShare = 0.0;
  for (const double energy : {0.5, 2.0, 5.0, 18.6, 60.0, 156.0}) {
    const double share = standard.QuenchedKeV(energy) / energy;
    EXPECT_LT(share, 1.0) << energy;
    EXPECT_GT(share, previousShare) << "the light per keV grows with the energy";
    EXPECT_LT(strong.QuenchedKeV(energy), standard.QuenchedKeV(energy));
    previousShare = share;
  }
  EXPECT_GT(standard.QuenchedKeV(5.0) / 5.0, 0.55);
  EXPECT_LT(standard.QuenchedKeV(5.0) / 5.0, 0.85);
  EXPECT_GT(standard.QuenchedKeV(156.0) / 156.0, 0.9);
  // Collision stopping powers of toluene, MeV/cm, as tabulated for electrons:
  // about 110 at 1 keV and 11.4 at 20 keV.
  EXPECT_NEAR(IonisationQuenching::StoppingPower(1.0), 110.0, 10.0);
  EXPECT_NEAR(IonisationQuenching::StoppingPower(20.0), 11.4, 1.0);
}

// A virtual instrument on a vial, driven through the wire in 20 ms steps.
struct Analyser {
  explicit Analyser(SpectrumSourceOptions vial = {}) : instrument(InstrumentIdentity{}, 11, {}, vial) {
    WriteRegisters(instrument, 83, {static_cast<std::uint16_t>(kTdcrIdle | kSumInput)});
  }

  std::uint16_t Control() { return ReadRegister(instrument, 16); }
  void SetCoarseGain(std::uint16_t code) {
    WriteRegisters(instrument, 18, {static_cast<std::uint16_t>(kLowerHalf | code)});
  }
  void Erase() {
    WriteRegisters(instrument, 16, {static_cast<std::uint16_t>((Control() | 0x0024) & ~0x0010)});
  }
  void Start(std::uint16_t extra = 0) {
    WriteRegisters(instrument, 16, {static_cast<std::uint16_t>(Control() | kRunBits | extra)});
  }
  void Wait(milliseconds total) {
    for (milliseconds done{0}; done < total; done += milliseconds(20)) instrument.Advance(milliseconds(20));
  }
  RegisterImage Registers() {
    RegisterImage image{};
    const auto words = ReadRegisters(instrument, 1, 127);
    std::copy(words.begin(), words.end(), image.begin() + 1);
    return image;
  }
  // Counts and mean channel of the lower half.
  std::pair<double, double> CountsAndMean() {
    const auto& data = instrument.Memory().data;
    double counts = 0, weighted = 0;
    for (std::size_t c = 0; c < 4096; ++c) {
      counts += data[c];
      weighted += static_cast<double>(data[c]) * (static_cast<double>(c) + 0.5);
    }
    return {counts, counts > 0 ? weighted / counts : 0.0};
  }

  VirtualInstrument instrument;
};

// On one tube the tritium spectrum stays on the axis at twice the gain.
TEST(SpectrumPhysics, DoublingTheGainMovesTheSpectrumToTwiceTheChannel) {
  Analyser analyser;
  WriteRegisters(analyser.instrument, 83, {kTdcrIdle});
  analyser.SetCoarseGain(0);
  analyser.Start();
  analyser.Wait(milliseconds(8000));
  const auto [counts1, mean1] = analyser.CountsAndMean();
  const std::uint32_t estimate1 = ReadRegisters(analyser.instrument, 48, 2)[0];

  WriteRegisters(analyser.instrument, 16, {static_cast<std::uint16_t>(analyser.Control() & ~kRunBits)});
  analyser.Erase();
  analyser.SetCoarseGain(2);  // x 2.00
  analyser.Start();
  analyser.Wait(milliseconds(8000));
  const auto [counts2, mean2] = analyser.CountsAndMean();

  EXPECT_GT(counts1, 20000.0);
  EXPECT_NEAR(counts2 / counts1, 1.0, 0.05) << "the same events, only higher";
  EXPECT_GT(mean1, 40.0);
  EXPECT_NEAR(mean2 / mean1, 2.0, 0.06);
  EXPECT_EQ(ReadRegisters(analyser.instrument, 48, 2)[0], 2 * estimate1)
      << "the estimated threshold follows the gain";
}

// Each vial is shown with its own tube voltage; at one voltage, harder
// emitters give more light.
TEST(SpectrumPhysics, HarderBetaEmittersReachHigherChannels) {
  std::vector<double> means;
  for (const Nuclide nuclide : {Nuclide::kH3, Nuclide::kNi63, Nuclide::kC14}) {
    const SpectrumSourceOptions vial{nuclide, 0.010, 2000.0, 1.0};
    Analyser analyser(vial);
    analyser.Start();
    analyser.Wait(milliseconds(3000));
    const double mean = analyser.CountsAndMean().second;
    EXPECT_LT(mean, 4095.0);
    means.push_back(mean / BetaPulseSource(vial).TubeGain());
  }
  EXPECT_GT(means[1], 2.0 * means[0]) << "Ni-63 above H-3";
  EXPECT_GT(means[2], 2.0 * means[1]) << "C-14 above Ni-63";
}

// The channel below which `share` of the lower half's counts lie.
std::size_t ChannelBelow(Analyser& analyser, double share) {
  const auto& data = analyser.instrument.Memory().data;
  const double total = std::accumulate(data.begin(), data.begin() + 4096, 0.0);
  double sum = 0;
  std::size_t channel = 0;
  while (channel < 4096 && (sum += data[channel]) < share * total) ++channel;
  return channel;
}

// The instrument as it powers up (tube A, gain 1) shows a tritium vial of
// the default cocktail over more than a tenth of its axis; a Bi-207 vial
// keeps every line on the axis, all three tubes at coarse gain 1.00.
TEST(SpectrumPhysics, TritiumFillsATenthOfTheAxisAtPowerOnAndBismuthStaysOnIt) {
  Analyser tritium(SpectrumSourceOptions{.activityBq = 20000.0});
  WriteRegisters(tritium.instrument, 83, {kTdcrIdle});
  tritium.Start();
  tritium.Wait(milliseconds(3000));
  const std::size_t tritium99 = ChannelBelow(tritium, 0.99);
  EXPECT_GT(tritium99, 409u);
  EXPECT_LT(tritium99, 2048u) << "yet far from the top";

  Analyser bismuth(SpectrumSourceOptions{.nuclide = Nuclide::kBi207, .activityBq = 20000.0});
  bismuth.SetCoarseGain(0);
  bismuth.Start();
  bismuth.Wait(milliseconds(3000));
  EXPECT_LT(ChannelBelow(bismuth, 0.999), 4095u);
}

TEST(SpectrumPhysics, ALiveTimerPresetStopsOnLiveTimeAndTheStartStampSurvives) {
  Analyser analyser({Nuclide::kH3, 0.010, 100000.0, 1.0});
  WriteRegisters(analyser.instrument, 22, {12391, 28836});  // the host's start stamp
  WriteRegisters(analyser.instrument, 42, {50, 0});         // 0.5 s
  analyser.Erase();
  analyser.Start(kLiveTimer);
  analyser.Wait(milliseconds(2000));

  const RegisterImage image = analyser.Registers();
  EXPECT_EQ(image[16] & kRunBits, 0) << "stopped itself";
  EXPECT_EQ(image[58], 50);
  EXPECT_EQ(image[61], 0) << "on the instant the live time reached the preset";
  const RunTimes times = DecodeRunTimes(image);
  const CountingRates rates = DecodeCountingRates(image);
  const double deadShare = 1.0 - times.liveSeconds / times.realSeconds;
  const double processedShare = rates.rate1 * 4.16e-6;  // one 520-tick slow pulse each
  EXPECT_GT(deadShare, 0.1);
  EXPECT_NEAR(deadShare, processedShare, 0.1 * processedShare);
  EXPECT_EQ(image[22], 12391);
  EXPECT_EQ(image[23], 28836);

  // A real-timer preset ends on real time, the live time short of it.
  analyser.Erase();
  WriteRegisters(analyser.instrument, 16, {static_cast<std::uint16_t>(analyser.Control() & ~kLiveTimer)});
  analyser.Start();
  analyser.Wait(milliseconds(1000));
  const RegisterImage real = analyser.Registers();
  EXPECT_EQ(real[56], 50);
  EXPECT_EQ(real[60], 0);
  EXPECT_LT(DecodeRunTimes(real).liveSeconds, 0.45);
}

TEST(SpectrumPhysics, RateMetersCountWhatComesInAndWhatGoesThroughRunningOrNot) {
  Analyser analyser({Nuclide::kH3, 0.010, 100000.0, 1.0});
  analyser.Wait(milliseconds(1000));
  const RegisterImage image = analyser.Registers();
  EXPECT_EQ(image[46], SpectrumAcquisition::kRateGateUnits);
  EXPECT_EQ(image[47], SpectrumAcquisition::kRateGateUnits);
  const CountingRates rates = DecodeCountingRates(image);
  EXPECT_GT(rates.rate2, 60000.0) << "most tritium decays give the three tubes a pulse";
  EXPECT_LT(rates.rate2, 100000.0);
  const double tau = 4.16e-6;
  EXPECT_NEAR(rates.rate1, rates.rate2 / (1.0 + rates.rate2 * tau), 0.05 * rates.rate1)
      << "a non-extending dead time";
  EXPECT_GT(rates.lossesPercent, 15);

  WriteRegisters(analyser.instrument, 44, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(ReadRegister(analyser.instrument, 46), SpectrumAcquisition::kRateGateUnits) << "the meters' own";
  EXPECT_EQ(analyser.CountsAndMean().first, 0.0) << "nothing stored while not running";
}

// One second of acquisition from an erased memory: the rates of the last
// gate, the share of live time and what was stored.
struct Throughput {
  double putThrough, incoming, liveShare, stored;
};

Throughput Measure(Analyser& analyser) {
  analyser.Erase();
  analyser.Start();
  analyser.Wait(milliseconds(1000));
  WriteRegisters(analyser.instrument, 16, {static_cast<std::uint16_t>(analyser.Control() & ~kRunBits)});
  const RegisterImage image = analyser.Registers();
  const CountingRates rates = DecodeCountingRates(image);
  const RunTimes times = DecodeRunTimes(image);
  return {rates.rate1, rates.rate2, times.liveSeconds / times.realSeconds, analyser.CountsAndMean().first};
}

TEST(SpectrumPhysics, TheSlowShaperSetsTheDeadTimeAndThePileUpRejectorDropsOverlaps) {
  Analyser analyser({Nuclide::kH3, 0.010, 100000.0, 1.0});
  const Throughput slow = Measure(analyser);         // 2 x 240 + 40 ticks: 4.16 us a pulse
  WriteRegisters(analyser.instrument, 2, {60, 10});  // 2 x 60 + 10 ticks: 1.04 us
  const Throughput quick = Measure(analyser);

  EXPECT_NEAR(slow.putThrough, slow.incoming / (1.0 + slow.incoming * 4.16e-6), 0.05 * slow.putThrough);
  EXPECT_NEAR(quick.putThrough, quick.incoming / (1.0 + quick.incoming * 1.04e-6), 0.05 * quick.putThrough);
  EXPECT_GT(quick.putThrough, 1.2 * slow.putThrough);
  EXPECT_GT(quick.liveShare, slow.liveShare + 0.15) << slow.liveShare << " -> " << quick.liveShare;
  EXPECT_GT(quick.stored, 1.2 * slow.stored);

  // The rejector on: a pulse is kept only when no other came within one
  // slow pulse before or after it.
  WriteRegisters(analyser.instrument, 2, {240, 40});
  WriteRegisters(analyser.instrument, 13, {0});
  const Throughput rejecting = Measure(analyser);
  const double tau = 4.16e-6;
  EXPECT_NEAR(rejecting.putThrough, rejecting.incoming * std::exp(-2.0 * rejecting.incoming * tau),
              0.1 * rejecting.putThrough);
  EXPECT_LT(rejecting.putThrough, 0.8 * slow.putThrough);
  EXPECT_LT(rejecting.liveShare, slow.liveShare);
  EXPECT_LT(rejecting.stored, 0.8 * slow.stored);
}

TEST(SpectrumPhysics, PulsesBelowTheSlowThresholdAreNotStoredAndPhaModeIgnoresTheShaper) {
  Analyser analyser({Nuclide::kH3, 0.010, 20000.0, 1.0});
  const auto lowest = [&] {
    const auto& data = analyser.instrument.Memory().data;
    std::size_t channel = 0;
    while (channel < 4096 && data[channel] == 0) ++channel;
    return channel;
  };
  WriteRegisters(analyser.instrument, 34, {30 * 600, 0});  // 30 channels x Ns
  EXPECT_GT(Measure(analyser).stored, 1000.0);
  EXPECT_EQ(lowest(), 30u);
  WriteRegisters(analyser.instrument, 34, {0xFFFF, 0xFFFF});  // the estimate: margin 3 x 2 channels of noise
  EXPECT_GT(Measure(analyser).stored, 1000.0);
  // Single photoelectrons reach down to the estimate only now and then.
  EXPECT_GE(lowest(), 6u);
  EXPECT_LT(lowest(), 30u);

  // PHA: the peak detector's 4 us whatever the shaper times, and the LLD.
  WriteRegisters(analyser.instrument, 18, {static_cast<std::uint16_t>(kLowerHalf | 0x4000)});
  WriteRegisters(analyser.instrument, 72, {12 * 40, 0});
  const Throughput pha = Measure(analyser);
  EXPECT_EQ(lowest(), 40u);
  EXPECT_NEAR(1.0 - pha.liveShare, pha.putThrough * 4e-6, 0.25 * pha.putThrough * 4e-6);
  WriteRegisters(analyser.instrument, 2, {2000, 200});
  WriteRegisters(analyser.instrument, 13, {0});
  const Throughput stillPha = Measure(analyser);
  EXPECT_NEAR(1.0 - stillPha.liveShare, 1.0 - pha.liveShare, 0.3 * (1.0 - pha.liveShare));
}

// Counts, mean channel and rms width of the lower half between `low` and `high`.
struct Peak {
  double counts = 0, mean = 0, sigma = 0;
};

Peak PeakWithin(Analyser& analyser, std::size_t low, std::size_t high) {
  const auto& data = analyser.instrument.Memory().data;
  Peak peak;
  double sum = 0, squares = 0;
  for (std::size_t c = low; c < high; ++c) {
    const double centre = static_cast<double>(c) + 0.5;
    peak.counts += data[c];
    sum += data[c] * centre;
    squares += data[c] * centre * centre;
  }
  if (peak.counts == 0) return peak;
  peak.mean = sum / peak.counts;
  peak.sigma = std::sqrt(std::max(squares / peak.counts - peak.mean * peak.mean, 0.0));
  return peak;
}

constexpr std::uint16_t kPulserOff = 0x0200;

TEST(SpectrumPhysics, TheDigitalPulserMakesOneNarrowPeakThatFollowsTheGain) {
  Analyser analyser({Nuclide::kH3, 0.010, 0.0, 1.0});  // an empty vial
  WriteRegisters(analyser.instrument, 16, {static_cast<std::uint16_t>(analyser.Control() & ~kPulserOff)});
  analyser.Erase();
  analyser.Start();
  analyser.Wait(milliseconds(2000));
  const Peak unit = PeakWithin(analyser, 0, 4096);
  EXPECT_NEAR(unit.counts, 2000.0, 1.0) << "1000 pulses a second";
  EXPECT_NEAR(unit.mean, 2000.0, 0.3);
  // The slow shaper's 2 channels of noise, widened a little by the channels' own width.
  EXPECT_NEAR(unit.sigma, std::sqrt(4.0 + 1.0 / 12.0), 0.15);
  const RegisterImage image = analyser.Registers();
  EXPECT_NEAR(DecodeCountingRates(image).rate1, 1000.0, 15.0) << "the rate meters count the pulser";
  const RunTimes times = DecodeRunTimes(image);
  EXPECT_NEAR(1.0 - times.liveSeconds / times.realSeconds, 1000 * 4.16e-6, 2e-4) << "one slow pulse each";

  for (const auto& [code, factor] : {std::pair{1, std::sqrt(2.0)}, std::pair{2, 2.0}}) {
    SCOPED_TRACE(code);
    WriteRegisters(analyser.instrument, 16, {static_cast<std::uint16_t>(analyser.Control() & ~kRunBits)});
    analyser.Erase();
    analyser.SetCoarseGain(static_cast<std::uint16_t>(code));
    analyser.Start();
    analyser.Wait(milliseconds(1000));
    const Peak raised = PeakWithin(analyser, 0, 4096);
    EXPECT_NEAR(raised.counts, 1000.0, 1.0);
    EXPECT_NEAR(raised.mean / unit.mean, factor, 0.001);
    EXPECT_NEAR(raised.sigma, std::sqrt(4.0 * factor * factor + 1.0 / 12.0), 0.25) << "the noise grows too";
  }

  // A slow threshold above the peak keeps it out of the spectrum, not out of the meters.
  WriteRegisters(analyser.instrument, 34,
                 {static_cast<std::uint16_t>(4050 * 600 & 0xFFFF), 4050 * 600 >> 16});
  WriteRegisters(analyser.instrument, 16, {static_cast<std::uint16_t>(analyser.Control() & ~kRunBits)});
  analyser.Erase();
  analyser.Start();
  analyser.Wait(milliseconds(1000));
  EXPECT_EQ(PeakWithin(analyser, 0, 4096).counts, 0.0);
  EXPECT_NEAR(DecodeCountingRates(analyser.Registers()).rate1, 1000.0, 15.0);
}

// On one tube the vial is thin around channel 2000: the pulser's peak
// stands out of it, narrow, and stops growing with the bit.
TEST(SpectrumPhysics, ThePulserPeakStandsOutOfTheVialAndGoesWithTheBit) {
  Analyser analyser({Nuclide::kH3, 0.010, 20000.0, 1.0});
  WriteRegisters(analyser.instrument, 83, {kTdcrIdle});
  analyser.Start();
  analyser.Wait(milliseconds(1000));
  const double vialThere = PeakWithin(analyser, 1980, 2020).counts;
  EXPECT_GT(PeakWithin(analyser, 0, 4096).counts, 10000.0);
  EXPECT_LT(vialThere, 30.0) << "power-on: the pulser is off";

  WriteRegisters(analyser.instrument, 16, {static_cast<std::uint16_t>(analyser.Control() & ~kPulserOff)});
  analyser.Wait(milliseconds(1000));
  // A pulser pulse that piles up on a decay leaves summed, higher.
  const Peak pulser = PeakWithin(analyser, 1980, 2020);
  EXPECT_GT(pulser.counts - 2.0 * vialThere, 800.0);
  EXPECT_LT(pulser.counts - vialThere, 1030.0);
  EXPECT_NEAR(pulser.mean, 2000.0, 1.0);
  EXPECT_LT(pulser.sigma, 4.0);

  WriteRegisters(analyser.instrument, 16, {static_cast<std::uint16_t>(analyser.Control() | kPulserOff)});
  analyser.Wait(milliseconds(1000));
  EXPECT_LT(PeakWithin(analyser, 1980, 2020).counts, pulser.counts + 30.0)
      << "off again: the peak stops growing";
}

// The centroid of the peak nearest `guess`: the highest 8-channel bin within
// `reach` of it, then the mean over `halfWidth` channels either side,
// centred again on that mean.
double PeakChannel(Analyser& analyser, double guess, double reach, double halfWidth) {
  const auto& data = analyser.instrument.Memory().data;
  const auto bin = [&](std::size_t first) {
    double sum = 0;
    for (std::size_t c = first; c < first + 8 && c < 4096; ++c) sum += data[c];
    return sum;
  };
  std::size_t best = static_cast<std::size_t>(guess - reach);
  for (auto first = best; first + 8 < static_cast<std::size_t>(guess + reach); first += 4) {
    if (bin(first) > bin(best)) best = first;
  }
  double centre = static_cast<double>(best) + 4.0;
  for (int pass = 0; pass < 3; ++pass) {
    centre = PeakWithin(analyser, static_cast<std::size_t>(centre - halfWidth),
                        static_cast<std::size_t>(centre + halfWidth))
                 .mean;
  }
  return centre;
}

TEST(SpectrumPhysics, ConversionLinesMakePeaksAtTheirQuenchedEnergies) {
  const SpectrumSourceOptions bismuth{Nuclide::kBi207, 0.010, 100000.0, 1.0};
  Analyser analyser(bismuth);
  analyser.Start();
  analyser.Wait(milliseconds(6000));
  const BetaPulseSource vial(bismuth);
  // Channels of an electron's mean light: photoelectrons x the tubes' gain x 24 at gain 1.
  const auto channel = [&](double energyKeV) {
    return vial.Quenching().QuenchedKeV(energyKeV) * vial.TubeGain() * kChannelsPerPhotoelectron;
  };
  // The width of the photoelectron statistics: Poisson numbers of charges of relative variance 0.3.
  const auto sigma = [&](double energyKeV) {
    return channel(energyKeV) * std::sqrt(1.3 / vial.Quenching().QuenchedKeV(energyKeV));
  };

  const double k976 = PeakChannel(analyser, channel(975.65), 150.0, 0.8 * sigma(975.65));
  const double k482 = PeakChannel(analyser, channel(481.69), 100.0, 0.8 * sigma(481.69));
  EXPECT_NEAR(k976 / channel(975.65), 1.0, 0.015) << k976;
  EXPECT_NEAR(k482 / channel(481.69), 1.0, 0.015) << k482;
  EXPECT_NEAR(k976 / k482, channel(975.65) / channel(481.69), 0.02 * channel(975.65) / channel(481.69));
  EXPECT_GT(k976 / k482, 975.65 / 481.69) << "quenching bends the energy axis";
  EXPECT_LT(channel(1059.81), 4095.0);

  // The lower flank of the 976 keV peak, free of the L line, has the width of
  // the statistics: a Gaussian falls from half its height to a tenth of it
  // over 0.9686 sigma.
  const double top =
      PeakWithin(analyser, static_cast<std::size_t>(k976 - 8), static_cast<std::size_t>(k976 + 8)).counts;
  const auto below = [&](double share) {
    auto c = static_cast<std::size_t>(k976);
    while (PeakWithin(analyser, c - 8, c + 8).counts > share * top) --c;
    return static_cast<double>(c);
  };
  EXPECT_NEAR((below(0.5) - below(0.1)) / 0.9686, sigma(975.65), 0.12 * sigma(975.65));
}

TEST(SpectrumPhysics, EstimatedThresholdsReadBackInTheUnitsOfTheThresholdRegisters) {
  Analyser analyser;
  // Power-on: F = 150, so Ns = 600 and Nf = 4 x trunc(20 x 150 / 240) = 48; margins 3;
  // noise 2 channels (slow) and 4 channels (fast) at gain 1.
  EXPECT_EQ(ReadRegisters(analyser.instrument, 48, 2), (std::vector<std::uint16_t>{3600, 0}));
  EXPECT_EQ(ReadRegisters(analyser.instrument, 52, 2), (std::vector<std::uint16_t>{576, 0}));
  WriteRegisters(analyser.instrument, 18, {static_cast<std::uint16_t>(kLowerHalf | 0x4000)});  // PHA
  EXPECT_EQ(ReadRegisters(analyser.instrument, 48, 2), (std::vector<std::uint16_t>{72, 0}))
      << "channels x 12";
}

}  // namespace
}  // namespace korva::sim
