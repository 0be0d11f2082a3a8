#include "sim/beta_scintillation.h"

#include <algorithm>

namespace korva::sim {

BetaScintillation::BetaScintillation(const BetaEmitter& emitter, double kbCmPerMeV)
    : spectrum_(emitter),
      conversion_(ConversionTransitionsOf(emitter.name)),
      highestKeV_(std::max(spectrum_.EndpointKeV(), HighestConversionKeV(conversion_))),
      quenching_(kbCmPerMeV, highestKeV_) {}

BetaScintillation::Deposit BetaScintillation::Draw(std::mt19937& random) const {
  Deposit deposit;
  deposit.energyKeV = spectrum_.Draw(random);
  deposit.quenchedKeV = deposit.energyKeV > 0.0 ? QuenchedKeV(deposit.energyKeV) : 0.0;
  if (!conversion_.empty()) {
    const ConversionDeposit electrons = DrawConversionElectrons(
        conversion_, random, [this](double energyKeV) { return QuenchedKeV(energyKeV); });
    deposit.energyKeV += electrons.energyKeV;
    deposit.quenchedKeV += electrons.quenchedKeV;
  }
  return deposit;
}

}  // namespace korva::sim
