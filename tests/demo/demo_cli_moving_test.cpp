// `skarvel-cli moving` on the demo night: the four images matched, the stars
// set aside, (433) Eros the one moving object, named from the demo's orbit
// file and measured against the truth.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "demo/demo_support.h"
#include "shell/cli_run.h"

namespace skarvel {
namespace {

using testing::Cli;

TEST(DemoMoving, ErosIsFoundAndNamed) {
  const auto truth = testing::ReadTruth();
  ASSERT_EQ(truth.size(), 4u);
  cli::Arguments args{"moving", "--images"};
  for (const auto& t : truth) args.push_back(testing::DemoPath("images/" + t.file));
  // Kitt Peak (MPC 695).
  args.insert(args.end(), {"--catalog", "gsc-converted", "--path", testing::DemoPath("catalog/gsc_vorn"), "--scale",
                           "1.996", "--orbits", testing::DemoPath("orbits/MPCORB.CMO"), "--site", "-111.6,31.96,2096"});
  const auto run = Cli(args);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto j = nlohmann::json::parse(run.out);
  ASSERT_EQ(j["frames"].size(), 4u);
  ASSERT_EQ(j["candidates"].size(), 1u);  // no star, hot pixel or cosmic ray taken for a moving object
  const auto& c = j["candidates"][0];
  ASSERT_TRUE(c.contains("known"));
  EXPECT_EQ(c["known"]["number"], 433);
  EXPECT_EQ(c["known"]["name"], "Eros");
  // Predicted as seen from the site at the images' UTC turned into TT: the
  // difference is the measuring error (unconverted it was 2", 69 s of motion).
  EXPECT_LT(c["known"]["mean_arcsec"].get<double>(), 0.3);
  ASSERT_EQ(c["known"]["predicted_minus_measured"].size(), 4u);
  EXPECT_FALSE(c.contains("trksub"));
  // 104" an hour (78 pixels across the set), magnitude 12.0.
  EXPECT_NEAR(c["rate_arcsec_per_min"].get<double>(), 104.0 / 60, 0.05);
  EXPECT_NEAR(c["mag"].get<double>(), truth[0].targetMag, 0.2);
  EXPECT_LT(c["residual_arcsec"].get<double>(), 0.3);
  for (std::size_t k = 0; k < 4; ++k) {
    const auto& p = c["positions"][k];
    EXPECT_LT(testing::ArcsecApart(p["ra_hours"], p["dec_deg"], truth[k].targetRA, truth[k].targetDec), 0.5) << k;
    EXPECT_NEAR(p["x"].get<double>(), truth[k].targetX, 0.5);
    EXPECT_NEAR(p["y"].get<double>(), truth[k].targetY, 0.5);
    EXPECT_NEAR(p["jd"].get<double>(), truth[k].midJD, 1e-6);
  }
}

// Without a site the prediction is the geocentric place: Eros, near the Earth
// and south of the equator, stood higher in the sky seen from the centre of
// the Earth than from Kitt Peak (32 deg north), so the prediction lies north
// of the measured place by its parallax, several arc seconds.
TEST(DemoMoving, WithoutASiteThePredictionIsGeocentric) {
  cli::Arguments args{"moving", "--images"};
  for (const auto& t : testing::ReadTruth()) args.push_back(testing::DemoPath("images/" + t.file));
  args.insert(args.end(), {"--catalog", "gsc-converted", "--path", testing::DemoPath("catalog/gsc_vorn"), "--scale",
                           "1.996", "--orbits", testing::DemoPath("orbits/MPCORB.CMO")});
  const auto run = Cli(args);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto j = nlohmann::json::parse(run.out);
  ASSERT_EQ(j["candidates"].size(), 1u);
  const auto& known = j["candidates"][0]["known"];
  EXPECT_EQ(known["number"], 433);
  const double mean = known["mean_arcsec"].get<double>();
  EXPECT_GT(mean, 5);
  EXPECT_LT(mean, 20);
  for (const auto& o : known["predicted_minus_measured"]) EXPECT_GT(o["dec_arcsec"].get<double>(), 3);
}

TEST(DemoMoving, UsageAndOrder) {
  auto run = Cli({"moving", "--images", testing::DemoPath("images/EROS001.FIT"), testing::DemoPath("images/EROS002.FIT"),
                  "--catalog", "gsc-converted", "--path", testing::DemoPath("catalog/gsc_vorn")});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("three or four files"), std::string::npos);
  run = Cli({"moving", "--images", testing::DemoPath("images/EROS003.FIT"), testing::DemoPath("images/EROS002.FIT"),
             testing::DemoPath("images/EROS001.FIT"), "--catalog", "gsc-converted", "--path",
             testing::DemoPath("catalog/gsc_vorn"), "--scale", "1.996"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("the images must be given in time order"), std::string::npos);
}

}  // namespace
}  // namespace skarvel
