#include <gtest/gtest.h>

#include "setup/pha_setup.h"
#include "setup/shaper_registers.h"
#include "setup/shaper_setup.h"

namespace korva {
namespace {

constexpr std::size_t kInputClass = 18;
constexpr std::uint16_t kInputE = 0x8000;

// The shaper state over one register image that is both the active and the
// buffer spectrum's, with channel compression `compression`.
struct ShaperFixture : ::testing::Test {
  ShaperFixture() { setup.FirstUpdate(); }

  void Set(ShaperField field, int value) { ASSERT_TRUE(setup.SetField(field, value)); }
  void Compose() { setup.Compose(registers, compression); }
  void ReadBack() { setup.Refresh(registers, compression); }
  const ShaperControls& Shown() const { return setup.Controls(); }
  std::uint32_t Pair(std::size_t low) const { return RegisterPair(registers, low); }

  RegisterImage registers{};
  std::uint32_t compression = 1;
  ShaperSetup setup;
};

TEST_F(ShaperFixture, ShaperTimesDeriveTheTimingRegistersAndTheAutomaticNormalisation) {
  registers[13] = 0x1234;
  registers[71] = 0x8000;
  Set(ShaperField::kSlowRise, 240);
  Set(ShaperField::kSlowFlatTop, 1);
  Set(ShaperField::kFastRise, 16);
  Set(ShaperField::kFastFlatTop, 1);
  Compose();
  EXPECT_EQ(registers[2], 240);
  EXPECT_EQ(registers[32], 248);
  EXPECT_EQ(registers[33], 236);
  EXPECT_EQ(registers[38], 480);
  EXPECT_EQ(registers[39], 28);
  EXPECT_EQ(registers[40], 5);
  EXPECT_EQ(registers[41], 464);
  // Input A, BDC "1": F = 240 x 40960 / 65536, G = 16 x F / 240.
  EXPECT_EQ(registers[20], 150);
  EXPECT_EQ(registers[21], 0x8000) << "AUTO, factor bits 29..16 clear";
  EXPECT_EQ(setup.SlowMultiplier(), 600u);
  EXPECT_EQ(setup.FastMultiplier(), 40u);
  EXPECT_EQ(registers[13], 0x9234) << "rejector unticked sets bit 15; bits 13..0 kept";
  EXPECT_EQ(registers[71], 0x8000 | 4 | 4 << 5) << "first margins, BDC 0, bit 15 kept";

  // Input E takes 2^-14; FINE multiplies by the selected set's long TC.
  registers[kInputClass] = kInputE;
  setup.ComposeNormalisation(registers);
  EXPECT_EQ(registers[20], 600);
  ASSERT_TRUE(setup.SetCheck(ShaperCheck::kFine, true));
  registers[kInputClass] = 0;
  setup.ComposeNormalisation(registers);
  EXPECT_EQ(registers[20], 2343) << "150 x 2000 / 128, truncated";
  EXPECT_EQ(registers[21], 0xC000);
  ASSERT_TRUE(setup.SetCheck(ShaperCheck::kFine, false));
  ASSERT_TRUE(setup.SelectList(ShaperList::kBdc, 8));
  EXPECT_EQ(BdcText(8), "2");
  setup.ComposeNormalisation(registers);
  EXPECT_EQ(registers[20], 300);

  // A typed factor spreads over both registers.
  ASSERT_TRUE(setup.SetCheck(ShaperCheck::kAuto, false));
  EXPECT_TRUE(Shown().factorEnabled);
  EXPECT_FALSE(Shown().fineEnabled);
  Set(ShaperField::kFactor, 270000);
  setup.ComposeNormalisation(registers);
  EXPECT_EQ(registers[20], 270000 & 0xFFFF);
  EXPECT_EQ(registers[21], 270000 >> 16);
  EXPECT_EQ(setup.FastMultiplier(), 4u * (16 * 270000 / 240));

  // A read-back with the largest factor, a fast rise far above the slow one,
  // or no slow rise at all keeps the multipliers in range.
  registers[2] = 1;
  registers[4] = 0xFFFF;
  registers[20] = 0xFFFF;
  registers[21] = 0x3FFF;
  ReadBack();
  EXPECT_EQ(setup.SlowMultiplier(), 0xFFFFFFFCu);
  EXPECT_EQ(setup.FastMultiplier(), 0xFFFFFFFCu);
  registers[2] = 0;
  registers[20] = 0;
  registers[21] = 0;
  ReadBack();
  EXPECT_EQ(setup.SlowMultiplier(), 4u) << "a factor of 0 is 1";
  EXPECT_EQ(setup.FastMultiplier(), 0xFFFFFFFCu) << "no slow rise: the last fast factor";
}

TEST_F(ShaperFixture, ThresholdsRoundTripThroughAutomaticScaledAndOutOfRangeCodes) {
  compression = 2;
  Compose();  // Ns = 600, Nf = 40
  EXPECT_EQ(registers[34], 0xFFFF) << "slow 0: automatic";
  EXPECT_EQ(registers[35], 0xFFFF);
  EXPECT_EQ(Pair(36), 0xFFFFFFFFu);
  ReadBack();
  EXPECT_EQ(Shown().Field(ShaperField::kSlowThreshold), 0);
  EXPECT_TRUE(Shown().slowAuto);

  Set(ShaperField::kSlowThreshold, 5);
  Set(ShaperField::kFastThreshold, 7);
  EXPECT_FALSE(Shown().slowAuto);
  Compose();
  EXPECT_EQ(Pair(34), 5u * 2 * 600);
  EXPECT_EQ(Pair(36), 7u * 2 * 40);
  Set(ShaperField::kSlowThreshold, 0);  // the next read-back shows the instrument's again
  ReadBack();
  EXPECT_EQ(Shown().Field(ShaperField::kSlowThreshold), 5);
  EXPECT_EQ(Shown().Field(ShaperField::kFastThreshold), 7);

  // Beyond 2048 x Ns: 2048 full-resolution channels; a zero pair shows 1.
  SetRegisterPair(registers, 34, 2049u * 600 + 1);
  SetRegisterPair(registers, 36, 0);
  ReadBack();
  EXPECT_EQ(Shown().Field(ShaperField::kSlowThreshold), 1024);
  EXPECT_EQ(Shown().Field(ShaperField::kFastThreshold), 1);

  // The largest threshold with the largest factor does not wrap into the
  // sign bit, which would read back as automatic.
  ASSERT_TRUE(setup.SetCheck(ShaperCheck::kAuto, false));
  Set(ShaperField::kFactor, 270000);
  Set(ShaperField::kSlowThreshold, 2048);
  compression = 8;
  Compose();
  EXPECT_EQ(Pair(34), 0x7FFFFFFFu);
  setup.MarkThresholds();
  ReadBack();
  EXPECT_FALSE(Shown().slowAuto);
  EXPECT_GT(Shown().Field(ShaperField::kSlowThreshold), 200);

  // Estimates are read-only channels: pair / (compression x Ns).
  compression = 1;
  Compose();
  SetRegisterPair(registers, 48, 3u * setup.SlowMultiplier() + 5);
  SetRegisterPair(registers, 52, 0x12345678);
  ReadBack();
  EXPECT_EQ(Shown().estimatedSlow, "3");
  EXPECT_EQ(Shown().estimatedFast, std::to_string(0x12345678u / setup.FastMultiplier()));
}

TEST_F(ShaperFixture, MarginCodesBelowFourShowTheFirstEntryAndAnOpenListIsLeftAlone) {
  EXPECT_EQ(MarginText(0), "1");
  EXPECT_EQ(MarginText(1), "1.25");
  EXPECT_EQ(MarginText(kMarginEntries - 1), "7.75");
  EXPECT_EQ(BdcText(kBdcEntries - 1), "4.875");
  for (std::uint16_t code = 0; code < 4; ++code) {
    registers[71] = static_cast<std::uint16_t>(code | code << 5);
    ReadBack();
    EXPECT_EQ(Shown().List(ShaperList::kSlowMargin), 0) << code;
    EXPECT_EQ(Shown().List(ShaperList::kFastMargin), 0) << code;
  }
  registers[71] = 31 | 9 << 5 | 31 << 10;
  ReadBack();
  EXPECT_EQ(Shown().List(ShaperList::kSlowMargin), 27);
  EXPECT_EQ(Shown().List(ShaperList::kFastMargin), 5);
  EXPECT_EQ(Shown().List(ShaperList::kBdc), 31);

  setup.SetDropDownOpen(ShaperList::kSlowMargin, true);
  setup.SetDropDownOpen(ShaperList::kBdc, true);
  registers[71] = 6 | 6 << 5 | 2 << 10;
  ReadBack();
  EXPECT_EQ(Shown().List(ShaperList::kSlowMargin), 27) << "the user is choosing";
  EXPECT_EQ(Shown().List(ShaperList::kBdc), 31);
  EXPECT_EQ(Shown().List(ShaperList::kFastMargin), 2);
  ASSERT_EQ(setup.SelectList(ShaperList::kSlowMargin, 40), RegisterBlock::kSettings);
  EXPECT_EQ(Shown().List(ShaperList::kSlowMargin), 0) << "outside the list: first entry";
  ReadBack();
  EXPECT_EQ(Shown().List(ShaperList::kSlowMargin), 2) << "closed again";
}

TEST_F(ShaperFixture, TheOtherUnfoldingPairIsWrittenBackUnchanged) {
  EXPECT_EQ(Shown().unfoldingTitle, "UNFOLDING Input E");
  registers[8] = 21;
  registers[9] = 1800;
  registers[10] = 77;
  registers[11] = 4321;
  ReadBack();
  EXPECT_EQ(Shown().longTcUs, LongTcText(4321));
  setup.SetUnfoldingSet(false);
  EXPECT_EQ(Shown().unfoldingTitle, "UNFOLDING Input ABC");
  EXPECT_EQ(Shown().longTcUs, "1.8000") << "1800 x 0.008 x 0.125";
  EXPECT_EQ(Shown().shortTcNs, "21.0");
  EXPECT_EQ(setup.SetField(ShaperField::kLongTcAbc, 9000), RegisterBlock::kAll) << "below register 12";
  Compose();
  EXPECT_EQ(registers[9], 8191) << "clamped";
  EXPECT_EQ(registers[8], 21);
  EXPECT_EQ(registers[10], 77);
  EXPECT_EQ(registers[11], 4321);
}

TEST_F(ShaperFixture, FieldsAreClampedAndNothingChangesBeforeTheFirstUpdate) {
  Set(ShaperField::kSlowRise, 5000);
  Set(ShaperField::kSlowFlatTop, 0);
  Set(ShaperField::kBlrSlow, 2000);
  EXPECT_EQ(Shown().Field(ShaperField::kSlowRise), 2040);
  EXPECT_EQ(Shown().slowRiseUs, "16.3200");
  EXPECT_EQ(Shown().Field(ShaperField::kSlowFlatTop), 1);
  EXPECT_EQ(setup.SetField(ShaperField::kBlrFast, 255), RegisterBlock::kSettings);
  ASSERT_TRUE(setup.SetCheck(ShaperCheck::kAcc, true));
  Compose();
  EXPECT_EQ(registers[30], 1023 | 0x4000);
  EXPECT_EQ(registers[31], 255);

  ShaperSetup fresh;
  RegisterImage untouched{};
  EXPECT_FALSE(fresh.SetField(ShaperField::kSlowRise, 10));
  fresh.Compose(untouched, 1);
  fresh.Refresh(registers, 1);
  EXPECT_EQ(untouched, RegisterImage{});
  EXPECT_EQ(fresh.Controls().Field(ShaperField::kSlowRise), 240);
}

TEST(PhaSetup, LldThresholdBlrAndTriggerBitsRoundTrip) {
  PhaSetup pha;
  pha.FirstUpdate();
  RegisterImage registers{};
  registers[72] = 0xFFFF;
  registers[73] = 0xFFFF;
  registers[30] = 0x4000 | 321;  // ACC belongs to the shaper
  registers[18] = 0x1000;        // external BLR
  SetRegisterPair(registers, 48, 100);
  pha.Decode(registers, 2);
  EXPECT_TRUE(pha.Controls().thresholdAuto);
  EXPECT_EQ(pha.Controls().threshold, 0);
  EXPECT_FALSE(pha.Controls().useInternalBlr);
  EXPECT_FALSE(pha.Controls().blrControlsEnabled);
  EXPECT_EQ(pha.Controls().phaSlow, 321);
  EXPECT_EQ(pha.Controls().estimatedLld, "4") << "100 / (2 x 12)";

  registers[72] = 24;
  registers[73] = 0;
  pha.Decode(registers, 2);
  EXPECT_FALSE(pha.Controls().thresholdAuto);
  EXPECT_EQ(pha.Controls().threshold, 1);

  EXPECT_TRUE(pha.SetUseInternalBlr(true));
  EXPECT_TRUE(pha.SetTdcrTriggered(true));
  EXPECT_TRUE(pha.SetPhaSlow(5000));
  EXPECT_TRUE(pha.SetSym(true));
  EXPECT_TRUE(pha.SetThreshold(5));
  EXPECT_TRUE(pha.SelectMargin(3));
  registers[74] = 0xFFE0;
  pha.Encode(registers, 2);
  EXPECT_EQ(registers[18], 0);
  EXPECT_EQ(registers[16], 0x1000);
  EXPECT_EQ(registers[30], 0x8000 | 0x4000 | 1023) << "ACC carried";
  EXPECT_EQ(RegisterPair(registers, 72), 5u * 2 * 12);
  EXPECT_EQ(registers[74], 0xFFE0 | 7);
  EXPECT_TRUE(pha.SetThreshold(-3));
  EXPECT_TRUE(pha.Controls().thresholdAuto);
  pha.Encode(registers, 2);
  EXPECT_EQ(RegisterPair(registers, 72), 0xFFFFFFFFu) << "0 is sent as automatic";
}

}  // namespace
}  // namespace korva
