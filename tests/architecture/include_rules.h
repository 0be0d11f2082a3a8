#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korva::test {

// One "#include "folder/file"" that the folders' dependency table forbids.
struct IncludeViolation {
  std::string file;  // relative to the source root
  int line = 0;
  std::string included;
  std::string Describe() const { return file + ":" + std::to_string(line) + " includes " + included; }
};

// Reads every quoted include of the files under src/ and sim/ of `root` and
// names each that breaks the folders' order: a folder includes only folders
// below it (common at the bottom, then the shared services, the subsystems,
// the archive, the window and the tool, the program's main), never one of
// its own level or above, so no two folders depend on each other. A folder
// missing from the order includes nothing outside itself. The virtual
// instrument includes only common and the wire frames.
std::vector<IncludeViolation> FindIncludeViolations(const std::filesystem::path& root);

}  // namespace korva::test
