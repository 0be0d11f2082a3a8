#pragma once

#include <filesystem>
#include <optional>

#include "archive/archive_entry.h"

namespace korva {

// The SHA-256 and size of the file at `path` as it is now; none when it
// cannot be read.
std::optional<ArchivedFile> HashFile(const std::filesystem::path& path);

// The name the archive knows the file at `path` by: absolute, without "."
// and ".." steps.
std::string ArchivedPath(const std::filesystem::path& path);

enum class FileState { kUnchanged, kMissing, kChanged };

// Whether the file still is what was archived.
FileState CheckArchivedFile(const ArchivedFile& file);

}  // namespace korva
