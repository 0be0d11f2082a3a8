#include "spectrum/amplifier_gain.h"

#include <algorithm>
#include <cmath>

#include "common/format_text.h"
#include "common/numeric_entry.h"
#include "devicelink/register_map.h"

namespace korva {

namespace {

constexpr double kFineSpan = 0.2;
constexpr double kHighestTypedFactor = 1.2000001;

}  // namespace

std::vector<CoarseGainEntry> BuildCoarseGainTable() {
  std::vector<CoarseGainEntry> table;
  double factor = 1.0;
  for (int i = 0; i < kCoarseGainSteps; ++i) {
    table.push_back({static_cast<std::uint16_t>(i), factor});
    factor *= std::sqrt(2.0);
  }
  return table;
}

std::string CoarseGainText(double factor) { return FormatText("%10.2f", factor); }

int CoarseIndexOfRegister(const std::vector<CoarseGainEntry>& table, std::uint16_t register18, int steps) {
  const unsigned code = register18 & static_cast<unsigned>(steps - 1);
  int found = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].code == code) found = static_cast<int>(i);
  }
  return found;
}

// The mask (-steps) AND the compose mask clears the code bits of a power-of-two step
// count together with bits 5-7.
std::uint16_t ComposeRegister18(std::uint16_t register18, std::uint16_t coarseCode, int steps, bool inputE,
                                bool pha) {
  const unsigned mask = static_cast<unsigned>(-steps) & reg::amplifier::kComposeMask;
  unsigned value = (register18 & mask) | (coarseCode & static_cast<unsigned>(steps - 1));
  value = inputE ? value | reg::amplifier::kInputE : value & ~unsigned{reg::amplifier::kInputE};
  value = pha ? value | reg::amplifier::kPhaMode : value & ~unsigned{reg::amplifier::kPhaMode};
  return static_cast<std::uint16_t>(value);
}

int ClampFine(int fine) { return std::clamp(fine, 0, kMaxFine); }

double FineFactor(int fine) { return ClampFine(fine) * kFineSpan / kMaxFine + 1.0; }

std::uint16_t FineRegister(int fine) {
  return static_cast<std::uint16_t>(static_cast<unsigned>(kMaxFine - ClampFine(fine)) * reg::kFineScale);
}

int FineOfRegister(std::uint16_t register17) {
  return kMaxFine - register17 / static_cast<int>(reg::kFineScale);
}

std::string GainText(double factor) { return FormatText("%5.5f", factor); }

std::optional<int> FineOfTypedFactor(std::string_view text) {
  const std::optional<double> factor = ParseNumericEntry(text);
  if (!factor || *factor < 1.0 || *factor >= kHighestTypedFactor) return std::nullopt;
  return ClampFine(static_cast<int>(TruncateEntry((*factor - 1.0) * kMaxFine / kFineSpan)));
}

}  // namespace korva
