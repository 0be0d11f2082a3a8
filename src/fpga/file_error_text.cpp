#include "fpga/file_error_text.h"

#include <cerrno>

namespace korva {

std::string_view FileErrorText(FileErrorCause cause) {
  switch (cause) {
    case FileErrorCause::kNone:
      return "No error occurred.";
    case FileErrorCause::kGeneric:
      return "An unspecified error occurred.";
    case FileErrorCause::kFileNotFound:
      return "The file could not be located.";
    case FileErrorCause::kBadPath:
      return "All or part of the path is invalid.";
    case FileErrorCause::kTooManyOpenFiles:
      return "The permitted number of open files was exceeded.";
    case FileErrorCause::kAccessDenied:
      return "The file could not be accessed.";
    case FileErrorCause::kInvalidFile:
      return "There was an attempt to use an invalid file handle.";
    case FileErrorCause::kRemoveCurrentDirectory:
      return "The current working directory cannot be removed.";
    case FileErrorCause::kDirectoryFull:
      return "There are no more directory entries.";
    case FileErrorCause::kBadSeek:
      return "There was an error trying to set the file pointer.";
    case FileErrorCause::kHardwareIo:
      return "There was a hardware error.";
    case FileErrorCause::kSharingViolation:
      return "SHARE.EXE was not loaded, or a shared region was locked.";
    case FileErrorCause::kLockViolation:
      return "There was an attempt to lock a region that was already locked.";
    case FileErrorCause::kDiskFull:
      return "The disk is full.";
    case FileErrorCause::kEndOfFile:
      return "The end of file was reached.";
    case FileErrorCause::kTooLarge:
      return "The file is too large to upload.";
    case FileErrorCause::kOther:
      break;
  }
  return "File Error.";
}

FileErrorCause FileErrorCauseFromSystemError(int systemError) {
  switch (systemError) {
    case 0:
      return FileErrorCause::kNone;
    case EINVAL:
    case EFAULT:
      return FileErrorCause::kGeneric;
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return FileErrorCause::kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return FileErrorCause::kBadPath;
    case EMFILE:
    case ENFILE:
      return FileErrorCause::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return FileErrorCause::kAccessDenied;
    case EBADF:
      return FileErrorCause::kInvalidFile;
    case ESPIPE:
    case EOVERFLOW:
      return FileErrorCause::kBadSeek;
    case EIO:
      return FileErrorCause::kHardwareIo;
    case ETXTBSY:
    case EBUSY:
      return FileErrorCause::kSharingViolation;
    case EDEADLK:
    case ENOLCK:
    case EAGAIN:
      return FileErrorCause::kLockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return FileErrorCause::kDiskFull;
    default:
      return FileErrorCause::kOther;
  }
}

}  // namespace korva
