// Finding the stars of an image without clicks: the sky background and its
// noise estimated robustly on a grid of cells, local maxima above a threshold
// in sigmas, the measuring centroid for their positions, and hot pixels,
// cosmic rays, saturated stars, trails and blends left out.
//
// Positions are file coordinates (column, row; pixel centres on integers).
#pragma once

#include <cstdint>
#include <vector>

#include "images/box_record.h"
#include "images/graphics_file.h"

namespace skarvel {

/// One star found in an image.
struct DetectedStar {
  long double x = 0;     ///< file column of the centroid
  long double y = 0;     ///< file row of the centroid
  long double flux = 0;  ///< sky-subtracted sum of the measuring box
  long double peak = 0;  ///< brightest pixel above the background, pixel units
  long double snr = 0;   ///< the matched filter's signal-to-noise ratio; 0 from the peak detector
  long double sigmaX = 0, sigmaY = 0;  ///< one-sigma position uncertainty per axis, pixels; 0 when unknown
};

/// What the detector is told.
struct DetectSettings {
  long double thresholdSigma = 5;  ///< a peak must stand this many noise sigmas above the background
  std::int32_t cellSize = 64;      ///< side of the background cells, pixels
  /// Pixel value at and above which a star counts as saturated; 0: a flat top
  /// at the image's brightest value marks it.
  std::int32_t saturationLevel = 0;
  /// Two peaks closer than this (pixels) are a blend: the fainter one is left
  /// out, both when they are of comparable height (within a factor of 5).
  long double blendRadius = 6;
  /// Largest ratio of the long to the short axis of a star (trails and cosmic ray tracks are longer).
  long double maxElongation = 2.5L;
  /// Smallest second-moment width (sigma, pixels) of a star; a hot pixel or a
  /// cosmic ray hit is sharper.
  long double minWidth = 0.45L;
  std::int32_t maxStars = 300;  ///< the brightest ones are kept
  /// A star whose measuring centroid fails (a hot pixel or a cosmic ray in
  /// the box's sky frame lifts its threshold over the star) is kept with the
  /// mean of its brightest pixels and a median sky instead of being left out.
  bool robustFallback = false;
  /// The centroid's box (its peak half-width is kept small so that the
  /// centroid stays on the peak found).
  BoxRecord box{2, 4, 4, 3};
  /// Detection by the matched filter instead of peaks of single pixels: the
  /// image convolved with the PSF measured on its stars, sources of at least
  /// `snrThreshold`, touching ones separated, hot pixels and cosmic rays
  /// left out by their sharpness, saturated stars left out, positions by the
  /// windowed centroid with their uncertainty, the flux the box's sum.
  /// The settings above the box then serve only `saturationLevel`,
  /// `cellSize` and `maxStars`.
  bool matchedFilter = false;
  long double snrThreshold = 5;
};

/// What the detector saw besides the stars.
struct DetectStatistics {
  long double background = 0;  ///< median of the cell backgrounds
  long double noise = 0;       ///< sigma of the background, pixel units
  std::int32_t peaks = 0;      ///< local maxima above the threshold
  std::int32_t hotOrSharp = 0, elongated = 0, saturated = 0, blended = 0, centroidFailed = 0;
  long double psfSigma = 0;    ///< the matched filter's PSF (Gaussian sigma, pixels); 0 from the peak detector
};

/// The stars of `image`, brightest flux first, at most `settings.maxStars`.
/// An image without pixels gives none.
std::vector<DetectedStar> DetectStars(GraphicsFileObj& image, const DetectSettings& settings,
                                      DetectStatistics* statistics = nullptr);

}  // namespace skarvel
