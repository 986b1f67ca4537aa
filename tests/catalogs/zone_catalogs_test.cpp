// The UCAC2, UCAC3 and UCAC-BSS readers on catalogs written by the zone
// catalog writer: record ranges (with the wrap through 0 h), Ids,
// conversions, prompts and every message, and damaged files.
#include "catalogs/zone_catalogs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalogs/catalog_location.h"
#include "gsc_fixture.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/zone_catalog_writer.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;
using testing::ZoneStar;

ZoneStar At(double ra, double dec, double mag = 12) {
  ZoneStar s;
  s.raHours = ra;
  s.decDeg = dec;
  s.mag = mag;
  return s;
}

OptionsRecord ZoneOptions(const TempDir& dir) {
  OptionsRecord o;
  o.programDir = dir.Path();
  o.dataDir = dir.Path();
  o.cdromDrive.clear();
  o.gscPath1.clear();
  o.ucac2Path = o.ucac3Path1 = o.ucac3Path2 = o.bssPath = dir.Path();
  return o;
}

SearchWindow Window(double raMin, double raMax, double decMin, double decMax, float mag = 20) {
  return SearchWindow{raMin, raMax, decMin, decMax, mag};
}

std::string IOText(const std::string& message, const std::string& file, int code) {
  return message + "\r\n\r\nFile Name: " + file + "\r\nIOResult = " + std::to_string(code);
}

TEST(UCAC2Reader, WrapThroughZeroReadsBins240And1AsTwoRanges) {
  TempDir dir;
  // Zone 181 (Dec 0..0.5): stars in bin 1, bin 2, bin 120 and bin 240; zone 182 one in bin 240.
  const auto numbers = testing::WriteUCAC2(
      dir.Path(), {At(0.02, 0.1, 11.5), At(0.15, 0.2), At(12.0, 0.3), At(23.97, 0.25, 13.25), At(23.99, 0.6, 9.5)});
  OptionsRecord o = ZoneOptions(dir);
  ScriptedPlatform ui;
  UCAC2FileObj reader(o, ui);
  ASSERT_TRUE(reader.OpenCatalog());
  std::vector<CatalogStar> stars;
  const SearchWindow w = Window(23.95, 0.05, 0.0, 0.9);
  ASSERT_TRUE(reader.ReadField(w, kJ2000JulianDate, stars));
  // Zones 181 and 182, two ranges each: bins 1..1, then 240..240.
  ASSERT_EQ(reader.Ranges().size(), 4u);
  const ZoneRange& r0 = reader.Ranges()[0];
  EXPECT_EQ(r0.zone, 181);
  EXPECT_EQ(r0.first, 0);
  EXPECT_EQ(r0.last, 1);
  EXPECT_EQ(reader.Ranges()[1].zone, 181);
  EXPECT_EQ(reader.Ranges()[1].first, 3);  // after the stars of bins 1, 2 and 120
  EXPECT_EQ(reader.Ranges()[1].last, 4);
  EXPECT_EQ(reader.Ranges()[2].zone, 182);
  EXPECT_EQ(reader.Ranges()[3].first, 0);
  EXPECT_EQ(reader.Ranges()[3].last, 1);
  ASSERT_EQ(stars.size(), 3u);  // sorted by RA: 0.02 h, 23.97 h, 23.99 h
  EXPECT_EQ(stars[0].id, "00000001");
  EXPECT_EQ(stars[0].id, "0000000" + std::to_string(numbers[0]));
  EXPECT_NEAR(static_cast<double>(stars[0].ra), 0.02, 1e-9);
  EXPECT_EQ(stars[1].id, "00000004");
  EXPECT_EQ(stars[2].id, "00000005");
  EXPECT_FLOAT_EQ(stars[1].mag, 13.25f);
  EXPECT_EQ(stars[0].catalog, kCatalogUCAC2);
  EXPECT_EQ(stars[0].band, kBandNone);
  EXPECT_FLOAT_EQ(stars[0].magErr, 0.3f);
  EXPECT_FLOAT_EQ(stars[0].posErr, 0.02f);  // (-107 + 127) / 1000
  EXPECT_EQ(stars[0].entries, 3);
  EXPECT_FLOAT_EQ(reader.BrightestMag(), 9.5f);
  EXPECT_FLOAT_EQ(reader.FaintestMag(), 13.25f);
  EXPECT_EQ(ui.ProgressNotes().front(), "UCAC2 Catalog\r\nSearching Selected UCAC2 Zones.");
  // The magnitude limit is a window test too.
  ASSERT_TRUE(reader.ReadField(Window(23.95, 0.05, 0.0, 0.9, 12.0f), kJ2000JulianDate, stars));
  ASSERT_EQ(stars.size(), 2u);
}

TEST(UCAC2Reader, ZoneFilesOfTheThreeDisksArePromptedFor) {
  TempDir dir;
  testing::WriteUCAC2(dir.Path(), {At(6.0, -36.5), At(6.0, 0.0)});  // zones 108 and 181
  std::filesystem::remove(dir / "U2/z108");
  OptionsRecord o = ZoneOptions(dir);
  ScriptedPlatform ui;
  UCAC2FileObj reader(o, ui);
  ASSERT_TRUE(reader.OpenCatalog());
  ui.TypeNext("e");            // the error form: another drive
  ui.TypeNext(std::nullopt);   // the drive-root form: cancelled
  std::vector<CatalogStar> stars;
  EXPECT_FALSE(reader.ReadField(Window(5.9, 6.1, -36.6, -36.4), kJ2000JulianDate, stars));
  ASSERT_EQ(ui.TextPrompts().size(), 2u);
  EXPECT_EQ(ui.TextPrompts()[0].caption, "UCAC2 File Error!");
  EXPECT_EQ(ui.TextPrompts()[0].prompt, CatalogPromptText("UCAC2 Reference Catalog", dir.Path(), true));
  EXPECT_EQ(ui.TextPrompts()[1].caption, "Load UCAC2 CDROM");
  EXPECT_EQ(ui.TextPrompts()[1].prompt,
            "Please insert UCAC2 Catalog CD #2 in CDROM drive shown.  (Change drive letter if incorrect, or Press "
            "\"Browse\" to locate on Fixed Disk.)\r\n\r\n*** Allow CD Drive to Finish Loading Before Pressing "
            "\"OK\". ***");
  EXPECT_TRUE(ui.Messages().empty());  // a cancelled prompt ends silently
  // The disk of a zone: below 107 CD #1, 107..182 CD #2, from 183 CD #3.
  auto decOf = [](int zone) { return (zone - 1) * 0.5 - 90 + 0.25; };
  for (const auto& [zone, disk] :
       std::vector<std::pair<int, std::string>>{{106, "CD #1"}, {107, "CD #2"}, {182, "CD #2"}, {183, "CD #3"}}) {
    TempDir disks;
    testing::WriteUCAC2(disks.Path(), {At(6.0, decOf(zone))});
    std::filesystem::remove(disks / ("U2/z" + std::to_string(zone)));
    OptionsRecord root = ZoneOptions(disks);
    ScriptedPlatform ui2;
    UCAC2FileObj r2(root, ui2);
    ASSERT_TRUE(r2.OpenCatalog());
    ui2.TypeNext("e");
    ui2.TypeNext(std::nullopt);
    r2.ReadField(Window(5.9, 6.1, decOf(zone), decOf(zone)), kJ2000JulianDate, stars);
    ASSERT_EQ(ui2.TextPrompts().size(), 2u) << zone;
    EXPECT_EQ(ui2.TextPrompts()[1].prompt, CatalogPromptText("UCAC2 Catalog " + disk, "E:\\", false)) << zone;
  }
}

TEST(UCAC2Reader, MissingAndDamagedIndexAndZoneFiles) {
  TempDir dir;
  testing::WriteUCAC2(dir.Path(), {At(6.0, 0.1)});
  OptionsRecord o = ZoneOptions(dir);
  {  // no index anywhere: the prompt (error form, the location is a folder), cancelled
    TempDir empty;
    OptionsRecord none = ZoneOptions(empty);
    ScriptedPlatform ui;
    ui.TypeNext(std::nullopt);
    UCAC2FileObj reader(none, ui);
    EXPECT_FALSE(reader.OpenCatalog());
    ASSERT_EQ(ui.TextPrompts().size(), 1u);
    EXPECT_EQ(ui.TextPrompts()[0].caption, "UCAC2 File Error!");
    EXPECT_EQ(ui.TextPrompts()[0].prompt, CatalogPromptText("UCAC2 Catalog", empty.Path(), true));
  }
  {  // a truncated index
    auto bytes = testing::ReadAll(dir / "U2/u2index.da");
    bytes.resize(1000);
    testing::WriteAll(dir / "U2/u2index.da", bytes);
    ScriptedPlatform ui;
    UCAC2FileObj reader(o, ui);
    EXPECT_FALSE(reader.OpenCatalog());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, IOText("Unable to Open NX Array File!", dir.Path() + "U2\\u2index.da", 100));
    EXPECT_EQ(ui.Messages()[0].caption, "UCAC2 File Error!");
    EXPECT_FALSE(reader.Loaded());
  }
  {  // a hostile index (counts running backwards and far beyond the file) and a cut zone file
    std::vector<std::uint8_t> hostile(288 * 240 * 4);
    for (std::size_t i = 0; i < hostile.size(); i += 4) {
      const std::int32_t v = (i / 4) % 2 == 0 ? 2000000000 : -5;
      for (int b = 0; b < 4; ++b) hostile[i + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * b));
    }
    testing::WriteAll(dir / "U2/u2index.da", hostile);
    auto zone = testing::ReadAll(dir / "U2/z181");
    zone.resize(30);
    testing::WriteAll(dir / "U2/z181", zone);
    ScriptedPlatform ui;
    UCAC2FileObj reader(o, ui);
    ASSERT_TRUE(reader.OpenCatalog());
    std::vector<CatalogStar> stars;
    EXPECT_FALSE(reader.ReadField(Window(0, 23.99, 0.0, 0.4), kJ2000JulianDate, stars));
    for (const ZoneRange& r : reader.Ranges()) EXPECT_LE(r.first, r.last);
  }
}

TEST(UCAC3Reader, ColoursAndAStarWithoutSuperCosmosB) {
  TempDir side1, side2;
  ZoneStar noB = At(3.0, -20.25, 14.0);  // zone 140: side 1
  noB.scB = 0;
  ZoneStar north = At(3.01, 10.25, 13.0);  // zone 201: side 2
  testing::WriteUCAC3(side1.Path(), side2.Path(), {noB, north});
  OptionsRecord o = ZoneOptions(side1);
  o.ucac3Path2 = side2.Path();
  ScriptedPlatform ui;
  UCAC3FileObj reader(o, ui);
  ASSERT_TRUE(reader.OpenCatalog());
  EXPECT_EQ(reader.Side1Directory(), side1.Path());
  EXPECT_EQ(reader.Side2Directory(), side2.Path());
  std::vector<CatalogStar> stars;
  reader.SetColourChoice(0);
  ASSERT_TRUE(reader.ReadField(Window(2.9, 3.1, -20.5, -20.0), kJ2000JulianDate, stars));
  ASSERT_EQ(stars.size(), 1u);
  EXPECT_EQ(stars[0].starClass, 1);
  EXPECT_FLOAT_EQ(stars[0].magErr, 10.0f);
  EXPECT_FALSE(stars[0].useMag);
  EXPECT_EQ(stars[0].band, kBandB);
  EXPECT_EQ(stars[0].id, "3UCAC000000001");
  EXPECT_NEAR(stars[0].posErr, 0.025, 1e-6);  // hypot(0.015, 0.020)
  const std::vector<std::pair<std::uint8_t, std::pair<float, std::uint8_t>>> colours = {
      {1, {13.8f, kBandR}}, {2, {13.5f, kBandI}}, {3, {13.0f, kBandJ}}, {4, {12.7f, kBandH}},
      {5, {12.6f, kBandK}}, {6, {14.0f, kBandNone}}};
  // The star's magnitudes as ReadZoneStarList would give them (mag 14).
  for (const auto& [choice, expect] : colours) {
    ZoneStar s = At(3.0, -20.25, 14.0);
    s.scR2 = 13.8; s.scI = 13.5; s.j = 13.0; s.h = 12.7; s.k = 12.6;
    testing::WriteUCAC3(side1.Path(), side2.Path(), {s, north});
    reader.SetColourChoice(choice);
    ASSERT_TRUE(reader.ReadField(Window(2.9, 3.1, -20.5, -20.0), kJ2000JulianDate, stars));
    EXPECT_FLOAT_EQ(stars[0].mag, expect.first) << int(choice);
    EXPECT_EQ(stars[0].band, expect.second) << int(choice);
    EXPECT_EQ(stars[0].starClass, 0);
    EXPECT_TRUE(stars[0].useMag);
  }
  EXPECT_FLOAT_EQ(stars[0].magErr, 0.05f);  // the model magnitude's error
  reader.SetColourChoice(3);
  ASSERT_TRUE(reader.ReadField(Window(2.9, 3.1, -20.5, -20.0), kJ2000JulianDate, stars));
  EXPECT_FLOAT_EQ(stars[0].magErr, 0.03f);  // 2MASS J error / 100
  // Zone 201 comes from side 2, with the running number after zone 140's star.
  ASSERT_TRUE(reader.ReadField(Window(2.9, 3.1, 10.0, 10.4), kJ2000JulianDate, stars));
  ASSERT_EQ(stars.size(), 1u);
  EXPECT_EQ(stars[0].id, "3UCAC000000002");
  EXPECT_EQ(ui.ProgressNotes().front(), "UCAC3 Catalog\r\nSearching Selected UCAC3 Zones.");
}

TEST(UCAC3Reader, BothPolesAndDamagedFiles) {
  TempDir dir;
  std::vector<ZoneStar> stars;
  for (double ra : {0.5, 6.0, 12.0, 23.9}) {
    stars.push_back(At(ra, 89.8));
    stars.push_back(At(ra, -89.8));
  }
  testing::WriteUCAC3(dir.Path(), dir.Path(), stars);
  OptionsRecord o = ZoneOptions(dir);
  ScriptedPlatform ui;
  UCAC3FileObj reader(o, ui);
  ASSERT_TRUE(reader.OpenCatalog());
  std::vector<CatalogStar> found;
  for (long double pole : {89.9L, -89.9L}) {
    FieldParameters p = testing::Field(3.0L, pole, 30);
    ASSERT_EQ(p.window.raMin, 0);
    ASSERT_EQ(p.window.raMax, 24);
    ASSERT_TRUE(reader.ReadField(p.window, kJ2000JulianDate, found));
    EXPECT_EQ(found.size(), 4u) << static_cast<double>(pole);
  }
  // A zone table with text where numbers belong, and a truncated index.
  testing::WriteText(dir / "table_zones", "heading\n1 1 0\nzone two three\n");
  ScriptedPlatform ui2;
  UCAC3FileObj broken(o, ui2);
  EXPECT_FALSE(broken.OpenCatalog());
  ASSERT_EQ(ui2.Messages().size(), 1u);
  EXPECT_EQ(ui2.Messages()[0].text, IOText("Unable to Open Table Zones File!", dir.Path() + "table_zones", 106));
  EXPECT_EQ(ui2.Messages()[0].caption, "UCAC3 File Error!");
  testing::WriteAll(dir / "u3index.unf", std::vector<std::uint8_t>(100, 0xFF));
  ScriptedPlatform ui3;
  UCAC3FileObj cut(o, ui3);
  EXPECT_FALSE(cut.OpenCatalog());
  ASSERT_EQ(ui3.Messages().size(), 1u);
  EXPECT_EQ(ui3.Messages()[0].text, IOText("Unable to Open Index File!", dir.Path() + "u3index.unf", 100));
}

TEST(UCAC3Reader, MissingZoneOnTheCdromPromptsForItsSide) {
  TempDir dir;
  testing::WriteUCAC3(dir.Path(), dir.Path(), {At(3.0, 10.25)});
  std::filesystem::remove(dir / "z201");
  OptionsRecord o = ZoneOptions(dir);
  o.ucac3Path1.clear();
  o.ucac3Path2.clear();
  o.cdromDrive = dir.Path();  // the catalog "on the CD-ROM"
  ScriptedPlatform ui;
  ui.TypeNext(std::nullopt);
  UCAC3FileObj reader(o, ui);
  ASSERT_TRUE(reader.OpenCatalog());
  EXPECT_EQ(reader.Side2Directory(), dir.Path() + "UCAC3B\\");
  std::vector<CatalogStar> stars;
  EXPECT_FALSE(reader.ReadField(Window(2.9, 3.1, 10.0, 10.4), kJ2000JulianDate, stars));
  ASSERT_EQ(ui.TextPrompts().size(), 1u);
  EXPECT_EQ(ui.TextPrompts()[0].caption, "UCAC3 Catalog (Side 2)");
  EXPECT_EQ(ui.TextPrompts()[0].prompt, CatalogPromptText("UCAC3 CDROM  - SIDE 2", dir.Path() + "UCAC3B\\", true));
}

TEST(BSSReader, IndexNamesChooserAndConversion) {
  TempDir dir;
  ZoneStar bright = At(5.5, 7.3, 3.25);
  bright.pmRA = 100;  // mas/yr of great circle
  bright.pmDec = -200;
  testing::WriteBSS(dir.Path(), {At(5.4, 7.2, 4.5), bright}, "BSINDX.DA");
  TempDir elsewhere;
  OptionsRecord o = ZoneOptions(elsewhere);
  o.bssPath.clear();
  o.ucac2Path.clear();
  o.gscPath1 = elsewhere.Path();
  ScriptedPlatform ui;
  ui.ChooseDirectoryNext(dir.Path().substr(0, dir.Path().size() - 1));
  BSSFileObj reader(o, ui);
  ASSERT_TRUE(reader.OpenCatalog());
  ASSERT_EQ(ui.DirectoryDialogs().size(), 1u);
  EXPECT_EQ(ui.DirectoryDialogs()[0].directory, elsewhere.Path());
  EXPECT_EQ(o.bssPath, dir.Path().substr(0, dir.Path().size() - 1) + "\\");
  std::vector<CatalogStar> stars;
  const long double jd = kJ2000JulianDate + 20 * kDaysPerJulianYear;
  ASSERT_TRUE(reader.ReadField(Window(5.3, 5.6, 7.0, 7.5), jd, stars));
  ASSERT_EQ(stars.size(), 2u);
  EXPECT_EQ(stars[0].id, "50000001");
  EXPECT_EQ(stars[1].id, "50000002");
  EXPECT_EQ(stars[1].catalog, kCatalogUCACBSS);
  EXPECT_EQ(stars[1].band, kBandV);
  EXPECT_NEAR(static_cast<double>(stars[1].dec), 7.3 - 4.0 / 3600, 1e-9);  // 20 years of -200 mas/yr
  EXPECT_NEAR(static_cast<double>((stars[1].ra - 5.5) * 54000 * std::cos(stars[1].dec * 3.14159265358979L / 180)),
              2.0, 1e-5);  // 20 years of 100 mas/yr of great circle
  EXPECT_FLOAT_EQ(stars[1].pmRA, 0.1f);  // arc seconds per year
  EXPECT_FLOAT_EQ(stars[1].pmDec, -0.2f);
  EXPECT_EQ(ui.ProgressNotes().front(), "UCAC2-BSS Catalog\r\nSearching Selected BSS Zones.");
  // A missing zone file: its message, no prompt.
  std::filesystem::remove(dir / "s20");  // Dec 7.3: zone 20
  ASSERT_FALSE(reader.ReadField(Window(5.3, 5.6, 7.0, 7.5), jd, stars));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, IOText("Unable to Open BSS File!", o.bssPath + "s20", 2));
  EXPECT_EQ(ui.Messages()[0].caption, "BSS File Error!");
  EXPECT_TRUE(ui.TextPrompts().empty());
  // Cancelling the chooser ends the search without a message.
  TempDir none;
  OptionsRecord o2 = ZoneOptions(none);
  ScriptedPlatform ui2;
  ui2.ChooseDirectoryNext(std::nullopt);
  BSSFileObj cancelled(o2, ui2);
  EXPECT_FALSE(cancelled.OpenCatalog());
  EXPECT_TRUE(ui2.Messages().empty());
  EXPECT_EQ(BSSFileObj::FindIndex(dir.Path()), "bsindx.da");
}

}  // namespace
}  // namespace skarvel
