// "Calibration..." of the "&Images" menu and the calibration of images as
// they are loaded, with the masters remembered for the report's camera record.
#include <gtest/gtest.h>

#include "foundations/date_time.h"
#include "images/calibration_choice.h"
#include "shell/astrm_lab.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

class CalibrationCommandsTest : public ::testing::Test {
 protected:
  TempDir root;
  std::string programDir = skarvel::testing::MakeProgramDir(root);
  std::string dataDir = root.MakeDir("work");
  std::string nightDir = root.MakeDir("night");
  ScriptedPlatform ui;
  std::unique_ptr<AstrmLab> lab;
  int shown = 0;  // image windows built again

  void SetUp() override {
    AstrmLabEnvironment env;
    env.storage.programDir = programDir;
    env.storage.currentDir = dataDir;
    env.storage.perUserDir = root / "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root / "none";
    env.clock = [] { return *EncodeDateTime(2026, 12, 9, 22, 0, 0.0L); };
    lab = std::make_unique<AstrmLab>(ui, env);
    ASSERT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    lab->Views().imageLoaded = [this](int) {
      ++shown;
      return true;
    };
    ui.ClearRecords();
  }

  /// A master bias of `value` everywhere, `w` x `h` pixels.
  std::string Bias(const std::string& name, int w, int h, float value) {
    CalibFrame f;
    f.width = w;
    f.height = h;
    f.pixels.assign(static_cast<std::size_t>(w * h), value);
    f.cards = {StringCard("MASTER", "BIAS"), IntegerCard("NCOMBINE", 5)};
    WriteFloatFits(nightDir + name, f);
    return nightDir + name;
  }
  std::string Camera() { return lab->Report()->camera.name; }
  std::int32_t Pixel(int slot, int x, int y) { return lab->Slots()[static_cast<std::size_t>(slot)].image->pixels.PixelAt(x, y); }
  void Load(int slot, const std::string& path) {
    ui.ChooseFilesNext(std::vector<std::string>{path});
    ASSERT_TRUE(lab->Run("LoadImg" + std::to_string(slot + 1)));
  }
};

TEST_F(CalibrationCommandsTest, ImagesOfACameraThatCalibratesOnLoadArriveCalibrated) {
  testing::WriteMiniFits(nightDir + "a.fits", 6, 4, 100);
  RememberChoice(dataDir, {Camera(), true, Bias("MB.FIT", 6, 4, 40), "", ""});
  Load(0, nightDir + "a.fits");
  EXPECT_EQ(Pixel(0, 0, 0), 60);
  EXPECT_EQ(Pixel(0, 5, 3), 100 + 5 + 30 - 40);
  const GraphicsFileObj& image = *lab->Slots()[0].image;
  EXPECT_EQ(image.formatDescription, "FITS (BITPIX = 16), calibrated");
  EXPECT_EQ(image.minimum, 60);
  EXPECT_EQ(image.maximum, 95);
  EXPECT_TRUE(ui.Messages().empty());
  // A master of another size: told, and the image comes as it is.
  RememberChoice(dataDir, {Camera(), true, Bias("MB8.FIT", 8, 4, 40), "", ""});
  Load(1, nightDir + "a.fits");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "The bias MB8.FIT is 8 x 4 pixels, the light a.fits 6 x 4.\r\n\r\nThe image is loaded without "
            "calibration.");
  EXPECT_EQ(ui.Messages()[0].caption, "Calibration Error!");
  EXPECT_EQ(Pixel(1, 0, 0), 100);
  // Without the on-load choice nothing happens at load.
  RememberChoice(dataDir, {Camera(), false, Bias("MB.FIT", 6, 4, 40), "", ""});
  Load(2, nightDir + "a.fits");
  EXPECT_EQ(Pixel(2, 0, 0), 100);
}

TEST_F(CalibrationCommandsTest, TheMenuItemCalibratesTheLoadedImagesOnDemand) {
  EXPECT_TRUE(lab->HasCommand("Calibration1"));
  EXPECT_EQ(lab->Menus().At("Calibration1").caption, "Calibration...");
  EXPECT_FALSE(lab->Menus().At("Images1").enabled);  // the "&Images" menu waits for an image
  testing::WriteMiniFits(nightDir + "a.fits", 6, 4, 100);
  testing::WriteMiniFits(nightDir + "b.fits", 6, 4, 200);
  Load(0, nightDir + "a.fits");
  Load(1, nightDir + "b.fits");
  EXPECT_TRUE(lab->Available("Calibration1"));
  const std::string bias = Bias("MB.FIT", 6, 4, 40);
  std::string camera;
  lab->Views().calibration = [&](CalibrationDialogHost host) {
    camera = host.camera;
    CalibrationDialogLogic logic(std::move(host));
    logic.choice.bias = bias;
    ui.AnswerNext(platform::Answer::No);  // no saving
    return logic.CalibrateLoaded();
  };
  shown = 0;
  ASSERT_TRUE(lab->Run("Calibration1"));
  EXPECT_EQ(camera, Camera());
  EXPECT_EQ(CameraKey(camera), Camera().empty() ? "(unnamed camera)" : Camera());
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(Pixel(0, 1, 1), 100 + 1 + 10 - 40);
  EXPECT_EQ(Pixel(1, 1, 1), 200 + 1 + 10 - 40);
  EXPECT_EQ(ui.Messages().back().text, "2 images were calibrated.\r\n\r\nSave the calibrated images as FITS files?");
}

}  // namespace
}  // namespace skarvel
