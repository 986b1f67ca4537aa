// Readers of the two on-line answer formats: the "|"-separated table of the
// USNO-style cone search and VizieR's tab-separated ASU answer. Both give the
// stars at the catalog's epoch with their proper motions; ReadAnswerField
// moves them to the observation time and applies the window test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogs/catalog_star.h"
#include "catalogs/field_parameters.h"
#include "catalogs/online_catalogs.h"

namespace skarvel {

/// A message box the reading asks for.
struct AnswerMessage {
  std::string text;
  std::string caption;
};

/// The stars of one answer, positions at `epochJD`.
struct OnlineAnswer {
  std::vector<CatalogStar> stars;
  long double epochJD = 2451545.0L;
  /// PmRA is mu_alpha* (a great-circle rate): the RA moves by PmRA / cos(Dec).
  /// Off for the USNO-style table, whose RA moves by PmRA alone.
  bool pmAlongGreatCircle = false;
};

/// Result of reading an answer.
struct AnswerResult {
  bool ok = false;                     ///< the answer was read (it may still hold no star)
  OnlineAnswer answer;
  std::vector<AnswerMessage> messages; ///< the boxes to show, in order (an error is the last)
};

/// Reads the USNO-style table: the lines up to and including the first one
/// beginning with "END" or "#END" are skipped; then the column header, the
/// coordinate format line and one star per line ("#" lines ignored). Columns
/// are found by their names in the header. A star is taken when its magnitude
/// of `colourChoice` is non-zero and below 30. A line with non-numeric data
/// adds a "B1 Data Conversion Error!" message and is skipped. Not ok, with the
/// message of the fault, when "END" is missing, the header has no " RA|", the
/// identifier or declination column is missing, or the coordinate format is
/// neither decimal nor sexagesimal.
AnswerResult ReadUSNOAnswer(std::string_view text, const OnlineCatalog& catalog, std::uint8_t colourChoice,
                            bool defaultRefMags);

/// Reads VizieR's tab-separated answer (one or more tables, each a "#" block,
/// an empty line, the column names, their units and a line of dashes, then
/// the rows). Columns are found by name. A row without the chosen magnitude,
/// or with 0 or 30 and above, is left out. Not ok, with a message naming the
/// catalog, for an HTML page, an "#INFO ... Error" or "#++++" report, a missing
/// column, a row with non-numeric data, an answer cut off before its last line
/// ended, and an answer without any row.
AnswerResult ReadVizieRAnswer(std::string_view text, const OnlineCatalog& catalog, std::uint8_t colourChoice,
                              bool defaultRefMags);

/// The stars of `answer` moved to `julianDate` by their proper motions
/// (T = (JD - epoch) / 365.25 years; Dec += T PmDec / 3600 degrees, RA += T
/// PmRA / 54000 hours, divided by cos Dec for a great-circle rate) that pass
/// the window test; the RA is kept within [0, 24).
std::vector<CatalogStar> ReadAnswerField(const OnlineAnswer& answer, const SearchWindow& window,
                                         long double julianDate);

}  // namespace skarvel
