#include "orbits/orbit_lists.h"

namespace skarvel {

namespace {

/// The second column-header line of the ephemeris table, which the table lines follow.
constexpr std::string_view kEphemerisUnitsStart = "Yr   M  D    H  M  S";

/// The sort items of the results window, in the order of SearchSortOrder.
constexpr const char* kSortCaptions[] = {"By Data&base Entry", "By Position &Offset", "By &Magnitude", "By &Distance",
                                         "By &Right Ascension"};

}  // namespace

EphemerisList::EphemerisList() : InfoList(std::string(kEphemerisReportCaption)) {
  Menu().SetVisible("Plot1", true);
}

void EphemerisList::Build(std::vector<std::string> lines, const std::string& reportFolder) {
  firstTableLine_ = lines.size();
  tableLines_ = 0;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].rfind(kEphemerisUnitsStart, 0) == 0) {
      firstTableLine_ = k + 1;
      break;
    }
  }
  // Table lines begin with the four-digit year; the notes or elements follow them.
  for (std::size_t k = firstTableLine_; k < lines.size(); ++k) {
    const std::string& l = lines[k];
    if (l.size() < 4 || l.find_first_not_of("0123456789", 0) < 4) break;
    ++tableLines_;
  }
  SetLines(std::move(lines));
  SetTextFile(NumberedFileName(reportFolder, "EPHEM", ".TXT"), reportFolder);
}

std::optional<std::size_t> EphemerisList::RecordAtLine(int line) const {
  if (line < 0) return std::nullopt;
  const auto l = static_cast<std::size_t>(line);
  if (l < firstTableLine_ || l >= firstTableLine_ + tableLines_) return std::nullopt;
  return l - firstTableLine_;
}

bool EphemerisList::OwnerCommand(const std::string& name, ListCommandContext&) {
  if (name != "Plot1") return false;
  if (onChart) onChart();
  return true;
}

SearchResultsList::SearchResultsList(TAstOrbFlSrch& search)
    : InfoList(std::string(kSearchResultsCaption)), search_(search) {
  for (int k = 0; k < 5; ++k) SetSortCaption(k + 1, kSortCaptions[k], k == 0);
}

void SearchResultsList::Rebuild(const std::string& reportFolder) {
  folder_ = reportFolder;
  SetLines(search_.ResultReport());
  const int checked = static_cast<int>(search_.Order()) + 1;
  for (int k = 1; k <= 5; ++k) Menu().SetChecked("Sort" + std::to_string(k), k == checked);
  if (TextFileName().empty() || !SavedAsText())
    SetTextFile(NumberedFileName(reportFolder, std::string(kSearchReportPrefix), ".TXT"), reportFolder);
  built_ = true;
}

void SearchResultsList::SortBy(int index) {
  if (index < 1 || index > 5) return;
  search_.SortResults(static_cast<SearchSortOrder>(index - 1));
  Rebuild(folder_);
}

void SearchResultsList::DoubleClick(int line, ListCommandContext&) {
  if (onLoad) onLoad(line);
}

}  // namespace skarvel
