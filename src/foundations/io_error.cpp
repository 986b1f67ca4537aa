#include "foundations/io_error.h"

#include <cerrno>

namespace skarvel {

std::string IOErrorText(int code) {
  switch (code) {
    case io_code::kFileNotFound: return "File Not Found!";
    case io_code::kPathNotFound: return "Path Not Found!";
    case io_code::kTooManyOpenFiles: return "Too Many Open Files!";
    case io_code::kAccessDenied: return "File Access Denied!";
    case io_code::kEndOfFile: return "EOF!";
    case io_code::kDiskFull: return "Disk Full!";
    case io_code::kInvalidInput: return "Invalid Input!";
    default: return "IOResult = " + std::to_string(code);
  }
}

int IOCodeFromErrno(int errnoValue) {
  switch (errnoValue) {
    case ENOENT: return io_code::kFileNotFound;
    case ENOTDIR: return io_code::kPathNotFound;
    case EMFILE:
    case ENFILE: return io_code::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return io_code::kAccessDenied;
    case ENOSPC:
    case EFBIG:  // beyond what the medium (or the process limit) lets a file grow to
    case EDQUOT: return io_code::kDiskFull;
    default: return errnoValue > 0 ? errnoValue : io_code::kInvalidInput;
  }
}

}  // namespace skarvel
