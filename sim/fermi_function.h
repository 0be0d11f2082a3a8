#pragma once

namespace korva::sim {

// The radius of a uniformly charged nucleus of mass number A, 1.2 fm A^(1/3)
// (K. S. Krane, Introductory Nuclear Physics, Wiley 1988, Sec. 3.1), in
// units of the reduced Compton wavelength hbar / (m c).
double NuclearRadius(int massNumber);

// The point-charge Fermi function of a beta-minus decay to a daughter of
// charge Z, evaluated at the nuclear radius R, in the convention of D. H.
// Wilkinson, Nucl. Instrum. Methods A 290 (1990) 509:
//
//   F0 = 4 (2 p R)^(2 (g - 1)) exp(pi y) |Gamma(g + i y)|^2 / Gamma(2 g + 1)^2
//
// with g = sqrt(1 - (alpha Z)^2), p = sqrt(w^2 - 1), y = alpha Z w / p, w
// the total energy in electron masses (w > 1).
double PointFermiFunction(int daughterZ, double radius, double w);

// Wilkinson's (1990) correction L0 for the nucleus's finite size (a
// uniformly charged sphere of radius R instead of a point):
//
//   L0 = 1 + 13/60 (alpha Z)^2 - alpha Z w R (41 - 26 g) / (15 (2 g - 1))
//        - alpha Z R g (17 - 2 g) / (30 w (2 g - 1)) + a(-1) R / w
//        + sum(n = 0..5) a(n) (w R)^n + 0.41 (R - 0.0164) (alpha Z)^4.5
//
// with a(n) = sum(x = 1..6) b(x, n) (alpha Z)^x from his fit for electrons.
// It stays within 1e-4 of 1 for tritium and falls from 1.020 to 1.017 over
// Pm-147's spectrum.
double FiniteSizeL0(int daughterZ, double radius, double w);

}  // namespace korva::sim
