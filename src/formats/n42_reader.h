#pragma once

#include <string_view>

#include "formats/exchange_read.h"

namespace korva {

// Reads an N42.42 (2012) document: the first spectrum of the first
// measurement that has one, with its measurement's start and real time,
// its live time, its channels (compression code "CountedZeroes" expanded),
// the energy calibration it refers to (or the document's only one) when
// that has coefficients, the instrument's maker, model, serial number and
// firmware and FPGA versions, and the remarks this program writes. Channel
// counts must be whole and not negative.
ExchangeRead ReadN42Text(std::string_view text);

}  // namespace korva
