#pragma once

#include <cstdint>

namespace korva {

// Bits of the event word a serial port notification carries.
namespace serial_event {
inline constexpr std::uint16_t kCharactersReceived = 0x0001;
inline constexpr std::uint16_t kBreak = 0x0040;
inline constexpr std::uint16_t kLineStatusError = 0x0080;
// What an open port reports until the program narrows it.
inline constexpr std::uint16_t kDefaultMask = kCharactersReceived | kBreak | kLineStatusError;
// What the program listens to once connected.
inline constexpr std::uint16_t kProgramMask = kCharactersReceived | kLineStatusError;
}  // namespace serial_event

// Bits of the line-error word: which receive errors occurred since the last
// notification.
namespace line_error {
inline constexpr std::uint16_t kReceiveQueueOverflow = 0x0001;
inline constexpr std::uint16_t kOverrun = 0x0002;
inline constexpr std::uint16_t kParity = 0x0004;
inline constexpr std::uint16_t kFraming = 0x0008;
inline constexpr std::uint16_t kBreak = 0x0010;
}  // namespace line_error

}  // namespace korva
