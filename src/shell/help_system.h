// The help system of the main window: the topic list, the help window's
// logic, the topic list dialog's logic and every command that opens help.
//
// AstrmLab owns one HelpSystem. The GUI hands it the two windows through
// HelpViews; without them (tests, a session without windows) the logic runs
// alone and nothing is drawn.
//
// Usage:
//   help.LoadList(programDir + "TOOLSHLP.LST");
//   help.OnHelp();                                   // "On &Help"
//   help.ShowTopicByTitle("Download the MPC Database");
//   help.Back();  help.RelatedTopic(line);  help.ShowHelpTopics();
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "astrometry/info_list.h"
#include "orbits/download_commands.h"
#include "platform/platform.h"
#include "shell/help_list.h"
#include "shell/help_window.h"

namespace skarvel {

/// The topic of the observation parameters dialog's help button, read from its own file.
inline constexpr std::string_view kObsParamsHelpTopic = "Set Object Information Parameters";
inline constexpr std::string_view kObsParamsHelpFile = "toolshlp.txt";

/// The titles of the main window's own entries.
inline constexpr std::string_view kOnHelpTitle = "On Help";
inline constexpr std::string_view kUserHelpTitle = "User Help";

/// Every topic title the program opens through the topic list by name (the
/// download help commands). Each must be listed in "TOOLSHLP.LST"; a title
/// added to the code belongs here too.
inline constexpr std::array<std::string_view, 3> kHelpTopicsNamedInCode = {kLowellDownloadTopic, kMpcDownloadTopic,
                                                                           kCometDownloadTopic};

/// The windows of the help system.
struct HelpViews {
  /// Shows the help window (or brings it to the front) and redraws it from the logic.
  std::function<void()> showWindow;
  /// Hides the help window (it reloads itself by hiding and showing again).
  std::function<void()> hideWindow;
  /// The topic list dialog shown modally on the activated logic: true when it closed with OK.
  std::function<bool(HelpListDialogLogic&)> runTopicList;
  /// Font measures of the help window and of the topic list dialog.
  TextMetrics windowMetrics = TextMetrics::Fixed(8, 16, 1280);
  TextMetrics listMetrics = TextMetrics::Fixed(8, 16, 1280);
};

class HelpSystem {
 public:
  explicit HelpSystem(platform::Platform& ui) : ui_(ui) {}

  void SetViews(HelpViews views) { views_ = std::move(views); }
  HelpViews& Views() { return views_; }
  /// The search dialog's state shared with the list windows (by default the system's own).
  void SetSearchState(SearchDialogState* state) { search_ = state != nullptr ? state : &ownSearch_; }
  SearchDialogState& Search() { return *search_; }
  /// The program folder every help file is looked up in.
  void SetProgramDir(std::string dir) { programDir_ = std::move(dir); }
  const std::string& ProgramDir() const { return programDir_; }
  /// The file names of the "On Help" and "User Help" entries (cut to 71 characters).
  void SetHelpFiles(const std::string& helpFile, const std::string& userHelpFile);

  /// LoadHelpList: the previous list is released and `path` read; on failure
  /// both messages and no topic list afterwards.
  void LoadList(const std::string& path);
  /// The main window's topic list, or null.
  HelpList* List() { return list_.get(); }

  // ---- commands that open help ----
  /// "On &Help": the "On Help" entry in the help window.
  void OnHelp();
  /// "&User": the "User Help" entry.
  void UserHelp();
  /// "&Topics...": the topic list dialog; on OK its topic in the help window.
  void Topics();
  /// The observation parameters dialog's help button: "Set Object
  /// Information Parameters" in "toolshlp.txt".
  void ObsParamsHelp();
  /// Shows `entry` (a copy) from the program folder in the help window.
  void ShowEntry(const HelpTopicEntry& entry);
  /// The topic list entry titled `title` in the help window; when the list
  /// has none: "Cannot find Help topic ..." ("Help Topic Not Found",
  /// question icon) and false.
  bool ShowTopicByTitle(const std::string& title);

  // ---- commands of the help window ----
  /// "Show Help &Topics...": the topic list dialog; on OK its topic, recorded.
  void ShowHelpTopics();
  /// "&Back".
  void Back();
  /// The double click on a line of the help window.
  void RelatedTopic(int line);
  /// "&Search Text...".
  void SearchText(ListDialogs& dialogs);
  /// "&Close Topic Window" or closing the window by hand.
  void CloseWindow();

  HelpWindowLogic& Window() { return window_; }
  HelpListDialogLogic& ListDialog() { return dialog_; }
  bool WindowVisible() const { return visible_; }

 private:
  /// Makes the window visible (the show step when it was hidden), then the load step.
  void Present();
  /// Hides and shows the window again for a new topic, the history kept.
  void Reload(bool record);
  /// The topic list dialog, activated on the list; true on OK.
  bool RunTopicList();

  platform::Platform& ui_;
  HelpViews views_;
  SearchDialogState ownSearch_;
  SearchDialogState* search_ = &ownSearch_;
  std::string programDir_;
  HelpTopicEntry onHelp_{std::string(kOnHelpTitle), "VORNHELP.HLP"};
  HelpTopicEntry userHelp_{std::string(kUserHelpTitle), ""};
  std::unique_ptr<HelpList> list_;
  HelpWindowLogic window_;
  HelpListDialogLogic dialog_;
  bool visible_ = false;
};

}  // namespace skarvel
