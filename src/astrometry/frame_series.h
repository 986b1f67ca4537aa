// A series of frames of one field for stacking along a motion: each frame
// solved by Auto-Match against the field's catalog stars, its plate kept, the
// map from the first frame's pixel grid (with a sky motion applied) to each
// frame's pixels, and the series' reference time.
//
// Positions are file coordinates (column, row; pixel centres on integers).
// Times are Julian dates of the mid-exposure, UTC as the headers give them.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "astrometry/star_match.h"
#include "catalogs/gsc_field.h"
#include "images/graphics_file.h"

namespace skarvel {

/// The most frames a series holds.
inline constexpr std::size_t kMaxSeriesFrames = 200;

/// One frame given to the series: the image (which must outlive the series),
/// a name for messages, its mid-exposure time, its exposure and its pointing.
struct SeriesFrameInput {
  GraphicsFileObj* image = nullptr;
  std::string name;
  double jd = 0;               ///< mid-exposure Julian date, UTC
  double exposureS = 0;        ///< seconds
  long double centreRAHours = 0;  ///< the approximate centre (the header's pointing)
  long double centreDecDeg = 0;
};

/// A frame of the series with its plate.
struct SeriesFrame {
  SeriesFrameInput input;
  bool solved = false;
  std::string failure;    ///< why the plate failed (plain words)
  MatchResult plate;      ///< pixel -> standard coordinates, when solved
};

/// A motion on the sky: the rate and the position angle (north through east).
struct SkyMotion {
  double rateArcsecPerMin = 0;
  double paDeg = 0;
};

/// An affine map of pixels: x' = a[0] x + a[1] y + a[2], y' = a[3] x + a[4] y + a[5].
using PixelMap = std::array<double, 6>;

/// The standard coordinates (radians, X toward decreasing right ascension,
/// Y north) of a sky position about a tangent point; false behind the plane.
bool SkyToStandard(long double raHours, long double decDeg, long double ra0Hours, long double dec0Deg,
                   long double& X, long double& Y);
/// The inverse: the sky position of standard coordinates.
void StandardToSky(long double X, long double Y, long double ra0Hours, long double dec0Deg, long double& raHours,
                   long double& decDeg);
/// The pixel of a sky position by an accepted plate; false behind the plane
/// or for a singular plate.
bool SkyToPixel(const MatchResult& plate, long double raHours, long double decDeg, double& x, double& y);

/// Told after each frame solved; returns false when the person asked to stop.
using SeriesProgress = std::function<bool(std::size_t done, std::size_t total)>;

class FrameSeries {
 public:
  /// Solves every frame by Auto-Match against `stars` (the field read around
  /// the first frame's pointing) with the expected scale (0: unknown). A frame
  /// whose match fails is kept, unsolved, with the reason. Refuses (false, and
  /// Failure() says why) an empty series, more than kMaxSeriesFrames frames, a
  /// frame without pixels, frames of different sizes and a stop asked for.
  bool Solve(const std::vector<SeriesFrameInput>& frames, StarList& stars, long double arcsecPerPixel,
             const SeriesProgress& progress = {});
  /// The series from frames whose plates are known already (same checks;
  /// an unsolved frame keeps its failure).
  bool Assign(std::vector<SeriesFrame> frames);

  const std::vector<SeriesFrame>& Frames() const { return frames_; }
  const std::string& Failure() const { return failure_; }
  /// The first solved frame: the grid and sky every stack is made on; -1 when none.
  int ReferenceIndex() const;
  /// The mean of the solved frames' mid-exposure times (0 when none).
  double ReferenceJd() const;
  /// The names of the frames whose plate failed, in order.
  std::vector<std::string> LeftOut() const;
  int Width() const { return width_; }
  int Height() const { return height_; }

  /// The map from the reference frame's pixel grid to frame k's pixels of a
  /// place that moves by `motion`: the sky at reference pixel p at the
  /// reference time, moved to frame k's time, found in frame k by its plate.
  /// Fitted on a 5 x 5 grid of exact points over the image (the tangent
  /// planes differ by a few minutes of arc, well below a pixel's curvature).
  PixelMap MapToFrame(std::size_t k, const SkyMotion& motion) const;
  /// The motion in reference pixels a minute (column, row) of a sky motion,
  /// by the reference plate's scale and orientation at its tangent point.
  std::array<double, 2> PixelRate(const SkyMotion& motion) const;
  /// The sky motion of a rate in reference pixels a minute.
  SkyMotion SkyRate(double dxPerMin, double dyPerMin) const;
  /// The reference plate's arc seconds a pixel.
  double ArcsecPerPixel() const;

 private:
  bool Check(const std::vector<SeriesFrameInput>& frames);
  std::vector<SeriesFrame> frames_;
  std::string failure_;
  int width_ = 0, height_ = 0;
};

}  // namespace skarvel
