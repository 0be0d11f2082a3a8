#include "analysis/measurement_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "analysis/efficiency_model.h"
#include "analysis/nuclide_library.h"
#include "analysis/tdcr_solver.h"
#include "synthetic_measurement.h"

namespace korva {
namespace {

using test::MakeMeasurement;
using test::SyntheticVial;

// The synthetic vials are counted in IDT; an analysis is told so unless a
// test gives the modes itself.
MeasurementAnalysis Analyzed(const TdcMeasurement& m, const AnalysisSettings& settings = {},
                             const TdcMeasurement* background = nullptr) {
  AnalysisSettings told = settings;
  for (auto& mode : told.deadTimeModes) mode = mode.value_or(DeadTimeMode::kIndividual);
  const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(m, background, told);
  EXPECT_TRUE(a) << a.error;
  return a ? *a : MeasurementAnalysis{};
}

TEST(MeasurementAnalysis, RecoversTheActivityOfItsOwnModelInEveryWindowAndExtension) {
  SyntheticVial vial;
  vial.lambdas = {0.9, 0.9, 0.9};
  const MeasurementAnalysis a = Analyzed(MakeMeasurement(vial));
  EXPECT_NEAR(a.activity / 5000.0, 1.0, 2e-5);
  EXPECT_NEAR(a.Main().triples.weightedMean / 5000.0, 1.0, 2e-5);
  for (const CombinationAnalysis& c : a.combinations) {
    SCOPED_TRACE(c.combination);
    ASSERT_TRUE(c.Usable()) << c.error;
    EXPECT_NEAR(c.doubles.weightedMean / 5000.0, 1.0, 2e-5) << "accidentals of the 200 ns window come off";
    for (const RunAnalysis& r : c.runs) {
      EXPECT_TRUE(r.used) << r.note;
      EXPECT_NEAR(r.lambdas[0], 0.9, 1e-4);
      EXPECT_NEAR(r.tdRatio, r.triplesEfficiency / r.doublesEfficiency, 1e-12);
    }
  }
  EXPECT_EQ(a.main, TdcrRates::kM1) << "the wider window M gives the result";
  EXPECT_TRUE(a.warnings.empty());
  ASSERT_TRUE(a.pairs.evaluated);
  for (const double pair : a.pairs.activities) EXPECT_NEAR(pair / 5000.0, 1.0, 1e-4) << "equal tubes";
}

TEST(MeasurementAnalysis, TheBudgetNamesEveryTermAndCombinesThem) {
  SyntheticVial vial;
  vial.poisson = true;
  AnalysisSettings settings;
  settings.window = 1;
  settings.extension = 1;
  const MeasurementAnalysis a = Analyzed(MakeMeasurement(vial), settings);
  EXPECT_EQ(a.main, TdcrRates::kM2);
  const UncertaintyBudget& b = a.budget;
  std::vector<std::string> names;
  double squares = 0.0;
  for (const UncertaintyComponent& c : b.components) {
    names.push_back(c.name);
    squares += c.standardUncertainty * c.standardUncertainty;
    EXPECT_GE(c.standardUncertainty, 0.0) << c.name;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"counting statistics", "kB +-0.002 cm/MeV",
                                             "stopping power below 1 keV", "spectrum shape",
                                             "coincidence window N vs M", "dead-time extension 1 vs 2",
                                             "symmetric vs asymmetric model", "half-life"}));
  EXPECT_NEAR(b.combined, std::sqrt(squares), 1e-9);
  EXPECT_DOUBLE_EQ(b.expanded, 2.0 * b.combined);
  EXPECT_EQ(b.value, a.activity);
  // Tritium's efficiency leans on kB: about 1 % of the activity for +-0.002.
  EXPECT_GT(b.Relative(b.components[1].standardUncertainty), 0.004);
  EXPECT_LT(b.Relative(b.components[1].standardUncertainty), 0.02);
  // A 12-year half-life barely matters over minutes.
  EXPECT_LT(b.Relative(b.components[7].standardUncertainty), 1e-8);
}

TEST(MeasurementAnalysis, CountingStatisticsScatterAsTheRunsUncertaintiesSay) {
  SyntheticVial vial;
  vial.poisson = true;
  vial.runs = 40;
  vial.liveTime = 20.0;
  const MeasurementAnalysis a = Analyzed(MakeMeasurement(vial));
  const RunStatistics& s = a.Main().doubles;
  EXPECT_EQ(s.count, 40);
  EXPECT_GT(s.birgeRatio, 0.7);
  EXPECT_LT(s.birgeRatio, 1.3);
  EXPECT_NEAR(a.activity, 5000.0, 4.0 * s.Uncertainty());
  // Per run: 20 s of D at about 0.6 x 5000 cps and the T/D spread through
  // the efficiency's slope give a little over 1 %.
  const double relative = a.Main().runs[0].activityDUncertainty / a.Main().runs[0].activityD;
  EXPECT_GT(relative, 1.0 / std::sqrt(0.6 * 5000.0 * 20.0));
  EXPECT_LT(relative, 0.03);
}

TEST(MeasurementAnalysis, TheAsymmetricModelFollowsUnequalTubesAndTheBudgetCountsTheModelChoice) {
  SyntheticVial vial;
  vial.lambdas = {0.5, 0.9, 1.6};
  const TdcMeasurement m = MakeMeasurement(vial);
  AnalysisSettings asymmetric;
  asymmetric.model = DetectionModel::kAsymmetric;
  const MeasurementAnalysis a = Analyzed(m, asymmetric);
  EXPECT_NEAR(a.activity / 5000.0, 1.0, 5e-5);
  EXPECT_NEAR(a.Main().triples.weightedMean / 5000.0, 1.0, 5e-5);
  EXPECT_NEAR(a.Main().runs[0].lambdas[2], 1.6, 1e-3);
  const MeasurementAnalysis s = Analyzed(m);
  const double shift = std::abs(s.activity - a.activity);
  EXPECT_GT(shift / 5000.0, 1e-4) << "one lambda cannot describe unequal tubes exactly";
  EXPECT_NEAR(s.budget.components[6].standardUncertainty, shift / std::sqrt(3.0), 1e-6 * shift + 1e-9);
}

TEST(MeasurementAnalysis, ActivitiesDecayBackToTheReferenceTime) {
  SyntheticVial vial;
  vial.nuclide = FindNuclide("P-32");
  vial.lambdas = {0.05, 0.05, 0.05};  // a heavily quenched vial keeps T/D away from 1
  vial.liveTime = 86400.0;
  vial.gap = 86400.0;
  vial.singlesRate = 2000.0;
  const TdcMeasurement m = MakeMeasurement(vial);
  const MeasurementAnalysis a = Analyzed(m, {.nuclide = "P-32"});
  EXPECT_NEAR(a.activity / 5000.0, 1.0, 1e-4) << "runs spread over 9 days, 35 % decayed by the last";
  for (const RunAnalysis& r : a.Main().runs) EXPECT_NEAR(r.activityD / 5000.0, 1.0, 1e-4) << r.run;

  const double halfLife = FindNuclide("P-32")->halfLifeSeconds;
  AnalysisSettings earlier{.nuclide = "P-32"};
  earlier.referenceTime = test::Later(vial.start, -halfLife);
  EXPECT_NEAR(Analyzed(m, earlier).activity / 10000.0, 1.0, 1e-4);
  const UncertaintyBudget& b = a.budget;
  // 0.25 % on the half-life over about 4.5 days of mean decay time.
  EXPECT_GT(b.Relative(b.components[7].standardUncertainty), 5e-4);
  EXPECT_LT(b.Relative(b.components[7].standardUncertainty), 2e-3);
}

TEST(MeasurementAnalysis, ABackgroundMeasurementWithTheSameSettingsIsTakenOff) {
  SyntheticVial vial;
  vial.background = {2.0, 2.0, 2.0};
  SyntheticVial blank = vial;
  blank.activityBq = 0.0;
  blank.runs = 2;
  const TdcMeasurement m = MakeMeasurement(vial);
  const TdcMeasurement background = MakeMeasurement(blank);
  const MeasurementAnalysis with = Analyzed(m, {}, &background);
  EXPECT_TRUE(with.backgroundSubtracted);
  EXPECT_NEAR(with.activity / 5000.0, 1.0, 2e-5);
  const MeasurementAnalysis without = Analyzed(m);
  EXPECT_GT(without.activity / 5000.0, 1.001);

  TdcMeasurement otherWindows = background;
  otherWindows.header.windowsNs[0] = 10.0;
  const Checked<MeasurementAnalysis> refused = AnalyzeMeasurement(m, &otherWindows, {});
  EXPECT_NE(refused.error.find("background measurement was made with other coincidence windows"),
            std::string::npos);
}

TEST(MeasurementAnalysis, OnlyCompletedRunsCountAndAStrayRunIsFlagged) {
  SyntheticVial vial;
  vial.runs = 6;
  TdcMeasurement m = MakeMeasurement(vial);
  m.header.runsCompleted = 5;
  for (TdcCount& k : m.runs[2].coincidences[TdcrRates::kM1]) k.counts = k.counts * 11 / 10;
  const MeasurementAnalysis a = Analyzed(m);
  const std::vector<RunAnalysis>& runs = a.Main().runs;
  ASSERT_EQ(runs.size(), 6u);
  EXPECT_FALSE(runs[5].used);
  EXPECT_EQ(runs[5].note, "not completed");
  EXPECT_TRUE(runs[2].flagged);
  EXPECT_FALSE(runs[1].flagged);
  EXPECT_EQ(a.Main().doubles.count, 5);
  ASSERT_GE(a.warnings.size(), 1u);
  EXPECT_EQ(a.warnings[0], "run 3 lies more than 3 sigma from the mean");
  EXPECT_GT(a.Main().doubles.birgeRatio, 3.0);
}

TEST(MeasurementAnalysis, RefusesWhatItCannotAnalyseWithAReason) {
  const TdcMeasurement m = MakeMeasurement(SyntheticVial{});
  const auto error = [&](const AnalysisSettings& s, const TdcMeasurement& input) {
    const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(input, nullptr, s);
    EXPECT_FALSE(a);
    return a.error;
  };
  EXPECT_EQ(error({.nuclide = "Co-60"}, m).rfind("unknown nuclide \"Co-60\"; known are H-3, C-14, ", 0), 0u);
  EXPECT_NE(error({.nuclide = "Co-60"}, m).find("Sr-90+Y-90"), std::string::npos);
  EXPECT_EQ(error({.cocktail = "Hisafe 9"}, m).rfind("unknown cocktail \"Hisafe 9\"; known are toluene, ", 0),
            0u);
  EXPECT_NE(error({.kb = 0.03}, m).find("outside the accepted range"), std::string::npos);
  EXPECT_NE(error({.window = 3}, m).find("N, M or the wider"), std::string::npos);
  TdcMeasurement none = m;
  none.header.runsCompleted = 0;
  EXPECT_EQ(error({}, none), "the measurement has no completed run");
  TdcMeasurement silent = m;
  for (TdcRun& run : silent.runs) {
    for (auto& c : run.coincidences) {
      for (TdcCount& k : c) k.counts = 0;
    }
  }
  EXPECT_EQ(error({}, silent), "M1: no run could be analysed: run 1, no net coincidences");
  TdcMeasurement saturated = m;
  for (TdcRun& run : saturated.runs) {
    for (auto& c : run.coincidences) c[TdcrRates::kT].counts = c[TdcrRates::kAB].counts * 6 / 5;
  }
  EXPECT_NE(error({}, saturated).find("outside the range"), std::string::npos) << "more triples than pairs";
}

bool Mentions(const MeasurementAnalysis& a, const std::string& text) {
  return std::ranges::any_of(a.warnings,
                             [&](const std::string& w) { return w.find(text) != std::string::npos; });
}

TEST(MeasurementAnalysis, WindowsThatDisagreeBeyondTheirCorrelatedUncertaintyAreWarnedAbout) {
  SyntheticVial vial;
  vial.liveTime = 20.0;
  // Few accidentals: the counts under N and M then differ by so few events
  // that a tenth of a per mille would already be flagged.
  vial.singlesRate = 400.0;
  TdcMeasurement m = MakeMeasurement(vial);
  EXPECT_FALSE(Mentions(Analyzed(m), "windows N and M differ"));
  // Window N losing 3 % of every coincidence: its activity reads 3 % low
  // while the nested counts make the difference's uncertainty a fraction
  // of a per cent (5 runs of some 60 000 D counts).
  for (TdcRun& run : m.runs) {
    for (const auto c : {TdcrRates::kN1, TdcrRates::kN2}) {
      for (TdcCount& count : run.coincidences[c]) {
        count.counts = static_cast<std::uint64_t>(0.97 * static_cast<double>(count.counts));
      }
    }
  }
  const MeasurementAnalysis a = Analyzed(m);
  const auto warning = std::ranges::find_if(a.warnings, [](const std::string& w) {
    return w.find("windows N and M differ by ") != std::string::npos;
  });
  ASSERT_NE(warning, a.warnings.end());
  const std::string percent = warning->substr(warning->find("differ by ") + 10);
  EXPECT_NEAR(std::stod(percent), -3.0, 0.02) << *warning;
  EXPECT_NEAR(a.activity / 5000.0, 1.0, 1e-4) << "the result comes from M";
}

// Without the dead-time modes the pulses a CDT gate blocks are not
// evaluated, and the analysis says so for each extension. Told CDT, the
// analysis takes off the gate's blocked pairs as well, -G AB (a + b - AB)
// with G 200 ns and singles of 4000 /s: some 0.1 % of D in every window.
TEST(MeasurementAnalysis, ModesNotGivenLeaveTheGateTermNotEvaluated) {
  const TdcMeasurement m = MakeMeasurement(SyntheticVial{});
  const Checked<MeasurementAnalysis> unknown = AnalyzeMeasurement(m, nullptr, {});
  ASSERT_TRUE(unknown) << unknown.error;
  EXPECT_TRUE(Mentions(*unknown, "the dead-time mode of extension 1 is not known"));
  EXPECT_TRUE(Mentions(*unknown, "the dead-time mode of extension 2 is not known"));
  EXPECT_EQ(unknown->budget.NotEvaluated(), std::vector<std::string>{"pulses blocked by a CDT gate"});
  EXPECT_FALSE(unknown->Main().rates.mode.has_value());

  AnalysisSettings cdt;
  cdt.deadTimeModes = {DeadTimeMode::kCommon, DeadTimeMode::kCommon};
  const MeasurementAnalysis told = Analyzed(m, cdt);
  EXPECT_TRUE(told.budget.NotEvaluated().empty());
  for (const CombinationAnalysis& c : told.combinations) {
    const CombinationRates& r = c.rates;
    const double a = 4000.0;
    EXPECT_NEAR(r.distortion.blocked.ab, -200e-9 * r.corrected.ab * (2.0 * a - r.corrected.ab), 0.05);
    EXPECT_LT(r.distortion.blocked.D() / r.corrected.D(), -5e-4);
  }
}

// The budget moves the result to another efficiency model at the runs'
// pooled rates; analysing every run again with the spectrum left without
// its exchange correction, and again without its screening correction,
// gives the same term to 1e-3 of itself.
TEST(MeasurementAnalysis, ModelTermsFromPooledRatesMatchARunByRunReanalysis) {
  SyntheticVial vial;
  vial.poisson = true;
  vial.liveTime = 20.0;
  const MeasurementAnalysis a = Analyzed(MakeMeasurement(vial));
  const auto reanalysed = [&](AtomicCorrections corrections) {
    const EfficiencyModel alternative(*vial.nuclide, vial.kb, Toluene(), kDefaultSpectrumIntervals,
                                      LowEnergyStopping::kVelocityProportional, corrections);
    std::vector<double> activities, uncertainties;
    for (const RunAnalysis& r : a.Main().runs) {
      const auto s = SolveSymmetric(alternative, r.rates.t / r.rates.D());
      if (!s) return std::nan("");
      activities.push_back(r.activityD * r.doublesEfficiency / s->efficiency.doubles);
      uncertainties.push_back(r.activityDUncertainty);
    }
    return ComputeRunStatistics(activities, uncertainties).weightedMean - a.activity;
  };
  const double exchange = reanalysed(AtomicCorrections::kExchangeLeftOut);
  const double screening = reanalysed(AtomicCorrections::kScreeningLeftOut);
  const auto term = std::ranges::find(a.budget.components, "spectrum shape", &UncertaintyComponent::name);
  ASSERT_NE(term, a.budget.components.end());
  EXPECT_GT(std::abs(exchange), 1e-3 * a.activity) << "the exchange correction matters for tritium";
  EXPECT_GT(std::abs(screening), 1e-5 * a.activity) << "so does, less, the screening correction";
  EXPECT_NEAR(term->standardUncertainty, std::hypot(FromAlternative(exchange), FromAlternative(screening)),
              1e-3 * term->standardUncertainty);
}

// For an emitter whose Z the program carries no exchange correction for,
// the spectrum shape term weighs the nearest carried Z's correction and the
// analysis says so: the term is never a silent 0.
TEST(MeasurementAnalysis, AMissingExchangeCorrectionIsWeighedByItsStandInAndWarnedAbout) {
  Nuclide uncarried = *FindNuclide("H-3");
  uncarried.name = "X-3";
  uncarried.betas[0].daughterZ = 42;  // emitter Z = 41, between the carried 40 and 43
  SyntheticVial vial;
  vial.nuclide = &uncarried;
  AnalysisSettings settings;
  settings.ownNuclide = uncarried;
  const MeasurementAnalysis a = Analyzed(MakeMeasurement(vial), settings);
  EXPECT_TRUE(Mentions(a, "no atomic exchange correction is carried for the emitter's Z = 41"));
  EXPECT_TRUE(Mentions(a, "the correction of Z = 40 in its place"));
  const auto term = std::ranges::find(a.budget.components, "spectrum shape", &UncertaintyComponent::name);
  ASSERT_NE(term, a.budget.components.end());
  // Z = 40's correction raises an 18.6 keV spectrum's low end by 17 % at 1
  // keV: its efficiency moves by parts per thousand, as tritium's does.
  EXPECT_GT(a.budget.Relative(term->standardUncertainty), 1e-3);
  EXPECT_FALSE(Mentions(Analyzed(MakeMeasurement(SyntheticVial{})), "no atomic exchange correction"));
}

TEST(MeasurementAnalysis, ThePairCheckSeesUnequalTubesAndEqualSettingsLeaveTermsUnevaluated) {
  SyntheticVial vial;
  vial.lambdas = {0.5, 0.9, 1.6};
  TdcMeasurement m = MakeMeasurement(vial);
  m.header.extensionsUs = {0.64, 0.64};
  const MeasurementAnalysis a = Analyzed(m);
  ASSERT_TRUE(a.pairs.evaluated);
  // AB sees the two faintest tubes, BC the two brightest.
  EXPECT_LT(a.pairs.activities[0], a.pairs.activities[2]);
  EXPECT_LT(a.pairs.activities[2], a.pairs.activities[1]);
  EXPECT_GT(a.pairs.largestDifferenceSigmas, 3.0);
  EXPECT_TRUE(Mentions(a, "the tubes look unequal; try the asymmetric model"));
  EXPECT_TRUE(Mentions(a, "\"dead-time extension 1 vs 2\" was not evaluated"));
  EXPECT_EQ(a.budget.NotEvaluated(), std::vector<std::string>{"dead-time extension 1 vs 2"});
  double squares = 0.0;
  for (const UncertaintyComponent& c : a.budget.components)
    squares += c.standardUncertainty * c.standardUncertainty;
  EXPECT_NEAR(a.budget.combined, std::sqrt(squares), 1e-9) << "an unevaluated term adds nothing";
}

}  // namespace
}  // namespace korva
