// The report data file (".RPT"): the report's user, camera and site records,
// the catalogs used and the observation records, in the current layout and in
// the two older ones.
//
// Current layout: user record (758 bytes), camera record (69), site record
// (172), 11 catalog flags from offset 999, then 343-byte observation records
// from offset 1010 to the end. Versions 1.0 and 1.001 have 10 flags (no
// NOMAD) and records from 1009. Versions before 1.0: a 738-byte user block, a
// 67-byte camera block, a 170-byte site block, 9 flags, then 339-byte records
// from offset 984.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "astrometry/astrom_obs.h"
#include "platform/platform.h"

namespace skarvel {

/// Which layout a report data file has.
enum class ReportVersion { kCurrent = 0, kBefore1 = 1, kVersion1 = 2 };

/// The report in the current layout.
std::vector<std::uint8_t> SerializeReport(const AstromObsObj& report);

/// Writes the report to `path` through a temporary file, so that a failed save
/// leaves the previous file. False with "Unable to Open Report Data File for
/// Output!" ("Data File Error!") when the file cannot be created; a failure
/// while writing throws IOFailure.
bool WriteReportFile(const std::string& path, const AstromObsObj& report, platform::Platform& ui);

/// What a read did.
enum class ReportReadResult {
  kOpenFailed,  ///< the file could not be opened: nothing changed
  kReadFailed,  ///< a read failure: what was read stays; the loads lock until the report is cleared
  kLoaded,
};

/// Reads a report data file into `report`. With `loadParameters` the user,
/// camera and site records are taken from the file; without `merge` the
/// observation list is emptied first; the records are inserted in time order.
/// `oldReportFormat` is the option: loading the parameters of a file before
/// 1.0 without it asks to verify them.
ReportReadResult ReadReportFile(const std::string& path, ReportVersion version, bool loadParameters, bool merge,
                                bool oldReportFormat, AstromObsObj& report, platform::Platform& ui);

}  // namespace skarvel
