#include "foundations/sky_coord.h"

#include <cmath>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/byte_io.h"
#include "foundations/date_time.h"
#include "foundations/extended_float.h"

namespace skarvel {

namespace {

constexpr long double kRadiansPerArcsec = kRadiansPerDegree / 3600.0L;
constexpr long double kJulianMillennium = 365250.0L;  ///< days
constexpr long double kJulianCentury = 36525.0L;      ///< days
constexpr long double kEquinoxMatchDays = 1e-6L;

bool SameJD(long double a, long double b) {
  return std::fabs(a - b) < kEquinoxMatchDays;
}

}  // namespace

void WriteSkyCoord(ByteWriter& out, const SkyCoord& coord) {
  out.U8(static_cast<std::uint8_t>(coord.mode));
  out.U8(static_cast<std::uint8_t>(coord.frame));
  out.U8(static_cast<std::uint8_t>(coord.equinoxKind));
  WriteExtended(out, coord.equinoxJD);
  WriteExtended(out, coord.angle1);
  WriteExtended(out, coord.angle2);
}

SkyCoord ReadSkyCoord(ByteReader& in) {
  SkyCoord coord;
  coord.mode = static_cast<CoordMode>(in.U8());
  coord.frame = static_cast<CoordFrame>(in.U8());
  coord.equinoxKind = static_cast<EquinoxKind>(in.U8());
  coord.equinoxJD = ReadExtended(in);
  coord.angle1 = ReadExtended(in);
  coord.angle2 = ReadExtended(in);
  return coord;
}

EquinoxHeader EquinoxOf(EquinoxChoice choice, long double instantJD) {
  const EquinoxEntry& e = kEquinoxChoices[static_cast<std::size_t>(choice)];
  return {e.kind, e.kind == EquinoxKind::kOfDate ? instantJD : e.jd};
}

std::optional<EquinoxChoice> EquinoxChoiceOf(EquinoxKind kind, long double jd) {
  switch (kind) {
    case EquinoxKind::kBesselian:
      if (SameJD(jd, kJD_B1950)) return EquinoxChoice::kB1950;
      if (SameJD(jd, kJD_B1900)) return EquinoxChoice::kB1900;
      return std::nullopt;
    case EquinoxKind::kJulian:
      if (SameJD(jd, kJD_J2000)) return EquinoxChoice::kJ2000;
      if (SameJD(jd, kJD_J2050)) return EquinoxChoice::kJ2050;
      return std::nullopt;
    case EquinoxKind::kOfDate: return EquinoxChoice::kOfDate;
  }
  return std::nullopt;
}

void InitFrame(SkyCoord& coord, CoordMode mode, CoordFrame frame, EquinoxKind kind, long double jd) {
  coord.mode = mode;
  coord.frame = frame;
  coord.equinoxKind = kind;
  coord.equinoxJD = jd;
}

EclipticRotation InitEclipticRotation(CoordFrame frame, CoordMode mode, EquinoxKind kind, long double jd) {
  EclipticRotation r;
  InitFrame(r.header, mode, frame, kind, jd);
  long double eps = MeanObliquity(jd);
  if (mode == CoordMode::kTrue) eps += NutationObliquity(jd);
  r.rotation.SetRotation(eps);
  return r;
}

long double MeanObliquity(long double jd) {
  const long double a = (jd - kJD_J2000) / kJulianMillennium;
  const long double arcsec =
      a *
      (-468.093L +
       a * (-0.0155L + a * (1.99925L + a * (-0.005138L + a * (-0.0024967L + a * (-0.00003905L + a * 0.000000712L))))));
  return (23.43929111L + arcsec / 3600.0L) * kRadiansPerDegree;
}

long double NutationLongitude(long double jd) {
  const long double u = TenMillennia(jd);
  const long double node = 2.18L - 3375.7L * u + 0.36L * u * u;
  const long double sun = 3.51L + 125666.39L * u + 0.10L * u * u;
  return (-834.0L * std::sin(node) - 64.0L * std::sin(sun)) * 1e-7L;
}

long double NutationObliquity(long double jd) {
  const long double u = TenMillennia(jd);
  const long double node = 2.18L - 3375.7L * u + 0.36L * u * u;
  const long double sun = 3.51L + 125666.39L * u + 0.10L * u * u;
  return (446.0L * std::cos(node) + 28.0L * std::cos(sun)) * 1e-7L;
}

long double GeneralPrecession(long double jd) {
  const long double a = (jd - kJD_J2000) / kJulianMillennium;
  const long double arcsec =
      a *
      (50290.966L +
       a * (111.1971L + a * (0.07732L + a * (-0.235316L + a * (-0.0018055L + a * (0.00017451L + 0.000013095L * a))))));
  return arcsec * kRadiansPerArcsec;
}

long double SiderealAngle(CoordMode mode, long double jd) {
  const long double d = jd - kJD_J2000;
  const long double t = d / kJulianCentury;
  const long double degrees = 280.46061837L + 360.98564736629L * d + t * t * (0.000387933L - t / 38710000.0L);
  long double theta = NormalizeRadians(degrees * kRadiansPerDegree);
  if (mode == CoordMode::kTrue) {
    theta += NutationLongitude(jd) * std::cos(MeanObliquity(jd) + NutationObliquity(jd));
  }
  return theta;
}

void PrecessEcliptic(SkyCoord& coord, EquinoxKind kind, long double jd) {
  const long double jd0 = coord.equinoxJD;
  if (jd == jd0) return;
  const long double bigT = (jd0 - kJD_J2000) / kJulianCentury;
  const long double t = (jd - jd0) / kJulianCentury;
  const long double eta = ((47.0029L - 0.06603L * bigT + 0.000598L * bigT * bigT) * t +
                           (-0.03302L + 0.000598L * bigT) * t * t + 0.000060L * t * t * t) *
                          kRadiansPerArcsec;
  const long double bigPi =
      (174.876384L +
       (3289.4789L * bigT + 0.60622L * bigT * bigT - (869.8089L + 0.50491L * bigT) * t + 0.03536L * t * t) / 3600.0L) *
      kRadiansPerDegree;
  const long double p = ((5029.0966L + 2.22226L * bigT - 0.000042L * bigT * bigT) * t +
                         (1.11113L - 0.000042L * bigT) * t * t - 0.000006L * t * t * t) *
                        kRadiansPerArcsec;
  const long double beta = coord.angle1;
  const long double lambda = coord.angle2;
  const long double a = std::cos(eta) * std::cos(beta) * std::sin(bigPi - lambda) - std::sin(eta) * std::sin(beta);
  const long double b = std::cos(beta) * std::cos(bigPi - lambda);
  const long double c = std::cos(eta) * std::sin(beta) + std::sin(eta) * std::cos(beta) * std::sin(bigPi - lambda);
  coord.angle2 = NormalizeRadians(p + bigPi - std::atan2(a, b));
  if (kPi / 2 - std::fabs(beta) <= 0.01L) {
    const long double polar = ArcCosClamped(std::sqrt(a * a + b * b));
    coord.angle1 = c < 0 ? -polar : polar;
  } else {
    coord.angle1 = ArcSinClamped(c);
  }
  coord.equinoxKind = kind;
  coord.equinoxJD = jd;
}

SkyCoord EclipticToEquatorial(const SkyCoord& src) {
  SkyCoord dst = src;
  dst.frame = CoordFrame::kEquatorial;
  long double eps = MeanObliquity(src.equinoxJD);
  if (src.mode == CoordMode::kTrue) eps += NutationObliquity(src.equinoxJD);
  const long double beta = src.angle1;
  const long double lambda = src.angle2;
  dst.angle2 = ArcSinClamped(std::cos(eps) * std::sin(beta) + std::sin(eps) * std::cos(beta) * std::sin(lambda));
  const long double cosLambda = std::cos(lambda);
  if (cosLambda == 0) {
    dst.angle1 = lambda;
  } else {
    dst.angle1 = std::atan2(std::cos(eps) * std::cos(beta) * std::sin(lambda) - std::sin(eps) * std::sin(beta),
                            std::cos(beta) * cosLambda);
  }
  return dst;
}

GeocentricSite SiteGeocentric(long double latitude, long double heightMetres) {
  const long double u = std::atan(kEarthAxisRatio * std::tan(latitude));
  const long double h = heightMetres / kEarthRadiusSiteM;
  return {kEarthAxisRatio * std::sin(u) + h * std::sin(latitude), std::cos(u) + h * std::cos(latitude)};
}

SkyCoord Topocentric(const SkyCoord& coord, long double distanceKm, const SiteLocation& site, long double jd) {
  const GeocentricSite g = SiteGeocentric(site.latitude, site.heightMetres);
  const long double sinParallax = std::sin(std::atan2(kEarthRadiusParallaxKm, distanceKm));
  const long double alpha = coord.angle1;
  const long double delta = coord.angle2;
  const long double hourAngle = SiderealAngle(coord.mode, jd) + site.longitudeEast - alpha;
  const long double denominator = std::cos(delta) - g.rhoCosPhi * sinParallax * std::cos(hourAngle);
  const long double deltaAlpha = std::atan((-g.rhoCosPhi * sinParallax * std::sin(hourAngle)) / denominator);
  SkyCoord out = coord;
  out.angle1 = alpha + deltaAlpha;
  out.angle2 = std::atan((std::sin(delta) - g.rhoSinPhi * sinParallax) * std::cos(deltaAlpha) / denominator);
  return out;
}

HorizontalPlace Horizontal(const SkyCoord& coord, const SiteLocation& site, long double jd) {
  const long double alpha = coord.angle1;
  const long double delta = coord.angle2;
  const long double h = SiderealAngle(CoordMode::kTrue, jd) + site.longitudeEast - alpha;
  const long double phi = site.latitude;
  HorizontalPlace p;
  p.altitude = ArcSinClamped(std::sin(phi) * std::sin(delta) + std::cos(phi) * std::cos(delta) * std::cos(h));
  p.azimuth = std::atan2(-std::cos(delta) * std::sin(h),
                         std::sin(delta) * std::cos(phi) - std::cos(delta) * std::sin(phi) * std::cos(h));
  return p;
}

}  // namespace skarvel
