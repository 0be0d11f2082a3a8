#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "tdcr/tdcr_run_record.h"

namespace korva {

// Real time, coincidence live times, rates and TDCR ratios of the shown run.
struct TdcrRates {
  // Window/extension combinations in the order of the form and the files.
  enum Combination : std::size_t { kN1, kM1, kN2, kM2, kCombinations };
  // Coincidence kinds; D is computed from the other four rates.
  enum Kind : std::size_t { kAB, kBC, kAC, kT, kD, kKinds };
  // Ratios of each combination.
  enum Ratio : std::size_t { kTOverAB, kTOverBC, kTOverAC, kTOverD, kRatios };
  // Live times of AB, BC, AC and T per extension 1, 2 (kinds kAB..kT).
  static constexpr std::size_t kExtensions = 2;
  static constexpr std::size_t kLiveTimeKinds = kD;

  double realTime = 0;
  std::array<std::array<double, kLiveTimeKinds>, kExtensions> liveTimes{};
  // Counts per second: count / live time of the kind and extension (0 for
  // a live time of 0); D = AB + BC + AC - 2 T of the same combination.
  std::array<std::array<double, kKinds>, kCombinations> rates{};
  // T over AB, BC, AC and D; empty when the divisor rate is exactly 0.
  std::array<std::array<std::optional<double>, kRatios>, kCombinations> ratios{};
};

// The extension (0 or 1) a combination counts with.
inline constexpr std::size_t ExtensionOf(TdcrRates::Combination combination) { return combination / 2; }

// Counters of AB, BC, AC and T of each combination, and the instrument's D
// counter (shown and saved, never used for the rates).
inline constexpr std::array<std::array<TdcrCounter, TdcrRates::kKinds>, TdcrRates::kCombinations>
    kCoincidenceCounters = {{
        {TdcrCounter::kAbN1, TdcrCounter::kBcN1, TdcrCounter::kAcN1, TdcrCounter::kTN1, TdcrCounter::kDN1},
        {TdcrCounter::kAbM1, TdcrCounter::kBcM1, TdcrCounter::kAcM1, TdcrCounter::kTM1, TdcrCounter::kDM1},
        {TdcrCounter::kAbN2, TdcrCounter::kBcN2, TdcrCounter::kAcN2, TdcrCounter::kTN2, TdcrCounter::kDN2},
        {TdcrCounter::kAbM2, TdcrCounter::kBcM2, TdcrCounter::kAcM2, TdcrCounter::kTM2, TdcrCounter::kDM2},
    }};

// `k` is the TimeBaseFactor of the run.
TdcrRates ComputeRates(const DisplayedRun& run, double k);

// The same values as the TDCR view shows them: times and rates "%10.3f",
// ratios "%10.6f" or "0.0".
struct TdcrRateTexts {
  std::string realTime;
  std::array<std::array<std::string, TdcrRates::kLiveTimeKinds>, TdcrRates::kExtensions> liveTimes;
  std::array<std::array<std::string, TdcrRates::kKinds>, TdcrRates::kCombinations> rates;
  std::array<std::array<std::string, TdcrRates::kRatios>, TdcrRates::kCombinations> ratios;
};

TdcrRateTexts FormatRates(const TdcrRates& rates);

}  // namespace korva
