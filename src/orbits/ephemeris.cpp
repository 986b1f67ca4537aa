#include "orbits/ephemeris.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>

#include "astrometry/info_list.h"
#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/file_system.h"
#include "foundations/strings.h"
#include "orbits/minor_body.h"
#include "orbits/orbit_fit.h"

namespace skarvel {

namespace {

constexpr std::size_t kLineWidth = 80;

std::string BlankLine() {
  return std::string(kLineWidth, ' ');
}

std::string TwoDigits(long long v) {
  return PadWith(std::to_string(v), 2, '0');
}

}  // namespace

std::string_view ElementSourceName(ElementSource source) {
  static constexpr std::array<std::string_view, 7> kNames = {
      "Lowell Orbit Database", "MPC Orbit Database",   "MPC Comet File",      "TARNE Orbit File",
      "FIND_ORB Generated",    "User Saved Elements", "Element Input Dialog"};
  const auto k = static_cast<std::size_t>(source);
  return k < kNames.size() ? kNames[k] : std::string_view{};
}

void CurrentElements::Set(const OrbitElements& el, const OrbitCodes& recordCodes, ElementSource from,
                          double dateTime) {
  valid = true;
  fit.reset();
  elements = el;
  codes = recordCodes;
  source = from;
  databaseDateTime = dateTime;
}

void EphemerisParams::SetEquinox(EquinoxChoice choice) {
  equinox = choice;
  const EquinoxHeader h = EquinoxOf(choice, start.GetJD());
  equinoxKind = h.kind;
  equinoxJD = h.jd;
}

EphemerisParams DefaultEphemerisParams(double nowDateTime) {
  EphemerisParams p;
  p.start.SetDateTime(std::floor(nowDateTime) + 1);
  p.SetEquinox(EquinoxChoice::kJ2000);
  return p;
}

SiteLocation SiteLocationOf(const SiteRecord& site) {
  return SiteLocation{static_cast<long double>(site.longitudeDeg) * kRadiansPerDegree,
                      static_cast<long double>(site.latitudeDeg) * kRadiansPerDegree,
                      static_cast<long double>(site.altitudeM)};
}

bool GenerateEphemeris(const OrbitElements& elements, const SiteRecord& site, const EphemerisParams& params,
                       RecordList<EphemerisRecord>& table, const KeplerErrorReporter& reporter) {
  table.Clear();
  MinorBody body(MinorBody::kAstrometric, site, elements, nullptr, reporter);
  const SiteLocation where = SiteLocationOf(site);
  long double t = params.start.GetJD();
  bool ok = true;
  for (int k = 0; k < params.points; ++k) {
    GeocentricPlace g = body.Geocentric(t);
    if (g.error || body.Error()) {
      ok = false;
      break;
    }
    const long double mag = body.Magnitude(t);
    // Altitude and azimuth belong to the equator of date: the place of the
    // chosen equinox would tilt the horizon by the precession since that
    // equinox (0.3 deg for J2000 in 2026).
    const SkyCoord ofDate = Topocentric(EclipticToEquatorial(g.coord), g.deltaAu * kEphemerisAuKm, where, t);
    const HorizontalPlace horizon = Horizontal(ofDate, where, t);
    PrecessEcliptic(g.coord, params.equinoxKind, params.equinoxJD);
    const SkyCoord geocentric = EclipticToEquatorial(g.coord);
    const SkyCoord topo = Topocentric(geocentric, g.deltaAu * kEphemerisAuKm, where, t);
    EphemerisRecord rec;
    rec.dateTime = DaysToDateTime(t - kJulianDateOffset);
    const long double ra = topo.angle1 * 12 / kPi;
    rec.raHours = ra < 0 ? WrapInto(ra, 24) : ra;
    rec.decDeg = topo.angle2 * kDegreesPerRadian;
    rec.deltaAu = g.deltaAu;
    rec.magnitude = mag;
    rec.altitudeDeg = horizon.altitude * kDegreesPerRadian;
    rec.azimuthDeg = horizon.azimuth * kDegreesPerRadian;
    table.Append(rec);
    t += params.stepDays;
  }
  table.Reset();
  return ok;
}

namespace {

/// "Longitude: 111° 35' 58.1" W" style text of one coordinate.
std::string AngleText(const std::string& degrees, const std::string& minutes, const std::string& seconds) {
  std::string s = degrees;
  s += kDegreeSign;
  s += ' ';
  if (!minutes.empty()) s += minutes + "' ";
  if (!seconds.empty()) s += seconds + "\"";
  return s;
}

}  // namespace

std::vector<std::string> SiteLines(const SiteRecord& site) {
  std::vector<std::string> lines;
  std::string code = "Observatory Code " + (site.code.empty() ? std::string("XXX") : site.code);
  if (!site.name.empty()) code += " (" + site.name + ")";
  lines.push_back(code);
  lines.push_back("Longitude: " + AngleText(site.lonDegrees, site.lonMinutes, site.lonSeconds) +
                  (site.west ? " W" : " E") + "    Latitude:  " +
                  AngleText(site.latDegrees, site.latMinutes, site.latSeconds) + (site.north ? " N" : " S"));
  const long double zone = site.timeZoneHours;
  lines.push_back("Altitude: " + FormatFixed(1, site.altitudeM) + "m" + "    Time Zone: " + (zone >= 0 ? "+" : "") +
                  FormatFixed(1, zone));
  return lines;
}

namespace {

constexpr std::string_view kAten = "Aten Group Asteriod (a < 1.0 AU).";
constexpr std::string_view kApollo = "Apollo Group Asteroid (a > 1.0 AU; 0 < q < 1.0).";
constexpr std::string_view kAmor = "Amor Group Asteroid (a > 1.0167 AU; 1.0167 < q < 1.3).";
constexpr std::string_view kEccentricityAssumed = "Eccentricity assumed.";
constexpr std::string_view kHUnknown = "H is unknown.  H = 14 assumed.";

}  // namespace

std::vector<std::string> OrbitNotes(ElementSource source, const OrbitCodes& codes) {
  std::vector<std::string> notes;
  if (source == ElementSource::kLowell) {
    static constexpr std::array<std::string_view, 5> kCode1 = {
        kAten, kApollo, kAmor, "Crosses Mars Orbit (1.3 < q < 1.6660 AU).", "Crosses Outer-Planet Orbit."};
    for (std::size_t b = 0; b < kCode1.size(); ++b)
      if ((static_cast<unsigned>(codes[0]) >> b) & 1U) notes.emplace_back(kCode1[b]);
    static constexpr std::array<std::string_view, 8> kCode2 = {
        "Orbit derived from uncertainly (erroneously?) linked observations.",
        kEccentricityAssumed,
        "Eccentricity and semi-major axis assumed.",
        "Omitted observations have degraded OQP by more than 0.1.",
        "OQP degrades by more than 0.1 if unsubstantiated observations omitted.",
        "Orbit derived from data containing observations not in MPC files.",
        kHUnknown,
        "Asteroid sought, but not found."};
    for (std::size_t b = 0; b < kCode2.size(); ++b)
      if ((static_cast<unsigned>(codes[1]) >> b) & 1U) notes.emplace_back(kCode2[b]);
    static constexpr std::array<std::string_view, 6> kCritical = {
        "Lost Asteroid!",
        "Observed at Only Two Apparitions!",
        "Observed at Only Three Apparitions!",
        "Last Observed More Than 10 Years Ago!",
        "Observed Only 1 Night in Last 10 Years!",
        "Poorly Observed Asteroid!"};
    if (codes[3] >= 1 && codes[3] <= 6) notes.push_back("MPC Critical List - " + std::string(kCritical[codes[3] - 1]));
    if (codes[3] == 7) notes.emplace_back("Absolute Magnitude Poorly Known.");
    if (codes[5] != 0) notes.push_back("Importance of Additional/Frequent Observations: " + std::to_string(codes[5]));
  } else if (source == ElementSource::kMpc) {
    switch (codes[4]) {
      case 2: notes.emplace_back(kAten); break;
      case 3: notes.emplace_back(kApollo); break;
      case 4: notes.emplace_back(kAmor); break;
      case 5: notes.emplace_back("Crosses Mars Orbit (q < 1.381 AU)"); break;
      case 6: notes.emplace_back("Crosses Mars Orbit (q < 1.523 AU)"); break;
      case 7: notes.emplace_back("Crosses Mars Orbit (q < 1.665 AU)"); break;
      case 8: notes.emplace_back("Hilda Group Asteroid (3.7 < a < 4.2)."); break;
      case 9: notes.emplace_back("Jupiter Trojan (5.05 < a < 5.40)."); break;
      case 10: notes.emplace_back("Centaur Object."); break;
      case 14: notes.emplace_back("Plutino Object."); break;
      case 15: notes.emplace_back("Other Resonant TNO."); break;
      case 16: notes.emplace_back("Cubewano Object."); break;
      case 17: notes.emplace_back("Scattered Disk Object."); break;
      default: break;
    }
    if (codes[2] & 32U) notes.emplace_back("1-opposition object seen at earlier opposition.");
    if (codes[2] & 64U) notes.emplace_back("MPC Critical List Numbered Asteroid!");
    if (codes[2] & 128U) notes.emplace_back("Potentially Hazardous Asteroid (PHA)!");
    if (codes[1] & 2U) notes.emplace_back(kEccentricityAssumed);
    if (codes[1] & 64U) notes.emplace_back(kHUnknown);
    if (codes[5] > 2) notes.push_back("Orbital Uncertainty Parameter (U) = " + std::to_string(codes[5]));
  }
  return notes;
}

std::vector<std::string> OrbitNoteLines(ElementSource source, const OrbitCodes& codes) {
  bool shown = false;
  if (source == ElementSource::kLowell) shown = codes[0] != 0 || codes[1] != 0 || codes[3] != 0 || codes[5] != 0;
  if (source == ElementSource::kMpc) shown = codes[1] != 0 || codes[2] != 0 || codes[4] != 0 || codes[5] > 2;
  std::vector<std::string> lines;
  if (!shown) return lines;
  lines.push_back(BlankLine());
  lines.emplace_back("*** Orbit Notes ***");
  lines.push_back(BlankLine());
  for (std::string& note : OrbitNotes(source, codes)) lines.push_back(std::move(note));
  return lines;
}

std::string FractionalDateText(long double jd) {
  // Julian dates of 0001 January 1 and 9999 December 31, 24h: the calendar's range.
  constexpr long double kFirstCalendarJD = 1721425.5L;
  constexpr long double kLastCalendarJD = 5373484.5L;
  if (!(jd >= kFirstCalendarJD && jd < kLastCalendarJD)) return "----/--/--.-----";
  const long double units = std::nearbyint((jd - kJulianDateOffset) * 100000.0L);
  const long double wholeDays = std::floor(units / 100000.0L);
  const auto fraction = static_cast<long long>(units - wholeDays * 100000.0L);
  const CalendarDate date = DecodeDate(DaysToDateTime(wholeDays));
  char text[48];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d.%05lld", static_cast<int>(date.year), date.month, date.day,
                fraction);
  return text;
}

std::vector<std::string> OsculatingElementLines(const CurrentElements& current) {
  const OrbitElements& el = current.elements;
  std::vector<std::string> lines = {BlankLine(), BlankLine(), "Osculating Orbital Elements:", BlankLine()};
  std::string source = "Source: " + std::string(ElementSourceName(current.source));
  if (current.source == ElementSource::kLowell || current.source == ElementSource::kMpc)
    source += " - " + PrintDateTimeText(current.databaseDateTime);
  lines.push_back(source);
  const auto row = [&](std::string_view a, std::string_view b, std::string_view c) {
    std::string line = BlankLine();
    PutAt(line, 1, a);
    PutAt(line, 23, b);
    if (!c.empty()) PutAt(line, 45, c);
    lines.push_back(line);
  };
  static constexpr std::array<std::string_view, 5> kReference = {"B1900.0", "B1950.0", "J2000.0", "J2050.0",
                                                                 "True of Date"};
  const std::string_view reference = el.equinoxIndex < kReference.size() ? kReference[el.equinoxIndex] : "";
  std::string epoch = FractionalDateText(el.epoch);
  epoch.resize(epoch.size() - 4);
  row("Reference: " + std::string(reference), "Epoch: " + epoch + " TDT  (" + FormatFixed(1, el.epoch) + ")", "");
  row("a: " + FormatFixedTrim(7, el.a / kAstronomicalUnitKm) + " AU",
      "q: " + FormatFixedTrim(7, el.q / kAstronomicalUnitKm) + " AU", "e: " + FormatFixedTrim(7, el.e));
  const auto deg = [](long double rad) { return FormatFixedTrim(5, rad * kDegreesPerRadian) + " deg"; };
  row("Incl: " + deg(el.i), "Node: " + deg(el.node), "Peri: " + deg(el.peri));
  row("Lng P: " + deg(LongPerihelion(el)), "L: " + deg(MeanLongitude(el)), "M: " + deg(el.M));
  row("P: " + FormatFixedTrim(2, PeriodYears(el)) + " years",
      "T: " + FractionalDateText(el.T) + " TDT  (" + FormatFixed(5, el.T) + ")", "");
  if (el.magModel == kMagModelAsteroid) row("H: " + FormatFixed(2, el.H), "G: " + FormatFixed(2, el.G), "");
  return lines;
}

std::string EphemerisTableLine(const EphemerisRecord& r) {
  std::string line = BlankLine();
  // The instant rounded to the nearest second, then split.
  const long double seconds = std::nearbyint(DateTimeToDays(r.dateTime) * kSecondsPerDay);
  const long double days = std::floor(seconds / kSecondsPerDay);
  const auto ofDay = static_cast<long long>(seconds - days * kSecondsPerDay);
  const CalendarDate date = DecodeDate(DaysToDateTime(days));
  PutAt(line, 1, PadWith(std::to_string(date.year), 4, '0'));
  PutAt(line, 6, TwoDigits(date.month));
  PutAt(line, 9, TwoDigits(date.day));
  PutAt(line, 14, TwoDigits(ofDay / 3600));
  PutAt(line, 17, TwoDigits(ofDay / 60 % 60));
  PutAt(line, 20, TwoDigits(ofDay % 60));
  const SexagesimalRec ra = SplitRounded(r.raHours, 1);
  PutAt(line, 25, TwoDigits(ra.degrees));
  PutAt(line, 28, TwoDigits(ra.minutes));
  PutAt(line, 31, PadWith(FormatFixed(1, ra.seconds), 4, '0'));
  const SexagesimalRec dec = SplitRounded(r.decDeg, 0);
  PutAt(line, 38, dec.sign < 0 ? "-" : "+");
  PutAt(line, 39, TwoDigits(dec.degrees));
  PutAt(line, 42, TwoDigits(dec.minutes));
  PutAt(line, 45, PadWith(FormatFixed(0, dec.seconds), 2, '0'));
  if (r.magnitude < 30) PutAt(line, 50, PadLeft(FormatFixed(1, r.magnitude), 4));
  PutAt(line, 56, PadLeft(FormatFixed(3, r.deltaAu), 6));
  PutAt(line, 64, PadLeft(FormatFixed(2, r.altitudeDeg), 6));
  PutAt(line, 72, PadLeft(FormatFixed(2, r.azimuthDeg), 7));
  if (r.hasSigma) {
    line += PadLeft(FormatFixed(1, r.sigmaMajorArcsec), 10);
    line += PadLeft(FormatFixed(1, r.sigmaMinorArcsec), 10);
    line += PadLeft(FormatFixed(0, r.sigmaPaDeg), 6);
  }
  return line;
}

std::vector<std::string> EphemerisReport(const CurrentElements& current, const SiteRecord& site,
                                         const EphemerisParams& params, RecordList<EphemerisRecord>& table) {
  const OrbitElements& el = current.elements;
  std::vector<std::string> lines;
  if (el.origin == kOriginMinorPlanet && !el.designation.empty())
    lines.push_back("Body: (" + el.designation + ") " + el.name);
  else
    lines.push_back("Body: " + el.name);
  lines.push_back(BlankLine());
  lines.emplace_back("Topocentric astrometric ephemerides computed for");
  for (std::string& s : SiteLines(site)) lines.push_back(std::move(s));
  lines.push_back(BlankLine());
  if (params.equinox == EquinoxChoice::kOfDate)
    lines.emplace_back("True Equator and Equinox of Date");
  else
    lines.push_back("Mean Equator and Equinox of " +
                    std::string(kEquinoxChoices[static_cast<std::size_t>(params.equinox)].name));
  lines.push_back(BlankLine());
  bool withSigma = false;
  for (std::int32_t k = 0; k <= table.LastIndex(); ++k) withSigma = withSigma || table.GetAt(k)->hasSigma;
  for (std::string& s : EphemerisTableHeader(withSigma)) lines.push_back(std::move(s));
  for (std::int32_t k = 0; k <= table.LastIndex(); ++k) lines.push_back(EphemerisTableLine(*table.GetAt(k)));
  table.Reset();
  if (withSigma) {
    lines.push_back(BlankLine());
    lines.emplace_back(kEphemerisSigmaNote);
    lines.emplace_back(kFitTwoBodyNote);
  }
  if (current.source == ElementSource::kLowell || current.source == ElementSource::kMpc)
    for (std::string& s : OrbitNoteLines(current.source, current.codes)) lines.push_back(std::move(s));
  for (std::string& s : OsculatingElementLines(current)) lines.push_back(std::move(s));
  return lines;
}

std::vector<std::string> EphemerisTableHeader(bool withSigma) {
  std::string units = "Yr   M  D    H  M  S    Hr Mn Sec     d  '  \"    Mag    (AU)    (Deg)    (Deg)";
  units.replace(38, 1, kDegreeSign);
  std::string names = "Date         Time(TDT)  Right Ascn. Declination  App.   Delta    Alt     Az(E)";
  if (withSigma) {
    // Above the two semi-axes and the position angle of the table lines,
    // which follow their 80 characters.
    names.resize(80, ' ');
    units.resize(80, ' ');
    names += "      1-Sigma Ellipse     ";
    units += "  Major(\")  Minor(\")    PA";
  }
  return {names, units};
}

std::string NumberedFileName(const std::string& folder, std::string_view prefix, std::string_view extension) {
  const std::string dir = folder.empty() ? std::string() : fs::WithTrailingSeparator(folder);
  std::string name;
  for (int k = 1; k <= 999; ++k) {
    char number[8];
    std::snprintf(number, sizeof number, "%03d", k);
    name = std::string(prefix) + number + std::string(extension);
    if (!fs::FileExists(dir + name)) return name;
  }
  return name;
}

}  // namespace skarvel
