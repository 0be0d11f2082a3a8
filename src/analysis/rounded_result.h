#pragma once

#include <string>

namespace korva {

// A measured value and its standard uncertainty as a result is stated: the
// uncertainty to two significant digits and the value to the same last
// decimal place (JCGM 100:2008, GUM, 7.2.6).
struct RoundedResult {
  std::string value;
  std::string uncertainty;
};

// Rounds `value` and `uncertainty` for the result line. An uncertainty
// that is zero, negative or not finite fixes no decimal place; both numbers
// are then shown with six significant digits.
RoundedResult RoundToUncertainty(double value, double uncertainty);

// A relative or other stand-alone uncertainty to two significant digits.
std::string RoundUncertainty(double uncertainty);

}  // namespace korva
