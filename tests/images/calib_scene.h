// A camera simulated for the calibration tests: a clean star field (sky and
// Gaussian stars, in electrons), the true flat (30 % vignetting to the
// corners, dust rings, 1 % pixel response), dark current with hot pixels, a
// bias with column structure, photon and read noise, gain 1 e-/ADU, values
// quantised to 16-bit integers as a camera gives them.
#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "images/calib_frame.h"

namespace skarvel::testing {

struct CalibScene {
  struct Star {
    double x, y, flux;  ///< electrons in the light exposure
  };
  int w = 384, h = 320;
  double sky = 150;           ///< electrons per pixel in the light
  double psfSigma = 1.6;      ///< pixels
  double readNoise = 6;       ///< electrons
  double baseDarkRate = 0.02; ///< electrons per second
  double lightExposure = 60, darkExposure = 120, flatExposure = 4;
  double flatLevel = 26000;   ///< electrons at the flat's peak
  std::vector<Star> stars;
  std::vector<double> clean, flat, bias, darkRate;
  std::vector<std::size_t> hot;  ///< indices of the hot pixels
  std::mt19937_64 rng;

  explicit CalibScene(std::uint64_t seed, int width = 384, int height = 320) : w(width), h(height), rng(seed) {
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::uniform_real_distribution<double> u(0, 1);
    std::normal_distribution<double> g(0, 1);
    // Stars on a jittered grid, away from the edges and from each other.
    for (int gy = 0; 24 + gy * 52 + 8 < h - 16; ++gy)
      for (int gx = 0; 24 + gx * 48 + 8 < w - 16; ++gx)
        stars.push_back({24 + gx * 48 + (u(rng) - 0.5) * 16, 24 + gy * 52 + (u(rng) - 0.5) * 16,
                         15000 + 45000 * u(rng)});
    clean.assign(n, sky);
    for (const Star& s : stars)
      for (int y = std::max(0, int(s.y) - 10); y <= std::min(h - 1, int(s.y) + 10); ++y)
        for (int x = std::max(0, int(s.x) - 10); x <= std::min(w - 1, int(s.x) + 10); ++x) {
          const double r2 = (x - s.x) * (x - s.x) + (y - s.y) * (y - s.y);
          clean[Index(x, y)] += s.flux / (2 * M_PI * psfSigma * psfSigma) * std::exp(-r2 / (2 * psfSigma * psfSigma));
        }
    // The flat: 1 at the centre, 0.7 in the corners, three dust rings.
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0, rc2 = cx * cx + cy * cy;
    const double rings[3][2] = {{90, 70}, {250, 220}, {300, 90}};
    flat.assign(n, 1);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double f = 1 - 0.3 * ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / rc2;
        for (const auto& r : rings) {
          const double d = std::hypot(x - r[0], y - r[1]);
          f *= 1 - 0.08 * std::exp(-(d - 12) * (d - 12) / (2 * 2.5 * 2.5));
        }
        flat[Index(x, y)] = f * (1 + 0.01 * g(rng));
      }
    // The bias: a level, a structure per column and a slow slope along the rows.
    bias.assign(n, 0);
    std::vector<double> column(static_cast<std::size_t>(w));
    for (double& c : column) c = 15 * g(rng);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) bias[Index(x, y)] = 400 + column[static_cast<std::size_t>(x)] + 0.02 * y;
    // Dark current with a hot pixel in 800 (150 in 384 x 320) of 5 to 200 e-/s, none within 9 pixels of a star's centre.
    darkRate.assign(n, baseDarkRate);
    const std::size_t hotCount = n / 800;
    while (hot.size() < hotCount) {
      const int x = int(u(rng) * w), y = int(u(rng) * h);
      bool nearStar = false;
      for (const Star& s : stars) nearStar = nearStar || std::hypot(x - s.x, y - s.y) < 9;
      const std::size_t i = Index(x, y);
      if (nearStar || darkRate[i] != baseDarkRate) continue;
      darkRate[i] = 5 * std::pow(40.0, u(rng));
      hot.push_back(i);
    }
  }

  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
  }

  /// One exposure of `seconds` with `light` electrons per pixel (before the
  /// flat; nullptr for none), times `lightScale`.
  CalibFrame Expose(const std::vector<double>* light, double lightScale, double seconds) {
    CalibFrame f;
    f.width = w;
    f.height = h;
    f.pixels.resize(clean.size());
    std::normal_distribution<double> g(0, 1);
    for (std::size_t i = 0; i < clean.size(); ++i) {
      const double signal = (light ? (*light)[i] * lightScale * flat[i] : 0) + darkRate[i] * seconds;
      double e;
      if (signal < 30) e = double(std::poisson_distribution<long>(signal)(rng));
      else e = signal + std::sqrt(signal) * g(rng);
      const double adu = std::round(e + bias[i] + readNoise * g(rng));
      f.pixels[i] = static_cast<float>(std::clamp(adu, 0.0, 65535.0));
    }
    return f;
  }

  CalibFrame Light() { return Expose(&clean, 1, lightExposure); }
  CalibFrame Bias() { return Expose(nullptr, 0, 0); }
  CalibFrame Dark() { return Expose(nullptr, 0, darkExposure); }
  CalibFrame Flat() {
    const std::vector<double> even(clean.size(), 1);
    return Expose(&even, flatLevel, flatExposure);
  }
};

}  // namespace skarvel::testing
