#include "orbits/minor_body.h"

#include <cmath>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"

namespace skarvel {

SunPlace EarthObj::Position(long double jd) {
  SunPlace sun = SunPosition(jd, CoordMode::kMean);
  sun.coord.angle2 = NormalizeRadians(sun.coord.angle2 + kPi);
  sun.coord.angle1 = 0;
  return sun;
}

Vec3 EarthObj::Rectangular(long double jd) {
  if (cached_ && jd == cachedJD_) return cachedVector_;
  SunPlace place = Position(jd);
  // The antisolar point lies in the ecliptic of date; the rigorous precession
  // carries it into the J2000 ecliptic, where it has a small latitude.
  PrecessEcliptic(place.coord, EquinoxKind::kJulian, kJD_J2000);
  cachedVector_ = FromPolar(place.distanceAu * kAstronomicalUnitKm, kPi / 2 - place.coord.angle1, place.coord.angle2);
  cachedJD_ = jd;
  cached_ = true;
  return cachedVector_;
}

namespace {

OrbitElements PrecessedToJ2000(OrbitElements el) {
  PrecessElements(el, EquinoxKind::kJulian, kJD_J2000);
  return el;
}

}  // namespace

MinorBody::MinorBody(std::uint8_t mode, const SiteRecord& site, const OrbitElements& elements,
                     std::shared_ptr<EarthObj> earth, KeplerErrorReporter reporter)
    : mode_(mode),
      propagator_(PrecessedToJ2000(elements), reporter),
      frame_(InitEclipticRotation(CoordFrame::kEcliptic, CoordMode::kMean, EquinoxKind::kJulian, kJD_J2000)),
      site_(site),
      earth_(earth ? std::move(earth) : std::make_shared<EarthObj>()),
      magModel_(elements.magModel),
      h_(elements.H),
      g_(elements.G) {}

StateVector MinorBody::StateVectorAt(long double t) {
  StateVector s = propagator_.PositionVelocity(t);
  error_ = propagator_.Error();
  return s;
}

HeliocentricPlace MinorBody::HeliocentricOfDate(long double t) {
  HeliocentricPlace out;
  const StateVector s = StateVectorAt(t);
  out.error = error_;
  if (error_) return out;
  const PolarRec polar = ToPolar(s.position);
  InitFrame(out.coord, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kOfDate, t);
  out.coord.angle1 = kPi / 2 - polar.theta;
  out.coord.angle2 = polar.phi + GeneralPrecession(t);
  out.radiusAu = polar.radius / kAstronomicalUnitKm;
  return out;
}

GeocentricPlace MinorBody::Geocentric(long double t) {
  GeocentricPlace out;
  const Vec3 earth = earth_->Rectangular(t);
  long double tau = 0;
  Vec3 x;
  Vec3 g;
  long double firstDelta = 0;
  for (int pass = 0;; ++pass) {
    x = StateVectorAt(t - tau).position;
    if (error_) {
      out.error = true;
      return out;
    }
    g = VecAdd(x, VecNegate(earth));
    const long double delta = VecNorm(g) / kAstronomicalUnitKm;
    if (pass == 0) firstDelta = delta;
    const long double next = kLightDaysPerAu * delta;
    // The light time settles in two or three passes; the limit guards against NaN.
    const bool done = std::fabs(next - tau) <= kLightTimeTolerance || pass >= 20;
    tau = next;
    if (done) break;
  }
  const PolarRec polar = ToPolar(g);
  out.coord = frame_.header;
  out.coord.angle1 = kPi / 2 - polar.theta;
  out.coord.angle2 = polar.phi;
  out.deltaAu = firstDelta;
  lastJD_ = t;
  computed_ = true;
  earthSun_ = VecNorm(earth) / kAstronomicalUnitKm;
  sunDistance_ = VecNorm(x) / kAstronomicalUnitKm;
  delta_ = firstDelta;
  PrecessEcliptic(out.coord, EquinoxKind::kOfDate, t);
  return out;
}

long double MinorBody::Magnitude(long double t) {
  if (!computed_ || t != lastJD_) Geocentric(t);
  const long double r = sunDistance_;
  const long double delta = delta_;
  const long double bigR = earthSun_;
  if (magModel_ == kMagModelAsteroid) {
    const long double cosPhase = (r * r + delta * delta - bigR * bigR) / (2 * r * delta);
    const long double phase = ArcCosClamped(cosPhase);
    const long double tau = std::fabs(std::tan(phase / 2));
    const long double phi1 = std::exp(-3.33L * std::pow(tau, 0.63L));
    const long double phi2 = std::exp(-1.87L * std::pow(tau, 1.22L));
    return h_ + 5 * std::log10(r * delta) - 2.5L * std::log10((1 - g_) * phi1 + g_ * phi2);
  }
  if (magModel_ == kMagModelComet) return h_ + 5 * std::log10(delta) + 2.5L * g_ * std::log10(r);
  return kUnknownMagnitude;
}

EquatorialPlace AstrometricEquatorial(MinorBody& body, long double t, EquinoxKind kind, long double jd) {
  EquatorialPlace out;
  GeocentricPlace g = body.Geocentric(t);
  if (g.error) {
    out.error = true;
    return out;
  }
  PrecessEcliptic(g.coord, kind, jd);
  const SkyCoord eq = EclipticToEquatorial(g.coord);
  out.raRad = NormalizeRadians(eq.angle1);
  out.decRad = eq.angle2;
  out.deltaAu = g.deltaAu;
  return out;
}

}  // namespace skarvel
