// The report in ADES, the IAU Astrometry Data Exchange Standard (version
// 2022) that the Minor Planet Center takes submissions in: the pipe-separated
// (PSV) and the XML form, built from the report's user, site and camera
// records and its observation records.
//
// One observation block: the obsContext (observatory, submitter, observers,
// measurers, telescope, software and, with simulated images, a comment that
// forbids sending them) and one `optical` record per observation, its
// elements in the order the standard fixes. Texts stay the system's
// single-byte texts here; files and the terminal get them in UTF-8
// (Latin1ToUtf8).
//
// Usage:
//   const AdesReport ades = MakeAdesReport(report);
//   for (const auto& line : AdesPsvLines(ades)) ...    // or AdesXmlLines(ades)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "astrometry/astrom_obs.h"
#include "astrometry/report_formats.h"

namespace skarvel {

/// One element and its text.
struct AdesField {
  std::string name;
  std::string value;
  bool operator==(const AdesField&) const = default;
};

/// One child of the obsContext ("observatory", "measurers", ...) with its sub-elements.
struct AdesGroup {
  std::string name;
  std::vector<AdesField> children;
};

/// The report as ADES elements.
struct AdesReport {
  std::vector<AdesGroup> context;
  std::vector<std::vector<AdesField>> observations;  ///< the optical records, elements in schema order
  bool simulated = false;  ///< some observation was measured on a simulated image
};

/// The ADES catalog name (`astCat`) of the catalog the observations were
/// reduced with (ReportCatalogOf: "Gaia3", "UCAC4", "GSC1.1", "USNOB1", ...);
/// "UNK" when the report names none.
std::string AdesCatalogCode(const CatalogsUsed& catalogs);

/// The ADES band of a FilterCode: "B", "V", "R", "I", "J", "H", "K" for 0..6,
/// "G" for Gaia G, the letters of the 80-column line; "" for the others (no
/// known band: the magnitude is then left out of the record).
std::string AdesBand(std::uint8_t filter);

/// Decimals of the seconds of `obsTime` for a timing error in milliseconds:
/// the smallest count whose unit is not above the error (1000 ms 0, 500 ms 1,
/// 10 ms 2, 1 ms 3), at most 6; 0 for an error that is not positive.
int AdesTimeDecimals(int timingErrorMs);

/// `obsTime` of a record has at least this many decimals of the second (milliseconds).
inline constexpr int kAdesMinTimeDecimals = 3;

/// `obsTime`: the date-time value (days, UT) as "yyyy-mm-ddThh:mm:ss[.f]Z"
/// rounded to `decimals` (0..6) digits of the seconds, rounding carried into
/// minutes, hours and the date.
std::string AdesObsTime(double dateTime, int decimals);

/// Decimals of a position given in degrees for an uncertainty `sigmaDeg`
/// (degrees): ceil(1 - log10 sigma), within 1..9; 6 when the uncertainty is
/// not positive.
int AdesAngleDecimals(long double sigmaDeg);

/// `rmsRA` / `rmsDec` / `rmsMag`: the value with two significant figures (at
/// least 0.001, at most 9999); "" when not positive (the element is then left out).
std::string AdesRms(long double value);

/// The names of an observer or measurer list ("J. Q. Public, A. Smith"):
/// the list as the short header abbreviates it, cut at its commas, each name
/// at most 100 characters; empty for an empty list.
std::vector<std::string> AdesNames(const std::string& list);

/// The ADES elements of the report.
AdesReport MakeAdesReport(const AstromObsObj& report);

/// The PSV form: "# version=2022", the obsContext as "# group" and "! element
/// value" lines, the keyword record, then one data record per observation,
/// columns padded to a common width.
std::vector<std::string> AdesPsvLines(const AdesReport& ades);

/// The XML form: the declaration, <ades version="2022">, the obsContext one
/// element per line, then each <optical> record on one line.
std::vector<std::string> AdesXmlLines(const AdesReport& ades);

/// The report window's text of an ADES form: title as the other report forms
/// ("Formatted Astrometric Results - " + name, " (Modified)" when unsaved),
/// header lines up to the first observation, one line per observation.
ReportText BuildAdesReport(const AstromObsObj& report, bool xml, const std::string& reportFileName,
                           bool reportSaved);

}  // namespace skarvel
