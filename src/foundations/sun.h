// The Sun's geometric and apparent ecliptic place by the 50-term solar theory
// of Bretagnon and Simon.
#pragma once

#include <cstddef>

#include "foundations/sky_coord.h"

namespace skarvel {

/// Terms of the solar series: 50 in longitude, 50 in distance, none in latitude.
inline constexpr std::size_t kSunLongitudeTerms = 50;
inline constexpr std::size_t kSunDistanceTerms = 50;
inline constexpr std::size_t kSunLatitudeTerms = 0;

/// The Sun's place and distance.
struct SunPlace {
  SkyCoord coord;              ///< ecliptic, equinox of date (equinoxJD = jd), beta = 0, lambda in [0, 2 pi)
  long double distanceAu = 0;  ///< Earth-Sun distance (AU)
};

/// The Sun at Julian date jd (used as dynamical time, no conversion), from the
/// 50-term series of Bretagnon and Simon (1986), Planetary Programs and Tables
/// from -4000 to +2800 (Willmann-Bell), with U = (jd - 2451545) / 3652500:
///   lambda = 4.9353929 + 62833.196168 U + 1e-7 sum l_i sin(alpha_i + nu_i U),
///   R = 1.0001026 + 1e-7 sum r_i cos(alpha_i + nu_i U) AU,
/// the mean equinox of date. The series is good to about 0.0006 deg in
/// longitude and 1e-6 AU from -4000 to +2800. Mode kMean returns the
/// geometric longitude; kTrue (apparent) adds the nutation NutationLongitude and
/// the aberration (-993 + 17 cos(3.10 + 62830.14 U)) 1e-7 rad.
/// The coordinate record carries `mode`.
SunPlace SunPosition(long double jd, CoordMode mode);

/// The Sun as an object that keeps its mode (the opposition search creates it
/// with kTrue) and its term counts.
class SunObj {
 public:
  explicit SunObj(CoordMode mode) : mode_(mode) {}
  CoordMode Mode() const { return mode_; }
  std::size_t LongitudeTerms() const { return kSunLongitudeTerms; }
  std::size_t DistanceTerms() const { return kSunDistanceTerms; }
  std::size_t LatitudeTerms() const { return kSunLatitudeTerms; }
  /// SunPosition(jd, Mode()).
  SunPlace Position(long double jd) const { return SunPosition(jd, mode_); }

 private:
  CoordMode mode_;
};

}  // namespace skarvel
