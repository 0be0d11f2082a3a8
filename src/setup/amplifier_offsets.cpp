#include "setup/amplifier_offsets.h"

#include <algorithm>

#include "devicelink/register_map.h"

namespace korva {

int ClampAdcOffset(int offset) { return std::clamp(offset, 0, kMaxAdcOffset); }

int AdcOffsetAfterDefaultClick(bool ticked, int offset) {
  if (!ticked && offset == kDefaultAdcOffset) return kDefaultAdcOffset + 1;
  return kDefaultAdcOffset;
}

int ClampAmplifierOffset(int offset) { return std::clamp(offset, 0, kMaxAmplifierOffset); }

std::uint16_t AmplifierOffsetRegister(int offset, bool inputE) {
  const auto value = static_cast<std::uint16_t>(ClampAmplifierOffset(offset));
  return inputE ? value : static_cast<std::uint16_t>(~value);
}

int AmplifierOffsetOfRegister(std::uint16_t register12, bool inputE) {
  return inputE ? register12 : kMaxAmplifierOffset - register12;
}

std::uint16_t WithAutoOffset(std::uint16_t register16, bool on) {
  return static_cast<std::uint16_t>(on ? register16 | reg::control::kAutoOffset
                                       : register16 & ~reg::control::kAutoOffset);
}

bool AutoOffset(std::uint16_t register16) { return (register16 & reg::control::kAutoOffset) != 0; }

int SuccessiveApproximation::Start() {
  step_ = kFirstStep;
  return kStartOffset;
}

// An offset typed during a run can lie near a limit, so the moved offset
// is kept within the register's range. The run ends when the step halves
// to 0, i.e. after the press with step 1.
int SuccessiveApproximation::Press(int offset, bool up) {
  const int moved = ClampAmplifierOffset(up ? offset + step_ : offset - step_);
  step_ /= 2;
  return moved;
}

}  // namespace korva
