#include "sim/ionisation_quenching.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/physical_constants.h"

namespace korva::sim {

namespace {

// 2 pi r_e^2 m c^2 N_A, MeV cm^2 / g.
constexpr double kBetheConstant = 0.153537;
// Toluene: Z/A, mean excitation energy, density.
constexpr double kZOverA = 0.5427;
constexpr double kExcitationKeV = 0.0625;
constexpr double kDensity = 0.867;  // g/cm^3
constexpr double kLowestBetheKeV = 0.2;
constexpr std::size_t kQuenchingTablePoints = 8192;

}  // namespace

double IonisationQuenching::StoppingPower(double energyKeV) {
  const double tau = std::max(energyKeV, kLowestBetheKeV) / kElectronRestKeV;
  const double gamma = 1.0 + tau;
  const double beta2 = 1.0 - 1.0 / (gamma * gamma);
  const double excitation = kExcitationKeV / kElectronRestKeV;
  const double exchange =
      1.0 - beta2 + (tau * tau / 8.0 - (2.0 * tau + 1.0) * std::numbers::ln2) / (gamma * gamma);
  const double bracket = std::log(tau * tau * (tau + 2.0) / (2.0 * excitation * excitation)) + exchange;
  return kBetheConstant * kZOverA * kDensity / beta2 * bracket;
}

IonisationQuenching::IonisationQuenching(double kB, double highestKeV)
    : step_(std::max(highestKeV, 1.0) / (kQuenchingTablePoints - 1)) {
  // Trapezoidal running integral of the light yield per keV.
  quenched_.resize(kQuenchingTablePoints, 0.0);
  auto yield = [kB](double energyKeV) { return 1.0 / (1.0 + kB * StoppingPower(energyKeV)); };
  for (std::size_t i = 1; i < kQuenchingTablePoints; ++i) {
    const double low = step_ * static_cast<double>(i - 1);
    quenched_[i] = quenched_[i - 1] + 0.5 * (yield(low) + yield(low + step_)) * step_;
  }
}

double IonisationQuenching::QuenchedKeV(double energyKeV) const {
  const double position = std::clamp(energyKeV / step_, 0.0, static_cast<double>(kQuenchingTablePoints - 1));
  const auto i = std::min(static_cast<std::size_t>(position), kQuenchingTablePoints - 2);
  const double fraction = position - static_cast<double>(i);
  return quenched_[i] + fraction * (quenched_[i + 1] - quenched_[i]);
}

}  // namespace korva::sim
