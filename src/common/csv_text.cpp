#include "common/csv_text.h"

namespace korva {

std::string CommaField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string ReferenceWord(std::string_view startReferenceLabel) {
  const std::size_t colon = startReferenceLabel.find(':');
  return colon == std::string_view::npos ? std::string() : std::string(startReferenceLabel.substr(colon + 1));
}

}  // namespace korva
