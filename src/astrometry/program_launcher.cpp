#include "astrometry/program_launcher.h"

#include "foundations/file_system.h"

namespace skarvel {

namespace {
constexpr int kFileNotFound = 2;  // the system's "file not found"
constexpr int kPathNotFound = 3;  // the system's "path not found"
constexpr int kFound = 33;        // any result above 32 names a program
}  // namespace

AssociatedProgram FindAssociatedProgram(const std::string& directory, const std::string& fileName) {
  if (!directory.empty() && !fs::DirectoryExists(directory)) return {kPathNotFound, ""};
  if (fileName.empty() || !fs::FileExists(directory + fileName)) return {kFileNotFound, ""};
  return {kFound, kDesktopOpener};
}

std::string AssociationFailureSuffix(int code) {
  switch (code) {
    case 0: return " - Out of Memory or Resources";
    case 2: return " - File Not Found";
    case 3: return " - Path Not Found";
    case 11: return " - Error in Associated .EXE File";
    case 31: return " - No Association for Specified File Type";
    default: return "";
  }
}

std::string RunFailureSuffix(int code) {
  switch (code) {
    case 2: return " - File Not Found";
    case 3: return " - Path Not Found";
    case 4: return " - Too Many Open Files";
    case 5: return " - Access Denied";
    case 8: return " - Not Enough Memory";
    case 11: return " - Program Has Incorrect Format";
    case 14: return " - Out of Memory";
    case 267: return " - Directory Name is Invalid";
    default: return "";
  }
}

bool ExecMod32Obj::IsRunning(const std::string& program) {
  if (!program_.empty() && program == program_ && ui_.ProcessRunning(handle_)) return true;
  program_.clear();
  handle_ = {};
  started_ = false;
  return false;
}

bool ExecMod32Obj::Run(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& directory) {
  if (IsRunning(program)) return false;
  const platform::ProcessHandle handle = ui_.StartProcess(program, arguments, directory);
  started_ = handle.id != 0;
  if (started_) {
    program_ = program;
    handle_ = handle;
    lastError_ = 0;
  } else {
    lastError_ = handle.error != 0 ? handle.error : kFileNotFound;
  }
  return started_;
}

}  // namespace skarvel
