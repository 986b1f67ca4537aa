#include "catalogs/field_load.h"

#include <gtest/gtest.h>

#include "gsc_fixture.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::CdromOptions;
using testing::Field;
using testing::ScriptedPlatform;
using testing::TempDir;

/// A reader of another catalog that records its calls and gives one star.
class FakeReader : public FieldCatalogReader {
 public:
  FakeReader(bool found, long double ra) : found_(found), ra_(ra) {}
  bool OpenCatalog() override {
    ++opened;
    return found_;
  }
  bool ReadField(const SearchWindow& window, long double julianDate, std::vector<CatalogStar>& stars) override {
    ++read;
    lastWindow = window;
    lastJD = julianDate;
    CatalogStar s;
    s.catalog = kCatalogUCACBSS;
    s.id = "FAKE";
    s.ra = ra_;
    s.mag = 11.25f;
    stars.push_back(s);
    return true;
  }
  int opened = 0;
  int read = 0;
  SearchWindow lastWindow;
  long double lastJD = 0;

 private:
  bool found_;
  long double ra_;
};

bool StartsWith(const std::string& text, const std::string& head) {
  return text.rfind(head, 0) == 0;
}

struct Session {
  explicit Session(OptionsRecord o) : options(std::move(o)), table(options, ui), field(options, ui, table) {}
  bool Load(const FieldParameters& p, FieldCatalogReaders readers = {}) {
    FieldLoadContext c{options, ui, table, field, readers};
    return LoadReferenceField(c, p, 2455000.5L);
  }
  OptionsRecord options;
  ScriptedPlatform ui;
  GSCRgnsTblObj table;
  GSCFieldObj field;
};

TEST(FieldLoad, GSCThenTheSupplement) {
  TempDir scratch;
  OptionsRecord o = CdromOptions(scratch);
  o.supplCatalog = 3;  // UCAC-BSS
  Session s(o);
  FakeReader bss(true, 13.23);
  FieldParameters p = Field(13.2310684, -7.8192147, 30);
  p.useSupplement = true;
  ASSERT_TRUE(s.Load(p, {.bss = &bss}));
  EXPECT_EQ(bss.read, 1);
  EXPECT_EQ(bss.lastWindow, p.window);
  EXPECT_EQ(bss.lastJD, 2455000.5L);
  const std::int32_t gscStars = s.field.StarCount() - 1;
  EXPECT_GT(gscStars, 5);
  bool fakeFound = false;
  s.field.Stars().Reset();
  while (const CatalogStar* star = s.field.Stars().Next()) fakeFound |= star->id == "FAKE";
  EXPECT_TRUE(fakeFound);
  EXPECT_EQ(s.field.SupplementName(), "UCAC-BSS");
  EXPECT_EQ(s.ui.BusyDepth(), 0);
  EXPECT_GE(s.ui.BusyCalls(), 2);
  // A new load rebuilds the list: the same field without the supplement.
  p.useSupplement = false;
  ASSERT_TRUE(s.Load(p, {.bss = &bss}));
  EXPECT_EQ(bss.read, 1);
  EXPECT_EQ(s.field.StarCount(), gscStars);
}

TEST(FieldLoad, GSCFailureSkipsTheSupplement) {
  TempDir scratch;
  OptionsRecord o = CdromOptions(scratch);
  o.gscPath1 = scratch.MakeDir("nothing");
  o.supplCatalog = 1;
  Session s(o);
  FakeReader sa1(true, 1.0);
  FieldParameters p = Field(1.0, 1.0, 30);
  p.useSupplement = true;
  s.ui.TypeNext(std::nullopt);  // cancel the regions table prompt
  EXPECT_FALSE(s.Load(p, {.sa1 = &sa1}));
  EXPECT_EQ(sa1.opened, 0);
  // The missing folder is said with what to set and where.
  ASSERT_FALSE(s.ui.Messages().empty());
  EXPECT_EQ(s.ui.Messages().back().caption, "Star Catalog Not Available");
  EXPECT_EQ(s.ui.Messages().back().text,
            "The Guide Star Catalog was not found: not at \"" + o.gscPath1 +
                "\".\r\n\r\nSet \"Guide Star Catalog Volume 1 Path\" on the \"Star Catalogs\" page of \"File Name "
                "Options\" (\"&Preferences...\" > \"&Options and Parameters...\" > \"&Files...\") to the catalog's "
                "folder, or choose another catalog in \"Set Star Catalog Options\" (\"&Preferences...\" > \"&Options "
                "and Parameters...\" > \"S&tar Cat.\").");
  EXPECT_EQ(s.ui.BusyDepth(), 0);
  // A region read that fails still counts as success, and the supplement is read.
  Session t(CdromOptions(scratch));
  t.options.supplCatalog = 1;
  t.field.SetVolumePaths(scratch.Path(), scratch.Path());
  t.ui.TypeNext(std::nullopt);  // cancel the volume prompt
  EXPECT_TRUE(t.Load(p, {.sa1 = &sa1}));
  EXPECT_EQ(sa1.read, 1);
  EXPECT_EQ(t.field.Stars().Size(), 1u);
}

TEST(FieldLoad, OtherPrimaryCatalogsAndTheOnlineSource) {
  TempDir scratch;
  FieldParameters p = Field(5.0, 5.0, 30);
  p.useSupplement = true;
  {
    OptionsRecord o = CdromOptions(scratch);
    o.primaryCatalog = kPrimaryUCAC2;
    Session s(o);
    FakeReader ucac2(false, 5.0), bss(true, 5.01);
    // The supplement is read whatever the primary reader gave.
    EXPECT_TRUE(s.Load(p, {.ucac2 = &ucac2, .bss = &bss}));
    EXPECT_EQ(ucac2.opened, 1);
    EXPECT_EQ(ucac2.read, 0);
    EXPECT_EQ(bss.read, 1);
    EXPECT_FALSE(s.table.Loaded());  // the GSC is not touched
  }
  {
    OptionsRecord o = CdromOptions(scratch);
    o.primaryCatalog = kPrimaryNone;
    o.supplCatalog = 2;
    Session s(o);
    FakeReader sa2(true, 5.0), bss(true, 5.0);
    EXPECT_TRUE(s.Load(p, {.bss = &bss, .sa2 = &sa2}));
    EXPECT_EQ(sa2.read, 1);
    EXPECT_EQ(bss.opened, 0);
    EXPECT_FALSE(s.table.Loaded());
    p.useSupplement = false;
    EXPECT_TRUE(s.Load(p, {.bss = &bss, .sa2 = &sa2}));
    EXPECT_EQ(sa2.read, 1);
    EXPECT_TRUE(s.field.Stars().IsEmpty());
    p.useSupplement = true;
  }
  {
    OptionsRecord o = CdromOptions(scratch);
    o.catalogLocation = 1;
    Session s(o);
    // The on-line reader itself is tested with its answers in online_reader_test.cpp;
    // without one the load fails with its message (below).
    EXPECT_FALSE(s.Load(p));
    EXPECT_TRUE(s.field.Stars().IsEmpty());
  }
}

// Whatever the options choose, a catalog that cannot be read is said plainly
// (naming what to set and where) and is never taken for an empty field.
TEST(FieldLoad, MissingReadersAndFoldersAreSaidPlainly) {
  TempDir scratch;
  FieldParameters p = Field(5.0, 5.0, 30);
  p.useSupplement = true;
  const std::string choice =
      "\"Set Star Catalog Options\" (\"&Preferences...\" > \"&Options and Parameters...\" > \"S&tar Cat.\")";
  {
    // The web source without a query reader: a failed load, not an empty field.
    OptionsRecord o = CdromOptions(scratch);
    o.catalogLocation = 1;
    o.webCatalog = 0;
    Session s(o);
    FieldLoadContext c{s.options, s.ui, s.table, s.field, {}};
    EXPECT_FALSE(LoadReferenceField(c, p, 2455000.5L));
    EXPECT_TRUE(c.catalogMissing);
    EXPECT_TRUE(c.failureTold);
    ASSERT_EQ(s.ui.Messages().size(), 1u);
    EXPECT_EQ(s.ui.Messages()[0].caption, "Star Catalog Not Available");
    EXPECT_EQ(s.ui.Messages()[0].icon, platform::Icon::Warning);
    EXPECT_PRED2(StartsWith, s.ui.Messages()[0].text,
              "The web catalog NOMAD cannot be queried by this program.\r\n\r\nChoose \"Local Files\" under \"Catalog "
              "Location\" in \"Set Star Catalog Options\"");
  }
  {
    // UCAC2 chosen, no reader for it, no supplement chosen.
    OptionsRecord o = CdromOptions(scratch);
    o.primaryCatalog = kPrimaryUCAC2;
    Session s(o);
    FakeReader bss(true, 5.0);
    FieldLoadContext c{s.options, s.ui, s.table, s.field, {.bss = &bss}};
    EXPECT_TRUE(LoadReferenceField(c, p, 2455000.5L));
    EXPECT_TRUE(c.catalogMissing);
    ASSERT_GE(s.ui.Messages().size(), 1u);
    EXPECT_EQ(s.ui.Messages()[0].text,
              "This program has no reader for the UCAC2 catalog.\r\n\r\nChoose another catalog under \"Local Star "
              "Catalog\" in " + choice + ".");
    // The supplement (read whatever the primary gave) was not chosen: not told about.
    EXPECT_EQ(s.ui.Messages().size(), 1u);
    // Its stars are there: the load succeeds with them.
    EXPECT_EQ(s.field.Stars().Size(), 1u);
  }
  {
    // UCAC3 whose files are not in their folder (the reader gave up), nothing else: a failed load.
    OptionsRecord o = CdromOptions(scratch);
    o.primaryCatalog = kPrimaryUCAC3;
    o.ucac3Path1 = "/nowhere/ucac3/";
    Session s(o);
    FakeReader ucac3(false, 5.0);
    p.useSupplement = false;
    FieldLoadContext c{s.options, s.ui, s.table, s.field, {.ucac3 = &ucac3}};
    EXPECT_FALSE(LoadReferenceField(c, p, 2455000.5L));
    EXPECT_TRUE(c.catalogMissing);
    ASSERT_EQ(s.ui.Messages().size(), 1u);
    EXPECT_PRED2(StartsWith, s.ui.Messages()[0].text,
              "The UCAC3 catalog was not found: not at \"/nowhere/ucac3/\".\r\n\r\nSet \"UCAC3 Catalog Side 1 Path\" on "
              "the \"Star Catalogs\" page of \"File Name Options\"");
    p.useSupplement = true;
  }
  {
    // GSC stars with a chosen supplement that has no reader: the field loads, the missing one is said.
    OptionsRecord o = CdromOptions(scratch);
    o.supplCatalog = 2;
    Session s(o);
    FieldParameters gsc = Field(13.2310684, -7.8192147, 30);
    gsc.useSupplement = true;
    FieldLoadContext c{s.options, s.ui, s.table, s.field, {}};
    EXPECT_TRUE(LoadReferenceField(c, gsc, 2455000.5L));
    EXPECT_TRUE(c.catalogMissing);
    EXPECT_GT(s.field.StarCount(), 5);
    ASSERT_EQ(s.ui.Messages().size(), 1u);
    EXPECT_EQ(s.ui.Messages()[0].text,
              "This program has no reader for the USNO-SA2.0 catalog.\r\n\r\nChoose another catalog under "
              "\"Supplementary\" in " + choice + ".");
    // With "(None)" as the supplement nothing is said.
    s.options.supplCatalog = 0;
    FieldLoadContext quiet{s.options, s.ui, s.table, s.field, {}};
    EXPECT_TRUE(LoadReferenceField(quiet, gsc, 2455000.5L));
    EXPECT_FALSE(quiet.catalogMissing);
    EXPECT_EQ(s.ui.Messages().size(), 1u);
  }
}

// A field with only non-stellar entries is a loaded field without stars.
TEST(FieldLoad, OnlyNonStellarEntriesLoad) {
  TempDir scratch;
  Session s(testing::ConvertedOptions(scratch));
  // GSC 4663-3 (class 3) stands alone within 20' (tests/data/catalogs/gsc_stars.csv).
  EXPECT_TRUE(s.Load(Field(0.11475641, -0.7821481, 5)));
  EXPECT_EQ(s.field.StarCount(), 0);
  EXPECT_EQ(s.field.NonStellarCount(), 1);
  EXPECT_EQ(s.field.Stars().Size(), 1u);
  EXPECT_TRUE(s.ui.Messages().empty());
}

TEST(FieldLoad, PrepareFieldNamesAndVolumes) {
  TempDir scratch;
  OptionsRecord o = CdromOptions(scratch);
  o.gscPath2 = "";
  o.supplCatalog = 2;
  ScriptedPlatform ui;
  GSCRgnsTblObj table(o, ui);
  GSCFieldObj field(o, ui, table);
  table.LoadRegions(true);
  o.primaryCatalog = kPrimaryUCAC3;  // the options are read at each call
  field.PrepareField();
  EXPECT_EQ(field.VolumePath1(), testing::kVol1);
  EXPECT_EQ(field.VolumePath2(), testing::kVol1);  // no GSCPath2: Volume I's path
  EXPECT_EQ(field.PrimaryName(), "UCAC-3.0");
  EXPECT_EQ(field.SupplementName(), "USNO-SA2.0");
  o.catalogLocation = 1;
  o.webCatalog = 0;
  field.PrepareField();
  EXPECT_EQ(field.PrimaryName(), "NOMAD");
  EXPECT_EQ(field.SupplementName(), "");
}

}  // namespace
}  // namespace skarvel
