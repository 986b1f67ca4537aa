// "Orbit &Statistics (MPC)": the records of the converted MPC database
// counted by orbit group (the MPC orbit type in code 5, 1 to 17; type 0
// counts as 1), with the potentially hazardous (code 3 bit 128), critical
// list (bit 64) and one-opposition (bit 32) objects of each group, and the
// "MPC Asteroid Database Orbit Statistics" text.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "orbits/orbit_elements.h"

namespace skarvel {

/// The counters of one orbit group.
struct OrbitGroupCounts {
  std::int64_t total = 0;
  std::int64_t pha = 0;            ///< potentially hazardous
  std::int64_t critical = 0;       ///< MPC critical list
  std::int64_t oneOpposition = 0;  ///< one-opposition objects seen at an earlier opposition
};

/// Number of MPC orbit types with a counter set (1-17).
inline constexpr std::size_t kOrbitGroups = 17;

struct OrbitStatisticsCounts {
  std::array<OrbitGroupCounts, kOrbitGroups> groups{};  ///< index = orbit type - 1
  std::int64_t records = 0;
  std::int64_t highestNumber = 0;  ///< highest integer designation
  long double newestEpoch = 0;     ///< Julian date of the newest epoch of osculation, 0 when none

  /// Counts one record by its designation and codes. Types above 17 have no
  /// counter set and count only as a record.
  void Add(const std::string& designation, const OrbitCodes& codes);
};

/// Counts every record of the converted file `path`, calling `progress`
/// with (records read, records in the file) about a hundred times.
/// Only the designation and codes of each record are decoded.
/// @throws IOFailure when the file cannot be read.
OrbitStatisticsCounts CountOrbitStatistics(const std::string& path,
                                           const std::function<void(std::int64_t, std::int64_t)>& progress = {});

/// The date of a converted database as a date-time value (days since
/// 1899-12-30): its newest epoch of osculation (a Julian date) when it has
/// one, else `fallback` (the file's time). The MPC and Lowell databases give
/// every record the epoch of their issue; a file's time is only when it was
/// copied.
double DatabaseDateTime(long double newestEpochJd, double fallback);

/// The later of two epochs (Julian dates); a value that is not a finite,
/// positive date does not count.
long double NewerEpoch(long double newest, long double epoch);

/// Caption of the statistics window.
inline constexpr std::string_view kOrbitStatisticsCaption = "MPC Asteroid Database Orbit Statistics";

/// The window's text: "Searched: MPC Orbit Database Dated " + the database's
/// date-time, the counts, the column legend and the groups (labels
/// right-aligned in 46 characters, the counters in 6, 10, 10 and 10).
std::vector<std::string> OrbitStatisticsReport(const OrbitStatisticsCounts& counts, double databaseDateTime);

}  // namespace skarvel
