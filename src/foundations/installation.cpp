#include "foundations/installation.h"

#include <filesystem>
#include <system_error>

#include "foundations/file_system.h"

#ifndef SKARVEL_DATA_FROM_BIN
#define SKARVEL_DATA_FROM_BIN "../share/skarvel"
#endif

namespace skarvel::fs {

std::string DataPathFromPrograms() { return SKARVEL_DATA_FROM_BIN; }

std::string InstallationDataDirectory(const std::string& executableDir) {
  if (executableDir.empty()) return std::string();
  const std::string programs = WithTrailingSeparator(executableDir);
  const std::filesystem::path data = (std::filesystem::path(programs) / DataPathFromPrograms()).lexically_normal();
  std::error_code ec;
  if (std::filesystem::is_directory(data, ec)) return WithTrailingSeparator(data.string());
  return programs;
}

std::string InstallationDataDirectory() { return InstallationDataDirectory(ExecutableDirectory()); }

}  // namespace skarvel::fs
