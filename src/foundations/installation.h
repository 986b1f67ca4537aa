// Where the program finds the read-only files it comes with (the help texts,
// the demo night): one rule for the build tree and for an installed program.
//
// `cmake --install` puts the programs into <prefix>/bin and their files into
// <prefix>/share/skarvel; the build tree mirrors that layout (the programs in
// build/src, their files in build/share/skarvel). Both are found from the
// folder of the running executable by the same relative path, so a program
// moved together with its files (a DESTDIR, another prefix) still finds them.
//
// Usage:
//   const std::string dir = fs::InstallationDataDirectory();   // ".../share/skarvel/"
//   help.LoadList(dir + "TOOLSHLP.LST");
#pragma once

#include <string>

namespace skarvel::fs {

/// The path from the folder of the programs to the folder of their files, as
/// the build was configured (GNU install directories: "../share/skarvel").
std::string DataPathFromPrograms();

/// The folder of the program's files for an executable in `executableDir`:
/// `executableDir` + DataPathFromPrograms(), normalised ("a/bin/../share/x/"
/// becomes "a/share/x/"), when that folder exists; otherwise `executableDir`
/// itself (the files are then expected beside the program). Always with a
/// trailing separator; empty `executableDir` gives "".
std::string InstallationDataDirectory(const std::string& executableDir);

/// The same for the running process (ExecutableDirectory()).
std::string InstallationDataDirectory();

}  // namespace skarvel::fs
