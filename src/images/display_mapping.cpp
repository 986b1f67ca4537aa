#include "images/display_mapping.h"

#include <cmath>

namespace skarvel {

DisplaySettings NewDisplaySettings(const DisplaySettings& defaults, std::uint8_t imageFileType) {
  DisplaySettings s = defaults;
  s.rangeFromHeader = imageFileType == 2 ? 1 : 0;
  return s;
}

void UpdatePaletteBounds(DisplaySettings& s) {
  s.paletteLow = kBuildPaletteLow - s.brightness;
  const long double factor = std::pow(1.5L, -static_cast<long double>(s.contrast) / 10.0L);
  s.contrastFactor = static_cast<float>(factor);
  s.paletteHigh = static_cast<std::int32_t>(std::nearbyint(factor * kRampIndices)) + s.paletteLow;
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
      const long double t = std::sqrt(static_cast<long double>(i - low) / static_cast<long double>(high - low));
      g = static_cast<std::uint8_t>(std::nearbyint(t * 255.0L));
    }
    p[static_cast<std::size_t>(i)] = g;
  }
  return p;
}

}  // namespace skarvel
