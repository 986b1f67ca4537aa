// `skarvel-cli solve --auto` on the demo night's images: matched to the
// converted GSC of the field without a pairs file, the target placed against
// the truth, every pair against the truth's projection, and the refusal when
// the given scale cannot be right.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "demo/demo_support.h"
#include "shell/cli_run.h"

namespace skarvel {
namespace {

using testing::Cli;

cli::Arguments AutoArgs(const testing::DemoImageTruth& t) {
  return {"solve", "--auto", testing::DemoPath("images/" + t.file), "--catalog", "gsc-converted", "--path",
          testing::DemoPath("catalog/gsc_vorn"), "--target",
          std::to_string(t.targetX) + "," + std::to_string(t.targetY)};
}

TEST(DemoSolveAuto, EachImageIsReducedWithoutPairs) {
  const auto truth = testing::ReadTruth();
  ASSERT_EQ(truth.size(), 4u);
  for (const auto& t : truth) {
    SCOPED_TRACE(t.file);
    // The camera's scale given, and no scale at all.
    for (const bool withScale : {true, false}) {
      auto args = AutoArgs(t);
      if (withScale) args.insert(args.end(), {"--scale", "1.996"});
      const auto run = Cli(args);
      ASSERT_EQ(run.status, 0) << run.err;
      const auto j = nlohmann::json::parse(run.out);
      EXPECT_TRUE(j["solved"].get<bool>());
      const auto& pairs = j["pairs"];
      ASSERT_GE(pairs.size(), 10u);
      EXPECT_EQ(pairs.size(), j["stars"].size());
      for (const auto& p : pairs) {
        double x = 0, y = 0;
        ASSERT_TRUE(testing::ProjectToPixel(t, p["ra_hours"], p["dec_deg"], x, y));
        EXPECT_LT(std::hypot(p["x"].get<double>() - x, p["y"].get<double>() - y), 1.0) << p["id"];
        EXPECT_EQ(p["id"].get<std::string>().size(), 11u);  // "05317-00095"
      }
      const double off = testing::ArcsecApart(j["target"]["ra_hours"], j["target"]["dec_deg"], t.targetRA, t.targetDec);
      EXPECT_LT(off, 0.3);
      EXPECT_NEAR(j["match"]["arcsec_per_pixel"].get<double>(), t.scale, 0.002);
      // North up, east left, 1.5 degrees north through east: x runs to the west, y to the south.
      EXPECT_TRUE(j["match"]["mirrored"].get<bool>());
      EXPECT_NEAR(std::fabs(j["match"]["rotation_deg"].get<double>()), t.rotation, 0.05);
      EXPECT_LT(j["match"]["rms_arcsec"].get<double>(), 0.3);
      EXPECT_EQ(j["center"]["x"].get<double>(), 384.0);
    }
  }
}

TEST(DemoSolveAuto, WeightedByTheCentringUncertaintiesTheTargetStaysOnItsTruth) {
  const auto truth = testing::ReadTruth();
  for (const auto& t : truth) {
    SCOPED_TRACE(t.file);
    auto args = AutoArgs(t);
    args.insert(args.end(), {"--scale", "1.996"});
    const auto equal = nlohmann::json::parse(Cli(args).out);
    EXPECT_FALSE(equal["weighted"].get<bool>());
    EXPECT_EQ(equal["weighted_stars"].get<int>(), 0);
    args.insert(args.end(), {"--weight", "uncertainty"});
    const auto run = Cli(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    EXPECT_TRUE(j["weighted"].get<bool>());
    // Every matched star brings its uncertainty: positive, and below the pixel its pair is within.
    EXPECT_EQ(j["weighted_stars"].get<std::size_t>(), j["pairs"].size());
    for (const auto& p : j["pairs"]) {
      EXPECT_GT(p["sigma_x"].get<double>(), 0) << p["id"];
      EXPECT_LT(p["sigma_x"].get<double>(), 0.5) << p["id"];
      EXPECT_GT(p["sigma_y"].get<double>(), 0) << p["id"];
      EXPECT_LT(p["sigma_y"].get<double>(), 0.5) << p["id"];
    }
    EXPECT_EQ(j["pairs"], equal["pairs"]);  // the same stars, only weighted differently
    const double off = testing::ArcsecApart(j["target"]["ra_hours"], j["target"]["dec_deg"], t.targetRA, t.targetDec);
    EXPECT_LT(off, 0.3);
  }
  auto bad = AutoArgs(truth[0]);
  bad.insert(bad.end(), {"--weight", "stars"});
  const auto run = Cli(bad);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--weight is equal or uncertainty"), std::string::npos);
}

TEST(DemoSolveAuto, AWrongScaleIsRefusedAndUsageIsChecked) {
  const auto truth = testing::ReadTruth();
  auto args = AutoArgs(truth[0]);
  args.insert(args.end(), {"--scale", "4"});
  auto run = Cli(args);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(run.err.rfind("Auto-Match: No trustworthy match of the catalog stars with the stars of the image was found.", 0), 0u)
      << run.err;
  // The command line's advice, not the windows' (pick them by hand).
  EXPECT_NE(run.err.find("Give the image scale with --scale, the field centre with --center"), std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("by hand"), std::string::npos);
  run = Cli({"solve", "--auto", testing::DemoPath("images/EROS001.FIT")});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--auto IMAGE.FIT needs --catalog (with --path for a local catalog"), std::string::npos)
      << run.err;
  run = Cli({"solve", "--auto", testing::DemoPath("images/EROS001.FIT"), "--catalog", "ucac", "--path", "x"});
  EXPECT_EQ(run.status, 2);
  run = Cli({"solve", "--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("skarvel-cli solve --auto IMAGE.FIT --catalog gsc|gsc-converted --path ROOT"), std::string::npos);
}

}  // namespace
}  // namespace skarvel
