#include "sim/beta_spectrum.h"

#include <algorithm>
#include <cmath>

#include "sim/coulomb_lambda.h"
#include "sim/fast_draws.h"
#include "sim/fermi_function.h"
#include "sim/physical_constants.h"
#include "sim/shell_exchange.h"
#include "sim/slater_atom.h"

namespace korva::sim {

namespace {

constexpr std::size_t kSpectrumTablePoints = 4096;
// The screened electron's least kinetic energy, in electron masses (0.5
// meV): where p~ F0 has reached its limit at p~ = 0 to 1e-9.
constexpr double kLeastScreenedKinetic = 1e-9;

// The shape factor C(W) of beta_emitter.h's BetaShape. The electron's
// terms, p^2 and the Coulomb functions lambda_k (coulomb_lambda.h), belong
// to its wave at the nucleus and are taken at the screened energy W~ the
// Fermi function takes (their product stays finite as p~ -> 0); the
// neutrino's q = W0 - W at the total energy. In electron masses.
double ShapeFactor(BetaShape shape, int daughterZ, double radius, double total, double screened,
                   double endpointTotal) {
  if (shape == BetaShape::kAllowed) return 1.0;
  const double q2 = (endpointTotal - total) * (endpointTotal - total);
  const double p2 = screened * screened - 1.0;
  const double lambda2 = CoulombLambda(2, daughterZ, radius, screened);
  if (shape != BetaShape::kSecondForbiddenUnique) return q2 + lambda2 * p2;
  const double lambda3 = CoulombLambda(3, daughterZ, radius, screened);
  return q2 * q2 + 10.0 / 3.0 * lambda2 * q2 * p2 + lambda3 * p2 * p2;
}

}  // namespace

BetaSpectrum::BetaSpectrum(const BetaEmitter& emitter)
    : endpointKeV_(emitter.endpointKeV),
      daughterZ_(emitter.daughterZ),
      shape_(emitter.shape),
      radius_(NuclearRadius(emitter.massNumber)),
      screeningPotential_(PotentialAtNucleus(emitter.daughterZ - 1)),
      exchange_(emitter.endpointKeV > 0.0 ? &ShellExchangeOf(emitter.daughterZ - 1) : nullptr) {
  if (!(endpointKeV_ > 0.0)) return;
  // Trapezoidal running integral of the density over the table's energies.
  cumulative_.resize(kSpectrumTablePoints, 0.0);
  const double step = endpointKeV_ / (kSpectrumTablePoints - 1);
  double weighted = 0.0;
  for (std::size_t i = 1; i < kSpectrumTablePoints; ++i) {
    const double low = step * static_cast<double>(i - 1);
    const double high = low + step;
    const double area = 0.5 * (Density(low) + Density(high)) * step;
    cumulative_[i] = cumulative_[i - 1] + area;
    weighted += area * 0.5 * (low + high);
  }
  meanKeV_ = weighted / cumulative_.back();
  for (double& value : cumulative_) value /= cumulative_.back();
  // Guide table (H. C. Chen and Y. Asau, J. Chinese Inst. Eng. 3 (1974) 7):
  // bucket j holds the first table index whose cumulative value passes j / kSpectrumTablePoints.
  guide_.resize(kSpectrumTablePoints);
  std::size_t i = 0;
  for (std::size_t j = 0; j < kSpectrumTablePoints; ++j) {
    const double level = static_cast<double>(j) / kSpectrumTablePoints;
    while (i + 1 < kSpectrumTablePoints && cumulative_[i] <= level) ++i;
    guide_[j] = i;
  }
}

double BetaSpectrum::Density(double energyKeV) const {
  if (energyKeV <= 0.0 || energyKeV >= endpointKeV_) return 0.0;
  const double total = 1.0 + energyKeV / kElectronRestKeV;  // W, in electron masses
  const double screened = std::max(total - screeningPotential_, 1.0 + kLeastScreenedKinetic);
  const double screenedMomentum = std::sqrt(screened * screened - 1.0);
  const double left = (endpointKeV_ - energyKeV) / kElectronRestKeV;
  // Beta minus: the emitter's atomic number is one below the daughter's.
  return screenedMomentum * screened * PointFermiFunction(daughterZ_, radius_, screened) *
         FiniteSizeL0(daughterZ_, radius_, total) * left * left * exchange_->At(energyKeV) *
         ShapeFactor(shape_, daughterZ_, radius_, total, screened, 1.0 + endpointKeV_ / kElectronRestKeV);
}

double BetaSpectrum::Draw(std::mt19937& random) const {
  if (cumulative_.empty()) return 0.0;
  const double u = UnitUniform(random);
  // The first table value above u, searched from its guide bucket on.
  std::size_t i =
      guide_[std::min(kSpectrumTablePoints - 1, static_cast<std::size_t>(u * kSpectrumTablePoints))];
  while (i < kSpectrumTablePoints && cumulative_[i] <= u) ++i;
  if (i == 0) return 0.0;
  if (i == kSpectrumTablePoints) return endpointKeV_;
  const double step = endpointKeV_ / (kSpectrumTablePoints - 1);
  const double span = cumulative_[i] - cumulative_[i - 1];
  const double fraction = span > 0.0 ? (u - cumulative_[i - 1]) / span : 0.0;
  return step * (static_cast<double>(i - 1) + fraction);
}

}  // namespace korva::sim
