#pragma once

#include <cstdint>

namespace korva {

// ADC offset (register 1): 0..32000, 8000 being "ADC DEFAULT".
inline constexpr int kMaxAdcOffset = 32000;
inline constexpr int kDefaultAdcOffset = 8000;
int ClampAdcOffset(int offset);
// The ADC offset after "ADC DEFAULT" is clicked: ticked gives the default;
// unticked moves the default one step off it (8001) so the box does not
// tick itself again, and any other offset back to the default.
int AdcOffsetAfterDefaultClick(bool ticked, int offset);

// Amplifier offset (register 12): 0..65535. Input E takes the value as it
// is; inputs A, B, C and A+B+C take its ones' complement.
inline constexpr int kMaxAmplifierOffset = 65535;
int ClampAmplifierOffset(int offset);
std::uint16_t AmplifierOffsetRegister(int offset, bool inputE);
int AmplifierOffsetOfRegister(std::uint16_t register12, bool inputE);

// Register 16 with bit 8, the automatic amplifier offset ("AUTO"), set or
// cleared.
std::uint16_t WithAutoOffset(std::uint16_t register16, bool on);
bool AutoOffset(std::uint16_t register16);

// Successive approximation of the amplifier offset by hand: "SAR" starts
// at half scale with a quarter-scale step; each "++" or "--" moves the
// offset by the step and halves it. After the fifteenth press, whose step
// was 1, the run is over and every offset 1..65535 can have been reached.
class SuccessiveApproximation {
 public:
  static constexpr int kStartOffset = 0x8000;
  static constexpr int kFirstStep = 0x4000;

  // Idle: "SAR" is offered. Running: "++" and "--" are.
  bool Running() const { return step_ > 0; }
  int Step() const { return step_; }

  // Starts a run and returns the offset to send.
  int Start();
  // One press; `up` for "++". Returns the new offset.
  int Press(int offset, bool up);

 private:
  int step_ = 0;
};

}  // namespace korva
