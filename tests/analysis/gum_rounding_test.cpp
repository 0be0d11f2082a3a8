#include "analysis/gum_rounding.h"

#include <gtest/gtest.h>

#include <limits>

namespace korva {
namespace {

// Hand-rounded: two significant digits of u, the value to u's last digit.
TEST(GumRounding, TheUncertaintyKeepsTwoSignificantDigitsAndTheValueItsLastPlace) {
  const RoundedResult small = RoundedToUncertainty(1234.5678, 0.01234);
  EXPECT_EQ(small.value, "1234.568");
  EXPECT_EQ(small.uncertainty, "0.012");

  const RoundedResult typical = RoundedToUncertainty(4987.3549, 23.71);
  EXPECT_EQ(typical.value, "4987");
  EXPECT_EQ(typical.uncertainty, "24");

  const RoundedResult large = RoundedToUncertainty(123456.7, 1234.0);
  EXPECT_EQ(large.value, "123500");
  EXPECT_EQ(large.uncertainty, "1200");

  const RoundedResult carried = RoundedToUncertainty(100.0, 0.0996);
  EXPECT_EQ(carried.value, "100.00") << "0.0996 rounds to 0.10, two digits, not 0.100";
  EXPECT_EQ(carried.uncertainty, "0.10");

  EXPECT_EQ(RoundedToUncertainty(-0.0004, 0.25).value, "0.00") << "no negative zero";
  EXPECT_EQ(SignificantText(0.4567, 2), "0.46");
  EXPECT_EQ(SignificantText(99.6, 2), "100");
}

TEST(GumRounding, AnUncertaintyThatFixesNoPlaceLeavesSixSignificantDigits) {
  EXPECT_EQ(RoundedToUncertainty(3.14159265, 0.0).value, "3.14159");
  EXPECT_EQ(RoundedToUncertainty(3.14159265, -1.0).uncertainty, "0");
  EXPECT_EQ(RoundedToUncertainty(2.5, std::numeric_limits<double>::quiet_NaN()).value, "2.50000");
}

}  // namespace
}  // namespace korva
