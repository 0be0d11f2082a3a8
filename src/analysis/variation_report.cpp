#include "analysis/variation_report.h"

#include <QJsonArray>

#include "analysis/analysis_inputs.h"
#include "common/format_text.h"
#include "qtadapters/qt_text.h"

namespace korva {

std::string VariationText(const VariationStudy& s, const AnalysisSettings& settings) {
  std::string text = std::string(kAnalysisProgram) + " - efficiency variation\n";
  text += FormatText("Nuclide: %s   kB: %.4f cm/MeV   model: %s\n", settings.nuclide.c_str(), settings.kb,
                     std::string(DetectionModelName(settings.model)).c_str());
  text += "Reference time: " + FormatReferenceTime(s.referenceTime) + "\n\n";
  text +=
      FormatText("%-40s %8s %12s %12s %10s\n", "Measurement", "eps_D", "(1-eps)/eps", "A [Bq]", "u(A) [Bq]");
  for (const VariationPoint& p : s.points) {
    text += FormatText("%-40s %8.5f %12.5f %12.2f %10.2f\n", p.label.c_str(), p.doublesEfficiency,
                       p.Inefficiency(), p.activity, p.uncertainty);
  }
  text += FormatText("\nSlope: %.2f Bq +- %.2f Bq per unit of (1-eps_D)/eps_D (%.1f sigma)\n", s.slope,
                     s.slopeUncertainty, s.slopeSigmas);
  text += FormatText("Activity at full efficiency (intercept): %.2f Bq +- %.2f Bq\n", s.intercept,
                     s.interceptUncertainty);
  text += FormatText("Weighted mean: %.2f Bq +- %.2f Bq\n", s.mean.weightedMean, s.mean.Uncertainty());
  text += FormatText("Birge ratio of the line: %.3f\n", s.birgeRatio);
  for (const std::string& warning : s.warnings) text += "Warning: " + warning + "\n";
  return text;
}

QJsonObject VariationJson(const VariationStudy& s, const AnalysisSettings& settings) {
  QJsonArray points;
  for (const VariationPoint& p : s.points) {
    points.append(QJsonObject{{"file", QtText(p.label)},
                              {"doublesEfficiency", p.doublesEfficiency},
                              {"inefficiency", p.Inefficiency()},
                              {"activity", p.activity},
                              {"uncertainty", p.uncertainty}});
  }
  QJsonArray warnings;
  for (const std::string& warning : s.warnings) warnings.append(QtText(warning));
  return {{"program",
           QString::fromUtf8(kAnalysisProgram.data(), static_cast<qsizetype>(kAnalysisProgram.size()))},
          {"settings", QJsonObject{{"nuclide", QtText(settings.nuclide)},
                                   {"kb", settings.kb},
                                   {"model", QtText(std::string(DetectionModelName(settings.model)))},
                                   {"referenceTime", QtText(FormatReferenceTime(s.referenceTime))}}},
          {"points", points},
          {"slope", s.slope},
          {"slopeUncertainty", s.slopeUncertainty},
          {"slopeSigmas", s.slopeSigmas},
          {"slopeSignificant", s.slopeSignificant},
          {"intercept", s.intercept},
          {"interceptUncertainty", s.interceptUncertainty},
          {"birgeRatio", s.birgeRatio},
          {"weightedMean", s.mean.weightedMean},
          {"meanUncertainty", s.mean.Uncertainty()},
          {"warnings", warnings}};
}

}  // namespace korva
