// The main window started in the working directory that scripts/run prepares:
// it takes the demo's options and loads the four images of the night.
#include <gtest/gtest.h>

#include <filesystem>

#include "demo/demo_support.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "make_demo.h"
#include "shell/astrm_lab.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ReadTruth;
using testing::ScriptedPlatform;
using testing::TempDir;

class DemoLab : public ::testing::Test {
 protected:
  TempDir root;
  std::string work = root.MakeDir("demo-night");
  ScriptedPlatform ui;
  std::string demo = fs::WithTrailingSeparator(std::filesystem::absolute(SKARVEL_DEMO_DIR).lexically_normal().string());

  std::unique_ptr<AstrmLab> Start() {
    EXPECT_EQ(demo::InstallSession(demo, work), 0);
    AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(root);
    env.storage.currentDir = work;
    env.storage.perUserDir = root / "peruser/VORN/Toolkit/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root / "no-mounts";
    env.clock = [] { return *EncodeDateTime(2026, 12, 9, 21, 0, 0.0L); };
    auto lab = std::make_unique<AstrmLab>(ui, env);
    EXPECT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    return lab;
  }
};

TEST_F(DemoLab, TheSessionStartsWithTheDemoRecords) {
  auto lab = Start();
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(lab->Options().dataDir, work);
  EXPECT_EQ(lab->Options().imagePath, work + "images/");
  EXPECT_EQ(lab->lastImageDir, work + "images/");  // where the solution texts are offered
  EXPECT_EQ(lab->reportDir, work + "images/");
  ASSERT_NE(lab->Report(), nullptr);
  EXPECT_EQ(lab->Report()->site.code, "695");
  EXPECT_EQ(lab->Report()->camera.imageWidth, 768);
  EXPECT_EQ(lab->Report()->user.contactName, "Demo Observer");
  EXPECT_FALSE(std::filesystem::exists(root / "peruser"));
}

TEST_F(DemoLab, LoadingTheFourImagesFillsTheSlotsFromTheSessionsCopies) {
  auto lab = Start();
  ui.ClearRecords();
  const auto truth = ReadTruth();
  for (std::size_t slot = 0; slot < truth.size(); ++slot) {
    ui.ChooseFilesNext(std::vector<std::string>{work + "images/" + truth[slot].file});
    ASSERT_TRUE(lab->Run("LoadImg" + std::to_string(slot + 1)));
    // The dialogs open in the session's own copy of the image folder.
    EXPECT_EQ(ui.OpenDialogs().back().directory, work + "images/");
    ASSERT_TRUE(lab->Slots()[slot].Loaded()) << truth[slot].file;
    EXPECT_EQ(lab->currentObsParms.objectName, "433 EROS");
    EXPECT_EQ(lab->currentObsParms.note, 2) << "simulated image";
    const long double jd = DateTimeToDays(lab->currentObsParms.observationTime) + kJulianDateOffset;
    EXPECT_NEAR(static_cast<double>(jd), truth[slot].midJD, 0.001 / 86400.0) << truth[slot].file;
  }
  EXPECT_TRUE(lab->Menus().At("Blink1").enabled);
  EXPECT_TRUE(lab->Report()->cameraFromImage);
  EXPECT_TRUE(ui.Messages().empty());
  // The header text of each image went to the working directory, not the demo folder.
  EXPECT_TRUE(fs::FileExists(work + "EROS001.HDR"));
  EXPECT_FALSE(fs::FileExists(demo + "images/EROS001.HDR"));
}

}  // namespace
}  // namespace skarvel
