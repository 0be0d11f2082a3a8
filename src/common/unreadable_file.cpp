#include "common/unreadable_file.h"

#include <cerrno>
#include <fstream>
#include <system_error>

namespace korva {

namespace {

std::string UnreadableReason(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return "is a folder";
  errno = 0;
  const std::ifstream probe(path, std::ios::binary);
  if (!probe.is_open() && errno != 0) return std::generic_category().message(errno);
  if (!std::filesystem::is_regular_file(path, error)) return "is not a file (a device or a pipe)";
  return "cannot be read";
}

}  // namespace

std::string UnreadableFile(const std::filesystem::path& path) {
  return path.string() + ": " + UnreadableReason(path);
}

}  // namespace korva
