#include "tdcr/threshold_scale.h"

#include <algorithm>

#include "common/numeric_entry.h"
#include "devicelink/device_image.h"
#include "tdcr/tdcr_format.h"

namespace korva {

namespace {

constexpr double kFirstModelNominalOffset = 12.3;
constexpr double kSecondModelNominalOffset = 625.0;

}  // namespace

ThresholdScale ThresholdScale::For(const DeviceImage& image) {
  ThresholdScale scale;
  if (image.calibration.valid) {
    scale.slope_ = image.calibration.slope;
    scale.offset_ = image.calibration.offset;
  } else {
    scale.slope_.fill(image.NominalThresholdSlope());
    scale.offset_.fill(image.IsSecondModel() ? kSecondModelNominalOffset : kFirstModelNominalOffset);
  }
  return scale;
}

double ThresholdScale::Millivolts(std::size_t input, std::uint16_t code) const {
  return code * slope_[input] + offset_[input];
}

std::string ThresholdScale::Text(std::size_t input, std::uint16_t code) const {
  return FormatThreshold(Millivolts(input, code));
}

std::uint16_t ThresholdScale::Code(std::size_t input, double millivolts) const {
  const double code = TruncateEntry((millivolts - offset_[input]) / slope_[input]);
  return static_cast<std::uint16_t>(std::clamp(code, 0.0, static_cast<double>(kMaxCode)));
}

}  // namespace korva
