#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korva::fuzz {

// Reads `data` as a .kts file into a fresh spectrum. Returns what went
// wrong (empty when nothing did): a size, compression factor or point count
// outside its limits, or a counts word beyond the two halves touched.
std::string CheckKtsReader(const std::uint8_t* data, std::size_t size);

// As CheckKtsReader, then writes the spectrum read to a .kts text in memory
// and reads that back: also reports a channel, ROI mark, register or status
// value that did not survive the second trip.
std::string CheckKtsRoundTrip(const std::uint8_t* data, std::size_t size);

}  // namespace korva::fuzz
