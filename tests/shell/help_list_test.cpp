// The topic list reader, the lookup by title and the topic list dialog's logic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundations/io_error.h"
#include "shell/help_list.h"
#include "support/scripted_platform.h"
#include "support/scripted_search.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

/// The entry at `i` (an empty one when there is none).
HelpTopicEntry Entry(HelpList& list, int i) {
  const HelpTopicEntry* e = list.entries.GetAt(i);
  return e != nullptr ? *e : HelpTopicEntry{"<none>", "<none>"};
}

std::vector<std::string> Titles(HelpList& list) {
  std::vector<std::string> out;
  for (int i = 0; i <= list.entries.LastIndex(); ++i) out.push_back(Entry(list, i).title);
  return out;
}

std::vector<std::string> Files(HelpList& list) {
  std::vector<std::string> out;
  for (int i = 0; i <= list.entries.LastIndex(); ++i) out.push_back(Entry(list, i).fileName);
  return out;
}

using testing::ScriptedSearch;

TEST(HelpListReader, GroupsHeadingsAndSeparatorsAsInTheSevenLineExample) {
  HelpList list = ParseHelpList(
      "\"Images\" \"begin\"\r\n\"Loading\" \"load.hlp\"\r\n\"Blinking\" \"blink.hlp\"\r\n\"\" \"end\"\r\n"
      "\"Reports\" \"begin\"\r\n\"Saving\" \"save.hlp\"\r\n\"\" \"end\"\r\n");
  EXPECT_EQ(list.entries.CurrentIndex(), -1);
  EXPECT_EQ(Titles(list),
            (std::vector<std::string>{"-Images-", "  Loading", "  Blinking", "", "-Reports-", "  Saving", ""}));
  EXPECT_EQ(Files(list), (std::vector<std::string>{"begin", "load.hlp", "blink.hlp", "", "begin", "save.hlp", ""}));
  EXPECT_TRUE(list.loaded);
  EXPECT_EQ(list.selectedTopicIndex, 0);
  EXPECT_TRUE(Entry(list, 3).IsSeparator());
  EXPECT_TRUE(Entry(list, 0).IsHeading());
}

TEST(HelpListReader, NestingIndentsAndEndsCloseOneSeparator) {
  // A nested heading follows a separator; two "end" lines give one separator;
  // the outermost "end" leaves no indentation; keywords in any letter case.
  HelpList list = ParseHelpList(
      "\"A\" \"BEGIN\"\n\"X\" \"x.hlp\"\n\"B\" \"Begin\"\n\"Y\" \"y.hlp\"\n\"\" \"end\"\n\"ignored\" \"END\"\n"
      "\"Z\" \"z.hlp\"\n\"\" \"end\"\n\"W\" \"w.hlp\"\n");
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"-A-", "  X", "", "  -B-", "    Y", "", "Z", "", "W"}));
  EXPECT_EQ(Files(list)[0], "BEGIN");  // a heading keeps its keyword as written
}

TEST(HelpListReader, FieldLimitsQuotesAndEmptyLines) {
  const std::string longTitle(70, 't');
  const std::string longFile(75, 'f');
  // 80 characters of a line are read: the closing quote of the second field
  // lies beyond them, so the field runs to the cut.
  const std::string cutLine = "\"" + std::string(60, 'a') + "\" \"" + std::string(30, 'b') + "\"";
  HelpList list = ParseHelpList("\"" + longTitle + "\" \"\"\n\n'single' 'quotes.hlp'\n" + cutLine +
                                "\n  \"lead\"   \"blanks.hlp\"\n\"\" \"" + longFile + "\"\n");
  ASSERT_EQ(list.Size(), 5u);
  EXPECT_EQ(Entry(list, 0).title, std::string(65, 't'));
  EXPECT_EQ(Entry(list, 4).fileName, std::string(71, 'f'));
  EXPECT_EQ(Entry(list, 1).title, "single");
  EXPECT_EQ(Entry(list, 1).fileName, "quotes.hlp");
  EXPECT_EQ(Entry(list, 2).title, std::string(60, 'a'));
  EXPECT_EQ(Entry(list, 2).fileName, std::string(80 - 64, 'b'));
  EXPECT_EQ(Entry(list, 3).title, "lead");
  EXPECT_EQ(Entry(list, 3).fileName, "blanks.hlp");
  // The prefix counts against the 65 characters too.
  HelpList nested = ParseHelpList("\"H\" \"begin\"\n\"" + longTitle + "\" \"f\"\n");
  EXPECT_EQ(Entry(nested, 1).title, "  " + std::string(63, 't'));
}

TEST(HelpListReader, HostileBytesNeverCrash) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) % 256));
  EXPECT_NO_THROW(ParseHelpList(garbage));
  EXPECT_NO_THROW(ParseHelpList("\"unterminated"));
  HelpList open = ParseHelpList("\"unterminated");
  EXPECT_EQ(Entry(open, 0).title, "unterminated");
  // Only "end" lines: no entry at all, the prefix never goes below empty.
  EXPECT_EQ(ParseHelpList("\"\" \"end\"\n\"\" \"end\"\n").Size(), 0u);
  // Beyond the entry limit the file is refused.
  std::string many;
  for (std::size_t i = 0; i <= kHelpListEntriesMax; ++i) many += "a\n";
  EXPECT_THROW(ParseHelpList(many), IOFailure);
}

TEST(HelpListReader, MissingAndOversizedFilesGiveBothMessages) {
  TempDir dir;
  ScriptedPlatform ui;
  const std::string path = dir / "TOOLSHLP.LST";
  EXPECT_EQ(LoadHelpList(path, ui), nullptr);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, "Help List File " + path +
                                       " is Invalid.\r\nProgram will continue with defaults or alternative "
                                       "file.\r\n\r\nFile Not Found!");
  EXPECT_EQ(ui.Messages()[0].caption, "Help File Error");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Information);
  EXPECT_EQ(ui.Messages()[1].text, "Cannot Access Help List.\r\nFile Name: " + path + "\r\n\r\nFile Not Found!");
  EXPECT_EQ(ui.Messages()[1].caption, "File Error");
  EXPECT_EQ(ui.Messages()[1].icon, Icon::Exclamation);

  ui.ClearRecords();
  testing::WriteText(path, std::string(kHelpListFileMax + 1, 'x'));
  EXPECT_EQ(LoadHelpList(path, ui), nullptr);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_NE(ui.Messages()[0].text.find("\r\n\r\nInvalid Input!"), std::string::npos);
  EXPECT_EQ(ui.Messages()[1].caption, "File Error");

  ui.ClearRecords();
  testing::WriteText(path, "\"Topic\" \"t.hlp\"\n");
  auto list = LoadHelpList(path, ui);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Size(), 1u);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(HelpTopicLookup, EqualTitlesOnlyWithTheCaseRule) {
  HelpList list = ParseHelpList(
      "\"Images\" \"begin\"\n\"Loading\" \"a\"\n\"Loading Images\" \"b\"\n\"\" \"end\"\n\"loading\" \"c\"\n");
  EXPECT_EQ(FindTopicIndex(list, "  LOADING ", 0, false), 1);
  EXPECT_EQ(FindTopicIndex(list, "loading", 2, false), 4);
  EXPECT_EQ(FindTopicIndex(list, "Loading", 2, true), -1);
  EXPECT_EQ(FindTopicIndex(list, "loading", 0, true), 4);
  EXPECT_EQ(FindTopicIndex(list, "Load", 0, false), -1);  // equal, not contained
  EXPECT_EQ(FindTopicIndex(list, "Images", 0, false), -1);
  EXPECT_EQ(FindTopicIndex(list, "-images-", 0, false), 0);
  EXPECT_EQ(FindTopicIndex(list, "loading", -5, false), 1);
  EXPECT_EQ(FindTopicIndex(list, "loading", 99, false), -1);
}

class HelpListDialogTest : public ::testing::Test {
 protected:
  HelpList list = ParseHelpList(
      "\"Images\" \"begin\"\n\"Loading\" \"images.hlp\"\n\"Blinking\" \"images.hlp\"\n\"\" \"end\"\n"
      "\"Orbits\" \"begin\"\n\"Downloads\" \"download.hlp\"\n\"\" \"end\"\n");
  ScriptedPlatform ui;
  SearchDialogState search{"kept", true};
  TextMetrics metrics = TextMetrics::Fixed(8, 16, 1280);
  HelpListDialogLogic dialog;
};

TEST_F(HelpListDialogTest, ActivationFillsSizesAndSelects) {
  list.selectedTopicIndex = 2;
  dialog.Activate(&list, search, metrics, ui);
  EXPECT_EQ(dialog.Lines(),
            (std::vector<std::string>{"-Images-", "  Loading", "  Blinking", "", "-Orbits-", "  Downloads", ""}));
  // Widest line 11 characters = 88 pixels, below the 200-pixel floor.
  EXPECT_EQ(dialog.Geometry().clientWidth, 230);
  EXPECT_EQ(dialog.Geometry().clientHeight, 133);  // (7 + 1.3) * 16 = 132.8
  EXPECT_EQ(dialog.Selected(), 2);
  EXPECT_EQ(dialog.TopLine(), 2);
  EXPECT_EQ(search.text, "");
  EXPECT_FALSE(search.caseDependent);
  EXPECT_TRUE(ui.Messages().empty());

  // More than 21 lines: 22.3 line heights; a wide line is held to the screen.
  std::string many;
  for (int i = 0; i < 30; ++i) many += "\"" + std::string(40, 'w') + "\" \"f\"\n";
  HelpList big = ParseHelpList(many);
  dialog.Activate(&big, search, TextMetrics::Fixed(8, 16, 300), ui);
  EXPECT_EQ(dialog.Geometry().clientHeight, 357);  // 22.3 * 16 = 356.8
  EXPECT_EQ(dialog.Geometry().clientWidth, 290);
}

TEST_F(HelpListDialogTest, WithoutListTellsAndShowsNothing) {
  dialog.Activate(nullptr, search, metrics, ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "No Help List to Display!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
  EXPECT_TRUE(dialog.Lines().empty());
  EXPECT_EQ(dialog.ReadPrintTopic(ui), HelpListDialogLogic::Choice::kNothing);
  ScriptedSearch s;
  s.steps.push_back({SearchStart::FromTop, "Loading"});
  dialog.FindTopic(search, s, ui);
  EXPECT_TRUE(s.captions.empty());  // no search without a list
}

TEST_F(HelpListDialogTest, ReadPrintBeepsNamesHeadingsAndChoosesTopics) {
  dialog.Activate(&list, search, metrics, ui);
  dialog.Select(-1);
  EXPECT_EQ(dialog.ReadPrintTopic(ui), HelpListDialogLogic::Choice::kNothing);
  dialog.Select(3);
  EXPECT_EQ(dialog.ReadPrintTopic(ui), HelpListDialogLogic::Choice::kSeparatorBeep);
  EXPECT_EQ(ui.Beeps(), 1);
  EXPECT_TRUE(ui.Messages().empty());
  dialog.Select(4);
  EXPECT_EQ(dialog.ReadPrintTopic(ui), HelpListDialogLogic::Choice::kHeadingNamed);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Select a Topic Under \"-Orbits-\"");
  EXPECT_EQ(ui.Messages()[0].caption, "Topic Heading");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Information);
  EXPECT_EQ(list.selectedTopicIndex, 0);
  dialog.Select(5);
  EXPECT_EQ(dialog.ReadPrintTopic(ui), HelpListDialogLogic::Choice::kChosen);
  EXPECT_EQ(list.selectedTopicIndex, 5);
  // Closing remembers the selection, -1 without one.
  dialog.Select(-1);
  dialog.CloseTopics();
  EXPECT_EQ(list.selectedTopicIndex, -1);
  dialog.Activate(&list, search, metrics, ui);
  EXPECT_EQ(dialog.Selected(), -1);
  EXPECT_EQ(dialog.TopLine(), 0);
}

TEST_F(HelpListDialogTest, FindTopicFromTopFromCursorAndNotFound) {
  dialog.Activate(&list, search, metrics, ui);
  ScriptedSearch s;
  s.steps = {{SearchStart::FromTop, " blinking "},
             {SearchStart::FromCursor, "Blinking"},
             {SearchStart::FromTop, "Blinking", true},
             {SearchStart::Cancelled, ""}};
  dialog.FindTopic(search, s, ui);
  EXPECT_EQ(dialog.Selected(), 2);
  EXPECT_EQ(dialog.TopLine(), 2);
  dialog.FindTopic(search, s, ui);  // from line 3 on there is none
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "\"Blinking\" Not Found.");
  EXPECT_EQ(ui.Messages()[0].caption, "String Not Found");
  EXPECT_EQ(dialog.Selected(), 2);  // the selection stays
  dialog.FindTopic(search, s, ui);  // case dependent: the title has two leading blanks only
  EXPECT_EQ(dialog.Selected(), 2);
  EXPECT_EQ(ui.Messages().size(), 1u);
  dialog.FindTopic(search, s, ui);
  EXPECT_EQ(s.captions, (std::vector<std::string>(4, "Find Help Topic")));
  EXPECT_EQ(ui.Messages().size(), 1u);
}

}  // namespace
}  // namespace skarvel
