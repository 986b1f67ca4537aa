// The matched-filter detection and the fitted centroids on generated frames
// whose truth is known: detection rates at the limit, defects left out,
// touching sources separated, and positions against the Cramer-Rao bound.
#include "images/source_detect.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/faint_frames.h"

namespace skarvel {
namespace {

using testing::CountsImage;
using testing::CramerRao;
using testing::FluxForSnr;

constexpr double kSky = 400;  // electrons a pixel; noise 20

// A grid of stars of one SNR and sigma at random sub-pixel places.
struct Grid {
  std::vector<synthetic::Star> stars;
  std::vector<std::int32_t> counts;
  int w = 0, h = 0;
};

Grid MakeGrid(int side, int spacing, double snr, double sigma, std::uint64_t seed, bool noise = true) {
  synthetic::Rng rng(seed);
  Grid g;
  g.w = g.h = side * spacing + spacing;
  const double flux = FluxForSnr(snr, kSky, sigma);
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) {
      synthetic::Star s;
      s.x = spacing * (i + 1) + rng.Uniform(-0.5, 0.5);
      s.y = spacing * (j + 1) + rng.Uniform(-0.5, 0.5);
      s.sigma = sigma;
      s.peak = flux / (2 * 3.14159265358979323846 * sigma * sigma);
      g.stars.push_back(s);
    }
  g.counts = synthetic::Counts(synthetic::Render(g.w, g.h, kSky, g.stars), noise, rng);
  return g;
}

int Found(const std::vector<Source>& sources, const synthetic::Star& s, double radius) {
  int n = 0;
  for (const Source& d : sources) n += std::hypot(d.x - s.x, d.y - s.y) <= radius;
  return n;
}

TEST(NoiseMap, FollowsAGradientAndMeasuresThePixelNoise) {
  synthetic::Rng rng(5);
  const int w = 384, h = 256;
  synthetic::Field f{w, h, std::vector<double>(static_cast<std::size_t>(w * h))};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f.At(x, y) = 300 + 0.5 * x + 0.25 * y;
  const CountsImage image(w, h, synthetic::Counts(f, true, rng));
  const NoiseMap map(image, 64);
  // A cell's median of 1024 samples has a standard error of 1.25 sigma / 32
  // (0.7 counts here), its MAD 3 %: within 2.5 counts and 9 %.
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{96, 96}, {160, 128}, {300, 150}}) {
    const double truth = 300 + 0.5 * x + 0.25 * y;
    EXPECT_NEAR(map.Background(x, y), truth, 2.5) << x << "," << y;
    EXPECT_NEAR(map.Noise(x, y), std::sqrt(truth), 0.09 * std::sqrt(truth)) << x << "," << y;
  }
  // Far off: the map keeps its outer cells' values.
  EXPECT_NEAR(map.Background(-50, -50), map.Background(0, 0), 1e-9);
}

TEST(SourceDetect, FindsStarsAtTheLimitAndNotTheNoise) {
  // 144 stars of SNR 7: the filtered value is Gaussian about 7 with unit
  // sigma, so 97.7 % of them exceed a threshold of 5 (at least 132 of 144
  // with overwhelming probability).
  const Grid g = MakeGrid(12, 40, 7, 1.3, 11);
  const CountsImage image(g.w, g.h, g.counts);
  SourceDetectSettings settings;
  settings.psfSigma = 1.3;
  SourceDetectStatistics stats;
  const auto sources = DetectSources(image, settings, &stats);
  int found = 0;
  double sumSnr = 0;
  for (const auto& s : g.stars) {
    const int n = Found(sources, s, 1.5);
    EXPECT_LE(n, 1);
    if (n) {
      ++found;
      for (const Source& d : sources)
        if (std::hypot(d.x - s.x, d.y - s.y) <= 1.5) sumSnr += d.snr;
    }
  }
  EXPECT_GE(found, 132);
  // The SNR read at the peak pixel is the optimal SNR less the loss of the
  // pixel's width and its offset from the centre (3 % and 2 %), plus the
  // gain of taking a maximum: near 7.
  EXPECT_NEAR(sumSnr / found, 7.0, 0.4);
  // Nothing else: the noise of a 520 x 520 frame stays below 5 sigma.
  EXPECT_LE(static_cast<int>(sources.size()) - found, 1);
  EXPECT_NEAR(stats.noise, 20, 1);
}

TEST(SourceDetect, LeavesOutHotPixelsAndCosmicRaysButNotStars) {
  const Grid g = MakeGrid(6, 40, 30, 1.4, 3);
  std::vector<std::int32_t> counts = g.counts;
  synthetic::Rng rng(99);
  std::vector<std::array<double, 2>> defects;
  testing::AddDefects(counts, g.w, g.h, 40, 20, 1500, 800, rng, &defects);
  const CountsImage image(g.w, g.h, counts);
  SourceDetectStatistics stats;
  const auto sources = DetectSources(image, SourceDetectSettings{}, &stats);
  // The PSF measured on the stars.
  EXPECT_GE(stats.psf.stars, 20);
  EXPECT_NEAR(stats.psf.sigma, 1.4, 0.07);
  int stars = 0;
  for (const auto& s : g.stars) stars += Found(sources, s, 1.5) == 1;
  int defectsKept = 0;
  for (const auto& d : defects) {
    bool nearStar = false;
    for (const auto& s : g.stars) nearStar = nearStar || std::hypot(d[0] - s.x, d[1] - s.y) < 8;
    if (nearStar) continue;
    for (const Source& src : sources) defectsKept += std::hypot(src.x - d[0], src.y - d[1]) < 4;
  }
  EXPECT_GE(stars, 35);  // of 36 (a defect on a star may take one)
  EXPECT_EQ(defectsKept, 0);
  EXPECT_GE(stats.sharp, 50);
  // Kept on request, and marked.
  const auto all = DetectSources(image, SourceDetectSettings{}, nullptr, true);
  int marked = 0;
  for (const Source& s : all) marked += s.sharp;
  EXPECT_EQ(marked, stats.sharp);
}

TEST(SourceDetect, SeparatesTouchingStarsAndKeepsABrightOneWhole) {
  synthetic::Rng rng(17);
  const double s = 1.3;
  const double f40 = FluxForSnr(40, kSky, s), f2000 = FluxForSnr(2000, kSky, s);
  const double p = 1 / (2 * 3.14159265358979323846 * s * s);
  // Two equal stars 4.7 pixels apart, a bright one alone, a pair of 1 : 0.3 at 7.5 pixels.
  std::vector<synthetic::Star> stars{{40.2, 40.7, f40 * p, s}, {44.9, 41.3, f40 * p, s}, {100.4, 100.1, f2000 * p, s},
                                     {100.6, 40.3, f40 * p, s}, {108.1, 40.0, 0.3 * f40 * p, s}};
  const CountsImage image(150, 150, synthetic::Counts(synthetic::Render(150, 150, kSky, stars), true, rng));
  SourceDetectSettings settings;
  settings.psfSigma = s;
  SourceDetectStatistics stats;
  const auto sources = DetectSources(image, settings, &stats);
  for (const auto& star : stars) EXPECT_EQ(Found(sources, star, 1.0), 1) << star.x << "," << star.y;
  EXPECT_EQ(sources.size(), stars.size());
}

TEST(FittedCentroid, ReachesTheCramerRaoBoundAndKnowsItsUncertainty) {
  // 196 stars of SNR 10, FWHM 3: the rms error per axis of both fitted
  // centroids stays within 15 % of the exact bound (the sampling error of
  // 392 squared deviates is 7 %), and the stated uncertainty within 20 % of
  // the errors met.
  const double sigma = 3.0 / synthetic::kFwhmPerSigma;
  const Grid g = MakeGrid(14, 30, 10, sigma, 23);
  const CountsImage image(g.w, g.h, g.counts);
  for (const CentroidMethod method : {CentroidMethod::kWindowed, CentroidMethod::kPsfFit}) {
    SCOPED_TRACE(static_cast<int>(method));
    double err2 = 0, bound2 = 0, stated2 = 0;
    int n = 0;
    synthetic::Rng start(7);
    for (const auto& s : g.stars) {
      const auto fit = FitCentroid(image, method, s.x + start.Uniform(-1, 1), s.y + start.Uniform(-1, 1), PsfShape{sigma});
      ASSERT_TRUE(fit);
      err2 += std::pow(fit->x - s.x, 2) + std::pow(fit->y - s.y, 2);
      const auto crb = CramerRao(s.x, s.y, s.Flux(), sigma, kSky);
      bound2 += crb[0] * crb[0] + crb[1] * crb[1];
      stated2 += fit->sigmaX * fit->sigmaX + fit->sigmaY * fit->sigmaY;
      ++n;
    }
    // Per axis.
    const double rms = std::sqrt(err2 / (2 * n)), bound = std::sqrt(bound2 / (2 * n)), stated = std::sqrt(stated2 / (2 * n));
    EXPECT_LT(rms, 1.15 * bound);
    EXPECT_NEAR(stated / rms, 1.0, 0.2);
    // The bound itself is sqrt(2) sigma / SNR on a flat sky, widened by the
    // star's own photon noise and the pixels' width (10 % here).
    EXPECT_NEAR(bound, 1.1 * std::sqrt(2.0) * sigma / 10, 0.03 * std::sqrt(2.0) * sigma / 10);
  }
}

TEST(FittedCentroid, IsExactOnNoiselessStarsAndMeasuresTheirSize) {
  const Grid g = MakeGrid(5, 30, 50, 1.7, 31, false);
  const CountsImage image(g.w, g.h, g.counts);
  for (const auto& s : g.stars) {
    const auto w = FitCentroid(image, CentroidMethod::kWindowed, s.x + 0.8, s.y - 0.6, PsfShape{});
    const auto p = FitCentroid(image, CentroidMethod::kPsfFit, s.x + 0.8, s.y - 0.6, PsfShape{});
    ASSERT_TRUE(w && p);
    EXPECT_NEAR(w->x, s.x, 0.01);
    EXPECT_NEAR(w->y, s.y, 0.01);
    EXPECT_NEAR(p->x, s.x, 0.01);
    EXPECT_NEAR(p->y, s.y, 0.01);
    EXPECT_NEAR(p->psfSigma, 1.7, 0.03);
    EXPECT_NEAR(std::sqrt(w->psfSigma * w->psfSigma - 1.0 / 12), 1.7, 0.05);
    EXPECT_NEAR(p->flux, s.Flux(), 0.01 * s.Flux());
  }
  // Empty sky and a place off the image give nothing.
  const CountsImage flat(60, 60, std::vector<std::int32_t>(3600, 100));
  EXPECT_FALSE(FitCentroid(flat, CentroidMethod::kWindowed, 30, 30, PsfShape{1.3}));
  EXPECT_FALSE(FitCentroid(flat, CentroidMethod::kPsfFit, 30, 30, PsfShape{1.3}));
  EXPECT_FALSE(FitCentroid(image, CentroidMethod::kWindowed, -2, 10, PsfShape{1.3}));
  EXPECT_FALSE(FitCentroid(image, CentroidMethod::kClassic, 30, 30, PsfShape{1.3}));
}

TEST(FittedCentroid, FitsATrailAlongItsMotion) {
  // A trail of 8 pixels at 30 degrees: the trailed fit finds its middle; the
  // trailed filter reads a higher SNR than the round one (by 23 % without noise).
  synthetic::Rng rng(41);
  const double s = 1.3, length = 8, angle = 30 * 3.14159265358979323846 / 180;
  const double flux = FluxForSnr(25, kSky, s);
  std::vector<synthetic::Star> parts;
  const int pieces = 33;
  for (int k = 0; k < pieces; ++k) {
    const double u = -length / 2 + length * k / (pieces - 1);
    parts.push_back({60.3 + u * std::cos(angle), 50.6 + u * std::sin(angle), flux / pieces / (2 * 3.14159265358979323846 * s * s), s});
  }
  const CountsImage image(120, 100, synthetic::Counts(synthetic::Render(120, 100, kSky, parts), true, rng));
  const PsfShape trail{s, length, angle};
  const auto fit = FitCentroid(image, CentroidMethod::kPsfFit, 61, 51, trail);
  ASSERT_TRUE(fit);
  EXPECT_NEAR(fit->x, 60.3, 4 * fit->sigmaX);
  EXPECT_NEAR(fit->y, 50.6, 4 * fit->sigmaY);
  EXPECT_LT(fit->sigmaX, 0.5);
  const NoiseMap map(image, 32);
  const ForcedMeasure round = ForcedPhotometry(image, map, PsfShape{s}, 60.3, 50.6);
  const ForcedMeasure along = ForcedPhotometry(image, map, trail, 60.3, 50.6);
  EXPECT_TRUE(along.inside);
  EXPECT_GT(along.snr, 1.15 * round.snr);
  EXPECT_NEAR(along.flux, flux, 0.25 * flux);
  // Forced on empty sky: noise only.
  EXPECT_LT(std::fabs(ForcedPhotometry(image, map, trail, 20, 20).snr), 4.0);
  EXPECT_FALSE(ForcedPhotometry(image, map, trail, 2, 2).inside);
}

}  // namespace
}  // namespace skarvel
