// skarvel-cli orbit-fit on the PyEphem-made observations of
// tests/data/orbits/fit/ (see make_orbit_fit_observations.py there): the
// JSON keys of the contract, the prediction against the true place, the
// same numbers as the core's fit, and the failures' exit status and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "orbits/fit_observations.h"
#include "orbits/orbit_fit.h"
#include "shell/cli_run.h"

namespace skarvel {
namespace {

const std::string kDir = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/fit/";

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(CliOrbitFit, ThreeNightsWithPrediction) {
  // three_nights_02 of truth.csv: predicted for JD 2458691.535523 TT at 809.
  const auto run = testing::Cli({"orbit-fit", kDir + "three_nights_02.txt", "--obscodes", kDir + "obscodes.txt",
                                 "--predict", "2458691.535523", "--site", "809"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["method"], "gauss");
  EXPECT_EQ(j["converged"], true);
  EXPECT_EQ(j["format"], "mpc80");
  const auto& el = j["elements"];
  EXPECT_TRUE(el.contains("epoch_jd"));
  for (const char* key : {"a_au", "e", "i_deg", "node_deg", "peri_deg", "m_deg", "q_au"}) {
    EXPECT_TRUE(el.contains(key)) << key;
    ASSERT_TRUE(el["uncertainties"].contains(key)) << key;
    EXPECT_GT(el["uncertainties"][key].get<double>(), 0) << key;
  }
  EXPECT_EQ(el["two_body"], kFitTwoBodyNote);
  EXPECT_NEAR(el["a_au"].get<double>(), 1.8671088, 0.02 * 1.8671088);  // the catalogue's a
  EXPECT_NEAR(el["e"].get<double>(), 0.4759637, 0.01);
  ASSERT_EQ(j["residuals"].size(), 9u);
  for (const auto& r : j["residuals"]) {
    EXPECT_TRUE(r["used"].get<bool>());
    EXPECT_LT(std::fabs(r["ra_arcsec"].get<double>()), 1.0);
    EXPECT_TRUE(r["code"] == "695" || r["code"] == "809");
  }
  EXPECT_LE(j["rms_arcsec"].get<double>(), 0.35);
  const auto& p = j["prediction"];
  EXPECT_DOUBLE_EQ(p["jd"].get<double>(), 2458691.535523);
  const double d2r = M_PI / 180;
  const double dra = (p["ra_hours"].get<double>() - 17.010799558) * 15 * 3600 * std::cos(-25.75924705 * d2r);
  const double ddec = (p["dec_deg"].get<double>() + 25.75924705) * 3600;
  EXPECT_LT(std::hypot(dra, ddec), 60.0);
  EXPECT_LT(std::hypot(dra, ddec), 3 * p["sigma_arcsec"].get<double>());
  EXPECT_GE(p["sigma_arcsec"].get<double>(), p["sigma_minor_arcsec"].get<double>());

  // One code path: the core's fit of the same file gives the same numbers.
  const FitResult fit = FitOrbit(ReadObservations(Slurp(kDir + "three_nights_02.txt")).observations,
                                 ParseObservatoryCodes(Slurp(kDir + "obscodes.txt")), FitSettings{});
  EXPECT_DOUBLE_EQ(j["rms_arcsec"].get<double>(), static_cast<double>(fit.rmsArcsec));
  EXPECT_DOUBLE_EQ(el["a_au"].get<double>(), static_cast<double>(fit.elements.a / kFitAuKm));
}

TEST(CliOrbitFit, HeldEccentricityAndAdesInput) {
  const auto run = testing::Cli({"orbit-fit", kDir + "three_nights_01.psv", "--obscodes", kDir + "obscodes.txt",
                                 "--fix-e", "0.0525053"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["format"], "ades-psv");
  EXPECT_DOUBLE_EQ(j["elements"]["e"].get<double>(), 0.0525053);
  EXPECT_EQ(j["elements"]["uncertainties"]["e"].get<double>(), 0.0);
  EXPECT_NEAR(j["elements"]["a_au"].get<double>(), 1.0323701, 0.02);
}

TEST(CliOrbitFit, FailuresAndBadUsage) {
  const std::string codes = kDir + "obscodes.txt";
  auto run = testing::Cli({"orbit-fit", kDir + "three_nights_02.txt"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "skarvel-cli orbit-fit: give OBS.txt and --obscodes OBSCODES.txt\n");
  run = testing::Cli({"orbit-fit", kDir + "three_nights_02.txt", "--obscodes", codes, "--predict", "2458700.5"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "skarvel-cli orbit-fit: --predict and --site go together\n");
  run = testing::Cli({"orbit-fit", kDir + "three_nights_02.txt", "--obscodes", codes, "--predict", "2458700.5",
                      "--site", "Q99"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, std::string(kFitUnknownCode) + "Q99\n");
  EXPECT_TRUE(run.out.empty());
  run = testing::Cli({"orbit-fit", kDir + "three_nights_02.txt", "--obscodes", codes, "--fix-e", "0.3", "--fix-q", "1"});
  EXPECT_EQ(run.status, 2);
  // A file of observatory codes holds no observations.
  run = testing::Cli({"orbit-fit", codes, "--obscodes", codes});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(kFitTooFew), std::string::npos);
  run = testing::Cli({"orbit-fit", kDir + "no_such_file.txt", "--obscodes", codes});
  EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace skarvel
