#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korva {

// Time base of the trace viewer: steps 0..17, each with a code. A code of
// 10 or less records every sample and draws it 12 - code points wide; a
// larger code keeps one sample every code - 10 sample periods.
inline constexpr int kTimeBaseLastIndex = 17;
inline constexpr int kTimeBaseInitialIndex = 5;
// The clock index the main frame always selects for the labels.
inline constexpr int kTraceClockIndex = 2;

// The code of step `index` (clamped to 0..17).
int TimeBaseCode(int index);
// The label of step `index` (clamped to 0..17) in the label set of the
// digitiser clock `clockIndex` (0..3; others take set 2), e.g. "1.28u".
std::string_view TimeBaseLabel(int index, int clockIndex = kTraceClockIndex);
// The label followed by "s/div".
std::string TimeBaseCaption(int index, int clockIndex = kTraceClockIndex);
// Screen points per sample before any widening of the plot.
int TimeBaseZoom(int code);
// Sample periods per recorded sample.
int TimeBaseDecimation(int code);

// Vertical scale: steps 0..18; step 4 is unity gain.
inline constexpr int kVerticalLastIndex = 18;
inline constexpr int kVerticalInitialIndex = 12;
inline constexpr int kVerticalUnityIndex = 4;
std::string_view VerticalScaleLabel(int index);
// The label followed by "/div".
std::string VerticalScaleCaption(int index);

// Acquisition modes in the order the mode button cycles them.
enum class TraceMode { kRnd, kNrm, kSgl, kAv2, kAv4, kAv8, kAv16 };
TraceMode NextTraceMode(TraceMode mode);
// "RND", "NRM", "SGL", "Av2", "Av4", "Av8", "Av16".
std::string_view TraceModeName(TraceMode mode);
// Traces in the moving average: 2, 4, 8 or 16, and 1 for the other modes.
int AveragedTraces(TraceMode mode);
// The display clipping limit: 248 with the random trigger, else 255.
int TraceClipLimit(TraceMode mode);

// Analog inputs and trigger sources by index.
enum TraceInput : int { kTraceSlow = 0, kTraceFast = 1, kTraceAdc = 2, kTraceAux = 3 };
std::string_view TraceInputName(int input);
inline constexpr int kTraceLines = 8;
inline constexpr int kInputRLine = 6;
inline constexpr int kRoiScaLine = 7;
// The name of logic line (and trigger source) `line` as the export writes it:
// lines 5 and 6 are "COINC W"/"COINC S" in coincidence display mode.
std::string_view TraceLineName(int line, bool coincidenceDisplay);
// The viewer's legend, which also shows "TDCR S1"/"TDCR S2" for lines 3 and 4
// in coincidence display mode when the storage mode is a TDCR-EXT mode.
std::string_view TraceLegendName(int line, bool coincidenceDisplay, bool tdcrExtStorage);

// The viewer's controls that the registers carry.
struct TraceControls {
  int timeBaseIndex = kTimeBaseInitialIndex;
  int sliderPosition = 48;  // trigger position, 0..255
  int input = kTraceSlow;
  int triggerSource = 0;
  bool invert = false;
  bool coincidenceDisplay = false;
  TraceMode mode = TraceMode::kNrm;
  std::uint32_t roiScaLow = 0;  // displayed channels
  std::uint32_t roiScaHigh = 0;
};

// What the compose reads from the buffer spectrum and the shaper.
struct TraceShaping {
  std::uint32_t longTimeConstant = 0;  // input E's long unfolding time constant
  bool phaMode = false;
  bool inputE = false;         // the amplifier input E is selected
  std::uint16_t slowRise = 0;  // register 2
  std::uint16_t fastRise = 0;  // register 4
  std::uint32_t compression = 1;
};

// Registers 24..28 and what the viewer keeps of the compose.
struct TraceRegisters {
  std::uint16_t decimation = 0;  // 24
  std::uint16_t delay = 0;       // 25
  std::uint16_t control = 0;     // 26
  std::uint16_t roiScaLow = 0;   // 27
  std::uint16_t roiScaHigh = 0;  // 28
  int slowShift = 0;             // kept for the display and the export
  int fastShift = 0;
};

// The power of two nearest to the unfolding constant, rounding up from
// three quarters, between 32 and 4096.
std::uint32_t UnfoldingPowerOfTwo(std::uint32_t timeConstant);
// The display shift for a rise time: significant bits of
// rise x constant / power of two, plus one, at most `limit`.
int DisplayShift(std::uint16_t rise, std::uint32_t timeConstant, int limit);

TraceRegisters ComposeTrace(const TraceControls& controls, const TraceShaping& shaping);
// Copies registers 24..28 into `registers` (at least 29 long).
void StoreTraceRegisters(const TraceRegisters& composed, std::span<std::uint16_t> registers);

}  // namespace korva
