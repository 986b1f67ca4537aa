#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "shell/cli/cli.h"
#include "shell/cli_run.h"

namespace skarvel {
namespace {

using testing::Cli;
using testing::CliRun;

const std::string kCatalogs = std::string(SKARVEL_TEST_DATA_DIR) + "/catalogs/";

TEST(CliCatalog, BothFormsGiveTheSameField) {
  const CliRun cd = Cli({"catalog", "--catalog", "gsc", "--path", kCatalogs + "gsc/vol1", "--path2",
                         kCatalogs + "gsc/vol2", "--center", "13.2310684,-7.8192147", "--size-arcmin", "40",
                         "--mag-limit", "20", "--jd", "2456486.5"});
  ASSERT_EQ(cd.status, 0) << cd.err;
  const CliRun bin = Cli({"catalog", "--catalog=gsc-converted", "--path", kCatalogs + "gsc_vorn", "--center",
                          "13.2310684,-7.8192147", "--size-arcmin", "40", "--mag-limit", "20"});
  ASSERT_EQ(bin.status, 0) << bin.err;
  const auto a = nlohmann::json::parse(cd.out);
  const auto b = nlohmann::json::parse(bin.out);
  ASSERT_EQ(a["stars"].size(), b["stars"].size());
  ASSERT_GT(a["stars"].size(), 5u);
  EXPECT_EQ(a["star_count"], a["stars"].size());
  EXPECT_EQ(a["nonstellar_count"], 0);
  for (std::size_t i = 0; i < a["stars"].size(); ++i) {
    const auto& s = a["stars"][i];
    EXPECT_EQ(s["id"], b["stars"][i]["id"]);
    EXPECT_NEAR(s["ra_hours"].get<double>(), b["stars"][i]["ra_hours"].get<double>(), 1e-7);
    EXPECT_NEAR(s["dec_deg"].get<double>(), b["stars"][i]["dec_deg"].get<double>(), 1e-5);
    EXPECT_EQ(s["catalog"], 1);
    EXPECT_EQ(s["class"], 0);
    EXPECT_GE(s["entries"].get<int>(), 1);
    EXPECT_EQ(s["id"].get<std::string>().size(), 11u);
  }
  // The brightest Tycho-2 star of the field, VT 8.142 at 13.25854696 h -8.0551643 deg.
  EXPECT_NEAR(a["brightest"].get<double>(), 8.142, 0.045);
  EXPECT_NEAR(a["window"]["dec_min"].get<double>(), -7.8192147 - 0.5, 1e-12);
  EXPECT_GE(a["regions"].size(), 2u);
  // The magnitude limit applies to the stored (merged) magnitudes of the converted form.
  const CliRun bright = Cli({"catalog", "--catalog", "gsc-converted", "--path", kCatalogs + "gsc_vorn", "--center",
                             "13.2310684,-7.8192147", "--size-arcmin", "40", "--mag-limit", "11.5"});
  ASSERT_EQ(bright.status, 0) << bright.err;
  const auto c = nlohmann::json::parse(bright.out);
  EXPECT_LT(c["stars"].size(), b["stars"].size());
  EXPECT_GT(c["stars"].size(), 0u);
  for (const auto& s : c["stars"]) EXPECT_LE(s["mag"].get<double>(), 11.5);
}

TEST(CliCatalog, FailuresAndBadUsage) {
  const CliRun missing = Cli({"catalog", "--catalog", "gsc", "--path", "/nonexistent/gsc", "--center", "1,1",
                              "--size-arcmin", "20", "--mag-limit", "15"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("GSC Regions Table Not Found: Unable to access Guide Star Catalog Regions Table at "
                             "location \"/nonexistent/gsc/\"."),
            std::string::npos)
      << missing.err;
  const CliRun noBin = Cli({"catalog", "--catalog", "gsc-converted", "--path", "/nonexistent/gsc", "--center",
                            "1,1", "--size-arcmin", "20", "--mag-limit", "15"});
  EXPECT_EQ(noBin.status, 1);
  EXPECT_NE(noBin.err.find("Converted GSC Regions Error!: Unable to Open Converted GSC Regions Table!"),
            std::string::npos)
      << noBin.err;
  // Volume II is not where --path2 says: the region file prompt is printed and the run fails.
  const CliRun noVolume = Cli({"catalog", "--catalog", "gsc", "--path", kCatalogs + "gsc/vol1", "--path2",
                               "/nonexistent/vol2", "--center", "13.2310684,-7.8192147", "--size-arcmin", "40",
                               "--mag-limit", "12"});
  EXPECT_EQ(noVolume.status, 1);
  EXPECT_NE(noVolume.err.find("GSC File Error!: Unable to access Guide Star Catalog Volume II"), std::string::npos)
      << noVolume.err;
  EXPECT_TRUE(noVolume.out.empty());
  EXPECT_EQ(Cli({"catalog", "--catalog", "ucac", "--path", "x", "--center", "1,1", "--size-arcmin", "20",
                 "--mag-limit", "15"})
                .status,
            2);
  EXPECT_EQ(Cli({"catalog", "--catalog", "gsc", "--center", "1,1", "--size-arcmin", "20", "--mag-limit", "15"})
                .status,
            2);
  const CliRun help = Cli({"catalog", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: skarvel-cli catalog --catalog gsc|gsc-converted", 0), 0u);
  EXPECT_NE(Cli({"--help"}).out.find("  catalog  "), std::string::npos);
}

}  // namespace
}  // namespace skarvel
