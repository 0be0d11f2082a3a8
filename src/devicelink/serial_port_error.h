#pragma once

#include <string>
#include <vector>

namespace korva {

// Codes the serial port returns besides those of serial_link.h. Like those,
// they keep the numbers of the system codes of the original platform, so a
// code reads the same in every log; a system error that has no such
// counterpart is returned as kSystemErrorFlag | errno, which never collides
// with them.
namespace error_code {
inline constexpr long kFileNotFound = 2;       // no such device
inline constexpr long kAccessDenied = 5;       // no permission to open the device
inline constexpr long kPortInUse = 32;         // another process or port object holds the port
inline constexpr long kNotSupported = 50;      // the device has no such operation
inline constexpr long kInvalidParameter = 87;  // a setting the driver or the port rejects
inline constexpr long kSystemErrorFlag = 0x20000000;
}  // namespace error_code

// The program's code for the system error `err` (an errno value).
long ErrorFromErrno(int err);

// The system's text for a code the serial port returned ("Permission
// denied").
std::string SerialErrorText(long code);

// What the program shows, and logs line by line, when `device` does not
// open with `code`: "Unable to open COM-port", then the device and the
// system's reason, and for a permission error the fix on a Debian system,
// naming the group that owns the device.
std::vector<std::string> OpenFailureLines(const std::string& device, long code);

}  // namespace korva
