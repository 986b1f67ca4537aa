// The help topic list: its file, its entries, the topic lookup by title and
// the logic of the topic list dialog "Select Help Topic".
//
// The topic list file ("TOOLSHLP.LST" beside the program) holds one entry per
// line, two quoted fields each: the title shown and the name of the help text
// file. A file name "begin" opens a group under a heading, "end" closes it:
//
//   "Images" "begin"
//   "Loading" "images.hlp"
//   "" "end"
//
// gives the entries "-Images-", "  Loading" and a separator (an empty line).
//
// Usage:
//   std::unique_ptr<HelpList> list = LoadHelpList(programDir + "TOOLSHLP.LST", ui);
//   int i = FindTopicIndex(*list, "Loading", 0, false);   // 1
//   HelpListDialogLogic dialog;  dialog.Activate(list.get(), search, metrics, ui); ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astrometry/info_list.h"
#include "foundations/record_list.h"
#include "platform/platform.h"

namespace skarvel {

/// Characters kept of a topic title (text[65]).
inline constexpr std::size_t kHelpTitleMax = 65;
/// Characters kept of a help file name (text[71]).
inline constexpr std::size_t kHelpFileNameMax = 71;
/// Characters of a topic list line that are read.
inline constexpr std::size_t kHelpListLineMax = 80;
/// Largest topic list file read (bytes); a larger one is refused as invalid input.
inline constexpr std::uint64_t kHelpListFileMax = 1u << 20;
/// Most entries a topic list holds (its indices are 16-bit signed).
inline constexpr std::size_t kHelpListEntriesMax = 32767;

/// One topic list entry. A separator has an empty title and file name; a
/// heading has the file name "begin" (in any letter case).
struct HelpTopicEntry {
  std::string title;     ///< the line shown, with the indentation of its level; at most 65 characters
  std::string fileName;  ///< help text file relative to the program folder; at most 71 characters

  bool IsSeparator() const { return title.empty() && fileName.empty(); }
  bool IsHeading() const;
};

/// The topic list held by the main window.
struct HelpList {
  RecordList<HelpTopicEntry> entries;   ///< in file order
  bool loaded = false;                  ///< the list file was read to its end
  std::uint16_t resultCode = 2;         ///< 2 when made; named in the failure message
  std::int16_t lastFetchedIndex = 0;    ///< the entry last fetched by index
  std::int16_t selectedTopicIndex = 0;  ///< the list dialog's remembered selection

  std::size_t Size() const { return entries.Size(); }
  /// The entry at `index`, or null outside the list.
  const HelpTopicEntry* At(int index);
};

/// The lines of a text file's bytes: split at LF, a CR before the LF (and a
/// final line without LF) kept apart from the line's text; a Ctrl-Z (0x1A)
/// ends the text. A file ending in LF has no empty last line.
std::vector<std::string> TextFileLines(std::string_view bytes);

/// Reads the entries of a topic list from the file's bytes (the harness entry
/// point of the reader). Lines end in LF or CR LF; only their first 80
/// characters count. Each line gives its title and file name with
/// NextQuotedField (blank as delimiter), cut to 65 and 71 characters. An empty
/// line is skipped. The list is marked loaded, has no current entry, and both
/// indices are 0.
/// @throws IOFailure(106 "Invalid Input!") for more than kHelpListFileMax bytes
///         or kHelpListEntriesMax entries.
HelpList ParseHelpList(std::string_view bytes);

/// Reads the topic list file at `path`. On an input/output failure (a missing
/// file included) it tells "Help List File <path> is Invalid." ... ("Help
/// File Error", information icon) and then "Cannot Access Help List.\r\nFile
/// Name: <path>\r\n\r\n" + IOErrorText(2) ("File Error", exclamation icon).
/// @return the list, or null when it could not be read.
std::unique_ptr<HelpList> LoadHelpList(const std::string& path, platform::Platform& ui);

/// Index of the first entry at or after `start` whose title equals `text`:
/// both without leading and trailing blanks and, unless `caseDependent`, in
/// lower case. Headings match only with their dashes. -1 when none; a negative
/// start counts as 0. The walk moves the list's current entry.
int FindTopicIndex(HelpList& list, std::string_view text, int start, bool caseDependent);

/// Pixel measures of a window's font, handed in by the window that draws.
struct TextMetrics {
  std::function<int(const std::string&)> textWidth;  ///< pixels of one line
  int lineHeight = 16;                               ///< pixels of the tallest line
  int screenWidth = 1280;

  /// A fixed-pitch stand-in: `charWidth` pixels per character.
  static TextMetrics Fixed(int charWidth, int lineHeight, int screenWidth);
};

/// The topic list dialog "Select Help Topic" without a window.
class HelpListDialogLogic {
 public:
  /// What "&Read/Print Topic..." did.
  enum class Choice { kNothing, kSeparatorBeep, kHeadingNamed, kChosen };

  /// Activation on `list` (may be null). Without a list: "No Help List to
  /// Display!" (error icon) and no lines. Otherwise one line per entry, the
  /// window size (ListWindowSize with padding 30, at least 5-pixel lines),
  /// first visible line and selection := SelectedTopicIndex. The search
  /// dialog's text is cleared and "Case Dependent" unticked.
  void Activate(HelpList* list, SearchDialogState& search, const TextMetrics& metrics, platform::Platform& ui);

  /// "Find &Topic...": the search dialog captioned "Find Help Topic"; from
  /// the top or from the selected line + 1; found: that line first visible
  /// and selected; not found: "\"<text>\" Not Found." ("String Not Found").
  void FindTopic(SearchDialogState& search, ListDialogs& dialogs, platform::Platform& ui);

  /// "&Read/Print Topic..." and the double click: a separator beeps; a
  /// heading names itself ("Select a Topic Under \"-X-\"", "Topic Heading");
  /// another entry becomes SelectedTopicIndex and the dialog is to close with OK.
  Choice ReadPrintTopic(platform::Platform& ui);

  /// "&Close Help Topics": SelectedTopicIndex := the selected line (-1 when none).
  void CloseTopics();

  const std::vector<std::string>& Lines() const { return lines_; }
  int Selected() const { return selected_; }
  void Select(int line) { selected_ = line >= 0 && line < static_cast<int>(lines_.size()) ? line : -1; }
  int TopLine() const { return topLine_; }
  ListWindowGeometry Geometry() const { return geometry_; }
  HelpList* List() const { return list_; }

 private:
  HelpList* list_ = nullptr;
  std::vector<std::string> lines_;
  int selected_ = -1;
  int topLine_ = 0;
  ListWindowGeometry geometry_;
};

/// The widest of `lines` in pixels and the line height (at least 5 pixels).
struct LinesExtent {
  int widest = 0;
  int lineHeight = 5;
};
LinesExtent MeasureLines(const std::vector<std::string>& lines, const TextMetrics& metrics);

}  // namespace skarvel
