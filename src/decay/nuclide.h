#pragma once

#include <string>
#include <vector>

namespace korva {

// How the spectrum of a beta transition departs from the allowed shape.
enum class Forbiddenness {
  kAllowed,
  // First forbidden non-unique, taken with the allowed shape (the xi
  // approximation): it holds when the Coulomb energy at the nuclear surface
  // is large compared with the endpoint energy, as for Pm-147.
  kFirstForbiddenNonUnique,
  // First forbidden unique (Delta J = 2, parity change): shape factor
  // q^2 + p^2 (neutrino and electron momenta, lambda_2 = 1).
  kFirstForbiddenUnique,
  // Second forbidden non-unique (Delta J = 2, no parity change), as Cl-36
  // and Tc-99: in lowest order its shape is that of a unique transition of
  // one order less, q^2 + p^2 (E. J. Konopinski, "The Theory of Beta
  // Radioactivity", Oxford 1966, ch. 6), which the program takes unless a
  // measured shape factor is given; the budget weighs it against the
  // allowed shape.
  kSecondForbiddenNonUnique,
  // Second forbidden unique (Delta J = 3, no parity change): shape factor
  // q^4 + (10/3) q^2 p^2 + p^4 (lambda_2 = lambda_3 = 1; Konopinski, ch. 6).
  kSecondForbiddenUnique,
};

// An experimental shape factor 1 + a W + b / W + c W^2 on top of the shape of
// the forbiddenness, W the electron's total energy in electron masses.
struct ShapeFactor {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  bool Measured() const { return a != 0.0 || b != 0.0 || c != 0.0; }
};

// A tabulated spectrum (a user's own, from a beta-spectrum code): density
// against kinetic energy, linearly interpolated, energies increasing.
struct TabulatedSpectrum {
  std::vector<double> energyKeV;
  std::vector<double> density;
};

// One beta-minus branch: `probability` per decay of the nuclide, to a
// daughter of atomic number `daughterZ` (a branch of a daughter in
// equilibrium, such as Y-90 beside Sr-90, names its own).
struct BetaBranch {
  double probability = 1.0;
  double endpointKeV = 0.0;
  int daughterZ = 0;
  int massNumber = 0;
  Forbiddenness forbiddenness = Forbiddenness::kAllowed;
  ShapeFactor shape;
  TabulatedSpectrum tabulated;  // empty: the shape is computed
  // The unique first forbidden shape (and the lowest-order second forbidden
  // non-unique one) weighs p^2 by the Coulomb function lambda_2; false sets
  // lambda_2 = 1, the plain q^2 + p^2, which the budget weighs against it.
  bool coulombLambda = true;
};

// The atomic data of an electron-capture branch's daughter atom: what
// follows the capture of a K, L or M electron.
struct CaptureAtom {
  double pK = 0.0, pL = 0.0, pM = 0.0;  // capture probabilities, sum 1
  double pKUncertainty = 0.0;           // standard; 0 when the file gives none
  double fluorescenceK = 0.0;           // omega_K
  double fluorescenceKUncertainty = 0.0;
  double kXrayKeV = 0.0;   // mean K X-ray energy
  double kAugerKeV = 0.0;  // mean K Auger electron energy
  double kBindingKeV = 0.0;
  double lBindingKeV = 0.0;  // mean L-shell binding: the energy of the L cascade
  double mBindingKeV = 0.0;
};

struct CaptureBranch {
  double probability = 1.0;
  double qKeV = 0.0;
  CaptureAtom atom;
};

// Half-lives are kept in seconds; the files and listings give them in days
// and in the year of the nuclear data evaluations (DDEP: 1 a = 365.24219878 d).
inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr double kSecondsPerYear = 365.24219878 * kSecondsPerDay;

// A radionuclide as its data file describes it.
struct Nuclide {
  std::string name;  // "H-3"
  int z = 0;
  int massNumber = 0;
  double halfLifeSeconds = 0.0;
  double halfLifeUncertaintySeconds = 0.0;  // standard uncertainty
  std::vector<BetaBranch> betas;
  std::vector<CaptureBranch> captures;
  std::string source;   // the evaluation the values come from, for listings
  std::string file;     // the data file it was read from
  std::string version;  // the data file's own version

  // "beta-", "EC", "beta-, EC"; "beta- (2 branches)" when one mode has several.
  std::string DecayMode() const;
  // The sum of the branch probabilities: decays per decay of the nuclide
  // (2 for Sr-90 with Y-90 in equilibrium).
  double EmissionsPerDecay() const;
};

}  // namespace korva
