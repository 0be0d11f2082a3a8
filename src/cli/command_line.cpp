#include "cli/command_line.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace korva {

std::optional<CommandLine> CommandLine::Parse(const std::vector<std::string>& arguments,
                                              const Grammar& grammar, std::string& error) {
  CommandLine line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!argument.starts_with("--")) {
      if (line.positionals_.size() >= grammar.positionals) {
        error = "unexpected argument: " + argument;
        return std::nullopt;
      }
      line.positionals_.push_back(argument);
      continue;
    }
    const std::string name = argument.substr(2);
    if (line.Has(name)) {
      error = "option given twice: " + argument;
      return std::nullopt;
    }
    if (grammar.flags.count(name) != 0) {
      line.flags_.insert(name);
    } else if (grammar.valued.count(name) != 0) {
      if (i + 1 >= arguments.size()) {
        error = "missing value for " + argument;
        return std::nullopt;
      }
      line.values_[name] = arguments[++i];
    } else {
      error = "unknown option: " + argument;
      return std::nullopt;
    }
  }
  return line;
}

std::optional<std::string> CommandLine::Value(const std::string& name) const {
  const auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::optional<unsigned long> ParseUnsigned(const std::string& text) {
  unsigned long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<double> ParseNumber(const std::string& text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

namespace {

std::string RangeNumber(double value) {
  std::ostringstream text;
  text.precision(10);
  text << value;
  return text.str();
}

}  // namespace

std::string OptionRangeError(const std::string& name, const std::string& text, const OptionRange& range) {
  const std::optional<double> value = ParseNumber(text);
  if (value && std::isfinite(*value) && *value >= range.low && *value <= range.high &&
      (!range.whole || std::trunc(*value) == *value)) {
    return {};
  }
  return "--" + name + " must be a " + (range.whole ? "whole number" : "number") + " from " +
         RangeNumber(range.low) + " to " + RangeNumber(range.high) + (range.unit.empty() ? "" : " ") +
         range.unit + ", not " + text;
}

bool ReadRangedOption(const CommandLine& line, const std::string& name, const OptionRange& range,
                      std::optional<double>& out, std::string& error) {
  const std::optional<std::string> text = line.Value(name);
  if (!text) return true;
  error = OptionRangeError(name, *text, range);
  if (!error.empty()) return false;
  out = *ParseNumber(*text);
  return true;
}

}  // namespace korva
