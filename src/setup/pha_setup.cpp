#include "setup/pha_setup.h"

#include <algorithm>

#include "setup/shaper_registers.h"

namespace korva {

namespace {

constexpr std::size_t kControl = 16;
constexpr std::size_t kAmplifierMode = 18;
constexpr std::size_t kLldLow = 72;
constexpr std::size_t kLldMargin = 74;
constexpr std::uint16_t kTdcrTriggeredBit = 1u << 12;
constexpr std::uint16_t kExternalBlrBit = 1u << 12;
constexpr std::uint16_t kSymBit = 0x8000;
constexpr std::uint16_t kAccBit = 0x4000;
constexpr std::uint16_t kMarginBits = 0x001F;
constexpr std::uint32_t kLldScale = 12;
constexpr int kPhaSlowMaximum = 1023;
constexpr int kThresholdMaximum = 2048;

std::uint16_t WithBit(std::uint16_t word, std::uint16_t bit, bool on) {
  return static_cast<std::uint16_t>(on ? word | bit : word & ~bit);
}

}  // namespace

void PhaSetup::FirstUpdate() {
  controls_ = PhaControls{};
  thresholdCache_ = -100;
  marginOpen_ = false;
  initialised_ = true;
}

void PhaSetup::MarkThreshold() { thresholdCache_ = -100; }

void PhaSetup::Decode(const RegisterImage& registers, std::uint32_t compression) {
  compression = std::max<std::uint32_t>(compression, 1);
  if (!marginOpen_) controls_.margin = MarginPosition(registers[kLldMargin] & kMarginBits);
  const std::uint16_t blr = registers[shaper_reg::kBlrSlow];
  controls_.phaSlow = blr & 0x3FFF;
  controls_.sym = (blr & kSymBit) != 0;
  acc_ = (blr & kAccBit) != 0;
  const int threshold = DecodeThreshold(RegisterPair(registers, kLldLow), kLldScale);
  if (threshold != thresholdCache_) {
    thresholdCache_ = threshold;
    controls_.threshold = ThresholdField(threshold, compression);
    controls_.thresholdAuto = threshold < 0;
  }
  controls_.estimatedLld = std::to_string(RegisterPair(registers, shaper_reg::kSlowEstimateLow) /
                                          (std::uint64_t{compression} * kLldScale));
  controls_.useInternalBlr = (registers[kAmplifierMode] & kExternalBlrBit) == 0;
  controls_.tdcrTriggered = (registers[kControl] & kTdcrTriggeredBit) != 0;
  controls_.blrControlsEnabled = controls_.useInternalBlr;
}

void PhaSetup::Encode(RegisterImage& registers, std::uint32_t compression) const {
  compression = std::max<std::uint32_t>(compression, 1);
  registers[kAmplifierMode] = WithBit(registers[kAmplifierMode], kExternalBlrBit, !controls_.useInternalBlr);
  registers[kControl] = WithBit(registers[kControl], kTdcrTriggeredBit, controls_.tdcrTriggered);
  registers[shaper_reg::kBlrSlow] = static_cast<std::uint16_t>(
      (controls_.phaSlow & 0x3FFF) | (controls_.sym ? kSymBit : 0) | (acc_ ? kAccBit : 0));
  SetRegisterPair(registers, kLldLow, EncodeThreshold(controls_.threshold, compression, kLldScale));
  registers[kLldMargin] =
      static_cast<std::uint16_t>((registers[kLldMargin] & ~kMarginBits) | MarginCode(controls_.margin));
}

bool PhaSetup::SetUseInternalBlr(bool checked) {
  controls_.useInternalBlr = checked;
  controls_.blrControlsEnabled = checked;
  return initialised_;
}

bool PhaSetup::SetTdcrTriggered(bool checked) {
  controls_.tdcrTriggered = checked;
  return initialised_;
}

bool PhaSetup::SetPhaSlow(int value) {
  controls_.phaSlow = std::clamp(value, 0, kPhaSlowMaximum);
  return initialised_;
}

bool PhaSetup::SetSym(bool checked) {
  controls_.sym = checked;
  return initialised_;
}

bool PhaSetup::SetThreshold(int channels) {
  TakeThreshold(channels);
  return initialised_;
}

bool PhaSetup::SelectMargin(int position) {
  controls_.margin = position >= 0 && position < kMarginEntries ? position : 0;
  marginOpen_ = false;
  return initialised_;
}

void PhaSetup::TakeThreshold(int channels) {
  controls_.threshold = std::clamp(channels, 0, kThresholdMaximum);
  controls_.thresholdAuto = controls_.threshold == 0;
}

}  // namespace korva
