#include "support/scripted_platform.h"

#include <gtest/gtest.h>

namespace skarvel {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

TEST(ScriptedPlatform, RecordsMessagesAndAnswersFromTheQueue) {
  testing::ScriptedPlatform ui;
  ui.AnswerNext(Answer::No);
  EXPECT_EQ(platform::Tell(ui, "Close?", "Verify Exit", Icon::Question, Buttons::YesNo), Answer::No);
  // An empty queue gives the default button and counts as unanswered.
  EXPECT_EQ(platform::Tell(ui, "Sure?", "Confirm", Icon::Question, Buttons::YesNoCancel), Answer::Yes);
  // An OK box needs no answer.
  EXPECT_EQ(platform::Tell(ui, "Done", "Note", Icon::Information, Buttons::Ok, true), Answer::Ok);
  ASSERT_EQ(ui.Messages().size(), 3u);
  EXPECT_EQ(ui.Messages()[0].text, "Close?");
  EXPECT_EQ(ui.Messages()[1].buttons, Buttons::YesNoCancel);
  EXPECT_EQ(ui.Messages()[2].icon, Icon::Information);
  EXPECT_EQ(ui.Unanswered(), 1);
  EXPECT_EQ(ui.Beeps(), 1);
}

TEST(ScriptedPlatform, DialogsAreCancelledUnlessScripted) {
  testing::ScriptedPlatform ui;
  ui.ChooseDirectoryNext(std::string("/tmp/x"));
  EXPECT_EQ(ui.ChooseDirectory({"Pick", "/", true}), std::optional<std::string>("/tmp/x"));
  EXPECT_FALSE(ui.ChooseDirectory({"Pick", "/", true}).has_value());
  EXPECT_FALSE(ui.SaveFile({"Save", "A (*.A)|.A", ".A", "/", "", false}).has_value());
  EXPECT_EQ(ui.DirectoryDialogs().size(), 2u);
  EXPECT_TRUE(ui.DirectoryDialogs()[0].mayCreate);
  EXPECT_EQ(ui.SaveDialogs().front().title, "Save");
}

TEST(ScriptedPlatform, BusyCursorNestsAndProgressRecordsPositions) {
  testing::ScriptedPlatform ui;
  {
    platform::BusyCursor outer(ui);
    platform::BusyCursor inner(ui);
    EXPECT_EQ(ui.BusyDepth(), 2);
  }
  EXPECT_EQ(ui.BusyDepth(), 0);
  ui.StopProgressAfter(2);
  auto progress = ui.OpenProgress("Converting", "Working", 100, true);
  progress->SetPosition(10);
  EXPECT_FALSE(progress->StopRequested());
  progress->SetPosition(20);
  EXPECT_TRUE(progress->StopRequested());
  EXPECT_EQ(ui.Progress().front().position, 20);
  progress.reset();
  EXPECT_FALSE(ui.Progress().front().open);
}

}  // namespace
}  // namespace skarvel
