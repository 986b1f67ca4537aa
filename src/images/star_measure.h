// Star measurement: the centroid of the brightest object near a click, the
// sky level around a point and the sky-subtracted sum in a square box.
//
// Coordinates: screen coordinates are pixels of the window's client area,
// image coordinate = screen coordinate / scale. Display coordinates are image
// coordinates in the orientation shown: with mirror left-right, file column k
// is shown at x = width - k; with mirror up-down, file row j at y = height - j.
// Pixel centres lie on integer coordinates.
#pragma once

#include <cstdint>
#include <optional>

#include "images/box_record.h"
#include "images/fitted_centroid.h"
#include "images/graphics_file.h"

namespace skarvel {

/// How an image is shown in the window that measures it.
struct MeasureView {
  GraphicsFileObj* image = nullptr;
  long double scale = 1.0L;       ///< client width / image width
  bool mirrorLeftRight = false;
  bool mirrorUpDown = false;
  std::int32_t clientWidth = 0;   ///< pixels of the client area
  std::int32_t clientHeight = 0;
  bool readSkyForCentroid = true; ///< the option "Read Sky for Centroid"
  /// The options' centring choice: the thresholded centroid of the box, or a
  /// fitted one (Gaussian-windowed, or a PSF fit) with its uncertainty.
  CentroidMethod centroid = CentroidMethod::kClassic;
  /// The image of a star for the fitted centroids (sigma 0: each star's own
  /// size); a trail for a target whose motion is known.
  PsfShape psf;
  /// The peak box follows the box drawn on the screen (half-width / scale):
  /// right for a click, where the person aims at the box seen. Off, the peak
  /// box is the half-width in image pixels, whatever the scale: for a star
  /// re-centred at a position already measured, predicted or matched, so
  /// that the window's centre there is the one of a window at scale 1 (a
  /// wider box could jump to a brighter neighbour).
  bool peakBoxOnScreen = true;
  /// Pixel value at and above which a star is saturated (SaturationLevel); 0: none known.
  std::int64_t saturationLevel = 0;
};

/// The view for centring at a position already known (not a click).
inline MeasureView AtKnownPosition(MeasureView view) {
  view.peakBoxOnScreen = false;
  return view;
}

/// Mean and sample standard deviation of a sky frame, and its pixel count.
struct SkyStats {
  long double mean = 0;
  long double sigma = 0;
  std::int64_t count = 0;
};

/// A position in screen coordinates.
struct ScreenPoint {
  long double x = 0;
  long double y = 0;
};

/// Round half to even, as every "round" of the measurement.
long double RoundEven(long double x);

/// The sky frame around file pixel (x, y): the square x +- (p + b), y +- (p + b)
/// without the square x +- p, y +- p (p peak half-width, b sky border, image
/// pixels), both clipped to the image. With fewer than two pixels sigma is 0;
/// with none the mean is 0 too.
SkyStats SkyLevel(GraphicsFileObj& image, const BoxRecord& box, std::int32_t x, std::int32_t y);

/// The sum of the inner square around the file pixel nearest screen position
/// / scale (no reflection: the caller reflects first), less the inner pixel
/// count times the mean of the sky frame when `subtractSky`.
long double BoxSum(const MeasureView& view, const BoxRecord& box, long double screenX, long double screenY,
                   bool subtractSky);

/// The centroid near a click, in screen coordinates; nothing when the click
/// lies right of or below the client area (unless `anywhere`), when no pixel
/// of the peak box exceeds the threshold, or when the weights sum to nothing.
/// Threshold: mean sky + cut-off x sigma of the sky frame with "Read Sky for
/// Centroid", else the image's standard deviation + its display low. The peak
/// box follows the box drawn on the screen (half-width / scale) unless the
/// view says otherwise (peakBoxOnScreen); up to ten
/// passes of weights (1000 (v - T))^3 over the round centroid region.
std::optional<ScreenPoint> Centroid(const MeasureView& view, const BoxRecord& box, long double screenX,
                                    long double screenY, bool anywhere);

/// A centroid with what is known of its accuracy.
struct CentroidMeasure {
  ScreenPoint at;                 ///< screen coordinates, as Centroid gives them
  long double sigmaX = 0;         ///< one-sigma uncertainty per axis, image pixels
  long double sigmaY = 0;
  long double snr = 0;            ///< the star's signal-to-noise ratio in the window; 0 when unknown
  bool fitted = false;            ///< the position is the fitted centroid's
};

/// Centroid with the view's centring choice. With a fitted centroid the fit
/// starts from the thresholded centroid, or, where that finds nothing (a
/// star below the cut-off), from the brightest 3 x 3 pixels of the peak box;
/// it must stay within the peak box and read an SNR of at least 3, else the
/// thresholded result (if any) stands. The thresholded centroid's
/// uncertainty is estimated by the windowed centroid's at its place (0 when
/// that fails). Fails as Centroid does.
std::optional<CentroidMeasure> MeasureCentroid(const MeasureView& view, const BoxRecord& box, long double screenX,
                                               long double screenY, bool anywhere);
/// The level at which the image's pixels saturate: the header's SATURATE
/// (FITS) or saturation level (SBIG) when given, else the largest value the
/// data type holds (BITPIX 8: 255, 16 and 32: the largest integer scaled by
/// BSCALE and BZERO, so 65535 for unsigned 16-bit data); 0 for floating-point
/// data without SATURATE (nothing is known to saturate).
std::int64_t SaturationLevel(const GraphicsFileObj& image);

/// Whether any pixel of the inner square of `box` (peak half-width) around
/// the file pixel nearest (x, y) reaches `level` (never for level 0).
bool SaturatedAt(GraphicsFileObj& image, const BoxRecord& box, long double x, long double y, std::int64_t level);

/// A display coordinate reflected to file coordinates (and back: the
/// reflection is its own inverse): width - x with mirror left-right, height - y
/// with mirror up-down.
ScreenPoint Reflect(const MeasureView& view, long double x, long double y);

}  // namespace skarvel
