// The help commands as the main window runs them: the topic list at start and
// after the options dialog, "On &Help", "&Topics...", the download help, Back,
// related topics and the text search of the help window.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/astrm_lab.h"
#include "shell/help_system.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"
#include "support/scripted_search.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

const std::string kFixtures = std::string(SKARVEL_TEST_DATA_DIR) + "/help/";

using testing::ScriptedSearch;

class HelpSystemTest : public ::testing::Test {
 protected:
  ScriptedPlatform ui;
  HelpSystem help{ui};
  int shown = 0, hidden = 0;
  std::vector<int> dialogPicks;  ///< lines the scripted topic list dialog chooses (-1: closes)

  void SetUp() override {
    help.SetProgramDir(kFixtures);
    help.SetHelpFiles("VORNHELP.HLP", "");
    HelpViews views;
    views.showWindow = [this] { ++shown; };
    views.hideWindow = [this] { ++hidden; };
    views.runTopicList = [this](HelpListDialogLogic& dialog) {
      const int pick = dialogPicks.front();
      dialogPicks.erase(dialogPicks.begin());
      if (pick < 0) {
        dialog.Select(-1);
        dialog.CloseTopics();
        return false;
      }
      dialog.Select(pick);
      return dialog.ReadPrintTopic(ui) == HelpListDialogLogic::Choice::kChosen;
    };
    help.SetViews(views);
  }
  void LoadList() {
    help.LoadList(kFixtures + "TOOLSHLP.LST");
    ASSERT_NE(help.List(), nullptr);
  }
};

TEST_F(HelpSystemTest, OnHelpShowsItsOwnEntryCaptioned) {
  help.OnHelp();
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(help.WindowVisible());
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(help.Window().Caption(), "Help - On Help");
  EXPECT_EQ(help.Window().Path(), kFixtures + "VORNHELP.HLP");
  ASSERT_EQ(help.Window().Lines().size(), 4u);
  EXPECT_EQ(help.Window().Lines()[1],
            "  How to use the help: choose a topic in \"Help\" -> \"Topics...\" and read it  ");
  EXPECT_EQ(help.Window().HistoryTitles(), std::vector<std::string>{"On Help"});
  EXPECT_FALSE(help.Window().ShowTopicsEnabled());  // no topic list was read
  // "&User" without a user help file: the folder itself is no file.
  help.UserHelp();
  EXPECT_EQ(ui.Captions(), std::vector<std::string>{"Help Not Available"});
  EXPECT_EQ(help.Window().Caption(), "Help - User Help");
}

TEST_F(HelpSystemTest, ShowTopicByTitleWithAndWithoutTheTopic) {
  // Without a topic list: the dialog's activation tells, then the lookup.
  EXPECT_FALSE(help.ShowTopicByTitle("Download the MPC Database"));
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Error", "Help Topic Not Found"}));
  EXPECT_EQ(ui.Messages()[0].text, "No Help List to Display!");
  LoadList();
  ui.ClearRecords();
  help.Search() = SearchDialogState{"typed", true};
  EXPECT_FALSE(help.ShowTopicByTitle("Download the TARNE File"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Cannot find Help topic \"Download the TARNE File\".\r\n\r\nSelect \"Help\"->\"Topics\" and search for "
            "related items.");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Question);
  EXPECT_EQ(help.Search().text, "");  // filled as on activation
  EXPECT_FALSE(help.WindowVisible());
  ui.ClearRecords();
  EXPECT_TRUE(help.ShowTopicByTitle("download the mpc database"));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(help.List()->selectedTopicIndex, 6);
  EXPECT_EQ(help.ListDialog().Selected(), 6);
  EXPECT_EQ(help.Window().Caption(), "Help - Download the MPC Database");
  EXPECT_EQ(help.Window().Lines()[1], "  Open the MPC page, save MPCORB.DAT and convert it with the Convert   ");
  EXPECT_EQ(help.Window().Lines()[2], "  command.  ");
  EXPECT_TRUE(help.Window().ShowTopicsEnabled());
}

TEST_F(HelpSystemTest, TopicsBackTwiceAndRelatedTopics) {
  LoadList();
  // The first from the main window's "&Topics...", the others from the help window.
  dialogPicks = {1, 2, 9};
  help.Topics();
  help.ShowHelpTopics();
  help.ShowHelpTopics();
  EXPECT_EQ(help.Window().HistoryTitles(),
            (std::vector<std::string>{"  Loading Images", "  Blinking", "Single Topic"}));
  EXPECT_EQ(help.Window().Caption(), "Help - Single Topic");
  EXPECT_EQ(hidden, 0);
  EXPECT_TRUE(help.Window().BackEnabled());
  help.Back();
  EXPECT_EQ(help.Window().Caption(), "Help - Blinking");
  EXPECT_EQ(hidden, 1);  // the window closed and showed itself again
  EXPECT_TRUE(help.Window().BackEnabled());
  help.Back();
  EXPECT_EQ(help.Window().Caption(), "Help - Loading Images");
  EXPECT_FALSE(help.Window().BackEnabled());
  EXPECT_EQ(help.Window().HistoryTitles(), std::vector<std::string>{"Single Topic"});
  EXPECT_FALSE(help.Window().recordInHistory);
  help.Back();  // disabled: nothing
  EXPECT_EQ(hidden, 2);
  // A related topic is recorded again.
  help.RelatedTopic(5);  // "Blinking"
  EXPECT_EQ(help.Window().Caption(), "Help - Blinking");
  EXPECT_EQ(help.Window().HistoryTitles(), (std::vector<std::string>{"Single Topic", "  Blinking"}));
  EXPECT_TRUE(help.Window().BackEnabled());
  EXPECT_TRUE(ui.Messages().empty());
  // A heading in the dialog only names itself; closing the dialog shows nothing.
  dialogPicks = {4, -1};
  help.Topics();
  EXPECT_EQ(ui.Captions(), std::vector<std::string>{"Topic Heading"});
  help.ShowHelpTopics();
  EXPECT_EQ(help.List()->selectedTopicIndex, -1);
  EXPECT_EQ(help.Window().Caption(), "Help - Blinking");
  // "Show Help &Topics..." records and loads at once, the window staying open.
  dialogPicks = {7};
  const int hiddenBefore = hidden;
  help.ShowHelpTopics();
  EXPECT_EQ(help.Window().Caption(), "Help - Download the MPC Comet File");
  EXPECT_EQ(hidden, hiddenBefore);
  EXPECT_EQ(help.Window().HistoryTitles().back(), "  Download the MPC Comet File");
  // Closing by hand forgets the history.
  help.CloseWindow();
  EXPECT_FALSE(help.WindowVisible());
  EXPECT_TRUE(help.Window().HistoryTitles().empty());
}

TEST_F(HelpSystemTest, SearchTextJoinsEachLineWithTheNext) {
  LoadList();
  ASSERT_TRUE(help.ShowTopicByTitle("Blinking"));
  // Lines: " ", "  The blink window ...  ", "  Search for \"moving object\" ... changes  ",
  //        "  its place from image to image.  ", " ".
  ScriptedSearch s;
  s.steps = {{SearchStart::FromTop, "its place"},
             {SearchStart::FromTop, "changes   its"},
             {SearchStart::FromCursor, "MOVING OBJECT"}};
  help.SearchText(s);
  EXPECT_EQ(help.Window().Selected(), 3);  // the match starts in line 3's part
  help.SearchText(s);
  EXPECT_EQ(help.Window().Selected(), 2);  // it starts in line 2's part
  EXPECT_TRUE(ui.Messages().empty());
  help.SearchText(s);  // from line 3 on: not found, the text as typed
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "\"MOVING OBJECT\" Not Found.");
  EXPECT_EQ(ui.Messages()[0].caption, "String Not Found");
  EXPECT_EQ(help.Window().Selected(), 2);
  EXPECT_EQ(s.captions, std::vector<std::string>(3, "Find Help Item"));
}

// ---- the main window ----

class HelpCommandsTest : public ::testing::Test {
 protected:
  TempDir root;
  ScriptedPlatform ui;
  AstrmLabEnvironment env = testing::LabEnvironment(root);

  void InstallHelp() {
    for (const char* name : {"TOOLSHLP.LST", "VORNHELP.HLP", "download.hlp", "images.hlp", "toolshlp.txt"})
      testing::WriteText(env.storage.programDir + name, testing::ReadText(kFixtures + name));
  }
};

TEST_F(HelpCommandsTest, TheListIsReadAtStartAndAfterTheOptionsDialog) {
  // Without the list file: both messages at start, "&Topics..." enabled but empty.
  std::remove((env.storage.programDir + "TOOLSHLP.LST").c_str());
  {
    AstrmLab lab(ui, env);
    ASSERT_EQ(lab.Create(), AstrmLab::StartResult::Running);
    EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Help File Error", "File Error"}));
    EXPECT_EQ(lab.Help().List(), nullptr);
    ui.ClearRecords();
    ASSERT_TRUE(lab.Run("HelponMPCdownload1"));
    EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Error", "Help Topic Not Found"}));
    lab.closeConfirmed = true;
  }
  ui.ClearRecords();
  InstallHelp();
  AstrmLab lab(ui, env);
  ASSERT_EQ(lab.Create(), AstrmLab::StartResult::Running);
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_NE(lab.Help().List(), nullptr);
  EXPECT_EQ(lab.Help().List()->Size(), 13u);
  EXPECT_TRUE(lab.Available("OnHelp1"));
  EXPECT_TRUE(lab.Available("Topics1"));
  EXPECT_FALSE(lab.Available("User1"));  // no user help file by default
  ASSERT_TRUE(lab.Run("OnHelp1"));
  EXPECT_EQ(lab.Help().Window().Caption(), "Help - On Help");
  EXPECT_EQ(lab.Help().Window().Directory(), lab.Options().programDir);
  ASSERT_TRUE(lab.Run("HelponLowelldownload1"));
  EXPECT_EQ(lab.Help().Window().Caption(), "Help - Download the Lowell Database");
  EXPECT_TRUE(ui.Messages().empty());
  // The options dialog changes the list's name: the new list is read.
  testing::WriteText(env.storage.programDir + "OTHER.LST", "\"Only\" \"download.hlp\"\n");
  lab.Options().optionsAccess = true;
  lab.EnterSession();
  AstrmLabViews views;
  views.options = [](OptsObj& opts) {
    opts.Record().toolHelpList = "OTHER.LST";
    opts.Record().userHelpFile = "VORNHELP.HLP";
    return OptionsDialogResult{true};
  };
  lab.SetViews(views);
  ui.AnswerNext(Answer::No);  // not saved
  ASSERT_TRUE(lab.Run("Options1"));
  ASSERT_NE(lab.Help().List(), nullptr);
  EXPECT_EQ(lab.Help().List()->Size(), 1u);
  EXPECT_TRUE(lab.Available("User1"));
  ASSERT_TRUE(lab.Run("User1"));
  EXPECT_EQ(lab.Help().Window().Caption(), "Help - User Help");
  // The open window keeps its copy of the topic while the list was read again.
  lab.Help().ObsParamsHelp();
  EXPECT_EQ(lab.Help().Window().Caption(), "Help - Set Object Information Parameters");
  EXPECT_EQ(lab.Help().Window().Lines()[1],
            "  Enter the object name, its number or its provisional designation here.  ");
  EXPECT_EQ(ui.Captions(), std::vector<std::string>{"Save Option Changes?"});
  lab.closeConfirmed = true;
}

}  // namespace
}  // namespace skarvel
