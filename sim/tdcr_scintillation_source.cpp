#include "sim/tdcr_scintillation_source.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sim/fast_draws.h"

namespace korva::sim {

namespace {

// The tubes' common transit time, in jitter standard deviations: it keeps
// a jittered pulse after its decay, which the pulse queue relies on, and
// moves every tube alike, so no coincidence changes.
constexpr double kTransitInJitters = 6.0;

}  // namespace

TdcrScintillationSource::TdcrScintillationSource(const TdcrOptions& options, const BetaScintillation& light,
                                                 const std::array<int, 3>& photoelectronsNeeded,
                                                 std::mt19937& random)
    : random_(random),
      light_(light),
      photoelectronsPerKeV_(options.photoelectronsPerKeV),
      timing_(options.timing),
      jitter_(0.0, options.timing.jitterNs > 0.0 ? options.timing.jitterNs : 1.0),
      decayShare_(0.0),
      meanGapNs_(std::numeric_limits<double>::infinity()),
      photoelectronsNeeded_(photoelectronsNeeded),
      nextArrivalNs_(std::numeric_limits<double>::infinity()) {
  const double arrivalsPerNs = (options.activityBq + 3.0 * options.darkRatePerPmt) * 1e-9;
  if (arrivalsPerNs <= 0.0) return;
  decayShare_ = options.activityBq * 1e-9 / arrivalsPerNs;
  meanGapNs_ = 1.0 / arrivalsPerNs;
  nextArrivalNs_ = DrawExponential(meanGapNs_, random_);
}

void TdcrScintillationSource::EmitUntil(double timeNs, const PulseSink& sink) {
  for (; nextArrivalNs_ < timeNs; nextArrivalNs_ += DrawExponential(meanGapNs_, random_))
    Arrive(nextArrivalNs_);
  // Every arrival before timeNs is in, and a pulse never precedes its arrival.
  while (!pending_.empty() && pending_.top().timeNs < timeNs) {
    sink(pending_.top().timeNs, pending_.top().channel);
    pending_.pop();
  }
}

void TdcrScintillationSource::Arrive(double timeNs) {
  if (UnitUniform(random_) < decayShare_) {
    Decay(timeNs);
    return;
  }
  const int channel = std::min(2, static_cast<int>(3.0 * UnitUniform(random_)));
  if (photoelectronsNeeded_[static_cast<std::size_t>(channel)] <= 1) pending_.push({timeNs, channel});
}

// A tube's Poisson number of photoelectrons, each delayed with probability
// f, is the sum of two independent Poisson numbers: prompt ones of mean
// (1 - f) m and delayed ones of mean f m (the splitting of a Poisson
// process), drawn here directly.
void TdcrScintillationSource::Decay(double timeNs) {
  const double meanPerTube = light_.DrawQuenchedKeV(random_) * photoelectronsPerKeV_ / 3.0;
  if (meanPerTube <= 0.0) return;
  const double delayedMean = meanPerTube * timing_.delayedFraction;
  const double promptMean = meanPerTube - delayedMean;
  const double expDelayed = std::exp(-delayedMean);
  const double expPrompt = std::exp(-promptMean);
  for (int channel = 0; channel < 3; ++channel) {
    const int delayed = DrawPoisson(delayedMean, expDelayed, random_);
    const int prompt = DrawPoisson(promptMean, expPrompt, random_);
    if (prompt + delayed < std::max(1, photoelectronsNeeded_[static_cast<std::size_t>(channel)])) continue;
    pending_.push({timeNs + FirstPhotoelectronDelay(prompt, delayed), channel});
  }
}

// The first of k exponential times of decay time tau comes after an
// exponential time of rate k / tau; the first of the prompt and the delayed
// photoelectrons after one of the summed rate.
double TdcrScintillationSource::FirstPhotoelectronDelay(int prompt, int delayed) {
  const double rate = prompt / timing_.promptNs + delayed / timing_.delayedNs;
  const double first = DrawExponential(1.0 / rate, random_);
  if (!(timing_.jitterNs > 0.0)) return first;
  return std::max(0.0, first + kTransitInJitters * timing_.jitterNs + jitter_(random_));
}

}  // namespace korva::sim
