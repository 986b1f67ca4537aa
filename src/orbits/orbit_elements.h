// The orbital element record shared by every orbit command, and the 162-byte
// record of the converted orbit files ("ASTORB.CMO", "MPCORB.CMO" and the
// TARNE orbit file), which holds a heliocentric state vector per object.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundations/byte_io.h"
#include "foundations/sky_coord.h"
#include "foundations/vec3.h"

namespace skarvel {

/// Text capacities of the element and converted records (characters).
inline constexpr std::size_t kOrbitNameChars = 40;
inline constexpr std::size_t kOrbitDesignationChars = 8;

/// Bytes of one converted orbit record, and of its leading part
/// (objectKind, name, designation) kept by the comet picker.
inline constexpr std::size_t kCmoRecordBytes = 162;
inline constexpr std::size_t kCmoHeaderBytes = 51;

/// Magnitude models of an element record.
inline constexpr std::uint8_t kMagModelAsteroid = 1;  ///< IAU H, G system
inline constexpr std::uint8_t kMagModelComet = 2;     ///< total magnitude g, k

/// Element set origins.
inline constexpr std::uint8_t kOriginMinorPlanet = 0;
inline constexpr std::uint8_t kOriginComet = 1;
inline constexpr std::uint8_t kOriginPlanet = 2;

/// Osculating orbital elements of one body.
///
/// Angles are radians, distances km, the mean motion radians per second,
/// times Julian dates. Derived fields (q from a and e or a from q, n, and T
/// from M or M from T) are kept consistent by the element operations of
/// kepler.h. Every database record has the frame (mean, ecliptic, Julian,
/// 2451545.0), central body 0 (the Sun) and equinoxIndex 2 (J2000).
struct OrbitElements {
  SkyCoord frame{CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, 2451545.0L, 0, 0};  ///< header only
  std::uint8_t objectKind = 0;   ///< 0 minor planet, 1 comet
  std::string name;              ///< up to 40 characters: the name, or the readable designation when unnamed
  std::string designation;       ///< up to 8 characters: the number as digits, or the packed designation
  long double a = 0;             ///< semi-major axis (km), negative for hyperbolic orbits
  long double q = 0;             ///< perihelion distance (km)
  long double e = 0;             ///< eccentricity
  long double i = 0;             ///< inclination (rad)
  long double node = 0;          ///< longitude of the ascending node (rad)
  long double peri = 0;          ///< argument of perihelion (rad)
  long double n = 0;             ///< mean motion (rad/s)
  long double M = 0;             ///< mean anomaly at the epoch (rad)
  long double T = 0;             ///< Julian date of perihelion passage
  long double epoch = 0;         ///< Julian date of osculation
  std::uint8_t centralBody = 0;  ///< index into kCentralBodyGM (0 = Sun)
  std::uint8_t magModel = kMagModelAsteroid;  ///< 1 asteroid (H, G), 2 comet (g, k)
  long double H = 0;                          ///< absolute magnitude (comets: g)
  long double G = 0;                          ///< slope parameter (comets: k)
  std::uint8_t origin = kOriginMinorPlanet;   ///< 0 minor planet, 1 comet, 2 planet
  std::uint8_t equinoxIndex = 2;              ///< B1900, B1950, J2000, J2050, Of Date (0-4)
};

/// The six orbit codes carried with each converted record (codes 1-6 at
/// indices 0-5). One array serves all the records of a conversion: a parser
/// overwrites only the codes its database defines.
using OrbitCodes = std::array<std::uint8_t, 6>;

/// One record of a converted orbit file.
///
/// Byte layout (162 bytes, little-endian, extended floats in the 80-bit x87
/// layout): 0 objectKind; 1 name text[40]; 42 designation text[8]; 51 epoch;
/// 61 position x, y, z (km); 91 velocity x, y, z (km/s); 121 centralBody;
/// 122 magModel; 123 H; 133 G; 143 frame header: mode, frame, equinoxKind (a
/// byte each) and equinoxJD; 156 codes 1-6. The state vector is heliocentric
/// in the frame of the header; zeros when it could not be computed.
struct CmoRecord {
  std::uint8_t objectKind = 0;
  std::string name;
  std::string designation;
  long double epoch = 0;  ///< Julian date of the state vector
  Vec3 position;          ///< km
  Vec3 velocity;          ///< km/s
  std::uint8_t centralBody = 0;
  std::uint8_t magModel = kMagModelAsteroid;
  long double H = 0;
  long double G = 0;
  SkyCoord frame{CoordMode::kMean, CoordFrame::kEcliptic, EquinoxKind::kJulian, 2451545.0L, 0, 0};  ///< header only
  OrbitCodes codes{};
};

/// The 51 leading bytes of a converted record, as the comet picker lists them.
struct CmoHeader {
  std::uint8_t objectKind = 0;
  std::string name;
  std::string designation;
};

/// Remembers the last encoding of the fields that repeat from record to record
/// in a conversion (epoch, H, G and the frame's Julian date), so that a file
/// of a million records does not encode the same value a million times.
struct CmoWriteCache {
  struct Slot {
    bool valid = false;
    long double value = 0;
    std::array<std::uint8_t, 10> bytes{};
  };
  Slot epoch, h, g, equinoxJD;
};

/// Appends the 162 bytes of `rec` (texts longer than their capacity are cut).
/// With a cache, repeated values take the bytes remembered for them; the
/// result is the same byte for byte.
void WriteCmoRecord(ByteWriter& out, const CmoRecord& rec, CmoWriteCache* cache = nullptr);

/// Reads one 162-byte record. Length bytes above a text's capacity are taken
/// as the capacity; any byte value of the header is accepted as it stands.
/// @throws IOFailure (100 "EOF!") when fewer than 162 bytes are left.
CmoRecord ReadCmoRecord(ByteReader& in);

/// Whether a record read from a file can describe an orbit: a finite epoch (and
/// equinox) within the calendar's years 1 to 9999 or 0, a finite state vector
/// within 1e13 km (67 000 AU) and 1000 km/s, and finite H and G within +-100.
/// Converted files are outside data: a record failing this is unusable.
bool PlausibleCmoRecord(const CmoRecord& rec);

/// Appends the 51 header bytes of `header`.
void WriteCmoHeader(ByteWriter& out, const CmoHeader& header);

/// The header part of a record.
CmoHeader HeaderOf(const CmoRecord& rec);

}  // namespace skarvel
