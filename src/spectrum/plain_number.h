#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korva {

// The number conversions of the spectrum files. A reader takes the number a
// text starts with and stops at the first character it cannot use, so a
// missing or garbled value reads as 0. Leading blanks and tabs are skipped.
// Neither reading nor writing depends on the process locale: the decimal
// separator is always ".".

// An optionally signed decimal integer, held within the range of int32_t.
std::int32_t LeadingInteger(std::string_view text);
// An unsigned decimal (an optional "+" before it), held within 32 bits; a
// text starting with "-" reads as 0.
std::uint32_t LeadingUnsigned(std::string_view text);
// A decimal real with optional sign, fraction and exponent ("inf" and "nan"
// included).
double LeadingReal(std::string_view text);

// "%<width>.<precision>f" with "." as the decimal separator.
std::string FixedText(double value, int width, int precision);

}  // namespace korva
