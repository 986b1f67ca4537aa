// `skarvel-cli ephemeris` and `skarvel-cli orbit-search` against the core they call.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "orbits/ephemeris.h"
#include "orbits/orbit_records.h"
#include "shell/cli/cli.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun Cli(const cli::Arguments& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::Main(args, out, err);
  return {status, out.str(), err.str()};
}

const std::string kNea = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/MPCORB_format_NEA_excerpt.txt";

std::string FirstLine() {
  std::ifstream in(kNea);
  std::string line;
  std::getline(in, line);
  return line;
}

TEST(CliEphemeris, RowsAreTheCoreTableAndTextIsTheReport) {
  const CliRun r = Cli({"ephemeris", "--mpcorb-line", FirstLine(), "--start", "2458666.5", "--count", "3", "--step-days",
                     "0.5", "--site", "248.4,31.96,2096", "--equinox", "date"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j["rows"].size(), 3u);
  OrbitElements el;
  SetAsteroidDefaults(el);
  OrbitCodes codes{};
  ParseMpcorbLine(FirstLine(), el, codes);
  SiteRecord site;
  site.longitudeDeg = static_cast<float>(248.4L - 360);  // as the CLI stores it
  site.latitudeDeg = static_cast<float>(31.96L);
  site.altitudeM = 2096;
  EphemerisParams p;
  p.start.SetJD(2458666.5L);
  p.points = 3;
  p.stepDays = 0.5L;
  p.SetEquinox(EquinoxChoice::kOfDate);
  RecordList<EphemerisRecord> table;
  ASSERT_TRUE(GenerateEphemeris(el, site, p, table));
  for (std::int32_t k = 0; k < 3; ++k) {
    const EphemerisRecord* e = table.GetAt(k);
    ASSERT_NE(e, nullptr);
    const auto& row = j["rows"][static_cast<std::size_t>(k)];
    EXPECT_DOUBLE_EQ(row["jd"].get<double>(), 2458666.5 + 0.5 * k);
    EXPECT_DOUBLE_EQ(row["ra_hours"].get<double>(), static_cast<double>(e->raHours));
    EXPECT_DOUBLE_EQ(row["dec_deg"].get<double>(), static_cast<double>(e->decDeg));
    EXPECT_DOUBLE_EQ(row["alt_deg"].get<double>(), static_cast<double>(e->altitudeDeg));
    EXPECT_DOUBLE_EQ(row["az_deg"].get<double>(), static_cast<double>(e->azimuthDeg));
    EXPECT_DOUBLE_EQ(row["mag"].get<double>(), static_cast<double>(e->magnitude));
    EXPECT_DOUBLE_EQ(row["delta_au"].get<double>(), static_cast<double>(e->deltaAu));
  }
  const CliRun text = Cli({"ephemeris", "--mpcorb-line", FirstLine(), "--start", "2458666.5", "--count", "1",
                        "--step-days", "1", "--site", "-111.6,31.96,2096", "--text"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out.rfind("Body: (433) Eros\n", 0), 0u);
  EXPECT_NE(text.out.find("\nObservatory Code XXX\n"), std::string::npos);
  EXPECT_NE(text.out.find("\nLongitude: 111\xC2\xB0 36' 0.0\" W    Latitude:  31\xC2\xB0 57' 36.0\" N\n"),
            std::string::npos);
  EXPECT_NE(text.out.find("\nMean Equator and Equinox of J2000\n"), std::string::npos);
}

TEST(CliEphemeris, BadUsage) {
  EXPECT_EQ(Cli({"ephemeris", "--start", "2458666.5"}).status, 2);
  EXPECT_EQ(Cli({"ephemeris", "--mpcorb-line", FirstLine(), "--start", "2458666.5", "--count", "1", "--step-days", "1",
                 "--site", "1,2"})
                .status,
            2);
  EXPECT_EQ(Cli({"ephemeris", "--mpcorb-line", FirstLine(), "--start", "2458666.5", "--count", "1", "--step-days", "1",
                 "--site", "1,2,3", "--equinox", "J1990"})
                .status,
            2);
  EXPECT_EQ(Cli({"ephemeris", "--mpcorb-line", "garbage", "--start", "2458666.5", "--count", "1", "--step-days", "1",
                 "--site", "1,2,3"})
                .status,
            1);
}

TEST(CliEphemeris, FindOrbFile) {
  const std::string dir = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/findorb/";
  const CliRun r = Cli({"ephemeris", "--findorb", dir + "findorb_elements_examples.txt", "--start", "2450734.5",
                        "--count", "2", "--step-days", "1", "--site", "0,0,0", "--text"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Body: 1996XX1\n", 0), 0u);
  EXPECT_NE(r.out.find("\nSource: FIND_ORB Generated\n"), std::string::npos);
  // The same object from its MPCORB line: the same places to the report's 0.1 s and 1".
  testing::TempDir tmp;
  ASSERT_EQ(Cli({"convert-orbits", dir + "1996XX1_mpcorb.txt", tmp / "XX1.CMO"}).status, 0);
  const CliRun m = Cli({"ephemeris", "--cmo", tmp / "XX1.CMO", "--object", "1996 XX1", "--start", "2450734.5",
                        "--count", "2", "--step-days", "1", "--site", "0,0,0", "--text"});
  ASSERT_EQ(m.status, 0) << m.err;
  const auto table = [](const std::string& text) { return text.substr(text.find("\n1997 10 13"), 2 * 81); };
  EXPECT_EQ(table(r.out), table(m.out));
  // A file that is none, and an orbit about the Earth.
  const CliRun bad = Cli({"ephemeris", "--findorb", dir + "mpcorb.hdr", "--start", "2450734.5", "--count", "1",
                          "--step-days", "1", "--site", "0,0,0"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("FIND_ORB File Error!: File Is NOT a FIND_ORB File!"), std::string::npos) << bad.err;
  const std::string text = testing::ReadText(dir + "findorb_elements_examples.txt");
  testing::WriteText(tmp / "BD.TXT", text.substr(text.find("Orbital elements:\n2009 BD")));
  const CliRun earth = Cli({"ephemeris", "--findorb", tmp / "BD.TXT", "--start", "2454856.5", "--count", "1",
                            "--step-days", "1", "--site", "0,0,0"});
  EXPECT_EQ(earth.status, 1);
  EXPECT_NE(earth.err.find("Ephemerides can be computed for orbits about the Sun only."), std::string::npos);
  EXPECT_EQ(Cli({"ephemeris", "--findorb", "x", "--mpcorb-line", FirstLine(), "--start", "2458666.5", "--count", "1",
                 "--step-days", "1", "--site", "1,2,3"})
                .status,
            2);
}

TEST(CliOrbitSearch, DatabaseOrderAndCmoLookup) {
  testing::TempDir dir;
  ASSERT_EQ(Cli({"convert-orbits", kNea, dir / "NEA.CMO"}).status, 0);
  const CliRun r = Cli({"orbit-search", dir / "NEA.CMO", "--jd", "2458666.5", "--limits", "0,24,-90,90", "--faint", "16"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Search Completed!: 305 Orbits Analyzed."), std::string::npos);
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["analyzed"], 305);
  EXPECT_EQ(j["found"].get<std::size_t>(), j["objects"].size());
  ASSERT_GT(j["objects"].size(), 2u);
  int last = 0;
  for (const auto& o : j["objects"]) {
    EXPECT_GT(o["record"].get<int>(), last);
    last = o["record"].get<int>();
    EXPECT_LE(o["mag"].get<double>(), 16.0);
  }
  EXPECT_EQ(j["objects"][0]["name"], "Eros");
  // Both scans give the same JSON objects.
  const CliRun plain = Cli({"orbit-search", dir / "NEA.CMO", "--jd", "2458666.5", "--limits", "0,24,-90,90", "--faint",
                         "16", "--straightforward"});
  EXPECT_EQ(nlohmann::json::parse(plain.out)["objects"], j["objects"]);
  // The ephemeris of a record found by number agrees with the search's J2000 place at the geocentre.
  const CliRun e = Cli({"ephemeris", "--cmo", dir / "NEA.CMO", "--object", "433", "--start", "2458666.5", "--count", "1",
                     "--step-days", "1", "--site", "0,0,-6378140"});
  ASSERT_EQ(e.status, 0) << e.err;
  const auto row = nlohmann::json::parse(e.out)["rows"][0];
  EXPECT_NEAR(row["ra_hours"].get<double>(), j["objects"][0]["ra_hours"].get<double>(), 1e-9);
  EXPECT_NEAR(row["dec_deg"].get<double>(), j["objects"][0]["dec_deg"].get<double>(), 1e-9);
  const CliRun text = Cli({"orbit-search", dir / "NEA.CMO", "--jd", "2458666.5", "--center", "12.2,-16.5", "--size-deg",
                        "1", "--text"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("\n(433) Eros"), std::string::npos);
  EXPECT_NE(text.out.find("    Field Size: 1.0 Degrees\n"), std::string::npos);
  EXPECT_EQ(Cli({"orbit-search", dir / "NONE.CMO", "--jd", "2458666.5", "--limits", "0,24,-90,90"}).status, 1);
  EXPECT_EQ(Cli({"orbit-search", dir / "NEA.CMO", "--jd", "2458666.5", "--limits", "10,2,-90,90"}).status, 2);
  EXPECT_EQ(Cli({"orbit-search", dir / "NEA.CMO", "--jd", "2458666.5"}).status, 2);
  EXPECT_EQ(Cli({"ephemeris", "--cmo", dir / "NEA.CMO", "--object", "Nobody", "--start", "2458666.5", "--count", "1",
                 "--step-days", "1", "--site", "0,0,0"})
                .status,
            1);
}

}  // namespace
}  // namespace skarvel

namespace skarvel {
namespace {

TEST(CliFindOrbit, NameNumberAndAll) {
  testing::TempDir dir;
  ASSERT_EQ(Cli({"convert-orbits", kNea, dir / "NEA.CMO"}).status, 0);
  EXPECT_NE(Cli({"--help"}).out.find("  find-orbit  "), std::string::npos);
  EXPECT_EQ(Cli({"find-orbit", "--help"}).out.rfind("Usage: skarvel-cli find-orbit DB.CMO", 0), 0u);
  const CliRun name = Cli({"find-orbit", dir / "NEA.CMO", "--name", "eros"});
  ASSERT_EQ(name.status, 0) << name.err;
  auto j = nlohmann::json::parse(name.out);
  EXPECT_EQ(j["found"], true);
  EXPECT_EQ(j["result"], "(433) Eros");
  EXPECT_EQ(j["record"], 1);  // the first line of the excerpt
  // The number key 433 is the designation exactly: (360433) 2002 JR9 does not match.
  const CliRun number = Cli({"find-orbit", dir / "NEA.CMO", "--number", "433", "--all"});
  ASSERT_EQ(number.status, 0) << number.err;
  j = nlohmann::json::parse(number.out);
  ASSERT_EQ(j["matches"].size(), 1u);
  EXPECT_EQ(j["matches"][0]["name"], "Eros");
  // Every name holding "AMOR" (case ignored), in file order.
  j = nlohmann::json::parse(Cli({"find-orbit", dir / "NEA.CMO", "--name", "Amor", "--all"}).out);
  ASSERT_GE(j["matches"].size(), 1u);
  EXPECT_EQ(j["matches"][0]["name"], "Amor");
  const CliRun none = Cli({"find-orbit", dir / "NEA.CMO", "--number", "99999999"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(nlohmann::json::parse(none.out)["result"], "Record Not Found!");
  EXPECT_EQ(Cli({"find-orbit", dir / "NEA.CMO"}).status, 2);
  EXPECT_EQ(Cli({"find-orbit", dir / "NEA.CMO", "--number", "12345678901"}).status, 2);
  EXPECT_EQ(Cli({"find-orbit", dir / "NONE.CMO", "--name", "x"}).status, 1);
}

TEST(CliComets, EveryCometAndTheReport) {
  testing::TempDir dir;
  testing::WriteText(dir / "COMET.DAT",
                     testing::ReadText(std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/CometEls_excerpt.txt"));
  EXPECT_NE(Cli({"--help"}).out.find("  comets  "), std::string::npos);
  const CliRun r = Cli({"comets", dir / "COMET.DAT", "--jd", "2461193.0", "--sort", "q"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_GE(j["analyzed"].get<int>(), 234);
  EXPECT_EQ(j["skipped_lines"], 0);
  ASSERT_EQ(j["comets"].size(), j["analyzed"].get<std::size_t>());
  for (std::size_t k = 1; k < j["comets"].size(); ++k)
    EXPECT_LE(j["comets"][k - 1]["q_au"].get<double>(), j["comets"][k]["q_au"].get<double>());
  const CliRun text = Cli({"comets", dir.Path(), "--jd", "2461193.0", "--text"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("\n    Ephemeris Date/Time: 2026/06/01 12:00:00(TDT)  Julian: 2461193.00000\n"),
            std::string::npos);
  EXPECT_NE(text.out.find("\n    Order of List: Database Entry\n"), std::string::npos);
  EXPECT_EQ(Cli({"comets", dir / "COMET.DAT"}).status, 2);
  EXPECT_EQ(Cli({"comets", dir / "COMET.DAT", "--jd", "2461193", "--sort", "size"}).status, 2);
  const CliRun missing = Cli({"comets", dir / "none/COMET.DAT", "--jd", "2461193"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Comet File Error"), std::string::npos);
}

}  // namespace
}  // namespace skarvel
