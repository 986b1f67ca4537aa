// The text-list window's content and commands, without any windowing.
//
// Every list of the program (the report, the camera, site and scope lists,
// orbit search results, ephemerides, ...) is a list of single-byte text lines
// shown in a fixed-pitch font. `InfoList` keeps those lines, the selection,
// the menu states and the undo record, and runs the commands of the window:
// search, save as text, edit a line, delete a line, undo, the sort items and
// the record actions. The Qt window (astrometry/ui/t_info_list_form1.h) draws
// the lines and the menus and forwards every command here.
//
// Usage for an owner:
//   1. Derive from InfoList when the list needs owner behaviour (sorting,
//      record actions, its own menu items), overriding the protected hooks or
//      Run; a plain InfoList serves a list that is only read.
//   2. Fill it with SetLines / AddLine and set the title; show the menus it
//      uses (Menu().SetVisible("Edit1", true), SetSortCaption, ...).
//   3. Hand it to a TInfoListForm1 and call ShowList; the window calls
//      Activate, then Run for every menu command.
//
// Person-facing requests go through platform::Platform (message boxes, the
// save dialog) and ListDialogs (the search dialog and the line editor).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace skarvel {

// ---------------------------------------------------------------------------
// The shared search dialog

/// Longest search text the search dialog takes (characters).
inline constexpr std::size_t kSearchTextMax = 80;

/// Where a search begins, as the search dialog answers.
enum class SearchStart { Cancelled, FromTop, FromCursor };

/// The state of the one search dialog that the list windows and the help
/// window share: it keeps its text and check box between uses.
struct SearchDialogState {
  std::string text;            ///< at most kSearchTextMax characters
  bool caseDependent = false;  ///< "Case Dependent" ticked
  /// Empty text, no case dependence (what a list window's activation does).
  void Reset() {
    text.clear();
    caseDependent = false;
  }
};

/// The windows' own dialogs that the commands need, beyond the platform's.
class ListDialogs {
 public:
  virtual ~ListDialogs() = default;
  /// Shows the search dialog with `caption`, starting from `state`. The dialog
  /// stores the typed text and check box back into `state` when a search
  /// button is pressed. Returns Cancelled for "&Cancel", for closing the
  /// dialog and for either search button with an empty text.
  virtual SearchStart AskSearch(const std::string& caption, SearchDialogState& state) = 0;
  /// The "Edit Text Line" dialog on `line`: the edited text on OK, nullopt on Cancel.
  virtual std::optional<std::string> AskEditLine(const std::string& line) = 0;
};

/// `text` with the letters of Latin-1 (A-Z and the accented capitals
/// 0xC0-0xDE except 0xD7) put in lower case; other bytes are unchanged.
std::string LowerLatin1(std::string_view text);

/// The joined-line text search of the list and help windows.
///
/// From line `start` on, each line i is stripped of leading blanks (trailing
/// blanks stay) and, unless `caseDependent`, put in lower case (as is `text`);
/// while i is not the last line, the following line, treated the same, is
/// appended after one blank. When `text` occurs in that joined text, its first
/// occurrence belongs to line i if it starts within line i's own part, else
/// (it starts at the joining blank or later) to line i + 1. The search ends
/// without success when i reaches the last line, so the last line is searched
/// only as the second part of the line before it, unless the search starts on
/// it; then it is searched alone.
/// @param start first line to look at; negative counts as 0, past the end
///        finds nothing.
/// @return the index of the line the match belongs to, or -1 when there is no
///         match (also for an empty `text` and an empty list).
int FindTextLine(const std::vector<std::string>& lines, std::string_view text, bool caseDependent, int start);

/// The search command of the list and help windows: shows the search dialog
/// with `caption`; cancelled (or an empty text) does nothing. "From &Top"
/// searches from line 0, "&From Cursor" from `selected` + 1 (from 0 when
/// nothing is selected). Without a match: "\"" + the text as typed +
/// "\" Not Found." (caption "String Not Found", information icon).
/// @return the line to select, or nullopt when cancelled or not found (the
///         selection then stays).
std::optional<int> RunTextSearch(const std::vector<std::string>& lines, int selected, const std::string& caption,
                                 SearchDialogState& state, ListDialogs& dialogs, platform::Platform& ui);

// ---------------------------------------------------------------------------
// Window size and printing

/// Client size of a list window and the width its horizontal scroll bar covers.
struct ListWindowGeometry {
  int clientWidth = 0;
  int clientHeight = 0;
  int scrollWidth = 0;  ///< the scrollable width of the lines (pixels)
};

/// The size a list window takes when shown (all values in pixels).
/// Width: max(`widestLine`, 200) + `padding`, at most `screenWidth` - 10.
/// Height: 22.3 line heights with more than 21 lines, else (line count + 1.3)
/// line heights, rounded to the nearest pixel (halves to even). Scroll width:
/// `widestLine` + 20. The help window uses the same rule with padding 20.
ListWindowGeometry ListWindowSize(int widestLine, std::size_t lineCount, int lineHeight, int screenWidth,
                                  int padding = 30);

/// One line of a printed page.
struct PrintedLine {
  int row = 0;     ///< line position on the page, in line heights from the top
  int indent = 0;  ///< printer units right of the left margin
  std::string text;
};
using PrintedPage = std::vector<PrintedLine>;

/// Indent of the title and of the list lines on paper (printer units).
inline constexpr int kPrintIndent = 50;

/// The pages of a printed list. Page 1: row 0 `dateTime`, row 2 `userLine`,
/// row 4 `title` (indent 50), the list lines from row 6 (indent 50). A new
/// page begins when the next line would pass the page, that is when its row
/// reaches `rowsPerPage`; the following pages continue from row 1. A page of
/// fewer than 2 rows is taken as 2 rows so that every page holds a line.
std::vector<PrintedPage> LayoutListPrint(const std::vector<std::string>& lines, const std::string& dateTime,
                                         const std::string& userLine, const std::string& title, int rowsPerPage);

/// Title of a list's print job: "VORN CCD Astrometry - " + `userLine`.
std::string ListPrintJobTitle(const std::string& userLine);

/// Left margin of a printout: 0 in portrait, 50 printer units in landscape.
int ListPrintMargin(bool landscape);

/// "YYYY/MM/DD HH:MM:SS" of a date-time value, the program's date and time format.
std::string PrintDateTimeText(double dateTime);

/// The two lines of the column ruler above the "Edit Text Line" field:
/// the tens digit at every tenth column and the units digit of every column,
/// columns counted from 1 ("         1" and "1234567890" for width 10).
std::vector<std::string> ColumnRuler(std::size_t width);

/// Width of the "Edit Text Line" field: 80 characters, or the line's length
/// when it is longer, so that editing never cuts a line.
inline std::size_t EditFieldWidth(std::size_t lineLength) { return lineLength > 80 ? lineLength : 80; }

// ---------------------------------------------------------------------------
// Menus

/// One item of a list window's menus.
struct ListMenuItem {
  std::string name;     ///< component name, e.g. "Search1"
  std::string caption;  ///< "&Search..."; empty for a separator
  bool separator = false;
  bool visible = true;
  bool enabled = true;
  bool checkable = false;
  bool checked = false;
  std::vector<ListMenuItem> children;  ///< a submenu (or top-level menu) when not empty
  bool IsSubmenu() const { return !children.empty(); }
  /// A visible, enabled command item.
  static ListMenuItem Command(std::string itemName, std::string itemCaption) {
    ListMenuItem item;
    item.name = std::move(itemName);
    item.caption = std::move(itemCaption);
    return item;
  }
};

/// The menu bar of a list window as data. Top-level entries are menus
/// ("&List", "&Edit", "&Action") or, without children, plain commands ("&Chart").
class ListMenu {
 public:
  /// The menus of the base window as designed: "&List" visible; "&Edit",
  /// "&Action", "&Chart" and "S&ort List" hidden until an owner shows them.
  static ListMenu Designed();

  std::vector<ListMenuItem>& Bar() { return bar_; }
  const std::vector<ListMenuItem>& Bar() const { return bar_; }

  /// The item of that name anywhere in the bar, or null.
  ListMenuItem* Find(const std::string& name);
  const ListMenuItem* Find(const std::string& name) const;
  /// Like Find; an unknown name is a programming error (throws std::logic_error).
  ListMenuItem& At(const std::string& name);

  void SetVisible(const std::string& name, bool visible) { At(name).visible = visible; }
  void SetEnabled(const std::string& name, bool enabled) { At(name).enabled = enabled; }
  void SetChecked(const std::string& name, bool checked) { At(name).checked = checked; }
  void SetCaption(const std::string& name, std::string caption) { At(name).caption = std::move(caption); }

  /// Appends `item` to the menu or submenu `parent` ("" for the bar itself),
  /// or inserts it before the item `before` of that menu when given.
  /// Throws std::logic_error for an unknown parent or `before`, or a name in use.
  void Add(const std::string& parent, ListMenuItem item, const std::string& before = "");

  /// True when the item exists, is enabled and it and every menu holding it are visible.
  bool Available(const std::string& name) const;

 private:
  std::vector<ListMenuItem> bar_;
};

// ---------------------------------------------------------------------------
// The list

/// What a command needs from the world around the window, taken afresh for each command.
struct ListCommandContext {
  platform::Platform& ui;
  ListDialogs& dialogs;
  SearchDialogState& search;     ///< the shared search dialog's state
  std::string reportDir;         ///< `ReportDir`: default folder of the text save dialog
  std::string errorCaption = "Skarvel";  ///< caption of the general error report
};

class InfoList {
 public:
  /// Number of owner sort items, Sort1..Sort7.
  static constexpr int kSortItems = 7;

  explicit InfoList(std::string title = {});
  virtual ~InfoList() = default;
  InfoList(const InfoList&) = delete;
  InfoList& operator=(const InfoList&) = delete;

  // ---- content (built by the owner) ----
  const std::vector<std::string>& Lines() const { return lines_; }
  /// Replaces every line; the selection is cleared.
  void SetLines(std::vector<std::string> lines);
  void AddLine(std::string line);
  /// Removes every line; the selection is cleared.
  void Clear();
  std::size_t Count() const { return lines_.size(); }
  /// Grows by one whenever the lines change, so a view knows when to redraw them.
  std::uint64_t LinesVersion() const { return linesVersion_; }

  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  /// The selected line, -1 when none.
  int Selected() const { return selected_; }
  /// Selects line `index`; any index outside the lines clears the selection.
  void Select(int index);

  // ---- state ----
  bool Printed() const { return printed_; }
  bool SavedAsText() const { return savedAsText_; }
  const std::string& TextFileName() const { return textFileName_; }
  const std::string& TextDir() const { return textDir_; }
  /// Defaults of the text save dialog (a file name without folder, and a folder).
  void SetTextFile(std::string fileName, std::string dir);
  /// The entry of the save dialog's filter list shown first (counted from 1):
  /// 1 text, 2 image header text, 3 image display info, 4 solution, 5 reference field.
  void SetSaveFilterIndex(int index) { saveFilterIndex_ = index; }
  int SaveFilterIndex() const { return saveFilterIndex_; }
  /// The text file is written in UTF-8 (an exchange format) instead of the system's single-byte text.
  void SetSaveUtf8(bool utf8) { saveUtf8_ = utf8; }
  bool UndoAvailable() const { return Menu().Find("UndoEdit")->enabled; }
  const std::string& UndoText() const { return undoText_; }
  int UndoLine() const { return undoLine_; }
  bool UndoIsInsertion() const { return undoIsInsertion_; }
  /// Index handed to the owner by the record actions; -1 when none.
  int SelectedRecord() const { return selectedRecord_; }
  /// The owner is asked to delete rather than access the selected record.
  bool DeleteRecord() const { return deleteRecord_; }

  ListMenu& Menu() { return menu_; }
  const ListMenu& Menu() const { return menu_; }
  /// Sets the caption of sort item `index` (1..7) and shows it together with
  /// "S&ort List"; `checked` makes it the chosen one. Other indexes throw std::out_of_range.
  void SetSortCaption(int index, std::string caption, bool checked = false);
  /// The checked sort item (1..7), 0 when none.
  int CheckedSort() const;

  // ---- commands ----
  /// The window became active (shown or brought to the front by its owner):
  /// the search dialog is reset, "&Undo Text Edit/Delete" and "&Comma Delimit
  /// (for Spreadsheet)..." are disabled, then Activated() runs.
  void Activate(SearchDialogState& search);

  /// Runs the menu command of component `name` when the item is available
  /// (see ListMenu::Available). "Print1" and "Close1" belong to the window and
  /// are not run here. Returns false when the command is unknown or not available.
  /// Derived lists override it for their own items and call the base for the rest.
  virtual bool Run(const std::string& name, ListCommandContext& context);

  /// A double click on line `line` (the window has selected it). Nothing in the base list.
  virtual void DoubleClick(int line, ListCommandContext& context);

  /// "&Search...": RunTextSearch captioned "Find Text String"; a match is selected.
  void Search(ListCommandContext& context);

  /// "As &Displayed...": the save dialog "Save Report in Text File" in the
  /// window's text folder (`ReportDir` when it is empty) with its file name;
  /// an existing file is overwritten only after "Yes" to "Replace Existing
  /// File?", "No" reopens the dialog. The lines are written, one "\n"-ended
  /// line each, through a temporary file that replaces the target, so a
  /// failure leaves no half-written file; then the window's text file name
  /// and folder become the chosen ones, "Text File Written" is shown, saved
  /// as text := true and undo is disabled. A write failure shows the general
  /// error report (the failure's text, the file name and the result code) and
  /// changes nothing. ConfirmSaveText may end the command first.
  virtual void SaveAsText(ListCommandContext& context);

  /// "&Comma Delimit (for Spreadsheet)...": in the base list
  /// "Comma-Delimited Output not Available for Displayed Material." (caption "Not Available").
  virtual void CommaDelimit(ListCommandContext& context);

  /// "Edit as &Text...": without a selection "Select Text Line for Edit!"
  /// (caption "No Selection!"); else, when ConfirmEditLine agrees, the
  /// "Edit Text Line" dialog; OK replaces the line, keeps the old text for
  /// undo, enables undo and calls LineEdited.
  virtual void EditLine(ListCommandContext& context);

  /// "&Delete Selected Text Line...": without a selection "Select Item for
  /// Deletion!" (caption "No Selection!"); else "Are You Sure You Want to
  /// Delete this Item?" (caption "Verify Deletion", Yes/No); Yes removes the
  /// line, keeps it for undo (re-insertion), enables undo and clears the selection.
  virtual void DeleteLine(ListCommandContext& context);

  /// "&Undo Text Edit/Delete": a deleted line is inserted again at its place
  /// (at the end when the list has shrunk below it) and selected; an edited
  /// line gets its old text back. Undo is then disabled. Nothing when undo is disabled.
  virtual void Undo(ListCommandContext& context);

  /// Sort item `index` (1..7) chosen: it is checked, the six others are
  /// unchecked, then SortBy(index) runs.
  void ChooseSort(int index);

  /// "&Access Selected Record" (`deleteRecord` false) and "&Delete Selected
  /// Record" (true): selected record := the selected line, delete record :=
  /// `deleteRecord`, then RecordChosen runs.
  void ChooseRecord(bool deleteRecord, ListCommandContext& context);

  /// The list was printed: printed := true ("&Print..." checked) and undo is disabled.
  void NotePrinted();

 protected:
  /// After Activate's resets; a derived list re-enables or shows its items here.
  virtual void Activated() {}
  /// Before the save dialog; false ends the command.
  virtual bool ConfirmSaveText(ListCommandContext&) { return true; }
  /// Before the "Edit Text Line" dialog on line `line`; false ends the command.
  virtual bool ConfirmEditLine(int /*line*/, ListCommandContext&) { return true; }
  /// After line `line` was replaced by an edit.
  virtual void LineEdited(int /*line*/, ListCommandContext&) {}
  /// The owner sorts by its item `index` (1..7) and rebuilds the lines.
  virtual void SortBy(int /*index*/) {}
  /// The owner acts on SelectedRecord() / DeleteRecord().
  virtual void RecordChosen(ListCommandContext&) {}
  /// The owner's commands of the hidden items ("Edit Observation
  /// Parameters...", the header information items, "&Chart"); false when not handled.
  virtual bool OwnerCommand(const std::string& /*name*/, ListCommandContext&) { return false; }

  /// Replaces line `index` and keeps its old text for undo; enables undo.
  void ReplaceLineWithUndo(int index, std::string text);
  /// Removes line `index` and keeps it for undo by re-insertion; enables undo.
  void RemoveLineWithUndo(int index);
  /// Replaces line `index` without touching undo.
  void SetLine(int index, std::string text);
  void EnableUndo(bool enabled) { menu_.SetEnabled("UndoEdit", enabled); }

 private:
  std::vector<std::string> lines_;
  std::uint64_t linesVersion_ = 0;
  std::string title_;
  int selected_ = -1;
  bool printed_ = false;
  bool savedAsText_ = false;
  std::string textFileName_;
  int saveFilterIndex_ = 1;
  bool saveUtf8_ = false;
  std::string textDir_;
  std::string undoText_;
  int undoLine_ = -1;
  bool undoIsInsertion_ = false;
  int selectedRecord_ = -1;
  bool deleteRecord_ = false;
  ListMenu menu_;
};

}  // namespace skarvel
