// The x87 functions of the propagation path against the C library's long double ones.
#include "orbits/fast_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace skarvel {
namespace {

/// 4 ulp of long double near 1 (2^-61): the agreement expected of both implementations.
constexpr double kTol = 4.4e-19;

double Rel(long double a, long double b) {
  return static_cast<double>(std::fabs(a - b) / std::fmax(std::fabs(b), 1e-300L));
}

TEST(FastMath, AgreesWithTheLibraryToAFewUlp) {
  for (long double x = -40; x <= 40; x += 0.0731L) {
    long double s = 0;
    long double c = 0;
    fastmath::SinCos(x, s, c);
    EXPECT_LT(static_cast<double>(std::fabs(s - std::sin(x))), kTol) << static_cast<double>(x);
    EXPECT_LT(static_cast<double>(std::fabs(c - std::cos(x))), kTol) << static_cast<double>(x);
    EXPECT_LT(static_cast<double>(std::fabs(fastmath::Atan2(x, 3.5L) - std::atan2(x, 3.5L))), kTol);
    EXPECT_LT(static_cast<double>(std::fabs(fastmath::Atan2(-3.5L, x) - std::atan2(-3.5L, x))), kTol);
    EXPECT_LT(Rel(fastmath::Exp(x), std::exp(x)), 8 * kTol) << static_cast<double>(x);
    const long double y = std::fabs(x) + 1e-3L;
    EXPECT_LT(static_cast<double>(std::fabs(fastmath::Log10(y) - std::log10(y))), kTol) << static_cast<double>(x);
    EXPECT_LT(Rel(fastmath::Pow(y, 0.63L), std::pow(y, 0.63L)), 8 * kTol) << static_cast<double>(x);
  }
  // Quadrants and edges of atan2, and arguments beyond the x87 range.
  EXPECT_EQ(fastmath::Atan2(0.0L, -1.0L), std::atan2(0.0L, -1.0L));
  EXPECT_EQ(fastmath::Atan2(-0.0L, 1.0L), std::atan2(-0.0L, 1.0L));
  EXPECT_LT(static_cast<double>(std::fabs(fastmath::Atan2(-1.0L, -1.0L) - std::atan2(-1.0L, -1.0L))), kTol);
  EXPECT_EQ(fastmath::Sin(1e20L), std::sin(1e20L));
  EXPECT_EQ(fastmath::Pow(0.0L, 0.63L), 0);
  EXPECT_TRUE(std::isnan(static_cast<double>(fastmath::Log2(-1.0L))));
  EXPECT_LT(static_cast<double>(std::fabs(fastmath::ArcCosClamped(1.5L))), kTol);
  EXPECT_LT(static_cast<double>(std::fabs(fastmath::ArcCosClamped(-0.3L) - std::acos(-0.3L))), kTol);
}

}  // namespace
}  // namespace skarvel
