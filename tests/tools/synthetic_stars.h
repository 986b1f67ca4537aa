// Synthetic CCD star fields for accuracy measurements: a portable
// deterministic random generator (the standard library's distributions differ
// between implementations), Gaussian stars integrated over each pixel, Poisson
// noise, and the Source Extractor catalog reader of the centroid tool.
//
// Pixel centres lie on integer coordinates (pixel i covers i - 0.5 .. i + 0.5),
// as in the measuring code; FITS and Source Extractor count from 1.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <istream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace skarvel::synthetic {

/// FWHM of a Gaussian divided by its sigma: 2 sqrt(2 ln 2).
inline constexpr double kFwhmPerSigma = 2.3548200450309493;

/// xoshiro256** seeded by splitmix64: the same numbers on every platform.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) {
    for (auto& s : state_) {
      seed += 0x9E3779B97F4A7C15ULL;
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
      s = z ^ (z >> 31);
    }
  }
  std::uint64_t Next() {
    const std::uint64_t result = Rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotl(state_[3], 45);
    return result;
  }
  /// Uniform in [0, 1), 53 random bits.
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  /// Uniform in [a, b).
  double Uniform(double a, double b) { return a + (b - a) * Uniform(); }
  /// Standard normal deviate (Box-Muller, one of the pair).
  double Normal() {
    double u = 0;
    while (u <= 0) u = Uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * 3.14159265358979323846 * Uniform());
  }
  /// Poisson deviate of the given mean (>= 0): multiplication of uniforms
  /// below 10, Hoermann's transformed rejection (PTRS, 1993) above.
  std::int64_t Poisson(double mean) {
    if (!(mean > 0)) return 0;
    if (mean < 10) {
      const double limit = std::exp(-mean);
      std::int64_t k = 0;
      double product = Uniform();
      while (product > limit) {
        ++k;
        product *= Uniform();
      }
      return k;
    }
    const double slam = std::sqrt(mean);
    const double loglam = std::log(mean);
    const double b = 0.931 + 2.53 * slam;
    const double a = -0.059 + 0.02483 * b;
    const double invalpha = 1.1239 + 1.1328 / (b - 3.4);
    const double vr = 0.9277 - 3.6224 / (b - 2);
    for (;;) {
      const double u = Uniform() - 0.5;
      const double v = Uniform();
      const double us = 0.5 - std::fabs(u);
      const double k = std::floor((2 * a / us + b) * u + mean + 0.43);
      if (us >= 0.07 && v <= vr) return static_cast<std::int64_t>(k);
      if (k < 0 || (us < 0.013 && v > us)) continue;
      if (std::log(v) + std::log(invalpha) - std::log(a / (us * us) + b) <= -mean + k * loglam - std::lgamma(k + 1))
        return static_cast<std::int64_t>(k);
    }
  }

 private:
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t state_[4]{};
};

/// The peak signal A (electrons) at which a star on a sky of `sky` electrons
/// per pixel has the peak signal-to-noise ratio `snr` = A / sqrt(A + sky)
/// (Poisson noise of star and sky, gain 1, no read noise).
inline double PeakForSignalToNoise(double snr, double sky) {
  const double s2 = snr * snr;
  return (s2 + std::sqrt(s2 * s2 + 4 * s2 * sky)) / 2;
}

/// A circular Gaussian star: centre (pixels), peak surface brightness
/// (electrons per pixel area at the centre) and sigma (pixels).
struct Star {
  double x = 0;
  double y = 0;
  double peak = 0;
  double sigma = 1;
  double Flux() const { return peak * 2 * 3.14159265358979323846 * sigma * sigma; }
};

/// A field of expected pixel values (electrons), row by row.
struct Field {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<double> values;
  double& At(std::int32_t x, std::int32_t y) {
    return values[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

/// The fraction of a unit Gaussian of centre c and sigma s that falls on pixel i.
inline double PixelFraction(std::int32_t i, double c, double s) {
  const double k = 1.0 / (s * std::sqrt(2.0));
  return 0.5 * (std::erf((i + 0.5 - c) * k) - std::erf((i - 0.5 - c) * k));
}

/// A flat sky plus the stars, each integrated over every pixel within 8 sigma of its centre.
inline Field Render(std::int32_t width, std::int32_t height, double sky, const std::vector<Star>& stars) {
  Field f{width, height, std::vector<double>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), sky)};
  for (const Star& s : stars) {
    const double reach = 8 * s.sigma + 1;
    const auto x0 = static_cast<std::int32_t>(std::max(0.0, std::floor(s.x - reach)));
    const auto x1 = static_cast<std::int32_t>(std::min(width - 1.0, std::ceil(s.x + reach)));
    const auto y0 = static_cast<std::int32_t>(std::max(0.0, std::floor(s.y - reach)));
    const auto y1 = static_cast<std::int32_t>(std::min(height - 1.0, std::ceil(s.y + reach)));
    const double flux = s.Flux();
    for (std::int32_t y = y0; y <= y1; ++y) {
      const double fy = PixelFraction(y, s.y, s.sigma);
      for (std::int32_t x = x0; x <= x1; ++x) f.At(x, y) += flux * fy * PixelFraction(x, s.x, s.sigma);
    }
  }
  return f;
}

/// Counts of a field: Poisson deviates of the expected values with `noise`,
/// the values rounded to the nearest integer without.
inline std::vector<std::int32_t> Counts(const Field& f, bool noise, Rng& rng) {
  std::vector<std::int32_t> counts(f.values.size());
  for (std::size_t i = 0; i < f.values.size(); ++i) {
    const double v = noise ? static_cast<double>(rng.Poisson(f.values[i])) : std::nearbyint(f.values[i]);
    counts[i] = static_cast<std::int32_t>(std::min(v, 2147483647.0));
  }
  return counts;
}

/// One row of a Source Extractor ASCII_HEAD catalog, by column name.
using CatalogRow = std::map<std::string, double>;

/// Reads an ASCII_HEAD catalog: "# <column> <NAME> ..." header lines, then
/// rows of numbers. Rows with fewer numbers than named columns are dropped.
/// Vector-valued parameters take the columns up to the next name; only the
/// first of them carries the name.
inline std::vector<CatalogRow> ReadAsciiHeadCatalog(std::istream& in) {
  std::map<int, std::string> names;
  std::vector<CatalogRow> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::istringstream fields(line);
    if (line[0] == '#') {
      std::string hash, name;
      int column = 0;
      if (fields >> hash >> column >> name && column > 0) names[column] = name;
      continue;
    }
    std::vector<double> numbers;
    std::string token;
    while (fields >> token) {
      char* end = nullptr;
      const double v = std::strtod(token.c_str(), &end);
      if (end == token.c_str() || *end != '\0') break;
      numbers.push_back(v);
    }
    if (names.empty() || numbers.size() < static_cast<std::size_t>(names.rbegin()->first)) continue;
    CatalogRow row;
    for (const auto& [column, name] : names) row[name] = numbers[static_cast<std::size_t>(column - 1)];
    rows.push_back(std::move(row));
  }
  return rows;
}

/// The index of the point nearest (x, y) within `radius`, if any.
inline std::optional<std::size_t> Nearest(const std::vector<std::pair<double, double>>& points, double x, double y,
                                          double radius) {
  std::optional<std::size_t> best;
  double bestD2 = radius * radius;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double dx = points[i].first - x;
    const double dy = points[i].second - y;
    const double d2 = dx * dx + dy * dy;
    if (d2 <= bestD2) {
      bestD2 = d2;
      best = i;
    }
  }
  return best;
}

}  // namespace skarvel::synthetic
