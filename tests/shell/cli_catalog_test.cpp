#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "shell/cli/cli.h"
#include "shell/cli_run.h"
#include "support/temp_dir.h"
#include "support/zone_catalog_writer.h"

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

TEST(CliCatalog, ZoneCatalogs) {
  testing::TempDir dir;
  testing::ZoneStar s;
  s.raHours = 6.0;
  s.decDeg = 10.1;
  s.mag = 12.5;
  s.pmDec = -500;  // mas/yr
  s.scB = 0;
  const std::string root = dir.MakeDir("cat");
  testing::WriteUCAC2(root, {s});
  testing::WriteUCAC3(root, root, {s});
  testing::WriteBSS(root, {s});
  testing::WriteSA(root, {s});
  auto run = [&](const std::string& kind, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"catalog", "--catalog", kind, "--path", root, "--center", "6.0,10.1",
                                     "--size-arcmin", "20", "--mag-limit", "16"};
    args.insert(args.end(), extra.begin(), extra.end());
    return Cli(args);
  };
  const std::vector<std::pair<std::string, int>> kinds = {{"ucac2", 7}, {"ucac3", 8}, {"bss", 2}, {"sa1", 5}, {"sa2", 6}};
  for (const auto& [kind, code] : kinds) {
    const CliRun r = run(kind);
    ASSERT_EQ(r.status, 0) << kind << r.err;
    const auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j["stars"].size(), 1u) << kind;
    EXPECT_EQ(j["stars"][0]["catalog"], code);
    EXPECT_NEAR(j["stars"][0]["dec_deg"].get<double>(), 10.1, 1e-6) << kind;  // J2000.0: no motion
    EXPECT_EQ(j["star_count"], 1);
  }
  EXPECT_EQ(nlohmann::json::parse(run("ucac2").out)["stars"][0]["id"], "00000001");
  EXPECT_EQ(nlohmann::json::parse(run("sa2").out)["stars"][0]["id"], "0975-1");
  // Twenty years later the UCAC stars stand 10" further south.
  const auto later = nlohmann::json::parse(run("ucac3", {"--jd", "2458850.0"}).out);
  EXPECT_NEAR(later["stars"][0]["dec_deg"].get<double>(), 10.1 - 10.0 / 3600, 1e-7);
  EXPECT_EQ(later["stars"][0]["band"], 7);
  // UCAC3 with SuperCosmos B: this star has none.
  const auto blue = nlohmann::json::parse(run("ucac3", {"--colour", "0"}).out);
  EXPECT_EQ(blue["stars"][0]["class"], 1);
  EXPECT_EQ(blue["stars"][0]["mag_err"], 10.0);
  EXPECT_EQ(blue["stars"][0]["use_mag"], false);
  EXPECT_EQ(blue["nonstellar_count"], 1);
  // No catalog at the path: the prompt is printed and the run fails.
  const CliRun none = Cli({"catalog", "--catalog", "ucac2", "--path", dir.Path() + "none", "--center", "6,10",
                           "--size-arcmin", "20", "--mag-limit", "16"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("UCAC2 File Error!: Unable to access UCAC2 Catalog at location"), std::string::npos)
      << none.err;
  EXPECT_EQ(run("ucac3", {"--colour", "7"}).status, 2);
}

}  // namespace
}  // namespace skarvel
