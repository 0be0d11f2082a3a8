#pragma once

#include <span>
#include <string_view>

namespace korva {

// How the spectrum of a beta transition departs from the allowed shape.
enum class Forbiddenness {
  kAllowed,
  // First forbidden non-unique, taken with the allowed shape (the xi
  // approximation): it holds when the Coulomb energy at the nuclear surface
  // is large compared with the endpoint energy, as for Pm-147.
  kFirstForbiddenNonUnique,
  // First forbidden unique: shape factor q^2 + p^2 (neutrino and electron
  // momenta, lambda_2 = 1).
  kFirstForbiddenUnique,
};

// An experimental shape factor 1 + a W + b / W + c W^2 on top of the shape of
// the forbiddenness, W the electron's total energy in electron masses.
struct ShapeFactor {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
};

// A pure beta-minus emitter whose single branch goes to the daughter's
// ground state.
struct Nuclide {
  std::string_view name;  // "H-3"
  int daughterZ = 0;
  int massNumber = 0;
  double endpointKeV = 0.0;
  double halfLifeSeconds = 0.0;
  double halfLifeUncertaintySeconds = 0.0;  // standard uncertainty
  Forbiddenness forbiddenness = Forbiddenness::kAllowed;
  ShapeFactor shape;
};

std::span<const Nuclide> KnownNuclides();

// The nuclide of that name, compared without regard to case ("h-3" finds
// H-3); nullptr when the program does not know it.
const Nuclide* FindNuclide(std::string_view name);

// "H-3, C-14, ..." for messages.
std::string_view KnownNuclideNames();

}  // namespace korva
