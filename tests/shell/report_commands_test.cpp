// The Report menu of the main window: adding observations, the report data
// file saved, loaded (current and old versions, merged, truncated) and
// cleared, and the spreadsheet launcher.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "astrometry/report_file.h"
#include "foundations/byte_io.h"
#include "foundations/date_time.h"
#include "shell/astrm_lab.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

double At(int y, int mo, int d, int h, int mi) {
  return *EncodeDateTime(y, mo, d, h, mi, 0.0L);
}

ObsParams Params(const std::string& name, double time) {
  ObsParams p;
  p.objectName = name;
  p.number = "433";
  p.observationTime = time;
  return p;
}

ReferenceStar Target(long double ra, long double dec) {
  ReferenceStar t;
  t.fitRA = ra;
  t.fitDec = dec;
  t.catMag = 11.0L;
  t.band = 2;
  return t;
}

class ReportCommandsTest : public ::testing::Test {
 protected:
  TempDir root;
  std::string programDir = skarvel::testing::MakeProgramDir(root);
  std::string dataDir = root.MakeDir("work");
  std::string reports = root.MakeDir("reports");
  ScriptedPlatform ui;
  double now = At(2026, 12, 9, 21, 0);
  std::unique_ptr<AstrmLab> lab;

  AstrmLabEnvironment Env() {
    AstrmLabEnvironment env;
    env.storage.programDir = programDir;
    env.storage.currentDir = dataDir;
    env.storage.perUserDir = root / "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root / "no-mounts";
    env.clock = [this] { return now; };
    return env;
  }

  void Start(const std::function<void(OptionsRecord&)>& setup = {}) {
    ScriptedPlatform quiet;
    OptsObj opts("ASTROPTS.INI", "1.330", Env().storage, quiet);
    ASSERT_TRUE(opts.Start());
    opts.Record().expertMode = false;
    if (setup) setup(opts.Record());
    ASSERT_TRUE(opts.Write(dataDir));
    lab = std::make_unique<AstrmLab>(ui, Env());
    ASSERT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    lab->reportDir = reports;
  }

  void SetUp() override { Start(); }

  bool Enabled(const std::string& name) const { return lab->Menus().At(name).enabled; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& o : lab->Report()->Observations()) names.push_back(o.params.objectName);
    return names;
  }
  // Saves the report as `path` answering every question with its default.
  void SaveAs(const std::string& path) {
    ui.SaveAsNext(path);
    ASSERT_TRUE(lab->Run("SaveData1"));
  }
};

TEST_F(ReportCommandsTest, AddingObservationsEnablesTheReportCommands) {
  EXPECT_FALSE(Enabled("ViewEdit1"));
  EXPECT_FALSE(Enabled("SaveData1"));
  EXPECT_TRUE(lab->reportSaved);
  EXPECT_EQ(lab->AddObservation(Params("b", At(2026, 12, 9, 22, 0)), Target(5, 20)), 0u);
  for (const char* name : {"Report1", "ViewEdit1", "SaveData1", "ClearData1"}) EXPECT_TRUE(Enabled(name)) << name;
  EXPECT_FALSE(Enabled("MeanMotion1"));
  EXPECT_FALSE(lab->reportSaved);
  EXPECT_EQ(lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20)), 0u);
  EXPECT_TRUE(Enabled("MeanMotion1"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ReportCommandsTest, ReportFormsShowOnceTheSubmenuOpened) {
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  int shows = 0;
  AstrmLabViews views;
  views.showReport = [&shows] { ++shows; };
  lab->SetViews(views);
  EXPECT_FALSE(lab->Run("ShortFormat1"));  // hidden until "&View/Print/Save Text" opens
  lab->MenuOpened("ViewEdit1");
  EXPECT_TRUE(lab->Run("ShortFormat1"));
  EXPECT_EQ(shows, 1);
  ASSERT_TRUE(lab->ReportWindow()->Form());
  EXPECT_EQ(*lab->ReportWindow()->Form(), ReportForm::kShort);
  EXPECT_EQ(lab->ReportWindow()->Title(), "Formatted Astrometric Results -  (Modified)");
  EXPECT_TRUE(lab->Run("LongFormat1"));
  EXPECT_FALSE(lab->Report()->shortForm);
  EXPECT_TRUE(lab->Run("ExerciseFrmt1"));
  EXPECT_EQ(lab->ReportWindow()->Title(), "Astrometric Results");
  EXPECT_EQ(shows, 3);
}

TEST_F(ReportCommandsTest, SaveWritesTheReportAndRemembersItsName) {
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  SaveAs(reports + "dec9.rpt");
  ASSERT_EQ(ui.SaveDialogs().size(), 1u);
  const auto& d = ui.SaveDialogs()[0];
  EXPECT_EQ(d.title, "Select File Name for Save");
  EXPECT_EQ(d.filter, "Astrometry Report Files (*,RPT)|*.RPT");
  EXPECT_EQ(d.defaultExtension, ".RPT");
  EXPECT_EQ(d.directory, reports);
  EXPECT_EQ(d.fileName, "Dec9.RPT");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(testing::ReadAll(reports + "dec9.rpt"), SerializeReport(*lab->Report()));
  EXPECT_EQ(testing::ReadAll(reports + "dec9.rpt").size(), 1010u + 343u);
  EXPECT_TRUE(lab->reportSaved);
  EXPECT_EQ(lab->reportFileName, "DEC9.RPT");
  EXPECT_EQ(lab->reportDir, reports);
  // The next save proposes that name and asks before overwriting; No reopens the dialog.
  lab->AddObservation(Params("b", At(2026, 12, 9, 21, 0)), Target(5, 20));
  ui.SaveAsNext(reports + "dec9.rpt");
  ui.AnswerNext(Answer::No);
  ui.SaveAsNext(reports + "other.rpt");
  lab->Run("SaveData1");
  ASSERT_EQ(ui.SaveDialogs().size(), 3u);
  EXPECT_EQ(ui.SaveDialogs()[1].fileName, "DEC9.RPT");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            Upper(reports + "dec9.rpt") + " Already Exists!\r\n\r\nDo You Want to Overwrite It?");
  EXPECT_EQ(ui.Messages()[0].caption, "Replace Existing File?");
  EXPECT_EQ(testing::ReadAll(reports + "dec9.rpt").size(), 1010u + 343u);
  EXPECT_EQ(testing::ReadAll(reports + "other.rpt").size(), 1010u + 2 * 343u);
  EXPECT_EQ(lab->reportFileName, "OTHER.RPT");
}

TEST_F(ReportCommandsTest, FailedSaveKeepsThePreviousFileAndTheUnsavedState) {
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  // A name so long that no temporary file can be made beside it.
  const std::string path = reports + std::string(250, 'r') + ".RPT";
  testing::WriteText(path, "previous report");
  ui.SaveAsNext(path);
  ui.AnswerNext(Answer::Yes);
  lab->Run("SaveData1");
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].caption, "Replace Existing File?");
  const auto& m = ui.Messages()[1];
  EXPECT_EQ(
      m.text.rfind("Unable to Open Report Data File for Output!\r\n\r\nFile Name: " + path + "\r\nIOResult = ", 0), 0u)
      << m.text;
  EXPECT_NE(m.text.substr(m.text.size() - 3), "= 0");
  EXPECT_EQ(m.caption, "Data File Error!");
  EXPECT_EQ(m.icon, Icon::Error);
  EXPECT_EQ(testing::ReadText(path), "previous report");
  EXPECT_FALSE(lab->reportSaved);
  EXPECT_EQ(lab->reportFileName, "");
  // Nothing is left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(reports)) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(ReportCommandsTest, SavedReportLoadsBackWithItsRecords) {
  lab->Report()->user.observers = "Ann Lee";
  lab->Report()->catalogs.ucac2 = true;
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  lab->AddObservation(Params("b", At(2026, 12, 9, 22, 0)), Target(5.1L, 20.2L));
  const auto saved = lab->Report()->Observations();
  SaveAs(reports + "night.rpt");
  // Clear: sure (Yes) and defaults (No): the options' records come back.
  ui.AnswerNext(Answer::Yes);
  ui.AnswerNext(Answer::No);
  lab->Run("ClearData1");
  EXPECT_TRUE(lab->Report()->Empty());
  EXPECT_EQ(lab->Report()->user.observers, lab->Options().userRecord.observers);
  ui.ClearRecords();
  ui.ChooseFilesNext(std::vector<std::string>{reports + "night.rpt"});
  ui.AnswerNext(Answer::Yes);  // the parameters from the file
  ASSERT_TRUE(lab->Run("LoadData1"));
  ASSERT_EQ(ui.OpenDialogs().size(), 1u);
  const auto& d = ui.OpenDialogs()[0];
  EXPECT_EQ(d.title, "Select Report Data File for Load");
  EXPECT_EQ(d.filter, "Astrometry Report Files (*.RPT)|*.RPT|All Files (*.*)|*.*");
  EXPECT_EQ(d.defaultExtension, ".RPT");
  EXPECT_EQ(d.directory, reports);
  EXPECT_EQ(d.fileName, "");  // clearing forgot the name
  // An empty report is overwritten without the merge question.
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Do you want to replace the current User, Camera, and Site Parameters\r\nwith those from " + reports +
                "night.rpt?\r\n\r\n\"Yes\" => Load Parameters from File\r\n\"No\"  => Retain Current Settings");
  EXPECT_EQ(ui.Messages()[0].caption, "Replace Current Parameters?");
  EXPECT_EQ(lab->Report()->Observations(), saved);
  EXPECT_EQ(lab->Report()->user.observers, "Ann Lee");
  EXPECT_TRUE(lab->Report()->catalogs.ucac2);
  EXPECT_TRUE(lab->reportSaved);
  EXPECT_EQ(lab->reportFileName, "night.rpt");
  EXPECT_EQ(lab->ScreenMode(), AstrmLab::kWorkScreen);
  for (const char* name : {"ViewEdit1", "SaveData1", "ClearData1", "MeanMotion1"}) EXPECT_TRUE(Enabled(name)) << name;
  for (const char* name : {"ShortFormat1", "LongFormat1"}) EXPECT_TRUE(lab->Menus().At(name).visible) << name;
  EXPECT_EQ(lab->oldReportVersion, 0);
}

TEST_F(ReportCommandsTest, MergingInterleavesTheObservationsByTime) {
  lab->AddObservation(Params("file 1", At(2026, 12, 9, 20, 0)), Target(5, 20));
  lab->AddObservation(Params("file 3", At(2026, 12, 9, 22, 0)), Target(5, 20));
  SaveAs(reports + "file.rpt");
  ui.AnswerNext(Answer::Yes);
  ui.AnswerNext(Answer::Yes);
  lab->Run("ClearData1");
  lab->AddObservation(Params("mine 4", At(2026, 12, 9, 23, 0)), Target(5, 20));
  lab->AddObservation(Params("mine 0", At(2026, 12, 9, 19, 0)), Target(5, 20));
  lab->AddObservation(Params("mine 2", At(2026, 12, 9, 21, 0)), Target(5, 20));
  lab->Report()->user.observers = "kept";
  ui.ClearRecords();
  ui.ChooseFilesNext(std::vector<std::string>{reports + "file.rpt"});
  ui.AnswerNext(Answer::No);   // not saved first
  ui.AnswerNext(Answer::Yes);  // merge
  ui.AnswerNext(Answer::No);   // keep the parameters
  lab->Run("LoadData1");
  ASSERT_EQ(ui.Captions(),
            (std::vector<std::string>{"Save Current Data?", "Merge With Current?", "Replace Current Parameters?"}));
  EXPECT_EQ(ui.Messages()[0].text, "You Have Not Saved Your Current Report Data.\r\nDo You Want to Save It Now?");
  EXPECT_EQ(ui.Messages()[1].text,
            "Do You Want to Merge The File Data With Your Current Report?\r\n\r\n\"Yes\" => Merge File and Current "
            "Data\r\n\"No\"  => Overwrite Current Data With File");
  EXPECT_EQ(ui.Messages()[1].buttons, Buttons::YesNoCancel);
  EXPECT_EQ(Names(), (std::vector<std::string>{"mine 0", "file 1", "mine 2", "file 3", "mine 4"}));
  EXPECT_EQ(lab->Report()->user.observers, "kept");
  EXPECT_TRUE(lab->reportSaved);
  EXPECT_TRUE(ui.SaveDialogs().empty());

  // Overwriting replaces them; Cancel at the merge question changes nothing.
  ui.ChooseFilesNext(std::vector<std::string>{reports + "file.rpt"});
  ui.AnswerNext(Answer::Cancel);
  lab->Run("LoadData1");
  EXPECT_EQ(Names().size(), 5u);
  ui.ChooseFilesNext(std::vector<std::string>{reports + "file.rpt"});
  ui.AnswerNext(Answer::No);
  ui.AnswerNext(Answer::No);
  lab->Run("LoadData1");
  EXPECT_EQ(Names(), (std::vector<std::string>{"file 1", "file 3"}));
}

TEST_F(ReportCommandsTest, UnsavedDataIsOfferedForSavingBeforeALoad) {
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  SaveAs(reports + "one.rpt");
  lab->AddObservation(Params("b", At(2026, 12, 9, 21, 0)), Target(5, 20));
  ui.ClearRecords();
  ui.ChooseFilesNext(std::vector<std::string>{reports + "one.rpt"});
  ui.AnswerNext(Answer::Yes);  // save now
  ui.SaveAsNext(reports + "two.rpt");
  ui.AnswerNext(Answer::No);  // overwrite, not merge
  ui.AnswerNext(Answer::No);
  lab->Run("LoadData1");
  ASSERT_EQ(ui.SaveDialogs().size(), 1u);
  EXPECT_EQ(testing::ReadAll(reports + "two.rpt").size(), 1010u + 2 * 343u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a"}));
  EXPECT_EQ(lab->reportFileName, "one.rpt");
}

TEST_F(ReportCommandsTest, CancelledLoadChangesNothing) {
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  ui.ChooseFilesNext(std::nullopt);
  lab->Run("Version101");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(Names().size(), 1u);
  EXPECT_FALSE(lab->reportSaved);
  EXPECT_EQ(lab->oldReportVersion, 0);
}

TEST_F(ReportCommandsTest, TruncatedFileLocksTheLoadsUntilTheReportIsCleared) {
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  lab->AddObservation(Params("b", At(2026, 12, 9, 21, 0)), Target(5, 20));
  SaveAs(reports + "whole.rpt");
  auto bytes = testing::ReadAll(reports + "whole.rpt");
  bytes.resize(1010 + 343 + 100);  // the second record cut short
  testing::WriteAll(reports + "cut.rpt", bytes);
  ui.AnswerNext(Answer::Yes);
  ui.AnswerNext(Answer::Yes);
  lab->Run("ClearData1");
  ui.ClearRecords();
  ui.ChooseFilesNext(std::vector<std::string>{reports + "cut.rpt"});
  ui.AnswerNext(Answer::No);
  lab->Run("LoadData1");
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].text,
            "An error occurred while attempting to load the report data file!\r\nThe file may from a previous "
            "version.  Try \"Load Old Report Data\".\r\n\r\nYou MUST clear the report data before attempting "
            "another load.");
  EXPECT_EQ(ui.Messages()[1].caption, "Error Loading File!");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a"}));  // what was read stays
  EXPECT_TRUE(lab->ReportLoadsLocked());
  EXPECT_FALSE(Enabled("LoadData1"));
  EXPECT_FALSE(Enabled("LoadOldReportData1"));
  EXPECT_TRUE(Enabled("ClearData1"));
  EXPECT_FALSE(lab->Run("LoadData1"));
  lab->Run("Version101");
  lab->Run("N10Version111");
  EXPECT_EQ(ui.OpenDialogs().size(), 1u);
  // Clearing after the failure asks nothing and opens the loads again.
  ui.ClearRecords();
  lab->Run("ClearData1");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(lab->Report()->Empty());
  EXPECT_FALSE(lab->ReportLoadsLocked());
  EXPECT_TRUE(Enabled("LoadData1"));
  EXPECT_TRUE(Enabled("LoadOldReportData1"));
  for (const char* name : {"SaveData1", "ViewEdit1", "ClearData1", "MeanMotion1"}) EXPECT_FALSE(Enabled(name)) << name;
  ui.ChooseFilesNext(std::vector<std::string>{reports + "whole.rpt"});
  lab->Run("LoadData1");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ReportCommandsTest, MissingFileIsToldAndChangesNothing) {
  ui.ChooseFilesNext(std::vector<std::string>{reports + "none.rpt"});
  lab->Run("LoadData1");
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].text,
            "Unable to Open Report Data File!\r\n\r\nFile Name: " + reports + "none.rpt\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages()[1].caption, "Data File Error!");
  EXPECT_FALSE(lab->ReportLoadsLocked());
  EXPECT_TRUE(Enabled("ClearData1"));
  EXPECT_EQ(lab->reportFileName, "");
}

// A report file of a version before 1.0, written field by field from its layout.
std::vector<std::uint8_t> OldFile() {
  ByteWriter out;
  for (const char* t : {"Old Contact", "", "", "", "USA", "old@example.org"}) out.Text(t, 40);
  out.Text("Old Observer", 245);
  out.Text("", 245);
  out.Text("Old Camera", 40);
  for (int i = 0; i < 2; ++i) out.F32(9.0f);
  out.I32(512);
  out.I32(256);
  out.F32(200.0f);
  out.F32(1000.0f);
  out.Bool(false);
  out.U8(1);
  out.Text("Old Site", 40);
  out.Text("688", 3);
  out.Text("Old Scope", 40);
  for (const char* t : {"111", "32", "", "35", "5", ""}) out.Text(t, 10);
  out.Bool(true);
  out.Bool(true);
  out.F32(-111.5f);
  out.F32(35.1f);
  out.F32(2200.0f);
  out.F32(7.0f);
  for (int i = 0; i < 9; ++i) out.Bool(i == 1);  // GSC
  EXPECT_EQ(out.Buffer().size(), 984u);
  auto record = [&out](const char* name, double time, const char* designation, const char* number, bool discovery) {
    out.Text(name, 68);
    out.Text("someone", 68);
    out.Text(designation, 7);
    out.Text(number, 5);
    out.F64(time);
    out.U8(discovery ? 1 : 0);
    out.U8(0);
    ReferenceStar t;
    t.fitRA = 3.5L;
    t.fitDec = 10.25L;
    WriteReferenceStar(out, t);
  };
  record("late", At(2001, 3, 2, 4, 0), "K01E02A", "", true);
  record("early", At(2001, 3, 1, 4, 0), "", "12345", false);
  EXPECT_EQ(out.Buffer().size(), 984u + 2 * 339u);
  return out.Buffer();
}

TEST_F(ReportCommandsTest, OldVersionFileIsConvertedAndSorted) {
  Start([](OptionsRecord& r) { r.oldReportFormat = false; });
  testing::WriteAll(reports + "OLD.RPT", OldFile());
  ui.ChooseFilesNext(std::vector<std::string>{reports + "OLD.RPT"});
  ui.AnswerNext(Answer::Yes);
  ASSERT_TRUE(lab->Run("Version101"));
  ASSERT_EQ(ui.Captions(), (std::vector<std::string>{"Replace Current Parameters?", "Old/Incomplete Data Loaded"}));
  EXPECT_EQ(ui.Messages()[1].text, "Verify User, Camera and Site information before generating report.");
  EXPECT_EQ(Names(), (std::vector<std::string>{"early", "late"}));
  const auto& list = lab->Report()->Observations();
  EXPECT_EQ(list[0].params.number, "0012345");
  EXPECT_EQ(list[1].params.designation, "K01E0002A");
  EXPECT_EQ(list[1].params.note, kNoteDiscovery);
  EXPECT_EQ(lab->Report()->user.contactName, "Old Contact");
  EXPECT_EQ(lab->Report()->site.code, "688");
  EXPECT_EQ(lab->Report()->site.telescopeId, ' ');
  EXPECT_EQ(lab->Report()->camera.timingErrorMs, 0);
  EXPECT_TRUE(lab->Report()->catalogs.gsc);
  EXPECT_EQ(lab->oldReportVersion, 0);
  EXPECT_EQ(lab->reportFileName, "OLD.RPT");
  // Read as a current file, the same bytes fail and lock the loads.
  ui.ClearRecords();
  ui.ChooseFilesNext(std::vector<std::string>{reports + "OLD.RPT"});
  ui.AnswerNext(Answer::No);
  ui.AnswerNext(Answer::No);
  lab->Run("LoadData1");
  EXPECT_EQ(ui.Captions().back(), "Error Loading File!");
  EXPECT_TRUE(lab->ReportLoadsLocked());
}

TEST_F(ReportCommandsTest, VersionOneFileHasTenFlags) {
  lab->AddObservation(Params("one", At(2026, 12, 9, 20, 0)), Target(5, 20));
  auto bytes = SerializeReport(*lab->Report());
  bytes.erase(bytes.begin() + 1009);  // no NOMAD flag
  testing::WriteAll(reports + "v1.rpt", bytes);
  ui.AnswerNext(Answer::Yes);
  ui.AnswerNext(Answer::Yes);
  lab->Run("ClearData1");
  ui.ChooseFilesNext(std::vector<std::string>{reports + "v1.rpt"});
  ui.AnswerNext(Answer::No);
  lab->Run("N10Version111");
  EXPECT_EQ(Names(), (std::vector<std::string>{"one"}));
  EXPECT_EQ(lab->Report()->Observations()[0].target.fitRA, 5.0L);
  EXPECT_FALSE(lab->ReportLoadsLocked());
}

TEST_F(ReportCommandsTest, ClearAsksAccordingToTheSavedState) {
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  lab->Report()->user.observers = "report's own";
  ui.AnswerNext(Answer::No);
  lab->Run("ClearData1");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "You Have Not Saved Your Current Report Data!\r\nYou Will Lose Data if You Clear the Report "
            "Now.\r\n\r\nClear Report Data Anyway?");
  EXPECT_EQ(ui.Messages()[0].caption, "Current Data Not Saved!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Stop);
  EXPECT_EQ(Names().size(), 1u);

  SaveAs(reports + "a.rpt");
  ui.ClearRecords();
  ui.AnswerNext(Answer::Yes);
  ui.AnswerNext(Answer::Yes);  // retain
  lab->Run("ClearData1");
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, "Are You Sure You Want to Clear Your Current Report Data?");
  EXPECT_EQ(ui.Messages()[0].caption, "Verify Data Clear");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Stop);
  EXPECT_EQ(ui.Messages()[1].text,
            "Do You Want to Retain the Current User, Camera, and Site Parameters?\r\n\r\n\"Yes\" => Retain "
            "Current\r\n\"No\"  => Use Defaults");
  EXPECT_EQ(ui.Messages()[1].caption, "Retain Current Parameters?");
  EXPECT_TRUE(lab->Report()->Empty());
  EXPECT_EQ(lab->Report()->user.observers, "report's own");
  EXPECT_EQ(lab->reportFileName, "");
  EXPECT_TRUE(lab->reportSaved);
  for (const char* name : {"SaveData1", "ViewEdit1", "ClearData1"}) EXPECT_FALSE(Enabled(name)) << name;
}

TEST_F(ReportCommandsTest, ExpertModeClearsAfterTheRetainQuestionOnly) {
  Start([](OptionsRecord& r) { r.expertMode = true; });
  lab->reportDir = reports;
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  ui.AnswerNext(Answer::No);
  lab->Run("ClearData1");
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Retain Current Parameters?"}));
  EXPECT_TRUE(lab->Report()->Empty());
}

TEST_F(ReportCommandsTest, SpreadsheetProgramGetsTheFileAsOneArgument) {
  const std::string odd = "my data; \"x\" 'y'.CSV";
  Start([](OptionsRecord& r) { r.spreadsheetProgram = "/opt/sheet prog/calc;rm -rf"; });
  lab->reportDir = reports;
  ui.ChooseFilesNext(std::vector<std::string>{reports + odd});
  ASSERT_TRUE(lab->Run("SpreadSheet1"));
  ASSERT_EQ(ui.OpenDialogs().size(), 1u);
  EXPECT_EQ(ui.OpenDialogs()[0].title, "Select data to pass to spreadsheet.");
  EXPECT_EQ(ui.OpenDialogs()[0].filter,
            "Comma-Separated Values (*.CSV)|*.CSV|Excel Spreadsheets (*.XLS)|*.XLS|All Files (*.*)|*.*");
  EXPECT_EQ(ui.OpenDialogs()[0].defaultExtension, ".CSV");
  EXPECT_EQ(ui.OpenDialogs()[0].directory, reports);
  ASSERT_EQ(ui.Processes().size(), 1u);
  EXPECT_EQ(ui.Processes()[0].program, "/opt/sheet prog/calc;rm -rf");
  EXPECT_EQ(ui.Processes()[0].arguments, (std::vector<std::string>{odd}));
  EXPECT_EQ(ui.Processes()[0].workingDirectory, reports);
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_NE(lab->Launcher(), nullptr);
  EXPECT_EQ(lab->Launcher()->Program(), "/opt/sheet prog/calc;rm -rf");
}

TEST_F(ReportCommandsTest, SecondStartWhileItRunsIsRefused) {
  Start([](OptionsRecord& r) { r.spreadsheetProgram = "calc"; });
  ui.SetProcessesRunning(true);
  ui.ChooseFilesNext(std::vector<std::string>{reports + "a.csv"});
  lab->Run("SpreadSheet1");
  ui.ChooseFilesNext(std::vector<std::string>{reports + "b.csv"});
  lab->Run("SpreadSheet1");
  EXPECT_EQ(ui.Processes().size(), 1u);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "The Spreadsheet Program is Already Running.\r\n\r\nUse Alt-Tab to Scan Current Modules.");
  EXPECT_EQ(ui.Messages()[0].caption, "Module Already Loaded");
  EXPECT_TRUE(ui.Messages()[0].beep);
  // Once it ended the program may start again.
  ui.SetProcessesRunning(false);
  ui.ChooseFilesNext(std::vector<std::string>{reports + "b.csv"});
  lab->Run("SpreadSheet1");
  EXPECT_EQ(ui.Processes().size(), 2u);
  EXPECT_EQ(ui.Processes()[1].arguments, (std::vector<std::string>{"b.csv"}));
}

TEST_F(ReportCommandsTest, CancelledChoiceStartsTheSpreadsheetProgramAlone) {
  Start([](OptionsRecord& r) { r.spreadsheetProgram = "calc"; });
  ui.ChooseFilesNext(std::nullopt);
  lab->Run("SpreadSheet1");
  ASSERT_EQ(ui.Processes().size(), 1u);
  EXPECT_TRUE(ui.Processes()[0].arguments.empty());
  EXPECT_EQ(ui.Processes()[0].workingDirectory, "");
}

TEST_F(ReportCommandsTest, FailedStartNamesTheCode) {
  Start([](OptionsRecord& r) { r.spreadsheetProgram = "calc"; });
  struct Case {
    int code;
    const char* suffix;
  };
  for (const Case c : {Case{2, " - File Not Found"}, Case{5, " - Access Denied"},
                       Case{267, " - Directory Name is Invalid"}, Case{8, " - Not Enough Memory"}, Case{99, ""}}) {
    ui.ClearRecords();
    ui.FailStartNext(c.code);
    ui.ChooseFilesNext(std::vector<std::string>{reports + "a.csv"});
    lab->Run("SpreadSheet1");
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to Execute calc\r\n\r\nCode = " + std::to_string(c.code) + c.suffix);
    EXPECT_EQ(ui.Messages()[0].caption, "Cannot Run Spreadsheet!");
    EXPECT_EQ(lab->Launcher()->Program(), "");
  }
}

TEST_F(ReportCommandsTest, WithoutAProgramTheDesktopOpensTheFile) {
  testing::WriteText(reports + "night 1.csv", "a,b\n");
  ui.ChooseFilesNext(std::vector<std::string>{reports + "night 1.csv"});
  lab->Run("SpreadSheet1");
  ASSERT_EQ(ui.Processes().size(), 1u);
  EXPECT_EQ(ui.Processes()[0].program, "xdg-open");
  EXPECT_EQ(ui.Processes()[0].arguments, (std::vector<std::string>{reports + "night 1.csv"}));
  EXPECT_EQ(ui.Processes()[0].workingDirectory, reports);
  // A file that is not there has no program.
  ui.ChooseFilesNext(std::vector<std::string>{reports + "gone.csv"});
  lab->Run("SpreadSheet1");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Unable to obtain associated processor for \r\ngone.csv\r\n\r\nCode = 2 - File Not Found");
  EXPECT_EQ(ui.Messages()[0].caption, "Cannot Run Spreadsheet!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Exclamation);
  ui.ChooseFilesNext(std::vector<std::string>{root / "nowhere/x.csv"});
  lab->Run("SpreadSheet1");
  EXPECT_EQ(ui.Messages().back().text,
            "Unable to obtain associated processor for \r\nx.csv\r\n\r\nCode = 3 - Path Not Found");
  // Cancelled: nothing to open, nothing said.
  ui.ChooseFilesNext(std::nullopt);
  lab->Run("SpreadSheet1");
  EXPECT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Processes().size(), 1u);
}

TEST_F(ReportCommandsTest, SpreadsheetFormatWritesTheFileAndEnablesAccess) {
  lab->AddObservation(Params("a", At(2026, 12, 9, 20, 0)), Target(5, 20));
  lab->Menus().SetEnabled("SpreadSheet1", false);
  ui.SaveAsNext(reports + "x.csv");
  ASSERT_TRUE(lab->Run("SpreadsheetFormat1"));
  EXPECT_EQ(ui.SaveDialogs()[0].fileName, "Dec9RPT.CSV");
  EXPECT_EQ(ui.SaveDialogs()[0].directory, reports);
  EXPECT_EQ(testing::ReadText(reports + "x.csv").substr(0, 21), "Astrometric Results\n\n");
  EXPECT_TRUE(Enabled("SpreadSheet1"));
}

TEST(ProgramLauncher, FailureSuffixes) {
  EXPECT_EQ(AssociationFailureSuffix(0), " - Out of Memory or Resources");
  EXPECT_EQ(AssociationFailureSuffix(11), " - Error in Associated .EXE File");
  EXPECT_EQ(AssociationFailureSuffix(31), " - No Association for Specified File Type");
  EXPECT_EQ(AssociationFailureSuffix(5), "");
  EXPECT_EQ(RunFailureSuffix(3), " - Path Not Found");
  EXPECT_EQ(RunFailureSuffix(4), " - Too Many Open Files");
  EXPECT_EQ(RunFailureSuffix(11), " - Program Has Incorrect Format");
  EXPECT_EQ(RunFailureSuffix(14), " - Out of Memory");
  EXPECT_EQ(RunFailureSuffix(31), "");
}

}  // namespace
}  // namespace skarvel
