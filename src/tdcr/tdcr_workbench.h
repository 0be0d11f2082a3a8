#pragma once

#include <functional>

#include "devicelink/engine_links.h"
#include "tdcr/measurement_file_saver.h"
#include "tdcr/tdcr_host.h"
#include "tdcr/tdcr_measurement.h"
#include "tdcr/time_reference_start_source.h"

namespace korva {

class CommandEngine;
class Prompt;
class TimeReferenceState;

// The TDCR measurement as the program, the headless tool and the tests all
// hold it: START's time stamps from the measurement time reference, the
// measurement itself, the file saver, and the answers to the measurement's
// questions. It follows the engine by itself: every spectrum chunk refreshes
// the measurement, and what arrived is counted for those who wait on it.
class TdcrWorkbench : private EngineObserver, private TdcrHost {
 public:
  // `chooseReference` runs when a new time reference must be chosen: the
  // program shows the time stamp dialog, the headless tool applies its
  // options. Questions go to `prompt`; file names and the tag to `dialogs`.
  TdcrWorkbench(CommandEngine& engine, TimeReferenceState& reference, std::function<void()> chooseReference,
                MeasurementSaveDialogs& dialogs, Prompt& prompt);
  ~TdcrWorkbench() override;
  TdcrWorkbench(const TdcrWorkbench&) = delete;
  TdcrWorkbench& operator=(const TdcrWorkbench&) = delete;

  TdcrMeasurement& Measurement() { return measurement_; }
  MeasurementFileSaver& Saver() { return saver_; }

  // File > "Save TDCR As...": the SAVE of the form, when saving is allowed.
  SaveOutcome SaveAs();

  int ChunksTaken() const { return chunks_; }
  int RegisterReadsTaken() const { return registerReads_; }

 private:
  void OnSpectrumChunk() override;
  void OnRegistersRead(bool phaMode) override;
  bool AskYesNo(std::string_view question) override;
  void Tell(std::string_view message) override;
  void SaveMeasurement() override;

  CommandEngine& engine_;
  Prompt& prompt_;
  TimeReferenceStartSource startTimes_;
  TdcrMeasurement measurement_;
  MeasurementFileSaver saver_;
  int chunks_ = 0;
  int registerReads_ = 0;
};

}  // namespace korva
