#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "fpga/file_error_text.h"

namespace korva {

// A design chosen for the configuration flash, read whole when the
// transfer opens it. A .kbf file carries a header and is sent as it is; any
// other file is a raw image whose bytes are bit-reversed on the way.
struct DesignFile {
  std::filesystem::path path;
  bool kbf = false;
  std::vector<std::uint8_t> bytes;

  std::span<const std::uint8_t> Bytes() const { return bytes; }
};

// Larger than any configuration flash the instrument has, by far; the
// transfer's 32-bit addresses stay well inside their range.
inline constexpr std::size_t kMaxDesignBytes = std::size_t{64} << 20;

// True when the file name's extension is "kbf", in any case.
bool HasKbfExtension(const std::filesystem::path& path);

struct DesignFileRead {
  std::optional<DesignFile> design;
  FileErrorCause cause = FileErrorCause::kNone;  // why `design` is empty
};

// Reads the whole file at `path`.
DesignFileRead ReadDesignFile(const std::filesystem::path& path);

}  // namespace korva
