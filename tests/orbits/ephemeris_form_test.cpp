// The "Ephemeris Generation Parameters" dialog's rules: what it shows, what
// OK stores, the two date forms kept in step, and every input message.
#include "orbits/ephemeris_form.h"

#include <gtest/gtest.h>

#include "foundations/date_time.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using platform::Icon;
using testing::ScriptedPlatform;

struct EphemerisForm : ::testing::Test {
  ScriptedPlatform ui;
  // 2026/12/09 21:00 local: the default start is 2026/12/10 00:00.
  EphemerisParams params = DefaultEphemerisParams(*EncodeDateTime(2026, 12, 9, 21, 0, 0.0L));
  EphemerisDialogLogic logic{params, 2026, ui};
};

TEST_F(EphemerisForm, OpensWithTheStoredParameters) {
  const EphemerisFields& f = logic.fields;
  EXPECT_EQ(f.dateFormat, 0);
  EXPECT_EQ(f.date, "2026/12/10");
  EXPECT_EQ(f.time, "00:00:00");
  EXPECT_EQ(f.julianDate, "2461384.50000");
  EXPECT_EQ(f.points, "10");
  EXPECT_EQ(f.interval, "1.00");  // 1/24 day shown in hours
  EXPECT_EQ(f.unitsPerDay, 24);
  EXPECT_EQ(f.equinox, EquinoxChoice::kJ2000);
  EXPECT_TRUE(f.CalendarEnabled());
  EXPECT_EQ(f.StartLabel(), "Start (TDT):");
  EphemerisFields julian = f;
  julian.dateFormat = 1;
  EXPECT_FALSE(julian.CalendarEnabled());
  EXPECT_EQ(julian.StartLabel(), "JDT:");
}

TEST_F(EphemerisForm, IntervalIsShownInItsUnit) {
  params.unitsPerDay = 1;
  params.stepDays = 2.5L;
  logic.Load();
  EXPECT_EQ(logic.fields.interval, "2.50");
  EXPECT_EQ(logic.fields.unitsPerDay, 1);
}

TEST_F(EphemerisForm, OkStoresStartPointsStepUnitAndEquinox) {
  logic.fields.date = "2027/01/05";
  logic.fields.time = "06:30:00";
  logic.fields.points = "48";
  logic.fields.interval = "6";
  logic.fields.unitsPerDay = 24;
  logic.fields.equinox = EquinoxChoice::kB1950;
  ASSERT_TRUE(logic.Ok());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_NEAR(static_cast<double>(params.start.GetJD()), 2461410.5 + 6.5 / 24, 1e-9);
  EXPECT_EQ(params.points, 48);
  EXPECT_EQ(params.unitsPerDay, 24);
  EXPECT_NEAR(static_cast<double>(params.stepDays), 0.25, 1e-15);
  EXPECT_EQ(params.equinox, EquinoxChoice::kB1950);
  EXPECT_EQ(params.equinoxKind, EquinoxKind::kBesselian);
  EXPECT_NEAR(static_cast<double>(params.equinoxJD), 2433282.4235, 1e-9);
  // The fields show what was stored.
  EXPECT_EQ(logic.fields.interval, "6.00");
  EXPECT_EQ(logic.fields.julianDate, "2461410.77083");
}

TEST_F(EphemerisForm, DaysAndOfDateTakeTheStartAsEquinox) {
  logic.fields.dateFormat = 1;
  logic.fields.date = "not a date";  // the disabled form is not read
  logic.fields.julianDate = "2460000.25";
  logic.fields.interval = "2.5";
  logic.fields.unitsPerDay = 1;
  logic.fields.equinox = EquinoxChoice::kOfDate;
  ASSERT_TRUE(logic.Ok());
  EXPECT_EQ(params.dateFormat, 1);
  EXPECT_NEAR(static_cast<double>(params.start.GetJD()), 2460000.25, 1e-9);
  EXPECT_NEAR(static_cast<double>(params.stepDays), 2.5, 1e-15);
  EXPECT_EQ(params.equinoxKind, EquinoxKind::kOfDate);
  EXPECT_NEAR(static_cast<double>(params.equinoxJD), 2460000.25, 1e-9);
  EXPECT_EQ(logic.fields.date, "2023/02/24");
  EXPECT_EQ(logic.fields.time, "18:00:00");
}

TEST_F(EphemerisForm, TimeIsOptional) {
  logic.fields.date = "2027/03/01";
  logic.fields.time = "";
  ASSERT_TRUE(logic.Ok());
  EXPECT_NEAR(static_cast<double>(params.start.GetJD()), 2461465.5, 1e-9);
}

TEST_F(EphemerisForm, PointsFromOneToTenThousand) {
  for (const char* good : {"1", "10000", " 25 "}) {
    logic.fields.points = good;
    EXPECT_TRUE(logic.Ok()) << good;
  }
  EXPECT_EQ(params.points, 25);
  for (const char* bad : {"0", "10001", "-3", "2.5", "", "ten"}) {
    ui.ClearRecords();
    logic.fields.points = bad;
    EXPECT_FALSE(logic.Ok()) << bad;
    ASSERT_EQ(ui.Messages().size(), 1U) << bad;
    EXPECT_EQ(ui.Messages()[0].text, "Number of Points must be a whole number from 1 to 10000!");
    EXPECT_EQ(ui.Messages()[0].caption, "Input Error!");
    EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
    EXPECT_EQ(params.points, 25) << bad;
  }
}

TEST_F(EphemerisForm, IntervalMustBeANonZeroNumber) {
  logic.fields.interval = "-2";  // a table running backwards is allowed
  ASSERT_TRUE(logic.Ok());
  EXPECT_NEAR(static_cast<double>(params.stepDays), -2.0 / 24, 1e-15);
  for (const char* bad : {"0", "0.00", "", "1h"}) {
    ui.ClearRecords();
    logic.fields.interval = bad;
    EXPECT_FALSE(logic.Ok()) << bad;
    ASSERT_EQ(ui.Messages().size(), 1U);
    EXPECT_EQ(ui.Messages()[0].text, "Interval Between Points must be a non-zero number!");
    EXPECT_EQ(ui.Messages()[0].caption, "Input Error!");
  }
  EXPECT_NEAR(static_cast<double>(params.stepDays), -2.0 / 24, 1e-15);
}

TEST_F(EphemerisForm, BadStartKeepsTheDialogOpenWithTheDateMessage) {
  const long double before = params.start.GetJD();
  logic.fields.date = "2027/13/01";
  logic.fields.time = "10:00:00";
  logic.fields.points = "3";
  EXPECT_FALSE(logic.Ok());
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text, "\"2027/13/01 10:00:00\" is not a valid Calendar Date and/or Time!");
  EXPECT_EQ(ui.Messages()[0].caption, "Calendar Date Error!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
  EXPECT_EQ(params.start.GetJD(), before);
  EXPECT_EQ(params.points, 10);

  ui.ClearRecords();
  logic.fields.date = "";
  EXPECT_FALSE(logic.Ok());
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text, "\" 10:00:00\" is not a valid Calendar Date and/or Time!");

  ui.ClearRecords();
  logic.fields.dateFormat = 1;
  logic.fields.julianDate = "24x";
  EXPECT_FALSE(logic.Ok());
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text, "\"24x\" is not a valid Julian Date!");
  EXPECT_EQ(ui.Messages()[0].caption, "Julian Date Error!");
}

TEST_F(EphemerisForm, LeavingAFieldKeepsTheOtherFormInStep) {
  logic.fields.date = "2000/01/01";
  logic.fields.time = "12:00:00";
  logic.LeaveCalendarFields();
  EXPECT_EQ(logic.fields.julianDate, "2451545.00000");
  logic.fields.julianDate = "2451545.75";
  logic.LeaveJulianField();
  EXPECT_EQ(logic.fields.date, "2000/01/02");
  EXPECT_EQ(logic.fields.time, "06:00:00");
  EXPECT_TRUE(ui.Messages().empty());
  // A bad field shows its message and the other form keeps its value.
  logic.fields.time = "25:00:00";
  logic.LeaveCalendarFields();
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].caption, "Calendar Date Error!");
  EXPECT_EQ(logic.fields.julianDate, "2451545.75");
  // An empty date converts nothing and says nothing.
  ui.ClearRecords();
  logic.fields.date = "";
  logic.LeaveCalendarFields();
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(logic.fields.julianDate, "2451545.75");
}

}  // namespace
}  // namespace skarvel
