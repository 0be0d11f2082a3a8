#include "analysis/electron_capture.h"

namespace korva {

std::vector<CaptureOutcome> CaptureOutcomes(const CaptureAtom& a, double xrayAbsorbed) {
  const double xray = a.pK * a.fluorescenceK;
  const double kCascade = a.kBindingKeV - a.kXrayKeV;
  const double augerCascade = 0.5 * (a.kBindingKeV - a.kAugerKeV);
  return {
      {xray * xrayAbsorbed, {kCascade, a.kXrayKeV}},
      {xray * (1.0 - xrayAbsorbed), {kCascade}},
      {a.pK * (1.0 - a.fluorescenceK), {a.kAugerKeV, augerCascade, augerCascade}},
      {a.pL, {a.lBindingKeV}},
      {a.pM, {a.mBindingKeV}},
  };
}

}  // namespace korva
