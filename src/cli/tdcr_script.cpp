#include "cli/tdcr_script.h"

#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>

#include "cli/cli_command.h"
#include "common/safe_file_writer.h"
#include "devicelink/device_image.h"
#include "tdcr/measurement_snapshot.h"
#include "tdcr/tdcr_control_word.h"
#include "tdcr/tdcr_settings.h"
#include "tdcr/threshold_scale.h"

namespace korva {

namespace {

volatile std::sig_atomic_t tdcrInterrupted = 0;

}  // namespace

TdcrScript::TdcrScript(const MeasureOptions& options)
    : options_(options),
      dialogs_(options),
      workbench_(
          session_.Engine(), session_.Reference(), [this] { ChooseReferenceFromOptions(); }, dialogs_,
          session_.Prompt()) {}

void TdcrScript::Interrupt(int signal) { tdcrInterrupted = signal; }
bool TdcrScript::Interrupted() { return tdcrInterrupted != 0; }
int TdcrScript::InterruptingSignal() { return tdcrInterrupted; }

bool TdcrScript::Running() {
  return TdcrControlWord{session_.Buffer().image.registers[reg::kTdcrControl]}.Running();
}

bool TdcrScript::CheckOutputFiles() {
  const MeasurementFileNames names = MeasurementFileNamesFor(options_.outBase);
  if (const auto path = FirstUncreatableFile(names)) {
    return ReportFailure(std::string(MeasurementFileSaver::kTdcFailure) + "\n" + path->string() + ": " +
                         CreationFailure(*path));
  }
  if (options_.overwrite) return true;
  for (const auto& path : {names.tdc, names.csv, names.xml}) {
    if (std::filesystem::exists(path)) {
      return ReportFailure("File already exists: " + path.string() + " (use --overwrite to replace it)");
    }
  }
  return true;
}

// The instrument's own registers and threshold calibration must be in the
// image before anything is judged, converted or changed.
bool TdcrScript::ConnectAndRead() {
  if (!session_.ConnectAndWait(options_.port, options_.baud)) return false;
  if (!session_.SettleThresholdCalibration())
    return ReportFailure("The threshold calibration could not be read.");
  if (!session_.Buffer().image.calibration.valid) {
    std::cerr << "The instrument's threshold calibration is not valid: thresholds use the nominal scale.\n";
  }
  const int reads = workbench_.RegisterReadsTaken();
  const int chunks = workbench_.ChunksTaken();
  return session_.WaitUntil(
      [&] { return workbench_.RegisterReadsTaken() > reads && workbench_.ChunksTaken() > chunks; },
      kReplyWaitMs);
}

bool TdcrScript::ReturnToIdle() {
  const TdcrControlWord control{session_.Buffer().image.registers[reg::kTdcrControl]};
  if (control.Running())
    return ReportFailure("A measurement is in progress on the instrument; it was left running.");
  if (!control.Saved() && !control.Idle() && !options_.discardUnsaved) {
    return ReportFailure(
        "The instrument holds a measurement that was never saved (save it with the save command, or use "
        "--discard-unsaved to discard it).");
  }
  Measurement().ResetMeasurement();
  return Settle() &&
         session_.WaitUntil(
             [this] { return TdcrControlWord{session_.Buffer().image.registers[reg::kTdcrControl]}.Idle(); },
             kReplyWaitMs);
}

bool TdcrScript::CheckThresholds() {
  const ThresholdScale scale = ThresholdScale::For(session_.Buffer().image);
  constexpr std::array<const char*, 3> kNames = {"threshold-a", "threshold-b", "threshold-c"};
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (!options_.thresholds[i]) continue;
    const double ends[2] = {scale.Millivolts(i, 0), scale.Millivolts(i, ThresholdScale::kMaxCode)};
    const std::string error =
        OptionRangeError(kNames[i], *options_.thresholds[i],
                         {std::min(ends[0], ends[1]), std::max(ends[0], ends[1]), false, "mV"});
    if (!error.empty()) {
      usageRefused_ = true;
      ReportUsageError(error);
      return false;
    }
  }
  return true;
}

void TdcrScript::WriteSettings() {
  TdcrMeasurement& m = Measurement();
  auto enter = [&m](TdcrEdit edit, const std::optional<std::string>& text) {
    if (!text) return;
    m.EnterText(edit, *text);
    m.FinishEdit(edit);
  };
  if (options_.runs) m.SelectSequentialRuns(*options_.runs - 1);
  enter(TdcrEdit::kTimePerRun, options_.timePerRun);
  enter(TdcrEdit::kGapTime, options_.gapTime);
  for (std::size_t i = 0; i < 2; ++i) {
    if (options_.cdt[i]) m.SelectDeadTimeMode(i, *options_.cdt[i]);
    enter(i == 0 ? TdcrEdit::kExtension1 : TdcrEdit::kExtension2, options_.extensions[i]);
  }
  if (options_.windowIndex[0]) m.SelectWindow(CoincidenceWindow::kN, *options_.windowIndex[0]);
  if (options_.windowIndex[1]) m.SelectWindow(CoincidenceWindow::kM, *options_.windowIndex[1]);
  constexpr std::array<TdcrEdit, 3> kThresholdEdits = {TdcrEdit::kThresholdA, TdcrEdit::kThresholdB,
                                                       TdcrEdit::kThresholdC};
  for (std::size_t i = 0; i < 3; ++i) {
    enter(kThresholdEdits[i], options_.thresholds[i]);
    if (options_.positive[i]) m.SelectPolarity(i, *options_.positive[i]);
  }
  if (options_.stopTimer) m.SelectStopTimer(*options_.stopTimer);
  if (options_.referenceSource) m.SelectReferenceSource(*options_.referenceSource);
  m.SetRecordTexts(options_.record);
}

bool TdcrScript::Settle() {
  return session_.SettleWrites([this] { return workbench_.RegisterReadsTaken(); });
}

// START asks for a reference only when none was chosen since connecting;
// the options choose it.
void TdcrScript::ChooseReferenceFromOptions() { ChooseReference(); }

bool TdcrScript::ChooseReference() {
  return session_.ChooseReference(options_.reference, options_.ntpServer);
}

void TdcrScript::PrintProgress(int run, double elapsedSeconds) {
  const TdcrFormState& form = Measurement().Form();
  const int runs = Measurement().PresetRuns();
  const double total = SequenceSeconds(session_.Buffer().image.registers);
  // Progress goes to standard error, so standard output holds only results.
  std::fprintf(stderr, "RUN %d of %d  elapsed %8.1f s  remaining %8.1f s  T/D N1 %s\n", run, runs,
               elapsedSeconds, std::max(0.0, total - elapsedSeconds),
               form.readings.ratios[TdcrRates::kN1][TdcrRates::kTOverD].c_str());
}

bool TdcrScript::FollowRuns() {
  QElapsedTimer elapsed;
  elapsed.start();
  if (!session_.WaitUntil([this] { return Running() || Interrupted(); }, kReplyWaitMs)) {
    return ReportFailure("The instrument did not start the measurement.");
  }
  int lastRun = -1;
  qint64 lastPrint = 0;
  const bool ended = session_.WaitUntil(
      [&] {
        if (Interrupted() && Running()) Measurement().StopMeasurement();
        const int run = CurrentRunIndex(session_.Buffer().image.registers[reg::kRuns]) + 1;
        if (Running() && (run != lastRun || elapsed.elapsed() - lastPrint >= kProgressPeriodMs)) {
          PrintProgress(run, static_cast<double>(elapsed.elapsed()) / 1000.0);
          lastRun = run;
          lastPrint = elapsed.elapsed();
        }
        return !Running();
      },
      std::numeric_limits<int>::max());
  return ended && ReadWholeMemory();
}

bool TdcrScript::ReadWholeMemory() {
  const int chunksAtStart = workbench_.ChunksTaken();
  return session_.WaitUntil(
      [&] { return workbench_.ChunksTaken() >= chunksAtStart + kChunksPerMemoryWalk + 1; },
      kMemoryWalkWaitMs);
}

bool TdcrScript::Save() {
  const SaveOutcome outcome = workbench_.SaveAs();
  if (outcome == SaveOutcome::kRefused)
    return ReportFailure("The instrument holds no measurement that can be saved.");
  if (outcome != SaveOutcome::kSaved || !Settle()) return false;
  PrintTable();
  PrintSaved();
  return true;
}

bool TdcrScript::SaveAfterLinkLoss() {
  std::cerr << "The link to the instrument was lost; the completed runs are saved." << std::endl;
  if (workbench_.Saver().SaveWithoutInstrument() != SaveOutcome::kSaved) return false;
  PrintTable();
  PrintSaved();
  return false;
}

bool TdcrScript::StopRunning() {
  if (!Running()) return true;
  Measurement().StopMeasurement();
  return session_.WaitUntil([this] { return !Running(); }, kReplyWaitMs) ||
         ReportFailure("The instrument did not stop the measurement.");
}

void TdcrScript::PrintSaved() {
  const MeasurementFileNames names = MeasurementFileNamesFor(options_.outBase);
  std::cout << "Saved: " << names.tdc.string() << ", " << names.csv.string() << ", " << names.xml.string()
            << '\n';
}

void TdcrScript::PrintTable() {
  std::printf("%4s %10s %10s %10s %10s %10s %10s %10s\n", "Run", "Real [s]", "D N1 [cps]", "T N1 [cps]",
              "T/D N1", "T/D M1", "T/D N2", "T/D M2");
  for (const MeasurementRun& run : ReadMeasurementRuns(Measurement(), session_.Buffer().image)) {
    const TdcrRateTexts& r = run.readings;
    std::printf("%4d %10s %10s %10s %10s %10s %10s %10s\n", run.number, r.realTime.c_str(),
                r.rates[TdcrRates::kN1][TdcrRates::kD].c_str(),
                r.rates[TdcrRates::kN1][TdcrRates::kT].c_str(),
                r.ratios[TdcrRates::kN1][TdcrRates::kTOverD].c_str(),
                r.ratios[TdcrRates::kM1][TdcrRates::kTOverD].c_str(),
                r.ratios[TdcrRates::kN2][TdcrRates::kTOverD].c_str(),
                r.ratios[TdcrRates::kM2][TdcrRates::kTOverD].c_str());
  }
  std::fflush(stdout);
}

}  // namespace korva
