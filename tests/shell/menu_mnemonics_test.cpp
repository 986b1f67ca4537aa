// Every menu of the main window reaches each of its items by its own
// underlined letter: two items of one menu with the same letter make the
// second unreachable by the keyboard.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>

#include "shell/menu_model.h"

namespace skarvel {
namespace {

/// The letter after the first single "&" of a caption (lower case); 0 when none.
char Mnemonic(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

// The pairs the program's own captions give in one menu ("&File" and
// "&Report"): these texts are the system's and stay as they are.
const std::set<std::set<std::string>> kGivenPairs = {{"L&oad Image Files", "Download &Orbit Database"},
                                                     {"&Save Report Data...", "Access &Spreadsheet"}};

void CheckMenu(const MenuItem& menu, std::vector<std::string>& clashes) {
  std::map<char, std::string> taken;
  for (const MenuItem& item : menu.children) {
    if (item.separator) continue;
    if (item.IsSubmenu()) CheckMenu(item, clashes);
    const char letter = Mnemonic(item.caption);
    if (letter == 0) continue;
    const auto [at, fresh] = taken.emplace(letter, item.caption);
    if (!fresh && kGivenPairs.count({at->second, item.caption}) == 0)
      clashes.push_back(menu.caption + ": \"" + at->second + "\" and \"" + item.caption + "\"");
  }
}

TEST(MenuMnemonics, NoTwoItemsOfAMenuShareALetter) {
  EXPECT_EQ(Mnemonic("Find Moving &Objects..."), 'o');
  EXPECT_EQ(Mnemonic("Help  on &Comet File Download"), 'c');
  EXPECT_EQ(Mnemonic("Drag && Drop"), 0);
  EXPECT_EQ(Mnemonic("Drag && &Drop"), 'd');
  const MenuModel model = MenuModel::Designed();
  std::vector<std::string> clashes;
  MenuItem bar;
  bar.caption = "menu bar";
  bar.children = model.Bar();
  CheckMenu(bar, clashes);
  CheckMenu(model.Popup(), clashes);
  EXPECT_TRUE(clashes.empty()) << ::testing::PrintToString(clashes);
  // The moving-object search has a letter of its own beside "&View/Adjust...".
  EXPECT_EQ(model.Find("MovingObjects1")->caption, "Find Moving &Objects...");
}

}  // namespace
}  // namespace skarvel
