#include "spectrum/analyser_input.h"

namespace korva {

namespace {

constexpr std::size_t kAmplifierRegister = 18;
constexpr std::size_t kMcaInputRegister = 83;
constexpr std::uint16_t kInputEBit = 1u << 15;
constexpr std::uint16_t kPhaModeBit = 1u << 14;
constexpr std::size_t kInputE = 8;
constexpr std::size_t kFirstPhaInput = 4;

}  // namespace

std::size_t AnalyserInputIndex(const std::array<std::uint16_t, wire::kRegisterCount>& registers) {
  if ((registers[kAmplifierRegister] & kInputEBit) != 0) return kInputE;
  const std::size_t pmt = registers[kMcaInputRegister] & 3u;
  return (registers[kAmplifierRegister] & kPhaModeBit) != 0 ? kFirstPhaInput + pmt : pmt;
}

void SelectAnalyserInput(std::array<std::uint16_t, wire::kRegisterCount>& registers, std::size_t index) {
  if (index >= kMcaInputTexts.size()) return;
  std::uint16_t& amplifier = registers[kAmplifierRegister];
  amplifier = static_cast<std::uint16_t>(amplifier & ~unsigned{kInputEBit | kPhaModeBit});
  if (index == kInputE) {
    amplifier = static_cast<std::uint16_t>(amplifier | kInputEBit);
    return;
  }
  if (index >= kFirstPhaInput) amplifier = static_cast<std::uint16_t>(amplifier | kPhaModeBit);
  std::uint16_t& input = registers[kMcaInputRegister];
  input = static_cast<std::uint16_t>((input & ~3u) | (index % kFirstPhaInput));
}

std::optional<std::size_t> AnalyserInputNamed(std::string_view name) {
  const auto trimmed = [](std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
  };
  for (std::size_t index = 0; index < kMcaInputTexts.size(); ++index) {
    if (trimmed(kMcaInputTexts[index]) == trimmed(name) && !trimmed(name).empty()) return index;
  }
  return std::nullopt;
}

bool SelectsLowerHalf(const std::array<std::uint16_t, wire::kRegisterCount>& registers) {
  return (registers[kAmplifierRegister] & kInputEBit) != 0;
}

}  // namespace korva
