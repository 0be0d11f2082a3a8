#include "common/month_name.h"

#include <array>

namespace korva {

std::string_view MonthAbbreviation(unsigned month) {
  static constexpr std::array<std::string_view, 12> kNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  if (month < 1 || month > 12) return kNames[0];
  return kNames[month - 1];
}

}  // namespace korva
