#include "astrometry/image_measurement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/scripted_platform.h"
#include "support/synthetic_plate.h"

namespace skarvel {
namespace {

using testing::PlateStar;
using testing::SyntheticImage;
using testing::SyntheticPlate;

const BoxRecord kBox{8, 8, 4, 3};

MeasureView ViewOf(GraphicsFileObj& image, long double scale = 1, bool mirrorLR = false, bool mirrorUD = false) {
  MeasureView v;
  v.image = &image;
  v.scale = scale;
  v.mirrorLeftRight = mirrorLR;
  v.mirrorUpDown = mirrorUD;
  v.clientWidth = static_cast<std::int32_t>(std::lround(static_cast<double>(image.width * scale)));
  v.clientHeight = static_cast<std::int32_t>(std::lround(static_cast<double>(image.height * scale)));
  return v;
}

// Eight stars spread over a rotated field, a target, and the image they make.
struct Scene {
  SyntheticPlate plate;
  std::vector<PlateStar> stars;
  PlateStar target;
  SyntheticImage image{320, 240, 1000};
  ImageMeasurement m{1};

  explicit Scene(double noise = 4) {
    stars = testing::EightStars(plate);
    target = testing::TargetStar(plate);
    testing::Render(image, stars);
    testing::Render(image, {target});
    if (noise > 0) image.AddNoise(noise, 7);
    image.CountHistogram();
    m.NewImage(image.width, image.height, false, false);
    for (std::size_t i = 0; i < stars.size(); ++i)
      m.references.push_back(SyntheticPlate::Reference(stars[i], static_cast<int>(i) + 1));
  }
};

TEST(ImageMeasurement, ThreeLocatedStarsPredictTheRestOnARotatedField) {
  Scene s;
  const MeasureView view = ViewOf(s.image);
  for (int k = 1; k <= 3; ++k) {
    const PlateStar& star = s.stars[static_cast<std::size_t>(k - 1)];
    // The click 3 pixels off the star.
    ASSERT_TRUE(s.m.MeasureReference(view, kBox, k, star.imageX + 3, star.imageY - 2));
    EXPECT_TRUE(s.m.referenceFound);
    EXPECT_NEAR(static_cast<double>(s.m.references[static_cast<std::size_t>(k - 1)].imageX),
                static_cast<double>(star.imageX), 0.1);
  }
  ASSERT_TRUE(s.m.fitValid);
  for (std::size_t i = 3; i < s.stars.size(); ++i) {
    EXPECT_NEAR(static_cast<double>(s.m.references[i].imageX), static_cast<double>(s.stars[i].imageX), 1.0) << i;
    EXPECT_NEAR(static_cast<double>(s.m.references[i].imageY), static_cast<double>(s.stars[i].imageY), 1.0) << i;
    EXPECT_FALSE(s.m.references[i].measured);
  }
  // The fourth located by its prediction refits with four rows: the fit
  // now reproduces the measured fourth star exactly enough.
  const ReferenceStar fourth = s.m.references[3];
  ASSERT_TRUE(s.m.MeasureReference(view, kBox, 4, fourth.imageX, fourth.imageY));
  const auto p = s.m.Predict(s.stars[3].fieldX, s.stars[3].fieldY);
  ASSERT_TRUE(p.has_value());
  EXPECT_NEAR(static_cast<double>((*p)[0]), static_cast<double>(s.stars[3].imageX), 0.2);
}

TEST(ImageMeasurement, AStarNotFoundIsTurnedOffAndLeftOutOfTheFit) {
  Scene s(0);  // a noiseless sky: nothing rises above it away from the stars
  const MeasureView view = ViewOf(s.image);
  ASSERT_TRUE(s.m.MeasureReference(view, kBox, 1, s.stars[0].imageX, s.stars[0].imageY));
  // A click on empty sky, far from every star.
  EXPECT_FALSE(s.m.MeasureReference(view, kBox, 2, 300, 10));
  const ReferenceStar& off = s.m.references[1];
  EXPECT_EQ(off.kind, kRefNeither);
  EXPECT_FALSE(off.usePos);
  EXPECT_FALSE(off.useMag);
  EXPECT_FALSE(off.measured);
  EXPECT_FALSE(s.m.referenceFound);
  // A click right of the client area fails at once.
  EXPECT_FALSE(s.m.MeasureReference(view, kBox, 3, 321, s.stars[2].imageY));
  // Index outside the list.
  EXPECT_FALSE(s.m.MeasureReference(view, kBox, 9, 10, 10));
  EXPECT_FALSE(s.m.MeasureReference(view, kBox, 0, 10, 10));
  // Two found stars are not enough to predict; three found are, even with a
  // failure between them.
  ASSERT_TRUE(s.m.MeasureReference(view, kBox, 3, s.stars[2].imageX, s.stars[2].imageY));
  EXPECT_FALSE(s.m.fitValid);
  ASSERT_TRUE(s.m.MeasureReference(view, kBox, 4, s.stars[3].imageX + 1, s.stars[3].imageY + 1));
  ASSERT_TRUE(s.m.fitValid);
  EXPECT_NEAR(static_cast<double>(s.m.references[6].imageX), static_cast<double>(s.stars[6].imageX), 1.0);
  EXPECT_TRUE(s.m.AllLocated() == false);
}

TEST(ImageMeasurement, MirroredDisplayStoresDisplayCoordinatesAndMeasuresFilePixels) {
  SyntheticImage image(512, 256, 500);
  image.AddStar(100, 60, 4000, 1.5);
  image.CountHistogram();
  ImageMeasurement m(0);
  m.NewImage(512, 256, true, false);
  const MeasureView view = ViewOf(image, 1, true, false);
  // The star is shown at x = 512 - 100 = 412.
  ASSERT_TRUE(m.LocateTarget(view, kBox, 410, 61));
  EXPECT_NEAR(static_cast<double>(m.target.imageX), 412, 0.01);
  EXPECT_NEAR(static_cast<double>(m.target.imageY), 60, 0.01);
  ASSERT_TRUE(m.TargetFlux(view, kBox, false));
  // The flux is the star's: about 2 pi sigma^2 amplitude.
  EXPECT_NEAR(static_cast<double>(m.target.flux), 2 * M_PI * 1.5 * 1.5 * 4000, 300);
  EXPECT_NEAR(static_cast<double>(m.target.catRA), std::sqrt(static_cast<double>(m.target.flux)), 1e-9);
  // Turning the mirror off keeps the target on the same star.
  m.OrientationChanged(512, 256, false, false);
  EXPECT_NEAR(static_cast<double>(m.target.imageX), 100, 0.01);
  m.OrientationChanged(512, 256, false, true);
  EXPECT_NEAR(static_cast<double>(m.target.imageY), 196, 0.01);
}

TEST(ImageMeasurement, SkySpotAndANegativeFlux) {
  SyntheticImage image(200, 200, 1000);
  image.AddStar(60, 60, 3000, 1.5);
  image.AddStar(150, 150, 20000, 3);  // a bright star to spoil a sky spot
  image.CountHistogram();
  ImageMeasurement m(2);
  m.NewImage(200, 200, false, false);
  EXPECT_EQ(m.target.kind, kRefTarget);
  EXPECT_EQ(m.target.number, 2);
  EXPECT_EQ(m.target.band, 8);
  const MeasureView view = ViewOf(image, 0.5L);
  ASSERT_TRUE(m.LocateTarget(view, kBox, 30, 30));
  EXPECT_NEAR(static_cast<double>(m.target.imageX), 60, 0.05);
  // A clean sky spot gives the same flux as the sky frame.
  m.ReadSkySpot(view, kBox, 50, 20);
  EXPECT_TRUE(m.skySpotRead);
  EXPECT_NEAR(static_cast<double>(m.skyX), 100, 1e-12);
  EXPECT_NEAR(static_cast<double>(m.skySum), 17 * 17 * 1000, 1e-6);
  ASSERT_TRUE(m.TargetFlux(view, kBox, true));
  const long double withSpot = m.target.flux;
  ASSERT_TRUE(m.TargetFlux(view, kBox, false));
  EXPECT_NEAR(static_cast<double>(withSpot), static_cast<double>(m.target.flux), 1e-6);
  // A spot on the bright star makes the flux negative.
  m.ReadSkySpot(view, kBox, 75, 75);
  EXPECT_FALSE(m.TargetFlux(view, kBox, true));
  EXPECT_EQ(m.target.catRA, 0);
  EXPECT_EQ(m.target.flux, 0);
  const auto markers = m.Markers(0);
  ASSERT_EQ(markers.size(), 2u);
  EXPECT_EQ(markers[0].label, "U");
  EXPECT_TRUE(markers[0].showInMagnifier);
  EXPECT_EQ(markers[1].label, "S");
  EXPECT_FALSE(markers[1].withSkyBorder);
  // A failed location clears the target.
  EXPECT_FALSE(m.LocateTarget(view, kBox, 5, 95));
  EXPECT_FALSE(m.targetLocated);
  EXPECT_FALSE(m.targetUse);
  EXPECT_EQ(m.target.imageX, 0);
  m.ResetTarget(false, false);
  EXPECT_FALSE(m.skySpotRead);
  EXPECT_EQ(m.skySum, 0);
}

TEST(ImageMeasurement, MarkersFollowTheLocateCounter) {
  Scene s;
  const MeasureView view = ViewOf(s.image);
  auto labels = [&s](int k) {
    std::string out;
    for (const MeasureMarker& m : s.m.Markers(k))
      out += m.label + (m.colour == MeasureMarker::Colour::Mark ? "m " : "c ");
    return out;
  };
  EXPECT_EQ(labels(0), "");
  EXPECT_EQ(labels(1), "");  // nothing located yet
  ASSERT_TRUE(s.m.MeasureReference(view, kBox, 1, s.stars[0].imageX, s.stars[0].imageY));
  EXPECT_EQ(labels(1), "1c ");
  EXPECT_EQ(labels(2), "1m ");
  ASSERT_TRUE(s.m.MeasureReference(view, kBox, 2, s.stars[1].imageX, s.stars[1].imageY));
  EXPECT_EQ(labels(2), "1m 2c ");
  EXPECT_EQ(labels(4), "1m 2m 3m 4c 5c 6c 7c 8c ");
  EXPECT_EQ(labels(99), "1m 2m 3m 4m 5m 6m 7m 8m ");
}

TEST(ImageMeasurement, SolutionReproducesTheTargetAndItsMagnitude) {
  Scene s;
  const MeasureView view = ViewOf(s.image);
  for (int k = 1; k <= 8; ++k) {
    const PlateStar& star = s.stars[static_cast<std::size_t>(k - 1)];
    ASSERT_TRUE(s.m.MeasureReference(view, kBox, k, star.imageX, star.imageY)) << k;
  }
  s.m.MeasureReferences(view, kBox);
  EXPECT_TRUE(s.m.referencesMeasured);
  EXPECT_TRUE(s.m.AllLocated());
  ASSERT_TRUE(s.m.LocateTarget(view, kBox, s.target.imageX + 2, s.target.imageY + 2));
  ASSERT_TRUE(s.m.TargetFlux(view, kBox, false));
  testing::ScriptedPlatform ui;
  SolutionSettings settings;
  settings.centreRAHours = s.plate.centreRA;
  settings.centreDecDeg = s.plate.centreDec;
  ASSERT_TRUE(s.m.Solve(settings, ui));
  EXPECT_TRUE(s.m.plate.Solved());
  const long double dRA = (s.m.target.fitRA - s.target.raHours) * 15 * 3600 * std::cos(s.target.decDeg * 0.0174533L);
  const long double dDec = (s.m.target.fitDec - s.target.decDeg) * 3600;
  EXPECT_LT(std::fabs(static_cast<double>(dRA)), 0.05);
  EXPECT_LT(std::fabs(static_cast<double>(dDec)), 0.05);
  EXPECT_GT(s.m.target.resTotal, 0);
  // Same profile for every star: the magnitude comes out within 0.02.
  EXPECT_NEAR(static_cast<double>(s.m.target.catMag), 13.0, 0.02);
  EXPECT_EQ(s.m.magnitude.n, 8);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(s.m.Constants().size(), 6u);
  // The image centre gets the field centre's position.
  EXPECT_NEAR(static_cast<double>(s.m.centre.fitRA), static_cast<double>(s.plate.centreRA), 1e-5);
  const auto sky = s.m.SkyAt(s.target.imageX, s.target.imageY);
  ASSERT_TRUE(sky.has_value());
  EXPECT_NEAR(static_cast<double>(((*sky)[1] - s.target.decDeg) * 3600), 0, 0.05);
  // The scratch evaluation leaves the sums alone.
  EXPECT_EQ(s.m.plate.UsedCount(), 8);
}

TEST(ImageMeasurement, TooFewStarsForTheModelRefuseToSolve) {
  Scene s;
  const MeasureView view = ViewOf(s.image);
  for (int k = 1; k <= 4; ++k) {
    const PlateStar& star = s.stars[static_cast<std::size_t>(k - 1)];
    ASSERT_TRUE(s.m.MeasureReference(view, kBox, k, star.imageX, star.imageY));
  }
  for (std::size_t i = 4; i < s.m.references.size(); ++i) s.m.references[i].usePos = false;
  testing::ScriptedPlatform ui;
  SolutionSettings settings;
  settings.centreRAHours = s.plate.centreRA;
  settings.centreDecDeg = s.plate.centreDec;
  settings.solutionType = 2;
  EXPECT_FALSE(s.m.Solve(settings, ui));
  EXPECT_FALSE(s.m.plate.Solved());
  EXPECT_FALSE(s.m.SkyAt(10, 10).has_value());
  settings.solutionType = 1;
  EXPECT_TRUE(s.m.Solve(settings, ui));
}

}  // namespace
}  // namespace skarvel
