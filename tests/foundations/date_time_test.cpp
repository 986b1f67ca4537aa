#include "foundations/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace skarvel {
namespace {

/// Julian day number at noon of a Gregorian date by the integer formula of
/// Fliegel and Van Flandern (Comm. ACM 11, 657, 1968), an algorithm independent
/// of the one under test. Valid for years after -4800.
std::int64_t FliegelVanFlandern(std::int64_t y, std::int64_t m, std::int64_t d) {
  const std::int64_t a = (m - 14) / 12;
  return (1461 * (y + 4800 + a)) / 4 + (367 * (m - 2 - 12 * a)) / 12 - (3 * ((y + 4900 + a) / 100)) / 4 + d - 32075;
}

TEST(DateTimeObj, J2000AndTheOriginDecodeToTheirCalendarDates) {
  DateTimeObj t;
  t.SetJD(2451545.0L);
  EXPECT_EQ(t.year, 2000);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.utTime.hour, 12);
  EXPECT_EQ(t.utTime.minute, 0);
  EXPECT_FLOAT_EQ(t.utTime.seconds, 0.0f);
  EXPECT_EQ(t.civil, 36526.5);
  EXPECT_EQ(DateFieldText(t.civil) + " " + TimeFieldText(t.civil), "2000/01/01 12:00:00");

  t.SetJD(2415018.5L);
  EXPECT_EQ(DateFieldText(t.civil) + " " + TimeFieldText(t.civil), "1899/12/30 00:00:00");
  EXPECT_EQ(t.civil, 0.0);
}

TEST(DateTimeObj, DateTextsOfFiveJanuary2010) {
  DateTimeObj t;
  t.SetDateTime(*EncodeDate(2010, 1, 5));
  EXPECT_EQ(t.ShortDateText(), "01/05/2010");
  EXPECT_EQ(t.LongDateText(), "January 5, 2010");
  EXPECT_EQ(ShortDateText({2010, 12, 25}), "12/25/2010");
  EXPECT_EQ(LongDateText({987, 10, 31}), "October 31, 987");
}

TEST(DateTimeObj, JDTextHasTheGivenDecimals) {
  DateTimeObj t;
  t.SetJD(2455201.5L + 0.123456L);
  EXPECT_EQ(t.JDText(5), "2455201.62346");
  EXPECT_EQ(t.JDText(0), "2455202");
}

TEST(DateTimeObj, MillisecondRoundingCarriesIntoTheNextDay) {
  // 2009/12/31 23:59:59.9996 rounds to the millisecond 2010/01/01 00:00:00.000.
  DateTimeObj t;
  t.SetDateTime(*EncodeDate(2009, 12, 31) + static_cast<double>(1.0L - 0.0004L / 86400));
  EXPECT_EQ(t.ShortDateText(), "01/01/2010");
  EXPECT_EQ(t.localTime.hour, 0);
  EXPECT_EQ(t.localTime.minute, 0);
  EXPECT_NEAR(t.localTime.seconds, 0.0f, 1e-6f);
}

TEST(DateTimeObj, TimeZoneOffsetShiftsUniversalTimeAndJulianDate) {
  DateTimeObj t;
  t.tzOffset = 2.0L / 24;  // local time two hours behind UT
  t.SetDateTime(*EncodeDateTime(2010, 6, 1, 23, 0, 0));
  EXPECT_EQ(t.localTime.hour, 23);
  EXPECT_EQ(t.utTime.hour, 1);
  EXPECT_EQ(t.day, 1);  // the calendar fields follow the local date
  EXPECT_NEAR(static_cast<double>(t.GetJD()), 2455349.5 + 1.0 / 24, 1e-9);
  t.SetJD(2455349.5L + 1.0L / 24);
  EXPECT_EQ(t.localTime.hour, 23);
  EXPECT_EQ(t.day, 1);
}

TEST(DateTimeObj, SetFromFieldsRebuildsCivilFromUniversalTime) {
  DateTimeObj t;
  t.year = 2011;
  t.month = 3;
  t.day = 14;
  t.utTime.hour = 7;
  t.utTime.minute = 26;
  t.utTime.seconds = 30.25f;
  ASSERT_TRUE(t.SetFromFields());
  const long double expected = (7 * 3600 + 26 * 60 + 30.25L) / 86400;
  EXPECT_NEAR(t.civil - *EncodeDate(2011, 3, 14), static_cast<double>(expected), 1e-10);
  EXPECT_EQ(t.utTime.moment, t.civil);

  t.day = 30;
  t.month = 2;
  const double before = t.civil;
  EXPECT_FALSE(t.SetFromFields());
  EXPECT_EQ(t.civil, before);
}

TEST(DateTimeObj, SetNowReadsTheClock) {
  DateTimeObj t;
  t.InitNow(0);
  // Any clock of this century: between 2000 and 2200.
  EXPECT_GT(t.GetJD(), 2451544.5L);
  EXPECT_LT(t.GetJD(), 2524593.5L);
  EXPECT_NEAR(t.civil, CurrentDateTimeValue(), 1.0 / 24);
}

TEST(DateTimeValue, NegativeValuesFollowTheOleConvention) {
  EXPECT_EQ(DateFieldText(-1.25) + " " + TimeFieldText(-1.25), "1899/12/29 06:00:00");
  EXPECT_EQ(DateTimeToDays(-1.25), -0.75L);
  EXPECT_EQ(DaysToDateTime(-0.75L), -1.25);
  EXPECT_EQ(DaysToDateTime(-2.0L), -2.0);
  // 1800/01/01 06:00 is JD 2378496.75 (ERFA eraCal2jd gives 2378496.5 for 0 h).
  DateTimeObj t;
  t.SetDateTime(*EncodeDateTime(1800, 1, 1, 6, 0, 0));
  EXPECT_LT(t.civil, 0);
  EXPECT_NEAR(static_cast<double>(t.GetJD()), 2378496.75, 1e-9);
  t.SetJD(2378496.75L);
  EXPECT_EQ(t.ShortDateText(), "01/01/1800");
  EXPECT_EQ(t.localTime.hour, 6);
}

// Every date of years 1 to 9999 in steps of 7 days, with a time of day that
// walks through the day: date -> date-time -> JD -> date-time -> date, and the
// JD at 0 h against the Fliegel-Van Flandern day number.
TEST(DateTimeValue, CalendarAndJulianDateRoundTripOverYears1To9999) {
  const double first = *EncodeDate(1, 1, 1);
  const double last = *EncodeDate(9999, 12, 31);
  int checked = 0;
  int step = 0;
  for (double day = first; day <= last; day += 7, ++step) {
    const CalendarDate date = DecodeDate(day);
    ASSERT_TRUE(IsValidDate(date.year, date.month, date.day)) << day;
    ASSERT_EQ(*EncodeDate(date.year, date.month, date.day), day);
    const std::int64_t jdn = FliegelVanFlandern(date.year, date.month, date.day);
    const int hour = step % 24;
    const int minute = (step * 7) % 60;
    const int second = (step * 13) % 60;
    const int ms = (step * 37) % 1000;
    const double dt = *EncodeDateTime(date.year, date.month, date.day, hour, minute, second + ms / 1000.0L);
    DateTimeObj t;
    t.SetDateTime(dt);
    const long double dayFraction = (hour * 3600 + minute * 60 + second + ms / 1000.0L) / 86400;
    // The date-time value is a double of up to 3e6 days: half its last place is 20 us.
    ASSERT_NEAR(static_cast<double>(t.GetJD() - (jdn - 0.5L + dayFraction)), 0.0, 2.5e-10) << date.year;
    DateTimeObj back;
    back.SetJD(t.GetJD());
    ASSERT_EQ(back.year, date.year);
    ASSERT_EQ(back.month, date.month);
    ASSERT_EQ(back.day, date.day);
    ASSERT_EQ(back.localTime.hour, hour);
    ASSERT_EQ(back.localTime.minute, minute);
    ASSERT_NEAR(back.localTime.seconds, static_cast<float>(second) + static_cast<float>(ms) / 1000.0f, 1.5e-3f);
    ++checked;
  }
  EXPECT_GT(checked, 520000);
}

TEST(DateTimeValue, InvalidDatesAreRefused) {
  EXPECT_FALSE(EncodeDate(2001, 2, 29));
  EXPECT_TRUE(EncodeDate(2000, 2, 29));
  EXPECT_FALSE(EncodeDate(1900, 2, 29));
  EXPECT_FALSE(EncodeDate(0, 12, 31));
  EXPECT_FALSE(EncodeDate(10000, 1, 1));
  EXPECT_FALSE(EncodeDate(2000, 13, 1));
  EXPECT_FALSE(EncodeDate(2000, 4, 31));
  EXPECT_FALSE(EncodeDateTime(2000, 1, 1, 24, 0, 0));
  EXPECT_FALSE(EncodeDateTime(2000, 1, 1, 0, 0, -0.001L));
  EXPECT_EQ(MonthName(0), "");
  EXPECT_EQ(MonthName(13), "");
  EXPECT_EQ(MonthName(9), "September");
}

// The bias is 0.1 ms (1.1574074074074074e-9 d): a value less than 0.1 ms short
// of midnight carries into the next whole day, one more than 0.1 ms short does not.
TEST(SplitDays, TheTenthMillisecondBiasCarriesIntoTheNextDay) {
  const DaysAndTime r = SplitDays(41.0L + 86399.99995L / 86400);
  EXPECT_EQ(r.wholeDays, 42);
  EXPECT_EQ(r.time.hour, 0);
  EXPECT_EQ(r.time.minute, 0);
  EXPECT_NEAR(r.time.seconds, 0.00005f, 1e-5f);

  const DaysAndTime exact = SplitDays(41.0L + 86399.9999L / 86400);
  EXPECT_EQ(exact.wholeDays, 42);

  // 23:59:59.9996 is 0.4 ms short: after the bias it is 23:59:59.9997.
  const DaysAndTime below = SplitDays(41.0L + 86399.9996L / 86400);
  EXPECT_EQ(below.wholeDays, 41);
  EXPECT_EQ(below.time.hour, 23);
  EXPECT_EQ(below.time.minute, 59);
  EXPECT_NEAR(below.time.seconds, 59.9997f, 2e-5f);

  // A time a hair below a whole second shows the whole second.
  const DaysAndTime second = SplitDays((10 * 3600 + 59.99995L) / 86400);
  EXPECT_EQ(second.time.hour, 10);
  EXPECT_EQ(second.time.minute, 1);
  EXPECT_NEAR(second.time.seconds, 0.00005f, 1e-5f);
}

TEST(SplitDays, FieldsOfAnOrdinaryTimeAndOfANegativeValue) {
  const DaysAndTime r = SplitDays(3.0L + (13 * 3600 + 7 * 60 + 42.5L) / 86400);
  EXPECT_EQ(r.wholeDays, 3);
  EXPECT_EQ(r.time.hour, 13);
  EXPECT_EQ(r.time.minute, 7);
  EXPECT_NEAR(r.time.seconds, 42.5f, 2e-4f);
  EXPECT_NEAR(static_cast<double>(DayFraction(r.time)), static_cast<double>((13 * 3600 + 7 * 60 + 42.5L) / 86400),
              2e-4 / 86400);

  const DaysAndTime n = SplitDays(-0.25L);
  EXPECT_EQ(n.wholeDays, -1);
  EXPECT_EQ(n.time.hour, 18);
  EXPECT_EQ(n.time.minute, 0);
  EXPECT_NEAR(n.time.seconds, 0.0f, 1e-3f);
}

TEST(TimeText, FormatsHoursMinutesSeconds) {
  TimeOfDayObj t;
  t.hour = 12;
  t.minute = 30;
  t.seconds = 5.0f;
  EXPECT_EQ(TimeText(t, 0, ":", ":", ""), "12:30:05");
  t.seconds = 5.5f;
  EXPECT_EQ(TimeText(t, 1, ":", ":", ""), "12:30:05.5");
  EXPECT_EQ(TimeText(t, 2, "h ", "m ", "s"), "12h 30m 05.50s");
  t.hour = 9;
  t.minute = 5;
  t.seconds = 0;
  EXPECT_EQ(TimeText(t, 0, ":", ":", ""), " 9:05:00");
  // Seconds that round to 60 carry into the minute and the hour.
  t.hour = 23;
  t.minute = 59;
  t.seconds = 59.96f;
  EXPECT_EQ(TimeText(t, 1, ":", ":", ""), "24:00:00.0");
  EXPECT_EQ(TimeText(t, 2, ":", ":", ""), "23:59:59.96");
}

TEST(TimeOfDay, DecodingRoundsToTheMillisecond) {
  const TimeOfDayObj t = DecodeTimeOfDay(10.0 + (3600.0 * 5 + 60 * 6 + 7.1234) / 86400);
  EXPECT_EQ(t.hour, 5);
  EXPECT_EQ(t.minute, 6);
  EXPECT_NEAR(t.seconds, 7.123f, 1e-5f);
  EXPECT_EQ(t.moment, 10.0 + (3600.0 * 5 + 60 * 6 + 7.1234) / 86400);
}

TEST(SiderealTime, LocalMeanSiderealTimeAtJ2000) {
  EXPECT_NEAR(static_cast<double>(LocalSiderealTime(2451545.0L, 0)), 18.697374558, 1e-9);
  // 90 degrees east adds six hours and wraps past 24.
  EXPECT_NEAR(static_cast<double>(LocalSiderealTime(2451545.0L, 1.5707963267948966L)), 0.697374558, 1e-9);
  // 300 degrees west.
  EXPECT_NEAR(static_cast<double>(LocalSiderealTime(2451545.0L, -5.235987755982989L)), 22.697374558, 1e-9);
  DateTimeObj t;
  t.SetJD(2451545.0L);
  EXPECT_NEAR(static_cast<double>(t.LocalSiderealTime(0)), 18.697374558, 1e-9);
  EXPECT_NEAR(static_cast<double>(TenMillennia(2451545.0L + 365250)), 0.1, 1e-15);
}

}  // namespace
}  // namespace skarvel
