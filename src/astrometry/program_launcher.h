// The program launcher of "Access &Spreadsheet": starts the spreadsheet
// program (or the desktop's program for the file) on a chosen file and
// remembers the process so that a second start while it runs is refused.
//
// Programs are started through platform::Platform::StartProcess with an
// argument list; no shell ever sees the file or program name, so blanks,
// quotes and semicolons in them are passed on as they are.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace skarvel {

/// The program that opens a file with the desktop's program for its type.
inline constexpr const char* kDesktopOpener = "xdg-open";

/// The result of asking for the program associated with a file: above 32 the
/// program was found; else the code (0 no resources, 2 file not found,
/// 3 path not found, 11 bad program file, 31 no association).
struct AssociatedProgram {
  int result = 0;
  std::string program;
};

/// The program associated with `fileName` in `directory` (a folder with its
/// trailing separator): the desktop opener when the file exists (result 33),
/// 3 when the folder does not exist, 2 when the file does not.
AssociatedProgram FindAssociatedProgram(const std::string& directory, const std::string& fileName);

/// The suffix of an association failure code (" - File Not Found" for 2, ...; "" for others).
std::string AssociationFailureSuffix(int code);
/// The suffix of a start failure code (" - File Not Found" for 2, " - Access Denied" for 5, ...).
std::string RunFailureSuffix(int code);

class ExecMod32Obj {
 public:
  explicit ExecMod32Obj(platform::Platform& ui) : ui_(ui) {}

  /// True when `program` is the last started program and its process still
  /// runs; otherwise the old process is forgotten and the result is false.
  bool IsRunning(const std::string& program);
  /// Unless that program runs, starts `program` with `arguments` (each one
  /// argument of the process, never split or interpreted) in `directory`.
  /// True when it started; LastError() then is 0, else the system's code.
  bool Run(const std::string& program, const std::vector<std::string>& arguments, const std::string& directory);

  /// The program remembered as running ("" when none).
  const std::string& Program() const { return program_; }
  bool Started() const { return started_; }
  int LastError() const { return lastError_; }

 private:
  platform::Platform& ui_;
  std::string program_;
  platform::ProcessHandle handle_;
  bool started_ = false;
  int lastError_ = 0;
};

}  // namespace skarvel
