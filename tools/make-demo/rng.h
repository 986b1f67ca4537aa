// A small deterministic pseudo-random generator (SplitMix64) with the few
// distributions the simulation needs, written out so that the demo data are
// the same bytes with every compiler and standard library.
#pragma once

#include <cmath>
#include <cstdint>

namespace skarvel::demo {

class SplitMix {
 public:
  explicit SplitMix(std::uint64_t seed) : state_(seed) {}

  /// The next 64 random bits.
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  /// Uniform in [0, 1) with 53 random bits.
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  /// Uniform in [lo, hi).
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  /// Standard normal deviate (Box-Muller, one of the pair).
  double Normal() {
    double u = Unit();
    while (u <= 0) u = Unit();
    const double v = Unit();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }
  /// Poisson deviate of mean `mean`: Knuth's product method below 30, the
  /// normal approximation with continuity correction above (the counts of a
  /// CCD pixel are far above 30 wherever the difference could show).
  double Poisson(double mean) {
    if (mean <= 0) return 0;
    if (mean < 30) {
      const double limit = std::exp(-mean);
      double p = Unit();
      int k = 0;
      while (p > limit) {
        p *= Unit();
        ++k;
      }
      return k;
    }
    const double x = std::floor(mean + std::sqrt(mean) * Normal() + 0.5);
    return x < 0 ? 0 : x;
  }

 private:
  std::uint64_t state_;
};

}  // namespace skarvel::demo
