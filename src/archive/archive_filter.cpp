#include "archive/archive_filter.h"

#include <algorithm>
#include <cctype>

#include "archive/archive_entry.h"

namespace korva {

namespace {

// A LIKE pattern matching `part` anywhere; its own % and _ match only themselves.
std::string ContainsPattern(std::string_view part) {
  std::string pattern = "%";
  for (const char c : part) {
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern + "%";
}

std::string Lowered(std::string text) {
  std::ranges::transform(text, text.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

class ClauseBuilder {
 public:
  void Add(const std::string& condition, std::vector<std::string> values) {
    clause_.sql += clause_.sql.empty() ? "WHERE " : " AND ";
    clause_.sql += condition;
    for (std::string& value : values) clause_.values.push_back(std::move(value));
  }
  FilterClause Take() { return std::move(clause_); }

 private:
  FilterClause clause_;
};

}  // namespace

FilterClause FilterSql(const ArchiveFilter& filter) {
  ClauseBuilder builder;
  if (!filter.since.empty()) builder.Add("saved_at >= ?", {filter.since});
  // Every time of the day sorts before "T~".
  if (!filter.until.empty()) builder.Add("saved_at <= ?", {filter.until + "T~"});
  if (filter.kind) builder.Add("kind = ?", {std::string(SavedKindName(*filter.kind))});
  if (!filter.instrument.empty()) {
    const std::string pattern = ContainsPattern(filter.instrument);
    builder.Add("(model LIKE ? ESCAPE '\\' OR serial_number LIKE ? ESCAPE '\\')", {pattern, pattern});
  }
  if (!filter.text.empty())
    builder.Add("search_text LIKE ? ESCAPE '\\'", {ContainsPattern(Lowered(filter.text))});
  return builder.Take();
}

bool IsDayText(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (std::isdigit(static_cast<unsigned char>(text[i])) == 0) return false;
  }
  const int year = std::stoi(std::string(text.substr(0, 4)));
  const int month = std::stoi(std::string(text.substr(5, 2)));
  const int day = std::stoi(std::string(text.substr(8, 2)));
  if (month < 1 || month > 12 || day < 1) return false;
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

}  // namespace korva
