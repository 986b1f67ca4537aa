#include "foundations/vec3.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundations/angles.h"

namespace skarvel {
namespace {

double D(long double v) {
  return static_cast<double>(v);
}

void ExpectVec(const Vec3& v, double x, double y, double z, double tolerance) {
  EXPECT_NEAR(D(v.x), x, tolerance);
  EXPECT_NEAR(D(v.y), y, tolerance);
  EXPECT_NEAR(D(v.z), z, tolerance);
}

TEST(Vec3, CrossProductOrientationAndOrthogonality) {
  ExpectVec(VecCross({1, 0, 0}, {0, 1, 0}), 0, 0, 1, 0);
  ExpectVec(VecCross({0, 1, 0}, {1, 0, 0}), 0, 0, -1, 0);
  const Vec3 a{1, 2, 3};
  const Vec3 b{-4, 5, 0.5L};
  const Vec3 c = VecCross(a, b);
  EXPECT_NEAR(D(VecDot(c, a)), 0.0, 1e-17);
  EXPECT_NEAR(D(VecDot(c, b)), 0.0, 1e-17);
  // |a x b|^2 = |a|^2 |b|^2 - (a . b)^2
  EXPECT_NEAR(D(VecDot(c, c)), D(VecDot(a, a) * VecDot(b, b) - VecDot(a, b) * VecDot(a, b)), 1e-15);
  EXPECT_NEAR(D(VecNorm(VecAdd(VecScale(a, 2), VecNegate(a)))), D(VecNorm(a)), 1e-18);
}

TEST(Vec3, PolarRoundTrip) {
  const PolarRec p = ToPolar({1, 1, std::sqrt(2.0L)});
  EXPECT_NEAR(D(p.radius), 2.0, 1e-18);
  EXPECT_NEAR(D(p.theta), D(kPi / 4), 1e-18);
  EXPECT_NEAR(D(p.phi), D(kPi / 4), 1e-18);
  const Vec3 back = FromPolar(p.radius, p.theta, p.phi);
  ExpectVec(back, 1, 1, std::sqrt(2.0), 1e-17);
  EXPECT_NEAR(D(ToPolar({0, -2, 0}).phi), D(-kPi / 2), 1e-18);
  EXPECT_NEAR(D(ToPolar({0, 0, -5}).theta), D(kPi), 1e-18);
  const PolarRec zero = ToPolar({0, 0, 0});
  EXPECT_EQ(zero.radius, 0);
  EXPECT_EQ(zero.theta, 0);
}

TEST(AxisRotation, AboutTheXAxis) {
  AxisRotation r;
  r.SetRotation(kPi / 2);
  EXPECT_NEAR(D(r.sine), 1.0, 1e-18);
  EXPECT_NEAR(D(r.cosine), 0.0, 1e-18);
  ExpectVec(r.Apply({0, 1, 0}), 0, 0, 1, 1e-18);
  ExpectVec(r.Apply({5, 0, 1}), 5, -1, 0, 1e-18);
  r.SetRotation(0.4L);
  const Vec3 v{0.3L, -0.7L, 0.2L};
  ExpectVec(r.ApplyInverse(r.Apply(v)), 0.3, -0.7, 0.2, 1e-18);
  EXPECT_NEAR(D(VecNorm(r.Apply(v)) - VecNorm(v)), 0.0, 1e-18);
}

}  // namespace
}  // namespace skarvel
