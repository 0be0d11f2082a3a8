#pragma once

#include <filesystem>
#include <string>

namespace korva {

// The tool replaces an existing file only when told to (--overwrite), so a
// typing error never destroys earlier results.
// Empty when `path` may be written; otherwise the sentence to print.
std::string ExistingFileRefusal(const std::filesystem::path& path, bool overwrite);

// Whether `a` and `b` name the same file: the same file on disk when both
// exist, else the same absolute path once "." and ".." are resolved.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace korva
