// The field search: dialog rules, the box in all three field kinds (through
// 0 h and near the pole), the magnitude and distance limits, the transit
// test, the messages, the results report, the sort orders, loading a result,
// and the equality of the fast and the straightforward scans.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "../../bench/orbits/mpcorb_generator.h"
#include "astrometry/info_list.h"
#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/byte_io.h"
#include "foundations/strings.h"
#include "orbits/minor_body.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "orbits/orbit_search.h"
#include "orbits/orbit_statistics.h"
#include "support/field_bodies.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

constexpr long double kJD = 2461192.5L;  // 2026/06/01 00:00

std::string PadWith0(std::string s) {
  while (s.size() < 4) s.insert(0, "0");
  return s;
}

/// Elements of a body that the Earth sees near (raDeg, decDeg) J2000 at kJD.
OrbitElements BodyAt(const std::string& name, long double raDeg, long double decDeg, long double distanceAu = 1.5L,
                     long double h = 12) {
  return testing::BodySeenAt(name, kJD, raDeg, decDeg, distanceAu, h);
}

/// The J2000 place (degrees) and magnitude the search computes for `el` at
/// kJD, from the elements as the converted file gives them back.
struct Place {
  long double ra, dec, mag, delta;
};
Place PlaceOf(const OrbitElements& el) {
  MinorBody body(MinorBody::kAstrometric, SiteRecord{}, CmoToElements(ElementsToCmo(el)));
  const EquatorialPlace p = AstrometricEquatorial(body, kJD, EquinoxKind::kJulian, kJD_J2000);
  return {p.raRad * kDegreesPerRadian, p.decRad * kDegreesPerRadian, body.Magnitude(kJD), p.deltaAu};
}

/// Writes converted records for `bodies` (codes as given) into `path`.
void WriteCmo(const std::string& path, const std::vector<OrbitElements>& bodies,
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

/// Result k of a search (a default result when there is none).
SearchResult ResultAt(TAstOrbFlSrch& s, std::int32_t k) {
  const SearchResult* r = s.Results().GetAt(k);
  return r != nullptr ? *r : SearchResult{};
}

std::vector<std::string> FoundNames(TAstOrbFlSrch& s) {
  std::vector<std::string> names;
  for (std::int32_t k = 0; k <= s.Results().LastIndex(); ++k) names.push_back(ResultAt(s, k).name);
  s.Results().Reset();
  return names;
}

struct Fixture {
  testing::ScriptedPlatform ui;
  testing::TempDir dir;
  SiteRecord site = DefaultSiteRecord();
  TAstOrbFlSrch search{SearchContext{ui, DefaultSiteRecord(), false}};
  Fixture() { search.Params().instant.SetJD(kJD); }

  std::vector<std::string> Run(const std::vector<OrbitElements>& bodies, ScanStrategy strategy) {
    WriteCmo(dir / "T.CMO", bodies);
    EXPECT_TRUE(search.SearchFile(dir / "T.CMO", ElementSource::kMpc, 0, strategy));
    return FoundNames(search);
  }
};

SearchFieldInput Centre(FieldKind kind, std::string h, std::string m, std::string s, std::string d, std::string dm,
                        std::string ds, std::string size) {
  SearchFieldInput in;
  in.kind = kind;
  in.raHours = std::move(h);
  in.raMinutes = std::move(m);
  in.raSeconds = std::move(s);
  in.decDegrees = std::move(d);
  in.decMinutes = std::move(dm);
  in.decSeconds = std::move(ds);
  in.size = std::move(size);
  return in;
}

SearchFieldInput Limits(std::string raMin, std::string raMax, std::string decMin, std::string decMax) {
  SearchFieldInput in;
  in.kind = FieldKind::kLimits;
  in.raMin = std::move(raMin);
  in.raMax = std::move(raMax);
  in.decMin = std::move(decMin);
  in.decMax = std::move(decMax);
  return in;
}

TEST(SearchInput, CentreSizeAndLimitRules) {
  SearchParams p = DefaultSearchParams(*EncodeDateTime(2026, 12, 9, 7, 0, 0));
  EXPECT_EQ(p.instant.GetJD(), 2461384.5L);
  EXPECT_EQ(p.kind, FieldKind::kDegrees);
  EXPECT_EQ(p.faintMag, 25);
  EXPECT_EQ(p.farAu, 100);
  // -0 degrees with 30 minutes is -0.5 deg; 30 arc minutes give h = 0.25 deg.
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kArcMinutes, "12", "30", "0", "-0", "30", "0", "30"), p));
  EXPECT_NEAR(static_cast<double>(p.centerDecDeg), -0.5, 1e-15);
  EXPECT_NEAR(static_cast<double>(p.centerRaHours), 12.5, 1e-15);
  EXPECT_NEAR(static_cast<double>(p.halfSizeRad * kDegreesPerRadian), 0.25, 1e-15);
  EXPECT_NEAR(static_cast<double>(p.decMinDeg), -0.75, 1e-15);
  EXPECT_NEAR(static_cast<double>(p.raMaxHours - p.raMinHours), 0.5 / 15 / std::cos(0.5 * M_PI / 180), 1e-12);
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kDegrees, "1", "0", "0", "-10", "30", "0", "2"), p));
  EXPECT_NEAR(static_cast<double>(p.centerDecDeg), -10.5, 1e-15);
  EXPECT_NEAR(static_cast<double>(p.halfSizeRad * kDegreesPerRadian), 1.0, 1e-15);
  // Errors, each leaving the parameters as they were.
  const SearchParams before = p;
  EXPECT_EQ(ReadFieldInput(Centre(FieldKind::kDegrees, "24", "0", "1", "0", "0", "0", "1"), p),
            "Error in Right Ascension Value");
  EXPECT_EQ(ReadFieldInput(Centre(FieldKind::kDegrees, "x", "0", "0", "0", "0", "0", "1"), p),
            "Error in Right Ascension Value");
  EXPECT_EQ(ReadFieldInput(Centre(FieldKind::kDegrees, "1", "0", "0", "-90", "0", "1", "1"), p),
            "Error in Declination Value");
  EXPECT_EQ(p.centerDecDeg, before.centerDecDeg);
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kDegrees, "24", "0", "0", "-90", "0", "0", "1"), p));
  // Limits: 23.5 to 0.5 passes through 0 h; 10 to 2 is no window; Dec max must exceed min.
  ASSERT_FALSE(ReadFieldInput(Limits("23.5", "0.5", "-1", "1"), p));
  EXPECT_NEAR(static_cast<double>(p.centerRaHours), 0.0, 1e-15);
  EXPECT_EQ(ReadFieldInput(Limits("10", "2", "-1", "1"), p), "Error in Right Ascension Limit");
  EXPECT_EQ(ReadFieldInput(Limits("10", "10", "-1", "1"), p), "Error in Right Ascension Limit");
  EXPECT_EQ(ReadFieldInput(Limits("1", "24.1", "-1", "1"), p), "Error in Right Ascension Limit");
  EXPECT_EQ(ReadFieldInput(Limits("1", "2", "1", "1"), p), "Error in Declination Limit");
  EXPECT_EQ(ReadFieldInput(Limits("1", "2", "-91", "1"), p), "Error in Declination Limit");
  ASSERT_FALSE(ReadFieldInput(Limits("20", "4", "10", "20"), p));
  EXPECT_NEAR(static_cast<double>(p.centerRaHours), 0.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(p.centerDecDeg), 15.0, 1e-15);
  ASSERT_FALSE(ReadFieldInput(Limits("2", "4", "10", "20"), p));
  EXPECT_NEAR(static_cast<double>(p.centerRaHours), 3.0, 1e-15);
}

TEST(SearchInput, OppositionCentre) {
  SearchParams p;
  p.instant.SetJD(kJD);
  SetOppositionCentre(p);
  const SunPlace sun = SunPosition(kJD, CoordMode::kTrue);
  // Opposite the Sun on the ecliptic: RA = RA(sun) + 12 h, Dec = -Dec(sun).
  const SkyCoord sunEq = EclipticToEquatorial(sun.coord);
  EXPECT_NEAR(static_cast<double>(p.centerRaHours),
              std::fmod(static_cast<double>(NormalizeRadians(sunEq.angle1) * 12 / kPi) + 12, 24.0), 1e-9);
  EXPECT_NEAR(static_cast<double>(p.centerDecDeg), static_cast<double>(-sunEq.angle2 * kDegreesPerRadian), 1e-9);
  EXPECT_NEAR(static_cast<double>(p.halfSizeRad * kDegreesPerRadian), 2.5, 1e-15);
  EXPECT_TRUE(p.opposition);
}

class SearchBox : public ::testing::TestWithParam<ScanStrategy> {};

TEST_P(SearchBox, WindowThroughZeroHoursAcceptedFromEitherSide) {
  Fixture f;
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kDegrees, "23", "59", "0", "0", "0", "0", "1"), f.search.Params()));
  const auto names = f.Run({BodyAt("west", 359.6L, 0.1L), BodyAt("east", 0.1L, -0.1L), BodyAt("farEast", 0.6L, 0),
                            BodyAt("farWest", 358.9L, 0)},
                           GetParam());
  EXPECT_EQ(names, (std::vector<std::string>{"west", "east"}));
  // Near the pole the RA half-width grows as 1 / cos(dec): 23h50m at +85 deg reaches past 0 h.
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kDegrees, "23", "50", "0", "85", "0", "0", "1"), f.search.Params()));
  EXPECT_GT(f.search.Params().raMaxHours, 24.0L);
  EXPECT_EQ(f.Run({BodyAt("north1", 1.25L, 85.2L), BodyAt("north2", 352.0L, 84.8L), BodyAt("off", 15, 85),
                   BodyAt("tooHigh", 1.25L, 85.6L)},
                  GetParam()),
            (std::vector<std::string>{"north1", "north2"}));
}

TEST_P(SearchBox, ACentreFieldAroundAPoleHoldsEveryRightAscension) {
  Fixture f;
  // 89.8 deg + 0.5 deg reaches the pole: the RA window is the whole circle, not
  // a window of 2 x 19 h that would wrap onto itself and lose half the sky.
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kDegrees, "6", "0", "0", "89", "48", "0", "1"), f.search.Params()));
  EXPECT_EQ(f.Run({BodyAt("ra1h", 15, 89.9L), BodyAt("ra8h", 120, 89.6L), BodyAt("ra12h", 180, 89.95L),
                   BodyAt("ra20h", 300, 89.5L), BodyAt("low", 180, 89.1L)},
                  GetParam()),
            (std::vector<std::string>{"ra1h", "ra8h", "ra12h", "ra20h"}));
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kArcMinutes, "18", "0", "0", "-89", "50", "0", "40"), f.search.Params()));
  EXPECT_EQ(f.Run({BodyAt("s6h", 90, -89.9L), BodyAt("s18h", 270, -89.6L), BodyAt("north", 270, -89.4L)}, GetParam()),
            (std::vector<std::string>{"s6h", "s18h"}));
}

TEST_P(SearchBox, ProgressWindowNamesTheDatabaseAndEndsWithTheCounts) {
  Fixture f;
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kDegrees, "10", "0", "0", "20", "0", "0", "2"), f.search.Params()));
  EXPECT_EQ(f.Run({BodyAt("one", 150, 20), BodyAt("two", 150.2L, 20.1L), BodyAt("off", 170, 20)}, GetParam()),
            (std::vector<std::string>{"one", "two"}));
  ASSERT_EQ(f.ui.Progress().size(), 1U);
  const auto& p = f.ui.Progress()[0];
  EXPECT_EQ(p.caption, "MPC Asteroid Database of " + PrintDateTimeText(*FileDateTimeValue(f.dir / "T.CMO")));
  EXPECT_EQ(p.text, "File: T.CMO\nOrbits Analyzed: 3\nObjects Found: 2");
  EXPECT_EQ(p.maximum, 100);
  EXPECT_EQ(p.position, 100);
  EXPECT_FALSE(p.open);
}

TEST_P(SearchBox, LimitBoxAndArcMinuteField) {
  Fixture f;
  ASSERT_FALSE(ReadFieldInput(Limits("23.5", "0.5", "-1", "1"), f.search.Params()));
  EXPECT_EQ(f.Run({BodyAt("a", 23.7L * 15, 0.5L), BodyAt("b", 0.3L * 15, -0.5L), BodyAt("c", 15, 0),
                   BodyAt("d", 23 * 15, 0), BodyAt("e", 0.2L * 15, 1.5L)},
                  GetParam()),
            (std::vector<std::string>{"a", "b"}));
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kArcMinutes, "6", "0", "0", "-30", "0", "0", "30"), f.search.Params()));
  EXPECT_EQ(f.Run({BodyAt("in", 90.1L, -30.1L), BodyAt("out", 90.4L, -30.0L), BodyAt("below", 90, -30.3L)}, GetParam()),
            (std::vector<std::string>{"in"}));
  // Around the south pole with limits.
  ASSERT_FALSE(ReadFieldInput(Limits("0", "24", "-90", "-88"), f.search.Params()));
  EXPECT_EQ(f.Run({BodyAt("s1", 10, -89.5L), BodyAt("s2", 200, -88.5L), BodyAt("s3", 100, -87.5L)}, GetParam()),
            (std::vector<std::string>{"s1", "s2"}));
}

TEST_P(SearchBox, MagnitudeAndDistanceLimitsAreInclusive) {
  Fixture f;
  const OrbitElements bright = BodyAt("bright", 180, 10, 1.2L, 10);
  const OrbitElements faint = BodyAt("faint", 180.1L, 10, 2.5L, 18);
  const Place pb = PlaceOf(bright);
  const Place pf = PlaceOf(faint);
  ASSERT_FALSE(ReadFieldInput(Centre(FieldKind::kDegrees, "12", "0", "0", "10", "0", "0", "2"), f.search.Params()));
  f.search.Params().faintMag = pf.mag;
  f.search.Params().brightMag = pb.mag;
  EXPECT_EQ(f.Run({bright, faint}, GetParam()), (std::vector<std::string>{"bright", "faint"}));
  f.search.Params().faintMag = std::nextafter(pf.mag, 0.0L);
  EXPECT_EQ(f.Run({bright, faint}, GetParam()), (std::vector<std::string>{"bright"}));
  f.search.Params().faintMag = 25;
  f.search.Params().brightMag = std::nextafter(pb.mag, 30.0L);
  EXPECT_EQ(f.Run({bright, faint}, GetParam()), (std::vector<std::string>{"faint"}));
  f.search.Params().brightMag = 0;
  f.search.Params().nearAu = pb.delta;
  f.search.Params().farAu = std::nextafter(pf.delta, 0.0L);
  EXPECT_EQ(f.Run({bright, faint}, GetParam()), (std::vector<std::string>{"bright"}));
  f.search.Params().nearAu = std::nextafter(pb.delta, 10.0L);
  f.search.Params().farAu = pf.delta;
  EXPECT_EQ(f.Run({bright, faint}, GetParam()), (std::vector<std::string>{"faint"}));
}

TEST_P(SearchBox, TransitTestAtTheSite) {
  // Kitt Peak (+31.96 deg): Dec -39.5 culminates near 18.5 deg, Dec -41 near 17.0 deg.
  Fixture f;
  ASSERT_FALSE(ReadFieldInput(Limits("0", "24", "-41.5", "-39"), f.search.Params()));
  const std::vector<OrbitElements> bodies = {BodyAt("m39", 100, -39.5L), BodyAt("m41", 250, -41)};
  f.search.Params().minAltitudeDeg = 0;  // no test
  EXPECT_EQ(f.Run(bodies, GetParam()).size(), 2u);
  f.search.Params().minAltitudeDeg = 17.8L;
  EXPECT_EQ(f.Run(bodies, GetParam()), (std::vector<std::string>{"m39"}));
  f.search.Params().minAltitudeDeg = 19.2L;
  EXPECT_TRUE(f.Run(bodies, GetParam()).empty());
  ASSERT_FALSE(ReadFieldInput(Limits("0", "24", "-81", "-79"), f.search.Params()));
  f.search.Params().minAltitudeDeg = 0;
  EXPECT_EQ(f.Run({BodyAt("deepSouth", 50, -80)}, GetParam()).size(), 1u);  // never rises, but no test at 0
  f.search.Params().minAltitudeDeg = 0.1L;
  EXPECT_TRUE(f.Run({BodyAt("deepSouth", 50, -80)}, GetParam()).empty());
}

INSTANTIATE_TEST_SUITE_P(BothScans, SearchBox,
                         ::testing::Values(ScanStrategy::kStraightforward, ScanStrategy::kFast));

TEST(SearchTransit, CulminationAltitudeAgainstTheDaysHighestPoint) {
  // The highest altitude of the place of date within the next 29 hours, by
  // one-minute steps: the transit test finds the culmination within the
  // transit test's hour-angle rule (solar for sidereal hours: up to 4 minutes, 0.015
  // deg here) and never above it.
  Fixture f;
  const OrbitElements el = BodyAt("x", 100, -40);
  MinorBody body(MinorBody::kAstrometric, SiteRecord{}, el);
  const SiteLocation where = SiteLocationOf(DefaultSiteRecord());
  double highest = -90;
  for (int minute = 0; minute < 29 * 60; ++minute) {
    const long double t = kJD + minute / 1440.0L;
    const GeocentricPlace g = body.Geocentric(t);
    highest = std::max(highest, static_cast<double>(Horizontal(EclipticToEquatorial(g.coord), where, t).altitude *
                                                    kDegreesPerRadian));
  }
  const Place p = PlaceOf(el);
  EXPECT_NEAR(highest, 90 - (31.958333 + 40), 0.3);  // Dec -40, latitude 31.96
  f.search.Params().minAltitudeDeg = highest - 0.03;
  f.search.Prepare();
  EXPECT_TRUE(f.search.TransitTest(el, p.ra * kRadiansPerDegree, nullptr));
  f.search.Params().minAltitudeDeg = highest + 0.001;
  f.search.Prepare();
  EXPECT_FALSE(f.search.TransitTest(el, p.ra * kRadiansPerDegree, nullptr));
}

TEST(SearchMessages, InvalidStateMissingDatabaseAndCompletion) {
  for (ScanStrategy strategy : {ScanStrategy::kStraightforward, ScanStrategy::kFast}) {
    Fixture f;
    ASSERT_FALSE(ReadFieldInput(Limits("0", "24", "-90", "90"), f.search.Params()));
    CmoRecord zero = ElementsToCmo(BodyAt("Broken  ", 10, 10));
    zero.position = Vec3{0, 0, 0};
    zero.velocity = Vec3{0, 0, 0};
    ByteWriter out;
    WriteCmoRecord(out, ElementsToCmo(BodyAt("ok", 10, 10)));
    WriteCmoRecord(out, zero);
    std::ofstream(f.dir / "Z.CMO", std::ios::binary)
        .write(reinterpret_cast<const char*>(out.Buffer().data()), static_cast<std::streamsize>(out.Buffer().size()));
    ASSERT_TRUE(f.search.SearchFile(f.dir / "Z.CMO", ElementSource::kLowell, 0, strategy));
    ASSERT_EQ(f.ui.Messages().size(), 2u);
    EXPECT_EQ(f.ui.Messages()[0].caption, "Orbit Computation Error");
    EXPECT_EQ(f.ui.Messages()[0].text,
              "State vector is invalid!\r\nCannot compute osculating elements for \r\nBroken (Broken  )\r\n\r\n"
              "(Probable error during conversion to .CMO file.)");
    EXPECT_EQ(f.ui.Messages()[1].caption, "Search Completed!");
    EXPECT_EQ(f.ui.Messages()[1].text, "2 Orbits Analyzed.\r\n\r\n1 Objects Meet Search Criteria.");
    EXPECT_EQ(f.ui.Messages()[1].icon, platform::Icon::Information);
    EXPECT_TRUE(f.search.HasResults());
  }
  Fixture f;
  EXPECT_FALSE(f.search.Search(f.dir / "NONE.CMO", false, ElementSource::kMpc, 0));
  ASSERT_EQ(f.ui.Messages().size(), 1u);
  EXPECT_EQ(f.ui.Messages()[0].caption, "No MPC Orbit Database!");
  EXPECT_EQ(f.ui.Messages()[0].text,
            "The MPC Orbit Database (MPCORB) cannot be located!\r\n\r\nSee Help topics under \"Database Features\" for "
            "assistance.");
  EXPECT_EQ(MissingDatabaseMessage(ElementSource::kLowell).caption, "No Lowell Orbit Database!");
  EXPECT_EQ(MissingDatabaseMessage(ElementSource::kTarne).caption, "No TARNE Orbit Database!");
  EXPECT_EQ(SearchProgressTitle(ElementSource::kTarne, "MARLO_AST.CMO", 0).rfind(
                "TARNE data extracted from Lowell Asteriod Database of ", 0),
            0u);
  EXPECT_EQ(SearchProgressTitle(ElementSource::kMpc, "MPCORB.CMO", 0), "MPC Asteroid Database of 1899/12/30 00:00:00");
}

struct ReportFixture : Fixture {
  std::vector<std::string> report;
  ReportFixture() {
    EXPECT_FALSE(ReadFieldInput(Centre(FieldKind::kDegrees, "6", "0", "0", "20", "0", "0", "4"), search.Params()));
    std::vector<OrbitElements> bodies = {BodyAt("Alpha", 90.5L, 20.5L, 2.0L, 14), BodyAt("Beta", 89.2L, 19.9L, 0.8L, 16),
                                         BodyAt("Gamma", 91.4L, 21.2L, 12.5L, 8), BodyAt("Delta", 90.0L, 18.6L, 1.1L, 20)};
    bodies[0].designation = "433";
    bodies[0].name = "Eros";
    bodies[3].designation = "";
    OrbitCodes c0{};
    c0[4] = 4;
    c0[1] = 2;
    c0[2] = 128;
    c0[5] = 10;
    WriteCmo(dir / "R.CMO", bodies, {c0});
    EXPECT_TRUE(search.SearchFile(dir / "R.CMO", ElementSource::kMpc, *EncodeDateTime(2026, 5, 1, 8, 0, 0)));
    report = search.ResultReport();
  }
};

TEST(SearchReport, HeaderResultLinesAndLegend) {
  ReportFixture f;
  const std::string blank(80, ' ');
  std::string units = "Object Name              Hr Mn Sec     d  '  \"     Mag   ArcMin    (AU)    (1) (2) (3) (4)";
  units[39] = '\xB0';
  const std::vector<std::string> head = {
      blank,
      // The bodies' epoch (kJD), not the date the search was handed.
      "Searched: MPC Orbit Database Dated 2026/06/01 00:00:00",
      "4 orbits analyzed.  Highest numbered asteroid is (433).",
      blank,
      "Search Parameters:",
      "    Date/Time: 2026/06/01 00:00:00(TDT)  Julian: 2461192.50000",
      "    Field Center: 06h 00m 00.00s  +20\xB0 00' 00.0\"",
      "    Field Size: 4.0 Degrees",
      "    Magnitude Range: 0.0 to 25.0",
      "    Distance Range: 0.0 to 100.0 AU",
      blank,
      "    Objects Found in Field: 4",
      blank,
      "    Order of List: Database Entry",
      blank,
      "Double-Click Entry to Load Orbit, Read Notes.",
      blank,
      "                         Right Ascn.  Declination  App.  Offset  Distance  Notes(*)",
      units};
  ASSERT_GT(f.report.size(), head.size() + 4);
  EXPECT_EQ(std::vector<std::string>(f.report.begin(), f.report.begin() + static_cast<long>(head.size())), head);
  EXPECT_EQ(f.search.FirstResultLine(), head.size());
  // The first result, column by column.
  const SearchResult r = ResultAt(f.search, 0);
  std::string line(75, ' ');
  const std::string id = "(433) Eros";
  line.replace(0, id.size(), id);
  line.replace(24, 11, FormatRA(r.ra, 2, false));
  line.replace(37, 11, FormatDec(r.dec, 1, false));
  line.replace(50, 4, FormatFixed(1, r.mag));
  const long double offset = std::sqrt(static_cast<long double>(r.offsetRA) * r.offsetRA +
                                       static_cast<long double>(r.offsetDec) * r.offsetDec) *
                             kDegreesPerRadian * 60;
  line.replace(56, 6, PadLeft(FormatFixed(2, offset), 6));
  line.replace(64, 8, " " + FormatFixed(5, r.delta));
  EXPECT_EQ(f.report[head.size()], line + "  4|  2|128| 10");
  // Offset of Alpha: |0.5 deg| cos(20.5) and 0.5 deg, about 40 arc minutes.
  EXPECT_NEAR(static_cast<double>(offset), std::hypot(0.5 * std::cos(20.5 * M_PI / 180), 0.5) * 60, 1.0);
  // Gamma at 12.5 AU: no leading blank; Delta without a designation: the name alone; no codes: blanks.
  EXPECT_EQ(f.report[head.size() + 2].substr(0, 6), "(Gamma");
  EXPECT_EQ(f.report[head.size() + 2].substr(64, 3), "12.");
  EXPECT_EQ(f.report[head.size() + 3].substr(0, 6), "Delta ");
  EXPECT_EQ(f.report[head.size() + 3].substr(75), "   |   |   |   ");
  EXPECT_EQ(f.report[head.size() + 1].substr(50, 4), PadWith0(FormatFixed(1, ResultAt(f.search, 1).mag)));
  // Legend.
  const std::vector<std::string> tail(f.report.begin() + static_cast<long>(head.size() + 4), f.report.end());
  EXPECT_EQ(tail[0], blank);
  EXPECT_EQ(tail[1], "*Notes:");
  EXPECT_EQ(tail[3], "   (1) Orbit Group/Zone");
  EXPECT_EQ(tail.back(), "       10: Highest Orbit Uncertainty");
  EXPECT_EQ(tail.size(), 30u);
}

// The MPC's NEA excerpt (tests/data/orbits, from ../shared/data/orbits) has
// its epoch K1972 = 2019 July 2.0 in every line: the search and the
// statistics are dated by it, not by the time the file was copied (here
// 2026/12/09); a file with no epoch keeps the time it was given.
TEST(SearchReport, TheDatabaseIsDatedByItsNewestEpoch) {
  testing::TempDir dir;
  {
    std::ofstream out(dir / "MPCORB.DAT", std::ios::binary);
    out << "Head\n" << std::string(160, '-') << "\n";
    std::ifstream in(SKARVEL_TEST_DATA_DIR "/orbits/MPCORB_format_NEA_excerpt.txt", std::ios::binary);
    out << in.rdbuf();
  }
  const ConversionStats stats = ConvertOrbitFile(dir / "MPCORB.DAT", dir / "MPCORB.CMO", OrbitSourceFormat::kMpcorb,
                                                 true, MpcHeader::kSkipToDashes, {});
  ASSERT_EQ(stats.records, 305);
  const double copied = *EncodeDateTime(2026, 12, 9, 21, 0, 0);
  for (const ScanStrategy strategy : {ScanStrategy::kFast, ScanStrategy::kStraightforward}) {
    testing::ScriptedPlatform ui;
    TAstOrbFlSrch search{SearchContext{ui, DefaultSiteRecord(), true}};
    search.Params().instant.SetJD(kJD);
    ASSERT_TRUE(search.SearchFile(dir / "MPCORB.CMO", ElementSource::kMpc, copied, strategy));
    EXPECT_EQ(search.ResultReport().at(1), "Searched: MPC Orbit Database Dated 2019/07/02 00:00:00");
  }
  const OrbitStatisticsCounts counts = CountOrbitStatistics(dir / "MPCORB.CMO");
  EXPECT_DOUBLE_EQ(static_cast<double>(counts.newestEpoch), 2458666.5);  // 2019 July 2.0
  EXPECT_EQ(OrbitStatisticsReport(counts, DatabaseDateTime(counts.newestEpoch, copied)).at(1),
            "Searched: MPC Orbit Database Dated 2019/07/02 00:00:00");
  // The newest of several epochs; none at all: the file's time.
  EXPECT_DOUBLE_EQ(static_cast<double>(NewerEpoch(NewerEpoch(0, 2458666.5L), 2458400.5L)), 2458666.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(NewerEpoch(0, std::numeric_limits<long double>::quiet_NaN())), 0.0);
  EXPECT_DOUBLE_EQ(DatabaseDateTime(0, copied), copied);
  std::ofstream(dir / "EMPTY.CMO", std::ios::binary).close();
  testing::ScriptedPlatform ui;
  TAstOrbFlSrch search{SearchContext{ui, DefaultSiteRecord(), true}};
  ASSERT_TRUE(search.SearchFile(dir / "EMPTY.CMO", ElementSource::kMpc, copied, ScanStrategy::kFast));
  EXPECT_EQ(search.ResultReport().at(1), "Searched: MPC Orbit Database Dated 2026/12/09 21:00:00");
}

TEST(SearchReport, LowellLegendAltitudeLinesAndLimitKind) {
  Fixture f;
  ASSERT_FALSE(ReadFieldInput(Limits("23.5", "0.5", "-1", "1"), f.search.Params()));
  f.search.Params().minAltitudeDeg = 10;
  f.Run({BodyAt("a", 0.1L, 0)}, ScanStrategy::kFast);
  ASSERT_TRUE(f.search.SearchFile(f.dir / "T.CMO", ElementSource::kLowell, 0));
  const auto r = f.search.ResultReport();
  EXPECT_EQ(r[6], "    Right Ascension Range: 23h 30m 00.00s to 00h 30m 00.00s");
  EXPECT_EQ(r[7], "    Declination Range: -01\xB0 00' 00.0\" to +01\xB0 00' 00.0\"");
  EXPECT_EQ(r[10], "    Minimum Altitude at Upper Culmination for Station: 10.0 Deg");
  EXPECT_EQ(r[12], "Station Parameters:");
  EXPECT_EQ(r[13].rfind("    Observatory Code 695", 0), 0u);
  EXPECT_EQ(r[14].rfind("    Longitude: ", 0), 0u);
  EXPECT_EQ(r[15].rfind("    Altitude: ", 0), 0u);
  const auto legend = std::find(r.begin(), r.end(), std::string("   (2)  Orbit Computation Notes"));
  ASSERT_NE(legend, r.end());
  EXPECT_EQ(*(legend + 1), "        1: Orbit derived from uncertainly (erroneously?) linked observations.");
  EXPECT_EQ(*(legend + 8), "      128: Asteroid sought, but not found.");
  EXPECT_EQ(*(legend + 9), "        n: Sum of Preceding Entries");
  EXPECT_EQ(r.back(), "   (4)  Importance of Additional/Frequent Observations (10=Highest)");
}

TEST(SearchSort, EveryOrderAscending) {
  ReportFixture f;
  auto& list = f.search.Results();
  const auto keys = [&](auto key) {
    std::vector<double> v;
    for (std::int32_t k = 0; k <= list.LastIndex(); ++k) v.push_back(key(ResultAt(f.search, k)));
    return v;
  };
  const auto sorted = [](std::vector<double> v) { return std::is_sorted(v.begin(), v.end()); };
  const auto offset = [](const SearchResult& r) { return std::hypot(double{r.offsetRA}, double{r.offsetDec}); };
  f.search.SortResults(SearchSortOrder::kMagnitude);
  EXPECT_TRUE(sorted(keys([](const SearchResult& r) { return double{r.mag}; })));
  f.search.SortResults(SearchSortOrder::kDistance);
  EXPECT_TRUE(sorted(keys([](const SearchResult& r) { return double{r.delta}; })));
  EXPECT_EQ(ResultAt(f.search, 0).name, "Beta");
  f.search.SortResults(SearchSortOrder::kPositionOffset);
  EXPECT_TRUE(sorted(keys(offset)));
  f.search.SortResults(SearchSortOrder::kRightAscension);
  EXPECT_TRUE(sorted(keys([](const SearchResult& r) { return r.ra; })));
  EXPECT_EQ(ResultAt(f.search, 0).name, "Beta");
  f.search.SortResults(SearchSortOrder::kQ);
  EXPECT_TRUE(sorted(keys([](const SearchResult& r) { return double{r.offsetRA}; })));
  f.search.SortResults(SearchSortOrder::kE);
  EXPECT_TRUE(sorted(keys([](const SearchResult& r) { return double{r.offsetDec}; })));
  f.search.SortResults(SearchSortOrder::kDatabaseEntry);
  EXPECT_EQ(keys([](const SearchResult& r) { return double{static_cast<float>(r.recordNumber)}; }),
            (std::vector<double>{1, 2, 3, 4}));
  f.search.SortResults(SearchSortOrder::kMagnitude);
  const auto report = f.search.ResultReport();
  EXPECT_EQ(report[13], "    Order of List: Apparent Magnitude");
  const SearchResult brightest = ResultAt(f.search, 0);
  EXPECT_EQ(report[f.search.FirstResultLine()].rfind("(" + brightest.designation + ")", 0), 0u);
}

TEST(SearchLoad, DoubleClickLoadsThatRecord) {
  ReportFixture f;
  f.search.SortResults(SearchSortOrder::kDistance);
  const auto report = f.search.ResultReport();
  CurrentElements current;
  EXPECT_FALSE(f.search.LoadResult(3, f.dir / "R.CMO", current));  // a header line: nothing
  EXPECT_FALSE(current.valid);
  EXPECT_EQ(f.ui.Beeps(), 0);
  EXPECT_FALSE(f.search.LoadResult(f.search.FirstResultLine() + 4, f.dir / "R.CMO", current));  // past the last
  EXPECT_EQ(f.ui.Beeps(), 1);
  ASSERT_TRUE(f.search.LoadResult(f.search.FirstResultLine() + 3, f.dir / "R.CMO", current));
  EXPECT_TRUE(current.valid);
  EXPECT_EQ(current.elements.name, "Gamma");  // the farthest, record 3
  EXPECT_EQ(current.source, ElementSource::kMpc);
  EXPECT_EQ(current.databaseDateTime, *EncodeDateTime(2026, 6, 1, 0, 0, 0));  // the records' epoch, kJD
  ASSERT_TRUE(f.search.LoadResult(f.search.FirstResultLine() + 2, f.dir / "R.CMO", current));
  EXPECT_EQ(current.elements.name, "Eros");
  EXPECT_EQ(current.codes[4], 4);
  EXPECT_EQ(current.codes[2], 128);
  EXPECT_NEAR(static_cast<double>(current.elements.e), static_cast<double>(BodyAt("x", 90.5L, 20.5L, 2.0L).e), 1e-12);
  // The file gone: the error box.
  std::remove((f.dir / "R.CMO").c_str());
  EXPECT_FALSE(f.search.LoadResult(f.search.FirstResultLine(), f.dir / "R.CMO", current));
  EXPECT_EQ(f.ui.Messages().back().caption, "Orbit Database File Error!");
  EXPECT_EQ(f.ui.Messages().back().text,
            "Unable to Open Asteriod Orbits File!\r\n\r\nFile Name: " + (f.dir / "R.CMO") + "\r\nIOResult = 2");
}

/// The fast scan finds exactly what the straightforward one finds on a
/// 100,000-record synthetic database: same records, same positions (to
/// 1e-9 arc seconds), same magnitudes and distances, for wide and narrow
/// fields, through 0 h, at a pole, with the transit test and tight magnitudes.
TEST(SearchEquality, FilesOfEarlierVersionsWithFrameMode0ArePreFilteredAlike) {
  testing::TempDir dir;
  ASSERT_TRUE(bench::WriteSyntheticMpcorb(dir / "MPCORB.DAT", 3000, 2000));
  const ConversionStats stats = ConvertOrbitFile(dir / "MPCORB.DAT", dir / "MPCORB.CMO", OrbitSourceFormat::kMpcorb,
                                                 true, MpcHeader::kSkipToDashes, {});
  ASSERT_GT(stats.records, 2900);
  // The same records with the mode byte an earlier version wrote (0).
  std::ifstream in(dir / "MPCORB.CMO", std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size() % kCmoRecordBytes, 0u);
  for (std::size_t at = 0; at < bytes.size(); at += kCmoRecordBytes) {
    ASSERT_EQ(bytes[at + 143], 2);
    bytes[at + 143] = 0;
  }
  std::ofstream(dir / "OLD.CMO", std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::int64_t candidates[2] = {0, 0};
  std::vector<std::int32_t> found[2];
  for (int s = 0; s < 2; ++s) {
    testing::ScriptedPlatform ui;
    TAstOrbFlSrch search(SearchContext{ui, DefaultSiteRecord(), true});
    search.Params().instant.SetJD(2460831.5L);
    ASSERT_FALSE(ReadFieldInput(Limits("2", "8", "-30", "30"), search.Params()));
    ASSERT_TRUE(search.SearchFile(dir / (s == 0 ? "MPCORB.CMO" : "OLD.CMO"), ElementSource::kMpc, 0,
                                  ScanStrategy::kFast));
    candidates[s] = search.Counts().candidates;
    EXPECT_LT(candidates[s], search.Counts().read / 2);  // the pre-filter does its work on both
    for (std::int32_t k = 0; k <= search.Results().LastIndex(); ++k) found[s].push_back(ResultAt(search, k).recordNumber);
  }
  EXPECT_EQ(candidates[0], candidates[1]);
  EXPECT_EQ(found[0], found[1]);
  EXPECT_FALSE(found[0].empty());
}

TEST(SearchEquality, FastScanEqualsStraightforwardOn100000Records) {
  testing::TempDir dir;
  ASSERT_TRUE(bench::WriteSyntheticMpcorb(dir / "MPCORB.DAT", 100000, 60000));
  const ConversionStats stats = ConvertOrbitFile(dir / "MPCORB.DAT", dir / "MPCORB.CMO", OrbitSourceFormat::kMpcorb,
                                                 true, MpcHeader::kSkipToDashes, {});
  ASSERT_GT(stats.records, 99000);
  struct Case {
    SearchFieldInput field;
    long double bright, faint, minAlt;
  };
  const std::vector<Case> cases = {
      {Limits("2", "8", "-30", "30"), 0, 25, 0},
      {Limits("22", "3", "-20", "25"), 12, 19.5L, 0},
      {Limits("0", "24", "70", "90"), 0, 30, 0},
      {Centre(FieldKind::kDegrees, "16", "0", "0", "-20", "0", "0", "20"), 0, 25, 30},
      {Centre(FieldKind::kArcMinutes, "4", "41", "0", "22", "0", "0", "300"), 0, 25, 0},
  };
  double worst = 0;
  std::int64_t total = 0;
  for (const Case& c : cases) {
    std::vector<SearchResult> found[2];
    std::int64_t candidates[2] = {0, 0};
    for (int s = 0; s < 2; ++s) {
      testing::ScriptedPlatform ui;
      TAstOrbFlSrch search(SearchContext{ui, DefaultSiteRecord(), true});
      search.Params().instant.SetJD(2460831.5L);
      ASSERT_FALSE(ReadFieldInput(c.field, search.Params()));
      search.Params().brightMag = c.bright;
      search.Params().faintMag = c.faint;
      search.Params().minAltitudeDeg = c.minAlt;
      ASSERT_TRUE(search.SearchFile(dir / "MPCORB.CMO", ElementSource::kMpc, 0,
                                    s == 0 ? ScanStrategy::kStraightforward : ScanStrategy::kFast));
      EXPECT_EQ(search.Counts().read, stats.records);
      candidates[s] = search.Counts().candidates;
      for (std::int32_t k = 0; k <= search.Results().LastIndex(); ++k) found[s].push_back(ResultAt(search, k));
      if (s == 1) {
        EXPECT_EQ(search.Counts().highestNumber, 60000);
      }
    }
    ASSERT_EQ(found[0].size(), found[1].size());
    EXPECT_GT(found[0].size(), 0u);
    EXPECT_LT(candidates[1], candidates[0] / 2);  // the pre-filter does its work
    for (std::size_t k = 0; k < found[0].size(); ++k) {
      const SearchResult& a = found[0][k];
      const SearchResult& b = found[1][k];
      ASSERT_EQ(a.recordNumber, b.recordNumber);
      const double sep = std::hypot((a.ra - b.ra) * 15 * std::cos(a.dec * M_PI / 180), a.dec - b.dec) * 3600;
      worst = std::max(worst, sep);
      EXPECT_LE(sep, 1e-9);
      EXPECT_EQ(a.mag, b.mag);
      EXPECT_EQ(a.delta, b.delta);
      EXPECT_EQ(a.name, b.name);
    }
    total += static_cast<std::int64_t>(found[0].size());
  }
  std::cout << "fast and straightforward scans: " << total << " objects in " << cases.size()
            << " fields, worst position difference " << worst << " arcsec\n";
}

}  // namespace
}  // namespace skarvel
