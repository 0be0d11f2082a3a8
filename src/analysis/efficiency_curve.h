#pragma once

#include <string_view>

#include "analysis/checked.h"
#include "analysis/efficiency_model.h"

namespace korva {

// One point of a nuclide's efficiency curve under the symmetric model.
struct EfficiencyPoint {
  double lambda = 0.0;  // photoelectrons per keV of quenched energy
  double doubles = 0.0;
  double triples = 0.0;
  double tdRatio = 0.0;
};

// What the point is asked for by: a lambda, or a T/D to solve for.
enum class CurveInput { kLambda, kTdRatio };

Checked<EfficiencyPoint> EfficiencyCurvePoint(const EfficiencyModel& model, CurveInput input, double value);

// The same for a nuclide and a kB in the accepted range, in a cocktail;
// the model is built for this one call.
Checked<EfficiencyPoint> EfficiencyCurvePoint(const Nuclide& nuclide, double kb, const Scintillator& cocktail,
                                              CurveInput input, double value);

// The same for a nuclide and a cocktail by name.
Checked<EfficiencyPoint> EfficiencyCurvePoint(std::string_view nuclide, double kb, CurveInput input,
                                              double value, std::string_view cocktail = "toluene");

}  // namespace korva
