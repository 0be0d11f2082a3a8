#include "sim/beta_emitter.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace korva::sim {

namespace {

// Endpoint energies of the nuclear data tables.
constexpr std::array<BetaEmitter, 8> kEmitters = {{
    {Nuclide::kH3, "H-3", 2, 18.591, 3},          // to He-3
    {Nuclide::kC14, "C-14", 7, 156.476, 14},      // to N-14
    {Nuclide::kNi63, "Ni-63", 29, 66.977, 63},    // to Cu-63
    {Nuclide::kS35, "S-35", 17, 167.3, 35},       // to Cl-35
    {Nuclide::kP33, "P-33", 16, 248.5, 33},       // to S-33
    {Nuclide::kP32, "P-32", 16, 1710.7, 32},      // to S-32
    {Nuclide::kPm147, "Pm-147", 62, 224.1, 147},  // to Sm-147
    {Nuclide::kBi207, "Bi-207", 82, 0.0, 207},    // electron capture only: no beta
}};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::span<const BetaEmitter> BetaEmitters() { return kEmitters; }

const BetaEmitter* FindBetaEmitter(std::string_view name) {
  const auto found = std::ranges::find(kEmitters, name, &BetaEmitter::name);
  return found == kEmitters.end() ? nullptr : &*found;
}

const BetaEmitter& EmitterOf(Nuclide nuclide) {
  const auto found = std::ranges::find(kEmitters, nuclide, &BetaEmitter::nuclide);
  return found == kEmitters.end() ? kEmitters[0] : *found;
}

std::string_view NuclideName(Nuclide nuclide) { return EmitterOf(nuclide).name; }

std::optional<Nuclide> NuclideOfName(std::string_view name) {
  for (const BetaEmitter& emitter : kEmitters) {
    if (SameIgnoringCase(name, emitter.name)) return emitter.nuclide;
  }
  return std::nullopt;
}

}  // namespace korva::sim
