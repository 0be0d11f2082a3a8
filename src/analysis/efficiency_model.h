#pragma once

#include <array>
#include <vector>

#include "analysis/scintillator.h"
#include "analysis/stopping_power.h"
#include "analysis/vial_absorption.h"
#include "decay/beta_spectrum.h"
#include "decay/nuclide.h"

namespace korva {

// The photoelectron yields the model is evaluated over, photoelectrons per
// keV of quenched energy over the three tubes.
inline constexpr double kMinLambda = 1e-3;
inline constexpr double kMaxLambda = 1e3;

// Detection efficiencies of the symmetric model and their slopes with
// respect to ln(lambda), for the solver's Newton steps.
struct SymmetricEfficiency {
  double doubles = 0.0;  // eps_D: at least two tubes
  double triples = 0.0;  // eps_T: all three tubes
  double doublesSlope = 0.0;
  double triplesSlope = 0.0;
  double Ratio() const { return doubles > 0.0 ? triples / doubles : 0.0; }
  // d Ratio / d ln(lambda).
  double RatioSlope() const {
    return (triplesSlope * doubles - triples * doublesSlope) / (doubles * doubles);
  }
  // d ln(eps_D) / d(T/D) along the efficiency curve: how a spread in the
  // measured T/D spreads the efficiency.
  double DoublesPerRatio() const {
    const double slope = RatioSlope();
    return slope > 0.0 ? doublesSlope / doubles / slope : 0.0;
  }
};

// Detection efficiencies of the asymmetric model, tubes A, B, C.
struct AsymmetricEfficiency {
  double ab = 0.0;
  double bc = 0.0;
  double ac = 0.0;
  double triples = 0.0;
  // d eps / d ln(lambda_A), ln(lambda_B), ln(lambda_C).
  std::array<double, 3> abSlope{};
  std::array<double, 3> bcSlope{};
  std::array<double, 3> acSlope{};
  std::array<double, 3> triplesSlope{};
  double Doubles() const { return ab + bc + ac - 2.0 * triples; }
};

// How the X-rays of electron capture are absorbed: the vial's filling, and
// a factor on the attenuation coefficient for the budget.
struct CaptureSettings {
  VialFilling vial;
  double attenuationScale = 1.0;
};

// The free-parameter model of a TDCR counter for one nuclide and one kB:
// an electron that deposits E makes on average lambda Q(E) / 3
// photoelectrons in each of the three tubes, Poisson distributed, so that a
// tube fires with probability p(E) = 1 - exp(-lambda Q(E) / 3). lambda is
// the number of photoelectrons per keV of quenched energy over all tubes.
//
// A decay gives one light pulse per branch event: a beta of a branch's
// spectrum, or the electrons of an atom's rearrangement after a capture
// (their quenched energies add). Every branch counts with its probability
// per decay, so for a nuclide with two emissions per decay (Sr-90 with
// Y-90) the efficiencies are counts per decay of the parent and may exceed 1.
//
// The branch events and their quenched energies are computed once, when the
// model is made; an efficiency is then one pass over them.
class EfficiencyModel {
 public:
  EfficiencyModel(const Nuclide& nuclide, double kb, const Scintillator& scintillator,
                  int intervals = kDefaultSpectrumIntervals,
                  LowEnergyStopping lowEnergy = LowEnergyStopping::kVelocityProportional,
                  AtomicCorrections corrections = AtomicCorrections::kIncluded,
                  const CaptureSettings& capture = {});

  // eps_T = <p^3>, eps_D = <3 p^2 - 2 p^3>.
  SymmetricEfficiency Symmetric(double lambda) const;
  // eps_AB = <pA pB> and so on, eps_T = <pA pB pC>, with each tube's own lambda.
  AsymmetricEfficiency Asymmetric(const std::array<double, 3>& lambdas) const;

  // eps_T / eps_D of the symmetric model at kMinLambda and kMaxLambda: the
  // T/D values a measurement can have under this model.
  double LowestRatio() const { return lowestRatio_; }
  double HighestRatio() const { return highestRatio_; }

  const Nuclide& Source() const { return nuclide_; }
  double Kb() const { return kb_; }
  std::size_t NodeCount() const { return weight_.size(); }

 private:
  void AddBeta(const BetaBranch& branch, const StoppingPower& stopping, int intervals,
               AtomicCorrections corrections);
  void AddCapture(const CaptureBranch& branch, const StoppingPower& stopping, const CaptureSettings& capture);

  Nuclide nuclide_;
  double kb_;
  std::vector<double> weight_;
  std::vector<double> quenchedThird_;  // Q(E) / 3 at each node, keV
  double lowestRatio_ = 0.0;
  double highestRatio_ = 0.0;
};

}  // namespace korva
