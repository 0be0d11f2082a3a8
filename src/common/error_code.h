#pragma once

namespace korva {

// The program's own error codes for port and socket operations. They keep
// the numbers of the system codes the instrument's users know from the
// original platform.
namespace error_code {
inline constexpr long kSuccess = 0;
inline constexpr long kInvalidHandle = 6;          // operation on a closed port
inline constexpr long kAlreadyInitialized = 1247;  // open on an open port
inline constexpr long kTimeout = 1460;             // write did not finish in time
inline constexpr long kSocketTimedOut = 10060;     // no answer from a time server
}  // namespace error_code

}  // namespace korva
