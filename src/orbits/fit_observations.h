// The inputs of orbit determination: the list of observatory codes (code,
// longitude, rho cos phi', rho sin phi', name), measured positions read from
// Minor Planet Center 80-column lines or ADES PSV/XML, and the leap-second
// difference TT - UTC that turns the observations' UTC into dynamical time.
//
// Usage:
//   ObservatoryCodeList codes = ParseObservatoryCodes(listText);
//   ObservationReading obs = ReadObservations(fileText);   // 80-column, PSV or XML by content
//   for (const std::string& p : obs.problems) ...          // lines that were skipped, and why
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/observer_records.h"
#include "foundations/vec3.h"

namespace skarvel {

/// One line of the observatory code list. Units of rho: the Earth's
/// equatorial radius. A code without parallax constants (a spacecraft or a
/// roving observer) has hasPosition false.
struct ObservatoryCode {
  std::string code;                 ///< three characters
  long double longitudeEastDeg = 0;  ///< east longitude, degrees 0..360
  long double rhoCosPhi = 0;         ///< rho cos phi' (phi' geocentric latitude)
  long double rhoSinPhi = 0;         ///< rho sin phi'
  std::string name;
  bool hasPosition = false;
};

/// The observatory code list: codes by their three characters.
struct ObservatoryCodeList {
  std::map<std::string, ObservatoryCode> codes;
  std::size_t skipped = 0;  ///< lines that were neither a code nor a heading

  /// The code's line, or nothing when the code is not in the list.
  const ObservatoryCode* Find(const std::string& code) const;
};

/// Reads the list as the user downloads it: one code a line, the code in
/// columns 1-3, the east longitude in 5-13, rho cos phi' in 14-21, rho sin
/// phi' in 22-30 and the name from 31 (the MPC's layout, where numbers may
/// run together); a line whose columns do not hold numbers is read in free
/// spacing, "CODE LONG RHOCOS RHOSIN NAME". A heading line, HTML tags, blank lines
/// and lines whose numbers are not plain decimals are skipped (counted in
/// `skipped`, the headings not); a code whose three number fields are blank
/// is kept without a position. Never throws; any text is accepted.
ObservatoryCodeList ParseObservatoryCodes(std::string_view text);

/// The code line that stands for the user's own site record: its code (or
/// "XXX"), east longitude, and rho cos phi', rho sin phi' of its latitude
/// and height on the IAU 1976 ellipsoid.
ObservatoryCode SiteObservatoryCode(const SiteRecord& site);

/// Default uncertainty of a position that states none (arc seconds).
inline constexpr long double kDefaultPositionSigmaArcsec = 0.5L;

/// One measured position.
struct FitObservation {
  std::string designation;       ///< the object as the line names it (number or designation), trimmed
  long double jdUtc = 0;         ///< UTC Julian date of the observation
  long double raDeg = 0;         ///< right ascension J2000, degrees
  long double decDeg = 0;        ///< declination J2000, degrees
  std::string code;              ///< observatory code
  long double sigmaRaArcsec = 0;   ///< uncertainty of RA x cos(Dec); 0 when the input states none
  long double sigmaDecArcsec = 0;  ///< uncertainty of Dec; 0 when none
  bool satellite = false;        ///< the observer is a spacecraft at satelliteKm
  Vec3 satelliteKm;              ///< geocentric position of the spacecraft, J2000 equator, km
  std::size_t line = 0;          ///< 1-based line (80-column, PSV) or observation number (XML)
};

/// The positions of one input file.
struct ObservationReading {
  std::vector<FitObservation> observations;  ///< in the order of the file
  std::vector<std::string> problems;         ///< one text per skipped line: "Line N: why"
  std::string format;                        ///< "mpc80", "ades-psv" or "ades-xml"
};

/// MPC 80-column lines. Column 15 blank or one of the optical types is read;
/// a spacecraft line ("S") takes its position from the following "s" line
/// (columns 35-69: X, Y, Z each with its sign in front, km when column 33 is
/// "1", AU when "2"). Radar, roving, comment and header lines are skipped
/// (header and blank lines silently); malformed lines are listed in problems.
/// B1950 lines (column 15 "A") hold positions already reduced to J2000.
ObservationReading ReadMpc80(std::string_view text);

/// ADES PSV: a header line of '|'-separated field names (after optional "#"
/// comment and "!" lines), then one observation per line. The fields used are
/// obsTime (ISO 8601 UTC), ra, dec (degrees), stn, rmsRA, rmsDec (arc seconds;
/// rmsRA already multiplied by cos Dec), permID/provID/trkSub, and for mode
/// "SAT"/sys "ICRF_KM" pos1, pos2, pos3 (km).
ObservationReading ReadAdesPsv(std::string_view text);

/// ADES XML: each <optical> element with its child elements of the PSV names.
ObservationReading ReadAdesXml(std::string_view text);

/// Picks the reader by the content: XML when the text starts with "<" after
/// blanks, PSV when a line holding "|" names obsTime, else 80 columns.
ObservationReading ReadObservations(std::string_view text);

/// ISO 8601 "YYYY-MM-DDTHH:MM:SS[.sss][Z]" as a Julian date; nothing when malformed.
std::optional<long double> IsoTimeToJd(std::string_view text);

}  // namespace skarvel
