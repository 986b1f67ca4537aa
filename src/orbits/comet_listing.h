// "Search MPC &Comet File...": the place of every comet of the comet file at
// one instant (no limits), its report "Results of Comet Orbit File Search"
// with its sort orders and the double click that loads a comet; and the comet
// picker "Select an Orbit Record" of "MPC &Comet File...".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/observer_records.h"
#include "config/record_list_forms.h"
#include "foundations/record_list.h"
#include "orbits/ephemeris.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_search.h"
#include "platform/platform.h"

namespace skarvel {

inline constexpr std::string_view kCometSearchCaption = "Search Comet Orbit File";
inline constexpr std::string_view kCometSearchPrompt =
    "Program will list positions of all comets in file at specified time.";
inline constexpr std::string_view kCometResultsCaption = "Results of Comet Orbit File Search";

/// The instant fields of `TCometSrchDlg1` (as the ephemeris dialog's).
struct CometSearchFields {
  int dateFormat = 0;  ///< 0 calendar, 1 Julian date
  std::string date, time, julianDate;
};

class CometSearchDialogLogic {
 public:
  /// On the session's instant (the fields are filled at once).
  CometSearchDialogLogic(DateTimeObj& instant, std::int32_t currentYear, platform::Platform& ui);
  CometSearchFields fields;
  void LeaveCalendarFields();
  void LeaveJulianField();
  /// OK: the instant from the enabled form; a bad date shows its message and keeps the dialog open.
  bool Ok();

 private:
  void Load();
  DateTimeObj& instant_;
  std::int32_t currentYear_;
  platform::Platform& ui_;
};

/// Every comet of `comets` at Julian date `jd`: geocentric astrometric J2000
/// place (comets whose place cannot be computed are left out), magnitude,
/// distance, and q (km) and e in the two offset fields; record numbers count
/// the comets from 1.
RecordList<SearchResult> ListComets(CometFileObj& comets, long double jd);

/// Sorts the listing in ascending order of the key (database entry, magnitude,
/// distance, right ascension, q or e); equal keys keep their order.
void SortComets(RecordList<SearchResult>& results, SearchSortOrder order);

/// The report: "Searched: MPC Comet File Dated " + the file's date-time, the
/// count, the ephemeris date line, the order, the column headers and one
/// line per comet (designation and name, RA, Dec, magnitude, distance, q, e).
/// `firstResultLine` receives the index of the first comet line.
std::vector<std::string> CometReport(RecordList<SearchResult>& results, double fileDateTime, long double jd,
                                     SearchSortOrder order, std::size_t* firstResultLine = nullptr);

/// The comet listing window's content: the report, "S&ort List" ("By
/// Data&base Entry", "By &Magnitude", "By &Distance", "By &Right
/// Ascension", "By &q", "By &e") and the double click that loads a comet.
class CometResultsList : public InfoList {
 public:
  CometResultsList();
  /// A new listing (database order).
  void Set(RecordList<SearchResult> results, double fileDateTime, long double jd, const std::string& reportFolder);
  RecordList<SearchResult>& Results() { return results_; }
  SearchSortOrder Order() const { return order_; }
  /// The comet (0-based position in the comet file) on report line `line`;
  /// -1 for a header line, and a beep for a line past the last comet.
  int CometAtLine(int line, platform::Platform& ui);
  /// A double click on a comet line (the owner loads the comet).
  std::function<void(int line)> onLoad;

 protected:
  void SortBy(int index) override;
  void DoubleClick(int line, ListCommandContext& context) override;

 private:
  void Rebuild();
  RecordList<SearchResult> results_;
  double fileDateTime_ = 0;
  long double jd_ = 0;
  std::string folder_;
  SearchSortOrder order_ = SearchSortOrder::kDatabaseEntry;
  std::size_t firstResultLine_ = 0;
};

/// The elements of comet `index` (0-based) of the file as the current elements
/// (source "MPC Comet File", the file's date). False for an index outside the file.
bool TakeComet(CometFileObj& comets, int index, CurrentElements& current);

/// "Select an Orbit Record" of "MPC &Comet File...": every comet as its
/// designation padded with blanks to 10 characters and its name.
class CometOrbListForm : public RecordChoiceList {
 public:
  explicit CometOrbListForm(CometFileObj& comets);

 protected:
  void Activated() override;
};

}  // namespace skarvel
