// The observation picker's rules and the baseline dialog's steps.
#include "orbits/mean_motion_forms.h"

#include <gtest/gtest.h>

#include "foundations/date_time.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "foundations/strings.h"

namespace skarvel {
namespace {

using platform::Answer;
using testing::ScriptedPlatform;
using testing::TempDir;

AstromObsObj ThreeObservations() {
  AstromObsObj report(UserRecord{}, CameraRecord{}, SiteRecord{});
  for (int k = 0; k < 3; ++k) {
    ObservationRecord o;
    o.params.designation = "K19A12B";
    o.params.objectName = "ignored name";
    o.params.observationTime = *EncodeDateTime(2019, 5, 1, 3 + k, 45, 0.0L);
    o.target.fitRA = 14.5L + k / 60.0L;
    o.target.fitDec = -10.25L;
    report.Observations().push_back(o);
  }
  return report;
}

TEST(ObservationPicker, LinesShowTheDesignationOfEachObservation) {
  const ObservationPicker picker(ThreeObservations());
  const auto& lines = picker.Lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], std::string(80, ' '));
  EXPECT_EQ(lines[1], "                     Obs Date    Obs UT    Right Ascn.  Declination  App.       ");
  EXPECT_EQ(lines[2].substr(0, 64), "Object Designation   Yr   M  D   H  M  S   Hr Mn Sec     d  '  \"");
  EXPECT_EQ(lines[3].substr(0, 59), "K19A12B              2019 05 01  03 45 00  14 30 00.00  -10");
  EXPECT_EQ(lines[5].substr(0, 59), "K19A12B              2019 05 01  05 45 00  14 32 00.00  -10");
  EXPECT_FALSE(picker.ObservationAt(2));
  EXPECT_EQ(picker.ObservationAt(3), 0u);
  EXPECT_EQ(picker.ObservationAt(5), 2u);
  EXPECT_FALSE(picker.ObservationAt(6));
}

TEST(ObservationPicker, ExactlyTwoObservationsAreChosen) {
  ScriptedPlatform ui;
  ObservationPicker picker(ThreeObservations());
  picker.Open(ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Select 2 observations from list for mean motion calculation.");
  EXPECT_EQ(ui.Messages()[0].caption, "Select Observations");

  EXPECT_EQ(picker.Select(1, ui), ObservationPicker::Result::kGoOn);
  EXPECT_EQ(ui.Messages().back().text, "Not An Observation Record!");
  EXPECT_EQ(ui.Messages().back().caption, "Invalid Selection!");
  EXPECT_TRUE(picker.Selected().empty());

  EXPECT_EQ(picker.Select(5, ui), ObservationPicker::Result::kGoOn);
  ui.AnswerNext(Answer::No);  // go on selecting
  EXPECT_EQ(picker.Select(3, ui), ObservationPicker::Result::kGoOn);
  EXPECT_EQ(ui.Messages().back().text, "Have You Selected the Desired Records?");
  EXPECT_EQ(ui.Messages().back().caption, "Selections OK?");
  EXPECT_EQ(ui.Messages().back().buttons, platform::Buttons::YesNoCancel);
  const std::size_t before = ui.Messages().size();
  EXPECT_EQ(picker.Select(4, ui), ObservationPicker::Result::kGoOn);
  EXPECT_EQ(ui.Messages().size(), before + 1);
  EXPECT_EQ(ui.Messages().back().text, "Too Many Records Selected!");
  EXPECT_EQ(ui.Messages().back().caption, "Select 2 Records!");
  EXPECT_EQ(picker.Selected(), (std::vector<int>{5, 3}));

  picker.Deselect(3);
  EXPECT_FALSE(picker.Chosen());
  ui.AnswerNext(Answer::Yes);
  EXPECT_EQ(picker.Select(4, ui), ObservationPicker::Result::kDone);
  EXPECT_EQ(picker.Chosen(), (std::pair<std::size_t, std::size_t>{2, 1}));

  picker.Deselect(4);
  ui.AnswerNext(Answer::Cancel);
  EXPECT_EQ(picker.Select(3, ui), ObservationPicker::Result::kCancelled);
  EXPECT_TRUE(picker.Selected().empty());
}

SiteRecord Site(const char* name, float lonEast, float latNorth) {
  SiteRecord s;
  s.name = name;
  s.longitudeDeg = lonEast;
  s.latitudeDeg = latNorth;
  return s;
}

TEST(BaselineDialog, BothSitesConfirmedBeforeTheReport) {
  ScriptedPlatform ui;
  const double now = *EncodeDateTime(2019, 5, 1, 3, 45, 0.0L);
  BaselineDialogLogic logic(Site("Home", 20, 30), now, 2019, ui);
  EXPECT_EQ(logic.Site(1).name, "Home");
  EXPECT_TRUE(logic.Site(2).west);
  EXPECT_TRUE(logic.Site(2).north);
  EXPECT_EQ(logic.target.julianDate, "2458604.65625");
  EXPECT_FALSE(logic.OkEnabled());
  EXPECT_FALSE(logic.Ok());

  std::vector<std::string> captions;
  const auto dialog = [&](bool ok, SiteRecord site) {
    return [&captions, ok, site](SiteRecord& record, const std::string& caption) {
      captions.push_back(caption);
      if (ok) record = site;
      return ok;
    };
  };
  // A cancelled dialog leaves the site as it was and unconfirmed.
  EXPECT_FALSE(logic.EditSite(2, dialog(false, Site("Away", 20, 40))));
  EXPECT_EQ(logic.Site(2).name, "");
  // A site at zero longitude and latitude refused: taken but not confirmed.
  ui.AnswerNext(Answer::No);
  EXPECT_FALSE(logic.EditSite(2, dialog(true, Site("Zero", 0, 0))));
  EXPECT_EQ(ui.Messages().back().caption, "Are You Sure?");
  EXPECT_EQ(logic.Site(2).name, "Zero");
  EXPECT_TRUE(logic.EditSite(2, dialog(true, Site("Away", 20, 40))));
  EXPECT_TRUE(logic.EditSite(1, dialog(true, Site("Home", 20, 30))));
  EXPECT_EQ(captions, (std::vector<std::string>{"Baseline Parameters - Site2", "Baseline Parameters - Site2",
                                                "Baseline Parameters - Site2", "Baseline Parameters - Site1"}));
  ASSERT_TRUE(logic.OkEnabled());

  logic.target.raHours = "25";
  const std::size_t before = ui.Messages().size();
  EXPECT_FALSE(logic.Ok());
  EXPECT_EQ(ui.Messages().size(), before + 1);
  EXPECT_EQ(ui.Messages().back().text, "Error in Right Ascension Value");
  EXPECT_TRUE(logic.ReportLines().empty());

  logic.target.raHours = "3";
  ASSERT_TRUE(logic.Ok());
  // Same longitude, 10 degrees of latitude apart: 2 R sin 5 degrees.
  EXPECT_NEAR(static_cast<double>(logic.Result().maximumKm), 2 * 6378.16 * 0.0871557427476582, 1e-6);
  ASSERT_EQ(logic.ReportLines().size(), 14u);
  EXPECT_EQ(logic.ReportLines()[0], "  Site 1: Home");
  EXPECT_EQ(logic.ReportLines()[4], "  Site 2: Away");
  EXPECT_EQ(logic.ReportLines()[11], "  Date: 2019 May 01,  UT: 03:45:00");
  EXPECT_EQ(logic.ReportLines()[13], "      Maximum Baseline: 1111.79km,  690.83mi");
}

TEST(RecordPicker, WrongLinesAreSaidInCaptionAndPrompt) {
  RecordPicker obs(RecordPicker::Kind::kObservation, {"", "head", "a", "b"}, 2, 2);
  EXPECT_EQ(obs.Caption(), "Select Observation Record");
  EXPECT_EQ(obs.Prompt(), "Select an Observation Record for baseline calculation.  Press \"OK\" when ready.");
  EXPECT_FALSE(obs.Ok(-1));  // nothing selected
  EXPECT_EQ(obs.Caption(), "Not an Observation Record!");
  EXPECT_EQ(obs.Prompt(), "Select an Observation Record and Press \"OK\"!");
  EXPECT_FALSE(obs.Ok(1));
  EXPECT_FALSE(obs.Ok(4));
  EXPECT_EQ(obs.Ok(2), 0u);
  EXPECT_EQ(obs.Ok(3), 1u);

  // Fewer records than lines after the first (notes below a table) are no records.
  RecordPicker eph(RecordPicker::Kind::kEphemeris, {"h1", "h2", "r0", "note"}, 2, 1);
  EXPECT_EQ(eph.Caption(), "Select Ephemeris Record");
  EXPECT_EQ(eph.Prompt(), "Select an Ephemeris Record for baseline calculation.  Press \"OK\" when ready.");
  EXPECT_FALSE(eph.Ok(3));
  EXPECT_EQ(eph.Caption(), "Not an Ephemeris Record!");
  EXPECT_EQ(eph.Prompt(), "Select an Ephemeris Record and Press \"OK\"!");
  EXPECT_EQ(eph.Ok(2), 0u);
}

// "Obs. &Data" and "&Eph. Data" fill the target from a chosen record.
TEST(BaselineDialog, RecordsFillTheTarget) {
  ScriptedPlatform ui;
  const double now = *EncodeDateTime(2026, 1, 2, 3, 4, 5.0L);
  BaselineDialogLogic logic(Site("Home", 20, 30), now, 2026, ui);
  RecordList<EphemerisRecord> table;
  EphemerisList report;
  logic.SetRecords(nullptr, table, report);
  EXPECT_FALSE(logic.ObservationDataEnabled());
  EXPECT_FALSE(logic.EphemerisDataEnabled());
  int opened = 0;
  const auto never = [&opened](RecordPicker&) -> std::optional<std::size_t> {
    ++opened;
    return 0;
  };
  EXPECT_FALSE(logic.PickRecord(RecordPicker::Kind::kObservation, never));
  EXPECT_FALSE(logic.PickRecord(RecordPicker::Kind::kEphemeris, never));
  EXPECT_EQ(opened, 0);

  const AstromObsObj observations = ThreeObservations();
  EphemerisRecord e;
  // TT 00:01:08.884 is 2019-05-02 23:59:59.7 UTC: the baseline's UT fields show the next day's 00:00:00.
  e.dateTime = *EncodeDateTime(2019, 5, 3, 0, 1, 8.884L);
  e.raHours = 23.999L;
  e.decDeg = -0.5L;
  table.Append(e);
  e.dateTime += 1;
  table.Append(e);
  logic.SetRecords(&observations, table, report);  // the report window shows no table: its own lines
  ASSERT_TRUE(logic.ObservationDataEnabled());
  ASSERT_TRUE(logic.EphemerisDataEnabled());

  std::vector<std::string> lines;
  const auto choose = [&lines](int line) {
    return [&lines, line](RecordPicker& picker) -> std::optional<std::size_t> {
      lines = picker.Lines();
      if (line < 0) return std::nullopt;  // Cancel
      return picker.Ok(line);
    };
  };
  // Cancel keeps the fields.
  EXPECT_FALSE(logic.PickRecord(RecordPicker::Kind::kObservation, choose(-1)));
  EXPECT_EQ(logic.target.julianDate, FormatFixed(5, static_cast<long double>(now) + kJulianDateOffset));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4].substr(0, 20), "K19A12B             ");
  // The second observation (line 4): 2019-05-01 04:45 UT, 14h31m, -10.25 degrees.
  ASSERT_TRUE(logic.PickRecord(RecordPicker::Kind::kObservation, choose(4)));
  EXPECT_EQ(logic.target.date, "2019/05/01");
  EXPECT_EQ(logic.target.time, "04:45:00");
  EXPECT_EQ(logic.target.julianDate, "2458604.69792");
  EXPECT_EQ(logic.target.raHours, "14");
  EXPECT_EQ(logic.target.raMinutes, "31");
  EXPECT_EQ(logic.target.raSeconds, "0.00");
  EXPECT_EQ(logic.target.decDegrees, "-10");
  EXPECT_EQ(logic.target.decMinutes, "15");
  EXPECT_EQ(logic.target.decSeconds, "0.0");

  ASSERT_TRUE(logic.PickRecord(RecordPicker::Kind::kEphemeris, choose(2)));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, 22), "Date         Time(TDT)");
  EXPECT_EQ(lines[2].substr(0, 47), "2019 05 03   00 01 09   23 59 56.4   -00 30 00 ");  // the table's TDT
  EXPECT_EQ(logic.target.date, "2019/05/03");
  EXPECT_EQ(logic.target.time, "00:00:00");
  EXPECT_EQ(logic.target.decDegrees, "-0");
  EXPECT_EQ(logic.target.decMinutes, "30");
  // The target as the fields give it to OK: the record's place.
  const auto place = ReadPlace(logic.target, ui);
  ASSERT_TRUE(place);
  EXPECT_NEAR(static_cast<double>(place->raHours), 23.999, 0.01 / 3600);
  EXPECT_NEAR(static_cast<double>(place->decDeg), -0.5, 0.1 / 3600);

  // With the report window on the table, its lines are listed and its table lines are the records.
  TempDir folder;
  std::vector<std::string> reportLines = {"Body: X", "", "Date", "Yr   M  D    H  M  S"};
  for (std::int32_t k = 0; k <= table.LastIndex(); ++k) reportLines.push_back(EphemerisTableLine(*table.GetAt(k)));
  table.Reset();
  reportLines.emplace_back("note");
  report.Build(reportLines, folder.Path());
  logic.SetRecords(&observations, table, report);
  EXPECT_FALSE(logic.PickRecord(RecordPicker::Kind::kEphemeris, [](RecordPicker& picker) {
    return picker.Ok(6);  // the note below the table: no record, the picker stays
  }));
  ASSERT_TRUE(logic.PickRecord(RecordPicker::Kind::kEphemeris, choose(5)));
  EXPECT_EQ(lines, reportLines);
  EXPECT_EQ(logic.target.date, "2019/05/04");
}

}  // namespace
}  // namespace skarvel
