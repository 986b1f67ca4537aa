// Simulated CCD frames of real star fields for the matching tests and
// benchmarks: a list of catalog stars drawn on a tangent-plane projection with
// a known rotation, mirroring, scale and pointing, Gaussian star images (or
// trails), sky, noise, saturation, hot pixels, cosmic rays, catalog stars
// left out and uncatalogued stars added. The truth of every frame is kept.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "astrometry/star_match.h"
#include "images/graphics_file.h"

namespace skarvel::testing {

/// A star list of the star-list tool (header line, then ra_hours,dec_deg,mag,...).
inline std::vector<SkyStar> ReadStarList(const std::string& path) {
  std::vector<SkyStar> stars;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::stringstream s(line);
    std::string ra, dec, mag;
    if (!std::getline(s, ra, ',') || !std::getline(s, dec, ',') || !std::getline(s, mag, ',')) continue;
    stars.push_back({std::stold(ra), std::stold(dec), std::stof(mag)});
  }
  return stars;
}

/// How one frame is made.
struct FrameSetup {
  int width = 512, height = 512;
  double centreRAHours = 0, centreDecDeg = 0;  ///< the true centre of the frame
  double arcsecPerPixel = 10;
  double rotationDeg = 0;          ///< north through east
  bool mirror = false;             ///< columns reversed
  double fwhmPixels = 2.5;
  double trailPixels = 0;          ///< every star trailed along x by this length
  double sky = 1000, readNoise = 8, gain = 1;  ///< ADU, ADU, electrons per ADU
  double fluxMag10 = 2.0e5;        ///< total ADU of a magnitude-10 star
  int hotPixels = 0, cosmicRays = 0;
  double missingFraction = 0;      ///< catalog stars not drawn
  int extraStars = 0;              ///< uncatalogued stars, magnitudes 11..15
  unsigned seed = 1;
};

/// A frame in memory, with the projection that made it.
class SkyFrame : public GraphicsFileObj {
 public:
  explicit SkyFrame(const FrameSetup& setup) : GraphicsFileObj(ImageLoadContext{}), spec_(setup) {
    width = setup.width;
    height = setup.height;
    total = width * height;
    pixels.Create(width, height);
  }
  bool Load(const std::string&) override { return false; }
  void StoreCameraParameters() override {}

  /// The true pixel of a sky position (file coordinates); false behind the plane.
  bool TruePixel(long double raHours, long double decDeg, double& x, double& y) const {
    long double X = 0, Y = 0;
    if (!StandardArcsec(raHours, decDeg, spec_.centreRAHours, spec_.centreDecDeg, X, Y)) return false;
    // X grows toward the west; with no rotation west is right and north up.
    const double u = static_cast<double>(X) / spec_.arcsecPerPixel, v = static_cast<double>(Y) / spec_.arcsecPerPixel;
    const double t = spec_.rotationDeg * M_PI / 180;
    x = spec_.width / 2.0 + (u * std::cos(t) - v * std::sin(t));
    y = spec_.height / 2.0 - (v * std::cos(t) + u * std::sin(t));
    if (spec_.mirror) x = spec_.width - x;
    return true;
  }

  /// Draws the stars, the defects and the noise.
  void Render(const std::vector<SkyStar>& catalog) {
    std::mt19937 rng(spec_.seed);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<double> signal(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), spec_.sky);
    drawn_.assign(catalog.size(), false);
    for (std::size_t i = 0; i < catalog.size(); ++i) {
      if (unit(rng) < spec_.missingFraction) continue;
      double x = 0, y = 0;
      if (!TruePixel(catalog[i].raHours, catalog[i].decDeg, x, y)) continue;
      if (x < -20 || y < -20 || x > width + 20 || y > height + 20) continue;
      drawn_[i] = true;
      AddStar(signal, x, y, catalog[i].mag);
    }
    for (int k = 0; k < spec_.extraStars; ++k) AddStar(signal, unit(rng) * width, unit(rng) * height, 11 + 4 * unit(rng));
    std::normal_distribution<double> normal(0, 1);
    for (double& v : signal) {
      const double sigma = std::sqrt(spec_.readNoise * spec_.readNoise + std::max(0.0, v) / spec_.gain);
      v += sigma * normal(rng);
    }
    for (int k = 0; k < spec_.hotPixels; ++k) {
      const auto at = static_cast<std::size_t>(unit(rng) * (width * height - 1));
      signal[at] += 3000 + 20000 * unit(rng);
    }
    // Cosmic rays: straight sharp tracks of 1 to 8 pixels.
    for (int k = 0; k < spec_.cosmicRays; ++k) {
      double x = unit(rng) * width, y = unit(rng) * height;
      const double a = unit(rng) * 2 * M_PI, len = 1 + 7 * unit(rng), e = 2000 + 10000 * unit(rng);
      for (double s = 0; s <= len; s += 1) {
        const int px = static_cast<int>(x + s * std::cos(a)), py = static_cast<int>(y + s * std::sin(a));
        if (px >= 0 && py >= 0 && px < width && py < height) signal[Index(px, py)] += e;
      }
    }
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const double v = std::clamp(std::round(signal[Index(x, y)]), 0.0, 65535.0);
        pixels.SetPixel(x, y, static_cast<std::int32_t>(v));
        AddPixelValue(static_cast<std::int32_t>(v));
      }
  }

  /// Catalog stars drawn in the frame (by catalog index).
  const std::vector<bool>& Drawn() const { return drawn_; }
  const FrameSetup& Spec() const { return spec_; }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
  void AddStar(std::vector<double>& signal, double cx, double cy, double mag) const {
    const double flux = spec_.fluxMag10 * std::pow(10.0, -0.4 * (mag - 10));
    const double sigma = spec_.fwhmPixels / 2.3548;
    const int steps = spec_.trailPixels > 0 ? static_cast<int>(std::ceil(spec_.trailPixels * 2)) + 1 : 1;
    const int reach = static_cast<int>(std::ceil(5 * sigma + spec_.trailPixels / 2)) + 1;
    const double norm = flux / (2 * M_PI * sigma * sigma) / steps / 9;
    for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y) {
      if (y < 0 || y >= height) continue;
      for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
        if (x < 0 || x >= width) continue;
        double sum = 0;
        for (int s = 0; s < steps; ++s) {
          const double ox = steps > 1 ? cx + spec_.trailPixels * (static_cast<double>(s) / (steps - 1) - 0.5) : cx;
          for (int sy = -1; sy <= 1; ++sy)
            for (int sx = -1; sx <= 1; ++sx) {
              const double dx = x + sx / 3.0 - ox, dy = y + sy / 3.0 - cy;
              sum += std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
            }
        }
        signal[Index(x, y)] += norm * sum;
      }
    }
  }

  FrameSetup spec_;
  std::vector<bool> drawn_;
};

/// The frame's verdict on a match: pairs whose catalog star truly lies within
/// `tolerancePixels` of the image star, and pairs that do not.
struct MatchTruth {
  int right = 0;
  int wrong = 0;
};

inline MatchTruth CheckMatch(const SkyFrame& frame, const std::vector<ImageStar>& image,
                             const std::vector<SkyStar>& catalog, const MatchResult& match, double tolerancePixels) {
  MatchTruth t;
  for (const StarPair& p : match.pairs) {
    double x = 0, y = 0;
    const SkyStar& s = catalog[static_cast<std::size_t>(p.catalog)];
    const ImageStar& i = image[static_cast<std::size_t>(p.image)];
    if (frame.TruePixel(s.raHours, s.decDeg, x, y) &&
        std::hypot(x - static_cast<double>(i.x), y - static_cast<double>(i.y)) <= tolerancePixels)
      ++t.right;
    else
      ++t.wrong;
  }
  return t;
}

}  // namespace skarvel::testing
