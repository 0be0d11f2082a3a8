#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/birks_quenching.h"
#include "analysis/characteristic_limits.h"
#include "analysis/checked.h"
#include "analysis/rate_corrections.h"
#include "analysis/run_statistics.h"
#include "analysis/uncertainty_budget.h"
#include "decay/nuclide.h"
#include "tdcr/filetime.h"
#include "tdcr/measurement_tdc_reader.h"
#include "tdcr/tdcr_rates.h"

namespace korva {

enum class DetectionModel { kSymmetric, kAsymmetric };

std::string_view DetectionModelName(DetectionModel model);

// "CDT", "IDT", or "not known".
std::string_view DeadTimeModeName(const std::optional<DeadTimeMode>& mode);

// What the outputs show for the correction of pulses a CDT gate blocks: its
// rates in CDT, this text in IDT (whose tubes' own dead times leave nothing
// blocked unseen) and "not evaluated" when the mode is not known.
inline constexpr const char* kNoBlockingText = "none in IDT";

// The window choice that takes the main result from the wider of N and M,
// which loses the fewest coincidences of faint events.
inline constexpr std::size_t kWiderWindow = 2;

// Windows shorter than this lose coincidences of faint events whose first
// photoelectron comes late: the activity then reads high.
inline constexpr double kShortWindowNs = 40.0;

// What a user chooses for the analysis of a measurement.
struct AnalysisSettings {
  std::string nuclide = "H-3";
  // A nuclide not in the program's library (a user's tabulated spectrum);
  // when set it is analysed instead of `nuclide`.
  std::optional<Nuclide> ownNuclide{};
  // The cocktail by name; empty: the one the measurement's record names
  // (toluene, with a warning, when the record's name is not known).
  std::string cocktail{};
  double kb = kDefaultKb;  // cm/MeV, kMinKb..kMaxKb
  DetectionModel model = DetectionModel::kSymmetric;
  // The window (0 N, 1 M, kWiderWindow the wider of them) and extension (0
  // or 1 for extensions 1 and 2) of the main result; the other three
  // combinations enter its budget.
  std::size_t window = kWiderWindow;
  std::size_t extension = 0;
  // The dead-time modes of extensions 1 and 2 the measurement was made with
  // (a .tdc file does not say them); empty: not known, and the corrections
  // that depend on the mode are not evaluated.
  std::array<std::optional<DeadTimeMode>, 2> deadTimeModes{};
  // The time the activity is given for, on the clock the file's start times
  // are on (its START TIME label); empty: the start of run 1.
  std::optional<StampTime> referenceTime{};
  // The characteristic limits' quantiles and probability, used when a
  // background measurement is given.
  LimitSettings limits{};
  // eps_D and its standard uncertainty for a sample too weak to give its
  // own from T/D (a blank), from a standard in the same cocktail; used only
  // with a background measurement and only when T/D gives nothing.
  std::optional<double> givenEfficiency{};
  double givenEfficiencyUncertainty = 0.0;
};

// One run under one window and extension.
struct RunAnalysis {
  int run = 0;
  bool used = false;
  std::string note;  // why the run is not used; empty when it is
  double realTime = 0.0;
  double secondsAfterReference = 0.0;  // from the reference time to the run's start
  // Net rates: accidental coincidences and background taken off.
  CoincidenceRates rates;
  double tdRatio = 0.0;
  std::array<double, 3> lambdas{};  // tubes A, B, C; all equal under the symmetric model
  double doublesEfficiency = 0.0;
  double triplesEfficiency = 0.0;
  // Activities in Bq at the reference time, from D / eps_D and T / eps_T,
  // and the standard uncertainty of the first from counting.
  double activityD = 0.0;
  double activityT = 0.0;  // equals activityD when the model reproduces T/D, as it does when solved
  double activityDUncertainty = 0.0;
  bool flagged = false;  // more than 3 standard uncertainties from the mean
};

// The coincidence rates of a combination over its used runs (counts over
// live times) and what the corrections for decays that meet in the window
// and the gate took off them.
struct CombinationRates {
  double windowNs = 0.0;
  std::optional<DeadTimeMode> mode;  // empty: not known; the blocked part is not evaluated
  CoincidenceRates measured;
  CountingDistortion distortion;
  CoincidenceRates corrected;  // measured less the distortion, before any background
};

struct CombinationAnalysis {
  TdcrRates::Combination combination = TdcrRates::kN1;
  CombinationRates rates;
  std::vector<RunAnalysis> runs;  // every run of the file
  RunStatistics doubles;          // activityD of the used runs
  RunStatistics triples;          // activityT, weighted as activityD
  std::string error;              // why no run could be used
  bool Usable() const { return doubles.count > 0; }
};

// The activity from each pair of tubes with the yield solved from T/D:
// equal tubes give equal pair rates, so pairs that disagree beyond their
// counting uncertainty show tubes of unequal yield. (Under the asymmetric
// model each pair reproduces its own T/pair ratio, so every pair gives the
// activity from T by construction; the check is made with the symmetric
// yield whatever the model.)
struct PairCheck {
  bool evaluated = false;
  std::array<double, 3> activities{};  // Bq: AB, BC, AC
  // The largest difference of two pairs' activities in standard
  // uncertainties of that difference.
  double largestDifferenceSigmas = 0.0;
};

struct MeasurementAnalysis {
  std::string nuclide;
  std::string nuclideFile;     // the data file the nuclide was read from
  std::string nuclideVersion;  // that file's version
  std::string cocktail;
  double kb = 0.0;
  DetectionModel model = DetectionModel::kSymmetric;
  TdcrRates::Combination main = TdcrRates::kN1;
  StampTime referenceTime;
  bool backgroundSubtracted = false;
  std::array<CombinationAnalysis, TdcrRates::kCombinations> combinations;
  double activity = 0.0;  // Bq: weighted mean of the main combination's D / eps_D
  PairCheck pairs;
  UncertaintyBudget budget;
  // What the user should know: flagged runs, budget terms left out or not
  // evaluated, short windows, windows that disagree, unequal tubes.
  std::vector<std::string> warnings;
  // With a background measurement: the decision threshold, detection limit
  // and coverage interval of the result.
  std::optional<CharacteristicLimits> limits;
  bool efficiencyGiven = false;  // the result uses AnalysisSettings::givenEfficiency

  const CombinationAnalysis& Main() const { return combinations[main]; }
};

// The window (0 N, 1 M) a window choice of AnalysisSettings picks for the
// measurement: the wider of them for kWiderWindow, N when they are equal.
std::size_t MainWindow(const TdcHeader& header, std::size_t choice);

// The activity of a measurement: every run under each window and extension,
// the runs' statistics, and the main result's uncertainty budget. The one
// analysis both the program's pane and its command line show.
//
// Per run: rates are counts over live times; the distortion of decays that
// meet within the window and the dead-time gate's resolving time comes off
// (rate_corrections.h, for the extension's mode), then the background's rates
// (corrected the same way) when a background measurement with the same
// windows and extensions is given; the model's lambda is solved from T/D
// (symmetric) or T/AB, T/BC, T/AC (asymmetric); the activity is corrected
// for decay during the run and back to the reference time. Only completed
// runs are used.
Checked<MeasurementAnalysis> AnalyzeMeasurement(const TdcMeasurement& sample,
                                                const TdcMeasurement* background,
                                                const AnalysisSettings& settings);

}  // namespace korva
