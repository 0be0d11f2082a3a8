#pragma once

#include <string_view>

namespace korva {

// `text` without the blanks (spaces, tabs, line ends, form feeds) at either
// end. The view points into `text`: keep what it views alive while it is used.
constexpr std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace korva
