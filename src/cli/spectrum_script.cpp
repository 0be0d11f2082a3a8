#include "cli/spectrum_script.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>
#include <numeric>

#include "cli/output_files.h"
#include "common/safe_file_writer.h"
#include "devicelink/register_map.h"
#include "formats/kts_writer.h"
#include "formats/spectrum_csv.h"
#include "setup/amplifier_input.h"
#include "setup/amplifier_setup.h"

namespace korva {

namespace {

volatile std::sig_atomic_t spectrumInterrupted = 0;

std::vector<std::filesystem::path> OutputFiles(const SpectrumOptions& options) {
  std::vector<std::filesystem::path> files{options.out};
  if (options.csv) files.emplace_back(*options.csv);
  return files;
}

}  // namespace

SpectrumScript::SpectrumScript(const SpectrumOptions& options) : options_(options) {
  session_.Engine().AddObserver(this);
}

SpectrumScript::~SpectrumScript() { session_.Engine().RemoveObserver(this); }

void SpectrumScript::Interrupt() { spectrumInterrupted = 1; }
bool SpectrumScript::Interrupted() { return spectrumInterrupted != 0; }

bool SpectrumScript::Running() {
  return (session_.Buffer().image.registers[reg::kControl] & reg::control::kRun) != 0;
}

bool SpectrumScript::CheckOutputFiles() {
  for (const std::filesystem::path& path : OutputFiles(options_)) {
    if (const std::string refusal = ExistingFileRefusal(path, options_.overwrite); !refusal.empty())
      return ReportFailure(refusal);
    if (const std::string reason = CreationFailure(path); !reason.empty())
      return ReportFailure(std::string(SpectrumFileMessage(SpectrumFileStatus::kCannotCreate)) + "\n" +
                           path.string() + ": " + reason);
  }
  return true;
}

bool SpectrumScript::ConnectAndRead() {
  if (!session_.ConnectAndWait(options_.port, options_.baud)) return false;
  const int reads = registerReads_;
  return session_.WaitUntil([&] { return registerReads_ > reads; }, kReplyWaitMs) ||
         ReportFailure("The instrument's registers could not be read.");
}

// The amplifier takes the instrument's settings first, so only what the
// options name changes.
bool SpectrumScript::EraseAndWriteSettings() {
  CSpectrum& buffer = session_.Buffer();
  RegisterImage& registers = buffer.image.registers;
  AcquisitionSettings settings = ReadAcquisitionSettings(registers);
  settings.stopTimer = options_.liveTimer ? 1 : 0;
  settings.presetSeconds = options_.presetSeconds.value_or(0);
  AcquisitionRunContext context = RunContext();
  EraseAcquisition(context, settings);

  amplifier_.FirstUpdate(buffer.amplifier);
  amplifier_.Refresh(registers, buffer.amplifier);
  if (options_.input) amplifier_.SelectMcaInput(*options_.input, buffer.amplifier);
  if (options_.coarse) amplifier_.SelectCoarse(*options_.coarse, buffer.amplifier);
  if (options_.fine) amplifier_.SetFine(*FineOfTypedFactor(*options_.fine));
  SendAmplifierChange(session_.Engine(), amplifier_, buffer.amplifier, true, RegisterBlock::kSettings);
  buffer.DeriveHalfSelector();
  return Settle() || ReportFailure("The settings could not be written.");
}

bool SpectrumScript::Settle() {
  return session_.SettleWrites([this] { return registerReads_; });
}

bool SpectrumScript::ChooseReference() {
  return session_.ChooseReference(options_.reference, options_.ntpServer);
}

// The wait for an even second runs the event loop, so the link goes on
// meanwhile (its read-backs are held off until the start is written).
AcquisitionRunContext SpectrumScript::RunContext() {
  return {session_.Engine(), session_.Reference(), session_.Log(), [this] { ChooseReference(); },
          [](std::chrono::milliseconds wait) {
            QEventLoop loop;
            QTimer::singleShot(wait, &loop, &QEventLoop::quit);
            loop.exec();
          }};
}

bool SpectrumScript::Start() {
  AcquisitionRunContext context = RunContext();
  const std::optional<StartTexts> texts = StartAcquisition(context);
  if (!texts) return ReportFailure("No time reference was chosen.");
  std::cout << texts->label << "  " << texts->stamp << '\n';
  return session_.WaitUntil([this] { return Running() || Interrupted(); }, kReplyWaitMs) ||
         ReportFailure("The instrument did not start the acquisition.");
}

void SpectrumScript::PrintProgress(double elapsedSeconds) {
  CSpectrum& buffer = session_.Buffer();
  std::uint64_t counts = 0;
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) counts += buffer.Channel(i);
  const RunTimes times = DecodeRunTimes(buffer.image.registers);
  // Progress goes to standard error, so standard output holds only results.
  std::fprintf(stderr, "elapsed %8.1f s  real %s s  live %s s  counts %llu\n", elapsedSeconds,
               RunTimeText(times.realSeconds).c_str(), RunTimeText(times.liveSeconds).c_str(),
               static_cast<unsigned long long>(counts));
}

bool SpectrumScript::FollowRun() {
  QElapsedTimer elapsed;
  elapsed.start();
  qint64 lastPrint = 0;
  bool stopped = false;
  const bool ended = session_.WaitUntil(
      [&] {
        if (Interrupted() && !stopped) {
          AcquisitionRunContext context = RunContext();
          StopAcquisition(context);
          stopped = true;
        }
        if (elapsed.elapsed() - lastPrint >= kProgressPeriodMs) {
          lastPrint = elapsed.elapsed();
          PrintProgress(static_cast<double>(lastPrint) / 1000.0);
        }
        return !Running();
      },
      std::numeric_limits<int>::max());
  return (ended || ReportFailure("The link was lost during the acquisition.")) && ReadWholeMemory();
}

bool SpectrumScript::ReadWholeMemory() {
  const int start = chunks_;
  return session_.WaitUntil([&] { return chunks_ >= start + kChunksPerMemoryWalk + 1; }, kMemoryWalkWaitMs) ||
         ReportFailure("The spectrum memory could not be read.");
}

bool SpectrumScript::Save() {
  CSpectrum& buffer = session_.Buffer();
  const RegisterImage& registers = buffer.image.registers;
  if (options_.tag) buffer.tag = *options_.tag;
  const AcquisitionReadout readout = ReadAcquisition(buffer);
  const AcquisitionValues values{readout.times.realSeconds, readout.times.liveSeconds,
                                 readout.times.deadPercent, readout.startStamp, readout.startLabel};
  buffer.DeriveHalfSelector();
  const KtsWriteContext kts{static_cast<std::uint16_t>(registers[reg::kModel] >> reg::model::kShift), values};
  if (const SpectrumFileStatus status = SaveSpectrumFile(buffer, options_.out, kts);
      status != SpectrumFileStatus::kDone) {
    return ReportFailure(std::string(SpectrumFileMessage(status)) + " " + options_.out);
  }
  std::cout << "Saved: " << options_.out << '\n';
  if (options_.csv) {
    buffer.SetSizes(CSpectrum::kMaxSize, options_.softSize.value_or(CSpectrum::kMaxSize), true);
    const SpectrumCsvContext csv{buffer.amplifier.inputLabel, values};
    if (const SpectrumFileStatus status = ExportSpectrumCsv(buffer, *options_.csv, !options_.softSize, csv);
        status != SpectrumFileStatus::kDone) {
      return ReportFailure(std::string(SpectrumFileMessage(status)) + " " + *options_.csv);
    }
    std::cout << "Saved: " << *options_.csv << '\n';
  }
  PrintSummary();
  return true;
}

void SpectrumScript::PrintSummary() {
  CSpectrum& buffer = session_.Buffer();
  const RunTimes times = DecodeRunTimes(buffer.image.registers);
  std::uint64_t total = 0;
  std::size_t peak = 0;
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    total += buffer.Channel(i);
    if (buffer.Channel(i) > buffer.Channel(peak)) peak = i;
  }
  std::printf("Real [s]: %s\nLive [s]: %s\nDead %%: %s\nTotal counts: %llu\nMaximum at channel: %zu\n",
              RunTimeText(times.realSeconds).c_str(), RunTimeText(times.liveSeconds).c_str(),
              DeadPercentText(times.deadPercent).c_str(), static_cast<unsigned long long>(total), peak);
  std::fflush(stdout);
}

}  // namespace korva
