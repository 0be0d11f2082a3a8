#include "cli/command_line.h"

#include <charconv>

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

}  // namespace korva
