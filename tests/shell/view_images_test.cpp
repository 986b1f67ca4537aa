// "&View/Adjust...": which slots' windows are shown, in which order and places.
#include <gtest/gtest.h>

#include "foundations/date_time.h"
#include "shell/astrm_lab.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

class ViewImagesTest : public ::testing::Test {
 protected:
  TempDir root;
  ScriptedPlatform ui;
  std::unique_ptr<AstrmLab> lab;
  std::array<bool, 4> valid{true, false, true, true};
  std::array<bool, 4> normal{false, false, false, true};
  std::optional<std::array<bool, 4>> answer;
  std::array<bool, 4> offered{};
  std::vector<std::pair<int, int>> shown;  // slot, m

  void SetUp() override {
    AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(root);
    env.storage.currentDir = root.MakeDir("work");
    env.storage.perUserDir = root / "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root / "none";
    env.clock = [] { return *EncodeDateTime(2026, 12, 9, 22, 0, 0.0L); };
    lab = std::make_unique<AstrmLab>(ui, env);
    ASSERT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    AstrmLabViews views;
    views.imageValid = [this](int k) { return valid[static_cast<std::size_t>(k)]; };
    views.imageWindowNormal = [this](int k) { return normal[static_cast<std::size_t>(k)]; };
    views.selectImages = [this](std::array<bool, 4> boxes) {
      offered = boxes;
      return answer;
    };
    views.viewImage = [this](int k, int m) { shown.emplace_back(k, m); };
    lab->SetViews(views);
  }
};

TEST_F(ViewImagesTest, TickedOrNormallyVisibleWindowsAreShownInSlotOrder) {
  answer = std::array<bool, 4>{false, false, true, false};  // image 1 unticked, image 3 ticked
  lab->ViewImages();
  EXPECT_EQ(offered, valid);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], std::make_pair(2, 0));
  EXPECT_EQ(shown[1], std::make_pair(3, 1));  // not ticked, but visible in the normal state
  EXPECT_FALSE(lab->Menus().At("LoadImg3").enabled);  // locked while viewed
  EXPECT_FALSE(lab->Menus().At("LoadImg4").enabled);
}

TEST_F(ViewImagesTest, CancelShowsNothing) {
  answer.reset();
  const bool loadEnabled = lab->Menus().At("LoadImg4").enabled;
  lab->ViewImages();
  EXPECT_EQ(offered, valid);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(lab->Menus().At("LoadImg4").enabled, loadEnabled);  // nothing locked
}

}  // namespace
}  // namespace skarvel
