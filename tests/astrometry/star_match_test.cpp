// The automatic matching on frames of real Tycho-2 fields: any rotation, both
// mirrorings, a scale 20 percent off, the pointing up to half a field off,
// hot pixels, cosmic rays, trails, missing and uncatalogued stars; and the
// refusals when the stars do not support a match.
#include "astrometry/star_match.h"

#include <gtest/gtest.h>

#include <random>

#include "images/star_detect.h"
#include "support/sky_frames.h"

namespace skarvel {
namespace {

using testing::CheckMatch;
using testing::FrameSetup;
using testing::ReadStarList;
using testing::SkyFrame;

std::vector<SkyStar> StarList(const std::string& name) {
  return ReadStarList(std::string(SKARVEL_TEST_DATA_DIR) + "/astrometry/starlists/" + name);
}

std::vector<ImageStar> Detect(SkyFrame& frame, DetectStatistics* stats = nullptr) {
  std::vector<ImageStar> image;
  for (const DetectedStar& s : DetectStars(frame, DetectSettings{}, stats)) image.push_back({s.x, s.y});
  return image;
}

// A frame of a field with random orientation, scale error and pointing error.
struct Trial {
  FrameSetup setup;
  MatchSettings settings;
};

Trial RandomTrial(const std::vector<SkyStar>& list, double raHours, double decDeg, double fieldDeg, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  Trial t;
  t.setup.width = 400;
  t.setup.height = 360;
  const double expected = fieldDeg * 3600 / t.setup.width;
  t.setup.arcsecPerPixel = expected * (0.8 + 0.4 * unit(rng));
  t.setup.rotationDeg = 360 * unit(rng);
  t.setup.mirror = unit(rng) < 0.5;
  t.setup.hotPixels = 30;
  t.setup.cosmicRays = 15;
  t.setup.missingFraction = 0.1;
  t.setup.extraStars = 20;
  t.setup.trailPixels = unit(rng) < 0.25 ? 4 : 0;
  t.setup.seed = seed;
  // The true centre up to half a field from the one given.
  const double a = 2 * M_PI * unit(rng), r = 0.5 * fieldDeg * unit(rng);
  t.setup.centreDecDeg = decDeg + r * std::sin(a);
  t.setup.centreRAHours = std::fmod(raHours + r * std::cos(a) / std::cos(t.setup.centreDecDeg * M_PI / 180) / 15 + 24, 24.0);
  t.settings.centreRAHours = raHours;
  t.settings.centreDecDeg = decDeg;
  t.settings.imageWidth = t.setup.width;
  t.settings.imageHeight = t.setup.height;
  t.settings.arcsecPerPixel = expected;
  (void)list;
  return t;
}

struct FieldCase {
  const char* file;
  double ra, dec, fieldDeg;
};

TEST(StarMatch, FramesOfRealFieldsAreMatchedAndNeverWrongly) {
  const FieldCase fields[] = {
      {"wrap0h.csv", 0.02, 4.0, 1.0},   {"pole.csv", 5.5, 88.8, 1.0},  {"cygnus.csv", 19.8, 31.0, 0.6},
      {"ecl200.csv", 13.2310684, -7.8192147, 0.9}, {"south.csv", 10.5, -45, 0.45},
  };
  int frames = 0, matched = 0;
  for (const FieldCase& f : fields) {
    const auto list = StarList(f.file);
    ASSERT_GT(list.size(), 50u) << f.file;
    for (unsigned seed = 1; seed <= 4; ++seed) {
      const Trial t = RandomTrial(list, f.ra, f.dec, f.fieldDeg, seed * 7919 + static_cast<unsigned>(f.ra * 100));
      SkyFrame frame(t.setup);
      frame.Render(list);
      int inField = 0;
      for (bool d : frame.Drawn()) inField += d;
      if (inField < 8) continue;
      ++frames;
      const auto image = Detect(frame);
      const MatchResult m = MatchStars(image, list, t.settings);
      SCOPED_TRACE(std::string(f.file) + " seed " + std::to_string(seed) + " rot " + std::to_string(t.setup.rotationDeg) +
                   (t.setup.mirror ? " mirrored" : "") + " scale " + std::to_string(t.setup.arcsecPerPixel) + ": " + m.reason);
      if (!m.found) continue;
      const auto truth = CheckMatch(frame, image, list, m, 1.5);
      EXPECT_EQ(truth.wrong, 0);
      EXPECT_GE(truth.right, 5);
      EXPECT_NEAR(static_cast<double>(m.arcsecPerPixel), t.setup.arcsecPerPixel, 0.002 * t.setup.arcsecPerPixel);
      EXPECT_EQ(m.mirrored, !t.setup.mirror);  // x grows westward unmirrored: a mirror of the sky seen from inside
      EXPECT_LT(static_cast<double>(m.rmsArcsec), 0.5 * t.setup.arcsecPerPixel);
      ++matched;
    }
  }
  EXPECT_GE(frames, 16);
  EXPECT_GE(matched, frames - 1) << matched << " of " << frames;
}

TEST(StarMatch, AnotherFieldsCatalogIsRefused) {
  // A frame of the field across 0 h, offered the southern field's stars moved onto its centre.
  const auto list = StarList("wrap0h.csv");
  auto other = StarList("cygnus.csv");
  for (SkyStar& s : other) {
    s.raHours = std::fmod(s.raHours - 19.8 + 0.02 + 24, 24.0);
    s.decDeg = s.decDeg - 31.0 + 4.0;
  }
  for (unsigned seed = 1; seed <= 1; ++seed) {
    const Trial t = RandomTrial(list, 0.02, 4.0, 1.0, seed);
    SkyFrame frame(t.setup);
    frame.Render(list);
    const MatchResult m = MatchStars(Detect(frame), other, t.settings);
    EXPECT_FALSE(m.found) << "seed " << seed << ": " << m.pairs.size() << " pairs";
    EXPECT_FALSE(m.reason.empty());
  }
}

TEST(StarMatch, TooFewStarsAreRefusedInPlainWords) {
  const auto list = StarList("south.csv");
  MatchSettings s;
  s.centreRAHours = 10.5;
  s.centreDecDeg = -45;
  s.imageWidth = s.imageHeight = 100;
  s.arcsecPerPixel = 10;
  const std::vector<ImageStar> four{{10, 10}, {50, 20}, {80, 90}, {30, 60}};
  MatchResult m = MatchStars(four, list, s);
  EXPECT_FALSE(m.found);
  EXPECT_EQ(m.reason, "Too few stars were found in the image (4).");
  std::vector<ImageStar> many;
  for (int i = 0; i < 12; ++i) many.push_back({8.0L * i, static_cast<long double>(5 * i * i % 97)});
  m = MatchStars(many, {list.begin(), list.begin() + 2}, s);
  EXPECT_EQ(m.reason, "Too few catalog stars lie in the field (2).");
}

TEST(StarDetect, DefectsSaturationAndBlendsAreLeftOut) {
  FrameSetup setup;
  setup.width = 200;
  setup.height = 160;
  setup.arcsecPerPixel = 10;
  setup.centreRAHours = 10.5;
  setup.centreDecDeg = -45;
  setup.readNoise = 5;
  // Five isolated stars, one saturated, one blended pair; hot pixels and cosmic rays.
  std::vector<SkyStar> stars;
  const auto at = [&](double x, double y, float mag) {
    // Pixel to sky by the frame's own projection (unrotated: x west, y south).
    long double ra = setup.centreRAHours - (x - 100) * 10 / 3600 / 15 / std::cos(45 * M_PI / 180);
    long double dec = setup.centreDecDeg - (y - 80) * 10 / 3600;
    stars.push_back({ra, dec, mag});
  };
  at(30, 30, 12);
  at(160, 40, 12.5);
  at(60, 120, 13);
  at(150, 130, 11.5);
  at(100, 70, 6);    // saturated
  at(40, 80, 12);    // blend: two equal stars 3 pixels apart
  at(43, 80, 12);
  setup.hotPixels = 25;
  setup.cosmicRays = 10;
  SkyFrame frame(setup);
  frame.Render(stars);
  DetectStatistics stats;
  const auto found = DetectStars(frame, DetectSettings{}, &stats);
  std::vector<int> hit(stars.size(), 0);
  for (const DetectedStar& d : found)
    for (std::size_t i = 0; i < stars.size(); ++i) {
      double x = 0, y = 0;
      frame.TruePixel(stars[i].raHours, stars[i].decDeg, x, y);
      if (std::hypot(static_cast<double>(d.x) - x, static_cast<double>(d.y) - y) < 1.0) ++hit[i];
    }
  EXPECT_EQ(found.size(), 4u);
  EXPECT_EQ(hit[0] + hit[1] + hit[2] + hit[3], 4);
  EXPECT_EQ(hit[4], 0);
  EXPECT_EQ(hit[5] + hit[6], 0);
  EXPECT_EQ(stats.saturated, 1);
  EXPECT_GE(stats.blended, 2);
  EXPECT_GT(stats.hotOrSharp, 15);
  // Brightest first: the 11.5 star.
  double x = 0, y = 0;
  frame.TruePixel(stars[3].raHours, stars[3].decDeg, x, y);
  EXPECT_NEAR(static_cast<double>(found.front().x), x, 0.3);
  EXPECT_NEAR(static_cast<double>(found.front().y), y, 0.3);
  EXPECT_NEAR(static_cast<double>(stats.background), 1000, 5);
  EXPECT_NEAR(static_cast<double>(stats.noise), std::sqrt(25.0 + 1000), 3);
}

}  // namespace
}  // namespace skarvel
