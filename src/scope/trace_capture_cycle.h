#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "devicelink/engine_links.h"
#include "devicelink/register_edit.h"
#include "scope/trace_export.h"
#include "scope/trace_record.h"
#include "scope/trace_settings.h"

namespace korva {

class CommandEngine;

// The RUN button's caption: idle, running continuously, or waiting for a
// single capture.
enum class RunCaption { kRun, kStop, kAcq };

// A region of interest in displayed channels.
struct ChannelWindow {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
};

// What the trace viewer's host shows of the cycle. Each hook may be empty.
struct TraceCycleHooks {
  std::function<void()> traceTaken;     // a new trace is in Shown()
  std::function<void()> runChanged;     // the RUN button's tick or caption
  std::function<void()> roiScaChanged;  // the ROI-SCA window followed the registers
};

// The trace viewer without its window: the capture settings as composed
// into registers 24-28, the RUN, mode and single-capture countdown, the
// moving average of the averaging modes and the trace kept for the display
// and the export. The command engine drives it through TraceViewerLink; the
// view and the headless tool drive it through the operations below.
//
// Settings reach the instrument only after the first register read-back
// (settings valid), always through EditRegisters so a read-back under way
// cannot undo them.
class TraceCaptureCycle : public TraceViewerLink {
 public:
  TraceCaptureCycle(CommandEngine& engine, TraceCycleHooks hooks = {});
  ~TraceCaptureCycle() override;
  TraceCaptureCycle(const TraceCaptureCycle&) = delete;
  TraceCaptureCycle& operator=(const TraceCaptureCycle&) = delete;

  const TraceControls& Controls() const { return controls_; }
  const TraceRegisters& Composed() const { return composed_; }
  bool SettingsValid() const { return settingsValid_; }
  RunCaption Caption() const { return caption_; }
  bool RunTicked() const { return caption_ != RunCaption::kRun; }

  // The trace compose: registers 24-28 from the controls and the shaping
  // the registers hold (registers 2, 4, 11 and 18, and the compression).
  void Compose(RegisterImage& registers);
  // The send sequence: nothing before the first read-back; else the
  // compose goes to the instrument (or stays in the image when it has not
  // answered yet).
  void Send();

  // The RUN button.
  void ClickRun();
  // Stops a continuous run or a pending single capture (the computer
  // suspends, the link closes or is handed to the FPGA programming, or the
  // headless capture is done).
  void Stop();
  // The mode button: the next mode; SGL stops a continuous run.
  void AdvanceMode();
  void SetMode(TraceMode mode);
  // A trigger radio. Clicking INPUT R while it is the source toggles the
  // coincidence display; ROI-SCA takes `roiAtCursor` when there is one.
  void SelectTrigger(int source, std::optional<ChannelWindow> roiAtCursor = std::nullopt);
  void SelectInput(int input);
  void SetInvert(bool invert);
  void SetTimeBase(int index);
  void SetTriggerPosition(int position);
  // The ROI-SCA fields typed by the user, in displayed channels.
  void SetRoiScaWindow(ChannelWindow window);

  // The trace as last taken, after averaging.
  const Trace& Shown() const { return shown_; }
  int TracesTaken() const { return tracesTaken_; }
  // What an export of the kept trace records.
  TraceExportSource ExportSource() const;
  // The display's view of the analog line for the kept shifts and rises.
  TraceDisplay Display(int verticalIndex, int offset) const;

  // TraceViewerLink
  bool IsRunning() const override { return running_; }
  int SingleShotCount() const override { return singleShots_; }
  void SetSingleShotCount(int count) override { singleShots_ = count; }
  void ReleaseRunButton() override;
  void TakeTrace(std::span<const std::uint8_t> record) override;
  std::uint32_t RoiScaLow() const override { return controls_.roiScaLow; }
  std::uint32_t RoiScaHigh() const override { return controls_.roiScaHigh; }
  void SetRoiScaLow(std::uint32_t channel) override;
  void SetRoiScaHigh(std::uint32_t channel) override;
  void SetSettingsValid(bool valid) override { settingsValid_ = valid; }

 private:
  TraceShaping ShapingOf(const RegisterImage& registers) const;
  void SetCaption(RunCaption caption);
  void PollSpectrumUnlessRunning();

  CommandEngine& engine_;
  TraceCycleHooks hooks_;
  TraceControls controls_;
  TraceRegisters composed_;
  TraceAverager averager_;
  Trace shown_{};
  int tracesTaken_ = 0;
  bool running_ = false;
  bool dropNextTrace_ = false;  // the first trace of a run predates its settings
  int singleShots_ = 0;
  bool settingsValid_ = false;
  RunCaption caption_ = RunCaption::kRun;
};

// The region of interest the display marks hold around `cursor`: the run of
// marked displayed channels it lies in, within the soft size; nothing when
// the cursor's channel is not marked.
std::optional<ChannelWindow> RoiAroundCursor(std::span<const std::uint8_t> marks, int softSize, int cursor);

}  // namespace korva
