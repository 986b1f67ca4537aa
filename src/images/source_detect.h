// Detection near the limit of an image by a matched filter: a local
// background and noise map, the frame's point-spread function measured on its
// stars (elongated along a motion when one is given), the image less its
// background convolved with that PSF, sources where the filtered image stands
// a given signal-to-noise ratio (SNR) above its noise, touching sources
// separated by the dip between them, and each source measured by a fitted
// centroid with its uncertainty and its SNR.
//
// Positions are file coordinates (column, row; pixel centres on integers).
#pragma once

#include <cstdint>
#include <vector>

#include "images/fitted_centroid.h"
#include "images/graphics_file.h"

namespace skarvel {

/// The background and the noise of one pixel on a grid of cells, bilinear
/// between the cell centres. Per cell: the median of every second pixel of
/// every second row, and 1.4826 x the median absolute difference of those
/// pixels and their right-hand neighbours over sqrt 2 (a gradient does not
/// widen it); a cell whose level stands out of its eight neighbours' median by
/// more than its noise, or whose noise exceeds 1.5 x theirs (a bright star
/// covers it), takes their median.
class NoiseMap {
 public:
  NoiseMap() = default;
  NoiseMap(const GraphicsFileObj& image, std::int32_t cellSize);
  double Background(double x, double y) const { return At(level_, x, y); }
  double Noise(double x, double y) const { return At(noise_, x, y); }
  /// Background (or noise) of every pixel of row y, as Background (Noise) gives them.
  void BackgroundRow(int y, std::vector<double>& out) const { RowOf(level_, y, out); }
  void NoiseRow(int y, std::vector<double>& out) const { RowOf(noise_, y, out); }
  double MedianNoise() const { return medianNoise_; }
  double MedianBackground() const { return medianLevel_; }

 private:
  double At(const std::vector<double>& v, double x, double y) const;
  void RowOf(const std::vector<double>& v, int y, std::vector<double>& out) const;
  int cell_ = 64, nx_ = 0, ny_ = 0, width_ = 0;
  std::vector<int> columnCell_;        // per column: the cell centre at or left of it
  std::vector<double> columnWeight_;   // ... and the weight of the next one
  std::vector<double> level_, noise_;
  double medianNoise_ = 0, medianLevel_ = 0;
};

/// The frame's PSF from its stars: the median windowed size of the isolated,
/// unsaturated sources of 20 to 500 sigmas (at most the 50 brightest).
struct PsfMeasure {
  double sigma = 0;   ///< Gaussian sigma, pixels; the fallback when no star could be used
  int stars = 0;      ///< stars it was measured on
};

struct SourceDetectSettings {
  double snrThreshold = 5;       ///< the filtered image's SNR a source must reach
  std::int32_t cellSize = 64;    ///< background cells, pixels
  /// The PSF's Gaussian sigma in pixels; 0: measured on the frame's stars
  /// (`fallbackSigma` when there are too few).
  double psfSigma = 0;
  double fallbackSigma = 1.3;
  /// The motion during the exposure, when known: the filter (and the fit)
  /// are the PSF smeared over this length along this angle.
  double trailLength = 0;      ///< pixels
  double trailAngle = 0;       ///< radians, from the column axis towards the row axis
  /// Two maxima are one source unless the filtered SNR dips at least this
  /// much below the fainter one on the way between them.
  double deblendDip = 2;
  /// A source whose brightest pixel exceeds what its filtered flux predicts
  /// by this factor, and by 5 noise sigmas, is a hot pixel or a cosmic ray;
  /// so is one whose brightest pixel has two dark opposite neighbours (below
  /// half of what the PSF gives them, by 3 noise sigmas): a track a pixel wide.
  double sharpRatio = 2.2;
  std::int32_t saturationLevel = 0;  ///< 0: a flat top at the image's brightest value
  CentroidMethod centroid = CentroidMethod::kWindowed;
  std::int32_t maxSources = 5000;    ///< the highest SNR ones are kept
};

/// One source found.
struct Source {
  double x = 0, y = 0;            ///< fitted position (the filtered peak, refined, when the fit fails)
  double sigmaX = 0, sigmaY = 0;  ///< its one-sigma uncertainty per axis, pixels
  double snr = 0;                 ///< the filtered image's SNR at the source
  double flux = 0;                ///< PSF flux above the background
  double peak = 0;                ///< brightest pixel above the background
  bool sharp = false;             ///< a hot pixel or a cosmic ray hit (kept out of the list unless asked)
  bool saturated = false;
  bool fitted = false;            ///< the centroid converged
};

struct SourceDetectStatistics {
  double background = 0, noise = 0;  ///< medians of the map
  PsfMeasure psf;
  std::int32_t maxima = 0, merged = 0, sharp = 0, saturated = 0;
};

/// The matched filter: the image less `map`'s background convolved with
/// `shape`, divided by the noise that filter leaves (pixel noise x root of the
/// sum of the squared kernel): a point source of that shape reads its
/// optimal SNR at its place. Row by row, width x height.
std::vector<float> MatchedFilterSnr(const GraphicsFileObj& image, const NoiseMap& map, const PsfShape& shape);

/// The frame's PSF measured on the maxima of a first filter pass.
PsfMeasure MeasurePsf(const GraphicsFileObj& image, const NoiseMap& map, double fallbackSigma);

/// The sources of `image`, highest SNR first, sharp ones (hot pixels,
/// cosmic rays) left out unless `keepSharp`. An image without pixels gives none.
std::vector<Source> DetectSources(const GraphicsFileObj& image, const SourceDetectSettings& settings,
                                  SourceDetectStatistics* statistics = nullptr, bool keepSharp = false);

/// A measurement forced at a place: the PSF flux and its SNR there (the
/// matched filter at that point, the background and noise from `map`).
struct ForcedMeasure {
  double flux = 0;
  double snr = 0;
  bool inside = false;  ///< the kernel lies on the image
};
ForcedMeasure ForcedPhotometry(const GraphicsFileObj& image, const NoiseMap& map, const PsfShape& shape, double x,
                               double y);

}  // namespace skarvel
