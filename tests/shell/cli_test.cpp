#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "shell/cli/cli.h"
#include "shell/cli_run.h"
#include "support/sbig_writer.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::Cli;
using testing::CliRun;

const std::string kSaao = std::string(SKARVEL_TEST_DATA_DIR) + "/images/ccdproc_a8280271_SAAO1m.fits";

TEST(Cli, HelpVersionAndBadUsage) {
  const CliRun help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("  fits-info  "), std::string::npos);
  EXPECT_NE(help.out.find("  time  "), std::string::npos);
  const CliRun version = Cli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "skarvel-cli 1.330\n");
  EXPECT_EQ(Cli({}).status, 2);
  const CliRun unknown = Cli({"frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("unknown subcommand \"frobnicate\""), std::string::npos);
  const CliRun subHelp = Cli({"fits-info", "--help"});
  EXPECT_EQ(subHelp.status, 0);
  EXPECT_EQ(subHelp.out.rfind("Usage: skarvel-cli fits-info FILE", 0), 0u);
}

TEST(CliFitsInfo, RealFrame) {
  const CliRun r = Cli({"fits-info", kSaao});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["width"], 536);
  EXPECT_EQ(j["height"], 520);
  EXPECT_EQ(j["bitpix"], 16);
  EXPECT_EQ(j["format"], "FITS (BITPIX = 16)");
  EXPECT_EQ(j["filter"], 8);
  EXPECT_EQ(j["obs_date"], "2013/07/13");
  EXPECT_EQ(j["obs_time"], "00:58:48");  // 00:57:33 + half of 150.04 s
  EXPECT_NEAR(j["ra_hours"].get<double>(), 22.0 + 4 / 60.0 + 8 / 3600.0, 1e-12);
  EXPECT_NEAR(j["dec_deg"].get<double>(), -(55 / 60.0 + 31 / 3600.0), 1e-12);
  // JD of 2013-07-13 00:58:48.02 UT: 2456486.5 + 3528.02 / 86400.
  EXPECT_NEAR(j["obs_jd"].get<double>(), 2456486.5 + 3528.02 / 86400.0, 1e-8);
  EXPECT_EQ(j["exposure_s"], 150.04);
  const double mean = j["mean"];
  const double sigma = j["sigma"];
  EXPECT_EQ(j["display_low"], static_cast<int>(std::nearbyint(mean - 0.25 * sigma)));
  EXPECT_EQ(j["display_high"], static_cast<int>(std::nearbyint(2.0 * sigma + j["display_low"].get<double>())));
  EXPECT_TRUE(r.err.empty());
  const auto mid = nlohmann::json::parse(Cli({"fits-info", kSaao, "--header-time", "mid"}).out);
  EXPECT_EQ(mid["obs_time"], "00:57:33");
  const auto end = nlohmann::json::parse(Cli({"fits-info", "--header-time=end", kSaao}).out);
  EXPECT_EQ(end["obs_time"], "00:56:17");  // 00:56:17.98, the fraction dropped
}

TEST(CliFitsInfo, FailuresAndUsage) {
  const CliRun missing = Cli({"fits-info", "/no/such/file.fits"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "FITS File Error!: Unable to Open FITS File!\n\nFile Name: /no/such/file.fits\nIOResult = 2\n");
  EXPECT_TRUE(missing.out.empty());
  testing::TempDir dir;
  testing::WriteText(dir / "x.fits", std::string("not a fits file at all") + std::string(200, ' '));
  const CliRun notFits = Cli({"fits-info", dir / "x.fits"});
  EXPECT_EQ(notFits.status, 1);
  EXPECT_NE(notFits.err.find("File is Not FITS Format!"), std::string::npos);
  EXPECT_EQ(Cli({"fits-info"}).status, 2);
  EXPECT_EQ(Cli({"fits-info", kSaao, "--header-time", "noon"}).status, 2);
  EXPECT_EQ(Cli({"fits-info", kSaao, "other.fits"}).status, 2);
}

TEST(CliFitsInfo, SbigAndStFourFiles) {
  const CliRun help = Cli({"fits-info", "--help"});
  EXPECT_NE(help.out.find("[--type fits|sbig|st4]"), std::string::npos);
  testing::TempDir dir;
  testing::SBIGFileSetup setup;
  setup.firstLine = "ST-8 Compressed Image";
  setup.keys = {{"Width", "3"},         {"Height", "2"},   {"Pedestal", "100"}, {"Background", "20"},
               {"Range", "40"},        {"Exposure", "6000"}, {"Date", "01/02/05"}, {"Time", "03:15:20"},
               {"Observer", "J. Doe"}, {"Filter", "B"}};
  setup.width = 3;
  setup.height = 2;
  setup.values = {10, 20, 30, 40, 50, 300};
  testing::WriteAll(dir / "m1.st8", testing::SBIGFileBytes(setup));
  const CliRun r = Cli({"fits-info", dir / "m1.st8", "--type", "sbig"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["format"], "SBIG - ST-8 Compressed Image");
  EXPECT_EQ(j["bitpix"], 16);
  EXPECT_EQ(j["min"], 10);
  EXPECT_EQ(j["max"], 300);
  EXPECT_EQ(j["observer"], "J. Doe");
  EXPECT_EQ(j["filter"], 0);
  EXPECT_EQ(j["exposure_s"], 60.0);
  EXPECT_EQ(j["obs_date"], "2005/01/02");
  EXPECT_EQ(j["obs_time"], "03:15:50");  // start of the exposure: +30 s
  EXPECT_EQ(j["camera"], "SBIG ST-8");
  EXPECT_EQ(j["header_background"], 20);
  EXPECT_EQ(j["header_range_top"], 60);
  // The same file read as FITS is refused; a FITS file's keys stay as they were.
  EXPECT_EQ(Cli({"fits-info", dir / "m1.st8"}).status, 1);
  EXPECT_FALSE(nlohmann::json::parse(Cli({"fits-info", kSaao, "--type=fits"}).out).contains("camera"));

  std::vector<std::uint8_t> pixels(31680, 7);
  pixels[0] = 200;
  testing::WriteAll(dir / "g.st4", testing::ST4FileBytes(pixels, "guide", "250", "", "", ""));
  const auto st4 = nlohmann::json::parse(Cli({"fits-info", "--type=st4", dir / "g.st4"}).out);
  EXPECT_EQ(st4["width"], 192);
  EXPECT_EQ(st4["height"], 165);
  EXPECT_EQ(st4["bitpix"], 8);
  EXPECT_EQ(st4["max"], 200);
  EXPECT_EQ(st4["camera"], "SBIG ST-4");
  EXPECT_EQ(st4["exposure_s"], 2.5);
  const CliRun bad = Cli({"fits-info", dir / "g.st4", "--type", "png"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "skarvel-cli fits-info: --type needs fits, sbig or st4, not \"png\"\n");
  EXPECT_EQ(Cli({"fits-info", dir / "g.st4", "--type"}).status, 2);
}

}  // namespace
}  // namespace skarvel

#include "support/mini_fits.h"

namespace skarvel {
namespace {

TEST(CliCentroid, FindsAStarAndReportsItsFluxAndSky) {
  testing::TempDir dir;
  // A 40 x 30 ramp, value 100 + x + 10 y: no star stands out of its own sky frame.
  std::vector<std::string> none;
  testing::WriteMiniFits(dir / "ramp.fits", 40, 30, 100, none);
  const CliRun plain = Cli({"centroid", dir / "ramp.fits", "--at", "20,15"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  const auto j = nlohmann::json::parse(plain.out);
  EXPECT_FALSE(j["found"].get<bool>());
  EXPECT_EQ(j["x"], 20.0);
  // The frame of 25 x 25 less 17 x 17 pixels around (20, 15), clipped at row 27..29 and column 32..39: all inside.
  EXPECT_EQ(j["sky_pixels"], 25 * 25 - 17 * 17);
  EXPECT_NEAR(j["sky_mean"].get<double>(), 100 + 20 + 150, 1e-9);
  // With the threshold from the whole image the upper corner of the peak box is bright enough:
  // the centroid moves up the ramp.
  const CliRun global = Cli({"centroid", dir / "ramp.fits", "--at", "20,15", "--no-read-sky"});
  const auto g = nlohmann::json::parse(global.out);
  EXPECT_TRUE(g["found"].get<bool>());
  EXPECT_GT(g["x"].get<double>(), 20.0);
  EXPECT_GT(g["y"].get<double>(), 15.0);
  const CliRun outside = Cli({"centroid", dir / "ramp.fits", "--at=45,10"});
  ASSERT_EQ(outside.status, 0);
  const auto o = nlohmann::json::parse(outside.out);
  EXPECT_FALSE(o["found"].get<bool>());
  EXPECT_EQ(o["x"], 45.0);
  EXPECT_EQ(Cli({"centroid", dir / "ramp.fits"}).status, 2);
  EXPECT_EQ(Cli({"centroid", dir / "ramp.fits", "--at", "1,2", "--box", "8,8,4,9"}).status, 2);
  EXPECT_EQ(Cli({"centroid", dir / "missing.fits", "--at", "1,2"}).status, 1);
}

}  // namespace
}  // namespace skarvel

namespace skarvel {
namespace {

TEST(CliSolve, SolvesPairsAndRefusesTooFew) {
  testing::TempDir dir;
  // A plate of 1 arc second per pixel, x toward the west, y north, centred at 5h 30m, +22 deg:
  // pairs written with the inverse gnomonic projection.
  const long double ra0 = 5.5L * 15 * 0.017453292519943295769L;
  const long double dec0 = 22.0L * 0.017453292519943295769L;
  std::string csv = "x,y,ra_hours,dec_deg,use\n";
  const double pts[6][2] = {{100, 100}, {900, 120}, {500, 700}, {150, 650}, {820, 760}, {480, 300}};
  for (const auto& p : pts) {
    const long double X = (p[0] - 512) / 206264.806L;
    const long double Y = (p[1] - 384) / 206264.806L;
    const long double da = std::atan2(-X, std::cos(dec0) - Y * std::sin(dec0));
    const long double dec = std::atan((std::sin(dec0) + Y * std::cos(dec0)) * std::cos(da) / (std::cos(dec0) - Y * std::sin(dec0)));
    char row[200];
    std::snprintf(row, sizeof row, "%.1f,%.1f,%.15Lf,%.15Lf,1\n", p[0], p[1], (ra0 + da) / 0.017453292519943295769L / 15,
                  dec / 0.017453292519943295769L);
    csv += row;
  }
  testing::WriteText(dir / "pairs.csv", csv);
  const CliRun r = Cli({"solve", "--pairs", dir / "pairs.csv", "--center", "5.5,22", "--target", "512,384",
                        "--image-size", "1024,768"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_TRUE(j["solved"].get<bool>());
  EXPECT_EQ(j["model"], "linear");
  ASSERT_EQ(j["constants"].size(), 6u);
  EXPECT_NEAR(j["constants"][0].get<double>(), 1 / 206264.806, 1e-12);  // a: X grows with x
  ASSERT_EQ(j["stars"].size(), 6u);
  for (const auto& s : j["stars"]) EXPECT_LT(s["res_total"].get<double>(), 1e-3);
  EXPECT_NEAR(j["target"]["ra_hours"].get<double>(), 5.5, 1e-9);
  EXPECT_NEAR(j["target"]["dec_deg"].get<double>(), 22.0, 1e-9);
  EXPECT_NEAR(j["center"]["x"].get<double>(), 512, 1e-12);
  // Two pairs do not fix a linear plate.
  testing::WriteText(dir / "two.csv", "x,y,ra_hours,dec_deg\n1,2,5.5,22\n3,4,5.51,22.01\n");
  const CliRun few = Cli({"solve", "--pairs", dir / "two.csv", "--center", "5.5,22"});
  EXPECT_EQ(few.status, 1);
  EXPECT_EQ(few.err, "Insufficient References: Not Enough Reference Stars for Selected Solution Type!\n");
  EXPECT_EQ(Cli({"solve", "--pairs", dir / "pairs.csv"}).status, 2);
  EXPECT_EQ(Cli({"solve", "--pairs", dir / "pairs.csv", "--center", "5.5,22", "--model", "cubic"}).status, 2);
  testing::WriteText(dir / "bad.csv", "x,y,ra_hours,dec_deg\n1,2,abc,4\n");
  EXPECT_EQ(Cli({"solve", "--pairs", dir / "bad.csv", "--center", "5.5,22"}).status, 1);
}

}  // namespace
}  // namespace skarvel

#include "support/faint_frames.h"

namespace skarvel {
namespace {

TEST(CliCentroid, TheFittedCentringsGiveAPositionWithItsUncertainty) {
  testing::TempDir dir;
  // A star of SNR 12 (sigma 1.3 pixels) at (30.35, 24.8) on a sky of 400 with Poisson noise.
  synthetic::Rng rng(12);
  const double s = 1.3, flux = testing::FluxForSnr(12, 400, s);
  const auto counts = synthetic::Counts(
      synthetic::Render(60, 50, 400, {{30.35, 24.8, flux / (2 * 3.14159265358979323846 * s * s), s}}), true, rng);
  testing::WriteFitsPixels(dir / "star.fits", 60, 50, std::vector<std::int16_t>(counts.begin(), counts.end()));
  const CliRun box = Cli({"centroid", dir / "star.fits", "--at", "31,25"});
  ASSERT_EQ(box.status, 0) << box.err;
  const auto b = nlohmann::json::parse(box.out);
  EXPECT_EQ(b["centroid"], "box");
  EXPECT_FALSE(b["fitted"].get<bool>());
  for (const char* method : {"windowed", "psf-fit"}) {
    SCOPED_TRACE(method);
    const CliRun run = Cli({"centroid", dir / "star.fits", "--at", "31,25", "--centroid", method});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    EXPECT_TRUE(j["found"].get<bool>());
    EXPECT_TRUE(j["fitted"].get<bool>());
    EXPECT_EQ(j["centroid"], method);
    // Within 4 sigma of the truth; the uncertainty near sqrt(2) sigma / SNR = 0.15.
    EXPECT_NEAR(j["x"].get<double>(), 30.35, 4 * j["sigma_x"].get<double>());
    EXPECT_NEAR(j["y"].get<double>(), 24.8, 4 * j["sigma_y"].get<double>());
    EXPECT_NEAR(j["sigma_x"].get<double>(), 0.15, 0.05);
    EXPECT_NEAR(j["snr"].get<double>(), 12, 3);
  }
  // With the FWHM fixed.
  const CliRun fixed = Cli({"centroid", dir / "star.fits", "--at", "31,25", "--centroid", "psf-fit", "--fwhm", "3.06"});
  ASSERT_EQ(fixed.status, 0) << fixed.err;
  EXPECT_TRUE(nlohmann::json::parse(fixed.out)["fitted"].get<bool>());
  const CliRun bad = Cli({"centroid", dir / "star.fits", "--at", "31,25", "--centroid", "gauss"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "skarvel-cli centroid: --centroid takes box, windowed or psf-fit\n");
  EXPECT_EQ(Cli({"centroid", dir / "star.fits", "--at", "31,25", "--fwhm", "0.1"}).status, 2);
}

}  // namespace
}  // namespace skarvel
