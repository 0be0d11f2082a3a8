#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "analysis/rate_corrections.h"
#include "analysis/scintillator.h"
#include "decay/nuclide.h"
#include "tdcr/filetime.h"
#include "tdcr/measurement_tdc_reader.h"
#include "tdcr/tdcr_rates.h"

// What the analysis of one measurement shares between its runs, its
// combinations and its uncertainty budget.

namespace korva {

// The combination of window 0 (N) or 1 (M) and extension 0 or 1, and back.
inline TdcrRates::Combination CombinationOf(std::size_t window, std::size_t extension) {
  return static_cast<TdcrRates::Combination>(window + 2 * extension);
}
inline std::size_t WindowOf(TdcrRates::Combination c) { return c % 2; }

// Background rates of one window and extension, and the variance of their D.
struct BackgroundRates {
  CoincidenceRates rates;
  double doublesVariance = 0.0;
};

// Everything a run's analysis needs besides the run.
struct MeasurementContext {
  const Nuclide& nuclide;
  const Scintillator& cocktail;
  const TdcMeasurement& sample;
  std::array<std::optional<DeadTimeMode>, 2> modes{};
  std::array<BackgroundRates, TdcrRates::kCombinations> background{};
  StampTime reference;
};

}  // namespace korva
