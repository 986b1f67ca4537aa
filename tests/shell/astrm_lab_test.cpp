#include "shell/astrm_lab.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundations/date_time.h"
#include "images/fits_file.h"
#include "shell/orbit_screen.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

class AstrmLabTest : public ::testing::Test {
 protected:
  TempDir root;
  std::string programDir = skarvel::testing::MakeProgramDir(root);
  std::string dataDir = root.MakeDir("work");
  ScriptedPlatform ui;
  double now = *EncodeDateTime(2026, 12, 9, 21, 0, 0.0L);

  AstrmLabEnvironment Env(const std::string& args = "") {
    AstrmLabEnvironment env;
    env.storage.programDir = programDir;
    env.storage.currentDir = dataDir;
    env.storage.perUserDir = root / "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root / "no-mounts";
    env.commandArguments = args;
    env.clock = [this] { return now; };
    return env;
  }

  // A main window started on this installation with the options file as `setup` leaves it.
  std::unique_ptr<AstrmLab> Started(const std::function<void(OptionsRecord&)>& setup = {},
                                    const std::string& args = "") {
    if (setup) {
      ScriptedPlatform quiet;
      OptsObj opts("ASTROPTS.INI", "1.330", Env().storage, quiet);
      EXPECT_TRUE(opts.Start());
      setup(opts.Record());
      EXPECT_TRUE(opts.Write(dataDir));
    }
    auto lab = std::make_unique<AstrmLab>(ui, Env(args));
    EXPECT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    return lab;
  }

  std::unique_ptr<GraphicsFileObj> LoadedImage(const std::string& path) {
    ScriptedPlatform quiet;
    auto image = std::make_unique<FITSFileObj>(ImageLoadContext{&quiet, dataDir, 0, nullptr, nullptr});
    EXPECT_TRUE(image->Load(path));
    return image;
  }

  static bool Visible(AstrmLab& lab, const std::string& name) { return lab.Menus().At(name).visible; }
  static bool Enabled(AstrmLab& lab, const std::string& name) { return lab.Menus().At(name).enabled; }
};

TEST_F(AstrmLabTest, MenuStatesAfterStartUp) {
  auto lab = Started();
  EXPECT_EQ(lab->ScreenMode(), AstrmLab::kTitleScreen);
  EXPECT_TRUE(lab->optionsUnlocked);
  for (const char* name : {"Preferences1", "PrefSeparator", "Report1", "OrbitSearch1", "Ephemeris1"})
    EXPECT_TRUE(Visible(*lab, name)) << name;
  for (const char* name : {"ShortFormat1", "LongFormat1", "SearchTARNEOrbitFile1", "TARNEOrbitFile1"})
    EXPECT_FALSE(Visible(*lab, name)) << name;
  for (const char* name : {"ImageFileType1", "LoadImages1", "LoadImg1", "MultipleLoad1", "DownloadOrbitDatabase1",
                           "OtherURLs1", "Report1", "OrbitSearch1", "Ephemeris1", "SpreadSheet1", "Preferences1",
                           "LoadData1", "Baseline1", "OnHelp1", "Topics1", "TrackStack1"})
    EXPECT_TRUE(Enabled(*lab, name)) << name;
  for (const char* name : {"ClearImages1", "LoadImg2", "LoadImg3", "LoadImg4", "SaveUpdates1", "Images1", "MeasImg1",
                           "Blink1", "ViewEdit1", "SaveData1", "ClearData1", "ShowSearchResults1", "GenEphem1",
                           "ViewEphText1", "User1", "MeanMotion1"})
    EXPECT_FALSE(Enabled(*lab, name)) << name;
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(lab->imageDir, dataDir);
  EXPECT_EQ(lab->findOrbDir, dataDir);
  EXPECT_EQ(lab->reportDir, "");
  EXPECT_EQ(lab->Login().studentName1, "Demonstration");
  EXPECT_EQ(lab->Login().loginId, "DEMO");
  ASSERT_NE(lab->Report(), nullptr);
  EXPECT_EQ(lab->Report()->site.code, "695");
}

TEST_F(AstrmLabTest, WithoutOptionsAccessThePreferencesStayHiddenAndLocked) {
  auto lab = Started([](OptionsRecord& r) { r.optionsAccess = false; });
  EXPECT_FALSE(Visible(*lab, "Preferences1"));
  EXPECT_FALSE(Visible(*lab, "PrefSeparator"));
  EXPECT_FALSE(lab->optionsUnlocked);
  EXPECT_TRUE(lab->Available("Preferences2"));
  EXPECT_TRUE(lab->Run("Preferences2"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "INSTRUCTOR: Many features of this software are controlled by\r\noption switches and parameters that "
            "enable you to tailor the\r\nexercise to your own needs and preferences.\r\n\r\nSee the technical "
            "documentation for details and instructions!");
  EXPECT_EQ(ui.Messages()[0].caption, "USER OPTIONS!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Exclamation);
}

TEST_F(AstrmLabTest, UnlockedPreferencesOpenTheOptionsDialogAndEnterTheSessionAgain) {
  auto lab = Started();
  // Until the options dialog exists the command cannot be chosen.
  EXPECT_FALSE(lab->Available("Options1"));
  int released = 0;
  AstrmLabViews views;
  views.options = [](OptsObj& opts) {
    opts.Record().magLimit = 16.0f;
    opts.Record().siteRecord.code = "G96";
    return OptionsDialogResult{true, false, false, true};
  };
  views.releaseReferenceField = [&] { ++released; };
  lab->SetViews(views);
  ui.AnswerNext(Answer::Yes);  // save the changed options
  ASSERT_TRUE(lab->Run("Options1"));
  EXPECT_EQ(lab->Options().magLimit, 16.0f);
  EXPECT_EQ(lab->Report()->site.code, "G96");
  EXPECT_EQ(released, 1);
  EXPECT_FALSE(lab->optionsChanged);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Save Option Changes?");
  // One Login entry for the run, whatever the dialog did.
  const std::string log = testing::ReadText(dataDir + "VORNLOG.LOG");
  EXPECT_EQ(log.find("\nLogin: "), std::string::npos);
}

TEST_F(AstrmLabTest, TheOptionsDialogStartsFromTheWorkingCopyAndKeepsItsUnsavedChanges) {
  auto lab = Started({}, "ORBFL=/orbits/marlo_ast.cmo");
  const std::string orbitFile = lab->Options().orbitFileArg;
  ASSERT_FALSE(orbitFile.empty());
  // A change of the session not saved (the person answered No).
  lab->Options().fieldSize = 26.0f;
  float seenSize = 0;
  std::string seenOrbitFile;
  AstrmLabViews views;
  views.options = [&](OptsObj& opts) {
    seenSize = opts.Record().fieldSize;
    seenOrbitFile = opts.Record().orbitFileArg;
    opts.Record().expertMode = true;  // saves without asking
    return OptionsDialogResult{true, false, false, false};
  };
  lab->SetViews(views);
  ASSERT_TRUE(lab->Run("Options1"));
  EXPECT_EQ(seenSize, 26.0f);
  EXPECT_EQ(seenOrbitFile, orbitFile);
  EXPECT_EQ(lab->Options().fieldSize, 26.0f);
  EXPECT_EQ(lab->Options().orbitFileArg, orbitFile);
  EXPECT_TRUE(lab->Options().expertMode);
  // Cancelled, the working copy stays as it is.
  views.options = [](OptsObj& opts) {
    opts.Record().magLimit = 9.0f;
    opts.Record() = OptionsRecord{};  // whatever a cancelled dialog leaves behind
    return OptionsDialogResult{};
  };
  lab->SetViews(views);
  ASSERT_TRUE(lab->Run("Options1"));
  EXPECT_EQ(lab->Options().magLimit, 20.0f);
  EXPECT_EQ(lab->Options().orbitFileArg, orbitFile);
}

TEST_F(AstrmLabTest, ScreenSmallerThan800x600EndsTheProgram) {
  for (auto [w, h] : {std::pair{799, 600}, std::pair{800, 599}}) {
    ScriptedPlatform small;
    small.SetScreen(w, h);
    AstrmLab lab(small, Env());
    EXPECT_EQ(lab.Create(), AstrmLab::StartResult::ScreenTooSmall);
    ASSERT_EQ(small.Messages().size(), 1u);
    EXPECT_EQ(small.Messages()[0].text,
              "You Cannot Run the \"Skarvel\" Software\r\nWith a Screen Resolution of Less Than 800x600 "
              "Pixels!\r\n\r\nSee Windows Help for information on changing the screen resolution.");
    EXPECT_EQ(small.Messages()[0].caption, "Screen Resolution Not Adequate!");
    EXPECT_EQ(small.Messages()[0].icon, Icon::Error);
  }
  ScriptedPlatform exact;
  exact.SetScreen(800, 600);
  AstrmLab lab(exact, Env());
  EXPECT_EQ(lab.Create(), AstrmLab::StartResult::Running);
}

TEST_F(AstrmLabTest, CommandLineArgumentsSetImagePathAndTarneItems) {
  {
    auto lab = Started([](OptionsRecord& r) { r.imagePath = "/nights/a/"; });
    EXPECT_EQ(lab->Options().imagePath, "/nights/a/");
    EXPECT_EQ(lab->imageDir, "/nights/a/");
    EXPECT_EQ(lab->reportDir, "/nights/a/");
    EXPECT_EQ(lab->lastImageDir, "/nights/a/");
    lab->Close();
  }
  {
    auto lab = Started({}, "ORBFL=/orbits/marlo_ast.cmo more");
    EXPECT_EQ(lab->Options().imagePath, dataDir);
    EXPECT_EQ(lab->imageDir, dataDir);
    EXPECT_EQ(lab->Options().orbitFileArg, "/ORBITS/MARLO_AST.CMO");
    EXPECT_TRUE(Visible(*lab, "SearchTARNEOrbitFile1"));
    EXPECT_TRUE(Visible(*lab, "TARNEOrbitFile1"));
  }
}

TEST_F(AstrmLabTest, CloseQueryTexts) {
  {
    auto lab = Started();
    ui.AnswerNext(Answer::No);
    EXPECT_FALSE(lab->CloseQuery());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Close Astrometry Program Now?");
    EXPECT_EQ(ui.Messages()[0].caption, "Verify Exit");
    EXPECT_EQ(ui.Messages()[0].icon, Icon::Question);
    EXPECT_EQ(ui.Messages()[0].buttons, Buttons::YesNo);
    EXPECT_FALSE(lab->closeConfirmed);
    lab->reportSaved = false;
    ui.AnswerNext(Answer::Yes);
    EXPECT_TRUE(lab->CloseQuery());
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[1].text,
              "You Have Not Saved Your Report Data.\r\nYou Will Lose Measurement Data if You Exit Now!\r\n\r\nClose "
              "Program Anyway?");
    EXPECT_EQ(ui.Messages()[1].caption, "New/Modified Data Not Saved!");
    EXPECT_EQ(ui.Messages()[1].icon, Icon::Stop);
    // Once agreed, closing is not asked again.
    EXPECT_TRUE(lab->CloseQuery());
    EXPECT_EQ(ui.Messages().size(), 2u);
  }
}

TEST_F(AstrmLabTest, ExpertModeSuppressesSaveQuestionsButNotTheCloseQuery) {
  auto lab = Started([](OptionsRecord& r) { r.expertMode = true; });
  ui.ClearRecords();
  lab->Options().fieldSize = 33.0f;
  lab->NoteOptionsChanged();
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_FALSE(lab->optionsChanged);
  EXPECT_FALSE(Enabled(*lab, "SaveUpdates1"));
  EXPECT_GT(ui.BusyCalls(), 0);
  EXPECT_EQ(ui.BusyDepth(), 0);
  ui.AnswerNext(Answer::No);
  EXPECT_FALSE(lab->CloseQuery());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Verify Exit");
  // The change is on disk.
  ScriptedPlatform quiet;
  OptsObj check("ASTROPTS.INI", "1.330", Env().storage, quiet);
  ASSERT_TRUE(check.Start());
  EXPECT_EQ(check.Record().fieldSize, 33.0f);
}

TEST_F(AstrmLabTest, SaveUpdatesAsksAndOnNoKeepsTheChangePending) {
  auto lab = Started();
  lab->Options().magLimit = 19.0f;
  ui.AnswerNext(Answer::No);
  lab->NoteOptionsChanged();
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Save Updated Parameters in " + dataDir + "ASTROPTS.INI?");
  EXPECT_EQ(ui.Messages()[0].caption, "Save Option Changes?");
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::YesNo);
  EXPECT_TRUE(lab->optionsChanged);
  EXPECT_TRUE(Enabled(*lab, "SaveUpdates1"));
  EXPECT_FALSE(testing::Exists(dataDir + "ASTROPTS.INI"));
  // "&Save Updates" asks again; Yes writes the file.
  ui.AnswerNext(Answer::Yes);
  ASSERT_TRUE(lab->Run("SaveUpdates1"));
  EXPECT_FALSE(lab->optionsChanged);
  EXPECT_FALSE(Enabled(*lab, "SaveUpdates1"));
  EXPECT_TRUE(testing::Exists(dataDir + "ASTROPTS.INI"));
  EXPECT_FALSE(lab->Available("SaveUpdates1"));
}

TEST_F(AstrmLabTest, ClosingSavesChangedOptions) {
  auto lab = Started();
  lab->Options().magLimit = 19.0f;
  ui.AnswerNext(Answer::No);  // not now
  lab->NoteOptionsChanged();
  ui.AnswerNext(Answer::Yes);  // close
  ui.AnswerNext(Answer::Yes);  // save now
  EXPECT_TRUE(lab->CloseQuery());
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Save Option Changes?", "Verify Exit", "Save Option Changes?"}));
  EXPECT_FALSE(lab->optionsChanged);
  EXPECT_TRUE(testing::Exists(dataDir + "ASTROPTS.INI"));
}

TEST_F(AstrmLabTest, ClosingAsksNothingForOptionsTheFileAlreadyHolds) {
  auto lab = Started([](OptionsRecord& r) { r.magLimit = 17.5f; });
  // Changed, not saved, changed back: the file holds the working copy.
  lab->Options().magLimit = 19.0f;
  ui.AnswerNext(Answer::No);
  lab->NoteOptionsChanged();
  lab->Options().magLimit = 17.5f;
  ASSERT_TRUE(lab->optionsChanged);
  ui.AnswerNext(Answer::Yes);  // close
  EXPECT_TRUE(lab->CloseQuery());
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Save Option Changes?", "Verify Exit"}));
  EXPECT_FALSE(lab->optionsChanged);
  EXPECT_EQ(ui.Unanswered(), 0);
}

TEST_F(AstrmLabTest, ClosingAsksForOptionsSavedAndChangedAgain) {
  auto lab = Started();
  lab->Options().magLimit = 19.0f;
  ui.AnswerNext(Answer::Yes);  // saved at once
  lab->NoteOptionsChanged();
  EXPECT_FALSE(lab->optionsChanged);
  lab->Options().magLimit = 20.0f;  // a change after the save, e.g. the image folder's
  lab->optionsChanged = true;
  ui.AnswerNext(Answer::Yes);  // close
  ui.AnswerNext(Answer::No);   // the new change is offered
  EXPECT_TRUE(lab->CloseQuery());
  EXPECT_EQ(ui.Captions(),
            (std::vector<std::string>{"Save Option Changes?", "Verify Exit", "Save Option Changes?"}));
}

TEST_F(AstrmLabTest, RecordingAMeasurementWarnsReplacesAndAdds) {
  auto lab = Started();
  ReferenceStar first;
  first.fitRA = 10.5L;
  ReferenceStar second = first;
  second.fitRA = 10.6L;
  ObsParams params;
  params.observationTime = 47000.25;
  // Nothing names the object: asked first, No records nothing.
  ui.AnswerNext(Answer::No);
  EXPECT_FALSE(lab->RecordMeasurement(0, params, first, false));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "No Object Identification!");
  EXPECT_EQ(ui.Messages()[0].text,
            "This measurement has no Number, no Designation and no Object Name.\r\nIts report line would name no "
            "object, and the Minor Planet Center would refuse it.\r\n\r\nRecord it anyway?");
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::YesNo);
  EXPECT_EQ(lab->Report()->Count(), 0u);
  // Named by the Number alone: no question.
  params.number = "1620";
  ui.ClearRecords();
  EXPECT_TRUE(lab->RecordMeasurement(0, params, first, false));
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_EQ(lab->Report()->Count(), 1u);
  // Solved again: the image's observation is replaced when the person agrees.
  ui.AnswerNext(Answer::No);
  EXPECT_FALSE(lab->RecordMeasurement(0, params, second, true));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Replace Measurement?");
  EXPECT_EQ(ui.Messages()[0].text,
            "The report list already holds the measurement of the target from Image 1.\r\n\r\nReplace it with "
            "the new measurement?");
  ASSERT_EQ(lab->Report()->Count(), 1u);
  EXPECT_EQ(lab->Report()->Observations()[0].target.fitRA, 10.5L);
  ui.AnswerNext(Answer::Yes);
  EXPECT_TRUE(lab->RecordMeasurement(0, params, second, true));
  ASSERT_EQ(lab->Report()->Count(), 1u);
  EXPECT_EQ(lab->Report()->Observations()[0].target.fitRA, 10.6L);
  EXPECT_FALSE(lab->reportSaved);
  // A new target on the same image (not to replace) and another slot are added.
  ui.ClearRecords();
  EXPECT_TRUE(lab->RecordMeasurement(0, params, first, false));
  EXPECT_TRUE(lab->RecordMeasurement(1, params, first, true));  // slot 2 has recorded nothing yet
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(lab->Report()->Count(), 3u);
  EXPECT_TRUE(Enabled(*lab, "MeanMotion1"));
  // The observation deleted from the report meanwhile: nothing to replace, no question.
  lab->Report()->DeleteObservation(0);
  lab->Report()->DeleteObservation(0);
  lab->Report()->DeleteObservation(0);
  EXPECT_TRUE(lab->RecordMeasurement(0, params, second, true));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(lab->Report()->Count(), 1u);
  EXPECT_EQ(ui.Unanswered(), 0);
}

TEST_F(AstrmLabTest, AdministratorSavesAlsoForAllUsers) {
  auto lab = Started();
  lab->Options().administrator = true;
  lab->Options().magLimit = 18.0f;
  ui.AnswerNext(Answer::Yes);
  ui.AnswerNext(Answer::No);  // not for all users yet
  lab->NoteOptionsChanged();
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].text, "Save Updated Parameters in " + programDir + "ASTROPTS.INI?");
  EXPECT_EQ(ui.Messages()[1].caption, "Use As Defaults for All Users?");
  EXPECT_TRUE(lab->saveAsDefaults);
  EXPECT_FALSE(testing::Exists(programDir + "ASTROPTS.INI"));
  // The pending request is asked again at close, without the first question.
  ui.AnswerNext(Answer::Yes);  // close
  ui.AnswerNext(Answer::Yes);  // all users
  EXPECT_TRUE(lab->CloseQuery());
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Save Option Changes?", "Use As Defaults for All Users?",
                                                     "Verify Exit", "Use As Defaults for All Users?"}));
  EXPECT_FALSE(lab->saveAsDefaults);
  ASSERT_TRUE(testing::Exists(programDir + "ASTROPTS.INI"));
  EXPECT_EQ(testing::ReadAll(programDir + "ASTROPTS.INI"), testing::ReadAll(dataDir + "ASTROPTS.INI"));
}

TEST_F(AstrmLabTest, AFailedAllUsersCopyClearsTheAdministratorSwitch) {
  auto lab = Started();
  std::filesystem::remove_all(programDir);  // the program directory is gone: the copy cannot be made
  lab->Options().administrator = true;
  lab->Opts()->Record().administrator = true;
  ui.AnswerNext(Answer::Yes);
  ui.AnswerNext(Answer::Yes);
  lab->NoteOptionsChanged();
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Save Option Changes?", "Use As Defaults for All Users?",
                                                     "Options File Error!"}));
  EXPECT_FALSE(lab->Options().administrator);
  EXPECT_FALSE(lab->Opts()->Record().administrator);
  EXPECT_FALSE(lab->saveAsDefaults);
}

TEST_F(AstrmLabTest, AFailedSaveLeavesTheChangesMarked) {
  auto lab = Started();
  std::filesystem::remove_all(dataDir);
  ui.AnswerNext(Answer::Yes);
  lab->NoteOptionsChanged();
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Save Option Changes?", "Options File Error!"}));
  EXPECT_TRUE(lab->optionsChanged);
  EXPECT_TRUE(Enabled(*lab, "SaveUpdates1"));
}

TEST_F(AstrmLabTest, SessionLogHasLoginAtStartAndLogoutAtClose) {
  auto lab = Started();
  const std::string path = dataDir + "VORNLOG.LOG";
  EXPECT_EQ(testing::ReadText(path).rfind("Login: VORN_AST\nDate: 12/09/2026\nTime: 21:00:00.00\n", 0), 0u);
  now += 26.0 / 24.0;
  lab->Close();
  const std::string text = testing::ReadText(path);
  EXPECT_NE(text.find("Logout: VORN_AST\nDate: 12/10/2026\nTime: 23:00:00.00\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Elapsed Time: 1Days,  2:00:00.00\nEndLogout: VORN_AST\n"), std::string::npos) << text;
}

TEST_F(AstrmLabTest, LogFileOptionWithADirectoryIsUsedAsItStands) {
  const std::string logDir = root.MakeDir("logs");
  auto lab = Started([&](OptionsRecord& r) { r.logFile = logDir + "lab.log"; });
  lab->Close();
  EXPECT_TRUE(testing::Exists(logDir + "lab.log"));
  EXPECT_FALSE(testing::Exists(dataDir + "VORNLOG.LOG"));
}

TEST_F(AstrmLabTest, LockSlotGuardsTheLoadCommands) {
  auto lab = Started();
  lab->LockSlot(2, true);
  EXPECT_FALSE(Enabled(*lab, "LoadImg3"));
  EXPECT_FALSE(Enabled(*lab, "ImageFileType1"));
  EXPECT_FALSE(Enabled(*lab, "ClearImages1"));
  EXPECT_FALSE(Enabled(*lab, "Preferences1"));
  EXPECT_FALSE(Enabled(*lab, "MultipleLoad1"));
  lab->LockSlot(2, false);
  EXPECT_TRUE(Enabled(*lab, "LoadImg3"));
  EXPECT_TRUE(Enabled(*lab, "MultipleLoad1"));
  // A loaded slot 1 keeps "&Multiple Load" off; a running blink keeps every slot locked.
  testing::WriteMiniFits(dataDir + "one.fits", 4, 4);
  lab->Slots()[0].image = LoadedImage(dataDir + "one.fits");
  lab->LockSlot(0, false);
  EXPECT_FALSE(Enabled(*lab, "MultipleLoad1"));
  EXPECT_TRUE(Enabled(*lab, "LoadImg1"));
  lab->blinkRunning = [] { return true; };
  lab->LockSlot(1, false);
  EXPECT_FALSE(Enabled(*lab, "LoadImg2"));
  lab->LockSlot(7, true);  // no such slot: nothing happens
}

TEST_F(AstrmLabTest, MenusSwitchOrbitViewAndShowTheFormatItems) {
  auto lab = Started();
  int repaints = 0;
  AstrmLabViews views;
  views.repaint = [&] { ++repaints; };
  lab->SetViews(views);
  lab->MenuOpened("OrbitSearch1");
  EXPECT_TRUE(lab->orbitView);
  lab->MenuOpened("Ephemeris1");
  EXPECT_EQ(repaints, 1);
  lab->MenuOpened("Images1");
  EXPECT_FALSE(lab->orbitView);
  EXPECT_EQ(repaints, 2);
  lab->MenuOpened("ViewEdit1");
  EXPECT_TRUE(Visible(*lab, "ShortFormat1"));
  EXPECT_TRUE(Visible(*lab, "LongFormat1"));
}

TEST_F(AstrmLabTest, WebPagesOpenWithTheBusyCursor) {
  auto lab = Started();
  ASSERT_TRUE(lab->Run("MinorPlanetCenter1"));
  ASSERT_TRUE(lab->Run("ProjectPluto1"));
  EXPECT_EQ(ui.WebPages(), (std::vector<std::string>{lab->Options().mpcURL, lab->Options().pPlutoURL}));
  EXPECT_EQ(ui.BusyDepth(), 0);
  EXPECT_GE(ui.BusyCalls(), 4);
  // A built command without its window runs and shows nothing.
  const std::size_t messages = ui.Messages().size();
  EXPECT_TRUE(lab->Menus().At("Baseline1").enabled);
  EXPECT_TRUE(lab->Run("Baseline1"));
  EXPECT_EQ(ui.Messages().size(), messages);
}

TEST_F(AstrmLabTest, WorkScreenListsLoadedSlots) {
  auto lab = Started();
  const std::string shortPath = root.MakeDir("nights") + "field_0001.fits";
  const std::string longDir = root.MakeDir("a-very-long-path-" + std::string(150, 'x'));
  testing::WriteMiniFits(shortPath, 4, 4);
  testing::WriteMiniFits(longDir + "img4.fit", 4, 4);
  lab->Slots()[0].image = LoadedImage(shortPath);
  lab->Slots()[3].image = LoadedImage(longDir + "img4.fit");
  auto width = [](const std::string& s) { return static_cast<int>(s.size()) * 7; };
  auto lines = lab->WorkScreenLines(634, width, 13);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].text, "** Image 1 **");
  EXPECT_EQ(lines[0].y, 20);
  // The state stands beside the heading, 15 pixels after it.
  EXPECT_EQ(lines[1].text, "not measured");
  EXPECT_EQ(lines[1].x, 20 + 13 * 7 + 15);
  EXPECT_EQ(lines[1].y, 20);
  EXPECT_EQ(lines[2].text, "File Name: " + shortPath);
  EXPECT_EQ(lines[2].y, 20 + 13 + 5);
  EXPECT_EQ(lines[3].text, "** Image 4 **");
  EXPECT_EQ(lines[3].y, 185);
  EXPECT_EQ(lines[5].text, "File Name: img4.fit");
  EXPECT_EQ(lines[6].text, "The report holds no observations.");
  EXPECT_EQ(lines[6].x, 20);
  // Below the last file name (y 203, 13 high) with 10 pixels between, and
  // ending 31 pixels above the elements panel (y 270).
  EXPECT_EQ(lines[6].y, 226);
  EXPECT_LT(lines[6].y + 13, kPanelTop);
  // The window tells how far each image has come; the report counts its observations.
  lab->Views().slotMeasurement = [](int slot) {
    return slot == 0 ? SlotMeasurement::kInReport : SlotMeasurement::kSolved;
  };
  ObsParams params;
  params.objectName = "Eros";
  lab->AddObservation(params, ReferenceStar{});
  lines = lab->WorkScreenLines(634, width, 13);
  EXPECT_EQ(lines[1].text, "measured, in the report");
  EXPECT_EQ(lines[4].text, "measured, not in the report");
  EXPECT_EQ(lines[6].text, "The report holds 1 observation.");
  lab->AddObservation(params, ReferenceStar{});
  EXPECT_EQ(lab->WorkScreenLines(634, width, 13).back().text, "The report holds 2 observations.");
  // Without images the report line alone remains; in orbit view nothing.
  lab->Slots()[0].image.reset();
  lab->Slots()[3].image.reset();
  lines = lab->WorkScreenLines(634, width, 13);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "The report holds 2 observations.");
  lab->orbitView = true;
  EXPECT_TRUE(lab->WorkScreenLines(634, width, 13).empty());
}

TEST_F(AstrmLabTest, NoWritableStorageEndsTheStart) {
  testing::WriteText(root / "file", "x");
  AstrmLabEnvironment env = Env();
  env.storage.currentDir = root / "gone/";
  env.storage.perUserDir = root / "file/VORN/Toolkit/";
  ui.AnswerNext(Answer::Cancel);
  AstrmLab lab(ui, env);
  EXPECT_EQ(lab.Create(), AstrmLab::StartResult::NoStorage);
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Write-Enabled Storage Required"}));
}

TEST(AstrmLabAbout, Texts) {
  const auto about = AstrmLab::About();
  EXPECT_EQ(about.caption, "About This Software");
  EXPECT_EQ(about.version, "Version 1.330");
  EXPECT_EQ(about.exercise, "Skarvel");
}

}  // namespace
}  // namespace skarvel
