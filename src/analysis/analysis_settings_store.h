#pragma once

#include "analysis/measurement_analysis.h"

namespace korva {

class SettingsStore;

// The analysis choices the pane keeps between sessions (nuclide, kB, model,
// window, extension) under "\Korva-TDCR\Analysis". The reference time is a
// choice for one measurement and is not kept.
void SaveAnalysisSettings(SettingsStore& store, const AnalysisSettings& settings);
// What was kept; a value that is missing or makes no sense (an unknown
// nuclide, a kB outside its range) gives that choice's default.
AnalysisSettings LoadAnalysisSettings(SettingsStore& store);

}  // namespace korva
