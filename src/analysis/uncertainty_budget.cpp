#include "analysis/uncertainty_budget.h"

#include <cmath>

namespace korva {

double UncertaintyBudget::Relative(double uncertainty) const {
  return value == 0.0 ? 0.0 : uncertainty / std::abs(value);
}

std::vector<std::string> UncertaintyBudget::NotEvaluated() const {
  std::vector<std::string> names;
  for (const UncertaintyComponent& c : components) {
    if (!c.evaluated) names.push_back(c.name);
  }
  return names;
}

UncertaintyBudget CombineUncertainties(double value, std::vector<UncertaintyComponent> components,
                                       double coverageFactor) {
  UncertaintyBudget budget;
  budget.value = value;
  budget.components = std::move(components);
  double squares = 0.0;
  for (const UncertaintyComponent& c : budget.components)
    squares += c.standardUncertainty * c.standardUncertainty;
  budget.combined = std::sqrt(squares);
  budget.coverageFactor = coverageFactor;
  budget.expanded = coverageFactor * budget.combined;
  return budget;
}

double FromAlternative(double difference) { return std::abs(difference) / std::sqrt(3.0); }

double FromPlusMinus(double atMinus, double atPlus) { return 0.5 * std::abs(atPlus - atMinus); }

}  // namespace korva
