#include "decay/beta_spectrum.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "decay/atomic_exchange.h"
#include "decay/atomic_screening.h"
#include "decay/fermi_function.h"

namespace korva {

namespace {

// The shape factor of the branch's forbiddenness at total energy w. The
// second forbidden non-unique branch (Delta J = 2, no parity change) takes
// the lowest-order shape of its rank-2 matrix elements, which carry the same
// lepton functions as the unique first forbidden transition, q^2 +
// lambda_2 p^2 (Konopinski 1966; Behrens and Buehring 1982): the same
// Coulomb function lambda_2 belongs to both.
double ForbiddennessFactor(const BetaBranch& branch, double w, double electronMomentum,
                           double neutrinoMomentum) {
  switch (branch.forbiddenness) {
    case Forbiddenness::kAllowed:
    case Forbiddenness::kFirstForbiddenNonUnique:
      return 1.0;
    case Forbiddenness::kFirstForbiddenUnique:
    case Forbiddenness::kSecondForbiddenNonUnique: {
      const double lambda2 =
          branch.coulombLambda ? CoulombLambda2(branch.daughterZ, branch.massNumber, w) : 1.0;
      return neutrinoMomentum * neutrinoMomentum + lambda2 * electronMomentum * electronMomentum;
    }
    case Forbiddenness::kSecondForbiddenUnique: {
      const double q2 = neutrinoMomentum * neutrinoMomentum;
      const double p2 = electronMomentum * electronMomentum;
      return q2 * q2 + 10.0 / 3.0 * q2 * p2 + p2 * p2;
    }
  }
  return 1.0;
}

double SimpsonFactor(int node, int intervals) {
  if (node == 0 || node == intervals) return 1.0;
  return node % 2 == 1 ? 4.0 : 2.0;
}

// The table's density at `energyKeV`, linearly interpolated; 0 outside it.
double TabulatedDensity(const TabulatedSpectrum& table, double energyKeV) {
  const auto& e = table.energyKeV;
  const auto above = std::ranges::upper_bound(e, energyKeV);
  if (above == e.begin() || above == e.end()) return 0.0;
  const auto i = static_cast<std::size_t>(above - e.begin());
  const double t = (energyKeV - e[i - 1]) / (e[i] - e[i - 1]);
  return table.density[i - 1] + t * (table.density[i] - table.density[i - 1]);
}

// The exchange correction `corrections` carry. The fit is tabulated by the
// emitter's atomic number, one below the daughter's.
double ExchangeFor(AtomicCorrections corrections, int daughterZ, double energyKeV) {
  const int emitterZ = daughterZ - 1;
  switch (corrections) {
    case AtomicCorrections::kExchangeLeftOut:
      return 1.0;
    case AtomicCorrections::kExchangeStandIn:
      return ExchangeCorrection(HasExchangeFit(emitterZ) ? emitterZ : ExchangeStandInZ(emitterZ), energyKeV);
    case AtomicCorrections::kIncluded:
    case AtomicCorrections::kScreeningLeftOut:
      break;
  }
  return ExchangeCorrection(emitterZ, energyKeV);
}

}  // namespace

double EndpointKeV(const BetaBranch& branch) {
  return branch.tabulated.energyKeV.empty() ? branch.endpointKeV : branch.tabulated.energyKeV.back();
}

double BetaDensity(const BetaBranch& nuclide, double energyKeV, AtomicCorrections corrections) {
  if (!nuclide.tabulated.energyKeV.empty()) return TabulatedDensity(nuclide.tabulated, energyKeV);
  if (energyKeV <= 0.0 || energyKeV >= nuclide.endpointKeV) return 0.0;
  const double w = 1.0 + energyKeV / kElectronRestKeV;
  const double w0 = 1.0 + nuclide.endpointKeV / kElectronRestKeV;
  const double p = std::sqrt(w * w - 1.0);
  const double q = w0 - w;
  const ShapeFactor& shape = nuclide.shape;
  const double experimental = 1.0 + shape.a * w + shape.b / w + shape.c * w * w;
  double atomic = ExchangeFor(corrections, nuclide.daughterZ, energyKeV);
  // The shape factor's electron terms belong to the electron's wave at the
  // nucleus, which screening shifts as it does the Fermi function's.
  double waveW = w;
  if (corrections != AtomicCorrections::kScreeningLeftOut) {
    atomic *= ScreeningCorrection(nuclide.daughterZ, w);
    waveW = ScreenedEnergy(nuclide.daughterZ, w);
  }
  const double waveP = std::sqrt(waveW * waveW - 1.0);
  const double coulomb = FermiFunction(nuclide.daughterZ, nuclide.massNumber, w) *
                         FiniteSizeL0(nuclide.daughterZ, nuclide.massNumber, w);
  return p * w * q * q * coulomb * atomic * ForbiddennessFactor(nuclide, waveW, waveP, q) * experimental;
}

SpectrumGrid MakeSpectrumGrid(const BetaBranch& nuclide, int intervals, AtomicCorrections corrections) {
  intervals = std::max(2, intervals + intervals % 2);
  SpectrumGrid grid;
  grid.energyKeV.resize(static_cast<std::size_t>(intervals) + 1);
  grid.weight.resize(grid.energyKeV.size());
  const double endpoint = EndpointKeV(nuclide);
  for (int i = 0; i <= intervals; ++i) {
    const auto node = static_cast<std::size_t>(i);
    const double u = static_cast<double>(i) / intervals;
    grid.energyKeV[node] = endpoint * u * u;
    // dE = 2 E0 u du: the node at u = 0 carries no weight, where p F is finite.
    grid.weight[node] = SimpsonFactor(i, intervals) * 2.0 * endpoint * u *
                        BetaDensity(nuclide, endpoint * u * u, corrections);
  }
  const double total = std::accumulate(grid.weight.begin(), grid.weight.end(), 0.0);
  for (double& w : grid.weight) w /= total;
  return grid;
}

double MeanEnergyKeV(const SpectrumGrid& spectrum) {
  return std::inner_product(spectrum.energyKeV.begin(), spectrum.energyKeV.end(), spectrum.weight.begin(),
                            0.0);
}

}  // namespace korva
