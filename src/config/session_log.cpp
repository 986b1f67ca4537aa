#include "config/session_log.h"

#include <cerrno>
#include <cstdio>

#include "foundations/io_error.h"

namespace skarvel {

LoginRecord LoginRecord::Demonstration() {
  LoginRecord r;
  r.studentName1 = "Demonstration";
  r.loginId = "DEMO";
  return r;
}

LogFileObj::LogFileObj(std::string tag, std::string path, const LoginRecord* login, Clock clock)
    : tag_(std::move(tag)), path_(std::move(path)), login_(login), clock_(std::move(clock)) {
  start_.tzOffset = 0;
  start_.SetDateTime(clock_());
  startJD_ = start_.GetJD();
}

bool LogFileObj::Append(const std::string& text) {
  if (login_ == nullptr || path_.empty()) return false;
  // Append mode creates the file when it is missing.
  std::FILE* f = std::fopen(path_.c_str(), "ab");
  lastResult_ = f == nullptr ? IOCodeFromErrno(errno) : 0;
  if (f == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const int errorAtWrite = errno;
  const bool closed = std::fclose(f) == 0;
  if (!ok || !closed) throw IOFailure(IOCodeFromErrno(ok ? errno : errorAtWrite));
  return true;
}

std::string LogFileObj::NameLines() const {
  return "Name1: " + login_->studentName1 + "\n" + "Name2: " + login_->studentName2 + "\n" + "Name3: " +
         login_->studentName3 + "\n" + "Name4: " + login_->studentName4 + "\n" + "Table: " + login_->table + "\n";
}

void LogFileObj::WriteLogin() {
  if (login_ == nullptr || path_.empty()) return;
  const std::string entry = "Login: " + tag_ + "\n" + "Date: " + start_.ShortDateText() + "\n" + "Time: " +
                            TimeText(start_.localTime, 2, ":", ":", "") + "\n" + NameLines() + "EndLogin: " + tag_ +
                            "\n";
  if (Append(entry)) loginWritten_ = true;
}

void LogFileObj::WriteLogout() {
  if (login_ == nullptr || path_.empty()) return;
  start_.SetDateTime(clock_());
  const DaysAndTime elapsed = SplitDays(start_.GetJD() - startJD_);
  std::string elapsedText;
  if (elapsed.wholeDays > 0) elapsedText = std::to_string(elapsed.wholeDays) + "Days, ";
  elapsedText += TimeText(elapsed.time, 2, ":", ":", "");
  const std::string entry = "Logout: " + tag_ + "\n" + "Date: " + start_.ShortDateText() + "\n" + "Time: " +
                            TimeText(start_.localTime, 2, ":", ":", "") + "\n" + NameLines() +
                            "Elapsed Time: " + elapsedText + "\n" + "EndLogout: " + tag_ + "\n";
  if (Append(entry)) logoutWritten_ = true;
}

}  // namespace skarvel
