#pragma once

#include <QJsonObject>
#include <string>

#include "analysis/analysis_inputs.h"
#include "analysis/efficiency_curve.h"
#include "analysis/measurement_analysis.h"
#include "tdcr/measurement_tdc_reader.h"

namespace korva {

// The JSON of an analysis, as the program's export and the command line's
// "analyze --json" write it: the program and the instrument, every input,
// the measurement's settings, each window and extension with its runs and
// statistics, the result with its budget, and the warnings. Activities are
// in Bq, kB in cm/MeV, times in seconds.
QJsonObject AnalysisJson(const AnalysisInputs& inputs, const TdcHeader& sample,
                         const MeasurementAnalysis& analysis);

// One point of an efficiency curve: the nuclide, kB, the model, lambda,
// both efficiencies and T/D.
QJsonObject EfficiencyJson(const Nuclide& nuclide, const Scintillator& cocktail, double kb,
                           const EfficiencyPoint& point);

// {"file": ..., "version": ...}: where a nuclide's data came from.
QJsonObject NuclideDataJson(const std::string& file, const std::string& version);

// An object as indented JSON text.
std::string JsonText(const QJsonObject& object);

}  // namespace korva
