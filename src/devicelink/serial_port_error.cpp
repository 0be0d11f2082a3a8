#include "devicelink/serial_port_error.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

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

namespace {

// The errno value behind one of the program's codes.
int ErrnoOf(long code) {
  if ((code & error_code::kSystemErrorFlag) != 0)
    return static_cast<int>(code & ~error_code::kSystemErrorFlag);
  switch (code) {
    case error_code::kFileNotFound:
      return ENOENT;
    case error_code::kAccessDenied:
      return EACCES;
    case error_code::kPortInUse:
      return EBUSY;
    case error_code::kNotSupported:
      return ENOTTY;
    case error_code::kInvalidParameter:
      return EINVAL;
    case error_code::kInvalidHandle:
      return EBADF;
    default:
      return static_cast<int>(code);
  }
}

// The reentrant lookups, so that no other thread's lookup can overwrite the
// entry; a name that does not fit the buffer is given as its number.
constexpr std::size_t kLookupBytes = 16384;

std::string GroupName(gid_t gid) {
  group entry{};
  group* found = nullptr;
  std::vector<char> buffer(kLookupBytes);
  ::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found);
  return found != nullptr ? found->gr_name : std::to_string(gid);
}

std::string UserName(uid_t uid) {
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(kLookupBytes);
  ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found);
  return found != nullptr ? found->pw_name : std::to_string(uid);
}

// Members of the owning group may open the device once they log in again;
// a device its group may not read and write needs its mode changed first,
// which Debian's udev rules do for serial adapters (group dialout, 660).
std::string PermissionFix(const std::string& device) {
  struct stat status {};
  if (::stat(device.c_str(), &status) != 0) {
    return "Serial ports belong to the group \"dialout\": add your user to it (sudo adduser $USER dialout), "
           "then log out and log in again.";
  }
  const std::string group = GroupName(status.st_gid);
  const std::string join = "add your user to the group \"" + group + "\" (sudo adduser $USER " + group +
                           "), then log out and log in again.";
  if ((status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
    return device + " belongs to the group \"" + group + "\": " + join;
  }
  return device + " may be opened by its owner \"" + UserName(status.st_uid) + "\" only: give the group \"" +
         group + "\" read and write access to it (sudo chmod g+rw " + device + ") and " + join;
}

}  // namespace

// The system's text for the error, as strerror() gives it, from any thread
// (GNU strerror_r returns the text, in the buffer or a static one).
std::string SerialErrorText(long code) {
  std::array<char, 256> buffer{};
  return ::strerror_r(ErrnoOf(code), buffer.data(), buffer.size());
}

std::vector<std::string> OpenFailureLines(const std::string& device, long code) {
  std::vector<std::string> lines = {
      "Unable to open COM-port",
      (device.empty() ? std::string("(no port chosen)") : device) + ": " + SerialErrorText(code)};
  if (code == error_code::kAccessDenied) lines.push_back(PermissionFix(device));
  return lines;
}

}  // namespace korva
