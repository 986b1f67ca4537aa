// Small file helpers shared by the zone-file catalog readers.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "foundations/io_error.h"

namespace skarvel {

/// The file message of the readers: message, two line breaks, "File Name: "
/// and the name, a line break, "IOResult = " and the code.
inline std::string CatalogFileMessage(const std::string& message, const std::string& name, int code) {
  return message + "\r\n\r\nFile Name: " + name + "\r\nIOResult = " + std::to_string(code);
}

/// Opens an existing regular file for binary reading; 0 or the I/O result code.
inline int OpenCatalogFile(const std::string& path, std::ifstream& in) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return IOCodeFromErrno(errno);
  if (!S_ISREG(st.st_mode)) return io_code::kAccessDenied;
  in.open(path, std::ios::binary);
  return in ? 0 : io_code::kAccessDenied;
}

}  // namespace skarvel
