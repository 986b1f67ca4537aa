// skarvel-cli measure on generated nights: frames of a random star field
// at a random rotation, mirrored or not, with the catalog's stars served as
// Gaia DR3 by a loopback VizieR (nothing leaves the machine) and a target
// of signal-to-noise 80 that no catalog lists. The measured place is
// compared with the truth the generator used, the magnitude with the
// target's drawn magnitude, the time with the exposure's middle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "shell/cli_run.h"
#include "support/mini_fits.h"
#include "support/net/loopback_http_server.h"
#include "support/sky_frames.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::Cli;
using testing::CliRun;
using testing::FrameSetup;
using testing::SkyFrame;
using testing::TempDir;

constexpr double kPi = 3.14159265358979323846;

// The answer VizieR gives for Gaia DR3: the columns the query asks for, one
// star a line, 19-digit source identifiers.
std::string GaiaAnswer(const std::vector<SkyStar>& stars) {
  std::ostringstream s;
  s << "#RESOURCE=yCat_1355\n#Table\tI_355_gaiadr3:\n\n"
    << "RA_ICRS\tDE_ICRS\tSource\tpmRA\tpmDE\tGmag\n"
    << "deg\tdeg\t\tmas/yr\tmas/yr\tmag\n"
    << "---------------\t---------------\t-------------------\t---------\t---------\t---------\n";
  for (std::size_t i = 0; i < stars.size(); ++i) {
    char line[160];
    std::snprintf(line, sizeof line, "%015.11f\t%015.11f\t59%017zu\t    0.000\t    0.000\t%9.6f\n",
                  static_cast<double>(stars[i].raHours) * 15, static_cast<double>(stars[i].decDeg),
                  static_cast<std::size_t>(4000000000000000ull + 7919 * i), static_cast<double>(stars[i].mag));
    s << line;
  }
  return s.str();
}

struct Night {
  std::string file;
  double targetRA = 0, targetDec = 0, targetMag = 0, targetX = 0, targetY = 0;
  std::vector<SkyStar> catalog;
};

// One generated frame written as an unsigned 16-bit FITS image with its
// pointing, exposure and a start time with milliseconds.
Night MakeNight(const TempDir& dir, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  FrameSetup f;
  f.width = f.height = 512;
  f.centreRAHours = 2 + 20 * unit(rng);
  f.centreDecDeg = -50 + 100 * unit(rng);
  f.arcsecPerPixel = 1.8;
  f.rotationDeg = 360 * unit(rng);
  f.mirror = unit(rng) < 0.5;
  f.fwhmPixels = 2.6;
  f.sky = 900;
  f.readNoise = 9;
  f.fluxMag10 = 2.0e5;
  f.hotPixels = 12;
  f.seed = seed;
  Night n;
  const double half = 512 * 1.8 / 3600 / 2 * 1.3;  // degrees: the frame and a margin
  const double cosDec = std::cos(f.centreDecDeg * kPi / 180);
  for (int i = 0; i < 70; ++i)
    n.catalog.push_back({f.centreRAHours + (2 * unit(rng) - 1) * half / cosDec / 15,
                         f.centreDecDeg + (2 * unit(rng) - 1) * half, static_cast<float>(10.5 + 5.5 * unit(rng))});
  // The target: signal-to-noise 80 in the unknown box's 17 x 17 pixels,
  // F / sqrt(F + 289 (sky + read noise^2)) = 80.
  const double background = 289 * (f.sky + f.readNoise * f.readNoise);
  const double flux = (6400 + std::sqrt(6400.0 * 6400 + 4 * 6400 * background)) / 2;
  n.targetMag = 10 - 2.5 * std::log10(flux / f.fluxMag10);
  SkyFrame frame(f);
  do {
    n.targetRA = f.centreRAHours + (2 * unit(rng) - 1) * 0.6 * 512 * 1.8 / 3600 / 2 / cosDec / 15;
    n.targetDec = f.centreDecDeg + (2 * unit(rng) - 1) * 0.6 * 512 * 1.8 / 3600 / 2;
    frame.TruePixel(n.targetRA, n.targetDec, n.targetX, n.targetY);
  } while ([&] {
    for (const SkyStar& s : n.catalog) {
      double x = 0, y = 0;
      if (frame.TruePixel(s.raHours, s.decDeg, x, y) && std::hypot(x - n.targetX, y - n.targetY) < 20) return true;
    }
    return false;
  }());
  std::vector<SkyStar> drawn = n.catalog;
  drawn.push_back({n.targetRA, n.targetDec, static_cast<float>(n.targetMag)});
  frame.Render(drawn);
  std::vector<std::int16_t> values;
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) values.push_back(static_cast<std::int16_t>(frame.pixels.PixelAt(x, y) - 32768));
  char ra[40], dec[40];
  const double raH = f.centreRAHours + 0.004;  // the pointing a little off the truth
  std::snprintf(ra, sizeof ra, "'%02d:%02d:%05.2f'", static_cast<int>(raH), static_cast<int>(std::fmod(raH * 60, 60)),
                std::fmod(raH * 3600, 60));
  const double d = std::fabs(f.centreDecDeg);
  std::snprintf(dec, sizeof dec, "'%c%02d:%02d:%04.1f'", f.centreDecDeg < 0 ? '-' : '+', static_cast<int>(d),
                static_cast<int>(std::fmod(d * 60, 60)), std::fmod(d * 3600, 60));
  n.file = dir.Path() + "night" + std::to_string(seed) + ".fit";
  testing::WriteFitsPixels(n.file, 512, 512, values,
                           {"BZERO   =                32768", "BSCALE  =                    1",
                            "DATE-OBS= '2024-03-10T03:15:51.330'", "EXPTIME =                 42.0",
                            "OBJECT  = 'Test Target'", "FILTER  = 'Clear'", std::string("RA      = ") + ra, std::string("DEC     = ") + dec});
  return n;
}

double ArcsecApart(double ra1, double dec1, double ra2, double dec2) {
  const double dra = (ra1 - ra2) * 15 * std::cos(dec2 * kPi / 180);
  return std::hypot(dra, dec1 - dec2) * 3600;
}

TEST(CliMeasure, GeneratedNightsMeasureToTheirTruth) {
  TempDir dir;
  test::LoopbackHttpServer server;
  for (const unsigned seed : {11u, 23u, 37u}) {
    const Night n = MakeNight(dir, seed);
    server.Answer("/viz-bin/asu-tsv", test::HttpReply::Text(GaiaAnswer(n.catalog)));
    char target[64];
    std::snprintf(target, sizeof target, "%.0f,%.0f", n.targetX, n.targetY);
    const CliRun run = Cli({"measure", n.file, "--catalog", "vizier-gaia-dr3", "--url", server.BaseUrl(), "--target",
                            target, "--number", "433"});
    ASSERT_EQ(run.status, 0) << "seed " << seed << ": " << run.err;
    const auto j = nlohmann::json::parse(run.out);
    const auto& o = j["observation"];
    const double off = ArcsecApart(o["ra_hours"], o["dec_deg"], n.targetRA, n.targetDec);
    // The centroid of a signal-to-noise-80 star of 2.6 pixels FWHM is good
    // to some 0.04 pixels (0.07"); the plate of some twenty stars adds less.
    EXPECT_LT(off, 0.20) << "seed " << seed << " true pixel " << n.targetX << "," << n.targetY << "\n" << run.out;
    EXPECT_NEAR(o["mag"].get<double>(), n.targetMag, 0.20) << "seed " << seed;
    EXPECT_EQ(o["band"], "G");
    // The exposure's middle: 03:15:51.330 + 21 s.
    EXPECT_EQ(o["obs_time_utc"], "2024-03-10T03:16:12.330Z");
    const double midJD = 2460379.5 + (3 * 3600 + 16 * 60 + 12.330) / 86400;
    EXPECT_NEAR(o["jd_utc"].get<double>(), midJD, 0.01 / 86400);
    // The 80-column line carries the same place to its printed precision.
    const std::string line = o["mpc80"];
    ASSERT_EQ(line.size(), 80u);
    EXPECT_EQ(line.substr(0, 5), "00433");
    EXPECT_EQ(line.substr(15, 16), "2024 03 10.13625");
    const double ra = std::stod(line.substr(32, 2)) + std::stod(line.substr(35, 2)) / 60 + std::stod(line.substr(38, 5)) / 3600;
    const double dec = (line[44] == '-' ? -1 : 1) *
                       (std::stod(line.substr(45, 2)) + std::stod(line.substr(48, 2)) / 60 + std::stod(line.substr(51, 4)) / 3600);
    EXPECT_LE(std::fabs(ra - o["ra_hours"].get<double>()) * 3600, 0.005 + 1e-9);
    EXPECT_LE(std::fabs(dec - o["dec_deg"].get<double>()) * 3600, 0.05 + 1e-9);
    EXPECT_EQ(line[70], 'G');
    // The references: Gaia's identifiers whole, the solution's counts.
    ASSERT_GE(j["references"].size(), 8u);
    for (const auto& r : j["references"]) EXPECT_EQ(r["id"].get<std::string>().size(), 19u) << r["id"];
    EXPECT_GE(j["solution"]["used"].get<int>(), 8);
    EXPECT_EQ(j["solution"]["model"], "linear");
    // A new installation's windowed centroid: the target of SNR 80 and every
    // measured reference carry their uncertainty; the plate is unweighted.
    EXPECT_GT(j["target"]["sigma_x"].get<double>(), 0.001);
    EXPECT_LT(j["target"]["sigma_x"].get<double>(), 0.1);
    EXPECT_GT(j["target"]["sigma_y"].get<double>(), 0.001);
    EXPECT_LT(j["target"]["sigma_y"].get<double>(), 0.1);
    for (const auto& r : j["references"])
      if (r["used"].get<bool>()) {
        EXPECT_GT(r["sigma_x"].get<double>(), 0) << r["id"];
        EXPECT_LT(r["sigma_x"].get<double>(), 1) << r["id"];
      }
    EXPECT_FALSE(j["solution"]["weighted"].get<bool>());
    EXPECT_EQ(j["solution"]["weighted_stars"].get<int>(), 0);
  }
}

TEST(CliMeasure, UsageAndFailures) {
  const CliRun none = Cli({"measure", "--catalog", "online"});
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("name a FITS image and --target X,Y"), std::string::npos) << none.err;
  const CliRun path = Cli({"measure", "x.fit", "--catalog", "online", "--path", "/tmp", "--target", "1,2"});
  EXPECT_EQ(path.status, 2);
  EXPECT_NE(path.err.find("is on-line: give --url, not --path"), std::string::npos) << path.err;
  const CliRun local = Cli({"measure", "x.fit", "--catalog", "ucac2", "--target", "1,2"});
  EXPECT_EQ(local.status, 2);
  EXPECT_NE(local.err.find("--catalog ucac2 needs --path ROOT"), std::string::npos) << local.err;
  const CliRun model = Cli({"measure", "x.fit", "--catalog", "online", "--target", "1,2", "--model", "cubic"});
  EXPECT_EQ(model.status, 2);
  TempDir dir;
  const CliRun missing = Cli({"measure", dir.Path() + "none.fit", "--catalog", "online", "--url", "http://127.0.0.1:9",
                              "--target", "1,2"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.out.empty());
}

}  // namespace
}  // namespace skarvel
