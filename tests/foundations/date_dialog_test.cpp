#include "foundations/date_dialog.h"

#include <gtest/gtest.h>

#include "foundations/date_time.h"

namespace skarvel {
namespace {

constexpr std::int32_t kThisYear = 2026;

double D(long double v) {
  return static_cast<double>(v);
}

TEST(DateField, FourDigitAndShortYears) {
  EXPECT_EQ(ParseDateField("2010/01/05", kThisYear), EncodeDate(2010, 1, 5));
  EXPECT_EQ(ParseDateField(" 2010/1/5 ", kThisYear), EncodeDate(2010, 1, 5));
  EXPECT_EQ(ParseDateField("10/01/05", kThisYear), EncodeDate(2010, 1, 5));  // the current century
  EXPECT_EQ(ParseDateField("99/12/31", kThisYear), EncodeDate(2099, 12, 31));
  EXPECT_EQ(ParseDateField("99/12/31", 1987), EncodeDate(1999, 12, 31));
  EXPECT_EQ(ParseDateField("999/12/31", kThisYear), EncodeDate(999, 12, 31));  // three digits are taken as they stand
  EXPECT_EQ(ParseDateField("0001/01/01", kThisYear), EncodeDate(1, 1, 1));
}

TEST(DateField, MalformedDatesAreRefused) {
  for (const char* text : {"", "2010", "2010/01", "2010-01-05", "2010/13/01", "2010/02/30", "2010/1/5/6", "x/1/5",
                           "2010/01/5a", "12345/01/01", "2010/001/01", "0000/01/01"}) {
    EXPECT_FALSE(ParseDateField(text, kThisYear)) << text;
  }
}

TEST(TimeField, PartsAndPm) {
  const auto at = [](const char* text) { return D(*ParseTimeField(text) * 86400); };
  EXPECT_NEAR(at("10:30:00 PM"), 22.5 * 3600, 1e-6);
  EXPECT_NEAR(at("10:30"), 10.5 * 3600, 1e-6);
  EXPECT_NEAR(at("10:30:00"), 10.5 * 3600, 1e-6);
  EXPECT_NEAR(at("7"), 7 * 3600, 1e-6);
  EXPECT_NEAR(at(""), 0, 0);
  EXPECT_NEAR(at("  03:04:05.25"), 3 * 3600 + 4 * 60 + 5.25, 1e-6);
  EXPECT_NEAR(at("23:59:59.999"), 86399.999, 1e-6);
  EXPECT_NEAR(at("12:15:00 PM"), 12.25 * 3600, 1e-6);  // 12 PM is noon, not midnight
  EXPECT_NEAR(at("10:30:00 pm"), 10.5 * 3600, 1e-6);   // only exactly "PM"
  EXPECT_NEAR(at("10:30:00 AM"), 10.5 * 3600, 1e-6);
}

TEST(TimeField, BadTimesAreRefused) {
  for (const char* text :
       {"ab", "10:xx", "10:30:zz", "24:00:00", "-1:00:00", "10:60:00", "10:30:60", "10:30 PM", "13:00:00 PM"}) {
    EXPECT_FALSE(ParseTimeField(text)) << text;
  }
}

TEST(CalendarFields, ConvertToTheJulianDate) {
  CalendarToJulian r = ConvertCalendarFields("2000/01/01", "12:00:00", kThisYear);
  ASSERT_EQ(r.status, FieldConversion::kConverted);
  EXPECT_NEAR(D(r.jd), 2451545.0, 1e-9);
  EXPECT_EQ(r.julianDateText, "2451545.00000");
  r = ConvertCalendarFields("2010/01/05", "10:30:00 PM", kThisYear);
  EXPECT_NEAR(D(r.jd), 2455202.4375, 1e-9);
  // Before 1899-12-30 the time of day still counts forward.
  r = ConvertCalendarFields("1800/01/01", "06:00:00", kThisYear);
  EXPECT_NEAR(D(r.jd), 2378496.75, 1e-9);
  r = ConvertCalendarFields("1800/01/01", "", kThisYear);
  EXPECT_NEAR(D(r.jd), 2378496.5, 1e-9);
}

TEST(CalendarFields, EmptyAndInvalid) {
  EXPECT_EQ(ConvertCalendarFields("", "10:00:00", kThisYear).status, FieldConversion::kEmpty);
  EXPECT_EQ(ConvertCalendarFields("  ", "", kThisYear).status, FieldConversion::kEmpty);
  CalendarToJulian r = ConvertCalendarFields("2010/02/30", "10:00:00", kThisYear);
  EXPECT_EQ(r.status, FieldConversion::kError);
  EXPECT_EQ(r.error.text, "\"2010/02/30 10:00:00\" is not a valid Calendar Date and/or Time!");
  EXPECT_EQ(r.error.caption, "Calendar Date Error!");
  r = ConvertCalendarFields("2010/02/03", "25:00", kThisYear);
  EXPECT_EQ(r.status, FieldConversion::kError);
  EXPECT_EQ(r.error.text, "\"2010/02/03 25:00\" is not a valid Calendar Date and/or Time!");
}

TEST(JulianDateField, ConvertsBackToDateAndTime) {
  JulianToCalendar r = ConvertJulianDateField("2451545.0");
  ASSERT_EQ(r.status, FieldConversion::kConverted);
  EXPECT_EQ(r.dateText, "2000/01/01");
  EXPECT_EQ(r.timeText, "12:00:00");
  r = ConvertJulianDateField(" 2415018.5 ");
  EXPECT_EQ(r.dateText, "1899/12/30");
  EXPECT_EQ(r.timeText, "00:00:00");
  r = ConvertJulianDateField("2378496.75");
  EXPECT_EQ(r.dateText, "1800/01/01");
  EXPECT_EQ(r.timeText, "06:00:00");
  r = ConvertJulianDateField("1721425.5");
  EXPECT_EQ(r.dateText, "0001/01/01");
  // The date and time texts go back to the same Julian date (to the second shown).
  const CalendarToJulian back = ConvertCalendarFields(r.dateText, r.timeText, kThisYear);
  EXPECT_NEAR(D(back.jd), 1721425.5, 1e-9);
}

TEST(JulianDateField, EmptyAndInvalid) {
  EXPECT_EQ(ConvertJulianDateField("").status, FieldConversion::kEmpty);
  JulianToCalendar r = ConvertJulianDateField("24515x5");
  EXPECT_EQ(r.status, FieldConversion::kError);
  EXPECT_EQ(r.error.text, "\"24515x5\" is not a valid Julian Date!");
  EXPECT_EQ(r.error.caption, "Julian Date Error!");
  EXPECT_EQ(ConvertJulianDateField("1721425.4").status, FieldConversion::kError);  // before year 1
  EXPECT_EQ(ConvertJulianDateField("5373484.5").status, FieldConversion::kError);  // year 10000
  EXPECT_EQ(ConvertJulianDateField("nan").status, FieldConversion::kError);
}

}  // namespace
}  // namespace skarvel
