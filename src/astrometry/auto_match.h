// The automatic choice of reference stars: the stars of the image found, the
// catalog stars of the loaded field matched to them, and up to 30 of the
// matched ones (bright, unsaturated, spread over the image) taken into the
// reference field's selection as if the person had picked them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/moving_objects.h"
#include "astrometry/star_match.h"
#include "catalogs/gsc_field.h"
#include "config/observer_records.h"
#include "images/star_detect.h"
#include "images/star_measure.h"
#include "platform/platform.h"

namespace skarvel {

class ReferenceFieldModel;

/// The references the automatic matching picks at most (the person's picks rarely exceed it).
inline constexpr int kAutoReferences = 30;

struct AutoMatchRequest {
  MeasureView view;                 ///< the image and how it is shown
  long double centreRAHours = 0;    ///< the field centre (the image's approximate centre)
  long double centreDecDeg = 0;
  long double arcsecPerPixel = 0;   ///< expected scale (the camera's), 0 when unknown
  int maxReferences = kAutoReferences;
  DetectSettings detect;
};

/// One chosen reference: the field star and where it lies in the image.
struct AutoReference {
  std::int32_t fieldIndex = -1;  ///< index into the field star list
  long double imageX = 0;        ///< display image coordinates
  long double imageY = 0;
  long double flux = 0;          ///< of the image star
  /// The one-sigma uncertainty per axis of the image position, pixels: the
  /// detector's fitted centroid's, else the windowed centroid's at that place; 0 when unknown.
  long double sigmaX = 0, sigmaY = 0;
};

struct AutoMatchOutcome {
  bool found = false;
  std::string reason;                    ///< why not (plain words)
  std::vector<AutoReference> references; ///< brightest first within each round over the image's ninths
  std::vector<AutoReference> allPairs;   ///< every matched pair, image order
  MatchResult match;
  std::size_t detected = 0;              ///< stars found in the image
  std::vector<DetectedStar> stars;       ///< the stars found (file coordinates), brightest first
  long double psfSigma = 0;              ///< the detector's PSF (Gaussian sigma, pixels); 0 when not measured
};

/// The detector's settings for finding moving objects: a moving object
/// passes close to faint stars in some frame or other, and the matcher's blend
/// radius (6 pixels) would drop it with them there; 3.5 pixels keeps it while
/// a neighbour stays outside most of the centroid's region. A failed
/// centroid (a defect beside the object) falls back to the robust measure.
inline DetectSettings MovingDetectSettings() {
  DetectSettings d;
  d.blendRadius = 3.5L;
  d.robustFallback = true;
  // The matched filter down to an SNR of 5: the chains are judged by their
  // combined significance (FaintMovingSettings).
  d.matchedFilter = true;
  d.snrThreshold = 5;
  d.maxStars = 5000;
  return d;
}

/// The scale of a camera on its telescope: pixel width / focal length x
/// 206264.8 (micrometres, millimetres -> arc seconds per pixel); 0 when either is unknown.
long double CameraArcsecPerPixel(const CameraRecord& camera);

/// Finds the image's stars, matches the stars (not the non-stellar objects)
/// of `stars` to them and chooses up to `maxReferences`, spread over the
/// image: in rounds over its ninths, the brightest not yet taken of each.
AutoMatchOutcome FindAutoReferences(const AutoMatchRequest& request, StarList& stars);

/// Every star found in the image on the sky by the match, with the
/// frame's photometric zero point (the median over the matched stars of
/// catalog magnitude + 2.5 log10 flux); `jd` is the frame's time. The frame's
/// size, its sky-to-pixel placement by the match, the box flux of its pixels
/// and (when the detector measured a PSF) the PSF's forced measurement come
/// along; those read view.image, which must outlive the result. A
/// detection's position uncertainty is its centroid's at the match's scale.
FrameDetections FrameSkyDetections(const AutoMatchOutcome& outcome, const MeasureView& view, StarList& stars,
                                   long double jd);

/// The message of a refused match: what was wrong and that the manual path stays open.
std::string AutoMatchRefusalText(const std::string& reason);

/// "&Auto-Match" of the selection dialog: on a match the reference field's
/// selection holds the chosen stars (emptied first, numbered in order, use
/// flags as a pick gives them) and their image positions are returned in that
/// order; otherwise the person is told why (caption "Auto-Match", warning)
/// and nothing has changed.
std::optional<std::vector<std::array<long double, 2>>> SelectAutoReferences(platform::Platform& ui,
                                                                            ReferenceFieldModel& field,
                                                                            const AutoMatchRequest& request);

}  // namespace skarvel
