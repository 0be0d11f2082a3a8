#pragma once

#include <cstdio>
#include <string>

namespace korva {

// The text printf writes for `format` and `args`, sized by a first pass so a
// huge value is written in full. Formats are the program's own literals.
template <typename... Args>
std::string FormatText(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.pop_back();
  return text;
}

}  // namespace korva
