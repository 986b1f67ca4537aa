// The help text window `THelpWin` without a window: reading one topic out of
// a help text file, the history of topics shown, and the printed page.
//
// A help text file whose first line begins with "*" holds several topics,
// each after a header line holding "*" and the topic's title:
//
//   *Loading Images*
//   text of the topic ...
//   *Blinking*
//   ...
//
// Any other file is one topic (up to a line that begins and ends with "*").
// Lines longer than 72 characters are wrapped; every shown line is framed by
// two blanks on each side, and one blank line stands above and below the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astrometry/info_list.h"
#include "config/session_log.h"
#include "foundations/record_list.h"
#include "platform/platform.h"
#include "shell/help_list.h"

namespace skarvel {

/// Width a help text line is wrapped at (characters).
inline constexpr std::uint16_t kHelpWrapWidth = 72;
/// Largest help text file read (bytes); a larger one is refused as invalid input.
inline constexpr std::uint64_t kHelpFileMax = 4u << 20;
/// Widest a topic's lines must be to count as text (pixels).
inline constexpr int kHelpMinTextWidth = 200;

/// One topic as read from a help text file.
struct HelpTopicText {
  bool found = false;              ///< the topic's header line was found (always, in a one-topic file)
  std::vector<std::string> lines;  ///< the shown lines: " ", each "  " + text + "  ", " "
  int relatedTopicsLine = -1;      ///< index in `lines` of the last line holding "RELATED TOPICS"; -1 when none
};

/// Reads the topic titled `title` (already without leading blanks) from the
/// bytes of a help text file (the harness entry point of the reader). In a
/// several-topic file the text follows the first line that, in lower case,
/// holds "*" and the title in lower case; not found: `found` false and no
/// lines. The text ends before a non-empty line that begins and ends with "*",
/// or at the end of the file. A line of at most 72 characters is shown framed
/// ("  " + line + "  ") and marks RELATED TOPICS (any letter case); a longer
/// one is wrapped by LineSplitter at 72 and each piece framed.
HelpTopicText ReadHelpTopic(std::string_view bytes, std::string_view title);

/// The help window's state and its load, history and search steps.
class HelpWindowLogic {
 public:
  /// CurrentHelpTopic := a copy of `entry`; the directory its file is looked up in.
  void SetTopic(const HelpTopicEntry& entry, const std::string& directory);

  /// The show step (the window becomes visible): with RecordInHistory on, the
  /// topic is appended to the history unless the history's last title equals
  /// it exactly; "&Back" := at least two entries.
  void ShowStep();

  /// The load step: reads the topic's file, fills the lines, sizes the window.
  /// Tells "THelpWin Parameters Not Set!", "Cannot Access Help File ..."
  /// ("Help Not Available"), "Help Topic: ..." ("Topic Not Found" or "No Text
  /// for Topic") as the steps find them.
  /// @param topicListExists enables "Show Help &Topics..." after a good load.
  void LoadStep(const TextMetrics& metrics, bool topicListExists, platform::Platform& ui);

  /// The window closes: the history is cleared while ClearHistoryOnClose is on.
  void Close();

  /// "&Back": the entry before the last is taken out of the history and looked
  /// up in `list` (may be null); found, it becomes the topic (SelectedTopicIndex
  /// set) and the result is true: the window is to reload with RecordInHistory
  /// off. "&Back" follows the entries that remain.
  bool Back(HelpList* list, const std::string& programDir);

  /// The double click on line `line`: below or on the RELATED TOPICS line
  /// nothing; else the line's text is looked up in `list`; found, it becomes
  /// the topic and the result is true: the window is to reload with
  /// RecordInHistory on. An empty line (which would name a separator) and a
  /// heading's title open nothing.
  bool RelatedTopic(int line, HelpList* list, bool caseDependent, const std::string& programDir);

  /// "&Search Text...": the search dialog captioned "Find Help Item" and the
  /// joined-line search; a hit selects its line.
  void SearchText(SearchDialogState& search, ListDialogs& dialogs, platform::Platform& ui);

  // ---- state ----
  const std::optional<HelpTopicEntry>& CurrentTopic() const { return currentTopic_; }
  const std::string& Directory() const { return directory_; }
  const std::string& CurrentTitle() const { return currentTitle_; }
  const std::string& Path() const { return path_; }
  /// "Help - " + the current title once a load began.
  const std::string& Caption() const { return caption_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  int RelatedTopicsLine() const { return relatedTopicsLine_; }
  bool Loaded() const { return loaded_; }
  int Selected() const { return selected_; }
  void Select(int line) { selected_ = line >= 0 && line < static_cast<int>(lines_.size()) ? line : -1; }
  bool BackEnabled() const { return backEnabled_; }
  bool ShowTopicsEnabled() const { return showTopicsEnabled_; }
  /// The titles in the history, oldest first.
  std::vector<std::string> HistoryTitles() const;
  /// Client size after the last good load (0 x 0 before one).
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  /// Bumped whenever the lines change, so a view redraws only then.
  std::uint64_t Version() const { return version_; }

  bool recordInHistory = true;
  bool clearHistoryOnClose = true;

 private:
  void SetLines(std::vector<std::string> lines);

  std::optional<HelpTopicEntry> currentTopic_;
  std::string directory_;
  std::string currentTitle_;
  std::string path_;
  std::string caption_;
  std::vector<std::string> lines_;
  int relatedTopicsLine_ = -1;
  bool loaded_ = false;
  int selected_ = -1;
  RecordList<HelpTopicEntry> history_;
  bool backEnabled_ = false;
  bool showTopicsEnabled_ = false;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  std::uint64_t version_ = 0;
};

/// Fixed exercise caption at the head of a help printout's job title.
inline constexpr const char* kHelpPrintCaption = "VORN Astrometry Laboratory";

/// What a help printout takes from the session.
struct HelpPrintSettings {
  double now = 0;        ///< the current date-time value
  std::string labTable;  ///< LabTable of the options
  LoginRecord login;     ///< the student names
};

/// The print job's title: kHelpPrintCaption + " - " + student name 1.
std::string HelpPrintJobTitle(const LoginRecord& login);

/// The one printed page of a topic (PrintedLine rows in line heights, indent
/// in printer units): row 0 the date and time + "     Laboratory Table
/// Number " + the table or "(Not Recorded)"; row 2 student name 1, then names
/// 2 to 4 on the following rows when not empty; two rows further the job
/// title (indent 50), two further the caption (indent 50), two further the
/// window's lines (indent 50), one per row. Rows at or past `rowsPerPage` are
/// cut (there is no second page).
PrintedPage LayoutHelpPrint(const std::vector<std::string>& lines, const std::string& caption,
                            const HelpPrintSettings& settings, int rowsPerPage);

}  // namespace skarvel
