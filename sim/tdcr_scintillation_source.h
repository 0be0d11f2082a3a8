#pragma once

#include <array>
#include <functional>
#include <queue>
#include <random>
#include <vector>

#include "sim/tdcr_options.h"

namespace korva::sim {

// The vial and its three photomultipliers, seen through the discriminators.
//
// Decays arrive as a Poisson process of the source's activity. Each deposits
// a kinetic energy drawn from an allowed beta spectrum of tritium's shape
// (18.6 keV endpoint, Coulomb correction left out) and yields on average
// one photoelectron per keV, shared evenly by the three tubes: each tube
// sees a Poisson number of photoelectrons of mean yield / 3, so it fires with
// probability 1 - exp(-yield / 3) when one photoelectron crosses its
// discriminator. Its pulse comes after the first photon, an exponential delay
// of mean 4 ns / photoelectrons (the scintillator's decay time), so short
// windows lose some faint coincidences. Each tube also gives single-
// photoelectron dark pulses at the dark rate.
//
// With one photoelectron needed the efficiency for D is about 0.81 and T/D
// about 0.69; needing two photoelectrons gives about 0.55 and 0.51 and
// silences the dark pulses.
class TdcrScintillationSource {
 public:
  using PulseSink = std::function<void(double timeNs, int channel)>;

  // Starts at time 0 with no pulse pending.
  TdcrScintillationSource(const TdcrOptions& options, const std::array<int, 3>& photoelectronsNeeded,
                          std::mt19937& random);

  // Hands `sink` every pulse before `timeNs` not handed before, in time order.
  void EmitUntil(double timeNs, const PulseSink& sink);

 private:
  struct Pulse {
    double timeNs;
    int channel;
    bool operator>(const Pulse& other) const { return timeNs > other.timeNs; }
  };

  void Arrive(double timeNs);
  void Decay(double timeNs);
  double DrawArrivalGap();

  std::mt19937& random_;
  double decayShare_;  // of all arrivals; the rest are dark pulses
  double arrivalsPerNs_;
  std::array<int, 3> photoelectronsNeeded_;
  double nextArrivalNs_;
  std::priority_queue<Pulse, std::vector<Pulse>, std::greater<>> pending_;
};

}  // namespace korva::sim
