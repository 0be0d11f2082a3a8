#pragma once

#include <filesystem>
#include <string>

namespace korva {

// The file and why it cannot be opened for reading, as messages print it:
// "<path>: <reason>", the reason in the system's words ("No such file or
// directory", "Permission denied"), "is a folder" or "is not a file (a
// device or a pipe)"; "cannot be read" when none of these holds. The user
// sees whether the file is missing, a folder or not theirs.
std::string UnreadableFile(const std::filesystem::path& path);

}  // namespace korva
