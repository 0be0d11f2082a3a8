#include "analysis/electron_capture.h"

namespace korva {

std::vector<CaptureOutcome> CaptureOutcomes(const CaptureAtom& a, double xrayAbsorbed,
                                            std::span<const PhotoAbsorber> absorbers) {
  const double xray = a.pK * a.fluorescenceK;
  const double kCascade = a.kBindingKeV - a.kXrayKeV;
  const double augerCascade = 0.5 * (a.kBindingKeV - a.kAugerKeV);
  std::vector<CaptureOutcome> outcomes = {
      {xray * (1.0 - xrayAbsorbed), {kCascade}},
      {a.pK * (1.0 - a.fluorescenceK), {a.kAugerKeV, augerCascade, augerCascade}},
      {a.pL, {a.lBindingKeV}},
      {a.pM, {a.mBindingKeV}},
  };
  for (const PhotoAbsorber& absorber : absorbers) {
    outcomes.push_back({xray * xrayAbsorbed * absorber.share,
                        {kCascade, a.kXrayKeV - absorber.kBindingKeV, absorber.kBindingKeV}});
  }
  return outcomes;
}

}  // namespace korva
