#include "sky.h"

#include <algorithm>
#include <cmath>

namespace skarvel::demo {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kRadPerDeg = kPi / 180.0;
constexpr double kArcsecPerRad = 206264.80624709636;
/// Sub-samples per pixel side of the profile integration.
constexpr int kSubSamples = 5;
/// Radius of a rendered profile, in FWHM.
constexpr double kProfileRadiusFwhm = 8.0;
}  // namespace

bool StandardCoordinates(const Projection& p, double raHours, double decDeg, double& xi, double& eta) {
  const double a = raHours * 15.0 * kRadPerDeg, d = decDeg * kRadPerDeg;
  const double a0 = p.centreRAHours * 15.0 * kRadPerDeg, d0 = p.centreDecDeg * kRadPerDeg;
  const double cosD = std::sin(d) * std::sin(d0) + std::cos(d) * std::cos(d0) * std::cos(a - a0);
  if (cosD <= 0) return false;
  xi = std::cos(d) * std::sin(a - a0) / cosD * kArcsecPerRad;
  eta = (std::sin(d) * std::cos(d0) - std::cos(d) * std::sin(d0) * std::cos(a - a0)) / cosD * kArcsecPerRad;
  return true;
}

bool SkyToPixel(const Projection& p, double raHours, double decDeg, double& x, double& y) {
  double xi = 0, eta = 0;
  if (!StandardCoordinates(p, raHours, decDeg, xi, eta)) return false;
  const double u = xi / p.arcsecPerPixel, v = eta / p.arcsecPerPixel;
  const double t = p.rotationDeg * kRadPerDeg;
  x = p.centreX - (u * std::cos(t) + v * std::sin(t));
  y = p.centreY - (v * std::cos(t) - u * std::sin(t));
  return true;
}

void StandardToSky(const Projection& p, double xi, double eta, double& raHours, double& decDeg) {
  const double x = xi / kArcsecPerRad, y = eta / kArcsecPerRad;
  const double a0 = p.centreRAHours * 15.0 * kRadPerDeg, d0 = p.centreDecDeg * kRadPerDeg;
  const double a = a0 + std::atan2(x, std::cos(d0) - y * std::sin(d0));
  const double d = std::atan2(std::sin(d0) + y * std::cos(d0), std::hypot(x, std::cos(d0) - y * std::sin(d0)));
  raHours = std::fmod(a / kRadPerDeg / 15.0 + 48.0, 24.0);
  decDeg = d / kRadPerDeg;
}

SimulatedImage::SimulatedImage(int width, int height)
    : width_(width),
      height_(height),
      signal_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0.0) {}

void SimulatedImage::AddMoffat(double x, double y, double electrons, double fwhmPixels, double beta) {
  const double alpha = fwhmPixels / (2.0 * std::sqrt(std::pow(2.0, 1.0 / beta) - 1.0));
  const double norm = (beta - 1.0) / (kPi * alpha * alpha);
  const double radius = kProfileRadiusFwhm * fwhmPixels;
  const int x0 = std::max(0, static_cast<int>(std::floor(x - radius)));
  const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(x + radius)));
  const int y0 = std::max(0, static_cast<int>(std::floor(y - radius)));
  const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(y + radius)));
  const double step = 1.0 / kSubSamples;
  for (int j = y0; j <= y1; ++j) {
    for (int i = x0; i <= x1; ++i) {
      double sum = 0;
      for (int sj = 0; sj < kSubSamples; ++sj) {
        const double dy = j - 0.5 + (sj + 0.5) * step - y;
        for (int si = 0; si < kSubSamples; ++si) {
          const double dx = i - 0.5 + (si + 0.5) * step - x;
          sum += std::pow(1.0 + (dx * dx + dy * dy) / (alpha * alpha), -beta);
        }
      }
      signal_[static_cast<std::size_t>(j) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(i)] +=
          electrons * norm * sum * step * step;
    }
  }
}

std::vector<std::uint16_t> SimulatedImage::Expose(double skyElectrons, double readNoiseElectrons, double gain,
                                                  double bias, SplitMix& rng) const {
  std::vector<std::uint16_t> adu(signal_.size());
  for (std::size_t k = 0; k < signal_.size(); ++k) {
    const double electrons = rng.Poisson(skyElectrons + signal_[k]) + readNoiseElectrons * rng.Normal();
    const double value = std::nearbyint(bias + electrons / gain);
    adu[k] = static_cast<std::uint16_t>(std::clamp(value, 0.0, 65535.0));
  }
  return adu;
}

}  // namespace skarvel::demo
