#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "spectrum/calibration_record.h"

namespace korva {

// One row of the calibration view's point list, as the list shows it: the
// channel ("%8.2f", displayed channel numbers) and the energy ("%8.4f") as
// text, and the row's check box, which is the point's use flag.
struct CalibrationRow {
  std::string channel;
  std::string energy;
  bool checked = false;
};

// The unit list of a calibration; "units" of a record indexes it.
inline constexpr std::array<const char*, 6> kCalibrationUnits = {"chn", " eV", "keV", "MeV", "Volt", "Arb"};

inline constexpr const char* kNotCalibratedCaption = "Not Calibrated";
inline constexpr const char* kCalibrationCaption = "CALIBRATION";
inline constexpr const char* kCalibrationAllCaption = "CALIBRATION w/ ALL";
inline constexpr const char* kCalibrationSelectedCaption = "CALIBRATION w/ SELECTED";
inline constexpr const char* kTooFewPointsMessage = "Calibration requires at least two points";
inline constexpr const char* kUndefinedCurveMessage = "The calibration points do not define a curve";
inline constexpr const char* kMaxPointsMessage = "Maximum number of %d points has been reached";
inline constexpr std::array<const char*, 3> kUnknownCoefficientTexts = {"a = ?", "b = ?", "c = ?"};

// The row a new point gets: the channel and energy texts converted to reals
// and formatted as the list shows them, unchecked.
CalibrationRow MakeCalibrationRow(const std::string& channelText, const std::string& energyText);

// Adds a point at the top of the list (the newest point comes first).
// Returns false, leaving the list alone, when it already holds ten points.
bool AddCalibrationRow(std::vector<CalibrationRow>& rows, const CalibrationRow& row);

// Writes the list into a record: channel i := row i's channel × scale,
// energy i := row i's energy, use i := its check box; point count := rows
// (at most ten are taken). Returns the number of points a fit may use: all
// rows when the record's use-all flag is 1, else the checked ones.
int RebuildPoints(CalibrationRecord& record, const std::vector<CalibrationRow>& rows, double scale);

// Set 1 gets the channels in full-resolution numbers (× the compression
// factor), set 2 as typed.
void RebuildBothSets(CalibrationRecord& set1, CalibrationRecord& set2,
                     const std::vector<CalibrationRow>& rows, int compressionFactor);

enum class FitOutcome {
  kFitted,
  kTooFewPoints,
  // The usable points have fewer than three distinct channels (or the solve
  // came out non-finite), so no parabola passes through them.
  kUndefinedCurve,
};

// What the view shows after a fit attempt: the caption, the three
// coefficient labels and, for a failed fit, the message to show.
struct CalibrationFit {
  FitOutcome outcome = FitOutcome::kTooFewPoints;
  std::string caption;
  std::array<std::string, 3> coefficientTexts;
  std::string message;
};

// Fits set 2's curve through the list's points: a straight line through two
// usable points, a least-squares parabola through three or more. Both sets
// are rebuilt from the rows first with the given use-all flag. A failed fit
// leaves the coefficients as they were and gives the caption "CALIBRATION".
CalibrationFit FitCalibration(CalibrationRecord& set1, CalibrationRecord& set2,
                              const std::vector<CalibrationRow>& rows, int compressionFactor, int useAll);

// "a = %12.8f", "b = %12.8f", "c = %12.8f" of a record.
std::array<std::string, 3> CoefficientTexts(const CalibrationRecord& record);

// What the view holds after loading a spectrum's calibration.
struct LoadedCalibration {
  std::vector<CalibrationRow> rows;
  // Set when set 2 had more than one usable point and a fit was tried.
  bool fitted = false;
  // The caption and coefficient texts to show: the fit's, or "Not
  // Calibrated" with "a = ?", "b = ?", "c = ?" when no fit was tried.
  CalibrationFit fit;
};

// Copies set 1 into set 2 with the channels in displayed numbers (÷ the
// compression factor), mends an out-of-range unit index to "chn", and refits
// set 2 when it has at least two usable points. The rows are the list the
// view shows, checked where the point's use flag is set.
//
// Set 2's curve starts again from EN = CH before the fit: a record whose
// points give no curve (too few, or not three distinct channels) must not
// go on showing energies of a curve fitted to other points, such as those
// of a spectrum file read into the same record before.
LoadedCalibration LoadPointsIntoView(CalibrationRecord& set1, CalibrationRecord& set2, int compressionFactor);

// Saving a spectrum file: the list's check boxes become the use flags of
// the points in both sets, row i giving point i.
void ApplyCheckStates(CalibrationRecord& set1, CalibrationRecord& set2,
                      const std::vector<CalibrationRow>& rows);

}  // namespace korva
