// The GUI's help self-test (skarvel --check-help) on the help files that come
// with the program, on a folder without them and on one that lost a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "shell/program_checks.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

const std::string kHelpDir = std::string(SKARVEL_HELP_DIR) + "/";

/// The topics of a list file counted from its text: every line whose second
/// quoted field is not "begin" or "end", plus the "On Help" entry.
int TopicsIn(const std::string& listText) {
  static const std::regex line(R"re(^\s*"[^"]*"\s+"([^"]*)")re", std::regex::icase);
  std::istringstream in(listText);
  int count = 1;
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (!std::regex_search(text, m, line)) continue;
    std::string file = m[1];
    for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (file != "begin" && file != "end") ++count;
  }
  return count;
}

TEST(CheckHelp, ReadsEveryTopicOfTheHelpThatComesWithTheProgram) {
  ScriptedPlatform ui;
  HelpSystem help(ui);
  const HelpCheck check = CheckHelp(help, kHelpDir, "TOOLSHLP.LST");
  EXPECT_TRUE(check.Ok());
  EXPECT_TRUE(check.listRead);
  EXPECT_EQ(check.topics, TopicsIn(testing::ReadText(kHelpDir + "TOOLSHLP.LST")));
  EXPECT_GT(check.topics, 40);
  EXPECT_TRUE(check.unreadable.empty());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_FALSE(help.WindowVisible());
  EXPECT_EQ(HelpCheckReport(check),
            "Help folder: " + kHelpDir + "\nTopics read: " + std::to_string(check.topics) + "\n");
}

TEST(CheckHelp, WithoutHelpFilesNothingIsReadAndTheWindowSaysSo) {
  TempDir root;
  const std::string empty = root.MakeDir("share/skarvel");
  ScriptedPlatform ui;
  HelpSystem help(ui);
  const HelpCheck check = CheckHelp(help, empty, "TOOLSHLP.LST");
  EXPECT_FALSE(check.Ok());
  EXPECT_FALSE(check.listRead);
  EXPECT_EQ(check.topics, 0);
  EXPECT_EQ(check.unreadable, std::vector<std::string>{"On Help"});
  ASSERT_FALSE(ui.Messages().empty());
  // The same messages as in a session: the help window cannot open its file.
  bool accessMessage = false;
  for (const auto& m : ui.Messages())
    if (m.caption == "Help Not Available" && m.text.find(empty + "VORNHELP.HLP") != std::string::npos)
      accessMessage = true;
  EXPECT_TRUE(accessMessage);
  EXPECT_EQ(HelpCheckReport(check),
            "Help folder: " + empty + "\nTopics read: 0\nTopic list not read\nNot read: On Help\n");
}

TEST(CheckHelp, NamesEveryTopicWhoseFileIsMissing) {
  TempDir root;
  const std::string dir = root.MakeDir("share/skarvel");
  for (const auto& entry : std::filesystem::directory_iterator(kHelpDir))
    std::filesystem::copy_file(entry.path(), dir + entry.path().filename().string());
  std::filesystem::remove(dir + "ORBITS.HLP");
  ScriptedPlatform ui;
  HelpSystem help(ui);
  const HelpCheck check = CheckHelp(help, dir, "TOOLSHLP.LST");
  EXPECT_FALSE(check.Ok());
  EXPECT_TRUE(check.listRead);
  // The topics of ORBITS.HLP, counted from the list text.
  const std::string list = testing::ReadText(dir + "TOOLSHLP.LST");
  int orbitTopics = 0;
  for (std::size_t at = list.find("\"ORBITS.HLP\""); at != std::string::npos; at = list.find("\"ORBITS.HLP\"", at + 1))
    ++orbitTopics;
  ASSERT_GT(orbitTopics, 0);
  EXPECT_EQ(static_cast<int>(check.unreadable.size()), orbitTopics);
  EXPECT_EQ(check.topics + orbitTopics, TopicsIn(list));
  EXPECT_NE(HelpCheckReport(check).find("Not read: " + check.unreadable.front() + "\n"), std::string::npos);
}

TEST(GuiUsage, NamesEverySwitchAndTheVersion) {
  const std::string usage = GuiUsageText();
  EXPECT_EQ(usage.rfind("Usage: skarvel [ORBFL=FILE.CMO] [ARGUMENT...]\n", 0), 0u);
  for (const char* s : {kHelpSwitch, kVersionSwitch, kCheckHelpSwitch})
    EXPECT_NE(usage.find(std::string("  ") + s + " "), std::string::npos) << s;
  EXPECT_EQ(GuiVersionLine(), std::string("skarvel ") + SKARVEL_VERSION_TEXT + "\n");
}

}  // namespace
}  // namespace skarvel
