// The stack of a frame series along a motion: every solved frame resampled
// to the reference frame's pixel grid, shifted by the motion so that an
// object moving so stays on one place (its place at the reference time), and
// combined pixel by pixel by a sigma-clipped mean or a median. Stars trail.
//
// The stack is a floating-point image with the header an image of the slots
// reads: a TAN WCS from the reference frame's plate, DATE-OBS and MJD-OBS of
// the reference time (the mean of the frames' mid-exposure times, UTC; the
// header time is the midpoint of the stack), EXPTIME the sum of the
// exposures, and the motion and the number of frames.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "astrometry/frame_series.h"
#include "images/calib_frame.h"

namespace skarvel {

/// How the frames' values of one pixel are combined.
enum class StackCombine {
  kMean,    ///< the mean of the values within kStackClipSigma robust sigmas of their median
  kMedian,  ///< the median
};

/// The clipping limit of the mean, robust standard deviations (1.4826 x the
/// median absolute deviation) from the median.
inline constexpr double kStackClipSigma = 3.0;

/// "MEAN" or "MEDIAN".
std::string StackCombineName(StackCombine combine);

/// How a frame is resampled to the stack's grid.
enum class StackResample {
  /// The value of the frame pixel the place falls in: the stack's pixels keep
  /// independent noise, so that its noise (and an SNR measured on it) stays
  /// true; each frame's place is rounded by up to half a pixel.
  kNearest,
  /// Bilinear between the four pixels around the place: no rounding of the
  /// place (for positions), but neighbouring pixels share noise, so that a
  /// noise measured from pixel differences reads low.
  kBilinear,
};

struct StackSettings {
  StackCombine combine = StackCombine::kMean;
  StackResample resample = StackResample::kNearest;
  /// The rows combined at a time: the frames' values of a strip are held
  /// (frames x rows x width floats).
  std::int32_t stripRows = 64;
  std::string object;  ///< the OBJECT card, "" for none
};

/// Told after each strip; returns false when the person asked to stop.
using StackProgress = std::function<bool(std::int64_t rowsDone, std::int64_t rows)>;

struct StackResult {
  bool made = false;
  std::string failure;                ///< why not (plain words)
  CalibFrame image;                   ///< pixels and header cards
  double referenceJd = 0;             ///< UTC
  int frames = 0;                     ///< frames combined
  std::vector<std::string> leftOut;   ///< frames whose plate failed
  double exposureS = 0;               ///< sum of the combined frames' exposures
  SkyMotion motion;
};

/// The pixel-combining step: `values` (n of them, reordered) become one; 0
/// when n is 0.
float CombineValues(float* values, std::size_t n, StackCombine combine);

/// The level of a frame's sky: the median of every fourth pixel of every fourth row.
double FrameSkyLevel(const GraphicsFileObj& image);

/// The stack of `series` along `motion`. Each frame's sky level is taken off
/// before combining and the frames' mean level added back, so that frames of
/// different sky combine. A stack pixel no frame reaches holds that mean
/// level. Refuses a series without a solved frame.
StackResult StackAlongMotion(const FrameSeries& series, const SkyMotion& motion, const StackSettings& settings,
                             const StackProgress& progress = {});

/// The header cards of a stack (see the file comment), as StackAlongMotion writes them.
std::vector<std::string> StackHeaderCards(const FrameSeries& series, const StackResult& result,
                                          const StackSettings& settings);

/// "YYYY-MM-DDTHH:MM:SS.sss" of a Julian date (the millisecond rounded).
std::string IsoTimeText(double jd);

}  // namespace skarvel
