// skarvel-cli master and calibrate on a simulated night: the masters and the
// calibrated lights they write, and the refusals that leave every file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "images/calib_scene.h"
#include "images/calibration_files.h"
#include "shell/cli_run.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

namespace stdfs = std::filesystem;
using testing::Cli;

std::string Bytes(const std::string& path) { return testing::ReadText(path); }

class CliCalibration : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new std::string((stdfs::temp_directory_path() / ("skarvel-cli-calib-" + std::to_string(::getpid()))).string());
    stdfs::remove_all(*dir_);
    stdfs::create_directories(*dir_ + "/raw");
    testing::CalibScene scene(44, 128, 96);
    auto save = [&](CalibFrame f, const std::string& name, double exposure, const std::string& type) {
      f.cards = {StringCard("IMAGETYP", type), RealCard("EXPTIME", exposure), RealCard("CCD-TEMP", -10),
                 StringCard("INSTRUME", "SynthCam")};
      if (type == "Light Frame") f.cards.push_back(StringCard("OBJECT", "433 Eros"));
      WriteFloatFits(*dir_ + "/raw/" + name, f);
    };
    for (int i = 1; i <= 5; ++i) {
      save(scene.Bias(), "bias" + std::to_string(i) + ".fit", 0, "Bias Frame");
      save(scene.Dark(), "dark" + std::to_string(i) + ".fit", scene.darkExposure, "Dark Frame");
      save(scene.Flat(), "flat" + std::to_string(i) + ".fit", scene.flatExposure, "Flat Field");
    }
    save(scene.Light(), "light1.fit", scene.lightExposure, "Light Frame");
    save(scene.Light(), "light2.fit", scene.lightExposure, "Light Frame");
  }
  static void TearDownTestSuite() {
    stdfs::remove_all(*dir_);
    delete dir_;
  }
  static std::string Raw(const std::string& name) { return *dir_ + "/raw/" + name; }
  static std::vector<std::string> Set(const std::string& kind) {
    std::vector<std::string> v;
    for (int i = 1; i <= 5; ++i) v.push_back(Raw(kind + std::to_string(i) + ".fit"));
    return v;
  }
  /// A fresh, empty folder.
  static std::string Folder(const std::string& name) {
    const std::string d = *dir_ + "/" + name;
    stdfs::remove_all(d);
    stdfs::create_directories(d);
    return d;
  }
  static cli::Arguments Args(std::initializer_list<std::vector<std::string>> parts) {
    cli::Arguments a;
    for (const auto& p : parts) a.insert(a.end(), p.begin(), p.end());
    return a;
  }
  static std::string* dir_;
};

std::string* CliCalibration::dir_ = nullptr;

TEST_F(CliCalibration, MastersThenLightsCalibratedAsTheCoreDoes) {
  const std::string m = Folder("masters");
  auto run = Cli(Args({{"master", "--kind", "bias"}, Set("bias"), {"--out", m + "/BIAS.FIT"}}));
  ASSERT_EQ(run.status, 0) << run.err;
  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["kind"], "bias");
  EXPECT_EQ(j["frames"], 5);
  EXPECT_EQ(j["method"], "median");
  EXPECT_EQ(j["width"], 128);
  EXPECT_EQ(j["exposure_s"], 0.0);
  run = Cli(Args({{"master", "--kind", "dark"}, Set("dark"), {"--bias", m + "/BIAS.FIT", "--out", m + "/DARK.FIT"}}));
  ASSERT_EQ(run.status, 0) << run.err;
  j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["exposure_s"], 120.0);
  EXPECT_EQ(j["temperature_c"], -10.0);
  EXPECT_EQ(j["bias_subtracted"], true);
  EXPECT_GE(j["bad_pixels"].get<int>(), 15);  // 128 x 96 / 800 hot pixels
  run = Cli(Args({{"master", "--kind", "flat"}, Set("flat"),
                  {"--bias", m + "/BIAS.FIT", "--dark", m + "/DARK.FIT", "--out", m + "/FLAT.FIT"}}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_GT(nlohmann::json::parse(run.out)["flat_level"].get<double>(), 20000);

  const std::string out = Folder("calibrated");
  run = Cli(Args({{"calibrate", Raw("light1.fit"), Raw("light2.fit"), "--bias", m + "/BIAS.FIT", "--dark",
                   m + "/DARK.FIT", "--flat", m + "/FLAT.FIT", "--out", out}}));
  ASSERT_EQ(run.status, 0) << run.err;
  j = nlohmann::json::parse(run.out);
  ASSERT_EQ(j["count"], 2);
  EXPECT_EQ(j["calibrated"][1]["light"], Raw("light2.fit"));
  EXPECT_EQ(j["calibrated"][1]["out"], out + "/light2.fit");
  EXPECT_EQ(j["calibrated"][0]["dark_scale"], 0.5);
  EXPECT_EQ(j["calibrated"][0]["flat"], true);
  // The same masters through the core give the same bytes.
  MasterSet set;
  set.bias = ReadCalibFrame(m + "/BIAS.FIT");
  set.dark = ReadCalibFrame(m + "/DARK.FIT");
  set.flat = ReadCalibFrame(m + "/FLAT.FIT");
  set.Prepare();
  EXPECT_EQ(j["calibrated"][0]["repaired"], std::count(set.badPixels.begin(), set.badPixels.end(), 1));
  const CalibFrame core = CalibrateFrame(ReadCalibFrame(Raw("light1.fit")), set);
  const std::string written = Bytes(out + "/light1.fit");
  const auto expected = FloatFitsBytes(core);
  EXPECT_EQ(written, std::string(expected.begin(), expected.end()));
  const CalibFrame back = ReadCalibFrame(out + "/light1.fit");
  EXPECT_EQ(back.facts.exposure, 60.0);
  EXPECT_EQ(back.bitpix, -32);

  // Raw sets in place of the masters: the same pixels (only the HISTORY names differ).
  const std::string out2 = Folder("calibrated_raw");
  run = Cli(Args({{"calibrate", Raw("light1.fit"), "--bias"}, Set("bias"), {"--dark"}, Set("dark"), {"--flat"},
                  Set("flat"), {"--out", out2}}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadCalibFrame(out2 + "/light1.fit").pixels, back.pixels);
}

TEST_F(CliCalibration, BadInputIsRefusedAndNothingIsWritten) {
  std::map<std::string, std::string> before;
  for (const auto& e : stdfs::directory_iterator(*dir_ + "/raw")) before[e.path().string()] = Bytes(e.path().string());
  const std::string out = Folder("refused");
  // A raw dark of twice the light's exposure and no bias.
  auto run = Cli(Args({{"calibrate", Raw("light1.fit"), "--dark"}, Set("dark"), {"--out", out}}));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "Calibration Error!: The dark master dark of 5 frames has another exposure (120.000 s) than the light "
            "light1.fit (60.000 s), and there is no bias to scale it by.\n");
  // The output would replace the light.
  run = Cli(Args({{"calibrate", Raw("light1.fit"), "--bias", Raw("bias1.fit"), "--out", *dir_ + "/raw"}}));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("would replace the light"), std::string::npos) << run.err;
  // A master would replace one of its frames.
  run = Cli(Args({{"master", "--kind", "bias"}, Set("bias"), {"--out", Raw("bias3.fit")}}));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Calibration Error!: The master would replace its own frame bias3.fit; choose another name.\n");
  // Bias frames offered as flats hold no light.
  run = Cli(Args({{"master", "--kind", "flat", Raw("bias1.fit"), Raw("bias2.fit"), "--bias", Raw("bias3.fit"),
                   "--out", out + "/FLAT.FIT"}}));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.substr(0, 48), "Calibration Error!: The flat bias1.fit is empty:");
  // A master of the wrong kind.
  const std::string m = Folder("kinds");
  ASSERT_EQ(Cli(Args({{"master", "--kind", "bias"}, Set("bias"), {"--out", m + "/B.FIT"}})).status, 0);
  run = Cli(Args({{"calibrate", Raw("light1.fit"), "--flat", m + "/B.FIT", "--out", out}}));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Calibration Error!: " + std::string("B.FIT is a master bias, not a flat.\n"));
  EXPECT_TRUE(stdfs::is_empty(out));
  for (const auto& [path, bytes] : before) EXPECT_EQ(Bytes(path), bytes) << path;
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : stdfs::directory_iterator(*dir_ + "/raw")) ++files;
  EXPECT_EQ(files, before.size());
}

TEST_F(CliCalibration, UsageFaultsExitWithTwo) {
  const auto light = Raw("light1.fit");
  const std::vector<std::pair<cli::Arguments, std::string>> cases = {
      {{"master", "--kind", "bias", light}, "skarvel-cli master: --out MASTER.FIT is needed\n"},
      {{"master", "--kind", "sky", light, "--out", "x"}, "skarvel-cli master: --kind needs bias, dark or flat, not \"sky\"\n"},
      {{"master", light, "--out", "x"}, "skarvel-cli master: --kind bias, dark or flat is needed (see skarvel-cli master --help)\n"},
      {{"master", "--kind", "bias", light, "--out", "x", "--combine", "mode"},
       "skarvel-cli master: --combine needs median or mean, not \"mode\"\n"},
      {{"calibrate", light, "--out", "x"}, "skarvel-cli calibrate: give at least one of --bias, --dark and --flat\n"},
      {{"calibrate", light, "--bias", "--out", "x"}, "skarvel-cli calibrate: --bias needs at least one file\n"},
      {{"calibrate", light, "--bias", "b", "--gain", "2", "--out", "x"},
       "skarvel-cli calibrate: unknown option \"--gain\" (see skarvel-cli calibrate --help)\n"},
      {{"calibrate", "--bias", "b", "--out", "x"},
       "skarvel-cli calibrate: name the light frames (see skarvel-cli calibrate --help)\n"},
  };
  for (const auto& [args, message] : cases) {
    const auto run = Cli(args);
    EXPECT_EQ(run.status, 2) << args[1];
    EXPECT_EQ(run.err, message);
  }
  const auto help = Cli({"--help"});
  EXPECT_NE(help.out.find("  master  a master bias, dark or flat frame from raw frames\n"), std::string::npos);
  EXPECT_NE(help.out.find("  calibrate  light frames calibrated by bias, dark and flat\n"), std::string::npos);
  EXPECT_EQ(Cli({"calibrate", "--help"}).out.rfind("Usage: skarvel-cli calibrate LIGHT...", 0), 0u);
}

}  // namespace
}  // namespace skarvel
