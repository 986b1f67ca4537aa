// skarvel-cli catalog with the on-line catalogs, against a loopback server
// started by the test (nothing leaves the machine).
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "shell/cli_run.h"
#include "support/net/loopback_http_server.h"

namespace skarvel {
namespace {

using testing::Cli;
using testing::CliRun;

std::string GaiaFixture() {
  std::ifstream in(std::string(SKARVEL_TEST_DATA_DIR) + "/catalogs/online/gaia_dr3_field.tsv", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(CliOnlineCatalog, GaiaFromVizieRWithItsQueryAndTheMotionToTheDate) {
  test::LoopbackHttpServer server;
  server.Answer("/viz-bin/asu-tsv", test::HttpReply::Text(GaiaFixture()));
  const CliRun run = Cli({"catalog", "--catalog", "online", "--url", server.BaseUrl(), "--center",
                          "9.38895,-8.411542", "--size-arcmin", "20", "--mag-limit", "17", "--jd", "2461041.5"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto j = nlohmann::json::parse(run.out);
  const std::string query =
      "/viz-bin/asu-tsv?-source=I/355/gaiadr3&-c=140.834250%20-8.411542&-c.eq=J2000&-c.rd=0.3539"
      "&-out=Source,RA_ICRS,DE_ICRS,pmRA,pmDE,Gmag&-out.max=50000&-sort=Gmag&Gmag=%3C17.0";
  EXPECT_EQ(server.Requests(), std::vector<std::string>{query});
  EXPECT_EQ(j["query"], server.BaseUrl() + query);
  ASSERT_EQ(j["stars"].size(), 3u);
  EXPECT_EQ(j["star_count"], 3);
  // The brightest star, ten Julian years (3652.5 days) after J2016.0: Dec moved
  // by 10 * 6.789 mas, RA by 10 * -12.345 mas / cos(Dec) (RA in degrees / 15).
  bool found = false;
  for (const auto& s : j["stars"]) {
    if (s["id"] != "5741234567890123456") continue;  // all 19 digits
    found = true;
    const double dec = -8.40711598012 + 10 * 6.789e-3 / 3600;
    EXPECT_NEAR(s["dec_deg"].get<double>(), dec, 1e-9);
    EXPECT_NEAR(s["ra_hours"].get<double>(),
                140.83017223571 / 15 + 10 * -12.345e-3 / (54000 * std::cos(dec * M_PI / 180)), 1e-10);
    EXPECT_NEAR(s["mag"].get<double>(), 10.123456, 1e-5);
    EXPECT_EQ(s["catalog"], 11);
  }
  EXPECT_TRUE(found);
}

TEST(CliOnlineCatalog, USNOStyleServiceFailuresAndUsage) {
  test::LoopbackHttpServer server;
  // Nothing answers at this address: the server's 404.
  const CliRun run = Cli({"catalog", "--catalog", "usno-nomad", "--url", server.BaseUrl() + "/cone?", "--center",
                          "9.38895,8.5", "--size-arcmin", "30", "--mag-limit", "16", "--colour", "4"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(server.Requests(),
            std::vector<std::string>{"/cone?CAT=NOMAD&RA=140.834250&DEC=8.500000&SR=0.75&VERB=1&clr=H&bri=1.0"
                                     "&fai=16.0&cftype=ASCII&skey=RA&slf=hh.hhh/dd.ddd"});
  EXPECT_NE(run.err.find("Cannot Access Online Catalog!: USNO-VO \"Get\" request failed!"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("Response Code = 404 Not Found"), std::string::npos) << run.err;
  // A silent server and a short time-out: the message names the catalog.
  test::HttpReply silent;
  silent.mode = test::HttpReply::Mode::Silent;
  server.Answer("/viz-bin/asu-tsv", silent);
  const CliRun quiet = Cli({"catalog", "--catalog", "vizier-ucac4", "--url", server.BaseUrl(), "--center",
                            "9.38895,8.5", "--size-arcmin", "30", "--mag-limit", "16", "--timeout-s", "1"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_NE(quiet.err.find("VizieR \"Get\" request for UCAC4 failed!"), std::string::npos) << quiet.err;
  EXPECT_NE(quiet.err.find("(no answer within 1 s)"), std::string::npos) << quiet.err;
  const CliRun bad = Cli({"catalog", "--catalog", "vizier-tycho", "--center", "1,1", "--size-arcmin", "10",
                          "--mag-limit", "12"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--catalog takes gsc, gsc-converted, online, vizier-gaia-dr3"), std::string::npos);
}

}  // namespace
}  // namespace skarvel
