// The track search on generated series: a faint object (SNR 3.5 a frame,
// below what one frame can show) found by its rate, position angle and place
// at the reference time, at most one false candidate in a series, the grid
// of motions spaced for the allowed loss, the stop and the refusals.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "astrometry/track_search.h"
#include "support/track_series.h"

namespace skarvel {
namespace {

using testing::GeneratedSeries;
using testing::SeriesSetup;

// The mean of exp(-u^2 / (4 s^2)) over a trail of length L, by Simpson's rule.
double NumericTrailRatio(double L, double s) {
  const int n = 2000;
  double sum = 0;
  for (int i = 0; i <= n; ++i) {
    const double u = -L / 2 + L * i / n;
    const double f = std::exp(-u * u / (4 * s * s));
    sum += f * (i == 0 || i == n ? 1 : i % 2 ? 4 : 2);
  }
  return sum / (3.0 * n);
}

TEST(TrackSearch, PeakLossesAndTheGridOfMotions) {
  for (double s : {0.9, 1.3, 2.0})
    for (double L : {0.5, 2.0, 5.0}) EXPECT_NEAR(TrailPeakRatio(L, s), NumericTrailRatio(L, s), 1e-9) << s << " " << L;
  EXPECT_DOUBLE_EQ(TrailPeakRatio(0, 1.3), 1.0);
  EXPECT_NEAR(RoundingPeakRatio(1.3), std::pow(NumericTrailRatio(1.0, 1.3), 2), 1e-9);
  // The step keeps the worst motion (half a diagonal off) at 90 % of its peak, and a step 5 % wider does not.
  const double s = 1.3, span = 22.5;
  const double step = MotionGridStep(span, s, 0.10);
  const auto kept = [&](double st) { return TrailPeakRatio(st / std::sqrt(2.0) * span, s) * RoundingPeakRatio(s); };
  EXPECT_NEAR(kept(step), 0.90, 1e-6);
  EXPECT_LT(kept(1.05 * step), 0.90);
  // Every motion between the rates has a grid point within half a diagonal.
  const auto grid = MotionGrid(0.05, 2.0, step);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(0, 1);
  for (int i = 0; i < 500; ++i) {
    const double r = 0.05 + 1.95 * u(rng), a = 2 * M_PI * u(rng);
    double nearest = 1e9;
    for (const auto& g : grid) nearest = std::min(nearest, std::hypot(g[0] - r * std::cos(a), g[1] - r * std::sin(a)));
    EXPECT_LE(nearest, step / std::sqrt(2.0) + 1e-12);
  }
  for (const auto& g : grid) EXPECT_LE(std::hypot(g[0], g[1]), 2.0 + step / std::sqrt(2.0) + 1e-12);
}

TEST(TrackSearch, FindsTheFaintObjectWithoutFalseCandidates) {
  // Ten series of 16 to 24 frames, 1 to 2 minutes apart, at 2"/px: random
  // rotation, mirror and drift, hot pixels and cosmic rays, the object at SNR
  // 3.5 a frame moving 1.5" to 3.5" a minute. Found (within 1.5" and 10 % of
  // its rate) in at least 9; at most one series with more than one false candidate.
  int found = 0, noisy = 0;
  for (unsigned seed = 1; seed <= 10; ++seed) {
    SeriesSetup s;
    s.seed = 100 + seed;
    s.arcsecPerPixel = 2.0;
    s.randomStars = 260;
    s.frames = seed % 2 ? 16 : 24;
    s.minutesApart = 1 + 0.1 * seed;
    s.rateArcsecPerMin = 1.5 + 0.2 * seed;
    s.paDeg = 25 + 47 * seed;
    GeneratedSeries g(s);
    FrameSeries series;
    ASSERT_TRUE(series.Solve(g.inputs, g.stars, s.arcsecPerPixel)) << series.Failure();
    ASSERT_TRUE(series.LeftOut().empty()) << seed << ": " << series.Frames()[0].failure;
    TrackSearchSettings settings;
    settings.rateMaxArcsecPerMin = 4;
    auto start = std::chrono::steady_clock::now();
    const TrackSearchResult result = SearchTracks(series, settings);
    ASSERT_TRUE(result.done) << result.failure;
    std::printf("search %.2f s\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    double tx = 0, ty = 0;
    g.TruthAt(result.referenceJd, tx, ty);
    int hits = 0, falses = 0;
    for (const TrackCandidate& c : result.candidates) {
      long double ra = 0, dec = 0;
      g.ObjectAt((result.referenceJd - g.jd0) * 1440, ra, dec);
      const double off = std::hypot(static_cast<double>(c.raHours - ra) * 15 * std::cos(static_cast<double>(dec) * M_PI / 180),
                                    static_cast<double>(c.decDeg - dec)) * 3600;
      const bool hit = off < 1.5 && std::fabs(c.rateArcsecPerMin / s.rateArcsecPerMin - 1) < 0.10;
      std::printf("seed %u: candidate %.2f\"/min pa %.1f SNR %.1f at %.1f,%.1f (truth %.2f\"/min pa %.1f at %.1f,%.1f: %.2f\")%s\n",
                  seed, c.rateArcsecPerMin, c.paDeg, c.snr, c.x, c.y, s.rateArcsecPerMin, s.paDeg, tx, ty, off,
                  hit ? " HIT" : "");
      (hit ? hits : falses) += 1;
    }
    std::printf("seed %u: %zu motions, step %.3f px/min, PSF %.2f\n", seed, result.motions,
                result.gridStepPixelsPerMin, result.psfSigma);
    found += hits > 0;
    noisy += falses > 1;
  }
  EXPECT_GE(found, 9);
  EXPECT_LE(noisy, 1);
}

TEST(TrackSearch, StopsWhenAskedAndRefusesShortSeries) {
  SeriesSetup s;
  s.frames = 4;
  GeneratedSeries g(s);
  FrameSeries series;
  ASSERT_TRUE(series.Solve(g.inputs, g.stars, s.arcsecPerPixel));
  std::size_t calls = 0, total = 0;
  const TrackSearchResult stopped = SearchTracks(series, TrackSearchSettings{}, [&](std::size_t done, std::size_t all) {
    ++calls;
    total = all;
    return done < 3;
  });
  EXPECT_FALSE(stopped.done);
  EXPECT_EQ(stopped.failure, "Stopped.");
  EXPECT_EQ(calls, 3u);
  EXPECT_GT(total, 3u);
  EXPECT_TRUE(stopped.candidates.empty());

  std::vector<SeriesFrame> frames(series.Frames().begin(), series.Frames().end());
  frames[1].solved = false;
  frames[2].solved = false;
  ASSERT_TRUE(series.Assign(frames));
  const TrackSearchResult refused = SearchTracks(series, TrackSearchSettings{});
  EXPECT_FALSE(refused.done);
  EXPECT_EQ(refused.failure, "The track search needs three frames with a plate or more.");
  frames = std::vector<SeriesFrame>(series.Frames().begin(), series.Frames().end());
  for (SeriesFrame& f : frames) {
    f.solved = true;
    f.input.jd = g.jd0;
  }
  ASSERT_TRUE(series.Assign(frames));
  EXPECT_EQ(SearchTracks(series, TrackSearchSettings{}).failure, "The frames of the series were all taken at one time.");
}

}  // namespace
}  // namespace skarvel
