#pragma once

#include <span>
#include <vector>

#include "analysis/photon_attenuation.h"
#include "decay/nuclide.h"

namespace korva {

// One way the atom can rearrange after a capture: its probability per
// capture and the electrons (and absorbed photons, counted as the electrons
// they set free) whose energies reach the scintillator.
struct CaptureOutcome {
  double probability = 0.0;
  std::vector<double> electronsKeV;
};

// The outcomes of a capture, after the simple rearrangement model of the
// TDCR method for electron capture (R. Broda, P. Cassette and K. Kossert,
// Metrologia 44 (2007) S36, Sec. 4; A. Grau Malonda, "Free parameter models
// in liquid scintillation counting", CIEMAT 1999, ch. 7):
//
//   K capture (P_K), K X-ray emitted (omega_K): the L cascade that fills
//     the vacancy the X-ray leaves, B_K - E_X, as one electron; the X-ray
//     is absorbed in the vial with `xrayAbsorbed`, by the cocktail's atoms
//     in their shares of its attenuation (`absorbers`): a photoelectron of
//     E_X - B and the absorbing atom's own cascade of its K binding energy
//     B, each giving its light on its own, which gives less light than one
//     electron of E_X (A. Grau Carles, E. Guenther and A. Grau Malonda,
//     "The photoionization-reduced energy in LSC", Appl. Radiat. Isot. 64
//     (2006) 43);
//   K capture, K Auger electron (1 - omega_K): the Auger electron E_A and
//     the cascade of the two L vacancies it leaves, B_K - E_A, as two
//     electrons of half that energy;
//   L capture (P_L): the L cascade B_L as one electron;
//   M capture (P_M): B_M as one electron.
//
// The energy given to the atom's electrons sums to the binding energy of
// the captured electron in each outcome (apart from an escaping X-ray's).
// L-shell fluorescence (omega_L under 0.01 below Z = 30) is taken as Auger
// emission: its photons are absorbed within micrometres.
std::vector<CaptureOutcome> CaptureOutcomes(const CaptureAtom& atom, double xrayAbsorbed,
                                            std::span<const PhotoAbsorber> absorbers);

}  // namespace korva
