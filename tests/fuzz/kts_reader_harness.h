#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korva::fuzz {

// Reads `data` as a .kts file into a fresh spectrum. Returns what went
// wrong (empty when nothing did): a size, compression factor or point count
// outside its limits, a counts word beyond the two halves touched, or a
// refusal that does not name the file.
std::string CheckKtsReader(const std::uint8_t* data, std::size_t size);

// As CheckKtsReader, then writes the spectrum read to a .kts text in memory
// and reads that back: also reports a channel, ROI mark, register or status
// value that did not survive the second trip, and a written text that is
// refused or has a value clamped. A refused input is not written.
std::string CheckKtsRoundTrip(const std::uint8_t* data, std::size_t size);

}  // namespace korva::fuzz
