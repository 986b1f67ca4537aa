#include "images/display_range.h"

#include <cmath>

namespace skarvel {

namespace {

std::int32_t RoundToInt(long double x) {
  const long double r = std::nearbyint(x);  // halves to even
  if (!(r > -2147483648.0L)) return -2147483647 - 1;
  if (!(r < 2147483647.0L)) return 2147483647;
  return static_cast<std::int32_t>(r);
}

}  // namespace

DisplayRange StatisticalDisplayRange(const HistogramObj& histogram, long double kLow, long double kHigh) {
  const long double sigma = histogram.StdDev();
  DisplayRange r;
  r.low = RoundToInt(histogram.Mean() + kLow * sigma);
  r.high = RoundToInt(kHigh * sigma + static_cast<long double>(r.low));
  return r;
}

}  // namespace skarvel
