// What the process command line tells the main window.
#pragma once

#include <string>

namespace skarvel {

struct CommandLineEffect {
  /// Anything followed the program's name: the image directory becomes the current directory.
  bool anyArgument = false;
  /// The TARNE orbit file named by "ORBFL=", upper-cased, ending with its "CMO"; empty when none.
  std::string orbitFileArg;
  /// "ORBFL" was given: the TARNE menu items are shown.
  bool tarne = false;
};

/// Interprets the text that follows the program's name: it is upper-cased;
/// when anything is left, `anyArgument`; when it contains "ORBFL", the text
/// from "ORBFL" to the end without everything up to and including the first
/// "=", and, when that contains "CMO", without everything after the first "CMO".
CommandLineEffect ParseCommandArguments(const std::string& arguments);

/// A whole command line in the classic form ("C:\PROG\SKARVEL.EXE ARGS"):
/// upper-cased, everything up to and including the first ".EXE" and the one
/// character after it removed, the rest as ParseCommandArguments. Without
/// ".EXE" the line is taken as the arguments alone.
CommandLineEffect ParseCommandLine(const std::string& commandLine);

}  // namespace skarvel
