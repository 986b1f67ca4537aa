// The Earth, the geocentric and heliocentric places and the magnitudes of a body.
#include "orbits/minor_body.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "orbits/orbit_records.h"

namespace skarvel {
namespace {

constexpr long double kAu = 149597870.66L;
constexpr double kArcsec = 4.84813681109536e-6;  // rad

double D(long double x) {
  return static_cast<double>(x);
}

OrbitElements Orbit(long double aAu, long double e, long double i, long double node, long double peri, long double M,
                    long double epoch) {
  OrbitElements el;
  SetAsteroidDefaults(el);
  el.a = aAu * kAu;
  el.e = e;
  el.i = i;
  el.node = node;
  el.peri = peri;
  el.M = M;
  el.epoch = epoch;
  el.H = 15;
  el.G = 0.15L;
  QFromA(el);
  MeanMotion(el);
  TFromM(el);
  return el;
}

TEST(EarthObj, AgreesWithPyEphemsSun) {
  // pyephem_sun.csv: made by tests/data/orbits/make_pyephem_reference.py (see there).
  // The 50-term series is good to about 2"; the Earth is the antisolar point.
  std::ifstream in(SKARVEL_TEST_DATA_DIR "/orbits/pyephem_sun.csv");
  std::string line;
  std::getline(in, line);
  EarthObj earth;
  int rows = 0;
  double worst = 0;
  while (std::getline(in, line)) {
    std::stringstream s(line);
    double jd = 0, ra = 0, dec = 0, r = 0;
    char c = 0;
    s >> jd >> c >> ra >> c >> dec >> c >> r;
    const Vec3 e = earth.Rectangular(jd);
    // The Sun from the Earth is -E; in J2000 equatorial coordinates.
    const PolarRec p = ToPolar(VecNegate(e));
    SkyCoord ecl;
    InitFrame(ecl, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, kJD_J2000);
    ecl.angle1 = kPi / 2 - p.theta;
    ecl.angle2 = p.phi;
    const SkyCoord eq = EclipticToEquatorial(ecl);
    const double d2r = kArcsec * 3600;
    const double dra = (D(NormalizeRadians(eq.angle1)) - ra * d2r) * std::cos(dec * d2r);
    const double sep = std::hypot(std::remainder(dra, 2 * 3.14159265358979323846), D(eq.angle2) - dec * d2r);
    worst = std::max(worst, sep / kArcsec);
    EXPECT_NEAR(D(p.radius / kAu), r, 5e-6) << jd;
    ++rows;
  }
  EXPECT_EQ(rows, 40);
  // Left in the ecliptic of J2000 (no rigorous precession of the antisolar
  // point), the Earth would stray by 47" per century from 2000 on.
  EXPECT_LT(worst, 2.5);
}

TEST(EarthObj, PrecessionRotationEqualsPrecessEcliptic) {
  EarthObj earth;
  for (long double jd : {2451545.0L, 2415020.3135L, 2460831.5L, 2488000.5L}) {
    const auto& m = earth.PrecessionFromJ2000(jd);
    for (long double beta : {-1.2L, 0.0L, 0.4L, 1.5L}) {
      for (long double lambda : {0.1L, 2.0L, 4.5L}) {
        const Vec3 v = FromPolar(1, kPi / 2 - beta, lambda);
        const Vec3 w{VecDot(m[0], v), VecDot(m[1], v), VecDot(m[2], v)};
        SkyCoord c;
        InitFrame(c, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, kJD_J2000);
        c.angle1 = beta;
        c.angle2 = lambda;
        PrecessEcliptic(c, EquinoxKind::kOfDate, jd);
        const PolarRec p = ToPolar(w);
        EXPECT_NEAR(D(kPi / 2 - p.theta), D(c.angle1), 1e-15) << D(jd);
        EXPECT_NEAR(D(std::remainder(p.phi - c.angle2, 2 * kPi)), 0, 1e-15) << D(jd);
      }
    }
  }
}

TEST(MinorBody, GeocentricPlaceWithLightTimeAndGeometricDistance) {
  const OrbitElements el = Orbit(1.8L, 0.2L, 0.3L, 1.0L, 2.0L, 0.5L, 2460800.5L);
  auto earth = std::make_shared<EarthObj>();
  MinorBody body(MinorBody::kAstrometric, SiteRecord{}, el, earth);
  const long double t = 2460831.5L;
  const GeocentricPlace g = body.Geocentric(t);
  ASSERT_FALSE(g.error);
  EXPECT_EQ(g.coord.frame, CoordFrame::kEcliptic);
  EXPECT_EQ(g.coord.equinoxKind, EquinoxKind::kOfDate);
  EXPECT_EQ(g.coord.equinoxJD, t);
  // The reported distance is the geometric one at t.
  const Vec3 e = earth->Rectangular(t);
  const Vec3 x = ElementsToState(el, t).position;
  const long double geometric = VecNorm(VecAdd(x, VecNegate(e))) / kAu;
  EXPECT_NEAR(D(g.deltaAu / geometric), 1, 1e-15);
  EXPECT_EQ(body.DeltaAu(), g.deltaAu);
  EXPECT_NEAR(D(body.EarthSunAu() * kAu / VecNorm(e)), 1, 1e-15);
  // The direction is that of the body at t - tau, tau the light time, solved here to convergence.
  long double tau = 0;
  Vec3 rel;
  for (int k = 0; k < 10; ++k) {
    rel = VecAdd(ElementsToState(el, t - tau).position, VecNegate(e));
    tau = 0.005775518329861111L * VecNorm(rel) / kAu;
  }
  const PolarRec p = ToPolar(rel);
  SkyCoord c;
  InitFrame(c, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, kJD_J2000);
  c.angle1 = kPi / 2 - p.theta;
  c.angle2 = p.phi;
  PrecessEcliptic(c, EquinoxKind::kOfDate, t);
  EXPECT_NEAR(D(g.coord.angle1), D(c.angle1), 0.001 * kArcsec);
  EXPECT_NEAR(D(g.coord.angle2), D(c.angle2), 0.001 * kArcsec);
  // ... which is not the geometric direction: the body moves during the light time.
  const PolarRec geo = ToPolar(VecAdd(x, VecNegate(e)));
  SkyCoord cg = c;
  InitFrame(cg, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, kJD_J2000);
  cg.angle1 = kPi / 2 - geo.theta;
  cg.angle2 = geo.phi;
  PrecessEcliptic(cg, EquinoxKind::kOfDate, t);
  EXPECT_GT(std::fabs(D(cg.angle2 - g.coord.angle2)), 1 * kArcsec);
}

TEST(MinorBody, ElementsOfAnotherEquinoxArePrecessedToJ2000) {
  OrbitElements j2000 = Orbit(2.4L, 0.1L, 0.2L, 3.0L, 1.0L, 4.0L, 2460800.5L);
  OrbitElements b1950 = j2000;
  PrecessElements(b1950, EquinoxKind::kBesselian, 2433282.4235L);
  MinorBody a(MinorBody::kAstrometric, SiteRecord{}, j2000);
  MinorBody b(MinorBody::kAstrometric, SiteRecord{}, b1950);
  EXPECT_EQ(b.Elements().frame.equinoxJD, 2451545.0L);
  const GeocentricPlace ga = a.Geocentric(2460900.5L);
  const GeocentricPlace gb = b.Geocentric(2460900.5L);
  // The precession series there and back closes to about 1e-11 rad.
  EXPECT_NEAR(D(ga.coord.angle1), D(gb.coord.angle1), 1e-10);
  EXPECT_NEAR(D(ga.coord.angle2), D(gb.coord.angle2), 1e-10);
}

TEST(MinorBody, HeliocentricPlaceOfDate) {
  const OrbitElements el = Orbit(2.4L, 0.1L, 0.2L, 3.0L, 1.0L, 4.0L, 2460800.5L);
  MinorBody body(MinorBody::kAstrometric, SiteRecord{}, el);
  const long double t = 2460900.5L;
  const HeliocentricPlace h = body.HeliocentricOfDate(t);
  ASSERT_FALSE(h.error);
  const PolarRec p = ToPolar(ElementsToState(el, t).position);
  EXPECT_NEAR(D(h.radiusAu * kAu / p.radius), 1, 1e-15);
  EXPECT_NEAR(D(h.coord.angle2 - p.phi), D(GeneralPrecession(t)), 1e-15);
  EXPECT_EQ(h.coord.equinoxKind, EquinoxKind::kOfDate);
  EXPECT_EQ(h.coord.equinoxJD, t);
}

TEST(MinorBody, MagnitudeAtOppositionAndForComets) {
  // A body 2 AU beyond the Earth on the Sun-Earth line at t: phase angle 0 but
  // for its motion during the light time.
  const long double t = 2460831.5L;
  EarthObj earth;
  const Vec3 e = earth.Rectangular(t);
  const Vec3 r = VecScale(e, 3 * kAu / VecNorm(e));
  const long double speed = std::sqrt(132712440000.0L / VecNorm(r));  // circular, km/s
  const Vec3 v = VecScale(VecCross(Vec3{0, 0, 1}, r), speed / VecNorm(r));
  OrbitElements templ;
  SetAsteroidDefaults(templ);
  templ.H = 12;
  templ.G = 0.25L;
  const OrbitElements el = StateToElements(r, v, t, templ);
  MinorBody body(MinorBody::kAstrometric, SiteRecord{}, el);
  const long double m = body.Magnitude(t);
  const long double expected = 12 + 5 * std::log10(body.SunDistanceAu() * body.DeltaAu());
  EXPECT_NEAR(D(m), D(expected), 0.005);  // Phi1 = Phi2 = 1 at phase 0
  EXPECT_NEAR(D(body.DeltaAu()), 3 - D(VecNorm(e) / kAu), 1e-6);
  // Away from opposition the phase darkens the body.
  MinorBody later(MinorBody::kAstrometric, SiteRecord{}, el);
  EXPECT_GT(D(later.Magnitude(t + 60) - 12 - 5 * std::log10(later.SunDistanceAu() * later.DeltaAu())), 0.3);

  OrbitElements comet = el;
  comet.magModel = kMagModelComet;
  comet.H = 6;
  comet.G = 4;
  MinorBody c(MinorBody::kAstrometric, SiteRecord{}, comet);
  const long double mc = c.Magnitude(t);
  EXPECT_NEAR(D(mc), D(6 + 5 * std::log10(c.DeltaAu()) + 10 * std::log10(c.SunDistanceAu())), 1e-14);
  OrbitElements unknown = el;
  unknown.magModel = 7;
  MinorBody u(MinorBody::kAstrometric, SiteRecord{}, unknown);
  EXPECT_EQ(u.Magnitude(t), 100);
}

TEST(MinorBody, AnOrbitWithoutSolutionSetsTheErrorFlag) {
  OrbitElements el;
  SetCometDefaults(el);
  el.q = 0.922046L * kAu;
  el.e = 0.985L;
  el.T = 2450536.5L;
  el.epoch = 2461191.5L;
  AFromQ(el);
  MeanMotion(el);
  MFromT(el);
  MinorBody body(MinorBody::kAstrometric, SiteRecord{}, el);
  EXPECT_TRUE(body.Geocentric(2460800.5L).error);
  EXPECT_TRUE(body.Error());
  EXPECT_TRUE(AstrometricEquatorial(body, 2460800.5L, EquinoxKind::kJulian, kJD_J2000).error);
  EXPECT_FALSE(body.Geocentric(2450600.5L).error);  // near perihelion the series converges
  EXPECT_FALSE(body.Error());
}

}  // namespace
}  // namespace skarvel
