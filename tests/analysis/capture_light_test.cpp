// The light of an X-ray the cocktail photo-absorbs: the photoelectron and
// the absorbing atom's own cascade, each quenched on its own.

#include <gtest/gtest.h>

#include <numeric>

#include "analysis/birks_quenching.h"
#include "analysis/efficiency_curve.h"
#include "analysis/efficiency_model.h"
#include "analysis/electron_capture.h"
#include "analysis/nuclide_library.h"
#include "analysis/photon_attenuation.h"
#include "analysis/scintillator.h"
#include "analysis/stopping_power.h"

namespace korva {
namespace {

// Toluene at 6 keV: carbon's 10.95 and hydrogen's 0.4042 cm^2/g (NISTIR
// 5632) weighted by the mass fractions 0.91249 and 0.08751: carbon takes
// 9.99177 / (9.99177 + 0.03537) = 0.99647 of the photons.
TEST(CaptureLight, TheCocktailsAtomsAbsorbInTheirSharesOfTheAttenuation) {
  const std::vector<PhotoAbsorber> absorbers = PhotoAbsorbers(Toluene(), 6.0);
  ASSERT_EQ(absorbers.size(), 2u);
  const double carbon = absorbers[0].kBindingKeV > 0.1 ? absorbers[0].share : absorbers[1].share;
  EXPECT_NEAR(carbon, 0.99647, 2e-5);
  EXPECT_NEAR(absorbers[0].share + absorbers[1].share, 1.0, 1e-12);
  EXPECT_TRUE(PhotoAbsorbers(Toluene(), 500.0).empty());  // beyond the table
}

// With kB > 0 the photoelectron of 5.957 - 0.2842 keV and carbon's 0.2842
// keV cascade give less light than one 5.957 keV electron, as Birks' law
// quenches the slow cascade electron hardest; with kB = 0 light is energy.
TEST(CaptureLight, APhotoAbsorbedXrayGivesLessLightThanOneElectronOfItsEnergy) {
  const CaptureAtom atom{0.885, 0.1, 0.015, 0.0, 0.321, 0.0, 5.957, 5.19, 6.539, 0.65, 0.05};
  const std::vector<PhotoAbsorber> carbon = {{1.0, 0.2842}};
  const CaptureOutcome absorbed = CaptureOutcomes(atom, 1.0, carbon).back();
  ASSERT_EQ(absorbed.electronsKeV.size(), 3u);
  const StoppingPower stopping(Toluene());
  const auto light = [&](double kb) {
    double sum = 0.0;
    for (const double e : absorbed.electronsKeV) sum += QuenchedEnergyKeV(stopping, kb, e);
    return sum;
  };
  const double whole =
      QuenchedEnergyKeV(stopping, 0.010, 5.957) + QuenchedEnergyKeV(stopping, 0.010, 6.539 - 5.957);
  EXPECT_LT(light(0.010), whole);
  EXPECT_GT(light(0.010), 0.9 * whole);  // carbon's cascade is a small part
  EXPECT_NEAR(light(0.0), 6.539, 1e-9);
}

// An independent stochastic model of the TDCR counter: the Fe-55 curve of
// TDCRPy (BIPM; file EfficiencyCurves/Fe-55/Eff_Fe-55_1_1e-05_10.txt, kB
// 0.010 cm/MeV, 10 mL; Monte Carlo standard uncertainty about 0.003), read
// between its points at T/D 0.3917 (0.6395) and 0.4103 (0.6614), and at
// 0.5773 (0.7953) and 0.6003 (0.8053): eps_D 0.6493 at T/D 0.4 and 0.8052
// at T/D 0.6. The capture model stays within 2 % of it.
TEST(CaptureLight, IronsEfficiencyCurveFollowsAnIndependentStochasticModel) {
  for (const auto& [ratio, reference] : {std::pair{0.4, 0.6493}, std::pair{0.6, 0.8052}}) {
    for (const char* cocktail : {"toluene", "Ultima Gold"}) {
      const Checked<EfficiencyPoint> point =
          EfficiencyCurvePoint("Fe-55", 0.010, CurveInput::kTdRatio, ratio, cocktail);
      ASSERT_TRUE(point) << point.error;
      EXPECT_NEAR(point->doubles / reference, 1.0, 0.02) << cocktail << " at T/D " << ratio;
    }
  }
}

}  // namespace
}  // namespace korva
