#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korva::fuzz {

// Reads `data` as a stored "Calibration" value. Returns what went wrong
// (empty when nothing did): a value of the wrong length read without a
// message, a point count outside 0-10 let through, or a value that does not
// come back unchanged when written out and read again.
std::string CheckCalibrationValue(const std::uint8_t* data, std::size_t size);

}  // namespace korva::fuzz
