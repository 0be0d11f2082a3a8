#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tdcr/measurement_snapshot.h"
#include "tdcr/tdcr_counter_readout.h"
#include "tdcr/tdcr_rates.h"
#include "tdcr/tdcr_run_record.h"

namespace korva::test {

// The settings texts a snapshot carries, as the TDCR form would show them.
struct SnapshotSettings {
  std::string tag = "Vial 7";
  TdcrRecordTexts record{"J. Doe", "H-3", "Ultima Gold", "1350 V"};
  std::array<std::string, 2> windows = {"40", "200"};
  std::array<double, 2> extensionsUs = {0.640, 8.016};
  int presetRuns = 0;      // 0: as many as there are records
  int completedRuns = -1;  // -1: all records
  double timePerRun = 2.0;
  StampTime start{2024, 3, 7, 14, 5, 9, 123};
};

inline std::string Printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A measurement snapshot of run records as the TDCR views would show them
// (time-base factor 0.001), ready for the file writers. Runs beyond the
// records are empty; each run starts when the one before ended.
inline MeasurementSnapshot SnapshotOf(const std::vector<TdcrRunRecord>& records, const SnapshotSettings& s) {
  MeasurementSnapshot snapshot;
  MeasurementSettings& m = snapshot.settings;
  const int runs = s.presetRuns > 0 ? s.presetRuns : static_cast<int>(records.size());
  m.startReferenceLabel = "START TIME: UTC";
  m.start = s.start;
  m.modelName = "Veltra RQ3102";
  m.deviceName = "RQ3102";
  m.serialNumber = "12345";
  m.firmware = "2.15";
  m.fpga = "  3.1";
  m.tag = s.tag;
  m.record = s.record;
  m.thresholds = {"  12.30", "  12.30", "  12.30"};
  m.extensions = {Printed("%7.3f", s.extensionsUs[0]), Printed("%7.3f", s.extensionsUs[1])};
  m.windows = s.windows;
  m.sequentialRuns = std::to_string(runs);
  m.timePerRun = Printed("%6.3f", s.timePerRun);
  m.gapTime = Printed("%6.3f", 0.0);
  m.stopTimer = " REAL";
  m.completedRuns = s.completedRuns >= 0 ? s.completedRuns : static_cast<int>(records.size());
  std::uint64_t startTicks = FileTimeFromStampTime(s.start);
  for (int r = 0; r < runs; ++r) {
    const TdcrRunRecord record =
        r < static_cast<int>(records.size()) ? records[static_cast<std::size_t>(r)] : TdcrRunRecord{};
    const DisplayedRun shown(record);
    MeasurementRun run;
    run.number = r + 1;
    run.start = StampTimeFromFileTime(startTicks);
    run.readings = FormatRates(ComputeRates(shown, 0.001));
    TdcrCounterReadout readout;
    readout.Refresh(shown, 0.001, 0);
    run.counters = readout.Texts();
    startTicks += shown[TdcrCounter::kRealTime] * 10'000;
    snapshot.runs.push_back(run);
  }
  return snapshot;
}

}  // namespace korva::test
