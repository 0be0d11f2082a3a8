#include "spectrum/roi_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace korva {
namespace {

constexpr int kSoftSize = 1024;
const std::string kDashes = "-----------";

struct Spectrum {
  std::vector<std::uint32_t> counts = std::vector<std::uint32_t>(4096, 0);
  std::vector<std::uint8_t> marks = std::vector<std::uint8_t>(4096, 0);

  void Mark(int first, int last) {
    for (int k = first; k <= last; ++k) marks[static_cast<std::size_t>(k)] = 1;
  }
  RoiAnalysis Analyse(int cursor) const { return AnalyseRoi(counts, marks, kSoftSize, cursor); }
};

TEST(RoiAnalysis, NoPeakFieldsWithoutAWideEnoughRoi) {
  Spectrum s;
  RoiAnalysis analysis = s.Analyse(10);
  EXPECT_EQ(analysis.result, RoiAnalysis::Result::kNoRoi);
  EXPECT_EQ(analysis.first, 0);
  EXPECT_EQ(analysis.last, kSoftSize - 1);

  s.Mark(10, 11);
  s.counts[10] = s.counts[11] = 500;
  analysis = s.Analyse(11);
  EXPECT_EQ(analysis.result, RoiAnalysis::Result::kNoRoi) << "two adjacent channels";
  EXPECT_EQ(analysis.first, 10);
  EXPECT_EQ(analysis.last, 11);
  for (const std::string& field : PeakFieldTexts(analysis, {})) EXPECT_EQ(field, kDashes);

  // Marks at the soft size and beyond belong to no displayed channel.
  s.Mark(kSoftSize - 1, kSoftSize + 5);
  EXPECT_EQ(s.Analyse(kSoftSize - 1).last, kSoftSize - 1);
}

TEST(RoiAnalysis, FlatRoiShowsOnlyTheIntegral) {
  Spectrum s;
  s.Mark(100, 108);
  for (int k = 95; k < 115; ++k) s.counts[static_cast<std::size_t>(k)] = 100 + (k % 2);  // net within ±1
  const RoiAnalysis analysis = s.Analyse(104);
  EXPECT_EQ(analysis.result, RoiAnalysis::Result::kRoiWithoutPeak);
  EXPECT_DOUBLE_EQ(analysis.gross, 904.0);
  const auto fields = PeakFieldTexts(analysis, {});
  EXPECT_EQ(fields[0], "  904");
  EXPECT_EQ(fields[2], "    no peak");
  for (std::size_t i : {1u, 3u, 4u, 5u}) EXPECT_EQ(fields[i], kDashes);
}

// A continuum of about 1000 counts a channel (sigma 31.6) with channel
// scatter of up to 30 counts and one channel 80 counts high: a chance
// excursion, not a peak. A peak of 300 counts on the same continuum is one.
TEST(RoiAnalysis, CountingNoiseOnAFlatContinuumIsNoPeak) {
  Spectrum s;
  for (int k = 90; k < 220; ++k) s.counts[static_cast<std::size_t>(k)] = 1000 + (k * 7919 % 61) - 30;
  s.counts[150] = 1080;
  s.Mark(100, 200);
  const RoiAnalysis flat = s.Analyse(150);
  EXPECT_EQ(flat.result, RoiAnalysis::Result::kRoiWithoutPeak);
  EXPECT_FALSE(flat.fwhm);
  EXPECT_EQ(PeakFieldTexts(flat, {})[5], kDashes) << "no resolution of a peak that is not there";

  for (int k = 140; k <= 160; ++k) {
    const double z = (k - 150) / 3.0;
    s.counts[static_cast<std::size_t>(k)] +=
        static_cast<std::uint32_t>(std::lround(300 * std::exp(-z * z / 2)));
  }
  const RoiAnalysis peak = s.Analyse(150);
  ASSERT_EQ(peak.result, RoiAnalysis::Result::kPeak);
  EXPECT_NEAR(*peak.centroid, 150.0, 0.5);
}

TEST(RoiAnalysis, EqualMaximaTakeTheLaterChannel) {
  Spectrum s;
  s.Mark(100, 106);
  s.counts[102] = 10;
  s.counts[104] = 10;
  const RoiAnalysis analysis = s.Analyse(100);
  ASSERT_EQ(analysis.result, RoiAnalysis::Result::kPeak);
  EXPECT_DOUBLE_EQ(*analysis.rightHalf, 104.5);
  EXPECT_DOUBLE_EQ(*analysis.leftHalf, 103.5);
  EXPECT_DOUBLE_EQ(*analysis.centroid, 104.0);
  EXPECT_DOUBLE_EQ(*analysis.fwhm, 1.0);
}

TEST(RoiAnalysis, GaussianPeakOnALinearBackground) {
  constexpr double kCentre = 500.0;
  constexpr double kSigma = 10.0;
  constexpr double kHeight = 10000.0;
  Spectrum s;
  for (int k = 0; k < kSoftSize; ++k) {
    const double z = (k - kCentre) / kSigma;
    s.counts[static_cast<std::size_t>(k)] =
        static_cast<std::uint32_t>(std::lround(kHeight * std::exp(-z * z / 2) + 40.0 + 0.25 * k));
  }
  s.Mark(430, 570);
  const RoiAnalysis analysis = s.Analyse(500);
  ASSERT_EQ(analysis.result, RoiAnalysis::Result::kPeak);
  EXPECT_NEAR(*analysis.centroid, kCentre, 0.01);
  // Linear interpolation between channels widens the analytic widths a
  // little: 2·sqrt(2 ln 2)·σ and 2·sqrt(2 ln 10)·σ.
  EXPECT_NEAR(*analysis.fwhm, 2 * std::sqrt(2 * std::log(2.0)) * kSigma, 0.1);
  EXPECT_NEAR(*analysis.fwtm, 2 * std::sqrt(2 * std::log(10.0)) * kSigma, 0.2);
  EXPECT_NEAR(analysis.area, kHeight * kSigma * std::sqrt(2 * std::numbers::pi), 100.0);

  // Calibrated: EN = 2·CH + 10.
  const auto fields = PeakFieldTexts(analysis, {0.0, 2.0, 10.0});
  EXPECT_EQ(fields[2], " 1010.00");
  const double fwhm = 2.0 * *analysis.fwhm;
  char text[16];
  std::snprintf(text, sizeof text, "%8.2f", fwhm);
  EXPECT_EQ(fields[3], text);
  std::snprintf(text, sizeof text, "%8.2f", fwhm * 100.0 / 1010.0);
  EXPECT_EQ(fields[5], text);
}

TEST(RoiAnalysis, WidthsThatTheRoiCutsOffAreAbsent) {
  Spectrum s;
  s.Mark(200, 210);
  s.counts[210] = 300;  // the peak stands on the ROI's last channel
  const RoiAnalysis analysis = s.Analyse(205);
  ASSERT_EQ(analysis.result, RoiAnalysis::Result::kPeak);
  EXPECT_FALSE(analysis.rightHalf);
  EXPECT_FALSE(analysis.fwhm);
  EXPECT_FALSE(analysis.centroid);
  EXPECT_FALSE(analysis.fwtm);
  const auto fields = PeakFieldTexts(analysis, {});
  EXPECT_NE(fields[1], kDashes) << "the area is still known";
  for (std::size_t i = 2; i < fields.size(); ++i) EXPECT_EQ(fields[i], kDashes) << i;

  // A peak on the ROI's first channel falls on the right only: the half
  // width is known from one side, so neither width nor centroid is.
  Spectrum rising;
  rising.Mark(300, 310);
  rising.counts[300] = 300;
  const RoiAnalysis oneSided = rising.Analyse(305);
  ASSERT_EQ(oneSided.result, RoiAnalysis::Result::kPeak);
  EXPECT_TRUE(oneSided.rightHalf);
  EXPECT_FALSE(oneSided.leftHalf);
  EXPECT_FALSE(oneSided.centroid);
  EXPECT_EQ(PeakFieldTexts(oneSided, {})[5], kDashes);
}

}  // namespace
}  // namespace korva
