// Ephemerides of the current orbital elements for an observing site: the
// generation parameters, the table of topocentric astrometric places with
// altitude and azimuth, and the "VORN Ephemeris Report" text with its orbit
// notes and osculating elements.
//
// Usage:
//   EphemerisParams params = DefaultEphemerisParams(CurrentDateTimeValue());
//   RecordList<EphemerisRecord> table;
//   if (GenerateEphemeris(current.elements, site, params, table, reporter))
//     lines = EphemerisReport(current, site, params, table);
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/observer_records.h"
#include "foundations/date_time.h"
#include "foundations/record_list.h"
#include "foundations/sky_coord.h"
#include "orbits/kepler.h"
#include "orbits/orbit_elements.h"

namespace skarvel {

struct FitResult;

/// Where the current elements came from.
enum class ElementSource : std::uint8_t {
  kLowell = 0,
  kMpc = 1,
  kCometFile = 2,
  kTarne = 3,
  kFindOrb = 4,
  kUserSaved = 5,
  kElementDialog = 6,
};

/// "Lowell Orbit Database", "MPC Orbit Database", "MPC Comet File", "TARNE
/// Orbit File", "FIND_ORB Generated", "User Saved Elements", "Element Input Dialog".
std::string_view ElementSourceName(ElementSource source);

/// The program's one current set of orbital elements, with its source, the
/// source database's date-time (sources 0 and 1) and the record's codes.
struct CurrentElements {
  bool valid = false;  ///< false until a set has been loaded
  OrbitElements elements;
  OrbitCodes codes{};
  ElementSource source = ElementSource::kElementDialog;
  double databaseDateTime = 0;  ///< date-time value of the database file (sources 0 and 1)
  /// The orbit determination these elements came from, with its covariance
  /// (the ephemeris then gives each place's uncertainty); empty for any
  /// other orbit.
  std::shared_ptr<const FitResult> fit;

  /// Makes `el` the current elements (without a fit's covariance).
  void Set(const OrbitElements& el, const OrbitCodes& recordCodes, ElementSource from, double dateTime);
};

/// Kilometres per astronomical unit for the topocentric correction.
inline constexpr long double kEphemerisAuKm = 149597870.66L;

/// Ephemeris generation parameters (kept while the program runs).
struct EphemerisParams {
  DateTimeObj start;             ///< first instant (TDT)
  int dateFormat = 0;            ///< 0 calendar, 1 Julian date (the dialog's choice)
  int points = 10;               ///< number of table lines
  int unitsPerDay = 24;          ///< 24 hours or 1 day: the interval's unit
  long double stepDays = 1.0L / 24.0L;  ///< interval between points (days)
  EquinoxChoice equinox = EquinoxChoice::kJ2000;
  EquinoxKind equinoxKind = EquinoxKind::kJulian;  ///< the chosen equinox as a header
  long double equinoxJD = kJD_J2000;

  /// Sets the equinox choice and its (kind, JD); Of Date takes the start's
  /// Julian date as it is now.
  void SetEquinox(EquinoxChoice choice);
};

/// The start-up parameters: the start at 00:00 of the day after the local
/// date of `nowDateTime` (a date-time value), 10 points of 1 hour, J2000.
EphemerisParams DefaultEphemerisParams(double nowDateTime);

/// One line of the table.
struct EphemerisRecord {
  double dateTime = 0;       ///< the instant as a date-time value (days since 1899-12-30)
  long double raHours = 0;   ///< right ascension, hours in [0, 24)
  long double decDeg = 0;    ///< declination, degrees
  long double deltaAu = 0;   ///< geometric geocentric distance (AU)
  long double magnitude = 0; ///< apparent magnitude (100 when the model is unknown)
  long double altitudeDeg = 0;
  long double azimuthDeg = 0;  ///< from north through east, -180..180 (negative west of north)
  /// The place's 1-sigma sky-plane ellipse, for elements from an orbit
  /// determination (hasSigma false otherwise): semi-axes in arc seconds,
  /// position angle of the major axis from north through east (J2000).
  bool hasSigma = false;
  long double sigmaMajorArcsec = 0;
  long double sigmaMinorArcsec = 0;
  long double sigmaPaDeg = 0;
};

/// The observing site as numbers: east longitude and latitude (radians), height (m).
SiteLocation SiteLocationOf(const SiteRecord& site);

/// Computes params.points lines from params.start (Julian date) in steps of
/// params.stepDays: the astrometric place (light time), precessed to
/// (params.equinoxKind, params.equinoxJD) and turned into mean equatorial
/// coordinates with that equinox's mean obliquity, the topocentric parallax
/// for the site (mean sidereal angle, distance Delta x 149597870.66 km), and
/// altitude and azimuth (apparent sidereal angle, no refraction) of the
/// topocentric place in the mean equator and equinox of date, whatever the
/// chosen equinox (the horizon is fixed to the equator of date). `table` is replaced; its selection is reset.
/// @return false when Kepler's equation failed at a point (reported through
///         `reporter`, which should not be silenced by ExpertMode during a
///         generation); the points before it are kept.
bool GenerateEphemeris(const OrbitElements& elements, const SiteRecord& site, const EphemerisParams& params,
                       RecordList<EphemerisRecord>& table, const KeplerErrorReporter& reporter = {});

/// The site lines of the report header (without indentation): "Observatory
/// Code ..." (XXX for a site without a code), "Longitude: ...    Latitude:  ...",
/// "Altitude: ...m    Time Zone: ...".
std::vector<std::string> SiteLines(const SiteRecord& site);

/// The orbit-note lines of a record's codes: for Lowell (source 0) when code
/// 1, 2, 4 or 6 is non-zero, for MPC (source 1) when code 2, 3 or 5 is non-zero
/// or code 6 exceeds 2, a blank line, "*** Orbit Notes ***", a blank line and
/// one line per note; otherwise nothing.
std::vector<std::string> OrbitNoteLines(ElementSource source, const OrbitCodes& codes);

/// The note texts alone (no heading, no blank lines), in table order (for MPC
/// the orbit type first, then codes 3, 2 and 6), as the main window draws them.
std::vector<std::string> OrbitNotes(ElementSource source, const OrbitCodes& codes);

/// The calendar date of a Julian date with the day fraction rounded to five
/// decimals: "YYYY/MM/DD.fffff" (2455400.5 gives "2010/07/23.00000"); a date
/// outside years 1 to 9999 (or not finite) gives "----/--/--.-----".
std::string FractionalDateText(long double jd);

/// The "Osculating Orbital Elements:" block: two blank lines, the heading, a
/// blank line, "Source: ...", and the element lines.
std::vector<std::string> OsculatingElementLines(const CurrentElements& current);

/// The whole report, line by line (Latin-1 texts; a blank line is 80 blanks).
std::vector<std::string> EphemerisReport(const CurrentElements& current, const SiteRecord& site,
                                         const EphemerisParams& params, RecordList<EphemerisRecord>& table);

/// One table line of the report (80 characters); a record with its
/// uncertainty has the ellipse after them: major and minor semi-axis ("),
/// 10 characters each with 1 decimal, and the position angle, 6 characters
/// with no decimal.
std::string EphemerisTableLine(const EphemerisRecord& record);

/// The two column-header lines above the table lines ("Date         Time(TDT)
/// ..." and "Yr   M  D    H  M  S ...", its 39th character the degree sign),
/// with `withSigma` the headings of the ellipse columns after them.
std::vector<std::string> EphemerisTableHeader(bool withSigma = false);

/// The note below a table with uncertainties.
inline constexpr std::string_view kEphemerisSigmaNote =
    "Uncertainty: 1-sigma sky-plane ellipse of the orbit fit's linearised covariance.";

/// Caption of the report window.
inline constexpr std::string_view kEphemerisReportCaption = "VORN Ephemeris Report";

/// prefix + a three-digit number + extension, with the lowest number from 001
/// whose file does not exist in `folder` (999 when every one exists).
/// NumberedFileName(dir, "EPHEM", ".TXT") is "EPHEM001.TXT" in an empty folder.
std::string NumberedFileName(const std::string& folder, std::string_view prefix, std::string_view extension);

}  // namespace skarvel
