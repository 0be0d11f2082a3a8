#include "setup/pha_setup.h"

#include <algorithm>

#include "setup/shaper_registers.h"

namespace korva {

namespace {

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
  if (!marginOpen_) controls_.margin = MarginPosition(registers[reg::kPhaMargin] & reg::margins::kCodeMask);
  const std::uint16_t blr = registers[reg::kBlrSlow];
  controls_.phaSlow = blr & reg::blr::kSlowMask;
  controls_.sym = (blr & reg::blr::kSym) != 0;
  acc_ = (blr & reg::blr::kAcc) != 0;
  const int threshold = DecodeThreshold(RegisterPair(registers, reg::kPhaThresholdLow), kLldScale);
  if (threshold != thresholdCache_) {
    thresholdCache_ = threshold;
    controls_.threshold = ThresholdField(threshold, compression);
    controls_.thresholdAuto = threshold < 0;
  }
  controls_.estimatedLld = std::to_string(RegisterPair(registers, reg::kSlowEstimateLow) /
                                          (std::uint64_t{compression} * kLldScale));
  controls_.useInternalBlr = (registers[reg::kAmplifier] & reg::amplifier::kExternalBlr) == 0;
  controls_.tdcrTriggered = (registers[reg::kControl] & reg::control::kTdcrTriggered) != 0;
  controls_.blrControlsEnabled = controls_.useInternalBlr;
}

void PhaSetup::Encode(RegisterImage& registers, std::uint32_t compression) const {
  compression = std::max<std::uint32_t>(compression, 1);
  registers[reg::kAmplifier] =
      WithBit(registers[reg::kAmplifier], reg::amplifier::kExternalBlr, !controls_.useInternalBlr);
  registers[reg::kControl] =
      WithBit(registers[reg::kControl], reg::control::kTdcrTriggered, controls_.tdcrTriggered);
  registers[reg::kBlrSlow] =
      static_cast<std::uint16_t>((controls_.phaSlow & reg::blr::kSlowMask) |
                                 (controls_.sym ? reg::blr::kSym : 0) | (acc_ ? reg::blr::kAcc : 0));
  SetRegisterPair(registers, reg::kPhaThresholdLow,
                  EncodeThreshold(controls_.threshold, compression, kLldScale));
  registers[reg::kPhaMargin] = static_cast<std::uint16_t>(
      (registers[reg::kPhaMargin] & ~reg::margins::kCodeMask) | MarginCode(controls_.margin));
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
