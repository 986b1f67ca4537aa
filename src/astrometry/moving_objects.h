// Finding what moves in a set of solved frames of one field: the detections
// of every frame in sky coordinates, those present in all frames at the same
// place set aside as stars, and chains of one detection per frame along a
// straight line at a constant rate kept as moving-object candidates, scored
// by the fit of their motion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skarvel {

/// One detection of a frame, placed on the sky by the frame's plate.
struct SkyDetection {
  long double x = 0, y = 0;           ///< file pixel coordinates (0-based)
  long double raHours = 0, decDeg = 0;
  long double flux = 0;               ///< sky-subtracted box sum
};

struct FrameDetections {
  long double jd = 0;                 ///< mid-exposure Julian date
  long double zeroPoint = 0;          ///< magnitude = zeroPoint - 2.5 log10(flux); 0 when unknown
  std::vector<SkyDetection> stars;
};

struct MovingSettings {
  long double stationaryArcsec = 2.0L;  ///< a source within this in every other frame is a star
  long double chainArcsec = 2.5L;       ///< a chain member lies within this of the straight-line prediction
  long double maxResidualArcsec = 1.2L; ///< largest rms of the motion fit
  long double minRate = 0.1L;           ///< arc seconds per minute
  long double maxRate = 100.0L;
  long double minPixelMotion = 1.5L;
  /// With four frames or more one frame may miss the object when a star lies
  /// within this of its place there (the object passed over it).
  long double hiddenArcsec = 15.0L;    ///< pixels: a chain fixed on the detector (a defect) is not an object
};

struct MovingCandidate {
  std::vector<SkyDetection> positions;  ///< one per frame, in frame order
  std::vector<long double> jd;
  /// Per frame: the object was found there (with four frames one between may
  /// miss it, passing over a star; its position is then the motion's).
  std::vector<bool> detected;
  long double rateArcsecPerMin = 0;
  long double paDeg = 0;                ///< position angle of the motion, north through east
  long double mag = 0;                  ///< mean over the frames with a zero point; 0 when none
  long double residualArcsec = 0;       ///< rms of the straight-line fit
};

/// The candidates of at least three frames (frame order = time order), best
/// fit first. Fewer frames give none.
std::vector<MovingCandidate> FindMovingObjects(const std::vector<FrameDetections>& frames,
                                               const MovingSettings& settings);

/// The temporary designation (trkSub) of the n-th unidentified candidate of a
/// run, n from 1: "SKV" and four digits ("SKV0001").
std::string TemporaryDesignation(int n);

}  // namespace skarvel
