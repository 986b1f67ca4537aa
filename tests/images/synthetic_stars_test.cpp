// The synthetic star fields of the centroid accuracy tool: the generator's
// numbers must be what they claim, or the measured accuracy means nothing.
#include "tools/synthetic_stars.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "images/star_measure.h"

namespace skarvel::synthetic {
namespace {

TEST(SyntheticRng, IsDeterministicAndUniform) {
  Rng a(42), b(42), c(43);
  std::set<std::uint64_t> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::uint64_t x = a.Next();
    EXPECT_EQ(x, b.Next());
    seen.insert(x);
    EXPECT_NE(x, c.Next());
  }
  EXPECT_EQ(seen.size(), 1000u);
  // 100000 uniforms: in [0, 1), mean 1/2 and variance 1/12 within 5 standard errors.
  Rng r(7);
  double sum = 0, sum2 = 0, low = 1, high = 0;
  const int n = 100000;
  for (int i = 0; i < n; ++i) {
    const double u = r.Uniform();
    sum += u;
    sum2 += u * u;
    low = std::min(low, u);
    high = std::max(high, u);
  }
  EXPECT_GE(low, 0.0);
  EXPECT_LT(high, 1.0);
  EXPECT_NEAR(sum / n, 0.5, 5 * std::sqrt(1.0 / 12 / n));
  EXPECT_NEAR(sum2 / n - (sum / n) * (sum / n), 1.0 / 12, 5 * 0.0745 / std::sqrt(n));  // sd of (u - 1/2)^2 is 0.0745
}

TEST(SyntheticRng, NormalDeviatesHaveUnitVariance) {
  Rng r(11);
  const int n = 100000;
  double sum = 0, sum2 = 0, sum4 = 0;
  for (int i = 0; i < n; ++i) {
    const double z = r.Normal();
    sum += z;
    sum2 += z * z;
    sum4 += z * z * z * z;
  }
  EXPECT_NEAR(sum / n, 0, 5 / std::sqrt(n));
  EXPECT_NEAR(sum2 / n, 1, 5 * std::sqrt(2.0 / n));
  EXPECT_NEAR(sum4 / n, 3, 5 * std::sqrt(96.0 / n));  // the kurtosis of a Gaussian
}

TEST(SyntheticRng, PoissonDeviatesHaveTheirMeanAsVariance) {
  // Both branches (below and above 10), and the sky level of the tool.
  for (double mean : {0.7, 4.0, 9.9, 10.0, 37.5, 1000.0, 250000.0}) {
    SCOPED_TRACE(mean);
    Rng r(static_cast<std::uint64_t>(mean * 100));
    const int n = 40000;
    double sum = 0, sum2 = 0;
    std::int64_t zeros = 0;
    for (int i = 0; i < n; ++i) {
      const auto k = static_cast<double>(r.Poisson(mean));
      ASSERT_GE(k, 0);
      ASSERT_EQ(k, std::floor(k));
      sum += k;
      sum2 += k * k;
      zeros += k == 0;
    }
    const double m = sum / n;
    const double v = sum2 / n - m * m;
    EXPECT_NEAR(m, mean, 5 * std::sqrt(mean / n));
    // The variance of the sample variance of a Poisson law: (mean + 2 mean^2) / n.
    EXPECT_NEAR(v, mean, 5 * std::sqrt((mean + 2 * mean * mean) / n));
    if (mean < 1) {
      EXPECT_NEAR(static_cast<double>(zeros) / n, std::exp(-mean), 0.01);
    }
  }
  Rng r(1);
  EXPECT_EQ(r.Poisson(0), 0);
  EXPECT_EQ(r.Poisson(-3), 0);
}

TEST(SyntheticStars, PeakSignalToNoise) {
  for (double snr : {10.0, 100.0, 500.0}) {
    const double a = PeakForSignalToNoise(snr, 1000);
    EXPECT_NEAR(a / std::sqrt(a + 1000), snr, 1e-9 * snr);
  }
  EXPECT_NEAR(PeakForSignalToNoise(10, 1000), 370.156211871642, 1e-9);  // (100 + sqrt(410000)) / 2
  EXPECT_NEAR(PeakForSignalToNoise(10, 0), 100, 1e-12);
}

TEST(SyntheticStars, PixelsHoldTheFluxAndTheCentre) {
  // A star far from the edges: the pixels above the sky add up to its flux and
  // their first moments give its centre (an integrated Gaussian is sampled
  // without bias down to about exp(-2 pi^2 sigma^2)).
  for (double fwhm : {2.0, 4.0, 6.0}) {
    SCOPED_TRACE(fwhm);
    Star s;
    s.x = 40.3;
    s.y = 37.81;
    s.peak = 5000;
    s.sigma = fwhm / kFwhmPerSigma;
    Field f = Render(80, 80, 1000, {s});
    double sum = 0, sx = 0, sy = 0, peak = 0;
    for (std::int32_t y = 0; y < 80; ++y)
      for (std::int32_t x = 0; x < 80; ++x) {
        const double v = f.At(x, y) - 1000;
        ASSERT_GE(v, -1e-9);
        sum += v;
        sx += v * x;
        sy += v * y;
        peak = std::max(peak, v);
      }
    EXPECT_NEAR(sum, s.Flux(), 1e-9 * s.Flux());
    EXPECT_NEAR(sx / sum, s.x, 1e-4);
    EXPECT_NEAR(sy / sum, s.y, 1e-4);
    // The brightest pixel holds less than the peak surface brightness; for the
    // FWHM 2 star (offsets 0.3 and 0.19 from pixel (40, 38)) 0.82641 of it
    // (by hand: 2 pi sigma^2 [Phi(0.2/s) - Phi(-0.8/s)] [Phi(0.69/s) - Phi(-0.31/s)]).
    EXPECT_LT(peak, s.peak);
    if (fwhm == 2.0) {
      EXPECT_NEAR(peak / s.peak, 0.82641, 1e-5);
    }
    // The pixel (40, 38) by the erf formula, computed independently.
    const double k = 1 / (s.sigma * std::sqrt(2.0));
    const double fx = 0.5 * (std::erf((40.5 - s.x) * k) - std::erf((39.5 - s.x) * k));
    const double fy = 0.5 * (std::erf((38.5 - s.y) * k) - std::erf((37.5 - s.y) * k));
    EXPECT_NEAR(f.At(40, 38) - 1000, s.Flux() * fx * fy, 1e-9 * s.Flux());
  }
}

TEST(SyntheticStars, CountsAreRoundedOrPoisson) {
  Field f{3, 1, {0.4, 2.5, 1e12}};
  Rng r(5);
  const auto exact = Counts(f, false, r);
  EXPECT_EQ(exact, (std::vector<std::int32_t>{0, 2, 2147483647}));  // halves to even, clipped to 32 bits
  Field sky{100, 100, std::vector<double>(10000, 1000.0)};
  const auto noisy = Counts(sky, true, r);
  double sum = 0, sum2 = 0;
  for (std::int32_t v : noisy) {
    sum += v;
    sum2 += static_cast<double>(v) * v;
  }
  EXPECT_NEAR(sum / 10000, 1000, 5 * std::sqrt(1000.0 / 10000));
  EXPECT_NEAR(std::sqrt(sum2 / 10000 - (sum / 10000) * (sum / 10000)), std::sqrt(1000.0), 1.5);
}

// A measured image of counts.
class CountsImage : public GraphicsFileObj {
 public:
  CountsImage(const Field& f, const std::vector<std::int32_t>& counts) : GraphicsFileObj(ImageLoadContext{}) {
    width = f.width;
    height = f.height;
    total = width * height;
    pixels.Create(width, height);
    for (std::int32_t y = 0; y < height; ++y)
      for (std::int32_t x = 0; x < width; ++x) pixels.SetPixel(x, y, counts[static_cast<std::size_t>(y * width + x)]);
  }
  bool Load(const std::string&) override { return false; }
  void StoreCameraParameters() override {}
};

TEST(SyntheticStars, TheCentroidFindsARenderedStarNearItsCentre) {
  // The tool's setting in small: a bright noise-free star, clicked 1.5 px off.
  Star s;
  s.x = 30.27;
  s.y = 29.64;
  s.peak = PeakForSignalToNoise(200, 1000);
  s.sigma = 3 / kFwhmPerSigma;
  const Field f = Render(60, 60, 1000, {s});
  Rng r(3);
  CountsImage image(f, Counts(f, false, r));
  MeasureView view;
  view.image = &image;
  view.clientWidth = view.clientHeight = 60;
  const auto c = Centroid(view, BoxRecord{8, 8, 4, 3}, s.x + 1.5, s.y - 0.2, false);
  ASSERT_TRUE(c.has_value());
  EXPECT_NEAR(static_cast<double>(c->x), s.x, 0.1);
  EXPECT_NEAR(static_cast<double>(c->y), s.y, 0.1);
}

TEST(SourceExtractorCatalog, ColumnsByName) {
  // The ASCII_HEAD layout: one "# column NAME description [unit]" line per
  // parameter, then one row of numbers per object.
  std::istringstream in(
      "#   1 NUMBER                 Running object number\n"
      "#   2 XWIN_IMAGE             Windowed position estimate along x                         [pixel]\n"
      "#   3 YWIN_IMAGE             Windowed position estimate along y                         [pixel]\n"
      "#   4 FLAGS                  Extraction flags\n"
      "         1     31.2004     30.8880   0\n"
      "         2   1000.5000      7.2500   3\n"
      "         3     12.0\n");  // a cut row is dropped
  const auto rows = ReadAsciiHeadCatalog(in);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_DOUBLE_EQ(rows[0].at("XWIN_IMAGE"), 31.2004);
  EXPECT_DOUBLE_EQ(rows[0].at("YWIN_IMAGE"), 30.8880);
  EXPECT_DOUBLE_EQ(rows[1].at("NUMBER"), 2);
  EXPECT_DOUBLE_EQ(rows[1].at("FLAGS"), 3);
  std::istringstream empty("");
  EXPECT_TRUE(ReadAsciiHeadCatalog(empty).empty());
}

TEST(SourceExtractorCatalog, NearestWithinARadius) {
  const std::vector<std::pair<double, double>> points{{10, 10}, {12, 10}, {50, 50}};
  EXPECT_EQ(Nearest(points, 11.2, 10, 3), std::optional<std::size_t>(1));
  EXPECT_EQ(Nearest(points, 10.9, 10, 3), std::optional<std::size_t>(0));
  EXPECT_EQ(Nearest(points, 50, 53, 3), std::optional<std::size_t>(2));  // on the radius
  EXPECT_FALSE(Nearest(points, 50, 53.01, 3).has_value());
  EXPECT_FALSE(Nearest({}, 0, 0, 3).has_value());
}

}  // namespace
}  // namespace skarvel::synthetic
