// I/O result codes and their texts, as every file message of the system shows them.
#pragma once

#include <stdexcept>
#include <string>

namespace skarvel {

/// I/O result codes (the classic runtime's numbering).
namespace io_code {
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kEndOfFile = 100;  ///< read beyond the end of a file
inline constexpr int kDiskFull = 101;   ///< a write could not be completed
inline constexpr int kInvalidInput = 106;
}  // namespace io_code

/// The text of an I/O result code: 2 "File Not Found!", 3 "Path Not Found!",
/// 4 "Too Many Open Files!", 5 "File Access Denied!", 100 "EOF!",
/// 101 "Disk Full!", 106 "Invalid Input!", any other "IOResult = " + code.
std::string IOErrorText(int code);

/// An input/output failure carrying its result code; what() is the failure's text
/// (IOErrorText of the code unless a text is given).
class IOFailure : public std::runtime_error {
 public:
  explicit IOFailure(int code) : std::runtime_error(IOErrorText(code)), code_(code) {}
  IOFailure(int code, const std::string& text) : std::runtime_error(text), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

/// The I/O result code that best describes an errno value (ENOENT -> 2, EACCES -> 5, ...).
int IOCodeFromErrno(int errnoValue);

}  // namespace skarvel
