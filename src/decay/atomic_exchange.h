#pragma once

namespace korva {

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
// below it X is held at its 5 eV value. The program carries the parameters of Z = 1, 2, 6, 7, 15, 16, 17,
// 20, 21, 28, 29, 38, 39, 40, 43, 44, 61, 62, 81, 82, 94 and 95 (its nuclides' emitters and daughters);
// for any other Z the correction is 1.
//
// For tritium (Z = 1) X is 1.005 at 1 keV, 1.15 at 0.1 keV and 3.4 at
// 5 eV. The earlier fit of L. Hayen et al., Rev. Mod. Phys. 90 (2018)
// 015008, gives no tritium correction at all (its He row stays within 1e-4
// of 1), which is why the program no longer uses it.
double ExchangeCorrection(int emitterZ, double kineticKeV);

// Whether the program carries the exchange fit of `emitterZ`.
bool HasExchangeFit(int emitterZ);

// The carried Z nearest to `emitterZ` (the lower one of two as near), whose
// correction stands in for a Z the program does not carry when the budget
// weighs what the missing correction is worth. The stand-in is sound for
// the size of the effect: from Z = 6 to 95 the carried rows give X between
// 1.09 and 1.18 at 1 keV and between 1.30 and 1.55 at 0.1 keV, the shells
// being filled one by one, so a neighbour's correction moves the
// spectrum's low end by about as much as the missing one would.
int ExchangeStandInZ(int emitterZ);

}  // namespace korva
