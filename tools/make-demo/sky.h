// The sky of the demo images: the gnomonic projection of each image and the
// rendering of point sources with a Moffat profile, sky, and CCD noise.
#pragma once

#include <cstdint>
#include <vector>

#include "rng.h"

namespace skarvel::demo {

/// How one image sees the sky: the tangent point (J2000) falls on pixel
/// (centreX, centreY) (0-based column and row, row 0 the first row in the
/// file, shown at the top); north is up and east to the left when the
/// rotation is 0. With standard coordinates xi, eta of a star (arc seconds)
/// and u = xi / scale, v = eta / scale, theta the rotation (degrees, north
/// through east):
///   x = centreX - (u cos theta + v sin theta),  y = centreY - (v cos theta - u sin theta).
struct Projection {
  double centreRAHours = 0;
  double centreDecDeg = 0;
  double centreX = 0;
  double centreY = 0;
  double arcsecPerPixel = 1;
  double rotationDeg = 0;
};

/// Standard coordinates (arc seconds) of a position about the tangent point;
/// false when the position is 90 degrees or more from it.
bool StandardCoordinates(const Projection& p, double raHours, double decDeg, double& xi, double& eta);

/// Pixel position of a J2000 position; false as StandardCoordinates.
bool SkyToPixel(const Projection& p, double raHours, double decDeg, double& x, double& y);

/// The J2000 position of standard coordinates (arc seconds) about the tangent point.
void StandardToSky(const Projection& p, double xi, double eta, double& raHours, double& decDeg);

/// An image being simulated: the signal in electrons per pixel.
class SimulatedImage {
 public:
  SimulatedImage(int width, int height);

  /// Adds a point source of `electrons` at (x, y) with a Moffat profile of
  /// full width at half maximum `fwhmPixels` and exponent `beta`, integrated
  /// over each pixel on a 5 x 5 grid, out to 8 FWHM.
  void AddMoffat(double x, double y, double electrons, double fwhmPixels, double beta);

  /// The 16-bit image: per pixel Poisson(sky + signal) electrons plus normal
  /// read noise, divided by the gain, plus the bias, rounded and clipped to
  /// 0..65535 (ADU, as unsigned values).
  std::vector<std::uint16_t> Expose(double skyElectrons, double readNoiseElectrons, double gain, double bias,
                                    SplitMix& rng) const;

  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int width_;
  int height_;
  std::vector<double> signal_;
};

}  // namespace skarvel::demo
