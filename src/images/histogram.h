// The histogram of an image's pixel values, filled while the image loads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skarvel {

/// 128-bit integer of g++ for exact sums of squared 32-bit values.
__extension__ typedef __int128 Int128;

/// Counts of pixel values in equal bins, with the sums for mean and standard deviation.
class HistogramObj {
 public:
  HistogramObj() = default;
  /// `binCount` bins (at least 1) of `binWidth` (> 0) each, all counts 0.
  HistogramObj(std::int32_t binCount, long double binWidth) { Create(binCount, binWidth); }

  /// Allocates the bins and clears them.
  void Create(std::int32_t binCount, long double binWidth);
  /// All counts, the sums and the sample count := 0.
  void Clear();

  /// Counts x: a negative x counts as 0; bin := min(last bin, integer part of
  /// x / bin width).
  void Add(long double x);
  /// Counts an integer pixel value; the same result as Add, faster, with exact sums.
  void AddInteger(std::int32_t v);
  /// Counts every value of a run of integer pixel values, as AddInteger each.
  void AddIntegers(const std::int32_t* values, std::size_t count);

  /// The bin with the largest count, the lowest index winning ties; an empty
  /// histogram gives bin 0 with count 0.
  std::int32_t ModeBin(std::int32_t& count) const;
  /// From the bin after the mode bin, the first empty bin; the last bin index
  /// when there is none (also when the mode bin is the last).
  std::int32_t FirstZeroBin() const;
  /// sum / n (0 when empty).
  long double Mean() const;
  /// sqrt((sum of squares - sum^2 / n) / (n - 1)); 0 with fewer than two samples.
  long double StdDev() const;

  const std::vector<std::int32_t>& Bins() const { return bins_; }
  std::int32_t LastBin() const { return lastBin_; }
  long double BinWidth() const { return binWidth_; }
  std::int32_t SampleCount() const { return sampleCount_; }
  /// Size of the bin array in bytes.
  std::int32_t ArrayBytes() const { return static_cast<std::int32_t>(bins_.size() * sizeof(std::int32_t)); }
  long double Sum() const;
  long double SumOfSquares() const;

 private:
  std::vector<std::int32_t> bins_;
  std::int32_t lastBin_ = -1;
  long double binWidth_ = 1.0L;
  std::int32_t sampleCount_ = 0;
  // Integer samples are summed exactly; others in extended precision.
  Int128 intSum_ = 0;
  Int128 intSumSq_ = 0;
  long double sum_ = 0;
  long double sumSq_ = 0;
  std::int32_t intBinWidth_ = 0;  ///< the bin width when it is a positive integer, else 0
  int binShift_ = -1;             ///< log2 of the bin width when it is a power of two, else -1
};

}  // namespace skarvel
