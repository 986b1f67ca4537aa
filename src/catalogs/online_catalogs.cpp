#include "catalogs/online_catalogs.h"

#include <algorithm>
#include <cmath>

#include "catalogs/catalog_star.h"
#include "config/vizier_server.h"
#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

/// Gaia DR3 positions are for epoch J2016.0 (JD 2457389.0, the CDS table description).
constexpr long double kJD_J2016 = 2457389.0L;
/// The centres of two queries may differ by this much, degrees, and share an answer.
constexpr long double kSameCentreDegrees = 0.0028L;
constexpr long double kDegreesPerHour = 15.0L;

const std::vector<OnlineCatalog>& Catalogs() {
  // Column names and tables: the CDS VizieR descriptions of I/355/gaiadr3,
  // I/322A/out, I/297/out, I/284/out and I/252/out; MPC codes and ADES names
  // from the MPC's list of star catalogs.
  static const std::vector<OnlineCatalog> kCatalogs = {
      {kWebNOMAD, kCatalogNOMAD, "NOMAD", "NOMAD", "I/297/out", "NOMAD1", "RAJ2000", "DEJ2000", "pmRA", "pmDE",
       kJD_J2000,
       {{"&Blue", "B", kBandB, kBandB, "B", " B|", "Bmag"},
        {"&Visual", "V", kBandV, kBandV, "V", " V|", "Vmag"},
        {"&Red", "R", kBandR, kBandR, "R", " R|", "Rmag"},
        {"&J (IR)", "J", kBandJ, kBandJ, "J", " J|", "Jmag"},
        {"&H (IR)", "H", kBandH, kBandH, "H", " H|", "Hmag"},
        {"&K (IR)", "K", kBandK, kBandK, "K", " K|", "Kmag"}},
       2, 'v', "NOMAD", "NOMAD"},
      {kWebUSNOB1, kCatalogUSNOB1, "USNO-B1.0", "USNO-B1", "I/284/out", "USNO-B1.0", "RAJ2000", "DEJ2000", "pmRA",
       "pmDE", kJD_J2000,
       {{"&Blue", "B2", kBandB, kBandB, "B2", " B2|", "B2mag"},
        {"&Red", "R2", kBandR, kBandR, "R2", " R2|", "R2mag"},
        {"&I (IR)", "I2", kBandI, kBandI, "I2", " I2|", "Imag"}},
       1, 'o', "USNOB1", "USNO-B1.0"},
      {kWebUSNOA2, kCatalogUSNOA2, "USNO-A2.0", "USNO-A2", "I/252/out", "USNO-A2.0", "RAJ2000", "DEJ2000", nullptr,
       nullptr, kJD_J2000,
       {{"&Blue", "B", kBandB, kBandB, "B", " B|", "Bmag"}, {"&Red", "R", kBandR, kBandR, "R", " R|", "Rmag"}},
       1, 'c', "USNOA2", "USNO-A2.0"},
      {kWebGaiaDR3, kCatalogGaiaDR3, "Gaia DR3", nullptr, "I/355/gaiadr3", "Source", "RA_ICRS", "DE_ICRS", "pmRA",
       "pmDE", kJD_J2016,
       // G lies between V and R: an unfiltered or red image matches it.
       {{"&G (Gaia)", "G", kBandR, kBandG, nullptr, nullptr, "Gmag"}},
       0, 'W', "Gaia3", "Gaia-DR3"},
      {kWebUCAC4, kCatalogUCAC4, "UCAC4", nullptr, "I/322A/out", "UCAC4", "RAJ2000", "DEJ2000", "pmRA", "pmDE",
       kJD_J2000,
       {{"&Blue", "B", kBandB, kBandB, nullptr, nullptr, "Bmag"},
        {"&Visual", "V", kBandV, kBandV, nullptr, nullptr, "Vmag"},
        {"&Red (r')", "r", kBandR, kBandR, nullptr, nullptr, "rmag"},
        {"&I (i')", "i", kBandI, kBandI, nullptr, nullptr, "imag"},
        {"&J (IR)", "J", kBandJ, kBandJ, nullptr, nullptr, "Jmag"},
        {"&H (IR)", "H", kBandH, kBandH, nullptr, nullptr, "Hmag"},
        {"&K (IR)", "K", kBandK, kBandK, nullptr, nullptr, "Kmag"},
        {"&UCAC (f.mag)", "f.mag", kBandR, kBandNone, nullptr, nullptr, "f.mag"}},
       1, 'q', "UCAC4", "UCAC-4"},
  };
  return kCatalogs;
}

const OnlineColour& ColourOf(const OnlineCatalog& catalog, std::uint8_t colourChoice) {
  return catalog.colours[colourChoice < catalog.colours.size() ? colourChoice : 0];
}

std::string SignedDegrees(long double dec, const char* plus) {
  return (dec < 0 ? std::string("-") : std::string(plus)) + FormatFixed(6, std::fabs(dec));
}

// Angular distance in degrees between two points given in hours and degrees.
long double Separation(long double ra1, long double dec1, long double ra2, long double dec2) {
  const long double d1 = dec1 * kRadiansPerDegree, d2 = dec2 * kRadiansPerDegree;
  const long double da = (ra1 - ra2) * kDegreesPerHour * kRadiansPerDegree;
  const long double c = std::sin(d1) * std::sin(d2) + std::cos(d1) * std::cos(d2) * std::cos(da);
  return std::acos(std::clamp(c, -1.0L, 1.0L)) / kRadiansPerDegree;
}

}  // namespace

const OnlineCatalog& OnlineCatalogOf(std::uint8_t webCatalog) {
  const auto& all = Catalogs();
  if (webCatalog > kLastWebCatalog) webCatalog = OptionsRecord{}.webCatalog;
  return all[webCatalog];
}

const OnlineCatalog* OnlineCatalogOfCode(std::uint8_t catalogCode) {
  for (const OnlineCatalog& c : Catalogs())
    if (c.code == catalogCode) return &c;
  return nullptr;
}

bool UsesVizieR(const OptionsRecord& options) {
  return options.onlineService != kServiceUSNO || OnlineCatalogOf(options.webCatalog).usnoName == nullptr;
}

std::string VizieREndpoint(const OptionsRecord& options) { return VizieREndpointOf(options.vizierServer); }

std::string USNOQueryText(const std::string& base, const OnlineCatalog& catalog, const FieldParameters& params,
                          std::uint8_t colourChoice) {
  const OnlineColour& colour = ColourOf(catalog, colourChoice);
  return base + "CAT=" + (catalog.usnoName != nullptr ? catalog.usnoName : "") +
         "&RA=" + FormatFixed(6, params.centreRA * kDegreesPerHour) + "&DEC=" + FormatFixed(6, params.centreDec) +
         "&SR=" + FormatFixed(2, params.size * 1.5L / 60) + "&VERB=1" + "&clr=" +
         (colour.usnoCode != nullptr ? colour.usnoCode : "") + "&bri=1.0" + "&fai=" +
         FormatFixed(1, params.limitMag) + "&cftype=ASCII&skey=RA&slf=hh.hhh/dd.ddd";
}

long double WindowRadiusDegrees(const FieldParameters& params) {
  const SearchWindow& w = params.window;
  const bool cap = w.raMin == 0 && w.raMax == 24;
  if (cap) {
    // The far side of the cap, across the pole.
    const long double edge = w.decMax >= 90 ? w.decMin : w.decMax;
    return std::fabs(params.centreDec) >= 90 ? std::fabs(90 - std::fabs(edge))
                                             : (90 - std::fabs(params.centreDec)) + (90 - std::fabs(edge));
  }
  long double radius = 0;
  for (double ra : {w.raMin, w.raMax})
    for (double dec : {w.decMin, w.decMax})
      radius = std::max(radius, Separation(params.centreRA, params.centreDec, ra, dec));
  return radius;
}

std::string VizieRQueryText(const std::string& endpoint, const OnlineCatalog& catalog, const FieldParameters& params,
                            std::uint8_t colourChoice) {
  const OnlineColour& colour = ColourOf(catalog, colourChoice);
  std::string columns = std::string(catalog.idColumn) + "," + catalog.raColumn + "," + catalog.decColumn;
  if (catalog.pmRAColumn != nullptr) columns += std::string(",") + catalog.pmRAColumn + "," + catalog.pmDecColumn;
  columns += std::string(",") + colour.vizierColumn;
  // A radius a little beyond the window's corner, so that rounding never cuts it.
  const long double radius = std::ceil(WindowRadiusDegrees(params) * 10000 + 1) / 10000;
  return endpoint + "?-source=" + catalog.vizierSource + "&-c=" +
         FormatFixed(6, params.centreRA * kDegreesPerHour) + "%20" + SignedDegrees(params.centreDec, "%2B") +
         "&-c.eq=J2000&-c.rd=" + FormatFixed(4, radius) + "&-out=" + columns +
         "&-out.max=" + std::to_string(kVizieRRowLimit) + "&-sort=" + colour.vizierColumn + "&" +
         colour.vizierColumn + "=%3C" + FormatFixed(1, params.limitMag);
}

namespace {

bool WindowWithin(const SearchWindow& inner, const SearchWindow& outer) {
  if (inner.decMin < outer.decMin || inner.decMax > outer.decMax) return false;
  const bool outerFull = outer.raMin == 0 && outer.raMax == 24;
  if (outerFull) return true;
  const bool innerWraps = inner.raMin > inner.raMax, outerWraps = outer.raMin > outer.raMax;
  if (!outerWraps) return !innerWraps && inner.raMin >= outer.raMin && inner.raMax <= outer.raMax;
  // The outer window wraps through 0 h: a wrapping inner one must start and end
  // inside it; a plain one must lie wholly before or wholly after 0 h.
  if (innerWraps) return inner.raMin >= outer.raMin && inner.raMax <= outer.raMax;
  return inner.raMin >= outer.raMin || inner.raMax <= outer.raMax;
}

}  // namespace

bool CachedAnswerServes(const OnlineQueryKey& previous, const OnlineQueryKey& next) {
  if (previous.vizier != next.vizier || previous.webCatalog != next.webCatalog ||
      previous.endpoint != next.endpoint || previous.colourChoice != next.colourChoice)
    return false;
  if (!WindowWithin(next.window, previous.window)) return false;
  long double dRA = std::fabs(next.centreRA - previous.centreRA);
  if (dRA > 12) dRA = 24 - dRA;
  if (dRA * kDegreesPerHour > kSameCentreDegrees) return false;
  if (std::fabs(next.centreDec - previous.centreDec) > kSameCentreDegrees) return false;
  return next.size <= previous.size && next.limitMag <= previous.limitMag;
}

}  // namespace skarvel
