// Coordinates, obliquity, nutation, precession and sidereal time, checked
// against ERFA tables made by tests/data/foundations/make_references.py.
#include "foundations/sky_coord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/byte_io.h"
#include "foundations/extended_float.h"
#include "foundations/io_error.h"
#include "foundations/reference_table.h"

namespace skarvel {
namespace {

using testing::AngleDiff;
using testing::kArcsec;
using testing::ReadReferenceTable;

double D(long double v) {
  return static_cast<double>(v);
}

TEST(MeanObliquity, AtJ2000) {
  EXPECT_NEAR(D(MeanObliquity(2451545.0L) * kDegreesPerRadian), 23.43929111, 1e-12);
}

// Laskar's series against the IAU 1980 cubic (eraObl80): both start from
// 84381.448" at J2000; their rates differ by 0.0057" per century and their
// cubic terms by 0.00019" T^3 (T in centuries), so they part by 0.026" three
// centuries away and by 0.28" ten centuries away (the years 1000 and 3000).
// The tolerance 0.007" |T| + 0.0003" |T|^3 bounds that with some margin.
TEST(MeanObliquity, AgreesWithIau1980) {
  const auto table = ReadReferenceTable("obliquity_nutation.csv");
  ASSERT_GT(table.rows.size(), 100u);
  for (const auto& r : table.rows) {
    const long double jd = r.at("jd");
    const double centuries = std::fabs(D(jd - kJD_J2000)) / 36525;
    const double tolerance = (0.001 + 0.007 * centuries + 0.0003 * centuries * centuries * centuries) * kArcsec;
    EXPECT_NEAR(D(MeanObliquity(jd)), D(r.at("obl80_rad")), tolerance) << D(jd);
  }
}

// Two nutation terms against the 106-term IAU 1980 series (eraNut80): the
// largest neglected terms sum to about 0.8" in longitude and 0.35" in obliquity.
TEST(Nutation, TwoTermsAgreeWithIau1980WithinTheNeglectedTerms) {
  const auto table = ReadReferenceTable("obliquity_nutation.csv");
  ASSERT_GT(table.rows.size(), 100u);
  for (const auto& r : table.rows) {
    const long double jd = r.at("jd");
    EXPECT_NEAR(D(NutationLongitude(jd)), D(r.at("nut80_dpsi_rad")), 0.9 * kArcsec) << D(jd);
    EXPECT_NEAR(D(NutationObliquity(jd)), D(r.at("nut80_deps_rad")), 0.4 * kArcsec) << D(jd);
  }
}

// The mean sidereal angle against GMST 1982 (eraGmst82): the same expression,
// with the daily rate rounded to 360.98564736629 deg (5e-12 deg = 8.7e-14 rad
// per day), so they part by at most 8.7e-14 rad |d| (3e-8 rad = 0.007" a
// thousand years away), plus 5e-9 rad for the double-precision reference (a
// JD of 2.4e6 days resolves 4.7e-10 d, in which the Earth turns 3e-9 rad). The apparent angle against eraGst94 adds the
// equation of the equinoxes Delta psi cos eps, whose two-term Delta psi is within 0.9" (0.83" after cos eps).
TEST(SiderealAngle, AgreesWithGmst82AndGst94) {
  const auto table = ReadReferenceTable("sidereal.csv");
  ASSERT_GT(table.rows.size(), 100u);
  for (const auto& r : table.rows) {
    const long double jd = r.at("jd");
    const long double mean = SiderealAngle(CoordMode::kMean, jd);
    EXPECT_GE(mean, 0);
    EXPECT_LT(mean, kTwoPi);
    EXPECT_NEAR(AngleDiff(mean, r.at("gmst82_rad")), 0.0, 5e-9 + 8.7e-14 * std::fabs(D(jd - kJD_J2000))) << D(jd);
    EXPECT_NEAR(AngleDiff(SiderealAngle(CoordMode::kTrue, jd), r.at("gst94_rad")), 0.0, 0.85 * kArcsec) << D(jd);
  }
}

// Ecliptic precession by the rigorous method against the IAU 1976 precession
// matrix of ERFA between mean ecliptics of date: the same theory (Lieske et
// al. 1977), whose ecliptic angles are here cut after t^3, so they agree to
// 0.005" over four centuries (0.0023" seen).
TEST(PrecessEcliptic, AgreesWithIau1976Matrix) {
  const auto table = ReadReferenceTable("precession.csv");
  ASSERT_GT(table.rows.size(), 40u);
  for (const auto& r : table.rows) {
    SkyCoord c;
    InitFrame(c, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, r.at("jd0"));
    c.angle1 = r.at("beta0_deg") * kRadiansPerDegree;
    c.angle2 = r.at("lambda0_deg") * kRadiansPerDegree;
    PrecessEcliptic(c, EquinoxKind::kBesselian, r.at("jd1"));
    EXPECT_EQ(c.equinoxKind, EquinoxKind::kBesselian);
    EXPECT_EQ(c.equinoxJD, r.at("jd1"));
    EXPECT_GE(c.angle2, 0);
    EXPECT_LT(c.angle2, kTwoPi);
    const double beta = D(c.angle1);
    // Compare along the great circle: the longitude error shrinks by cos beta.
    EXPECT_NEAR(AngleDiff(c.angle2, r.at("lambda1_deg") * kRadiansPerDegree) * std::cos(beta), 0.0, 0.005 * kArcsec)
        << D(r.at("jd0")) << " " << D(r.at("lambda0_deg")) << " " << D(r.at("beta0_deg"));
    EXPECT_NEAR(beta, D(r.at("beta1_deg") * kRadiansPerDegree), 0.005 * kArcsec);
  }
}

TEST(PrecessEcliptic, ToTheSameEquinoxChangesNothing) {
  SkyCoord c;
  InitFrame(c, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, 2451545.0L);
  c.angle1 = 0.3L;
  c.angle2 = 7.0L;  // not normalised: an unchanged position keeps even that
  PrecessEcliptic(c, EquinoxKind::kOfDate, 2451545.0L);
  EXPECT_EQ(c.angle1, 0.3L);
  EXPECT_EQ(c.angle2, 7.0L);
  EXPECT_EQ(c.equinoxKind, EquinoxKind::kJulian);
}

TEST(PrecessEcliptic, ThereAndBackAgain) {
  SkyCoord c;
  InitFrame(c, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, 2451545.0L);
  c.angle1 = 1.5657L;  // 0.005 rad from the pole: the latitude comes from its cosine
  c.angle2 = 2.0L;
  PrecessEcliptic(c, EquinoxKind::kBesselian, kJD_B1900);
  PrecessEcliptic(c, EquinoxKind::kJulian, kJD_J2000);
  EXPECT_NEAR(D(c.angle1), 1.5657, 1e-9);
  EXPECT_NEAR(D(c.angle2), 2.0, 2e-7);  // 0.005 rad from the pole: 1e-9 rad on the sky
}

TEST(EclipticToEquatorial, KnownPlaces) {
  SkyCoord ecl;
  InitFrame(ecl, CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, kJD_J2000);
  ecl.angle1 = 0;
  ecl.angle2 = kPi / 2;
  SkyCoord eq = EclipticToEquatorial(ecl);
  EXPECT_EQ(eq.frame, CoordFrame::kEquatorial);
  EXPECT_EQ(eq.equinoxJD, kJD_J2000);
  EXPECT_NEAR(D(eq.angle1), D(kPi / 2), 1e-15);
  EXPECT_NEAR(D(eq.angle2), D(MeanObliquity(kJD_J2000)), 1e-15);

  // Meeus, Astronomical Algorithms, example 13.a: Pollux, lambda 113.215630,
  // beta 6.684170, eps 23.4392911 gives alpha 116.328942, delta 28.026183 deg.
  ecl.angle1 = 6.684170L * kRadiansPerDegree;
  ecl.angle2 = 113.215630L * kRadiansPerDegree;
  eq = EclipticToEquatorial(ecl);
  EXPECT_NEAR(D(NormalizeRadians(eq.angle1) * kDegreesPerRadian), 116.328942, 2e-6);
  EXPECT_NEAR(D(eq.angle2 * kDegreesPerRadian), 28.026183, 2e-6);

  // True mode adds the nutation in obliquity.
  ecl.mode = CoordMode::kTrue;
  ecl.angle1 = 0;
  ecl.angle2 = kPi / 2;
  eq = EclipticToEquatorial(ecl);
  EXPECT_NEAR(D(eq.angle2), D(MeanObliquity(kJD_J2000) + NutationObliquity(kJD_J2000)), 1e-15);
}

// Meeus, Astronomical Algorithms, example 11.a: Palomar, latitude 33 21 22 N,
// height 1706 m: rho sin phi' = 0.546861, rho cos phi' = 0.836339.
TEST(SiteGeocentric, Palomar) {
  const GeocentricSite g = SiteGeocentric((33 + 21.0L / 60 + 22.0L / 3600) * kRadiansPerDegree, 1706);
  EXPECT_NEAR(D(g.rhoSinPhi), 0.546861, 1e-6);
  EXPECT_NEAR(D(g.rhoCosPhi), 0.836339, 1e-6);
}

// Meeus, Astronomical Algorithms, example 40.a: Mars on 2003 Aug 28 3h17m UT
// from Palomar (longitude 7h47m27s W), alpha 339.530208, delta -15.771083 deg,
// distance 0.37276 AU: Delta alpha = +1.29 s of time, delta' = -15 46 30.0.
TEST(Topocentric, MarsFromPalomar) {
  SiteLocation site;
  site.longitudeEast = -(7 + 47.0L / 60 + 27.0L / 3600) * 15 * kRadiansPerDegree;
  site.latitude = (33 + 21.0L / 60 + 22.0L / 3600) * kRadiansPerDegree;
  site.heightMetres = 1706;
  SkyCoord mars;
  InitFrame(mars, CoordMode::kTrue, CoordFrame::kEquatorial, EquinoxKind::kOfDate, 2452879.63681L);
  mars.angle1 = 339.530208L * kRadiansPerDegree;
  mars.angle2 = -15.771083L * kRadiansPerDegree;
  const SkyCoord topo = Topocentric(mars, 0.37276L * kAstronomicalUnitKm, site, 2452879.63681L);
  EXPECT_EQ(topo.frame, CoordFrame::kEquatorial);
  // Meeus takes sin pi_h = R / Delta where the system takes tan: 1e-9 rad apart.
  EXPECT_NEAR(D((topo.angle1 - mars.angle1) * kDegreesPerRadian * 240), 1.29, 0.005);
  EXPECT_NEAR(D(topo.angle2 * kDegreesPerRadian), -(15 + 46.0 / 60 + 30.0 / 3600), 0.05 / 3600);
  // A body very far away shows no parallax.
  const SkyCoord far = Topocentric(mars, 1e20L, site, 2452879.63681L);
  EXPECT_NEAR(D(far.angle1 - mars.angle1), 0.0, 1e-15);
  EXPECT_NEAR(D(far.angle2 - mars.angle2), 0.0, 1e-15);
}

// Meeus, example 13.b: Venus on 1987 Apr 10 19h21m UT from Washington (longitude
// 77 03 56 W, latitude 38 55 17 N), alpha 347.3193375, delta -6.719891 deg:
// azimuth 68.0337 deg from the south (248.0337 from the north), altitude 15.1249.
TEST(Horizontal, VenusFromWashington) {
  SiteLocation site;
  site.longitudeEast = -(77 + 3.0L / 60 + 56.0L / 3600) * kRadiansPerDegree;
  site.latitude = (38 + 55.0L / 60 + 17.0L / 3600) * kRadiansPerDegree;
  SkyCoord venus;
  InitFrame(venus, CoordMode::kTrue, CoordFrame::kEquatorial, EquinoxKind::kOfDate, 2446896.30625L);
  venus.angle1 = 347.3193375L * kRadiansPerDegree;
  venus.angle2 = -6.719891L * kRadiansPerDegree;
  const HorizontalPlace h = Horizontal(venus, site, 2446896.30625L);
  EXPECT_NEAR(D(h.altitude * kDegreesPerRadian), 15.1249, 2e-4);
  EXPECT_NEAR(D(NormalizeRadians(h.azimuth) * kDegreesPerRadian), 248.0337, 2e-4);
}

TEST(EquinoxList, ChoicesAndTheirHeaders) {
  EXPECT_EQ(kEquinoxChoices[0].name, "B1900");
  EXPECT_EQ(kEquinoxChoices[4].name, "Of Date");
  for (std::size_t i = 0; i < kEquinoxChoices.size(); ++i) {
    const auto choice = static_cast<EquinoxChoice>(i);
    const EquinoxHeader h = EquinoxOf(choice, 2455000.5L);
    EXPECT_EQ(EquinoxChoiceOf(h.kind, h.jd), choice) << i;
  }
  EXPECT_EQ(EquinoxOf(EquinoxChoice::kOfDate, 2455000.5L).jd, 2455000.5L);
  EXPECT_EQ(EquinoxOf(EquinoxChoice::kB1950, 0).jd, 2433282.4235L);
  EXPECT_EQ(EquinoxOf(EquinoxChoice::kJ2050, 0).kind, EquinoxKind::kJulian);
  // A Besselian header at J2000 and a Julian one at B1950 are not in the list.
  EXPECT_FALSE(EquinoxChoiceOf(EquinoxKind::kBesselian, kJD_J2000));
  EXPECT_FALSE(EquinoxChoiceOf(EquinoxKind::kJulian, kJD_B1950));
  EXPECT_EQ(EquinoxChoiceOf(EquinoxKind::kOfDate, 12345), EquinoxChoice::kOfDate);
}

TEST(InitEclipticRotation, RotatesByTheObliquityOfTheMode) {
  const EclipticRotation mean =
      InitEclipticRotation(CoordFrame::kEcliptic, CoordMode::kMean, EquinoxKind::kJulian, kJD_J2000);
  EXPECT_EQ(mean.header.frame, CoordFrame::kEcliptic);
  EXPECT_EQ(mean.header.equinoxJD, kJD_J2000);
  EXPECT_NEAR(D(mean.rotation.angle), D(MeanObliquity(kJD_J2000)), 1e-18);
  const EclipticRotation apparent =
      InitEclipticRotation(CoordFrame::kEquatorial, CoordMode::kTrue, EquinoxKind::kOfDate, 2455000.5L);
  EXPECT_NEAR(D(apparent.rotation.angle), D(MeanObliquity(2455000.5L) + NutationObliquity(2455000.5L)), 1e-18);
  // The ecliptic pole turned by the obliquity gives the equatorial place of the pole.
  const Vec3 pole = mean.rotation.Apply({0, 0, 1});
  EXPECT_NEAR(D(pole.y), -std::sin(D(mean.rotation.angle)), 1e-18);
  EXPECT_NEAR(D(pole.z), std::cos(D(mean.rotation.angle)), 1e-18);
}

// Laskar's general precession against Lieske's (IAU 1976) accumulated
// precession in longitude p = 5029.0966" t + 1.11113" t^2 - 0.000006" t^3
// (t in centuries from J2000): the quadratic terms differ by 0.00084" t^2,
// the cubic ones by 0.00008" t^3.
TEST(GeneralPrecession, AgreesWithLieskeWithinThreeCenturies) {
  EXPECT_EQ(GeneralPrecession(kJD_J2000), 0);
  for (double t = -3; t <= 3; t += 0.25) {
    const double lieske = 5029.0966 * t + 1.11113 * t * t - 0.000006 * t * t * t;
    EXPECT_NEAR(D(GeneralPrecession(kJD_J2000 + 36525.0L * t) / kArcsec), lieske, 1e-6 + 0.0012 * t * t) << t;
  }
}

TEST(SkyCoordRecord, StoredFieldByFieldIn33Bytes) {
  SkyCoord c;
  InitFrame(c, CoordMode::kTrue, CoordFrame::kEcliptic, EquinoxKind::kBesselian, kJD_B1950);
  c.angle1 = -0.123456789012345678L;
  c.angle2 = 6.2L;
  ByteWriter w;
  WriteSkyCoord(w, c);
  ASSERT_EQ(w.Size(), kSkyCoordBytes);
  const auto& b = w.Buffer();
  EXPECT_EQ(b[0], 1);  // mode
  EXPECT_EQ(b[1], 0);  // frame
  EXPECT_EQ(b[2], 0);  // equinox kind
  ExtendedBytes jd{};
  std::copy(b.begin() + 3, b.begin() + 13, jd.begin());
  EXPECT_EQ(DecodeExtended(jd), kJD_B1950);
  ByteReader r(b.data(), b.size());
  const SkyCoord back = ReadSkyCoord(r);
  EXPECT_EQ(back.mode, CoordMode::kTrue);
  EXPECT_EQ(back.frame, CoordFrame::kEcliptic);
  EXPECT_EQ(back.equinoxKind, EquinoxKind::kBesselian);
  EXPECT_EQ(back.equinoxJD, kJD_B1950);
  EXPECT_EQ(back.angle1, c.angle1);  // extended precision survives
  EXPECT_EQ(back.angle2, c.angle2);
  ByteReader shortInput(b.data(), 20);
  EXPECT_THROW(ReadSkyCoord(shortInput), IOFailure);
}

TEST(CentralBodies, GravitationalParameters) {
  EXPECT_FALSE(CentralBodyGM(12));
  EXPECT_FALSE(CentralBodyGM(-1));
  // The Sun's GM over the planets' gives the DE200 inverse masses.
  const double inverseMass[] = {0, 6023600, 408523.5, 328900.55, 3098710, 1047.350, 3498.0, 22960, 19314, 130000000};
  for (int i = 1; i <= 9; ++i) {
    // Index 3 is the rounded 403503.247: 2e-9 relative.
    EXPECT_NEAR(D(*CentralBodyGM(0) / *CentralBodyGM(i)) / inverseMass[i], 1.0, i == 3 ? 2e-9 : 1e-12) << i;
  }
  EXPECT_NEAR(D(*CentralBodyGM(0) / *CentralBodyGM(11)), 328900.5, 1e-6);
}

}  // namespace
}  // namespace skarvel
