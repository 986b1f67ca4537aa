// The calibration dialog's flows on the scripted platform, and the file
// that remembers the masters of each camera record.
#include <gtest/gtest.h>

#include "images/calib_scene.h"
#include "images/calibration_dialog.h"
#include "images/calibration_files.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

TEST(CalibrationChoices, AreKeptOneLinePerCameraRecord) {
  const std::vector<CalibrationChoice> two = {{"ST-8 at f/6", true, "/m/BIAS.FIT", "", "/m/FLAT.FIT"},
                                              {"Lodestar", false, "", "D.FIT", ""}};
  const std::string text = CalibrationChoicesText(two);
  EXPECT_EQ(text,
            "Skarvel calibration masters 1\n"
            "ST-8 at f/6\t1\t/m/BIAS.FIT\t\t/m/FLAT.FIT\n"
            "Lodestar\t0\t\tD.FIT\t\n");
  EXPECT_EQ(ParseCalibrationChoices(text), two);
  // Lines without five fields, with another flag or no camera name are passed over; CR LF is read too.
  EXPECT_EQ(ParseCalibrationChoices("Skarvel calibration masters 1\r\nA\t1\tb\r\nB\t2\t\t\t\n\t1\t\t\t\nC\t0\t\t\tf\r\n"),
            (std::vector<CalibrationChoice>{{"C", false, "", "", "f"}}));
  EXPECT_TRUE(ParseCalibrationChoices("Other title\nC\t0\t\t\tf\n").empty());

  TempDir dir;
  EXPECT_EQ(ChoiceForCamera(dir.Path(), "Lodestar"), (CalibrationChoice{"Lodestar", false, "", "", ""}));
  RememberChoice(dir.Path(), two[0]);
  RememberChoice(dir.Path(), two[1]);
  RememberChoice(dir.Path(), {"ST-8 at f/6", false, "/m/B2.FIT", "", ""});
  EXPECT_EQ(testing::ReadText(dir / kCalibrationChoicesFile),
            "Skarvel calibration masters 1\nST-8 at f/6\t0\t/m/B2.FIT\t\t\nLodestar\t0\t\tD.FIT\t\n");
  EXPECT_EQ(ChoiceForCamera(dir.Path(), "Lodestar"), two[1]);
  try {
    RememberChoice(dir.Path(), {"Lodestar", false, "a\tb", "", ""});
    ADD_FAILURE() << "a tab was written";
  } catch (const CalibrationFailure& e) {
    EXPECT_EQ(std::string(e.what()), "A name holds a tab or a line break: \"a\tb\".");
  }
  EXPECT_EQ(ChoiceForCamera(dir.Path(), "Lodestar"), two[1]);  // the file as it was
}

class CalibrationDialogTest : public ::testing::Test {
 protected:
  TempDir root;
  std::string raw = root.MakeDir("raw");
  std::string work = root.MakeDir("work");
  ScriptedPlatform ui;
  std::vector<CalibFrame> lights;  // what the host's "loaded images" are

  std::vector<std::string> Write(const std::string& kind, int count, testing::CalibScene& scene) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
      CalibFrame f = kind == "bias" ? scene.Bias() : kind == "dark" ? scene.Dark() : kind == "flat" ? scene.Flat() : scene.Light();
      const double exposure = kind == "bias" ? 0 : kind == "dark" ? 120 : kind == "flat" ? 4 : 60;
      f.cards = {RealCard("EXPTIME", exposure)};
      paths.push_back(raw + kind + std::to_string(i) + ".fit");
      WriteFloatFits(paths.back(), f);
    }
    return paths;
  }

  CalibrationDialogHost Host() {
    CalibrationDialogHost host;
    host.ui = &ui;
    host.dataDir = work;
    host.camera = "SynthCam";
    host.directory = raw;
    host.calibrateLoaded = [this](const MasterSet& masters) {
      std::vector<CalibFrame> done;
      for (const CalibFrame& l : lights) done.push_back(CalibrateFrame(l, masters));
      return done;
    };
    return host;
  }
};

TEST_F(CalibrationDialogTest, BuildsTheThreeMastersAndRemembersThem) {
  testing::CalibScene scene(5, 48, 40);
  const auto biases = Write("bias", 3, scene);
  const auto darks = Write("dark", 3, scene);
  const auto flats = Write("flat", 3, scene);
  CalibrationDialogLogic logic(Host());
  EXPECT_EQ(logic.choice, (CalibrationChoice{"SynthCam", false, "", "", ""}));

  ui.ChooseFilesNext(biases);
  ui.SaveAsNext(work + "MB.FIT");
  ASSERT_TRUE(logic.BuildMaster());
  ASSERT_EQ(ui.OpenDialogs().size(), 1u);
  EXPECT_EQ(ui.OpenDialogs()[0].title, "Select the Bias Frames");
  EXPECT_TRUE(ui.OpenDialogs()[0].multiple);
  EXPECT_EQ(ui.OpenDialogs()[0].directory, raw);
  EXPECT_EQ(ui.SaveDialogs()[0].title, "Save the Master Bias");
  EXPECT_EQ(ui.SaveDialogs()[0].fileName, "MASTER_BIAS.FIT");
  ASSERT_EQ(ui.Progress().size(), 1u);
  EXPECT_EQ(ui.Progress()[0].caption, "Building the Master Bias");
  EXPECT_EQ(ui.Progress()[0].text, "Combining 3 bias frames...");
  EXPECT_EQ(ui.Progress()[0].maximum, 6);
  EXPECT_EQ(ui.Progress()[0].position, 6);
  EXPECT_FALSE(ui.Progress()[0].open);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Master bias of 3 frames written to " + work + "MB.FIT.");
  EXPECT_EQ(ui.Messages()[0].caption, "Master Written");
  EXPECT_EQ(logic.choice.bias, work + "MB.FIT");

  logic.buildKind = FrameKind::Dark;
  logic.method = CombineMethod::Mean;
  ui.ChooseFilesNext(darks);
  ui.SaveAsNext(work + "MD.FIT");
  ASSERT_TRUE(logic.BuildMaster());
  const CalibFrame dark = ReadCalibFrame(work + "MD.FIT");
  EXPECT_TRUE(dark.facts.biasSubtracted);  // the chosen bias was taken off
  EXPECT_EQ(dark.facts.method, "MEAN");
  logic.buildKind = FrameKind::Flat;
  ui.ChooseFilesNext(flats);
  ui.SaveAsNext(work + "MF.FIT");
  ASSERT_TRUE(logic.BuildMaster());
  EXPECT_EQ(ReadCalibFrame(work + "MF.FIT").facts.master, FrameKind::Flat);

  logic.choice.onLoad = true;
  ASSERT_TRUE(logic.Accept());
  EXPECT_EQ(testing::ReadText(work + kCalibrationChoicesFile),
            "Skarvel calibration masters 1\nSynthCam\t1\t" + work + "MB.FIT\t" + work + "MD.FIT\t" + work +
                "MF.FIT\n");
  CalibrationDialogLogic again(Host());
  EXPECT_EQ(again.choice, logic.choice);
  EXPECT_EQ(ui.Unanswered(), 0);
}

TEST_F(CalibrationDialogTest, StopsAndRefusesWithoutWriting) {
  testing::CalibScene scene(6, 40, 32);
  const auto biases = Write("bias", 4, scene);
  CalibrationDialogLogic logic(Host());
  ui.ChooseFilesNext(biases);
  ui.SaveAsNext(work + "MB.FIT");
  ui.StopProgressAfter(2);
  EXPECT_FALSE(logic.BuildMaster());
  EXPECT_EQ(ui.Messages().back().text, "Stopped; nothing was written.");
  EXPECT_EQ(ui.Messages().back().caption, "Calibration Error!");
  EXPECT_EQ(ui.Messages().back().icon, Icon::Error);
  EXPECT_FALSE(testing::Exists(work + "MB.FIT"));
  // Cancelling either chooser builds nothing and says nothing.
  ui.ClearRecords();
  ui.ChooseFilesNext(std::nullopt);
  EXPECT_FALSE(logic.BuildMaster());
  ui.ChooseFilesNext(biases);
  ui.SaveAsNext(std::nullopt);
  EXPECT_FALSE(logic.BuildMaster());
  EXPECT_TRUE(ui.Messages().empty());
  // A bias master chosen as the flat is refused at OK, and nothing is remembered.
  ui.ChooseFilesNext(biases);
  ui.SaveAsNext(work + "MB.FIT");
  ASSERT_TRUE(logic.BuildMaster());
  logic.choice.flat = work + "MB.FIT";
  EXPECT_FALSE(logic.Accept());
  EXPECT_EQ(ui.Messages().back().text, "MB.FIT is a master bias, not a flat.");
  EXPECT_FALSE(testing::Exists(work + kCalibrationChoicesFile));
  logic.choice = CalibrationChoice{"SynthCam", true, "", "", ""};
  EXPECT_FALSE(logic.Accept());
  EXPECT_EQ(ui.Messages().back().text, "Choose a bias, a dark or a flat to apply on load.");
  // Browsing fills one field.
  ui.ChooseFilesNext(std::vector<std::string>{work + "MB.FIT"});
  EXPECT_TRUE(logic.Browse(FrameKind::Bias));
  EXPECT_EQ(ui.OpenDialogs().back().title, "Select the Master Bias");
  EXPECT_EQ(logic.choice.bias, work + "MB.FIT");
}

TEST_F(CalibrationDialogTest, CalibratesTheLoadedImagesAndSavesThem) {
  testing::CalibScene scene(8, 40, 32);
  const auto biases = Write("bias", 3, scene);
  const auto files = Write("light", 2, scene);
  for (const auto& f : files) lights.push_back(ReadCalibFrame(f));
  CalibrationDialogLogic logic(Host());
  EXPECT_FALSE(logic.CalibrateLoaded());
  EXPECT_EQ(ui.Messages().back().text, "Choose a bias, a dark or a flat to apply first.");
  logic.choice.bias = biases[0];  // one raw frame serves as a master of one frame
  ui.AnswerNext(Answer::Yes);
  ui.ChooseDirectoryNext(raw);  // the lights' own folder: refused
  EXPECT_TRUE(logic.CalibrateLoaded());
  EXPECT_EQ(ui.Messages()[1].text, "2 images were calibrated.\r\n\r\nSave the calibrated images as FITS files?");
  EXPECT_EQ(ui.Messages()[1].caption, "Calibration");
  EXPECT_EQ(ui.Messages()[2].text, "The calibrated light1.fit would replace the light " + files[0] +
                                       "; choose another folder.");
  EXPECT_EQ(ReadCalibFrame(files[0]).pixels, lights[0].pixels);
  const std::string out = root.MakeDir("out");
  ui.AnswerNext(Answer::Yes);
  ui.ChooseDirectoryNext(out);
  EXPECT_TRUE(logic.CalibrateLoaded());
  const CalibFrame saved = ReadCalibFrame(out + "light2.fit");
  const CalibFrame bias = ReadCalibFrame(biases[0]);
  ASSERT_EQ(saved.pixels.size(), bias.pixels.size());
  for (std::size_t i = 0; i < saved.pixels.size(); i += 37)
    EXPECT_EQ(saved.pixels[i], lights[1].pixels[i] - bias.pixels[i]) << i;
  lights.clear();
  EXPECT_FALSE(logic.CalibrateLoaded());
  EXPECT_EQ(ui.Messages().back().text, "No image is loaded.");
}

}  // namespace
}  // namespace skarvel
