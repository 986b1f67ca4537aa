// The record finder "Find Asteroid Orbit Record" (`TAstOrbFlDlg`) of the
// "&Lowell Database...", "&MPC Database..." and "&TARNE Orbit File..." items:
// one record of a converted orbit file found by name (a part of it, case
// ignored) or by number or packed designation (exactly), and taken as the
// current elements.
//
// Usage: RecordFinder finder(ui); if (finder.Open(path, source, date)) { the
// dialog sets mode and key, calls SearchFromTop / ContinueSearch, shows
// Result(), and closes when Ok(current) is true }.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "orbits/ephemeris.h"
#include "orbits/orbit_files.h"
#include "platform/platform.h"

namespace skarvel {

inline constexpr std::string_view kRecordFinderCaption = "Find Asteroid Orbit Record";

/// "Find By" (`FindOptGrp`).
enum class FindMode : std::uint8_t {
  kName = 0,    ///< "Name/Provisional Designation (or Partial)"
  kNumber = 1,  ///< "Number/Packed Provisional Designation"
};

/// Longest key and hint of a mode.
int FindKeyLength(FindMode mode);
std::string_view FindKeyHint(FindMode mode);

/// The "Searching:" text of a source: "Lowell Orbit Database (ASTORB)",
/// "MPC Orbit Database (MPCORB)" or "TARNE Orbit Database".
std::string_view FinderSourceText(ElementSource source);

class RecordFinder {
 public:
  explicit RecordFinder(platform::Platform& ui) : ui_(ui) {}

  /// Opens the converted file of `source` (dated `dateTime`, a date-time value).
  /// @return false when it cannot be read (nothing shown: the caller shows the database's message).
  bool Open(const std::string& path, ElementSource source, double dateTime);

  FindMode mode = FindMode::kName;
  std::string key;  ///< `KeyEd`

  /// "Search from &Top": from the first record; in number mode, after a
  /// search that found its record, a key not smaller (as text) than the
  /// designation of the record last read goes on from there instead.
  void SearchFromTop();
  /// "Continue &Search": from the record after the last match.
  void ContinueSearch();
  /// "Search Result:": "(" + designation + ") " + name, "Record Not Found!", or "" before a search.
  const std::string& Result() const { return result_; }
  bool Matched() const { return matched_; }
  const std::string& Searching() const { return searching_; }
  /// The record shown, when one matched.
  const CmoRecord* Match() const { return matched_ ? &match_ : nullptr; }
  /// Position of the record shown in the file (1-based), 0 without a match.
  std::int64_t MatchRecord() const { return matched_ ? matchRecord_ : 0; }

  /// "&OK": the record shown becomes the current elements with its codes,
  /// source and file date; a record whose state vector is zero shows "State
  /// vector is invalid!..." ("Orbit Computation Error") and keeps the dialog
  /// open. Without a match nothing is taken.
  /// @return true when the dialog may close; `taken` tells whether elements were taken.
  bool Ok(CurrentElements& current, bool* taken = nullptr);

 private:
  void Search();
  bool Matches(const CmoRecord& rec) const;

  platform::Platform& ui_;
  std::string path_;
  ElementSource source_ = ElementSource::kLowell;
  double dateTime_ = 0;
  std::string searching_;
  std::unique_ptr<CmoFileReader> reader_;
  std::int64_t read_ = 0;
  CmoRecord last_;
  bool searched_ = false;
  bool matched_ = false;
  CmoRecord match_;
  std::int64_t matchRecord_ = 0;
  std::string result_;
};

/// The message of a converted record without a state vector, as the search shows it.
std::string InvalidStateVectorText(const CmoRecord& rec, bool twoBlanks);

}  // namespace skarvel
