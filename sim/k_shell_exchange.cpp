#include "sim/k_shell_exchange.h"

#include <cmath>

#include "sim/physical_constants.h"
#include "sim/slater_atom.h"

namespace korva::sim {

double KShellExchangeAmplitude(double parentCharge, double daughterCharge, double k) {
  const double zeta = parentCharge;
  const double squares = zeta * zeta + k * k;
  return 8.0 * std::pow(zeta * daughterCharge, 1.5) * (daughterCharge - zeta) *
         std::exp(-2.0 * daughterCharge / k * std::atan(k / zeta)) / (squares * squares);
}

double KShellExchange(int emitterZ, double kineticKeV) {
  if (emitterZ < 1 || kineticKeV <= 0.0) return 1.0;
  // The wave number in atomic units: the momentum p (in m c) over alpha.
  const double w = 1.0 + kineticKeV / kElectronRestKeV;
  const double k = std::sqrt(w * w - 1.0) / kFineStructure;
  // Right after the decay the daughter (charge Z + 1) still holds the parent's Z electrons.
  const double t =
      KShellExchangeAmplitude(KShellCharge(emitterZ, emitterZ), KShellCharge(emitterZ + 1, emitterZ), k);
  if (emitterZ == 1) return 1.0 + t + t * t;
  return (1.0 + t) * (1.0 + t);
}

}  // namespace korva::sim
