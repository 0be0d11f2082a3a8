#pragma once

namespace korva::sim {

// The atomic exchange correction to a beta-minus spectrum from the K shell
// alone, evaluated in closed form: the beta electron may be created in the
// daughter's 1s orbital while the parent's 1s electron leaves into the
// continuum state instead (J. N. Bahcall, Phys. Rev. 129 (1963) 2683). The
// amplitude of the continuum state |E> grows by the factor 1 + T with
//
//   T = -<E|1s parent> psi_1s,daughter(0) / psi_E(0),
//
// and with the two 1s electrons of a closed shell one always has the beta's
// spin: X = (1 + T)^2. Hydrogen's single electron has it half the time;
// with the other spin the swap still happens, but as a final state of its
// own that adds without interference: X = ((1 + T)^2 + 1 + T^2) / 2 = 1 + T + T^2.
//
// The orbitals are hydrogen-like, non-relativistic, of Slater's effective
// charges (slater_atom.h): the parent's 1s of charge zeta, the daughter's 1s
// and its s-wave Coulomb continuum of one charge Z'; the continuum is then
// orthogonal to the daughter's bound 1s, and T vanishes for zeta = Z'. The
// overlap integral is a Laplace transform of Kummer's function
// (I. S. Gradshteyn and I. M. Ryzhik, Table of Integrals, 7.621.4), which
// gives, in atomic units with k the electron's wave number,
//
//   T = 8 (zeta Z')^(3/2) (Z' - zeta) exp(-2 (Z'/k) atan(k / zeta)) / (zeta^2 + k^2)^2.
//
// Outer shells are left out, so below about Z'^2 / 2 hartree the correction
// comes out smaller than a self-consistent calculation's; and T leaves out
// the overlap 8 (zeta Z')^(3/2) / (zeta + Z')^3 of the two 1s orbitals by
// which later treatments divide it. The virtual vial's spectra take X from
// every s shell (shell_exchange.h); this closed form checks that evaluation
// and shows what the outer shells add.
double KShellExchange(int emitterZ, double kineticKeV);

// T for charges `parentCharge` (zeta) and `daughterCharge` (Z') at wave
// number `k` (atomic units).
double KShellExchangeAmplitude(double parentCharge, double daughterCharge, double k);

}  // namespace korva::sim
