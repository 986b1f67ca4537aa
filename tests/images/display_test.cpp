// The display mapping: histogram statistics, palette bounds and ramp, the
// index mapping, the bitmap file's bytes, the display build with its mirrors
// and hot-pixel repair, and the adjust dialog's rules.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>

#include "foundations/file_system.h"
#include "images/bmp_file.h"
#include "images/display_mapping.h"
#include "images/image_adjust.h"
#include "images/image_display.h"
#include "images/star_measure.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

// An image made in memory: pixels given row by row, histogram as a 16-bit reader fills it.
class MemoryImage : public GraphicsFileObj {
 public:
  MemoryImage(std::int32_t w, std::int32_t h, const std::vector<std::int32_t>& values, long double binWidth = 256.0L)
      : GraphicsFileObj(ImageLoadContext{}) {
    width = w;
    height = h;
    fileName = "/somewhere/m31.fit";
    displayName = "M31.FIT";
    headerTextPresent = true;
    pixels.Create(w, h);
    histogram.Create(256, binWidth);
    for (std::int32_t y = 0; y < h; ++y)
      for (std::int32_t x = 0; x < w; ++x) {
        const std::int32_t v = values[static_cast<std::size_t>(y * w + x)];
        pixels.SetPixel(x, y, v);
        AddPixelValue(v);
      }
  }
  bool Load(const std::string&) override { return false; }
  void StoreCameraParameters() override {}
};

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// ---------------------------------------------------------------- histogram

TEST(Histogram, ModeBinAndFirstZeroBin) {
  HistogramObj h(8, 1.0L);
  std::int32_t count = -1;
  EXPECT_EQ(h.ModeBin(count), 0);  // all zero
  EXPECT_EQ(count, 0);
  EXPECT_EQ(h.FirstZeroBin(), 1);

  for (int v : {2, 2, 3, 5, 5, 1}) h.Add(v);
  EXPECT_EQ(h.ModeBin(count), 2);  // tie of bins 2 and 5: the lower wins
  EXPECT_EQ(count, 2);
  EXPECT_EQ(h.FirstZeroBin(), 4);

  HistogramObj full(4, 1.0L);
  for (int v : {0, 1, 2, 3, 3}) full.Add(v);
  EXPECT_EQ(full.FirstZeroBin(), 3);  // no empty bin after the mode: the last bin

  HistogramObj last(4, 256.0L);
  for (int v : {0, 100, -3, 70000}) last.Add(v);  // negative counts as 0; beyond the last bin counts in it
  EXPECT_EQ(last.ModeBin(count), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(last.FirstZeroBin(), 1);
  last.Add(1e6L);
  last.Add(2e6L);
  last.Add(600);
  EXPECT_EQ(last.ModeBin(count), 0);  // 3 against 3: the lower bin
  last.Add(3e6L);
  EXPECT_EQ(last.ModeBin(count), 3);  // the fullest bin is the last one
  EXPECT_EQ(count, 4);
  EXPECT_EQ(last.FirstZeroBin(), 3);
}

TEST(Histogram, EightBitModeIsTheValueAndStatistics) {
  HistogramObj h(256, 1.0L);
  for (int v : {7, 7, 7, 9, 11}) h.Add(v);
  std::int32_t count = 0;
  EXPECT_EQ(h.ModeBin(count), 7);
  EXPECT_NEAR(static_cast<double>(h.Mean()), 8.2, 1e-12);
  EXPECT_NEAR(static_cast<double>(h.StdDev()), std::sqrt(3.2), 1e-12);
  HistogramObj one(4, 1.0L);
  one.Add(3);
  EXPECT_EQ(one.StdDev(), 0.0L);
}

// ---------------------------------------------------------------- palette

TEST(Palette, BoundsForBrightnessAndContrast) {
  DisplaySettings s;
  s.brightness = 50;
  UpdatePaletteBounds(s);
  EXPECT_EQ(s.paletteLow, 14);
  EXPECT_EQ(s.paletteHigh, 14 + 63);

  s.contrast = 50;
  UpdatePaletteBounds(s);
  EXPECT_NEAR(s.contrastFactor, 0.1317, 5e-5);
  EXPECT_EQ(s.paletteHigh, s.paletteLow + 8);

  s.brightness = -50;
  s.contrast = -50;
  UpdatePaletteBounds(s);
  EXPECT_EQ(s.paletteLow, 114);
  EXPECT_NEAR(s.contrastFactor, 7.59, 5e-3);
  EXPECT_EQ(s.paletteHigh, 114 + 478);
}

TEST(Palette, AnyBrightnessAndContrastKeepTheBoundsInRange) {
  // Values no dialog gives, as a damaged options file could hold: the bounds
  // saturate at the limit instead of overflowing, and ramp and index stay sane.
  for (const auto& [b, c] : {std::pair{INT32_MIN, -2000}, std::pair{INT32_MAX, 2000}, std::pair{INT32_MIN, INT32_MIN},
                             std::pair{INT32_MAX, INT32_MAX}}) {
    SCOPED_TRACE(std::to_string(b) + " " + std::to_string(c));
    DisplaySettings s;
    s.brightness = b;
    s.contrast = c;
    UpdatePaletteBounds(s);
    EXPECT_GE(s.paletteLow, -kPaletteBoundLimit);
    EXPECT_LE(s.paletteLow, kPaletteBoundLimit);
    EXPECT_GE(s.paletteHigh, s.paletteLow);
    EXPECT_LE(s.paletteHigh, kPaletteBoundLimit);
    EXPECT_TRUE(std::isfinite(s.contrastFactor));
    const GreyPalette p = PaletteRamp(s.paletteLow, s.paletteHigh);
    EXPECT_LE(p[0], p[255]);
    DisplayMap map;
    map.low = -2147483648LL;
    map.span = 4294967295LL;
    map.paletteLow = s.paletteLow;
    map.paletteHigh = s.paletteHigh;
    EXPECT_EQ(map.Index(INT32_MIN), s.paletteLow);
    EXPECT_EQ(map.Index(INT32_MAX), s.paletteHigh);
  }
  // Within the dialog ranges nothing changes (the extreme corner B = C = -50).
  DisplaySettings s;
  s.brightness = -50;
  s.contrast = -50;
  s.backgroundSigmas = 2.5f;
  s.rangeSigmas = 1.0f;
  UpdatePaletteBounds(s);
  const DisplaySettings before = s;
  EXPECT_FALSE(BringIntoDialogRanges(s));
  EXPECT_EQ(s, before);
  s.contrast = 51;
  EXPECT_TRUE(BringIntoDialogRanges(s));
  EXPECT_EQ(s.contrast, 50);
  EXPECT_EQ(s.paletteHigh, 114 + 8);
}

TEST(Palette, SquareRootRamp) {
  const GreyPalette p = PaletteRamp(64, 127);
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(p[63], 0);
  EXPECT_EQ(p[64], 0);
  EXPECT_EQ(p[127], 255);
  EXPECT_EQ(p[128], 255);
  EXPECT_EQ(p[255], 255);
  EXPECT_EQ(p[64 + 63 / 4 + 1], static_cast<int>(std::nearbyint(std::sqrt(16.0 / 63.0) * 255)));  // 128
  const GreyPalette wide = PaletteRamp(14, 14 + 478);  // white never reached
  EXPECT_EQ(wide[255], static_cast<int>(std::nearbyint(std::sqrt(241.0 / 478.0) * 255)));
  EXPECT_EQ(wide[13], 0);
}

TEST(Palette, IndexMappingRoundsHalvesToEven) {
  DisplayMap m;
  m.low = 1000;
  m.span = 126;
  EXPECT_EQ(m.Index(999), 64);
  EXPECT_EQ(m.Index(-2147483647 - 1), 64);
  EXPECT_EQ(m.Index(1127), 127);
  EXPECT_EQ(m.Index(2147483647), 127);
  EXPECT_EQ(m.Index(1000), 64);
  EXPECT_EQ(m.Index(1001), 64);  // 0.5 -> 0
  EXPECT_EQ(m.Index(1003), 66);  // 1.5 -> 2
  EXPECT_EQ(m.Index(1126), 127);
  EXPECT_EQ(m.Index(1063), 96);  // 31.5 -> 32
  DisplayMap flat;
  flat.low = 5;
  EXPECT_EQ(flat.Index(5), 64);
  EXPECT_EQ(flat.Index(6), 127);
}

TEST(Palette, NewSettingsTakeTheRangeSourceFromTheFileType) {
  DisplaySettings d;
  d.brightness = 12;
  d.rangeFromHeader = 1;
  EXPECT_EQ(NewDisplaySettings(d, 0).rangeFromHeader, 0);
  EXPECT_EQ(NewDisplaySettings(d, 1).rangeFromHeader, 0);
  d.rangeFromHeader = 0;
  EXPECT_EQ(NewDisplaySettings(d, 2).rangeFromHeader, 1);
  EXPECT_EQ(NewDisplaySettings(d, 2).brightness, 12);
}

// ---------------------------------------------------------------- bitmap file

TEST(BitmapFile, NameStrideAndHeaderBytes) {
  EXPECT_EQ(BMPFileObj::PathFor("/data/", "/images/m31.fit"), "/data/m31.BMP");
  EXPECT_EQ(BMPFileObj::PathFor("/data/", "a.b.fits"), "/data/aits.BMP");  // the first "." and three more
  EXPECT_EQ(BMPFileObj::StrideOf(101), 104);
  EXPECT_EQ(BMPFileObj::StrideOf(104), 104);
  EXPECT_EQ(BMPFileObj::StrideOf(1), 4);

  TempDir dir;
  ScriptedPlatform ui;
  std::vector<std::int32_t> values(101 * 3);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::int32_t>(i % 101);
  MemoryImage image(101, 3, values);
  ImageDisplayObj display;
  DisplaySettings defaults;
  ASSERT_TRUE(display.BuildDisplay(image, true, DisplayBuildContext{&defaults, 0, dir.Path(), &ui}));
  const std::string path = dir.Path() + "m31.BMP";
  const auto b = FileBytes(path);
  ASSERT_EQ(b.size(), 1078u + 104u * 3u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(U32At(b, 2), 0u);
  EXPECT_EQ(U32At(b, 6), 0u);
  EXPECT_EQ(U32At(b, 10), 1078u);
  EXPECT_EQ(U32At(b, 14), 40u);
  EXPECT_EQ(U32At(b, 18), 101u);
  EXPECT_EQ(U32At(b, 22), 0xFFFFFFFDu);  // -3: top row first
  EXPECT_EQ(b[26] | (b[27] << 8), 1);
  EXPECT_EQ(b[28] | (b[29] << 8), 8);
  for (std::size_t i = 30; i < 46; ++i) EXPECT_EQ(b[i], 0) << i;
  EXPECT_EQ(U32At(b, 46), 256u);
  EXPECT_EQ(U32At(b, 50), 0u);
  const GreyPalette ramp = PaletteRamp(64, 127);  // brightness and contrast 0: the build palette stays
  for (std::size_t i = 0; i < 256; ++i) {
    EXPECT_EQ(b[54 + 4 * i], ramp[i]);
    EXPECT_EQ(b[55 + 4 * i], ramp[i]);
    EXPECT_EQ(b[56 + 4 * i], ramp[i]);
    EXPECT_EQ(b[57 + 4 * i], 0);
  }
  EXPECT_FALSE(fs::FileExists(path + ".part"));
  // The bitmap goes with its image.
  image.displayBitmap.reset();
  EXPECT_FALSE(fs::FileExists(path));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(BitmapFile, FailuresAreReportedAndLeaveNoFile) {
  ScriptedPlatform ui;
  TempDir dir;
  {
    BMPFileObj bmp(dir.Path() + "missing/x.BMP", ui);
    EXPECT_FALSE(bmp.BeginFile(4, 4));
    EXPECT_FALSE(bmp.WriteInfo());
    EXPECT_FALSE(bmp.WriteRow(nullptr, 0));
    EXPECT_FALSE(bmp.Finish());
  }
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Unable to Create BMP File!\r\n\r\nFile Name: " + dir.Path() +
                                       "missing/x.BMP\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages()[0].caption, "BMP File Error!");
  EXPECT_EQ(ui.Messages()[0].icon, platform::Icon::Error);

  const std::string path = dir.Path() + "y.BMP";
  {
    BMPFileObj bmp(path, ui);
    ASSERT_TRUE(bmp.BeginFile(5, 2));
    EXPECT_EQ(bmp.ImageBytes(), 16);
    ASSERT_TRUE(bmp.WriteInfo());
    const std::uint8_t row[8] = {1, 2, 3, 4, 5, 0, 0, 0};
    ASSERT_TRUE(bmp.WriteRow(row, bmp.Stride()));
    EXPECT_FALSE(bmp.Finish());  // a row is missing
    EXPECT_FALSE(fs::FileExists(path));
  }
  EXPECT_FALSE(fs::FileExists(path + ".part"));  // an unfinished file is deleted

  BMPFileObj bmp(path, ui);
  ASSERT_TRUE(bmp.BeginFile(1, 1));
  ASSERT_TRUE(bmp.WriteInfo());
  const std::uint8_t row[4] = {9, 0, 0, 0};
  ASSERT_TRUE(bmp.WriteRow(row, 4));
  ASSERT_TRUE(bmp.Finish());
  bmp.SetPalette(PaletteRamp(0, 255));
  ASSERT_TRUE(bmp.RewriteInfo());
  GreyPalette back{};
  ASSERT_TRUE(ReadBitmapPalette(path, back));
  EXPECT_EQ(back[255], 255);
  EXPECT_EQ(back[64], 128);
  fs::RemoveFile(path);
  EXPECT_FALSE(bmp.RewriteInfo());
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].text, "Error Accessing Temporary BMP File!\r\n\r\nFile Name: " + path +
                                       "\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages()[1].caption, "BMP File Error!");
}

TEST(BitmapFile, TwoImagesOfTheSameNameDoNotDeleteEachOthersBitmap) {
  ScriptedPlatform ui;
  TempDir dir;
  const std::string path = dir.Path() + "m31.BMP";
  const std::uint8_t row[4] = {1, 2, 3, 4};
  auto write = [&](BMPFileObj& bmp, const GreyPalette& grey) {
    ASSERT_TRUE(bmp.BeginFile(4, 1));
    bmp.SetPalette(grey);
    ASSERT_TRUE(bmp.WriteInfo());
    ASSERT_TRUE(bmp.WriteRow(row, 4));
    ASSERT_TRUE(bmp.Finish());
  };
  auto first = std::make_unique<BMPFileObj>(path, ui);
  write(*first, PaletteRamp(0, 255));
  BMPFileObj second(path, ui);
  write(second, PaletteRamp(64, 127));
  first->SetPalette(PaletteRamp(200, 255));
  EXPECT_TRUE(first->RewriteInfo());  // the file is the second's now: left as it is
  first.reset();
  ASSERT_TRUE(fs::FileExists(path));
  GreyPalette back{};
  ASSERT_TRUE(ReadBitmapPalette(path, back));
  EXPECT_EQ(back, PaletteRamp(64, 127));
  EXPECT_TRUE(ui.Messages().empty());
}

// ---------------------------------------------------------------- build

// value(x, y) = 10 x + 100 y on a 3 x 2 image, with the mapping made trivial to read.
TEST(DisplayBuild, MirrorOrders) {
  TempDir dir;
  ScriptedPlatform ui;
  const std::vector<std::int32_t> values = {0, 10, 20, 100, 110, 120};
  DisplaySettings defaults;
  struct Case {
    bool lr, ud;
    std::vector<std::int32_t> shown;  // image values in display order
  };
  const Case cases[] = {{false, false, {0, 10, 20, 100, 110, 120}},
                        {true, false, {20, 10, 0, 120, 110, 100}},
                        {false, true, {100, 110, 120, 0, 10, 20}},
                        {true, true, {120, 110, 100, 20, 10, 0}}};  // both: 180 degrees
  for (const Case& c : cases) {
    MemoryImage image(3, 2, values, 1.0L);
    ImageDisplayObj display;
    display.settings.mirrorLeftRight = c.lr;
    display.settings.mirrorUpDown = c.ud;
    ASSERT_TRUE(display.BuildDisplay(image, false, DisplayBuildContext{&defaults, 0, dir.Path(), &ui}));
    const IndexedBitmap& b = display.Bitmap();
    ASSERT_EQ(b.width, 3);
    ASSERT_EQ(b.height, 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x)
        EXPECT_EQ(b.At(x, y), display.BitmapIndex(c.shown[static_cast<std::size_t>(y * 3 + x)]))
            << c.lr << c.ud << " at " << x << "," << y;
    EXPECT_NE(b.At(0, 0), b.At(2, 1));
  }
}

TEST(DisplayBuild, StatisticalRangeHeaderRangeAndSettingsRestored) {
  TempDir dir;
  ScriptedPlatform ui;
  // Mean 1000, values 900 and 1100 alternating (sigma = sqrt(400 x 10000 / 399)).
  const int n = 400;
  std::vector<std::int32_t> values;
  for (int i = 0; i < n; ++i) values.push_back(i % 2 == 0 ? 1100 : 900);
  MemoryImage image(20, 20, values);
  ImageDisplayObj display;
  DisplaySettings defaults;
  defaults.brightness = 10;
  defaults.contrast = 20;
  ASSERT_TRUE(display.BuildDisplay(image, true, DisplayBuildContext{&defaults, 0, dir.Path(), &ui}));
  const long double sigma = image.histogram.StdDev();
  EXPECT_EQ(image.displayLow, static_cast<int>(std::nearbyint(1000 - 0.25L * sigma)));
  EXPECT_EQ(image.displayHigh, image.displayLow + static_cast<int>(std::nearbyint(2 * sigma)));
  EXPECT_EQ(image.modeBin, 3);  // 900 / 256 and 1100 / 256 are bins 3 and 4, equal counts
  EXPECT_EQ(image.modeCount, 200);
  EXPECT_EQ(image.firstZeroBin, 5);
  EXPECT_EQ(image.firstZeroValue, 5 * 256);
  EXPECT_EQ(display.DisplayOffset(), image.displayLow);
  EXPECT_EQ(display.DisplaySpan(), image.displayHigh - image.displayLow);
  // The build used the neutral palette; the settings' own bounds are back afterwards.
  EXPECT_EQ(display.settings.brightness, 10);
  EXPECT_EQ(display.settings.paletteLow, 54);
  // low 975, high 1175: 1100 maps inside the ramp.
  EXPECT_EQ(display.Bitmap().At(0, 0), static_cast<int>(std::nearbyint((1100.0L - image.displayLow) /
                                                                        (image.displayHigh - image.displayLow) * 63)) + 64);
  EXPECT_EQ(display.Bitmap().At(1, 0), 64);  // 900 is below display low

  // Header values when the range comes from the header (other SBIG).
  image.headerBackground = 800;
  image.headerRangeTop = 1200;
  ASSERT_TRUE(display.BuildDisplay(image, true, DisplayBuildContext{&defaults, 2, dir.Path(), &ui}));
  EXPECT_EQ(display.settings.rangeFromHeader, 1);
  EXPECT_EQ(image.displayLow, 800);
  EXPECT_EQ(image.displayHigh, 1200);
  EXPECT_EQ(display.Bitmap().At(0, 0), 64 + 47);  // 1100: round(300 / 400 x 63) = 47
  EXPECT_EQ(display.Bitmap().At(1, 0), 64 + 16);  // 900: round(100 / 400 x 63) = 15.75 -> 16
}

TEST(DisplayBuild, HotPixelsRepairedFromDiagonalNeighboursAndWrittenBack) {
  // 4 x 3 image of 1000 with neighbours made distinct; the mapping's display
  // high is set from the header so the threshold is exactly 2 x 1175 = 2350.
  TempDir dir;
  ScriptedPlatform ui;
  std::vector<std::int32_t> v = {1000, 1001, 1002, 1003,  //
                                 1010, 1011, 1012, 1013,  //
                                 1020, 1021, 1022, 1023};
  v[0] = 2351;       // corner (0, 0): one diagonal neighbour (1, 1) = 1011
  v[2] = 2350;       // not above 2 x display high: kept
  v[7] = 9000;       // right edge (3, 1): diagonals (2, 0) and (2, 2)
  v[9] = 5000;       // bottom edge (1, 2): diagonals (0, 1) and (2, 1)
  MemoryImage image(4, 3, v);
  image.headerBackground = 975;
  image.headerRangeTop = 1175;
  ImageDisplayObj display;
  display.settings.rangeFromHeader = 1;
  DisplaySettings defaults;
  ASSERT_TRUE(display.BuildDisplay(image, false, DisplayBuildContext{&defaults, 2, dir.Path(), &ui}));
  EXPECT_EQ(image.pixels.PixelAt(0, 0), 1011);
  EXPECT_EQ(image.pixels.PixelAt(2, 0), 2350);
  EXPECT_EQ(image.pixels.PixelAt(3, 1), 1686);  // (2350 + 1022) / 2
  EXPECT_EQ(image.pixels.PixelAt(1, 2), 1011);  // (1010 + 1012) / 2
  EXPECT_EQ(display.Bitmap().At(0, 0), display.BitmapIndex(1011));
}

TEST(DisplayBuild, RepairAtCornersAndSinglePixelImages) {
  IntArrayList p;
  ASSERT_TRUE(p.Create(3, 3));
  int k = 0;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) p.SetPixel(x, y, 10 * (++k));
  // Corners: one diagonal each.
  IntArrayList q = p;
  ASSERT_TRUE(RepairHotPixel(q, 2, 2));
  EXPECT_EQ(q.PixelAt(2, 2), 50);
  ASSERT_TRUE(RepairHotPixel(q, 0, 2));
  EXPECT_EQ(q.PixelAt(0, 2), 50);
  // Interior: four diagonals (10 + 30 + 70 + 90) / 4 = 50.
  q = p;
  ASSERT_TRUE(RepairHotPixel(q, 1, 1));
  EXPECT_EQ(q.PixelAt(1, 1), 50);
  // Top edge (1, 0): (1 +- 1, 1) = 40 and 60 -> 50; (0,1)=40? diagonals are (0,1) and (2,1).
  q = p;
  ASSERT_TRUE(RepairHotPixel(q, 1, 0));
  EXPECT_EQ(q.PixelAt(1, 0), 50);
  // Halves to even: 40 and 45 -> 42.5 -> 42.
  q = p;
  q.SetPixel(0, 1, 45);
  q.SetPixel(2, 1, 40);
  ASSERT_TRUE(RepairHotPixel(q, 1, 0));
  EXPECT_EQ(q.PixelAt(1, 0), 42);
  // A one-pixel-wide image has no diagonal neighbours.
  IntArrayList column;
  ASSERT_TRUE(column.Create(1, 3));
  column.SetPixel(0, 1, 99999);
  EXPECT_FALSE(RepairHotPixel(column, 0, 1));
  EXPECT_EQ(column.PixelAt(0, 1), 99999);
}

// A star of 2.4 pixels FWHM on a sky of 1000 (sigma of the image some 300
// with its stars): its core lies far above twice the display high. Building
// the display must leave it as it is, so that the window's centroid is the
// one of the pixels as loaded; a lone hot pixel beside it is repaired.
TEST(DisplayBuild, StarsKeepTheirPixelsAndTheirCentroidWhileLoneHotPixelsAreRepaired) {
  TempDir dir;
  ScriptedPlatform ui;
  const int w = 64, h = 64;
  std::vector<std::int32_t> v(static_cast<std::size_t>(w * h));
  const double sigma = 2.4 / 2.3548;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double value = 1000 + ((x * 7 + y * 13) % 5);
      for (const auto& star : {std::array<double, 3>{20.3, 30.6, 40000}, std::array<double, 3>{44.8, 17.2, 9000}}) {
        const double r2 = (x - star[0]) * (x - star[0]) + (y - star[1]) * (y - star[1]);
        value += star[2] * std::exp(-r2 / (2 * sigma * sigma));
      }
      v[static_cast<std::size_t>(y * w + x)] = static_cast<std::int32_t>(std::lround(value));
    }
  v[static_cast<std::size_t>(50 * w + 50)] = 30000;  // a hot pixel on the sky
  MemoryImage image(w, h, v);
  MeasureView view;
  view.image = &image;
  view.clientWidth = w;
  view.clientHeight = h;
  const BoxRecord box;
  const auto before = Centroid(view, box, 21, 31, false);
  const auto faintBefore = Centroid(view, box, 45, 17, false);
  ASSERT_TRUE(before && faintBefore);
  for (const bool mirror : {false, true}) {
    MemoryImage shown(w, h, v);
    ImageDisplayObj display;
    display.settings.mirrorUpDown = mirror;
    DisplaySettings defaults;
    ASSERT_TRUE(display.BuildDisplay(shown, false, DisplayBuildContext{&defaults, 0, dir.Path(), &ui}));
    ASSERT_LT(2 * shown.displayHigh, 9000);  // both stars' cores lie above the hot-pixel limit
    EXPECT_EQ(shown.pixels.PixelAt(50, 50), 1001)  // (1000 + 1004 + 1001 + 1000) / 4, rounded
        << "the hot pixel takes the mean of its diagonal neighbours";
    int changed = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if ((x != 50 || y != 50) && shown.pixels.PixelAt(x, y) != v[static_cast<std::size_t>(y * w + x)]) ++changed;
    EXPECT_EQ(changed, 0) << "star pixels taken for hot pixels";
    MeasureView shownView = view;
    shownView.image = &shown;
    const auto after = Centroid(shownView, box, 21, 31, false);
    const auto faintAfter = Centroid(shownView, box, 45, 17, false);
    ASSERT_TRUE(after && faintAfter);
    EXPECT_EQ(static_cast<double>(after->x), static_cast<double>(before->x));
    EXPECT_EQ(static_cast<double>(after->y), static_cast<double>(before->y));
    EXPECT_EQ(static_cast<double>(faintAfter->y), static_cast<double>(faintBefore->y));
  }
  // The window's preparation without a window: the same pixels.
  MemoryImage prepared(w, h, v);
  EXPECT_EQ(PrepareForMeasuring(prepared, DisplaySettings{}, 0), 1);
  EXPECT_EQ(prepared.pixels.PixelAt(50, 50), 1001);
  EXPECT_NEAR(static_cast<double>(before->x), 20.3, 0.02);
  EXPECT_NEAR(static_cast<double>(before->y), 30.6, 0.02);
}

TEST(DisplayBuild, PaletteRewriteTouchesOnlyTheInfoBlock) {
  TempDir dir;
  ScriptedPlatform ui;
  std::vector<std::int32_t> values(16);
  for (int i = 0; i < 16; ++i) values[static_cast<std::size_t>(i)] = 1000 + 50 * i;
  MemoryImage image(4, 4, values);
  ImageDisplayObj display;
  DisplaySettings defaults;
  ASSERT_TRUE(display.BuildDisplay(image, true, DisplayBuildContext{&defaults, 0, dir.Path(), &ui}));
  const auto before = FileBytes(dir.Path() + "m31.BMP");
  display.settings.brightness = 50;
  display.settings.contrast = 50;
  UpdatePaletteBounds(display.settings);
  ASSERT_TRUE(display.RewritePalette(image));
  const auto after = FileBytes(dir.Path() + "m31.BMP");
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i)
    if (i < 54 || i >= 1078) {
      EXPECT_EQ(before[i], after[i]) << i;
    }
  const GreyPalette ramp = PaletteRamp(14, 22);
  for (std::size_t i = 0; i < 256; ++i) EXPECT_EQ(after[54 + 4 * i], ramp[i]) << i;
  EXPECT_EQ(display.Bitmap().palette, ramp);
}

// ---------------------------------------------------------------- adjust dialog rules

TEST(AdjustDialog, CaptionsAndControlsFromTheRecord) {
  DisplaySettings record;
  record.brightness = 13;
  record.contrast = -7;
  record.backgroundSigmas = 1.5f;
  record.rangeSigmas = 3.25f;
  DisplaySettings defaults;
  ImageAdjustModel model(record, ImageAdjustModel::Mode::Window, 2, defaults, 0);
  EXPECT_EQ(model.Caption(), "Adjust Image 3 Display Parameters");
  EXPECT_EQ(model.brightnessPos, 26);
  EXPECT_EQ(model.contrastPos, -14);
  EXPECT_EQ(model.backgroundPos, 6);
  EXPECT_EQ(model.rangePos, 9);
  EXPECT_EQ(model.BrightnessText(), "2.6");
  EXPECT_EQ(model.ContrastText(), "-1.4");
  EXPECT_EQ(model.BackgroundText(), "1.50");
  EXPECT_EQ(model.RangeText(), "3.25");
  EXPECT_FALSE(model.RangeSourceEnabled());
  EXPECT_TRUE(model.UseAsDefaultsEnabled());
  EXPECT_FALSE(model.useAsDefaults);
  ImageAdjustModel sbig(record, ImageAdjustModel::Mode::Window, 0, defaults, 2);
  EXPECT_TRUE(sbig.RangeSourceEnabled());

  ImageAdjustModel defaultsMode(defaults, ImageAdjustModel::Mode::Defaults, 0, defaults, 0);
  EXPECT_EQ(defaultsMode.Caption(), "Set Image Display Parameters");
  EXPECT_TRUE(defaultsMode.useAsDefaults);
  EXPECT_FALSE(defaultsMode.UseAsDefaultsEnabled());
  EXPECT_TRUE(defaultsMode.RangeSourceEnabled());
  ImageAdjustModel plain(defaults, ImageAdjustModel::Mode::Defaults, 0, defaults, 0, false);
  EXPECT_EQ(plain.Caption(), "Adjust Image Display Parameters");
}

TEST(AdjustDialog, ScrollBarsActLiveAndCancelRestores) {
  DisplaySettings record;
  DisplaySettings defaults;
  int rewrites = 0;
  ImageAdjustModel model(record, ImageAdjustModel::Mode::Window, 0, defaults, 0);
  model.rewritePalette = [&] { ++rewrites; };
  model.MoveBrightness(100);
  EXPECT_EQ(record.brightness, 50);
  EXPECT_EQ(record.paletteLow, 14);
  EXPECT_EQ(model.BrightnessText(), "10.0");
  EXPECT_FALSE(record.originalMark);
  EXPECT_FALSE(record.defaultMark);
  EXPECT_FALSE(model.applyEnabled);  // brightness alone needs no rebuild
  model.MoveContrast(-100);
  EXPECT_EQ(record.contrast, -50);
  EXPECT_EQ(record.paletteHigh, 14 + 478);
  model.MoveContrast(-3);  // -1.5 -> -2 (halves to even)
  EXPECT_EQ(record.contrast, -2);
  EXPECT_EQ(rewrites, 3);
  model.MoveBackground(-10);
  EXPECT_FLOAT_EQ(record.backgroundSigmas, -2.5f);
  EXPECT_TRUE(model.applyEnabled);
  model.MoveBackground(-1);  // back at the value of the last apply
  EXPECT_FALSE(model.applyEnabled);
  model.MoveRange(20);
  EXPECT_FLOAT_EQ(record.rangeSigmas, 6.0f);
  EXPECT_EQ(model.RangeText(), "6.00");
  EXPECT_TRUE(model.applyEnabled);

  model.End(ImageAdjustModel::Ending::Cancel);
  EXPECT_EQ(record, DisplaySettings{});
  EXPECT_EQ(rewrites, 7);  // every take plus the cancel
}

TEST(AdjustDialog, OrientationButtonsLampsOriginalAndDefaults) {
  DisplaySettings record;
  DisplaySettings defaults;
  defaults.brightness = 20;
  defaults.rangeSigmas = 3.0f;
  ImageAdjustModel model(record, ImageAdjustModel::Mode::Window, 0, defaults, 0);
  EXPECT_TRUE(model.originalLamp);
  model.ReverseLeftRight();
  EXPECT_TRUE(record.mirrorLeftRight);  // at once
  EXPECT_TRUE(model.leftRightReversed);
  EXPECT_TRUE(model.applyEnabled);
  EXPECT_FALSE(model.originalLamp);
  model.SetInvert(true);
  EXPECT_FALSE(record.invert);  // reaches the record when the controls are next taken
  model.ReverseUpDown();
  model.RestoreLeftRight();
  EXPECT_FALSE(record.mirrorLeftRight);
  EXPECT_TRUE(record.mirrorUpDown);
  EXPECT_TRUE(record.invert);

  model.DefaultSettings();
  EXPECT_EQ(model.brightnessPos, 40);
  EXPECT_EQ(model.rangePos, 8);
  EXPECT_EQ(record.brightness, 20);
  EXPECT_TRUE(model.defaultLamp);
  EXPECT_FALSE(model.originalLamp);
  EXPECT_TRUE(record.defaultMark);

  model.OriginalDisplay();
  EXPECT_EQ(model.BrightnessText(), "0.0");
  EXPECT_EQ(model.ContrastText(), "0.0");
  EXPECT_EQ(model.BackgroundText(), "-0.25");
  EXPECT_EQ(model.RangeText(), "2.00");
  EXPECT_FALSE(record.mirrorLeftRight || record.mirrorUpDown || record.invert);
  EXPECT_TRUE(model.originalLamp);
  EXPECT_FALSE(model.defaultLamp);
  EXPECT_EQ(record.rangeFromHeader, 0);

  model.useAsDefaults = true;
  int noted = 0;
  model.noteOptionsChanged = [&] { ++noted; };
  model.MoveBrightness(-20);
  model.End(ImageAdjustModel::Ending::Ok);
  EXPECT_EQ(defaults.brightness, -10);
  EXPECT_EQ(defaults, record);
  EXPECT_EQ(noted, 1);
}

TEST(AdjustDialog, RebuildNeededForOrientationAndRangeOnly) {
  DisplaySettings a;
  DisplaySettings b = a;
  b.brightness = 40;
  b.invert = true;
  EXPECT_FALSE(ImageAdjustModel::NeedsRebuild(a, b));
  b.mirrorUpDown = true;
  EXPECT_TRUE(ImageAdjustModel::NeedsRebuild(a, b));
  b = a;
  b.rangeSigmas = 2.25f;
  EXPECT_TRUE(ImageAdjustModel::NeedsRebuild(a, b));
  b = a;
  b.rangeFromHeader = 1;
  EXPECT_TRUE(ImageAdjustModel::NeedsRebuild(a, b));
}

}  // namespace
}  // namespace skarvel
