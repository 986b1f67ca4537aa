// The observation picker's rules and the baseline dialog's steps.
#include "orbits/mean_motion_forms.h"

#include <gtest/gtest.h>

#include "foundations/date_time.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using platform::Answer;
using testing::ScriptedPlatform;

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

}  // namespace
}  // namespace skarvel
