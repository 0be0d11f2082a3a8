#include "include_rules.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>

namespace korva::test {

namespace {

namespace fs = std::filesystem;
using Folders = std::set<std::string>;

struct Rule {
  Folders allowed;    // when not empty: only these
  Folders forbidden;  // never these
};

const std::map<std::string, Rule>& Rules() {
  static const std::map<std::string, Rule> rules = {
      {"common", {{"common"}, {}}},
      {"devicelink", {{"common", "devicelink"}, {}}},
      {"timesync", {{"common", "timesync"}, {}}},
      {"forms", {{"common", "forms"}, {}}},
      {"archive", {{}, {"shell", "app", "cli"}}},
      {"shell", {{}, {"app", "cli"}}},
      {"cli", {{}, {"shell", "app"}}},
      {"app", {{}, {"cli"}}},
      // The set-up views act on the spectrum records; the records know
      // nothing of the set-up.
      {"spectrum", {{}, {"shell", "app", "cli", "setup"}}},
  };
  return rules;
}

// A subsystem reaches the archive only through the files-saved notice in common.
const Rule kSubsystemRule = {{}, {"shell", "app", "cli", "archive"}};

// The virtual instrument speaks the program's frames and reads the same
// register map; nothing else of the device link reaches it.
bool SimMayInclude(const std::string& included) {
  return included == "devicelink/wire_frame.h" || included == "devicelink/register_map.h";
}

bool Allowed(const std::string& from, const std::string& included) {
  const std::string folder = included.substr(0, included.find('/'));
  if (from == "sim") return folder == "sim" || folder == "common" || SimMayInclude(included);
  const auto found = Rules().find(from);
  const Rule& rule = found == Rules().end() ? kSubsystemRule : found->second;
  if (!rule.allowed.empty() && !rule.allowed.contains(folder)) return false;
  return !rule.forbidden.contains(folder);
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
