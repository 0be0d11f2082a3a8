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
  s.flagged.resize(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double deviation = values[i] - s.weightedMean;
    chiSquare += deviation * deviation / (u[i] * u[i]);
    squares += (values[i] - s.mean) * (values[i] - s.mean);
    s.flagged[i] = std::abs(deviation) > 3.0 * u[i];
  }
  if (values.size() > 1) {
    const double degrees = static_cast<double>(values.size() - 1);
    s.birgeRatio = std::sqrt(chiSquare / degrees);
    s.externalUncertainty = s.internalUncertainty * s.birgeRatio;
    s.standardDeviation = std::sqrt(squares / degrees);
  }
  return s;
}

}  // namespace korva
