#include "sim/beta_emitter.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace korva::sim {

namespace {

// Endpoint energies of the nuclear data tables: the recommended data of the
// Decay Data Evaluation Project (LNHB, "Table de Radionucleides", BIPM-5;
// DDEP below) and, where it has none, ENSDF (NNDC). Transitions named in the
// comments set the shape.
constexpr std::array<BetaEmitter, 18> kEmitters = {{
    {Nuclide::kH3, "H-3", 2, 18.591, 3},          // to He-3
    {Nuclide::kC14, "C-14", 7, 156.476, 14},      // to N-14
    {Nuclide::kNi63, "Ni-63", 29, 66.977, 63},    // to Cu-63
    {Nuclide::kS35, "S-35", 17, 167.3, 35},       // to Cl-35
    {Nuclide::kP33, "P-33", 16, 248.5, 33},       // to S-33
    {Nuclide::kP32, "P-32", 16, 1710.7, 32},      // to S-32
    {Nuclide::kPm147, "Pm-147", 62, 224.1, 147},  // to Sm-147
    {Nuclide::kBi207, "Bi-207", 82, 0.0, 207},    // electron capture only: no beta
    // To Sc-45, 7/2- -> 7/2-: DDEP (2012), Q = 258.0(7) keV.
    {Nuclide::kCa45, "Ca-45", 21, 258.0, 45},
    // To Ar-36, 2+ -> 0+ (98.1 % of decays, decay_scheme.cpp): DDEP, Q = 709.53(4) keV.
    {Nuclide::kCl36, "Cl-36", 18, 709.53, 36, BetaShape::kSecondForbiddenNonUnique},
    // To Y-89, 5/2+ -> 1/2-: DDEP, Q = 1495.1(22) keV.
    {Nuclide::kSr89, "Sr-89", 39, 1495.1, 89, BetaShape::kFirstForbiddenUnique},
    // To Y-90, 0+ -> 2-: DDEP, Q = 545.9(14) keV.
    {Nuclide::kSr90, "Sr-90", 39, 545.9, 90, BetaShape::kFirstForbiddenUnique},
    // To Zr-90, 2- -> 0+ (99.98 % to the ground state): DDEP (2015), Q = 2278.7(16) keV.
    {Nuclide::kY90, "Y-90", 40, 2278.7, 90, BetaShape::kFirstForbiddenUnique},
    // Sr-90's branch; Y-90's comes with it (decay_scheme.cpp).
    {Nuclide::kSr90Y90, "Sr-90+Y-90", 39, 545.9, 90, BetaShape::kFirstForbiddenUnique},
    // To Ru-99, 9/2+ -> 5/2+: ENSDF, Q = 297.5(9) keV (AME).
    {Nuclide::kTc99, "Tc-99", 44, 297.5, 99, BetaShape::kSecondForbiddenNonUnique},
    // To Am-241, 5/2+ -> 5/2- first forbidden non-unique, whose shape is close
    // to the allowed one at so low an endpoint: DDEP, Q = 20.8(2) keV.
    {Nuclide::kPu241, "Pu-241", 95, 20.8, 241},
    // To Pb-204, 2- -> 0+ (97.08 % of decays, decay_scheme.cpp): DDEP, Q = 763.72(18) keV.
    {Nuclide::kTl204, "Tl-204", 82, 763.72, 204, BetaShape::kFirstForbiddenUnique},
    // Electron capture to Mn-55 only (decay_scheme.cpp).
    {Nuclide::kFe55, "Fe-55", 25, 0.0, 55},
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
