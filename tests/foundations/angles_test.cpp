#include "foundations/angles.h"

#include <gtest/gtest.h>

#include <string>

namespace skarvel {
namespace {

TEST(SplitSexagesimal, SignMagnitudeAndFields) {
  const SexagesimalRec r = SplitSexagesimal(-12.5125L);
  EXPECT_EQ(r.sign, -1);
  EXPECT_EQ(r.degrees, 12);
  EXPECT_EQ(r.minutes, 30);
  EXPECT_NEAR(static_cast<double>(r.seconds), 45.0, 1e-12);
  EXPECT_EQ(SplitSexagesimal(0).sign, 0);
  EXPECT_EQ(SplitSexagesimal(0.25L).sign, 1);
  EXPECT_EQ(SplitSexagesimal(-0.25L).degrees, 0);
  EXPECT_EQ(SplitSexagesimal(-0.25L).sign, -1);
}

TEST(SplitSexagesimal, JoinInvertsSplit) {
  for (long double x : {-359.99999L, -0.0001L, 0.0L, 1.0L / 3, 23.999999L, 89.5L, 725.123L}) {
    EXPECT_NEAR(static_cast<double>(JoinSexagesimal(SplitSexagesimal(x))), static_cast<double>(x), 1e-15) << x;
  }
}

TEST(SplitRounded, SecondsThatRoundToSixtyCarry) {
  SexagesimalRec r = SplitRounded(10.0L + 59.0L / 60 + 59.996L / 3600, 2);
  EXPECT_EQ(r.degrees, 11);
  EXPECT_EQ(r.minutes, 0);
  EXPECT_EQ(r.seconds, 0.0L);
  r = SplitRounded(10.0L + 30.0L / 60 + 59.996L / 3600, 2);
  EXPECT_EQ(r.degrees, 10);
  EXPECT_EQ(r.minutes, 31);
  r = SplitRounded(10.0L + 30.0L / 60 + 59.994L / 3600, 2);
  EXPECT_EQ(r.minutes, 30);
  EXPECT_NEAR(static_cast<double>(r.seconds), 59.994, 1e-9);
}

TEST(FormatDMS, FieldsPaddingAndReduction) {
  const std::string deg(kDegreeSign);
  EXPECT_EQ(FormatDMS(725, 0, deg, "'", "\""), "   5" + deg + "00'00\"");
  EXPECT_EQ(FormatDMS(-12.5L, 1, ":", ":", ""), " -12:30:00.0");
  EXPECT_EQ(FormatDMS(123.0L + 4.0L / 60 + 5.25L / 3600, 2, " ", " ", ""), " 123 04 05.25");
  EXPECT_EQ(FormatDMS(-0.5L, 0, ":", ":", ""), "  -0:30:00");
  // 359 59 59.99999 rounds to 360 degrees, which is reduced to 0.
  EXPECT_EQ(FormatDMS(359.9999999L, 1, ":", ":", ""), "   0:00:00.0");
  EXPECT_EQ(FormatDMS(359.5L, 1, ":", ":", ""), " 359:30:00.0");
  EXPECT_EQ(FormatDMS(719.9999999L, 1, ":", ":", ""), "   0:00:00.0");
}

TEST(FormatDM, DecimalMinutes) {
  EXPECT_EQ(FormatDM(12.5L, 1, ":", ""), "  12:30.0");
  EXPECT_EQ(FormatDM(12.0L + 5.25L / 60, 2, " ", "'"), "  12 05.25'");
  EXPECT_EQ(FormatDM(12.0L + 59.996L / 60, 2, ":", ""), "  13:00.00");
  EXPECT_EQ(FormatDM(-3.0L - 9.96L / 60, 1, ":", ""), "  -3:10.0");
  EXPECT_EQ(FormatDM(725.5L, 0, ":", ""), "   5:30");
}

TEST(FormatRA, CarriesRoundedSecondsIntoMinutesAndHours) {
  EXPECT_EQ(FormatRA(5.9999999L, 2, true), "06h 00m 00.00s");
  EXPECT_EQ(FormatRA(5.0L + 59.0L / 60 + 59.99999L / 3600, 2, true), "06h 00m 00.00s");
  EXPECT_EQ(FormatRA(12.0L + 3.0L / 60 + 4.5L / 3600, 1, false), "12 03 04.5");
  EXPECT_EQ(FormatRA(0.0L, 3, false), "00 00 00.000");
  EXPECT_EQ(FormatRA(25.5L, 0, false), "25 30 00");  // hours are not reduced
}

TEST(FormatDec, SignSurvivesAZeroDegreeField) {
  EXPECT_EQ(FormatDec(-0.5L, 1, false), "-00 30 00.0");
  EXPECT_EQ(FormatDec(0.0L, 1, false), "+00 00 00.0");
  EXPECT_EQ(FormatDec(45.0L + 1.0L / 60 + 2.25L / 3600, 2, true), "+45" + std::string(kDegreeSign) + " 01' 02.25\"");
  EXPECT_EQ(FormatDec(-89.9999999L, 1, false), "-90 00 00.0");
  EXPECT_EQ(FormatDec(-5.0L - 7.0L / 3600, 0, false), "-05 00 07");
}

TEST(ReadNumberToken, ReadsTokensBetweenSeparators) {
  std::string text = "  12 34  56.75 x";
  EXPECT_NEAR(static_cast<double>(*ReadNumberToken(text, ' ')), 12.0, 0.0);
  EXPECT_EQ(text, "34  56.75 x");
  EXPECT_NEAR(static_cast<double>(*ReadNumberToken(text, ' ')), 34.0, 0.0);
  EXPECT_NEAR(static_cast<double>(*ReadNumberToken(text, ' ')), 56.75, 0.0);
  EXPECT_EQ(text, "x");
  EXPECT_FALSE(ReadNumberToken(text, ' '));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(ReadNumberToken(text, ' '));
  text = "-05:30";
  EXPECT_NEAR(static_cast<double>(*ReadNumberToken(text, ':')), -5.0, 0.0);
  EXPECT_EQ(text, "30");
}

TEST(AngleHelpers, ClampedInverseTrigonometryAndNormalisation) {
  EXPECT_NEAR(static_cast<double>(ArcSinClamped(1.0000001L)), 1.5707963267948966, 1e-15);
  EXPECT_NEAR(static_cast<double>(ArcCosClamped(-1.0000001L)), 3.141592653589793, 1e-15);
  EXPECT_EQ(Sign(0), 1);
  EXPECT_EQ(Sign(-1e-30L), -1);
  EXPECT_NEAR(static_cast<double>(NormalizeRadians(-0.5L)), static_cast<double>(kTwoPi - 0.5L), 1e-15);
  EXPECT_NEAR(static_cast<double>(NormalizeRadians(7 * kTwoPi + 1)), 1.0, 1e-14);
  const long double r = NormalizeRadians(-1e-30L);
  EXPECT_GE(r, 0);
  EXPECT_LT(r, kTwoPi);
}

}  // namespace
}  // namespace skarvel
