// A target located by a fitted centroid carries its uncertainty into the
// solution: joined in quadrature with the plate's sigmas, listed in the
// solution report; the box's centroid leaves both as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "astrometry/image_measurement.h"
#include "astrometry/solution_report.h"
#include "support/faint_frames.h"

namespace skarvel {
namespace {

TEST(TargetUncertainty, AFittedCentroidKeepsItAndTheBoxCentroidDoesNot) {
  // A star of SNR 15 and sigma 1.3 on a sky of 400: the bound per axis is
  // about sqrt(2) 1.3 / 15 = 0.12 pixel.
  synthetic::Rng rng(10);
  const double s = 1.3, flux = testing::FluxForSnr(15, 400, s);
  const std::vector<synthetic::Star> star{{40.3, 35.6, flux / (2 * M_PI * s * s), s}};
  testing::CountsImage image(80, 70, synthetic::Counts(synthetic::Render(80, 70, 400, star), true, rng));
  MeasureView view;
  view.image = &image;
  view.clientWidth = 80;
  view.clientHeight = 70;
  ImageMeasurement m(0);
  m.NewImage(80, 70, false, false);
  ASSERT_TRUE(m.LocateTarget(view, BoxRecord{}, 42, 37));
  EXPECT_EQ(m.targetSigmaX, 0);
  EXPECT_EQ(m.targetSigmaY, 0);
  view.centroid = CentroidMethod::kWindowed;
  ASSERT_TRUE(m.LocateTarget(view, BoxRecord{}, 42, 37));
  EXPECT_NEAR(static_cast<double>(m.target.imageX), 40.3, 4 * static_cast<double>(m.targetSigmaX));
  EXPECT_NEAR(static_cast<double>(m.target.imageY), 35.6, 4 * static_cast<double>(m.targetSigmaY));
  EXPECT_NEAR(static_cast<double>(m.targetSigmaX), std::sqrt(2.0) * s / 15, 0.04);
  EXPECT_NEAR(static_cast<double>(m.targetSigmaY), std::sqrt(2.0) * s / 15, 0.04);
  // Unsolved: no scale for it yet.
  EXPECT_EQ(m.TargetCentringArcsec(), 0);
  // A failed location clears it.
  testing::CountsImage flat(80, 70, std::vector<std::int32_t>(80 * 70, 400));
  view.image = &flat;
  EXPECT_FALSE(m.LocateTarget(view, BoxRecord{}, 42, 37));
  EXPECT_EQ(m.targetSigmaX, 0);
}

TEST(TargetUncertainty, TheSolutionReportListsItBesideThePlatesError) {
  SolutionReportInput in;
  in.targetLocated = true;
  in.solutionType = 0;
  in.pairCount = 5;
  in.errors = {0.5L, 0.25L, 0.125L};
  in.target.resRA = std::sqrt(0.5L * 0.5L + 0.3L * 0.3L);
  in.target.resDec = std::sqrt(0.25L * 0.25L + 0.3L * 0.3L);
  in.targetCentringArcsec = 0.3L;
  in.constants = {4.8e-6L, 0, 0, 0, 4.8e-6L, 0};
  const auto lines = SolutionReportLines(in);
  const auto at = std::find(lines.begin(), lines.end(), "Estimated Solution Error (Sigma): 0.125\"");
  ASSERT_NE(at, lines.end());
  ASSERT_LT(at + 2, lines.end());
  EXPECT_EQ(*(at + 1), "Target Centring Error (Sigma): 0.300\"");
  EXPECT_EQ(*(at + 2), "Target Error with Plate (Sigma):   RA: 0.583\",   Dec: 0.391\"");
  // Without a fitted centroid the report is as before.
  in.targetCentringArcsec = 0;
  const auto plain = SolutionReportLines(in);
  EXPECT_EQ(std::count_if(plain.begin(), plain.end(), [](const std::string& l) { return l.rfind("Target Centring", 0) == 0; }), 0);
  EXPECT_EQ(plain.size() + 2, lines.size());
}

}  // namespace
}  // namespace skarvel
