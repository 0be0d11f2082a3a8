#include "analysis/run_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korva {

namespace {

std::vector<double> UsableUncertainties(std::span<const double> uncertainties) {
  double smallest = std::numeric_limits<double>::infinity();
  for (const double u : uncertainties) {
    if (u > 0.0) smallest = std::min(smallest, u);
  }
  if (!std::isfinite(smallest)) smallest = 1.0;
  std::vector<double> usable(uncertainties.begin(), uncertainties.end());
  for (double& u : usable) {
    if (!(u > 0.0)) u = smallest;
  }
  return usable;
}

double WeightedMeanOfUnflagged(std::span<const double> values, const std::vector<double>& u,
                               const std::vector<bool>& flagged) {
  double weights = 0.0;
  double weighted = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (flagged[i]) continue;
    weights += 1.0 / (u[i] * u[i]);
    weighted += values[i] / (u[i] * u[i]);
  }
  return weighted / weights;
}

std::vector<bool> FlagStrayRuns(std::span<const double> values, const std::vector<double>& u) {
  std::vector<bool> flagged(values.size(), false);
  for (std::size_t remaining = values.size(); remaining > 2; --remaining) {
    const double mean = WeightedMeanOfUnflagged(values, u, flagged);
    std::size_t farthest = 0;
    double farthestSigmas = 0.0;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const double sigmas = std::abs(values[i] - mean) / u[i];
      if (!flagged[i] && sigmas > farthestSigmas) {
        farthest = i;
        farthestSigmas = sigmas;
      }
    }
    if (farthestSigmas <= 3.0) break;
    flagged[farthest] = true;
  }
  return flagged;
}

}  // namespace

double RunStatistics::Uncertainty() const { return std::max(internalUncertainty, externalUncertainty); }

RunStatistics ComputeRunStatistics(std::span<const double> values, std::span<const double> uncertainties) {
  RunStatistics s;
  s.count = static_cast<int>(values.size());
  if (values.empty()) return s;
  const std::vector<double> u = UsableUncertainties(uncertainties.first(values.size()));
  double weights = 0.0;
  double weighted = 0.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double w = 1.0 / (u[i] * u[i]);
    weights += w;
    weighted += w * values[i];
    sum += values[i];
  }
  s.weightedMean = weighted / weights;
  s.internalUncertainty = 1.0 / std::sqrt(weights);
  s.mean = sum / static_cast<double>(values.size());

  double chiSquare = 0.0;
  double squares = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double deviation = values[i] - s.weightedMean;
    chiSquare += deviation * deviation / (u[i] * u[i]);
    squares += (values[i] - s.mean) * (values[i] - s.mean);
  }
  s.flagged = FlagStrayRuns(values, u);
  if (values.size() > 1) {
    const double degrees = static_cast<double>(values.size() - 1);
    s.birgeRatio = std::sqrt(chiSquare / degrees);
    s.externalUncertainty = s.internalUncertainty * s.birgeRatio;
    s.standardDeviation = std::sqrt(squares / degrees);
  }
  return s;
}

}  // namespace korva
