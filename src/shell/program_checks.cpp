#include "shell/program_checks.h"

#include "astrometry/info_list.h"

namespace skarvel {

std::string GuiUsageText() {
  return "Usage: skarvel [ORBFL=FILE.CMO] [ARGUMENT...]\n"
         "       skarvel --help | --version | --check-help\n"
         "\n"
         "The Skarvel workbench for CCD astrometry of minor planets and comets: load up to\n"
         "four CCD images of one field, blink them, pair catalog stars with image stars,\n"
         "solve the plate and report the target to the Minor Planet Center.\n"
         "\n"
         "Any argument makes the current directory the image directory. A text \"ORBFL=\"\n"
         "followed by a path ending in \"CMO\" names a TARNE orbit file and shows the TARNE\n"
         "menu items.\n"
         "\n"
         "Switches (each ends the program at once, without a window):\n"
         "  --help        this text\n"
         "  --version     the program's version\n"
         "  --check-help  reads the help files as the Help menu does (the topic list and\n"
         "                every topic), prints the help folder and the number of topics\n"
         "                read; exit status 0 when every topic was read, 1 otherwise.\n"
         "                Without a display: QT_QPA_PLATFORM=offscreen skarvel --check-help\n"
         "\n"
         "Files:\n"
         "  The options file ASTROPTS.INI and the session log are kept in the current\n"
         "  directory when it is writable, else in $XDG_DATA_HOME/VORN/Toolkit\n"
         "  (~/.local/share/VORN/Toolkit). The help files and the demo night are read from\n"
         "  the program's data folder, ../share/skarvel beside the folder of the program.\n"
         "  \"Open Demo Night\" in the Help menu copies the demo night into\n"
         "  $XDG_DATA_HOME/skarvel/demo-night (~/.local/share/skarvel/demo-night).\n"
         "\n"
         "See also: skarvel-cli(1), the command-line program of the same computations.\n";
}

std::string GuiVersionLine() { return std::string("skarvel ") + SKARVEL_VERSION_TEXT + "\n"; }

namespace {

bool IsTopic(const HelpTopicEntry& entry) {
  return !entry.IsSeparator() && !entry.IsHeading() && LowerLatin1(entry.fileName) != "end";
}

}  // namespace

HelpCheck CheckHelp(HelpSystem& help, const std::string& directory, const std::string& listFile) {
  HelpCheck check;
  check.directory = directory;
  help.SetProgramDir(directory);
  help.LoadList(directory + listFile);
  HelpList* list = help.List();
  check.listRead = list != nullptr && list->loaded;
  // A topic counts as read when the window's load step ended with its lines.
  auto tally = [&](const std::string& title) {
    if (help.Window().Loaded() && !help.Window().Lines().empty()) {
      ++check.topics;
    } else {
      check.unreadable.push_back(title);
    }
  };
  help.OnHelp();
  tally(std::string(kOnHelpTitle));
  if (list != nullptr) {
    for (std::size_t i = 0; i < list->Size(); ++i) {
      const HelpTopicEntry* entry = list->entries.GetAt(static_cast<std::int32_t>(i));
      if (entry == nullptr || !IsTopic(*entry)) continue;
      help.ShowEntry(*entry);
      tally(entry->title);
    }
  }
  help.CloseWindow();
  return check;
}

std::string HelpCheckReport(const HelpCheck& check) {
  std::string out = "Help folder: " + check.directory + "\n";
  out += "Topics read: " + std::to_string(check.topics) + "\n";
  if (!check.listRead) out += "Topic list not read\n";
  for (const std::string& title : check.unreadable) out += "Not read: " + title + "\n";
  return out;
}

}  // namespace skarvel
