#include "sim/tdcr_scintillation_source.h"

#include <cmath>
#include <limits>

namespace korva::sim {

namespace {

constexpr double kScintillationDecayNs = 4.0;

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
    const double delay =
        std::exponential_distribution<double>(photoelectrons / kScintillationDecayNs)(random_);
    pending_.push({timeNs + delay, channel});
  }
}

}  // namespace korva::sim
