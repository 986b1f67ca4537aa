// One reference pair: catalog and measured position, fitted position,
// residuals, flux, magnitudes and use flags. The same record shape holds the
// target and the image centre.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundations/byte_io.h"

namespace skarvel {

/// Kind of a reference record.
enum ReferenceKind : std::uint8_t {
  kRefPosAndMag = 0,   ///< position and magnitude used
  kRefPosOnly = 1,     ///< position only
  kRefMagOnly = 2,     ///< magnitude only
  kRefNeither = 3,     ///< neither
  kRefImageCentre = 4, ///< the image-centre record
  kRefTarget = 6,      ///< the target record
};

/// A reference star record (177 bytes, extended values 10 bytes each).
struct ReferenceStar {
  static constexpr std::size_t kBytes = 177;
  static constexpr std::size_t kIdCapacity = 18;

  std::array<std::uint8_t, 8> leading{};  ///< no meaning; copied and stored with the record
  std::uint8_t kind = kRefPosAndMag;
  std::int32_t number = 0;   ///< label shown beside the star (99 for the image centre)
  std::string id;            ///< catalog identifier (the record stores its first 18 characters)
  long double fieldX = 0;    ///< position in the reference-field picture
  long double fieldY = 0;
  long double imageX = 0;    ///< measured position, display image coordinates
  long double imageY = 0;
  long double catRA = 0;     ///< hours; for the target the square root of its flux
  long double catDec = 0;    ///< degrees
  long double fitRA = 0;     ///< from the plate solution, hours
  long double fitDec = 0;    ///< degrees
  long double resRA = 0;     ///< arc seconds on the sky; for the target sigma RA
  long double resDec = 0;    ///< arc seconds; for the target sigma Dec
  long double resTotal = 0;  ///< arc seconds; for the target sigma
  long double flux = 0;      ///< measured brightness; 0 = not measured
  long double catMag = 0;    ///< catalog magnitude; for the target its computed magnitude
  long double magRes = 0;    ///< magnitude residual; for the target the error of its magnitude
  std::uint8_t catalog = 0;  ///< CatalogCode
  std::uint8_t band = 8;     ///< FilterCode of catMag; for the target the observation's filter
  bool usePos = false;
  bool useMag = false;
  bool measured = false;
  /// In memory only (not part of the 177 bytes): a pixel of its measuring
  /// box reached the image's saturation level, so it was left out of the
  /// plate and the magnitude solution.
  bool saturated = false;
  /// In memory only: the Number of a brighter reference whose image star
  /// this one's centre fell on (two catalog stars cannot be one image
  /// star), so it was left out; 0 when none.
  std::int32_t sameStarAs = 0;
  /// In memory only: the one-sigma uncertainty per axis of the measured
  /// position (imageX, imageY), image pixels, from the centroid that
  /// measured it; 0 when unknown. A weighted plate solution uses it.
  long double sigmaX = 0, sigmaY = 0;

  bool operator==(const ReferenceStar&) const = default;
};

void WriteReferenceStar(ByteWriter& out, const ReferenceStar& r);
/// Reads 177 bytes. Throws IOFailure on a short input.
ReferenceStar ReadReferenceStar(ByteReader& in);

}  // namespace skarvel
