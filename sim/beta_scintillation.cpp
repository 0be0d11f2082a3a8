#include "sim/beta_scintillation.h"

#include <algorithm>

#include "sim/fast_draws.h"

namespace korva::sim {

namespace {

std::vector<BetaSpectrum> SpectraOf(const DecayScheme& scheme, const BetaEmitter& emitter) {
  std::vector<BetaSpectrum> spectra;
  for (const BetaBranch& branch : scheme.betas) spectra.emplace_back(branch.transition);
  if (spectra.empty()) spectra.emplace_back(emitter);
  return spectra;
}

double HighestOf(const std::vector<BetaSpectrum>& spectra, const DecayScheme& scheme, double conversionKeV) {
  double highest =
      std::max(conversionKeV, scheme.captureProbability > 0.0 ? scheme.captureAtom.kBindingKeV : 0.0);
  for (const BetaSpectrum& spectrum : spectra) highest = std::max(highest, spectrum.EndpointKeV());
  return highest;
}

}  // namespace

BetaScintillation::BetaScintillation(const BetaEmitter& emitter, double kbCmPerMeV)
    : scheme_(DecaySchemeOf(emitter)),
      spectra_(SpectraOf(scheme_, emitter)),
      decaysPerNamedDecay_(scheme_.DecaysPerNamedDecay()),
      conversion_(ConversionTransitionsOf(emitter.name)),
      highestKeV_(HighestOf(spectra_, scheme_, HighestConversionKeV(conversion_))),
      quenching_(kbCmPerMeV, highestKeV_) {}

void BetaScintillation::AddElectron(Deposit& deposit, double energyKeV) const {
  if (!(energyKeV > 0.0)) return;
  deposit.energyKeV += energyKeV;
  deposit.quenchedKeV += QuenchedKeV(energyKeV);
}

// A nuclide of one branch draws no branch, so its stream of draws is that
// of its beta spectrum alone.
void BetaScintillation::AddBranch(Deposit& deposit, std::mt19937& random) const {
  const bool single = scheme_.betas.size() + (scheme_.captureProbability > 0.0 ? 1 : 0) <= 1;
  double u = single ? 0.0 : UnitUniform(random) * decaysPerNamedDecay_;
  for (std::size_t i = 0; i < scheme_.betas.size(); ++i) {
    if (u < scheme_.betas[i].probability) {
      AddElectron(deposit, spectra_[i].Draw(random));
      return;
    }
    u -= scheme_.betas[i].probability;
  }
  if (scheme_.captureProbability > 0.0) {
    const CaptureElectrons electrons = DrawCapture(scheme_.captureAtom, random);
    for (int i = 0; i < electrons.count; ++i)
      AddElectron(deposit, electrons.energyKeV[static_cast<std::size_t>(i)]);
  }
}

BetaScintillation::Deposit BetaScintillation::Draw(std::mt19937& random) const {
  Deposit deposit;
  AddBranch(deposit, random);
  if (!conversion_.empty()) {
    const ConversionDeposit electrons = DrawConversionElectrons(
        conversion_, random, [this](double energyKeV) { return QuenchedKeV(energyKeV); });
    deposit.energyKeV += electrons.energyKeV;
    deposit.quenchedKeV += electrons.quenchedKeV;
  }
  return deposit;
}

}  // namespace korva::sim
