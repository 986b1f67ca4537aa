#include "images/star_measure.h"

#include "support/synthetic_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace skarvel {
namespace {

using testing::SyntheticImage;

MeasureView View(GraphicsFileObj& image, long double scale = 1.0L) {
  MeasureView v;
  v.image = &image;
  v.scale = scale;
  v.clientWidth = static_cast<std::int32_t>(image.width * scale);
  v.clientHeight = static_cast<std::int32_t>(image.height * scale);
  return v;
}

const BoxRecord kBox{8, 8, 4, 3};

TEST(Centroid, FindsAPeakFivePixelsFromTheClick) {
  SyntheticImage image(100, 100, 1000);
  image.AddStar(55.3, 40.7, 5000, 1.5);
  image.AddNoise(5, 1);
  const auto c = Centroid(View(image), kBox, 50, 41, false);
  ASSERT_TRUE(c.has_value());
  EXPECT_NEAR(static_cast<double>(c->x), 55.3, 0.05);
  EXPECT_NEAR(static_cast<double>(c->y), 40.7, 0.05);
}

TEST(Centroid, AFaintStarBelowTheCutOffIsNotFound) {
  // A checkerboard sky of 980 and 1020: mean 1000, sigma just above 20, threshold above 1060.
  SyntheticImage image(100, 100, 1000);
  for (std::int32_t y = 0; y < 100; ++y)
    for (std::int32_t x = 0; x < 100; ++x) image.pixels.SetPixel(x, y, (x + y) % 2 == 0 ? 1020 : 980);
  image.AddStar(50, 50, 35, 1.5);  // its brightest pixel reaches 1055
  EXPECT_FALSE(Centroid(View(image), kBox, 50, 50, false).has_value());
  image.AddStar(50, 50, 10, 1.5);  // now 1065: found
  EXPECT_TRUE(Centroid(View(image), kBox, 50, 50, false).has_value());
  // With a cut-off of -1 the sky itself takes part, and something is found.
  const BoxRecord low{8, 8, 4, -1};
  const auto c = Centroid(View(image), low, 50, 50, false);
  ASSERT_TRUE(c.has_value());
  EXPECT_NEAR(static_cast<double>(c->x), 50, 2.0);
}

TEST(Centroid, ACornerStarClipsEveryBox) {
  SyntheticImage image(64, 64, 500);
  image.AddStar(1.2, 0.8, 3000, 1.2);
  const SkyStats sky = SkyLevel(image, kBox, 0, 0);
  EXPECT_EQ(sky.count, 13 * 13 - 9 * 9);  // outer 0..12, inner 0..8
  const auto c = Centroid(View(image), kBox, 0, 0, false);
  ASSERT_TRUE(c.has_value());
  EXPECT_NEAR(static_cast<double>(c->x), 1.2, 0.3);
  EXPECT_NEAR(static_cast<double>(c->y), 0.8, 0.3);
  // The sky frame of a centred box holds 17^2 - 17... the full ring.
  EXPECT_EQ(SkyLevel(image, kBox, 32, 32).count, 25 * 25 - 17 * 17);
}

TEST(Centroid, ThePeakBoxFollowsTheWindowScale) {
  SyntheticImage image(200, 200, 1000);
  image.AddStar(114, 100, 6000, 1.5);  // 14 image pixels right of the click at (100, 100)
  EXPECT_FALSE(Centroid(View(image, 1.0L), kBox, 100, 100, false).has_value());
  // At scale 0.5 the peak box of half-width 8 on the screen is 16 image pixels.
  const auto c = Centroid(View(image, 0.5L), kBox, 50, 50, false);
  ASSERT_TRUE(c.has_value());
  EXPECT_NEAR(static_cast<double>(c->x), 57.0, 0.05);  // 114 x 0.5
  EXPECT_NEAR(static_cast<double>(c->y), 50.0, 0.05);
  // The flux box stays 8 image pixels: the sum covers the same pixels at any scale.
  EXPECT_NEAR(static_cast<double>(BoxSum(View(image, 0.5L), kBox, 57, 50, true)),
              static_cast<double>(BoxSum(View(image, 1.0L), kBox, 114, 100, true)), 1e-9);
}

TEST(Centroid, MirroredDisplaysMeasureAtTheFileColumn) {
  SyntheticImage image(512, 64, 800);
  image.AddStar(100, 30, 4000, 1.5);
  MeasureView view = View(image);
  view.mirrorLeftRight = true;
  // The star at file column 100 is shown at display column 412.
  const auto c = Centroid(view, kBox, 410, 30, false);
  ASSERT_TRUE(c.has_value());
  EXPECT_NEAR(static_cast<double>(c->x), 412, 0.01);
  EXPECT_NEAR(static_cast<double>(c->y), 30, 0.01);
  view.mirrorUpDown = true;
  const auto both = Centroid(view, kBox, 410, 34, false);
  ASSERT_TRUE(both.has_value());
  EXPECT_NEAR(static_cast<double>(both->y), 34, 0.01);
  const ScreenPoint file = Reflect(view, 412, 34);
  EXPECT_EQ(file.x, 100);
  EXPECT_EQ(file.y, 30);
}

TEST(Centroid, ASaturatedPlateauGivesItsCentre) {
  SyntheticImage image(80, 80, 1000);
  for (std::int32_t y = 38; y <= 42; ++y)
    for (std::int32_t x = 30; x <= 33; ++x) image.pixels.SetPixel(x, y, 65535);
  const auto c = Centroid(View(image), kBox, 32, 40, false);
  ASSERT_TRUE(c.has_value());
  EXPECT_NEAR(static_cast<double>(c->x), 31.5, 1e-9);
  EXPECT_NEAR(static_cast<double>(c->y), 40.0, 1e-9);
}

TEST(Centroid, NothingToFind) {
  SyntheticImage zero(50, 50, 0);
  EXPECT_FALSE(Centroid(View(zero), kBox, 25, 25, false).has_value());
  SyntheticImage image(50, 50, 100);
  image.AddStar(25, 25, 2000, 1.5);
  // Clicks right of or below the client area fail, unless anywhere.
  MeasureView view = View(image);
  view.clientWidth = 20;
  EXPECT_FALSE(Centroid(view, kBox, 25, 25, false).has_value());
  EXPECT_TRUE(Centroid(view, kBox, 25, 25, true).has_value());
  view.clientWidth = 50;
  view.clientHeight = 10;
  EXPECT_FALSE(Centroid(view, kBox, 25, 25, false).has_value());
}

TEST(Centroid, WithoutReadingTheSkyTheImageStatisticsSetTheThreshold) {
  SyntheticImage image(100, 100, 1000);
  image.AddNoise(10, 3);
  image.AddStar(60.4, 30.6, 3000, 1.5);
  image.CountHistogram();
  image.displayLow = 990;
  MeasureView view = View(image);
  view.readSkyForCentroid = false;
  const auto c = Centroid(view, kBox, 58, 31, false);
  ASSERT_TRUE(c.has_value());
  EXPECT_NEAR(static_cast<double>(c->x), 60.4, 0.1);
  // A display low above the star leaves nothing above the threshold.
  image.displayLow = 10000;
  EXPECT_FALSE(Centroid(view, kBox, 58, 31, false).has_value());
}

TEST(BoxSum, SkySubtractionRecoversTheStarFlux) {
  SyntheticImage image(100, 100, 1200);
  image.AddStar(50, 50, 1000, 1.5);
  const double flux = 1000 * 2 * M_PI * 1.5 * 1.5;  // the Gaussian's integral
  const auto view = View(image);
  EXPECT_NEAR(static_cast<double>(BoxSum(view, kBox, 50, 50, true)), flux, 0.01 * flux);
  EXPECT_NEAR(static_cast<double>(BoxSum(view, kBox, 50, 50, false)), flux + 17 * 17 * 1200.0, 0.01 * flux);
  const SkyStats sky = SkyLevel(image, kBox, 50, 50);
  EXPECT_NEAR(static_cast<double>(sky.mean), 1200, 0.5);
}

TEST(SkyLevel, SampleStatisticsOfTheFrame) {
  SyntheticImage image(30, 30, 0);
  // Inner square around (15, 15) with p = 2: 13..17; frame with b = 1: 12..18 ring of 24 pixels.
  const BoxRecord box{2, 2, 1, 3};
  for (std::int32_t y = 12; y <= 18; ++y)
    for (std::int32_t x = 12; x <= 18; ++x) image.pixels.SetPixel(x, y, (x + y) % 2 == 0 ? 10 : 20);
  const SkyStats sky = SkyLevel(image, box, 15, 15);
  ASSERT_EQ(sky.count, 24);
  // The ring holds 12 tens and 12 twenties.
  EXPECT_NEAR(static_cast<double>(sky.mean), 15.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(sky.sigma), std::sqrt(24 * 25.0 / 23), 1e-12);
}

}  // namespace
}  // namespace skarvel

#include "astrometry/reference_star.h"

namespace skarvel {
namespace {

TEST(ReferenceStarRecord, LayoutIs177BytesAndRoundTrips) {
  ReferenceStar r;
  r.leading = {1, 2, 3, 4, 5, 6, 7, 8};
  r.kind = kRefTarget;
  r.number = 99;
  r.id = "Field Center";
  r.fieldX = 12.5L;
  r.imageX = 412.25L;
  r.catRA = 23.999999999L;
  r.catDec = -89.5L;
  r.flux = 123456.789L;
  r.magRes = -0.01L;
  r.catalog = 2;
  r.band = 1;
  r.usePos = true;
  r.measured = true;
  ByteWriter out;
  WriteReferenceStar(out, r);
  const auto& b = out.Buffer();
  ASSERT_EQ(b.size(), 177u);
  EXPECT_EQ(b[7], 8);
  EXPECT_EQ(b[8], 6);    // kind
  EXPECT_EQ(b[9], 99);   // number, little-endian
  EXPECT_EQ(b[13], 12);  // id length
  EXPECT_EQ(b[14], 'F');
  // fieldX = 12.5 as an 80-bit extended value at offset 32: exponent 16386, significand 0xC8 << 56.
  EXPECT_EQ(b[32 + 7], 0xC8);
  EXPECT_EQ(b[32 + 8], 0x02);
  EXPECT_EQ(b[32 + 9], 0x40);
  EXPECT_EQ(b[172], 2);  // catalog
  EXPECT_EQ(b[173], 1);  // band
  EXPECT_EQ(b[174], 1);  // usePos
  EXPECT_EQ(b[175], 0);  // useMag
  EXPECT_EQ(b[176], 1);  // measured
  ByteReader in(b.data(), b.size());
  EXPECT_EQ(ReadReferenceStar(in), r);
}

}  // namespace
}  // namespace skarvel
