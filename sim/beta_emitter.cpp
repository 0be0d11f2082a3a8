#include "sim/beta_emitter.h"

#include <algorithm>
#include <array>

namespace korva::sim {

namespace {

// Endpoint energies of the nuclear data tables, rounded to what a vial's
// spectrum can tell apart.
constexpr std::array<BetaEmitter, 8> kEmitters = {{
    {"H-3", 2, 18.59},
    {"C-14", 7, 156.48},
    {"Ni-63", 29, 66.98},
    {"S-35", 17, 167.3},
    {"P-33", 16, 248.5},
    {"P-32", 16, 1710.7},
    {"Pm-147", 62, 224.1},
    {"Bi-207", 82, 0.0},
}};

}  // namespace

std::span<const BetaEmitter> BetaEmitters() { return kEmitters; }

const BetaEmitter* FindBetaEmitter(std::string_view name) {
  const auto found = std::ranges::find(kEmitters, name, &BetaEmitter::name);
  return found == kEmitters.end() ? nullptr : &*found;
}

}  // namespace korva::sim
