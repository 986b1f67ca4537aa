// The orbit search dialog's rules: what it shows, the input messages, the
// range limits, the site confirmation, "&Opposition" and the image items.
#include "orbits/search_form.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundations/angles.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using platform::Icon;
using testing::ScriptedPlatform;

constexpr long double kJD = 2461192.5L;  // 2026/06/01 00:00

struct SearchForm : ::testing::Test {
  ScriptedPlatform ui;
  SearchParams params = DefaultSearchParams(0);
  SearchForm() { params.instant.SetJD(kJD); }

  void ExpectOneWarning(const std::string& text) {
    ASSERT_EQ(ui.Messages().size(), 1U) << text;
    EXPECT_EQ(ui.Messages()[0].text, text);
    EXPECT_EQ(ui.Messages()[0].caption, "Input Error!");
    EXPECT_EQ(ui.Messages()[0].icon, Icon::Warning);
    ui.ClearRecords();
  }
};

TEST_F(SearchForm, CaptionNamesTheSource) {
  SearchDialogLogic lowell(params, {}, ui);
  EXPECT_EQ(lowell.Caption(), "Search Lowell Orbit Database");
  params.source = ElementSource::kMpc;
  EXPECT_EQ(SearchDialogLogic(params, {}, ui).Caption(), "Search MPC Orbit Database");
  params.source = ElementSource::kTarne;
  EXPECT_EQ(SearchDialogLogic(params, {}, ui).Caption(), "Search TARNE Orbit File");
}

TEST_F(SearchForm, OpensWithTheStoredParametersRoundedForTheFields) {
  params.centerRaHours = 23.0L + 59.0L / 60 + 59.996L / 3600;  // rounds up into the next hour
  params.centerDecDeg = -(30.0L / 60);                         // -0 30 00
  params.kind = FieldKind::kArcMinutes;
  params.halfSizeRad = 0.25L * kRadiansPerDegree;
  params.DeriveBox();
  params.brightMag = 10;
  params.faintMag = 18.25L;
  params.nearAu = 0.5L;
  params.farAu = 3;
  params.minAltitudeDeg = 30;
  SearchDialogLogic logic(params, {}, ui);
  const SearchFields& f = logic.fields;
  EXPECT_EQ(f.julianDate, "2461192.50000");
  EXPECT_EQ(f.date, "2026/06/01");
  EXPECT_EQ(f.time, "00:00:00");
  EXPECT_EQ(f.raHours, "24");
  EXPECT_EQ(f.raMinutes, "0");
  EXPECT_EQ(f.raSeconds, "0.00");
  EXPECT_EQ(f.decDegrees, "-0");
  EXPECT_EQ(f.decMinutes, "30");
  EXPECT_EQ(f.decSeconds, "0.0");
  EXPECT_EQ(f.kind, FieldKind::kArcMinutes);
  EXPECT_EQ(f.size, "30.0");
  EXPECT_EQ(f.decMin, "-0.75");
  EXPECT_EQ(f.decMax, "-0.25");
  // The RA window of the box reaches past 24 h: the limit boxes show it wrapped.
  EXPECT_EQ(f.raMin, "23.98");
  EXPECT_EQ(f.raMax, "0.02");
  EXPECT_EQ(f.bright, "10.0");
  EXPECT_EQ(f.faint, "18.3");
  EXPECT_EQ(f.nearAu, "0.5");
  EXPECT_EQ(f.farAu, "3.0");
  EXPECT_EQ(f.altitude, "30.0");
  EXPECT_TRUE(f.CentreEnabled());
}

TEST_F(SearchForm, SizeInDegreesAndLimitsEnableTheLimitBoxes) {
  SearchDialogLogic logic(params, {}, ui);
  EXPECT_EQ(logic.fields.size, "1.0");
  logic.fields.kind = FieldKind::kLimits;
  EXPECT_FALSE(logic.fields.CentreEnabled());
}

TEST_F(SearchForm, OkStoresTheFieldTheRangesAndTheInstant) {
  SearchDialogLogic logic(params, {}, ui);
  logic.fields.date = "2026/07/04";
  logic.fields.time = "03:00:00";
  logic.fields.raHours = "23";
  logic.fields.raMinutes = "50";
  logic.fields.raSeconds = "0";
  logic.fields.decDegrees = "-0";
  logic.fields.decMinutes = "30";
  logic.fields.decSeconds = "0";
  logic.fields.size = "1";
  logic.fields.bright = "12";
  logic.fields.faint = "12";  // an equal pair is a range
  logic.fields.nearAu = "0";
  logic.fields.farAu = "0";
  logic.fields.altitude = "0";
  ASSERT_TRUE(logic.Ok());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_NEAR(static_cast<double>(params.instant.GetJD()), 2461225.625, 1e-9);
  EXPECT_NEAR(static_cast<double>(params.centerRaHours), 23.0 + 50.0 / 60, 1e-12);
  EXPECT_NEAR(static_cast<double>(params.centerDecDeg), -0.5, 1e-12);
  EXPECT_NEAR(static_cast<double>(params.halfSizeRad * kDegreesPerRadian), 0.5, 1e-12);
  EXPECT_NEAR(static_cast<double>(params.decMinDeg), -1.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(params.decMaxDeg), 0.0, 1e-12);
  // alpha0 -+ h / cos(delta0) / 15 hours: a window through 0 h.
  const double raHalf = 0.5 / std::cos(0.5 * 3.14159265358979323846 / 180) / 15;
  EXPECT_NEAR(static_cast<double>(params.raMinHours), 23.0 + 50.0 / 60 - raHalf, 1e-12);
  EXPECT_NEAR(static_cast<double>(params.raMaxHours), 23.0 + 50.0 / 60 + raHalf, 1e-12);
  EXPECT_EQ(params.brightMag, 12);
  EXPECT_EQ(params.faintMag, 12);
  EXPECT_EQ(params.farAu, 0);
}

TEST_F(SearchForm, EachBadValueHasItsMessageAndChangesNothing) {
  const SearchParams before = params;
  SearchDialogLogic logic(params, {}, ui);
  const SearchFields good = logic.fields;
  const auto bad = [&](const std::function<void(SearchFields&)>& change, const std::string& text) {
    logic.fields = good;
    change(logic.fields);
    EXPECT_FALSE(logic.Ok()) << text;
    ExpectOneWarning(text);
    EXPECT_EQ(params.centerRaHours, before.centerRaHours);
    EXPECT_EQ(params.faintMag, before.faintMag);
  };
  bad(
      [](SearchFields& f) {
        f.raHours = "24";
        f.raMinutes = "0";
        f.raSeconds = "0.01";
      },
      "Error in Right Ascension Value");
  bad([](SearchFields& f) { f.raMinutes = "x"; }, "Error in Right Ascension Value");
  bad(
      [](SearchFields& f) {
        f.decDegrees = "-90";
        f.decMinutes = "0";
        f.decSeconds = "1";
      },
      "Error in Declination Value");
  bad(
      [](SearchFields& f) {
        f.kind = FieldKind::kLimits;
        f.raMin = "10";
        f.raMax = "2";
      },
      "Error in Right Ascension Limit");
  bad(
      [](SearchFields& f) {
        f.kind = FieldKind::kLimits;
        f.raMin = "1";
        f.raMax = "3";
        f.decMin = "5";
        f.decMax = "5";
      },
      "Error in Declination Limit");
  bad(
      [](SearchFields& f) {
        f.bright = "15";
        f.faint = "14.9";
      },
      "Error in Magnitude Range");
  bad([](SearchFields& f) { f.faint = ""; }, "Error in Magnitude Range");
  bad([](SearchFields& f) { f.nearAu = "-0.1"; }, "Error in Distance Range");
  bad(
      [](SearchFields& f) {
        f.nearAu = "2";
        f.farAu = "1";
      },
      "Error in Distance Range");
  bad([](SearchFields& f) { f.altitude = "90.1"; }, "Error in Minimum Altitude");
  bad([](SearchFields& f) { f.altitude = "-1"; }, "Error in Minimum Altitude");
  // The boundaries themselves are good.
  logic.fields = good;
  logic.fields.decDegrees = "-90";
  logic.fields.decMinutes = "0";
  logic.fields.decSeconds = "0";
  logic.fields.altitude = "90";
  EXPECT_TRUE(logic.Ok());
  EXPECT_EQ(params.centerDecDeg, -90);
}

TEST_F(SearchForm, RaLimitsThroughZeroHoursAndTheirDerivedCentre) {
  SearchDialogLogic logic(params, {}, ui);
  logic.fields.kind = FieldKind::kLimits;
  logic.fields.raMin = "23.5";
  logic.fields.raMax = "0.5";
  logic.fields.decMin = "-2";
  logic.fields.decMax = "4";
  ASSERT_TRUE(logic.Ok());
  EXPECT_EQ(params.kind, FieldKind::kLimits);
  EXPECT_NEAR(static_cast<double>(params.centerRaHours), 0.0, 1e-12);  // (23.5 + 0.5 + 24) / 2 - 24
  EXPECT_NEAR(static_cast<double>(params.centerDecDeg), 1.0, 1e-12);
  TAstOrbFlSrch search(SearchContext{ui, SiteRecord{}, false});
  search.Params() = params;
  search.Prepare();
  EXPECT_GT(search.Prepared().raMin, search.Prepared().raMax);  // the window through 0 h
}

TEST_F(SearchForm, BoxesAroundAPoleHoldEveryRightAscension) {
  for (const char* dec : {"89", "-89"}) {
    SearchDialogLogic logic(params, {}, ui);
    logic.fields.raHours = "6";
    logic.fields.decDegrees = dec;
    logic.fields.decMinutes = "48";
    logic.fields.size = "1";  // reaches 89.8 + 0.5 > 90
    ASSERT_TRUE(logic.Ok());
    EXPECT_EQ(params.raMinHours, 0) << dec;
    EXPECT_EQ(params.raMaxHours, 24) << dec;
    const double sign = dec[0] == '-' ? -1 : 1;
    EXPECT_NEAR(static_cast<double>(sign > 0 ? params.decMaxDeg : params.decMinDeg), sign * 90, 1e-12);
    EXPECT_NEAR(static_cast<double>(sign > 0 ? params.decMinDeg : params.decMaxDeg), sign * 89.3, 1e-12);
    TAstOrbFlSrch search(SearchContext{ui, SiteRecord{}, false});
    search.Params() = params;
    search.Prepare();
    EXPECT_EQ(search.Prepared().raMin, 0);
    EXPECT_EQ(search.Prepared().raMax, 2 * kPi);
  }
  // Close to the pole but not touching it: the window is wide, not the whole circle.
  SearchDialogLogic near(params, {}, ui);
  near.fields.decDegrees = "88";
  near.fields.decMinutes = "0";
  near.fields.size = "1";
  ASSERT_TRUE(near.Ok());
  const double half = 0.5 / std::cos(88 * 3.14159265358979323846 / 180) / 15;
  EXPECT_NEAR(static_cast<double>(params.raMaxHours - params.raMinHours), 2 * half, 1e-9);
  EXPECT_LT(params.raMaxHours - params.raMinHours, 24);
  // Limits 0 to 24 h are the whole circle too.
  SearchDialogLogic all(params, {}, ui);
  all.fields.kind = FieldKind::kLimits;
  all.fields.raMin = "0";
  all.fields.raMax = "24";
  all.fields.decMin = "-10";
  all.fields.decMax = "10";
  ASSERT_TRUE(all.Ok());
  TAstOrbFlSrch search(SearchContext{ui, SiteRecord{}, false});
  search.Params() = params;
  search.Prepare();
  EXPECT_EQ(search.Prepared().raMin, 0);
  EXPECT_EQ(search.Prepared().raMax, 2 * kPi);
}

TEST_F(SearchForm, AnAltitudeTestConfirmsTheSiteFirst) {
  int asked = 0;
  bool answer = false;
  SearchDialogLogic logic(params, {}, ui, [&] {
    ++asked;
    return answer;
  });
  logic.fields.altitude = "0";
  EXPECT_TRUE(logic.Ok());
  EXPECT_EQ(asked, 0);
  logic.fields.altitude = "20";
  EXPECT_FALSE(logic.Ok());  // the site dialog was cancelled: the search dialog stays
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(params.minAltitudeDeg, 0);
  answer = true;
  EXPECT_TRUE(logic.Ok());
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(params.minAltitudeDeg, 20);
  SearchDialogSettings expert;
  expert.expertMode = true;
  SearchDialogLogic quiet(params, expert, ui, [&] {
    ++asked;
    return false;
  });
  EXPECT_TRUE(quiet.Ok());
  EXPECT_EQ(asked, 2);
}

TEST_F(SearchForm, OppositionCentreAtTheShownDateWithTheTypedRanges) {
  SearchDialogLogic logic(params, {}, ui);
  logic.fields.dateFormat = 1;
  logic.fields.julianDate = "2461300.5";
  logic.fields.faint = "19.5";
  logic.fields.farAu = "4";
  logic.fields.altitude = "15";
  logic.Opposition();
  EXPECT_TRUE(ui.Messages().empty());
  SearchParams expected = DefaultSearchParams(0);
  expected.instant.SetJD(2461300.5L);
  SetOppositionCentre(expected);
  const SexagesimalRec ra = SplitRounded(expected.centerRaHours, 2);
  const SexagesimalRec dec = SplitRounded(expected.centerDecDeg, 1);
  EXPECT_EQ(logic.fields.raHours, std::to_string(ra.degrees));
  EXPECT_EQ(logic.fields.raMinutes, std::to_string(ra.minutes));
  EXPECT_EQ(logic.fields.decDegrees, (dec.sign < 0 ? "-" : "") + std::to_string(dec.degrees));
  EXPECT_EQ(logic.fields.kind, FieldKind::kDegrees);
  EXPECT_EQ(logic.fields.size, "5.0");
  EXPECT_TRUE(logic.fields.opposition);
  // The typed ranges are kept on screen.
  EXPECT_EQ(logic.fields.faint, "19.5");
  EXPECT_EQ(logic.fields.altitude, "15");
  // Nothing is stored before OK.
  EXPECT_EQ(params.centerRaHours, 0);
  EXPECT_FALSE(params.opposition);
  logic.fields.altitude = "0";
  ASSERT_TRUE(logic.Ok());
  EXPECT_TRUE(params.opposition);
  EXPECT_NEAR(static_cast<double>(params.centerRaHours), static_cast<double>(expected.centerRaHours), 0.01 / 3600);
  EXPECT_NEAR(static_cast<double>(params.centerDecDeg), static_cast<double>(expected.centerDecDeg), 0.1 / 3600);
  EXPECT_EQ(params.faintMag, 19.5L);
  EXPECT_EQ(params.farAu, 4);
  // 2026/09/17: the Sun stands near 11 h 40 m, +2.3 deg; the opposite point near 23 h 40 m, -2.3 deg.
  EXPECT_NEAR(static_cast<double>(expected.centerRaHours), 23.65, 0.1);
  EXPECT_NEAR(static_cast<double>(expected.centerDecDeg), -2.3, 0.3);
}

TEST_F(SearchForm, OppositionWithAnUnreadableDateChangesNothing) {
  SearchDialogLogic logic(params, {}, ui);
  logic.fields.date = "2026/02/30";
  logic.Opposition();
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].caption, "Calendar Date Error!");
  EXPECT_FALSE(logic.fields.opposition);
  EXPECT_EQ(logic.fields.raHours, "0");
}

TEST_F(SearchForm, ImageItemsTakeSolutionChartOrHeaderCentre) {
  ImageFieldInfo image;
  image.observationTime = 46000.25;  // a date-time value
  image.headerRaHours = 5.5L;
  image.headerDecDeg = -20.25L;
  image.solvedRaHours = 5.51L;
  image.solvedDecDeg = -20.2L;
  image.fieldWidthArcMin = 24;
  std::vector<int> asked;
  const auto field = [&](int slot) -> std::optional<ImageFieldInfo> {
    asked.push_back(slot);
    return image;
  };
  SearchDialogSettings settings;
  settings.imagesLoaded = {true, false, true, false};
  settings.chartRaHours = 7;
  settings.chartDecDeg = 10;
  SearchDialogLogic logic(params, settings, ui, {}, field);
  EXPECT_TRUE(logic.ImageItemEnabled(0));
  EXPECT_FALSE(logic.ImageItemEnabled(1));
  EXPECT_TRUE(logic.ImageItemEnabled(2));
  EXPECT_FALSE(logic.ImageItemEnabled(3));
  EXPECT_FALSE(logic.ImageItemEnabled(4));
  logic.fields.bright = "3";  // typed, kept
  logic.FromImage(1);         // not loaded: nothing
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(logic.fields.raHours, "0");

  // Not solved: the chart centre, whose two coordinates are non-zero.
  logic.FromImage(2);
  EXPECT_EQ(asked, std::vector<int>{2});
  EXPECT_EQ(logic.fields.raHours, "7");
  EXPECT_EQ(logic.fields.decDegrees, "10");
  EXPECT_EQ(logic.fields.kind, FieldKind::kArcMinutes);
  EXPECT_EQ(logic.fields.size, "24.0");
  // The image's 06:00:00 UTC is searched at its TT, 69.184 s later, and the note says so.
  EXPECT_EQ(logic.fields.date, "2025/12/09");
  EXPECT_EQ(logic.fields.time, "06:01:09");
  EXPECT_EQ(logic.TimeNote(), "2025/12/09 06:00:00 UTC = 2025/12/09 06:01:09 TDT (TT - UTC = 69.184 s)");
  EXPECT_EQ(logic.fields.bright, "3");
  // Solved: the plate solution's centre.
  image.solved = true;
  logic.FromImage(0);
  EXPECT_EQ(logic.fields.raHours, "5");
  EXPECT_EQ(logic.fields.raMinutes, "30");
  EXPECT_EQ(logic.fields.raSeconds, "36.00");
  EXPECT_EQ(logic.fields.decDegrees, "-20");
  EXPECT_EQ(logic.fields.decMinutes, "12");
  // A chart centre with a zero coordinate does not count: the header's pointing.
  image.solved = false;
  settings.chartDecDeg = 0;
  SearchDialogLogic header(params, settings, ui, {}, field);
  header.FromImage(0);
  EXPECT_EQ(header.fields.raHours, "5");
  EXPECT_EQ(header.fields.raMinutes, "30");
  EXPECT_EQ(header.fields.raSeconds, "0.00");
  EXPECT_EQ(header.fields.decDegrees, "-20");
  EXPECT_EQ(header.fields.decMinutes, "15");
  header.fields.bright = "0";
  ASSERT_TRUE(header.Ok());
  EXPECT_NEAR(static_cast<double>(params.halfSizeRad * kDegreesPerRadian), 0.2, 1e-12);
  // The image's TT to the full precision, not the whole seconds the fields show.
  EXPECT_NEAR(static_cast<double>(params.instant.GetJD()), 46000.25 + 2415018.5 + 69.184 / 86400, 1e-8);
  // A time typed over the image's drops the note.
  EXPECT_FALSE(header.TimeNote().empty());
  header.fields.time = "07:00:00";
  header.LeaveCalendarFields();
  EXPECT_EQ(header.TimeNote(), "");
}

}  // namespace
}  // namespace skarvel
