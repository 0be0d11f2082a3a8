#include "include_rules.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>

namespace korva::test {

namespace {

namespace fs = std::filesystem;

// The folders from the bottom up. A folder includes only folders of lower
// levels (and itself); folders of one level never include each other. So
// two folders can never include each other, directly or round a longer
// loop: a new include that closes a loop breaks this order and is named.
const std::vector<std::vector<std::string>>& Levels() {
  static const std::vector<std::vector<std::string>> levels = {
      {"common"},
      {"qtadapters", "decay", "forms", "timesync", "devicelink"},
      {"sim", "fpga", "tdcr"},
      {"spectrum"},
      {"formats"},
      {"acquisition"},
      {"spectrumview"},
      {"analysis", "scope", "setup"},
      // Saves reach the archive only through the files-saved notice in common.
      {"archive"},
      {"shell", "cli"},
      {"app"},
  };
  return levels;
}

// Folders a folder may not include although they sit below it.
const std::map<std::string, std::set<std::string>>& Never() {
  static const std::map<std::string, std::set<std::string>> never = {
      {"app", {"cli"}},
  };
  return never;
}

int LevelOf(const std::string& folder) {
  const auto& levels = Levels();
  for (std::size_t level = 0; level < levels.size(); ++level) {
    if (std::ranges::find(levels[level], folder) != levels[level].end()) return static_cast<int>(level);
  }
  return -1;
}

// The virtual instrument shares no code with the program beyond common, the
// instrument's wire frames and its register map.
bool SimMayInclude(const std::string& included) {
  return included.starts_with("common/") || included == "devicelink/wire_frame.h" ||
         included == "devicelink/register_map.h";
}

bool Allowed(const std::string& from, const std::string& included) {
  const std::string folder = included.substr(0, included.find('/'));
  if (folder == from) return true;
  if (from == "sim") return SimMayInclude(included);
  const auto never = Never().find(from);
  if (never != Never().end() && never->second.contains(folder)) return false;
  const int fromLevel = LevelOf(from);
  const int includedLevel = LevelOf(folder);
  return fromLevel >= 0 && includedLevel >= 0 && includedLevel < fromLevel;
}

// src/<folder>/... or sim/...
std::string FolderOf(const fs::path& relative) {
  auto part = relative.begin();
  if (*part == "sim") return "sim";
  return (++part)->string();
}

void CheckFile(const fs::path& root, const fs::path& file, std::vector<IncludeViolation>& out) {
  static const std::regex include(R"(^\s*#\s*include\s*"([a-z_]+/[^"]+)\")");
  const fs::path relative = fs::relative(file, root);
  const std::string from = FolderOf(relative);
  std::ifstream in(file);
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    std::smatch match;
    if (std::regex_search(text, match, include) && !Allowed(from, match[1])) {
      out.push_back({relative.generic_string(), line, match[1]});
    }
  }
}

}  // namespace

std::vector<IncludeViolation> FindIncludeViolations(const fs::path& root) {
  std::vector<IncludeViolation> violations;
  for (const char* top : {"src", "sim"}) {
    if (!fs::exists(root / top)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
      const fs::path& path = entry.path();
      if (entry.is_regular_file() && (path.extension() == ".h" || path.extension() == ".cpp")) {
        CheckFile(root, path, violations);
      }
    }
  }
  std::ranges::sort(violations, {}, &IncludeViolation::Describe);
  return violations;
}

}  // namespace korva::test
