// The zone-file readers against wcstools' scat, an independent reader of the
// UCAC2, UCAC3 and USNO-SA layouts: the same generated files (written here
// again from the same star lists) give the same stars. scat's answers are
// fixtures with their command: tests/data/catalogs/zones/scat/, written by
// tools/zonegen/scat-fixtures.sh. scat searched a box of +-1800" (wider than
// the readers' window); its stars inside the readers' window are compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "catalogs/sa_files.h"
#include "catalogs/zone_catalogs.h"
#include "gsc_fixture.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/zone_catalog_writer.h"

namespace skarvel {
namespace {

using testing::CatalogData;
using testing::ScriptedPlatform;
using testing::TempDir;

struct ScatStar {
  long double ra = 0, dec = 0;  // hours, degrees
  std::vector<double> cells;    // the numeric columns after Dec
};

long double Sexagesimal(const std::string& text) {
  const bool negative = text[0] == '-';
  std::istringstream in(text[0] == '-' || text[0] == '+' ? text.substr(1) : text);
  long double a = 0, b = 0, c = 0;
  char colon = 0;
  in >> a >> colon >> b >> colon >> c;
  const long double v = a + b / 60 + c / 3600;
  return negative ? -v : v;
}

std::vector<ScatStar> ReadScat(const std::string& name) {
  std::ifstream in(CatalogData("zones/scat/" + name));
  std::string line;
  std::getline(in, line);  // the command
  std::vector<ScatStar> stars;
  while (std::getline(in, line)) {
    std::istringstream cells(line);
    std::string id, ra, dec;
    std::getline(cells, id, '\t');
    std::getline(cells, ra, '\t');
    std::getline(cells, dec, '\t');
    ScatStar s{Sexagesimal(ra), Sexagesimal(dec), {}};
    std::string cell;
    while (std::getline(cells, cell, '\t')) s.cells.push_back(std::atof(cell.c_str()));
    stars.push_back(s);
  }
  return stars;
}

// Compares a reader's stars with scat's inside `window`: the same count, and
// each scat star matched within 0.02" with its magnitude within 0.005 mag.
void ExpectSameStars(const std::vector<CatalogStar>& ours, const std::vector<ScatStar>& scat, std::size_t magCell,
                     const SearchWindow& window) {
  std::size_t inside = 0;
  for (const ScatStar& s : scat) {
    if (!InWindow(window, s.ra, s.dec, -50)) continue;
    ++inside;
    const CatalogStar* match = nullptr;
    for (const CatalogStar& o : ours) {
      const long double dx = (o.ra - s.ra) * 54000 * std::cos(s.dec * 3.14159265358979L / 180);
      const long double dy = (o.dec - s.dec) * 3600;
      if (std::hypot(dx, dy) < 0.02L) match = &o;
    }
    ASSERT_NE(match, nullptr) << "scat star at " << static_cast<double>(s.ra) << " " << static_cast<double>(s.dec);
    EXPECT_NEAR(match->mag, s.cells.at(magCell), 0.005) << match->id;
  }
  EXPECT_EQ(ours.size(), inside);
  EXPECT_GT(inside, 10u);
}

OptionsRecord ZoneOptions(const TempDir& dir) {
  OptionsRecord o;
  o.programDir = dir.Path();
  o.dataDir = dir.Path();
  o.cdromDrive.clear();
  o.ucac2Path = o.ucac3Path1 = o.ucac3Path2 = o.sa2Path = o.bssPath = dir.Path();
  return o;
}

constexpr long double kJD2020 = 2451545.0L + 20 * 365.25L;  // Julian epoch 2020.0

TEST(ZoneCatalogsAgainstScat, UCAC2AndUCAC3OfARealField) {
  TempDir dir;
  const auto stars = testing::ReadZoneStarList(CatalogData("tycho2/field_ecl200.csv"));
  testing::WriteUCAC2(dir.Path(), stars);
  testing::WriteUCAC3(dir.Path(), dir.Path(), stars);
  OptionsRecord o = ZoneOptions(dir);
  ScriptedPlatform ui;
  const FieldParameters p = testing::Field(13.0L + 13 / 60.0L + 51.846L / 3600, -(7 + 49 / 60.0L + 9.17L / 3600), 30);
  UCAC2FileObj ucac2(o, ui);
  ASSERT_TRUE(ucac2.OpenCatalog());
  std::vector<CatalogStar> ours;
  ASSERT_TRUE(ucac2.ReadField(p.window, 2451545.0L, ours));
  ExpectSameStars(ours, ReadScat("ucac2_ecl200.txt"), 5, p.window);  // scat's UCAC2 magnitude column
  UCAC3FileObj ucac3(o, ui);
  ucac3.SetColourChoice(6);
  ASSERT_TRUE(ucac3.OpenCatalog());
  ASSERT_TRUE(ucac3.ReadField(p.window, 2451545.0L, ours));
  ExpectSameStars(ours, ReadScat("ucac3_ecl200.txt"), 8, p.window);  // model magnitude
  ucac3.SetColourChoice(0);
  ASSERT_TRUE(ucac3.ReadField(p.window, 2451545.0L, ours));
  ExpectSameStars(ours, ReadScat("ucac3_ecl200.txt"), 2, p.window);  // SuperCosmos B
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(ZoneCatalogsAgainstScat, ProperMotionsOverTwentyYears) {
  TempDir dir;
  const auto stars = testing::ReadZoneStarList(CatalogData("zones/pm_field.csv"));
  testing::WriteUCAC2(dir.Path(), stars);
  testing::WriteUCAC3(dir.Path(), dir.Path(), stars);
  OptionsRecord o = ZoneOptions(dir);
  ScriptedPlatform ui;
  const FieldParameters p = testing::Field(13.5L, 45.0L, 30);
  std::vector<CatalogStar> ours, ucac2Stars;
  UCAC3FileObj ucac3(o, ui);
  ucac3.SetColourChoice(6);
  ASSERT_TRUE(ucac3.OpenCatalog());
  ASSERT_TRUE(ucac3.ReadField(p.window, kJD2020, ours));
  ExpectSameStars(ours, ReadScat("ucac3_pm2020.txt"), 8, p.window);
  // The UCAC2 carries the same great-circle motions (pmRA cos Dec): its stars
  // stand where the UCAC3's do. (scat moves UCAC2 stars by pmRA cos Dec of
  // great circle instead, so only its declinations serve here.)
  UCAC2FileObj ucac2(o, ui);
  ASSERT_TRUE(ucac2.OpenCatalog());
  ASSERT_TRUE(ucac2.ReadField(p.window, kJD2020, ucac2Stars));
  ASSERT_EQ(ucac2Stars.size(), ours.size());
  for (std::size_t i = 0; i < ours.size(); ++i) {
    EXPECT_NEAR(static_cast<double>((ucac2Stars[i].ra - ours[i].ra) * 54000 * std::cos(ours[i].dec * 3.14159265358979L / 180)),
                0, 0.02);
    EXPECT_NEAR(static_cast<double>((ucac2Stars[i].dec - ours[i].dec) * 3600), 0, 0.02);
  }
  for (const ScatStar& s : ReadScat("ucac2_pm2020.txt")) {
    if (!InWindow(p.window, s.ra, s.dec, 50)) continue;
    const auto same = std::count_if(ucac2Stars.begin(), ucac2Stars.end(), [&](const CatalogStar& c) {
      return std::fabs(static_cast<double>(c.dec - s.dec) * 3600) < 0.02 && std::fabs(static_cast<double>(c.mag) - s.cells.at(5)) < 0.005;
    });
    EXPECT_EQ(same, 1) << static_cast<double>(s.dec);
  }
}

TEST(ZoneCatalogsAgainstScat, USNOSA2BlueAndRed) {
  TempDir dir;
  testing::WriteSA(dir.Path(), testing::ReadZoneStarList(CatalogData("tycho2/field_ecl200.csv")));
  OptionsRecord o = ZoneOptions(dir);
  ScriptedPlatform ui;
  const FieldParameters p = testing::Field(13.0L + 13 / 60.0L + 51.846L / 3600, -(7 + 49 / 60.0L + 9.17L / 3600), 30);
  SAFilesObj sa(o, ui, 2);
  ASSERT_TRUE(sa.OpenCatalog());
  std::vector<CatalogStar> ours;
  sa.SetColourChoice(0);
  ASSERT_TRUE(sa.ReadField(p.window, 2451545.0L, ours));
  ExpectSameStars(ours, ReadScat("usa2_ecl200.txt"), 0, p.window);  // blue
  sa.SetColourChoice(1);
  ASSERT_TRUE(sa.ReadField(p.window, 2451545.0L, ours));
  ExpectSameStars(ours, ReadScat("usa2_ecl200.txt"), 1, p.window);  // red
}

}  // namespace
}  // namespace skarvel
