// The per-pixel loops of a display build (compiled -O3; no strings here).
#include <cmath>

#include "images/display_mapping.h"

namespace skarvel {

void MapPixelRow(const std::int32_t* src, std::uint8_t* dst, std::size_t count, bool reverse, const DisplayMap& map) {
  if (reverse) {
    for (std::size_t i = 0; i < count; ++i) dst[i] = static_cast<std::uint8_t>(map.Index(src[count - 1 - i]));
  } else {
    for (std::size_t i = 0; i < count; ++i) dst[i] = static_cast<std::uint8_t>(map.Index(src[i]));
  }
}

bool AnyAbove(const std::int32_t* values, std::size_t count, std::int64_t limit) {
  if (limit >= 2147483647) return false;
  if (limit < -2147483647) limit = -2147483647;
  const auto l = static_cast<std::int32_t>(limit);
  int found = 0;
  for (std::size_t i = 0; i < count; ++i) found |= values[i] > l ? 1 : 0;
  return found != 0;
}

}  // namespace skarvel
