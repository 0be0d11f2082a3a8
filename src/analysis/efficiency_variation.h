#pragma once

#include <string>
#include <vector>

#include "analysis/checked.h"
#include "analysis/measurement_analysis.h"
#include "analysis/run_statistics.h"

namespace korva {

// One measurement of an efficiency-variation study: the vial measured at
// one detection efficiency (another threshold, grey filter, defocusing or
// quench).
struct VariationPoint {
  std::string label;               // the measurement's file
  double doublesEfficiency = 0.0;  // mean eps_D of the runs used
  double activity = 0.0;           // Bq at the study's reference time
  // Its counting-statistics uncertainty, Bq: what differs from one
  // efficiency to the next. The model's terms (kB, spectrum...) are left
  // out because the study tests exactly how they move with the efficiency.
  double uncertainty = 0.0;

  // (1 - eps_D) / eps_D, the abscissa of the fit.
  double Inefficiency() const { return (1.0 - doublesEfficiency) / doublesEfficiency; }
};

// The activities of the points against their inefficiency x = (1 - eps_D) / eps_D,
// fitted with the straight line A(x) = a + b x weighted by 1 / u^2.
//
// Why this abscissa: an efficiency model that is off by a relative error
// growing with the share of decays it does not count biases A = D / eps_D
// in proportion to (1 - eps) / eps to first order, and at x = 0 (eps = 1)
// every decay is counted whatever the model says; so a consistent model
// gives a line without slope, and its intercept is the activity extrapolated
// to full efficiency (the efficiency-extrapolation of 4pi beta-gamma
// coincidence counting, A. P. Baerg, Metrologia 2 (1966) 23; for TDCR,
// R. Broda, P. Cassette, K. Kossert, Metrologia 44 (2007) S36).
struct VariationStudy {
  std::vector<VariationPoint> points;
  StampTime referenceTime;
  double slope = 0.0;             // Bq per unit of x
  double slopeUncertainty = 0.0;  // Bq, scaled by the Birge ratio when above 1
  double slopeSigmas = 0.0;       // |slope| / its uncertainty
  bool slopeSignificant = false;  // more than 2 standard uncertainties from 0
  double intercept = 0.0;         // Bq at eps_D = 1
  double interceptUncertainty = 0.0;
  double birgeRatio = 0.0;  // sqrt(chi^2 / (n - 2)) of the line
  RunStatistics mean;       // the points' weighted mean
  std::vector<std::string> warnings;
};

// The line through at least three points of at least two efficiencies.
Checked<VariationStudy> FitVariation(std::vector<VariationPoint> points);

// The point of one analysed measurement.
VariationPoint VariationPointOf(const std::string& label, const MeasurementAnalysis& analysis);

// A measurement of the study and the file it came from.
struct VariationInput {
  std::string label;
  TdcMeasurement measurement;
};

// Analyses every measurement with `settings` (the reference time, when not
// set, is the first run's start of the earliest measurement, so every
// activity is at the same time) and fits the line. Fails naming the
// measurement that could not be analysed.
Checked<VariationStudy> StudyVariation(const std::vector<VariationInput>& inputs, AnalysisSettings settings);

}  // namespace korva
