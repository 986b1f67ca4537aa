#include "foundations/vec3.h"

#include <cmath>

#include "foundations/angles.h"

namespace skarvel {

void AxisRotation::SetRotation(long double angleRadians) {
  angle = angleRadians;
  sine = std::sin(angleRadians);
  cosine = std::cos(angleRadians);
  matrix[0][0] = 1;
  matrix[0][1] = 0;
  matrix[0][2] = 0;
  matrix[1][0] = 0;
  matrix[1][1] = cosine;
  matrix[1][2] = -sine;
  matrix[2][0] = 0;
  matrix[2][1] = sine;
  matrix[2][2] = cosine;
}

Vec3 AxisRotation::Apply(const Vec3& v) const {
  return {matrix[0][0] * v.x + matrix[0][1] * v.y + matrix[0][2] * v.z,
          matrix[1][0] * v.x + matrix[1][1] * v.y + matrix[1][2] * v.z,
          matrix[2][0] * v.x + matrix[2][1] * v.y + matrix[2][2] * v.z};
}

Vec3 AxisRotation::ApplyInverse(const Vec3& v) const {
  return {matrix[0][0] * v.x + matrix[1][0] * v.y + matrix[2][0] * v.z,
          matrix[0][1] * v.x + matrix[1][1] * v.y + matrix[2][1] * v.z,
          matrix[0][2] * v.x + matrix[1][2] * v.y + matrix[2][2] * v.z};
}

Vec3 VecAdd(const Vec3& a, const Vec3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 VecScale(const Vec3& a, long double s) {
  return {a.x * s, a.y * s, a.z * s};
}

Vec3 VecNegate(const Vec3& a) {
  return VecScale(a, -1);
}

Vec3 VecCross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

long double VecDot(const Vec3& a, const Vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

long double VecNorm(const Vec3& a) {
  return std::sqrt(VecDot(a, a));
}

PolarRec ToPolar(const Vec3& v) {
  PolarRec p;
  p.radius = VecNorm(v);
  if (p.radius == 0) return p;
  p.theta = ArcCosClamped(v.z / p.radius);
  p.phi = std::atan2(v.y, v.x);
  return p;
}

Vec3 FromPolar(long double r, long double theta, long double phi) {
  return {r * std::sin(theta) * std::cos(phi), r * std::sin(theta) * std::sin(phi), r * std::cos(theta)};
}

}  // namespace skarvel
