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

bool SelectsLowerHalf(const std::array<std::uint16_t, wire::kRegisterCount>& registers) {
  return (registers[kAmplifierRegister] & kInputEBit) != 0;
}

}  // namespace korva
