#pragma once

#include <string>

namespace korva {

// A value and its uncertainty as a result states them: the uncertainty
// rounded to two significant digits and the value to the same decimal
// place (JCGM 100:2008, GUM 7.2.6).
struct RoundedResult {
  std::string value;
  std::string uncertainty;
  int decimals = 0;  // digits after the point; negative: rounded to tens, hundreds...
};

// An uncertainty that is 0 or not finite leaves the value with six
// significant digits and the uncertainty as "0".
RoundedResult RoundedToUncertainty(double value, double uncertainty);

// `value` with `digits` significant digits in fixed notation ("0.00123", "1230").
std::string SignificantText(double value, int digits);

// `value` rounded to `decimals` digits after the point (negative: to tens,
// hundreds...), in fixed notation.
std::string FixedText(double value, int decimals);

}  // namespace korva
