// The hand-over of a fitted orbit: the report text, the current elements,
// the saved-orbits file round trip and the ephemeris line with its ellipse.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "foundations/angles.h"
#include "foundations/strings.h"
#include "orbits/orbit_fit_report.h"
#include "orbits/saved_orbits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

std::string FitFile(const std::string& name) {
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/fit/" + name);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(OrbitFitReport, ReportLinesResidualsAndRejection) {
  auto obs = ReadObservations(FitFile("three_nights_05.txt")).observations;
  obs[4].decDeg += 6.0L / 3600;
  obs[7].code = "Q99";
  const FitResult fit = FitOrbit(obs, ParseObservatoryCodes(FitFile("obscodes.txt")), FitSettings{});
  ASSERT_TRUE(fit.ok);
  const auto lines = OrbitFitReport(fit, obs);
  ASSERT_GT(lines.size(), 20u);
  EXPECT_EQ(lines[0], "Orbit Determination");
  EXPECT_EQ(lines[2], "Two-body orbit about the Sun: planetary perturbations are left out.");
  EXPECT_EQ(lines[3], "Gauss's method, then differential correction");
  EXPECT_EQ(lines[5].rfind("Epoch: " + FractionalDateText(fit.elements.epoch) + " TT  (JD ", 0), 0u);
  EXPECT_EQ(lines[6], "a:    " + FormatFixed(7, fit.elements.a / kFitAuKm) + " AU  +- " +
                          FormatFixed(7, fit.sigmas.aAu) + " AU");
  std::size_t at = 0;
  while (at < lines.size() && lines[at] != "    #  Date (UTC)         Code   RA cos Dec      Dec") ++at;
  ASSERT_LT(at + 8, lines.size());
  // Eight residual lines in time order; the seventh observation (code Q99) has none.
  const FitResidual& r0 = fit.residuals[0];
  EXPECT_EQ(lines[at + 1], "    1  " + FractionalDateText(r0.jdUtc) + "  " + r0.code + "  " +
                               PadLeft(FormatFixed(2, r0.raArcsec), 12) + PadLeft(FormatFixed(2, r0.decArcsec), 9));
  EXPECT_EQ(lines[at + 5].substr(0, 5), "    5");
  EXPECT_EQ(lines[at + 5].substr(lines[at + 5].size() - 10), "  rejected");
  EXPECT_EQ(lines[at + 8].substr(0, 5), "    9");
  EXPECT_EQ(lines[at + 10], "RMS: " + FormatFixed(3, fit.rmsArcsec) + "\" of 7 observations (1 rejected, 1 without a known site)");
  EXPECT_EQ(lines[at + 12], "Unknown observatory code: Q99");
  for (const auto& l : lines) EXPECT_LE(l.size(), 80u) << l;
}

TEST(OrbitFitReport, CurrentElementsAndSavedOrbitRoundTrip) {
  const auto obs = ReadObservations(FitFile("three_nights_02.txt")).observations;
  const FitResult fit = FitOrbit(obs, ParseObservatoryCodes(FitFile("obscodes.txt")), FitSettings{});
  ASSERT_TRUE(fit.ok);
  const CurrentElements current = FittedAsCurrent(fit, "J97X10E");
  EXPECT_TRUE(current.valid);
  EXPECT_EQ(current.source, ElementSource::kElementDialog);
  EXPECT_EQ(current.elements.designation, "J97X10E");
  EXPECT_EQ(current.elements.magModel, 0);
  // The fit travels with the elements, covariance and all.
  ASSERT_NE(current.fit, nullptr);
  EXPECT_EQ(current.fit->params, fit.params);
  EXPECT_EQ(current.fit->covariance, fit.covariance);
  testing::TempDir dir;
  testing::ScriptedPlatform ui;
  ASSERT_TRUE(SaveFittedOrbit(ui, dir / "SAVORBS.DAT", fit, "J97X10E"));
  SavedOrbitList list = ReadSavedOrbits(dir / "SAVORBS.DAT");
  ASSERT_EQ(list.LastIndex(), 0);
  const OrbitElements back = SavedOrbitElements(*list.GetAt(0));
  EXPECT_EQ(back.designation, "J97X10E");
  EXPECT_NEAR(static_cast<double>(back.a / fit.elements.a), 1.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(back.e), static_cast<double>(fit.elements.e), 1e-12);
  // A second save of the same object asks before replacing it.
  ui.AnswerNext(platform::Answer::Yes);
  ASSERT_TRUE(SaveFittedOrbit(ui, dir / "SAVORBS.DAT", fit, "J97X10E"));
  EXPECT_EQ(ReadSavedOrbits(dir / "SAVORBS.DAT").LastIndex(), 0);
}

TEST(OrbitFitReport, EphemerisLinesCarryThePredictedPlacesEllipse) {
  const auto obs = ReadObservations(FitFile("three_nights_02.txt")).observations;
  const FitResult fit = FitOrbit(obs, ParseObservatoryCodes(FitFile("obscodes.txt")), FitSettings{});
  ASSERT_TRUE(fit.ok);
  const CurrentElements current = FittedAsCurrent(fit, "J97X10E");
  SiteRecord site;
  site.code = "809";
  site.longitudeDeg = -70.73f;
  site.latitudeDeg = -29.2567f;
  site.altitudeM = 2347;
  EphemerisParams params;
  params.start.SetJD(2458691.535523L);  // the PyEphem fixture's prediction, 30 days after the arc
  params.points = 4;
  params.stepDays = 10;
  RecordList<EphemerisRecord> table;
  ASSERT_TRUE(GenerateEphemeris(current.elements, site, params, table));
  EXPECT_EQ(AddFitUncertainty(*current.fit, site, table), 4u);
  const ObservatoryCode code = SiteObservatoryCode(site);
  long double previous = 0;
  for (std::int32_t k = 0; k < 4; ++k) {
    const EphemerisRecord& r = *table.GetAt(k);
    const long double jd = 2458691.535523L + 10 * k;
    const Prediction p = PredictAtSite(fit, code, jd);
    ASSERT_TRUE(p.ok);
    ASSERT_TRUE(r.hasSigma);
    EXPECT_NEAR(static_cast<double>(r.sigmaMajorArcsec), static_cast<double>(p.sigmaMajorArcsec),
                1e-6 * static_cast<double>(p.sigmaMajorArcsec));
    EXPECT_NEAR(static_cast<double>(r.sigmaMinorArcsec), static_cast<double>(p.sigmaMinorArcsec),
                1e-6 * static_cast<double>(p.sigmaMinorArcsec));
    EXPECT_NEAR(static_cast<double>(r.sigmaPaDeg), static_cast<double>(p.positionAngleDeg), 1e-4);
    EXPECT_GE(r.sigmaMajorArcsec, r.sigmaMinorArcsec);
    // The ellipse belongs to the line's place: the table's own propagation
    // and the fit's prediction agree far inside it.
    const long double dRa = (r.raHours - p.raHours) * 15 * 3600 * std::cos(p.decDeg * kPi / 180);
    const long double dDec = (r.decDeg - p.decDeg) * 3600;
    EXPECT_LT(std::hypot(dRa, dDec), 1.0L) << k;
    // Farther from the arc, the place is less certain.
    EXPECT_GT(r.sigmaMajorArcsec, previous) << k;
    previous = r.sigmaMajorArcsec;
  }
  const auto lines = EphemerisReport(current, site, params, table);
  EXPECT_EQ(lines[10], EphemerisTableHeader(true)[1]);
  EXPECT_EQ(lines[11].substr(80, 10), PadLeft(FormatFixed(1, table.GetAt(0)->sigmaMajorArcsec), 10));
}

TEST(OrbitFitReport, PredictionLineText) {
  Prediction p;
  p.ok = true;
  p.jdTT = 2455400.5L;
  p.raHours = 1.5L;
  p.decDeg = -0.5L;
  p.distanceAu = 0.1234L;
  p.sigmaMajorArcsec = 12.34L;
  p.sigmaMinorArcsec = 4.56L;
  p.positionAngleDeg = 35.2L;
  EXPECT_EQ(PredictionLine(p), "2010/07/23.00000 TT  01 30 00.0  -00 30 00  0.123 AU  +-12.3\" x 4.6\" PA 35");
}

}  // namespace
}  // namespace skarvel
