#include "support/format.hpp"

#include <gtest/gtest.h>

namespace korva {
namespace {

TEST(FixedPoint, RoundsHalvesAwayFromZeroOnTheExactValue) {
  EXPECT_EQ(F(2.5, 5, 0), "   3.");
  EXPECT_EQ(F(-2.5, 5, 0), "  -3.");
  EXPECT_EQ(F(0.125, 6, 2), "  0.13");
  // 0.35f is slightly below 0.35, 0.15f slightly above 0.15: the binary value decides.
  EXPECT_EQ(F(0.35f, 5, 1), "  0.3");
  EXPECT_EQ(F(0.15f, 5, 1), "  0.2");
  EXPECT_EQ(F(99.996, 6, 2), "100.00");
  EXPECT_EQ(F(1897.4133f, 12, 4), "   1897.4133");
}

TEST(FixedPoint, DropsLeadingZeroOnlyWhenNeededAndShowsOverflowAsStars) {
  EXPECT_EQ(F(0.5, 5, 3), "0.500");
  EXPECT_EQ(F(0.5, 4, 3), ".500");
  EXPECT_EQ(F(-0.5, 5, 3), "-.500");
  EXPECT_EQ(F(1234.5, 6, 2), "******");
  EXPECT_EQ(F(1.0 / 0.0, 5, 1), "*****");
  EXPECT_EQ(F(-0.0001, 6, 3), " 0.000");  // no minus sign on a zero
  EXPECT_EQ(F(1.0, 4, 0), "  1.");
}

TEST(Exponent, HasLeadingZeroMantissaAndTwoDigitExponent) {
  EXPECT_EQ(E(12345.0, 10, 4), "0.1235E+05");
  EXPECT_EQ(E(12345.0, 11, 4), " 0.1235E+05");
  EXPECT_EQ(E(-12345.0, 10, 4), "-.1235E+05");
  EXPECT_EQ(E(0.0, 10, 2), "  0.00E+00");
  EXPECT_EQ(E(9.996e-3, 10, 2), "  0.10E-01");
  EXPECT_EQ(E(2.0e9 * 0.01 * 1.5, 10, 4), "0.3000E+08");
  EXPECT_EQ(E(1.0e120, 10, 2), "  0.10+121");
  EXPECT_EQ(E(-12345.0, 9, 4), "*********");
}

TEST(IntegerAndText, AlignRightAndCut) {
  EXPECT_EQ(I(-12, 4), " -12");
  EXPECT_EQ(I(12345, 4), "****");
  EXPECT_EQ(A("i-o", 5), "  i-o");
  EXPECT_EQ(A("abcdef", 4), "abcd");
  EXPECT_EQ(pad("yig.ps", 8), "yig.ps  ");
  EXPECT_EQ(trim_right("  a b  "), "  a b");
  EXPECT_EQ(trim_left("  a b  "), "a b  ");
}

}  // namespace
}  // namespace korva
