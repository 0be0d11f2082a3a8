#pragma once

#include <QJsonObject>
#include <string>

#include "analysis/efficiency_variation.h"

namespace korva {

// The plain-text study: the settings, one line per measurement (eps_D,
// (1 - eps_D) / eps_D, A and u(A)), the slope with its uncertainty and
// significance, the activity at full efficiency, the weighted mean, the
// Birge ratio and the warnings.
std::string VariationText(const VariationStudy& study, const AnalysisSettings& settings);

// The same as JSON: "settings", "points" [{file, doublesEfficiency,
// inefficiency, activity, uncertainty}], "slope", "slopeUncertainty",
// "slopeSigmas", "slopeSignificant", "intercept", "interceptUncertainty",
// "birgeRatio", "weightedMean", "meanUncertainty", "warnings".
QJsonObject VariationJson(const VariationStudy& study, const AnalysisSettings& settings);

}  // namespace korva
