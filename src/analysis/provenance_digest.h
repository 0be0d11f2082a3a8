#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace korva {

// What a file is, byte for byte: the SHA-256 of its bytes as 64 lower-case
// hex digits, and its size.
struct FileDigest {
  std::string sha256;
  std::int64_t size = 0;
};

// The digest of the file at `path` as it is now; none when it cannot be
// read. Results name their inputs by it and the archive its files.
std::optional<FileDigest> DigestOfFile(const std::filesystem::path& path);

}  // namespace korva
