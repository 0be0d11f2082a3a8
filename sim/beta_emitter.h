#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace korva::sim {

// What the virtual vial can hold: beta emitters, and Bi-207, a source of
// mono-energetic conversion electrons for calibrating the energy axis.
enum class Nuclide { kH3, kC14, kNi63, kS35, kP33, kP32, kPm147, kBi207 };

// A nuclide of the vial: the daughter's charge, the endpoint energy of its
// beta branch, and the mass number (0 for Bi-207, which has none and gives conversion
// electrons instead, conversion_electrons.h). The one table both the
// analyser's vial and the TDCR counter's draw from.
struct BetaEmitter {
  Nuclide nuclide = Nuclide::kH3;
  std::string_view name;
  int daughterZ = 0;
  double endpointKeV = 0.0;
  int massNumber = 0;
};

std::span<const BetaEmitter> BetaEmitters();

// The emitter of that exact name ("H-3"); nullptr for any other.
const BetaEmitter* FindBetaEmitter(std::string_view name);
const BetaEmitter& EmitterOf(Nuclide nuclide);

// "H-3", "C-14", ...
std::string_view NuclideName(Nuclide nuclide);
// The nuclide of a name as NuclideName writes it, case ignored; none for
// any other text.
std::optional<Nuclide> NuclideOfName(std::string_view name);

}  // namespace korva::sim
