// Image window geometry and texts: window size, resize, zoom square, markers,
// cursor mark and print lines.
#include <gtest/gtest.h>

#include "images/image_view.h"

namespace skarvel {
namespace {

TEST(ImageSizing, FitWindowNeverEnlarges) {
  const ImageSizing big = ImageSizing::Fit(1024, 1024, 1280);
  EXPECT_EQ(big.clientWidth, 632);
  EXPECT_EQ(big.clientHeight, 632);
  EXPECT_NEAR(static_cast<double>(big.scale), 0.6172, 5e-5);
  EXPECT_EQ(big.defaultClientWidth, 632);
  const ImageSizing small = ImageSizing::Fit(400, 300, 1280);
  EXPECT_EQ(small.clientWidth, 400);
  EXPECT_EQ(small.clientHeight, 300);
  EXPECT_EQ(small.scale, 1.0L);
  const ImageSizing tall = ImageSizing::Fit(1000, 3001, 1280);
  EXPECT_EQ(tall.clientHeight, 1897);  // round(632 x 3.001) = round(1896.632)
}

TEST(ImageSizing, ResizeStaysBetween100AndTheImageWidth) {
  ImageSizing s = ImageSizing::Fit(1024, 512, 1280);
  EXPECT_EQ(s.MinimumWidth(), 100);
  s.ResizeTo(2000);
  EXPECT_EQ(s.clientWidth, 1024);
  EXPECT_EQ(s.clientHeight, 512);
  EXPECT_EQ(s.scale, 1.0L);
  s.ResizeTo(301);
  EXPECT_EQ(s.clientWidth, 301);
  EXPECT_EQ(s.clientHeight, 150);  // 150.5 -> 150, halves to even
  s.ResizeTo(10);
  EXPECT_EQ(s.clientWidth, 100);
  ImageSizing narrow = ImageSizing::Fit(60, 30, 1280);
  EXPECT_EQ(narrow.MinimumWidth(), 60);
  narrow.ResizeTo(100);
  EXPECT_EQ(narrow.clientWidth, 60);
}

TEST(Zoom, SquareFactorAndSource) {
  const auto sq = ZoomSquare(100, 40, 180, 90);  // 80 right, 50 down
  ASSERT_TRUE(sq.has_value());
  EXPECT_EQ(*sq, (ScreenRect{100, 40, 180, 120}));
  EXPECT_EQ(MagnificationText(ZoomFactor(*sq, 512, 1.0L)), "6.40");
  EXPECT_EQ(ZoomSquare(100, 40, 150, 200)->right, 260);  // the larger distance wins
  EXPECT_FALSE(ZoomSquare(100, 40, 90, 60).has_value());  // up or left: nothing
  EXPECT_FALSE(ZoomSquare(100, 40, 120, 30).has_value());
  const SourceRect src = ZoomedSource(ScreenRect{100, 40, 180, 120}, 0.5L, 10, 20);
  EXPECT_EQ(src.left, 180);
  EXPECT_EQ(src.top, 40);
  EXPECT_EQ(src.right, 340);
  EXPECT_EQ(src.bottom, 200);
  EXPECT_EQ(MagnificationText(0.6171875L), "0.62");
}

TEST(Markers, BoxesAndLabelPlaces) {
  BoxRecord ref;  // 8, 8, 4, 3
  BoxRecord unknown;
  unknown.peakHalfWidth = 12;
  unknown.skyBorder = 6;
  const MarkerLayout r = LayoutMarker("12", ref, unknown, 100, 200);
  EXPECT_EQ(r.box, (ScreenRect{192, 92, 208, 108}));
  EXPECT_EQ(r.skyBox, (ScreenRect{188, 88, 212, 112}));
  EXPECT_EQ(r.labelTop, 92);
  EXPECT_EQ(r.labelX, 200 - 8 - 4 - 10 - 5);
  const MarkerLayout u = LayoutMarker("U", ref, unknown, 50, 60);
  EXPECT_EQ(u.box, (ScreenRect{48, 38, 72, 62}));
  EXPECT_EQ(u.labelX, 60 - 12 - 6 - 5 - 5);
  const MarkerLayout edge = LayoutMarker("3", ref, unknown, 50, 15);  // left edge would fall below 1
  EXPECT_EQ(edge.labelX, 15 + 8 + 4 + 5);
  EXPECT_EQ(LayoutMarker("123", ref, unknown, 0, 100).label, "12");
  EXPECT_EQ(DefaultMagnifyRegion(ref), 24);
  EXPECT_EQ(ClampMagnifyRegion(1), 2);
  EXPECT_EQ(ClampMagnifyRegion(101), 100);
  EXPECT_EQ(ClampMagnifyRegion(25), 24);
}

TEST(CursorMark, RecordAndClear) {
  CursorMark m;
  EXPECT_EQ(m.x, -40);
  EXPECT_FALSE(m.inside);
  EXPECT_TRUE(m.Record(400, 300, 400, 300));  // the edges count as inside
  EXPECT_EQ(m.ClearSquare(), (ScreenRect{376, 276, 424, 324}));
  EXPECT_FALSE(m.Record(401, 10, 400, 300));
  EXPECT_FALSE(m.Record(-1, 10, 400, 300));
  m.Clear();
  EXPECT_EQ(m.y, -40);
  EXPECT_EQ(ImageCaptionPrefix(3), "Image 4 - ");
}

TEST(PrintInfo, LinesOfAnUnsolvedImage) {
  auto lines = ImagePrintInfo("Image 1 - M31.FIT", 640, 480, 0.0L, 0.0L);
  ASSERT_EQ(lines.size(), 2u);  // RA = DEC = 0: no coordinate line
  EXPECT_EQ(lines[0].indent, 50);
  EXPECT_EQ(lines[0].text, "Image 1 - M31.FIT");
  EXPECT_EQ(lines[1].indent, 100);
  EXPECT_EQ(lines[1].text, "Image Width: 640 Pixels,  Height: 480 Pixels");
  lines = ImagePrintInfo("x", 1, 1, 12.5L, -30.25L);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].text, "Approximate Coordinates - RA:12h 30m,   Dec:-30\xB0 15'");
  EXPECT_EQ(ImagePrintInfo("x", 1, 1, std::nullopt, std::nullopt).size(), 2u);
  EXPECT_EQ(ApproximateCoordinatesLine(23.9999L, 0.5L), "Approximate Coordinates - RA:0h 0m,   Dec:+0\xB0 30'");
}

TEST(PrintInfo, LinesOfASolvedImage) {
  SolvedPrintData d;
  d.centreRAHours = 5.5L + 1.0L / 7200;   // 5h 30m 00.50s
  d.centreDecDeg = -(22.25L + 0.1L / 3600);  // -22 15' 00.1"
  d.arcsecPerPixel = 1.23456L;
  const auto noTarget = SolvedPrintInfo("Image 2 - M31.FIT", 600, 400, d);
  ASSERT_EQ(noTarget.size(), 4u);
  EXPECT_EQ(noTarget[2].text, "Field Center  - RA:   5h 30m 00.50s,   Dec: -22\xB0 15' 00.1\"");
  EXPECT_EQ(noTarget[2].gap, 2);
  EXPECT_EQ(noTarget[3].text, "Field - Scale: 1.2346 \"/pixel,  Width: 12.35',  Height: 8.23'");
  EXPECT_EQ(noTarget[3].gap, 1);
  EXPECT_EQ(noTarget[3].indent, 100);
  d.targetLocated = true;
  d.targetRAHours = 23.5L;
  d.targetDecDeg = 1.5L;
  const auto noMagnitude = SolvedPrintInfo("x", 600, 400, d);
  ASSERT_EQ(noMagnitude.size(), 5u);
  EXPECT_EQ(noMagnitude[4].text, "Target Object - RA:  23h 30m 00.00s  Dec:   1\xB0 30' 00.0\"");
  EXPECT_EQ(noMagnitude[4].gap, 2);
  d.targetMag = 15.456L;
  d.targetMagError = 0.04L;
  auto lines = SolvedPrintInfo("x", 600, 400, d);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[5].text, "Target Magnitude: 15.46");
  d.targetMagError = 0.05L;  // 0.05 and more: one decimal
  lines = SolvedPrintInfo("x", 600, 400, d);
  EXPECT_EQ(lines[5].text, "Target Magnitude: 15.5");
  d.targetMagError = 0;
  lines = SolvedPrintInfo("x", 600, 400, d);
  EXPECT_EQ(lines[5].text, "Target Magnitude: 15.5");
}

}  // namespace
}  // namespace skarvel
