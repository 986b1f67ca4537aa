// The measuring box of reference stars and of the unknown object.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundations/byte_io.h"

namespace skarvel {

/// A measuring box (4 signed bytes). Defaults 8, 8, 4, 3.
struct BoxRecord {
  static constexpr std::size_t kBytes = 4;

  std::int8_t peakHalfWidth = 8;   ///< half the side of the square searched for the peak, pixels
  std::int8_t centroidRadius = 8;  ///< radius of the round centroid region, pixels
  std::int8_t skyBorder = 4;       ///< width of the sky frame around the box, pixels
  std::int8_t skyCutoff = 3;       ///< centroid threshold in sky standard deviations above (or below) the mean

  bool operator==(const BoxRecord&) const = default;
};

inline void WriteBoxRecord(ByteWriter& out, const BoxRecord& b) {
  out.I8(b.peakHalfWidth);
  out.I8(b.centroidRadius);
  out.I8(b.skyBorder);
  out.I8(b.skyCutoff);
}

/// Reads 4 bytes. Throws IOFailure on a short input.
inline BoxRecord ReadBoxRecord(ByteReader& in) {
  BoxRecord b;
  b.peakHalfWidth = in.I8();
  b.centroidRadius = in.I8();
  b.skyBorder = in.I8();
  b.skyCutoff = in.I8();
  return b;
}

}  // namespace skarvel
