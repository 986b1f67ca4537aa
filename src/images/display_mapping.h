// The mapping of pixel values to palette indices and of palette indices to
// grey levels: the pure arithmetic of an image display.
#pragma once

#include <cstddef>
#include <cstdint>

#include "images/bmp_file.h"
#include "images/display_settings.h"

namespace skarvel {

/// Palette indices used while the index image is built: 64 is the display
/// low, 127 the display high.
inline constexpr std::int32_t kBuildPaletteLow = 64;
inline constexpr std::int32_t kBuildPaletteHigh = 127;
/// Width of the build ramp in palette indices (127 - 64).
inline constexpr std::int32_t kRampIndices = 63;
/// Palette bounds are held within +-1 000 000: far beyond the 0 ... 255 that
/// can show, and small enough that no index arithmetic overflows.
inline constexpr std::int32_t kPaletteBoundLimit = 1000000;

/// A copy of `defaults` whose range-from-header field is 1 when
/// `imageFileType` is 2 (other SBIG) and 0 otherwise.
DisplaySettings NewDisplaySettings(const DisplaySettings& defaults, std::uint8_t imageFileType);

/// palette low := 64 - B; contrast factor := 1.5^(-C/10);
/// palette high := round(contrast factor x 63) + palette low (halves to even).
/// Safe for any B and C: both bounds are kept within +-kPaletteBoundLimit.
void UpdatePaletteBounds(DisplaySettings& s);

/// Brings stored display settings into the ranges their dialog allows (B and C
/// -50 ... 50, k_low -2.5 ... 2.5, k_high 1 ... 6; a value that is not a number
/// takes its default) and recomputes the palette bounds when anything changed.
/// Returns whether anything changed. For settings read from a file.
bool BringIntoDialogRanges(DisplaySettings& s);

/// The 256 grey levels: i < low gives 0; i > high gives 255; otherwise
/// round(sqrt((i - low) / (high - low)) x 255). With low == high the index
/// low itself is 0 (no ramp).
GreyPalette PaletteRamp(std::int32_t low, std::int32_t high);

/// The linear mapping of pixel values onto palette indices.
struct DisplayMap {
  std::int64_t low = 0;          ///< display low (pixel value shown at palette low)
  std::int64_t span = 0;         ///< display high - display low
  std::int32_t paletteLow = kBuildPaletteLow;
  std::int32_t paletteHigh = kBuildPaletteHigh;

  /// d := v - low. d < 0 gives palette low; d > span palette high; otherwise
  /// round(d / span x (high - low)) + low, the rounding exact with halves to
  /// even. A span of 0 maps d = 0 to palette low.
  std::int32_t Index(std::int32_t v) const {
    const std::int64_t d = static_cast<std::int64_t>(v) - low;
    if (d < 0) return paletteLow;
    if (d > span) return paletteHigh;
    if (span <= 0) return paletteLow;
    const std::int64_t num = d * (paletteHigh - paletteLow);
    std::int64_t q = num / span;
    const std::int64_t twice = 2 * (num - q * span);
    if (twice > span || (twice == span && (q & 1) != 0)) ++q;
    return static_cast<std::int32_t>(q) + paletteLow;
  }
};

/// Maps `count` pixel values to palette index bytes with `map`; when
/// `reverse`, dst[i] takes src[count - 1 - i].
void MapPixelRow(const std::int32_t* src, std::uint8_t* dst, std::size_t count, bool reverse, const DisplayMap& map);

/// True when any of `count` values exceeds `limit` (the hot-pixel test).
bool AnyAbove(const std::int32_t* values, std::size_t count, std::int64_t limit);

}  // namespace skarvel
