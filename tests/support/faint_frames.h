// Generated frames near the detection limit: Gaussian stars integrated over
// the pixels on a flat sky with Poisson noise (gain 1), hot pixels and cosmic
// ray hits, and the exact Cramer-Rao bound of a star's position on them.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "images/graphics_file.h"
#include "tools/synthetic_stars.h"

namespace skarvel::testing {

/// An image made in memory from counts, row by row.
class CountsImage : public GraphicsFileObj {
 public:
  CountsImage(std::int32_t w, std::int32_t h, const std::vector<std::int32_t>& counts)
      : GraphicsFileObj(ImageLoadContext{}) {
    width = w;
    height = h;
    total = w * h;
    pixels.Create(w, h);
    std::int32_t top = 0;
    for (std::int32_t y = 0; y < h; ++y)
      for (std::int32_t x = 0; x < w; ++x) {
        const std::int32_t v = counts[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
        pixels.SetPixel(x, y, v);
        top = std::max(top, v);
      }
    maximum = top;
  }
  bool Load(const std::string&) override { return false; }
  void StoreCameraParameters() override {}
};

/// The total flux of a Gaussian star of sigma `s` on a sky of `sky`
/// electrons a pixel whose optimal (sky-limited) SNR is `snr`:
/// snr = flux / (sqrt(sky) sqrt(4 pi s^2)).
inline double FluxForSnr(double snr, double sky, double s) {
  return snr * std::sqrt(sky) * std::sqrt(4 * 3.14159265358979323846 * s * s);
}

/// Counts with a few defects: hot pixels (one pixel, `hotLevel` above the
/// sky) and cosmic rays (a track of two to four pixels, `rayLevel` each).
inline void AddDefects(std::vector<std::int32_t>& counts, std::int32_t w, std::int32_t h, int hot, int rays,
                       double hotLevel, double rayLevel, synthetic::Rng& rng,
                       std::vector<std::array<double, 2>>* places = nullptr) {
  const auto at = [&](int x, int y) -> std::int32_t& { return counts[static_cast<std::size_t>(y * w + x)]; };
  for (int i = 0; i < hot; ++i) {
    const int x = static_cast<int>(rng.Uniform(5, w - 5)), y = static_cast<int>(rng.Uniform(5, h - 5));
    at(x, y) += static_cast<std::int32_t>(hotLevel);
    if (places) places->push_back({double(x), double(y)});
  }
  for (int i = 0; i < rays; ++i) {
    const int x = static_cast<int>(rng.Uniform(8, w - 8)), y = static_cast<int>(rng.Uniform(8, h - 8));
    const int n = 2 + static_cast<int>(rng.Uniform(0, 3));
    const double a = rng.Uniform(0, 6.283185307179586);
    for (int k = 0; k < n; ++k)
      at(x + static_cast<int>(std::lround(k * std::cos(a))), y + static_cast<int>(std::lround(k * std::sin(a)))) +=
          static_cast<std::int32_t>(rayLevel);
    if (places) places->push_back({double(x), double(y)});
  }
}

/// The Cramer-Rao bound per axis (pixels) of a Gaussian star of `flux` and
/// sigma `s` at (x, y) on a flat sky of `sky`, Poisson pixels: the inverse of
/// the Fisher matrix of (x, y, flux, sky) summed over the pixels within 8 sigma.
inline std::array<double, 2> CramerRao(double x, double y, double flux, double s, double sky) {
  double F[4][4] = {};
  const int r = static_cast<int>(std::ceil(8 * s)) + 1;
  const int cx = static_cast<int>(std::lround(x)), cy = static_cast<int>(std::lround(y));
  const double k = 1 / (s * std::sqrt(2.0)), norm = 1 / (s * std::sqrt(2 * 3.14159265358979323846));
  for (int j = cy - r; j <= cy + r; ++j)
    for (int i = cx - r; i <= cx + r; ++i) {
      const double px = synthetic::PixelFraction(i, x, s), py = synthetic::PixelFraction(j, y, s);
      // d px / d x = -(g(i + 1/2 - x) - g(i - 1/2 - x)), g the unit Gaussian density.
      const double gx = -(norm * std::exp(-std::pow((i + 0.5 - x) * k, 2)) - norm * std::exp(-std::pow((i - 0.5 - x) * k, 2)));
      const double gy = -(norm * std::exp(-std::pow((j + 0.5 - y) * k, 2)) - norm * std::exp(-std::pow((j - 0.5 - y) * k, 2)));
      const double mu = sky + flux * px * py;
      const double d[4] = {flux * gx * py, flux * px * gy, px * py, 1};
      for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 4; ++b) F[a][b] += d[a] * d[b] / mu;
    }
  // Invert by Gauss-Jordan.
  double inv[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  for (int c = 0; c < 4; ++c) {
    int p = c;
    for (int q = c + 1; q < 4; ++q)
      if (std::fabs(F[q][c]) > std::fabs(F[p][c])) p = q;
    for (int m = 0; m < 4; ++m) {
      std::swap(F[c][m], F[p][m]);
      std::swap(inv[c][m], inv[p][m]);
    }
    const double d = F[c][c];
    for (int m = 0; m < 4; ++m) {
      F[c][m] /= d;
      inv[c][m] /= d;
    }
    for (int q = 0; q < 4; ++q) {
      if (q == c) continue;
      const double f = F[q][c];
      for (int m = 0; m < 4; ++m) {
        F[q][m] -= f * F[c][m];
        inv[q][m] -= f * inv[c][m];
      }
    }
  }
  return {std::sqrt(inv[0][0]), std::sqrt(inv[1][1])};
}

}  // namespace skarvel::testing
