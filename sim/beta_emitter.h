#pragma once

#include <span>
#include <string_view>

namespace korva::sim {

// A nuclide the virtual vial can hold: the daughter's charge and the
// endpoint energy of its beta branch (0 for Bi-207, which has none and
// gives conversion electrons instead, conversion_electrons.h).
struct BetaEmitter {
  std::string_view name;
  int daughterZ = 0;
  double endpointKeV = 0.0;
};

std::span<const BetaEmitter> BetaEmitters();

// The emitter of that exact name ("H-3"); nullptr for any other.
const BetaEmitter* FindBetaEmitter(std::string_view name);

}  // namespace korva::sim
