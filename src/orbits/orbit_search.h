// The search of a converted orbit database for the known objects in a field
// at an instant: the search parameters and their dialog rules, the per-object
// test (magnitude, distance, J2000 box, optionally the culmination altitude),
// the scan of a whole file, the results report, its sort orders and loading a
// result as the current elements.
//
// Usage:
//   TAstOrbFlSrch search(SearchContext{ui, site, expertMode});
//   search.Params() = ...;                  // or ReadFieldInput(...)
//   search.SearchFile(path, ElementSource::kMpc, dbDateTime);   // scan with progress and messages
//   lines = search.ResultReport();
//   search.SortResults(SearchSortOrder::kMagnitude);
//   search.LoadResult(lineIndex, path, current);
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/observer_records.h"
#include "foundations/date_time.h"
#include "foundations/record_list.h"
#include "orbits/ephemeris.h"
#include "orbits/minor_body.h"
#include "orbits/orbit_elements.h"
#include "platform/platform.h"

namespace skarvel {

/// How the field is given: a centre with a size in arc minutes or degrees, or RA and Dec limits.
enum class FieldKind : std::uint8_t { kArcMinutes = 0, kDegrees = 1, kLimits = 2 };

/// Search parameters (kept while the program runs). Right ascensions in
/// hours, declinations in degrees, the half-size in radians.
struct SearchParams {
  ElementSource source = ElementSource::kLowell;  ///< 0 Lowell, 1 MPC, 2 comet file, 3 TARNE
  DateTimeObj instant;                            ///< search instant (TDT)
  int dateFormat = 0;                             ///< 0 calendar, 1 Julian date
  FieldKind kind = FieldKind::kDegrees;
  long double centerRaHours = 0;
  long double centerDecDeg = 0;
  long double halfSizeRad = 0.5L * 0.017453292519943295769L;  ///< h: half the field size (0.5 deg)
  long double raMinHours = 0, raMaxHours = 0;                 ///< RA limits (hours)
  long double decMinDeg = 0, decMaxDeg = 0;                   ///< Dec limits (degrees)
  long double faintMag = 25, brightMag = 0;
  long double nearAu = 0, farAu = 100;
  long double minAltitudeDeg = 0;  ///< minimum altitude at upper culmination; 0 = no test
  bool opposition = false;         ///< the centre came from "&Opposition"

  /// The limits from centre and size (kinds 0 and 1): Dec delta0 -+ h, RA
  /// alpha0 -+ h / cos delta0 / 15 hours (a negative minimum or a maximum
  /// beyond 24 h is left for Prepare to wrap; a box reaching a pole, or one
  /// whose RA half-width is 12 h or more, takes RA 0 to 24 h and Dec limits
  /// cut at +-90 deg). Kind 2: the centre from the
  /// limits, RA (min + max) / 2, or (min + max + 24) / 2 when min >= max,
  /// brought into [0, 24); Dec (min + max) / 2.
  void DeriveBox();
};

/// The start-up parameters: instant 00:00 of the day after `nowDateTime`,
/// degrees, centre 0 h 0 deg, size 1 deg, magnitudes 0 to 25, 0 to 100 AU.
SearchParams DefaultSearchParams(double nowDateTime);

/// The field fields of the search dialog as typed.
struct SearchFieldInput {
  FieldKind kind = FieldKind::kDegrees;
  std::string raHours, raMinutes, raSeconds;
  std::string decDegrees, decMinutes, decSeconds;
  std::string size;
  std::string raMin, raMax;    ///< "RA Limits (Hrs)"
  std::string decMin, decMax;  ///< "Dec Limits (Deg)"
};

/// Caption of the input error box of the search dialog.
inline constexpr std::string_view kSearchInputErrorCaption = "Input Error!";

/// Reads the field part of the dialog into `params` (kind, centre, half-size
/// or limits, then DeriveBox). Centre: RA = h + m/60 + s/3600 within [0, 24];
/// Dec = d + s m/60 + s sec/3600 with s the sign of d, or for d = 0 -1 when the
/// degrees text starts with "-", within [-90, 90]. Size: arc minutes give
/// h = size/120 deg, degrees h = size/2. Limits: RA within [0, 24], max <= min
/// only when min - max > 12; Dec within [-90, 90] with max > min.
/// @return nothing when every value is good, else the error text ("Error in
///         Right Ascension Value", "Error in Declination Value", "Error in
///         Right Ascension Limit", "Error in Declination Limit"); `params` is
///         then unchanged.
std::optional<std::string> ReadFieldInput(const SearchFieldInput& input, SearchParams& params);

/// The "&Opposition" centre at the params' instant: the apparent solar
/// longitude of date (Sun mode 1) + pi on the ecliptic, turned into
/// equatorial coordinates of date with the true obliquity; RA in [0, 24); h :=
/// 2.5 deg; kind degrees; opposition := true.
void SetOppositionCentre(SearchParams& params);

/// One object found.
struct SearchResult {
  std::uint8_t objectKind = 0;
  std::string name;
  std::string designation;
  std::int32_t recordNumber = 0;  ///< 1-based position in the converted file
  double ra = 0;                  ///< J2000 right ascension, hours
  double dec = 0;                 ///< J2000 declination, degrees
  float offsetRA = 0;             ///< |alpha - alpha0| (reduced to <= pi) cos delta (rad); comets: q (km)
  float offsetDec = 0;            ///< |delta - delta0| (rad); comets: e
  float mag = 0;
  float delta = 0;  ///< geocentric distance (AU)
  OrbitCodes codes{};
};

/// Sort orders of the results ("Order of List").
enum class SearchSortOrder : std::uint8_t {
  kDatabaseEntry = 0,
  kPositionOffset = 1,
  kMagnitude = 2,
  kDistance = 3,
  kRightAscension = 4,
  kQ = 5,  ///< comets: by offsetRA
  kE = 6,  ///< comets: by offsetDec
};

/// The parameters converted for the test (radians, Julian date).
struct PreparedSearch {
  long double jd = 0;
  long double ra0 = 0, dec0 = 0;
  long double raMin = 0, raMax = 0;  ///< a negative minimum gets 2 pi, a maximum above 2 pi loses 2 pi
  long double decMin = 0, decMax = 0;
  long double bright = 0, faint = 0;
  long double nearAu = 0, farAu = 0;
  long double minAltitude = 0;  ///< radians
};

/// What the search needs from the session.
struct SearchContext {
  platform::Platform& ui;
  SiteRecord site;          ///< the current site (transit test, report)
  bool expertMode = false;  ///< suppresses the computation warnings
};

/// Outcome of testing one object.
enum class TestOutcome { kRejected, kAccepted, kFailed };

/// How a scan is carried out. kStraightforward reads every record, turns it
/// into elements and tests it; kFast computes each elliptic orbit in double
/// precision first and passes on to the full test only the objects within a
/// safe margin of every limit, on all cores. Both find the same objects with
/// the same positions, in the same order, with the same messages.
enum class ScanStrategy { kStraightforward, kFast };

/// Counts of a scan.
struct ScanCounts {
  std::int64_t read = 0;
  std::int64_t found = 0;
  std::int64_t highestNumber = 0;  ///< highest integer designation read
  std::int64_t candidates = 0;     ///< objects given the full test (kFast)
};

/// The field search of one database ("TAstOrbFlSrch").
class TAstOrbFlSrch {
 public:
  explicit TAstOrbFlSrch(SearchContext context);
  virtual ~TAstOrbFlSrch() = default;

  SearchParams& Params() { return params_; }
  const PreparedSearch& Prepared() const { return prepared_; }
  RecordList<SearchResult>& Results() { return results_; }
  const ScanCounts& Counts() const { return counts_; }
  SearchSortOrder Order() const { return order_; }
  bool HasResults() const { return hasResults_; }
  SearchContext& Context() { return context_; }

  /// The parameters into radians (PreparedSearch); RA limits 24 h or more
  /// apart give the whole circle 0 to 2 pi; the result list emptied.
  virtual void Prepare();

  /// Tests one object at the prepared instant: a MinorBody (mode 2) for the
  /// elements, Geocentric; magnitude within bright..faint; distance within
  /// near..far; the J2000 place within the Dec limits and the RA window (a
  /// window through 0 h when RA min > RA max); then, when the minimum altitude
  /// is above 0, the transit test. An accepted object is appended to the
  /// results (offsets against the centre) and counted.
  /// @param earth shared Earth of the scan (may be null).
  /// @return kFailed only when the position cannot be computed.
  virtual TestOutcome TestObject(const OrbitElements& el, const CmoRecord& rec, std::int32_t recordNumber,
                                 const std::shared_ptr<EarthObj>& earth = nullptr);

  /// The transit test of an object whose J2000 RA at the instant is `raRad`:
  /// the hour angle from the local mean sidereal time gives the time t' of
  /// upper culmination, iterated until the RA at t' changes by less than 36";
  /// passes when the altitude there (Horizontal, of the place in the mean
  /// equator and equinox of t') is at least the minimum.
  /// False also when a position fails.
  bool TransitTest(const OrbitElements& el, long double raRad, const std::shared_ptr<EarthObj>& earth);

  /// Scans the converted file `path` with the progress window and messages:
  /// Prepare, then every record; a zero state vector shows "Orbit Computation
  /// Error", a failing object "Computational Error" (unless ExpertMode); at
  /// the end "Search Completed!". The sort order goes back to database entry.
  /// The search is dated (report's "Dated", loaded results) by the newest
  /// epoch among the records, else by `databaseDateTime`.
  /// @return false when the file cannot be opened (nothing shown: the caller
  ///         shows the database's own message).
  bool SearchFile(const std::string& path, ElementSource source, double databaseDateTime,
                  ScanStrategy strategy = ScanStrategy::kFast);

  /// Search for source 0, 1 or 3: `usable` tells whether the session's orbit
  /// file object (OpenLowell, OpenMPC, OpenTARNE) found a usable converted
  /// file at `convertedPath`; when it did not, or the file cannot be read, the
  /// "No ... Orbit Database!" message is shown (error icon) and false returned;
  /// else SearchFile.
  bool Search(const std::string& convertedPath, bool usable, ElementSource source, double databaseDateTime,
              ScanStrategy strategy = ScanStrategy::kFast);

  /// The results report (caption "Results of Asteroid Database Search").
  std::vector<std::string> ResultReport();

  /// Index of the first result line in ResultReport() (0-based).
  std::size_t FirstResultLine() const { return firstResultLine_; }

  /// Rebuilds the list by sorted insertion in ascending order of the key.
  void SortResults(SearchSortOrder order);

  /// Loads the result shown on report line `line` (0-based) as the current
  /// elements: record n of `convertedPath` read and turned into elements with
  /// its codes; the source and date-time of the last search go with it. A
  /// header line does nothing (false); a line past the last result beeps.
  /// An open failure shows "Orbit Database File Error!".
  bool LoadResult(std::size_t line, const std::string& convertedPath, CurrentElements& current);

  /// The source and database date-time of the last search.
  ElementSource SearchedSource() const { return searchedSource_; }
  const std::string& SearchedFile() const { return searchedFile_; }

 private:
  bool Scan(const std::string& path, ScanStrategy strategy, platform::ProgressWindow* progress);

  SearchContext context_;
  SearchParams params_;
  PreparedSearch prepared_;
  RecordList<SearchResult> results_;
  ScanCounts counts_;
  SearchSortOrder order_ = SearchSortOrder::kDatabaseEntry;
  bool hasResults_ = false;
  ElementSource searchedSource_ = ElementSource::kLowell;
  double searchedDateTime_ = 0;
  long double newestEpoch_ = 0;  ///< Julian date of the newest epoch the last scan read
  std::string searchedFile_;
  std::size_t firstResultLine_ = 0;
};

/// The message of a database that cannot be used, and its caption.
struct DatabaseMissingMessage {
  std::string text;
  std::string caption;
};
DatabaseMissingMessage MissingDatabaseMessage(ElementSource source);

/// The progress title of a scan: "Lowell Asteroid Database of " / "MPC
/// Asteroid Database of " + the file's date-time; for TARNE by the file name
/// ("MARLO_AST" / "MARLO_MPC").
std::string SearchProgressTitle(ElementSource source, const std::string& fileName, double fileDateTime);

/// A file's modification time as a date-time value; nothing when it does not exist.
std::optional<double> FileDateTimeValue(const std::string& path);

/// Default file name of the results report.
inline constexpr std::string_view kSearchReportPrefix = "SRCH";

}  // namespace skarvel
