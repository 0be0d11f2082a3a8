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
// which makes low-energy electrons more likely. The analytical fit of L.
// Hayen et al., Rev. Mod. Phys. 90 (2018) 015008 (section on the atomic
// exchange effect, fit parameters tabulated per atomic number Z of the
// daughter atom), with E = W - 1:
//
//   X = 1 + a / E + b / E^2 + c exp(-d E) + f sin((W - k)^g + h) / W^m
//
// with W the total and E the kinetic energy in electron masses (at 1 keV,
// E = 1.957e-3). The table is looked up by the atomic number of the
// daughter, the atom whose bound orbitals the electron can take.
//
// The fit is given down to 1 keV; below it X is held at its 1 keV value, as
// some parameter sets turn negative or undefined there. 1 for a daughter
// whose parameters the program does not carry (Z other than 2, 7, 16, 17,
// 29, 62).
//
// The He row (H-3) gives |X - 1| < 1e-4 at every energy: under this fit
// tritium's spectrum carries practically no exchange correction, and the
// "spectrum shape" budget term of an H-3 measurement, the difference with
// and without it, reads close to 0.
double ExchangeCorrection(int daughterZ, double w);

}  // namespace korva
