// `skarvel-cli measure` on the demo night's four images with the demo's own
// options and converted GSC: each target against the truth of truth.csv
// (place, magnitude, mid-exposure time), every reference star's centre
// against `skarvel-cli centroid` at the same place with the same box.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "demo/demo_support.h"
#include "shell/cli_run.h"

namespace skarvel {
namespace {

using testing::Cli;

TEST(DemoMeasure, EachImageMeasuresItsTargetToTheTruth) {
  const auto truth = testing::ReadTruth();
  ASSERT_EQ(truth.size(), 4u);
  for (const auto& t : truth) {
    SCOPED_TRACE(t.file);
    const std::string image = testing::DemoPath("images/" + t.file);
    const auto run = Cli({"measure", image, "--catalog", "gsc-converted", "--path", testing::DemoPath("catalog/gsc_vorn"),
                          "--options", testing::DemoPath("ASTROPTS.INI"), "--target",
                          std::to_string(std::lround(t.targetX)) + "," + std::to_string(std::lround(t.targetY)),
                          "--object", "Eros", "--number", "433"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    const auto& o = j["observation"];
    EXPECT_LT(testing::ArcsecApart(o["ra_hours"], o["dec_deg"], t.targetRA, t.targetDec), 0.10);
    EXPECT_NEAR(o["mag"].get<double>(), t.targetMag, 0.15);
    EXPECT_NEAR(o["jd_utc"].get<double>(), t.midJD, 0.01 / 86400.0);
    const std::string line = o["mpc80"];
    ASSERT_EQ(line.size(), 80u);
    EXPECT_EQ(line.substr(0, 5), "00433");
    EXPECT_EQ(line.substr(77, 3), "695");
    // The reference stars are centred as `centroid` centres them with the reference box.
    ASSERT_GE(j["references"].size(), 8u);
    int checked = 0;
    for (const auto& r : j["references"]) {
      if (!r["used"].get<bool>() || checked >= 4) continue;
      ++checked;
      const auto c = Cli({"centroid", image, "--at",
                          std::to_string(r["x"].get<double>()) + "," + std::to_string(r["y"].get<double>()), "--box",
                          "8,8,4,3"});
      ASSERT_EQ(c.status, 0) << c.err;
      const auto cj = nlohmann::json::parse(c.out);
      EXPECT_NEAR(cj["x"].get<double>(), r["x"].get<double>(), 1e-9) << r["id"];
      EXPECT_NEAR(cj["y"].get<double>(), r["y"].get<double>(), 1e-9) << r["id"];
    }
  }
}

}  // namespace
}  // namespace skarvel
