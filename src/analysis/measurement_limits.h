#pragma once

#include "analysis/characteristic_limits.h"
#include "analysis/measurement_analysis.h"

namespace korva {

// The counts behind the main result and its calibration factor: the gross
// D counts (AB + BC + AC - 2T) of the runs it used and their live time, the
// background's D counts over its completed runs, and w = A / D-rate of each
// used run (decay correction over eps_D) averaged over the runs. u_rel(w)
// is what the budget's combined uncertainty holds beyond the Poisson
// counting of D, so u(y) at the result is the combined uncertainty.
LimitInputs LimitInputsOf(const TdcMeasurement& sample, const TdcMeasurement& background,
                          const MeasurementAnalysis& analysis);

// The limits of an analysed result over `background`.
CharacteristicLimits LimitsOf(const TdcMeasurement& sample, const TdcMeasurement& background,
                              const MeasurementAnalysis& analysis, const LimitSettings& settings);

// A sample too weak to solve its own efficiency from T/D (a blank): the
// result from the efficiency the settings give (ε_D of the nuclide in the
// same cocktail, from a standard), over every completed run, with its limits.
// `analysis` holds what could be analysed; `why` says why T/D gave nothing.
MeasurementAnalysis WithGivenEfficiency(MeasurementAnalysis analysis, const TdcMeasurement& sample,
                                        const TdcMeasurement& background, const AnalysisSettings& settings,
                                        const std::string& why);

}  // namespace korva
