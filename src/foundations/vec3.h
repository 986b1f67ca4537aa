// A small 3-vector library in extended precision: vectors, polar triples and
// rotations about the x axis.
#pragma once

namespace skarvel {

/// A 3-vector (any unit; the caller's).
struct Vec3 {
  long double x = 0;
  long double y = 0;
  long double z = 0;
};

/// Spherical coordinates: radius (the vector's unit), colatitude theta measured
/// from +z and longitude phi from +x towards +y (radians).
struct PolarRec {
  long double radius = 0;
  long double theta = 0;
  long double phi = 0;
};

/// A rotation about the x axis by `angle` (radians), with its sine, cosine and
/// matrix rows (1, 0, 0), (0, cos, -sin), (0, sin, cos).
struct AxisRotation {
  long double angle = 0;
  long double sine = 0;
  long double cosine = 1;
  long double matrix[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

  /// Stores angle, sine, cosine and the matrix.
  void SetRotation(long double angleRadians);
  /// matrix * v: turns a vector by +angle about x.
  Vec3 Apply(const Vec3& v) const;
  /// transpose(matrix) * v: the inverse turn.
  Vec3 ApplyInverse(const Vec3& v) const;
};

Vec3 VecAdd(const Vec3& a, const Vec3& b);
Vec3 VecScale(const Vec3& a, long double s);
/// VecScale(a, -1).
Vec3 VecNegate(const Vec3& a);
/// (a.y b.z - a.z b.y, a.z b.x - a.x b.z, a.x b.y - a.y b.x).
Vec3 VecCross(const Vec3& a, const Vec3& b);
long double VecDot(const Vec3& a, const Vec3& b);
/// sqrt(a . a).
long double VecNorm(const Vec3& a);

/// (r = |v|, theta = ArcCosClamped(z / r), phi = atan2(y, x)); the zero vector
/// gives (0, 0, 0).
PolarRec ToPolar(const Vec3& v);

/// (r sin theta cos phi, r sin theta sin phi, r cos theta).
Vec3 FromPolar(long double r, long double theta, long double phi);

}  // namespace skarvel
