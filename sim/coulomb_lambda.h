#pragma once

namespace korva::sim {

// The Coulomb function lambda_k = F_(k-1) / F_0 of a forbidden unique
// shape factor (k = 2, 3), at the nuclear radius R (in hbar / (m c)) of a
// point-charge daughter of charge Z, for an electron of total energy w
// (electron masses, w > 1). The generalized Fermi functions (H. Behrens
// and J. Jaenecke, Landolt-Boernstein New Series I/4, Springer 1969):
//
//   F_(k-1) = 4^(k-1) 2k (k + g_k) ((2k - 1)!!)^2 exp(pi y) (2 p R)^(2 (g_k - k))
//             |Gamma(g_k + i y)|^2 / Gamma(2 g_k + 1)^2,
//
// g_k = sqrt(k^2 - (alpha Z)^2), y = alpha Z w / p; lambda_k -> 1 as Z -> 0.
// With lambda_2 the first forbidden unique shape q^2 + lambda_2 p^2 gives
// the evaluated mean energies of Sr-90 (195.8 keV), Y-90 (933.7 keV) and
// Sr-89 (587 keV) to 0.1 %; with lambda_2 = 1 they come out 1.5 to 3 %
// high (X. Mougeot, Phys. Rev. C 91 (2015) 055504, finds lambda_k = 1
// systematically worse than the full calculation).
double CoulombLambda(int k, int daughterZ, double radius, double w);

}  // namespace korva::sim
