#pragma once

namespace korva {

// Electron rest energy in keV and the fine-structure constant, shared by the
// spectrum and the stopping power.
inline constexpr double kElectronRestKeV = 510.998950;
inline constexpr double kFineStructure = 1.0 / 137.035999084;

// The relativistic Fermi function of a beta-minus decay to a daughter of
// charge `daughterZ` and mass number `massNumber`, for an electron of total
// energy `w` (in electron masses, w > 1):
//
//   F = 2 (1 + g) (2 p R)^(2 (g - 1)) exp(pi eta) |Gamma(g + i eta)|^2 / Gamma(2 g + 1)^2
//
// with g = sqrt(1 - (alpha Z)^2), p = sqrt(w^2 - 1), eta = alpha Z w / p and
// the nuclear radius R = 1.2 fm A^(1/3) in units of the reduced Compton
// wavelength. Evaluated in logarithms, so the steep rise towards p = 0 never
// overflows; F p stays finite there.
double FermiFunction(int daughterZ, int massNumber, double w);

}  // namespace korva
