#pragma once

#include <array>
#include <string>
#include <vector>

#include "devicelink/register_edit.h"
#include "tdcr/filetime.h"
#include "tdcr/tdcr_counter_readout.h"
#include "tdcr/tdcr_measurement.h"
#include "tdcr/tdcr_rates.h"

namespace korva {

// What the measurement files say once, before the runs: the instrument, the
// start and every setting, as the TDCR form shows them.
struct MeasurementSettings {
  std::string startReferenceLabel;  // "START TIME: UTC", "... SYSTEM" or "... LOCAL"
  StampTime start;
  std::string modelName;   // "Veltra RQ3101" or "Veltra RQ3102"
  std::string deviceName;  // "RQ3101" or "RQ3102"
  std::string serialNumber;
  std::string firmware;
  std::string fpga;

  std::string tag;
  TdcrRecordTexts record;
  std::array<std::string, 3> thresholds;  // A, B, C
  std::array<std::string, 2> extensions;  // 1, 2
  std::array<bool, 2> cdt{};              // dead-time modes of extensions 1, 2
  std::array<std::string, 2> windows;     // N, M
  std::string sequentialRuns;
  std::string timePerRun;
  std::string gapTime;
  std::string stopTimer;
  int completedRuns = 0;

  RegisterImage registers{};
};

// One run as both TDCR views show it once VIEW RUN is set to it.
struct MeasurementRun {
  int number = 0;  // 1..P
  double startOffset = 0;
  StampTime start;
  TdcrRateTexts readings;
  TdcrCounterTexts counters;
};

struct MeasurementSnapshot {
  MeasurementSettings settings;
  std::vector<MeasurementRun> runs;
};

// The form's current texts, the instrument's identity and the register
// image; the tag is left for the tag dialog to fill in.
MeasurementSettings ReadMeasurementSettings(const TdcrMeasurement& tdcr, const DeviceImage& image);

// Runs 1..P, P the preset number of runs whatever the number completed,
// with the texts both views would show for each; the views are not
// stepped or redrawn.
std::vector<MeasurementRun> ReadMeasurementRuns(const TdcrMeasurement& tdcr, const DeviceImage& image);

}  // namespace korva
