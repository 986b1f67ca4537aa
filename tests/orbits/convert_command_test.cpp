// The convert commands as the main window runs them.
#include <gtest/gtest.h>

#include <filesystem>

#include "foundations/date_time.h"
#include "shell/astrm_lab.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using testing::ScriptedPlatform;
using testing::TempDir;

std::string MpcorbText() {
  return "Head\n" + std::string(160, '-') + "\n" +
         testing::ReadText(SKARVEL_TEST_DATA_DIR "/orbits/MPCORB_format_NEA_excerpt.txt");
}

class ConvertCommandTest : public ::testing::Test {
 protected:
  TempDir root;
  std::string programDir = skarvel::testing::MakeProgramDir(root);
  std::string dataDir = root.MakeDir("work");
  ScriptedPlatform ui;

  std::unique_ptr<AstrmLab> Started() {
    AstrmLabEnvironment env;
    env.storage.programDir = programDir;
    env.storage.currentDir = dataDir;
    env.storage.perUserDir = root / "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root / "no-mounts";
    env.clock = [] { return *EncodeDateTime(2026, 12, 9, 21, 0, 0.0L); };
    auto lab = std::make_unique<AstrmLab>(ui, env);
    EXPECT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    ui.ClearRecords();
    return lab;
  }
};

TEST_F(ConvertCommandTest, ConvertMpcFromTheMenu) {
  auto lab = Started();
  const std::string mpc = root.MakeDir("mpc");
  testing::WriteText(mpc + "MPCORB.DAT", MpcorbText());
  lab->Options().mpcOrbPath = mpc;
  ASSERT_TRUE(lab->Run("ConvertMPC"));
  EXPECT_EQ(testing::ReadAll(mpc + "MPCORB.CMO").size(), 305u * 162u);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ConvertCommandTest, ChosenFolderIsStoredInTheOptionsAndSaved) {
  auto lab = Started();
  const std::string downloads = root.MakeDir("downloads");
  testing::WriteText(downloads + "MPCORB.DAT", MpcorbText());
  lab->Options().mpcOrbPath = root.MakeDir("empty");
  ui.ChooseFilesNext(std::vector<std::string>{downloads + "MPCORB.DAT"});
  ui.AnswerNext(Answer::Yes);  // save the location
  ui.AnswerNext(Answer::Yes);  // save the options file
  ASSERT_TRUE(lab->Run("ConvertMPC"));
  EXPECT_EQ(lab->Options().mpcOrbPath, downloads);
  ASSERT_GE(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].caption, "Save Path Information?");
  EXPECT_EQ(ui.Messages()[1].caption, "Save Option Changes?");
  EXPECT_TRUE(std::filesystem::exists(dataDir + "ASTROPTS.INI"));
  EXPECT_EQ(testing::ReadAll(downloads + "MPCORB.CMO").size(), 305u * 162u);
  EXPECT_TRUE(lab->Run("ConvertLowell"));  // no Lowell files: the location dialog, cancelled
  EXPECT_EQ(ui.Captions().back(), "ASTORB.DAT Not Found!");
}

}  // namespace
}  // namespace skarvel
