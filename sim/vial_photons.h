#pragma once

#include <random>

namespace korva::sim {

// The virtual vial's cocktail for photons: 10 mL standing in a standard
// 20 mL glass scintillation vial of 25.4 mm inside diameter, so 1.97 cm
// high.
inline constexpr double kVialInnerRadiusCm = 1.27;
inline constexpr double kVialFillingMl = 10.0;

// Whether a photon born at a uniformly drawn point of the cocktail, in an
// isotropically drawn direction, interacts before it leaves the liquid
// through the wall, the bottom or the free surface: its free path, drawn
// from the exponential law of attenuation coefficient `muPerCm` (1/cm),
// falls short of the path to the surface. The glass around the liquid
// sends nothing back.
bool PhotonStopsInVial(double muPerCm, std::mt19937& random);

}  // namespace korva::sim
