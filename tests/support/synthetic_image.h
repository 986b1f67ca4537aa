// An image made in memory for the measurement tests: a flat sky with
// Gaussian stars and optional Gaussian noise.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "images/graphics_file.h"

namespace skarvel::testing {

class SyntheticImage : public GraphicsFileObj {
 public:
  SyntheticImage(std::int32_t w, std::int32_t h, std::int32_t sky) : GraphicsFileObj(ImageLoadContext{}) {
    width = w;
    height = h;
    total = w * h;
    pixels.Create(w, h);
    for (std::int32_t y = 0; y < h; ++y)
      for (std::int32_t x = 0; x < w; ++x) pixels.SetPixel(x, y, sky);
  }
  bool Load(const std::string&) override { return false; }
  void StoreCameraParameters() override {}

  // Adds amplitude x exp(-r^2 / (2 sigma^2)) around (cx, cy), rounded.
  void AddStar(double cx, double cy, double amplitude, double sigma) {
    const auto reach = static_cast<std::int32_t>(std::ceil(10 * sigma)) + 1;
    const std::int32_t x0 = std::max(0, static_cast<std::int32_t>(cx) - reach);
    const std::int32_t x1 = std::min(width - 1, static_cast<std::int32_t>(cx) + reach);
    const std::int32_t y0 = std::max(0, static_cast<std::int32_t>(cy) - reach);
    const std::int32_t y1 = std::min(height - 1, static_cast<std::int32_t>(cy) + reach);
    for (std::int32_t y = y0; y <= y1; ++y)
      for (std::int32_t x = x0; x <= x1; ++x) {
        const double r2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        if (r2 > 100 * sigma * sigma) continue;
        pixels.SetPixel(x, y, pixels.PixelAt(x, y) + static_cast<std::int32_t>(std::lround(amplitude * std::exp(-r2 / (2 * sigma * sigma)))));
      }
  }
  void AddNoise(double sigma, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> n(0, sigma);
    for (std::int32_t y = 0; y < height; ++y)
      for (std::int32_t x = 0; x < width; ++x)
        pixels.SetPixel(x, y, pixels.PixelAt(x, y) + static_cast<std::int32_t>(std::lround(n(rng))));
  }
  void CountHistogram() {
    histogram = HistogramObj(256, 256.0L);
    for (std::int32_t y = 0; y < height; ++y)
      for (std::int32_t x = 0; x < width; ++x) histogram.AddInteger(pixels.PixelAt(x, y));
  }
};


}  // namespace skarvel::testing
