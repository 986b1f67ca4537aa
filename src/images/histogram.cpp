#include "images/histogram.h"

#include "images/pixel_decode.h"

#include <algorithm>
#include <cmath>

namespace skarvel {

void HistogramObj::Create(std::int32_t binCount, long double binWidth) {
  if (binCount < 1) binCount = 1;
  if (!(binWidth > 0)) binWidth = 1.0L;
  bins_.assign(static_cast<std::size_t>(binCount), 0);
  lastBin_ = binCount - 1;
  binWidth_ = binWidth;
  const long double whole = std::floor(binWidth);
  intBinWidth_ = (whole == binWidth && binWidth <= 2147483647.0L) ? static_cast<std::int32_t>(whole) : 0;
  binShift_ = -1;
  for (int shift = 0; shift < 31 && intBinWidth_ > 0; ++shift)
    if (intBinWidth_ == (1 << shift)) binShift_ = shift;
  Clear();
}

void HistogramObj::Clear() {
  std::fill(bins_.begin(), bins_.end(), 0);
  sampleCount_ = 0;
  intSum_ = intSumSq_ = 0;
  sum_ = sumSq_ = 0;
}

void HistogramObj::Add(long double x) {
  if (bins_.empty()) Create(1, 1.0L);
  if (x < 0) x = 0;
  const long double q = std::trunc(x / binWidth_);
  const std::int32_t bin = q >= static_cast<long double>(lastBin_) ? lastBin_ : static_cast<std::int32_t>(q);
  ++bins_[static_cast<std::size_t>(bin)];
  sum_ += x;
  sumSq_ += x * x;
  ++sampleCount_;
}

void HistogramObj::AddInteger(std::int32_t v) {
  if (bins_.empty()) Create(1, 1.0L);
  if (intBinWidth_ == 0) {
    Add(static_cast<long double>(v));
    return;
  }
  if (v < 0) v = 0;
  const std::int32_t q = v / intBinWidth_;
  const std::int32_t bin = q >= lastBin_ ? lastBin_ : q;
  ++bins_[static_cast<std::size_t>(bin)];
  intSum_ += v;
  intSumSq_ += static_cast<Int128>(v) * v;
  ++sampleCount_;
}

void HistogramObj::AddIntegers(const std::int32_t* values, std::size_t count) {
  if (bins_.empty()) Create(1, 1.0L);
  if (binShift_ < 0) {
    for (std::size_t i = 0; i < count; ++i) AddInteger(values[i]);
    return;
  }
  // Runs of 1024 values are summed in 64 bits when none reaches 2^24: their
  // squares then stay below 2^58. (Negative values count as 0.)
  constexpr std::size_t kRun = 1024;
  const std::int32_t last = lastBin_;
  const int shift = binShift_;
  std::int32_t* bins = bins_.data();
  const std::size_t stride = bins_.size();
  std::vector<std::int32_t> partial(4 * stride, 0);
  for (std::size_t start = 0; start < count; start += kRun) {
    const std::size_t n = std::min(count - start, kRun);
    const std::int32_t* v = values + start;
    std::uint64_t sum = 0;
    std::uint64_t sumSq = 0;
    std::int32_t top = 0;
    SumsOfRun(v, n, sum, sumSq, top);
    if (top < (1 << 24)) {
      intSum_ += static_cast<Int128>(sum);
      intSumSq_ += static_cast<Int128>(sumSq);
    } else {
      for (std::size_t i = 0; i < n; ++i) {
        const std::int32_t x = v[i] < 0 ? 0 : v[i];
        intSum_ += x;
        intSumSq_ += static_cast<Int128>(x) * x;
      }
    }
    // Four interleaved partial histograms: pixel values of a sky background
    // fall into few bins, and one array would wait on its own last increment.
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
      for (std::size_t k = 0; k < 4; ++k) {
        const std::int32_t q = (v[i + k] < 0 ? 0 : v[i + k]) >> shift;
        ++partial[k * stride + static_cast<std::size_t>(q >= last ? last : q)];
      }
    }
    for (; i < n; ++i) {
      const std::int32_t q = (v[i] < 0 ? 0 : v[i]) >> shift;
      ++bins[q >= last ? last : q];
    }
  }
  for (std::size_t k = 0; k < 4; ++k)
    for (std::size_t b = 0; b < stride; ++b) bins[b] += partial[k * stride + b];
  sampleCount_ += static_cast<std::int32_t>(count);
}

long double HistogramObj::Sum() const { return sum_ + static_cast<long double>(intSum_); }

long double HistogramObj::SumOfSquares() const { return sumSq_ + static_cast<long double>(intSumSq_); }

std::int32_t HistogramObj::ModeBin(std::int32_t& count) const {
  std::int32_t best = 0;
  count = 0;
  for (std::size_t i = 0; i < bins_.size(); ++i) {
    if (bins_[i] > count) {
      count = bins_[i];
      best = static_cast<std::int32_t>(i);
    }
  }
  return best;
}

std::int32_t HistogramObj::FirstZeroBin() const {
  std::int32_t count = 0;
  const std::int32_t mode = ModeBin(count);
  for (std::int32_t i = mode + 1; i <= lastBin_; ++i)
    if (bins_[static_cast<std::size_t>(i)] == 0) return i;
  return lastBin_ < 0 ? 0 : lastBin_;
}

long double HistogramObj::Mean() const {
  return sampleCount_ == 0 ? 0.0L : Sum() / static_cast<long double>(sampleCount_);
}

long double HistogramObj::StdDev() const {
  if (sampleCount_ < 2) return 0.0L;
  const long double n = static_cast<long double>(sampleCount_);
  long double variance;
  if (sum_ == 0 && sumSq_ == 0) {
    // All samples were integers: the numerator is exact in 128-bit arithmetic
    // when the sums allow it (n * sumSq - sum^2, divided by n later).
    const long double s = static_cast<long double>(intSum_);
    variance = (static_cast<long double>(intSumSq_) - s * s / n) / (n - 1);
  } else {
    const long double s = Sum();
    variance = (SumOfSquares() - s * s / n) / (n - 1);
  }
  return variance > 0 ? std::sqrt(variance) : 0.0L;
}

}  // namespace skarvel
