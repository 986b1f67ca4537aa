// The dialogs of the mean motion and the baseline without any windowing: the
// "Recorded Observations" picker choosing two observations of the report, the
// texts of "Positions for Mean Motion", and "Compute Baseline Between Two Sites"
// with its two sites.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "astrometry/astrom_obs.h"
#include "foundations/record_list.h"
#include "orbits/mean_motion.h"
#include "orbits/orbit_lists.h"

namespace skarvel {

/// The rules of the "Recorded Observations" picker: a list of the report's
/// observations from which exactly two are chosen.
class ObservationPicker {
 public:
  enum class Result { kGoOn, kDone, kCancelled };

  /// The picker's lines for `report`: a blank line, two header lines, one line per observation.
  explicit ObservationPicker(const AstromObsObj& report);

  const std::vector<std::string>& Lines() const { return lines_; }
  /// The observation (0-based) shown on `line`, or nothing for a header line.
  std::optional<std::size_t> ObservationAt(int line) const;
  /// The selected lines in the order they were chosen.
  const std::vector<int>& Selected() const { return selected_; }

  /// On opening: "Select 2 observations from list for mean motion calculation.".
  void Open(platform::Platform& ui) const;
  /// The person selects `line`. A header line ("Not An Observation Record!")
  /// or a third line ("Too Many Records Selected!") is not kept. With two
  /// lines the person is asked "Have You Selected the Desired Records?": Yes
  /// is kDone, No goes on selecting, Cancel is kCancelled (selection cleared).
  Result Select(int line, platform::Platform& ui);
  /// The person deselects `line` (nothing when it is not selected).
  void Deselect(int line);
  /// The two observations chosen, first chosen first; nothing unless two are selected.
  std::optional<std::pair<std::size_t, std::size_t>> Chosen() const;

 private:
  std::vector<std::string> lines_;
  std::size_t headerLines_ = 0;
  std::vector<int> selected_;
};

/// The record picker of the baseline dialog (`TObsSlctForm`): lines of which
/// a run stands for the records; OK takes the record under the selected line.
class RecordPicker {
 public:
  enum class Kind { kObservation, kEphemeris };

  /// `lines` shown; line first + k stands for record k (k < records).
  RecordPicker(Kind kind, std::vector<std::string> lines, std::size_t first, std::size_t records);

  Kind GetKind() const { return kind_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  /// The record (0-based) shown on `line`, or nothing for a header or a line past the records.
  std::optional<std::size_t> RecordAt(int line) const;
  /// "Select Observation Record" / "Select Ephemeris Record"; after an OK on a
  /// wrong line "Not an Observation Record!" / "Not an Ephemeris Record!".
  const std::string& Caption() const { return caption_; }
  /// "Select an Observation Record for baseline calculation.  Press "OK" when
  /// ready." (or the ephemeris one); after a wrong line "Select an Observation
  /// Record and Press "OK"!" (or the ephemeris one).
  const std::string& Prompt() const { return prompt_; }
  /// OK with `line` selected (-1: none): the record under it; on a line that
  /// stands for no record the caption and prompt say so and nothing is returned
  /// (the picker stays open).
  std::optional<std::size_t> Ok(int line);

 private:
  Kind kind_;
  std::vector<std::string> lines_;
  std::size_t first_, records_;
  std::string caption_, prompt_;
};

/// The lines of the observation lists: a blank line, the two column headers
/// (the first column the designation), one line per observation of `report`;
/// `headerLines` is set to the number of lines before the first observation.
std::vector<std::string> ObservationListLines(const AstromObsObj& report, std::size_t& headerLines);

/// The "Positions for Mean Motion" dialog's state: the texts of its fields.
struct MeanMotionForm {
  std::string name;
  int dateFormat = 0;  ///< 0 calendar, 1 Julian date
  MotionPointFields first, second;
};

/// The "Compute Baseline Between Two Sites" dialog's logic.
class BaselineDialogLogic {
 public:
  /// Site 1 starts as `currentSite`, site 2 empty with North and West set;
  /// neither is confirmed. The target instant is `now` (a date-time value, UT).
  BaselineDialogLogic(const SiteRecord& currentSite, double now, std::int32_t currentYear, platform::Platform& ui);

  /// The target fields (date and time are UT for the baseline).
  MotionPointFields target;
  int dateFormat = 0;

  SiteRecord& Site(int n) { return n == 1 ? site1_ : site2_; }
  const SiteRecord& Site(int n) const { return n == 1 ? site1_ : site2_; }
  bool Confirmed(int n) const { return n == 1 ? confirmed1_ : confirmed2_; }
  /// OK is enabled once both sites are confirmed.
  bool OkEnabled() const { return confirmed1_ && confirmed2_; }
  /// The caption of the site dialog of site n: "Baseline Parameters - Site" + n.
  static std::string SiteCaption(int n) { return "Baseline Parameters - Site" + std::to_string(n); }
  /// "Site &n": `siteDialog` edits a copy of the site under its caption; after
  /// OK the site is taken and counts as confirmed unless its zero longitude and
  /// latitude are refused. Returns whether the site is confirmed now.
  bool EditSite(int n, const std::function<bool(SiteRecord&, const std::string& caption)>& siteDialog);
  /// The records "Obs. &Data" and "&Eph. Data" choose from: the observations
  /// of `report` (null: none) and the records of `table` with the lines of its
  /// report window `ephemerisReport` (when that shows another table, or none,
  /// the picker lists the table's own lines under the column headers).
  void SetRecords(const AstromObsObj* report, RecordList<EphemerisRecord>& table,
                  const EphemerisList& ephemerisReport);
  /// "Obs. &Data" is enabled when the report has observations.
  bool ObservationDataEnabled() const { return !observations_.empty(); }
  /// "&Eph. Data" is enabled when an ephemeris table exists.
  bool EphemerisDataEnabled() const { return !ephemeris_.empty(); }
  /// "Obs. &Data" / "&Eph. Data": `pickerWindow` runs the picker (the record
  /// chosen, or nothing when cancelled); the record's instant (date, time and
  /// Julian date), right ascension and declination then fill the target
  /// fields. True when they were filled; nothing happens while the button is disabled.
  bool PickRecord(RecordPicker::Kind kind, const std::function<std::optional<std::size_t>(RecordPicker&)>& pickerWindow);

  /// OK: the target read and checked, the baselines and their report lines
  /// made; false keeps the dialog open (a site unconfirmed, a message shown).
  bool Ok();
  /// The "VORN Astrometric Baseline Report" lines of the last successful OK.
  const std::vector<std::string>& ReportLines() const { return reportLines_; }
  const BaselineResult& Result() const { return result_; }

 private:
  platform::Platform& ui_;
  std::int32_t currentYear_;
  SiteRecord site1_, site2_;
  bool confirmed1_ = false, confirmed2_ = false;
  BaselineResult result_;
  std::vector<std::string> reportLines_;
  /// The pickable records (instant as a Julian date, place) and their picker lines.
  std::vector<MotionPoint> observations_, ephemeris_;
  std::vector<std::string> observationLines_, ephemerisLines_;
  std::size_t observationFirst_ = 0, ephemerisFirst_ = 0;
};

}  // namespace skarvel
