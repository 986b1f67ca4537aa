// The catalog star record shared by every catalog reader, and its code tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skarvel {

/// The catalog a star came from (the `Catalog` byte of a CatalogStar).
enum CatalogCode : std::uint8_t {
  kCatalogGSC = 1,
  kCatalogUCACBSS = 2,
  kCatalogUSNOA1 = 3,
  kCatalogUSNOA2 = 4,
  kCatalogUSNOSA1 = 5,
  kCatalogUSNOSA2 = 6,
  kCatalogUCAC2 = 7,
  kCatalogUCAC3 = 8,
  kCatalogUSNOB1 = 9,
  kCatalogNOMAD = 10,
  kCatalogGaiaDR3 = 11,  ///< on-line only (VizieR)
  kCatalogUCAC4 = 12,    ///< on-line only (VizieR)
};

/// The name shown for a catalog code: 1 "STSI Guide Star Catalog" (or
/// "ACT-Corrected GSC" when `gscOnACT`), 2 "UCAC-BSS", 3 "USNO-A1.0",
/// 4 "USNO-A2.0", 5 "USNO-SA1.0", 6 "USNO-SA2.0", 7 "UCAC2", 8 "UCAC3",
/// 9 "USNO-B1.0", 10 "NOMAD", 11 "Gaia DR3", 12 "UCAC4"; "" for any other code.
std::string CatalogName(std::uint8_t code, bool gscOnACT);

/// FilterCode of a catalog magnitude band (shared with images and observations).
enum FilterCodeValue : std::uint8_t {
  kBandB = 0, kBandV = 1, kBandR = 2, kBandI = 3, kBandJ = 4, kBandH = 5, kBandK = 6,
  kBandNone = 7, kBandUnknown = 8,
  kBandG = 9,  ///< Gaia G, for catalog magnitudes only (no image filter decodes to it)
};

/// Short name of a filter code: "B", "V", "R", "I", "J", "H", "K", "NONE",
/// "X", "G" for 0..9; codes above 9 count as 8 ("X").
std::string FilterShortName(std::uint8_t code);
/// Long name (star information): "  Blue", "  V-band", "  Red", "  I-band",
/// "  J-band", "  H-band", "  K-band", "  None", "Unknown", "  Gaia G" for
/// 0..9; codes above 9 count as 8.
std::string FilterLongName(std::uint8_t code);

/// Capacity of the `Id` short string, characters.
inline constexpr std::size_t kStarIdCapacity = 18;
/// Identifiers of the on-line catalogs are kept whole in memory up to this
/// many characters (a Gaia DR3 source_id has up to 19 digits); the stored
/// records keep their 18.
inline constexpr std::size_t kLongStarIdCapacity = 24;

/// One catalog star. Readers fill `catalog` through `entries` and leave the
/// picture fields (`fieldX` .. `symbol`) zero; the reference-field window fills them.
struct CatalogStar {
  std::uint8_t catalog = 0;   ///< CatalogCode
  std::string id;             ///< as shown to the user: at most 18 characters, on-line ones up to kLongStarIdCapacity
  long double ra = 0;         ///< hours, J2000 (at the observation epoch where proper motion applies)
  long double dec = 0;        ///< degrees, J2000
  float pmRA = 0;             ///< proper motion in RA (0 for the GSC)
  float pmDec = 0;            ///< proper motion in Dec (0 for the GSC)
  float posErr = 0;           ///< position error, arc seconds; 0 = not available
  bool usePos = true;         ///< default of "Use &Position"; 1 from every reader
  float mag = 0;              ///< magnitude in the selected band
  float magErr = 0;           ///< magnitude error; 0 = not available
  bool useMag = true;         ///< default of "Use &Magnitude" (the `DefaultRefMags` option)
  std::uint8_t band = kBandUnknown;  ///< FilterCode of the magnitude
  std::uint8_t starClass = 0; ///< 0 star, any other value a non-stellar object
  std::uint8_t entries = 0;   ///< catalog entries merged (GSC plates) or observations; 0 = not available
  long double fieldX = 0;     ///< x in the reference-field picture
  long double fieldY = 0;     ///< y in the reference-field picture
  std::int32_t screenX = 0;   ///< x in window pixels after zoom and mirroring
  std::int32_t screenY = 0;   ///< y in window pixels
  std::int32_t symbol = 0;    ///< drawing level 0..10, 99 for a non-stellar object

  bool operator==(const CatalogStar&) const = default;
};

/// Key class of the field star lists: sorted by RA ascending, ties by Dec
/// ascending. No two stars share a key (SameKey is never used).
struct CatalogStarOrder {
  static bool SameKey(const CatalogStar&, const CatalogStar&) { return false; }
  static bool ComesAfter(const CatalogStar& a, const CatalogStar& b) {
    return a.ra > b.ra || (!(a.ra < b.ra) && a.dec > b.dec);
  }
};

/// The order in which a list kept by CatalogStarOrder (RecordList::InsertSorted)
/// holds `stars` after they were inserted one by one, first to last, into an
/// empty list: indices into `stars`, from the list's first record to its
/// last. Stars with the same RA and Dec stand where those insertions put
/// them, which depends on the star inserted just before each (after the
/// equal ones when that star sorts before it, else in front of them, or
/// second when no smaller star was in the list yet). O(n log n).
std::vector<std::uint32_t> SortedInsertionOrder(const std::vector<CatalogStar>& stars);

}  // namespace skarvel
