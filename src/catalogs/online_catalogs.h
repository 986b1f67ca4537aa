// The on-line star catalogs: what each one is called by the two services
// (the USNO-style cone search at `USNOCatURL` and VizieR's ASU interface), its
// columns, its magnitudes by colour choice, its epoch and its report codes; and
// the query texts of both services.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogs/field_parameters.h"
#include "config/options.h"

namespace skarvel {

/// One magnitude a catalog offers, in colour-choice order.
struct OnlineColour {
  const char* label;         ///< the item of the field parameters dialog's colour list
  const char* shortName;     ///< the band as the field's data list names it ("B2", "G")
  std::uint8_t itemFilter;   ///< the filter the item stands for when matched with the image's filter
  std::uint8_t band;         ///< FilterCode the star's magnitude carries
  const char* usnoCode;      ///< the "clr=" code of the USNO-style query, or nullptr
  const char* usnoColumn;    ///< its column in the "|" table (" B2|"), or nullptr
  const char* vizierColumn;  ///< its VizieR column name
};

/// One on-line catalog.
struct OnlineCatalog {
  std::uint8_t webCatalog;     ///< WebCatalogChoice
  std::uint8_t code;           ///< CatalogCode of its stars
  const char* name;            ///< shown to the user ("Gaia DR3", "USNO-B1.0")
  const char* usnoName;        ///< "CAT=" value of the USNO-style query, nullptr: VizieR only
  const char* vizierSource;    ///< "-source=" table
  const char* idColumn;        ///< VizieR identifier column
  const char* raColumn;        ///< VizieR right ascension column (decimal degrees)
  const char* decColumn;       ///< VizieR declination column (decimal degrees)
  const char* pmRAColumn;      ///< mu_alpha* (mas/yr), nullptr when the catalog has none
  const char* pmDecColumn;     ///< mu_delta (mas/yr), nullptr when the catalog has none
  long double epochJD;         ///< Julian date of the positions (J2016.0 for Gaia DR3, else J2000.0)
  std::vector<OnlineColour> colours;
  std::uint8_t resetColour;    ///< colour choice a new field starts with
  char mpcCode;                ///< the MPC's catalog code letter (column 72)
  const char* astCat;          ///< ADES astCat name
  const char* netName;         ///< name on the report's "NET" line
};

/// The catalog of a `WebCatalog` choice; a value beyond the last choice is
/// taken as the default (Gaia DR3).
const OnlineCatalog& OnlineCatalogOf(std::uint8_t webCatalog);

/// The catalog of a CatalogCode, or nullptr when no on-line catalog gives it.
const OnlineCatalog* OnlineCatalogOfCode(std::uint8_t catalogCode);

/// True when the options send on-line queries to VizieR: the VizieR service
/// is chosen, or the catalog is one only VizieR serves.
bool UsesVizieR(const OptionsRecord& options);

/// The VizieR query endpoint of the options: the server text (empty: VizieR's
/// main address; a bare host name: "https://" + host; else as written, a
/// trailing "/" removed) + "/viz-bin/asu-tsv"; a server text whose address
/// has a path ("http://127.0.0.1:8080/asu") is taken as the endpoint itself.
std::string VizieREndpoint(const OptionsRecord& options);

/// Rows asked of VizieR at most (the brightest first).
inline constexpr int kVizieRRowLimit = 50000;

/// What a VizieR query that failed (no answer, a slow one, an error code or a
/// web page) advises: the windows' setting and the command line's options.
inline constexpr const char* kVizieRFailureAdvice =
    "Check the network connection and try again, or choose another VizieR server (a mirror such as "
    "vizier.cfa.harvard.edu) under \"VizieR Server\" in \"Set Star Catalog Options\". On the command line: "
    "--url URL, and --timeout-s for a slow server.";

/// The USNO-style query: `base` (`USNOCatURL`, ending in "?") + "CAT=" + name +
/// "&RA=" + centre RA in degrees (6 decimals) + "&DEC=" + centre Dec (6 decimals)
/// + "&SR=" + size * 1.5 / 60 (2 decimals, degrees) + "&VERB=1&clr=" + colour
/// code + "&bri=1.0&fai=" + limiting magnitude (1 decimal) +
/// "&cftype=ASCII&skey=RA&slf=hh.hhh/dd.ddd". An out-of-range colour choice
/// takes the catalog's first colour.
std::string USNOQueryText(const std::string& base, const OnlineCatalog& catalog, const FieldParameters& params,
                          std::uint8_t colourChoice);

/// Radius in degrees of the circle about the centre that holds the whole
/// search window (its farthest corner; for a polar cap the far side of the cap).
long double WindowRadiusDegrees(const FieldParameters& params);

/// The VizieR query: endpoint + "?-source=" + table + "&-c=" + RA degrees (6
/// decimals) + "%20" + signed Dec ("%2B" for "+", 6 decimals) +
/// "&-c.eq=J2000&-c.rd=" + WindowRadiusDegrees (4 decimals) + "&-out=" + id,
/// RA, Dec, proper motions and the chosen magnitude, comma separated +
/// "&-out.max=50000&-sort=" + magnitude column + "&" + magnitude column +
/// "=%3C" + limiting magnitude (1 decimal), i.e. "Gmag=<17.0".
std::string VizieRQueryText(const std::string& endpoint, const OnlineCatalog& catalog, const FieldParameters& params,
                            std::uint8_t colourChoice);

/// What a query asked for: the cache is reused for a request it covers.
struct OnlineQueryKey {
  bool vizier = false;
  std::uint8_t webCatalog = 0;
  std::string endpoint;
  SearchWindow window;
  long double centreRA = 0;   ///< hours
  long double centreDec = 0;  ///< degrees
  float size = 0;             ///< arc minutes
  float limitMag = 0;
  std::uint8_t colourChoice = 0;
};

/// The previous answer serves `next` when the same service, endpoint and
/// catalog are used, the new window lies within the previous one, the centres
/// differ by at most 0.0028 degrees in RA * 15 and in Dec, the field size and
/// the limiting magnitude are not larger and the colour choice is the same.
bool CachedAnswerServes(const OnlineQueryKey& previous, const OnlineQueryKey& next);

}  // namespace skarvel
