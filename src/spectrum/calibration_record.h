#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace korva {

// One energy calibration of one analyser input: the curve
// EN = a·CH² + b·CH + c and the points it was fitted through.
struct CalibrationRecord {
  static constexpr std::size_t kPointSlots = 16;
  // Only the first ten slots hold points.
  static constexpr std::size_t kMaxPoints = 10;

  double a = 0.0;
  double b = 1.0;
  double c = 0.0;
  std::array<double, kPointSlots> channel{};
  std::array<double, kPointSlots> energy{};
  // 1 where the point takes part in a fit "with selected points".
  std::array<std::int32_t, kPointSlots> use{};
  // 1: fit with all points; 0: fit with the selected points.
  std::int32_t useAll = 0;
  std::int32_t pointCount = 0;
  // Index into the calibration's unit list; 0 is "chn".
  std::int32_t units = 0;
  // 1 when the calibration is switched on for display.
  std::int32_t enabled = 0;

  // The number of points a reader of the record may look at: the point
  // count held within 0-10, whatever a file or a stored value put there.
  std::size_t UsablePointCount() const {
    return static_cast<std::size_t>(std::clamp<std::int32_t>(pointCount, 0, kMaxPoints));
  }
};

// The nine analyser inputs, in the order of the amplifier's input list
// ("PMT A - DPP" ... "PMT E - DPP"). A spectrum keeps two sets of nine
// records: set 1 (records 0-8) in full-resolution channel numbers, which
// files carry; set 2 (records 9-17) in displayed channel numbers with the
// fitted coefficients the display uses.
inline constexpr std::size_t kAnalyserInputs = 9;
inline constexpr std::size_t kCalibrationRecords = 2 * kAnalyserInputs;

}  // namespace korva
