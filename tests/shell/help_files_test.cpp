// The help files that come with the program (data/help, copied beside the
// executable): every topic the program opens by name is listed, every listed
// topic and each of the main window's own entries is found with text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "shell/astrm_lab.h"
#include "shell/help_system.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

const std::string kHelpDir = std::string(SKARVEL_HELP_DIR) + "/";

/// What the load step of the help window said about `entry` (empty: found with text).
std::vector<std::string> LoadMessages(const HelpTopicEntry& entry, std::size_t* lines = nullptr) {
  ScriptedPlatform ui;
  HelpWindowLogic w;
  w.SetTopic(entry, kHelpDir);
  // Courier New of the window: about 8 pixels a character.
  w.LoadStep(TextMetrics::Fixed(8, 16, 1280), true, ui);
  if (lines != nullptr) *lines = w.Lines().size();
  std::vector<std::string> said;
  for (const auto& m : ui.Messages()) said.push_back(m.caption + ": " + m.text);
  return said;
}

TEST(InstalledHelpFiles, EveryTopicNamedInCodeIsListedWithText) {
  ScriptedPlatform ui;
  auto list = LoadHelpList(kHelpDir + "TOOLSHLP.LST", ui);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(ui.Messages().empty());
  for (const std::string_view title : kHelpTopicsNamedInCode) {
    const int i = FindTopicIndex(*list, title, 0, false);
    ASSERT_GE(i, 0) << title;
    const HelpTopicEntry entry = *list->At(i);
    EXPECT_FALSE(entry.IsHeading()) << title;
    EXPECT_TRUE(std::filesystem::exists(kHelpDir + entry.fileName)) << entry.fileName;
    std::size_t lines = 0;
    EXPECT_TRUE(LoadMessages(entry, &lines).empty()) << title;
    EXPECT_GT(lines, 3u) << title;
  }
}

TEST(InstalledHelpFiles, EveryListedTopicIsFoundWithText) {
  ScriptedPlatform ui;
  auto list = LoadHelpList(kHelpDir + "TOOLSHLP.LST", ui);
  ASSERT_NE(list, nullptr);
  int topics = 0;
  for (int i = 0; i <= list->entries.LastIndex(); ++i) {
    const HelpTopicEntry entry = *list->At(i);
    if (entry.IsSeparator() || entry.IsHeading()) continue;
    ++topics;
    EXPECT_TRUE(std::filesystem::exists(kHelpDir + entry.fileName)) << entry.title << ": " << entry.fileName;
    const auto said = LoadMessages(entry);
    EXPECT_TRUE(said.empty()) << entry.title << ": " << (said.empty() ? "" : said.front());
  }
  EXPECT_GT(topics, 3);
}

TEST(InstalledHelpFiles, TheMainWindowFindsItsOwnEntriesWithTheDefaultOptions) {
  TempDir root;
  ScriptedPlatform ui;
  AstrmLabEnvironment env = testing::LabEnvironment(root);
  for (const auto& file : std::filesystem::directory_iterator(kHelpDir))
    std::filesystem::copy_file(file.path(), env.storage.programDir + file.path().filename().string(),
                               std::filesystem::copy_options::overwrite_existing);
  AstrmLab lab(ui, env);
  ASSERT_EQ(lab.Create(), AstrmLab::StartResult::Running);
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_NE(lab.Help().List(), nullptr);
  ASSERT_TRUE(lab.Run("OnHelp1"));
  EXPECT_EQ(lab.Help().Window().Caption(), "Help - On Help");
  EXPECT_GT(lab.Help().Window().Lines().size(), 3u);
  lab.Help().ObsParamsHelp();
  EXPECT_EQ(lab.Help().Window().Caption(), "Help - " + std::string(kObsParamsHelpTopic));
  EXPECT_GT(lab.Help().Window().Lines().size(), 3u);
  for (const char* command : {"HelponLowelldownload1", "HelponMPCdownload1", "HelponCometFileDownload1"})
    ASSERT_TRUE(lab.Run(command)) << command;
  EXPECT_EQ(lab.Help().Window().Caption(), "Help - Download the MPC Comet File");
  for (const auto& m : ui.Messages()) ADD_FAILURE() << m.caption << ": " << m.text;
}

}  // namespace
}  // namespace skarvel
