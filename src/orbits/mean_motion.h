// Mean motion and baseline: two tools that work from measured positions instead
// of an orbit. Mean motion extrapolates a position linearly from two
// observations of the report into an ephemeris table; the baseline is the
// distance between two sites and its part across the line of sight to a target.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "astrometry/astrom_obs.h"
#include "config/observer_records.h"
#include "foundations/record_list.h"
#include "orbits/ephemeris.h"
#include "platform/platform.h"

namespace skarvel {

/// One measured place of the mean motion.
struct MotionPoint {
  long double jd = 0;       ///< Julian date, TT (TDT as entered; observations turned from UTC)
  long double raHours = 0;  ///< right ascension, hours
  long double decDeg = 0;   ///< declination, degrees
};

/// The mean-motion record, kept while the program runs.
struct MeanMotionRecord {
  static constexpr std::size_t kNameChars = 7;
  std::string name;          ///< object name, up to 7 characters
  int dateFormat = 0;        ///< 0 calendar, 1 Julian date
  MotionPoint first, second;
  long double raRate = 0;    ///< hours of RA per day multiplied by cos(dec 2)
  long double decRate = 0;   ///< degrees per day
  long double magnitude = 0; ///< mean of the two observations' magnitudes
};

/// The name an observation is known by: its designation, else its number, else its object name.
std::string ObservationIdentity(const ObservationRecord& obs);

/// Takes two observations of the report into `record` (positions, their
/// UTC times as TT Julian dates, mean magnitude, zero rates). When they name different objects the person is asked
/// "Selected Records May Not Be The Same Object! ... Continue Anyway?"; No
/// returns false and leaves the record as it was.
bool TakeObservations(const ObservationRecord& a, const ObservationRecord& b, MeanMotionRecord& record,
                      platform::Platform& ui);

/// The texts of one position of the "Positions for Mean Motion" dialog.
struct MotionPointFields {
  std::string date, time, julianDate;           ///< "Date (TDT):", time, "JDT:"
  std::string raHours, raMinutes, raSeconds;    ///< "0-23", "0-59", "0.00-59.99"
  std::string decDegrees, decMinutes, decSeconds;  ///< "89 - -89" (a leading "-" gives the sign), "0-59", "0.00-59.99"
};

/// The fields of a position from a point (RA seconds with 2 decimals, Dec seconds with 1; JD with 5).
MotionPointFields FieldsOf(const MotionPoint& point);

/// Reads a right ascension (hours) and declination (degrees) from their
/// sexagesimal fields; a zero degree field takes its sign from a leading "-".
/// Shows "Error in Right Ascension Value" / "Error in Declination Value"
/// ("Input Error!", after a beep) and returns nothing for a value outside
/// [0, 24] or [-90, 90] or a field that is not a number.
std::optional<MotionPoint> ReadPlace(const MotionPointFields& fields, platform::Platform& ui);

/// OK of "Positions for Mean Motion": both instants (calendar or Julian date),
/// both places, then the rates. "Time Span is Insufficient to Determine Motion"
/// (|dt| <= 1e-5 day) and "Data Indicates No Motion" ("No Motion Detected!")
/// keep the dialog open (false) and leave the record as it was.
bool AcceptMeanMotion(const std::string& name, int dateFormat, const MotionPointFields& first,
                      const MotionPointFields& second, std::int32_t currentYear, MeanMotionRecord& record,
                      platform::Platform& ui);

/// The mean-motion table for the parameters of the ephemeris dialog: point k at
/// t = start + k step, dec = dec2 + decRate (t - JD2), ra = ra2 + raRate (t - JD2)
/// / cos(dec), reduced into [0, 24) hours. A declination carried beyond a pole
/// is no place: the table then ends at the last good point and the person is
/// told ("Mean Motion Limit"); returns false in that case.
bool MeanMotionEphemeris(const MeanMotionRecord& record, const EphemerisParams& params,
                         RecordList<EphemerisRecord>& table, platform::Platform& ui);

/// The report of a mean-motion table: body, the reliability line, the table
/// (magnitude without decimals, no distance) and the "Observed Motion:" footer.
std::vector<std::string> MeanMotionReport(const MeanMotionRecord& record, RecordList<EphemerisRecord>& table);

// ---- baseline ----

/// Equatorial radius of the Earth used for the baseline (km).
inline constexpr long double kBaselineEarthRadiusKm = 6378.16L;

struct BaselineResult {
  long double maximumKm = 0;    ///< the sites' distance (chord through the Earth)
  long double projectedKm = 0;  ///< its part perpendicular to the line of sight
};

/// The baselines between two sites for a target at (raHours, decDeg) at the
/// Julian date `jd` (UT), the sites' east longitudes and latitudes from their
/// records. Coinciding sites give 0 for both.
BaselineResult ComputeBaseline(const SiteRecord& site1, const SiteRecord& site2, long double raHours,
                               long double decDeg, long double jd);

/// After the site dialog: a site at longitude and latitude zero asks
/// "Longitude and Latitude are Zero!" ("Are You Sure?"); true when it counts as confirmed.
bool ConfirmBaselineSite(const SiteRecord& site, platform::Platform& ui);

/// The "VORN Astrometric Baseline Report" lines.
std::vector<std::string> BaselineReport(const SiteRecord& site1, const SiteRecord& site2, long double raHours,
                                        long double decDeg, double utDateTime, const BaselineResult& result);

inline constexpr std::string_view kBaselineReportCaption = "VORN Astrometric Baseline Report";

}  // namespace skarvel
