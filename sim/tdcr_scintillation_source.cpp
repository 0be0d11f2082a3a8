#include "sim/tdcr_scintillation_source.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korva::sim {

namespace {

// The tubes' common transit time, in jitter standard deviations: it keeps
// a jittered pulse after its decay, which the pulse queue relies on, and
// moves every tube alike, so no coincidence changes.
constexpr double kTransitInJitters = 6.0;

int DrawPhotoelectrons(double mean, std::mt19937& random) {
  if (mean <= 0.0) return 0;
  return std::poisson_distribution<int>(mean)(random);
}

}  // namespace

TdcrScintillationSource::TdcrScintillationSource(const TdcrOptions& options, const BetaScintillation& light,
                                                 const std::array<int, 3>& photoelectronsNeeded,
                                                 std::mt19937& random)
    : random_(random),
      light_(light),
      photoelectronsPerKeV_(options.photoelectronsPerKeV),
      timing_(options.timing),
      decayShare_(0.0),
      arrivalsPerNs_((options.activityBq + 3.0 * options.darkRatePerPmt) * 1e-9),
      photoelectronsNeeded_(photoelectronsNeeded),
      nextArrivalNs_(std::numeric_limits<double>::infinity()) {
  if (arrivalsPerNs_ <= 0.0) return;
  decayShare_ = options.activityBq * 1e-9 / arrivalsPerNs_;
  nextArrivalNs_ = DrawArrivalGap();
}

void TdcrScintillationSource::EmitUntil(double timeNs, const PulseSink& sink) {
  for (; nextArrivalNs_ < timeNs; nextArrivalNs_ += DrawArrivalGap()) Arrive(nextArrivalNs_);
  // Every arrival before timeNs is in, and a pulse never precedes its arrival.
  while (!pending_.empty() && pending_.top().timeNs < timeNs) {
    sink(pending_.top().timeNs, pending_.top().channel);
    pending_.pop();
  }
}

double TdcrScintillationSource::DrawArrivalGap() {
  return std::exponential_distribution<double>(arrivalsPerNs_)(random_);
}

void TdcrScintillationSource::Arrive(double timeNs) {
  if (std::uniform_real_distribution<double>(0.0, 1.0)(random_) < decayShare_) {
    Decay(timeNs);
    return;
  }
  const int channel = std::uniform_int_distribution<int>(0, 2)(random_);
  if (photoelectronsNeeded_[static_cast<std::size_t>(channel)] <= 1) pending_.push({timeNs, channel});
}

void TdcrScintillationSource::Decay(double timeNs) {
  const double meanPerTube = light_.DrawQuenchedKeV(random_) * photoelectronsPerKeV_ / 3.0;
  for (int channel = 0; channel < 3; ++channel) {
    const int photoelectrons = DrawPhotoelectrons(meanPerTube, random_);
    if (photoelectrons < photoelectronsNeeded_[static_cast<std::size_t>(channel)]) continue;
    pending_.push({timeNs + FirstPhotoelectronDelay(photoelectrons), channel});
  }
}

// Of n photoelectrons, a binomial number m come from the delayed light and
// n - m from the prompt light; the first of k exponential times of decay
// time tau is exponential with decay time tau / k.
double TdcrScintillationSource::FirstPhotoelectronDelay(int photoelectrons) {
  const int delayed = std::binomial_distribution<int>(photoelectrons, timing_.delayedFraction)(random_);
  const int prompt = photoelectrons - delayed;
  double first = std::numeric_limits<double>::infinity();
  if (prompt > 0) first = std::exponential_distribution<double>(prompt / timing_.promptNs)(random_);
  if (delayed > 0) {
    first = std::min(first, std::exponential_distribution<double>(delayed / timing_.delayedNs)(random_));
  }
  if (!(timing_.jitterNs > 0.0)) return first;
  const double jitter = std::normal_distribution<double>(0.0, timing_.jitterNs)(random_);
  return std::max(0.0, first + kTransitInJitters * timing_.jitterNs + jitter);
}

}  // namespace korva::sim
