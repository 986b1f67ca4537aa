// The celestial coordinate system that plate-solving capture software writes
// into a FITS header: a gnomonic (TAN) projection with CRVAL, CRPIX and a CD
// matrix (or CDELT with CROTA2 or a PC matrix), optionally with SIP
// distortion polynomials (A_p_q, B_p_q). Standard C++ only.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace skarvel {

/// One header card as keyword and value text (quotes removed from strings).
struct HeaderCard {
  std::string keyword;
  std::string value;
};

/// A TAN world coordinate system. Pixel coordinates are FITS ones: the centre
/// of the first pixel of the first row is (1, 1); x runs along a row, y across
/// the rows (file row j of the pixel store is y = j + 1).
struct ImageWcs {
  double crvalRA = 0;    ///< degrees, the tangent point
  double crvalDec = 0;   ///< degrees
  double crpix1 = 0;     ///< pixels
  double crpix2 = 0;
  std::array<std::array<double, 2>, 2> cd{};  ///< degrees per pixel: (xi, eta) = CD (u + f, v + g)
  int sipOrderA = 0;     ///< 0 without SIP
  int sipOrderB = 0;
  /// SIP coefficients a[p][q] of u^p v^q (p + q <= order, at most 9).
  std::array<std::array<double, 10>, 10> sipA{};
  std::array<std::array<double, 10>, 10> sipB{};

  /// The sky position (RA degrees in [0, 360), Dec degrees) of pixel (x, y).
  std::array<double, 2> PixelToSky(double x, double y) const;
  /// The mean scale, arc seconds per pixel: sqrt |det CD| * 3600.
  double ArcsecPerPixel() const;
};

/// The WCS of a header's cards, or nullopt when the header holds none this
/// program reads: CTYPE1 beginning "RA---TAN" and CTYPE2 "DEC--TAN" (with or
/// without "-SIP"), CRVAL1/2, CRPIX1/2 and a non-singular matrix from, in this
/// order of preference, CD1_1..CD2_2, or CDELT1/2 with PC1_1..PC2_2, or CDELT1/2
/// with CROTA2 (0 when absent). Numbers may use a "D" exponent. Later cards of
/// the same keyword win.
std::optional<ImageWcs> ImageWcsFromCards(const std::vector<HeaderCard>& cards);

/// How the reference field must be turned and mirrored to match an image of
/// this WCS as the image window shows it (file row 0 at the top), and where
/// the image centre lies.
struct WcsField {
  long double centreRAHours = 0;  ///< the sky position of the image centre ((w + 1) / 2, (h + 1) / 2)
  long double centreDecDeg = 0;
  double arcsecPerPixel = 0;
  double rotationDeg = 0;  ///< north through east, in (-90, 90]
  bool reverseEW = false;
  bool reverseNS = false;
};

/// The field orientation of an image of width x height pixels with this WCS.
/// The reference field draws a star at x = cx - (xi cos r + eta sin r),
/// y = cy - (eta cos r - xi sin r), mirrored by the reversal flags; the flags
/// and r are chosen so that this agrees with the CD matrix (a mirrored matrix
/// needs exactly one reversal), with r in (-90, 90].
WcsField FieldOfWcs(const ImageWcs& wcs, int width, int height);

/// The image data window's lines for a WCS: centre, scale, rotation, mirrors.
std::vector<std::string> WcsSummaryLines(const WcsField& field, bool sip);

}  // namespace skarvel
