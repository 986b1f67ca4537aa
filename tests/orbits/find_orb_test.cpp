// FIND_ORB element files: the real blocks FIND_ORB writes (tests/data/orbits/
// findorb, see its SOURCES.md), the messages of files that cannot be used,
// and the ephemeris of a block against the ephemeris of the same object's
// MPCORB line.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "orbits/ephemeris.h"
#include "orbits/find_orb.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

/// EXPECT_NEAR on extended values, compared in extended precision.
#define EXPECT_LNEAR(a, b, tol) EXPECT_LE(std::fabs(static_cast<long double>(a) - static_cast<long double>(b)), (tol)) \
  << #a " = " << static_cast<double>(a)

namespace skarvel {
namespace {

using testing::ReadText;
using testing::ScriptedPlatform;
using testing::TempDir;
using testing::WriteText;

const std::string kDir = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/findorb/";

/// The blocks of an examples file: each starts at an "Orbital elements:" line.
std::vector<std::string> Blocks(const std::string& file) {
  const std::string text = ReadText(kDir + file);
  std::vector<std::string> blocks;
  for (std::size_t at = text.find("Orbital elements:"); at != std::string::npos;) {
    const std::size_t next = text.find("Orbital elements:", at + 1);
    blocks.push_back(text.substr(at, next == std::string::npos ? std::string::npos : next - at));
    at = next;
  }
  return blocks;
}

OrbitElements Parse(const std::string& text) {
  const auto el = ParseFindOrbText(text);
  if (!el) throw std::runtime_error("block not read:\n" + text);
  return *el;
}

long double Deg(long double rad) { return rad * kDegreesPerRadian; }
long double Au(long double km) { return km / kAstronomicalUnitKm; }

TEST(FindOrb, EllipticBlockAsFindOrbWritesIt) {
  const std::vector<std::string> blocks = Blocks("findorb_elements_examples.txt");
  ASSERT_EQ(blocks.size(), 3u);
  const OrbitElements el = Parse(blocks[0]);
  // Every blank of the object line goes: "1996 XX1" has no parentheses, no designation.
  EXPECT_EQ(el.name, "1996XX1");
  EXPECT_EQ(el.designation, "");
  EXPECT_EQ(el.epoch, 2450734.5L);
  EXPECT_LNEAR(Deg(el.M), 322.34260L, 1e-12L);
  EXPECT_LNEAR(Deg(el.peri), 72.47318L, 1e-12L);
  EXPECT_LNEAR(Au(el.a), 2.45501241L, 1e-14L);
  EXPECT_LNEAR(Deg(el.node), 47.71084L, 1e-12L);
  EXPECT_EQ(el.e, 0.5741560L);
  EXPECT_LNEAR(Deg(el.i), 0.14296L, 1e-12L);
  EXPECT_EQ(el.H, 15.8L);
  EXPECT_EQ(el.G, 0.15L);  // the block gives no G
  EXPECT_EQ(el.centralBody, 0);
  EXPECT_EQ(el.objectKind, 0);
  EXPECT_EQ(el.origin, kOriginMinorPlanet);
  EXPECT_EQ(el.magModel, kMagModelAsteroid);
  EXPECT_EQ(el.equinoxIndex, 2);
  EXPECT_EQ(el.frame.equinoxKind, EquinoxKind::kJulian);
  EXPECT_EQ(el.frame.equinoxJD, 2451545.0L);
  // The derived values against what FIND_ORB printed beside them: q 1.04545221
  // (e is printed to 5e-8, which moves q by 1.2e-7 AU), n 0.25622619 deg/day
  // (our GM of the Sun and FIND_ORB's differ by 4e-8), perihelion JD
  // 2450881.469329 (M to 1e-5 deg is 4e-5 d).
  EXPECT_LNEAR(Au(el.q), 1.04545221L, 1.3e-7L);
  EXPECT_LNEAR(Deg(el.n) * 86400, 0.25622619L, 2e-8L);
  EXPECT_LNEAR(el.T, 2450881.469329L, 1e-4L);
}

TEST(FindOrb, OpenOrbitsAboutTheEarthAndTheMoon) {
  const std::vector<std::string> blocks = Blocks("findorb_elements_examples.txt");
  ASSERT_EQ(blocks.size(), 3u);
  // 2009 BD: "q685927.806km", the perigee date in calendar form only.
  const OrbitElements bd = Parse(blocks[1]);
  EXPECT_EQ(bd.name, "2009BD");
  EXPECT_EQ(bd.centralBody, 3);
  EXPECT_LNEAR(bd.q, 685927.806L, 1e-6L);
  EXPECT_EQ(bd.e, 2.9230182L);
  EXPECT_LNEAR(Deg(bd.peri), 86.73833L, 1e-12L);
  EXPECT_LNEAR(Deg(bd.node), 119.50263L, 1e-12L);
  EXPECT_LNEAR(Deg(bd.i), 92.82529L, 1e-12L);
  EXPECT_EQ(bd.H, 28.6L);
  EXPECT_EQ(bd.G, 0.15L);
  EXPECT_LNEAR(bd.T, 2454856.747396L, 1e-9L);  // 2009 Jan 25.247396 TT
  EXPECT_EQ(bd.epoch, 2454853.5L);
  EXPECT_LT(bd.a, 0);  // hyperbolic
  // 1997 ZZ99 about the Moon: the perilune JD in parentheses.
  const OrbitElements zz = Parse(blocks[2]);
  EXPECT_EQ(zz.centralBody, 10);
  EXPECT_LNEAR(zz.q, 24606.5028L, 1e-7L);
  EXPECT_EQ(zz.e, 659.1509995L);
  EXPECT_LNEAR(zz.T, 2450561.043629L, 1e-9L);
  EXPECT_EQ(zz.H, 22.9L);
}

TEST(FindOrb, BlocksWithUncertaintiesIgnoreTheSigmas) {
  const std::vector<std::string> blocks = Blocks("findorb_elements_sigma_format_examples.txt");
  ASSERT_EQ(blocks.size(), 2u);
  const OrbitElements xx = Parse(blocks[0]);
  EXPECT_EQ(xx.name, "1996XX1");  // on the heading line
  EXPECT_EQ(xx.epoch, 2450733.5L);
  EXPECT_LNEAR(Deg(xx.M), 322.109164L, 1e-12L);
  EXPECT_LNEAR(Deg(xx.peri), 72.530699L, 1e-12L);
  EXPECT_LNEAR(Au(xx.a), 2.456084084L, 1e-14L);
  EXPECT_LNEAR(Deg(xx.node), 47.657952L, 1e-12L);
  EXPECT_EQ(xx.e, 0.57438774L);
  EXPECT_LNEAR(Deg(xx.i), 0.143216L, 1e-12L);
  EXPECT_EQ(xx.H, 16.6L);
  EXPECT_EQ(xx.G, 0.15L);
  EXPECT_LNEAR(xx.T, 2450881.477252L, 1e-4L);  // the printed perihelion
  const OrbitElements zz = Parse(blocks[1]);
  EXPECT_EQ(zz.name, "1997ZZ99");
  EXPECT_EQ(zz.centralBody, 10);
  EXPECT_LNEAR(zz.q, 24606.5028L, 1e-7L);  // "q 24606.5028 +/- 3.345 km"
  EXPECT_EQ(zz.e, 659.1509995L);
  EXPECT_LNEAR(Deg(zz.node), 193.85513L, 1e-12L);  // "z 934.123" on the Node line is no keyword of ours
  EXPECT_LNEAR(zz.T, 2450561.043629L, 1e-9L);
}

TEST(FindOrb, ObjectLine) {
  std::string block = Blocks("findorb_elements_examples.txt")[0];
  block.replace(block.find("1996 XX1"), 8, "(433) Eros");
  OrbitElements el = Parse(block);
  EXPECT_EQ(el.designation, "433");
  EXPECT_EQ(el.name, "Eros");
  // Designations keep 8 characters, names 40.
  block.replace(block.find("(433) Eros"), 10, "(123456789) " + std::string(45, 'N'));
  el = Parse(block);
  EXPECT_EQ(el.designation, "12345678");
  EXPECT_EQ(el.name, std::string(40, 'N'));
  // A value at the very end of its line ends there.
  std::string bare = Blocks("findorb_elements_examples.txt")[0];
  const std::string full = "e   0.5741560      Incl.    0.14296      0.34602670     -0.19930484";
  bare.replace(bare.find(full), full.size(), "e   0.5741560      Incl.    0.14296");
  EXPECT_LNEAR(Deg(Parse(bare).i), 0.14296L, 1e-12L);
}

TEST(FindOrb, EveryRealFileLoadsAsCurrentElements) {
  TempDir dir;
  for (const std::string file : {"findorb_elements_examples.txt", "findorb_elements_sigma_format_examples.txt"}) {
    for (const std::string& block : Blocks(file)) {
      const std::string path = dir / "ELEMENTS.TXT";
      WriteText(path, block);
      ScriptedPlatform ui;
      CurrentElements current;
      EXPECT_TRUE(LoadFindOrb(ui, path, current)) << block;
      EXPECT_TRUE(ui.Messages().empty());
      EXPECT_TRUE(current.valid);
      EXPECT_EQ(current.source, ElementSource::kFindOrb);
      EXPECT_EQ(current.codes, OrbitCodes{});
    }
    // The file as it stands: its first block.
    ScriptedPlatform ui;
    CurrentElements current;
    EXPECT_TRUE(LoadFindOrb(ui, kDir + file, current));
    EXPECT_EQ(current.elements.name, "1996XX1");
  }
}

TEST(FindOrb, FilesThatCannotBeUsed) {
  TempDir dir;
  ScriptedPlatform ui;
  CurrentElements current;
  current.Set(OrbitElements{}, OrbitCodes{1, 2, 3, 4, 5, 6}, ElementSource::kMpc, 1.5);
  const CurrentElements before = current;
  const auto unchanged = [&] {
    EXPECT_EQ(current.source, before.source);
    EXPECT_EQ(current.codes, before.codes);
    EXPECT_EQ(current.databaseDateTime, 1.5);
  };
  EXPECT_FALSE(LoadFindOrb(ui, dir / "NOPE.TXT", current));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Unable to Open FIND_ORB File!\r\n\r\nFile Name: " + (dir / "NOPE.TXT") + "\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages()[0].caption, "FIND_ORB File Error!");
  EXPECT_EQ(ui.Messages()[0].icon, platform::Icon::Error);
  unchanged();

  const std::string path = dir / "BAD.TXT";
  const auto refused = [&](const std::string& content) {
    WriteText(path, content);
    ui.ClearRecords();
    EXPECT_FALSE(LoadFindOrb(ui, path, current)) << content;
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "File Is NOT a FIND_ORB File!\r\n\r\nFile Name: " + path);
    EXPECT_EQ(ui.Messages()[0].caption, "FIND_ORB File Error!");
    unchanged();
  };
  refused("");
  refused("Orbital elements for 433\n");
  refused("MPCORB.DAT\n" + Blocks("findorb_elements_examples.txt")[0]);
  refused(std::string("\x00\xff\x01Orbital elements:\n", 22));
  refused(std::string(1 << 20, 'M'));  // one huge line
  // Every truncation of a real block before its last element line is refused.
  const std::string block = Blocks("findorb_elements_examples.txt")[0];
  for (std::size_t cut = block.find('\n'); cut < block.find("\nP   3.85"); cut = block.find('\n', cut + 1))
    refused(block.substr(0, cut));
  // Garbage where numbers belong.
  std::string garbage = block;
  garbage.replace(garbage.find("0.5741560"), 9, "0.57x1560");
  refused(garbage);
  garbage = block;
  garbage.replace(garbage.find("JDT 2450734.5"), 13, "JDT");
  refused(garbage);
  garbage = block;
  garbage.replace(garbage.find("a   2.45501241"), 14, "a  -2.45501241");
  refused(garbage);
}

TEST(FindOrb, AbsurdValuesAreRefusedWhereTheyAreRead) {
  // Found by fuzzing: a periapsis day of 1e396 reached the conversion to a
  // whole day (undefined behaviour) on its way to the time of periapsis.
  const std::vector<std::string> blocks = Blocks("findorb_elements_examples.txt");
  const std::string perigee = blocks[1];  // 2009 BD, an open orbit about the Earth
  ASSERT_TRUE(ParseFindOrbText(perigee));
  const auto with = [](std::string block, const std::string& from, const std::string& to) {
    const std::size_t at = block.find(from);
    if (at == std::string::npos) throw std::runtime_error("no " + from);
    return block.replace(at, from.size(), to);
  };
  for (const char* day : {"25.247e396", "0.5", "32.0", "-1", "nan"})
    EXPECT_FALSE(ParseFindOrbText(with(perigee, "Jan 25.247396", std::string("Jan ") + day))) << day;
  EXPECT_TRUE(ParseFindOrbText(with(perigee, "Jan 25.247396", "Jan 31.999")));
  // The elliptic block: epoch outside the calendar, angles beyond a turn,
  // magnitude parameters and an axis beyond any orbit.
  const std::string elliptic = blocks[0];
  ASSERT_TRUE(ParseFindOrbText(elliptic));
  EXPECT_TRUE(ParseFindOrbText(with(elliptic, "Peri.   72.47318", "Peri.  -359.9")));
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"JDT 2450734.5", "JDT 1e12"},
           {"JDT 2450734.5", "JDT -1"},
           {"JDT 2450734.5", "JDT 5373485"},
           {"M 322.34260", "M 1e12"},
           {"Peri.   72.47318", "Peri.   360.1"},
           {"Node    47.71084", "Node    -1e300"},
           {"Incl.    0.14296", "Incl.    inf"},
           {"H   15.8", "H   1e5"},
           {"a   2.45501241", "a   1e400"},
           {"a   2.45501241", "a   70000"},
           {"e   0.5741560", "e   inf"}})
    EXPECT_FALSE(ParseFindOrbText(with(elliptic, from, to))) << to;
  // The crashing input itself, through the file reader: the system's message.
  TempDir dir;
  ScriptedPlatform ui;
  CurrentElements current;
  WriteText(dir / "CRASH.TXT", with(with(perigee, "Jan 25.247396", "Jan 25.247e396"), "T;", "T@"));
  EXPECT_FALSE(LoadFindOrb(ui, dir / "CRASH.TXT", current));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "File Is NOT a FIND_ORB File!\r\n\r\nFile Name: " + (dir / "CRASH.TXT"));
}

const EphemerisRecord& At(RecordList<EphemerisRecord>& table, std::int32_t k) {
  const EphemerisRecord* r = table.GetAt(k);
  if (r == nullptr) throw std::out_of_range("no ephemeris line " + std::to_string(k));
  return *r;
}

/// Ephemeris of 1996 XX1 for a day-by-day table from the epoch.
RecordList<EphemerisRecord> Table(const OrbitElements& el) {
  SiteRecord site;
  site.longitudeDeg = -111.6f;
  site.latitudeDeg = 31.96f;
  site.altitudeM = 2100;
  EphemerisParams params;
  params.start.SetJD(2450734.5L);
  params.points = 60;
  params.stepDays = 1;
  RecordList<EphemerisRecord> table;
  EXPECT_TRUE(GenerateEphemeris(el, site, params, table));
  return table;
}

TEST(FindOrb, EphemerisAgreesWithTheSameObjectsMpcorbLine) {
  // The MPCORB line goes the way of every database object: converted into a
  // state vector and back.
  TempDir dir;
  ConvertOrbitFile(kDir + "1996XX1_mpcorb.txt", dir / "XX1.CMO", OrbitSourceFormat::kMpcorb, false,
                   MpcHeader::kSkipToDashes, {});
  CmoFileReader reader(dir / "XX1.CMO");
  CmoRecord rec;
  ASSERT_TRUE(reader.Next(rec));
  EXPECT_EQ(rec.name, "1996 XX1");
  const OrbitElements fromMpc = CmoToElements(rec);
  const OrbitElements fromFindOrb = Parse(Blocks("findorb_elements_examples.txt")[0]);
  RecordList<EphemerisRecord> a = Table(fromFindOrb);
  RecordList<EphemerisRecord> b = Table(fromMpc);
  ASSERT_EQ(a.Size(), 60u);
  ASSERT_EQ(b.Size(), 60u);
  // The two sets carry the same digits of M, Peri., Node, Incl. and e; a has
  // 8 decimals in the block and 7 in the line (1e-8 AU), which moves the mean
  // anomaly by 2e-7 deg over 60 days; seen from 0.1 AU at 1 AU from the Sun
  // that is below 0.01". The state vector of the converted record keeps the
  // rest to rounding.
  double worst = 0;
  for (std::int32_t k = 0; k < 60; ++k) {
    const EphemerisRecord& p = At(a, k);
    const EphemerisRecord& q = At(b, k);
    const double dRa = static_cast<double>(p.raHours - q.raHours) * 15 * std::cos(static_cast<double>(p.decDeg) * M_PI / 180);
    const double dDec = static_cast<double>(p.decDeg - q.decDeg);
    worst = std::max(worst, std::hypot(dRa, dDec) * 3600);
    EXPECT_LNEAR(static_cast<double>(p.deltaAu), static_cast<double>(q.deltaAu), 1e-7);
    EXPECT_LNEAR(static_cast<double>(p.magnitude), static_cast<double>(q.magnitude), 1e-4);
  }
  EXPECT_LT(worst, 0.02);
  // The object moves: the comparison is not one of two fixed points.
  EXPECT_GT(std::fabs(static_cast<double>(At(a, 59).decDeg - At(a, 0).decDeg)), 1.0);
}

}  // namespace
}  // namespace skarvel
