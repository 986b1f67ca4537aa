// The text-list window's core: the joined-line search, the window size and
// print layout, save as text, edit/delete/undo, the menus and the owner hooks.
#include "astrometry/info_list.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "foundations/date_time.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

// Answers the search dialog and the line editor from queues and records what was asked.
class ScriptedDialogs : public ListDialogs {
 public:
  struct Search {
    SearchStart start;
    std::string text;
    bool caseDependent = false;
  };
  std::deque<Search> searches;
  std::deque<std::optional<std::string>> edits;
  std::vector<std::string> searchCaptions;
  std::vector<std::string> editedLines;

  SearchStart AskSearch(const std::string& caption, SearchDialogState& state) override {
    searchCaptions.push_back(caption);
    if (searches.empty()) return SearchStart::Cancelled;
    const Search s = searches.front();
    searches.pop_front();
    if (s.start == SearchStart::Cancelled) return s.start;
    state.text = s.text;
    state.caseDependent = s.caseDependent;
    return s.text.empty() ? SearchStart::Cancelled : s.start;
  }
  std::optional<std::string> AskEditLine(const std::string& line) override {
    editedLines.push_back(line);
    if (edits.empty()) return std::nullopt;
    auto e = edits.front();
    edits.pop_front();
    return e;
  }
};

struct Fixture {
  ScriptedPlatform ui;
  ScriptedDialogs dialogs;
  SearchDialogState search;
  ListCommandContext context{ui, dialogs, search, "/reports/"};
};

// ---- the search ----------------------------------------------------------

TEST(FindTextLine, MatchBelongsToTheLineWhosePartItStartsIn) {
  const std::vector<std::string> lines = {"  alpha beta", "   gamma delta", "epsilon", "zeta eta"};
  EXPECT_EQ(FindTextLine(lines, "beta", false, 0), 0);
  EXPECT_EQ(FindTextLine(lines, "gamma", false, 0), 1);         // first seen in line 0's second part
  EXPECT_EQ(FindTextLine(lines, "beta gamma", false, 0), 0);    // across the join, starts in line 0
  EXPECT_EQ(FindTextLine(lines, " gamma", false, 0), 1);        // starts at the joining blank
  EXPECT_EQ(FindTextLine(lines, "beta  gamma", false, 0), -1);  // leading blanks are stripped
  EXPECT_EQ(FindTextLine(lines, "delta epsilon", false, 0), 1);
  EXPECT_EQ(FindTextLine(lines, "gamma", false, 2), -1);  // from the cursor past it
  EXPECT_EQ(FindTextLine(lines, "alpha beta gamma delta epsilon", false, 0), -1);  // only two lines are joined
}

TEST(FindTextLine, CaseRuleAppliesToLinesAndText) {
  const std::vector<std::string> lines = {"Observer J. SMITH", "Ära Ölberg"};
  EXPECT_EQ(FindTextLine(lines, "smith", false, 0), 0);
  EXPECT_EQ(FindTextLine(lines, "SMITH", false, 0), 0);
  EXPECT_EQ(FindTextLine(lines, "smith", true, 0), -1);
  EXPECT_EQ(FindTextLine(lines, "SMITH", true, 0), 0);
  // Latin-1 capitals fold too: "\xC4ra \xD6lberg" is "Ära Ölberg".
  const std::vector<std::string> latin = {"x", "\xC4ra \xD6lberg"};
  EXPECT_EQ(FindTextLine(latin, "\xE4ra \xF6", false, 0), 1);
  EXPECT_EQ(FindTextLine(latin, "\xE4ra", true, 0), -1);
  EXPECT_EQ(LowerLatin1("AZ\xC0\xDE\xD7\xDF[@"), "az\xE0\xFE\xD7\xDF[@");
}

TEST(FindTextLine, LastLineAndEdges) {
  const std::vector<std::string> lines = {"one", "two", "three"};
  // From the line before the last, the last line is found through the join.
  EXPECT_EQ(FindTextLine(lines, "three", false, 1), 2);
  // Starting on the last line searches it alone.
  EXPECT_EQ(FindTextLine(lines, "three", false, 2), 2);
  EXPECT_EQ(FindTextLine(lines, "two", false, 2), -1);
  // Past the end, an empty list and an empty text find nothing.
  EXPECT_EQ(FindTextLine(lines, "one", false, 3), -1);
  EXPECT_EQ(FindTextLine({}, "one", false, 0), -1);
  EXPECT_EQ(FindTextLine(lines, "", false, 0), -1);
  EXPECT_EQ(FindTextLine(lines, "one", false, -5), 0);
  // A single line is searched alone.
  EXPECT_EQ(FindTextLine({"   only"}, "only", false, 0), 0);
  // Trailing blanks stay part of a line.
  EXPECT_EQ(FindTextLine({"ab  ", "cd"}, "ab   cd", false, 0), 0);
}

TEST(InfoListSearch, FromTopFromCursorAndNotFound) {
  Fixture f;
  InfoList list("Results");
  list.SetLines({"Ceres 1", "Pallas 2", "Juno 3", "Ceres again", "Vesta 4"});
  f.dialogs.searches = {{SearchStart::FromTop, "ceres"},
                        {SearchStart::FromCursor, "ceres"},
                        {SearchStart::FromCursor, "ceres"},
                        {SearchStart::FromTop, "Hygiea"}};
  EXPECT_TRUE(list.Run("Search1", f.context));
  EXPECT_EQ(list.Selected(), 0);
  list.Run("Search1", f.context);
  // Line 2 "Juno 3" joined with "Ceres again" holds the match in its second part.
  EXPECT_EQ(list.Selected(), 3);
  list.Run("Search1", f.context);
  EXPECT_EQ(list.Selected(), 3);  // not found: the selection stays
  ASSERT_EQ(f.ui.Messages().size(), 1u);
  EXPECT_EQ(f.ui.Messages()[0].text, "\"ceres\" Not Found.");
  EXPECT_EQ(f.ui.Messages()[0].caption, "String Not Found");
  EXPECT_EQ(f.ui.Messages()[0].icon, Icon::Information);
  list.Run("Search1", f.context);
  EXPECT_EQ(f.ui.Messages().back().text, "\"Hygiea\" Not Found.");  // the text as typed
  EXPECT_EQ(f.dialogs.searchCaptions, std::vector<std::string>(4, "Find Text String"));
}

TEST(InfoListSearch, CancelAndEmptyTextDoNothing) {
  Fixture f;
  InfoList list;
  list.SetLines({"a", "b"});
  list.Select(1);
  f.dialogs.searches = {{SearchStart::Cancelled, ""}, {SearchStart::FromTop, ""}};
  list.Run("Search1", f.context);
  list.Run("Search1", f.context);
  EXPECT_EQ(list.Selected(), 1);
  EXPECT_TRUE(f.ui.Messages().empty());
  // From the cursor without a selection starts at line 0.
  list.Select(-1);
  f.dialogs.searches = {{SearchStart::FromCursor, "A"}};
  list.Run("Search1", f.context);
  EXPECT_EQ(list.Selected(), 0);
}

// ---- window size and print layout -------------------------------------------

TEST(ListWindowSize, HeightWidthAndScrollRules) {
  // 30 lines: 22.3 line heights; 5 lines: 6.3 line heights.
  EXPECT_EQ(ListWindowSize(300, 30, 17, 1280).clientHeight, 379);  // 379.1
  EXPECT_EQ(ListWindowSize(300, 5, 17, 1280).clientHeight, 107);   // 107.1
  EXPECT_EQ(ListWindowSize(300, 21, 20, 1280).clientHeight, 446);  // 22.3 * 20, the last count below the cap
  EXPECT_EQ(ListWindowSize(300, 22, 20, 1280).clientHeight, 446);
  EXPECT_EQ(ListWindowSize(300, 0, 10, 1280).clientHeight, 13);
  EXPECT_EQ(ListWindowSize(300, 2, 5, 1280).clientHeight, 16);  // 16.5 rounds to even
  EXPECT_EQ(ListWindowSize(300, 0, 5, 1280).clientHeight, 6);   // 6.5 rounds to even
  // Width: at least 200 before the padding, at most the screen less 10.
  EXPECT_EQ(ListWindowSize(120, 3, 17, 1280).clientWidth, 230);
  EXPECT_EQ(ListWindowSize(200, 3, 17, 1280).clientWidth, 230);
  EXPECT_EQ(ListWindowSize(640, 3, 17, 1280).clientWidth, 670);
  EXPECT_EQ(ListWindowSize(2000, 3, 17, 1280).clientWidth, 1270);
  EXPECT_EQ(ListWindowSize(640, 3, 17, 1280, 20).clientWidth, 660);
  EXPECT_EQ(ListWindowSize(640, 3, 17, 1280).scrollWidth, 660);
}

TEST(LayoutListPrint, FirstPageHeaderAndPageBreaks) {
  std::vector<std::string> lines;
  for (int i = 0; i < 25; ++i) lines.push_back("line " + std::to_string(i));
  const auto pages = LayoutListPrint(lines, "2026/12/09 20:00:00", "J. Smith", "Report", 10);
  // Page 1: rows 0, 2, 4 and the list from row 6 to row 9 (4 lines); then 9 lines (rows 1..9) per page.
  ASSERT_EQ(pages.size(), 4u);
  ASSERT_EQ(pages[0].size(), 7u);
  EXPECT_EQ(pages[0][0].row, 0);
  EXPECT_EQ(pages[0][0].indent, 0);
  EXPECT_EQ(pages[0][0].text, "2026/12/09 20:00:00");
  EXPECT_EQ(pages[0][1].row, 2);
  EXPECT_EQ(pages[0][1].text, "J. Smith");
  EXPECT_EQ(pages[0][2].row, 4);
  EXPECT_EQ(pages[0][2].indent, 50);
  EXPECT_EQ(pages[0][2].text, "Report");
  EXPECT_EQ(pages[0][3].row, 6);
  EXPECT_EQ(pages[0][3].indent, 50);
  EXPECT_EQ(pages[0][3].text, "line 0");
  EXPECT_EQ(pages[0][6].row, 9);
  ASSERT_EQ(pages[1].size(), 9u);
  EXPECT_EQ(pages[1][0].row, 1);
  EXPECT_EQ(pages[1][0].text, "line 4");
  EXPECT_EQ(pages[1][8].row, 9);
  EXPECT_EQ(pages[3].size(), 3u);
  EXPECT_EQ(pages[3].back().text, "line 24");
  // Exactly filling page 1 needs no second page; one more line does.
  EXPECT_EQ(LayoutListPrint(std::vector<std::string>(4, "x"), "", "", "", 10).size(), 1u);
  EXPECT_EQ(LayoutListPrint(std::vector<std::string>(5, "x"), "", "", "", 10).size(), 2u);
  // An empty list prints its header; a tiny page still makes progress.
  EXPECT_EQ(LayoutListPrint({}, "d", "u", "t", 60).size(), 1u);
  EXPECT_EQ(LayoutListPrint(std::vector<std::string>(3, "x"), "", "", "", 0).size(), 4u);
  EXPECT_EQ(ListPrintJobTitle("J. Smith"), "VORN CCD Astrometry - J. Smith");
  EXPECT_EQ(ListPrintMargin(false), 0);
  EXPECT_EQ(ListPrintMargin(true), 50);
  EXPECT_EQ(PrintDateTimeText(*EncodeDateTime(2026, 12, 9, 7, 5, 9.0L)), "2026/12/09 07:05:09");
}

// ---- edit, delete, undo ------------------------------------------------------

TEST(InfoListEdit, NoSelectionMessages) {
  Fixture f;
  InfoList list;
  list.SetLines({"a"});
  list.Menu().SetVisible("Edit1", true);
  list.Run("EditasText1", f.context);
  list.Run("DeleteSelectedItem1", f.context);
  ASSERT_EQ(f.ui.Messages().size(), 2u);
  EXPECT_EQ(f.ui.Messages()[0].text, "Select Text Line for Edit!");
  EXPECT_EQ(f.ui.Messages()[0].caption, "No Selection!");
  EXPECT_EQ(f.ui.Messages()[1].text, "Select Item for Deletion!");
  EXPECT_EQ(f.ui.Messages()[1].caption, "No Selection!");
  EXPECT_TRUE(f.dialogs.editedLines.empty());
  EXPECT_EQ(list.Lines(), std::vector<std::string>{"a"});
}

TEST(InfoListEdit, EditThenUndoRestoresTheOldText) {
  Fixture f;
  InfoList list;
  list.SetLines({"first", "second", "third"});
  list.Menu().SetVisible("Edit1", true);
  list.Select(1);
  f.dialogs.edits = {std::string("2nd"), std::nullopt};
  EXPECT_FALSE(list.Menu().Available("UndoEdit"));
  list.Run("EditasText1", f.context);
  EXPECT_EQ(f.dialogs.editedLines, std::vector<std::string>{"second"});
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"first", "2nd", "third"}));
  EXPECT_TRUE(list.UndoAvailable());
  EXPECT_EQ(list.UndoText(), "second");
  EXPECT_EQ(list.UndoLine(), 1);
  EXPECT_FALSE(list.UndoIsInsertion());
  // A cancelled edit changes nothing and keeps the undo.
  list.Run("EditasText1", f.context);
  EXPECT_EQ(list.Lines()[1], "2nd");
  EXPECT_TRUE(list.UndoAvailable());
  list.Select(-1);
  EXPECT_TRUE(list.Run("UndoEdit", f.context));
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(list.Selected(), 1);
  EXPECT_FALSE(list.UndoAvailable());
  EXPECT_FALSE(list.Run("UndoEdit", f.context));  // only the last action can be undone
  EXPECT_TRUE(f.ui.Messages().empty());
}

TEST(InfoListEdit, DeleteAsksAndUndoReinsertsAtItsPlace) {
  Fixture f;
  InfoList list;
  list.SetLines({"a", "b", "c"});
  list.Menu().SetVisible("Edit1", true);
  list.Select(2);
  f.ui.AnswerNext(Answer::No);
  list.Run("DeleteSelectedItem1", f.context);
  EXPECT_EQ(list.Count(), 3u);
  ASSERT_EQ(f.ui.Messages().size(), 1u);
  EXPECT_EQ(f.ui.Messages()[0].text, "Are You Sure You Want to Delete this Item?");
  EXPECT_EQ(f.ui.Messages()[0].caption, "Verify Deletion");
  EXPECT_EQ(f.ui.Messages()[0].buttons, Buttons::YesNo);
  EXPECT_FALSE(list.UndoAvailable());
  // Yes on the last line.
  f.ui.AnswerNext(Answer::Yes);
  list.Run("DeleteSelectedItem1", f.context);
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(list.Selected(), -1);
  EXPECT_TRUE(list.UndoIsInsertion());
  list.Run("UndoEdit", f.context);
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list.Selected(), 2);
  // Delete the first line; the owner shrinks the list meanwhile: undo appends.
  list.Select(0);
  f.ui.AnswerNext(Answer::Yes);
  list.Run("DeleteSelectedItem1", f.context);
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"b", "c"}));
  list.Run("UndoEdit", f.context);
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(f.ui.Unanswered(), 0);
}

TEST(InfoListEdit, ActivationPrintAndSaveClearTheUndo) {
  Fixture f;
  TempDir dir;
  InfoList list;
  list.SetLines({"a", "b"});
  list.Menu().SetVisible("Edit1", true);
  auto editOnce = [&] {
    list.Select(0);
    f.dialogs.edits = {std::string("x")};
    list.Run("EditasText1", f.context);
    ASSERT_TRUE(list.UndoAvailable());
  };
  editOnce();
  f.search = {"kept", true};
  list.Menu().SetEnabled("CommaDelimit", true);
  list.Activate(f.search);
  EXPECT_FALSE(list.UndoAvailable());
  EXPECT_TRUE(f.search.text.empty());
  EXPECT_FALSE(f.search.caseDependent);
  EXPECT_FALSE(list.Menu().Available("CommaDelimit"));
  editOnce();
  list.NotePrinted();
  EXPECT_FALSE(list.UndoAvailable());
  EXPECT_TRUE(list.Printed());
  EXPECT_TRUE(list.Menu().Find("Print1")->checked);
  editOnce();
  f.ui.SaveAsNext(dir / "L.TXT");
  list.Run("AsDisplayed1", f.context);
  EXPECT_FALSE(list.UndoAvailable());
}

// ---- save as text -------------------------------------------------------------

TEST(InfoListSaveText, WritesEveryLineAndRemembersTheFile) {
  Fixture f;
  TempDir dir;
  InfoList list("Ephemeris");
  list.SetLines({"  2026 12 09  01 02 03", "", "last line"});
  f.context.reportDir = dir.Path();
  f.ui.SaveAsNext(dir / "EPHEM.TXT");
  EXPECT_TRUE(list.Run("AsDisplayed1", f.context));
  ASSERT_EQ(f.ui.SaveDialogs().size(), 1u);
  const auto& request = f.ui.SaveDialogs()[0];
  EXPECT_EQ(request.title, "Save Report in Text File");
  EXPECT_EQ(request.filter,
            "Text Files (*.TXT) | *.TXT|Image Header Text (*.HDR)|*.HDR|Image Display Info (*.IMG)|*.IMG|"
            "Astrometric Solution Text (*.SLN)|*.SLN|Reference Field Info (*.RFL)|*.RFL|All Files (*.*)|*.*");
  EXPECT_EQ(request.defaultExtension, ".TXT");
  EXPECT_EQ(request.directory, dir.Path());  // ReportDir while the window has no folder
  EXPECT_EQ(request.fileName, "");
  EXPECT_EQ(testing::ReadText(dir / "EPHEM.TXT"), "  2026 12 09  01 02 03\n\nlast line\n");
  ASSERT_EQ(f.ui.Messages().size(), 1u);
  EXPECT_EQ(f.ui.Messages()[0].text, "Report Text Written to " + (dir / "EPHEM.TXT") + ".");
  EXPECT_EQ(f.ui.Messages()[0].caption, "Text File Written");
  EXPECT_TRUE(list.SavedAsText());
  EXPECT_TRUE(list.Menu().Find("SaveText1")->checked);
  EXPECT_EQ(list.TextFileName(), "EPHEM.TXT");
  EXPECT_EQ(list.TextDir(), dir.Path());
  // The next save starts from the window's own file, not ReportDir.
  f.context.reportDir = "/elsewhere/";
  list.Run("AsDisplayed1", f.context);  // cancelled
  EXPECT_EQ(f.ui.SaveDialogs()[1].directory, dir.Path());
  EXPECT_EQ(f.ui.SaveDialogs()[1].fileName, "EPHEM.TXT");
  EXPECT_EQ(f.ui.Messages().size(), 1u);
}

TEST(InfoListSaveText, ExistingFileAsksAndNoReopensTheDialog) {
  Fixture f;
  TempDir dir;
  const std::string sub = dir.MakeDir("night");
  testing::WriteText(sub + "old.txt", "previous\n");
  InfoList list;
  list.SetLines({"new"});
  list.SetTextFile("x.TXT", dir.Path());
  f.ui.SaveAsNext(sub + "old.txt");
  f.ui.AnswerNext(Answer::No);
  f.ui.SaveAsNext(sub + "old.txt");
  f.ui.AnswerNext(Answer::Yes);
  list.Run("AsDisplayed1", f.context);
  ASSERT_EQ(f.ui.SaveDialogs().size(), 2u);
  EXPECT_EQ(f.ui.SaveDialogs()[0].directory, dir.Path());
  EXPECT_EQ(f.ui.SaveDialogs()[0].fileName, "x.TXT");
  EXPECT_EQ(f.ui.SaveDialogs()[1].directory, sub);  // reopened on the refused name
  EXPECT_EQ(f.ui.SaveDialogs()[1].fileName, "old.txt");
  ASSERT_EQ(f.ui.Messages().size(), 3u);
  std::string upper = sub + "OLD.TXT";
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(f.ui.Messages()[0].text, upper + " Already Exists!\r\n\r\nDo You Want to Overwrite It?");
  EXPECT_EQ(f.ui.Messages()[0].caption, "Replace Existing File?");
  EXPECT_EQ(f.ui.Messages()[0].buttons, Buttons::YesNo);
  EXPECT_EQ(f.ui.Messages()[2].caption, "Text File Written");
  EXPECT_EQ(testing::ReadText(sub + "old.txt"), "new\n");
  EXPECT_EQ(f.ui.Unanswered(), 0);
}

TEST(InfoListSaveText, MissingFolderReportsAndChangesNothing) {
  Fixture f;
  TempDir dir;
  InfoList list;
  list.SetLines({"a"});
  const std::string path = dir.Path() + "missing/L.TXT";
  f.ui.SaveAsNext(path);
  list.Run("AsDisplayed1", f.context);
  ASSERT_EQ(f.ui.Messages().size(), 1u);
  const auto& m = f.ui.Messages()[0];
  EXPECT_EQ(m.caption, "Skarvel");
  EXPECT_EQ(m.icon, Icon::Error);
  EXPECT_NE(m.text.find("\r\n\r\nFile Name: " + path + "\r\nIOResult = "), std::string::npos) << m.text;
  EXPECT_FALSE(list.SavedAsText());
  EXPECT_EQ(list.TextFileName(), "");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "missing"));
}

TEST(InfoListSaveText, AFailedWriteLeavesNoFileBehind) {
  Fixture f;
  TempDir dir;
  // A folder that is not empty stands at the chosen name: the rename over it fails.
  std::filesystem::create_directories(dir.Path() + "L.TXT/inner");
  f.ui.SaveAsNext(dir / "L.TXT");
  InfoList list;
  list.SetLines({"new"});
  list.Run("AsDisplayed1", f.context);
  ASSERT_EQ(f.ui.Messages().size(), 1u);
  EXPECT_EQ(f.ui.Messages()[0].caption, "Skarvel");
  EXPECT_NE(f.ui.Messages()[0].text.find("File Name: " + (dir / "L.TXT")), std::string::npos);
  EXPECT_FALSE(list.SavedAsText());
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "L.TXT/inner"));
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) entries += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(entries, 0);  // no temporary file stays behind
}

// ---- menus and owner hooks -----------------------------------------------------

TEST(ListMenu, DesignedMenusAndAvailability) {
  const ListMenu m = ListMenu::Designed();
  std::vector<std::string> top;
  for (const auto& item : m.Bar()) top.push_back(item.caption + (item.visible ? "" : " (hidden)"));
  EXPECT_EQ(top, (std::vector<std::string>{"&List", "&Edit (hidden)", "&Action (hidden)", "&Chart (hidden)"}));
  std::vector<std::string> list;
  for (const auto& item : m.Bar()[0].children) list.push_back(item.separator ? "-" : item.caption);
  EXPECT_EQ(list, (std::vector<std::string>{"&Search...", "S&ort List", "-", "&Print...", "Save &Text", "-",
                                            "&Close"}));
  // The items the owners show.
  for (const auto& [name, caption] : std::vector<std::pair<std::string, std::string>>{
           {"EditObservationParameters1", "Edit Observation Parameters..."},
           {"EditHeaderInformation1", "Edit Header &Information"},
           {"UserParameters1", "&User Information..."},
           {"CameraParameters1", "&Camera Parameters..."},
           {"SiteParameters1", "&Site Information..."},
           {"AccessSelectedRecord1", "&Access Selected Record"},
           {"DeleteSelectedRecord1", "&Delete Selected Record"}})
    EXPECT_EQ(m.Find(name)->caption, caption) << name;
  EXPECT_TRUE(m.Available("Search1"));
  EXPECT_TRUE(m.Available("AsDisplayed1"));
  EXPECT_FALSE(m.Available("EditasText1"));  // the "&Edit" menu is hidden
  EXPECT_FALSE(m.Available("Sort1"));
  EXPECT_FALSE(m.Available("N1"));
  EXPECT_FALSE(m.Available("NoSuchItem"));
}

// A list whose owner sorts, takes records and has a command of its own.
class OwnerList : public InfoList {
 public:
  OwnerList() {
    Menu().SetVisible("Action1", true);
    Menu().Add("Action1", ListMenuItem::Command("Refine1", "&Refine"), "DeleteSelectedRecord1");
  }
  std::vector<int> sorts;
  std::vector<std::pair<int, bool>> records;
  int refined = 0;

 protected:
  void SortBy(int index) override { sorts.push_back(index); }
  void RecordChosen(ListCommandContext&) override { records.emplace_back(SelectedRecord(), DeleteRecord()); }
  bool OwnerCommand(const std::string& name, ListCommandContext& context) override {
    if (name != "Refine1") return InfoList::OwnerCommand(name, context);
    ++refined;
    return true;
  }
};

TEST(InfoListOwner, SortItemsAreRadioItems) {
  Fixture f;
  OwnerList list;
  list.SetSortCaption(2, "By &Magnitude", true);
  list.SetSortCaption(5, "By &Distance");
  EXPECT_THROW(list.SetSortCaption(8, "x"), std::out_of_range);
  EXPECT_TRUE(list.Menu().Available("Sort5"));
  EXPECT_FALSE(list.Menu().Available("Sort1"));  // the owner uses only the items it captions
  EXPECT_EQ(list.CheckedSort(), 2);
  EXPECT_TRUE(list.Run("Sort5", f.context));
  EXPECT_EQ(list.CheckedSort(), 5);
  EXPECT_FALSE(list.Menu().Find("Sort2")->checked);
  list.ChooseSort(7);
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(list.Menu().Find("Sort" + std::to_string(i))->checked, i == 7);
  EXPECT_EQ(list.sorts, (std::vector<int>{5, 7}));
}

TEST(InfoListOwner, RecordActionsAndOwnCommands) {
  Fixture f;
  OwnerList list;
  list.SetLines({"r0", "r1", "r2"});
  list.Run("AccessSelectedRecord1", f.context);
  list.Select(2);
  list.Run("DeleteSelectedRecord1", f.context);
  list.Select(1);
  list.Run("AccessSelectedRecord1", f.context);
  EXPECT_EQ(list.records, (std::vector<std::pair<int, bool>>{{-1, false}, {2, true}, {1, false}}));
  std::vector<std::string> action;
  for (const auto& item : list.Menu().Find("Action1")->children) action.push_back(item.name);
  EXPECT_EQ(action, (std::vector<std::string>{"AccessSelectedRecord1", "Refine1", "DeleteSelectedRecord1"}));
  EXPECT_TRUE(list.Run("Refine1", f.context));
  EXPECT_EQ(list.refined, 1);
  EXPECT_FALSE(list.Run("Plot1", f.context));  // hidden
  EXPECT_FALSE(list.Run("Print1", f.context));  // the window's own
  EXPECT_THROW(list.Menu().Add("Action1", ListMenuItem::Command("Refine1", "x")), std::logic_error);
  EXPECT_THROW(list.Menu().Add("NoMenu", ListMenuItem::Command("X1", "x")), std::logic_error);
}

TEST(InfoListOwner, CommaDelimitIsNotAvailableInTheBaseList) {
  Fixture f;
  InfoList list;
  EXPECT_FALSE(list.Run("CommaDelimit", f.context));  // disabled as designed
  list.Menu().SetEnabled("CommaDelimit", true);
  list.Activate(f.search);
  EXPECT_FALSE(list.Run("CommaDelimit", f.context));  // and again at activation
  list.Menu().SetEnabled("CommaDelimit", true);
  EXPECT_TRUE(list.Run("CommaDelimit", f.context));
  ASSERT_EQ(f.ui.Messages().size(), 1u);
  EXPECT_EQ(f.ui.Messages()[0].text, "Comma-Delimited Output not Available for Displayed Material.");
  EXPECT_EQ(f.ui.Messages()[0].caption, "Not Available");
}

}  // namespace
}  // namespace skarvel
