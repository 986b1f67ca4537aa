#include "images/image_display.h"

#include <cmath>
#include <memory>
#include <vector>

#include "images/display_range.h"

namespace skarvel {

namespace {

std::int32_t RoundToInt32(long double x) {
  const long double r = std::nearbyint(x);  // halves to even
  if (!(r > -2147483648.0L)) return -2147483647 - 1;
  if (!(r < 2147483647.0L)) return 2147483647;
  return static_cast<std::int32_t>(r);
}

}  // namespace

bool RepairHotPixel(IntArrayList& pixels, std::int32_t x, std::int32_t y) {
  const std::int32_t cols[2] = {x - 1, x + 1};
  const std::int32_t rows[2] = {y - 1, y + 1};
  std::int64_t sum = 0;
  std::int64_t n = 0;
  for (std::int32_t r : rows) {
    if (r < 0 || r > pixels.LastRow()) continue;  // replaced by y: not diagonal
    for (std::int32_t c : cols) {
      if (c < 0 || c > pixels.LastColumn()) continue;
      sum += pixels.Row(r)[static_cast<std::size_t>(c)];
      ++n;
    }
  }
  if (n == 0) return false;
  // Exact mean rounded half to even.
  std::int64_t q = sum / n;
  std::int64_t rem = sum - q * n;
  if (rem < 0) {
    --q;
    rem += n;
  }
  if (2 * rem > n || (2 * rem == n && (q & 1) != 0)) ++q;
  pixels.SetPixel(x, y, static_cast<std::int32_t>(q));
  return true;
}

std::int32_t ImageDisplayObj::DisplayIndex(std::int32_t v) const {
  DisplayMap map;
  map.low = static_cast<std::int64_t>(std::llround(displayOffset_));
  map.span = static_cast<std::int64_t>(std::llround(displaySpan_));
  map.paletteLow = settings.paletteLow;
  map.paletteHigh = settings.paletteHigh;
  return map.Index(v);
}

std::int32_t ImageDisplayObj::BitmapIndex(std::int32_t v) const {
  DisplayMap map;
  map.low = static_cast<std::int64_t>(std::llround(displayOffset_));
  map.span = static_cast<std::int64_t>(std::llround(displaySpan_));
  return map.Index(v);
}

bool ImageDisplayObj::BuildDisplay(GraphicsFileObj& image, bool takeNewSettings, const DisplayBuildContext& context) {
  // 1. A new bitmap; the old one (and its file) goes first.
  image.displayBitmap.reset();
  bitmap_ = IndexedBitmap{};
  if (takeNewSettings && context.defaults != nullptr)
    settings = NewDisplaySettings(*context.defaults, context.imageFileType);
  if (!image.HasImage() || context.ui == nullptr) return false;
  image.displayBitmap = std::make_unique<BMPFileObj>(BMPFileObj::PathFor(context.dataDir, image.fileName, image.tempSuffix), *context.ui);
  BMPFileObj& bmp = *image.displayBitmap;

  // 2. Build with the neutral palette bounds.
  const DisplaySettings saved = settings;
  settings.brightness = 0;
  settings.contrast = 0;
  settings.paletteLow = kBuildPaletteLow;
  settings.paletteHigh = kBuildPaletteHigh;
  settings.contrastFactor = 1.0f;

  // 3. Histogram statistics.
  image.modeBin = image.histogram.ModeBin(image.modeCount);
  image.firstZeroBin = image.histogram.FirstZeroBin();

  // 4. The display range.
  if (settings.rangeFromHeader != 0) {
    image.displayLow = image.headerBackground;
    image.displayHigh = image.headerRangeTop;
  } else {
    const DisplayRange r = StatisticalDisplayRange(image.histogram, settings.backgroundSigmas, settings.rangeSigmas);
    image.displayLow = r.low;
    image.displayHigh = r.high;
  }
  image.firstZeroValue = RoundToInt32(static_cast<long double>(image.firstZeroBin) * image.histogram.BinWidth());
  displayOffset_ = image.displayLow;
  displaySpan_ = static_cast<long double>(image.displayHigh) - static_cast<long double>(image.displayLow);

  // 6.-7. The index rows in display order.
  DisplayMap map;
  map.low = image.displayLow;
  map.span = static_cast<std::int64_t>(image.displayHigh) - image.displayLow;
  const std::int32_t w = image.width;
  const std::int32_t h = image.height;
  bool ok = bmp.BeginFile(w, h);
  if (ok) {
    bmp.SetPalette(PaletteRamp(kBuildPaletteLow, kBuildPaletteHigh));
    ok = bmp.WriteInfo();
  }
  const std::int64_t hotLimit = 2 * static_cast<std::int64_t>(image.displayHigh);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(bmp.Stride()), 0);
  for (std::int32_t r = 0; ok && r < h; ++r) {
    const std::int32_t y = settings.mirrorUpDown ? h - 1 - r : r;
    auto values = image.pixels.Row(y);
    if (AnyAbove(values.data(), values.size(), hotLimit)) {
      for (std::int32_t c = 0; c < w; ++c) {
        const std::int32_t x = settings.mirrorLeftRight ? w - 1 - c : c;
        if (values[static_cast<std::size_t>(x)] > hotLimit) RepairHotPixel(image.pixels, x, y);
      }
    }
    MapPixelRow(values.data(), row.data(), values.size(), settings.mirrorLeftRight, map);
    ok = bmp.WriteRow(row.data(), bmp.Stride());
  }
  ok = ok && bmp.Finish();
  row = std::vector<std::uint8_t>();
  ok = ok && ReadIndexedBitmap(bmp.Path(), bitmap_);
  if (!ok) bitmap_ = IndexedBitmap{};

  // 9. The saved settings back, palette bounds from brightness and contrast.
  settings = saved;
  UpdatePaletteBounds(settings);
  return ok;
}

bool ImageDisplayObj::RewritePalette(GraphicsFileObj& image) {
  if (image.displayBitmap == nullptr || !image.displayBitmap->Finished()) return false;
  const GreyPalette grey = PaletteRamp(settings.paletteLow, settings.paletteHigh);
  image.displayBitmap->SetPalette(grey);
  if (!image.displayBitmap->RewriteInfo()) return false;
  bitmap_.palette = grey;
  return true;
}

}  // namespace skarvel
