#include "devicelink/serial_port_error.h"

#include <cerrno>

#include "devicelink/serial_link.h"

namespace korva {

long ErrorFromErrno(int err) {
  switch (err) {
    case 0:
      return error_code::kSuccess;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return error_code::kFileNotFound;
    case EACCES:
    case EPERM:
      return error_code::kAccessDenied;
    case EBUSY:
    case EWOULDBLOCK:
      return error_code::kPortInUse;
    case ENOTTY:
    case EOPNOTSUPP:
      return error_code::kNotSupported;
    case EINVAL:
      return error_code::kInvalidParameter;
    case EBADF:
      return error_code::kInvalidHandle;
    default:
      return error_code::kSystemErrorFlag | err;
  }
}

}  // namespace korva
