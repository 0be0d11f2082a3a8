#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "spectrum/calibration_record.h"

namespace korva {

// The binary settings value "Calibration": the buffer spectrum's nine set-1
// records one after the other, each field in record order, reals as 8-byte
// IEEE doubles and integers as 4-byte values, all little-endian.
inline constexpr std::size_t kCalibrationRecordBytes =
    std::size_t{3} * 8 + 2 * CalibrationRecord::kPointSlots * 8 + CalibrationRecord::kPointSlots * 4 +
    std::size_t{4} * 4;
inline constexpr std::size_t kCalibrationValueBytes = kAnalyserInputs * kCalibrationRecordBytes;
static_assert(kCalibrationValueBytes == 3240);

using CalibrationSet = std::array<CalibrationRecord, kAnalyserInputs>;

std::vector<std::uint8_t> EncodeCalibrationValue(const CalibrationSet& records);

struct DecodedCalibration {
  CalibrationSet records{};
  // Empty when the value was read; else why it was refused.
  std::string error;
};

// Reads a stored value back. A value of any other length than 3240 bytes is
// refused with a message. A record whose point count lies outside 0-10
// comes back with no points.
DecodedCalibration DecodeCalibrationValue(std::span<const std::uint8_t> bytes);

}  // namespace korva
