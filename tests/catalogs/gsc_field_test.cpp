#include "catalogs/gsc_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "catalogs/gsc_zones.h"
#include "gsc_fixture.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::CdromOptions;
using testing::ConvertedOptions;
using testing::Field;
using testing::ScriptedPlatform;
using testing::TempDir;

/// A regions table, field object and platform over one set of options.
struct Reader {
  explicit Reader(OptionsRecord o) : options(std::move(o)), table(options, ui), field(options, ui, table) {}
  /// The GSC part of a load for `p`: true when the table loaded and regions overlap.
  bool Load(const FieldParameters& p) {
    field.BeginField();
    table.LoadRegions(true);
    if (!table.Loaded()) return false;
    regions = table.FindRegions(p.window);
    if (regions.count == 0) return false;
    field.PrepareField();
    field.LoadGSCField(p.window, regions);
    return true;
  }
  std::vector<CatalogStar> Stars() {
    std::vector<CatalogStar> v;
    field.Stars().Reset();
    while (const CatalogStar* s = field.Stars().Next()) v.push_back(*s);
    return v;
  }
  OptionsRecord options;
  ScriptedPlatform ui;
  GSCRgnsTblObj table;
  GSCFieldObj field;
  RegionList regions;
};

/// A copy of record i of a list (a failure and an empty star when there is none).
CatalogStar At(StarList& list, std::int32_t i) {
  if (const CatalogStar* s = list.GetAt(i)) return *s;
  ADD_FAILURE() << "no star " << i;
  return {};
}

std::string Record(int number, double raDeg, double decDeg, double posErr, double mag, double magErr, int cls) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%5d%9.5f%9.5f%5.1f%5.2f%4.2f%2d%1d%4s%1s", number, raDeg, decDeg, posErr, mag, magErr,
                1, cls, "0101", "F");
  return std::string(buf, 45);
}

TEST(GSCRecord, CdromRecordFieldsByOffset) {
  CatalogStar s;
  ASSERT_TRUE(ParseGSCRecord("  117359.99990-89.12345  0.4 9.870.23 13A12BT", 42, false, s));
  EXPECT_EQ(s.id, "00042-00117");
  EXPECT_EQ(s.catalog, kCatalogGSC);
  EXPECT_NEAR(static_cast<double>(s.ra), 359.9999, 1e-12);  // degrees until merged
  EXPECT_NEAR(static_cast<double>(s.dec), -89.12345, 1e-12);
  EXPECT_FLOAT_EQ(s.posErr, 0.4f);
  EXPECT_FLOAT_EQ(s.mag, 9.87f);
  EXPECT_FLOAT_EQ(s.magErr, 0.23f);
  EXPECT_EQ(s.starClass, 3);
  EXPECT_EQ(s.entries, 1);
  EXPECT_EQ(s.band, kBandUnknown);
  EXPECT_TRUE(s.usePos);
  EXPECT_FALSE(s.useMag);
  EXPECT_EQ(s.pmRA, 0.0f);
  EXPECT_FALSE(ParseGSCRecord(std::string(45, ' '), 42, true, s));
  EXPECT_FALSE(ParseGSCRecord("     359.99990-89.12345  0.4 9.870.23 13A12BT", 42, true, s));
  EXPECT_FALSE(ParseGSCRecord("  117359.99990-89.1x345  0.4 9.870.23 13A12BT", 42, true, s));
  EXPECT_FALSE(ParseGSCRecord("  117359.99990-89.12345  0.4 9.870.23 1xA12BT", 42, true, s));
  EXPECT_FALSE(ParseGSCRecord("  117359.99990", 42, true, s));
}

TEST(GSCRecord, ConvertedRecordIsLittleEndianFieldByField) {
  ByteWriter w;
  w.I32(235959999);  // 23.5959999 h
  w.I32(-8912345);   // -89.12345 deg
  w.Zeros(4);
  w.I16(9870);       // mag 9.870
  w.I16(4);          // 0.4"
  w.I16(23);         // 0.23 mag
  w.I16(0x1203);     // entries: the low byte, 3
  w.U8(3);
  w.Text("00117", 5);
  ASSERT_EQ(w.Size(), kGSCConvertedRecordBytes);
  const CatalogStar s = DecodeConvertedGSCRecord(w.Buffer().data(), 5260, true);
  EXPECT_EQ(s.id, "05260-00117");
  EXPECT_NEAR(static_cast<double>(s.ra), 23.5959999, 1e-12);
  EXPECT_NEAR(static_cast<double>(s.dec), -89.12345, 1e-12);
  EXPECT_FLOAT_EQ(s.mag, 9.87f);
  EXPECT_FLOAT_EQ(s.posErr, 0.4f);
  EXPECT_FLOAT_EQ(s.magErr, 0.23f);
  EXPECT_EQ(s.entries, 3);
  EXPECT_EQ(s.starClass, 3);
  EXPECT_TRUE(s.useMag);
  EXPECT_EQ(s.band, kBandUnknown);
}

// Both forms of the real Tycho-2 fields agree with each other and with
// Tycho-2. The ecl200 field spans two zones on two volumes (S0000 on Volume
// I, S0730 on Volume II); a region file of ecl090 holds a blank record.
class TychoFields : public ::testing::TestWithParam<std::tuple<double, double, bool>> {};

INSTANTIATE_TEST_SUITE_P(GSCField, TychoFields,
                         ::testing::Values(std::make_tuple(13.2310684, -7.8192147, true),
                                           std::make_tuple(5.9999999, 23.4392813, false),
                                           std::make_tuple(20.1454170, -20.1503582, false)));

TEST_P(TychoFields, BothFormsAgreeWithTycho2) {
  TempDir scratch;
  const auto [ra, dec, twoVolumes] = GetParam();
  const FieldParameters p = Field(ra, dec, 50);
  Reader cd(CdromOptions(scratch));
  Reader bin(ConvertedOptions(scratch));
  ASSERT_TRUE(cd.Load(p));
  ASSERT_TRUE(bin.Load(p));
  EXPECT_TRUE(cd.ui.Messages().empty());
  EXPECT_TRUE(cd.ui.TextPrompts().empty());
  EXPECT_TRUE(bin.ui.Messages().empty());
  bool volumeI = false, volumeII = false;
  for (int i = 0; i < cd.regions.count; ++i) {
    (GSCZoneOnVolumeII(GSCZoneOfRegion(cd.regions.regions[i])) ? volumeII : volumeI) = true;
  }
  EXPECT_EQ(volumeI && volumeII, twoVolumes);
  EXPECT_EQ(cd.field.VolumePath1(), testing::kVol1);
  EXPECT_EQ(cd.field.VolumePath2(), testing::kVol2);
  EXPECT_EQ(cd.field.PrimaryName(), "STScI Guide Star Catalog");

  const auto a = cd.Stars();
  const auto b = bin.Stars();
  ASSERT_EQ(a.size(), b.size());
  ASSERT_GT(a.size(), 20u);
  EXPECT_EQ(cd.field.StarCount(), static_cast<std::int32_t>(a.size()));
  EXPECT_EQ(cd.field.NonStellarCount(), 0);
  // The converted files hold the generator's merge, rounded to 1e-7 h, 1e-5 deg, 0.001 mag.
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].id, b[i].id);
    EXPECT_NEAR(static_cast<double>(a[i].ra), static_cast<double>(b[i].ra), 0.51e-7);
    EXPECT_NEAR(static_cast<double>(a[i].dec), static_cast<double>(b[i].dec), 0.51e-5);
    EXPECT_NEAR(a[i].mag, b[i].mag, 0.00051);
    EXPECT_NEAR(a[i].posErr, b[i].posErr, 0.051);
    EXPECT_NEAR(a[i].magErr, b[i].magErr, 0.0051);
    EXPECT_EQ(a[i].entries, b[i].entries);
    if (i > 0) {
      EXPECT_TRUE(CatalogStarOrder::ComesAfter(a[i], a[i - 1])) << i;
    }
  }
  // Against the Tycho-2 star behind every entry: within the 0.3" plate scatter.
  const auto truth = testing::FixtureStars();
  float brightest = 25;
  for (const auto& s : a) {
    const auto it = truth.find(s.id);
    ASSERT_NE(it, truth.end()) << s.id;
    EXPECT_EQ(it->second.source.rfind("AN4107-", 0), 0u) << s.id;
    EXPECT_LT(testing::ArcsecBetween(static_cast<double>(s.ra), static_cast<double>(s.dec), it->second.raHours,
                                     it->second.decDeg),
              0.45)
        << s.id;
    EXPECT_NEAR(s.mag, it->second.mag, 0.045) << s.id;
    EXPECT_EQ(s.entries, it->second.entries) << s.id;
    brightest = std::min(brightest, static_cast<float>(it->second.mag));
  }
  EXPECT_NEAR(cd.field.BrightestMag(), brightest, 0.045);
  EXPECT_NEAR(bin.field.BrightestMag(), brightest, 0.045);
  EXPECT_GE(cd.field.FaintestMag(), a.front().mag - 0.05f);
}

TEST(GSCField, WindowAcrossZeroHoursTakesStarsOnBothSides) {
  TempDir scratch;
  const FieldParameters p = Field(0.01, 0.0, 60);
  for (const bool converted : {false, true}) {
    Reader r(converted ? ConvertedOptions(scratch) : CdromOptions(scratch));
    ASSERT_TRUE(r.Load(p));
    const auto truth = testing::FixtureStars();
    std::set<std::string> sources;
    for (const auto& s : r.Stars()) {
      sources.insert(truth.at(s.id).source);
      EXPECT_TRUE(InWindow(p.window, s.ra, s.dec, s.mag)) << s.id;
      EXPECT_GE(s.ra, 0.0L);
      EXPECT_LT(s.ra, 24.0L);
    }
    EXPECT_TRUE(sources.count("SYN-RA2398")) << converted;
    EXPECT_TRUE(sources.count("SYN-RA0003")) << converted;
    EXPECT_FALSE(sources.count("SYN-RA0010")) << converted;
    // Both sides of 0 h are present, and non-stellar objects are counted apart.
    const auto stars = r.Stars();
    EXPECT_LT(stars.front().ra, 0.07L);
    EXPECT_GT(stars.back().ra, 23.9L);
    EXPECT_EQ(r.field.StarCount() + r.field.NonStellarCount(), static_cast<std::int32_t>(stars.size()));
    EXPECT_GE(r.field.NonStellarCount(), 1);
  }
}

TEST(GSCField, PlateEntriesAcrossZeroHoursMergeAtZeroHours) {
  // The star's entries at 359.9999 and 0.0001 degrees are the only ones in
  // this small field: they stand next to each other and merge to 0 h.
  TempDir scratch;
  const FieldParameters p = Field(0.0, 3.0, 2);
  Reader cd(CdromOptions(scratch));
  ASSERT_TRUE(cd.Load(p));
  ASSERT_EQ(cd.field.RawStars().Size(), 2u);
  ASSERT_EQ(cd.field.Stars().Size(), 1u);
  const CatalogStar s = At(cd.field.Stars(), 0);
  EXPECT_EQ(testing::FixtureStars().at(s.id).source, "SYN-WRAP");
  EXPECT_EQ(s.entries, 2);
  const double offHours = std::min(static_cast<double>(s.ra), 24.0 - static_cast<double>(s.ra));
  EXPECT_LT(offHours * 15 * 3600, 0.001);  // arc seconds of RA from 0 h, not 180 degrees away
  EXPECT_GE(s.ra, 0.0L);
  EXPECT_LT(s.ra, 24.0L);
  Reader bin(ConvertedOptions(scratch));
  ASSERT_TRUE(bin.Load(p));
  ASSERT_EQ(bin.field.Stars().Size(), 1u);
  EXPECT_LT(std::min(static_cast<double>(At(bin.field.Stars(), 0).ra),
                     24.0 - static_cast<double>(At(bin.field.Stars(), 0).ra)),
            1e-6);
}

TEST(GSCField, PolarCapsReadTheirRegions) {
  TempDir scratch;
  for (const double dec : {89.9, -89.9}) {
    Reader r(CdromOptions(scratch));
    const FieldParameters p = Field(7.0, dec, 30);
    ASSERT_TRUE(r.Load(p)) << dec;
    EXPECT_EQ(r.regions.count, 3);
    std::size_t expected = 0;
    for (const auto& [id, f] : testing::FixtureStars())
      if (std::abs(f.decDeg) > 88.9 && (dec > 0) == (f.decDeg > 0)) ++expected;
    EXPECT_EQ(r.field.Stars().Size(), expected) << dec;
    EXPECT_TRUE(r.ui.Messages().empty());
  }
}

TEST(GSCMerge, WeightsErrorsAndRuns) {
  TempDir scratch;
  OptionsRecord o = CdromOptions(scratch);
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  GSCFieldObj field(o, ui, table);
  auto entry = [](const char* id, long double raDeg, long double dec, float posErr, float mag, float magErr,
                  std::uint8_t cls, bool useMag) {
    CatalogStar s;
    s.catalog = kCatalogGSC;
    s.id = id;
    s.ra = raDeg;
    s.dec = dec;
    s.posErr = posErr;
    s.mag = mag;
    s.magErr = magErr;
    s.starClass = cls;
    s.entries = 1;
    s.useMag = useMag;
    return s;
  };
  // A: PosErr 0 weighs 10, PosErr 0.5 weighs 2; MagErr 0.25 weighs 4, 0 weighs 10.
  field.RawStars().InsertSorted(entry("00001-00001", 30.0, 10.0, 0.0f, 12.0f, 0.25f, 0, true));
  field.RawStars().InsertSorted(entry("00001-00001", 30.0012, 10.0006, 0.5f, 12.7f, 0.0f, 3, false));
  // B single, then C - D - C: the two C entries are kept apart by D.
  field.RawStars().InsertSorted(entry("00001-00002", 31.0, 11.0, 0.4f, 13.0f, 0.2f, 0, true));
  field.RawStars().InsertSorted(entry("00001-00003", 32.0, 12.0, 0.3f, 14.0f, 0.2f, 0, true));
  field.RawStars().InsertSorted(entry("00001-00004", 32.00001, 12.0, 0.3f, 14.0f, 0.2f, 0, true));
  field.RawStars().InsertSorted(entry("00001-00003", 32.00002, 12.0, 0.3f, 14.0f, 0.2f, 0, true));
  field.RawStars().InsertSorted(entry("00001-00005", 33.0, 13.0, 0.0f, 15.0f, 0.0f, 0, true));
  field.MergeEntries();
  ASSERT_EQ(field.Stars().Size(), 6u);
  const CatalogStar a = At(field.Stars(), 0);
  EXPECT_EQ(a.id, "00001-00001");
  EXPECT_NEAR(static_cast<double>(a.ra), (10 * 30.0 + 2 * 30.0012) / 12 / 15, 1e-15);
  EXPECT_NEAR(static_cast<double>(a.dec), (10 * 10.0 + 2 * 10.0006) / 12, 1e-13);
  EXPECT_NEAR(a.posErr, std::sqrt(2.0) / 12, 1e-7);
  EXPECT_NEAR(a.mag, (4 * 12.0 + 10 * 12.7) / 14, 1e-5);
  EXPECT_NEAR(a.magErr, std::sqrt(2.0) / 14, 1e-7);
  EXPECT_EQ(a.starClass, 3);   // the largest of the run
  EXPECT_EQ(a.entries, 2);
  EXPECT_FALSE(a.useMag);      // from the last entry
  const CatalogStar b = At(field.Stars(), 1);
  EXPECT_NEAR(static_cast<double>(b.ra), 31.0 / 15, 1e-15);  // a single entry keeps its RA, in hours
  EXPECT_NEAR(b.posErr, 0.4f, 1e-6);                          // 1 / w
  EXPECT_EQ(b.entries, 1);
  EXPECT_EQ(At(field.Stars(), 2).id, "00001-00003");
  EXPECT_EQ(At(field.Stars(), 3).id, "00001-00004");
  EXPECT_EQ(At(field.Stars(), 4).id, "00001-00003");
  EXPECT_EQ(At(field.Stars(), 4).entries, 1);
  const CatalogStar e = At(field.Stars(), 5);
  EXPECT_NEAR(e.posErr, 0.1f, 1e-6);  // PosErr 0: w = 10
  EXPECT_NEAR(e.magErr, 0.1f, 1e-6);
  EXPECT_EQ(field.StarCount(), 5);
  EXPECT_EQ(field.NonStellarCount(), 1);
}

TEST(GSCRegionFiles, Region5259FromVolumeIAnd5260FromVolumeII) {
  TempDir scratch;
  const std::string v1 = scratch.MakeDir("v1"), v2 = scratch.MakeDir("v2");
  std::filesystem::create_directories(v1 + "GSC/S0000");
  std::filesystem::create_directories(v2 + "GSC/S0730");
  testing::WriteRegionFile(v1 + "GSC/S0000/5259.GSC", {Record(1, 10.0, -7.0, 0.3, 12.0, 0.2, 0)});
  testing::WriteRegionFile(v2 + "GSC/S0730/5260.GSC", {Record(1, 11.0, -7.6, 0.3, 12.0, 0.2, 0)});
  OptionsRecord o = CdromOptions(scratch);
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  GSCFieldObj field(o, ui, table);
  field.SetVolumePaths(v1, v2);
  EXPECT_TRUE(field.OpenRegionFile(5259));
  EXPECT_TRUE(field.OpenRegionFile(5260));
  EXPECT_TRUE(ui.TextPrompts().empty());
  field.SetVolumePaths(v2, v1);  // swapped: each is missing now
  EXPECT_FALSE(field.OpenRegionFile(5259));
  EXPECT_FALSE(field.OpenRegionFile(5260));
  ASSERT_EQ(ui.TextPrompts().size(), 2u);
  EXPECT_NE(ui.TextPrompts()[0].prompt.find("Guide Star Catalog Volume I at location \"" + v2 + "\""),
            std::string::npos);
  EXPECT_NE(ui.TextPrompts()[1].prompt.find("Guide Star Catalog Volume II at location \"" + v1 + "\""),
            std::string::npos);
  EXPECT_FALSE(field.OpenRegionFile(0));
  EXPECT_FALSE(field.OpenRegionFile(9538));
}

TEST(GSCRegionFiles, MissingRegionFileWalksThePrompt) {
  TempDir scratch;
  const FieldParameters p = Field(6.0, 23.4392813, 20);
  {
    // Browse to the GSC folder of the volume: that ending is removed.
    Reader r(CdromOptions(scratch));
    r.field.SetVolumePaths(scratch.Path(), "");
    r.ui.TypeNext("Browse");
    r.ui.ChooseDirectoryNext(testing::kVol1 + "GSC/");
    ASSERT_TRUE(r.Load(p));
    ASSERT_EQ(r.ui.TextPrompts().size(), 1u);
    EXPECT_EQ(r.ui.TextPrompts()[0].caption, "GSC File Error!");
    EXPECT_EQ(r.ui.TextPrompts()[0].prompt,
              "Unable to access Guide Star Catalog Volume I at location \"" + scratch.Path() +
                  "\".\r\n\r\nChange drive letter if incorrect, or Press \"Browse\" to locate on Fixed Disk.");
    EXPECT_EQ(r.field.VolumePath1(), testing::kVol1);
    EXPECT_GT(r.field.Stars().Size(), 10u);
    EXPECT_TRUE(r.field.ReadComplete());
  }
  {
    // OK with drive "q" gives the bare root "Q:\", asked again in the other form; then Cancel.
    Reader r(CdromOptions(scratch));
    r.field.SetVolumePaths(scratch.Path(), "");
    r.ui.TypeNext("q");
    r.ui.TypeNext(std::nullopt);
    ASSERT_TRUE(r.Load(p));  // the table loaded and regions overlap: the GSC part succeeded
    ASSERT_EQ(r.ui.TextPrompts().size(), 2u);
    EXPECT_EQ(r.ui.TextPrompts()[1].caption, "Change GSC Volume");
    EXPECT_EQ(r.ui.TextPrompts()[1].initial, "Q:\\");
    EXPECT_EQ(r.ui.TextPrompts()[1].prompt.rfind("Please insert Guide Star Catalog Volume I in CDROM drive shown.", 0),
              0u);
    EXPECT_TRUE(r.field.Stars().IsEmpty());
    EXPECT_FALSE(r.field.ReadComplete());
    EXPECT_TRUE(r.ui.Messages().empty());  // Cancel ends the load silently
  }
}

TEST(GSCRegionFiles, DamagedRegionFiles) {
  TempDir scratch;
  const std::string v = scratch.MakeDir("v");
  std::filesystem::create_directories(v + "GSC/N0000");
  OptionsRecord o = CdromOptions(scratch);
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  GSCFieldObj field(o, ui, table);
  field.SetVolumePaths(v, v);
  const SearchWindow all{0, 24, -90, 90, 30};
  RegionList one;
  one.count = 1;
  one.regions[0] = 1;
  // Shorter than its header: no record 192.
  testing::WriteAll(v + "GSC/N0000/0001.GSC", std::vector<std::uint8_t>(8000, ' '));
  EXPECT_FALSE(field.LoadGSCField(all, one));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Unable to Open GSC File!\r\n\r\nFile Name: " + v + "GSC\\N0000\\0001.GSC\r\nIOResult = 100");
  EXPECT_EQ(ui.Messages()[0].caption, "GSC File Error!");
  // Garbage records and a partial last record are skipped; good ones are read.
  std::vector<std::string> records = {Record(1, 1.0, 1.0, 0.3, 12.0, 0.2, 0), std::string(45, '\xff'),
                                      std::string(45, ' '), "    2" + std::string(40, 'x'),
                                      Record(3, 1.5, 1.5, 0.3, 12.5, 0.2, 0), "    4  1.00000"};
  testing::WriteRegionFile(v + "GSC/N0000/0001.GSC", records);
  EXPECT_TRUE(field.LoadGSCField(all, one));
  EXPECT_EQ(field.Stars().Size(), 2u);
  EXPECT_EQ(ui.Messages().size(), 1u);
  // A directory in place of the file counts as missing: the prompt, cancelled.
  std::filesystem::remove(v + "GSC/N0000/0001.GSC");
  std::filesystem::create_directories(v + "GSC/N0000/0001.GSC");
  EXPECT_FALSE(field.LoadGSCField(all, one));
  EXPECT_EQ(ui.TextPrompts().size(), 1u);
  EXPECT_EQ(ui.Messages().size(), 1u);
}

TEST(GSCRegionFiles, ConvertedFileMissingStopsTheReadingKeepingStarsSoFar) {
  TempDir scratch;
  const std::string v = scratch.MakeDir("v");
  std::filesystem::create_directories(v + "GSC/N0000");
  OptionsRecord o = ConvertedOptions(scratch);
  o.gscPath1 = o.gscPath2 = v;
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  GSCFieldObj field(o, ui, table);
  ByteWriter w;
  for (int i = 0; i < 3; ++i) {
    w.I32(1000000 * (i + 1));
    w.I32(100000);
    w.Zeros(4);
    w.I16(12000);
    w.I16(3);
    w.I16(20);
    w.I16(2);
    w.U8(0);
    w.Text("0000" + std::to_string(i + 1), 5);
  }
  std::vector<std::uint8_t> bytes = w.Buffer();
  bytes.resize(bytes.size() + 13, 0xAB);  // a partial record is no record
  testing::WriteAll(v + "GSC/N0000/0001.BIN", bytes);
  RegionList two;
  two.count = 3;
  two.regions[0] = 1;
  two.regions[1] = 2;
  two.regions[2] = 1;
  const SearchWindow all{0, 24, -90, 90, 30};
  EXPECT_TRUE(field.LoadGSCField(all, two));
  EXPECT_EQ(field.Stars().Size(), 3u);  // region 2 failed: the second reading of region 1 did not happen
  EXPECT_FALSE(field.ReadComplete());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Unable to Open Converted GSC File!\r\n\r\nFile Name: " + v + "GSC\\N0000\\0002.BIN\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages()[0].caption, "Converted GSC File Error!");
  EXPECT_EQ(At(field.Stars(), 0).id, "00001-00001");
  EXPECT_EQ(field.StarCount(), 3);
  EXPECT_FLOAT_EQ(field.BrightestMag(), 12.0f);
  EXPECT_FLOAT_EQ(field.FaintestMag(), 12.0f);
}

TEST(GSCField, NearestStarWithinOneHundredUnits) {
  TempDir scratch;
  OptionsRecord o = CdromOptions(scratch);
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  GSCFieldObj field(o, ui, table);
  EXPECT_EQ(field.NearestStar(0, 0, nullptr), -1);
  auto at = [&](long double ra, long double x, long double y) {
    CatalogStar s;
    s.id = std::to_string(static_cast<int>(ra));
    s.ra = ra;
    s.fieldX = x;
    s.fieldY = y;
    field.AddStar(s);
  };
  at(1, 100, 100);
  at(2, 160, 180);  // distance 100 from (100, 100): not closer than 100
  at(3, 130, 140);  // distance 50
  at(4, 70, 140);   // distance 50 as well, later in the list
  CatalogStar found;
  EXPECT_EQ(field.NearestStar(100, 190, &found), 2);
  EXPECT_EQ(found.id, "3");
  EXPECT_EQ(field.NearestStar(260, 180, &found), -1);
  EXPECT_EQ(found.id, "3");  // left alone
  EXPECT_EQ(field.NearestStar(101, 101, &found), 0);
}

}  // namespace
}  // namespace skarvel
