// Moving objects in four generated frames of a real Tycho-2 field: asteroids
// at slow, middling and fast rates among stars, hot pixels and cosmic rays,
// the pointing drifting from frame to frame; each object found once with its
// rate and direction, nothing else taken for one.
#include "astrometry/moving_objects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "images/star_detect.h"
#include "support/sky_frames.h"

namespace skarvel {
namespace {

using testing::FrameSetup;
using testing::SkyFrame;

struct Asteroid {
  double ra0, dec0;          // at the first frame, hours and degrees
  double rate, paDeg;        // arc seconds per minute, north through east
  float mag;
  void At(double minutes, long double& ra, long double& dec) const {
    const double d = rate * minutes / 3600, pa = paDeg * M_PI / 180;
    dec = dec0 + d * std::cos(pa);
    ra = ra0 + d * std::sin(pa) / std::cos(dec0 * M_PI / 180) / 15;
  }
};

constexpr double kMinutesApart = 20;

// Four frames of the southern field with the asteroids added, matched and put on the sky.
std::vector<FrameDetections> FrameSet(const std::vector<Asteroid>& asteroids, unsigned seed) {
  const auto list = testing::ReadStarList(std::string(SKARVEL_TEST_DATA_DIR) + "/astrometry/starlists/south.csv");
  std::vector<FrameDetections> frames;
  for (int k = 0; k < 4; ++k) {
    FrameSetup setup;
    setup.width = 420;
    setup.height = 380;
    setup.arcsecPerPixel = 3.6;
    setup.rotationDeg = 12 + 0.05 * k;
    setup.centreRAHours = 10.5 + 0.0004 * k;  // a few pixels of drift a frame
    setup.centreDecDeg = -45 + 0.001 * k;
    setup.hotPixels = 30;
    setup.cosmicRays = 15;
    setup.extraStars = 15;
    setup.seed = seed * 10 + static_cast<unsigned>(k);
    std::vector<SkyStar> sky = list;
    for (const Asteroid& a : asteroids) {
      SkyStar s;
      a.At(k * kMinutesApart, s.raHours, s.decDeg);
      s.mag = a.mag;
      sky.push_back(s);
    }
    SkyFrame frame(setup);
    frame.Render(sky);
    const auto found = DetectStars(frame, DetectSettings{});
    std::vector<ImageStar> image;
    for (const DetectedStar& d : found) image.push_back({d.x, d.y});
    MatchSettings ms;
    ms.centreRAHours = 10.5;
    ms.centreDecDeg = -45;
    ms.imageWidth = setup.width;
    ms.imageHeight = setup.height;
    ms.arcsecPerPixel = 3.6;
    const MatchResult m = MatchStars(image, list, ms);
    EXPECT_TRUE(m.found) << m.reason;
    FrameDetections f;
    f.jd = 2460000.5 + k * kMinutesApart / 1440;
    for (const DetectedStar& d : found) {
      SkyDetection s{d.x, d.y, 0, 0, d.flux};
      PixelToSky(m, d.x, d.y, s.raHours, s.decDeg);
      f.stars.push_back(s);
    }
    frames.push_back(f);
  }
  return frames;
}

TEST(MovingObjects, AsteroidsAreFoundWithTheirMotionAndNothingElse) {
  int objects = 0, found = 0, falseOnes = 0;
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const std::vector<Asteroid> asteroids{
        {10.5 + 0.02 * seed / 15, -45.05, 0.25, 30.0 * seed, 12.5f},   // slow: 15" over the hour
        {10.49, -44.98 + 0.01 * seed, 2.0, 250, 13.0f},                  // a main-belt rate
        {10.505, -45.07, 12.0, 350 - 20.0 * seed, 12.0f},                 // fast: 12' over the hour
    };
    const auto frames = FrameSet(asteroids, seed);
    const auto candidates = FindMovingObjects(frames, MovingSettings{});
    std::vector<bool> isObject(candidates.size(), false);
    objects += static_cast<int>(asteroids.size());
    for (const Asteroid& a : asteroids) {
      for (std::size_t i = 0; i < candidates.size(); ++i) {
        const MovingCandidate& c = candidates[i];
        long double ra = 0, dec = 0;
        a.At(0, ra, dec);
        const double off = std::hypot(static_cast<double>((c.positions[0].raHours - ra) * 15 * 3600 * std::cos(dec * M_PI / 180)),
                                      static_cast<double>((c.positions[0].decDeg - dec) * 3600));
        if (off > 1.5) continue;
        ++found;
        isObject[i] = true;
        EXPECT_NEAR(static_cast<double>(c.rateArcsecPerMin), a.rate, 0.02 * a.rate + 0.02);
        EXPECT_NEAR(std::remainder(static_cast<double>(c.paDeg) - a.paDeg, 360.0), 0, a.rate < 1 ? 8 : 1);
        EXPECT_LT(static_cast<double>(c.residualArcsec), 0.8);
        ASSERT_EQ(c.positions.size(), 4u);
        EXPECT_DOUBLE_EQ(static_cast<double>(c.jd[3]), static_cast<double>(frames[3].jd));
      }
    }
    falseOnes += static_cast<int>(std::count(isObject.begin(), isObject.end(), false));
  }
  // An object lost in one frame for a reason other than a star over it (a
  // cosmic ray on it, the frame's edge) is not bridged: two of the nine here.
  EXPECT_GE(found, objects - 2) << found << " of " << objects;
  EXPECT_EQ(falseOnes, 0);
}

TEST(MovingObjects, StarsAloneGiveNoCandidatesAndTooFewFramesNone) {
  const auto frames = FrameSet({}, 7);
  EXPECT_TRUE(FindMovingObjects(frames, MovingSettings{}).empty());
  const std::vector<FrameDetections> two(frames.begin(), frames.begin() + 2);
  EXPECT_TRUE(FindMovingObjects(two, MovingSettings{}).empty());
  EXPECT_EQ(TemporaryDesignation(1), "SKV0001");
  EXPECT_EQ(TemporaryDesignation(42), "SKV0042");
}

}  // namespace
}  // namespace skarvel
