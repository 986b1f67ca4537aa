// What the two programs tell about themselves before any window opens: the
// GUI's command-line usage and its help self-test (`skarvel --check-help`),
// which reads the help files the way the help window does.
//
// Usage:
//   HelpSystem help(ui);                        // with the help window's views, if any
//   HelpCheck check = CheckHelp(help, fs::InstallationDataDirectory(), "TOOLSHLP.LST");
//   std::cout << HelpCheckReport(check);  return check.Ok() ? 0 : 1;
#pragma once

#include <string>
#include <vector>

#include "shell/help_system.h"

namespace skarvel {

/// The GUI's switches that end the program before the session starts.
inline constexpr const char* kHelpSwitch = "--help";
inline constexpr const char* kVersionSwitch = "--version";
inline constexpr const char* kCheckHelpSwitch = "--check-help";

/// The text of `skarvel --help` (also the source of its manual page).
std::string GuiUsageText();

/// The line of `skarvel --version`: "skarvel " + the version + line break.
std::string GuiVersionLine();

/// What CheckHelp found.
struct HelpCheck {
  std::string directory;               ///< the folder the help files were looked for in
  bool listRead = false;               ///< the topic list was read to its end
  int topics = 0;                      ///< topics shown: "On Help" and every topic of the list
  std::vector<std::string> unreadable;  ///< titles whose text could not be shown
  bool Ok() const { return listRead && topics > 0 && unreadable.empty(); }
};

/// Reads the topic list `directory` + `listFile` into `help` and shows first
/// the "On Help" entry, then every topic of the list (headings, separators and
/// group ends skipped) through `help`, as the Help menu would; a topic counts
/// as read when the window's load step ended with its lines. The messages of a
/// failure go to `help`'s platform as they do in a session. The window is
/// closed again at the end.
HelpCheck CheckHelp(HelpSystem& help, const std::string& directory, const std::string& listFile);

/// The report of `skarvel --check-help`: "Help folder: " + folder, "Topics
/// read: " + count, and for every topic that failed "Not read: " + title, one
/// per line.
std::string HelpCheckReport(const HelpCheck& check);

}  // namespace skarvel
