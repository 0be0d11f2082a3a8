#include "calibration_value_harness.h"

#include <span>

#include "spectrum/calibration_value.h"

namespace korva::fuzz {

std::string CheckCalibrationValue(const std::uint8_t* data, std::size_t size) {
  const DecodedCalibration decoded = DecodeCalibrationValue(std::span<const std::uint8_t>(data, size));
  if (size != kCalibrationValueBytes)
    return decoded.error.empty() ? "wrong length read without a message" : "";
  if (!decoded.error.empty()) return "a value of the right length refused";
  for (const CalibrationRecord& record : decoded.records) {
    if (record.pointCount < 0 || record.pointCount > static_cast<std::int32_t>(CalibrationRecord::kMaxPoints))
      return "point count outside 0-10";
  }
  const std::vector<std::uint8_t> written = EncodeCalibrationValue(decoded.records);
  if (EncodeCalibrationValue(DecodeCalibrationValue(written).records) != written)
    return "second trip changed";
  return {};
}

}  // namespace korva::fuzz
