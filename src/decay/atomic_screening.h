#pragma once

namespace korva {

// The shift of the electrostatic potential energy at the nucleus caused by
// the atomic electrons of the neutral atom of atomic number `atomZ`, in
// electron masses: V0 = alpha^2 Z sum(A_i alpha_i), from the analytical
// Dirac-Hartree-Fock-Slater screening function phi(r) = sum A_i
// exp(-alpha_i r) (r in Bohr radii) of F. Salvat, J. D. Martinez, R. Mayol
// and J. Parellada, Phys. Rev. A 36 (1987) 467, Table I. Known for the
// emitters H, C, P, S, Ni and Pm (Z = 1, 6, 15, 16, 28, 61); 0 for others,
// whose spectra (Cl-36, Ca-45, Sr, Y, Tc-99, Tl-204, Pu-241, a user's
// nuclide) then carry no screening correction.
double ScreeningPotential(int atomZ);

// The atomic screening correction to the beta-minus spectrum, the factor on
// the unscreened Fermi function, in Rose's form as written by L. Hayen et
// al., Rev. Mod. Phys. 90 (2018) 015008, Sec. IV.C (after M. E. Rose, Phys.
// Rev. 49 (1936) 727, and W. Buehring, Nucl. Phys. A 430 (1984) 1):
//
//   S = (W' / W) (p' / p)^(2 g - 1) exp(pi (y' - y))
//       |Gamma(g + i y')|^2 / |Gamma(g + i y)|^2
//
// with W' = W - V0, p' = sqrt(W'^2 - 1), y = alpha Z W / p, y' = alpha Z W'
// / p', g = sqrt(1 - (alpha Z)^2), Z the daughter's charge and V0 the
// potential of the parent atom's Z - 1 electrons, which the daughter keeps
// at the moment of the decay.
//
// Below W' = 1 (kinetic energy under V0: 27 eV for H-3, 0.6 keV for Pm-147)
// the form has no meaning; there the screened density p W F S is held at
// its value at the threshold, where it is finite, so the spectrum stays
// continuous. Those electrons make too little light to be counted.
double ScreeningCorrection(int daughterZ, double w);

}  // namespace korva
