#pragma once

#include <span>
#include <vector>

namespace korva {

// The spread of the runs of a measurement, each run a value with its own
// standard uncertainty.
struct RunStatistics {
  int count = 0;
  double weightedMean = 0.0;  // weights 1 / u^2
  // 1 / sqrt(sum of weights): what the runs' own uncertainties promise.
  double internalUncertainty = 0.0;
  // The standard deviation of the weighted mean from the scatter of the
  // runs: the internal uncertainty times the Birge ratio.
  double externalUncertainty = 0.0;
  // sqrt(chi^2 / (n - 1)); near 1 when the runs scatter as their
  // uncertainties say, well above 1 when something beyond counting moves
  // them. 0 for a single run.
  double birgeRatio = 0.0;
  double mean = 0.0;  // plain mean and standard deviation, for the report
  double standardDeviation = 0.0;
  // Runs more than three of their own standard uncertainties from the
  // weighted mean of the runs not flagged: the farthest such run is flagged
  // and the mean taken again without it, until every remaining run is
  // within three (or two remain). The runs' own uncertainties are the
  // yardstick because a spread computed from a handful of runs includes the
  // stray run itself (with ten runs no run can lie three sample deviations
  // from their mean), and a stray run left in the mean would drag it far
  // enough to have good runs flagged. The means above include every run.
  std::vector<bool> flagged;

  // The larger of the internal and the external uncertainty.
  double Uncertainty() const;
};

// `values` and `uncertainties` have the same length; a run with an
// uncertainty of 0 or less is given the smallest positive uncertainty of
// the others, and when none is positive every run weighs the same.
RunStatistics ComputeRunStatistics(std::span<const double> values, std::span<const double> uncertainties);

}  // namespace korva
