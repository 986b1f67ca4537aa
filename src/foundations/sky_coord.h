// Celestial positions with their reference frame, and the models that move
// them between frames: obliquity, nutation, precession, sidereal time,
// ecliptic to equatorial, topocentric parallax and horizontal coordinates.
//
// Julian dates are used exactly as given (no time-scale conversion); angles
// are radians unless a name says otherwise.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "foundations/astro_constants.h"
#include "foundations/vec3.h"

namespace skarvel {

class ByteReader;
class ByteWriter;

/// 0 mean place (no nutation), 1 true place (nutation applied).
enum class CoordMode : std::uint8_t { kMean = 0, kTrue = 1 };
/// 0 ecliptic, 1 equatorial.
enum class CoordFrame : std::uint8_t { kEcliptic = 0, kEquatorial = 1 };
/// 0 Besselian, 1 Julian, 2 equinox of date.
enum class EquinoxKind : std::uint8_t { kBesselian = 0, kJulian = 1, kOfDate = 2 };

/// A position with its frame. The first four fields are the 13-byte frame
/// header of the stored record (three bytes and an 80-bit float). The order of
/// the two angles differs between the frames: ecliptic (latitude beta,
/// longitude lambda), equatorial (right ascension alpha, declination delta).
/// A distance, where needed, travels beside the record (AU).
struct SkyCoord {
  CoordMode mode = CoordMode::kMean;
  CoordFrame frame = CoordFrame::kEquatorial;
  EquinoxKind equinoxKind = EquinoxKind::kJulian;
  long double equinoxJD = kJD_J2000;  ///< Julian date of the equinox (days)
  long double angle1 = 0;             ///< ecliptic: beta; equatorial: alpha (radians)
  long double angle2 = 0;             ///< ecliptic: lambda; equatorial: delta (radians)
};

/// Bytes of a stored SkyCoord: the 13-byte header and two 80-bit angles.
inline constexpr std::size_t kSkyCoordBytes = 33;

/// Writes a SkyCoord field by field: mode, frame and equinoxKind (one byte
/// each), equinoxJD, angle1 and angle2 (80-bit extended floats).
void WriteSkyCoord(ByteWriter& out, const SkyCoord& coord);

/// Reads what WriteSkyCoord wrote. The three codes are taken as stored.
/// Throws IOFailure (100 "EOF!") when the bytes run out.
SkyCoord ReadSkyCoord(ByteReader& in);

/// The equinoxes offered by every dialog that asks for one, in list order.
enum class EquinoxChoice : std::uint8_t { kB1900 = 0, kB1950 = 1, kJ2000 = 2, kJ2050 = 3, kOfDate = 4 };

struct EquinoxEntry {
  std::string_view name;
  EquinoxKind kind;
  long double jd;  ///< Julian date (days); 0 for "Of Date", which takes the instant itself
};

/// B1900, B1950, J2000, J2050, Of Date.
inline constexpr std::array<EquinoxEntry, 5> kEquinoxChoices = {{
    {"B1900", EquinoxKind::kBesselian, kJD_B1900},
    {"B1950", EquinoxKind::kBesselian, kJD_B1950},
    {"J2000", EquinoxKind::kJulian, kJD_J2000},
    {"J2050", EquinoxKind::kJulian, kJD_J2050},
    {"Of Date", EquinoxKind::kOfDate, 0.0L},
}};

/// The (kind, Julian date) of a choice; "Of Date" takes `instantJD`.
struct EquinoxHeader {
  EquinoxKind kind;
  long double jd;
};
EquinoxHeader EquinoxOf(EquinoxChoice choice, long double instantJD);

/// The list entry of a stored header: kind 0 with 2415020.3135 is B1900, with
/// 2433282.4235 B1950; kind 1 with 2451545.0 is J2000, with 2469807.5 J2050;
/// kind 2 is Of Date. The Julian dates match within 1e-6 days. Anything else
/// is nullopt.
std::optional<EquinoxChoice> EquinoxChoiceOf(EquinoxKind kind, long double jd);

/// Writes the frame header of `coord`; the angles are left as they are.
void InitFrame(SkyCoord& coord, CoordMode mode, CoordFrame frame, EquinoxKind kind, long double jd);

/// A frame header with the rotation by the obliquity of its equinox.
struct EclipticRotation {
  SkyCoord header;        ///< angles 0
  AxisRotation rotation;  ///< about x by the obliquity (radians)
};

/// The header (mode, frame, kind, jd) and a rotation about x by the obliquity
/// at jd: MeanObliquity(jd), plus NutationObliquity(jd) when mode is kTrue.
EclipticRotation InitEclipticRotation(CoordFrame frame, CoordMode mode, EquinoxKind kind, long double jd);

/// Mean obliquity of the ecliptic (radians) at Julian date jd: Laskar's series
/// (Astron. Astrophys. 157, 59, 1986) truncated after the seventh power,
/// 23.43929111 deg + (-468.093 a - 0.0155 a^2 + 1.99925 a^3 - 0.005138 a^4
/// - 0.0024967 a^5 - 0.00003905 a^6 + 0.000000712 a^7) arcsec, a = Julian
/// millennia from J2000. Good to 0.01" over 1000 years, a few arcsec over 10000.
long double MeanObliquity(long double jd);

/// Nutation in longitude (radians) by its two largest terms (the 18.6-year
/// node term and the semi-annual solar term): (-834 sin Om - 64 sin L) 1e-7 with
/// U = (jd - 2451545) / 3652500, Om = 2.18 - 3375.7 U + 0.36 U^2,
/// L = 3.51 + 125666.39 U + 0.10 U^2. Accurate to about 1".
long double NutationLongitude(long double jd);

/// Nutation in obliquity (radians), two terms: (446 cos Om + 28 cos L) 1e-7.
long double NutationObliquity(long double jd);

/// General precession in longitude from J2000 to jd (radians):
/// a (50290.966 + a (111.1971 + a (0.07732 + a (-0.235316 + a (-0.0018055
/// + a (0.00017451 + 0.000013095 a)))))) arcsec, a in Julian millennia.
long double GeneralPrecession(long double jd);

/// Greenwich sidereal angle (radians) at jd: the mean angle
/// 280.46061837 + 360.98564736629 d + T^2 (0.000387933 - T / 38710000) deg
/// (d = jd - 2451545, T = d / 36525) normalised to [0, 2 pi); with mode kTrue
/// the equation of the equinoxes NutationLongitude cos(eps + NutationObliquity)
/// is added (the result may then leave [0, 2 pi) by that amount).
long double SiderealAngle(CoordMode mode, long double jd);

/// Precesses ecliptic coordinates (coord.frame ecliptic) from coord.equinoxJD
/// to jd by the rigorous ecliptic method (Lieske et al. 1977 angles eta, Pi, p
/// in the form of Meeus, Astronomical Algorithms, ch. 21). Nothing happens when
/// jd equals the current equinox. The longitude comes out in [0, 2 pi); within
/// 0.01 rad of a pole the latitude is taken from its cosine for accuracy. The
/// header's equinoxKind and equinoxJD become `kind` and `jd`.
void PrecessEcliptic(SkyCoord& coord, EquinoxKind kind, long double jd);

/// Ecliptic (src) to equatorial (returned): the header of src with frame
/// equatorial; eps = MeanObliquity(equinoxJD), plus NutationObliquity when the
/// mode is kTrue. delta = ArcSinClamped(cos eps sin beta + sin eps cos beta
/// sin lambda); alpha = atan2(cos eps cos beta sin lambda - sin eps sin beta,
/// cos beta cos lambda) in -pi..pi (callers normalise), or lambda when cos lambda
/// is exactly 0.
SkyCoord EclipticToEquatorial(const SkyCoord& src);

/// Geocentric site coordinates (in Earth equatorial radii).
struct GeocentricSite {
  long double rhoSinPhi = 0;  ///< rho sin(phi'), phi' the geocentric latitude
  long double rhoCosPhi = 1;  ///< rho cos(phi')
};

/// rho sin phi' and rho cos phi' of a site at geodetic latitude (radians) and
/// height above the ellipsoid (m), on the IAU 1976 ellipsoid (a = 6378140 m,
/// b/a = 0.9966471868221030856).
GeocentricSite SiteGeocentric(long double latitude, long double heightMetres);

/// An observing site: longitude east and geodetic latitude (radians), height (m).
struct SiteLocation {
  long double longitudeEast = 0;
  long double latitude = 0;
  long double heightMetres = 0;
};

/// The topocentric place of a body at `distanceKm` from the Earth's centre
/// seen from `site` at jd (coord equatorial; the header is kept). Horizontal
/// parallax pi_h = atan2(6378.16, distanceKm); hour angle H = SiderealAngle(
/// coord.mode, jd) + longitude - alpha; Delta alpha = atan(-rho cos phi' sin pi_h
/// sin H / (cos delta - rho cos phi' sin pi_h cos H)); delta' = atan((sin delta
/// - rho sin phi' sin pi_h) cos Delta alpha / (cos delta - rho cos phi' sin pi_h
/// cos H)). Plain arctangents: valid while the denominator stays positive, i.e.
/// for bodies well beyond the Earth's radius and not within a few degrees of a
/// pole at a few Earth radii.
SkyCoord Topocentric(const SkyCoord& coord, long double distanceKm, const SiteLocation& site, long double jd);

/// Altitude and azimuth (radians; azimuth from north through east, -pi..pi).
struct HorizontalPlace {
  long double altitude = 0;
  long double azimuth = 0;
};

/// Horizontal coordinates of an equatorial place seen from `site` at jd, with
/// the apparent sidereal angle: H = SiderealAngle(kTrue, jd) + longitude - alpha;
/// altitude = ArcSinClamped(sin phi sin delta + cos phi cos delta cos H);
/// azimuth = atan2(-cos delta sin H, sin delta cos phi - cos delta sin phi cos H).
/// No refraction.
HorizontalPlace Horizontal(const SkyCoord& coord, const SiteLocation& site, long double jd);

}  // namespace skarvel
