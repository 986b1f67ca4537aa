// Matching the stars found in an image to the catalog stars of its field
// without a person: triangles of bright stars compared by their similarity
// invariants (the ratios of their sides, blind to rotation, mirroring and
// scale), each triangle pair proposing a similarity transform that the other
// stars confirm or not, then a least-squares refinement with outlier
// rejection. A match that the star count, the residuals or the chance of a
// coincidence do not support is refused.
//
// Image positions are in any fixed pixel frame (the caller's display image
// coordinates); catalog positions are projected on the tangent plane about
// the given centre (standard coordinates X toward decreasing right ascension,
// Y north, as the plate solution's).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace skarvel {

/// A star found in the image: position in pixels.
struct ImageStar {
  long double x = 0;
  long double y = 0;
};

/// A catalog star: J2000 position and magnitude (smaller is brighter).
struct SkyStar {
  long double raHours = 0;
  long double decDeg = 0;
  float mag = 0;
};

struct MatchSettings {
  long double centreRAHours = 0;  ///< the tangent point: the approximate centre of the image
  long double centreDecDeg = 0;
  long double imageWidth = 0;     ///< pixels; image positions lie within 0..width, 0..height
  long double imageHeight = 0;
  long double arcsecPerPixel = 0; ///< the expected scale; 0: unknown (any scale)
  long double scaleTolerance = 0.2L;  ///< fraction the true scale may differ from the expected one
  /// How far the true centre may lie from the given one, in fields (width, height).
  long double pointingError = 0.5L;
  int brightImageStars = 20;      ///< the brightest image stars forming triangles
  int maxCatalogStars = 140;      ///< at most this many catalog stars form triangles
  long double matchRadiusPixels = 2.0L;  ///< a confirmed pair lies within this after refinement
  long double maxRmsPixels = 1.0L;       ///< largest accepted rms of the refined pairs
  int minMatches = 5;             ///< fewest pairs of an accepted match
};

/// One matched pair.
struct StarPair {
  int image = 0;    ///< index into the image stars
  int catalog = 0;  ///< index into the catalog stars
  long double residualArcsec = 0;  ///< distance of the catalog star from its fitted position
};

struct MatchResult {
  bool found = false;
  std::string reason;           ///< why no match was accepted (plain words)
  std::vector<StarPair> pairs;  ///< image order (brightest first as given)
  /// Image to standard coordinates (radians) about the tangent point below:
  /// X = c0 x + c1 y + c2, Y = c3 x + c4 y + c5.
  std::array<long double, 6> toStandard{};
  /// The sky position of the image centre by the search, about which the
  /// pairs were refined (hours, degrees).
  long double tangentRAHours = 0;
  long double tangentDecDeg = 0;
  long double arcsecPerPixel = 0;
  long double rotationDeg = 0;  ///< of the similarity part, degrees
  bool mirrored = false;        ///< the image is a mirror image of the sky as seen from inside the sphere
  long double rmsArcsec = 0;    ///< of the refined pairs
  long double expectedChance = 0;  ///< pairs a random placement would have confirmed
  int trianglesTried = 0;
};

/// The match of `image` (brightest first) to `catalog`.
MatchResult MatchStars(const std::vector<ImageStar>& image, const std::vector<SkyStar>& catalog,
                       const MatchSettings& settings);

/// The sky position (hours, degrees) of an image position by an accepted match.
void PixelToSky(const MatchResult& match, long double x, long double y, long double& raHours, long double& decDeg);

/// Tangent-plane coordinates of a catalog star about (ra0 hours, dec0 degrees),
/// arc seconds (X toward decreasing right ascension, Y north); false behind the plane.
bool StandardArcsec(long double raHours, long double decDeg, long double ra0Hours, long double dec0Deg,
                    long double& x, long double& y);

}  // namespace skarvel
