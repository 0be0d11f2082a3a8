#pragma once

#include <vector>

namespace korva::sim {

// The atomic exchange correction X(E) to a beta-minus spectrum from every
// occupied s shell of the emitter's atom, evaluated numerically: the beta
// electron may be created in a bound s orbital of the daughter while the
// parent's electron of that shell leaves into the continuum state instead
// (J. N. Bahcall, Phys. Rev. 129 (1963) 2683). Following R. Harston and N.
// C. Pyper, Phys. Rev. A 45 (1992) 6282, and X. Mougeot and C. Bisch, Phys.
// Rev. A 90 (2014) 012501, Eq. (13) in its non-relativistic s-wave form,
// the amplitude of the continuum state |E> grows by 1 + T with
//
//   T = - sum over shells n of  <E|ns> / <ns'|ns>  psi_ns'(0) / psi_E(0),
//
// ns the parent's orbital, ns' the daughter's and E the daughter's
// continuum wave, both in the daughter's potential, so that the continuum is
// orthogonal to the daughter's bound states. A closed shell always holds an
// electron of the beta's spin: X = (1 + T)^2. A shell with one electron
// (hydrogen) has it half the time; with the other spin the swap adds a final
// state of its own: X = [(1 + Tc + To)^2 + (1 + Tc)^2 + To^2] / 2 for the
// closed shells' Tc and the open shell's To (1 + T + T^2 for hydrogen).
//
// The potentials are the nucleus's Coulomb field and the electrons' charge
// cloud, the latter from Slater's orbitals (slater_atom.h) with the
// self-interaction taken off by the Fermi-Amaldi factor (N - 1) / N (E.
// Fermi and E. Amaldi, Mem. Accad. Ital. 6 (1934) 119): parent, Z and its N
// = Z electrons; daughter, the ion of charge Z + 1 with the same N
// electrons right after the decay. Orbitals and waves are solved on one
// grid (radial_schrodinger.h), the wave number of the electron of kinetic
// energy E is its momentum p / alpha (in atomic units). The p1/2 waves
// that a relativistic treatment adds, a fraction of about (alpha Z)^2 / 4,
// are left out.

// T of an emitter's closed s shells and of its open one (hydrogen's 1s).
struct ShellAmplitudes {
  double closed = 0.0;
  double open = 0.0;
};

// The amplitudes of the emitter of atomic number `emitterZ` at each kinetic energy.
std::vector<ShellAmplitudes> ShellExchangeAmplitudes(int emitterZ, const std::vector<double>& kineticKeV);

// X from the amplitudes.
double ExchangeFactor(const ShellAmplitudes& t);

// X of one emitter tabulated at energies evenly spaced in ln E from 1 eV to
// 3 MeV, interpolated in ln E between them.
class ShellExchange {
 public:
  explicit ShellExchange(int emitterZ);

  // X at the beta's kinetic energy; below 1 eV its value there.
  double At(double kineticKeV) const;

 private:
  std::vector<double> logKeV_;
  std::vector<double> x_;
};

// The table of the emitter of atomic number `emitterZ`, evaluated once per
// process (a second or so for the heaviest) and shared; safe from any thread.
const ShellExchange& ShellExchangeOf(int emitterZ);

}  // namespace korva::sim
