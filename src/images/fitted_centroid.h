// Fitted centroids with their uncertainty: the iterative Gaussian-windowed
// centroid and the least-squares fit of a (possibly trailed) Gaussian image,
// both on the sky measured robustly around the star.
//
// Positions are file coordinates (column, row; pixel centres on integers).
// Uncertainties are one sigma per axis in pixels, from the sky noise of the
// pixels used (the star's own photon noise is not known without the gain;
// near the detection limit the sky dominates).
#pragma once

#include <cstdint>
#include <optional>

#include "images/graphics_file.h"

namespace skarvel {

/// Which centroid a measurement uses (the options' centring byte).
enum class CentroidMethod : std::uint8_t {
  kClassic = 0,   ///< the thresholded centroid of the measuring box, as always measured
  kWindowed = 1,  ///< the iterative Gaussian-windowed centroid
  kPsfFit = 2,    ///< the least-squares fit of a Gaussian image (trailed when the motion is known)
};

/// The image of a point source: a circular Gaussian of `sigma` pixels,
/// smeared over `trailLength` pixels along `trailAngle` (radians from the
/// column axis towards the row axis) for an object that moved during the
/// exposure. sigma 0: measured on the star itself.
struct PsfShape {
  double sigma = 0;
  double trailLength = 0;
  double trailAngle = 0;
};

/// The sky around a place: level and the noise of one pixel.
struct LocalSky {
  double level = 0;
  double noise = 0;
  std::int64_t count = 0;
};

/// The median and 1.4826 x the median absolute deviation of the pixels
/// between the squares of half-sides `inner` and `outer` around file pixel
/// (x, y), clipped to the image; count 0 when no pixel is there.
LocalSky MeasureLocalSky(const GraphicsFileObj& image, std::int32_t x, std::int32_t y, std::int32_t inner,
                         std::int32_t outer);

/// A fitted position.
struct FittedPosition {
  double x = 0, y = 0;            ///< file coordinates
  double sigmaX = 0, sigmaY = 0;  ///< one-sigma uncertainty per axis, pixels
  double flux = 0;                ///< the fitted (or windowed) total flux above the sky
  double snr = 0;                 ///< flux / its noise on the sky
  double psfSigma = 0;            ///< the Gaussian sigma used (or fitted), pixels
  double skyLevel = 0, skyNoise = 0;
  int iterations = 0;
};

/// Iterative Gaussian-windowed centroid from (x0, y0): the window's sigma
/// is shape.sigma (or the star's own size, from windowed second moments,
/// when 0), pixels within 4 window sigmas take part, each step moves by
/// twice the window-weighted mean offset, at most 20 steps until the step
/// is below 1e-4 pixel. Nothing when the window holds no positive signal,
/// the position runs more than `maxShift` pixels from the start or off the
/// image.
std::optional<FittedPosition> WindowedCentroid(const GraphicsFileObj& image, double x0, double y0,
                                               const PsfShape& shape, const LocalSky& sky, double maxShift = 3);

/// Least-squares fit of sky + flux x the pixel-integrated (trailed)
/// Gaussian, free position, flux and sky (and sigma when shape.sigma is 0),
/// Gauss-Newton from (x0, y0). The uncertainties come from the covariance
/// with the sky's pixel noise. Nothing when the pixels around the start hold
/// no positive sum above the sky, the fit does not converge, the flux is not positive or the position runs more than `maxShift` from the start.
std::optional<FittedPosition> PsfFitCentroid(const GraphicsFileObj& image, double x0, double y0, const PsfShape& shape,
                                             const LocalSky& sky, double maxShift = 3);

/// The method's centroid near (x0, y0), the sky from the frame 6 to 12
/// pixels (or 3 to 6 window sigmas, whichever is larger) around it.
/// kClassic gives nothing here (it belongs to the measuring box).
std::optional<FittedPosition> FitCentroid(const GraphicsFileObj& image, CentroidMethod method, double x0, double y0,
                                          const PsfShape& shape, double maxShift = 3);

/// The fraction of a unit Gaussian of centre c and sigma s on pixel i (i - 1/2 .. i + 1/2).
double PixelGaussian(double i, double c, double s);

}  // namespace skarvel
