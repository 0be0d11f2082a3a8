#include "analysis/efficiency_variation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tdcr/filetime.h"

namespace korva {

namespace {

// Sums of the weighted least-squares line (P. R. Bevington, D. K. Robinson,
// Data Reduction and Error Analysis for the Physical Sciences, 3rd ed.,
// McGraw-Hill 2003, sec. 6.3):
//   a = (Sxx Sy - Sx Sxy) / Delta, b = (S Sxy - Sx Sy) / Delta,
//   u^2(a) = Sxx / Delta, u^2(b) = S / Delta, Delta = S Sxx - Sx^2.
struct LineSums {
  double s = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;

  explicit LineSums(const std::vector<VariationPoint>& points) {
    for (const VariationPoint& p : points) {
      const double w = 1.0 / (p.uncertainty * p.uncertainty);
      const double x = p.Inefficiency();
      s += w;
      sx += w * x;
      sy += w * p.activity;
      sxx += w * x * x;
      sxy += w * x * p.activity;
    }
  }
  double Delta() const { return s * sxx - sx * sx; }
};

double ChiSquared(const VariationStudy& study) {
  double chi2 = 0.0;
  for (const VariationPoint& p : study.points) {
    const double residual = (p.activity - study.intercept - study.slope * p.Inefficiency()) / p.uncertainty;
    chi2 += residual * residual;
  }
  return chi2;
}

std::string Printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

StampTime EarliestStart(const std::vector<VariationInput>& inputs) {
  StampTime earliest = inputs.front().measurement.runs.front().start;
  for (const VariationInput& in : inputs) {
    const StampTime& start = in.measurement.runs.front().start;
    if (FileTimeFromStampTime(start) < FileTimeFromStampTime(earliest)) earliest = start;
  }
  return earliest;
}

}  // namespace

Checked<VariationStudy> FitVariation(std::vector<VariationPoint> points) {
  if (points.size() < 3) {
    return Checked<VariationStudy>::Failure(
        "an efficiency-variation study needs at least three measurements");
  }
  for (const VariationPoint& p : points) {
    if (!(p.uncertainty > 0.0) || !(p.doublesEfficiency > 0.0 && p.doublesEfficiency <= 1.0)) {
      return Checked<VariationStudy>::Failure(p.label + ": no efficiency or no uncertainty to fit with");
    }
  }
  const LineSums sums(points);
  // Delta is the weighted variance of x times S^2: 0 when every point has the same efficiency.
  if (!(sums.Delta() > 1e-12 * sums.s * sums.sxx)) {
    return Checked<VariationStudy>::Failure(
        "the measurements have the same efficiency; vary it (thresholds, grey filter, defocusing, quench)");
  }
  VariationStudy study;
  study.slope = (sums.s * sums.sxy - sums.sx * sums.sy) / sums.Delta();
  study.intercept = (sums.sxx * sums.sy - sums.sx * sums.sxy) / sums.Delta();
  study.points = std::move(points);
  study.birgeRatio = std::sqrt(ChiSquared(study) / static_cast<double>(study.points.size() - 2));
  // Scatter beyond the points' own uncertainties widens the slope's uncertainty.
  const double scale = std::max(1.0, study.birgeRatio);
  study.slopeUncertainty = std::sqrt(sums.s / sums.Delta()) * scale;
  study.interceptUncertainty = std::sqrt(sums.sxx / sums.Delta()) * scale;
  study.slopeSigmas = std::abs(study.slope) / study.slopeUncertainty;
  study.slopeSignificant = study.slopeSigmas > 2.0;
  std::vector<double> activities, uncertainties;
  for (const VariationPoint& p : study.points) {
    activities.push_back(p.activity);
    uncertainties.push_back(p.uncertainty);
  }
  study.mean = ComputeRunStatistics(activities, uncertainties);
  if (study.slopeSignificant) {
    study.warnings.push_back("the activity changes with the efficiency: the slope differs from zero by " +
                             Printed("%.1f", study.slopeSigmas) +
                             " standard uncertainties (more than 2); the efficiency model (kB, nuclide "
                             "data) does not describe this vial");
  }
  return Success(std::move(study));
}

VariationPoint VariationPointOf(const std::string& label, const MeasurementAnalysis& a) {
  double efficiency = 0.0;
  int used = 0;
  for (const RunAnalysis& r : a.Main().runs) {
    if (!r.used) continue;
    efficiency += r.doublesEfficiency;
    ++used;
  }
  return {label, used > 0 ? efficiency / used : 0.0, a.activity, a.Main().doubles.Uncertainty()};
}

Checked<VariationStudy> StudyVariation(const std::vector<VariationInput>& inputs, AnalysisSettings settings) {
  if (inputs.empty()) return Checked<VariationStudy>::Failure("no measurement chosen");
  for (const VariationInput& in : inputs) {
    if (in.measurement.runs.empty()) return Checked<VariationStudy>::Failure(in.label + ": no run");
  }
  if (!settings.referenceTime) settings.referenceTime = EarliestStart(inputs);
  std::vector<VariationPoint> points;
  for (const VariationInput& in : inputs) {
    const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(in.measurement, nullptr, settings);
    if (!a) return Checked<VariationStudy>::Failure(in.label + ": " + a.error);
    points.push_back(VariationPointOf(in.label, *a));
  }
  Checked<VariationStudy> study = FitVariation(std::move(points));
  if (study) study.value->referenceTime = *settings.referenceTime;
  return study;
}

}  // namespace korva
