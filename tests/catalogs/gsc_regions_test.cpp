#include "catalogs/gsc_regions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

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

const std::string kRow1 = "    1  00 00 00.00 00 09 39.87 +00 00.0 +01 52.5";

TEST(RegionRow, FieldsByOffset) {
  SearchWindow r;
  ASSERT_TRUE(ParseRegionRow(kRow1, r));
  EXPECT_EQ(r.raMin, 0.0);
  EXPECT_NEAR(r.raMax, 9 / 60.0 + 39.87 / 3600.0, 1e-15);
  EXPECT_EQ(r.decMin, 0.0);
  EXPECT_NEAR(r.decMax, 1.875, 1e-15);
  // RA high 00 00 00.00 is 24 h; a south row with its equatorward edge first is put in order.
  ASSERT_TRUE(ParseRegionRow("  149  23 50 20.13 00 00 00.00 -07 30.0 -05 37.5", r));
  EXPECT_NEAR(r.raMin, 23 + 50 / 60.0 + 20.13 / 3600.0, 1e-14);
  EXPECT_EQ(r.raMax, 24.0);
  EXPECT_NEAR(r.decMin, -7.5, 1e-15);
  EXPECT_NEAR(r.decMax, -5.625, 1e-15);
  // Any sign character other than '-' is positive.
  ASSERT_TRUE(ParseRegionRow("    1  00 00 00.00 00 09 39.87  00 00.0 x01 52.5", r));
  EXPECT_NEAR(r.decMax, 1.875, 1e-15);
  EXPECT_FALSE(ParseRegionRow(kRow1.substr(0, 47), r));
  EXPECT_FALSE(ParseRegionRow("    1  00 00 00.00 00 09 39.87 +00 00.0 +01 5x.5", r));
  EXPECT_FALSE(ParseRegionRow("    1  00 00 00.00 00 09       +00 00.0 +01 52.5", r));
}

// Both forms of the fixture table, loaded once for the tests that only read it.
class FixtureTables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new TempDir;
    cdOptions_ = new OptionsRecord(CdromOptions(*scratch_));
    binOptions_ = new OptionsRecord(ConvertedOptions(*scratch_));
    ui_ = new ScriptedPlatform;
    cd_ = new GSCRgnsTblObj(*cdOptions_, *ui_);
    bin_ = new GSCRgnsTblObj(*binOptions_, *ui_);
    cd_->LoadRegions(true);
    bin_->LoadRegions(true);
  }
  static void TearDownTestSuite() {
    delete cd_;
    delete bin_;
    delete ui_;
    delete cdOptions_;
    delete binOptions_;
    delete scratch_;
  }
  static TempDir* scratch_;
  static OptionsRecord* cdOptions_;
  static OptionsRecord* binOptions_;
  static ScriptedPlatform* ui_;
  static GSCRgnsTblObj* cd_;
  static GSCRgnsTblObj* bin_;
};
TempDir* FixtureTables::scratch_ = nullptr;
OptionsRecord* FixtureTables::cdOptions_ = nullptr;
OptionsRecord* FixtureTables::binOptions_ = nullptr;
ScriptedPlatform* FixtureTables::ui_ = nullptr;
GSCRgnsTblObj* FixtureTables::cd_ = nullptr;
GSCRgnsTblObj* FixtureTables::bin_ = nullptr;

TEST_F(FixtureTables, BothFormsLoadAllRegionsAlike) {
  ASSERT_TRUE(cd_->Loaded());
  ASSERT_TRUE(bin_->Loaded());
  EXPECT_TRUE(ui_->Messages().empty());
  EXPECT_EQ(cd_->RegionCount(), 9537);
  EXPECT_EQ(bin_->RegionCount(), 9537);
  EXPECT_EQ(cd_->CatalogRoot(), testing::kVol1);
  EXPECT_EQ(cd_->TableFileName(), testing::kVol1 + "TABLES\\REGIONS.TBL");
  const std::vector<std::string> notes = {"Guide Star Catalog\r\nLoading GSC Regions File.", "",
                                          "Converted Guide Star Catalog\r\nLoading GSC Regions Data.", ""};
  EXPECT_EQ(ui_->ProgressNotes(), notes);
  EXPECT_EQ(cd_->Region(0), SearchWindow{});
  EXPECT_EQ(cd_->Regions().Size(), 9538u);
  // The converted table was written by the generator from the same rows (double arithmetic).
  for (std::int32_t n = 1; n <= 9537; ++n) {
    const SearchWindow a = cd_->Region(static_cast<std::uint32_t>(n));
    const SearchWindow b = bin_->Region(static_cast<std::uint32_t>(n));
    ASSERT_NEAR(a.raMin, b.raMin, 1e-12) << n;
    ASSERT_NEAR(a.raMax, b.raMax, 1e-12) << n;
    ASSERT_NEAR(a.decMin, b.decMin, 1e-12) << n;
    ASSERT_NEAR(a.decMax, b.decMax, 1e-12) << n;
  }
}

TEST_F(FixtureTables, ZonesOfTheTableMatchTheZoneTable) {
  // Zone z spans 7.5 degrees from its directory's edge: N0730 is +7.5..+15, S0730 is -15..-7.5.
  for (std::int32_t n = 1; n <= 9537; ++n) {
    const int zone = GSCZoneOfRegion(static_cast<std::uint32_t>(n));
    const double edge = 7.5 * ((zone - 1) % 12);
    const SearchWindow& r = cd_->Region(static_cast<std::uint32_t>(n));
    if (zone <= 12) {
      ASSERT_GE(r.decMin, edge - 1e-9) << n;
      ASSERT_LE(r.decMax, edge + 7.5 + 1e-9) << n;
    } else {
      ASSERT_LE(r.decMax, -edge + 1e-9) << n;
      ASSERT_GE(r.decMin, -edge - 7.5 - 1e-9) << n;
    }
  }
}

// Overlap computed apart from the reader: a wrapping window is split into
// two plain RA intervals.
std::set<int> OverlapsBySplitting(GSCRgnsTblObj& table, const SearchWindow& w) {
  std::vector<std::pair<double, double>> parts;
  if (w.raMax > w.raMin) parts = {{w.raMin, w.raMax}};
  else parts = {{w.raMin, 24.0}, {0.0, w.raMax}};
  std::set<int> found;
  for (std::int32_t n = 1; n <= 9537; ++n) {
    const SearchWindow r = table.Region(static_cast<std::uint32_t>(n));
    if (!(w.decMin < r.decMax && w.decMax > r.decMin)) continue;
    for (const auto& [lo, hi] : parts)
      if (lo < r.raMax && hi > r.raMin && hi - lo > 0) found.insert(n);
  }
  return found;
}

std::set<int> Listed(const RegionList& l) { return std::set<int>(l.regions, l.regions + l.count); }

TEST_F(FixtureTables, RegionsOnBothSidesOfZeroHours) {
  const FieldParameters p = Field(0.01, 0.0, 60);
  const RegionList found = cd_->FindRegions(p.window);
  // The first and last slice of the first band of zone 1 (149 slices) and of zone 13 (150).
  EXPECT_EQ(Listed(found), (std::set<int>{1, 149, 4663, 4812}));
  EXPECT_EQ(Listed(found), OverlapsBySplitting(*cd_, p.window));
  EXPECT_EQ(cd_->Region(149).raMax, 24.0);  // written as 00 00 00.00
  for (std::uint16_t i = 1; i < found.count; ++i) EXPECT_LT(found.regions[i - 1], found.regions[i]);
}

TEST_F(FixtureTables, RegionsAtThePoles) {
  const FieldParameters north = Field(3.0, 89.9, 30);
  EXPECT_EQ(Listed(cd_->FindRegions(north.window)), (std::set<int>{4660, 4661, 4662}));
  const FieldParameters south = Field(15.0, -89.9, 30);
  EXPECT_EQ(Listed(cd_->FindRegions(south.window)), (std::set<int>{9535, 9536, 9537}));
  EXPECT_EQ(Listed(bin_->FindRegions(south.window)), (std::set<int>{9535, 9536, 9537}));
}

TEST_F(FixtureTables, FieldsAwayFromZeroHoursAgreeWithTheSplitTest) {
  for (const auto& p : {Field(6.0, 23.4392813, 60), Field(13.2310684, -7.8192147, 90), Field(20.145417, -20.15, 45),
                        Field(23.99, 45.0, 120), Field(12.0, -60.0, 100)}) {
    EXPECT_EQ(Listed(cd_->FindRegions(p.window)), OverlapsBySplitting(*cd_, p.window));
  }
}

TEST_F(FixtureTables, MoreThanTwelveRegionsKeepsTheFirstTwelve) {
  ScriptedPlatform ui;
  GSCRgnsTblObj table(*cdOptions_, ui);
  table.LoadRegions(true);
  const FieldParameters p = Field(0.01, 0.0, 400);
  const std::set<int> all = OverlapsBySplitting(table, p.window);
  ASSERT_GT(all.size(), 12u);
  const RegionList found = table.FindRegions(p.window);
  EXPECT_EQ(found.count, 12);
  EXPECT_EQ(Listed(found), std::set<int>(all.begin(), std::next(all.begin(), 12)));
  ASSERT_EQ(ui.Messages().size(), all.size() - 12);
  for (const auto& m : ui.Messages()) {
    EXPECT_EQ(m.text, "Field Contains Too Many Regions!");
    EXPECT_EQ(m.caption, "Region Table Full!");
  }
  EXPECT_FALSE(table.RegionOverlaps(p.window, 0));
  EXPECT_FALSE(table.RegionOverlaps(p.window, 9538));
}

TEST(RegionOverlap, WrappingWindowTakesTheRegionsSide) {
  ScriptedPlatform ui;
  TempDir scratch;
  OptionsRecord o = CdromOptions(scratch);
  GSCRgnsTblObj table(o, ui);
  table.Regions().Append(SearchWindow{});
  table.Regions().Append(SearchWindow{0.0, 0.5, 0, 2, 0});     // 1: just after 0 h
  table.Regions().Append(SearchWindow{23.5, 24.0, 0, 2, 0});   // 2: just before 24 h
  table.Regions().Append(SearchWindow{12.0, 13.0, 0, 2, 0});   // 3: far away, RA low >= 12
  table.Regions().Append(SearchWindow{0.0, 0.5, 2, 4, 0});     // 4: above the window
  const SearchWindow w{23.8, 0.2, 1.0, 2.0, 20};
  EXPECT_TRUE(table.RegionOverlaps(w, 1));
  EXPECT_TRUE(table.RegionOverlaps(w, 2));
  EXPECT_FALSE(table.RegionOverlaps(w, 3));
  EXPECT_FALSE(table.RegionOverlaps(w, 4));  // Dec bounds are open: 2.0 touches only
  EXPECT_FALSE(table.RegionOverlaps(SearchWindow{0.5, 1.0, 0, 2, 20}, 1));  // RA touches only
}

TEST(RegionsTableLoad, MissingTableWalksThePrompt) {
  TempDir scratch;
  const std::string emptyRoot = scratch.MakeDir("empty");
  OptionsRecord o = CdromOptions(scratch);
  o.gscPath1 = emptyRoot;
  {
    ScriptedPlatform ui;
    ui.TypeNext("e");             // OK with drive e: the location becomes "E:\", a bare root
    ui.TypeNext(std::nullopt);    // Cancel
    GSCRgnsTblObj table(o, ui);
    table.LoadRegions(true);
    EXPECT_FALSE(table.Loaded());
    ASSERT_EQ(ui.TextPrompts().size(), 2u);
    EXPECT_EQ(ui.TextPrompts()[0].caption, "GSC Regions Table Not Found");
    EXPECT_EQ(ui.TextPrompts()[0].prompt,
              "Unable to access Guide Star Catalog Regions Table at location \"" + emptyRoot +
                  "\".\r\n\r\nChange drive letter if incorrect, or Press \"Browse\" to locate on Fixed Disk.");
    EXPECT_EQ(ui.TextPrompts()[0].initial, "D:\\");
    EXPECT_EQ(ui.TextPrompts()[1].caption, "GSC Regions Table");
    EXPECT_EQ(ui.TextPrompts()[1].prompt,
              "Please insert Guide Star Catalog Volume I or II in CDROM drive shown.  (Change drive letter if "
              "incorrect, or Press \"Browse\" to locate on Fixed Disk.)\r\n\r\n*** Allow CD Drive to Finish "
              "Loading Before Pressing \"OK\". ***");
    EXPECT_EQ(ui.TextPrompts()[1].initial, "E:\\");
    EXPECT_EQ(ui.Beeps(), 2);
    EXPECT_TRUE(ui.Messages().empty());
  }
  {
    // Browse to the TABLES folder itself: that ending is removed.
    ScriptedPlatform ui;
    ui.TypeNext("Browse");
    ui.ChooseDirectoryNext(testing::kVol1 + "TABLES");
    GSCRgnsTblObj table(o, ui);
    table.LoadRegions(true);
    ASSERT_TRUE(table.Loaded());
    ASSERT_EQ(ui.DirectoryDialogs().size(), 1u);
    EXPECT_EQ(ui.DirectoryDialogs()[0].directory, emptyRoot);
    EXPECT_EQ(table.CatalogRoot(), testing::kVol1);
    EXPECT_EQ(ui.Unanswered(), 0);
    // Loaded once per run: a second call neither reads nor asks.
    table.LoadRegions(true);
    EXPECT_EQ(ui.TextPrompts().size(), 1u);
  }
  {
    // Browse, then cancel the chooser, which starts at the program directory
    // when the location does not exist.
    ScriptedPlatform ui;
    o.gscPath1 = scratch / "nowhere/";
    ui.TypeNext("browse");
    ui.ChooseDirectoryNext(std::nullopt);
    GSCRgnsTblObj table(o, ui);
    table.LoadRegions(true);
    EXPECT_FALSE(table.Loaded());
    ASSERT_EQ(ui.DirectoryDialogs().size(), 1u);
    EXPECT_EQ(ui.DirectoryDialogs()[0].directory, o.programDir);
  }
}

TEST(RegionsTableLoad, InstalledCopyInTheProgramDirectoryComesFirst) {
  TempDir scratch;
  OptionsRecord o = CdromOptions(scratch);
  o.programDir = testing::kVol1;
  o.gscPath1 = scratch / "nowhere/";
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  table.LoadRegions(true);
  EXPECT_TRUE(table.Loaded());
  EXPECT_TRUE(ui.TextPrompts().empty());
  EXPECT_EQ(table.CatalogRoot(), testing::kVol1);
}

std::string LoadFailure(const std::vector<std::uint8_t>& bytes, ScriptedPlatform& ui, bool& loaded) {
  TempDir scratch;
  const std::string root = scratch.MakeDir("root");
  std::filesystem::create_directories(root + "TABLES");
  testing::WriteAll(root + "TABLES/REGIONS.TBL", bytes);
  OptionsRecord o = CdromOptions(scratch);
  o.gscPath1 = root;
  GSCRgnsTblObj table(o, ui);
  table.LoadRegions(true);
  loaded = table.Loaded();
  return root + "TABLES\\REGIONS.TBL";
}

TEST(RegionsTableLoad, DamagedTablesFailWithTheirMessage) {
  const std::vector<std::uint8_t> good = testing::ReadAll(testing::kVol1 + "TABLES/REGIONS.TBL");
  auto expectFailure = [](const std::vector<std::uint8_t>& bytes,
                          const std::string& what) -> std::vector<platform::MessageRequest> {
    ScriptedPlatform ui;
    bool loaded = true;
    const std::string file = LoadFailure(bytes, ui, loaded);
    EXPECT_FALSE(loaded) << what;
    EXPECT_FALSE(ui.Messages().empty()) << what;
    if (ui.Messages().empty()) return {};
    EXPECT_EQ(ui.Messages().back().text, "Unable to Load GSC Regions File.\r\n\r\nFile Name: " + file) << what;
    EXPECT_EQ(ui.Messages().back().caption, "File Error!") << what;
    return ui.Messages();
  };
  // Cut in the middle of the rows.
  expectFailure(std::vector<std::uint8_t>(good.begin(), good.begin() + 14400 + 5000 * 48 + 17), "truncated");
  // Only the header.
  expectFailure(std::vector<std::uint8_t>(good.begin(), good.begin() + 14400), "no rows");
  // Not FITS at all: the FITS reader's own message comes first.
  const auto messages = expectFailure(std::vector<std::uint8_t>(5000, 'x'), "not FITS");
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.front().caption, "FITS File Error!");
  // A row with a letter in a number field.
  std::vector<std::uint8_t> bad = good;
  bad[14400 + 48 * 100 + 14] = 'Q';
  expectFailure(bad, "bad row");
  // A row length too short for the fields (NAXIS1 = 40).
  std::vector<std::uint8_t> shortRows = good;
  const std::string naxis1 = "NAXIS1  =                   48";
  const std::string text(shortRows.begin(), shortRows.begin() + 14400);
  const auto at = text.find(naxis1);
  ASSERT_NE(at, std::string::npos);
  shortRows[at + naxis1.size() - 2] = '4';
  shortRows[at + naxis1.size() - 1] = '0';
  expectFailure(shortRows, "short rows");
  // An image, not a table.
  std::string image(2880, ' ');
  const std::string cards[] = {"SIMPLE  =                    T", "BITPIX  =                    8",
                               "NAXIS   =                    2", "NAXIS1  =                    2",
                               "NAXIS2  =                    2", "END"};
  for (std::size_t i = 0; i < 6; ++i) image.replace(i * 80, cards[i].size(), cards[i]);
  image += std::string(2880, '\0');
  expectFailure(std::vector<std::uint8_t>(image.begin(), image.end()), "image");
}

TEST(RegionsTableLoad, ConvertedTableFailures) {
  TempDir scratch;
  const std::string root = scratch.MakeDir("vorn");
  OptionsRecord o = ConvertedOptions(scratch);
  o.gscPath1 = root;
  {
    ScriptedPlatform ui;
    GSCRgnsTblObj table(o, ui);
    table.LoadRegions(true);
    EXPECT_FALSE(table.Loaded());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to Open Converted GSC Regions Table!\r\n\r\nFile Name: " + root +
                                         "TABLES\\REGIONS.BIN\r\nIOResult = 2");
    EXPECT_EQ(ui.Messages()[0].caption, "Converted GSC Regions Error!");
    EXPECT_TRUE(ui.TextPrompts().empty());  // the converted form never prompts
  }
  std::filesystem::create_directories(root + "TABLES");
  const std::vector<std::uint8_t> good = testing::ReadAll(testing::kVorn + "TABLES/REGIONS.BIN");
  ASSERT_EQ(good.size(), 9538u * 36u);
  {
    // The placeholder alone (and a partial record): nothing to read.
    testing::WriteAll(root + "TABLES/REGIONS.BIN", std::vector<std::uint8_t>(good.begin(), good.begin() + 36 + 20));
    ScriptedPlatform ui;
    GSCRgnsTblObj table(o, ui);
    table.LoadRegions(true);
    EXPECT_FALSE(table.Loaded());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages()[0].text.find("\r\nIOResult = 100"), std::string::npos);
  }
  {
    // Truncated after region 100 with a partial record; oversized with trailing bytes.
    testing::WriteAll(root + "TABLES/REGIONS.BIN", std::vector<std::uint8_t>(good.begin(), good.begin() + 101 * 36 + 7));
    ScriptedPlatform ui;
    GSCRgnsTblObj table(o, ui);
    table.LoadRegions(true);
    ASSERT_TRUE(table.Loaded());
    EXPECT_EQ(table.RegionCount(), 100);
    std::vector<std::uint8_t> big = good;
    big.resize(good.size() + 1000, 0xFF);
    testing::WriteAll(root + "TABLES/REGIONS.BIN", big);
    GSCRgnsTblObj table2(o, ui);
    table2.LoadRegions(true);
    ASSERT_TRUE(table2.Loaded());
    EXPECT_EQ(table2.RegionCount(), 9537);
    EXPECT_TRUE(ui.Messages().empty());
  }
}

TEST(RegionsTableLoad, RowsNeverCrossABlockAndTheConverterNamesItsFile) {
  // 50-character rows: 57 per 2880-byte block, the last 30 bytes of each block unused.
  const std::vector<std::uint8_t> good = testing::ReadAll(testing::kVol1 + "TABLES/REGIONS.TBL");
  std::string header(2880, ' ');
  const std::string cards[] = {"SIMPLE  =                    T", "BITPIX  =                    8",
                               "NAXIS   =                    0", "EXTEND  =                    T", "END"};
  for (std::size_t i = 0; i < 5; ++i) header.replace(i * 80, cards[i].size(), cards[i]);
  std::string ext(2880, ' ');
  const std::string extCards[] = {"XTENSION= 'TABLE   '", "BITPIX  =                    8",
                                  "NAXIS   =                    2", "NAXIS1  =                   50",
                                  "NAXIS2  =                  100", "END"};
  for (std::size_t i = 0; i < 6; ++i) ext.replace(i * 80, extCards[i].size(), extCards[i]);
  std::string data;
  for (int row = 0; row < 100; ++row) {
    if (row % 57 == 0 && row > 0) data += std::string(30, 'Z');
    data += std::string(good.begin() + 14400 + row * 48, good.begin() + 14400 + (row + 1) * 48) + "  ";
  }
  data.resize(2 * 2880, 'Z');
  TempDir scratch;
  const std::string file = scratch / "ODD.TBL";
  testing::WriteText(file, header + ext + data);
  OptionsRecord o = CdromOptions(scratch);
  o.gscPath1 = scratch / "nowhere/";
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  table.SetFileName(file);
  table.LoadRegions(false);  // the converter's call: no prompt, the file as named
  ASSERT_TRUE(table.Loaded());
  EXPECT_TRUE(ui.TextPrompts().empty());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(table.RegionCount(), 100);
  GSCRgnsTblObj full(o, ui);
  full.SetFileName(testing::kVol1 + "TABLES/REGIONS.TBL");
  full.LoadRegions(false);
  ASSERT_TRUE(full.Loaded());
  for (std::uint32_t n = 1; n <= 100; ++n) EXPECT_EQ(table.Region(n), full.Region(n)) << n;
}

}  // namespace
}  // namespace skarvel
