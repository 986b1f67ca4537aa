// The display of one image window: its settings, the mapping of the image's
// pixels into the display bitmap, and the palette.
#pragma once

#include <cstdint>
#include <string>

#include "images/bmp_file.h"
#include "images/display_mapping.h"
#include "images/display_settings.h"
#include "images/graphics_file.h"
#include "platform/platform.h"

namespace skarvel {

/// What a build needs from the session.
struct DisplayBuildContext {
  const DisplaySettings* defaults = nullptr;  ///< the options' display defaults
  std::uint8_t imageFileType = 0;             ///< the ImageFileType option
  std::string dataDir;                        ///< with trailing separator: the bitmap goes here
  platform::Platform* ui = nullptr;
};

/// Usage: BuildDisplay(image, true, ctx) after a load, then RewritePalette;
/// after a brightness or contrast change UpdatePaletteBounds(settings) and
/// RewritePalette; after an orientation or range change BuildDisplay(image, false, ctx).
class ImageDisplayObj {
 public:
  /// Steps of the build: a new bitmap (the image's old one deleted first); new
  /// settings from the defaults when `takeNewSettings`; the histogram's mode bin,
  /// mode count and first zero bin into the image; the display range
  /// (header values or mean + k_low sigma .. + k_high sigma); the index rows
  /// in display order with isolated hot pixels (v > 2 x display high, see
  /// RepairHotPixels) repaired from their diagonal neighbours and written
  /// back into the image; the bitmap file
  /// written and read back into `bitmap`; then the saved settings restored and
  /// UpdatePaletteBounds. False when the bitmap could not be written (the
  /// bitmap object has shown why); the display is then empty.
  bool BuildDisplay(GraphicsFileObj& image, bool takeNewSettings, const DisplayBuildContext& context);

  /// The palette index of a pixel value with the present palette bounds.
  std::int32_t DisplayIndex(std::int32_t v) const;
  /// The index the bitmap holds for a pixel value (the build bounds 64 ... 127).
  std::int32_t BitmapIndex(std::int32_t v) const;

  /// The palette from the settings' palette low and high into the bitmap's
  /// file (RewriteInfo) and into `bitmap`. False when the file could not be
  /// rewritten: the old palette stays.
  bool RewritePalette(GraphicsFileObj& image);

  /// The image's display bitmap as loaded from its file (empty before a build).
  const IndexedBitmap& Bitmap() const { return bitmap_; }
  bool HasBitmap() const { return bitmap_.width > 0; }
  long double DisplayOffset() const { return displayOffset_; }
  long double DisplaySpan() const { return displaySpan_; }

  DisplaySettings settings;

 private:
  IndexedBitmap bitmap_;
  long double displayOffset_ = 0;
  long double displaySpan_ = 0;
};

/// The hot-pixel repair of pixel (x, y) of `pixels`: the neighbours at columns
/// x-1, x, x+1 and rows y-1, y, y+1 (outside ones replaced by x or y) that
/// differ from the pixel in both column and row; when there is at least one,
/// the rounded mean (halves to even) of their values is stored at (x, y) and
/// true returned.
bool RepairHotPixel(IntArrayList& pixels, std::int32_t x, std::int32_t y);

/// A pixel brighter than twice the display high is a defect (a hot pixel or
/// a cosmic ray's hit), not a star, when its brightest neighbour rises less
/// than 1 / kHotNeighbourDivisor as far above the display low: a star's
/// profile sampled at 1.5 pixels FWHM or wider keeps its brightest neighbour
/// above 0.29 of its peak, a defect's neighbours are sky.
inline constexpr std::int64_t kHotNeighbourDivisor = 4;

/// Whether pixel (x, y) is an isolated hot pixel for the display range (above).
bool IsHotPixel(const IntArrayList& pixels, std::int32_t x, std::int32_t y, std::int32_t displayLow,
                std::int32_t displayHigh);

/// The hot-pixel repair of a build: every isolated hot pixel (IsHotPixel)
/// takes the rounded mean of its diagonal neighbours (RepairHotPixel). Both
/// the choice and the means use the values as loaded, so the result does not
/// depend on the order of the rows shown. Returns the number repaired.
std::int64_t RepairHotPixels(IntArrayList& pixels, std::int32_t displayLow, std::int32_t displayHigh);

/// The display range a build takes with `settings` into the image's display
/// low and high: the header's values with range-from-header, else mean +
/// k_low sigma and k_high sigma above that.
void MeasuringDisplayRange(GraphicsFileObj& image, const DisplaySettings& settings);

/// The pixels as an image window measures them, without a window: the
/// display range of a new window on this image (`defaults`: the options'
/// display defaults, `imageFileType`: the ImageFileType option) and its
/// hot-pixel repair. Every measuring command runs this after a load so that
/// its centroids and fluxes equal the window's. Returns the pixels repaired.
std::int64_t PrepareForMeasuring(GraphicsFileObj& image, const DisplaySettings& defaults, std::uint8_t imageFileType);

}  // namespace skarvel
