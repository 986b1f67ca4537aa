#include "catalogs/field_parameters.h"

#include <gtest/gtest.h>

#include <cmath>

#include "catalogs/gsc_zones.h"
#include "foundations/io_error.h"
#include "gsc_fixture.h"

namespace skarvel {
namespace {

using testing::Field;

constexpr double kDegree = 3.14159265358979323846 / 180.0;

TEST(SearchWindow, LayoutIs36LittleEndianBytesAndRoundTrips) {
  const SearchWindow w{23.5, 0.25, -1.5, 2.0, 14.5f};
  ByteWriter out;
  WriteSearchWindow(out, w);
  const auto& b = out.Buffer();
  ASSERT_EQ(b.size(), 36u);
  // 23.5 = 0x4037800000000000, 14.5f = 0x41680000, both little-endian.
  const std::uint8_t ra[8] = {0, 0, 0, 0, 0, 0x80, 0x37, 0x40};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b[static_cast<std::size_t>(i)], ra[i]) << i;
  EXPECT_EQ(b[32], 0x00);
  EXPECT_EQ(b[33], 0x00);
  EXPECT_EQ(b[34], 0x68);
  EXPECT_EQ(b[35], 0x41);
  ByteReader in(b.data(), b.size());
  EXPECT_EQ(ReadSearchWindow(in), w);
  ByteReader shortInput(b.data(), 35);
  EXPECT_THROW(ReadSearchWindow(shortInput), IOFailure);
}

TEST(SearchWindow, NorthPoleFieldBecomesACap) {
  const FieldParameters p = Field(5.0, 89.9, 30, 15.5f);
  EXPECT_DOUBLE_EQ(p.window.decMax, 90.0);
  EXPECT_NEAR(p.window.decMin, 88.875, 1e-12);
  EXPECT_EQ(p.window.raMin, 0.0);
  EXPECT_EQ(p.window.raMax, 24.0);
  EXPECT_EQ(p.window.magLimit, 15.5f);
}

TEST(SearchWindow, SouthPoleFieldBecomesACap) {
  const FieldParameters p = Field(17.0, -89.8, 40);  // half 0.5: DecMin -90.3
  EXPECT_DOUBLE_EQ(p.window.decMin, -90.0);
  EXPECT_NEAR(p.window.decMax, -88.5, 1e-12);
  EXPECT_EQ(p.window.raMin, 0.0);
  EXPECT_EQ(p.window.raMax, 24.0);
}

TEST(SearchWindow, WrapsThroughZeroHours) {
  const FieldParameters p = Field(0.01, 0.0, 60);
  // w = 0.75 deg / (15 cos 0.75 deg) hours, from the southern edge.
  const double w = 0.75 / (15 * std::cos(0.75 * kDegree));
  EXPECT_NEAR(w, 0.05, 1e-4);
  EXPECT_NEAR(p.window.raMin, 24.0 + 0.01 - w, 1e-12);
  EXPECT_NEAR(p.window.raMax, 0.01 + w, 1e-12);
  EXPECT_NEAR(p.window.raMin, 23.96, 1e-4);
  EXPECT_NEAR(p.window.raMax, 0.06, 1e-4);
  EXPECT_NEAR(p.window.decMin, -0.75, 1e-12);
  EXPECT_NEAR(p.window.decMax, 0.75, 1e-12);
  EXPECT_TRUE(InWindow(p.window, 23.98, 0.2, 11));
  EXPECT_TRUE(InWindow(p.window, 0.03, -0.2, 11));
  EXPECT_FALSE(InWindow(p.window, 0.10, 0.1, 11));
  EXPECT_FALSE(InWindow(p.window, 12.0, 0.0, 11));
  // The same window on the other side: RA 23.99 h pushes RAMax past 24.
  const FieldParameters q = Field(23.99, 0.0, 60);
  EXPECT_NEAR(q.window.raMax, 23.99 + w - 24.0, 1e-12);
  EXPECT_LT(q.window.raMax, q.window.raMin);
}

TEST(SearchWindow, RAHalfWidthUsesTheEdgeFartherFromTheEquator) {
  const FieldParameters north = Field(6.0, 45.0, 60);
  EXPECT_NEAR(north.window.raMax - 6.0, 0.75 / (15 * std::cos(45.75 * kDegree)), 1e-12);
  const FieldParameters south = Field(6.0, -45.0, 60);
  EXPECT_NEAR(south.window.raMax - 6.0, 0.75 / (15 * std::cos(45.75 * kDegree)), 1e-12);
  // A field across the equator takes its southern edge (DecMin is not > 0).
  const FieldParameters across = Field(6.0, 0.5, 60);
  EXPECT_NEAR(across.window.raMax - 6.0, 0.75 / (15 * std::cos(0.25 * kDegree)), 1e-12);
}

TEST(SearchWindow, TestIsInclusiveAtEveryBound) {
  const SearchWindow w{1.0, 2.0, -3.0, 4.0, 12.0f};
  EXPECT_TRUE(InWindow(w, 1.0, -3.0, 12.0f));
  EXPECT_TRUE(InWindow(w, 2.0, 4.0, 12.0f));
  EXPECT_FALSE(InWindow(w, 0.999999, 0, 10));
  EXPECT_FALSE(InWindow(w, 1.5, 4.000001, 10));
  EXPECT_FALSE(InWindow(w, 1.5, 0, 12.01f));
  const SearchWindow wrap{23.0, 1.0, -1, 1, 20};
  EXPECT_TRUE(RAInWindow(wrap, 23.0));
  EXPECT_TRUE(RAInWindow(wrap, 0.0));
  EXPECT_TRUE(RAInWindow(wrap, 1.0));
  EXPECT_FALSE(RAInWindow(wrap, 1.01));
  EXPECT_FALSE(RAInWindow(wrap, 22.99));
}

TEST(FieldParametersReset, FollowsTheCatalogChoice) {
  OptionsRecord o;
  o.magLimit = 16.5f;
  o.fieldSize = 22.0f;
  o.catalogLocation = 0;
  o.primaryCatalog = kPrimaryGSC;
  o.supplCatalog = 2;
  FieldRequest r;
  r.params = testing::Field(3, 4, 5, 6);
  r.params.rotation = 33;
  r.params.reverseEW = r.params.reverseNS = true;
  r.colourChoice = 4;
  ResetFieldParameters(r, o);
  EXPECT_EQ(r.params.window, (SearchWindow{0, 0, 0, 0, 16.5f}));
  EXPECT_EQ(r.params.centreRA, 0);
  EXPECT_EQ(r.params.centreDec, 0);
  EXPECT_EQ(r.params.rotation, 0);
  EXPECT_EQ(r.params.limitMag, 16.5f);
  EXPECT_EQ(r.params.size, 22.0f);
  EXPECT_FALSE(r.params.reverseEW);
  EXPECT_FALSE(r.params.reverseNS);
  EXPECT_EQ(r.colourChoice, 1);
  EXPECT_TRUE(r.params.useSupplement);
  o.supplCatalog = 0;  // no supplement chosen
  ResetFieldParameters(r, o);
  EXPECT_FALSE(r.params.useSupplement);
  o.primaryCatalog = kPrimaryUCAC3;  // UseSupplement left as it is
  o.supplCatalog = 3;
  r.params.useSupplement = true;
  ResetFieldParameters(r, o);
  EXPECT_EQ(r.colourChoice, 6);
  EXPECT_TRUE(r.params.useSupplement);
  o.primaryCatalog = kPrimaryUCAC2;
  ResetFieldParameters(r, o);
  EXPECT_EQ(r.colourChoice, 1);
  EXPECT_FALSE(r.params.useSupplement);
  o.primaryCatalog = kPrimaryNone;
  ResetFieldParameters(r, o);
  EXPECT_TRUE(r.params.useSupplement);
  o.catalogLocation = 1;  // online
  o.webCatalog = 0;
  ResetFieldParameters(r, o);
  EXPECT_EQ(r.colourChoice, 2);
  EXPECT_FALSE(r.params.useSupplement);
  o.webCatalog = 2;
  ResetFieldParameters(r, o);
  EXPECT_EQ(r.colourChoice, 1);
  o.webCatalog = kWebGaiaDR3;  // G
  ResetFieldParameters(r, o);
  EXPECT_EQ(r.colourChoice, 0);
  o.webCatalog = kWebUCAC4;  // V
  ResetFieldParameters(r, o);
  EXPECT_EQ(r.colourChoice, 1);
}

TEST(GSCZones, RegionNumbersFindTheirZoneVolumeAndFileName) {
  EXPECT_EQ(GSCZoneOfRegion(0), 0);
  EXPECT_EQ(GSCZoneOfRegion(1), 1);
  EXPECT_EQ(GSCZoneOfRegion(593), 1);
  EXPECT_EQ(GSCZoneOfRegion(594), 2);
  EXPECT_EQ(GSCZoneOfRegion(5259), 13);
  EXPECT_EQ(GSCZoneOfRegion(5260), 14);
  EXPECT_FALSE(GSCZoneOnVolumeII(GSCZoneOfRegion(5259)));
  EXPECT_TRUE(GSCZoneOnVolumeII(GSCZoneOfRegion(5260)));
  EXPECT_EQ(GSCZoneOfRegion(9537), 24);
  EXPECT_EQ(GSCZoneOfRegion(9538), 0);
  EXPECT_EQ(GSCRegionFileName(42, ".GSC"), "0042.GSC");
  EXPECT_EQ(GSCRegionFileName(9537, ".BIN"), "9537.BIN");
  EXPECT_EQ(GSCRegionPrefix(42), "00042");
}

}  // namespace
}  // namespace skarvel
