#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "devicelink/register_edit.h"
#include "tdcr/filetime.h"
#include "tdcr/start_time_source.h"
#include "tdcr/tdcr_control_word.h"
#include "tdcr/tdcr_counter_readout.h"
#include "tdcr/tdcr_host.h"
#include "tdcr/tdcr_rates.h"
#include "tdcr/tdcr_run_record.h"
#include "tdcr/tdcr_settings.h"
#include "tdcr/threshold_scale.h"

namespace korva {

// The numeric edits of the TDCR form.
enum class TdcrEdit : std::size_t {
  kThresholdA,
  kThresholdB,
  kThresholdC,
  kExtension1,
  kExtension2,
  kTimePerRun,
  kGapTime,
};
inline constexpr std::size_t kTdcrEditCount = 7;

// The RECORD group's free texts, saved with the measurement.
struct TdcrRecordTexts {
  std::string operatorName;
  std::string nuclides;
  std::string cocktail;     // LS COCTAIL
  std::string highVoltage;  // PMT HV
  friend bool operator==(const TdcrRecordTexts&, const TdcrRecordTexts&) = default;
};

struct TdcrButtons {
  bool start = false;
  bool stop = false;
  bool reset = false;
  bool save = false;
  friend bool operator==(const TdcrButtons&, const TdcrButtons&) = default;
};

// Everything the TDCR form shows, ready to be put into its controls. List
// selections are indices into the form's lists.
struct TdcrFormState {
  // MEASUREMENT
  std::string status = "Not Connected";
  std::string startReferenceLabel = "START TIME: SYSTEM";
  std::string startTime = "Hardware Not Connected";
  TdcrButtons buttons;  // all disabled until the first refresh
  std::string totalRealTime;
  int completedRuns = 0;
  // The runs the instrument's memory holds for this measurement: the ones
  // completed and, during a run, the one in progress. VIEW RUN offers these.
  int measuredRuns = 0;
  // RUN REAL TIME, the RATE, RATIO and LIVE TIMERS groups.
  TdcrRateTexts readings;
  // PRESET TIME
  int sequentialRuns = 0;  // runs - 1
  int stopTimer = 0;       // into kStopTimerTexts
  // DEAD TIME: CDT (true) or IDT of extensions 1 and 2, and the spins.
  std::array<bool, 2> cdt{};
  std::array<int, 2> extensionPositions{kMinExtensionPosition, kMinExtensionPosition};
  // DISCRIMINATORS: POSITIVE (true) or NEGATIVE for A, B, C, and the spins.
  std::array<bool, 3> positive{};
  std::array<std::uint16_t, 3> thresholdCodes{};
  // A threshold typed while the instrument's threshold calibration is not
  // yet known would be encoded with a scale about to change: the threshold
  // entries wait for it.
  bool thresholdsEnabled = true;
  // COINCIDENCE: windows N and M, into kCoincidenceWindowsNs.
  std::array<int, 2> windows{};
  // The texts of the numeric edits, indexed by TdcrEdit.
  std::array<std::string, kTdcrEditCount> edits;
  // RECORD
  TdcrRecordTexts record;

  const std::string& EditText(TdcrEdit edit) const { return edits[static_cast<std::size_t>(edit)]; }
};

// The TDCR measurement as the TDCR view, the counters view, the measurement
// files and the headless tool share it: the settings in the register image,
// the run commands, and every value derived from the run records, formatted
// once. Views put the texts into their controls and hand control events to
// the operations here; nothing is computed in a view.
class TdcrMeasurement {
 public:
  TdcrMeasurement(CommandEngine& engine, StartTimeSource& startTimes, TdcrHost& host);

  const TdcrFormState& Form() const { return form_; }
  const TdcrCounterTexts& Counters() const { return counters_.Texts(); }
  // The SOURCE entry of the counters view: 0 NONE, 1 INT REF, 2 EXT REF.
  int ShownSource() const { return counters_.ShownSource(); }
  // The VIEW RUN selection both views show: 0 "In Progress", 1..64 a run.
  int ViewRun() const { return viewRun_; }
  const DisplayedRun& Shown() const { return shown_; }
  const TdcrRates& Rates() const { return rates_; }
  double TimeBaseFactor() const { return timeBase_; }

  // Runs after every RefreshCounters, so both views redraw whichever of
  // them (or the device link) started the refresh.
  void SetRefreshListener(std::function<void()> listener) { refreshed_ = std::move(listener); }

  // Recomputes the shown run's values from the device image. Edits that
  // have the keyboard focus keep their text.
  void RefreshTdcrView();
  // Recomputes the counters view's texts; runs right after RefreshTdcrView.
  void RefreshCounters();
  // Both, what the device link runs after every spectrum-memory chunk.
  void RefreshViews();

  // The link to the instrument is gone: STATUS says "Not Connected" instead
  // of the last state the instrument reported, and the buttons wait for the
  // next connection.
  void ShowLinkLost();

  // VIEW RUN of either view: shows the chosen run and refreshes both views.
  void SelectViewRun(int index);

  // The run commands. Without an answering device each disables START,
  // STOP, RESET and SAVE and does nothing else.
  void StartMeasurement();
  void StopMeasurement();
  void ResetMeasurement();
  // SAVE pressed: true when the measurement files may be written, i.e. the
  // device has answered and the measurement was not running when last shown.
  bool BeginSave();
  // The measurement files were written: marks the measurement saved.
  void CompleteSave();
  // The SAVE button: the host writes the measurement files when BeginSave
  // allows it.
  void SaveMeasurement();
  // The TIME STAMP button: the time reference is chosen anew, then both
  // views are redrawn.
  void ChooseTimeReference();

  // The edit the keyboard focus is in, or none.
  void SetFocusedEdit(std::optional<TdcrEdit> edit) { focused_ = edit; }
  // Typing: keeps the text and applies its value at once when it has one.
  void EnterText(TdcrEdit edit, std::string_view text);
  // Focus lost or Enter pressed: the text is rewritten from the setting.
  void FinishEdit(TdcrEdit edit);
  // Spin arrows: move the code or position by `step` within its limits.
  void StepThreshold(std::size_t input, int step);
  // The spin arrows of a threshold or extension edit, `arrowSteps` up
  // (negative: down). A threshold's millivolts fall as its code rises, so
  // the up arrow lowers the code.
  void StepEdit(TdcrEdit edit, int arrowSteps);
  void StepExtension(std::size_t extension, int step);

  // A list choice stays in the form as chosen until the next refresh shows
  // what the register image holds.
  void SelectWindow(CoincidenceWindow window, int index);
  void SelectDeadTimeMode(std::size_t extension, bool cdt);
  void SelectSequentialRuns(int index);
  void SelectStopTimer(int index);
  void SelectPolarity(std::size_t input, bool positive);
  // SOURCE of the counters view.
  void SelectReferenceSource(int index);
  // The RECORD edits.
  void SetRecordTexts(TdcrRecordTexts texts) { form_.record = std::move(texts); }

  // The preset number of runs: the measurement files hold this many runs
  // whatever the number completed.
  int PresetRuns() const;
  // The measurement start time held in registers 92-95.
  StampTime StartTime() const;
  // StartOffset of the run shown, in seconds: the real times of the runs
  // before it, each followed by the gap, a gap of 0 counting as 0.0001 s.
  double StartOffset() const;
  // The start time of the run shown: the measurement start plus its offset.
  StampTime RunStartTime() const;

 private:
  DeviceImage& Image() const { return engine_.Image(); }
  const RegisterImage& Registers() const { return engine_.Image().registers; }
  TdcrControlWord Control() const;
  void Edit(const std::function<void(RegisterImage&)>& change);
  bool RefusedWithoutDevice();
  int MeasuredRuns() const;

  void RefreshExtensions();
  void RefreshThresholds();
  bool ThresholdsEditable() const;
  void RefreshPresetTimes();
  void RefreshMeasurementState();
  void RefreshSelections();

  std::string& EditText(TdcrEdit edit) { return form_.edits[static_cast<std::size_t>(edit)]; }
  std::string StoredText(TdcrEdit edit) const;
  void ShowUnlessFocused(TdcrEdit edit);
  void ApplyThreshold(std::size_t input, std::uint16_t code);
  void ApplyExtension(std::size_t extension, int position);
  void ApplyPresetTime(TdcrEdit edit, double seconds);
  void ApplyWindow(CoincidenceWindow window);

  CommandEngine& engine_;
  StartTimeSource& startTimes_;
  TdcrHost& host_;
  std::function<void()> refreshed_;

  TdcrFormState form_;
  TdcrCounterReadout counters_;
  int viewRun_ = kViewRunInProgress;
  std::size_t shownIndex_ = 0;
  DisplayedRun shown_;
  TdcrRates rates_;
  double timeBase_;
  bool running_ = false;
  std::optional<TdcrEdit> focused_;

  ThresholdScale scale_;
  // Register values last taken into the form; a refresh redraws only what
  // changed since.
  std::array<std::optional<std::uint16_t>, 3> lastThresholdCodes_;
  std::array<std::optional<std::uint16_t>, 2> lastExtensionRegisters_;
  std::optional<std::uint64_t> lastStartTime_;
  // Time per run and gap time as the form holds them, in seconds.
  std::array<double, 2> presetSeconds_{1.0, 1.0};
};

}  // namespace korva
