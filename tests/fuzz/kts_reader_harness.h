#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korva::fuzz {

// Reads `data` as a .kts file into a fresh spectrum, writes that spectrum
// out again and reads it back. Returns what went wrong (empty when nothing
// did): a record outside its limits, a counts word beyond the two halves
// touched, or a channel, ROI mark, register or status value that did not
// survive the second trip.
std::string CheckKtsReader(const std::uint8_t* data, std::size_t size);

}  // namespace korva::fuzz
