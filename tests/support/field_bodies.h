// Bodies placed where the Earth sees them at an instant, and converted orbit
// files made of them, for the tests of the search and ephemeris commands.
#pragma once

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/byte_io.h"
#include "orbits/kepler.h"
#include "orbits/minor_body.h"
#include "orbits/orbit_elements.h"
#include "orbits/orbit_records.h"

namespace skarvel::testing {

/// Elements of a body that the Earth sees near (raDeg, decDeg) J2000 at `jd`,
/// `distanceAu` away, moving at 0.9 of the circular speed (a clearly
/// elliptic orbit): its heliocentric position is the Earth's plus that offset.
inline OrbitElements BodySeenAt(const std::string& name, long double jd, long double raDeg, long double decDeg,
                                long double distanceAu = 1.5L, long double h = 12) {
  EarthObj earth;
  const Vec3 e = earth.Rectangular(jd);
  const long double ra = raDeg * kRadiansPerDegree, dec = decDeg * kRadiansPerDegree;
  const Vec3 eq{std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
  const long double eps = MeanObliquity(kJD_J2000);
  const Vec3 ecl{eq.x, eq.y * std::cos(eps) + eq.z * std::sin(eps), -eq.y * std::sin(eps) + eq.z * std::cos(eps)};
  const long double d = distanceAu * kAstronomicalUnitKm;
  const Vec3 x{e.x + d * ecl.x, e.y + d * ecl.y, e.z + d * ecl.z};
  const long double r = VecNorm(x);
  const long double speed = 0.9L * std::sqrt(kCentralBodyGM[0] / r);
  const long double rxy = std::hypot(x.x, x.y);
  const Vec3 v{-x.y / rxy * speed, x.x / rxy * speed, 0};
  OrbitElements templ;
  SetAsteroidDefaults(templ);
  templ.name = name;
  templ.designation = name.substr(0, 8);
  templ.H = h;
  templ.G = 0.15L;
  return StateToElements(x, v, jd, templ);
}

/// Writes the converted records of `bodies` (with `codes` where given) to `path`.
inline void WriteConvertedFile(const std::string& path, const std::vector<OrbitElements>& bodies,
                               const std::vector<OrbitCodes>& codes = {}) {
  ByteWriter out;
  for (std::size_t k = 0; k < bodies.size(); ++k) {
    CmoRecord rec = ElementsToCmo(bodies[k]);
    if (k < codes.size()) rec.codes = codes[k];
    WriteCmoRecord(out, rec);
  }
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(out.Buffer().data()), static_cast<std::streamsize>(out.Buffer().size()));
}

}  // namespace skarvel::testing
