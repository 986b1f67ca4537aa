// A synthetic measurement: stars at known sky positions about a field centre,
// their places in a reference-field picture (unrotated, 2 arc seconds per
// unit, east left) and in a CCD image (rotated, 1.5 arc seconds per pixel),
// the image itself with Gaussian stars, and a target at a known position.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "astrometry/plate_solution.h"
#include "astrometry/reference_star.h"
#include "support/synthetic_image.h"

namespace skarvel::testing {

struct PlateStar {
  long double raHours = 0, decDeg = 0;
  long double fieldX = 0, fieldY = 0;  ///< reference-field picture
  long double imageX = 0, imageY = 0;  ///< CCD image
  long double mag = 0;
};

class SyntheticPlate {
 public:
  static constexpr long double kRadPerHour = 0.26179938779914943654L;
  static constexpr long double kRadPerDeg = 0.017453292519943295769L;
  static constexpr long double kArcsecPerRad = 206264.80624709635516L;

  long double centreRA = 10.5L;    ///< hours
  long double centreDec = 20.25L;  ///< degrees
  long double rotationDeg = 25;    ///< of the image against the sky
  long double arcsecPerPixel = 1.5L;
  long double arcsecPerFieldUnit = 2.0L;
  std::int32_t width = 320, height = 240;

  /// Image position of a sky position (the inverse of a linear plate).
  void Place(PlateStar& s) const {
    const StandardCoordinates sc =
        Gnomonic(s.raHours * kRadPerHour, s.decDeg * kRadPerDeg, centreRA * kRadPerHour, centreDec * kRadPerDeg);
    const long double xi = sc.x * kArcsecPerRad, eta = sc.y * kArcsecPerRad;  // X grows toward the west
    const long double t = rotationDeg * kRadPerDeg;
    s.imageX = width / 2.0L + (std::cos(t) * xi + std::sin(t) * eta) / arcsecPerPixel;
    s.imageY = height / 2.0L + (-std::sin(t) * xi + std::cos(t) * eta) / arcsecPerPixel;
    s.fieldX = 256 + xi / arcsecPerFieldUnit;
    s.fieldY = 200 - eta / arcsecPerFieldUnit;
  }

  /// A star at offsets (arc seconds east, north) from the centre.
  PlateStar At(long double eastArcsec, long double northArcsec, long double mag) const {
    PlateStar s;
    s.decDeg = centreDec + northArcsec / 3600.0L;
    s.raHours = centreRA + eastArcsec / 3600.0L / 15.0L / std::cos(centreDec * kRadPerDeg);
    s.mag = mag;
    Place(s);
    return s;
  }

  /// A reference record for star i as the reference field selects it.
  static ReferenceStar Reference(const PlateStar& s, int number) {
    ReferenceStar r;
    r.number = number;
    r.id = "STAR " + std::to_string(number);
    r.fieldX = s.fieldX;
    r.fieldY = s.fieldY;
    r.catRA = s.raHours;
    r.catDec = s.decDeg;
    r.catMag = s.mag;
    r.usePos = true;
    r.useMag = true;
    r.kind = kRefPosAndMag;
    r.band = 8;
    return r;
  }

  /// Peak amplitude of a star of magnitude `mag` (zero point 20 at 1 count).
  static double Amplitude(long double mag) { return std::pow(10.0, 0.4 * (20.0 - static_cast<double>(mag))); }
};

/// Eight stars spread over the field (offsets up to 150 arc seconds times
/// `spread`, magnitudes 11 to 12.5) and the target, magnitude 13, near the centre.
inline std::vector<PlateStar> EightStars(const SyntheticPlate& plate, long double spread = 1) {
  const long double offsets[][3] = {{-150, 100, 11.0}, {140, 110, 11.5}, {-120, -110, 12.0}, {130, -100, 11.2},
                                    {0, 150, 12.5},    {-60, 20, 11.8},  {90, 40, 12.2},     {30, -140, 11.6}};
  std::vector<PlateStar> stars;
  for (const auto& o : offsets) stars.push_back(plate.At(o[0] * spread, o[1] * spread, o[2]));
  return stars;
}
inline PlateStar TargetStar(const SyntheticPlate& plate, long double spread = 1) {
  return plate.At(20 * spread, -30 * spread, 13.0);
}

/// Draws the stars into the image as Gaussians of sigma 1.6 pixels.
inline void Render(SyntheticImage& image, const std::vector<PlateStar>& stars) {
  for (const PlateStar& s : stars)
    image.AddStar(static_cast<double>(s.imageX), static_cast<double>(s.imageY), SyntheticPlate::Amplitude(s.mag), 1.6);
}

}  // namespace skarvel::testing
