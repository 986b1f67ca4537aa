// Which object an observation names in the report: its number, its
// provisional designation, or, for an object without either, a temporary
// designation of the observer's own. The 80-column line, the split-line
// records and the ADES forms all take the identification from here, so that
// one observation is named the same way in each of them.
#pragma once

#include <string>

#include "astrometry/obs_params.h"

namespace skarvel {

/// The identification of one observation.
struct ReportIdentity {
  std::string number;       ///< the Number field as typed, or the number the object name starts with ("1620 GEOGRAPHOS")
  std::string designation;  ///< the Designation field as stored, or the packed form of a name that is a designation
  std::string trkSub;       ///< without number and designation: the name's first 7 characters of [-A-Za-z0-9_]

  /// A number or a designation: the Minor Planet Center can tell which object it is.
  bool Identified() const { return !number.empty() || !designation.empty(); }
  /// Nothing at all names the object: its report line would be refused.
  bool Empty() const { return number.empty() && designation.empty() && trkSub.empty(); }
};

/// Longest temporary designation: columns 6-12 of the 80-column line.
inline constexpr std::size_t kTrkSubMax = 7;

/// The identification of an observation (contract in ReportIdentity).
///
/// Number: the trimmed Number field when it is not empty; otherwise, for a
/// minor planet whose name is not itself a designation, the leading number of
/// the name when it stands alone or before a blank ("433 Eros", "(433) Eros",
/// "1620"; 0 and numbers past the packed range are not numbers).
/// Designation: the trimmed Designation field when not empty; otherwise the
/// name packed in the seven-character form when the whole name (for a comet,
/// after a "P/", "C/", "D/", "X/" or "A/" prefix) is a readable designation
/// ("2004 MN4" gives "K04M04N").
/// Temporary designation: only when there is neither, from the name.
ReportIdentity ReportIdentityOf(const ObsParams& params);

/// The object of one image's parameters was edited from `before` to `after`:
/// another image of the set, `other`, whose object name, number and
/// designation were the same as `before`'s, takes the new three (its own time,
/// observer and note stay). True when `other` changed.
bool CarryIdentification(const ObsParams& before, const ObsParams& after, ObsParams& other);

/// The characters a temporary designation may hold ([-A-Za-z0-9_]) of a text, at most `max`.
std::string TemporaryDesignationOf(const std::string& text, std::size_t max = kTrkSubMax);

}  // namespace skarvel
