// The ephemeris table and the "VORN Ephemeris Report".
//
// Accuracy references:
// - JPL Horizons, (1) Ceres (shared data/ephemeris, copied to
//   tests/data/ephemeris): osculating elements at four dates in June-July
//   2022 and the geocentric astrometric (ICRF) RA/Dec on the same dates.
// - PyEphem 4.1.4 topocentric astrometric places and astropy 5.2 AltAz of the
//   same places (tests/data/orbits/pyephem_topocentric.csv, made by
//   `cd tests/data/orbits && /usr/bin/python3 make_topocentric_reference.py`).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/strings.h"
#include "orbits/ephemeris.h"
#include "orbits/minor_body.h"
#include "orbits/orbit_fit.h"
#include "orbits/orbit_records.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

const std::string kData = SKARVEL_TEST_DATA_DIR;

/// A site at the Earth's centre: height -a on the equator makes rho = 0, so
/// the topocentric place is the geocentric one.
SiteRecord Geocentre() {
  SiteRecord s;
  s.altitudeM = -6378140.0f;
  return s;
}

double SeparationArcsec(double ra1Deg, double dec1Deg, double ra2Deg, double dec2Deg) {
  const double d2r = 3.14159265358979323846 / 180;
  const double a1 = ra1Deg * d2r, d1 = dec1Deg * d2r, a2 = ra2Deg * d2r, d2 = dec2Deg * d2r;
  const double x = std::cos(d1) * std::sin(a1 - a2);
  const double y = std::cos(d2) * std::sin(d1) - std::sin(d2) * std::cos(d1) * std::cos(a1 - a2);
  const double c = std::sin(d1) * std::sin(d2) + std::cos(d1) * std::cos(d2) * std::cos(a1 - a2);
  return std::atan2(std::hypot(x, y), c) / d2r * 3600;
}

std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> out;
  std::stringstream s(line);
  std::string f;
  while (std::getline(s, f, ',')) {
    while (!f.empty() && f.front() == ' ') f.erase(0, 1);
    while (!f.empty() && f.back() == ' ') f.pop_back();
    out.push_back(f);
  }
  return out;
}

/// The $$SOE..$$EOE lines of a Horizons file.
std::vector<std::vector<std::string>> HorizonsRows(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line.rfind("$$SOE", 0) == 0) {
      inside = true;
    } else if (line.rfind("$$EOE", 0) == 0) {
      inside = false;
    } else if (inside) {
      rows.push_back(CsvFields(line));
    }
  }
  return rows;
}

/// Record k of a table (a default record when there is none).
EphemerisRecord At(RecordList<EphemerisRecord>& table, std::int32_t k) {
  const EphemerisRecord* r = table.GetAt(k);
  return r != nullptr ? *r : EphemerisRecord{};
}

EphemerisParams ParamsAt(long double jd, int points, long double step, EquinoxChoice equinox) {
  EphemerisParams p;
  p.start.SetJD(jd);
  p.points = points;
  p.stepDays = step;
  p.SetEquinox(equinox);
  return p;
}

TEST(EphemerisAccuracy, CeresAgainstHorizonsWithinTwoWeeksOfEachEpoch) {
  const auto elements = HorizonsRows(kData + "/ephemeris/horizons_ceres_elements_range.txt");
  const auto places = HorizonsRows(kData + "/ephemeris/horizons_ceres_ephemerides_range.txt");
  ASSERT_EQ(elements.size(), 4u);
  ASSERT_EQ(places.size(), 4u);
  double worst = 0;
  int compared = 0;
  for (const auto& row : elements) {
    // JDTDB, date, EC, QR, IN, OM, W, Tp, N, MA, TA, A, AD, PR.
    OrbitElements el;
    SetAsteroidDefaults(el);
    el.name = "Ceres";
    el.designation = "1";
    el.epoch = std::stold(row[0]);
    el.e = std::stold(row[2]);
    el.i = std::stold(row[4]) * kRadiansPerDegree;
    el.node = std::stold(row[5]) * kRadiansPerDegree;
    el.peri = std::stold(row[6]) * kRadiansPerDegree;
    el.M = std::stold(row[9]) * kRadiansPerDegree;
    el.a = std::stold(row[11]) * kAstronomicalUnitKm;
    el.H = 3.33L;
    el.G = 0.12L;
    QFromA(el);
    MeanMotion(el);
    TFromM(el);
    for (const auto& place : places) {
      const long double jd = std::stold(place[1]);
      if (std::fabs(jd - el.epoch) > 14) continue;
      RecordList<EphemerisRecord> table;
      ASSERT_TRUE(GenerateEphemeris(el, Geocentre(), ParamsAt(jd, 1, 1, EquinoxChoice::kJ2000), table));
      const EphemerisRecord r = At(table, 0);
      const double sep = SeparationArcsec(static_cast<double>(r.raHours) * 15, static_cast<double>(r.decDeg),
                                          std::stod(place[4]), std::stod(place[5]));
      EXPECT_LT(sep, 5.0) << "elements of " << row[1] << " at JD " << place[1];
      // Horizons' delta (AU) is the light-time distance; the table's the geometric one: 1e-4 AU apart at most.
      EXPECT_NEAR(static_cast<double>(r.deltaAu), std::stod(place[39]), 2e-4);
      worst = std::max(worst, sep);
      ++compared;
    }
  }
  EXPECT_EQ(compared, 10);
  std::cout << "Ceres against Horizons: " << compared << " places, worst " << worst << " arcsec\n";
}

struct TopoRow {
  int line = 0;
  int site = 0;
  long double jd = 0;
  double ra = 0, dec = 0, alt = 0, az = 0;
};

TEST(EphemerisAccuracy, TopocentricPlacesAgainstPyEphemAndHorizonAgainstAstropy) {
  std::vector<OrbitElements> objects;
  {
    std::ifstream in(kData + "/orbits/MPCORB_format_NEA_excerpt.txt");
    std::string line;
    OrbitCodes codes{};
    while (objects.size() < 20 && std::getline(in, line)) {
      OrbitElements el;
      SetAsteroidDefaults(el);
      ParseMpcorbLine(line, el, codes);
      objects.push_back(el);
    }
  }
  ASSERT_EQ(objects.size(), 20u);
  std::vector<SiteRecord> sites(2);
  sites[0].longitudeDeg = -111.5997f;
  sites[0].latitudeDeg = 31.9583f;
  sites[0].altitudeM = 2096;
  sites[1].longitudeDeg = 20.8108f;
  sites[1].latitudeDeg = -32.3794f;
  sites[1].altitudeM = 1798;
  std::ifstream in(kData + "/orbits/pyephem_topocentric.csv");
  std::string text;
  std::getline(in, text);
  double worstPlace = 0, worstAlt = 0, worstAz = 0;
  int rows = 0;
  while (std::getline(in, text)) {
    const auto f = CsvFields(text);
    TopoRow r{std::stoi(f[0]), std::stoi(f[1]), std::stold(f[2]), std::stod(f[3]), std::stod(f[4]),
              std::stod(f[5]), std::stod(f[6])};
    const OrbitElements& el = objects[static_cast<std::size_t>(r.line - 1)];
    const SiteRecord& site = sites[static_cast<std::size_t>(r.site)];
    RecordList<EphemerisRecord> table;
    ASSERT_TRUE(GenerateEphemeris(el, site, ParamsAt(r.jd, 1, 1, EquinoxChoice::kJ2000), table));
    const EphemerisRecord e = At(table, 0);
    // Seen from a body near the Earth the solar series' 1" error grows as 1 / Delta.
    const double limit = std::max(5.0, 2.5 / static_cast<double>(e.deltaAu));
    const double sep = SeparationArcsec(static_cast<double>(e.raHours) * 15, static_cast<double>(e.decDeg), r.ra, r.dec);
    EXPECT_LT(sep, limit) << "line " << r.line << " site " << r.site << " JD " << f[2];
    if (limit == 5.0) worstPlace = std::max(worstPlace, sep);
    EXPECT_NEAR(static_cast<double>(e.altitudeDeg), r.alt, 0.01) << "line " << r.line << " JD " << f[2];
    double dAz = std::fabs(static_cast<double>(e.azimuthDeg) - r.az);
    if (dAz > 180) dAz = 360 - dAz;
    // Azimuth differences are great circles only after the factor cos(alt).
    EXPECT_LT(dAz * std::cos(r.alt * 3.14159265358979323846 / 180), 0.01) << "line " << r.line << " JD " << f[2];
    worstAlt = std::max(worstAlt, std::fabs(static_cast<double>(e.altitudeDeg) - r.alt));
    worstAz = std::max(worstAz, dAz * std::cos(r.alt * 3.14159265358979323846 / 180));
    ++rows;
  }
  EXPECT_EQ(rows, 240);
  std::cout << "PyEphem topocentric: " << rows << " rows, worst " << worstPlace << " arcsec (Delta > 0.5 AU); astropy "
            << "altitude " << worstAlt * 3600 << " arcsec, azimuth x cos(alt) " << worstAz * 3600 << " arcsec\n";
}

TEST(Ephemeris, OfDateUsesTheStartForEveryLine) {
  std::ifstream in(kData + "/orbits/MPCORB_format_NEA_excerpt.txt");
  std::string line;
  std::getline(in, line);
  OrbitElements el;
  SetAsteroidDefaults(el);
  OrbitCodes codes{};
  ParseMpcorbLine(line, el, codes);
  const long double start = 2458666.5L;
  const EphemerisParams params = ParamsAt(start, 4, 3650, EquinoxChoice::kOfDate);
  EXPECT_EQ(params.equinoxKind, EquinoxKind::kOfDate);
  EXPECT_EQ(params.equinoxJD, start);
  RecordList<EphemerisRecord> table;
  ASSERT_TRUE(GenerateEphemeris(el, Geocentre(), params, table));
  ASSERT_EQ(table.Size(), 4u);
  EXPECT_EQ(table.CurrentIndex(), -1);
  for (std::int32_t k = 0; k < 4; ++k) {
    const long double t = start + 3650.0L * k;
    MinorBody body(MinorBody::kAstrometric, SiteRecord{}, el);
    const EquatorialPlace atStart = AstrometricEquatorial(body, t, EquinoxKind::kOfDate, start);
    const EquatorialPlace atLine = AstrometricEquatorial(body, t, EquinoxKind::kOfDate, t);
    const EphemerisRecord r = At(table, k);
    EXPECT_NEAR(static_cast<double>(r.raHours), static_cast<double>(atStart.raRad * 12 / kPi), 1e-9);
    EXPECT_NEAR(static_cast<double>(r.decDeg), static_cast<double>(atStart.decRad * kDegreesPerRadian), 1e-9);
    // Ten years of precession later the line's own equinox is 8 arc minutes away.
    if (k > 0) {
      EXPECT_GT(std::fabs(static_cast<double>((atLine.raRad - atStart.raRad) * 12 / kPi)), 1e-3);
    }
    EXPECT_DOUBLE_EQ(r.dateTime, static_cast<double>(t - kJulianDateOffset));
  }
  const CurrentElements current{true, el, codes, ElementSource::kElementDialog, 0, nullptr};
  const auto report = EphemerisReport(current, SiteRecord{}, params, table);
  EXPECT_EQ(report[7], "True Equator and Equinox of Date");
}

TEST(Ephemeris, KeplerFailureKeepsThePointsBeforeIt) {
  // A near-parabolic orbit whose series blows up far from perihelion.
  OrbitElements el;
  SetCometDefaults(el);
  el.name = "C/Test";
  el.e = 1.0199L;
  el.q = 0.02L * kAstronomicalUnitKm;
  el.T = 2451545.0L;
  el.epoch = 2451545.0L;
  AFromQ(el);
  MeanMotion(el);
  MFromT(el);
  testing::ScriptedPlatform ui;
  RecordList<EphemerisRecord> table;
  const bool ok = GenerateEphemeris(el, SiteRecord{}, ParamsAt(2451545.0L, 40, 2000, EquinoxChoice::kJ2000), table,
                                    KeplerErrorReporter{&ui, false});
  if (ok) GTEST_SKIP() << "the series converged for every point";
  EXPECT_GT(table.Size(), 0u);
  EXPECT_LT(table.Size(), 40u);
  ASSERT_FALSE(ui.Messages().empty());
  EXPECT_EQ(ui.Messages().back().caption, "*** Orbit Calculation Error! ***");
}

EphemerisRecord Row(int year, int month, int day, int h, int m, double s, long double ra, long double dec,
                    long double mag, long double delta, long double alt, long double az) {
  EphemerisRecord r;
  r.dateTime = *EncodeDateTime(year, month, day, h, m, s);
  r.raHours = ra;
  r.decDeg = dec;
  r.magnitude = mag;
  r.deltaAu = delta;
  r.altitudeDeg = alt;
  r.azimuthDeg = az;
  return r;
}

TEST(EphemerisReport, TableLinesColumnByColumn) {
  // 2010/07/23 05:06:59.6 carries into 05:07:00; RA 1h 02m 03.04s; Dec -0 30' 0".
  EXPECT_EQ(EphemerisTableLine(Row(2010, 7, 23, 5, 6, 59.6, 1 + 2 / 60.0L + 3.04L / 3600, -0.5L, 12.345L, 1.23456L,
                                   45.678L, -123.456L)),
            "2010 07 23   05 07 00   01 02 03.0   -00 30 00   12.3   1.235   45.68  -123.46  ");
  // Magnitude 30 and the model-less 100 leave the columns blank; 29.94 shows.
  const std::string faint =
      EphemerisTableLine(Row(2026, 1, 2, 23, 59, 59.7, 23.99999L, 89.9999L, 30, 12.5L, -5.0L, 0.0L));
  EXPECT_EQ(faint, "2026 01 03   00 00 00   24 00 00.0   +90 00 00         12.500   -5.00     0.00  ");
  EXPECT_EQ(faint.substr(49, 4), "    ");
  EXPECT_EQ(EphemerisTableLine(Row(2026, 1, 2, 0, 0, 0, 0, 0, 100, 1, 0, 0)).substr(49, 4), "    ");
  EXPECT_EQ(EphemerisTableLine(Row(2026, 1, 2, 0, 0, 0, 0, 0, 29.94L, 1, 0, 0)).substr(49, 4), "29.9");
  EXPECT_EQ(EphemerisTableLine(Row(2026, 1, 2, 0, 0, 0, 0, 0, 5.04L, 1, 0, 0)).substr(49, 4), " 5.0");
  EXPECT_EQ(EphemerisTableLine(Row(2026, 1, 2, 0, 0, 0, 0, 0, 5.04L, 1, 0, 0)).size(), 80u);
}

SiteRecord KittPeak() {
  SiteRecord s;
  s.name = "Kitt Peak";
  s.code = "695";
  s.lonDegrees = "111";
  s.lonMinutes = "35";
  s.lonSeconds = "58.1";
  s.west = true;
  s.latDegrees = "31";
  s.latMinutes = "57";
  s.latSeconds = "30";
  s.north = true;
  s.longitudeDeg = -111.59947f;
  s.latitudeDeg = 31.958333f;
  s.altitudeM = 2096;
  s.timeZoneHours = -7;
  return s;
}

TEST(EphemerisReport, SiteLinesCodeZoneAndMissingParts) {
  EXPECT_EQ(SiteLines(KittPeak()),
            (std::vector<std::string>{"Observatory Code 695 (Kitt Peak)",
                                      "Longitude: 111\xB0 35' 58.1\" W    Latitude:  31\xB0 57' 30\" N",
                                      "Altitude: 2096.0m    Time Zone: -7.0"}));
  SiteRecord bare;
  bare.lonDegrees = "20";
  bare.latDegrees = "32";
  bare.north = false;
  bare.timeZoneHours = 0;
  EXPECT_EQ(SiteLines(bare), (std::vector<std::string>{"Observatory Code XXX",
                                                       "Longitude: 20\xB0  E    Latitude:  32\xB0  S",
                                                       "Altitude: 0.0m    Time Zone: +0.0"}));
  bare.timeZoneHours = 5.5f;
  EXPECT_EQ(SiteLines(bare)[2], "Altitude: 0.0m    Time Zone: +5.5");
}

OrbitElements RoundElements() {
  OrbitElements el;
  SetAsteroidDefaults(el);
  el.name = "Ceres";
  el.designation = "1";
  el.a = 2.5L * kAstronomicalUnitKm;
  el.e = 0.1L;
  el.i = 10 * kRadiansPerDegree;
  el.node = 80 * kRadiansPerDegree;
  el.peri = 70 * kRadiansPerDegree;
  el.M = 30 * kRadiansPerDegree;
  el.epoch = 2455400.5L;
  el.H = 3.34L;
  el.G = 0.12L;
  QFromA(el);
  MeanMotion(el);
  TFromM(el);
  return el;
}

TEST(EphemerisReport, ThePlacesUncertaintyFollowsTheEightyColumns) {
  EphemerisRecord r = Row(2010, 7, 23, 5, 6, 59.6, 1 + 2 / 60.0L + 3.04L / 3600, -0.5L, 12.345L, 1.23456L, 45.678L,
                          -123.456L);
  const std::string plain = EphemerisTableLine(r);
  r.hasSigma = true;
  r.sigmaMajorArcsec = 1234.56L;
  r.sigmaMinorArcsec = 0.04L;
  r.sigmaPaDeg = 179.6L;
  const std::string line = EphemerisTableLine(r);
  EXPECT_EQ(line, plain + "    1234.6       0.0   180");
  r.sigmaMajorArcsec = 123456789.0L;  // wider than its column: the line grows, nothing is cut
  EXPECT_EQ(EphemerisTableLine(r).substr(80), "123456789.0       0.0   180");
  // The headings stand over their columns.
  const std::vector<std::string> header = EphemerisTableHeader(true);
  ASSERT_EQ(header.size(), 2u);
  EXPECT_EQ(header[0], EphemerisTableHeader()[0] + "  " + "      1-Sigma Ellipse     ");
  EXPECT_EQ(header[1], EphemerisTableHeader()[1] + "  " + "  Major(\")  Minor(\")    PA");
  EXPECT_EQ(header[1].size(), line.size());
  EXPECT_EQ(header[1].rfind("Major(\")") + 8, line.find("1234.6") + 6);

  // A table with uncertainties says what they are and that perturbations are left out.
  CurrentElements current;
  current.Set(RoundElements(), OrbitCodes{}, ElementSource::kElementDialog, 0);
  RecordList<EphemerisRecord> table;
  table.Append(r);
  const auto lines = EphemerisReport(current, KittPeak(), ParamsAt(2461192.5L, 1, 1, EquinoxChoice::kJ2000), table);
  ASSERT_GE(lines.size(), 15u);
  EXPECT_EQ(lines[9], header[0]);
  EXPECT_EQ(lines[10], header[1]);
  EXPECT_EQ(lines[11], EphemerisTableLine(r));
  EXPECT_EQ(lines[12], std::string(80, ' '));
  EXPECT_EQ(lines[13], "Uncertainty: 1-sigma sky-plane ellipse of the orbit fit's linearised covariance.");
  EXPECT_EQ(lines[14], "Two-body orbit about the Sun: planetary perturbations are left out.");
  // Without them: the plain header and no note.
  table.GetAt(0)->hasSigma = false;
  const auto without = EphemerisReport(current, KittPeak(), ParamsAt(2461192.5L, 1, 1, EquinoxChoice::kJ2000), table);
  EXPECT_EQ(without[10], EphemerisTableHeader()[1]);
  EXPECT_EQ(without.size(), lines.size() - 3);
  // Elements set anew leave a fit's covariance behind.
  current.fit = std::make_shared<const FitResult>();
  current.Set(RoundElements(), OrbitCodes{}, ElementSource::kMpc, 0);
  EXPECT_EQ(current.fit, nullptr);
}

TEST(EphemerisReport, WholeReportWithNotesAndElements) {
  CurrentElements current;
  OrbitCodes codes{};
  codes[1] = 2;   // eccentricity assumed
  codes[2] = 64;  // critical list
  codes[4] = 3;   // Apollo
  codes[5] = 5;   // U
  current.Set(RoundElements(), codes, ElementSource::kMpc, *EncodeDateTime(2026, 5, 31, 12, 30, 0));
  RecordList<EphemerisRecord> table;
  table.Append(Row(2026, 6, 1, 0, 0, 0, 12.5L, -10.25L, 8.04L, 1.5L, 30, 150));
  const EphemerisParams params = ParamsAt(2461192.5L, 1, 1, EquinoxChoice::kJ2000);
  const auto lines = EphemerisReport(current, KittPeak(), params, table);
  const std::string blank(80, ' ');
  const auto row = [](std::string a, std::string b, std::string c) {
    std::string line(80, ' ');
    line.replace(0, a.size(), a);
    line.replace(22, b.size(), b);
    if (!c.empty()) line.replace(44, c.size(), c);
    return line;
  };
  // T = epoch - M / n: 30 deg of a 3.95-year period.
  const OrbitElements el = RoundElements();
  const std::vector<std::string> expected = {
      "Body: (1) Ceres",
      blank,
      "Topocentric astrometric ephemerides computed for",
      "Observatory Code 695 (Kitt Peak)",
      "Longitude: 111\xB0 35' 58.1\" W    Latitude:  31\xB0 57' 30\" N",
      "Altitude: 2096.0m    Time Zone: -7.0",
      blank,
      "Mean Equator and Equinox of J2000",
      blank,
      "Date         Time(TDT)  Right Ascn. Declination  App.   Delta    Alt     Az(E)",
      "Yr   M  D    H  M  S    Hr Mn Sec     d  '  \"    Mag    (AU)    (Deg)    (Deg)",
      "2026 06 01   00 00 00   12 30 00.0   -10 15 00    8.0   1.500   30.00   150.00  ",
      blank,
      "*** Orbit Notes ***",
      blank,
      "Apollo Group Asteroid (a > 1.0 AU; 0 < q < 1.0).",
      "MPC Critical List Numbered Asteroid!",
      "Eccentricity assumed.",
      "Orbital Uncertainty Parameter (U) = 5",
      blank,
      blank,
      "Osculating Orbital Elements:",
      blank,
      "Source: MPC Orbit Database - 2026/05/31 12:30:00",
      row("Reference: J2000.0", "Epoch: 2010/07/23.0 TDT  (2455400.5)", ""),
      row("a: 2.5 AU", "q: 2.25 AU", "e: 0.1"),
      row("Incl: 10.0 deg", "Node: 80.0 deg", "Peri: 70.0 deg"),
      row("Lng P: 150.0 deg", "L: 180.0 deg", "M: 30.0 deg"),
      row("P: " + FormatFixedTrim(2, PeriodYears(el)) + " years",
          "T: " + FractionalDateText(el.T) + " TDT  (" + FormatFixed(5, el.T) + ")", ""),
      row("H: 3.34", "G: 0.12", ""),
  };
  std::string units = expected[10];
  units[38] = '\xB0';
  std::vector<std::string> want = expected;
  want[10] = units;
  EXPECT_EQ(lines, want);
  EXPECT_EQ(PeriodYears(el) > 3.9 && PeriodYears(el) < 4.0, true);
  // The perihelion 30 deg of mean anomaly (1/12 of the period) before the epoch.
  EXPECT_NEAR(static_cast<double>(el.T), 2455400.5 - static_cast<double>(PeriodYears(el)) * 365.2422 / 12, 0.01);
}

TEST(EphemerisReport, BodyLineAndSourcesWithoutDate) {
  CurrentElements current;
  OrbitElements el = RoundElements();
  el.designation = "";
  current.Set(el, OrbitCodes{}, ElementSource::kFindOrb, 0);
  RecordList<EphemerisRecord> table;
  const auto lines = EphemerisReport(current, KittPeak(), ParamsAt(2461192.5L, 0, 1, EquinoxChoice::kB1950), table);
  EXPECT_EQ(lines[0], "Body: Ceres");
  EXPECT_EQ(lines[7], "Mean Equator and Equinox of B1950");
  EXPECT_EQ(lines[15], "Source: FIND_ORB Generated");  // no table lines, no notes
  el.designation = "2010 AB";
  el.origin = kOriginComet;
  el.magModel = kMagModelComet;
  current.Set(el, OrbitCodes{}, ElementSource::kCometFile, 0);
  const auto comet = EphemerisReport(current, KittPeak(), ParamsAt(2461192.5L, 0, 1, EquinoxChoice::kJ2050), table);
  EXPECT_EQ(comet[0], "Body: Ceres");
  EXPECT_EQ(comet[7], "Mean Equator and Equinox of J2050");
  EXPECT_EQ(comet.back().substr(0, 6), "P: 3.9");  // no H, G line for the comet model
}

TEST(EphemerisReport, LowellAndMpcNotes) {
  OrbitCodes lowell{};
  lowell[0] = 2 | 8;
  lowell[1] = 64 | 128;
  lowell[3] = 2;
  lowell[5] = 7;
  EXPECT_EQ(OrbitNoteLines(ElementSource::kLowell, lowell),
            (std::vector<std::string>{std::string(80, ' '), "*** Orbit Notes ***", std::string(80, ' '),
                                      "Apollo Group Asteroid (a > 1.0 AU; 0 < q < 1.0).",
                                      "Crosses Mars Orbit (1.3 < q < 1.6660 AU).", "H is unknown.  H = 14 assumed.",
                                      "Asteroid sought, but not found.",
                                      "MPC Critical List - Observed at Only Two Apparitions!",
                                      "Importance of Additional/Frequent Observations: 7"}));
  OrbitCodes seven{};
  seven[3] = 7;
  EXPECT_EQ(OrbitNotes(ElementSource::kLowell, seven), (std::vector<std::string>{"Absolute Magnitude Poorly Known."}));
  // Code 3 and 5 alone are not Lowell notes; U of 2 or less is not an MPC note.
  OrbitCodes quiet{};
  quiet[2] = 255;
  quiet[4] = 9;
  EXPECT_TRUE(OrbitNoteLines(ElementSource::kLowell, quiet).empty());
  OrbitCodes mpcQuiet{};
  mpcQuiet[5] = 2;
  mpcQuiet[0] = 255;
  EXPECT_TRUE(OrbitNoteLines(ElementSource::kMpc, mpcQuiet).empty());
  OrbitCodes mpc{};
  mpc[4] = 11;  // no line of its own, but shows the heading
  mpc[2] = 32 | 128;
  EXPECT_EQ(OrbitNotes(ElementSource::kMpc, mpc),
            (std::vector<std::string>{"1-opposition object seen at earlier opposition.",
                                      "Potentially Hazardous Asteroid (PHA)!"}));
  for (int type : {2, 4, 5, 6, 7, 8, 9, 10, 14, 15, 16, 17}) {
    OrbitCodes c{};
    c[4] = static_cast<std::uint8_t>(type);
    EXPECT_EQ(OrbitNotes(ElementSource::kMpc, c).size(), 1u) << type;
  }
  EXPECT_TRUE(OrbitNoteLines(ElementSource::kTarne, lowell).empty());
}

TEST(EphemerisReport, FractionalDatesAndFileNames) {
  EXPECT_EQ(FractionalDateText(2455400.5L), "2010/07/23.00000");
  EXPECT_EQ(FractionalDateText(2455401.25L), "2010/07/23.75000");
  EXPECT_EQ(FractionalDateText(2455401.4999999L), "2010/07/24.00000");  // rounds into the next day
  testing::TempDir dir;
  EXPECT_EQ(NumberedFileName(dir.Path(), "EPHEM", ".TXT"), "EPHEM001.TXT");
  std::ofstream(dir / "EPHEM001.TXT") << "x";
  std::ofstream(dir / "EPHEM003.TXT") << "x";
  EXPECT_EQ(NumberedFileName(dir.Path(), "EPHEM", ".TXT"), "EPHEM002.TXT");
  std::ofstream(dir / "EPHEM002.TXT") << "x";
  EXPECT_EQ(NumberedFileName(dir.Path(), "EPHEM", ".TXT"), "EPHEM004.TXT");
}

TEST(EphemerisParams, DefaultsAndEquinoxes) {
  const double now = *EncodeDateTime(2026, 12, 9, 7, 30, 0);
  EphemerisParams p = DefaultEphemerisParams(now);
  EXPECT_EQ(p.start.GetJD(), 2461384.5L);  // 2026/12/10 00:00
  EXPECT_EQ(p.points, 10);
  EXPECT_EQ(p.unitsPerDay, 24);
  EXPECT_EQ(p.stepDays, 1.0L / 24);
  EXPECT_EQ(p.equinox, EquinoxChoice::kJ2000);
  p.SetEquinox(EquinoxChoice::kB1900);
  EXPECT_EQ(p.equinoxKind, EquinoxKind::kBesselian);
  EXPECT_EQ(p.equinoxJD, 2415020.3135L);
  p.SetEquinox(EquinoxChoice::kJ2050);
  EXPECT_EQ(p.equinoxJD, 2469807.5L);
}

}  // namespace
}  // namespace skarvel
