#pragma once

#include <filesystem>
#include <string>

namespace korva {

// Why `path` cannot be opened for reading, in the system's words ("No such
// file or directory", "Permission denied"), "is a folder" or "is not a
// file" (a device, a pipe); "cannot be read" when none of these holds.
// Messages put it after the file's name, so the user sees whether the file
// is missing, a folder or not theirs.
std::string UnreadableReason(const std::filesystem::path& path);

}  // namespace korva
