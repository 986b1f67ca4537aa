#include "orbits/minor_body.h"

#include <cmath>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "orbits/fast_math.h"

namespace skarvel {

SunPlace EarthObj::Position(long double jd) {
  SunPlace sun = sun_.Position(jd);
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

const std::array<Vec3, 3>& EarthObj::PrecessionFromJ2000(long double jd) {
  if (rotationCached_ && jd == rotationJD_) return rotation_;
  const PrecessionAngles a = EclipticPrecessionAngles(kJD_J2000, jd);
  long double sp, cp, se, ce, sq, cq;
  fastmath::SinCos(a.bigPi, sp, cp);
  fastmath::SinCos(a.eta, se, ce);
  fastmath::SinCos(a.bigPi + a.p, sq, cq);
  // Rz(-Pi): longitudes counted from the node of the ecliptic of date.
  const std::array<Vec3, 3> first = {Vec3{cp, sp, 0}, Vec3{-sp, cp, 0}, Vec3{0, 0, 1}};
  // Tilt by eta about that node.
  const std::array<Vec3, 3> tilt = {Vec3{1, 0, 0}, Vec3{0, ce, se}, Vec3{0, -se, ce}};
  // Rz(Pi + p): back to longitudes from the equinox of date.
  const std::array<Vec3, 3> last = {Vec3{cq, -sq, 0}, Vec3{sq, cq, 0}, Vec3{0, 0, 1}};
  const auto multiply = [](const std::array<Vec3, 3>& m, const std::array<Vec3, 3>& n) {
    std::array<Vec3, 3> out{};
    const Vec3 c0{n[0].x, n[1].x, n[2].x};
    const Vec3 c1{n[0].y, n[1].y, n[2].y};
    const Vec3 c2{n[0].z, n[1].z, n[2].z};
    for (std::size_t r = 0; r < 3; ++r) out[r] = Vec3{VecDot(m[r], c0), VecDot(m[r], c1), VecDot(m[r], c2)};
    return out;
  };
  rotation_ = multiply(last, multiply(tilt, first));
  rotationJD_ = jd;
  rotationCached_ = true;
  return rotation_;
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
    x = propagator_.PositionAt(t - tau).position;
    error_ = propagator_.Error();
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
  out.coord = frame_.header;
  out.deltaAu = firstDelta;
  lastJD_ = t;
  computed_ = true;
  earthSun_ = VecNorm(earth) / kAstronomicalUnitKm;
  sunDistance_ = VecNorm(x) / kAstronomicalUnitKm;
  delta_ = firstDelta;
  // The J2000 ecliptic place turned into the ecliptic and equinox of date.
  const std::array<Vec3, 3>& p = earth_->PrecessionFromJ2000(t);
  const Vec3 d{VecDot(p[0], g), VecDot(p[1], g), VecDot(p[2], g)};
  out.coord.angle1 = fastmath::Atan2(d.z, std::sqrt(d.x * d.x + d.y * d.y));
  long double lambda = fastmath::Atan2(d.y, d.x);
  if (lambda < 0) lambda += kTwoPi;
  out.coord.angle2 = lambda;
  if (t != kJD_J2000) {
    out.coord.equinoxKind = EquinoxKind::kOfDate;
    out.coord.equinoxJD = t;
  }
  return out;
}

long double MinorBody::Magnitude(long double t) {
  if (!computed_ || t != lastJD_) Geocentric(t);
  const long double r = sunDistance_;
  const long double delta = delta_;
  const long double bigR = earthSun_;
  if (magModel_ == kMagModelAsteroid) {
    const long double cosPhase = (r * r + delta * delta - bigR * bigR) / (2 * r * delta);
    // tan(beta / 2) from cos beta; beta = ArcCosClamped(cos beta).
    const long double c = cosPhase > 1 ? 1 : (cosPhase < -1 ? -1 : cosPhase);
    const long double tau = std::sqrt((1 - c) / (1 + c));
    // tau^0.63 and tau^1.22 from one logarithm (tau = 0 at opposition gives 0).
    const long double logTau = tau > 0 ? fastmath::Log2(tau) : 0;
    const long double phi1 = tau > 0 ? fastmath::Exp(-3.33L * fastmath::Exp2(0.63L * logTau)) : 1;
    const long double phi2 = tau > 0 ? fastmath::Exp(-1.87L * fastmath::Exp2(1.22L * logTau)) : 1;
    // 5 log10(r Delta) - 2.5 log10((1 - G) phi1 + G phi2), as one logarithm.
    const long double rd = r * delta;
    return h_ + 2.5L * fastmath::Log10(rd * rd / ((1 - g_) * phi1 + g_ * phi2));
  }
  if (magModel_ == kMagModelComet) return h_ + 5 * fastmath::Log10(delta) + 2.5L * g_ * fastmath::Log10(r);
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
