#include "cli/output_files.h"

#include <system_error>

namespace korva {

std::string ExistingFileRefusal(const std::filesystem::path& path, bool overwrite) {
  std::error_code error;
  if (overwrite || !std::filesystem::exists(path, error)) return {};
  return "File already exists: " + path.string() + " (use --overwrite to replace it)";
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  const std::filesystem::path left = std::filesystem::weakly_canonical(a, error);
  if (error) return false;
  return left == std::filesystem::weakly_canonical(b, error) && !error;
}

}  // namespace korva
