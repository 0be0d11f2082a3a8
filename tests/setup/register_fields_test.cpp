#include <gtest/gtest.h>

#include <array>

#include "setup/register_debug_table.h"
#include "setup/register_field_text.h"

namespace korva {
namespace {

TEST(RegisterFieldsTest, TypedTextsParseAsTheFieldsReadThem) {
  struct Case {
    const char* text;
    long hex;
    long dec;
  };
  for (const Case& c : {
           Case{"FFFF", 0xFFFF, kUnparsableField},
           Case{"ffff", 0xFFFF, kUnparsableField},
           Case{"12", 0x12, 12},
           Case{"1 2", 0x12, 12},
           Case{" 7f ", 0x7F, 7},
           Case{"0x1F", 0x1F, 0},
           Case{"99999", 0x99999, 99999},
           Case{"-5", -5, -5},
           Case{"", kUnparsableField, kUnparsableField},
           Case{"  ", kUnparsableField, kUnparsableField},
           Case{"zz", kUnparsableField, kUnparsableField},
           Case{"-", kUnparsableField, kUnparsableField},
       }) {
    EXPECT_EQ(ParseHexField(c.text), c.hex) << '"' << c.text << '"';
    EXPECT_EQ(ParseDecField(c.text), c.dec) << '"' << c.text << '"';
  }
  EXPECT_EQ(ClampRegisterValue(ParseDecField("123456789012345678901234567890")), 65535)
      << "an overlong number clamps to the top, never wraps";
}

TEST(RegisterFieldsTest, FfffShows65535WithEveryBitButtonCaptionedOne) {
  const RegisterFieldTexts texts = RegisterFieldTextsFor(ParseHexField("FFFF"));
  EXPECT_EQ(texts.value, 65535);
  EXPECT_EQ(texts.dec, "65535");
  EXPECT_EQ(texts.hex, "FFFF");
  for (const BitButton& button : texts.bits) {
    EXPECT_EQ(button.caption, "1");
    EXPECT_FALSE(button.pressed);
  }
}

TEST(RegisterFieldsTest, OutOfRangeAndUnparsableValuesShowClamped) {
  EXPECT_EQ(RegisterFieldTextsFor(kUnparsableField).dec, "0");
  EXPECT_EQ(RegisterFieldTextsFor(-40).hex, "0");
  EXPECT_EQ(RegisterFieldTextsFor(99999).dec, "65535");
  EXPECT_EQ(RegisterFieldTextsFor(0xABC).hex, "ABC");
}

TEST(RegisterFieldsTest, BitButtonsStandForTheValueBitByBit) {
  const BitButtons buttons = BitButtonsFor(0x8001);
  EXPECT_EQ(buttons[15].caption, "1");
  EXPECT_EQ(buttons[0].caption, "1");
  EXPECT_EQ(buttons[1].caption, "0");
  EXPECT_TRUE(buttons[1].pressed);

  for (const int value : {0x0000, 0x8001, 0x5A5A, 0xFFFF}) {
    BitButtonStates pressed{};
    const BitButtons shown = BitButtonsFor(static_cast<std::uint16_t>(value));
    for (std::size_t bit = 0; bit < pressed.size(); ++bit) pressed[bit] = shown[bit].pressed;
    EXPECT_EQ(ValueFromBitButtons(pressed), value);
  }
  EXPECT_EQ(ToggleBit(0x0000, 15), 0x8000);
  EXPECT_EQ(ToggleBit(0x8001, 0), 0x8000);
  EXPECT_EQ(ToggleBit(ToggleBit(0x1234, 7), 7), 0x1234);
}

TEST(RegisterDebugTableTest, StartsWithTenfoldIndicesAndReadsBackOnlyWhenAsked) {
  RegisterDebugTable table;
  EXPECT_EQ(table.Values()[0], 0);
  EXPECT_EQ(table.Values()[127], 1270);
  EXPECT_TRUE(table.autoRead);
  EXPECT_FALSE(table.autoWrite);

  std::array<std::uint16_t, kRegisterFileEntries> image{};
  image.fill(42);
  table.autoRead = false;
  EXPECT_FALSE(table.CopyFromImage(image));
  EXPECT_EQ(table.Values()[5], 50) << "with AUTO READ off a read-back leaves the table alone";
  EXPECT_TRUE(table.CopyFromImage(image, true)) << "READ forces the copy";
  EXPECT_EQ(table.Values()[5], 42);
  table.autoRead = true;
  image.fill(7);
  EXPECT_TRUE(table.CopyFromImage(image));
  EXPECT_EQ(table.Values()[127], 7);
}

TEST(RegisterDebugTableTest, ShowStoresTheClampedValueAtTheSelectedRegister) {
  RegisterDebugTable table;
  table.Select(300);
  EXPECT_EQ(table.Selected(), 127u);
  table.Select(12);
  EXPECT_EQ(table.Show(70000).dec, "65535");
  EXPECT_EQ(table.Values()[12], 65535);
  EXPECT_EQ(table.SelectedValue(), 65535);
  EXPECT_EQ(table.Values()[11], 110);
}

}  // namespace
}  // namespace korva
