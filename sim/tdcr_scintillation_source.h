#pragma once

#include <array>
#include <functional>
#include <queue>
#include <random>
#include <vector>

#include "sim/beta_scintillation.h"
#include "sim/tdcr_options.h"

namespace korva::sim {

// The vial and its three photomultipliers, seen through the discriminators.
//
// Decays arrive as a Poisson process of the source's activity. Each gives
// the quenched energy Q of its electrons (BetaScintillation: a beta, or the
// conversion electrons of an emitter such as Bi-207, none in most of its
// decays) and lambda Q photoelectrons on average, lambda the options' yield
// per keV, shared evenly by the three tubes: each tube sees a Poisson number of
// photoelectrons of mean lambda Q / 3, so it fires with probability
// 1 - exp(-lambda Q / 3) when one photoelectron crosses its discriminator.
// Its pulse comes with its first photoelectron, drawn from the light's prompt
// and delayed components, and the tube's transit-time jitter (PulseTiming),
// so short windows lose faint coincidences, triples more than doubles. Each
// tube also gives single-photoelectron dark pulses at the dark rate.
//
// With the default tritium vial and one photoelectron needed the efficiency
// for D is about 0.55 and T/D about 0.50 in a wide window; needing two
// photoelectrons lowers both and silences the dark pulses.
class TdcrScintillationSource {
 public:
  using PulseSink = std::function<void(double timeNs, int channel)>;

  // Starts at time 0 with no pulse pending; `light` outlives the source.
  TdcrScintillationSource(const TdcrOptions& options, const BetaScintillation& light,
                          const std::array<int, 3>& photoelectronsNeeded, std::mt19937& random);

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
  double FirstPhotoelectronDelay(int prompt, int delayed);

  std::mt19937& random_;
  const BetaScintillation& light_;
  double photoelectronsPerKeV_;
  PulseTiming timing_;
  std::normal_distribution<double> jitter_;
  double decayShare_;  // of all arrivals; the rest are dark pulses
  double meanGapNs_;   // between arrivals
  std::array<int, 3> photoelectronsNeeded_;
  double nextArrivalNs_;
  std::priority_queue<Pulse, std::vector<Pulse>, std::greater<>> pending_;
};

}  // namespace korva::sim
