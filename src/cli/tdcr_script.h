#pragma once

#include "cli/cli_session.h"
#include "cli/measure_options.h"
#include "tdcr/tdcr_workbench.h"
#include "timesync/system_time_services.h"
#include "timesync/time_reference.h"

namespace korva {

// A TDCR measurement driven from the command line: the program's TDCR
// workbench on the headless session, with the options answering every
// question the program would ask. Each step waits on the event loop and
// returns false after printing why it failed.
class TdcrScript {
 public:
  explicit TdcrScript(const MeasureOptions& options);

  // Stops the measurement at the next tick; the files are still written.
  // `signal` (SIGINT or SIGTERM) is what stopped it.
  static void Interrupt(int signal);
  static bool Interrupted();
  static int InterruptingSignal();

  // The three files can be created at the chosen base, and existing ones
  // may be replaced. Checked before anything reaches the instrument.
  bool CheckOutputFiles();
  // Connects, settles the threshold calibration, and waits for the
  // registers and a first chunk of run records.
  bool ConnectAndRead();
  // Resets a finished or saved measurement (or an unsaved one the options
  // allow to discard) so a new one can start.
  bool ReturnToIdle();
  // The threshold options lie within what the instrument's threshold
  // scale reaches (codes 0-65535); else a usage error is printed.
  bool CheckThresholds();
  bool UsageRefused() const { return usageRefused_; }
  void WriteSettings();
  // Waits until every queued register write has gone out and the
  // registers have been read back after it.
  bool Settle();
  bool ChooseReference();
  void Start() { workbench_.Measurement().StartMeasurement(); }
  // Follows the sequence to its end (or a Ctrl-C STOP), printing progress.
  bool FollowRuns();
  // Walks the whole data memory once more so every run record is final.
  bool ReadWholeMemory();
  // Writes the three files, marks the measurement saved and prints the
  // run table and the file names.
  bool Save();
  // After the link was lost during the runs: writes the three files of
  // the runs the image holds as completed, marks nothing, and still
  // returns false (the measurement did not end as asked).
  bool SaveAfterLinkLoss();
  bool LinkLost() { return session_.LinkGivenUp(); }
  // A measurement in progress is stopped; true once the instrument no
  // longer runs one.
  bool StopRunning();
  void Disconnect() { session_.Disconnect(); }

 private:
  // The answers a script gives to the questions of a save: the file name
  // from --out, the tag from --tag, and overwriting only with --overwrite.
  class OptionSaveDialogs : public MeasurementSaveDialogs {
   public:
    explicit OptionSaveDialogs(const MeasureOptions& options) : options_(options) {}
    std::optional<std::string> ChooseSaveTarget() override { return options_.outBase; }
    bool ConfirmOverwrite(std::string_view) override { return options_.overwrite; }
    std::optional<std::string> EditTag(std::string_view) override { return options_.tag; }

   private:
    const MeasureOptions& options_;
  };

  TdcrMeasurement& Measurement() { return workbench_.Measurement(); }
  bool Running();
  void ChooseReferenceFromOptions();
  void PrintProgress(int run, double elapsedSeconds);
  void PrintTable();
  void PrintSaved();

  const MeasureOptions& options_;
  bool usageRefused_ = false;
  CliSession session_;
  OptionSaveDialogs dialogs_;
  TdcrWorkbench workbench_;
};

}  // namespace korva
