#pragma once

#include "analysis/efficiency_model.h"
#include "analysis/measurement_analysis.h"
#include "analysis/measurement_context.h"

namespace korva {

// The main result's uncertainty budget, term by term: kB, the stopping
// power, the spectrum shape and the nuclide's own variants, the other
// window and extension, the CDT gate, the detection model and the
// half-life. A term that cannot be evaluated is listed as such and a term
// whose alternative cannot be analysed is left out; both add a warning to
// `result`.
UncertaintyBudget MeasurementBudget(const MeasurementContext& ctx, const EfficiencyModel& model,
                                    MeasurementAnalysis& result, const AnalysisSettings& settings);

}  // namespace korva
