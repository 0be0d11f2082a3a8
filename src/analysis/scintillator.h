#pragma once

#include <string_view>

namespace korva {

// What the stopping power needs to know about a liquid scintillator.
struct Scintillator {
  std::string_view name;
  double densityGPerCm3 = 0.0;
  double electronsPerMass = 0.0;  // <Z/A>, mol of electrons per gram
  double meanExcitationEv = 0.0;
  // The electron-weighted mean atomic number sum(n Z^2) / sum(n Z), for the
  // Z-dependent constant of the low-energy stopping power.
  double meanAtomicNumber = 0.0;
};

// A toluene-based cocktail, taken as toluene C7H8: the solvent is well over
// 95 % of the cocktail's mass, and the solutes change <Z/A> and I by far
// less than the uncertainty of kB does.
inline constexpr int kTolueneCarbonAtoms = 7;
inline constexpr int kTolueneHydrogenAtoms = 8;
inline constexpr double kTolueneDensityGPerCm3 = 0.8669;  // at 20 degrees C
inline constexpr double kTolueneMeanExcitationEv = 62.5;  // ICRU Report 37

Scintillator Toluene();

}  // namespace korva
