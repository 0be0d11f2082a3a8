#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace korva {

// The program keeps its texts as UTF-8 strings; Qt shows QStrings.
inline QString QtText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A whole number typed into a form field, blanks around it allowed; none
// when the text is not one.
inline std::optional<int> WholeNumber(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace korva
