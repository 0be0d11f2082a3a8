#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korva {

// The numeric edits of the TDCR form apply their value at every keystroke.

// The edit moves a minus typed at the end of its text to the front of the
// number ("5-" becomes "-5").
std::string MoveTrailingMinusToFront(std::string_view text);

// The value of an edit's text: a finite decimal number, blanks around it
// allowed. Empty or unreadable text has no value and changes no setting.
std::optional<double> ParseNumericEntry(std::string_view text);

// Truncates toward zero. A quotient that misses a whole number only by
// binary rounding counts as that number, so re-entering the text a setting
// shows gives back the same code: 0.688 us / 0.008 us comes out as
// 85.99999999999999 but means position 86.
double TruncateEntry(double value);

}  // namespace korva
