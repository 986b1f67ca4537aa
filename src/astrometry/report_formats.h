// The text forms of the report: the MPC short (electronic) and long (text)
// forms with their headers, in the 80-column or the split-line layout, the
// exercise form and the comma-separated spreadsheet lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "astrometry/astrom_obs.h"

namespace skarvel {

/// Names as the short header writes them: lower-cased, double blanks
/// reduced, each word but the last (and words ending in "." or ",") cut to its
/// initial and "."; then initials and words after a blank or "-" capitalised.
/// "john quincy public" gives "J. Q. Public"; "Smith, John" stays "Smith, John".
std::string AbbreviateNames(const std::string& text);

/// The site code of the 80-column header and lines: a 4-character code
/// loses a leading "0"; "XXX" without a code. (Split-line: a 3-character code
/// gains a leading "0"; "XXXX" without.)
std::string SiteCode80(const SiteRecord& site);
std::string SiteCodeSplit(const SiteRecord& site);
/// A roving observer: the site code is "247" or "0247".
bool RovingObserver(const SiteRecord& site);

/// The 80-column line of an observation (80 characters) and, for a roving
/// observer, its second line. Right ascensions that round to 24 h are written
/// 00 00 00.00 and day fractions that round up carry into the date.
/// The day is written with Day80Decimals(timingErrorMs) decimals (columns 24-31, or 24-32 with 6).
std::vector<std::string> ObservationLines80(const ObservationRecord& obs, const SiteRecord& site,
                                            int timingErrorMs = 0);

/// Decimals of the day in the 80-column line for the camera record's timing
/// precision (milliseconds): the split-line layout's rule (the integer part of
/// |log10(precision in days)| + 1) held to 5 ... 6, so a time known to 0.1 s
/// or better gets 6 decimals (0.0864 s); 5 when the precision is not known.
int Day80Decimals(int timingErrorMs);
/// The split-line records of an observation (two 66-character lines each).
std::vector<std::string> ObservationLinesSplit(const ObservationRecord& obs, const SiteRecord& site,
                                               const CameraRecord& camera, const CatalogsUsed& catalogs);

/// What a report text is made of.
struct ReportText {
  std::string title;
  std::vector<std::string> lines;
  int headerLines = 0;      ///< lines before the first observation
  int linesPerObservation = 1;
};

/// The short or long form (`obs.shortForm`) in the 80-column (`oldFormat`) or
/// split-line layout. `reportFileName` and `reportSaved` make the title.
/// Unless `obs.quietRefresh`, the acknowledgement is renewed with `now`
/// ("YYYY/MM/DD" and the long time) and `editAcknowledgement` is called (the
/// "Edit Acknowledgement Message" dialog; may be empty).
ReportText BuildReport(AstromObsObj& obs, bool oldFormat, const std::string& reportFileName, bool reportSaved,
                       const std::string& now, const std::function<void(AstromObsObj&)>& editAcknowledgement);

/// The exercise form ("Astrometric Results").
ReportText BuildExerciseReport(const AstromObsObj& obs);

/// The lines of the spreadsheet file.
std::vector<std::string> SpreadsheetLines(const AstromObsObj& obs);

/// The default name of the report's text file: `reportFileName` up to its
/// first "." + "RPT.TXT", or, without one, the month's first three letters
/// and the day of `today` (a date-time value) + "RPT.TXT" ("Jan5RPT.TXT").
std::string DefaultReportTextName(const std::string& reportFileName, double today);

}  // namespace skarvel
