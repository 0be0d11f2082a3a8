#pragma once

#include <string_view>

namespace korva {

// Three-letter upper-case month name, "JAN" ... "DEC", for a month 1-12.
// Any other value reads as "JAN", as the instrument's date words expect.
std::string_view MonthAbbreviation(unsigned month);

}  // namespace korva
