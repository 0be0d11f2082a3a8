#pragma once

#include <vector>

namespace korva::sim {

// s waves (l = 0) of one electron in a central potential V(r), in atomic
// units (hbar = m = e = 1, r in bohr radii, energies in hartree):
//
//   u''(r) = 2 (V(r) - E) u(r),   psi(r) = u(r) / (r sqrt(4 pi)).
//
// On the logarithmic grid r = exp(x), x = x0 + i h, the function
// y = u / sqrt(r) obeys y'' = [2 r^2 (V - E) + 1/4] y with no first
// derivative, which Numerov's three-point rule integrates to O(h^6) a step
// (B. V. Numerov, Astron. Nachr. 230 (1927) 359; the logarithmic grid as in
// C. Froese Fischer, The Hartree-Fock Method for Atoms, Wiley 1977, ch. 6).
// Near a nucleus of charge Z every s wave starts as u = r (1 - Z r).
class RadialGrid {
 public:
  // Points from `firstR` to `lastR` (bohr), `perUnitLog` of them per unit of ln r.
  RadialGrid(double firstR, double lastR, int perUnitLog);

  std::size_t Size() const { return r_.size(); }
  double R(std::size_t i) const { return r_[i]; }
  // Integral of u_a u_b dr for two waves on this grid (y values), by Simpson's rule in x.
  double Overlap(const std::vector<double>& a, const std::vector<double>& b) const;

 private:
  double step_;
  std::vector<double> r_;
};

// A potential on a grid: V at each point, and the nuclear charge that
// gives its behaviour -Z / r at the origin.
struct RadialPotential {
  const RadialGrid* grid = nullptr;
  std::vector<double> v;
  double nuclearZ = 1.0;
};

// The bound s state of `n` - 1 nodes (1s, 2s, ...), normalised to integral
// u^2 dr = 1, its sign positive at the origin, as y values on the grid;
// `energy` receives its eigenvalue. Found by bisection on the number of
// nodes of the outward solution, then joined from outward and inward
// solutions at the classical turning point.
std::vector<double> BoundS(const RadialPotential& potential, int n, double* energy = nullptr);

// The regular s wave of energy `energy` > 0, started as u = r (1 - Z r) and
// integrated outward (not normalised) as far as the grid takes two steps a
// radian of it, k r h <= 1/2; 0 beyond.
std::vector<double> ContinuumS(const RadialPotential& potential, double energy);

}  // namespace korva::sim
