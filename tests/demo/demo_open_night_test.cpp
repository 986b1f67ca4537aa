// "Open Demo Night" of the Help menu: the demo night of the program folder is
// copied into the user's folder and the running session goes on there, with
// nothing written into the program folder or the user's own data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "demo/demo_support.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "shell/astrm_lab.h"
#include "shell/demo_night.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ReadTruth;
using testing::ScriptedPlatform;
using testing::TempDir;

/// Every file under `dir` with its size and time, to see that nothing changed.
std::set<std::string> Listing(const std::string& dir) {
  std::set<std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    std::string line = e.path().string();
    if (e.is_regular_file())
      line += " " + std::to_string(e.file_size()) + " " +
              std::to_string(e.last_write_time().time_since_epoch().count());
    out.insert(line);
  }
  return out;
}

class OpenDemoNight : public ::testing::Test {
 protected:
  TempDir root;
  std::string program = skarvel::testing::MakeProgramDir(root);
  std::string userData = root.MakeDir("user");  // the data folder the session starts in
  std::string work = root.Path() + "home/.local/share/skarvel/demo-night/";
  std::string demo = fs::WithTrailingSeparator(std::filesystem::absolute(SKARVEL_DEMO_DIR).lexically_normal().string());
  ScriptedPlatform ui;

  std::unique_ptr<AstrmLab> Start(bool withDemo) {
    // The installed program folder holds the demo night in "demo/".
    if (withDemo) std::filesystem::create_directory_symlink(demo, program + "demo");
    AstrmLabEnvironment env;
    env.storage.programDir = program;
    env.storage.currentDir = userData;
    env.storage.perUserDir = root / "peruser/VORN/Toolkit/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root / "no-mounts";
    env.clock = [] { return *EncodeDateTime(2026, 12, 11, 21, 0, 0.0L); };
    env.demoWorkDir = work;
    auto lab = std::make_unique<AstrmLab>(ui, env);
    EXPECT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    ui.ClearRecords();
    return lab;
  }
};

TEST(DemoWorkDirectory, IsInThePerUserDataFolder) {
  EXPECT_EQ(DemoWorkDirectory("/x/data", "/h/a"), "/x/data/skarvel/demo-night/");
  EXPECT_EQ(DemoWorkDirectory("/x/data/", nullptr), "/x/data/skarvel/demo-night/");
  // A relative XDG_DATA_HOME is ignored, as the desktop's specification asks.
  EXPECT_EQ(DemoWorkDirectory("rel/data", "/h/a"), "/h/a/.local/share/skarvel/demo-night/");
  EXPECT_EQ(DemoWorkDirectory(nullptr, "/h/a/"), "/h/a/.local/share/skarvel/demo-night/");
  EXPECT_EQ(DemoWorkDirectory("", ""), "");
  EXPECT_EQ(DemoWorkDirectory(nullptr, nullptr), "");
}

TEST_F(OpenDemoNight, TheSessionGoesOnInTheUsersCopyOfTheDemo) {
  auto lab = Start(true);
  ASSERT_TRUE(lab->Available("OpenDemoNight1"));
  const auto demoBefore = Listing(demo);
  ASSERT_TRUE(lab->Run("OpenDemoNight1"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Open Demo Night");
  EXPECT_EQ(ui.Messages()[0].icon, platform::Icon::Information);
  EXPECT_EQ(ui.Messages()[0].text, "The demo night is ready in " + work +
                                       "\r\n\r\nLoad its four images with \"Load Image Files\" - \"Multiple Load\" "
                                       "from " + work + "images/.");
  // The demo's options, with the copy's folders and the demo's catalog.
  EXPECT_EQ(lab->Options().dataDir, work);
  EXPECT_EQ(lab->Options().programDir, program);
  EXPECT_EQ(lab->Options().imagePath, work + "images/");
  EXPECT_EQ(lab->Options().mpcOrbPath, work + "orbits/");
  EXPECT_EQ(lab->Options().gscPath1, program + "demo/catalog/gsc_vorn/");
  EXPECT_EQ(lab->imageDir, work + "images/");
  EXPECT_EQ(lab->reportDir, work + "images/");
  EXPECT_FALSE(lab->Menus().At("SaveUpdates1").enabled);
  ASSERT_NE(lab->Report(), nullptr);
  EXPECT_EQ(lab->Report()->site.code, "695");
  EXPECT_EQ(lab->Report()->user.contactName, "Demo Observer");
  for (const char* name : {"ASTROPTS.INI", "ASTSITES.DAT", "ASTCAMS.DAT", "orbits/MPCORB.DAT", "orbits/MPCORB.CMO",
                           "images/EROS001.FIT", "images/EROS004.FIT"})
    EXPECT_TRUE(fs::FileExists(work + name)) << name;
  // Nothing was written among the program's files or into the user's own folder.
  EXPECT_EQ(Listing(demo), demoBefore);
  EXPECT_FALSE(fs::FileExists(userData + "ASTROPTS.INI"));

  // The night loads from the copy, and saving the options goes to the copy.
  ui.ClearRecords();
  const auto truth = ReadTruth();
  ui.ChooseFilesNext(std::vector<std::string>{work + "images/" + truth[0].file});
  ASSERT_TRUE(lab->Run("LoadImg1"));
  EXPECT_EQ(ui.OpenDialogs().back().directory, work + "images/");
  ASSERT_TRUE(lab->Slots()[0].Loaded());
  EXPECT_EQ(lab->currentObsParms.objectName, "433 EROS");
  EXPECT_TRUE(fs::FileExists(work + "EROS001.HDR"));
  EXPECT_EQ(Listing(demo), demoBefore);
}

TEST_F(OpenDemoNight, AgainWithImagesLoadedAsksBeforeClearingThem) {
  auto lab = Start(true);
  ASSERT_TRUE(lab->Run("OpenDemoNight1"));
  ui.ChooseFilesNext(std::vector<std::string>{work + "images/EROS001.FIT"});
  ASSERT_TRUE(lab->Run("LoadImg1"));
  ASSERT_TRUE(lab->Slots()[0].Loaded());
  ui.ClearRecords();
  // "No" to the clear question: the images and the session stay.
  ui.AnswerNext(platform::Answer::No);
  ASSERT_TRUE(lab->Run("OpenDemoNight1"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Clear Current Images, Reference Fields and Parameters?");
  EXPECT_TRUE(lab->Slots()[0].Loaded());
  // "Yes" (the empty report counts as saved): cleared, and the night prepared afresh.
  ui.ClearRecords();
  ui.AnswerNext(platform::Answer::Yes);
  ASSERT_TRUE(lab->Run("OpenDemoNight1"));
  EXPECT_FALSE(lab->Slots()[0].Loaded());
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].caption, "Verify Clear");
  EXPECT_EQ(ui.Messages()[1].caption, "Open Demo Night");
  EXPECT_TRUE(fs::FileExists(work + "ASTROPTS.BAK"));
}

TEST_F(OpenDemoNight, WithoutTheDemoInTheProgramFolderTheSessionStaysAsItWas) {
  auto lab = Start(false);
  const OptionsRecord before = lab->Options();
  ASSERT_TRUE(lab->Run("OpenDemoNight1"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Open Demo Night");
  EXPECT_EQ(ui.Messages()[0].icon, platform::Icon::Error);
  EXPECT_EQ(ui.Messages()[0].text, "The demo night is not installed.\r\n\r\nFolder: " + program + "demo/");
  EXPECT_EQ(lab->Options().dataDir, before.dataDir);
  EXPECT_EQ(lab->Options().imagePath, before.imagePath);
  EXPECT_FALSE(std::filesystem::exists(work));
}

}  // namespace
}  // namespace skarvel
