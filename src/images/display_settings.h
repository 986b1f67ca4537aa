// How an image's pixel values become screen grey levels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundations/byte_io.h"

namespace skarvel {

/// Brightness, contrast, palette bounds, range source, mirroring and inversion
/// of one image display (35 bytes; stored as the display defaults of the
/// options file in exactly this layout).
struct DisplaySettings {
  static constexpr std::size_t kBytes = 35;

  std::int32_t brightness = 0;       ///< B, -50 ... 50
  std::int32_t contrast = 0;         ///< C, -50 ... 50
  std::int32_t paletteLow = 64;      ///< 64 - B (palette index)
  std::int32_t paletteHigh = 127;    ///< palette low + round(63 x contrast factor)
  float contrastFactor = 1.0f;       ///< 1.5^(-C/10)
  float backgroundSigmas = -0.25f;   ///< k_low: display low = mean + k_low x sigma
  float rangeSigmas = 2.0f;          ///< k_high: display high = display low + k_high x sigma
  bool mirrorLeftRight = false;      ///< columns drawn right to left
  bool mirrorUpDown = false;         ///< rows drawn bottom to top
  bool invert = false;               ///< the bitmap is drawn inverted
  bool originalMark = true;          ///< the settings equal the "Original Display" values
  bool defaultMark = true;           ///< the settings equal the defaults
  std::uint8_t rangeFromHeader = 0;  ///< 0 statistical estimate, 1 header values
  std::uint8_t reserved = 0;         ///< copied with the record, not used

  bool operator==(const DisplaySettings&) const = default;
};

void WriteDisplaySettings(ByteWriter& out, const DisplaySettings& d);
/// Reads 35 bytes; a switch byte other than 0 reads as on. Throws IOFailure on a short input.
DisplaySettings ReadDisplaySettings(ByteReader& in);

}  // namespace skarvel
