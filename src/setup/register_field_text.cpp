#include "setup/register_field_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

namespace korva {

namespace {

constexpr long kRegisterMax = 0xFFFF;
// Far enough beyond 65535 that a limited value still clamps to it.
constexpr long kParseLimit = 0x100000;

std::optional<int> DigitValue(char c, int base) {
  const int lower = std::tolower(static_cast<unsigned char>(c));
  int digit = base;
  if (lower >= '0' && lower <= '9') digit = lower - '0';
  if (lower >= 'a' && lower <= 'f') digit = lower - 'a' + 10;
  if (digit >= base) return std::nullopt;
  return digit;
}

long ParseField(std::string_view typed, int base) {
  std::string text;
  for (const char c : typed) {
    if (!std::isspace(static_cast<unsigned char>(c))) text.push_back(c);
  }
  std::string_view rest = text;
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  if (base == 16 && rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X') &&
      DigitValue(rest[2], base)) {
    rest.remove_prefix(2);
  }
  long value = 0;
  bool anyDigit = false;
  for (const char c : rest) {
    const auto digit = DigitValue(c, base);
    if (!digit) break;
    anyDigit = true;
    value = std::min(kParseLimit, value * base + *digit);
  }
  if (!anyDigit) return kUnparsableField;
  return negative ? -value : value;
}

}  // namespace

long ParseHexField(std::string_view text) { return ParseField(text, 16); }
long ParseDecField(std::string_view text) { return ParseField(text, 10); }

std::uint16_t ClampRegisterValue(long value) {
  return static_cast<std::uint16_t>(std::clamp(value, 0L, kRegisterMax));
}

std::string HexFieldText(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
  return text;
}

std::string DecFieldText(std::uint16_t value) { return std::to_string(value); }

BitButtons BitButtonsFor(std::uint16_t value) {
  BitButtons buttons;
  for (int bit = 0; bit < kRegisterBits; ++bit) {
    const bool set = (value >> bit) & 1u;
    buttons[static_cast<std::size_t>(bit)] = {set ? "1" : "0", !set};
  }
  return buttons;
}

std::uint16_t ValueFromBitButtons(const BitButtonStates& pressed) {
  unsigned value = 0;
  for (int bit = 0; bit < kRegisterBits; ++bit) {
    if (!pressed[static_cast<std::size_t>(bit)]) value |= 1u << bit;
  }
  return static_cast<std::uint16_t>(value);
}

std::uint16_t ToggleBit(std::uint16_t value, int bit) {
  return static_cast<std::uint16_t>(value ^ (1u << (bit & (kRegisterBits - 1))));
}

RegisterFieldTexts RegisterFieldTextsFor(long value) {
  RegisterFieldTexts texts;
  texts.value = ClampRegisterValue(value);
  texts.dec = DecFieldText(texts.value);
  texts.hex = HexFieldText(texts.value);
  texts.bits = BitButtonsFor(texts.value);
  return texts;
}

}  // namespace korva
