#pragma once

namespace korva::sim {

// CODATA 2018 recommended values (E. Tiesinga et al., Rev. Mod. Phys. 93
// (2021) 025010): the electron's rest energy, the fine-structure constant
// and the reduced Compton wavelength hbar / (m c). The atomic unit of
// energy, the hartree, is alpha^2 m c^2.
inline constexpr double kElectronRestKeV = 510.99895000;
inline constexpr double kFineStructure = 1.0 / 137.035999084;
inline constexpr double kReducedComptonFm = 386.15926796;

}  // namespace korva::sim
