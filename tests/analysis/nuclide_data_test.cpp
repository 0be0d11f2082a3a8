#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <numeric>
#include <random>
#include <string>

#include "analysis/birks_quenching.h"
#include "analysis/efficiency_model.h"
#include "analysis/electron_capture.h"
#include "analysis/nuclide_file.h"
#include "analysis/nuclide_library.h"
#include "analysis/nuclide_variants.h"
#include "analysis/photon_attenuation.h"
#include "analysis/scintillator.h"
#include "analysis/spectrum_file.h"
#include "analysis/stopping_power.h"
#include "analysis/vial_absorption.h"
#include "decay/beta_spectrum.h"
#include "decay/fermi_function.h"

namespace korva {
namespace {

constexpr double kDay = 86400.0;

const char* const kTwoBranches =
    "# a test nuclide\n"
    "name Xx-90\n"
    "version 7\n"
    "source DDEP\n"
    "Z 38\r\n"
    "A 90\n"
    "half-life 2 0.01 d | somewhere\n"
    "beta- 0.6 500 second-forbidden-unique | there\n"
    "shape-factor 0.1 0 0\n"
    "beta- 0.4 900 allowed 40\n"
    "ec 0.05 300\n"
    "capture 0.8 0.15 0.05 0.01\n"
    "fluorescence-k 0.3\n"
    "k-xray 15\n"
    "k-auger 12\n"
    "binding 17 2 0.3\n";

Checked<Nuclide> Read(const std::string& text) { return ReadNuclideText(text, "x.nuclide"); }

TEST(NuclideFile, ReadsEveryKindOfLine) {
  const Checked<Nuclide> n = Read(kTwoBranches);
  ASSERT_TRUE(n) << n.error;
  EXPECT_EQ(n->name, "Xx-90");
  EXPECT_EQ(n->version, "7");
  EXPECT_EQ(n->file, "x.nuclide");
  EXPECT_DOUBLE_EQ(n->halfLifeSeconds, 2 * kDay);
  EXPECT_DOUBLE_EQ(n->halfLifeUncertaintySeconds, 0.01 * kDay);
  ASSERT_EQ(n->betas.size(), 2u);
  EXPECT_EQ(n->betas[0].daughterZ, 39);  // Z + 1 unless given
  EXPECT_EQ(n->betas[1].daughterZ, 40);
  EXPECT_EQ(n->betas[0].massNumber, 90);
  EXPECT_EQ(n->betas[0].forbiddenness, Forbiddenness::kSecondForbiddenUnique);
  EXPECT_DOUBLE_EQ(n->betas[0].shape.a, 0.1);
  EXPECT_FALSE(n->betas[1].shape.Measured());
  ASSERT_EQ(n->captures.size(), 1u);
  EXPECT_DOUBLE_EQ(n->captures[0].atom.pKUncertainty, 0.01);
  EXPECT_DOUBLE_EQ(n->captures[0].atom.mBindingKeV, 0.3);
  EXPECT_DOUBLE_EQ(n->EmissionsPerDecay(), 1.05);
  EXPECT_EQ(n->DecayMode(), "beta- (2 branches), EC");
  // A year is the evaluations' 365.24219878 d.
  EXPECT_DOUBLE_EQ(ParseHalfLife("1 a")->first, 365.24219878 * kDay);
  EXPECT_DOUBLE_EQ(ParseHalfLife("12 0.5 h")->second, 1800.0);
  EXPECT_FALSE(ParseHalfLife("12 weeks"));
  EXPECT_FALSE(ParseHalfLife("-1 s"));
}

TEST(NuclideFile, NamesTheFileAndLineOfEveryFault) {
  const std::string head = "name Xx-1\nZ 1\nA 3\nhalf-life 1 0.1 a\n";
  const auto error = [&](const std::string& rest) { return Read(head + rest).error; };
  EXPECT_EQ(error("beta- 1 18 allowed\ncolour blue\n"), "x.nuclide:6: unknown keyword \"colour\"");
  EXPECT_EQ(error("beta- 1 1e9 allowed\n"), "x.nuclide:5: \"1e9\" is outside 0.001 to 20000");
  EXPECT_EQ(error("beta- 1 18 allowed\nbeta- x 18 allowed\n"), "x.nuclide:6: not a number: \"x\"");
  EXPECT_EQ(error("beta- 1 18 magic\n"), "x.nuclide:5: unknown forbiddenness \"magic\"");
  EXPECT_EQ(error("shape-factor 1 0 0\n"),
            "x.nuclide:5: \"shape-factor\" must follow the beta- line it belongs to");
  EXPECT_EQ(error("beta- 1 18 allowed\nZ 2\n"), "x.nuclide:6: \"Z\" given twice");
  EXPECT_EQ(error("ec 1 200\ncapture 0.5 0.2 0.1\n"), "x.nuclide:6: P_K + P_L + P_M is not 1");
  EXPECT_EQ(error("ec 1 200\nfluorescence-k 0.3 0.4\n"),
            "x.nuclide:6: the uncertainty is not below its value");
  EXPECT_EQ(error("ec 1 200\ncapture 0.9 0.1 0\n"),
            "x.nuclide:5: the ec branch lacks its atomic data (capture, fluorescence-k, k-xray, k-auger and "
            "binding lines after it)");
  EXPECT_EQ(error(""), "x.nuclide:0: no beta- or ec branch");
  EXPECT_EQ(Read("Z 1\n").error, "x.nuclide:0: no \"name\" line");
  EXPECT_EQ(Read("name X\nZ 1\nA 3\nhalf-life 1 2 a\n").error,
            "x.nuclide:4: the half-life's uncertainty is not below its value");
}

class TemporaryDirectory {
 public:
  TemporaryDirectory()
      : path_(std::filesystem::temp_directory_path() /
              ("korva-nuclides-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::create_directories(path_);
  }
  ~TemporaryDirectory() { std::filesystem::remove_all(path_); }
  void Write(const std::string& name, const std::string& text) const { std::ofstream(path_ / name) << text; }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEST(NuclideLibrary, LoadsADirectoryAndNamesWhatItCouldNotRead) {
  const TemporaryDirectory dir;
  dir.Write("b.nuclide", "name Bb-20\nZ 9\nA 20\nhalf-life 1 0 s\nbeta- 1 100 allowed\n");
  dir.Write("a.nuclide", "name Aa-30\nZ 9\nA 30\nhalf-life 1 0 s\nbeta- 1 100 allowed\n");
  dir.Write("c.nuclide", "name AA-30\nZ 9\nA 30\nhalf-life 1 0 s\nbeta- 1 100 allowed\n");
  dir.Write("d.nuclide", "name Dd-1\nZ 9\n");
  dir.Write("notes.txt", "not a nuclide");
  const NuclideLibrary library = LoadNuclideLibrary(dir.Path());
  ASSERT_EQ(library.nuclides.size(), 2u);
  EXPECT_EQ(library.nuclides[0].name, "Bb-20");  // by mass number
  EXPECT_EQ(library.nuclides[1].name, "Aa-30");
  ASSERT_EQ(library.problems.size(), 2u);
  EXPECT_NE(library.problems[0].find("c.nuclide: a nuclide named AA-30 is already known"), std::string::npos);
  EXPECT_NE(library.problems[1].find("d.nuclide:0: no \"Z\" or \"A\" line"), std::string::npos);
  EXPECT_TRUE(LoadNuclideLibrary(dir.Path() / "missing").nuclides.empty());
}

TEST(NuclideLibrary, ShipsEveryNuclideALabMeasuresAndReadsAllItsFiles) {
  EXPECT_TRUE(ProgramNuclides().problems.empty());
  for (const char* name : {"H-3", "C-14", "Ni-63", "S-35", "P-33", "P-32", "Pm-147", "Ca-45", "Cl-36",
                           "Sr-89", "Sr-90", "Y-90", "Sr-90+Y-90", "Tc-99", "Pu-241", "Tl-204", "Fe-55"}) {
    const Nuclide* n = FindNuclide(name);
    ASSERT_NE(n, nullptr) << name;
    EXPECT_FALSE(n->version.empty()) << name;
    EXPECT_GT(n->halfLifeUncertaintySeconds, 0.0) << name;
    EXPECT_LT(n->halfLifeUncertaintySeconds, 0.02 * n->halfLifeSeconds) << name;
  }
  EXPECT_EQ(FindNuclide("sr-90+y-90")->EmissionsPerDecay(), 2.0);
  EXPECT_EQ(FindNuclide("Tl-204")->DecayMode(), "beta-, EC");
  EXPECT_NEAR(FindNuclide("Tl-204")->EmissionsPerDecay(), 1.0, 1e-9);
}

// The shape factors by hand at E0 = 1000 keV, E = 500 keV: W = 1.97848,
// W0 = 2.95696, q = W0 - W, p^2 = W^2 - 1: q^2 + p^2 = 3.87178 and
// q^4 + 10/3 q^2 p^2 + p^4 = 18.7110; with lambda_2 = 0.909791 (Z = 39,
// A = 90, worked from the two generalized Fermi functions with 30-digit
// complex Gamma functions) q^2 + lambda_2 p^2 = 3.608879.
TEST(BetaShapes, SecondForbiddenShapesFollowTheirShapeFactors) {
  BetaBranch allowed{1.0, 1000.0, 39, 90, Forbiddenness::kAllowed, {}, {}};
  BetaBranch unique = allowed;
  unique.forbiddenness = Forbiddenness::kSecondForbiddenUnique;
  BetaBranch nonUnique = allowed;
  nonUnique.forbiddenness = Forbiddenness::kSecondForbiddenNonUnique;
  // Unscreened, so that p is the electron's own (screening's shift of it has its own test).
  const auto ratio = [&allowed](const BetaBranch& b) {
    constexpr AtomicCorrections kUnscreened = AtomicCorrections::kScreeningLeftOut;
    return BetaDensity(b, 500.0, kUnscreened) / BetaDensity(allowed, 500.0, kUnscreened);
  };
  EXPECT_NEAR(ratio(unique), 18.71102, 1e-4);
  EXPECT_NEAR(ratio(nonUnique), 3.608879, 1e-5);
  nonUnique.coulombLambda = false;
  EXPECT_NEAR(ratio(nonUnique), 3.871780, 1e-5);
  // The unique shape's extra weight at both ends raises the mean less than
  // the end-point factor would suggest but still clearly.
  EXPECT_GT(MeanEnergyKeV(MakeSpectrumGrid(unique)), 1.05 * MeanEnergyKeV(MakeSpectrumGrid(allowed)));
}

TEST(BetaShapes, ABranchOfItsOwnDaughterAddsItsEfficiency) {
  const Nuclide& pair = *FindNuclide("Sr-90+Y-90");
  const EfficiencyModel both(pair, 0.010, Toluene());
  const EfficiencyModel strontium(*FindNuclide("Sr-90"), 0.010, Toluene());
  const EfficiencyModel yttrium(*FindNuclide("Y-90"), 0.010, Toluene());
  for (const double lambda : {0.005, 0.05, 1.0}) {
    EXPECT_NEAR(both.Symmetric(lambda).doubles,
                strontium.Symmetric(lambda).doubles + yttrium.Symmetric(lambda).doubles, 1e-12);
  }
  EXPECT_NEAR(both.Symmetric(100.0).doubles, 2.0, 1e-3);  // two betas per decay of Sr-90
}

// A Fe-55-like atom with kB = 0, where the light is the energy: every
// outcome's efficiency by hand, p = 1 - exp(-lambda E / 3).
TEST(ElectronCapture, OutcomesConserveTheBindingEnergyAndGiveTheEfficiency) {
  CaptureAtom atom{0.885, 0.1, 0.015, 0.0, 0.321, 0.0, 5.957, 5.19, 6.539, 0.65, 0.05};
  const double absorbed = 0.9;
  const std::vector<PhotoAbsorber> absorbers = {{0.9, 0.2842}, {0.1, 0.0136}};
  const std::vector<CaptureOutcome> outcomes = CaptureOutcomes(atom, absorbed, absorbers);
  double probability = 0.0;
  for (const CaptureOutcome& o : outcomes) probability += o.probability;
  EXPECT_NEAR(probability, 1.0, 1e-12);
  const auto sum = [](const CaptureOutcome& o) {
    return std::accumulate(o.electronsKeV.begin(), o.electronsKeV.end(), 0.0);
  };
  EXPECT_NEAR(sum(outcomes[1]), 6.539, 1e-12);  // K Auger
  EXPECT_NEAR(sum(outcomes[4]), 6.539, 1e-12);  // X-ray absorbed by carbon
  EXPECT_NEAR(sum(outcomes[5]), 6.539, 1e-12);  // by hydrogen

  Nuclide iron;
  iron.name = "Fe-55";
  iron.captures.push_back({1.0, 231.21, atom});
  // The X-ray's absorption in the vial as the model computes it for toluene.
  const double mu = kTolueneDensityGPerCm3 * MassAttenuationCm2PerG(Toluene(), 5.957);
  const double a = AbsorbedInVial(mu);
  const double lambda = 0.8;
  const auto doubles = [lambda](double e) {
    const double p = 1.0 - std::exp(-lambda * e / 3.0);
    return 3.0 * p * p - 2.0 * p * p * p;
  };
  const double xray = 0.885 * 0.321;
  const double expected = xray * a * doubles(6.539) + xray * (1.0 - a) * doubles(6.539 - 5.957) +
                          0.885 * (1.0 - 0.321) * doubles(6.539) + 0.1 * doubles(0.65) +
                          0.015 * doubles(0.05);
  const EfficiencyModel model(iron, 0.0, Toluene());
  EXPECT_NEAR(model.Symmetric(lambda).doubles, expected, 1e-12);
}

// The escape of photons from the 10 mL cylinder (radius 1.27 cm, height
// 1.97353 cm) by an independent Monte Carlo: uniform points, isotropic
// directions, the exit path by marching to the surface.
double EscapeByMonteCarlo(double mu) {
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  const double radius = 1.27, height = 10.0 / (std::numbers::pi * radius * radius);
  constexpr int kPhotons = 400000;
  double escape = 0.0;
  for (int i = 0; i < kPhotons; ++i) {
    const double r = radius * std::sqrt(uniform(random)), angle = 2.0 * std::numbers::pi * uniform(random);
    double x = r * std::cos(angle), y = r * std::sin(angle), z = height * uniform(random);
    const double cosTheta = 2.0 * uniform(random) - 1.0, phi = 2.0 * std::numbers::pi * uniform(random);
    const double sinTheta = std::sqrt(1.0 - cosTheta * cosTheta);
    const double dx = sinTheta * std::cos(phi), dy = sinTheta * std::sin(phi);
    // The exit distance by bisection on "inside".
    double low = 0.0, high = 10.0;
    for (int step = 0; step < 50; ++step) {
      const double t = 0.5 * (low + high);
      const double px = x + t * dx, py = y + t * dy, pz = z + t * cosTheta;
      (px * px + py * py <= radius * radius && pz >= 0.0 && pz <= height ? low : high) = t;
    }
    escape += std::exp(-mu * low);
  }
  return escape / kPhotons;
}

TEST(ElectronCapture, TheVialAbsorptionAgreesWithAMonteCarloOfTheCylinder) {
  for (const double mu : {0.2, 2.0, 10.0}) {
    EXPECT_NEAR((1.0 - AbsorbedInVial(mu)) / EscapeByMonteCarlo(mu), 1.0, 0.02) << mu;
  }
  EXPECT_EQ(AbsorbedInVial(0.0), 0.0);
  EXPECT_GT(AbsorbedInVial(5.0, {1.27, 15.0}), AbsorbedInVial(5.0, {1.27, 5.0}));
  // Toluene at 6 keV: carbon's 10.95 and hydrogen's 0.4042 cm^2/g
  // (NISTIR 5632) weighted by their mass fractions 0.91249 and 0.08751.
  EXPECT_NEAR(MassAttenuationCm2PerG(Toluene(), 6.0), 0.91249 * 10.95 + 0.08751 * 0.4042, 1e-3);
}

TEST(ElectronCapture, ItsBudgetTermsAreTheCaptureDataAndTheAbsorption) {
  const std::vector<NuclideVariant> iron = NuclideModelVariants(*FindNuclide("Fe-55"));
  ASSERT_EQ(iron.size(), 3u);
  EXPECT_EQ(iron[2].name, "X-ray absorption in the vial");
  EXPECT_DOUBLE_EQ(iron[2].capture.attenuationScale, 1.0 + kAttenuationRelativeUncertainty);
  const std::vector<NuclideVariant> chlorine = NuclideModelVariants(*FindNuclide("Cl-36"));
  ASSERT_EQ(chlorine.size(), 4u);
  EXPECT_EQ(chlorine[0].nuclide.betas[0].forbiddenness, Forbiddenness::kAllowed);
  EXPECT_TRUE(NuclideModelVariants(*FindNuclide("H-3")).empty());
}

TEST(ShapeTerms, TheFirstForbiddenUniqueShapeIsWeighedWithoutItsCoulombFunction) {
  const std::vector<NuclideVariant> strontium = NuclideModelVariants(*FindNuclide("Sr-90"));
  ASSERT_EQ(strontium.size(), 1u);
  EXPECT_EQ(strontium[0].name, "Coulomb function lambda_2 of the first forbidden unique shape");
  EXPECT_FALSE(strontium[0].nuclide.betas[0].coulombLambda);
  EXPECT_FALSE(strontium[0].plusMinus) << "another choice, weighed as a rectangular half-width";
  // Tc-99 keeps its allowed-shape alternative, with lambda_2 left in.
  const std::vector<NuclideVariant> technetium = NuclideModelVariants(*FindNuclide("Tc-99"));
  ASSERT_EQ(technetium.size(), 1u);
  EXPECT_EQ(technetium[0].nuclide.betas[0].forbiddenness, Forbiddenness::kAllowed);
  EXPECT_TRUE(technetium[0].nuclide.betas[0].coulombLambda);
}

// Ultima Gold as 70 % C16H20 and 30 % C33H60O10 by mass: H 0.095875,
// C 0.826313, O 0.077812; <Z/A> = 0.546801, I by Bragg's rule 64.276 eV.
// The Rohrlich-Carlson formula at 100 keV (no density effect there):
// 4.0573 MeV/cm, against toluene's 3.5753.
TEST(Cocktails, ACocktailsCompositionGivesItsStoppingPower) {
  const Scintillator& gold = *FindCocktail("ultima GOLD");
  EXPECT_EQ(gold.name, "Ultima Gold");
  EXPECT_NEAR(gold.electronsPerMass, 0.5468009, 1e-6);
  EXPECT_NEAR(gold.meanExcitationEv, 64.2760, 1e-3);
  EXPECT_NEAR(StoppingPower(gold).MevPerCm(100.0), 4.05731, 1e-4);
  EXPECT_NEAR(StoppingPower(Toluene()).MevPerCm(100.0), 3.57526, 1e-4);
  // More stopping at the same kB quenches more: every efficiency falls.
  const Nuclide& h3 = *FindNuclide("H-3");
  EXPECT_LT(EfficiencyModel(h3, 0.010, gold).Symmetric(1.0).doubles,
            EfficiencyModel(h3, 0.010, Toluene()).Symmetric(1.0).doubles);
}

TEST(Cocktails, TheRecordsNameChoosesTheCocktailOrWarnsAndUsesToluene) {
  std::string warning;
  EXPECT_EQ(CocktailOfRecord(" insta-gel plus ", warning).name, "Insta-Gel Plus");
  EXPECT_TRUE(warning.empty());
  EXPECT_EQ(CocktailOfRecord("", warning).name, "toluene");
  EXPECT_TRUE(warning.empty());
  EXPECT_EQ(CocktailOfRecord("Brand X", warning).name, "toluene");
  EXPECT_EQ(
      warning.rfind("unknown cocktail \"Brand X\": analysed as toluene; known are toluene, Ultima Gold", 0),
      0u);
}

TEST(SpectrumFile, ReadsTwoColumnsWithCommentsAndNamesFaults) {
  const Checked<TabulatedSpectrum> s =
      ReadSpectrumText("# E/keV density\n0, 0\n1.5;2 # peak\n\n3\t1\n", "s.txt");
  ASSERT_TRUE(s) << s.error;
  EXPECT_EQ(s->energyKeV, (std::vector<double>{0.0, 1.5, 3.0}));
  EXPECT_EQ(s->density, (std::vector<double>{0.0, 2.0, 1.0}));
  EXPECT_EQ(ReadSpectrumText("1 2 3\n", "s.txt").error,
            "s.txt:1: expected two columns: energy in keV and density");
  EXPECT_EQ(ReadSpectrumText("1 2\n1 3\n", "s.txt").error,
            "s.txt:2: the energies must rise from line to line");
  EXPECT_EQ(ReadSpectrumText("1 2\n2 -3\n", "s.txt").error,
            "s.txt:2: energies and densities must not be negative");
  EXPECT_EQ(ReadSpectrumText("1 2\n2 x\n", "s.txt").error, "s.txt:2: not a number");
  EXPECT_EQ(ReadSpectrumText("1 0\n2 0\n", "s.txt").error, "s.txt:0: every density is 0");
  EXPECT_EQ(ReadSpectrumText("# nothing\n", "s.txt").error, "s.txt:0: fewer than two points");
}

// The built-in tritium spectrum written out as a table on 4000 points and
// read back gives the same efficiencies within the table's interpolation.
TEST(SpectrumFile, ATabulatedSpectrumGivesTheEfficienciesOfTheShapeItTabulates) {
  const Nuclide& h3 = *FindNuclide("H-3");
  const BetaBranch& branch = h3.betas.front();
  TabulatedSpectrum table;
  for (int i = 0; i <= 4000; ++i) {
    const double e = branch.endpointKeV * i / 4000.0;
    table.energyKeV.push_back(e);
    table.density.push_back(BetaDensity(branch, e));
  }
  const Nuclide own = NuclideWithSpectrum(table, "H-3", "h3.txt", h3.halfLifeSeconds, 0.0);
  const EfficiencyModel computed(h3, 0.010, Toluene());
  const EfficiencyModel tabulated(own, 0.010, Toluene());
  for (const double lambda : {0.3, 1.0, 3.0}) {
    EXPECT_NEAR(tabulated.Symmetric(lambda).doubles / computed.Symmetric(lambda).doubles, 1.0, 2e-3)
        << lambda;
  }
}

}  // namespace
}  // namespace korva
