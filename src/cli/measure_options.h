#pragma once

#include <optional>
#include <string>

#include "cli/command_line.h"
#include "tdcr/tdcr_measurement.h"
#include "timesync/time_reference.h"

namespace korva {

// The settings of one headless measurement, checked before anything touches
// the instrument. Numbers stay texts: the measurement form enters them
// exactly as a user typing them would (and clamps them the same way).
struct MeasureOptions {
  std::string port;
  std::uint32_t baud = 921600;
  std::string outBase;
  std::optional<int> runs;                               // 1-64
  std::optional<std::string> timePerRun, gapTime;        // seconds
  std::array<std::optional<int>, 2> windowIndex;         // N, M into the window list
  std::array<std::optional<std::string>, 2> extensions;  // microseconds
  std::array<std::optional<bool>, 2> cdt;                // mode of extensions 1, 2
  std::array<std::optional<std::string>, 3> thresholds;  // millivolts
  std::array<std::optional<bool>, 3> positive;           // polarity of A, B, C
  std::optional<int> stopTimer;                          // into the stop-timer list
  std::optional<int> referenceSource;                    // 0 none, 1 int, 2 ext
  TimeReferenceKind reference = TimeReferenceKind::kSystem;
  std::string ntpServer = "pool.ntp.org";
  std::string tag = "TDCR Measurement";
  TdcrRecordTexts record;
  bool overwrite = false;
  bool discardUnsaved = false;
};

// Reads the options of `line`; nullopt with `error` set on a usage error.
// Every number is range-checked (OptionRangeError); thresholds only for
// being finite, since their range follows the instrument's calibration
// (see ThresholdRangeError). A setting left out keeps the instrument's
// present value.
std::optional<MeasureOptions> ReadMeasureOptions(const CommandLine& line, std::string& error);

}  // namespace korva
