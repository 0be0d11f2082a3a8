#include "analysis/data_text.h"

#include <charconv>
#include <cmath>

#include "common/trimmed.h"

namespace korva {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string_view> Fields(std::string_view s) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    const std::size_t start = i;
    while (i < s.size() && !IsBlank(s[i])) ++i;
    if (i > start) fields.push_back(s.substr(start, i - start));
  }
  return fields;
}

}  // namespace

std::vector<DataLine> DataLines(std::string_view text) {
  std::vector<DataLine> lines;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    line = line.substr(0, line.find('#'));
    DataLine data{number, {}, {}};
    if (const std::size_t bar = line.find('|'); bar != std::string_view::npos) {
      data.note = Trimmed(line.substr(bar + 1));
      line = line.substr(0, bar);
    }
    data.fields = Fields(line);
    if (!data.fields.empty()) lines.push_back(std::move(data));
  }
  return lines;
}

std::optional<double> FieldNumber(std::string_view field) {
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (field.empty() || error != std::errc() || end != field.data() + field.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::string AtLine(std::string_view file, int line, std::string_view message) {
  return std::string(file) + ":" + std::to_string(line) + ": " + std::string(message);
}

}  // namespace korva
