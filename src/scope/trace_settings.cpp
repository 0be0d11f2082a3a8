#include "scope/trace_settings.h"

#include <algorithm>
#include <array>
#include <bit>

#include "devicelink/register_map.h"

namespace korva {

namespace {

// The 19th code is never selected; it completes the table of the labels.
constexpr std::array<int, 19> kTimeBaseCodes = {8,   10,  11,   12,   15,   20,    30,    35,    60,   110,
                                                260, 510, 1010, 2510, 5010, 10010, 25010, 50010, 65010};

using LabelSet = std::array<std::string_view, 19>;
constexpr LabelSet kLabels50 = {"50n", "100n", "200n", "400n", "1u", "2u", "4u", "5u",  "10u", "20u",
                                "50u", "100u", "200u", "500u", "1m", "2m", "5m", "10m", "13m"};
constexpr LabelSet kLabels40 = {"40n", "80n", "160n", "320n", "800n", "1.6u", "3.2u", "4u", "8u",   "16u",
                                "40u", "80u", "160u", "400u", "800u", "1.6m", "4m",   "8m", "10.4m"};
constexpr LabelSet kLabels32 = {"32n",  "64n",   "128n",  "256n", "640n", "1.28u", "2.56u",
                                "3.2u", "6.4u",  "12.8u", "32u",  "64u",  "128u",  "320u",
                                "640u", "1.28m", "3.2m",  "6.4m", "8.3m"};

constexpr std::array<std::string_view, 19> kVerticalLabels = {
    "2",  "4",  "8",  "16",  "32",  "64",  "128",  "256",  "512", "1k",
    "2k", "4k", "8k", "16k", "32k", "64k", "128k", "256k", "512k"};

constexpr std::array<std::string_view, 7> kModeNames = {"RND", "NRM", "SGL", "Av2", "Av4", "Av8", "Av16"};
constexpr std::array<std::string_view, 4> kInputNames = {"SLOW", "FAST", "ADC", "AUX"};
constexpr std::array<std::string_view, kTraceLines> kLineNames = {"F LLD", "S LLD",   "PKDT",    "STORE",
                                                                  "PUR",   "INHIBIT", "INPUT R", "ROI-SCA"};

std::size_t Index(int index, int last) { return static_cast<std::size_t>(std::clamp(index, 0, last)); }

// The shift the instrument gets: the kept one for input E, two less otherwise.
int SentShift(int shift, bool inputE) { return inputE ? shift : std::max(shift - 2, 0); }

std::uint16_t Clamp16(std::uint64_t value) {
  return static_cast<std::uint16_t>(std::min<std::uint64_t>(value, 0xFFFF));
}

}  // namespace

int TimeBaseCode(int index) { return kTimeBaseCodes[Index(index, kTimeBaseLastIndex)]; }

std::string_view TimeBaseLabel(int index, int clockIndex) {
  const std::size_t step = Index(index, kTimeBaseLastIndex);
  switch (clockIndex) {
    case 0:
    case 3:
      return kLabels50[step];
    case 1:
      return kLabels40[step];
    default:
      return kLabels32[step];
  }
}

std::string TimeBaseCaption(int index, int clockIndex) {
  return std::string(TimeBaseLabel(index, clockIndex)) + "s/div";
}

int TimeBaseZoom(int code) { return code <= 10 ? 12 - code : 1; }

int TimeBaseDecimation(int code) { return code <= 10 ? 1 : code - 10; }

std::string_view VerticalScaleLabel(int index) { return kVerticalLabels[Index(index, kVerticalLastIndex)]; }

std::string VerticalScaleCaption(int index) { return std::string(VerticalScaleLabel(index)) + "/div"; }

TraceMode NextTraceMode(TraceMode mode) {
  return mode == TraceMode::kAv16 ? TraceMode::kRnd : static_cast<TraceMode>(static_cast<int>(mode) + 1);
}

std::string_view TraceModeName(TraceMode mode) { return kModeNames[static_cast<std::size_t>(mode)]; }

int AveragedTraces(TraceMode mode) {
  switch (mode) {
    case TraceMode::kAv2:
      return 2;
    case TraceMode::kAv4:
      return 4;
    case TraceMode::kAv8:
      return 8;
    case TraceMode::kAv16:
      return 16;
    default:
      return 1;
  }
}

int TraceClipLimit(TraceMode mode) { return mode == TraceMode::kRnd ? 248 : 255; }

std::string_view TraceInputName(int input) { return kInputNames[Index(input, 3)]; }

std::string_view TraceLineName(int line, bool coincidenceDisplay) {
  const std::size_t index = Index(line, kTraceLines - 1);
  if (coincidenceDisplay && index == 5) return "COINC W";
  if (coincidenceDisplay && index == 6) return "COINC S";
  return kLineNames[index];
}

std::string_view TraceLegendName(int line, bool coincidenceDisplay, bool tdcrExtStorage) {
  if (coincidenceDisplay && tdcrExtStorage && line == 3) return "TDCR S1";
  if (coincidenceDisplay && tdcrExtStorage && line == 4) return "TDCR S2";
  return TraceLineName(line, coincidenceDisplay);
}

std::uint32_t UnfoldingPowerOfTwo(std::uint32_t timeConstant) {
  for (std::uint32_t power = 4096; power > 32; power /= 2) {
    if (timeConstant >= power / 4 * 3) return power;
  }
  return 32;
}

int DisplayShift(std::uint16_t rise, std::uint32_t timeConstant, int limit) {
  // 64-bit: a full-scale rise times the largest constant overflows 32 bits.
  const std::uint64_t scaled = std::uint64_t{rise} * timeConstant / UnfoldingPowerOfTwo(timeConstant);
  return std::min(static_cast<int>(std::bit_width(scaled)) + 1, limit);
}

TraceRegisters ComposeTrace(const TraceControls& controls, const TraceShaping& shaping) {
  TraceRegisters out;
  out.slowShift = shaping.phaMode ? 3 : DisplayShift(shaping.slowRise, shaping.longTimeConstant, 15);
  out.fastShift = DisplayShift(shaping.fastRise, shaping.longTimeConstant, 10);

  namespace setup = reg::trace_setup;
  unsigned control = static_cast<unsigned>(std::clamp(controls.input, 0, int{setup::kInputMask}));
  if (controls.coincidenceDisplay) control |= setup::kCoincidenceDisplay;
  control |= static_cast<unsigned>(std::clamp(controls.triggerSource, 0, kTraceLines - 1))
             << setup::kTriggerShift;
  if (controls.invert) control |= setup::kInvertTrigger;
  if (controls.mode == TraceMode::kRnd) control |= setup::kRandomTrigger;
  control |= static_cast<unsigned>(SentShift(out.slowShift, shaping.inputE)) << setup::kSlowShiftAt;
  control |= static_cast<unsigned>(SentShift(out.fastShift, shaping.inputE)) << setup::kFastShiftAt;
  out.control = static_cast<std::uint16_t>(control);

  const int code = TimeBaseCode(controls.timeBaseIndex);
  const int position = std::clamp(controls.sliderPosition, 0, 255);
  out.decimation = static_cast<std::uint16_t>(code > 10 ? code - 11 : 0);
  out.delay = static_cast<std::uint16_t>(code > 10 ? position : position / (12 - code));

  // A window beyond the 16-bit register is held at its largest value rather
  // than wrapped to a low channel.
  const std::uint64_t compression = std::max<std::uint32_t>(shaping.compression, 1);
  out.roiScaLow = Clamp16(controls.roiScaLow * compression);
  out.roiScaHigh = Clamp16(controls.roiScaHigh * compression);
  return out;
}

void StoreTraceRegisters(const TraceRegisters& composed, std::span<std::uint16_t> registers) {
  if (registers.size() <= reg::kRoiScaHigh) return;
  registers[reg::kTraceDecimation] = composed.decimation;
  registers[reg::kTraceDelay] = composed.delay;
  registers[reg::kTraceSetup] = composed.control;
  registers[reg::kRoiScaLow] = composed.roiScaLow;
  registers[reg::kRoiScaHigh] = composed.roiScaHigh;
}

}  // namespace korva
