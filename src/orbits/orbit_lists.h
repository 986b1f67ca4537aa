// The two list windows of the orbit commands, without any windowing: the
// "VORN Ephemeris Report" (`EphemListForm`) with its "&Chart" command, and
// the "Results of Asteroid Database Search" (`LocateListForm`) with its sort
// orders and the double click that loads a result.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/info_list.h"
#include "orbits/orbit_search.h"

namespace skarvel {

/// The ephemeris report window's content.
class EphemerisList : public InfoList {
 public:
  EphemerisList();

  /// Replaces the lines by a new report; the default text file becomes the
  /// lowest free "EPHEM001.TXT".."EPHEM999.TXT" of `reportFolder`.
  void Build(std::vector<std::string> lines, const std::string& reportFolder);
  /// The table record (0-based) shown on `line`, or nothing for a header, note or element line.
  std::optional<std::size_t> RecordAtLine(int line) const;
  /// The record under the selected line, or nothing.
  std::optional<std::size_t> SelectedRecord() const { return RecordAtLine(Selected()); }
  std::size_t FirstTableLine() const { return firstTableLine_; }
  std::size_t TableLines() const { return tableLines_; }

  /// "&Chart": the chart dialog with "Plot Generated Ephemeris" ticked.
  std::function<void()> onChart;

 protected:
  bool OwnerCommand(const std::string& name, ListCommandContext& context) override;

 private:
  std::size_t firstTableLine_ = 0;
  std::size_t tableLines_ = 0;
};

/// The search results window's content, on the session's search.
class SearchResultsList : public InfoList {
 public:
  explicit SearchResultsList(TAstOrbFlSrch& search);

  /// Rebuilds the report from the search (after a search or a sort); the
  /// default text file becomes the lowest free "SRCH001.TXT".."SRCH999.TXT" of `reportFolder`.
  void Rebuild(const std::string& reportFolder);
  /// True once the report has been built and no new search has been made since.
  bool Built() const { return built_; }
  /// A new search: the report is to be built again before it is shown.
  void Invalidate() { built_ = false; }

  /// A double click on report line `line` (0-based); the owner loads the result.
  std::function<void(int line)> onLoad;

 protected:
  void SortBy(int index) override;
  void DoubleClick(int line, ListCommandContext& context) override;

 private:
  TAstOrbFlSrch& search_;
  std::string folder_;
  bool built_ = false;
};

/// Caption of the results window.
inline constexpr std::string_view kSearchResultsCaption = "Results of Asteroid Database Search";

}  // namespace skarvel
