#pragma once

#include <QImage>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_inputs.h"
#include "analysis/efficiency_variation.h"
#include "analysis/provenance.h"
#include "analysis/report_plot.h"
#include "analysis/report_signatory.h"

namespace korva {

// A report's body as rich text, with the pictures it names by URL.
struct ReportDocument {
  QString html;
  std::vector<std::pair<QString, QImage>> images;  // "plot:runs" and its picture
};

// The signed record of one analysed measurement: the laboratory and the
// operator, the sample (tag, nuclide, cocktail, kB), the instrument, the
// time reference, the measurement's settings, the result with its
// uncertainty rounded to two significant digits and its coverage factor,
// the characteristic limits when a background was given, the budget, the
// runs and their plot, the warnings, the provenance, and lines to sign.
ReportDocument AnalysisReportDocument(const ReportSignatory& signatory, const AnalysisInputs& inputs,
                                      const TdcHeader& sample, const MeasurementAnalysis& analysis,
                                      const Provenance& provenance);

// The signed record of an efficiency-variation study: the measurements,
// the fit and its plot, the warnings, the input files and lines to sign.
ReportDocument VariationReportDocument(const ReportSignatory& signatory, const VariationStudy& study,
                                       const AnalysisSettings& settings, const Provenance& provenance);

// The study's plot: each activity against (1 - eps_D) / eps_D with the fitted line.
ResultPlotData VariationPlotData(const VariationStudy& study);

// The provenance of a study: the program, the first measurement's
// instrument and clock, and every measurement file with its SHA-256.
Provenance VariationProvenance(const std::vector<VariationInput>& inputs, const AnalysisSettings& settings);

// Writes the document as an A4 PDF, replacing an earlier file only once the
// new one is complete, and announces the save. None on success; otherwise
// the message for the user, naming the file.
std::optional<std::string> WriteReportPdf(const std::filesystem::path& path, const ReportDocument& document);

}  // namespace korva
