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
  // An object lost in one frame (a cosmic ray on it, the frame's edge) is
  // bridged by the other three, as these frames have no pixels to ask there
  // only where a star lies over it.
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

// Four frames of three stars and one object at 1" a minute toward the east,
// 2" pixels with east left; frame `lost` has no detection of the object.
// The frames' pixels are asked through fluxAt, answering `there`.
std::vector<FrameDetections> ObjectLostInOneFrame(std::size_t lost, long double there, std::size_t lost2 = 9) {
  const long double dec = 20, cosDec = std::cos(dec * M_PI / 180);
  const auto sky = [&](long double e, long double n) {
    return std::pair<long double, long double>{10 + e / 3600 / 15 / cosDec, dec + n / 3600};
  };
  std::vector<FrameDetections> frames;
  for (std::size_t k = 0; k < 4; ++k) {
    FrameDetections f;
    f.jd = 2460000.5L + k * 20.0L / 1440;
    f.width = 200;
    f.height = 200;
    // The pixel of a sky place: the first frame's, the pointing a pixel further in x each frame.
    f.skyToPixel = [cosDec, dec, k](long double ra, long double d, long double& x, long double& y) {
      x = 100 - (ra - 10) * 15 * 3600 * cosDec / 2 + static_cast<long double>(k);
      y = 100 - (d - dec) * 3600 / 2;
      return true;
    };
    f.fluxAt = [there](long double, long double) -> std::optional<long double> { return there; };
    for (const auto& [e, n] : std::vector<std::pair<long double, long double>>{{-80, 30}, {60, -70}, {90, 90}}) {
      const auto [ra, d] = sky(e, n);
      SkyDetection s{0, 0, ra, d, 5000};
      f.skyToPixel(ra, d, s.x, s.y);
      f.stars.push_back(s);
    }
    if (k != lost && k != lost2) {
      const auto [ra, d] = sky(20.0L * k, 10);
      SkyDetection s{0, 0, ra, d, 1000 + 50.0L * k};
      f.skyToPixel(ra, d, s.x, s.y);
      f.stars.push_back(s);
    }
    frames.push_back(f);
  }
  return frames;
}

TEST(MovingObjects, AFrameMayMissTheObjectOnlyWhereItCanSayWhy) {
  // The pixels hold most of its flux: the detector left it out (a cosmic ray on it).
  for (std::size_t lost = 0; lost < 4; ++lost) {
    const double k = static_cast<double>(lost);
    const auto c = FindMovingObjects(ObjectLostInOneFrame(lost, 700), MovingSettings{});
    ASSERT_EQ(c.size(), 1u) << lost;
    EXPECT_FALSE(c[0].detected[lost]);
    EXPECT_EQ(std::count(c[0].detected.begin(), c[0].detected.end(), true), 3);
    EXPECT_NEAR(static_cast<double>(c[0].rateArcsecPerMin), 1.0, 1e-4);
    EXPECT_NEAR(static_cast<double>(c[0].paDeg), 90.0, 0.02);
    // The place of the lost frame is the motion's, its pixel by that frame's placement
    // (to the curvature of the sky over the 80" from the tangent point).
    const long double cosDec = std::cos(20 * M_PI / 180);
    EXPECT_NEAR(static_cast<double>((c[0].positions[lost].raHours - 10) * 15 * 3600 * cosDec), 20.0 * k, 0.01);
    EXPECT_NEAR(static_cast<double>((c[0].positions[lost].decDeg - 20) * 3600), 10, 0.01);
    EXPECT_NEAR(static_cast<double>(c[0].positions[lost].x), 100 - 10.0 * k + k, 0.01);
    EXPECT_NEAR(static_cast<double>(c[0].positions[lost].y), 95, 0.01);
  }
  // Empty sky where it should be (0.4 of its mean flux, 420 to 440 here, is the least): no object.
  for (std::size_t lost = 0; lost < 4; ++lost) {
    EXPECT_TRUE(FindMovingObjects(ObjectLostInOneFrame(lost, 300), MovingSettings{}).empty()) << lost;
    EXPECT_EQ(FindMovingObjects(ObjectLostInOneFrame(lost, 480), MovingSettings{}).size(), 1u) << lost;
  }
  // A frame that cannot be asked explains nothing.
  auto frames = ObjectLostInOneFrame(2, 700);
  frames[2].fluxAt = nullptr;
  EXPECT_TRUE(FindMovingObjects(frames, MovingSettings{}).empty());
  // Beyond the frame's edge (the object left it): found with the pixels saying nothing.
  frames = ObjectLostInOneFrame(3, 0);
  frames[3].width = 160;
  EXPECT_TRUE(FindMovingObjects(frames, MovingSettings{}).empty());
  frames[3].width = 76;  // the place at x = 73 lies within the 4-pixel border
  EXPECT_EQ(FindMovingObjects(frames, MovingSettings{}).size(), 1u);
  // Three detections of very different brightness are not one object.
  frames = ObjectLostInOneFrame(1, 1500);
  frames[3].stars.back().flux = 5000;
  EXPECT_TRUE(FindMovingObjects(frames, MovingSettings{}).empty());
  frames[3].stars.back().flux = 3900;
  EXPECT_EQ(FindMovingObjects(frames, MovingSettings{}).size(), 1u);
}

TEST(MovingObjects, TwoFramesMayMissABrightObjectTheirPixelsShow) {
  // Detections of 1000 to 1150 against a box noise of 10: 100 sigmas.
  auto frames = ObjectLostInOneFrame(1, 700, 3);
  EXPECT_TRUE(FindMovingObjects(frames, MovingSettings{}).empty());  // the noise unknown: one frame at most
  for (auto& f : frames) f.boxNoise = 10;
  const auto c = FindMovingObjects(frames, MovingSettings{});
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].detected, (std::vector<bool>{true, false, true, false}));
  EXPECT_NEAR(static_cast<double>(c[0].rateArcsecPerMin), 1.0, 1e-3);
  // Both frames must show it: by 0.4 of its flux ...
  auto faint = ObjectLostInOneFrame(1, 400, 3);
  for (auto& f : faint) f.boxNoise = 10;
  EXPECT_TRUE(FindMovingObjects(faint, MovingSettings{}).empty());
  for (auto& f : faint) f.fluxAt = [](long double, long double) -> std::optional<long double> { return 480; };
  EXPECT_EQ(FindMovingObjects(faint, MovingSettings{}).size(), 1u);
  // ... and by 5 sigmas (700 against a noise of 150 is less) ...
  for (auto& f : frames) f.boxNoise = 150;
  EXPECT_TRUE(FindMovingObjects(frames, MovingSettings{}).empty());
  // ... and the detections must stand 20 sigmas out (1000 against 60 is less).
  for (auto& f : frames) f.boxNoise = 60;
  EXPECT_TRUE(FindMovingObjects(frames, MovingSettings{}).empty());
  for (auto& f : frames) f.boxNoise = 45;
  EXPECT_EQ(FindMovingObjects(frames, MovingSettings{}).size(), 1u);
  // Off the frame does not explain a second missing frame.
  frames = ObjectLostInOneFrame(2, 700, 3);
  for (auto& f : frames) f.boxNoise = 10;
  frames[3].width = 76;
  EXPECT_TRUE(FindMovingObjects(frames, MovingSettings{}).empty());
}

}  // namespace
}  // namespace skarvel
