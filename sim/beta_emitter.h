#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace korva::sim {

// What the virtual vial can hold: beta emitters, the electron-capture
// nuclide Fe-55, Sr-90 with Y-90 in equilibrium, and Bi-207, a source of
// mono-energetic conversion electrons for calibrating the energy axis.
enum class Nuclide {
  kH3,
  kC14,
  kNi63,
  kS35,
  kP33,
  kP32,
  kPm147,
  kBi207,
  kCa45,
  kCl36,
  kSr89,
  kSr90,
  kY90,
  kSr90Y90,
  kTc99,
  kPu241,
  kTl204,
  kFe55,
};

// The shape factor of a beta transition, in the neutrino momentum q and the
// electron momentum p (electron masses) and the Coulomb functions lambda_k
// (coulomb_lambda.h; E. J. Konopinski, "The Theory of Beta Radioactivity",
// Oxford 1966, ch. 6):
enum class BetaShape {
  kAllowed,               // 1
  kFirstForbiddenUnique,  // q^2 + lambda_2 p^2
  // Second forbidden non-unique in its lowest order, the shape of a unique
  // transition one order lower: q^2 + lambda_2 p^2.
  kSecondForbiddenNonUnique,
  kSecondForbiddenUnique,  // q^4 + (10/3) lambda_2 q^2 p^2 + lambda_3 p^4
};

// A nuclide of the vial: the daughter's charge, the endpoint energy of its
// (first) beta branch, the mass number and the branch's shape (endpoint 0
// for a nuclide without beta branch: Bi-207, whose conversion electrons
// conversion_electrons.h gives, and Fe-55, whose capture decay_scheme.h
// gives). The one table both the analyser's vial and the TDCR counter's
// draw from; decay_scheme.h adds the further branches.
struct BetaEmitter {
  Nuclide nuclide = Nuclide::kH3;
  std::string_view name;
  int daughterZ = 0;
  double endpointKeV = 0.0;
  int massNumber = 0;
  BetaShape shape = BetaShape::kAllowed;
};

std::span<const BetaEmitter> BetaEmitters();

// The emitter of that exact name ("H-3"); nullptr for any other.
const BetaEmitter* FindBetaEmitter(std::string_view name);
const BetaEmitter& EmitterOf(Nuclide nuclide);

// "H-3", "C-14", ...
std::string_view NuclideName(Nuclide nuclide);
// The nuclide of a name as NuclideName writes it, case ignored; none for
// any other text.
std::optional<Nuclide> NuclideOfName(std::string_view name);

}  // namespace korva::sim
