#pragma once

#include <vector>

#include "decay/nuclide.h"

namespace korva {

// Which atomic corrections a computed beta spectrum carries; the budget
// compares the spectrum with one left out to bound what its form is worth.
enum class AtomicCorrections {
  kIncluded,  // screening and exchange
  kExchangeLeftOut,
  // The exchange correction of the nearest carried Z (ExchangeStandInZ)
  // where the emitter's own Z is not carried, its own otherwise; the budget
  // weighs it against the uncorrected spectrum the program computes for such a Z.
  kExchangeStandIn,
  kScreeningLeftOut,
};

// The beta spectrum's density at kinetic energy `energyKeV` (0 < E < E0),
// not normalised: p W (W0 - W)^2 F(Z, W) L0(Z, W) S(Z, W) X(Z, W) C(W),
// momenta and energies in electron masses, F the relativistic Fermi
// function, L0 its finite-size correction, S the
// atomic screening correction, X the atomic exchange correction (1 when
// left out) and C the shape factor of the branch's forbiddenness times its
// experimental shape factor. A tabulated branch gives its table's density,
// linearly interpolated.
double BetaDensity(const BetaBranch& branch, double energyKeV,
                   AtomicCorrections corrections = AtomicCorrections::kIncluded);

// The branch's highest energy: its endpoint, or its table's last energy.
double EndpointKeV(const BetaBranch& branch);

// The spectrum on quadrature nodes: E = E0 u^2 with u on Simpson's rule over
// [0, 1], which puts nodes close together at low energies, where quenching
// and the detection probability change fastest. Each node carries the
// probability mass of its share of the spectrum, so that a spectrum average
// is sum(weight f(E)).
struct SpectrumGrid {
  std::vector<double> energyKeV;  // increasing, from 0 to the endpoint
  std::vector<double> weight;     // sums to 1
};

// Doubling the default interval count moves no detection efficiency of a
// known nuclide by as much as 1e-5 (H-3, whose exchange correction climbs
// steeply below 0.1 keV, comes closest, at 5e-6); every efficiency costs
// one pass over the nodes.
inline constexpr int kDefaultSpectrumIntervals = 256;

// `intervals` is rounded up to an even number of at least 2.
SpectrumGrid MakeSpectrumGrid(const BetaBranch& branch, int intervals = kDefaultSpectrumIntervals,
                              AtomicCorrections corrections = AtomicCorrections::kIncluded);

double MeanEnergyKeV(const SpectrumGrid& spectrum);

}  // namespace korva
