// The help text reader, the help window's load steps and the printed page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundations/date_time.h"
#include "shell/help_window.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

const std::string kFixtures = std::string(SKARVEL_TEST_DATA_DIR) + "/help/";

TEST(HelpTopicReader, SeveralTopicsFramedBetweenBlankLines) {
  const std::string file = "*Loading Images*\nfirst line\n\nRELATED TOPICS\nBlinking\n*Blinking*\nblink text\n";
  HelpTopicText t = ReadHelpTopic(file, "Loading Images");
  ASSERT_TRUE(t.found);
  EXPECT_EQ(t.lines,
            (std::vector<std::string>{" ", "  first line  ", "    ", "  RELATED TOPICS  ", "  Blinking  ", " "}));
  EXPECT_EQ(t.relatedTopicsLine, 3);
  // A title contained in a header line finds the first such header.
  t = ReadHelpTopic(file, "blink");
  ASSERT_TRUE(t.found);
  EXPECT_EQ(t.lines, (std::vector<std::string>{" ", "  blink text  ", " "}));
  EXPECT_EQ(t.relatedTopicsLine, -1);
  t = ReadHelpTopic(file, "Images");
  EXPECT_EQ(t.lines[1], "  first line  ");
  t = ReadHelpTopic(file, "Orbits");
  EXPECT_FALSE(t.found);
  EXPECT_TRUE(t.lines.empty());
  // "related topics" in any letter case; the last such line counts.
  t = ReadHelpTopic("*T*\nRelated Topics\nrelated topics too\nX\n", "T");
  EXPECT_EQ(t.relatedTopicsLine, 2);
}

TEST(HelpTopicReader, UnstarredFileShowsFromItsFirstLineForAnyTitle) {
  const std::string bytes = testing::ReadText(kFixtures + "single.hlp");
  for (const char* title : {"Single Topic", "anything at all", ""}) {
    const HelpTopicText t = ReadHelpTopic(bytes, title);
    ASSERT_TRUE(t.found);
    ASSERT_EQ(t.lines.size(), 9u) << title;
    EXPECT_EQ(t.lines[1], "  A file of one topic: it has no header line and shows from its first line  ");
    EXPECT_EQ(t.lines[7], "  The text ends before the line of stars.  ");
    EXPECT_EQ(t.lines[8], " ");
  }
  // An empty first line is a one-topic file too.
  EXPECT_EQ(ReadHelpTopic("\n*Other*\nx\n", "Other").lines, (std::vector<std::string>{" ", "    ", " "}));
}

TEST(HelpTopicReader, WrapsAt72Characters) {
  const HelpTopicText t = ReadHelpTopic(testing::ReadText(kFixtures + "single.hlp"), "Single Topic");
  // 72 characters: one line.
  EXPECT_EQ(t.lines[3], "  The seventy-two character line stands here and is not wrapped at all: ok  ");
  // 73 characters: broken after the last blank within the first 72.
  EXPECT_EQ(t.lines[4], "  The seventy-three character line stands here and it is wrapped once:   ");
  EXPECT_EQ(t.lines[5], "  okay  ");
  EXPECT_EQ(t.lines[6], "    ");
  // A long line holding RELATED TOPICS does not mark it (only short lines do).
  const HelpTopicText longer = ReadHelpTopic("RELATED TOPICS " + std::string(70, 'x') + "\n", "");
  EXPECT_EQ(longer.relatedTopicsLine, -1);
  EXPECT_EQ(longer.lines.size(), 4u);
}

TEST(HelpTopicReader, HostileBytesNeverCrash) {
  std::string garbage;
  for (int i = 0; i < 8192; ++i) garbage.push_back(static_cast<char>((i * 37 + 11) % 256));
  EXPECT_NO_THROW(ReadHelpTopic(garbage, "x"));
  EXPECT_NO_THROW(ReadHelpTopic("*" + garbage, "x"));
  const HelpTopicText noBlank = ReadHelpTopic(std::string(500, 'y'), "");
  ASSERT_EQ(noBlank.lines.size(), 9u);  // seven pieces broken at the width, two blank lines
  EXPECT_EQ(noBlank.lines[1], "  " + std::string(72, 'y') + "  ");
  EXPECT_TRUE(ReadHelpTopic("", "x").found);
}

class HelpWindowTest : public ::testing::Test {
 protected:
  ScriptedPlatform ui;
  HelpWindowLogic w;
  TextMetrics metrics = TextMetrics::Fixed(8, 16, 1280);
};

TEST_F(HelpWindowTest, LoadStepMessages) {
  w.LoadStep(metrics, true, ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "THelpWin Parameters Not Set!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
  EXPECT_FALSE(w.Loaded());

  ui.ClearRecords();
  w.SetTopic({"  Missing File", "nofile.hlp"}, kFixtures);
  w.LoadStep(metrics, true, ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Cannot Access Help File " + kFixtures + "nofile.hlp\r\n\r\nFile Not Found!");
  EXPECT_EQ(ui.Messages()[0].caption, "Help Not Available");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Exclamation);
  EXPECT_EQ(w.Caption(), "Help - Missing File");
  EXPECT_FALSE(w.Loaded());
  EXPECT_TRUE(w.Lines().empty());

  ui.ClearRecords();
  w.SetTopic({"Absent Topic", "images.hlp"}, kFixtures);
  w.LoadStep(metrics, true, ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Help Topic: Absent Topic\r\n\r\nHelp on this topic is not available at this time.");
  EXPECT_EQ(ui.Messages()[0].caption, "Topic Not Found");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Information);
  EXPECT_TRUE(w.Loaded());
  EXPECT_FALSE(w.ShowTopicsEnabled());

  ui.ClearRecords();
  w.SetTopic({"Short Topic", "short.hlp"}, kFixtures);
  w.LoadStep(metrics, true, ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "No Text for Topic");
  EXPECT_EQ(ui.Messages()[0].text, "Help Topic: Short Topic\r\n\r\nHelp on this topic is not available at this time.");
  EXPECT_EQ(w.Lines().size(), 3u);  // shown all the same

  // A line of exactly 200 pixels is still empty; 201 counts as text.
  ui.ClearRecords();
  TempDir dir;
  testing::WriteText(dir / "w.hlp", std::string(21, 'a') + "\n");  // 21 + 4 = 25 characters = 200 pixels
  w.SetTopic({"W", "w.hlp"}, dir.Path());
  w.LoadStep(metrics, true, ui);
  EXPECT_EQ(ui.Captions(), std::vector<std::string>{"No Text for Topic"});
  ui.ClearRecords();
  w.LoadStep(TextMetrics::Fixed(9, 16, 1280), false, ui);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(w.ClientWidth(), 245);  // 225 + 20
  EXPECT_EQ(w.ClientHeight(), 69);  // (3 + 1.3) * 16 = 68.8
  EXPECT_FALSE(w.ShowTopicsEnabled());
}

TEST_F(HelpWindowTest, SizeFollowsTheLines) {
  w.SetTopic({"Loading Images", "images.hlp"}, kFixtures);
  w.LoadStep(metrics, true, ui);
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_EQ(w.Lines().size(), 9u);
  EXPECT_EQ(w.RelatedTopicsLine(), 4);
  // The widest line: 70 characters + 4 = 74 * 8 = 592 pixels.
  EXPECT_EQ(w.ClientWidth(), 612);
  EXPECT_EQ(w.ClientHeight(), 165);  // (9 + 1.3) * 16 = 164.8
  EXPECT_TRUE(w.ShowTopicsEnabled());
  w.LoadStep(TextMetrics::Fixed(8, 16, 400), true, ui);
  EXPECT_EQ(w.ClientWidth(), 390);
}

TEST_F(HelpWindowTest, HistoryRecordsOnceAndBackWalksIt) {
  HelpList list = ParseHelpList("\"A\" \"a\"\n\"B\" \"b\"\n\"C\" \"c\"\n");
  w.SetTopic({"A", "a"}, "dir/");
  w.ShowStep();
  w.ShowStep();  // the same topic again: recorded once
  EXPECT_EQ(w.HistoryTitles(), std::vector<std::string>{"A"});
  EXPECT_FALSE(w.BackEnabled());
  w.SetTopic({"B", "b"}, "dir/");
  w.ShowStep();
  w.SetTopic({"C", "c"}, "dir/");
  w.ShowStep();
  EXPECT_EQ(w.HistoryTitles(), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_TRUE(w.BackEnabled());
  ASSERT_TRUE(w.Back(&list, "prog/"));
  EXPECT_EQ(w.CurrentTopic()->title, "B");
  EXPECT_EQ(w.Directory(), "prog/");
  EXPECT_EQ(list.selectedTopicIndex, 1);
  EXPECT_EQ(w.HistoryTitles(), (std::vector<std::string>{"A", "C"}));
  EXPECT_TRUE(w.BackEnabled());
  ASSERT_TRUE(w.Back(&list, "prog/"));
  EXPECT_EQ(w.CurrentTopic()->title, "A");
  EXPECT_EQ(w.HistoryTitles(), std::vector<std::string>{"C"});
  EXPECT_FALSE(w.BackEnabled());
  EXPECT_FALSE(w.Back(&list, "prog/"));
  // An entry that the list does not have ("On Help") is dropped, nothing shown.
  w.SetTopic({"On Help", "VORNHELP.HLP"}, "prog/");
  w.ShowStep();
  w.SetTopic({"B", "b"}, "prog/");
  w.ShowStep();
  EXPECT_EQ(w.HistoryTitles(), (std::vector<std::string>{"C", "On Help", "B"}));
  EXPECT_FALSE(w.Back(&list, "prog/"));
  EXPECT_EQ(w.HistoryTitles(), (std::vector<std::string>{"C", "B"}));
  EXPECT_EQ(w.CurrentTopic()->title, "B");
  // Closing clears the history unless the window reloads itself.
  w.clearHistoryOnClose = false;
  w.Close();
  EXPECT_EQ(w.HistoryTitles().size(), 2u);
  w.clearHistoryOnClose = true;
  w.Close();
  EXPECT_TRUE(w.HistoryTitles().empty());
  EXPECT_FALSE(w.BackEnabled());
  // With RecordInHistory off nothing is recorded.
  w.recordInHistory = false;
  w.ShowStep();
  EXPECT_TRUE(w.HistoryTitles().empty());
}

TEST_F(HelpWindowTest, RelatedTopicsFollowOnlyLinesBelowTheMark) {
  TempDir dir;
  HelpList list = ParseHelpList(testing::ReadText(kFixtures + "TOOLSHLP.LST"));
  EXPECT_FALSE(w.RelatedTopic(5, &list, false, kFixtures));  // nothing loaded yet
  w.SetTopic({"  Loading Images", "images.hlp"}, kFixtures);
  w.LoadStep(metrics, true, ui);
  ASSERT_EQ(w.RelatedTopicsLine(), 4);
  EXPECT_FALSE(w.RelatedTopic(4, &list, false, kFixtures));  // the mark itself
  EXPECT_FALSE(w.RelatedTopic(2, &list, false, kFixtures));  // above it
  EXPECT_FALSE(w.RelatedTopic(7, &list, false, kFixtures));  // "No Such Topic"
  EXPECT_FALSE(w.RelatedTopic(99, &list, false, kFixtures));
  EXPECT_FALSE(w.RelatedTopic(5, nullptr, false, kFixtures));
  ASSERT_TRUE(w.RelatedTopic(6, &list, false, kFixtures));
  EXPECT_EQ(w.CurrentTopic()->title, "  Download the MPC Database");
  EXPECT_EQ(list.selectedTopicIndex, 6);
  // Without a RELATED TOPICS line every line is followed.
  w.SetTopic({"Blinking", "images.hlp"}, kFixtures);
  w.LoadStep(metrics, true, ui);
  EXPECT_EQ(w.RelatedTopicsLine(), -1);
  EXPECT_FALSE(w.RelatedTopic(0, &list, false, kFixtures));  // " " names no separator
  EXPECT_FALSE(w.RelatedTopic(1, &list, false, kFixtures));  // a text line
  EXPECT_EQ(w.CurrentTopic()->title, "Blinking");
  EXPECT_TRUE(ui.Messages().empty());
  // A heading's title is no topic to show.
  testing::WriteText(dir.Path() + "h.hlp", "-Orbits-\n");
  w.SetTopic({"H", "h.hlp"}, dir.Path());
  w.LoadStep(metrics, true, ui);
  EXPECT_EQ(ui.Captions(), std::vector<std::string>{"No Text for Topic"});  // too narrow, shown all the same
  EXPECT_FALSE(w.RelatedTopic(1, &list, false, kFixtures));
  EXPECT_EQ(w.CurrentTopic()->title, "H");
}

TEST(HelpPrintLayout, RowsIndentsAndTheCutAtThePageEnd) {
  HelpPrintSettings s;
  s.now = *EncodeDateTime(2026, 12, 10, 9, 30, 5.0L);
  s.login.studentName1 = "Ann";
  s.login.studentName3 = "Cid";
  const std::vector<std::string> lines = {" ", "  text  ", " "};
  PrintedPage page = LayoutHelpPrint(lines, "Help - On Help", s, 60);
  ASSERT_EQ(page.size(), 8u);
  const auto is = [&page](std::size_t i, int row, int indent, const std::string& text) {
    EXPECT_EQ(page[i].row, row) << i;
    EXPECT_EQ(page[i].indent, indent) << i;
    EXPECT_EQ(page[i].text, text) << i;
  };
  is(0, 0, 0, "2026/12/10 09:30:05     Laboratory Table Number (Not Recorded)");
  is(1, 2, 0, "Ann");
  is(2, 3, 0, "Cid");  // names 2 and 4 are empty: no line
  is(3, 5, 50, "VORN Astrometry Laboratory - Ann");
  is(4, 7, 50, "Help - On Help");
  is(5, 9, 50, " ");
  is(6, 10, 50, "  text  ");
  is(7, 11, 50, " ");
  s.labTable = "12";
  s.login.studentName2 = "Bo";
  s.login.studentName4 = "Di";
  page = LayoutHelpPrint(lines, "Help - On Help", s, 12);
  EXPECT_EQ(page[0].text, "2026/12/10 09:30:05     Laboratory Table Number 12");
  EXPECT_EQ(page[4].text, "Di");
  EXPECT_EQ(page[4].row, 5);
  EXPECT_EQ(page[5].row, 7);
  // Lines from row 12 on fall off the one page.
  ASSERT_EQ(page.size(), 8u);
  EXPECT_EQ(page.back().row, 11);
  EXPECT_EQ(page.back().text, " ");
  EXPECT_EQ(HelpPrintJobTitle(s.login), "VORN Astrometry Laboratory - Ann");
}

}  // namespace
}  // namespace skarvel
