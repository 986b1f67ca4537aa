// Saves of user data on a real full disk (a tmpfs of a few pages) and in a
// read-only folder (the tmpfs remounted read-only): the previous good file
// survives byte for byte, no temporary file is left behind, and the failure
// is said with the file's message (or an IOFailure for the general error
// report). The mounts are the test process's own (see private_mount.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "astrometry/info_list.h"
#include "astrometry/report_file.h"
#include "catalogs/gsc_convert.h"
#include "config/observer_files.h"
#include "config/options.h"
#include "foundations/io_error.h"
#include "orbits/orbit_files.h"
#include "orbits/saved_orbits.h"
#include "support/private_mount.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::PrivateMount;
using testing::ReadAll;
using testing::ScriptedPlatform;
using testing::WriteAll;

constexpr std::size_t kPage = 4096;  // tmpfs counts whole pages

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string FailureText(const std::string& text, const std::string& path, int code) {
  return text + "\r\n\r\nFile Name: " + path + "\r\nIOResult = " + std::to_string(code);
}

CmoRecord Orbit(const std::string& name, const std::string& designation) {
  CmoRecord r;
  r.name = name;
  r.designation = designation;
  r.epoch = 2461000.5L;
  r.position = Vec3{1.5e8L, 2.0e7L, 1.0e6L};
  r.velocity = Vec3{-5.0L, 28.0L, 0.5L};
  r.H = 11.2L;
  r.G = 0.15L;
  return r;
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

StorageEnvironment Storage(const std::string& dir) {
  StorageEnvironment env;
  env.programDir = dir;
  env.currentDir = dir;
  env.perUserStorage = false;
  env.changeCurrentDirectory = false;
  env.mountsFile = dir + "no-mounts";
  return env;
}

const std::string kRegionFile = std::string(SKARVEL_TEST_DATA_DIR) + "/catalogs/gsc/vol2/GSC/S0730/5340.GSC";

TEST(MountedSaves, AReadOnlyFolderKeepsEveryPreviousFileAndSaysSo) {
  PrivateMount mount(64 * kPage);
  if (!mount.Ok()) GTEST_SKIP() << "no private tmpfs on this machine (" << mount.Why() << ")";
  ScriptedPlatform ui;
  // The previous good files.
  StorageEnvironment env = Storage(mount.Path());
  OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
  ASSERT_TRUE(opts.Start());
  ASSERT_TRUE(opts.Write(mount.Path()));
  ASSERT_TRUE(WriteReportFile(mount / "N.RPT", Report(2), ui));
  CameraList cameras;
  CameraRecord c;
  c.name = "ST-8";
  cameras.Append(c);
  WriteCameraFile(mount / "ASTCAMS.DAT", cameras);
  ASSERT_TRUE(SaveOrbitRecord(ui, mount / "SAVORBS.DAT", Orbit("Eros", "433")));
  const std::string source = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/MPCORB_format_NEA_excerpt.txt";
  ConversionCallbacks callbacks;
  ASSERT_GT(ConvertOrbitFile(source, mount / "MPCORB.CMO", OrbitSourceFormat::kMpcorb, false, MpcHeader::kAuto,
                             callbacks).records, 2);
  OptionsRecord options;
  GSCConvertSettings settings{"/v1/", "/v2/", mount.Path(), 20, false, false, false};
  GSCConverter converter(options, ui, settings);
  ASSERT_TRUE(converter.ConvertRegion(kRegionFile, mount / "5340.BIN", 14, 5340));
  ASSERT_TRUE(ui.Messages().empty());
  const std::vector<std::string> names = FilesIn(mount.Path());
  std::vector<std::vector<std::uint8_t>> before;
  for (const std::string& n : names) before.push_back(ReadAll(mount / n));

  ASSERT_TRUE(mount.MakeReadOnly());
  const int denied = io_code::kAccessDenied;
  opts.Record().magLimit = 15.5f;
  EXPECT_FALSE(opts.Write(mount.Path()));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Options File Error!");
  EXPECT_EQ(ui.Messages()[0].text,
            "Unable to save Options!\r\n\r\nFileName: " + mount.Path() + "ASTROPTS.INI\r\nFile Access Denied!");
  EXPECT_FALSE(WriteReportFile(mount / "N.RPT", Report(5), ui));
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].text,
            FailureText("Unable to Open Report Data File for Output!", mount / "N.RPT", denied));
  EXPECT_EQ(ui.Messages()[1].caption, "Data File Error!");
  c.name = "ST-10";
  cameras.Append(c);
  EXPECT_THROW(WriteCameraFile(mount / "ASTCAMS.DAT", cameras), IOFailure);
  EXPECT_FALSE(SaveOrbitRecord(ui, mount / "SAVORBS.DAT", Orbit("Toro", "1685")));
  ASSERT_EQ(ui.Messages().size(), 3u);
  EXPECT_EQ(ui.Messages()[2].text, FailureText("File Access Denied!", mount / "SAVORBS.DAT", denied));
  EXPECT_EQ(ui.Messages()[2].caption, "Orbits File Error");
  EXPECT_THROW(ConvertOrbitFile(source, mount / "MPCORB.CMO", OrbitSourceFormat::kMpcorb, false, MpcHeader::kAuto,
                                callbacks),
               IOFailure);
  EXPECT_FALSE(converter.ConvertRegion(kRegionFile, mount / "5340.BIN", 14, 5340));
  ASSERT_EQ(ui.Messages().size(), 4u);
  EXPECT_EQ(ui.Messages()[3].text, FailureText("Unable to Open Output File!", mount / "5340.BIN", denied));
  EXPECT_EQ(ui.Messages()[3].caption, "GSC Conversion File Error!");

  EXPECT_EQ(FilesIn(mount.Path()), names);
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(ReadAll(mount / names[i]), before[i]) << names[i];
}

TEST(MountedSaves, AFullDiskKeepsThePreviousFilesAndSaysSo) {
  // Five pages: the options file (8040 bytes, two pages) and its backup copy
  // fit, the temporary file of the next save does not.
  PrivateMount mount(5 * kPage);
  if (!mount.Ok()) GTEST_SKIP() << "no private tmpfs on this machine (" << mount.Why() << ")";
  ScriptedPlatform ui;
  StorageEnvironment env = Storage(mount.Path());
  OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
  ASSERT_TRUE(opts.Start());
  ASSERT_TRUE(opts.Write(mount.Path()));
  const auto optionsBefore = ReadAll(mount / "ASTROPTS.INI");
  ASSERT_EQ(optionsBefore.size(), 8040u);
  opts.Record().magLimit = 15.5f;
  EXPECT_FALSE(opts.Write(mount.Path()));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Options File Error!");
  EXPECT_EQ(ui.Messages()[0].text,
            "Unable to save Options!\r\n\r\nFileName: " + mount.Path() + "ASTROPTS.INI\r\nDisk Full!");
  EXPECT_EQ(ReadAll(mount / "ASTROPTS.INI"), optionsBefore);
  const std::vector<std::string> optionFiles = FilesIn(mount.Path());  // the file and its backup copy
  ASSERT_EQ(optionFiles.size(), 2u);
  for (const std::string& n : optionFiles) std::filesystem::remove(mount / n);

  // Saved orbits and a converted GSC region: one page each, then ballast to the brim.
  ASSERT_TRUE(SaveOrbitRecord(ui, mount / "SAVORBS.DAT", Orbit("Eros", "433")));
  OptionsRecord options;
  GSCConvertSettings settings{"/v1/", "/v2/", mount.Path(), 20, false, false, false};
  GSCConverter converter(options, ui, settings);
  ASSERT_TRUE(converter.ConvertRegion(kRegionFile, mount / "5340.BIN", 14, 5340));
  const auto orbitsBefore = ReadAll(mount / "SAVORBS.DAT");
  const auto regionBefore = ReadAll(mount / "5340.BIN");
  ASSERT_LE(regionBefore.size(), kPage);
  WriteAll(mount / "BALLAST", std::vector<std::uint8_t>(3 * kPage, 0));
  ASSERT_EQ(std::filesystem::file_size(mount / "BALLAST"), 3 * kPage);
  ui.ClearRecords();

  EXPECT_FALSE(SaveOrbitRecord(ui, mount / "SAVORBS.DAT", Orbit("Toro", "1685")));
  EXPECT_FALSE(converter.ConvertRegion(kRegionFile, mount / "5340.BIN", 14, 5340));
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, FailureText("Disk Full!", mount / "SAVORBS.DAT", io_code::kDiskFull));
  EXPECT_EQ(ui.Messages()[0].caption, "Orbits File Error");
  EXPECT_EQ(ui.Messages()[1].text, FailureText("Unable to Open Output File!", mount / "5340.BIN", io_code::kDiskFull));
  EXPECT_EQ(ReadAll(mount / "SAVORBS.DAT"), orbitsBefore);
  EXPECT_EQ(ReadAll(mount / "5340.BIN"), regionBefore);
  EXPECT_EQ(FilesIn(mount.Path()), (std::vector<std::string>{"5340.BIN", "BALLAST", "SAVORBS.DAT"}));
}

// The text exports (ephemeris, report, ADES and header texts all save through
// the text list's "Save as text"): refused in a read-only folder and on a
// full disk with the general error report, the previous text kept.
class NoDialogs : public ListDialogs {
 public:
  SearchStart AskSearch(const std::string&, SearchDialogState&) override { return SearchStart::Cancelled; }
  std::optional<std::string> AskEditLine(const std::string&) override { return std::nullopt; }
};

TEST(MountedSaves, TextExportsKeepThePreviousTextAndSaySo) {
  for (const bool readOnly : {true, false}) {
    PrivateMount mount(2 * kPage);
    if (!mount.Ok()) GTEST_SKIP() << "no private tmpfs on this machine (" << mount.Why() << ")";
    ScriptedPlatform ui;
    NoDialogs dialogs;
    SearchDialogState search;
    ListCommandContext context{ui, dialogs, search, mount.Path()};
    InfoList list("Ephemeris");
    list.SetLines({"  2026 12 09  01 02 03", "last line"});
    ui.SaveAsNext(mount / "EPHEM.TXT");
    ASSERT_TRUE(list.Run("AsDisplayed1", context));
    const auto before = ReadAll(mount / "EPHEM.TXT");
    ASSERT_EQ(before.size(), 33u);
    if (readOnly) {
      ASSERT_TRUE(mount.MakeReadOnly());
    } else {
      WriteAll(mount / "BALLAST", std::vector<std::uint8_t>(kPage, 0));  // the second page: nothing left
    }
    ui.ClearRecords();
    list.SetLines(std::vector<std::string>(200, "a line of the next ephemeris"));
    ui.SaveAsNext(mount / "EPHEM.TXT");
    ui.AnswerNext(platform::Answer::Yes);  // replace the existing file
    list.Run("AsDisplayed1", context);
    ASSERT_EQ(ui.Messages().size(), 2u) << readOnly;
    EXPECT_EQ(ui.Messages()[0].caption, "Replace Existing File?");
    const int code = readOnly ? io_code::kAccessDenied : io_code::kDiskFull;
    EXPECT_EQ(ui.Messages()[1].text,
              FailureText(readOnly ? "File Access Denied!" : "Disk Full!", mount / "EPHEM.TXT", code));
    EXPECT_EQ(ui.Messages()[1].caption, "Skarvel");
    EXPECT_EQ(ReadAll(mount / "EPHEM.TXT"), before);
    EXPECT_EQ(FilesIn(mount.Path()), readOnly ? std::vector<std::string>{"EPHEM.TXT"}
                                              : (std::vector<std::string>{"BALLAST", "EPHEM.TXT"}));
  }
}

}  // namespace
}  // namespace skarvel
