// A minor planet or comet seen from the Earth: the geocentric astrometric
// place with the light-time iteration, the heliocentric place of date and the
// magnitude, by two-body motion and the 50-term solar series for the Earth.
//
// Usage:
//   auto earth = std::make_shared<EarthObj>();   // may be shared by many bodies
//   MinorBody body(MinorBody::kAstrometric, site, elements, earth);
//   GeocentricPlace g = body.Geocentric(jd);      // ecliptic of date, distance in AU
//   if (!body.Error()) { long double mag = body.Magnitude(jd); ... }
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "config/observer_records.h"
#include "foundations/sky_coord.h"
#include "foundations/sun.h"
#include "foundations/vec3.h"
#include "orbits/kepler.h"
#include "orbits/orbit_elements.h"

namespace skarvel {

/// Light time per astronomical unit (days): 499.004784 s / 86400.
inline constexpr long double kLightDaysPerAu = 0.005775518329861111111L;
/// Convergence of the light-time iteration (days).
inline constexpr long double kLightTimeTolerance = 1e-5L;
/// Magnitude reported for an unknown magnitude model.
inline constexpr long double kUnknownMagnitude = 100;

/// The Earth as the solar series gives it: a Sun object of mode 0 (geometric,
/// mean equinox of date, 50 + 50 terms), with the last computed instant cached so that bodies evaluated at one
/// instant share one solar computation.
class EarthObj {
 public:
  virtual ~EarthObj() = default;

  /// The antisolar point: ecliptic of date, longitude lambda_sun + pi in
  /// [0, 2 pi), latitude 0; distance R in AU.
  virtual SunPlace Position(long double jd);

  /// The Earth's heliocentric vector (km) in the mean ecliptic and equinox of
  /// J2000: the antisolar point of date precessed rigorously to J2000
  /// (PrecessEcliptic, which turns the ecliptic of date into that of J2000 as
  /// well as moving the equinox), at distance R x 149597870.66 km.
  virtual Vec3 Rectangular(long double jd);

  /// The rotation from the mean ecliptic and equinox of J2000 to those of jd
  /// (rows of a 3x3 matrix): the rigorous ecliptic precession of
  /// PrecessEcliptic as a rotation, Rz(Pi + p) Rx(eta) Rz(-Pi) with the angles
  /// of EclipticPrecessionAngles(2451545.0, jd). Cached for the last jd.
  const std::array<Vec3, 3>& PrecessionFromJ2000(long double jd);

 private:
  SunObj sun_{CoordMode::kMean};
  bool cached_ = false;
  long double cachedJD_ = 0;
  Vec3 cachedVector_;
  bool rotationCached_ = false;
  long double rotationJD_ = 0;
  std::array<Vec3, 3> rotation_{};
};

/// The geocentric place of a body.
struct GeocentricPlace {
  SkyCoord coord;           ///< ecliptic (beta, lambda) of the mean equinox of date t
  long double deltaAu = 0;  ///< geometric geocentric distance at t (AU)
  bool error = false;       ///< no position at this instant
};

/// The heliocentric place of a body in the ecliptic of date.
struct HeliocentricPlace {
  SkyCoord coord;            ///< ecliptic, equinox of date t (mode 0, kind 2)
  long double radiusAu = 0;  ///< heliocentric distance (AU)
  bool error = false;
};

/// One minor body during one computation run.
class MinorBody {
 public:
  /// The place computed: the system always uses 2, astrometric (light time
  /// only, no aberration or nutation).
  static constexpr std::uint8_t kAstrometric = 2;

  /// Copies the elements and precesses the copy to J2000.0, builds the frame
  /// (ecliptic, mean, Julian, J2000.0) with its obliquity rotation, copies the
  /// site and the magnitude model, and creates the propagator. `earth` may be
  /// shared between bodies; a null one makes a private Earth.
  MinorBody(std::uint8_t mode, const SiteRecord& site, const OrbitElements& elements,
            std::shared_ptr<EarthObj> earth = nullptr, KeplerErrorReporter reporter = {});
  virtual ~MinorBody() = default;

  /// Heliocentric place at t: the J2000 ecliptic place with the general
  /// precession in longitude added; header mode 0, kind 2, JD t.
  virtual HeliocentricPlace HeliocentricOfDate(long double t);

  /// Geocentric astrometric place at t: the body at t - tau, tau the light
  /// time of the previous pass (from 0, until it changes by at most 1e-5 d),
  /// minus the Earth at t; the J2000 ecliptic place precessed to the equinox
  /// of date (the rotation of EarthObj::PrecessionFromJ2000, which agrees with
  /// PrecessEcliptic to 1e-15 rad). Stores t, R, r and the first-pass
  /// (geometric) distance.
  virtual GeocentricPlace Geocentric(long double t);

  /// Heliocentric state (km, km/s, J2000 ecliptic) at t; sets Error().
  virtual StateVector StateVectorAt(long double t);

  /// Magnitude at t (the geocentric place is recomputed when t differs from
  /// the last one): model 1 the IAU H-G system, model 2 g + 5 log Delta +
  /// 2.5 k log r, any other 100. An error at t leaves the last value's inputs.
  virtual long double Magnitude(long double t);

  bool Error() const { return error_; }
  long double DeltaAu() const { return delta_; }              ///< last geocentric distance (AU)
  long double EarthSunAu() const { return earthSun_; }        ///< last Earth-Sun distance (AU)
  long double SunDistanceAu() const { return sunDistance_; }  ///< last heliocentric distance (AU)
  const OrbitElements& Elements() const { return propagator_.Elements(); }
  const SkyCoord& Frame() const { return frame_.header; }
  const SiteRecord& Site() const { return site_; }

 private:
  std::uint8_t mode_;
  bool error_ = false;
  KeplerPropagator propagator_;
  EclipticRotation frame_;
  SiteRecord site_;
  std::shared_ptr<EarthObj> earth_;
  std::uint8_t magModel_;
  long double h_;
  long double g_;
  bool computed_ = false;
  long double lastJD_ = 0;
  long double delta_ = 0;
  long double earthSun_ = 0;
  long double sunDistance_ = 0;
};

/// A geocentric place precessed to a chosen equinox and turned into mean
/// equatorial coordinates.
struct EquatorialPlace {
  long double raRad = 0;   ///< right ascension in [0, 2 pi)
  long double decRad = 0;  ///< declination
  long double deltaAu = 0;
  bool error = false;
};

/// The astrometric right ascension and declination of a body at t in the mean
/// equator and equinox (kind, jd): Geocentric(t), PrecessEcliptic to the
/// equinox, then EclipticToEquatorial.
EquatorialPlace AstrometricEquatorial(MinorBody& body, long double t, EquinoxKind kind, long double jd);

}  // namespace skarvel
