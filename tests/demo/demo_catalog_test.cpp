// The demo catalog as the program's field loader reads it, in both layouts.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "catalogs/field_load.h"
#include "catalogs/field_parameters.h"
#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "config/options.h"
#include "demo/demo_support.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::DemoPath;
using testing::ReadCsv;
using testing::ReadTruth;
using testing::ScriptedPlatform;
using testing::TempDir;

struct Session {
  explicit Session(OptionsRecord o) : options(std::move(o)), table(options, ui), field(options, ui, table) {}
  bool Load(const FieldParameters& p) {
    FieldLoadContext c{options, ui, table, field, {}};
    return LoadReferenceField(c, p, 2458670.5L);
  }
  OptionsRecord options;
  ScriptedPlatform ui;
  GSCRgnsTblObj table;
  GSCFieldObj field;
};

OptionsRecord DemoOptions(const TempDir& scratch, bool converted) {
  OptionsRecord o;
  o.programDir = scratch.Path();
  o.dataDir = scratch.Path();
  o.catalogLocation = 0;
  o.primaryCatalog = kPrimaryGSC;
  o.supplCatalog = 0;
  o.vornFormatGSC = converted;
  o.gscPath1 = o.gscPath2 = DemoPath(converted ? "catalog/gsc_vorn/" : "catalog/gsc/");
  return o;
}

/// The field of the first image with the demo's field size (26').
FieldParameters DemoField(float sizeArcmin = 26.0f) {
  const auto t = ReadTruth().front();
  FieldParameters p;
  p.centreRA = t.centreRA;
  p.centreDec = t.centreDec;
  p.size = sizeArcmin;
  p.limitMag = 20.0f;
  DeriveSearchWindow(p);
  return p;
}

/// The stars of gsc_stars.csv inside a window, keyed by the reader's Id
/// ("RRRRR-NNNNN"), tested here without the program's window test.
std::map<std::string, std::map<std::string, std::string>> ExpectedStars(const SearchWindow& w) {
  std::map<std::string, std::map<std::string, std::string>> out;
  for (auto row : ReadCsv(DemoPath("catalog/gsc_stars.csv"))) {
    const double ra = std::stod(row["ra_hours"]), dec = std::stod(row["dec_deg"]);
    const bool raIn = w.raMin < w.raMax ? (ra >= w.raMin && ra <= w.raMax) : (ra >= w.raMin || ra <= w.raMax);
    if (!raIn || dec < w.decMin || dec > w.decMax || std::stod(row["mag"]) > static_cast<double>(w.magLimit)) continue;
    char id[16];
    std::snprintf(id, sizeof id, "%05d-%05d", std::stoi(row["region"]), std::stoi(row["gsc_number"]));
    out[id] = row;
  }
  return out;
}

class DemoCatalog : public ::testing::TestWithParam<bool> {};

TEST_P(DemoCatalog, TheFieldLoaderFindsEveryStarOfTheField) {
  TempDir scratch;
  Session s(DemoOptions(scratch, GetParam()));
  const FieldParameters p = DemoField();
  ASSERT_TRUE(s.Load(p));
  EXPECT_TRUE(s.ui.Messages().empty()) << s.ui.Messages().front().text;
  EXPECT_TRUE(s.field.ReadComplete());
  const auto expected = ExpectedStars(p.window);
  // 31 Tycho-2 stars lie in the 39' search window of the 26' field (15 of them
  // in the image itself), as a count over gsc_stars.csv in Python gave too.
  EXPECT_EQ(expected.size(), 31u);
  ASSERT_EQ(s.field.Stars().Size(), expected.size());
  EXPECT_EQ(s.field.StarCount(), static_cast<std::int32_t>(expected.size()));
  EXPECT_EQ(s.field.NonStellarCount(), 0);
  for (std::int32_t i = 0; i <= s.field.Stars().LastIndex(); ++i) {
    const CatalogStar& star = *s.field.Stars().GetAt(i);
    const auto it = expected.find(star.id);
    ASSERT_NE(it, expected.end()) << star.id;
    auto row = it->second;
    // One or two plate entries within 0.1" (and 0.02 mag) of the truth, written to 1e-5 degrees (and 0.01 mag).
    EXPECT_LT(testing::ArcsecApart(static_cast<double>(star.ra), static_cast<double>(star.dec),
                                   std::stod(row["ra_hours"]), std::stod(row["dec_deg"])),
              0.2)
        << star.id;
    EXPECT_NEAR(star.mag, std::stod(row["mag"]), 0.026) << star.id;
    EXPECT_EQ(star.entries, std::stoi(row["entries"])) << star.id;
    EXPECT_EQ(star.catalog, kCatalogGSC);
  }
}

TEST_P(DemoCatalog, AFieldOfTwiceTheSizeFindsMoreStarsInMoreRegions) {
  TempDir scratch;
  Session small(DemoOptions(scratch, GetParam()));
  ASSERT_TRUE(small.Load(DemoField(26.0f)));
  TempDir scratch2;
  Session large(DemoOptions(scratch2, GetParam()));
  const FieldParameters p = DemoField(52.0f);
  ASSERT_TRUE(large.Load(p));
  EXPECT_TRUE(large.ui.Messages().empty());
  EXPECT_GT(large.field.Stars().Size(), small.field.Stars().Size());
  EXPECT_EQ(large.field.Stars().Size(), ExpectedStars(p.window).size());
  EXPECT_EQ(large.field.Stars().Size(), 82u);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, DemoCatalog, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& layout) {
                           return layout.param ? "Converted" : "CdRom";
                         });

TEST(DemoCatalogTables, TheConvertedTableIsTheCdRomTableReadBack) {
  TempDir scratch;
  OptionsRecord cd = DemoOptions(scratch, false);
  ScriptedPlatform ui;
  GSCRgnsTblObj fromTbl(cd, ui);
  fromTbl.LoadRegions(true);
  ASSERT_TRUE(fromTbl.Loaded());
  OptionsRecord conv = DemoOptions(scratch, true);
  GSCRgnsTblObj fromBin(conv, ui);
  fromBin.LoadRegions(true);
  ASSERT_TRUE(fromBin.Loaded());
  ASSERT_EQ(fromTbl.RegionCount(), 9537);
  ASSERT_EQ(fromBin.RegionCount(), 9537);
  for (std::uint32_t n = 0; n <= 9537; ++n) ASSERT_EQ(fromTbl.Region(n), fromBin.Region(n)) << n;
  EXPECT_TRUE(ui.Messages().empty());
  // The table file is 36 bytes per entry, the placeholder first.
  EXPECT_EQ(testing::ReadAll(DemoPath("catalog/gsc_vorn/TABLES/REGIONS.BIN")).size(), 9538u * 36u);
}

}  // namespace
}  // namespace skarvel
