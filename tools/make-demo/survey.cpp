// The "survey" command: where each numbered asteroid of an MPCORB file stands
// in the nights around its elements' epoch, to choose the demo's target.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "demo_plan.h"
#include "foundations/date_time.h"
#include "foundations/sky_coord.h"
#include "foundations/sun.h"
#include "make_demo.h"
#include "orbits/ephemeris.h"
#include "orbits/orbit_records.h"

namespace skarvel::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegPerRad = 180.0 / kPi;

/// The Sun's altitude (degrees) at a site, from the solar series.
double SunAltitudeDeg(long double jd, const SiteRecord& site) {
  const SunPlace sun = SunPosition(jd, CoordMode::kMean);
  SkyCoord ecl = sun.coord;
  const SkyCoord eq = EclipticToEquatorial(ecl);
  return static_cast<double>(Horizontal(eq, SiteLocationOf(site), jd).altitude) * kDegPerRad;
}

/// Galactic latitude (degrees) of a J2000 position: the north galactic pole
/// at RA 192.85948, Dec +27.12825 degrees (ICRS).
double GalacticLatitudeDeg(double raHours, double decDeg) {
  const double ra = raHours * 15.0 / kDegPerRad, dec = decDeg / kDegPerRad;
  const double raP = 192.85948 / kDegPerRad, decP = 27.12825 / kDegPerRad;
  return std::asin(std::sin(dec) * std::sin(decP) + std::cos(dec) * std::cos(decP) * std::cos(ra - raP)) * kDegPerRad;
}

}  // namespace

int Survey(const std::string& mpcorbPath, int firstDay, int days) {
  std::ifstream in(mpcorbPath);
  if (!in) {
    std::fprintf(stderr, "cannot open %s\n", mpcorbPath.c_str());
    return 1;
  }
  const SiteRecord site = DemoSite();
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 160 || line[5] != ' ') continue;  // numbered objects only
    OrbitElements el;
    SetAsteroidDefaults(el);
    OrbitCodes codes{};
    try {
      ParseMpcorbLine(line, el, codes);
    } catch (...) {
      continue;
    }
    for (int d = firstDay; d < firstDay + days; d += 3) {
      // Search the night in 20-minute steps for the highest point in darkness.
      const double base = *EncodeDate(kYear, 1, 1) + d;
      double bestAlt = -90, bestMag = 0, bestRA = 0, bestDec = 0, bestT = 0, rate = 0;
      for (int step = 0; step < 72; ++step) {
        const double t = base + step / 72.0;
        const long double jd = DateTimeToDays(t) + kJulianDateOffset;
        if (SunAltitudeDeg(jd, site) > -18) continue;
        EphemerisParams p;
        p.start.SetJD(jd);
        p.points = 2;
        p.stepDays = 1.0L / 24.0L;
        RecordList<EphemerisRecord> table;
        if (!GenerateEphemeris(el, site, p, table)) continue;
        const EphemerisRecord& r = Line(table, 0);
        const EphemerisRecord& r2 = Line(table, 1);
        if (static_cast<double>(r.altitudeDeg) > bestAlt) {
          bestAlt = static_cast<double>(r.altitudeDeg);
          bestMag = static_cast<double>(r.magnitude);
          bestRA = static_cast<double>(r.raHours);
          bestDec = static_cast<double>(r.decDeg);
          bestT = t;
          const double dra = static_cast<double>(r2.raHours - r.raHours) * 15 * 3600 * std::cos(bestDec / kDegPerRad);
          const double ddec = static_cast<double>(r2.decDeg - r.decDeg) * 3600;
          rate = std::hypot(dra, ddec);
        }
      }
      if (bestAlt < 40 || bestMag < 11 || bestMag > 15.5) continue;
      const CalendarDate cd = DecodeDate(bestT);
      const TimeOfDayObj tod = DecodeTimeOfDay(bestT);
      std::printf("%-5s %-18s %04d-%02d-%02d %02d:%02d  V %5.2f  alt %4.1f  RA %8.4f Dec %+8.3f  b %+6.1f  %5.1f\"/h\n",
                  el.designation.c_str(), el.name.c_str(), cd.year, cd.month, cd.day, static_cast<int>(tod.hour),
                  static_cast<int>(tod.minute), bestMag, bestAlt, bestRA, bestDec, GalacticLatitudeDeg(bestRA, bestDec),
                  rate);
    }
  }
  return 0;
}

}  // namespace skarvel::demo
