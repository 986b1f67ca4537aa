// TT - UTC against ERFA's dat and Delta T against the published table
// (tests/data/foundations/time_scales.csv and delta_t_table.csv, with the
// commands and sources that made them).
#include "foundations/time_scales.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundations/reference_table.h"

namespace skarvel {
namespace {

using testing::ReadReferenceTable;

constexpr long double kDay = 86400.0L;

TEST(TimeScales, TTMinusUTCEqualsErfaFrom1972On) {
  const auto table = ReadReferenceTable("time_scales.csv");
  ASSERT_GT(table.rows.size(), 700u);
  for (const auto& row : table.rows) {
    const long double jd = row.at("jd_utc");
    EXPECT_NEAR(static_cast<double>(TTMinusUTCSeconds(jd)), static_cast<double>(row.at("tt_minus_utc_s")), 1e-9)
        << "JD " << static_cast<double>(jd);
    EXPECT_NEAR(static_cast<double>((UtcToTT(jd) - jd) * kDay), static_cast<double>(row.at("tt_minus_utc_s")), 1e-5);
  }
}

TEST(TimeScales, LeapSecondTableAsCheckedAgainstTheIersList) {
  // The list's "last update" and its expiry; a newer list moves both (and may add a step).
  EXPECT_EQ(kLeapSecondTableChecked.year, 2025);
  EXPECT_EQ(kLeapSecondTableChecked.month, 7);
  EXPECT_EQ(kLeapSecondTableChecked.day, 7);
  EXPECT_EQ(kLeapSecondTableExpires.year, 2026);
  EXPECT_EQ(kLeapSecondTableExpires.month, 6);
  EXPECT_EQ(kLeapSecondTableExpires.day, 28);
  // One second per step, on 1 January or 1 July, in date order, 10 s to 37 s.
  EXPECT_EQ(kLeapSecondSteps.front().taiMinusUtcSeconds, 10);
  EXPECT_EQ(kLeapSecondSteps.back().taiMinusUtcSeconds, 37);
  for (std::size_t i = 1; i < kLeapSecondSteps.size(); ++i) {
    const auto& a = kLeapSecondSteps[i - 1];
    const auto& b = kLeapSecondSteps[i];
    EXPECT_EQ(b.taiMinusUtcSeconds, a.taiMinusUtcSeconds + 1);
    EXPECT_TRUE(b.month == 1 || b.month == 7);
    EXPECT_LT(a.year * 12 + a.month, b.year * 12 + b.month);
  }
  // Past the last step the last value holds: 2026-12-01 12:00 UTC.
  EXPECT_EQ(TAIMinusUTCSeconds(2461376.0L), 37);
  EXPECT_DOUBLE_EQ(static_cast<double>(TTMinusUTCSeconds(2461376.0L)), 69.184);
}

TEST(TimeScales, StepsFallAtMidnightUtc) {
  // 2017-01-01 00:00 UTC is JD 2457754.5: 68.184 s a millisecond before, 69.184 s from it on.
  bool known = false;
  EXPECT_EQ(TAIMinusUTCSeconds(2457754.5L - 0.001L / kDay, &known), 36);
  EXPECT_TRUE(known);
  EXPECT_EQ(TAIMinusUTCSeconds(2457754.5L), 37);
  // Before 1972 there is no integral TAI - UTC.
  EXPECT_EQ(TAIMinusUTCSeconds(kJDLeapSecondsBegin - 1e-6L, &known), 0);
  EXPECT_FALSE(known);
  EXPECT_EQ(TAIMinusUTCSeconds(std::numeric_limits<long double>::quiet_NaN(), &known), 0);
  EXPECT_FALSE(known);
  EXPECT_EQ(TAIMinusUTCSeconds(kJDLeapSecondsBegin, &known), 10);
  EXPECT_TRUE(known);
}

TEST(TimeScales, DeltaTBefore1972FromThePolynomials) {
  const auto table = ReadReferenceTable("delta_t_table.csv");
  ASSERT_EQ(table.rows.size(), 11u);
  for (const auto& row : table.rows) {
    // The expressions follow the table to about 0.1 s here; a wrong range or coefficient is off by seconds.
    EXPECT_NEAR(static_cast<double>(DeltaTSeconds(row.at("year"))), static_cast<double>(row.at("delta_t_s")), 0.15)
        << static_cast<double>(row.at("year"));
  }
  // Before 1972 TT - UTC is Delta T (UT1 taken as UTC): 1900, 1950, 1970.
  EXPECT_NEAR(static_cast<double>(TTMinusUTCSeconds(2415020.0L)), -2.7, 0.1);  // 1900 Jan 0.5 (1900.0)
  EXPECT_NEAR(static_cast<double>(TTMinusUTCSeconds(2433282.5L)), 29.1, 0.1);  // 1950-01-01
  EXPECT_NEAR(static_cast<double>(TTMinusUTCSeconds(2440587.5L)), 40.2, 0.1);  // 1970-01-01
  // The polynomial meets the table at 1972 within a tenth of a second.
  EXPECT_NEAR(static_cast<double>(TTMinusUTCSeconds(kJDLeapSecondsBegin - 1e-6L)), 42.184, 0.1);
  // Far ranges: the parabola -20 + 32 u^2 of the Canon, and its joins.
  EXPECT_NEAR(static_cast<double>(DeltaTSeconds(-1000)), -20 + 32 * 28.2 * 28.2, 1e-6);
  EXPECT_NEAR(static_cast<double>(DeltaTSeconds(2200)), -20 + 32 * 3.8 * 3.8, 1e-9);
  EXPECT_NEAR(static_cast<double>(DeltaTSeconds(-500 - 1e-9L)), static_cast<double>(DeltaTSeconds(-500)), 5);
  EXPECT_NEAR(static_cast<double>(DeltaTSeconds(2150 - 1e-9L)), static_cast<double>(DeltaTSeconds(2150)), 1e-3);
  EXPECT_NEAR(static_cast<double>(DecimalYear(2451545.0L)), 2000.0, 1e-12);
}

TEST(TimeScales, TTToUtcUndoesUtcToTT) {
  // Across the 1972 join, around each step, in the polynomial range and today.
  std::vector<long double> utc = {2415202.0L, 2440587.5L, kJDLeapSecondsBegin - 0.5L, kJDLeapSecondsBegin + 0.5L,
                                  2457754.5L - 1.0L / kDay, 2457754.5L, 2457754.5L + 1.0L / kDay, 2458604.65659722L};
  for (long double u : utc) {
    const long double back = TTToUtc(UtcToTT(u));
    EXPECT_NEAR(static_cast<double>((back - u) * kDay), 0.0, 1e-4) << static_cast<double>(u);
  }
  // Where two polynomials meet with a jump (1900.0: 0.08 s) a TT instant has
  // two UTC ones; either found gives the TT instant back.
  const long double tt1900 = UtcToTT(2415020.0L);
  EXPECT_NEAR(static_cast<double>((UtcToTT(TTToUtc(tt1900)) - tt1900) * kDay), 0.0, 1e-4);
  // 2016-12-31 23:59:60.5 UTC has no Julian date of its own: its TT goes to the step.
  const long double inLeap = 2457754.5L + (68.184L + 0.5L) / kDay;
  EXPECT_NEAR(static_cast<double>((TTToUtc(inLeap) - 2457754.5L) * kDay), 0.0, 1e-4);
  EXPECT_TRUE(std::isnan(UtcToTT(std::numeric_limits<long double>::quiet_NaN())));
  EXPECT_TRUE(std::isinf(TTToUtc(std::numeric_limits<long double>::infinity())));
}

TEST(TimeScales, NoteShowsUtcWithTheTTUsed) {
  // 2019-05-01 03:45:30 UTC (JD 2458604.656597222) is 03:46:39.184 TT.
  EXPECT_EQ(UtcWithTTText(2458604.5L + (3 * 3600 + 45 * 60 + 30) / kDay),
            "2019/05/01 03:45:30 UTC = 2019/05/01 03:46:39 TDT (TT - UTC = 69.184 s)");
  // A step of the date: 23:59:30 UTC on 2018-12-31 is past midnight in TT.
  EXPECT_EQ(UtcWithTTText(2458484.5L - 30 / kDay),
            "2018/12/31 23:59:30 UTC = 2019/01/01 00:00:39 TDT (TT - UTC = 69.184 s)");
}

}  // namespace
}  // namespace skarvel
