// Mean motion from two observations and the baseline between two sites.
#include "orbits/mean_motion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/date_time.h"
#include "foundations/sky_coord.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using platform::Answer;
using testing::ScriptedPlatform;

MotionPointFields Fields(const std::string& jd, const std::string& raH, const std::string& raM,
                         const std::string& raS, const std::string& decD, const std::string& decM,
                         const std::string& decS) {
  MotionPointFields f;
  f.julianDate = jd;
  f.raHours = raH;
  f.raMinutes = raM;
  f.raSeconds = raS;
  f.decDegrees = decD;
  f.decMinutes = decM;
  f.decSeconds = decS;
  return f;
}

std::vector<EphemerisRecord> Rows(RecordList<EphemerisRecord>& table) {
  std::vector<EphemerisRecord> rows;
  for (std::int32_t k = 0; k <= table.LastIndex(); ++k)
    if (const EphemerisRecord* r = table.GetAt(k)) rows.push_back(*r);
  return rows;
}

TEST(MeanMotion, InputIsCheckedBeforeTheRatesAreKept) {
  ScriptedPlatform ui;
  MeanMotionRecord r;
  r.name = "KEEP";
  // 0.5 s apart: below 1e-5 day.
  EXPECT_FALSE(AcceptMeanMotion("X", 1, Fields("2461000.50000", "1", "0", "0", "10", "0", "0"),
                                Fields("2461000.500005787", "1", "0", "1", "10", "0", "0"), 2026, r, ui));
  EXPECT_EQ(ui.Messages().back().text, "Time Span is Insufficient to Determine Motion");
  EXPECT_EQ(ui.Messages().back().caption, "No Motion Detected!");
  // The same place an hour later.
  EXPECT_FALSE(AcceptMeanMotion("X", 1, Fields("2461000.5", "1", "0", "0", "10", "0", "0"),
                                Fields("2461000.541667", "1", "0", "0", "10", "0", "0"), 2026, r, ui));
  EXPECT_EQ(ui.Messages().back().text, "Data Indicates No Motion");
  // Values out of range, after a beep.
  EXPECT_FALSE(AcceptMeanMotion("X", 1, Fields("2461000.5", "24", "0", "1", "10", "0", "0"),
                                Fields("2461000.6", "1", "0", "0", "10", "0", "0"), 2026, r, ui));
  EXPECT_EQ(ui.Messages().back().text, "Error in Right Ascension Value");
  EXPECT_EQ(ui.Messages().back().caption, "Input Error!");
  EXPECT_TRUE(ui.Messages().back().beep);
  EXPECT_FALSE(AcceptMeanMotion("X", 1, Fields("2461000.5", "1", "0", "0", "-90", "0", "1"),
                                Fields("2461000.6", "1", "0", "0", "10", "0", "0"), 2026, r, ui));
  EXPECT_EQ(ui.Messages().back().text, "Error in Declination Value");
  EXPECT_EQ(r.name, "KEEP");  // nothing was stored

  // A zero degree field takes its sign from its "-": -0 30 00 is -0.5 degrees.
  ASSERT_TRUE(AcceptMeanMotion("2019 AB12", 1, Fields("2461000.5", "1", "0", "0", "-0", "30", "0"),
                               Fields("2461001.5", "1", "4", "0", "-0", "20", "0"), 2026, r, ui));
  EXPECT_EQ(r.name, "2019 AB");
  EXPECT_NEAR(static_cast<double>(r.first.decDeg), -0.5, 1e-12);
  EXPECT_NEAR(static_cast<double>(r.decRate), 1.0 / 6, 1e-12);
  EXPECT_NEAR(static_cast<double>(r.raRate), 4.0 / 60 * std::cos(-20.0 / 60 * 3.14159265358979 / 180), 1e-12);
}

TEST(MeanMotion, ThroughZeroHoursWithoutAJump) {
  ScriptedPlatform ui;
  MeanMotionRecord r;
  // 23h58m to 0h02m in one day: four minutes of motion eastward.
  ASSERT_TRUE(AcceptMeanMotion("X", 1, Fields("2461000.5", "23", "58", "0", "0", "0", "0"),
                               Fields("2461001.5", "0", "2", "0", "0", "0", "0"), 2026, r, ui));
  EXPECT_NEAR(static_cast<double>(r.raRate), 4.0 / 60, 1e-12);
  EphemerisParams params;
  params.start.SetJD(2461000.5L);
  params.points = 4;
  params.stepDays = 1;
  RecordList<EphemerisRecord> table;
  ASSERT_TRUE(MeanMotionEphemeris(r, params, table, ui));
  const auto rows = Rows(table);
  ASSERT_EQ(rows.size(), 4u);
  const double expect[] = {23 + 58.0 / 60, 2.0 / 60, 6.0 / 60, 10.0 / 60};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_NEAR(static_cast<double>(rows[k].raHours), expect[k], 1e-9) << k;
    EXPECT_GE(rows[k].raHours, 0.0L);
    EXPECT_LT(rows[k].raHours, 24.0L);
  }
}

TEST(MeanMotion, APoleEndsTheTableWithAMessage) {
  ScriptedPlatform ui;
  MeanMotionRecord r;
  // +88 to +89 degrees in a day: the pole is reached on the next day.
  ASSERT_TRUE(AcceptMeanMotion("X", 1, Fields("2461000.5", "6", "0", "0", "88", "0", "0"),
                               Fields("2461001.5", "6", "0", "0", "89", "0", "0"), 2026, r, ui));
  EphemerisParams params;
  params.start.SetJD(2461001.0L);
  params.points = 10;
  params.stepDays = 0.25L;
  RecordList<EphemerisRecord> table;
  EXPECT_FALSE(MeanMotionEphemeris(r, params, table, ui));
  const auto rows = Rows(table);
  EXPECT_EQ(rows.size(), 6u);  // 88.5 ... 89.75; 90 is no place
  EXPECT_EQ(ui.Messages().back().caption, "Mean Motion Limit");
  EXPECT_EQ(ui.Messages().back().text,
            "The observed motion reaches a celestial pole!\r\n\r\nPositions beyond it cannot be estimated from a "
            "linear motion; the table ends at the last position.");
  for (const auto& row : rows) EXPECT_LT(row.decDeg, 90.0L);

  // Southward to the south pole: the same end.
  ASSERT_TRUE(AcceptMeanMotion("X", 1, Fields("2461000.5", "6", "0", "0", "-88", "0", "0"),
                               Fields("2461001.5", "6", "0", "0", "-89", "0", "0"), 2026, r, ui));
  const std::size_t before = ui.Messages().size();
  EXPECT_FALSE(MeanMotionEphemeris(r, params, table, ui));
  EXPECT_EQ(Rows(table).size(), 6u);
  EXPECT_EQ(ui.Messages().size(), before + 1);
  EXPECT_EQ(ui.Messages().back().caption, "Mean Motion Limit");
}

// Close to the pole the hours of RA run fast, through 0 h, but the object
// moves on the sky by even steps: no jump, no position thrown across the pole.
TEST(MeanMotion, NearThePoleBySteadySteps) {
  ScriptedPlatform ui;
  MeanMotionRecord r;
  ASSERT_TRUE(AcceptMeanMotion("X", 1, Fields("2461000.5", "23", "50", "0", "84", "0", "0"),
                               Fields("2461001.5", "23", "58", "0", "85", "0", "0"), 2026, r, ui));
  EphemerisParams params;
  params.start.SetJD(2461001.5L);
  params.points = 16;  // up to +88.75 degrees
  params.stepDays = 0.25L;
  RecordList<EphemerisRecord> table;
  ASSERT_TRUE(MeanMotionEphemeris(r, params, table, ui));
  const auto rows = Rows(table);
  ASSERT_EQ(rows.size(), 16u);
  const auto separation = [](const EphemerisRecord& a, const EphemerisRecord& b) {
    const double d1 = static_cast<double>(a.decDeg * kRadiansPerDegree), d2 = static_cast<double>(b.decDeg * kRadiansPerDegree);
    const double dra = static_cast<double>((b.raHours - a.raHours) * 15 * kRadiansPerDegree);
    const double c = std::sin(d1) * std::sin(d2) + std::cos(d1) * std::cos(d2) * std::cos(dra);
    return std::acos(std::fmin(1.0, c)) / static_cast<double>(kRadiansPerDegree);
  };
  bool throughZero = false;
  for (std::size_t k = 1; k < rows.size(); ++k) {
    throughZero = throughZero || rows[k].raHours < rows[k - 1].raHours;
    EXPECT_GE(rows[k].raHours, 0.0L);
    EXPECT_LT(rows[k].raHours, 24.0L);
    // A quarter of a degree of declination and a little RA a step; the linear
    // rule in RA / cos(dec) widens the steps by less than a fifth up to +88.75.
    const double step = separation(rows[k - 1], rows[k]);
    EXPECT_GE(step, 0.25) << k;
    EXPECT_LE(step, 0.30) << k;
  }
  EXPECT_TRUE(throughZero);
  EXPECT_NEAR(static_cast<double>(rows[15].raHours), 1.9643, 1e-4);
}

TEST(MeanMotion, ObservationsOfTheReportAndTheReport) {
  ObservationRecord a, b;
  a.params.designation = "K19A12B";
  a.params.observationTime = *EncodeDateTime(2019, 5, 1, 3, 45, 0.0L);
  a.target.fitRA = 14.5L;
  a.target.fitDec = 10.0L;
  a.target.catMag = 12.0L;
  b = a;
  b.params.designation = "K19A12C";
  b.params.observationTime = *EncodeDateTime(2019, 5, 1, 5, 45, 0.0L);
  b.target.fitRA = 14.5L + 1.0L / 60;
  b.target.catMag = 13.0L;
  ScriptedPlatform ui;
  MeanMotionRecord r;
  r.name = "OLD";
  ui.AnswerNext(Answer::No);
  EXPECT_FALSE(TakeObservations(a, b, r, ui));
  EXPECT_EQ(ui.Messages().back().text,
            "Selected Records May Not Be The Same Object!\r\n\r\n\"K19A12B\" <> \"K19A12C\"\r\n\r\nContinue Anyway?");
  EXPECT_EQ(ui.Messages().back().caption, "Not The Same Object?");
  EXPECT_EQ(r.name, "OLD");
  b.params.designation = "K19A12B";
  ASSERT_TRUE(TakeObservations(a, b, r, ui));
  EXPECT_EQ(r.magnitude, 12.5L);
  // The observations' UTC is kept as TT, 69.184 s later in 2019.
  EXPECT_NEAR(static_cast<double>((r.first.jd - static_cast<long double>(a.params.observationTime) - kJulianDateOffset) *
                                  86400),
              69.184, 1e-5);

  // The rates from the dialog's fields as they are filled from the records.
  ASSERT_TRUE(AcceptMeanMotion(r.name, 0, FieldsOf(r.first), FieldsOf(r.second), 2026, r, ui));
  EphemerisParams params;
  params.start.SetJD(r.second.jd);
  params.points = 1;
  params.stepDays = 1;
  RecordList<EphemerisRecord> table;
  ASSERT_TRUE(MeanMotionEphemeris(r, params, table, ui));
  const auto lines = MeanMotionReport(r, table);
  ASSERT_GE(lines.size(), 17u);
  EXPECT_EQ(lines[0], "Body: K19A12B");
  EXPECT_EQ(lines[2], "Positions are Estimated from Observed Motion - Reliability is Unknown");
  EXPECT_EQ(lines[6].substr(0, 47), "2019 05 01   05 46 09   14 31 00.0   +10 00 00 ");  // TDT
  EXPECT_EQ(lines[6].substr(49, 12), "  13        ");  // 12.5 rounds to even; no distance
  const std::size_t f = lines.size() - 11;
  EXPECT_EQ(lines[f], "Observed Motion:");
  EXPECT_EQ(lines[f + 2], " Observation 1:");
  EXPECT_EQ(lines[f + 3], "   2019 May 01,  UT: 03:45:00,  JD: 2458604.65625");
  EXPECT_EQ(lines[f + 4], "   RA:  14h 30m 00.00s,  Dec:  10\xB0 00' 00.0\" ");
  EXPECT_EQ(lines[f + 6], " Observation 2:");
  // The footer gives observation 2 in UT, the table (labelled TDT) 69.184 s later.
  EXPECT_EQ(lines[f + 7], "   2019 May 01,  UT: 05:45:00,  JD: 2458604.73958");
  // One minute of RA in two hours at +10 degrees: 0.2 h/day x cos 10 = 7.386'/h.
  EXPECT_EQ(lines.back(), " Rate (Arc Minutes per Hour):  RA: 7.386, Dec: 0.000");
}

// A date and its time are shown from one instant rounded to the second, in
// the table, the footer and the dialog's fields alike.
TEST(MeanMotion, AnInstantJustBeforeMidnightIsTheNextDay) {
  ScriptedPlatform ui;
  MeanMotionRecord r;
  r.name = "X";
  r.first = {*EncodeDateTime(2019, 5, 1, 12, 0, 0.0L) + kJulianDateOffset, 1, 10};
  r.second = {*EncodeDateTime(2019, 5, 1, 23, 59, 59.7L) + kJulianDateOffset, 1.01L, 10};
  r.raRate = 0.01L;
  const MotionPointFields fields = FieldsOf(r.second);
  EXPECT_EQ(fields.date, "2019/05/02");
  EXPECT_EQ(fields.time, "00:00:00");
  EphemerisParams params;
  params.start.SetJD(r.second.jd);
  params.points = 1;
  params.stepDays = 1;
  RecordList<EphemerisRecord> table;
  ASSERT_TRUE(MeanMotionEphemeris(r, params, table, ui));
  const auto lines = MeanMotionReport(r, table);
  EXPECT_EQ(lines[6].substr(0, 22), "2019 05 02   00 00 00 ");
  const std::size_t f = lines.size() - 11;
  // The footer's UT is 69.184 s before the TDT of the point, 23:58:50.516 shown as 23:58:51.
  EXPECT_EQ(lines[f + 7].substr(0, 37), "   2019 May 01,  UT: 23:58:51,  JD: 2");
}

SiteRecord Site(float lonEast, float latNorth) {
  SiteRecord s;
  s.longitudeDeg = lonEast;
  s.latitudeDeg = latNorth;
  return s;
}

TEST(Baseline, ChordAndItsProjection) {
  const long double jd = 2461000.5L;
  // Same longitude, latitudes 10 degrees apart: the chord 2 R sin(dphi / 2).
  const BaselineResult chord = ComputeBaseline(Site(20, 30), Site(20, 40), 3, 20, jd);
  EXPECT_NEAR(static_cast<double>(chord.maximumKm), 2 * 6378.16 * std::sin(5 * 3.14159265358979323846 / 180), 1e-9);
  EXPECT_EQ(ComputeBaseline(Site(20, 30), Site(20, 30), 3, 20, jd).maximumKm, 0.0L);
  // Two equator sites 90 degrees apart: B = (1, -1, 0). A target at the pole
  // sees it all; one along B (hour angle -45 degrees) sees none of it.
  const BaselineResult pole = ComputeBaseline(Site(0, 0), Site(90, 0), 0, 90, jd);
  EXPECT_NEAR(static_cast<double>(pole.projectedKm), static_cast<double>(pole.maximumKm), 1e-9);
  EXPECT_NEAR(static_cast<double>(pole.maximumKm), std::sqrt(2.0) * 6378.16, 1e-9);
  const long double theta = SiderealAngle(CoordMode::kTrue, jd);
  const long double raAlong = WrapInto((theta - kTwoPi - kPi / 4) * 12 / kPi, 24);
  const BaselineResult along = ComputeBaseline(Site(0, 0), Site(90, 0), raAlong, 0, jd);
  EXPECT_NEAR(static_cast<double>(along.projectedKm), 0.0, 1e-3);
  const BaselineResult across = ComputeBaseline(Site(0, 0), Site(90, 0), WrapInto(raAlong + 6, 24), 0, jd);
  EXPECT_NEAR(static_cast<double>(across.projectedKm), static_cast<double>(across.maximumKm), 1e-6);
}

TEST(Baseline, ZeroSiteQuestionAndReport) {
  ScriptedPlatform ui;
  EXPECT_TRUE(ConfirmBaselineSite(Site(1, 0), ui));
  EXPECT_TRUE(ui.Messages().empty());
  ui.AnswerNext(Answer::No);
  EXPECT_FALSE(ConfirmBaselineSite(Site(0, 0), ui));
  EXPECT_EQ(ui.Messages().back().text, "Longitude and Latitude are Zero!\r\n\r\nContinue?");
  EXPECT_EQ(ui.Messages().back().caption, "Are You Sure?");

  SiteRecord a = Site(-111.6f, 32.0f);
  a.name = "Kitt Peak";
  a.lonDegrees = "111";
  a.lonMinutes = "36";
  a.lonSeconds = "0";
  a.west = true;
  a.latDegrees = "32";
  a.latMinutes = "0";
  a.north = true;
  SiteRecord b = a;
  b.name = "Elsewhere";
  b.latDegrees = "31";
  b.latSeconds = "";
  const auto lines = BaselineReport(a, b, 14.5L, -0.5L, *EncodeDateTime(2019, 5, 1, 3, 45, 0.0L),
                                    BaselineResult{111.19L, 50.5L});
  const std::vector<std::string> expect = {
      "  Site 1: Kitt Peak",
      "    Longitude: 111\xB0 36' 0\" W",
      "    Latitude:  32\xB0 0'  N",
      " ",
      "  Site 2: Elsewhere",
      "    Longitude: 111\xB0 36' 0\" W",
      "    Latitude:  31\xB0 0'  N",
      " ",
      "  Target Coordinates:",
      "    RA:  14h 30m 00.00s    Dec:  -0\xB0 30' 00.0\" ",
      " ",
      "  Date: 2019 May 01,  UT: 03:45:00",
      "    Projected Baseline: 50.50km,  31.38mi",
      "      Maximum Baseline: 111.19km,  69.09mi"};
  EXPECT_EQ(lines, expect);
}

}  // namespace
}  // namespace skarvel
