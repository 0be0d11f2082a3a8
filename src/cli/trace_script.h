#pragma once

#include <optional>
#include <string>

#include "cli/cli_session.h"
#include "devicelink/engine_links.h"
#include "scope/trace_capture_cycle.h"
#include "scope/trace_export_flow.h"

namespace korva {

// The settings of one headless trace capture, checked before anything
// touches the instrument.
struct TraceOptions {
  std::string port;
  std::uint32_t baud = 921600;
  std::string out;
  bool normalized = false;
  int input = kTraceSlow;
  int trigger = 0;
  bool invert = false;
  TraceMode mode = TraceMode::kNrm;
  int timeBase = kTimeBaseInitialIndex;
  int position = 48;
  std::optional<int> count;  // traces to capture; the averaging count when none
  bool overwrite = false;
};

// The traces to capture: the count asked for, else as many as the
// averaging mode averages (one in the other modes).
int TracesToCapture(const TraceOptions& options);

// A trace capture driven from the command line with the trace viewer's own
// capture cycle, and its export written by the menu command's code. Each
// step waits on the event loop and returns false after printing why it
// failed.
class TraceScript : private EngineObserver, private TraceExportDialogs {
 public:
  // How long one trace may take to come: a trigger line that never rises
  // ends the capture.
  static constexpr int kTraceWaitMs = 30000;

  explicit TraceScript(const TraceOptions& options);
  ~TraceScript() override;

  // The file can be created, and an existing one may be replaced.
  bool CheckOutputFile();
  // Connects, waits for the registers, and writes the capture settings.
  bool ConnectAndWriteSettings();
  // Captures until the count is reached.
  bool Capture();
  bool Save();
  void Disconnect();

 private:
  void OnRegistersRead(bool) override { ++registerReads_; }
  std::optional<std::string> ChooseExportTarget() override { return options_.out; }
  bool ConfirmOverwrite(std::string_view) override { return options_.overwrite; }
  bool CaptureSingles(int count);
  bool CaptureRunning(int count);

  const TraceOptions& options_;
  CliSession session_;
  TraceCaptureCycle cycle_;
  int registerReads_ = 0;
};

}  // namespace korva
