#include "images/box_dialog.h"

#include <gtest/gtest.h>

namespace skarvel {
namespace {

TEST(BoxDialog, CaptionsAndShownValues) {
  EXPECT_EQ(BoxDialogCaption(BoxKind::Reference), "\"Box\" Size for Reference Stars");
  EXPECT_EQ(BoxDialogCaption(BoxKind::Unknown), "\"Box\" Size for Unknown");
  const BoxDialogValues v(BoxRecord{5, 3, 6, -2});
  EXPECT_EQ(v.PeakWidth(), 10);
  EXPECT_EQ(v.Diameter(), 6);
  EXPECT_EQ(v.Border(), 6);
  EXPECT_EQ(v.Cutoff(), -2);
  EXPECT_EQ(v.Record(), (BoxRecord{5, 3, 6, -2}));
}

TEST(BoxDialog, TheWidthsStayCoupled) {
  BoxDialogValues v(BoxRecord{4, 4, 4, 3});  // 8 and 8
  v.SetDiameter(12);  // raising the diameter above the width raises the width
  EXPECT_EQ(v.PeakWidth(), 12);
  EXPECT_EQ(v.Diameter(), 12);
  v.SetPeakWidth(6);  // lowering the width below the diameter lowers the diameter
  EXPECT_EQ(v.PeakWidth(), 6);
  EXPECT_EQ(v.Diameter(), 6);
  v.SetPeakWidth(18);  // a wider peak box leaves the diameter alone
  EXPECT_EQ(v.Diameter(), 6);
  v.SetDiameter(4);
  EXPECT_EQ(v.PeakWidth(), 18);
  EXPECT_EQ(v.Record(), (BoxRecord{9, 2, 4, 3}));
}

TEST(BoxDialog, RangesAndDefaults) {
  BoxDialogValues v(BoxRecord{100, -5, 0, 9});  // what no dialog stored comes into range
  EXPECT_EQ(v.PeakWidth(), 20);
  EXPECT_EQ(v.Diameter(), 2);
  EXPECT_EQ(v.Border(), 2);
  EXPECT_EQ(v.Cutoff(), 3);
  v.SetPeakWidth(1);
  EXPECT_EQ(v.PeakWidth(), 2);
  v.SetDiameter(21);
  EXPECT_EQ(v.Diameter(), 20);
  v.SetBorder(11);
  EXPECT_EQ(v.Border(), 10);
  v.SetCutoff(-4);
  EXPECT_EQ(v.Cutoff(), -3);
  v.Defaults();
  EXPECT_EQ(v.Record(), (BoxRecord{8, 8, 4, 3}));
}

}  // namespace
}  // namespace skarvel
