#pragma once

#include <string_view>

namespace korva {

// Why a design file could not be read, as the FPGA log names it after
// "FILE ERROR: ".
enum class FileErrorCause {
  kNone,
  kGeneric,
  kFileNotFound,
  kBadPath,
  kTooManyOpenFiles,
  kAccessDenied,
  kInvalidFile,
  kRemoveCurrentDirectory,
  kDirectoryFull,
  kBadSeek,
  kHardwareIo,
  kSharingViolation,
  kLockViolation,
  kDiskFull,
  kEndOfFile,
  kTooLarge,  // larger than any design the flash could hold
  kOther,
};

std::string_view FileErrorText(FileErrorCause cause);

// The cause for a system error code (errno) of an open or read.
FileErrorCause FileErrorCauseFromSystemError(int systemError);

}  // namespace korva
