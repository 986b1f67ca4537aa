// The record finder, comet, statistics and download items of the main
// window's menus, wired to their commands: what each asks, shows and leaves
// as the current elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orbits/download_commands.h"
#include "orbits/orbit_statistics.h"
#include "shell/astrm_lab.h"
#include "support/field_bodies.h"
#include "support/scripted_list_runner.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using testing::ScriptedListRunner;
using testing::ScriptedPlatform;
using testing::TempDir;

constexpr long double kJD = 2461192.5L;

class OrbitToolCommands : public ::testing::Test {
 protected:
  TempDir root;
  std::string dataDir = root.Path() + "work/";
  std::string lowellDir = root.MakeDir("lowell");
  std::string mpcDir = root.MakeDir("mpc");
  ScriptedPlatform ui;
  ScriptedListRunner lists{ui};
  std::unique_ptr<AstrmLab> lab;
  std::function<bool(RecordFinder&)> finderView;
  int cometsShown = 0, cometsHidden = 0, statisticsShown = 0;

  void SetUp() override {
    OrbitElements ceres = testing::BodySeenAt("Ceres", kJD, 150, 20);
    ceres.designation = "1";
    OrbitElements eros = testing::BodySeenAt("Eros", kJD, 170, 20);
    eros.designation = "433";
    testing::WriteConvertedFile(mpcDir + "MPCORB.CMO", {ceres, eros},
                                {OrbitCodes{0, 0, 128, 0, 0, 0}, OrbitCodes{0, 0, 0, 0, 4, 0}});
    testing::WriteText(mpcDir + "COMET.DAT",
                       testing::ReadText(std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/CometEls_excerpt.txt"));
    const AstrmLabEnvironment env = testing::LabEnvironment(root);
    {
      ScriptedPlatform quiet;
      OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      ASSERT_TRUE(opts.Start());
      opts.Record().astorbPath = lowellDir;
      opts.Record().mpcOrbPath = mpcDir;
      opts.Record().mpcCometPath = mpcDir;
      opts.Record().astorbURL = "https://astorb.example/";
      opts.Record().mpcOrbURL = "https://mpcorb.example/";
      opts.Record().mpcURL = "https://mpc.example/";
      ASSERT_TRUE(opts.Write(dataDir));
    }
    lab = std::make_unique<AstrmLab>(ui, env);
    ASSERT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    AstrmLabViews views;
    OrbitViews& v = views.orbits;
    v.recordFinder = [this](RecordFinder& finder) { return finderView(finder); };
    v.cometSearchDialog = [](CometSearchDialogLogic& logic) {
      logic.fields.dateFormat = 1;
      logic.fields.julianDate = "2461193.0";
      return logic.Ok();
    };
    v.showCometResults = [this] { ++cometsShown; };
    v.hideCometResults = [this] { ++cometsHidden; };
    v.showStatistics = [this] { ++statisticsShown; };
    v.runList = [this](RecordChoiceList& list) { lists.RunModal(list); };
    lab->SetViews(views);
    ui.ClearRecords();
  }

  CurrentElements& Current() { return lab->Orbits().Current(); }
};

TEST_F(OrbitToolCommands, EveryItemHasItsCommand) {
  for (const char* item : {"ElemDatabase1", "MPCDatabase1", "MPCCometFile1", "SearchMPCCometFile1", "OrbitStatistics1",
                           "Lowell1", "MPC1", "ObsCodes1", "HelponLowelldownload1", "HelponMPCdownload1",
                           "HelponCometFileDownload1", "MinorPlanetCenter1", "VORNWebsite1", "ProjectPluto1",
                           "USNOOnlineStatusInfo1"})
    EXPECT_TRUE(lab->Available(item)) << item;
  // The TARNE finder is there but hidden until a TARNE file is named on the command line.
  EXPECT_TRUE(lab->HasCommand("TARNEOrbitFile1"));
  EXPECT_FALSE(lab->Available("TARNEOrbitFile1"));
}

TEST_F(OrbitToolCommands, FinderTakesTheRecordShown) {
  std::vector<std::string> shown;
  finderView = [&shown](RecordFinder& finder) {
    shown.push_back(finder.Searching());
    finder.mode = FindMode::kNumber;
    finder.key = "433";
    finder.SearchFromTop();
    shown.push_back(finder.Result());
    return true;
  };
  lab->Run("MPCDatabase1");
  EXPECT_EQ(shown, (std::vector<std::string>{"MPC Orbit Database (MPCORB)", "(433) Eros"}));
  ASSERT_TRUE(Current().valid);
  EXPECT_EQ(Current().elements.name, "Eros");
  EXPECT_EQ(Current().source, ElementSource::kMpc);
  EXPECT_EQ(Current().codes[4], 4);
  EXPECT_TRUE(lab->Available("GenEphem1"));
  EXPECT_TRUE(lab->Menus().At("OrbitalElements1").checked);
  // Cancelled: nothing taken.
  finderView = [](RecordFinder& finder) {
    finder.key = "Ceres";
    finder.SearchFromTop();
    return false;
  };
  lab->Run("MPCDatabase1");
  EXPECT_EQ(Current().elements.name, "Eros");
  // No Lowell database: its message and no dialog.
  shown.clear();
  ui.ChooseFilesNext(std::nullopt);  // the locate dialog is cancelled
  lab->Run("ElemDatabase1");
  EXPECT_TRUE(shown.empty());
  ASSERT_FALSE(ui.Messages().empty());
  EXPECT_EQ(ui.Messages().back().caption, "No Lowell Orbit Database!");
}

TEST_F(OrbitToolCommands, CometListingAndPicker) {
  lab->Run("SearchMPCCometFile1");
  EXPECT_EQ(cometsShown, 1);
  CometResultsList& list = lab->Orbits().CometWindow();
  EXPECT_GE(list.Results().Size(), 234u);
  EXPECT_TRUE(lab->Menus().At("SearchMPCCometFile1").checked);
  EXPECT_EQ(lab->Orbits().CometInstant().JDText(5), "2461193.00000");
  // "&View/Print/Select Results..." shows the listing again once it is closed.
  EXPECT_TRUE(lab->Available("ShowSearchResults1"));
  EXPECT_TRUE(lab->Run("ShowSearchResults1"));
  EXPECT_EQ(cometsShown, 2);
  // The file is read once for the listing and the picker.
  CometFileObj* comets = lab->Orbits().Comets();
  ASSERT_NE(comets, nullptr);
  if (comets == nullptr) return;
  list.Select(12);
  ASSERT_TRUE(lab->Orbits().LoadComet(12));
  EXPECT_EQ(Current().source, ElementSource::kCometFile);
  EXPECT_EQ(Current().elements.objectKind, 1);
  EXPECT_EQ(cometsHidden, 1);
  EXPECT_FALSE(lab->Orbits().LoadComet(2));  // a header line

  lists.Next({{5, "AccessSelectedRecord1"}});
  lab->Run("MPCCometFile1");
  EXPECT_EQ(lab->Orbits().Comets(), comets);
  ASSERT_EQ(lists.Showings().size(), 1u);
  EXPECT_EQ(lists.Showings()[0].title, "Select an Orbit Record");
  EXPECT_EQ(lists.Showings()[0].lines.size(), comets->Records().Size());
  const CmoRecord* sixth = comets->Records().GetAt(5);
  ASSERT_NE(sixth, nullptr);
  EXPECT_EQ(Current().elements.name, sixth->name);
  EXPECT_EQ(Current().source, ElementSource::kCometFile);
}

TEST_F(OrbitToolCommands, StatisticsBuiltOnceThenShownAgain) {
  lab->Run("OrbitStatistics1");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "2   Records Searched.");
  EXPECT_EQ(ui.Messages()[0].caption, "Search Completed!");
  EXPECT_EQ(statisticsShown, 1);
  const std::vector<std::string>& lines = lab->Orbits().StatisticsWindow().Lines();
  EXPECT_EQ(lab->Orbits().StatisticsWindow().Title(), "MPC Asteroid Database Orbit Statistics");
  EXPECT_EQ(lines[2], "2 orbits analyzed.  Highest numbered asteroid is (433).");
  EXPECT_EQ(lines[15].substr(46), "     1         0         0         0");  // Amor: Eros
  EXPECT_EQ(lines[32].substr(46), "     1         1         0         0");  // unclassified PHA: Ceres (type 0)
  lab->Run("OrbitStatistics1");
  EXPECT_EQ(ui.Messages().size(), 1u);  // not counted again
  EXPECT_EQ(statisticsShown, 2);
}

TEST_F(OrbitToolCommands, DownloadsAndHelp) {
  ui.AnswerNext(Answer::Ok);
  lab->Run("Lowell1");
  ui.AnswerNext(Answer::Cancel);
  lab->Run("MPC1");
  EXPECT_EQ(ui.WebPages(), std::vector<std::string>{"https://astorb.example/"});
  lab->Run("MinorPlanetCenter1");
  EXPECT_EQ(ui.WebPages().back(), "https://mpc.example/");
  ui.ClearRecords();
  lab->Run("HelponMPCdownload1");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Help Topic Not Found");
  EXPECT_NE(ui.Messages()[0].text.find("\"Download the MPC Database\""), std::string::npos);
  // With the option on, the download page opens without the question.
  lab->Options().expertMode = true;
  ui.ClearRecords();
  lab->Run("MPC1");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(ui.WebPages(), std::vector<std::string>{"https://mpcorb.example/"});
}

}  // namespace
}  // namespace skarvel
