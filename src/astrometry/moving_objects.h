// Finding what moves in a set of solved frames of one field: the detections
// of every frame in sky coordinates, those present in all frames at the same
// place set aside as stars, and chains of one detection per frame along a
// straight line at a constant rate kept as moving-object candidates, scored
// by the fit of their motion.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace skarvel {

/// One detection of a frame, placed on the sky by the frame's plate.
struct SkyDetection {
  long double x = 0, y = 0;           ///< file pixel coordinates (0-based)
  long double raHours = 0, decDeg = 0;
  long double flux = 0;               ///< sky-subtracted box sum
  long double snr = 0;                ///< the detection's signal-to-noise ratio; 0 when unknown
  long double sigmaArcsec = 0;        ///< one-sigma position uncertainty per axis; 0 when unknown
};

/// A measurement forced at a place of a frame: the flux of the frame's PSF
/// there and its signal-to-noise ratio.
struct ForcedResult {
  long double flux = 0;
  long double snr = 0;
};

struct FrameDetections {
  long double jd = 0;                 ///< mid-exposure Julian date
  long double zeroPoint = 0;          ///< magnitude = zeroPoint - 2.5 log10(flux); 0 when unknown
  std::vector<SkyDetection> stars;
  // What the frame can tell about a place where no source was found (all
  // optional; without them a frame may miss an object only under a star).
  long double width = 0, height = 0;  ///< file pixels; 0 when unknown
  /// The file pixel of a sky position (hours, degrees); false when it has none.
  std::function<bool(long double raHours, long double decDeg, long double& x, long double& y)> skyToPixel;
  /// The sky-subtracted flux of the measuring box at a file pixel, in the
  /// units of SkyDetection::flux (the sky taken robustly: a cosmic ray
  /// beside the place must not hide what is there); nothing when the box
  /// leaves the image.
  std::function<std::optional<long double>(long double x, long double y)> fluxAt;
  /// The noise (one sigma) of a fluxAt value on empty sky; 0 when unknown.
  long double boxNoise = 0;
  /// The PSF's flux and SNR forced at a file pixel; nothing when the PSF
  /// leaves the image (or the frame cannot say).
  std::function<std::optional<ForcedResult>(long double x, long double y)> forcedAt;
};

struct MovingSettings {
  long double stationaryArcsec = 2.0L;  ///< a source within this in every other frame is a star
  long double chainArcsec = 2.5L;       ///< a chain member lies within this of the straight-line prediction
  long double maxResidualArcsec = 1.2L; ///< largest rms of the motion fit
  long double minRate = 0.1L;           ///< arc seconds per minute
  long double maxRate = 100.0L;
  long double minPixelMotion = 1.5L;   ///< pixels: a chain fixed on the detector (a defect) is not an object
  /// With four frames or more one frame may miss the object when that is
  /// explained (two frames when both frames' pixels show it and no source
  /// lies within twice `chainArcsec` of it there): a source lies within this (arc seconds) of its place there
  /// (the object passed over a star), the place is off the frame or within
  /// `edgePixels` of its border, or the frame's pixels hold at least
  /// `presentFraction` of the object's mean flux there (the detector left it
  /// out: a cosmic ray on it, noise at the limit).
  long double hiddenArcsec = 15.0L;
  long double edgePixels = 4.0L;
  long double presentFraction = 0.4L;
  /// A chain of fewer detections than frames: the largest ratio of the
  /// brightest to the faintest of its fluxes.
  long double maxFluxRatio = 4.0L;
  /// ... and the least motion between its first and last detections, arc
  /// seconds: a slow object is left to the chains of every frame, as noise
  /// and a neighbour's light move a faint star's centroid by a pixel.
  long double minBridgedMotionArcsec = 16.0L;
  /// Two frames may miss the object only when every frame's box noise is
  /// known, its two detections stand this many noise sigmas out, and in each
  /// frame without it the pixels show it by `presentFraction` and at least
  /// `presentSigma` sigmas.
  long double bridgeTwoSigma = 20.0L;
  long double presentSigma = 5.0L;
  /// Judging by significance (when above 0 and every frame has forcedAt and
  /// every detection an SNR): detections down to the detector's threshold;
  /// a source is a star also where every other frame that covers its place
  /// has a source there or its pixels show it (a forced SNR of at least
  /// `stationaryForcedSnr` and `stationaryFraction` of its own); a chain
  /// needs a detection in all frames but one (three frames: two), a frame
  /// without one gets a forced measurement at the motion's place that must
  /// show the object (`forcedMinSnr`, `presentFraction` to `maxSnrRatio`
  /// times the detections' mean SNR, and no star there: no source, and no
  /// other frame showing that place as bright) unless, with four frames or
  /// more, the place is off the frame or under a star; the chain's
  /// combined significance (the sum of its SNRs over the root of their
  /// count) must reach this, its detections' SNRs agree within `maxSnrRatio`,
  /// and its motion fit the positions within their uncertainties
  /// (chi-square per degree of freedom at most `maxChiSquare`, besides the
  /// rms of `maxResidualArcsec`).
  long double minCombinedSnr = 0;
  long double stationaryForcedSnr = 3.0L;
  long double stationaryFraction = 0.6L;
  long double forcedMinSnr = 3.5L;
  long double maxSnrRatio = 3.0L;
  long double maxChiSquare = 6.0L;
  /// Added in quadrature to every detection's position uncertainty (the plate's and the timing's share), arc seconds.
  long double positionFloorArcsec = 0.2L;
};

/// The settings of the significance judging, as the moving-object search uses them.
inline MovingSettings FaintMovingSettings() {
  MovingSettings s;
  s.minCombinedSnr = 8;
  return s;
}

struct MovingCandidate {
  std::vector<SkyDetection> positions;  ///< one per frame, in frame order
  std::vector<long double> jd;
  /// Per frame: the object was found there (with four frames one or two may
  /// miss it; its position is then the motion's, the pixel by the frame's
  /// skyToPixel when it has one, and its flux 0).
  std::vector<bool> detected;
  long double rateArcsecPerMin = 0;
  long double paDeg = 0;                ///< position angle of the motion, north through east
  long double mag = 0;                  ///< mean over the frames with a zero point; 0 when none
  long double residualArcsec = 0;       ///< rms of the straight-line fit
  /// Per frame: the detection's SNR, or the forced measurement's where the
  /// frame missed the object (0 when unknown).
  std::vector<long double> snr;
  long double significance = 0;         ///< sum of the SNRs over the root of their count; 0 when unknown
};

/// The candidates of at least three frames (frame order = time order), those
/// found in more frames first, then the best fit. Fewer frames give none.
std::vector<MovingCandidate> FindMovingObjects(const std::vector<FrameDetections>& frames,
                                               const MovingSettings& settings);

/// FindMovingObjects judging by significance (settings.minCombinedSnr > 0).
std::vector<MovingCandidate> FindFaintMovingObjects(const std::vector<FrameDetections>& frames,
                                                    const MovingSettings& settings);

/// The temporary designation (trkSub) of the n-th unidentified candidate of a
/// run, n from 1: "SKV" and four digits ("SKV0001").
std::string TemporaryDesignation(int n);

}  // namespace skarvel
