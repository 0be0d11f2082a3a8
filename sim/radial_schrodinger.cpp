#include "sim/radial_schrodinger.h"

#include <cmath>
#include <stdexcept>

namespace korva::sim {

namespace {

// Magnitude at which a growing solution is scaled down; only its shape counts.
constexpr double kRescaleAbove = 1e150;
// Beyond the classical turning point a bound state falls as exp(-kappa r):
// after 40 / kappa it is below exp(-40) of its size there.
constexpr double kDecayLengths = 40.0;
// A free wave is followed while a step of the grid, k r h, is at most half
// a radian: Numerov's phase error is then below 1e-4 a wavelength; farther
// out the grid cannot follow it (and its overlap with a smooth bound orbital
// there vanishes).
constexpr double kRadiansPerStep = 0.5;
// The bisection stops at this relative width of its bracket.
constexpr double kEnergyTolerance = 1e-12;

// Numerov's weights f = 1 - h^2 g / 12 for y'' = g y at energy `energy`,
// up to index `last`.
std::vector<double> Weights(const RadialPotential& p, double energy, double step, std::size_t last) {
  const RadialGrid& grid = *p.grid;
  std::vector<double> f(grid.Size(), 1.0);
  for (std::size_t i = 0; i <= last; ++i) {
    const double r = grid.R(i);
    const double g = 2.0 * r * r * (p.v[i] - energy) + 0.25;
    f[i] = 1.0 - step * step * g / 12.0;
  }
  return f;
}

// Outward from the origin to index `last`; returns the nodes on the way.
int Outward(const RadialPotential& p, const std::vector<double>& f, std::size_t last,
            std::vector<double>& y) {
  const RadialGrid& grid = *p.grid;
  for (std::size_t i = 0; i < 2; ++i) y[i] = std::sqrt(grid.R(i)) * (1.0 - p.nuclearZ * grid.R(i));
  int nodes = 0;
  for (std::size_t i = 1; i < last; ++i) {
    y[i + 1] = ((12.0 - 10.0 * f[i]) * y[i] - f[i - 1] * y[i - 1]) / f[i + 1];
    if (y[i + 1] * y[i] < 0.0) ++nodes;
    if (std::abs(y[i + 1]) > kRescaleAbove) {
      y[i + 1] /= kRescaleAbove;
      y[i] /= kRescaleAbove;
    }
  }
  return nodes;
}

// The outermost point where the energy is above the potential.
std::size_t TurningPoint(const RadialPotential& p, double energy) {
  std::size_t i = p.v.size() - 1;
  while (i > 2 && p.v[i] >= energy) --i;
  return i;
}

// The last point a bound state of `energy` needs.
std::size_t OuterEnd(const RadialPotential& p, double energy) {
  const std::size_t turning = TurningPoint(p, energy);
  const double end = p.grid->R(turning) + kDecayLengths / std::sqrt(-2.0 * energy);
  std::size_t i = turning;
  while (i + 1 < p.grid->Size() && p.grid->R(i) < end) ++i;
  return i;
}

}  // namespace

RadialGrid::RadialGrid(double firstR, double lastR, int perUnitLog) : step_(1.0 / perUnitLog) {
  const double x0 = std::log(firstR);
  const auto points = static_cast<std::size_t>(std::ceil((std::log(lastR) - x0) / step_)) + 1;
  r_.resize(points | 1);  // odd, for Simpson's rule
  for (std::size_t i = 0; i < r_.size(); ++i) r_[i] = std::exp(x0 + step_ * static_cast<double>(i));
}

double RadialGrid::Overlap(const std::vector<double>& a, const std::vector<double>& b) const {
  // u_a u_b dr = r^2 y_a y_b dx.
  double sum = 0.0;
  for (std::size_t i = 0; i < r_.size(); ++i) {
    const double weight = (i == 0 || i + 1 == r_.size()) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
    sum += weight * r_[i] * r_[i] * a[i] * b[i];
  }
  return sum * step_ / 3.0;
}

std::vector<double> BoundS(const RadialPotential& p, int n, double* energy) {
  const RadialGrid& grid = *p.grid;
  std::vector<double> y(grid.Size(), 0.0);
  const double step = std::log(grid.R(1) / grid.R(0));
  // Below -Z^2 / 2 no state of a potential above -Z / r; the node count of
  // the outward solution rises by one as E passes each eigenvalue.
  double low = -0.51 * p.nuclearZ * p.nuclearZ;
  double high = -1e-6;
  const auto nodesAt = [&](double e) {
    const std::size_t end = OuterEnd(p, e);
    return Outward(p, Weights(p, e, step, end), end, y);
  };
  if (nodesAt(high) < n) throw std::invalid_argument("no such bound s state");
  while (high - low > kEnergyTolerance * -low) {
    const double mid = 0.5 * (low + high);
    (nodesAt(mid) >= n ? high : low) = mid;
  }
  const double e = 0.5 * (low + high);
  const std::size_t turning = TurningPoint(p, e);
  const std::size_t end = OuterEnd(p, e);
  const std::vector<double> f = Weights(p, e, step, end);
  std::fill(y.begin(), y.end(), 0.0);
  Outward(p, f, turning + 1, y);
  const double joined = y[turning];
  // Inward from where the state has died away, to the turning point.
  std::vector<double> in(grid.Size(), 0.0);
  in[end - 1] = 1e-20;
  for (std::size_t i = end - 1; i > turning; --i) {
    in[i - 1] = ((12.0 - 10.0 * f[i]) * in[i] - f[i + 1] * in[i + 1]) / f[i - 1];
  }
  const double scale = joined / in[turning];
  for (std::size_t i = turning; i < end; ++i) y[i] = scale * in[i];
  const double norm = std::sqrt(grid.Overlap(y, y));
  const double sign = y[0] < 0.0 ? -1.0 : 1.0;
  for (double& value : y) value *= sign / norm;
  if (energy != nullptr) *energy = e;
  return y;
}

std::vector<double> ContinuumS(const RadialPotential& p, double energy) {
  const RadialGrid& grid = *p.grid;
  std::vector<double> y(grid.Size(), 0.0);
  const double step = std::log(grid.R(1) / grid.R(0));
  const double reach = kRadiansPerStep / (std::sqrt(2.0 * energy) * step);
  std::size_t last = 2;
  while (last + 1 < y.size() && grid.R(last + 1) <= reach) ++last;
  Outward(p, Weights(p, energy, step, last), last, y);
  return y;
}

}  // namespace korva::sim
