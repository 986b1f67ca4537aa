#include "images/image_display.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
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

namespace {

// The rounded mean (halves to even) of the diagonal neighbours of (x, y);
// nothing when the pixel has none (a one-pixel-wide or -high image).
std::optional<std::int32_t> DiagonalMean(const IntArrayList& pixels, std::int32_t x, std::int32_t y) {
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
  if (n == 0) return std::nullopt;
  std::int64_t q = sum / n;
  std::int64_t rem = sum - q * n;
  if (rem < 0) {
    --q;
    rem += n;
  }
  if (2 * rem > n || (2 * rem == n && (q & 1) != 0)) ++q;
  return static_cast<std::int32_t>(q);
}

// The brightest of the up to eight neighbours of (x, y).
std::int64_t BrightestNeighbour(const IntArrayList& pixels, std::int32_t x, std::int32_t y) {
  std::int64_t best = std::numeric_limits<std::int64_t>::min();
  for (std::int32_t r = std::max(y - 1, 0); r <= std::min(y + 1, pixels.LastRow()); ++r)
    for (std::int32_t c = std::max(x - 1, 0); c <= std::min(x + 1, pixels.LastColumn()); ++c)
      if (c != x || r != y) best = std::max<std::int64_t>(best, pixels.Row(r)[static_cast<std::size_t>(c)]);
  return best;
}

}  // namespace

bool RepairHotPixel(IntArrayList& pixels, std::int32_t x, std::int32_t y) {
  const std::optional<std::int32_t> mean = DiagonalMean(pixels, x, y);
  if (!mean) return false;
  pixels.SetPixel(x, y, *mean);
  return true;
}

bool IsHotPixel(const IntArrayList& pixels, std::int32_t x, std::int32_t y, std::int32_t displayLow,
                std::int32_t displayHigh) {
  const std::int64_t v = pixels.Row(y)[static_cast<std::size_t>(x)];
  if (v <= 2 * static_cast<std::int64_t>(displayHigh)) return false;
  const std::int64_t neighbour = BrightestNeighbour(pixels, x, y);
  if (neighbour == std::numeric_limits<std::int64_t>::min()) return true;  // a one-pixel image
  // A star's profile keeps its brightest neighbour well above this.
  return (neighbour - displayLow) * kHotNeighbourDivisor < v - displayLow;
}

std::int64_t RepairHotPixels(IntArrayList& pixels, std::int32_t displayLow, std::int32_t displayHigh) {
  // Decided and repaired from the values as loaded, so that neither the row
  // order of the display nor a neighbour repaired first changes the result.
  struct Repair {
    std::int32_t x, y, value;
  };
  std::vector<Repair> repairs;
  const std::int64_t limit = 2 * static_cast<std::int64_t>(displayHigh);
  for (std::int32_t y = 0; y <= pixels.LastRow(); ++y) {
    const auto values = std::as_const(pixels).Row(y);
    if (!AnyAbove(values.data(), values.size(), limit)) continue;
    for (std::int32_t x = 0; x <= pixels.LastColumn(); ++x) {
      if (values[static_cast<std::size_t>(x)] <= limit || !IsHotPixel(pixels, x, y, displayLow, displayHigh)) continue;
      if (const auto mean = DiagonalMean(pixels, x, y)) repairs.push_back({x, y, *mean});
    }
  }
  for (const Repair& r : repairs) pixels.SetPixel(r.x, r.y, r.value);
  return static_cast<std::int64_t>(repairs.size());
}

void MeasuringDisplayRange(GraphicsFileObj& image, const DisplaySettings& settings) {
  if (settings.rangeFromHeader != 0) {
    image.displayLow = image.headerBackground;
    image.displayHigh = image.headerRangeTop;
  } else {
    const DisplayRange r = StatisticalDisplayRange(image.histogram, settings.backgroundSigmas, settings.rangeSigmas);
    image.displayLow = r.low;
    image.displayHigh = r.high;
  }
}

std::int64_t PrepareForMeasuring(GraphicsFileObj& image, const DisplaySettings& defaults, std::uint8_t imageFileType) {
  if (!image.HasImage()) return 0;
  MeasuringDisplayRange(image, NewDisplaySettings(defaults, imageFileType));
  return RepairHotPixels(image.pixels, image.displayLow, image.displayHigh);
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
  MeasuringDisplayRange(image, settings);
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
  // Hot pixels repaired in the image itself, so that measurements see the
  // repaired values: the same step as PrepareForMeasuring's.
  if (ok) RepairHotPixels(image.pixels, image.displayLow, image.displayHigh);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(bmp.Stride()), 0);
  for (std::int32_t r = 0; ok && r < h; ++r) {
    const std::int32_t y = settings.mirrorUpDown ? h - 1 - r : r;
    auto values = image.pixels.Row(y);
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
