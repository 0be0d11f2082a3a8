#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korva {

// The value fields of the REGISTERS view: "Value (HEX)", "Value (DEC)" and
// the 16 bit buttons of "Value (BIN)", bit 15 on the left.

inline constexpr int kRegisterBits = 16;
inline constexpr long kUnparsableField = -1;

// The number typed into the hexadecimal field (at most 4 characters) or the
// decimal field (at most 5): blanks anywhere are ignored, an optional sign
// comes first, a hexadecimal number may carry a "0x" prefix, and reading
// stops at the first character that is not a digit. kUnparsableField when
// no digit comes first; a value far out of range is limited so that
// clamping still gives the right end.
long ParseHexField(std::string_view text);
long ParseDecField(std::string_view text);

// Values entered outside 0..65535 are shown and stored clamped.
std::uint16_t ClampRegisterValue(long value);

std::string HexFieldText(std::uint16_t value);  // "%X"
std::string DecFieldText(std::uint16_t value);  // "%d"

// A bit button shows a set bit released with the caption "1" and a clear
// bit pressed with the caption "0".
struct BitButton {
  std::string_view caption;
  bool pressed = false;
};
// Indexed by bit number: element 15 is the leftmost button.
using BitButtons = std::array<BitButton, kRegisterBits>;
using BitButtonStates = std::array<bool, kRegisterBits>;  // true: pressed

BitButtons BitButtonsFor(std::uint16_t value);
// The value the buttons stand for: a released button is a 1 bit.
std::uint16_t ValueFromBitButtons(const BitButtonStates& pressed);
// The value after clicking the button of `bit` (0..15).
std::uint16_t ToggleBit(std::uint16_t value, int bit);

// Everything the value fields show for one value ("show" of the view).
struct RegisterFieldTexts {
  std::uint16_t value = 0;
  std::string dec;
  std::string hex;
  BitButtons bits;
};
RegisterFieldTexts RegisterFieldTextsFor(long value);

}  // namespace korva
