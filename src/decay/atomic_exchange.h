#pragma once

namespace korva {

// Whether a beta spectrum carries the atomic exchange correction; the
// budget compares the two to bound what the correction's form is worth.
enum class AtomicExchange {
  kIncluded,
  kLeftOut,
};

// The atomic exchange correction to the beta-minus spectrum: the emitted
// electron may take the place of a bound electron of the daughter atom,
// which makes low-energy electrons more likely.
//
// The analytical form of O. Nitescu, S. Stoica and F. Simkovic, Phys. Rev.
// C 107 (2023) 025501, Eq. (34), fitted there to their Dirac-Hartree-Fock-
// Slater calculation with continuum and bound states kept orthogonal, for
// the beta emitters of atomic number Z = 1 to 102:
//
//   X = 1 + (a + b x^c) exp(-d x^e)
//
// with x the kinetic energy in keV and a to e the parameters of the
// emitter's Z (the rows start at Z = 1, which can only be the tritium atom:
// a decaying free neutron has no atomic electron to exchange with). Their systematic results go down to 5 eV;
// below it X is held at its 5 eV value. The program carries the parameters of Z = 1, 2, 6, 7, 15, 16, 17, 28,
// 29, 61 and 62 (its nuclides' emitters and daughters); for any other Z the correction is 1.
//
// For tritium (Z = 1) X is 1.005 at 1 keV, 1.15 at 0.1 keV and 3.4 at
// 5 eV. The earlier fit of L. Hayen et al., Rev. Mod. Phys. 90 (2018)
// 015008, gives no tritium correction at all (its He row stays within 1e-4
// of 1), which is why the program no longer uses it.
double ExchangeCorrection(int emitterZ, double kineticKeV);

}  // namespace korva
