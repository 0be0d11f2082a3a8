#include "tdcr/tdcr_measurement.h"

#include <algorithm>

#include "common/numeric_entry.h"
#include "tdcr/run_readings.h"
#include "tdcr/run_start_offset.h"
#include "tdcr/tdcr_format.h"
#include "tdcr/time_base.h"

namespace korva {

namespace {

constexpr const char* kHardwareNotConnected = "Hardware Not Connected";
constexpr const char* kWaitingForStart = "Waiting for START";
constexpr const char* kSaveQuestion = "Measurement not saved. Would you like to save it?";
constexpr const char* kResetBeforeStart =
    "START begins a new measurement only after RESET.\nThe last measurement (";
constexpr const char* kInitialPresetTimeText = "1.0";

std::size_t IndexOf(TdcrEdit edit) { return static_cast<std::size_t>(edit); }
bool IsThreshold(TdcrEdit edit) { return edit <= TdcrEdit::kThresholdC; }
bool IsExtension(TdcrEdit edit) { return edit == TdcrEdit::kExtension1 || edit == TdcrEdit::kExtension2; }
std::size_t InputOf(TdcrEdit edit) { return IndexOf(edit) - IndexOf(TdcrEdit::kThresholdA); }
std::size_t ExtensionIndexOf(TdcrEdit edit) { return IndexOf(edit) - IndexOf(TdcrEdit::kExtension1); }
std::size_t PresetOf(TdcrEdit edit) { return IndexOf(edit) - IndexOf(TdcrEdit::kTimePerRun); }
std::size_t PresetRegister(TdcrEdit edit) {
  return edit == TdcrEdit::kTimePerRun ? reg::kTimePerRunLow : reg::kGapTimeLow;
}
TdcrEdit ThresholdEdit(std::size_t input) {
  return static_cast<TdcrEdit>(IndexOf(TdcrEdit::kThresholdA) + input);
}
TdcrEdit ExtensionEdit(std::size_t extension) {
  return static_cast<TdcrEdit>(IndexOf(TdcrEdit::kExtension1) + extension);
}
std::size_t WindowSlot(CoincidenceWindow window) { return window == CoincidenceWindow::kN ? 0 : 1; }

}  // namespace

TdcrMeasurement::TdcrMeasurement(CommandEngine& engine, StartTimeSource& startTimes, TdcrHost& host)
    : engine_(engine),
      startTimes_(startTimes),
      host_(host),
      timeBase_(kNominalTimeBase),
      scale_(ThresholdScale::For(engine.Image())) {
  for (std::size_t input = 0; input < 3; ++input) {
    EditText(ThresholdEdit(input)) = StoredText(ThresholdEdit(input));
  }
  for (std::size_t extension = 0; extension < 2; ++extension) {
    EditText(ExtensionEdit(extension)) = StoredText(ExtensionEdit(extension));
  }
  EditText(TdcrEdit::kTimePerRun) = kInitialPresetTimeText;
  EditText(TdcrEdit::kGapTime) = kInitialPresetTimeText;
}

TdcrControlWord TdcrMeasurement::Control() const { return TdcrControlWord(Registers()[reg::kTdcrControl]); }

void TdcrMeasurement::Edit(const std::function<void(RegisterImage&)>& change) {
  EditRegisters(engine_, change);
}

bool TdcrMeasurement::RefusedWithoutDevice() {
  if (engine_.DeviceAnswered()) return false;
  form_.buttons = TdcrButtons{};
  return true;
}

int TdcrMeasurement::MeasuredRuns() const {
  const TdcrControlWord control = Control();
  const int runIndex = CurrentRunIndex(Registers()[reg::kRuns]);
  return control.Running() ? runIndex + 1 : control.CompletedRuns(runIndex);
}

// The shown run's K is taken before the total real time, which is scaled by
// the same K as every other time of the refresh.
void TdcrMeasurement::RefreshTdcrView() {
  form_.measuredRuns = MeasuredRuns();
  shownIndex_ = ShownRunIndex(viewRun_, Registers()[reg::kRuns]);
  shown_ = DisplayedRun(TdcrRunRecord::Read(Image().spectrum, shownIndex_));
  timeBase_ = korva::TimeBaseFactor(shown_, counters_.ShownSource());
  form_.totalRealTime = FormatReading(static_cast<double>(TotalRealTimeTicks(Image().spectrum)) * timeBase_);
  rates_ = ComputeRates(shown_, timeBase_);
  form_.readings = FormatRates(rates_);
  RefreshExtensions();
  RefreshThresholds();
  RefreshPresetTimes();
  RefreshMeasurementState();
  RefreshSelections();
}

void TdcrMeasurement::RefreshCounters() {
  counters_.Refresh(shown_, timeBase_, Registers()[reg::kSourceAndPolarity]);
  if (refreshed_) refreshed_();
}

void TdcrMeasurement::RefreshViews() {
  RefreshTdcrView();
  RefreshCounters();
}

void TdcrMeasurement::RefreshExtensions() {
  for (std::size_t extension = 0; extension < 2; ++extension) {
    const std::uint16_t value = Registers()[reg::kExtension1 + extension];
    if (lastExtensionRegisters_[extension] == value) continue;
    lastExtensionRegisters_[extension] = value;
    form_.extensionPositions[extension] = ExtensionPosition(value);
    ShowUnlessFocused(ExtensionEdit(extension));
  }
}

// A changed model code or calibration validity moves the image's
// last-applied model marker away from the model code; the scale is then
// reloaded and all three thresholds redrawn.
bool TdcrMeasurement::ThresholdsEditable() const {
  return !engine_.DeviceAnswered() || Image().calibration.Settled();
}

void TdcrMeasurement::RefreshThresholds() {
  form_.thresholdsEnabled = ThresholdsEditable();
  ThresholdCalibration& calibration = Image().calibration;
  const std::uint16_t model = Image().ModelCode();
  const bool reload = calibration.lastAppliedModel != model;
  if (reload) {
    scale_ = ThresholdScale::For(Image());
    calibration.lastAppliedModel = model;
  }
  for (std::size_t input = 0; input < 3; ++input) {
    const std::uint16_t code = Registers()[reg::kThresholdA + input];
    if (!reload && lastThresholdCodes_[input] == code) continue;
    lastThresholdCodes_[input] = code;
    form_.thresholdCodes[input] = code;
    ShowUnlessFocused(ThresholdEdit(input));
  }
}

void TdcrMeasurement::RefreshPresetTimes() {
  for (const TdcrEdit edit : {TdcrEdit::kTimePerRun, TdcrEdit::kGapTime}) {
    const double seconds = PresetSeconds(Registers(), PresetRegister(edit));
    if (seconds == presetSeconds_[PresetOf(edit)]) continue;
    presetSeconds_[PresetOf(edit)] = seconds;
    ShowUnlessFocused(edit);
  }
}

void TdcrMeasurement::RefreshMeasurementState() {
  const TdcrControlWord control = Control();
  const int runIndex = CurrentRunIndex(Registers()[reg::kRuns]);
  running_ = control.Running();
  form_.buttons = TdcrButtons{!running_, running_, true, !running_};
  form_.status = control.StatusText(runIndex);
  form_.completedRuns = control.CompletedRuns(runIndex);
  form_.stopTimer = control.StopTimer();
  form_.startReferenceLabel = control.StartReferenceLabel();
  const std::uint64_t startTime = ReadStartTime(Registers());
  if (startTime != lastStartTime_) {
    lastStartTime_ = startTime;
    form_.startTime = StartTimeText(startTime);
  }
}

// Selections follow the registers at every refresh, so a choice the
// instrument model cannot hold (POSITIVE on the first model) snaps back.
void TdcrMeasurement::RefreshSelections() {
  const std::uint16_t windows = Registers()[reg::kWindows];
  form_.windows = {WindowIndex(windows, CoincidenceWindow::kN), WindowIndex(windows, CoincidenceWindow::kM)};
  form_.cdt = {IsCdt(windows, CoincidenceWindow::kN), IsCdt(windows, CoincidenceWindow::kM)};
  form_.sequentialRuns = PresetRunsIndex(Registers()[reg::kRuns]);
  const std::uint16_t model = Image().ModelCode();
  for (std::size_t input = 0; input < 3; ++input) {
    form_.positive[input] = IsPositive(Registers()[reg::kSourceAndPolarity], input, model);
  }
}

void TdcrMeasurement::ShowLinkLost() {
  running_ = false;
  form_.status = TdcrFormState{}.status;
  form_.buttons = TdcrButtons{};
  lastStartTime_.reset();
  if (refreshed_) refreshed_();
}

void TdcrMeasurement::SelectViewRun(int index) {
  viewRun_ = std::clamp(index, kViewRunInProgress, kLastViewRun);
  RefreshViews();
}

void TdcrMeasurement::StartMeasurement() {
  if (RefusedWithoutDevice()) return;
  if (!Control().Idle()) {
    if (!running_) host_.Tell(kResetBeforeStart + form_.status + ") is still held: press RESET first.");
    return;
  }
  const CommandEngine::ReadBackHold hold(engine_);
  if (startTimes_.NeedsChoice()) startTimes_.ChooseReference();
  if (startTimes_.NeedsChoice()) return;  // the time stamp dialog was closed without a choice
  const StartStamp stamp = startTimes_.TakeStartTime();
  Edit([&stamp](RegisterImage& registers) {
    registers[reg::kTdcrControl] =
        TdcrControlWord(registers[reg::kTdcrControl]).Started(stamp.reference).Value();
    WriteStartTime(registers, stamp.fileTime);
  });
  lastStartTime_ = stamp.fileTime;
  form_.startReferenceLabel = Control().StartReferenceLabel();
  form_.startTime = engine_.DeviceAnswered() ? FormatStartTime(stamp.calendar) : kHardwareNotConnected;
}

void TdcrMeasurement::StopMeasurement() {
  if (RefusedWithoutDevice()) return;
  Edit([](RegisterImage& registers) {
    registers[reg::kTdcrControl] = TdcrControlWord(registers[reg::kTdcrControl]).Stopped().Value();
  });
}

// A RESET during a run goes straight into a new measurement: the reset bits
// are put into the image with read-backs refused, and START sends them
// together with its own.
void TdcrMeasurement::ResetMeasurement() {
  if (RefusedWithoutDevice()) return;
  const TdcrControlWord control = Control();
  if (control.Running()) {
    const CommandEngine::ReadBackHold hold(engine_);
    Image().registers[reg::kTdcrControl] = control.Reset().Value();
    StartMeasurement();
    return;
  }
  if (!control.Saved() && !control.Idle() && host_.AskYesNo(kSaveQuestion)) {
    host_.SaveMeasurement();
    return;
  }
  Edit([](RegisterImage& registers) {
    registers[reg::kTdcrControl] = TdcrControlWord(registers[reg::kTdcrControl]).Reset().Value();
  });
  form_.startTime = kWaitingForStart;
  viewRun_ = kViewRunInProgress;  // the runs shown so far went with the measurement
}

bool TdcrMeasurement::BeginSave() { return !RefusedWithoutDevice() && !running_; }

void TdcrMeasurement::CompleteSave() {
  Edit([](RegisterImage& registers) {
    registers[reg::kTdcrControl] = TdcrControlWord(registers[reg::kTdcrControl]).MarkedSaved().Value();
  });
}

void TdcrMeasurement::SaveMeasurement() {
  if (BeginSave()) host_.SaveMeasurement();
}

void TdcrMeasurement::ChooseTimeReference() {
  startTimes_.ChooseReference();
  RefreshViews();
}

std::string TdcrMeasurement::StoredText(TdcrEdit edit) const {
  if (IsThreshold(edit)) return scale_.Text(InputOf(edit), form_.thresholdCodes[InputOf(edit)]);
  if (IsExtension(edit)) return ExtensionText(form_.extensionPositions[ExtensionIndexOf(edit)]);
  return FormatPresetTime(presetSeconds_[PresetOf(edit)]);
}

void TdcrMeasurement::ShowUnlessFocused(TdcrEdit edit) {
  if (focused_ != edit) EditText(edit) = StoredText(edit);
}

void TdcrMeasurement::EnterText(TdcrEdit edit, std::string_view text) {
  EditText(edit) = std::string(text);
  const std::optional<double> value = ParseNumericEntry(text);
  if (!value) return;
  if (IsThreshold(edit)) {
    if (ThresholdsEditable()) ApplyThreshold(InputOf(edit), scale_.Code(InputOf(edit), *value));
  } else if (IsExtension(edit)) {
    ApplyExtension(ExtensionIndexOf(edit), ExtensionPositionFromMicroseconds(*value));
  } else {
    ApplyPresetTime(edit, *value);
  }
}

void TdcrMeasurement::FinishEdit(TdcrEdit edit) { EditText(edit) = StoredText(edit); }

void TdcrMeasurement::StepThreshold(std::size_t input, int step) {
  if (!ThresholdsEditable()) return;
  const int code =
      std::clamp(form_.thresholdCodes[input] + step, 0, static_cast<int>(ThresholdScale::kMaxCode));
  ApplyThreshold(input, static_cast<std::uint16_t>(code));
  FinishEdit(ThresholdEdit(input));
}

void TdcrMeasurement::StepEdit(TdcrEdit edit, int arrowSteps) {
  if (IsThreshold(edit)) {
    StepThreshold(InputOf(edit), -arrowSteps);
  } else if (IsExtension(edit)) {
    StepExtension(ExtensionIndexOf(edit), arrowSteps);
  }
}

void TdcrMeasurement::StepExtension(std::size_t extension, int step) {
  ApplyExtension(extension, StepExtensionPosition(form_.extensionPositions[extension], step));
  FinishEdit(ExtensionEdit(extension));
}

void TdcrMeasurement::ApplyThreshold(std::size_t input, std::uint16_t code) {
  form_.thresholdCodes[input] = code;
  Edit([input, code](RegisterImage& registers) { registers[reg::kThresholdA + input] = code; });
}

void TdcrMeasurement::ApplyExtension(std::size_t extension, int position) {
  form_.extensionPositions[extension] = position;
  Edit([extension, position](RegisterImage& registers) {
    registers[reg::kExtension1 + extension] = ExtensionRegister(position);
  });
}

void TdcrMeasurement::ApplyPresetTime(TdcrEdit edit, double seconds) {
  const std::uint32_t milliseconds = PresetMilliseconds(seconds);
  presetSeconds_[PresetOf(edit)] = milliseconds / 1000.0;
  Edit([edit, milliseconds](RegisterImage& registers) {
    WriteRegisterPair(registers, PresetRegister(edit), milliseconds);
  });
}

void TdcrMeasurement::SelectWindow(CoincidenceWindow window, int index) {
  form_.windows[WindowSlot(window)] = index;
  ApplyWindow(window);
}

// Window N goes with extension 1's mode, window M with extension 2's.
void TdcrMeasurement::SelectDeadTimeMode(std::size_t extension, bool cdt) {
  form_.cdt[extension] = cdt;
  ApplyWindow(extension == 0 ? CoincidenceWindow::kN : CoincidenceWindow::kM);
}

void TdcrMeasurement::ApplyWindow(CoincidenceWindow window) {
  const int index = form_.windows[WindowSlot(window)];
  const bool cdt = form_.cdt[WindowSlot(window)];
  Edit([window, index, cdt](RegisterImage& registers) {
    registers[reg::kWindows] = WithWindow(registers[reg::kWindows], window, index, cdt);
  });
}

void TdcrMeasurement::SelectSequentialRuns(int index) {
  form_.sequentialRuns = index;
  Edit([index](RegisterImage& registers) {
    registers[reg::kRuns] = WithPresetRuns(registers[reg::kRuns], index);
  });
}

void TdcrMeasurement::SelectStopTimer(int index) {
  form_.stopTimer = index;
  Edit([index](RegisterImage& registers) {
    registers[reg::kTdcrControl] = TdcrControlWord(registers[reg::kTdcrControl]).WithStopTimer(index).Value();
  });
}

void TdcrMeasurement::SelectPolarity(std::size_t input, bool positive) {
  form_.positive[input] = positive;
  const std::uint16_t model = Image().ModelCode();
  Edit([input, positive, model](RegisterImage& registers) {
    registers[reg::kSourceAndPolarity] =
        WithPolarity(registers[reg::kSourceAndPolarity], input, positive, model);
  });
}

// The chosen entry is what SOURCE now shows, so K follows it from the next
// refresh on; without an answering device that refresh runs at once.
void TdcrMeasurement::SelectReferenceSource(int index) {
  Edit([index](RegisterImage& registers) {
    registers[reg::kSourceAndPolarity] = WithReferenceSource(registers[reg::kSourceAndPolarity], index);
  });
  counters_.ShowSource(Registers()[reg::kSourceAndPolarity]);
  if (!engine_.DeviceAnswered()) RefreshViews();
}

int TdcrMeasurement::PresetRuns() const { return PresetRunsIndex(Registers()[reg::kRuns]) + 1; }

StampTime TdcrMeasurement::StartTime() const { return StampTimeFromFileTime(ReadStartTime(Registers())); }

double TdcrMeasurement::StartOffset() const {
  return RunStartOffset(Image().spectrum, shownIndex_, counters_.ShownSource(),
                        GapSecondsForOffsets(Registers()));
}

StampTime TdcrMeasurement::RunStartTime() const { return korva::RunStartTime(Registers(), StartOffset()); }

}  // namespace korva
