#include "cli/measure_command.h"

#include <QElapsedTimer>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>

#include "cli/cli_session.h"
#include "cli/measure_options.h"
#include "tdcr/measurement_file_saver.h"
#include "tdcr/tdcr_control_word.h"
#include "tdcr/tdcr_settings.h"
#include "tdcr/time_reference_start_source.h"
#include "timesync/system_time_services.h"
#include "timesync/time_stamp_session.h"

namespace korva {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;
// Chunks in one walk through the whole data memory.
constexpr int kChunksPerMemoryWalk = 8;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

// The answers a script gives to the questions of a save: the file name from
// --out, the tag from --tag, and overwriting only with --overwrite.
class OptionSaveDialogs : public MeasurementSaveDialogs {
 public:
  explicit OptionSaveDialogs(const MeasureOptions& options) : options_(options) {}
  std::optional<std::string> ChooseSaveTarget() override { return options_.outBase; }
  bool ConfirmOverwrite(std::string_view) override { return options_.overwrite; }
  std::optional<std::string> EditTag(std::string_view) override { return options_.tag; }

 private:
  const MeasureOptions& options_;
};

// A measurement the tool runs: the RESET question is answered No (the
// options have already decided whether an unsaved measurement may go).
class ScriptHost : public TdcrHost {
 public:
  bool AskYesNo(std::string_view) override { return false; }
  void SaveMeasurement() override {}
};

// Refreshes the measurement after every chunk, as the program's views do,
// and counts what arrived so the tool can wait for fresh data.
class MeasurementFollower : public EngineObserver {
 public:
  explicit MeasurementFollower(TdcrMeasurement& measurement) : measurement_(measurement) {}
  void OnSpectrumChunk() override {
    measurement_.RefreshViews();
    ++chunks;
  }
  void OnRegistersRead(bool) override { ++registerReads; }

  int chunks = 0;
  int registerReads = 0;

 private:
  TdcrMeasurement& measurement_;
};

class MeasureRun {
 public:
  explicit MeasureRun(const MeasureOptions& options)
      : options_(options),
        reference_(services_.Clock(), services_.Zones()),
        startTimes_(reference_, [this] { ChooseReference(); }),
        measurement_(session_.Link().Engine(), startTimes_, host_),
        follower_(measurement_),
        dialogs_(options),
        saver_(measurement_, session_.Link().Engine(), dialogs_, session_.Prompt()) {
    session_.Link().Engine().SetObserver(&follower_);
  }

  int Run();

 private:
  CommandEngine& Engine() { return session_.Link().Engine(); }
  TdcrControlWord Control() {
    return TdcrControlWord{session_.Buffer().image.registers[tdcr_register::kControlWord]};
  }
  bool Running() { return Control().Running(); }
  bool Fail(const std::string& message);
  bool RefuseExistingFiles();
  bool ConnectAndRead();
  bool ReturnToIdle();
  void WriteSettings();
  bool Settle();
  bool ChooseReference();
  bool FollowRuns();
  int Finish(int exitCode);
  int CurrentRun();
  void PrintProgress(int run, double elapsedSeconds);
  void PrintTable();

  const MeasureOptions& options_;
  CliSession session_;
  SystemTimeServices services_;
  TimeReferenceState reference_;
  TimeReferenceStartSource startTimes_;
  ScriptHost host_;
  TdcrMeasurement measurement_;
  MeasurementFollower follower_;
  OptionSaveDialogs dialogs_;
  MeasurementFileSaver saver_;
  bool referenceChosen_ = false;
};

bool MeasureRun::Fail(const std::string& message) {
  std::cerr << message << '\n';
  return false;
}

bool MeasureRun::RefuseExistingFiles() {
  if (options_.overwrite) return true;
  const MeasurementFileNames names = MeasurementFileNamesFor(options_.outBase);
  for (const auto& path : {names.tdc, names.csv, names.xml}) {
    if (std::filesystem::exists(path)) {
      return Fail("File already exists: " + path.string() + " (use --overwrite to replace it)");
    }
  }
  return true;
}

// The instrument's own registers must be in the image before anything is
// judged or changed.
bool MeasureRun::ConnectAndRead() {
  if (!session_.ConnectAndWait(options_.port, options_.baud)) return false;
  return session_.WaitUntil([this] { return follower_.registerReads > 0 && follower_.chunks > 0; }, 30000);
}

bool MeasureRun::ReturnToIdle() {
  const TdcrControlWord control = Control();
  if (control.Running()) return Fail("A measurement is in progress on the instrument; it was left running.");
  if (!control.Saved() && !control.Idle() && !options_.discardUnsaved) {
    return Fail(
        "The instrument holds a measurement that was never saved (use --discard-unsaved to discard it).");
  }
  measurement_.ResetMeasurement();
  return Settle() && session_.WaitUntil([this] { return Control().Idle(); }, 10000);
}

void MeasureRun::WriteSettings() {
  TdcrMeasurement& m = measurement_;
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

// Waits until every queued register write has gone out and the registers
// have been read back after it.
bool MeasureRun::Settle() {
  if (!session_.WaitUntil(
          [this] {
            return !Engine().IsPending(CommandEngine::kSendSettingsSlot) &&
                   !(Engine().IsBusy() && Engine().Kind() == CommandEngine::TransactionKind::kRegisterWrite);
          },
          10000)) {
    return false;
  }
  const int readsBefore = follower_.registerReads;
  return session_.WaitUntil([&] { return follower_.registerReads >= readsBefore + 2; }, 10000);
}

bool MeasureRun::ChooseReference() {
  if (options_.reference != TimeReferenceKind::kUtc) {
    reference_.Choose(options_.reference, 0);
    return referenceChosen_ = true;
  }
  TimeStampSession query(services_.Tools());
  for (const std::string& line : query.GetUtc(options_.ntpServer)) std::cerr << line << '\n';
  if (!query.QueryGood())
    return referenceChosen_ = Fail("Failed to retreive time from: " + options_.ntpServer);
  reference_.Choose(TimeReferenceKind::kUtc, query.LastOffset());
  return referenceChosen_ = true;
}

int MeasureRun::CurrentRun() {
  return ((session_.Buffer().image.registers[tdcr_register::kRuns] >> 8) & 0x3F) + 1;
}

void MeasureRun::PrintProgress(int run, double elapsedSeconds) {
  const TdcrFormState& form = measurement_.Form();
  const RegisterImage& registers = session_.Buffer().image.registers;
  const int runs = measurement_.PresetRuns();
  const double total = (runs * ReadRegisterPair(registers, tdcr_register::kTimePerRun) +
                        (runs - 1) * ReadRegisterPair(registers, tdcr_register::kGapTime)) /
                       1000.0;
  std::fprintf(stdout, "RUN %d of %d  elapsed %8.1f s  remaining %8.1f s  T/D N1 %s\n", run, runs,
               elapsedSeconds, std::max(0.0, total - elapsedSeconds),
               form.readings.ratios[TdcrRates::kN1][TdcrRates::kTOverD].c_str());
  std::fflush(stdout);
}

// Follows the sequence until the instrument ends it (or Ctrl-C stops it),
// then walks the memory once more so the last run's record is final.
bool MeasureRun::FollowRuns() {
  QElapsedTimer elapsed;
  elapsed.start();
  if (!session_.WaitUntil([this] { return Running() || interrupted; }, 10000)) {
    return Fail("The instrument did not start the measurement.");
  }
  int lastRun = -1;
  qint64 lastPrint = 0;
  const bool ended = session_.WaitUntil(
      [&] {
        if (interrupted && Running()) measurement_.StopMeasurement();
        const int run = CurrentRun();
        if (Running() && (run != lastRun || elapsed.elapsed() - lastPrint >= 2000)) {
          PrintProgress(run, static_cast<double>(elapsed.elapsed()) / 1000.0);
          lastRun = run;
          lastPrint = elapsed.elapsed();
        }
        return !Running();
      },
      std::numeric_limits<int>::max());
  if (!ended) return false;
  const int chunksAtEnd = follower_.chunks;
  return session_.WaitUntil([&] { return follower_.chunks >= chunksAtEnd + kChunksPerMemoryWalk + 1; },
                            30000);
}

void MeasureRun::PrintTable() {
  std::printf("%4s %10s %10s %10s %10s %10s %10s %10s\n", "Run", "Real [s]", "D N1 [cps]", "T N1 [cps]",
              "T/D N1", "T/D M1", "T/D N2", "T/D M2");
  const int viewRun = measurement_.ViewRun();
  for (int run = 1; run <= measurement_.PresetRuns(); ++run) {
    measurement_.SelectViewRun(run);
    const TdcrRateTexts& r = measurement_.Form().readings;
    std::printf("%4d %10s %10s %10s %10s %10s %10s %10s\n", run, r.realTime.c_str(),
                r.rates[TdcrRates::kN1][TdcrRates::kD].c_str(),
                r.rates[TdcrRates::kN1][TdcrRates::kT].c_str(),
                r.ratios[TdcrRates::kN1][TdcrRates::kTOverD].c_str(),
                r.ratios[TdcrRates::kM1][TdcrRates::kTOverD].c_str(),
                r.ratios[TdcrRates::kN2][TdcrRates::kTOverD].c_str(),
                r.ratios[TdcrRates::kM2][TdcrRates::kTOverD].c_str());
  }
  measurement_.SelectViewRun(viewRun);
  std::fflush(stdout);
}

int MeasureRun::Finish(int exitCode) {
  if (session_.Link().IsPortOpen()) session_.Link().Disconnect();
  return exitCode;
}

int MeasureRun::Run() {
  if (!RefuseExistingFiles()) return kExitFailure;
  if (!ConnectAndRead() || !ReturnToIdle()) return Finish(kExitFailure);
  WriteSettings();
  if (!Settle() || !ChooseReference()) return Finish(kExitFailure);
  measurement_.StartMeasurement();
  if (!FollowRuns()) return Finish(kExitFailure);
  if (saver_.SaveMeasurement() != SaveOutcome::kSaved || !Settle()) return Finish(kExitFailure);
  PrintTable();
  const MeasurementFileNames names = MeasurementFileNamesFor(options_.outBase);
  std::cout << "Saved: " << names.tdc.string() << ", " << names.csv.string() << ", " << names.xml.string()
            << '\n';
  return Finish(interrupted ? kExitInterrupted : kExitOk);
}

}  // namespace

CommandLine::Grammar MeasureGrammar() {
  return {
      {"port",        "baud",       "out",        "runs",       "time",       "gap",         "window-n",
       "window-m",    "ext1",       "ext2",       "mode1",      "mode2",      "threshold-a", "threshold-b",
       "threshold-c", "polarity-a", "polarity-b", "polarity-c", "stop-timer", "ref-clock",   "reference",
       "ntp-server",  "tag",        "operator",   "nuclides",   "cocktail",   "hv"},
      {"overwrite", "discard-unsaved"}};
}

int RunMeasure(const CommandLine& line) {
  std::string error;
  const std::optional<MeasureOptions> options = ReadMeasureOptions(line, error);
  if (!options) {
    std::cerr << "korva-tdcr-cli: " << error << '\n';
    return kExitUsage;
  }
  std::signal(SIGINT, OnInterrupt);
  MeasureRun run(*options);
  return run.Run();
}

}  // namespace korva
