#include "analysis/efficiency_curve.h"

#include <cstdio>
#include <string>

#include "analysis/birks_quenching.h"
#include "analysis/nuclide_library.h"
#include "analysis/tdcr_solver.h"

namespace korva {

Checked<EfficiencyPoint> EfficiencyCurvePoint(const EfficiencyModel& model, CurveInput input, double value) {
  double lambda = value;
  if (input == CurveInput::kTdRatio) {
    const Checked<SymmetricSolution> solved = SolveSymmetric(model, value);
    if (!solved) return Checked<EfficiencyPoint>::Failure(solved.error);
    lambda = solved->lambda;
  } else if (!(value >= kMinLambda && value <= kMaxLambda)) {
    char text[128];
    std::snprintf(text, sizeof text, "lambda %g is outside %g to %g photoelectrons per keV", value,
                  kMinLambda, kMaxLambda);
    return Checked<EfficiencyPoint>::Failure(text);
  }
  const SymmetricEfficiency e = model.Symmetric(lambda);
  return Success(EfficiencyPoint{lambda, e.doubles, e.triples, e.Ratio()});
}

Checked<EfficiencyPoint> EfficiencyCurvePoint(const Nuclide& nuclide, double kb, const Scintillator& cocktail,
                                              CurveInput input, double value) {
  if (const auto error = KbRangeError(kb)) return Checked<EfficiencyPoint>::Failure(*error);
  return EfficiencyCurvePoint(EfficiencyModel(nuclide, kb, cocktail), input, value);
}

Checked<EfficiencyPoint> EfficiencyCurvePoint(std::string_view nuclide, double kb, CurveInput input,
                                              double value, std::string_view cocktail) {
  const Nuclide* found = FindNuclide(nuclide);
  if (found == nullptr) {
    return Checked<EfficiencyPoint>::Failure("unknown nuclide \"" + std::string(nuclide) + "\"; known are " +
                                             KnownNuclideNames());
  }
  const Scintillator* medium = FindCocktail(cocktail);
  if (medium == nullptr) {
    return Checked<EfficiencyPoint>::Failure("unknown cocktail \"" + std::string(cocktail) +
                                             "\"; known are " + KnownCocktailNames());
  }
  return EfficiencyCurvePoint(*found, kb, *medium, input, value);
}

}  // namespace korva
