#include "analysis/nuclide_variants.h"

namespace korva {

namespace {

void AddShapeVariants(const Nuclide& n, std::vector<NuclideVariant>& out) {
  for (std::size_t i = 0; i < n.betas.size(); ++i) {
    const BetaBranch& b = n.betas[i];
    if (b.forbiddenness != Forbiddenness::kSecondForbiddenNonUnique || b.shape.Measured()) continue;
    NuclideVariant v{"shape of the second forbidden non-unique branch", n, {}, false, {}};
    if (n.betas.size() > 1) v.name += " " + std::to_string(i + 1);
    v.nuclide.betas[i].forbiddenness = Forbiddenness::kAllowed;
    out.push_back(std::move(v));
  }
  for (std::size_t i = 0; i < n.betas.size(); ++i) {
    const BetaBranch& b = n.betas[i];
    if (b.forbiddenness != Forbiddenness::kFirstForbiddenUnique || b.shape.Measured() ||
        !b.tabulated.energyKeV.empty()) {
      continue;
    }
    NuclideVariant v{"Coulomb function lambda_2 of the first forbidden unique shape", n, {}, false, {}};
    if (n.betas.size() > 1) v.name += " " + std::to_string(i + 1);
    v.nuclide.betas[i].coulombLambda = false;
    out.push_back(std::move(v));
  }
}

void AddCaptureVariants(const Nuclide& n, std::vector<NuclideVariant>& out) {
  for (std::size_t i = 0; i < n.captures.size(); ++i) {
    const CaptureAtom& a = n.captures[i].atom;
    NuclideVariant pk{"capture probabilities P_K, P_L", n, {}, true, {}};
    if (a.pKUncertainty > 0.0) {
      pk.nuclide.captures[i].atom.pK += a.pKUncertainty;
      pk.nuclide.captures[i].atom.pL -= a.pKUncertainty;
    } else {
      pk.notEvaluated = "the nuclide file gives no uncertainty of P_K";
    }
    NuclideVariant omega{"K fluorescence yield", n, {}, true, {}};
    if (a.fluorescenceKUncertainty > 0.0) {
      omega.nuclide.captures[i].atom.fluorescenceK += a.fluorescenceKUncertainty;
    } else {
      omega.notEvaluated = "the nuclide file gives no uncertainty of omega_K";
    }
    NuclideVariant xray{"X-ray absorption in the vial", n, {}, true, {}};
    xray.capture.attenuationScale = 1.0 + kAttenuationRelativeUncertainty;
    out.push_back(std::move(pk));
    out.push_back(std::move(omega));
    out.push_back(std::move(xray));
  }
}

}  // namespace

std::vector<NuclideVariant> NuclideModelVariants(const Nuclide& nuclide) {
  std::vector<NuclideVariant> variants;
  AddShapeVariants(nuclide, variants);
  AddCaptureVariants(nuclide, variants);
  return variants;
}

}  // namespace korva
