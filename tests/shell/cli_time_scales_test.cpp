// `skarvel-cli time`: TT - UTC and the instant in TT, taking the instant as UTC.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "shell/cli_run.h"

namespace skarvel {
namespace {

using testing::Cli;

TEST(CliTimeScales, TTMinusUtcOfTheInstant) {
  // 2019-05-01 03:45:30 UTC: 37 leap seconds, TT 69.184 s later.
  const auto j = nlohmann::json::parse(Cli({"time", "--date", "2019/05/01", "--time", "03:45:30"}).out);
  EXPECT_DOUBLE_EQ(j["tt_minus_utc_s"].get<double>(), 69.184);
  EXPECT_NEAR((j["jd_tt"].get<double>() - j["jd"].get<double>()) * 86400, 69.184, 1e-4);
  // The day before the step of 2017-01-01: 68.184 s; on it 69.184 s.
  EXPECT_DOUBLE_EQ(nlohmann::json::parse(Cli({"time", "--jd", "2457754.49"}).out)["tt_minus_utc_s"].get<double>(),
                   68.184);
  EXPECT_DOUBLE_EQ(nlohmann::json::parse(Cli({"time", "--jd", "2457754.5"}).out)["tt_minus_utc_s"].get<double>(),
                   69.184);
  // Before 1972: Delta T of the polynomials (1950-01-01: 29.1 s in the published table).
  EXPECT_NEAR(nlohmann::json::parse(Cli({"time", "--date", "1950/01/01"}).out)["tt_minus_utc_s"].get<double>(), 29.1,
              0.1);
  const auto help = Cli({"time", "--help"});
  EXPECT_NE(help.out.find("tt_minus_utc_s, jd_tt"), std::string::npos);
}

}  // namespace
}  // namespace skarvel
