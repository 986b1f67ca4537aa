// `skarvel-cli stack` and `track-search` on the demo night: the four images
// stacked along (433) Eros's motion from the demo's orbit file, Eros measured
// on the stack at the reference time against its ephemeris and the images'
// truth; the same stack from a typed motion; the usage errors and failures;
// and the track search finding Eros and naming it.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "demo/demo_support.h"
#include "foundations/date_time.h"
#include "images/fits_file.h"
#include "images/fitted_centroid.h"
#include "shell/cli_run.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::Cli;

cli::Arguments DemoSeries(const std::string& sub) {
  cli::Arguments args{sub, "--images"};
  for (const auto& t : testing::ReadTruth()) args.push_back(testing::DemoPath("images/" + t.file));
  args.insert(args.end(), {"--catalog", "gsc-converted", "--path", testing::DemoPath("catalog/gsc_vorn"), "--scale", "1.996"});
  return args;
}

// Eros measured on a stack file near (x, y): the windowed centroid, on the sky by the stack's WCS.
std::array<double, 2> MeasureOnStack(const std::string& path, double x, double y, double& jd, double& exposure) {
  testing::TempDir dir;
  testing::ScriptedPlatform ui;
  FITSFileObj image(ImageLoadContext{&ui, dir.Path(), 1, nullptr, nullptr});
  EXPECT_TRUE(image.Load(path));
  EXPECT_TRUE(image.Wcs().has_value());
  jd = static_cast<double>(DateTimeToDays(image.Header().observationTime) + 2415018.5L);
  exposure = static_cast<double>(image.Header().exposure);
  const auto c = FitCentroid(image, CentroidMethod::kWindowed, x, y, PsfShape{}, 3);
  EXPECT_TRUE(c.has_value());
  if (!c || !image.Wcs()) return {0, 0};
  const auto sky = image.Wcs()->PixelToSky(c->x + 1, c->y + 1);
  return {sky[0] / 15, sky[1]};
}

TEST(DemoStack, ErosOnTheStackAlongItsOrbitLiesOnItsEphemeris) {
  testing::TempDir dir;
  const auto truth = testing::ReadTruth();
  cli::Arguments args = DemoSeries("stack");
  args.insert(args.end(), {"--object", "433", "--orbits", testing::DemoPath("orbits/MPCORB.CMO"), "--site",
                           "-111.6,31.96,2096", "--resample", "bilinear", "--out", dir / "EROS.FIT"});
  const auto run = Cli(args);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["frames"], 4);
  EXPECT_TRUE(j["left_out"].empty());
  EXPECT_EQ(j["combine"], "mean");
  double meanJd = 0;
  for (const auto& t : truth) meanJd += t.midJD / 4;
  EXPECT_NEAR(j["reference_jd"].get<double>(), meanJd, 1e-7);
  EXPECT_DOUBLE_EQ(j["exposure_s"].get<double>(), 240.0);
  EXPECT_NEAR(j["rate_arcsec_per_min"].get<double>(), 104.0 / 60, 0.05);
  EXPECT_EQ(j["object"]["name"], "Eros");
  double jd = 0, exposure = 0;
  const auto at = MeasureOnStack(dir / "EROS.FIT", j["object"]["x"], j["object"]["y"], jd, exposure);
  EXPECT_NEAR(jd, meanJd, 1.0 / 86400000);
  EXPECT_DOUBLE_EQ(exposure, 240.0);
  const double fromEphemeris =
      testing::ArcsecApart(at[0], at[1], j["object"]["ra_hours"].get<double>(), j["object"]["dec_deg"].get<double>());
  // The images' truth at the reference time: the mean of the four places (uniform motion).
  double ra = 0, dec = 0;
  for (const auto& t : truth) {
    ra += t.targetRA / 4;
    dec += t.targetDec / 4;
  }
  const double fromTruth = testing::ArcsecApart(at[0], at[1], ra, dec);
  std::printf("Eros on the stack: %.3f\" from its ephemeris, %.3f\" from the images' truth\n", fromEphemeris, fromTruth);
  EXPECT_LT(fromEphemeris, 0.2);
  EXPECT_LT(fromTruth, 0.2);
}

TEST(DemoStack, TypedMotionAndMedianGiveTheSameReferencePlace) {
  testing::TempDir dir;
  cli::Arguments args = DemoSeries("stack");
  args.insert(args.end(), {"--rate", "1.7333", "--pa", "153.7", "--combine", "median", "--out", dir / "TYPED.FIT"});
  const auto run = Cli(args);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["combine"], "median");
  EXPECT_DOUBLE_EQ(j["pa_deg"].get<double>(), 153.7);
  EXPECT_FALSE(j.contains("object"));
  EXPECT_TRUE(std::filesystem::exists(dir / "TYPED.FIT"));
  // --jd moves the catalog's stars by their proper motions; the Guide Star
  // Catalog has none, so the frames are matched and stacked alike.
  args.back() = dir / "AT_JD.FIT";
  args.insert(args.end(), {"--jd", "2458604.66"});
  const auto atJd = Cli(args);
  ASSERT_EQ(atJd.status, 0) << atJd.err;
  EXPECT_EQ(nlohmann::json::parse(atJd.out)["reference_jd"], j["reference_jd"]);
  EXPECT_EQ(testing::ReadAll(dir / "AT_JD.FIT"), testing::ReadAll(dir / "TYPED.FIT"));
}

TEST(DemoStack, UsageErrorsAndFailuresLeaveNoFile) {
  testing::TempDir dir;
  const auto usage = [&](cli::Arguments extra) {
    cli::Arguments args = DemoSeries("stack");
    args.insert(args.end(), extra.begin(), extra.end());
    return Cli(args);
  };
  EXPECT_EQ(usage({"--rate", "1", "--pa", "0"}).status, 2);                       // no --out
  EXPECT_EQ(usage({"--rate", "1", "--out", dir / "A.FIT"}).status, 2);             // rate without pa
  EXPECT_EQ(usage({"--rate", "1", "--pa", "0", "--object", "433", "--out", dir / "A.FIT"}).status, 2);
  EXPECT_EQ(usage({"--object", "433", "--orbits", "X.CMO", "--out", dir / "A.FIT"}).status, 2);  // no site
  const auto combine = usage({"--rate", "1", "--pa", "0", "--combine", "sum", "--out", dir / "A.FIT"});
  EXPECT_EQ(combine.status, 2);
  EXPECT_EQ(combine.err, "skarvel-cli stack: --combine is mean or median\n");
  EXPECT_EQ(usage({"--rate", "1", "--pa", "0", "--jd", "noon", "--out", dir / "A.FIT"}).status, 2);
  cli::Arguments missing{"stack", "--images", dir / "NONE.FIT", "--catalog", "gsc-converted", "--path",
                         testing::DemoPath("catalog/gsc_vorn"), "--rate", "1", "--pa", "0", "--out", dir / "A.FIT"};
  EXPECT_EQ(Cli(missing).status, 1);
  const auto noObject = usage({"--object", "999999", "--orbits", testing::DemoPath("orbits/MPCORB.CMO"), "--site",
                               "0,0,0", "--out", dir / "A.FIT"});
  EXPECT_EQ(noObject.status, 1);
  EXPECT_NE(noObject.err.find("No object numbered 999999"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "A.FIT"));
  EXPECT_EQ(Cli({"track-search", "--images", "A.FIT", "B.FIT"}).status, 2);
}

TEST(DemoTrackSearch, ErosIsFoundAtItsRateAndNamed) {
  cli::Arguments args = DemoSeries("track-search");
  args.insert(args.end(), {"--rate-max", "2.5", "--orbits", testing::DemoPath("orbits/MPCORB.CMO"), "--site",
                           "-111.6,31.96,2096"});
  const auto run = Cli(args);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto j = nlohmann::json::parse(run.out);
  ASSERT_GE(j["candidates"].size(), 1u);
  const auto& c = j["candidates"][0];
  EXPECT_NEAR(c["rate_arcsec_per_min"].get<double>(), 104.0 / 60, 0.1 * 104.0 / 60);
  ASSERT_TRUE(c["known"].is_object()) << run.out;
  EXPECT_EQ(c["known"]["number"], 433);
  const auto truth = testing::ReadTruth();
  double ra = 0, dec = 0;
  for (const auto& t : truth) {
    ra += t.targetRA / 4;
    dec += t.targetDec / 4;
  }
  // Four frames half an hour apart: the place from the whole-pixel shifts of
  // the finest grid step (0.04 px a minute), within 1.5 pixels.
  EXPECT_LT(testing::ArcsecApart(c["position"]["ra_hours"], c["position"]["dec_deg"], ra, dec), 3.0);
  EXPECT_NEAR(c["position"]["jd"].get<double>(), j["reference_jd"].get<double>(), 1e-9);
  // Eros stands far above the rest: the unknown candidates of four frames
  // (star residuals the median of four cannot take off) are much fainter.
  for (std::size_t i = 1; i < j["candidates"].size(); ++i)
    EXPECT_LT(j["candidates"][i]["snr"].get<double>(), c["snr"].get<double>()) << i;
}

}  // namespace
}  // namespace skarvel
