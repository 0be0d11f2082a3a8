#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

// One meaningful line of a data text: its number (from 1), its fields split
// at blanks and tabs, and what follows a "|" (where a value's source is
// named). A "#" starts a comment to the end of the line; blank lines and
// comment lines are skipped.
struct DataLine {
  int number = 0;
  std::vector<std::string_view> fields;
  std::string_view note;
};

// The data lines of `text`, which may end its lines with "\n" or "\r\n".
std::vector<DataLine> DataLines(std::string_view text);

// A decimal real that fills the whole field, with "." as the separator and
// independent of the locale; none for anything else, and for infinities and
// NaN.
std::optional<double> FieldNumber(std::string_view field);

// "FILE:LINE: message", the form of every complaint about a data file.
std::string AtLine(std::string_view file, int line, std::string_view message);

}  // namespace korva
