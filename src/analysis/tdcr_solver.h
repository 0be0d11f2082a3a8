#pragma once

#include <array>
#include <optional>

#include "analysis/checked.h"
#include "analysis/efficiency_model.h"

namespace korva {

struct SymmetricSolution {
  double lambda = 0.0;
  SymmetricEfficiency efficiency;
};

struct AsymmetricSolution {
  std::array<double, 3> lambdas{};  // tubes A, B, C
  AsymmetricEfficiency efficiency;
};

// The lambda whose eps_T / eps_D equals the measured T/D. The ratio rises
// monotonically with lambda, so the root is bracketed by the model's range
// of lambda; a T/D outside what the model reaches there is refused with the
// range. `start` is a lambda to begin the search from (the last run's, say);
// 0 begins in the middle of the range.
Checked<SymmetricSolution> SolveSymmetric(const EfficiencyModel& model, double tdRatio, double start = 0.0);

// The three lambdas whose eps_T / eps_AB, eps_T / eps_BC and eps_T / eps_AC
// equal the measured T/AB, T/BC and T/AC: Newton's method in ln(lambda)
// with a line search, started from `start` when given (the last run's
// lambdas, say) and, when that start leads nowhere, from the symmetric
// solution of the T/D the three ratios imply.
Checked<AsymmetricSolution> SolveAsymmetric(const EfficiencyModel& model,
                                            const std::array<double, 3>& tripleToPairRatios,
                                            const std::optional<std::array<double, 3>>& start = std::nullopt);

}  // namespace korva
