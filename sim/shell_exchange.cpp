#include "sim/shell_exchange.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

#include "sim/gamma_modulus.h"
#include "sim/physical_constants.h"
#include "sim/radial_schrodinger.h"
#include "sim/slater_atom.h"

namespace korva::sim {

namespace {

constexpr double kLeastKeV = 1e-3;
constexpr double kMostKeV = 3000.0;
constexpr int kTableEnergies = 120;
// The grid: from well inside the heaviest K shell to where the outermost s
// orbital (Pm's 6s) has died away, 2000 points per unit of ln r: the
// amplitudes agree with those of 5000 points to 1e-5 up to 100 keV and to
// 1e-4 at 225 keV, where a wave of k = 167 bohr^-1 is followed to 6 bohr.
constexpr double kFirstRTimesZ = 1e-4;
constexpr double kLastR = 40.0;
constexpr int kPointsPerUnitLog = 2000;

// The radial density of Slater's orbitals (electrons per bohr) at r:
// R(r) = c r^(n* - 1) exp(-zeff r / n*), c^2 = (2 zeff / n*)^(2 n* + 1) / Gamma(2 n* + 1).
double RadialDensity(const std::vector<SlaterGroup>& groups, double r) {
  double density = 0.0;
  for (const SlaterGroup& g : groups) {
    const double a = 2.0 * g.zeff / g.nStar;
    const double logNorm = (2.0 * g.nStar + 1.0) * std::log(a) - LogGamma(2.0 * g.nStar + 1.0);
    density += g.electrons * std::exp(logNorm + 2.0 * g.nStar * std::log(r) - a * r);
  }
  return density;
}

// -Z / r and the electrons' cloud, scaled by (N - 1) / N.
RadialPotential Potential(const RadialGrid& grid, int nuclearZ, int electrons) {
  const std::vector<SlaterGroup> groups = SlaterGroups(nuclearZ, electrons);
  const std::size_t size = grid.Size();
  const double step = std::log(grid.R(1) / grid.R(0));
  std::vector<double> density(size);
  for (std::size_t i = 0; i < size; ++i) density[i] = RadialDensity(groups, grid.R(i));
  // Hartree potential: Q(r) / r + integral from r on of P(r') / r' dr',
  // by the trapezoidal rule in x = ln r (dr = r dx).
  std::vector<double> inside(size, 0.0);
  std::vector<double> outside(size, 0.0);
  for (std::size_t i = 1; i < size; ++i) {
    inside[i] = inside[i - 1] + 0.5 * step * (density[i] * grid.R(i) + density[i - 1] * grid.R(i - 1));
  }
  for (std::size_t i = size - 1; i > 0; --i)
    outside[i - 1] = outside[i] + 0.5 * step * (density[i] + density[i - 1]);
  RadialPotential p{&grid, std::vector<double>(size), static_cast<double>(nuclearZ)};
  const double share = electrons > 0 ? (electrons - 1.0) / electrons : 0.0;
  for (std::size_t i = 0; i < size; ++i) {
    p.v[i] = -nuclearZ / grid.R(i) + share * (inside[i] / grid.R(i) + outside[i]);
  }
  return p;
}

struct Shell {
  int n;
  int electrons;  // in the s orbital: 1 or 2
};

std::vector<Shell> OccupiedS(int atomZ) {
  std::vector<Shell> shells;
  for (const SlaterGroup& g : SlaterGroups(atomZ, atomZ)) {
    if (g.l == 0) shells.push_back({g.n, std::min(2, g.electrons)});
  }
  return shells;
}

// Wave number in bohr^-1 of an electron of `kineticKeV`: p / alpha, p in m c.
double WaveNumber(double kineticKeV) {
  const double w = 1.0 + kineticKeV / kElectronRestKeV;
  return std::sqrt(w * w - 1.0) / kFineStructure;
}

}  // namespace

std::vector<ShellAmplitudes> ShellExchangeAmplitudes(int emitterZ, const std::vector<double>& kineticKeV) {
  const RadialGrid grid(kFirstRTimesZ / (emitterZ + 1), kLastR, kPointsPerUnitLog);
  const RadialPotential parent = Potential(grid, emitterZ, emitterZ);
  const RadialPotential daughter = Potential(grid, emitterZ + 1, emitterZ);
  struct Pair {
    std::vector<double> parent;
    std::vector<double> daughter;
    double overlap;  // <ns'|ns>
    bool closed;
  };
  std::vector<Pair> pairs;
  for (const Shell& shell : OccupiedS(emitterZ)) {
    Pair pair{BoundS(parent, shell.n), BoundS(daughter, shell.n), 0.0, shell.electrons == 2};
    pair.overlap = grid.Overlap(pair.daughter, pair.parent);
    pairs.push_back(std::move(pair));
  }
  std::vector<ShellAmplitudes> out;
  for (const double e : kineticKeV) {
    const double k = WaveNumber(e);
    const std::vector<double> wave = ContinuumS(daughter, 0.5 * k * k);
    ShellAmplitudes t;
    for (const Pair& pair : pairs) {
      // psi(0) ratio: both start as c sqrt(r) (1 - Z r) at the grid's first point.
      const double term = -grid.Overlap(wave, pair.parent) / pair.overlap * pair.daughter[0] / wave[0];
      (pair.closed ? t.closed : t.open) += term;
    }
    out.push_back(t);
  }
  return out;
}

double ExchangeFactor(const ShellAmplitudes& t) {
  const double closed = (1.0 + t.closed) * (1.0 + t.closed);
  if (t.open == 0.0) return closed;
  const double same = (1.0 + t.closed + t.open) * (1.0 + t.closed + t.open);
  return 0.5 * (same + closed + t.open * t.open);
}

ShellExchange::ShellExchange(int emitterZ) {
  if (emitterZ < 1) return;
  std::vector<double> energies;
  const double first = std::log(kLeastKeV);
  const double span = std::log(kMostKeV) - first;
  for (int i = 0; i < kTableEnergies; ++i) {
    logKeV_.push_back(first + span * i / (kTableEnergies - 1));
    energies.push_back(std::exp(logKeV_.back()));
  }
  for (const ShellAmplitudes& t : ShellExchangeAmplitudes(emitterZ, energies))
    x_.push_back(ExchangeFactor(t));
}

double ShellExchange::At(double kineticKeV) const {
  if (x_.empty()) return 1.0;
  const double at = std::log(std::max(kineticKeV, kLeastKeV));
  const auto upper = std::ranges::upper_bound(logKeV_, at);
  if (upper == logKeV_.end()) return x_.back();
  if (upper == logKeV_.begin()) return x_.front();
  const auto i = static_cast<std::size_t>(upper - logKeV_.begin());
  const double fraction = (at - logKeV_[i - 1]) / (logKeV_[i] - logKeV_[i - 1]);
  return x_[i - 1] + fraction * (x_[i] - x_[i - 1]);
}

const ShellExchange& ShellExchangeOf(int emitterZ) {
  static std::mutex guard;
  static std::map<int, std::unique_ptr<const ShellExchange>> tables;
  const std::scoped_lock lock(guard);
  auto& table = tables[emitterZ];
  if (!table) table = std::make_unique<const ShellExchange>(emitterZ);
  return *table;
}

}  // namespace korva::sim
