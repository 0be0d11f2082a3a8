#pragma once

#include <string>
#include <utility>
#include <vector>

#include "analysis/characteristic_limits.h"

namespace korva {

// "Characteristic limits (ISO 11929-1:2019; k(1-alpha) = 1.645, k(1-beta) = 1.645, gamma = 0.05)".
std::string LimitsHeading(const CharacteristicLimits& limits);

// The limits as label and value lines, as every report prints them: the
// primary estimate with its uncertainty, the decision threshold, the
// detection limit, the coverage interval when detected, and the decision.
std::vector<std::pair<std::string, std::string>> LimitsRows(const CharacteristicLimits& limits);

// The heading and the rows as plain text lines.
std::string LimitsText(const CharacteristicLimits& limits);

}  // namespace korva
