#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace korva {

// A subcommand with "--name value" options, "--flag" switches and up to
// `positionals` plain words (a second command word, a file name). Parsing
// fails (with a message) on an unknown option, a missing value, a value
// given twice or a word too many, so a typing error never runs a
// measurement with defaults.
class CommandLine {
 public:
  struct Grammar {
    std::set<std::string> valued;
    std::set<std::string> flags;
    // Arguments without "--" the command takes, in order (file names).
    std::size_t positionals = 0;
  };

  // `arguments` excludes the program name and the subcommand.
  static std::optional<CommandLine> Parse(const std::vector<std::string>& arguments, const Grammar& grammar,
                                          std::string& error);

  bool Has(const std::string& name) const { return values_.count(name) != 0 || flags_.count(name) != 0; }
  std::optional<std::string> Value(const std::string& name) const;
  // The arguments without "--", as many as the grammar takes.
  const std::vector<std::string>& Positionals() const { return positionals_; }

 private:
  std::map<std::string, std::string> values_;
  std::set<std::string> flags_;
  std::vector<std::string> positionals_;
};

// Reads a whole decimal number or a decimal fraction; nullopt for any other text.
std::optional<unsigned long> ParseUnsigned(const std::string& text);
std::optional<double> ParseNumber(const std::string& text);

// The values a numeric option takes: low..high inclusive, whole numbers
// only when `whole`; `unit` follows the range in messages.
struct OptionRange {
  double low = 0.0;
  double high = 0.0;
  bool whole = false;
  std::string unit;
};

// The one check of every numeric option: nan, infinities and values
// outside the range are refused alike. Empty when `value` is within
// `range`, else "--name must be a number from low to high unit, not text".
std::string OptionRangeError(const std::string& name, const std::string& text, const OptionRange& range);

// Reads option `name` of `line` into `out` (left alone when the option is
// absent); false, with `error` from OptionRangeError, for a value out of
// range or not a number.
bool ReadRangedOption(const CommandLine& line, const std::string& name, const OptionRange& range,
                      std::optional<double>& out, std::string& error);

}  // namespace korva
