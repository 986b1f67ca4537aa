// The database record parsers and the converted record layout, on the real
// fixtures (tests/data/orbits/SOURCES.md) and on hostile input.
#include "orbits/orbit_records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/extended_float.h"
#include "foundations/io_error.h"

namespace skarvel {
namespace {

std::vector<std::string> FixtureLines(const char* name) {
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR "/orbits/") + name);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

constexpr double kDeg = 0.017453292519943295769;
/// Tolerance of angles read from 5-decimal degree columns (rad): far below their last digit.
constexpr double kAngleTol = 1e-15;

double D(long double x) {
  return static_cast<double>(x);
}

OrbitElements ParseMpc(const std::string& line, OrbitCodes& codes, bool* hPresent = nullptr) {
  OrbitElements el;
  SetAsteroidDefaults(el);
  const bool h = ParseMpcorbLine(line, el, codes);
  if (hPresent != nullptr) *hPresent = h;
  return el;
}

// A record given by a with 0.98 <= e < 1: its mean anomaly belongs to the
// elliptic mean motion k / a^1.5 (Gauss's constant k = 0.01720209895 rad/day),
// whatever n the near-parabolic propagation uses.
TEST(MpcorbLine, NearParabolicRecordKeepsItsPerihelionTime) {
  std::string line = FixtureLines("MPCORB_format_NEA_excerpt.txt")[0];
  line.replace(26, 9, " 10.00000");
  line.replace(70, 9, "0.9850000");
  line.replace(92, 11, "  3.0000000");
  OrbitCodes codes{};
  const OrbitElements el = ParseMpc(line, codes);
  ASSERT_EQ(OrbitType(el), OrbitKind::kNearParabolic);
  const double a = 3.0, e = 0.985, m = 10 * kDeg, epoch = 2458666.5;
  const double nGauss = 0.01720209895 / std::pow(a, 1.5);  // rad/day
  EXPECT_NEAR(D(el.T), epoch - m / nGauss, 1e-5);  // 52.72 days before the epoch
  // The state at the epoch lies where Kepler's equation puts it: r = a (1 - e cos E).
  double ecc = m;
  for (int k = 0; k < 100; ++k) ecc = m + e * std::sin(ecc);
  const double r = a * (1 - e * std::cos(ecc));
  const CmoRecord rec = ElementsToCmo(el);
  const double rModel = D(std::sqrt(rec.position.x * rec.position.x + rec.position.y * rec.position.y +
                                    rec.position.z * rec.position.z)) /
                        D(kAstronomicalUnitKm);
  EXPECT_NEAR(rModel, r, 1e-6 * r);
  // An elliptic record is unchanged: T one mean anomaly before the epoch at n.
  OrbitCodes codes2{};
  const OrbitElements eros = ParseMpc(FixtureLines("MPCORB_format_NEA_excerpt.txt")[0], codes2);
  EXPECT_NEAR(D(eros.T), epoch - 84.17190 * kDeg / (86400 * D(eros.n)), 1e-7);
}

TEST(MpcorbLine, FieldsOfEros) {
  const auto lines = FixtureLines("MPCORB_format_NEA_excerpt.txt");
  OrbitCodes codes;
  codes.fill(0xAA);
  bool h = false;
  const OrbitElements el = ParseMpc(lines[0], codes, &h);
  EXPECT_TRUE(h);
  EXPECT_EQ(el.designation, "433");
  EXPECT_EQ(el.name, "Eros");
  EXPECT_NEAR(D(el.H), 11.16, 1e-15);
  EXPECT_NEAR(D(el.G), 0.46, 1e-15);
  EXPECT_EQ(el.epoch, 2458666.5L);  // K1972 = 2019 July 2.0
  EXPECT_NEAR(D(el.M), 84.17190 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.peri), 178.83549 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.node), 304.30424 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.i), 10.82858 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.e), 0.2227385, 1e-16);
  EXPECT_NEAR(D(el.a), 1.4581823 * 149597870.66, 1e-6);  // km
  EXPECT_NEAR(D(el.q / el.a), 1 - 0.2227385, 1e-15);
  // n from GM of the Sun and a; T one mean anomaly before the epoch.
  EXPECT_NEAR(D(el.n), std::sqrt(132712440000.0 / std::pow(1.4581823 * 149597870.66, 3)), 1e-20);
  EXPECT_NEAR(D(el.T), 2458666.5 - 84.17190 * kDeg / (86400 * D(el.n)), 1e-7);
  EXPECT_EQ(el.frame.frame, CoordFrame::kEcliptic);
  EXPECT_EQ(el.frame.equinoxKind, EquinoxKind::kJulian);
  EXPECT_EQ(el.frame.equinoxJD, 2451545.0L);
  // Codes: 2 none, 3/5 the flags 0x1804, 6 the uncertainty 0; 1 and 4 untouched.
  EXPECT_EQ(codes[0], 0xAA);
  EXPECT_EQ(codes[1], 0);
  EXPECT_EQ(codes[2], 0x18);
  EXPECT_EQ(codes[3], 0xAA);
  EXPECT_EQ(codes[4], 0x04);
  EXPECT_EQ(codes[5], 0);
}

TEST(MpcorbLine, BlankMagnitudeGivesDefaultsAndFlag64InCode2) {
  const auto lines = FixtureLines("MPCORB_format_NEA_excerpt.txt");
  for (std::size_t at : {249u, 276u}) {  // K10L64F and K10MB2Y
    OrbitCodes codes{};
    bool h = true;
    const OrbitElements el = ParseMpc(lines[at], codes, &h);
    EXPECT_FALSE(h);
    EXPECT_EQ(el.H, 14.0L);
    EXPECT_EQ(el.G, 0.15L);
    EXPECT_EQ(codes[1], 64);
    EXPECT_EQ(codes[0], 0);
  }
  OrbitCodes codes{};
  const OrbitElements k10 = ParseMpc(lines[249], codes);
  EXPECT_EQ(k10.designation, "K10L64F");
  EXPECT_EQ(k10.name, "2010 LF64");
  EXPECT_EQ(codes[5], 8);  // U = 8
}

TEST(MpcorbLine, AssumedEccentricityAndPackedNumbers) {
  const auto lines = FixtureLines("MPCORB_format_NEA_excerpt.txt");
  OrbitCodes codes{};
  const OrbitElements e = ParseMpc(lines[218], codes);  // J97X10E, "E" in column 106
  EXPECT_EQ(e.designation, "J97X10E");
  EXPECT_EQ(e.name, "1997 XE10");
  EXPECT_EQ(codes[1], 2);
  EXPECT_EQ(codes[5], 0);  // "E" is not an uncertainty digit
  EXPECT_EQ(ParseMpc(lines[160], codes).designation, "100004");
  EXPECT_EQ(ParseMpc(lines[176], codes).designation, "190119");
  EXPECT_EQ(ParseMpc(lines[282], codes).designation, "360191");
  EXPECT_EQ(ParseMpc(lines[304], codes).designation, "539940");
  // A "~" number beyond 620,000 in an otherwise real line.
  std::string tilde = lines[0];
  tilde.replace(0, 5, "~0000");
  EXPECT_EQ(ParseMpc(tilde, codes).designation, "620000");
  tilde.replace(0, 5, "~zzzz");
  EXPECT_EQ(ParseMpc(tilde, codes).designation, "15396335");
}

TEST(MpcorbLine, HostileLinesRaiseRecordErrors) {
  const auto lines = FixtureLines("MPCORB_format_NEA_excerpt.txt");
  const std::string eros = lines[0];
  OrbitCodes codes{};
  const auto rejects = [&](const std::string& line) {
    OrbitElements el;
    SetAsteroidDefaults(el);
    EXPECT_THROW(ParseMpcorbLine(line, el, codes), OrbitRecordError) << line;
  };
  rejects("");
  rejects("00433");
  rejects(eros.substr(0, 100));                             // cut inside a
  rejects(std::string(eros).replace(26, 9, "  84.x719"));   // garbage in M
  rejects(std::string(eros).replace(20, 5, "X1972"));       // bad epoch century
  rejects(std::string(eros).replace(20, 5, "K19D2"));       // month 13
  rejects(std::string(eros).replace(70, 9, " 1.2227385"));  // e >= 1
  rejects(std::string(eros).replace(92, 11, "       -1.0"));
  rejects(std::string(eros).replace(0, 5, "#0433"));
  // Random bytes, and real lines with random bytes put in: a record error or a
  // result, never another exception.
  std::mt19937 rng(12);
  for (int k = 0; k < 3000; ++k) {
    std::string line = (k % 2 == 0) ? std::string(static_cast<std::size_t>(rng() % 300), '\0') : eros;
    for (int j = 0; j < 12; ++j)
      if (!line.empty()) line[rng() % line.size()] = static_cast<char>(rng() % 256);
    OrbitElements el;
    SetAsteroidDefaults(el);
    try {
      ParseMpcorbLine(line, el, codes);
    } catch (const OrbitRecordError&) {
    }
  }
}

TEST(PackedEpoch, CenturiesMonthsAndDays) {
  EXPECT_EQ(PackedEpochJD("K1972"), 2458666.5L);
  EXPECT_EQ(PackedEpochJD("J9611"), 2450083.5L);  // 1996 Jan 1
  EXPECT_EQ(PackedEpochJD("I00CV"), 2378860.5L);  // 1800 Dec 31
  for (const char* bad : {"", "K197", "K19D1", "K19AW", "L1972", "K1x72", "K1970"}) {
    EXPECT_THROW(PackedEpochJD(bad), OrbitRecordError) << bad;
  }
}

/// A Lowell record with a blank number and `name` in columns 8-25, made from the Ceres line.
std::string UnnumberedLowell(const std::string& ceres, const std::string& name) {
  std::string line = ceres;
  line.replace(0, 6, "      ");
  std::string padded = name;
  padded.resize(18, ' ');
  line.replace(7, 18, padded);
  return line;
}

TEST(LowellRecord, DocumentationSamples) {
  const auto lines = FixtureLines("astorb_lowell_doc_sample_records.txt");
  ASSERT_EQ(lines.size(), 2u);
  ASSERT_EQ(lines[0].size(), 267u);
  OrbitElements el;
  SetAsteroidDefaults(el);
  OrbitCodes codes;
  codes.fill(9);
  ParseLowellRecord(lines[0] + "\n", true, el, codes);
  EXPECT_EQ(el.designation, "1");
  EXPECT_EQ(el.name, "Ceres");
  EXPECT_NEAR(D(el.H), 3.34, 1e-15);
  EXPECT_NEAR(D(el.G), 0.12, 1e-15);
  EXPECT_EQ(el.epoch, 2450200.5L);  // 1996 Apr 27
  EXPECT_NEAR(D(el.M), 80.477333 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.peri), 71.802404 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.node), 80.659857 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.i), 10.600303 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.e), 0.07604100, 1e-17);
  EXPECT_NEAR(D(el.a), 2.76788714 * 149597870.66, 1e-6);
  for (std::uint8_t c : codes) EXPECT_EQ(c, 0);
  EXPECT_NEAR(D(PeriodYears(el)), 4.6, 0.01);  // Ceres' period

  ParseLowellRecord(lines[1], true, el, codes);
  EXPECT_EQ(el.designation, "1693");
  EXPECT_EQ(el.name, "Hertzsprung");
  EXPECT_NEAR(D(el.e), 0.27460300, 1e-17);

  // Codes: the last three digits of each four-column field.
  std::string coded = lines[0];
  coded.replace(70, 24, "   1  12 123 999   0   7");
  ParseLowellRecord(coded, true, el, codes);
  EXPECT_EQ(codes[0], 1);
  EXPECT_EQ(codes[1], 12);
  EXPECT_EQ(codes[2], 123);
  EXPECT_EQ(codes[3], 999 & 0xFF);
  EXPECT_EQ(codes[5], 7);

  // An unnumbered record's designation is its packed name, in the chosen form.
  ParseLowellRecord(UnnumberedLowell(lines[0], "1998 SS162"), true, el, codes);
  EXPECT_EQ(el.designation, "J98SG2S");
  EXPECT_EQ(el.name, "1998 SS162");
  ParseLowellRecord(UnnumberedLowell(lines[0], "1998 SS162"), false, el, codes);
  EXPECT_EQ(el.designation, "J98S0162S");
}

TEST(LowellRecord, HostileRecordsRaiseRecordErrors) {
  const auto lines = FixtureLines("astorb_lowell_doc_sample_records.txt");
  OrbitElements el;
  SetAsteroidDefaults(el);
  OrbitCodes codes{};
  EXPECT_THROW(ParseLowellRecord("", true, el, codes), OrbitRecordError);
  EXPECT_THROW(ParseLowellRecord(lines[0].substr(0, 175), true, el, codes), OrbitRecordError);
  EXPECT_THROW(ParseLowellRecord(std::string(268, '\0'), true, el, codes), OrbitRecordError);
  EXPECT_THROW(ParseLowellRecord(std::string(lines[0]).replace(106, 8, "19961327"), true, el, codes), OrbitRecordError);
  EXPECT_THROW(ParseLowellRecord(std::string(lines[0]).replace(70, 4, "  x0"), true, el, codes), OrbitRecordError);
  EXPECT_THROW(ParseLowellRecord(std::string(lines[0]).replace(0, 6, "   1a "), true, el, codes), OrbitRecordError);
}

TEST(CometLine, FieldsOfHaleBoppAndFragments) {
  const auto lines = FixtureLines("CometEls_excerpt.txt");
  OrbitElements el;
  SetCometDefaults(el);
  ParseCometLine(lines[1], el);
  EXPECT_EQ(el.designation, "CJ95O010");
  EXPECT_EQ(el.name, "C/1995 O1 (Hale-Bopp)");
  EXPECT_NEAR(D(el.T), 2450536.5 + 0.0299, 1e-6);  // 1997 Mar 29.0299 (float seconds: 1e-6 d)
  EXPECT_NEAR(D(el.q), 0.922046 * 149597870.66, 1e-6);
  EXPECT_NEAR(D(el.e), 0.994905, 1e-17);
  EXPECT_NEAR(D(el.peri), 130.6979 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.node), 281.7618 * kDeg, kAngleTol);
  EXPECT_NEAR(D(el.i), 89.7572 * kDeg, kAngleTol);
  EXPECT_EQ(el.epoch, 2461191.5L);  // 2026 May 31
  EXPECT_EQ(el.H, -2.0L);
  EXPECT_EQ(el.G, 4.0L);
  EXPECT_EQ(el.objectKind, 1);
  EXPECT_EQ(el.magModel, 2);
  EXPECT_EQ(OrbitType(el), OrbitKind::kNearParabolic);
  EXPECT_EQ(el.a, el.q);  // near-parabolic: a only marks q

  ParseCometLine(lines[218], el);  // "0332P      a"
  EXPECT_EQ(el.designation, "0332Pa");
  EXPECT_EQ(el.name, "332P-A/Ikeya-Murakami");
  ParseCometLine(lines[219], el);  // blank epoch
  EXPECT_EQ(el.designation, "0332Pb");
  EXPECT_EQ(el.epoch, 0);
  EXPECT_EQ(el.H, 19.0L);
  EXPECT_EQ(el.G, 4.0L);
  ParseCometLine(lines[206], el);  // "0073P     bt"
  EXPECT_EQ(el.designation, "0073Pbt");
  ParseCometLine(lines[159], el);  // 18D with fewer decimals and a "19,   80" reference
  EXPECT_EQ(el.designation, "0018D");
  EXPECT_NEAR(D(el.T), 2460550.5 + 0.999, 1e-6);  // 2024 Aug 28.999
  EXPECT_EQ(el.name, "18D/Perrine-Mrkos");
  ParseCometLine(lines[238], el);  // 1I/'Oumuamua
  EXPECT_EQ(OrbitType(el), OrbitKind::kHyperbolic);
  EXPECT_LT(el.a, 0);

  for (const std::string& bad :
       {std::string(""), std::string("   CJ95O010  1997"),
        std::string("CJ95O010  1997 03 29.0299  x.922046  0.994905  130.6979"),
        std::string("CJ95O010  1997 13 29.0299  0.922046  0.994905  1 2 3 20260531 1 2 N"),
        std::string("CJ95O010  1997 03 29.0299  -0.92  0.99  1 2 3 20260531 1 2 N"), std::string(200, '\xff')}) {
    EXPECT_THROW(ParseCometLine(bad, el), OrbitRecordError) << bad;
  }
}

TEST(CmoRecord, ByteLayoutAndRoundTrip) {
  CmoRecord rec;
  rec.objectKind = 1;
  rec.name = "C/1995 O1 (Hale-Bopp)";
  rec.designation = "CJ95O010";
  rec.epoch = 2461191.5L;
  rec.position = {1.5e9L, -2.25e8L, 3.0L};
  rec.velocity = {-1.25L, 0.5L, 1e-3L};
  rec.centralBody = 3;
  rec.magModel = 2;
  rec.H = -2.0L;
  rec.G = 4.0L;
  rec.frame.mode = CoordMode::kTrue;
  rec.frame.frame = CoordFrame::kEcliptic;
  rec.frame.equinoxKind = EquinoxKind::kBesselian;
  rec.frame.equinoxJD = 2433282.4235L;
  rec.codes = {1, 2, 3, 4, 5, 6};
  ByteWriter w;
  WriteCmoRecord(w, rec);
  const std::vector<std::uint8_t>& b = w.Buffer();
  ASSERT_EQ(b.size(), 162u);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[1], 21);
  EXPECT_EQ(std::string(b.begin() + 2, b.begin() + 23), rec.name);
  EXPECT_EQ(b[23], 0);  // the rest of the text area is zero
  EXPECT_EQ(b[42], 8);
  EXPECT_EQ(std::string(b.begin() + 43, b.begin() + 51), "CJ95O010");
  const auto at = [&](std::size_t offset, long double x) {
    const ExtendedBytes e = EncodeExtended(x);
    EXPECT_TRUE(std::equal(e.begin(), e.end(), b.begin() + static_cast<std::ptrdiff_t>(offset))) << offset;
  };
  at(51, rec.epoch);
  at(61, rec.position.x);
  at(71, rec.position.y);
  at(81, rec.position.z);
  at(91, rec.velocity.x);
  at(101, rec.velocity.y);
  at(111, rec.velocity.z);
  EXPECT_EQ(b[121], 3);
  EXPECT_EQ(b[122], 2);
  at(123, rec.H);
  at(133, rec.G);
  EXPECT_EQ(b[143], 1);
  EXPECT_EQ(b[144], 0);
  EXPECT_EQ(b[145], 0);
  at(146, rec.frame.equinoxJD);
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 156, b.end()), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  // 2461191.5 in the x87 layout: exponent 0x4014, significand 0x96374C0000000000.
  EXPECT_EQ(b[59], 0x14);
  EXPECT_EQ(b[60], 0x40);
  EXPECT_EQ(b[58], 0x96);

  // Written with the conversion's cache of repeated values: the same bytes,
  // also after a remembered value changes.
  CmoWriteCache cache;
  CmoRecord other = rec;
  other.H = 7.5L;
  other.G = -0.0L;
  for (const CmoRecord* r : {&rec, &rec, &other, &rec}) {
    ByteWriter plain;
    WriteCmoRecord(plain, *r);
    ByteWriter cached;
    WriteCmoRecord(cached, *r, &cache);
    EXPECT_EQ(plain.Buffer(), cached.Buffer());
  }

  ByteReader r(b.data(), b.size());
  const CmoRecord back = ReadCmoRecord(r);
  EXPECT_EQ(back.name, rec.name);
  EXPECT_EQ(back.designation, rec.designation);
  EXPECT_EQ(back.epoch, rec.epoch);
  EXPECT_EQ(back.position.y, rec.position.y);
  EXPECT_EQ(back.velocity.z, rec.velocity.z);
  EXPECT_EQ(back.frame.equinoxKind, EquinoxKind::kBesselian);
  EXPECT_EQ(back.frame.equinoxJD, rec.frame.equinoxJD);
  EXPECT_EQ(back.codes, rec.codes);

  // A short record and an oversized length byte.
  ByteReader shortReader(b.data(), 161);
  EXPECT_THROW(ReadCmoRecord(shortReader), IOFailure);
  std::vector<std::uint8_t> hostile = b;
  hostile[1] = 200;
  hostile[42] = 255;
  ByteReader hr(hostile.data(), hostile.size());
  const CmoRecord h = ReadCmoRecord(hr);
  EXPECT_EQ(h.name.size(), 40u);
  EXPECT_EQ(h.designation.size(), 8u);
}

TEST(CmoRecord, ElementsThroughTheStateVectorAndBack) {
  const auto lines = FixtureLines("MPCORB_format_NEA_excerpt.txt");
  OrbitCodes codes{};
  const OrbitElements el = ParseMpc(lines[0], codes);
  const CmoRecord rec = ElementsToCmo(el);
  EXPECT_EQ(rec.name, "Eros");
  EXPECT_EQ(rec.epoch, el.epoch);
  EXPECT_NEAR(D(VecNorm(rec.position) / 149597870.66L), 1.0, 1.0);  // Eros within 2 AU
  const OrbitElements back = CmoToElements(rec);
  EXPECT_NEAR(D(back.e), D(el.e), 1e-13);
  EXPECT_NEAR(D(back.q / el.q), 1, 1e-13);
  EXPECT_NEAR(D(back.i), D(el.i), 1e-13);
  EXPECT_NEAR(D(back.node), D(el.node), 1e-13);
  EXPECT_NEAR(D(back.peri), D(el.peri), 1e-12);
  EXPECT_NEAR(D(back.T), D(el.T), 1e-8);  // days
  EXPECT_EQ(back.equinoxIndex, 2);
  EXPECT_EQ(back.origin, 0);
  // A state that could not be computed is stored as zeros and gives no orbit.
  CmoRecord zero = rec;
  zero.position = {};
  zero.velocity = {};
  EXPECT_TRUE(std::isnan(D(CmoToElements(zero).e)));
  EXPECT_TRUE(ElementsToState(CmoToElements(zero), el.epoch).error);
}

}  // namespace
}  // namespace skarvel
