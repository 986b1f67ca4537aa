// `skarvel-cli ephemeris --cmo` on a converted file whose record holds values
// no conversion writes: the command refuses the object with the orbit error
// and never formats a date of a number that is not one.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "foundations/byte_io.h"
#include "orbits/orbit_elements.h"
#include "orbits/orbit_records.h"
#include "shell/cli/cli.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

std::string FirstNeaLine() {
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/MPCORB_format_NEA_excerpt.txt");
  std::string line;
  std::getline(in, line);
  return line;
}

TEST(CliHostileOrbits, ARecordWithoutAUsableStateIsRefused) {
  OrbitElements el;
  SetAsteroidDefaults(el);
  OrbitCodes codes{};
  ASSERT_TRUE(ParseMpcorbLine(FirstNeaLine(), el, codes));
  const CmoRecord good = ElementsToCmo(el);
  testing::TempDir dir;
  struct Case {
    const char* name;
    long double epoch;
    long double x;
  };
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  for (const Case& c : {Case{"GOOD", good.epoch, good.position.x}, Case{"NANEPOCH", nan, good.position.x},
                        Case{"HUGEEPOCH", 1e30L, good.position.x}, Case{"INFSTATE", good.epoch,
                                                                         std::numeric_limits<long double>::infinity()}}) {
    SCOPED_TRACE(c.name);
    CmoRecord r = good;
    r.name = c.name;
    r.epoch = c.epoch;
    r.position.x = c.x;
    ByteWriter out;
    WriteCmoRecord(out, r);
    testing::WriteAll(dir / "ONE.CMO", out.Buffer());
    std::ostringstream o, e;
    const int status = cli::Main({"ephemeris", "--cmo", dir / "ONE.CMO", "--object", c.name, "--start", "2458666.5",
                                  "--count", "2", "--step-days", "1", "--site", "248.4,31.96,2096"},
                                 o, e);
    if (std::string(c.name) == "GOOD") {
      EXPECT_EQ(status, 0) << e.str();
      EXPECT_NE(o.str().find("\"rows\""), std::string::npos);
    } else {
      EXPECT_NE(status, 0);
      EXPECT_NE(e.str().find("Orbit Calculation Error"), std::string::npos) << e.str();
      EXPECT_EQ(o.str().find("nan"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace skarvel
