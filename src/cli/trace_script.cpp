#include "cli/trace_script.h"

#include <filesystem>
#include <iostream>

#include "common/safe_file_writer.h"
#include "scope/trace_export.h"

namespace korva {

namespace {

// The wait for a trace ended without one: the link was given up, or the
// trigger line never rose.
bool ReportNoTrace(const CliSession& session) {
  return ReportFailure(session.LinkGivenUp() ? "No trace arrived: the link to the instrument was given up."
                                             : "No trace arrived: the trigger did not fire.");
}

}  // namespace

int TracesToCapture(const TraceOptions& options) {
  return options.count.value_or(AveragedTraces(options.mode));
}

TraceScript::TraceScript(const TraceOptions& options) : options_(options), cycle_(session_.Engine()) {
  session_.Engine().AddObserver(this);
  session_.Engine().SetTraceViewer(&cycle_);
}

TraceScript::~TraceScript() {
  session_.Engine().SetTraceViewer(nullptr);
  session_.Engine().RemoveObserver(this);
}

bool TraceScript::CheckOutputFile() {
  const std::filesystem::path target = TraceExportNameFor(options_.out);
  if (!options_.overwrite && std::filesystem::exists(target)) {
    return ReportFailure("File already exists: " + target.string() + " (use --overwrite to replace it)");
  }
  SafeFileWriter probe(target);
  if (!probe.Open())
    return ReportFailure(std::string(trace_export_text::kSaveFailed) + " " + target.string());
  return true;
}

// The controls are set before the first read-back, so nothing is sent
// until the read-back makes the settings valid; then one send carries them.
bool TraceScript::ConnectAndWriteSettings() {
  cycle_.SelectInput(options_.input);
  cycle_.SelectTrigger(options_.trigger);
  cycle_.SetInvert(options_.invert);
  cycle_.SetTimeBase(options_.timeBase);
  cycle_.SetTriggerPosition(options_.position);
  cycle_.SetMode(options_.mode);
  if (!session_.ConnectAndWait(options_.port, options_.baud)) return false;
  if (!session_.WaitUntil([this] { return cycle_.SettingsValid(); }, kReplyWaitMs)) {
    return ReportFailure("The instrument's registers could not be read.");
  }
  cycle_.Send();
  return session_.SettleWrites([this] { return registerReads_; }) ||
         ReportFailure("The trace settings could not be written.");
}

bool TraceScript::Capture() {
  const int count = TracesToCapture(options_);
  const bool done = options_.mode == TraceMode::kSgl ? CaptureSingles(count) : CaptureRunning(count);
  cycle_.Stop();
  if (done) std::cout << "Traces captured: " << cycle_.TracesTaken() << '\n';
  return done;
}

// Each single capture arms, discards the first trace and keeps the second.
bool TraceScript::CaptureSingles(int count) {
  for (int taken = 0; taken < count; ++taken) {
    cycle_.ClickRun();
    const bool shown = session_.WaitUntil(
        [this] { return cycle_.Caption() == RunCaption::kRun && cycle_.SingleShotCount() == 0; },
        kTraceWaitMs);
    if (!shown) return ReportNoTrace(session_);
  }
  return true;
}

bool TraceScript::CaptureRunning(int count) {
  const int before = cycle_.TracesTaken();
  cycle_.ClickRun();
  if (!cycle_.IsRunning()) return ReportFailure("The trace capture could not start.");
  for (int taken = 0; taken < count; ++taken) {
    if (!session_.WaitUntil([&] { return cycle_.TracesTaken() - before > taken; }, kTraceWaitMs)) {
      return ReportNoTrace(session_);
    }
  }
  return true;
}

bool TraceScript::Save() {
  std::string written;
  const auto kind = options_.normalized ? TraceExportKind::kNormalized : TraceExportKind::kRaw;
  if (ExportTraces(*this, session_.Prompt(), cycle_.ExportSource(), kind, &written) !=
      TraceExportOutcome::kWritten) {
    return false;
  }
  std::cout << "Written: " << written << '\n';
  return true;
}

void TraceScript::Disconnect() { session_.Disconnect(); }

}  // namespace korva
