// Naming the moving-object candidates after known minor planets: the orbit
// database searched at each frame's time and field, each object that lies in
// every frame predicted as seen from the site (light time and parallax), and a
// candidate within reach of an object's place in every frame named after the
// nearest such object.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/moving_objects.h"
#include "config/observer_records.h"
#include "platform/platform.h"

namespace skarvel {

/// The field of one frame: its time and the circle it covers.
struct FrameField {
  long double jd = 0;              ///< mid-exposure Julian date, UTC (turned into TT for the search and the places)
  long double centreRAHours = 0;   ///< J2000
  long double centreDecDeg = 0;
  long double halfSizeDeg = 0;     ///< half the side of the square searched
};

/// A candidate identified with a known object.
struct KnownObject {
  std::optional<int> number;        ///< when the designation is a number
  std::string name;                 ///< trailing blanks removed (Latin-1)
  std::string designation;          ///< trimmed (Latin-1)
  std::int32_t record = 0;          ///< 1-based record of the converted file
  /// Per frame: predicted minus measured, arc seconds (RA x cos Dec, Dec).
  std::vector<std::array<long double, 2>> predictedMinusMeasured;
  long double meanArcsec = 0;       ///< mean distance over the frames
};

struct KnownSearch {
  std::string orbitsPath;           ///< a converted MPC file (MPCORB.CMO)
  SiteRecord site;
  /// Predict as seen from the site (parallax); false: the geocentric places of the search.
  bool topocentric = true;
  /// A candidate is an object's when the prediction lies within this in every frame.
  long double matchArcsec = 60;
};

/// Per candidate the known object it is (nothing for an unknown one), best
/// identification first: the database searched and each object's place
/// predicted at each frame's time in TT (UtcToTT of the frame's UTC); each
/// object is given to at most one candidate, the nearest. The database search's messages other than warnings and errors
/// ("Search Completed!") are not shown. Nothing when the file cannot be
/// searched ("No MPC Orbit Database!" shown) or no frame is given.
std::optional<std::vector<std::optional<KnownObject>>> IdentifyKnownObjects(platform::Platform& ui,
                                                                            const KnownSearch& search,
                                                                            const std::vector<FrameField>& fields,
                                                                            const std::vector<MovingCandidate>& candidates);

}  // namespace skarvel
