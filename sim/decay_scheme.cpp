#include "sim/decay_scheme.h"

#include <numeric>

namespace korva::sim {

namespace {

// Binding energies: J. A. Bearden and A. F. Burr, Rev. Mod. Phys. 39 (1967)
// 125 (BB67). Attenuation in the toluene cocktail (C7H8, mass fractions
// 0.9125 C and 0.0875 H, density 0.8669 g/cm^3): the mass attenuation
// coefficients of J. H. Hubbell and S. M. Seltzer, NISTIR 5632 (1995), for
// H and C at 2, 3, 5, 6 and 8 keV, interpolated log-log to the line.

// Mn, after Fe-55's capture.
//   P_K 0.885, P_L 0.100, P_M 0.015: DDEP evaluation of Fe-55.
//   K alpha 5.8950 keV: K alpha1 5.89875 and K alpha2 5.88765 keV weighted
//   16.2 : 8.2 (DDEP); K beta 6.49045 keV (DDEP).
//   K X-rays per decay 0.245(7) K alpha and 0.0338(9) K beta (U. Schoetzig,
//   Appl. Radiat. Isot. 53 (2000) 469), per K vacancy divided by P_K:
//   0.2768 and 0.0382 (omega_K 0.315).
//   Toluene: 10.58 cm^2/g at 5.895 keV, 7.908 cm^2/g at 6.490 keV.
//   BB67: K 6.5390, L1 0.7690, L2,3 0.6424 (L2 0.6497, L3 0.6387 weighted
//   1 : 2 by their electrons), M 0.0474 (M2,3) keV.
//   K Auger groups KLL : KLX : KXY = 100 : 26.92 : 1.913, DDEP's for the
//   neighbouring Cr (Mn-54 evaluation, V. P. Chechev and N. K. Kuzmenko, 2014).
constexpr CaptureAtom kManganese = {
    .pK = 0.885,
    .pL = 0.100,
    .kBindingKeV = 6.5390,
    .l1BindingKeV = 0.7690,
    .l23BindingKeV = 0.6424,
    .mBindingKeV = 0.0474,
    .xrays = {{{5.8950, 0.2768, 10.58 * 0.8669}, {6.49045, 0.0382, 7.908 * 0.8669}}},
    .augerShares = {100.0, 26.92, 1.913},
};

// S, after Cl-36's capture.
//   P_K 0.90, P_L 0.09 (M 0.01): the allowed-capture ratios of W. Bambynek
//   et al., Rev. Mod. Phys. 49 (1977) 77, at Z = 17.
//   omega_K 0.078 (M. O. Krause, J. Phys. Chem. Ref. Data 8 (1979) 307),
//   all taken as K alpha, 2.3078 keV (BB67 K - L3 energies); toluene 180.3
//   cm^2/g, so every one stops in the vial.
//   BB67: K 2.4720, L1 0.2292, L2,3 0.1640, M 0.010 keV (valence).
//   K Auger: KLL only (the M shell holds only S's valence electrons).
constexpr CaptureAtom kSulfur = {
    .pK = 0.90,
    .pL = 0.09,
    .kBindingKeV = 2.4720,
    .l1BindingKeV = 0.2292,
    .l23BindingKeV = 0.1640,
    .mBindingKeV = 0.010,
    .xrays = {{{2.3078, 0.078, 180.3 * 0.8669}, {2.3078, 0.0, 0.0}}},
    .augerShares = {1.0, 0.0, 0.0},
};

// Hg, after Tl-204's capture.
//   P_K 0.70, P_L 0.22 (M and beyond 0.08): Bambynek et al. (1977) at Z = 80.
//   omega_K 0.953 (Krause 1979), K beta / K alpha 0.27 (J. H. Scofield,
//   At. Data Nucl. Data Tables 14 (1974) 121): 0.750 K alpha (K alpha1
//   70.82 keV, R. D. Deslattes et al., Rev. Mod. Phys. 75 (2003) 35), 0.203
//   K beta (80.3 keV). Photo-absorption in carbon at 70-80 keV is under
//   0.01 cm^2/g (NISTIR 5632), so they are taken to leave; those scattered
//   once in the vial (about a fifth) leave under 20 keV there, which the
//   simple model leaves out.
//   BB67: K 83.102, L1 14.839, L3 12.284, M 3.0 (mean of M1..M5) keV.
//   K Auger: KLL only.
constexpr CaptureAtom kMercury = {
    .pK = 0.70,
    .pL = 0.22,
    .kBindingKeV = 83.102,
    .l1BindingKeV = 14.839,
    .l23BindingKeV = 12.284,
    .mBindingKeV = 3.0,
    .xrays = {{{70.82, 0.750, 0.0}, {80.3, 0.203, 0.0}}},
    .augerShares = {1.0, 0.0, 0.0},
};

}  // namespace

double DecayScheme::DecaysPerNamedDecay() const {
  const double sum = std::accumulate(betas.begin(), betas.end(), captureProbability,
                                     [](double total, const BetaBranch& b) { return total + b.probability; });
  return sum > 0.0 ? sum : 1.0;
}

DecayScheme DecaySchemeOf(const BetaEmitter& emitter) {
  DecayScheme scheme;
  switch (emitter.nuclide) {
    case Nuclide::kCl36:  // DDEP: 98.1(1) % beta minus, 1.9(1) % capture (its 1.5e-5 beta plus left out)
      return {{{0.981, emitter}}, 0.019, kSulfur};
    case Nuclide::kTl204:  // DDEP: 97.08(12) % beta minus, 2.92(12) % capture
      return {{{0.9708, emitter}}, 0.0292, kMercury};
    case Nuclide::kSr90Y90:  // each decay of Sr-90 comes with one of Y-90
      return {{{1.0, emitter}, {1.0, EmitterOf(Nuclide::kY90)}}, 0.0, {}};
    case Nuclide::kFe55:  // capture only
      return {{}, 1.0, kManganese};
    default:
      if (emitter.endpointKeV > 0.0) scheme.betas.push_back({1.0, emitter});
      return scheme;
  }
}

}  // namespace korva::sim
