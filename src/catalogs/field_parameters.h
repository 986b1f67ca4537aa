// The field request of the session: the field parameters record, the catalog
// search window derived from it, and the window test every reader applies.
#pragma once

#include <cstdint>

#include "config/options.h"
#include "foundations/byte_io.h"

namespace skarvel {

/// A catalog search box; also the layout of one GSC region (36 bytes packed:
/// four 64-bit floats and one 32-bit float, little-endian).
struct SearchWindow {
  static constexpr std::size_t kBytes = 36;

  double raMin = 0;     ///< hours [0, 24)
  double raMax = 0;     ///< hours; raMax < raMin means the window wraps through 0 h
  double decMin = 0;    ///< degrees
  double decMax = 0;    ///< degrees
  float magLimit = 0;   ///< faintest magnitude accepted (ignored in a GSC region entry)

  bool operator==(const SearchWindow&) const = default;
};

/// Writes the 36 bytes of a window: raMin, raMax, decMin, decMax (F64), magLimit (F32).
void WriteSearchWindow(ByteWriter& out, const SearchWindow& w);
/// Reads the 36 bytes of a window. Throws IOFailure(100) at a short input.
SearchWindow ReadSearchWindow(ByteReader& in);

/// The one field description of the session, written by the field parameters
/// dialog and read by the readers, the reference-field window and the plate solution.
struct FieldParameters {
  SearchWindow window;          ///< RAMin, RAMax, DecMin, DecMax, MagLimit
  long double centreRA = 0;     ///< hours; also the tangent point of the plate solution
  long double centreDec = 0;    ///< degrees
  float size = 0;               ///< arc minutes, the side of the square field
  float rotation = 0;           ///< degrees, north through east
  float limitMag = 0;           ///< limiting magnitude entered by the user (copied to MagLimit)
  bool useSupplement = false;   ///< also read the supplementary catalog
  bool reverseEW = false;       ///< mirror the reference field left-right
  bool reverseNS = false;       ///< mirror the reference field top-bottom

  bool operator==(const FieldParameters&) const = default;
};

/// The field parameters and the colour choice beside them (the index of the
/// band chosen in the field parameters dialog; its meaning depends on the catalog).
struct FieldRequest {
  FieldParameters params;
  std::uint8_t colourChoice = 1;
};

/// Derives the search window from centre, size and limiting magnitude (done
/// when the field parameters dialog is confirmed): half = size * 1.5 / 120
/// degrees (the window is 1.5 times the field); Dec = centre +- half; RA
/// half-width w = half / (15 cos d) hours with d the Dec edge farther from the
/// equator; a window reaching past a pole becomes the cap of height 3 half at
/// that pole with RA 0..24 h; RA limits are brought into [0, 24] by one turn;
/// MagLimit = LimitMag.
void DeriveSearchWindow(FieldParameters& p);

/// The reset at the start of a new set of images or a chart: window, centre
/// and rotation 0; MagLimit and LimitMag the option `MagLimit`; Size the option
/// `FieldSize`; both mirror flags off. Local catalogs: colour choice 6 with
/// UCAC3 as primary catalog, otherwise 1; UseSupplement on exactly when the
/// primary catalog is none or GSC and a supplementary catalog is chosen (left
/// as it is with UCAC3). Online: colour choice 2 for NOMAD, 0 (G) for Gaia
/// DR3, 1 otherwise (V for UCAC4), and UseSupplement off. (The caller also empties the reference-star lists.)
void ResetFieldParameters(FieldRequest& request, const OptionsRecord& options);

/// The RA test of a star or region: inside [raMin, raMax] when raMin < raMax,
/// else (a wrapping window) ra >= raMin or ra <= raMax. Hours.
bool RAInWindow(const SearchWindow& w, long double raHours);

/// The whole window test: RAInWindow, decMin <= dec <= decMax and mag <= magLimit.
bool InWindow(const SearchWindow& w, long double raHours, long double decDeg, float mag);

}  // namespace skarvel
