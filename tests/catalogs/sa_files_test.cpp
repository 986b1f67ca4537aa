// The USNO-SA readers and the merge of the supplement with the GSC, and the
// zone catalogs in the load sequence of a reference field.
#include "catalogs/sa_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalogs/zone_readers.h"
#include "gsc_fixture.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/zone_catalog_writer.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;
using testing::ZoneStar;

ZoneStar At(double ra, double dec, double red = 12, double blue = 13) {
  ZoneStar s;
  s.raHours = ra;
  s.decDeg = dec;
  s.mag = red;
  s.blue = blue;
  return s;
}

OptionsRecord SAOptions(const TempDir& dir) {
  OptionsRecord o;
  o.programDir = dir.Path();
  o.dataDir = dir.Path();
  o.cdromDrive.clear();
  o.sa1Path = o.sa2Path = dir.Path();
  return o;
}

TEST(SAReader, RecordsWrapAndTheMagnitudeWord) {
  const std::uint8_t bytes[12] = {0x00, 0x4F, 0x1A, 0x00, 0x07, 0x3C, 0x8E, 0x40, 0xC4, 0x65, 0x36, 0x00};
  const SARecord r = DecodeSARecord(bytes);
  EXPECT_EQ(r.ra, 0x004F1A00);
  EXPECT_EQ(r.spd, 0x073C8E40);
  EXPECT_LT(r.magWord, 0);  // a flagged word: its digits still read from the absolute value
  const std::int32_t word = 1123145098;  // Q 1, field 123, blue 14.5, red 9.8
  const SARecord m{0, 0, word};
  EXPECT_FLOAT_EQ(m.Blue(), 14.5f);
  EXPECT_FLOAT_EQ(m.Red(), 9.8f);
  EXPECT_EQ(m.FieldNumber(), 123);
  EXPECT_EQ(SAZoneStem(750), "ZONE0750");

  TempDir dir;
  ZoneStar flagged = At(23.99, 0.2, 10, 11);
  flagged.saFlagged = true;
  const auto numbers = testing::WriteSA(
      dir.Path(), {At(23.97, 0.1, 11.5, 12.5), flagged, At(0.02, 0.3), At(0.1, 0.2), At(12.0, 0.1), At(0.03, 7.6)});
  OptionsRecord o = SAOptions(dir);
  ScriptedPlatform ui;
  SAFilesObj sa(o, ui, 1);
  ASSERT_TRUE(sa.OpenCatalog());
  std::vector<SAZone> zones;
  const SearchWindow w{23.96, 0.06, 0.0, 0.5, 20};
  ASSERT_TRUE(sa.SelectZones(w, zones));
  ASSERT_EQ(zones.size(), 1u);
  EXPECT_EQ(zones[0].start, 900);
  EXPECT_EQ(zones[0].firstRecord, 3);  // 0.02, 0.1 and 12.0 h stand before bin 95
  std::vector<CatalogStar> stars;
  sa.SetColourChoice(0);
  ASSERT_TRUE(sa.ReadField(w, 2451545.0L, stars));
  ASSERT_EQ(stars.size(), 2u);  // 0.02 h and 23.97 h; the flagged star never, 0.1 h outside
  EXPECT_NEAR(static_cast<double>(stars[0].ra), 0.02, 1e-6);
  EXPECT_EQ(stars[0].id, "0900-" + std::to_string(numbers[2]));
  EXPECT_EQ(stars[1].id, "0900-" + std::to_string(numbers[0]));
  EXPECT_FLOAT_EQ(stars[1].mag, 12.5f);
  EXPECT_EQ(stars[1].band, kBandB);
  EXPECT_EQ(stars[1].catalog, kCatalogUSNOSA1);
  EXPECT_EQ(stars[1].entries, 1);
  sa.SetColourChoice(1);
  ASSERT_TRUE(sa.ReadField(SearchWindow{23.96, 0.06, -0.5, 0.5, 11.6f}, 2451545.0L, stars));
  ASSERT_EQ(stars.size(), 1u);  // red 11.5 passes 11.6, red 12 does not
  EXPECT_FLOAT_EQ(stars[0].mag, 11.5f);
  EXPECT_EQ(stars[0].band, kBandR);
  // A window across the boundary of two zones reads both.
  ASSERT_TRUE(sa.SelectZones(SearchWindow{0.0, 0.1, 7.0, 7.8, 20}, zones));
  ASSERT_EQ(zones.size(), 2u);
  EXPECT_EQ(zones[1].start, 975);
  ASSERT_TRUE(sa.ReadField(SearchWindow{0.0, 0.05, 7.0, 7.8, 20}, 2451545.0L, stars));
  ASSERT_EQ(stars.size(), 1u);
  EXPECT_EQ(stars[0].id, "0975-1");
  EXPECT_EQ(ui.ProgressNotes().front(), "USNO-SA1.0 Catalog\r\nSearching USNO-SA1.0");
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(SAReader, PolesPromptsAndDamagedAccessFiles) {
  TempDir dir;
  testing::WriteSA(dir.Path(), {At(3.0, 89.8), At(15.0, 89.9), At(3.0, -89.8)});
  OptionsRecord o = SAOptions(dir);
  ScriptedPlatform ui;
  SAFilesObj sa(o, ui, 2);
  ASSERT_TRUE(sa.OpenCatalog());
  std::vector<CatalogStar> stars;
  ASSERT_TRUE(sa.ReadField(testing::Field(0.0L, 89.9L, 30).window, 2451545.0L, stars));
  EXPECT_EQ(stars.size(), 2u);
  EXPECT_EQ(stars[0].id.substr(0, 4), "1725");
  ASSERT_TRUE(sa.ReadField(testing::Field(0.0L, -89.9L, 30).window, 2451545.0L, stars));
  EXPECT_EQ(stars.size(), 1u);
  EXPECT_EQ(stars[0].catalog, kCatalogUSNOSA2);
  // A truncated access file and one with text where the record number stands.
  const SearchWindow w{20.0, 21.0, 0.0, 0.5, 20};
  auto acc = testing::ReadText(dir / "ZONE0900.ACC");
  testing::WriteText(dir / "ZONE0900.ACC", acc.substr(0, 300));
  EXPECT_FALSE(sa.ReadField(w, 2451545.0L, stars));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Unable to Open .ACC File!\r\n\r\nFile Name: " + dir.Path() +
                                       "ZONE0900.ACC\r\nIOResult = 100");
  EXPECT_EQ(ui.Messages()[0].caption, "SA File Error!");
  acc.replace(80 * 30 + 6, 11, "   garbage ");
  testing::WriteText(dir / "ZONE0900.ACC", acc);
  EXPECT_FALSE(sa.ReadField(w, 2451545.0L, stars));
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_NE(ui.Messages()[1].text.find("IOResult = 106"), std::string::npos);
  // A hostile access file pointing far beyond the catalog file: nothing read, no message.
  acc.replace(80 * 30 + 6, 11, " 999999999 ");
  testing::WriteText(dir / "ZONE0900.ACC", acc);
  EXPECT_FALSE(sa.ReadField(w, 2451545.0L, stars));
  EXPECT_EQ(ui.Messages().size(), 2u);
  // A missing ".CAT" file prompts (error form), and a missing catalog too.
  std::filesystem::remove(dir / "ZONE0900.CAT");
  ui.TypeNext(std::nullopt);
  testing::WriteText(dir / "ZONE0900.ACC", testing::ReadText(dir / "ZONE0975.ACC"));
  EXPECT_FALSE(sa.ReadField(w, 2451545.0L, stars));
  ASSERT_EQ(ui.TextPrompts().size(), 1u);
  EXPECT_EQ(ui.TextPrompts()[0].caption, "SA2.0 File Error!");
  EXPECT_NE(ui.TextPrompts()[0].prompt.find("Unable to access USNO-SA2.0 Catalog at location"), std::string::npos);
  TempDir none;
  OptionsRecord o2 = SAOptions(none);
  o2.sa1Path.clear();
  o2.cdromDrive = "D:\\";
  ScriptedPlatform ui2;
  ui2.TypeNext(std::nullopt);
  SAFilesObj missing(o2, ui2, 1);
  EXPECT_FALSE(missing.OpenCatalog());
  ASSERT_EQ(ui2.TextPrompts().size(), 1u);
  EXPECT_EQ(ui2.TextPrompts()[0].caption, "Load SA1.0 CDROM");
  EXPECT_NE(ui2.TextPrompts()[0].prompt.find("Please insert USNO-SA1.0 Catalog in CDROM"), std::string::npos);
}

std::vector<CatalogStar> All(StarList& list) {
  std::vector<CatalogStar> stars;
  list.Reset();
  while (const CatalogStar* s = list.Next()) stars.push_back(*s);
  return stars;
}

CatalogStar Star(std::uint8_t catalog, long double ra, long double dec, float mag, const std::string& id) {
  CatalogStar s;
  s.catalog = catalog;
  s.ra = ra;
  s.dec = dec;
  s.mag = mag;
  s.id = id;
  return s;
}

TEST(SAMerge, TheGSCStarWinsWithinTwoArcSeconds) {
  TempDir scratch;
  OptionsRecord o = testing::CdromOptions(scratch);
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  GSCFieldObj field(o, ui, table);
  field.BeginField();
  const long double dec = 60;  // cos 60 = 0.5: 1" of RA is 2 / 54000 h here
  field.AddStar(Star(kCatalogGSC, 10.0L, dec, 11, "G1"));
  field.AddStar(Star(kCatalogGSC, 11.0L, dec, 12, "G2"));
  CatalogStar nonStellar = Star(kCatalogGSC, 12.0L, dec, 13, "G3");
  nonStellar.starClass = 3;
  field.AddStar(nonStellar);
  const std::vector<CatalogStar> sa = {
      Star(kCatalogUSNOSA2, 10.0L + 1.5L * 2 / 54000, dec, 10.5f, "SA-near"),   // 1.5" east of G1
      Star(kCatalogUSNOSA2, 11.0L, dec + 2.5L / 3600, 14.5f, "SA-far"),        // 2.5" north of G2
      Star(kCatalogUSNOSA2, 11.5L, dec, 9.0f, "SA-alone")};
  MergeSupplement(field, sa);
  std::vector<std::string> ids;
  field.Stars().Reset();
  while (const CatalogStar* s = field.Stars().Next()) ids.push_back(s->id);
  EXPECT_EQ(ids, (std::vector<std::string>{"G1", "G2", "SA-far", "SA-alone", "G3"}));
  EXPECT_EQ(field.StarCount(), 4);  // five entries less the non-stellar one
  EXPECT_EQ(field.NonStellarCount(), 1);
  EXPECT_FLOAT_EQ(field.BrightestMag(), 9.0f);
  EXPECT_FLOAT_EQ(field.FaintestMag(), 14.5f);
  // An SA star west of the GSC star (the SA star first in the list) goes too.
  field.BeginField();
  field.AddStar(Star(kCatalogGSC, 10.0L, dec, 11, "G1"));
  MergeSupplement(field, {Star(kCatalogUSNOSA1, 10.0L - 1.9L * 2 / 54000, dec, 10.0f, "SA-west")});
  ASSERT_EQ(All(field.Stars()).size(), 1u);
  EXPECT_EQ(All(field.Stars())[0].id, "G1");
}

TEST(ZoneLoadSequence, UCAC2WithTheBSSAndGSCWithTheSA) {
  TempDir dir;
  testing::WriteUCAC2(dir.Path(), {At(6.0, 0.1, 12), At(6.01, 0.2, 13)});
  const std::string bss = dir.MakeDir("BSS");
  testing::WriteBSS(bss, {At(6.005, 0.15, 3.5)});
  OptionsRecord o;
  o.programDir = o.dataDir = dir.Path();
  o.cdromDrive.clear();
  o.ucac2Path = dir.Path();
  o.catalogLocation = 0;
  o.primaryCatalog = kPrimaryUCAC2;
  o.supplCatalog = 3;
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  GSCFieldObj field(o, ui, table);
  ZoneCatalogReaders readers(o, ui);
  FieldLoadContext c{o, ui, table, field, {}};
  readers.Fill(c.readers, 1);
  EXPECT_EQ(c.readers.sa1, nullptr);
  FieldParameters p = testing::Field(6.005L, 0.15L, 30);
  p.useSupplement = true;
  ASSERT_TRUE(LoadReferenceField(c, p, 2451545.0L));
  ASSERT_EQ(field.Stars().Size(), 3u);
  EXPECT_EQ(All(field.Stars())[1].catalog, kCatalogUCACBSS);  // found as UCAC2Path + "BSS\"
  EXPECT_EQ(field.StarCount(), 3);
  EXPECT_FLOAT_EQ(field.BrightestMag(), 3.5f);
  EXPECT_TRUE(ui.Messages().empty());

  // The GSC fixture with an SA supplement: a GSC star's twin 1" away is dropped.
  TempDir scratch;
  OptionsRecord g = testing::ConvertedOptions(scratch);
  g.supplCatalog = 2;
  g.sa2Path = dir.MakeDir("SA");
  ScriptedPlatform ui2;
  GSCRgnsTblObj table2(g, ui2);
  GSCFieldObj field2(g, ui2, table2);
  FieldParameters q = testing::Field(13.2310684L, -7.8192147L, 30);
  q.useSupplement = true;
  FieldLoadContext plain{g, ui2, table2, field2, {}};
  ASSERT_TRUE(LoadReferenceField(plain, q, 2451545.0L));
  ASSERT_GT(field2.Stars().Size(), 3u);
  const CatalogStar gsc = All(field2.Stars())[2];
  const std::size_t gscCount = field2.Stars().Size();
  testing::WriteSA(g.sa2Path, {At(static_cast<double>(gsc.ra), static_cast<double>(gsc.dec + 1.0L / 3600)),
                               At(static_cast<double>(gsc.ra + 0.0005L), static_cast<double>(gsc.dec))});
  ZoneCatalogReaders readers2(g, ui2);
  FieldLoadContext withSA{g, ui2, table2, field2, {}};
  readers2.Fill(withSA.readers, 1);
  ASSERT_TRUE(LoadReferenceField(withSA, q, 2451545.0L));
  EXPECT_EQ(field2.Stars().Size(), gscCount + 1);
  EXPECT_EQ(field2.StarCount(), static_cast<std::int32_t>(gscCount + 1) - field2.NonStellarCount());
}

}  // namespace
}  // namespace skarvel
