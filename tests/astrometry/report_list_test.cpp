#include "astrometry/report_list.h"

#include <gtest/gtest.h>

#include <deque>

#include "astrometry/report_formats.h"
#include "config/options.h"
#include "foundations/date_time.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

double At(int y, int mo, int d, int h, int mi, long double s) {
  return *EncodeDateTime(y, mo, d, h, mi, s);
}

ObservationRecord Obs(const std::string& name, double time, long double ra, long double dec,
                      std::uint8_t note = kNoteNormal) {
  ObservationRecord o;
  o.params.objectName = name;
  o.params.number = "433";
  o.params.observationTime = time;
  o.params.note = note;
  o.target.fitRA = ra;
  o.target.fitDec = dec;
  o.target.catMag = 12.5L;
  o.target.band = 1;
  return o;
}

UserRecord User() {
  UserRecord u;
  u.contactName = "ann lee smith";
  u.institution = "Lab 3";
  u.country = "Sweden";
  u.email = "ann@example.org";
  u.observers = "ann lee smith";
  return u;
}

class Dialogs : public ListDialogs {
 public:
  std::deque<std::optional<std::string>> edits;
  std::vector<std::string> asked;
  SearchStart AskSearch(const std::string&, SearchDialogState&) override { return SearchStart::Cancelled; }
  std::optional<std::string> AskEditLine(const std::string& line) override {
    asked.push_back(line);
    if (edits.empty()) return std::nullopt;
    auto e = edits.front();
    edits.pop_front();
    return e;
  }
};

class ReportListTest : public ::testing::Test {
 protected:
  ScriptedPlatform ui;
  Dialogs dialogs;
  SearchDialogState search;
  TempDir dir;
  AstromObsObj report{User(), CameraRecord{}, DefaultSiteRecord()};
  OptionsRecord options;
  bool saved = true;
  bool oldFormat = true;
  bool expert = false;
  std::string fileName = "TEST.RPT";
  int acks = 0;
  int shows = 0;
  int changes = 0;
  int spreadsheets = 0;
  std::vector<HeaderRecord> headerChanges;
  std::function<bool(UserRecord&)> editUser;
  std::function<bool(ObsParams&)> editParams;
  std::unique_ptr<ReportList> list;
  ListCommandContext context{ui, dialogs, search, dir.Path()};

  void SetUp() override {
    // Added out of time order: the report keeps them sorted.
    report.AddObservation(Obs("Eros b", At(2026, 12, 9, 22, 0, 0), 5.5L, 22.25L).params,
                          Obs("Eros b", At(2026, 12, 9, 22, 0, 0), 5.5L, 22.25L).target, options);
    report.AddObservation(Obs("Eros a", At(2026, 12, 9, 21, 0, 0), 5.25L, 22.125L).params,
                          Obs("Eros a", At(2026, 12, 9, 21, 0, 0), 5.25L, 22.125L).target, options);
    report.AddObservation(Obs("Eros c", At(2026, 12, 9, 23, 0, 0), 5.75L, -1.5L).params,
                          Obs("Eros c", At(2026, 12, 9, 23, 0, 0), 5.75L, -1.5L).target, options);
    ReportListHost host;
    host.oldReportFormat = [this] { return oldFormat; };
    host.expertMode = [this] { return expert; };
    host.reportFileName = [this] { return fileName; };
    host.reportDir = [this] { return dir.Path(); };
    host.reportSaved = [this] { return saved; };
    host.setReportSaved = [this](bool s) { saved = s; };
    host.now = [] { return At(2026, 12, 9, 23, 30, 0); };
    host.editAcknowledgement = [this](AstromObsObj&, bool cancelEnabled) {
      EXPECT_FALSE(cancelEnabled);
      ++acks;
    };
    host.editUser = [this](UserRecord& u) { return editUser && editUser(u); };
    host.editSite = [this](SiteRecord&) {
      headerChanges.push_back(HeaderRecord::kSite);
      return false;
    };
    host.editCamera = [this](CameraRecord&, const CameraRecord*) {
      headerChanges.push_back(HeaderRecord::kCamera);
      return false;
    };
    host.headerRecordChanged = [this](HeaderRecord which) { headerChanges.push_back(which); };
    host.editObservationParameters = [this](ObsParams& p) { return editParams && editParams(p); };
    host.observationsChanged = [this] { ++changes; };
    host.spreadsheetWritten = [this] { ++spreadsheets; };
    host.show = [this] { ++shows; };
    list = std::make_unique<ReportList>(report, std::move(host));
  }

  int LineStarting(const std::string& prefix) const {
    for (std::size_t i = 0; i < list->Lines().size(); ++i)
      if (list->Lines()[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& o : report.Observations()) names.push_back(o.params.objectName);
    return names;
  }
};

TEST_F(ReportListTest, ShortFormMapsEachLineToItsObservation) {
  list->ShowForm(ReportForm::kShort);
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(acks, 1);  // a fresh report renews the acknowledgement
  EXPECT_TRUE(list->ShortFormShown());
  // COD, TEL, CON, CON [e-mail], OBS, NET, NUM, ACK.
  ASSERT_EQ(list->HeaderLineCount(), 8);
  EXPECT_EQ(list->LinesPerObservation(), 1);
  EXPECT_EQ(list->Lines()[7].substr(0, 4), "ACK ");
  ASSERT_EQ(list->Count(), 11u);
  for (int line = 0; line < 8; ++line) EXPECT_EQ(list->ObservationOfLine(line), -1) << line;
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(list->ObservationOfLine(8 + k), k);
    EXPECT_EQ(list->FirstLineOf(k), 8 + k);
    EXPECT_EQ(list->Lines()[static_cast<std::size_t>(8 + k)],
              ObservationLines80(report.Observations()[static_cast<std::size_t>(k)], report.site)[0]);
  }
  EXPECT_EQ(list->ObservationOfLine(11), -1);
  EXPECT_EQ(list->ObservationOfLine(-1), -1);
  EXPECT_EQ(list->Title(), "Formatted Astrometric Results - TEST.RPT");
  EXPECT_EQ(list->TextFileName(), "TESTRPT.TXT");
  EXPECT_TRUE(list->Menu().Available("EditObservationParameters1"));
  EXPECT_TRUE(list->Menu().Available("UserParameters1"));
  EXPECT_TRUE(list->Menu().Available("Plot1"));
  EXPECT_EQ(list->Menu().At("DeleteSelectedItem1").caption, "&Delete Selected Item...");
}

TEST_F(ReportListTest, SplitLineRovingObserverHasSixLinesPerObservationAndClosingLines) {
  oldFormat = false;
  report.site.code = "0247";
  report.Observations()[1].params.note = kNoteSimulated;
  list->ShowForm(ReportForm::kShort);
  ASSERT_EQ(list->LinesPerObservation(), 6);
  const int header = list->HeaderLineCount();
  EXPECT_EQ(list->Lines()[static_cast<std::size_t>(header - 2)], "FMT SPLIT-LINE");
  EXPECT_EQ(list->Lines()[static_cast<std::size_t>(header - 1)].substr(0, 4), "ACK ");
  for (int line = header; line < header + 18; ++line) EXPECT_EQ(list->ObservationOfLine(line), (line - header) / 6);
  // "CNT 3" and the three lines of the simulated-image notice close the text.
  ASSERT_EQ(list->Count(), static_cast<std::size_t>(header + 18 + 4));
  EXPECT_EQ(list->Lines()[static_cast<std::size_t>(header + 18)], "CNT 3");
  EXPECT_EQ(list->Lines()[static_cast<std::size_t>(header + 19)], "**IMPORTANT**");
  for (int line = header + 18; line < header + 22; ++line) {
    EXPECT_EQ(list->ObservationOfLine(line), -1);
    EXPECT_EQ(list->LineInfo()[static_cast<std::size_t>(line)].kind, ReportLineKind::kClosing);
  }
  EXPECT_TRUE(list->SimulatedPresent());
}

TEST_F(ReportListTest, LongHeaderSectionsAreFound) {
  list->ShowForm(ReportForm::kLong);
  EXPECT_FALSE(report.shortForm);
  EXPECT_EQ(acks, 0);  // the long form has no acknowledgement
  ASSERT_GT(list->TelescopeLine(), 0);
  ASSERT_GT(list->ContactLine(), list->TelescopeLine());
  EXPECT_EQ(list->Lines()[static_cast<std::size_t>(list->TelescopeLine())], "  Telescope & Camera:");
  EXPECT_EQ(list->Lines()[static_cast<std::size_t>(list->ContactLine())], "  Contact Address:");
  EXPECT_EQ(list->LineInfo()[0].kind, ReportLineKind::kLongHeader);
  EXPECT_EQ(list->ObservationOfLine(list->HeaderLineCount()), 0);
}

TEST_F(ReportListTest, DeletingAnObservationAndUndoRestoresItInTimeOrder) {
  list->ShowForm(ReportForm::kShort);
  const std::vector<std::string> before = list->Lines();
  list->Select(9);  // "Eros b", the middle one
  ASSERT_TRUE(list->Run("DeleteSelectedItem1", context));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Are You Sure You Want to Delete this Formatted Data Item?");
  EXPECT_EQ(ui.Messages()[0].caption, "Verify Deletion");
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::YesNo);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Eros a", "Eros c"}));
  EXPECT_EQ(list->Count(), before.size() - 1);
  EXPECT_EQ(list->Lines()[6], "NUM 2");
  EXPECT_EQ(list->Lines()[9], before[10]);
  EXPECT_EQ(acks, 1);  // rebuilt quietly: no acknowledgement dialog
  EXPECT_TRUE(report.quietRefresh);
  EXPECT_FALSE(saved);
  EXPECT_EQ(list->Title(), "Formatted Astrometric Results - TEST.RPT (Edited)");
  EXPECT_EQ(changes, 1);
  ASSERT_TRUE(list->UndoAvailable());
  EXPECT_EQ(list->UndoKind(), ReportUndoKind::kObservationDeleted);

  ASSERT_TRUE(list->Run("UndoEdit", context));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Eros a", "Eros b", "Eros c"}));
  EXPECT_EQ(list->Lines(), before);
  EXPECT_EQ(list->Selected(), 9);
  EXPECT_FALSE(list->UndoAvailable());
  EXPECT_EQ(changes, 2);
  EXPECT_FALSE(list->Run("UndoEdit", context));  // only the last action can be undone
}

TEST_F(ReportListTest, AnsweringNoOrExpertModeDecideTheConfirmation) {
  list->ShowForm(ReportForm::kShort);
  list->Select(8);
  ui.AnswerNext(Answer::No);
  list->Run("DeleteSelectedItem1", context);
  EXPECT_EQ(report.Count(), 3u);
  EXPECT_TRUE(saved);
  expert = true;
  list->Select(8);
  list->Run("DeleteSelectedItem1", context);
  EXPECT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Eros b", "Eros c"}));
}

TEST_F(ReportListTest, NothingSelectedIsToldForEachCommand) {
  list->ShowForm(ReportForm::kShort);
  list->Run("DeleteSelectedItem1", context);
  list->Run("EditasText1", context);
  list->Run("EditObservationParameters1", context);
  ASSERT_EQ(ui.Messages().size(), 3u);
  EXPECT_EQ(ui.Messages()[0].text, "Select Item for Deletion!");
  EXPECT_EQ(ui.Messages()[1].text, "Select Text Line for Edit!");
  EXPECT_EQ(ui.Messages()[2].text, "Select Text Line for Edit!");
  for (const auto& m : ui.Messages()) EXPECT_EQ(m.caption, "No Selection!");
  EXPECT_EQ(report.Count(), 3u);
}

TEST_F(ReportListTest, LongHeaderLinesAreNeverDeleted) {
  list->ShowForm(ReportForm::kLong);
  const std::vector<std::string> before = list->Lines();
  for (int line : {0, list->TelescopeLine(), list->HeaderLineCount() - 1}) {
    ui.ClearRecords();
    list->Select(line);
    list->Run("DeleteSelectedItem1", context);
    ASSERT_EQ(ui.Messages().size(), 1u) << line;
    EXPECT_EQ(ui.Messages()[0].text, "Cannot Delete Selected Header Text!  ");
    EXPECT_EQ(ui.Messages()[0].caption, "Select a List Item!");
  }
  EXPECT_EQ(list->Lines(), before);
  EXPECT_FALSE(list->UndoAvailable());
  EXPECT_TRUE(saved);
  // The first observation line right after the header can be deleted.
  list->Select(list->HeaderLineCount());
  list->Run("DeleteSelectedItem1", context);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Eros b", "Eros c"}));
}

TEST_F(ReportListTest, ShortHeaderLineGoesFromTheDisplayOnly) {
  list->ShowForm(ReportForm::kShort);
  const std::vector<std::string> before = list->Lines();
  const int tel = LineStarting("TEL ");
  ASSERT_EQ(tel, 1);
  list->Select(tel);
  list->Run("DeleteSelectedItem1", context);
  EXPECT_EQ(report.Count(), 3u);
  EXPECT_EQ(LineStarting("TEL "), -1);
  EXPECT_EQ(list->HeaderLineCount(), 7);
  // The observation lines still lead to their observations.
  EXPECT_EQ(list->ObservationOfLine(7), 0);
  EXPECT_EQ(list->ObservationOfLine(9), 2);
  EXPECT_EQ(list->UndoKind(), ReportUndoKind::kHeaderLineDeleted);
  list->Run("UndoEdit", context);
  EXPECT_EQ(list->Lines(), before);
  EXPECT_EQ(list->HeaderLineCount(), 8);
  EXPECT_EQ(list->ObservationOfLine(8), 0);
  // A rebuild brings a deleted header line back.
  list->Select(tel);
  list->Run("DeleteSelectedItem1", context);
  list->Rebuild();
  EXPECT_EQ(list->Lines()[1], before[1]);
}

TEST_F(ReportListTest, EditingAHeaderLineAsksAndChangesTheTextOnly) {
  list->ShowForm(ReportForm::kShort);
  list->Select(0);
  ui.AnswerNext(Answer::Cancel);
  list->Run("EditasText1", context);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "To Make Permanent Changes to Header Material, Select\r\n\"Edit\" => \"Edit Header Parameters\" from the "
            "Menu.");
  EXPECT_EQ(ui.Messages()[0].caption, "Editing Report Text Only");
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::OkCancel);
  EXPECT_TRUE(dialogs.asked.empty());
  dialogs.edits.push_back("COD 696");
  list->Run("EditasText1", context);
  EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"COD 695"}));
  EXPECT_EQ(list->Lines()[0], "COD 696");
  EXPECT_EQ(report.site.code, "695");
  EXPECT_FALSE(saved);
  EXPECT_EQ(list->Title(), "Formatted Astrometric Results - TEST.RPT (Modified)");
  // A second edit does not mark the title twice.
  dialogs.edits.push_back("COD 697");
  list->Run("EditasText1", context);
  EXPECT_EQ(list->Title(), "Formatted Astrometric Results - TEST.RPT (Modified)");
  list->Run("UndoEdit", context);
  EXPECT_EQ(list->Lines()[0], "COD 696");
}

TEST_F(ReportListTest, EditedObservationLineSurvivesTheDeletionOfAnotherAndUndoes) {
  list->ShowForm(ReportForm::kShort);
  const std::string original = list->Lines()[10];
  list->Select(10);  // "Eros c"
  ui.AnswerNext(Answer::Yes);
  std::string edited = original;
  edited[79] = '8';
  dialogs.edits.push_back(edited);
  list->Run("EditasText1", context);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Are You Sure You Want to Edit a Formatted Data Item?\r\n(MPC/IAU Format Requires Data in Specific "
            "Columns.)");
  EXPECT_EQ(ui.Messages()[0].caption, "Edit Formatted Text?");
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::YesNo);
  EXPECT_EQ(list->Lines()[10], edited);
  // Deleting "Eros a" rebuilds the text; the edited line keeps its edit at its new place.
  list->Select(8);
  list->Run("DeleteSelectedItem1", context);
  EXPECT_EQ(list->Lines()[9], edited);
  list->Run("UndoEdit", context);
  EXPECT_EQ(list->Lines()[10], edited);
  // Showing the form afresh builds every line from the records.
  list->ShowForm(ReportForm::kShort);
  EXPECT_EQ(list->Lines()[10], original);
}

TEST_F(ReportListTest, UndoOfATextEditRestoresTheLineForLaterRebuildsToo) {
  expert = true;  // no question for an observation line
  list->ShowForm(ReportForm::kShort);
  const std::string original = list->Lines()[8];
  list->Select(8);
  dialogs.edits.push_back("changed");
  list->Run("EditasText1", context);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(list->Lines()[8], "changed");
  list->Run("UndoEdit", context);
  EXPECT_EQ(list->Lines()[8], original);
  list->Rebuild();
  EXPECT_EQ(list->Lines()[8], original);
}

TEST_F(ReportListTest, ObservationParameterEditKeepsTimeOrderAndUndoes) {
  list->ShowForm(ReportForm::kShort);
  list->Select(0);
  list->Run("EditObservationParameters1", context);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Select a List Item");
  EXPECT_EQ(ui.Messages()[0].text,
            "To Make Permanent Changes to Header Material, Select\r\n\"Edit\" => \"Edit Header Parameters\" from the "
            "Menu.");
  // "Eros a" moves to the next day: it becomes the last observation.
  editParams = [](ObsParams& p) {
    EXPECT_EQ(p.objectName, "Eros a");
    p.objectName = "Eros z";
    p.observationTime = At(2026, 12, 10, 1, 0, 0);
    return true;
  };
  list->Select(8);
  list->Run("EditObservationParameters1", context);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Eros b", "Eros c", "Eros z"}));
  EXPECT_EQ(list->Selected(), 10);
  EXPECT_EQ(list->Lines()[10].substr(15, 10), "2026 12 10");
  EXPECT_FALSE(saved);
  EXPECT_EQ(acks, 1);
  EXPECT_EQ(list->UndoKind(), ReportUndoKind::kParameterEdit);
  list->Run("UndoEdit", context);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Eros a", "Eros b", "Eros c"}));
  EXPECT_EQ(list->Selected(), 8);
  // Cancel changes nothing and offers no undo.
  editParams = [](ObsParams& p) {
    p.objectName = "cancelled";
    return false;
  };
  list->Run("EditObservationParameters1", context);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Eros a", "Eros b", "Eros c"}));
  EXPECT_FALSE(list->UndoAvailable());
}

TEST_F(ReportListTest, UserDialogChangesTheHeaderAndTheOptions) {
  list->ShowForm(ReportForm::kShort);
  editUser = [](UserRecord& u) {
    u.observers = "john quincy public";
    return true;
  };
  list->Select(8);
  expert = true;
  list->Run("DeleteSelectedItem1", context);
  ASSERT_TRUE(list->UndoAvailable());
  list->Run("UserParameters1", context);
  EXPECT_EQ(report.user.observers, "john quincy public");
  EXPECT_EQ(list->Lines().at(static_cast<std::size_t>(LineStarting("OBS "))), "OBS J. Q. Public");
  EXPECT_EQ(headerChanges, (std::vector<HeaderRecord>{HeaderRecord::kUser}));
  EXPECT_FALSE(list->UndoAvailable());
  EXPECT_EQ(acks, 2);             // the records were set: the text is generated afresh
  EXPECT_EQ(report.Count(), 2u);  // the list is kept
  // Cancel leaves everything.
  editUser = [](UserRecord& u) {
    u.observers = "nobody";
    return false;
  };
  list->Run("UserParameters1", context);
  EXPECT_EQ(report.user.observers, "john quincy public");
  EXPECT_EQ(headerChanges.size(), 1u);
}

TEST_F(ReportListTest, DoubleClicksOnHeaderLinesOpenTheirDialogs) {
  list->ShowForm(ReportForm::kShort);
  list->DoubleClick(LineStarting("COD"), context);
  list->DoubleClick(LineStarting("TEL"), context);
  EXPECT_EQ(headerChanges, (std::vector<HeaderRecord>{HeaderRecord::kSite, HeaderRecord::kSite}));
  int users = 0;
  editUser = [&users](UserRecord&) {
    ++users;
    return false;
  };
  list->DoubleClick(LineStarting("CON"), context);
  list->DoubleClick(LineStarting("OBS"), context);
  EXPECT_EQ(users, 2);
  list->DoubleClick(LineStarting("NET"), context);
  EXPECT_EQ(users, 2);
  EXPECT_EQ(headerChanges.size(), 2u);
  list->DoubleClick(LineStarting("ACK"), context);
  EXPECT_EQ(acks, 2);
  // An observation line opens the parameters.
  int edits = 0;
  editParams = [&edits](ObsParams&) {
    ++edits;
    return false;
  };
  list->DoubleClick(9, context);
  EXPECT_EQ(edits, 1);

  headerChanges.clear();
  list->ShowForm(ReportForm::kLong);
  list->DoubleClick(0, context);
  list->DoubleClick(list->TelescopeLine() - 1, context);
  list->DoubleClick(list->TelescopeLine(), context);
  list->DoubleClick(list->ContactLine() - 1, context);
  EXPECT_EQ(headerChanges, (std::vector<HeaderRecord>{HeaderRecord::kSite, HeaderRecord::kSite, HeaderRecord::kCamera,
                                                      HeaderRecord::kCamera}));
  list->DoubleClick(list->ContactLine(), context);
  list->DoubleClick(list->HeaderLineCount() - 1, context);
  EXPECT_EQ(users, 4);
}

TEST_F(ReportListTest, SavingTheTextOfSimulatedMeasurementsWarnsFirst) {
  report.Observations()[0].params.note = kNoteSimulated;
  list->ShowForm(ReportForm::kShort);
  ui.AnswerNext(Answer::Cancel);
  list->Run("AsDisplayed1", context);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, kSimulatedDataWarning);
  EXPECT_EQ(std::string(kSimulatedDataWarning),
            "This report contains measurements of simulated images!\r\nThese measurements should NOT be sent to the "
            "Minor Planet Center!\r\n\r\n(To identify which measurements are of simulated images,\r\ndisplay the "
            "\"Exercise Format\" report.)\r\n\r\nContinue with Save?");
  EXPECT_EQ(ui.Messages()[0].caption, "Simulated Data!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Stop);
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::OkCancel);
  EXPECT_TRUE(ui.SaveDialogs().empty());

  ui.AnswerNext(Answer::Ok);
  ui.SaveAsNext(dir / "report.txt");
  list->Run("AsDisplayed1", context);
  ASSERT_EQ(ui.SaveDialogs().size(), 1u);
  EXPECT_EQ(ui.SaveDialogs()[0].fileName, "TESTRPT.TXT");
  EXPECT_EQ(ui.SaveDialogs()[0].directory, dir.Path());
  std::string expected;
  for (const auto& line : list->Lines()) expected += line + "\n";
  EXPECT_EQ(testing::ReadText(dir / "report.txt"), expected);
  EXPECT_EQ(ui.Messages().back().text, "Report Text Written to " + (dir / "report.txt") + ".");
}

TEST_F(ReportListTest, TextWithoutSimulatedMeasurementsSavesWithoutWarning) {
  list->ShowForm(ReportForm::kLong);
  ui.SaveAsNext(dir / "long.txt");
  list->Run("AsDisplayed1", context);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Text File Written");
}

TEST_F(ReportListTest, AdesFormsMapTheirLinesAndSaveInUtf8WithTheirExtension) {
  report.user.observers = "bo j\xF8rgensen";
  report.Observations()[2].params.note = kNoteSimulated;
  list->ShowForm(ReportForm::kAdesPsv);
  EXPECT_EQ(list->Lines()[0], "# version=2022");
  EXPECT_EQ(report.shortForm, true);  // the short form's choice is not touched
  const int first = list->HeaderLineCount();
  EXPECT_EQ(list->Lines()[static_cast<std::size_t>(first - 1)].rfind("permID|", 0), 0u);
  EXPECT_EQ(list->LinesPerObservation(), 1);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(list->ObservationOfLine(first + k), k);
  EXPECT_EQ(list->ObservationOfLine(first - 1), -1);
  EXPECT_EQ(list->LineInfo()[1].kind, ReportLineKind::kLongHeader);  // the context is never deleted
  EXPECT_EQ(list->TextFileName(), "TESTRPT.PSV");
  // Simulated measurements warn before the save; the file is UTF-8.
  ui.AnswerNext(Answer::Ok);
  ui.SaveAsNext(dir / "report.psv");
  list->Run("AsDisplayed1", context);
  EXPECT_EQ(ui.Messages()[0].caption, "Simulated Data!");
  const std::string file = testing::ReadText(dir / "report.psv");
  EXPECT_NE(file.find("! name B. J\xC3\xB8rgensen\n"), std::string::npos);
  EXPECT_NE(file.find("|Measurement of a simulated image: not for submission\n"), std::string::npos);
  // The XML form names its file .XML; the short form goes back to .TXT and to single-byte text.
  list->ShowForm(ReportForm::kAdesXml);
  EXPECT_EQ(list->TextFileName(), "report.XML");
  EXPECT_EQ(list->Lines().back(), "</ades>");
  EXPECT_EQ(list->ObservationOfLine(static_cast<int>(list->Lines().size()) - 1), -1);
  list->ShowForm(ReportForm::kShort);
  EXPECT_EQ(list->TextFileName(), "report.TXT");
  ui.SaveAsNext(dir / "short.txt");
  ui.AnswerNext(Answer::Ok);
  list->Run("AsDisplayed1", context);
  EXPECT_EQ(testing::ReadText(dir / "short.txt").find("\xC3"), std::string::npos);
}

TEST_F(ReportListTest, SpreadsheetFileIsWrittenWithItsQuestionsAndMessage) {
  list->ShowForm(ReportForm::kExercise);
  EXPECT_FALSE(list->Menu().Available("UserParameters1"));
  // The exercise form is not saved as text; its spreadsheet file is written
  // through "S&preadsheet Format (.CSV)...".
  EXPECT_FALSE(list->Menu().Find("SaveText1")->enabled);
  EXPECT_FALSE(list->Menu().Available("AsDisplayed1"));
  EXPECT_FALSE(list->Run("AsDisplayed1", context));
  EXPECT_TRUE(list->Menu().Find("CommaDelimit")->enabled);
  EXPECT_EQ(list->HeaderLineCount(), 3);
  EXPECT_EQ(list->ObservationOfLine(3), 0);
  testing::WriteText(dir / "TESTRPT.CSV", "old");
  ui.SaveAsNext(dir / "TESTRPT.CSV");
  ui.AnswerNext(Answer::No);
  ui.SaveAsNext(dir / "sheet.csv");
  list->CommaDelimit(context);
  ASSERT_EQ(ui.SaveDialogs().size(), 2u);
  EXPECT_EQ(ui.SaveDialogs()[0].title, "Save Report for Spreadsheet");
  EXPECT_EQ(ui.SaveDialogs()[0].fileName, "TESTRPT.CSV");
  EXPECT_EQ(ui.SaveDialogs()[0].directory, dir.Path());
  EXPECT_EQ(ui.SaveDialogs()[0].defaultExtension, ".CSV");
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, dir / "TESTRPT.CSV" + " Already Exists!\r\n\r\nDo You Want to Overwrite It?");
  EXPECT_EQ(ui.Messages()[0].caption, "Replace Existing File?");
  EXPECT_EQ(testing::ReadText(dir / "TESTRPT.CSV"), "old");
  std::string expected;
  for (const auto& line : SpreadsheetLines(report)) expected += line + "\n";
  EXPECT_EQ(testing::ReadText(dir / "sheet.csv"), expected);
  EXPECT_EQ(ui.Messages()[1].text, "Report Written to " + (dir / "sheet.csv") + " for Spreadsheet Input.");
  EXPECT_EQ(ui.Messages()[1].caption, "Text File Written");
  EXPECT_EQ(spreadsheets, 1);
  // The next time proposes the last name.
  ui.SaveAsNext(std::nullopt);
  list->WriteSpreadsheetFile(ui);
  EXPECT_EQ(ui.SaveDialogs().back().fileName, "sheet.csv");
  EXPECT_EQ(spreadsheets, 1);
  // The other forms save as text again.
  list->ShowForm(ReportForm::kLong);
  EXPECT_TRUE(list->Menu().Available("AsDisplayed1"));
}

TEST_F(ReportListTest, SpreadsheetInAMissingFolderGivesTheGeneralErrorReport) {
  list->ShowForm(ReportForm::kShort);
  ui.SaveAsNext(dir / "missing/sheet.csv");
  list->WriteSpreadsheetFile(ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_NE(ui.Messages()[0].text.find("File Name: " + (dir / "missing/sheet.csv") + "\r\nIOResult = "),
            std::string::npos);
  EXPECT_EQ(spreadsheets, 0);
  EXPECT_TRUE(list->CsvName().empty());
}

TEST(ReportNames, DefaultDataFileNameAndOverwriteQuestion) {
  EXPECT_EQ(DefaultReportDataName(*EncodeDateTime(2010, 1, 5, 12, 0, 0)), "Jan5.RPT");
  EXPECT_EQ(DefaultReportDataName(*EncodeDateTime(2026, 12, 31, 0, 0, 0)), "Dec31.RPT");
  EXPECT_EQ(OverwriteQuestion("/data/jan5.rpt"), "/DATA/JAN5.RPT Already Exists!\r\n\r\nDo You Want to Overwrite It?");
}

TEST(Acknowledgement, TextsAreCutAndTypingIsRemembered) {
  AstromObsObj report{UserRecord{}, CameraRecord{}, SiteRecord{}};
  ApplyAcknowledgement(report, std::string(80, 'm'), "me@example.org", false);
  EXPECT_EQ(report.ackMessage, std::string(76, 'm'));
  EXPECT_EQ(report.ackEmail, "me@example.org");
  EXPECT_FALSE(report.ackEmailTyped);
  ApplyAcknowledgement(report, "", std::string(77, 'e'), true);
  EXPECT_EQ(report.ackEmail.size(), 76u);
  EXPECT_TRUE(report.ackEmailTyped);
  ApplyAcknowledgement(report, "", "x", false);
  EXPECT_TRUE(report.ackEmailTyped);
}

}  // namespace
}  // namespace skarvel
