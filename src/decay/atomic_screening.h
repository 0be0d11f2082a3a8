#pragma once

namespace korva {

// The shift of the electrostatic potential energy at the nucleus caused by
// the atomic electrons of the neutral atom of atomic number `atomZ`, in
// electron masses: V0 = alpha^2 Z sum(A_i alpha_i), from the analytical
// Dirac-Hartree-Fock-Slater screening function phi(r) = sum A_i
// exp(-alpha_i r) (r in Bohr radii) of F. Salvat, J. D. Martinez, R. Mayol
// and J. Parellada, Phys. Rev. A 36 (1987) 467, Table I. Known for the
// emitters of the program's nuclides, H, C, P, S, Cl, Ca, Ni, Sr, Y, Tc, Pm
// and Tl (Z = 1, 6, 15, 16, 17, 20, 28, 38, 39, 43, 61, 81); 0 for others,
// whose spectra (a user's nuclide of another Z) then carry no screening
// correction. Pu (Z = 94) lies beyond the table, which ends at Z = 92, and
// a V0 of about 18 keV would leave the form below without meaning for
// nearly all of Pu-241's spectrum (endpoint 20.8 keV).
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
// Below W' = 1 (kinetic energy under V0: 27 eV for H-3, 1.8 keV for Cl-36,
// 5.5 keV for Sr-90, 11 keV for Pm-147, 17 keV for Tl-204) the form has no
// meaning; there the screened density p W F S is held at its value at the
// threshold, where it is finite, so the spectrum stays continuous.
double ScreeningCorrection(int daughterZ, double w);

// W' = W - V0, the total energy (in electron masses) the electron of total
// energy `w` has near the daughter's nucleus, held at the threshold W' = 1
// below it; `w` where the parent atom's V0 is not known. The electron's
// whole wave there is the unscreened one at W', so the shape factor of a
// forbidden branch takes its electron momentum and Coulomb functions at W'
// as the Fermi function does (Rose 1936; Buehring 1984).
double ScreenedEnergy(int daughterZ, double w);

}  // namespace korva
