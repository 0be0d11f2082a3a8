#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/files_saved.h"

namespace korva {

// What the HISTORY pane and `history list` narrow the entries to. Empty
// fields do not narrow.
struct ArchiveFilter {
  std::string since;  // "YYYY-MM-DD": saved on or after this day (UTC)
  std::string until;  // "YYYY-MM-DD": saved on or before this day (UTC)
  std::optional<SavedKind> kind;
  std::string instrument;  // part of the model or the serial number
  std::string text;        // part of any record field, the result or a file name
};

// The WHERE clause (with "?" for each value, empty when nothing narrows)
// and the values in order.
struct FilterClause {
  std::string sql;
  std::vector<std::string> values;
};
FilterClause FilterSql(const ArchiveFilter& filter);

// True for a real calendar day written "YYYY-MM-DD".
bool IsDayText(std::string_view text);

}  // namespace korva
