#include "spectrum/analyser_input.h"

#include "devicelink/register_map.h"

namespace korva {

namespace {

constexpr std::size_t kInputE = 8;
constexpr std::size_t kFirstPhaInput = 4;

}  // namespace

std::size_t AnalyserInputIndex(const std::array<std::uint16_t, wire::kRegisterCount>& registers) {
  if ((registers[reg::kAmplifier] & reg::amplifier::kInputE) != 0) return kInputE;
  const std::size_t pmt = registers[reg::kTdcrControl] & reg::tdcr_control::kMcaInputMask;
  return (registers[reg::kAmplifier] & reg::amplifier::kPhaMode) != 0 ? kFirstPhaInput + pmt : pmt;
}

void SelectAnalyserInput(std::array<std::uint16_t, wire::kRegisterCount>& registers, std::size_t index) {
  if (index >= kMcaInputTexts.size()) return;
  std::uint16_t& amplifier = registers[reg::kAmplifier];
  amplifier =
      static_cast<std::uint16_t>(amplifier & ~unsigned{reg::amplifier::kInputE | reg::amplifier::kPhaMode});
  if (index == kInputE) {
    amplifier = static_cast<std::uint16_t>(amplifier | reg::amplifier::kInputE);
    return;
  }
  if (index >= kFirstPhaInput) amplifier = static_cast<std::uint16_t>(amplifier | reg::amplifier::kPhaMode);
  std::uint16_t& input = registers[reg::kTdcrControl];
  input = static_cast<std::uint16_t>((input & ~unsigned{reg::tdcr_control::kMcaInputMask}) |
                                     (index % kFirstPhaInput));
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
  return (registers[reg::kAmplifier] & reg::amplifier::kInputE) != 0;
}

}  // namespace korva
