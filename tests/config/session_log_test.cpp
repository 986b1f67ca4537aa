#include "config/session_log.h"

#include <gtest/gtest.h>

#include "foundations/date_time.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ReadText;
using testing::TempDir;

// 2010-01-05 09:05:03.25 as a date-time value.
double Jan5() { return *EncodeDateTime(2010, 1, 5, 9, 5, 3.25L); }

TEST(SessionLog, LoginAndLogoutEntriesLineByLine) {
  TempDir dir;
  const LoginRecord login = LoginRecord::Demonstration();
  double now = Jan5();
  LogFileObj log("VORN_AST", dir / "VORNLOG.LOG", &login, [&] { return now; });
  log.WriteLogin();
  EXPECT_TRUE(log.LoginWritten());
  EXPECT_EQ(ReadText(dir / "VORNLOG.LOG"),
            "Login: VORN_AST\n"
            "Date: 01/05/2010\n"
            "Time:  9:05:03.25\n"
            "Name1: Demonstration\n"
            "Name2: \n"
            "Name3: \n"
            "Name4: \n"
            "Table: \n"
            "EndLogin: VORN_AST\n");
  now += (1.0 * 3600 + 30 * 60 + 15.5) / 86400.0;  // 1 h 30 min 15.5 s later
  log.WriteLogout();
  EXPECT_TRUE(log.LogoutWritten());
  const std::string text = ReadText(dir / "VORNLOG.LOG");
  const std::string logout = text.substr(text.find("Logout:"));
  EXPECT_EQ(logout,
            "Logout: VORN_AST\n"
            "Date: 01/05/2010\n"
            "Time: 10:35:18.75\n"
            "Name1: Demonstration\n"
            "Name2: \n"
            "Name3: \n"
            "Name4: \n"
            "Table: \n"
            "Elapsed Time:  1:30:15.50\n"
            "EndLogout: VORN_AST\n");
}

TEST(SessionLog, ATwentySixHourSessionCountsOneDay) {
  TempDir dir;
  const LoginRecord login = LoginRecord::Demonstration();
  double now = Jan5();
  LogFileObj log("VORN_AST", dir / "VORNLOG.LOG", &login, [&] { return now; });
  log.WriteLogin();
  now += 26.0 / 24.0;
  log.WriteLogout();
  const std::string text = ReadText(dir / "VORNLOG.LOG");
  EXPECT_NE(text.find("Date: 01/06/2010\nTime: 11:05:03.25\n"), std::string::npos);
  EXPECT_NE(text.find("\nElapsed Time: 1Days,  2:00:00.00\n"), std::string::npos) << text;
}

TEST(SessionLog, LaterRunsAppend) {
  TempDir dir;
  const LoginRecord login = LoginRecord::Demonstration();
  for (int run = 0; run < 2; ++run) {
    LogFileObj log("VORN_AST", dir / "VORNLOG.LOG", &login, [] { return Jan5(); });
    log.WriteLogin();
    log.WriteLogout();
  }
  const std::string text = ReadText(dir / "VORNLOG.LOG");
  EXPECT_EQ(text.rfind("Login: VORN_AST\n", 0), 0u);
  std::size_t entries = 0;  // entries after the first
  for (std::size_t at = text.find("\nLogin: "); at != std::string::npos; at = text.find("\nLogin: ", at + 1)) ++entries;
  EXPECT_EQ(entries, 1u);
  EXPECT_EQ(text.substr(text.size() - 20), "EndLogout: VORN_AST\n");
  EXPECT_NE(text.find("Elapsed Time:  0:00:00.00\n"), std::string::npos);
}

TEST(SessionLog, AnUnwritablePlaceIsSkippedSilently) {
  TempDir dir;
  const LoginRecord login = LoginRecord::Demonstration();
  LogFileObj log("VORN_AST", dir / "no/such/dir/VORNLOG.LOG", &login, [] { return Jan5(); });
  EXPECT_NO_THROW(log.WriteLogin());
  EXPECT_NO_THROW(log.WriteLogout());
  EXPECT_FALSE(log.LoginWritten());
  EXPECT_FALSE(log.LogoutWritten());
  EXPECT_EQ(log.LastResult(), 2);  // "File Not Found!"
  // A directory standing at the log's name.
  testing::TempDir other;
  other.MakeDir("VORNLOG.LOG");
  LogFileObj onDir("VORN_AST", other / "VORNLOG.LOG", &login, [] { return Jan5(); });
  EXPECT_NO_THROW(onDir.WriteLogin());
  EXPECT_FALSE(onDir.LoginWritten());
}

TEST(SessionLog, NoLoginOrNoPathWritesNothing) {
  TempDir dir;
  LogFileObj noLogin("VORN_AST", dir / "VORNLOG.LOG", nullptr, [] { return Jan5(); });
  noLogin.WriteLogin();
  EXPECT_FALSE(testing::Exists(dir / "VORNLOG.LOG"));
  const LoginRecord login = LoginRecord::Demonstration();
  LogFileObj noPath("VORN_AST", "", &login, [] { return Jan5(); });
  noPath.WriteLogin();
  EXPECT_FALSE(noPath.LoginWritten());
}

}  // namespace
}  // namespace skarvel
