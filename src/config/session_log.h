// The session log: one Login entry when a session starts, one Logout entry
// with the elapsed time when the main window closes. Entries are appended to
// a plain text file and never rewritten.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "foundations/date_time.h"

namespace skarvel {

/// Who is logged in. In this system always the demonstration identity.
struct LoginRecord {
  std::string studentName1;  ///< text[40]
  std::string studentName2;  ///< text[40]
  std::string studentName3;  ///< text[40]
  std::string studentName4;  ///< text[40]
  std::string table;         ///< text[4] laboratory table number
  std::string loginId;       ///< text[8]

  /// The fixed demonstration login: "Demonstration", login ID "DEMO".
  static LoginRecord Demonstration();
  bool Recorded() const { return !loginId.empty(); }
};

/// Appends the Login and Logout entries of one session.
class LogFileObj {
 public:
  /// The clock gives the current date-time value (days since 1899-12-30, local time).
  using Clock = std::function<double()>;

  /// Stores the tag (the program's is "VORN_AST"), the full path of the log
  /// and the login whose names are written (may be null: nothing is written);
  /// takes the current moment as the start (time-zone offset 0).
  LogFileObj(std::string tag, std::string path, const LoginRecord* login, Clock clock = CurrentDateTimeValue);

  /// Appends the nine-line Login entry. A log that can be neither appended to
  /// nor created is skipped silently; a failure while writing throws IOFailure.
  void WriteLogin();
  /// Appends the ten-line Logout entry with the time elapsed since the start.
  void WriteLogout();

  bool LoginWritten() const { return loginWritten_; }
  bool LogoutWritten() const { return logoutWritten_; }
  /// Result code of the last attempt to open the log (0: opened).
  std::int32_t LastResult() const { return lastResult_; }
  const std::string& Path() const { return path_; }

 private:
  bool Append(const std::string& text);
  std::string NameLines() const;

  bool loginWritten_ = false;
  bool logoutWritten_ = false;
  std::int32_t lastResult_ = 0;
  DateTimeObj start_;
  long double startJD_ = 0;
  std::string tag_;
  std::string path_;
  const LoginRecord* login_;
  Clock clock_;
};

}  // namespace skarvel
