// The statistical display range of an image: the pixel values mapped to the
// darkest and brightest grey.
#pragma once

#include <cstdint>

#include "images/histogram.h"

namespace skarvel {

struct DisplayRange {
  std::int32_t low = 0;
  std::int32_t high = 0;
};

/// display low = round(mean + kLow x sigma), display high = round(kHigh x sigma
/// + display low), mean and sigma from the histogram (negative pixel values
/// counted as 0); rounding half to even. The defaults are kLow -0.25, kHigh 2.0.
DisplayRange StatisticalDisplayRange(const HistogramObj& histogram, long double kLow, long double kHigh);

}  // namespace skarvel
