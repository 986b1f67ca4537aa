// skarvel-cli solve --auto and moving on generated nights with every kind of
// reference catalog: four frames of a random star field at a random rotation,
// mirrored or not, with hot pixels and noise, and an asteroid crossing it.
// The catalog stars are served as a VizieR Gaia DR3 answer by a loopback
// server (nothing leaves the machine; it counts the requests), or written as
// UCAC2 and USNO-SA zone files by the tests' own writer. The catalog's stars
// carry proper motions (none in the SA): the frames show them where the motions
// put them at the frames' time, so a catalog read at its epoch misses by up to
// an arc second. The measured places are compared with the generator's truth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "catalogs/online_catalogs.h"
#include "shell/cli_run.h"
#include "support/mini_fits.h"
#include "support/net/loopback_http_server.h"
#include "support/sky_frames.h"
#include "support/temp_dir.h"
#include "support/zone_catalog_writer.h"

namespace skarvel {
namespace {

using testing::Cli;
using testing::CliRun;
using testing::FrameSetup;
using testing::SkyFrame;
using testing::TempDir;
using testing::ZoneStar;

constexpr double kPi = 3.14159265358979323846;
constexpr int kSide = 512;
constexpr double kScale = 1.8;  // arc seconds per pixel
constexpr double kJ2000 = 2451545.0, kJ2016 = 2457389.0, kDaysPerYear = 365.25;
// The first frame starts 2024-03-10 03:15:51 UTC, JD 2460379.636007; the
// frames are 20 minutes apart, 42 s each (the truth at mid-exposure).
constexpr double kFirstStartJD = 2460379.5 + (3 * 3600 + 15 * 60 + 51) / 86400.0;
constexpr double kStepDays = 20.0 / 1440, kExposureS = 42;

struct CatalogEntry {
  double raHours, decDeg, mag;
  double pmRA, pmDec;  // mas/yr, pmRA along the great circle
};

// One night: the catalog at the frames' time (the truth), the asteroid's
// places and pixels at each frame's middle, and the files.
struct Night {
  std::vector<CatalogEntry> stars;  // places at the night's time
  std::vector<std::string> files;
  std::vector<double> astRA, astDec, astX, astY, midJD;
};

// The catalog place at `epochJD` of a star that stands at (ra, dec) at `jd`.
void AtEpoch(const CatalogEntry& s, double jd, double epochJD, double& ra, double& dec) {
  const double years = (epochJD - jd) / kDaysPerYear;
  dec = s.decDeg + years * s.pmDec / 3.6e6;
  ra = s.raHours + years * s.pmRA / 3.6e6 / 15 / std::cos(s.decDeg * kPi / 180);
}

std::string Sexagesimal(double v, bool sign) {
  const double a = std::fabs(v);
  char text[40];
  if (sign)
    std::snprintf(text, sizeof text, "'%c%02d:%02d:%04.1f'", v < 0 ? '-' : '+', static_cast<int>(a),
                  static_cast<int>(std::fmod(a * 60, 60)), std::fmod(a * 3600, 60));
  else
    std::snprintf(text, sizeof text, "'%02d:%02d:%05.2f'", static_cast<int>(a), static_cast<int>(std::fmod(a * 60, 60)),
                  std::fmod(a * 3600, 60));
  return text;
}

Night MakeNight(const TempDir& dir, unsigned seed, bool properMotion) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  FrameSetup f;
  f.width = f.height = kSide;
  f.centreRAHours = 1 + 22 * unit(rng);
  f.centreDecDeg = -40 + 70 * unit(rng);  // within the zone catalogs' sky
  f.arcsecPerPixel = kScale;
  f.rotationDeg = 360 * unit(rng);
  f.mirror = unit(rng) < 0.5;
  f.fwhmPixels = 2.6;
  f.sky = 900;
  f.readNoise = 9;
  f.fluxMag10 = 2.0e5;
  f.hotPixels = 12;
  Night n;
  const double cosDec = std::cos(f.centreDecDeg * kPi / 180);
  const double half = kSide * kScale / 3600 / 2 * 1.3;  // degrees: the frame and a margin
  for (int i = 0; i < 80; ++i) {
    CatalogEntry s{f.centreRAHours + (2 * unit(rng) - 1) * half / cosDec / 15, f.centreDecDeg + (2 * unit(rng) - 1) * half,
                   10.5 + 5.5 * unit(rng), 0, 0};
    if (properMotion) {
      s.pmRA = 100 * (2 * unit(rng) - 1);
      s.pmDec = 100 * (2 * unit(rng) - 1);
    }
    n.stars.push_back(s);
  }
  // The asteroid: 0.6" a minute (12" between frames), signal-to-noise some 60.
  const double pa = 2 * kPi * unit(rng), rate = 0.6 / 60 / 3600;  // degrees per second
  const double startRA = f.centreRAHours + (2 * unit(rng) - 1) * 0.4 * half / cosDec / 15;
  const double startDec = f.centreDecDeg + (2 * unit(rng) - 1) * 0.4 * half;
  const double astMag = 14.3;
  for (std::size_t k = 0; k < 4; ++k) {
    const double t = (static_cast<double>(k) * kStepDays) * 86400 + kExposureS / 2;  // seconds after the first start
    n.midJD.push_back(kFirstStartJD + t / 86400);
    n.astDec.push_back(startDec + rate * t * std::cos(pa));
    n.astRA.push_back(startRA + rate * t * std::sin(pa) / cosDec / 15);
    FrameSetup fk = f;
    fk.seed = seed * 10 + static_cast<unsigned>(k);
    SkyFrame frame(fk);
    double x = 0, y = 0;
    frame.TruePixel(n.astRA[k], n.astDec[k], x, y);
    n.astX.push_back(x);
    n.astY.push_back(y);
    std::vector<SkyStar> drawn;
    for (const CatalogEntry& s : n.stars) drawn.push_back({s.raHours, s.decDeg, static_cast<float>(s.mag)});
    drawn.push_back({n.astRA[k], n.astDec[k], static_cast<float>(astMag)});
    frame.Render(drawn);
    std::vector<std::int16_t> values;
    for (int row = 0; row < kSide; ++row)
      for (int col = 0; col < kSide; ++col)
        values.push_back(static_cast<std::int16_t>(frame.pixels.PixelAt(col, row) - 32768));
    const double startSeconds = 3 * 3600 + 15 * 60 + 51 + static_cast<double>(k) * kStepDays * 86400;
    char date[80];
    std::snprintf(date, sizeof date, "DATE-OBS= '2024-03-10T%02d:%02d:%02d'", static_cast<int>(startSeconds / 3600),
                  static_cast<int>(std::fmod(startSeconds / 60, 60)), static_cast<int>(std::fmod(startSeconds, 60)));
    // The pointing a little off the truth, the same in every frame.
    const std::string ra = Sexagesimal(f.centreRAHours + 0.003, false), dec = Sexagesimal(f.centreDecDeg - 0.02, true);
    n.files.push_back(dir.Path() + "n" + std::to_string(seed) + "_" + std::to_string(k + 1) + ".fit");
    testing::WriteFitsPixels(n.files.back(), kSide, kSide, values,
                             {"BZERO   =                32768", "BSCALE  =                    1", date,
                              "EXPTIME =                 42.0", "OBJECT  = 'Field'",
                              std::string("RA      = ") + ra, std::string("DEC     = ") + dec});
  }
  return n;
}

// VizieR's Gaia DR3 answer: the places at J2016.0, the motions, 19-digit identifiers.
std::string GaiaAnswer(const Night& n) {
  std::ostringstream s;
  s << "#RESOURCE=yCat_1355\n#Table\tI_355_gaiadr3:\n\n"
    << "RA_ICRS\tDE_ICRS\tSource\tpmRA\tpmDE\tGmag\n"
    << "deg\tdeg\t\tmas/yr\tmas/yr\tmag\n"
    << "---------------\t---------------\t-------------------\t---------\t---------\t---------\n";
  for (std::size_t i = 0; i < n.stars.size(); ++i) {
    double ra = 0, dec = 0;
    AtEpoch(n.stars[i], n.midJD[0], kJ2016, ra, dec);
    char line[200];
    std::snprintf(line, sizeof line, "%015.11f\t%015.11f\t59%017zu\t%9.3f\t%9.3f\t%9.6f\n", ra * 15, dec,
                  static_cast<std::size_t>(4000000000000000ull + 7919 * i), n.stars[i].pmRA, n.stars[i].pmDec,
                  n.stars[i].mag);
    s << line;
  }
  return s.str();
}

std::vector<ZoneStar> ZoneStars(const Night& n, double epochJD) {
  std::vector<ZoneStar> stars;
  for (const CatalogEntry& c : n.stars) {
    ZoneStar z;
    AtEpoch(c, n.midJD[0], epochJD, z.raHours, z.decDeg);
    z.mag = c.mag;
    z.blue = c.mag + 0.6;
    z.pmRA = c.pmRA;
    z.pmDec = c.pmDec;
    stars.push_back(z);
  }
  return stars;
}

test::HttpReply SilentReply() {
  test::HttpReply r;
  r.mode = test::HttpReply::Mode::Silent;
  return r;
}

double ArcsecApart(double ra1, double dec1, double ra2, double dec2) {
  const double dra = (ra1 - ra2) * 15 * std::cos(dec2 * kPi / 180);
  return std::hypot(dra, dec1 - dec2) * 3600;
}

// solve --auto on every frame with the asteroid's true pixel as the target:
// the plate puts it within 0.5" of its true place.
void SolveEveryFrame(const Night& n, const cli::Arguments& catalog, const std::string& what) {
  for (std::size_t k = 0; k < n.files.size(); ++k) {
    char target[64];
    std::snprintf(target, sizeof target, "%.3f,%.3f", n.astX[k], n.astY[k]);
    cli::Arguments args{"solve", "--auto", n.files[k], "--target", target};
    args.insert(args.end(), catalog.begin(), catalog.end());
    const CliRun run = Cli(args);
    ASSERT_EQ(run.status, 0) << what << " frame " << k + 1 << ": " << run.err;
    const auto j = nlohmann::json::parse(run.out);
    EXPECT_LT(ArcsecApart(j["target"]["ra_hours"], j["target"]["dec_deg"], n.astRA[k], n.astDec[k]), 0.5)
        << what << " frame " << k + 1 << "\n" << j["match"].dump();
    EXPECT_GE(j["pairs"].size(), 10u) << what;
  }
}

// moving on the four frames: the asteroid is a candidate, within 2 pixels and
// 1.5" of its true place in every frame.
void FindTheAsteroid(const Night& n, const cli::Arguments& catalog, const std::string& what) {
  cli::Arguments args{"moving", "--images"};
  args.insert(args.end(), n.files.begin(), n.files.end());
  args.insert(args.end(), catalog.begin(), catalog.end());
  const CliRun run = Cli(args);
  ASSERT_EQ(run.status, 0) << what << ": " << run.err;
  const auto j = nlohmann::json::parse(run.out);
  ASSERT_EQ(j["frames"].size(), 4u);
  bool found = false;
  for (const auto& c : j["candidates"]) {
    bool all = c["positions"].size() == 4;
    for (std::size_t k = 0; all && k < 4; ++k) {
      const auto& p = c["positions"][k];
      all = std::hypot(p["x"].get<double>() - n.astX[k], p["y"].get<double>() - n.astY[k]) < 2 &&
            ArcsecApart(p["ra_hours"], p["dec_deg"], n.astRA[k], n.astDec[k]) < 1.5;
    }
    found = found || all;
  }
  EXPECT_TRUE(found) << what << ": the asteroid is not among the candidates\n" << j["candidates"].dump();
  EXPECT_EQ(j["candidates"].size(), 1u) << what << ": no star or hot pixel taken for a moving object";
}

TEST(CliReferenceCatalogs, GaiaFromALoopbackVizieRAskedOncePerField) {
  TempDir dir;
  const Night n = MakeNight(dir, 41, true);
  test::LoopbackHttpServer server;
  server.Answer("/viz-bin/asu-tsv", test::HttpReply::Text(GaiaAnswer(n)));
  const cli::Arguments gaia{"--catalog", "vizier-gaia-dr3", "--url", server.BaseUrl()};
  SolveEveryFrame(n, gaia, "Gaia DR3");
  // One process a frame: one query each.
  ASSERT_EQ(server.Requests().size(), 4u);
  for (const std::string& r : server.Requests()) EXPECT_EQ(r.rfind("/viz-bin/asu-tsv?-source=I/355/gaiadr3&", 0), 0u) << r;
  FindTheAsteroid(n, gaia, "Gaia DR3");
  // The four frames of the one pointing: one query, its answer served every frame.
  EXPECT_EQ(server.Requests().size(), 5u);
  EXPECT_EQ(server.Requests()[4], server.Requests()[0]);
}

TEST(CliReferenceCatalogs, AGaiaNightReadAtItsEpochMissesTheTruth) {
  // --jd at the catalog's epoch leaves the stars where they stood in 2016:
  // the pairs scatter by the motions (some 0.5" per axis), where the image's
  // time, the default, leaves only the centring error.
  TempDir dir;
  const Night n = MakeNight(dir, 41, true);
  test::LoopbackHttpServer server;
  server.Answer("/viz-bin/asu-tsv", test::HttpReply::Text(GaiaAnswer(n)));
  char target[64];
  std::snprintf(target, sizeof target, "%.3f,%.3f", n.astX[0], n.astY[0]);
  struct Result {
    double off, rms;
  };
  const auto solve = [&](const std::string& jd) {
    cli::Arguments args{"solve", "--auto", n.files[0], "--target", target, "--catalog", "vizier-gaia-dr3", "--url",
                        server.BaseUrl()};
    if (!jd.empty()) args.insert(args.end(), {"--jd", jd});
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::json::parse(run.out);
    return Result{ArcsecApart(j["target"]["ra_hours"], j["target"]["dec_deg"], n.astRA[0], n.astDec[0]),
                  j["match"]["rms_arcsec"].get<double>()};
  };
  char given[32];
  std::snprintf(given, sizeof given, "%.6f", n.midJD[0]);
  const Result atImageTime = solve(""), atGivenTime = solve(given), atEpoch = solve("2457389.0");
  EXPECT_NEAR(atImageTime.off, atGivenTime.off, 0.01);
  EXPECT_NEAR(atImageTime.rms, atGivenTime.rms, 0.01);
  EXPECT_LT(atImageTime.rms, 0.2);
  EXPECT_GT(atEpoch.rms, 2 * atImageTime.rms) << atEpoch.rms << " vs " << atImageTime.rms;
}

TEST(CliReferenceCatalogs, UCAC2ZoneFiles) {
  TempDir dir;
  const Night n = MakeNight(dir, 57, true);
  const std::string root = dir.MakeDir("ucac2");
  testing::WriteUCAC2(root, ZoneStars(n, kJ2000));
  const cli::Arguments ucac2{"--catalog", "ucac2", "--path", root};
  SolveEveryFrame(n, ucac2, "UCAC2");
  FindTheAsteroid(n, ucac2, "UCAC2");
}

TEST(CliReferenceCatalogs, USNOSAZoneFiles) {
  TempDir dir;
  const Night n = MakeNight(dir, 73, false);  // the SA has no proper motions
  const std::string root = dir.MakeDir("sa2");
  testing::WriteSA(root, ZoneStars(n, kJ2000));
  const cli::Arguments sa{"--catalog", "sa2", "--path", root};
  SolveEveryFrame(n, sa, "USNO-SA2.0");
  FindTheAsteroid(n, sa, "USNO-SA2.0");
}

// Each failure of the reference catalog says what happened and what to do,
// prints no JSON and exits with status 1.
TEST(CliReferenceCatalogs, EveryFailureSaysWhatHappenedAndWhatToDo) {
  TempDir dir;
  const Night n = MakeNight(dir, 89, false);
  test::LoopbackHttpServer server;
  const auto run = [&](const std::string& path, const std::vector<std::string>& more = {}) {
    cli::Arguments args{"solve", "--auto", n.files[0], "--catalog", "vizier-gaia-dr3", "--url", server.BaseUrl() + path};
    args.insert(args.end(), more.begin(), more.end());
    const CliRun r = Cli(args);
    EXPECT_EQ(r.status, 1) << path << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << path;
    return r.err;
  };
  const std::string advice = kVizieRFailureAdvice;
  // A server that answers nothing within --timeout-s.
  server.Answer("/slow", SilentReply());
  std::string err = run("/slow", {"--timeout-s", "1"});
  EXPECT_NE(err.find("VizieR \"Get\" request for Gaia DR3 failed!"), std::string::npos) << err;
  EXPECT_NE(err.find("Server is not responding!"), std::string::npos) << err;
  EXPECT_NE(err.find(advice), std::string::npos) << err;
  // A server that cannot be reached at all (nothing listens on the discard port).
  const CliRun refused = Cli({"moving", "--images", n.files[0], n.files[1], n.files[2], "--catalog", "vizier-gaia-dr3",
                              "--url", "http://127.0.0.1:9"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.out.empty());
  EXPECT_NE(refused.err.find("Cannot Access Online Catalog!"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find(advice), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find(": the reference stars of the frame could not be read"), std::string::npos) << refused.err;
  // A web page instead of a table.
  test::HttpReply page = test::HttpReply::Text("<!DOCTYPE html><html><body>Maintenance</body></html>");
  page.contentType = "text/html";
  server.Answer("/page", page);
  err = run("/page");
  EXPECT_NE(err.find("VizieR answered the Gaia DR3 query with a web page instead of a table."), std::string::npos)
      << err;
  EXPECT_NE(err.find(advice), std::string::npos) << err;
  // An empty field: the table's header without a row.
  Night empty = n;
  empty.stars.clear();
  server.Answer("/empty", test::HttpReply::Text(GaiaAnswer(empty)));
  err = run("/empty");
  EXPECT_NE(err.find("VizieR found no Gaia DR3 stars in this field down to the limiting magnitude."), std::string::npos)
      << err;
  EXPECT_NE(err.find("Check the field centre, its size and the limiting magnitude."), std::string::npos) << err;
  // Too few stars for a match: three catalog stars.
  Night few = n;
  few.stars.resize(3);
  server.Answer("/few", test::HttpReply::Text(GaiaAnswer(few)));
  err = run("/few");
  EXPECT_EQ(err.rfind("Auto-Match: No trustworthy match of the catalog stars with the stars of the image was found.", 0),
            0u)
      << err;
  EXPECT_NE(err.find("Too few catalog stars lie in the field (3)."), std::string::npos) << err;
  EXPECT_NE(err.find("Give the image scale with --scale, the field centre with --center"), std::string::npos) << err;
  EXPECT_EQ(err.find("by hand"), std::string::npos) << err;  // no window to pick them in
  // Usage: a local catalog without --path, an on-line one with it, a bad --jd.
  EXPECT_EQ(Cli({"solve", "--auto", n.files[0], "--catalog", "ucac2"}).status, 2);
  EXPECT_EQ(Cli({"moving", "--images", n.files[0], n.files[1], n.files[2], "--catalog", "online", "--path", "x"}).status,
            2);
  const CliRun jd = Cli({"solve", "--auto", n.files[0], "--catalog", "online", "--jd", "x"});
  EXPECT_EQ(jd.status, 2);
  EXPECT_NE(jd.err.find("--jd"), std::string::npos) << jd.err;
}

}  // namespace
}  // namespace skarvel
