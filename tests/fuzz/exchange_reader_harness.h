#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/exchange_read.h"

namespace korva::fuzz {

// Reads `data` with `read` (the N42 or the SPE reader) and, when it gives a
// spectrum, loads it into a fresh record, writes that record out again in
// the same format with `write` and reads the result back. Returns what went
// wrong (empty when nothing did): a record outside its limits after the
// load, a written file the reader refuses, or channels that did not survive
// the second trip.
std::string CheckExchangeReader(const std::uint8_t* data, std::size_t size,
                                ExchangeRead (*read)(std::string_view),
                                std::string (*write)(const ExchangeSpectrum&));

}  // namespace korva::fuzz
