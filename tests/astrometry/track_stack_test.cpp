// Stacking a generated series along a motion: the series solved by
// Auto-Match, a faint object (SNR 3.5 a frame) shown in the stack at its
// place at the reference time with the SNR the frames add up to, the noise
// of the stack the true one, the header read back by the FITS reader, and
// the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "astrometry/track_stack.h"
#include "foundations/date_time.h"
#include "images/fits_file.h"
#include "images/source_detect.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/track_series.h"

namespace skarvel {
namespace {

using testing::GeneratedSeries;
using testing::SeriesSetup;

// The stack written and read back as an image of a slot (header time: midpoint).
struct LoadedStack {
  testing::TempDir dir;
  testing::ScriptedPlatform ui;
  std::unique_ptr<FITSFileObj> image;
  explicit LoadedStack(const StackResult& stack) {
    WriteFloatFits(dir / "STACK.FIT", stack.image);
    image = std::make_unique<FITSFileObj>(ImageLoadContext{&ui, dir.Path(), 1, nullptr, nullptr});
    EXPECT_TRUE(image->Load(dir / "STACK.FIT"));
  }
};

TEST(TrackStack, CombinesValuesByClippedMeanAndMedian) {
  float a[] = {10, 11, 9, 10, 12, 8, 10, 1000};  // one outlier
  EXPECT_FLOAT_EQ(CombineValues(a, 8, StackCombine::kMean), 10.0f);
  float b[] = {10, 11, 9, 10, 12, 8, 10, 1000};
  EXPECT_FLOAT_EQ(CombineValues(b, 8, StackCombine::kMedian), 10.0f);
  float c[] = {1, 2, 3, 4};
  EXPECT_FLOAT_EQ(CombineValues(c, 4, StackCombine::kMean), 2.5f);
  float d[] = {4, 1, 3};
  EXPECT_FLOAT_EQ(CombineValues(d, 3, StackCombine::kMedian), 3.0f);
  float e[] = {5, 7};
  EXPECT_FLOAT_EQ(CombineValues(e, 2, StackCombine::kMean), 6.0f);
  EXPECT_FLOAT_EQ(CombineValues(e, 0, StackCombine::kMean), 0.0f);
  EXPECT_EQ(StackCombineName(StackCombine::kMean), "MEAN");
  EXPECT_EQ(StackCombineName(StackCombine::kMedian), "MEDIAN");
  EXPECT_EQ(IsoTimeText(2451545.0), "2000-01-01T12:00:00.000");
  EXPECT_EQ(IsoTimeText(2460300.5 + 0.0123456), "2023-12-22T00:17:46.660");
}

TEST(TrackStack, FaintObjectAtItsReferencePlaceWithTheSnrOfTheSeries) {
  // Four series of 16 to 32 frames, 1 to 2 minutes apart, random rotation,
  // mirror and drift; the object at SNR 3.5 a frame. Along its true motion it
  // must stand within 1 px of its place at the reference time with an SNR of
  // at least 0.55 sqrt(N) 3.5, on a noise the stack truly has (the frames'
  // noise over sqrt(N), by the clipped mean's efficiency of about 0.95).
  for (unsigned seed = 1; seed <= 4; ++seed) {
    SeriesSetup s;
    s.seed = seed;
    s.frames = seed % 2 ? 16 : 24 + 8 * (seed == 4);
    s.minutesApart = 1 + 0.33 * seed;
    s.rateArcsecPerMin = 1.5 + seed;
    s.paDeg = 37 + 83 * seed;
    GeneratedSeries g(s);
    FrameSeries series;
    ASSERT_TRUE(series.Solve(g.inputs, g.stars, s.arcsecPerPixel)) << series.Failure();
    ASSERT_EQ(series.LeftOut().size(), 0u) << seed << ": " << series.Frames()[0].failure;
    StackSettings settings;
    const StackResult stack = StackAlongMotion(series, {s.rateArcsecPerMin, s.paDeg}, settings);
    ASSERT_TRUE(stack.made) << stack.failure;
    EXPECT_EQ(stack.frames, s.frames);
    EXPECT_DOUBLE_EQ(stack.exposureS, s.frames * s.exposureS);
    EXPECT_NEAR(stack.referenceJd, g.jd0 + (s.frames - 1) * s.minutesApart / 2 / 1440, 1e-8);

    LoadedStack loaded(stack);
    SourceDetectSettings detect;
    detect.snrThreshold = 4;
    detect.psfSigma = g.sigma;
    SourceDetectStatistics stats;
    const std::vector<Source> sources = DetectSources(*loaded.image, detect, &stats);
    double tx = 0, ty = 0;
    g.TruthAt(stack.referenceJd, tx, ty);
    const Source* best = nullptr;
    for (const Source& src : sources)
      if (std::hypot(src.x - tx, src.y - ty) < 3 && (!best || src.snr > best->snr)) best = &src;
    ASSERT_NE(best, nullptr) << "seed " << seed << ": nothing near " << tx << ", " << ty;
    const double expected = 0.55 * std::sqrt(s.frames) * 3.5;
    std::printf("seed %u: %d frames, SNR %.1f (need %.1f, ideal %.1f), offset %.2f px, noise %.2f (frames %.2f)\n",
                seed, s.frames, best->snr, expected, std::sqrt(s.frames) * 3.5, std::hypot(best->x - tx, best->y - ty),
                stats.noise, testing::kSeriesPixelNoise / std::sqrt(s.frames));
    EXPECT_LT(std::hypot(best->x - tx, best->y - ty), 1.0) << seed;
    EXPECT_GE(best->snr, expected) << seed;
    EXPECT_GT(stats.noise, 0.95 * testing::kSeriesPixelNoise / std::sqrt(s.frames)) << seed;
  }
}

TEST(TrackStack, HeaderCarriesPlateTimeExposureMotionAndFrames) {
  SeriesSetup s;
  s.frames = 6;
  GeneratedSeries g(s);
  FrameSeries series;
  ASSERT_TRUE(series.Solve(g.inputs, g.stars, s.arcsecPerPixel));
  StackSettings settings;
  settings.combine = StackCombine::kMedian;
  settings.object = "TRACK";
  const StackResult stack = StackAlongMotion(series, {2.5, 123}, settings);
  ASSERT_TRUE(stack.made);
  LoadedStack loaded(stack);
  ASSERT_TRUE(loaded.image->Wcs().has_value());
  // The header's WCS gives the plate's sky at every corner and the centre.
  const MatchResult& plate = series.Frames()[0].plate;
  for (const auto& p : {std::array<double, 2>{0, 0}, {319, 0}, {0, 287}, {319, 287}, {160, 144}}) {
    long double ra = 0, dec = 0;
    PixelToSky(plate, p[0], p[1], ra, dec);
    const auto sky = loaded.image->Wcs()->PixelToSky(p[0] + 1, p[1] + 1);
    EXPECT_NEAR(sky[0], static_cast<double>(ra) * 15, 1e-6);
    EXPECT_NEAR(sky[1], static_cast<double>(dec), 1e-6);
    // ... which is the true sky of that pixel within the plate's error.
    double tx = 0, ty = 0;
    g.images.front()->TruePixel(ra, dec, tx, ty);
    EXPECT_LT(std::hypot(tx - p[0], ty - p[1]), 0.3);
  }
  // The observation time is the reference time (to the millisecond), the exposure the sum.
  const double jd = static_cast<double>(DateTimeToDays(loaded.image->Header().observationTime) + 2415018.5L);
  EXPECT_NEAR(jd, stack.referenceJd, 1.0 / 86400000 * 0.51);
  EXPECT_DOUBLE_EQ(static_cast<double>(loaded.image->Header().exposure), 360.0);
  EXPECT_EQ(loaded.image->Header().object.substr(0, 6), "TRACK ");  // the card pads to 8 characters
  std::map<std::string, std::string> cards;
  for (const std::string& c : stack.image.cards) cards[CardKeyword(c)] = CardValue(c);
  EXPECT_EQ(cards["NCOMBINE"], "6");
  EXPECT_EQ(cards["CMBMETHD"], "MEDIAN");
  EXPECT_EQ(std::stod(cards["TRKRATE"]), 2.5);
  EXPECT_EQ(std::stod(cards["TRKPA"]), 123.0);
  EXPECT_NEAR(std::stod(cards["MJD-OBS"]), stack.referenceJd - 2400000.5, 1e-9);
  EXPECT_EQ(cards["DATE-OBS"], IsoTimeText(stack.referenceJd));
  EXPECT_EQ(cards["TIMESYS"], "UTC");
}

TEST(TrackStack, FramesWithoutPlateAreLeftOutAndNamed) {
  SeriesSetup s;
  s.frames = 5;
  GeneratedSeries g(s);
  // A blank frame cannot be matched.
  g.images[2]->pixels.Create(s.width, s.height);
  FrameSeries series;
  ASSERT_TRUE(series.Solve(g.inputs, g.stars, s.arcsecPerPixel));
  ASSERT_EQ(series.LeftOut(), std::vector<std::string>{"frame3.fit"});
  const StackResult stack = StackAlongMotion(series, {1, 0}, StackSettings{});
  ASSERT_TRUE(stack.made);
  EXPECT_EQ(stack.frames, 4);
  EXPECT_EQ(stack.leftOut, std::vector<std::string>{"frame3.fit"});
  // The reference time is the mean of the four frames' times.
  EXPECT_NEAR(stack.referenceJd, g.jd0 + (0 + 1.5 + 4.5 + 6) / 4 / 1440, 1e-8);
  bool named = false;
  for (const std::string& c : stack.image.cards) named |= c.find("Left out (no plate): frame3.fit") != std::string::npos;
  EXPECT_TRUE(named);
}

TEST(TrackStack, RefusesEmptyOversizedAndMixedSeries) {
  FrameSeries series;
  StarList none;
  EXPECT_FALSE(series.Solve({}, none, 0));
  EXPECT_EQ(series.Failure(), "The series holds no frame.");
  SeriesSetup s;
  s.frames = 2;
  GeneratedSeries g(s);
  std::vector<SeriesFrameInput> many(kMaxSeriesFrames + 1, g.inputs[0]);
  EXPECT_FALSE(series.Solve(many, g.stars, 0));
  EXPECT_EQ(series.Failure(), "A series holds at most 200 frames, not 201.");
  g.images[1]->pixels.Create(100, 80);
  g.images[1]->width = 100;
  g.images[1]->height = 80;
  EXPECT_FALSE(series.Solve(g.inputs, g.stars, 0));
  EXPECT_EQ(series.Failure(), "frame2.fit: the frame is 100 x 80 pixels, the first 320 x 288.");
  // No plate at all: no stack.
  std::vector<SeriesFrame> unsolved(1);
  unsolved[0].input = g.inputs[0];
  ASSERT_TRUE(series.Assign(unsolved));
  const StackResult stack = StackAlongMotion(series, {1, 0}, StackSettings{});
  EXPECT_FALSE(stack.made);
  EXPECT_EQ(stack.failure, "No frame of the series has a plate.");
  // A stop asked for ends the stack without an image.
  SeriesSetup t;
  t.frames = 3;
  GeneratedSeries h(t);
  ASSERT_TRUE(series.Solve(h.inputs, h.stars, t.arcsecPerPixel));
  const StackResult stopped =
      StackAlongMotion(series, {1, 0}, StackSettings{}, [](std::int64_t, std::int64_t) { return false; });
  EXPECT_FALSE(stopped.made);
  EXPECT_EQ(stopped.failure, "Stopped.");
  EXPECT_TRUE(stopped.image.pixels.empty());
}

TEST(TrackStack, PixelRateAndSkyRateAreInverse) {
  SeriesSetup s;
  s.frames = 2;
  GeneratedSeries g(s);
  FrameSeries series;
  ASSERT_TRUE(series.Solve(g.inputs, g.stars, s.arcsecPerPixel));
  EXPECT_NEAR(series.ArcsecPerPixel(), 7.2, 0.02);
  for (double pa : {0.0, 45.0, 181.0, 300.0}) {
    const auto px = series.PixelRate({7.2, pa});
    EXPECT_NEAR(std::hypot(px[0], px[1]), 1.0, 0.01);
    const SkyMotion back = series.SkyRate(px[0], px[1]);
    EXPECT_NEAR(back.rateArcsecPerMin, 7.2, 1e-9);
    EXPECT_NEAR(back.paDeg, pa, 1e-9);
    // The true frame: north by the generator's rotation and mirror.
    long double ra = 0, dec = 0, ra2 = 0, dec2 = 0;
    PixelToSky(series.Frames()[0].plate, 100, 100, ra, dec);
    PixelToSky(series.Frames()[0].plate, 100 + 60 * px[0], 100 + 60 * px[1], ra2, dec2);
    const double dn = static_cast<double>(dec2 - dec) * 3600;
    const double de = static_cast<double>(ra2 - ra) * 15 * 3600 * std::cos(static_cast<double>(dec + dec2) / 2 * M_PI / 180);
    EXPECT_NEAR(dn, 7.2 * 60 * std::cos(pa * M_PI / 180), 1.0);
    EXPECT_NEAR(de, 7.2 * 60 * std::sin(pa * M_PI / 180), 1.0);
  }
}

}  // namespace
}  // namespace skarvel
