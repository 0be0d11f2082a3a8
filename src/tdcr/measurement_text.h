#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/csv_text.h"
#include "tdcr/filetime.h"
#include "tdcr/measurement_snapshot.h"
#include "tdcr/tdcr_rates.h"

namespace korva {

// The pieces of text the three measurement files share.

// A text being built line by line; every line ends with CR LF.
class LineText {
 public:
  void Line(std::string_view text = {});
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

// "%02d/%02d/%04d": day, month, year; kNoStartText for a start that was
// never stamped (IsStampedStart), as for the two below.
std::string MeasurementDate(const StampTime& time);
// "%02d:%02d:%02d.%03d": hour, minute, second, millisecond.
std::string MeasurementTime(const StampTime& time);
// MeasurementDate and MeasurementTime with two blanks between them.
std::string MeasurementDateTime(const StampTime& time);

// Names of the coincidence kinds, indexed by TdcrRates::Kind.
inline constexpr std::array<const char*, TdcrRates::kKinds> kKindNames = {"AB", "BC", "AC", "T", "D"};
// The order in which the files list the coincidences of one window and
// extension: AB, BC, AC, D, T. A kind indexes both the rates of the TDCR
// view and the counter boxes of the counters view.
inline constexpr std::array<TdcrRates::Kind, TdcrRates::kKinds> kCoincidenceColumns = {
    TdcrRates::kAB, TdcrRates::kBC, TdcrRates::kAC, TdcrRates::kD, TdcrRates::kT};
// The kinds with a live time, in the files' order: AB, BC, AC, T.
inline constexpr std::array<TdcrRates::Kind, TdcrRates::kLiveTimeKinds> kLiveTimeColumns = {
    TdcrRates::kAB, TdcrRates::kBC, TdcrRates::kAC, TdcrRates::kT};
// Window and extension of each combination as the files name them.
inline constexpr std::array<const char*, TdcrRates::kCombinations> kCombinationNames = {"N1", "M1", "N2",
                                                                                        "M2"};
inline constexpr std::array<const char*, 3> kPmtNames = {"A", "B", "C"};

// The lines the .tdc and .csv files both carry: the hardware lines, and the
// settings from "Operator," through "Stop Timer,".
void WriteHardwareLines(LineText& out, const MeasurementSettings& settings);
void WriteSettingLines(LineText& out, const MeasurementSettings& settings);
// "Runs Completed, %d".
std::string RunsCompletedLine(const MeasurementSettings& settings);

}  // namespace korva
