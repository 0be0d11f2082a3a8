#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/stopping_power.h"

namespace korva {

// Birks' constant kB in cm/MeV: the program's default, the range it accepts
// from a user, and the standard uncertainty the budget gives it.
inline constexpr double kDefaultKb = 0.010;
inline constexpr double kMinKb = 0.005;
inline constexpr double kMaxKb = 0.020;
inline constexpr double kKbStandardUncertainty = 0.002;

// Empty when a user's kB lies in [kMinKb, kMaxKb]; otherwise the message
// that refuses it. A value outside the range is refused, never clamped: a
// quietly changed kB would change the activity without the user knowing.
std::optional<std::string> KbRangeError(double kb);

// The quenched (light-equivalent) energy of an electron that stops in the
// scintillator, by Birks' law:
//
//   Q(E) = integral from 0 to E of dE' / (1 + kB dE/dx(E'))
//
// in keV, for every energy of `energiesKeV` (increasing from 0), integrated
// piece by piece between the energies with 4-point Gauss-Legendre. Any
// kB >= 0 is taken; kB = 0 gives Q = E.
std::vector<double> QuenchedEnergiesKeV(const StoppingPower& stopping, double kb,
                                        std::span<const double> energiesKeV);

double QuenchedEnergyKeV(const StoppingPower& stopping, double kb, double energyKeV);

}  // namespace korva
