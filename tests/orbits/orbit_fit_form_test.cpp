// The "Determine Orbit" window's logic: the report's observations weighted
// by their measured uncertainties (else 0.5"), the observatory code list
// looked for in the data folder and chosen by a file dialog.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "orbits/orbit_fit_form.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

const std::string kFitDir = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/fit/";

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> out;
  std::string line;
  while (std::getline(in, line))
    if (!line.empty()) out.push_back(line);
  return out;
}

/// The report's observations of a PyEphem fixture, observation `shifted`
/// moved `arcsec` south in Dec, each with the uncertainty `sigma` (and
/// `shiftedSigma` for the shifted one).
std::vector<ReportObservation> Report(std::size_t shifted, long double arcsec, long double sigma,
                                      long double shiftedSigma) {
  std::vector<ReportObservation> out;
  const auto lines = Lines(kFitDir + "three_nights_02.txt");
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::string line = lines[k];
    long double s = sigma;
    if (k == shifted) {
      // Dec seconds in columns 52-56, of a southern declination.
      EXPECT_EQ(line[44], '-');
      const double seconds = std::stod(line.substr(51, 5)) + static_cast<double>(arcsec);
      EXPECT_LT(seconds, 60.0);
      char text[8];
      std::snprintf(text, sizeof text, "%05.2f", seconds);
      line.replace(51, 5, text);
      s = shiftedSigma;
    }
    out.push_back({{line}, s, s});
  }
  return out;
}

const FitResidual& ResidualOf(const FitResult& fit, std::size_t index) {
  for (const FitResidual& r : fit.residuals)
    if (r.index == index) return r;
  throw std::out_of_range("no residual");
}

/// The last fit of the window (a missing one fails the test).
const FitResult& Fitted(const OrbitFitFormLogic& logic) {
  if (logic.Result() == nullptr) throw std::runtime_error("no fit");
  return *logic.Result();
}

TEST(OrbitFitForm, ReportObservationsAreWeightedByTheirMeasuredUncertainty) {
  testing::ScriptedPlatform ui;
  OrbitFitFormLogic logic(ui);
  logic.codesPath = kFitDir + "obscodes.txt";
  const std::size_t shifted = 4;
  // None stated: 0.5" each, and a position 4" off is an outlier.
  logic.SetReportObservations(Report(shifted, 4, 0, 0));
  ASSERT_TRUE(logic.Fit());
  ASSERT_GE(Fitted(logic).residuals.size(), 9u);
  EXPECT_FALSE(ResidualOf(Fitted(logic), shifted).used);
  for (const FitResidual& r : Fitted(logic).residuals)
    if (r.index != shifted) {
      EXPECT_TRUE(r.used) << r.index;
    }
  EXPECT_LT(Fitted(logic).rmsArcsec, 0.35L);
  // Measured to 10": within its uncertainty, kept, and barely pulling the orbit.
  logic.SetReportObservations(Report(shifted, 4, 0, 10));
  ASSERT_TRUE(logic.Fit());
  const FitResidual& kept = ResidualOf(Fitted(logic), shifted);
  EXPECT_TRUE(kept.used);
  EXPECT_LT(kept.decArcsec, -3.5L);  // observed south of the orbit by nearly all of the shift
  // A value that is no uncertainty (not finite, negative) counts as none stated.
  logic.SetReportObservations(Report(shifted, 4, 0, std::numeric_limits<long double>::quiet_NaN()));
  ASSERT_TRUE(logic.Fit());
  EXPECT_FALSE(ResidualOf(Fitted(logic), shifted).used);
  logic.SetReportObservations(Report(shifted, 4, 0, -10));
  ASSERT_TRUE(logic.Fit());
  EXPECT_FALSE(ResidualOf(Fitted(logic), shifted).used);
  // Measured at 0.3" everywhere: the covariance shrinks against 0.5" with the same data.
  logic.SetReportObservations(Report(shifted, 0, 0, 0));
  ASSERT_TRUE(logic.Fit());
  const long double sigmaA05 = Fitted(logic).sigmas.aAu;
  logic.SetReportObservations(Report(shifted, 0, 0.3L, 0.3L));
  ASSERT_TRUE(logic.Fit());
  EXPECT_LT(Fitted(logic).sigmas.aAu, sigmaA05);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(OrbitFitForm, TheCodeListIsLookedForInTheDataFolderAndChosenByHand) {
  testing::TempDir dir;
  const std::string data = dir.MakeDir("data");
  EXPECT_EQ(DefaultObsCodesPath(data), data + "ObsCodes.html");  // none there yet
  std::ofstream(data + "obscodes.txt") << "568 204.5300 0.94169 +0.33731 Mauna Kea\n";
  EXPECT_EQ(DefaultObsCodesPath(data), data + "obscodes.txt");
  std::ofstream(data + "ObsCodes.html") << "<pre>\n568 204.5300 0.94169 +0.33731 Mauna Kea\n</pre>\n";
  EXPECT_EQ(DefaultObsCodesPath(data), data + "ObsCodes.html");
  testing::ScriptedPlatform ui;
  OrbitFitFormLogic logic(ui);
  logic.codesPath = DefaultObsCodesPath(data);
  ui.ChooseFilesNext(std::nullopt);
  EXPECT_FALSE(logic.ChooseCodes());
  EXPECT_EQ(logic.codesPath, data + "ObsCodes.html");
  ui.ChooseFilesNext(std::vector<std::string>{kFitDir + "obscodes.txt"});
  EXPECT_TRUE(logic.ChooseCodes());
  EXPECT_EQ(logic.codesPath, kFitDir + "obscodes.txt");
  ASSERT_EQ(ui.OpenDialogs().size(), 2u);
  EXPECT_EQ(ui.OpenDialogs()[0].title, "Select Observatory Code List");
  EXPECT_EQ(ui.OpenDialogs()[0].fileName, "ObsCodes.html");
  // A list that is not there says where it comes from.
  logic.codesPath = data + "missing.html";
  logic.SetReportObservations(Report(99, 0, 0, 0));
  EXPECT_FALSE(logic.Fit());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Unable to Read the Observatory Code List!\r\n\r\nFile Name: " + data +
                                       "missing.html\r\n\r\nThe list comes from \"Download Observatory Codes "
                                       "(ObsCodes.html)\" of the \"Download Orbit Database\" menu.");
}

}  // namespace
}  // namespace skarvel
