// Saves of user data on a full disk: every writer goes through a temporary file
// in the target's folder, so a write that fails leaves the previous good file
// byte for byte, and the failure is said (a message, or an IOFailure for the
// general error report). The full disk is a file-size limit of the process
// (RLIMIT_FSIZE, with SIGXFSZ ignored), which needs no privileges.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "astrometry/report_file.h"
#include "config/observer_files.h"
#include "config/options.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "orbits/orbit_files.h"
#include "support/file_size_limit.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ReadAll;
using testing::ScriptedPlatform;
using testing::FileSizeLimit;
using testing::TempDir;
using testing::WriteAll;


// No file but the previous good one in the folder: no temporary file left behind.
std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

AstromObsObj Report(int observations) {
  AstromObsObj r(UserRecord{}, CameraRecord{}, DefaultSiteRecord());
  for (int i = 0; i < observations; ++i) {
    ObservationRecord o;
    o.params.observationTime = 2461000.5 + i;
    o.params.objectName = "N" + std::to_string(i);
    r.Observations().push_back(o);
  }
  return r;
}

TEST(SafeSaves, ReportDataOnAFullDiskKeepsThePreviousFile) {
  TempDir dir;
  ScriptedPlatform ui;
  ASSERT_TRUE(WriteReportFile(dir / "N.RPT", Report(2), ui));
  const auto before = ReadAll(dir / "N.RPT");
  {
    FileSizeLimit limit(before.size() + 100);
    try {
      WriteReportFile(dir / "N.RPT", Report(40), ui);
      FAIL() << "the write beyond the limit succeeded";
    } catch (const IOFailure& failure) {
      EXPECT_EQ(failure.Code(), io_code::kDiskFull);
      EXPECT_STREQ(failure.what(), "Disk Full!");
    }
  }
  EXPECT_EQ(ReadAll(dir / "N.RPT"), before);
  EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"N.RPT"});
}

TEST(SafeSaves, OptionsOnAFullDiskAreRefusedWithTheirMessage) {
  TempDir dir;
  ScriptedPlatform ui;
  StorageEnvironment env;
  env.programDir = dir.MakeDir("program");
  env.currentDir = dir.MakeDir("work");
  env.perUserStorage = false;
  env.changeCurrentDirectory = false;
  env.mountsFile = dir / "no-mounts";
  OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
  ASSERT_TRUE(opts.Start());
  const std::string work = env.currentDir;
  ASSERT_TRUE(opts.Write(work));
  const auto before = ReadAll(work + "ASTROPTS.INI");
  ASSERT_EQ(before.size(), 8040u);
  opts.Record().magLimit = 15.5f;
  const std::size_t messages = ui.Messages().size();
  {
    FileSizeLimit limit(4000);  // neither the backup copy nor the file fits
    EXPECT_FALSE(opts.Write(work));
  }
  ASSERT_EQ(ui.Messages().size(), messages + 1);
  EXPECT_EQ(ui.Messages().back().caption, "Options File Error!");
  EXPECT_EQ(ui.Messages().back().text,
            "Unable to save Options!\r\n\r\nFileName: " + work + "ASTROPTS.INI\r\nDisk Full!");
  EXPECT_EQ(ReadAll(work + "ASTROPTS.INI"), before);
}

TEST(SafeSaves, RecordFilesOnAFullDiskKeepThePreviousFile) {
  TempDir dir;
  CameraList cameras;
  CameraRecord c;
  c.name = "ST-8";
  cameras.Append(c);
  WriteCameraFile(dir / "ASTCAMS.DAT", cameras);
  const auto before = ReadAll(dir / "ASTCAMS.DAT");
  for (int i = 0; i < 50; ++i) {
    c.name = "Camera " + std::to_string(i);
    cameras.Append(c);
  }
  UserRecord u;
  u.contactName = "A. Smith";
  WriteUserFile(dir / "ME.USR", u);
  const auto userBefore = ReadAll(dir / "ME.USR");
  {
    FileSizeLimit limit(before.size() + 10);
    EXPECT_THROW(WriteCameraFile(dir / "ASTCAMS.DAT", cameras), IOFailure);
    u.contactName = "Somebody Else";
    FileSizeLimit tiny(100);
    EXPECT_THROW(WriteUserFile(dir / "ME.USR", u), IOFailure);
  }
  EXPECT_EQ(ReadAll(dir / "ASTCAMS.DAT"), before);
  EXPECT_EQ(ReadAll(dir / "ME.USR"), userBefore);
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"ASTCAMS.DAT", "ME.USR"}));
}

TEST(SafeSaves, AConversionOnAFullDiskLeavesThePreviousConvertedFile) {
  TempDir dir;
  const std::string source = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/MPCORB_format_NEA_excerpt.txt";
  ScriptedPlatform ui;
  ConversionCallbacks callbacks;
  const ConversionStats first =
      ConvertOrbitFile(source, dir / "MPCORB.CMO", OrbitSourceFormat::kMpcorb, false, MpcHeader::kAuto, callbacks);
  ASSERT_GT(first.records, 2);
  const auto before = ReadAll(dir / "MPCORB.CMO");
  {
    FileSizeLimit limit(2 * kCmoRecordBytes);
    EXPECT_THROW(
        ConvertOrbitFile(source, dir / "MPCORB.CMO", OrbitSourceFormat::kMpcorb, false, MpcHeader::kAuto, callbacks),
        IOFailure);
  }
  EXPECT_EQ(ReadAll(dir / "MPCORB.CMO"), before);
  EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"MPCORB.CMO"});
}

}  // namespace
}  // namespace skarvel
