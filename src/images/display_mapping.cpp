#include "images/display_mapping.h"

#include <cfloat>
#include <cmath>

namespace skarvel {

DisplaySettings NewDisplaySettings(const DisplaySettings& defaults, std::uint8_t imageFileType) {
  DisplaySettings s = defaults;
  s.rangeFromHeader = imageFileType == 2 ? 1 : 0;
  return s;
}

namespace {

std::int32_t BoundedPaletteIndex(long double x) {
  if (!(x > -kPaletteBoundLimit)) return -kPaletteBoundLimit;  // also NaN
  if (!(x < kPaletteBoundLimit)) return kPaletteBoundLimit;
  return static_cast<std::int32_t>(x);
}

template <typename T>
T Clamped(T v, T lo, T hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

void UpdatePaletteBounds(DisplaySettings& s) {
  const long double low = static_cast<long double>(kBuildPaletteLow) - static_cast<long double>(s.brightness);
  s.paletteLow = BoundedPaletteIndex(low);
  const long double factor = std::pow(1.5L, -static_cast<long double>(s.contrast) / 10.0L);
  s.contrastFactor = static_cast<float>(Clamped(factor, 0.0L, static_cast<long double>(FLT_MAX)));
  s.paletteHigh = BoundedPaletteIndex(std::nearbyint(factor * kRampIndices) + static_cast<long double>(s.paletteLow));
}

bool BringIntoDialogRanges(DisplaySettings& s) {
  // The scroll ranges of "Adjust Image Display": B and C -50 ... 50, k_low
  // -2.5 ... 2.5, k_high 1.0 ... 6.0; the defaults where a float is no number.
  const DisplaySettings before = s;
  s.brightness = Clamped(s.brightness, -50, 50);
  s.contrast = Clamped(s.contrast, -50, 50);
  s.backgroundSigmas = std::isnan(s.backgroundSigmas) ? -0.25f : Clamped(s.backgroundSigmas, -2.5f, 2.5f);
  s.rangeSigmas = std::isnan(s.rangeSigmas) ? 2.0f : Clamped(s.rangeSigmas, 1.0f, 6.0f);
  if (s.brightness != before.brightness || s.contrast != before.contrast) UpdatePaletteBounds(s);
  const bool boundsBad = s.paletteLow != BoundedPaletteIndex(s.paletteLow) ||
                         s.paletteHigh != BoundedPaletteIndex(s.paletteHigh) || !std::isfinite(s.contrastFactor);
  if (boundsBad) UpdatePaletteBounds(s);
  return !(s == before);
}

GreyPalette PaletteRamp(std::int32_t low, std::int32_t high) {
  GreyPalette p{};
  for (std::int32_t i = 0; i < 256; ++i) {
    std::uint8_t g;
    if (i < low) {
      g = 0;
    } else if (i > high) {
      g = 255;
    } else if (high == low) {
      g = 0;
    } else {
      // In 64 bits: any two int32 bounds differ by less than 2^32.
      const long double t = std::sqrt(static_cast<long double>(static_cast<std::int64_t>(i) - low) /
                                      static_cast<long double>(static_cast<std::int64_t>(high) - low));
      g = static_cast<std::uint8_t>(std::nearbyint(t * 255.0L));
    }
    p[static_cast<std::size_t>(i)] = g;
  }
  return p;
}

}  // namespace skarvel
