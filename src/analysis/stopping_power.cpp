#include "analysis/stopping_power.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "decay/fermi_function.h"

namespace korva {

namespace {

// K/2 = 2 pi N_A r_e^2 m c^2, in MeV cm^2 / mol.
constexpr double kHalfBetheConstant = 0.1535375;
// h-bar omega_p = 28.816 eV sqrt(rho <Z/A>), rho in g/cm^3.
constexpr double kPlasmaEnergyConstantEv = 28.816;
constexpr double kSternheimerExponent = 3.0;
// Joy and Luo (1989): k = 0.734 Z^0.037.
constexpr double kJoyLuoFactor = 0.734;
constexpr double kJoyLuoExponent = 0.037;

// The maximum of a function with one peak in [low, high], by golden-section search.
template <typename F>
double PeakOf(F f, double low, double high) {
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double x1 = high - ratio * (high - low);
  double x2 = low + ratio * (high - low);
  double f1 = f(x1);
  double f2 = f(x2);
  while (high - low > 1e-9 * high) {
    if (f1 < f2) {
      low = x1;
      x1 = x2;
      f1 = f2;
      x2 = low + ratio * (high - low);
      f2 = f(x2);
    } else {
      high = x2;
      x2 = x1;
      f2 = f1;
      x1 = high - ratio * (high - low);
      f1 = f(x1);
    }
  }
  return 0.5 * (low + high);
}

}  // namespace

StoppingPower::StoppingPower(const Scintillator& scintillator, LowEnergyStopping lowEnergy)
    : medium_(scintillator),
      lowEnergy_(lowEnergy),
      excitationInRest_(scintillator.meanExcitationEv * 1e-3 / kElectronRestKeV),
      joyLuoShiftInRest_(kJoyLuoFactor * std::pow(scintillator.meanAtomicNumber, kJoyLuoExponent) *
                         excitationInRest_),
      plasmaEnergyEv_(kPlasmaEnergyConstantEv *
                      std::sqrt(scintillator.densityGPerCm3 * scintillator.electronsPerMass)) {
  // Sternheimer and Peierls' general formula for solids and liquids with I below 100 eV.
  cBar_ = 2.0 * std::log(scintillator.meanExcitationEv / plasmaEnergyEv_) + 1.0;
  x0_ = cBar_ < 3.681 ? 0.2 : 0.326 * cBar_ - 1.0;
  x1_ = 2.0;
  a_ = (cBar_ - 4.606 * x0_) / std::pow(x1_ - x0_, kSternheimerExponent);

  const double excitationKeV = scintillator.meanExcitationEv * 1e-3;
  peakKeV_ = PeakOf([this](double e) { return BetheMevPerCm(e); }, excitationKeV, 20.0 * excitationKeV);
  peakMevPerCm_ = BetheMevPerCm(peakKeV_);
}

double StoppingPower::MevPerCm(double energyKeV) const {
  if (!(energyKeV > 0.0)) return 0.0;
  if (lowEnergy_ == LowEnergyStopping::kJoyLuo) {
    return std::max(0.0, BetheMevPerCm(energyKeV, joyLuoShiftInRest_));
  }
  if (energyKeV > peakKeV_) return BetheMevPerCm(energyKeV);
  return peakMevPerCm_ * std::sqrt(energyKeV / peakKeV_);
}

double StoppingPower::BetheMevPerCm(double energyKeV, double shiftInRest) const {
  const double tau = energyKeV / kElectronRestKeV;
  const double beta2 = tau * (tau + 2.0) / ((tau + 1.0) * (tau + 1.0));
  const double shifted = tau + shiftInRest;
  const double logTerm =
      std::log(shifted * shifted * (tau + 2.0) / (2.0 * excitationInRest_ * excitationInRest_));
  const double f =
      1.0 - beta2 + (tau * tau / 8.0 - (2.0 * tau + 1.0) * std::numbers::ln2) / ((tau + 1.0) * (tau + 1.0));
  return kHalfBetheConstant * medium_.densityGPerCm3 * medium_.electronsPerMass / beta2 *
         (logTerm + f - DensityEffect(tau));
}

double StoppingPower::DensityEffect(double tau) const {
  // X = log10(beta gamma) = log10(p / m c).
  const double x = std::log10(std::sqrt(tau * (tau + 2.0)));
  if (x <= x0_) return 0.0;
  const double linear = 4.606 * x - cBar_;
  if (x >= x1_) return linear;
  return linear + a_ * std::pow(x1_ - x, kSternheimerExponent);
}

}  // namespace korva
