#include "fpga/design_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>

namespace korva {

namespace {

constexpr std::size_t kReadChunk = 65536;

// Reads to the end of `descriptor`, stopping one byte past the limit.
FileErrorCause ReadAll(int descriptor, std::vector<std::uint8_t>& bytes) {
  for (;;) {
    const std::size_t at = bytes.size();
    bytes.resize(at + kReadChunk);
    const ssize_t got = ::read(descriptor, bytes.data() + at, kReadChunk);
    const int error = errno;
    bytes.resize(at + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (got < 0 && error == EINTR) continue;
    if (got < 0) return FileErrorCauseFromSystemError(error);
    if (got == 0) return FileErrorCause::kNone;
    if (bytes.size() > kMaxDesignBytes) return FileErrorCause::kTooLarge;
  }
}

}  // namespace

bool HasKbfExtension(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  return extension.size() == 4 && std::equal(extension.begin(), extension.end(), ".kbf", [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

DesignFileRead ReadDesignFile(const std::filesystem::path& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return {std::nullopt, FileErrorCauseFromSystemError(errno)};
  DesignFile design{path, HasKbfExtension(path), {}};
  const FileErrorCause cause = ReadAll(descriptor, design.bytes);
  ::close(descriptor);
  if (cause != FileErrorCause::kNone) return {std::nullopt, cause};
  return {std::move(design), FileErrorCause::kNone};
}

}  // namespace korva
