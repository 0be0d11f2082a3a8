#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace korva {

class DeviceImage;

// Conversion between the discriminator threshold codes of inputs A, B, C
// (registers 80-82) and millivolts: mV = code x slope + offset, per input.
class ThresholdScale {
 public:
  static constexpr std::uint16_t kMaxCode = 65535;

  // The calibrated slopes and offsets when the image holds a valid threshold
  // calibration; otherwise the nominal pair of the model on all three inputs
  // (-0.01 mV and 12.3 mV, or -0.0190735 mV and 625.0 mV for model code 3).
  static ThresholdScale For(const DeviceImage& image);

  double Millivolts(std::size_t input, std::uint16_t code) const;
  // The threshold text of a code, "%7.2f" mV.
  std::string Text(std::size_t input, std::uint16_t code) const;
  // The code of a typed millivolt value: (mV - offset) / slope truncated
  // toward zero, limited to 0..65535.
  std::uint16_t Code(std::size_t input, double millivolts) const;

  double Slope(std::size_t input) const { return slope_[input]; }
  double Offset(std::size_t input) const { return offset_[input]; }

 private:
  std::array<double, 3> slope_{};
  std::array<double, 3> offset_{};
};

}  // namespace korva
