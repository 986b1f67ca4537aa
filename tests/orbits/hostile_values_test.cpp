// Orbit data with values no database holds: angles far beyond a turn, epochs
// and state vectors that are not numbers. Each is refused where it is read or
// reduced in constant time; nothing hangs or converts NaN to an integer.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "orbits/ephemeris.h"
#include "orbits/kepler.h"
#include "orbits/orbit_records.h"

namespace skarvel {
namespace {

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();
constexpr long double kInf = std::numeric_limits<long double>::infinity();

TEST(WrapInto, ReducesAnyFiniteValueIntoThePeriod) {
  EXPECT_EQ(WrapInto(0.0L, 24), 0.0L);
  EXPECT_EQ(WrapInto(24.0L, 24), 0.0L);
  EXPECT_EQ(WrapInto(-0.5L, 24), 23.5L);
  EXPECT_EQ(WrapInto(49.25L, 24), 1.25L);
  // A tiny negative value whose sum with the period rounds to the period is 0.
  EXPECT_EQ(WrapInto(-1e-30L, 24), 0.0L);
  for (long double x : {1e12L, -1e12L, 1e30L, -1e300L, 1e4000L}) {
    const long double r = WrapInto(x, kTwoPi);
    EXPECT_GE(r, 0.0L) << static_cast<double>(x);
    EXPECT_LT(r, kTwoPi) << static_cast<double>(x);
  }
  EXPECT_TRUE(std::isnan(WrapInto(kNaN, 24)));
  EXPECT_TRUE(std::isnan(WrapInto(kInf, 24)));
  EXPECT_TRUE(std::isnan(WrapInto(-kInf, kTwoPi)));
}

TEST(ElementAngles, HugeLongitudesAreReducedInsteadOfLoopedOver) {
  // Subtracting 2 pi from 1e30 changes nothing: a loop would never end.
  OrbitElements el;
  el.peri = 1e30L;
  el.node = 1e30L;
  el.M = 1e30L;
  const long double w = LongPerihelion(el);
  EXPECT_GE(w, 0.0L);
  EXPECT_LT(w, kTwoPi);
  const long double l = MeanLongitude(el);
  EXPECT_GE(l, 0.0L);
  EXPECT_LT(l, kTwoPi);
  el.node = 0;
  SetFromLongitudes(el, -3e25L, -1e25L);  // both differences far below 0
  EXPECT_GE(el.peri, 0.0L);
  EXPECT_LT(el.peri, kTwoPi);
  EXPECT_GE(el.M, 0.0L);
  EXPECT_LT(el.M, kTwoPi);
  // Ordinary values keep their exact result.
  el.peri = 4;
  el.node = 3;
  EXPECT_EQ(LongPerihelion(el), 7 - kTwoPi);
}

std::vector<std::string> ExcerptLines(const std::string& name) {
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/" + name);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ElementAngles, AbsurdAnglesInTheDatabasesAreRefused) {
  // COMET.DAT: Hale-Bopp with its argument of perihelion replaced by 1e12 degrees.
  std::string comet = ExcerptLines("CometEls_excerpt.txt").at(1);
  const std::size_t at = comet.find("130.6979");
  ASSERT_NE(at, std::string::npos);
  OrbitElements el;
  SetCometDefaults(el);
  ASSERT_NO_THROW(ParseCometLine(comet, el));
  for (const char* angle : {"1e12", "1000000000000", "360.0001", "-400", "nan", "inf"}) {
    SCOPED_TRACE(angle);
    std::string bad = comet;
    bad.replace(at, 8, angle);
    EXPECT_THROW(ParseCometLine(bad, el), OrbitRecordError);
  }
  std::string edge = comet;
  edge.replace(at, 8, "360.0000");
  EXPECT_NO_THROW(ParseCometLine(edge, el));

  // MPCORB: the node (columns 49-57) as 9 digits of degrees.
  std::string mpc = ExcerptLines("MPCORB_format_NEA_excerpt.txt").at(0);
  OrbitCodes codes{};
  SetAsteroidDefaults(el);
  ASSERT_TRUE(ParseMpcorbLine(mpc, el, codes));
  mpc.replace(48, 9, "999999999");
  EXPECT_THROW(ParseMpcorbLine(mpc, el, codes), OrbitRecordError);
}

CmoRecord GoodRecord() {
  OrbitElements el;
  SetAsteroidDefaults(el);
  OrbitCodes codes{};
  EXPECT_TRUE(ParseMpcorbLine(ExcerptLines("MPCORB_format_NEA_excerpt.txt").at(0), el, codes));
  return ElementsToCmo(el);
}

TEST(ConvertedRecords, NonFiniteOrAbsurdValuesGiveNoOrbit) {
  const CmoRecord good = GoodRecord();
  ASSERT_TRUE(PlausibleCmoRecord(good));
  EXPECT_TRUE(std::isfinite(CmoToElements(good).e));
  std::vector<CmoRecord> bad;
  for (long double epoch : {kNaN, kInf, -1.0L, 1e300L, 6e6L}) {
    CmoRecord r = good;
    r.epoch = epoch;
    bad.push_back(r);
  }
  for (long double x : {kNaN, kInf, 1e14L}) {
    CmoRecord r = good;
    r.position.y = x;
    bad.push_back(r);
    r = good;
    r.velocity.z = x;
    bad.push_back(r);
  }
  CmoRecord h = good;
  h.H = kNaN;
  bad.push_back(h);
  h = good;
  h.frame.equinoxJD = kInf;
  bad.push_back(h);
  for (std::size_t k = 0; k < bad.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_FALSE(PlausibleCmoRecord(bad[k]));
    const OrbitElements el = CmoToElements(bad[k]);
    EXPECT_TRUE(std::isnan(el.e));  // no orbit: the propagation refuses it
    EXPECT_EQ(el.epoch, 0.0L);      // and no date a text could choke on
    EXPECT_TRUE(std::isfinite(el.H));
  }
  // A state that could not be computed (zeros) stays the known "no state" form.
  CmoRecord zeros = good;
  zeros.position = Vec3{};
  zeros.velocity = Vec3{};
  EXPECT_TRUE(PlausibleCmoRecord(zeros));
  EXPECT_EQ(CmoToElements(zeros).epoch, good.epoch);
}

TEST(ConvertedRecords, DateTextsOfDatesOutsideTheCalendar) {
  EXPECT_EQ(FractionalDateText(2455400.5L), "2010/07/23.00000");
  EXPECT_EQ(FractionalDateText(1721425.5L), "0001/01/01.00000");
  for (long double jd : {kNaN, kInf, -kInf, 0.0L, 1721425.0L, 5373484.5L, 1e300L})
    EXPECT_EQ(FractionalDateText(jd), "----/--/--.-----") << static_cast<double>(jd);
}

}  // namespace
}  // namespace skarvel
