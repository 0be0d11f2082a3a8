#pragma once

#include <string>
#include <string_view>

namespace korva {

// A free text as a field of a comma-separated line. A text holding a comma,
// a double quote or a line break is quoted, its quotes doubled, so that it
// stays one field; any other text is written as it is.
std::string CommaField(std::string_view text);

// The reference word of a start-time label ("START TIME: UTC"): what
// follows the colon, leading blank included (" UTC"); empty without a colon.
std::string ReferenceWord(std::string_view startReferenceLabel);

}  // namespace korva
