#pragma once

#include <string>
#include <utility>
#include <vector>

namespace korva {

// One line of an uncertainty budget: a standard uncertainty in the unit of
// the result. A term that could not be evaluated says so instead of
// reading 0, and adds nothing to the combined uncertainty.
struct UncertaintyComponent {
  std::string name;
  double standardUncertainty = 0.0;
  bool evaluated = true;

  static UncertaintyComponent NotEvaluated(std::string name) { return {std::move(name), 0.0, false}; }
};

// What a report shows for a term that was not evaluated.
inline constexpr const char* kNotEvaluatedText = "not evaluated";

struct UncertaintyBudget {
  double value = 0.0;
  std::vector<UncertaintyComponent> components;
  double combined = 0.0;  // root sum of squares: the components are taken as uncorrelated
  double coverageFactor = 2.0;
  double expanded = 0.0;  // coverage factor x combined

  // An uncertainty relative to the value; 0 when the value is 0.
  double Relative(double uncertainty) const;
  // The names of the terms not evaluated.
  std::vector<std::string> NotEvaluated() const;
};

UncertaintyBudget CombineUncertainties(double value, std::vector<UncertaintyComponent> components,
                                       double coverageFactor = 2.0);

// The standard uncertainty of a choice between two ways of getting a
// result that differ by `difference`: a rectangular distribution of
// half-width |difference|, |difference| / sqrt(3).
double FromAlternative(double difference);

// The standard uncertainty from a result evaluated at x - u(x) and x + u(x):
// half their difference.
double FromPlusMinus(double atMinus, double atPlus);

}  // namespace korva
