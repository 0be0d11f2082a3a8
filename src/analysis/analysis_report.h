#pragma once

#include <string>

#include "analysis/analysis_inputs.h"
#include "analysis/measurement_analysis.h"
#include "analysis/provenance.h"
#include "tdcr/measurement_tdc_reader.h"

namespace korva {

// The runs of one window and extension, one line each: lambda, the
// efficiencies and both activities, and whether the run is used.
std::string AnalysisRunTable(const CombinationAnalysis& combination);

// The coincidence rates of every window and extension over its used runs,
// with the corrections for decays that meet, mode by mode.
std::string AnalysisRatesTable(const MeasurementAnalysis& analysis);

// The result: A +- u (k = 1), the expanded uncertainty, the cross-check
// from T, the runs' statistics and the uncertainty budget line by line.
std::string AnalysisResultText(const MeasurementAnalysis& analysis);

// The plain-text report of an analysis: the program, the instrument and
// every input, the main combination's runs, the result and the warnings.
std::string AnalysisReportText(const AnalysisInputs& inputs, const TdcHeader& sample,
                               const MeasurementAnalysis& analysis);
// The same report followed by its provenance block: what the analysis
// export's .txt holds and `analyze` prints.
std::string AnalysisReportText(const AnalysisInputs& inputs, const TdcHeader& sample,
                               const MeasurementAnalysis& analysis, const Provenance& provenance);

}  // namespace korva
