#include "scope/trace_capture_cycle.h"

#include <algorithm>
#include <utility>

#include "devicelink/command_engine.h"
#include "devicelink/register_map.h"

namespace korva {

TraceCaptureCycle::TraceCaptureCycle(CommandEngine& engine, TraceCycleHooks hooks)
    : engine_(engine), hooks_(std::move(hooks)) {}

TraceCaptureCycle::~TraceCaptureCycle() = default;

TraceShaping TraceCaptureCycle::ShapingOf(const RegisterImage& registers) const {
  TraceShaping shaping;
  shaping.longTimeConstant = registers[reg::kLongTcE];
  shaping.phaMode = (registers[reg::kAmplifier] & reg::amplifier::kPhaMode) != 0;
  shaping.inputE = (registers[reg::kAmplifier] & reg::amplifier::kInputE) != 0;
  shaping.slowRise = registers[reg::kSlowRise];
  shaping.fastRise = registers[reg::kFastRise];
  shaping.compression = std::max<std::uint32_t>(engine_.Image().compressionFactor, 1);
  return shaping;
}

void TraceCaptureCycle::Compose(RegisterImage& registers) {
  composed_ = ComposeTrace(controls_, ShapingOf(registers));
  StoreTraceRegisters(composed_, registers);
}

void TraceCaptureCycle::Send() {
  if (!settingsValid_) return;
  EditRegisters(engine_, [this](RegisterImage& registers) { Compose(registers); });
}

// Every start begins a fresh average. The read a start requests at once
// returns the trace the instrument captured before the new settings: a
// single capture discards it and shows the second, a continuous run drops
// it before it is counted or averaged.
void TraceCaptureCycle::ClickRun() {
  averager_.Reset();
  dropNextTrace_ = false;
  const bool connected = engine_.IsConnected();
  if (connected && controls_.mode == TraceMode::kSgl) {
    running_ = false;
    singleShots_ = 2;
    SetCaption(RunCaption::kAcq);
    Send();
    engine_.RequestAllRegisters();
  } else if (connected && !running_) {
    running_ = true;
    dropNextTrace_ = true;
    SetCaption(RunCaption::kStop);
    Send();
    engine_.RequestTrace();
    engine_.RequestAllRegisters();
  } else {
    // Without a link, or a second click during a continuous run: stop.
    running_ = false;
    SetCaption(RunCaption::kRun);
  }
  PollSpectrumUnlessRunning();
}

// Without a link the spectrum polling stays as the disconnect left it (off).
void TraceCaptureCycle::Stop() {
  const bool wasCapturing = running_ || singleShots_ != 0;
  running_ = false;
  dropNextTrace_ = false;
  singleShots_ = 0;
  SetCaption(RunCaption::kRun);
  if (wasCapturing && engine_.IsConnected()) PollSpectrumUnlessRunning();
}

// Entering SGL ends a continuous run; the spectrum's automatic update comes
// back with it, as it does when RUN stops the run.
void TraceCaptureCycle::AdvanceMode() { SetMode(NextTraceMode(controls_.mode)); }

void TraceCaptureCycle::SetMode(TraceMode mode) {
  controls_.mode = mode;
  if (mode == TraceMode::kSgl && running_) {
    running_ = false;
    dropNextTrace_ = false;
    SetCaption(RunCaption::kRun);
    PollSpectrumUnlessRunning();
  }
  Send();
}

void TraceCaptureCycle::SelectTrigger(int source, std::optional<ChannelWindow> roiAtCursor) {
  source = std::clamp(source, 0, kTraceLines - 1);
  if (source == kInputRLine && controls_.triggerSource == kInputRLine) {
    controls_.coincidenceDisplay = !controls_.coincidenceDisplay;
  }
  if (source == kRoiScaLine && roiAtCursor) {
    controls_.roiScaLow = roiAtCursor->low;
    controls_.roiScaHigh = roiAtCursor->high;
    if (hooks_.roiScaChanged) hooks_.roiScaChanged();
  }
  controls_.triggerSource = source;
  Send();
}

void TraceCaptureCycle::SelectInput(int input) {
  controls_.input = std::clamp(input, 0, 3);
  Send();
}

void TraceCaptureCycle::SetInvert(bool invert) {
  controls_.invert = invert;
  Send();
}

void TraceCaptureCycle::SetTimeBase(int index) {
  controls_.timeBaseIndex = std::clamp(index, 0, kTimeBaseLastIndex);
  Send();
}

void TraceCaptureCycle::SetTriggerPosition(int position) {
  controls_.sliderPosition = std::clamp(position, 0, 255);
  Send();
}

void TraceCaptureCycle::SetRoiScaWindow(ChannelWindow window) {
  controls_.roiScaLow = window.low;
  controls_.roiScaHigh = window.high;
  Send();
}

TraceExportSource TraceCaptureCycle::ExportSource() const {
  const RegisterImage& registers = engine_.Image().registers;
  TraceExportSource source;
  source.trace = shown_;
  source.input = controls_.input;
  source.triggerSource = controls_.triggerSource;
  source.mode = controls_.mode;
  source.coincidenceDisplay = controls_.coincidenceDisplay;
  source.timeBaseCode = TimeBaseCode(controls_.timeBaseIndex);
  source.delay = composed_.delay;
  source.slowShift = composed_.slowShift;
  source.fastShift = composed_.fastShift;
  source.slowRise = registers[reg::kSlowRise];
  source.fastRise = registers[reg::kFastRise];
  return source;
}

TraceDisplay TraceCaptureCycle::Display(int verticalIndex, int offset) const {
  const RegisterImage& registers = engine_.Image().registers;
  TraceDisplay display;
  display.input = controls_.input;
  display.phaMode = (registers[reg::kAmplifier] & reg::amplifier::kPhaMode) != 0;
  display.slowShift = composed_.slowShift;
  display.fastShift = composed_.fastShift;
  display.slowRise = registers[reg::kSlowRise];
  display.fastRise = registers[reg::kFastRise];
  display.verticalIndex = verticalIndex;
  display.offset = offset;
  display.clipLimit = TraceClipLimit(controls_.mode);
  return display;
}

void TraceCaptureCycle::ReleaseRunButton() { SetCaption(RunCaption::kRun); }

// A record of the wrong size is dropped: the kept trace stays as it was.
void TraceCaptureCycle::TakeTrace(std::span<const std::uint8_t> record) {
  std::optional<Trace> trace = DecodeTraceRecord(record);
  if (!trace) return;
  if (std::exchange(dropNextTrace_, false)) return;
  const int count = AveragedTraces(controls_.mode);
  if (count > 1) averager_.Apply(*trace, count);
  shown_ = *trace;
  ++tracesTaken_;
  if (hooks_.traceTaken) hooks_.traceTaken();
}

void TraceCaptureCycle::SetRoiScaLow(std::uint32_t channel) {
  controls_.roiScaLow = channel;
  if (hooks_.roiScaChanged) hooks_.roiScaChanged();
}

void TraceCaptureCycle::SetRoiScaHigh(std::uint32_t channel) {
  controls_.roiScaHigh = channel;
  if (hooks_.roiScaChanged) hooks_.roiScaChanged();
}

void TraceCaptureCycle::SetCaption(RunCaption caption) {
  caption_ = caption;
  if (hooks_.runChanged) hooks_.runChanged();
}

void TraceCaptureCycle::PollSpectrumUnlessRunning() { engine_.SetSpectrumPolling(!running_); }

std::optional<ChannelWindow> RoiAroundCursor(std::span<const std::uint8_t> marks, int softSize, int cursor) {
  const int end = std::min(softSize, static_cast<int>(marks.size()));
  const auto marked = [&](int channel) { return marks[static_cast<std::size_t>(channel)] != 0; };
  if (cursor < 0 || cursor >= end || !marked(cursor)) return std::nullopt;
  int low = cursor;
  int high = cursor;
  while (low > 0 && marked(low - 1)) --low;
  while (high + 1 < end && marked(high + 1)) ++high;
  return ChannelWindow{static_cast<std::uint32_t>(low), static_cast<std::uint32_t>(high)};
}

}  // namespace korva
