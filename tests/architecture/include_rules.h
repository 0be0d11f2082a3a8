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

// Reads every quoted include of the files under src/ and sim/ of `root`:
//   common                       includes only common
//   devicelink, timesync, forms  include only common and themselves
//   subsystems                   never include shell, app or cli
//   cli                          never includes shell or app
//   shell                        never includes app or cli
//   sim                          includes only common and the wire frames
std::vector<IncludeViolation> FindIncludeViolations(const std::filesystem::path& root);

}  // namespace korva::test
