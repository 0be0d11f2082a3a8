#include "analysis/birks_quenching.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace korva {

namespace {

// Gauss-Legendre nodes and weights on [-1, 1].
constexpr std::array<double, 4> kGaussNodes = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563,
                                               0.8611363115940526};
constexpr std::array<double, 4> kGaussWeights = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461,
                                                 0.3478548451374538};
// Pieces no longer than this: the stopping power bends most below a few keV.
constexpr double kFirstPieceKeV = 0.05;

double LightPerEnergy(const StoppingPower& stopping, double kb, double energyKeV) {
  return 1.0 / (1.0 + kb * stopping.MevPerCm(energyKeV));
}

double GaussPiece(const StoppingPower& stopping, double kb, double from, double to) {
  const double half = 0.5 * (to - from);
  const double middle = 0.5 * (to + from);
  double sum = 0.0;
  for (std::size_t i = 0; i < kGaussNodes.size(); ++i) {
    sum += kGaussWeights[i] * LightPerEnergy(stopping, kb, middle + half * kGaussNodes[i]);
  }
  return half * sum;
}

// From `from` to `to` in pieces that grow geometrically from kFirstPieceKeV,
// with the break at the stopping power's peak as a piece boundary.
double Integrate(const StoppingPower& stopping, double kb, double from, double to) {
  double sum = 0.0;
  const double peak = stopping.PeakEnergyKeV();
  if (from < peak && to > peak) {
    return Integrate(stopping, kb, from, peak) + Integrate(stopping, kb, peak, to);
  }
  double lower = from;
  while (lower < to) {
    const double piece = std::max(kFirstPieceKeV, 0.25 * lower);
    const double upper = std::min(to, lower + piece);
    sum += GaussPiece(stopping, kb, lower, upper);
    lower = upper;
  }
  return sum;
}

}  // namespace

std::optional<std::string> KbRangeError(double kb) {
  if (kb >= kMinKb && kb <= kMaxKb) return std::nullopt;
  char text[160];
  std::snprintf(text, sizeof text, "kB %g cm/MeV is outside the accepted range %.3f to %.3f cm/MeV", kb,
                kMinKb, kMaxKb);
  return std::string(text);
}

std::vector<double> QuenchedEnergiesKeV(const StoppingPower& stopping, double kb,
                                        std::span<const double> energiesKeV) {
  std::vector<double> quenched(energiesKeV.size());
  double sum = 0.0;
  double previous = 0.0;
  for (std::size_t i = 0; i < energiesKeV.size(); ++i) {
    if (kb == 0.0) {
      quenched[i] = energiesKeV[i];
      continue;
    }
    sum += Integrate(stopping, kb, previous, energiesKeV[i]);
    previous = energiesKeV[i];
    quenched[i] = sum;
  }
  return quenched;
}

double QuenchedEnergyKeV(const StoppingPower& stopping, double kb, double energyKeV) {
  const std::array<double, 1> energy = {energyKeV};
  return QuenchedEnergiesKeV(stopping, kb, energy)[0];
}

}  // namespace korva
