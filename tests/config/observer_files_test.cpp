#include "config/observer_files.h"

#include <gtest/gtest.h>

#include "foundations/byte_io.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

/// Record `i` of a list; a missing record fails the test with an exception.
template <typename List>
auto& At(List& list, std::int32_t i) {
  auto* r = list.GetAt(i);
  if (r == nullptr) throw std::out_of_range("no record " + std::to_string(i));
  return *r;
}

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing::ReadAll;
using testing::ScriptedPlatform;
using testing::TempDir;
using testing::WriteAll;

const std::string kScopeCodes = std::string(SKARVEL_TEST_DATA_DIR) + "/config/SCPCODES.DAT";

CameraRecord Camera(const std::string& name, float aperture) {
  CameraRecord c;
  c.name = name;
  c.apertureMm = aperture;
  c.imageWidth = 1024;
  c.filter = 7;
  return c;
}

std::vector<std::string> Names(CameraList list) {
  std::vector<std::string> names;
  list.Reset();
  while (const CameraRecord* r = list.Next()) names.push_back(r->name);
  return names;
}

TEST(UserFile, DefaultNamesFromTheContactName) {
  EXPECT_EQ(DefaultUserFileName("Ann Lee Smith"), "ASmith.USR");
  EXPECT_EQ(DefaultUserFileName("Observatory"), "Observatory.USR");
  EXPECT_EQ(DefaultUserFileName("Jo Bloggs"), "JBloggs.USR");
  EXPECT_EQ(DefaultUserFileName(""), ".USR");
}

TEST(UserFile, SaveAndFindRoundTripWithTheDialogsAsked) {
  TempDir dir;
  ScriptedPlatform ui;
  UserRecord user;
  user.contactName = "Ann Lee Smith";
  user.country = "U.K.";
  user.observers = std::string(255, 'o');
  ui.SaveAsNext(dir / "ASmith.USR");
  ASSERT_TRUE(SaveUserData(ui, user, dir.Path()));
  ASSERT_EQ(ui.SaveDialogs().size(), 1u);
  const platform::FileDialogRequest& save = ui.SaveDialogs()[0];
  EXPECT_EQ(save.title, "Save User Parameters File");
  EXPECT_EQ(save.filter, "VORN User Parameter File (*.USR)|.USR");
  EXPECT_EQ(save.defaultExtension, ".USR");
  EXPECT_EQ(save.directory, dir.Path());
  EXPECT_EQ(save.fileName, "ASmith.USR");
  const std::vector<std::uint8_t> bytes = ReadAll(dir / "ASmith.USR");
  ASSERT_EQ(bytes.size(), 758u);
  EXPECT_EQ(bytes[0], 13);      // length byte of the contact name
  EXPECT_EQ(bytes[41 * 4], 4);  // length byte of the country, after four text[40] fields
  EXPECT_EQ(bytes[41 * 4 + 1], 'U');

  ui.ChooseFilesNext(std::vector<std::string>{dir / "ASmith.USR"});
  const std::optional<UserRecord> found = FindUserData(ui, dir.Path());
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, user);
  const platform::FileDialogRequest& open = ui.OpenDialogs()[0];
  EXPECT_EQ(open.title, "Open User Parameters File");
  EXPECT_EQ(open.filter, "VORN User Parameters File (*.USR)|.USR");
  EXPECT_EQ(open.fileName, "*.USR");
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(UserFile, MissingNameAsksAgainAndTruncatedFileIsReported) {
  TempDir dir;
  ScriptedPlatform ui;
  const std::string missing = dir / "Nobody.USR";
  // OK reopens the dialog; the second choice is a truncated file.
  WriteAll(dir / "Short.USR", std::vector<std::uint8_t>(757, 0));
  ui.ChooseFilesNext(std::vector<std::string>{missing});
  ui.AnswerNext(Answer::Ok);
  ui.ChooseFilesNext(std::vector<std::string>{dir / "Short.USR"});
  EXPECT_FALSE(FindUserData(ui, dir.Path()));
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, "Unable to open " + missing + "\r\n\r\nFile Does Not Exist!");
  EXPECT_EQ(ui.Messages()[0].caption, "Can't Find File!");
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::OkCancel);
  EXPECT_EQ(ui.Messages()[1].text,
            "Unable to Open User Parameters File!\r\n\r\nFile Name: " + dir / "Short.USR" + "\r\nIOResult = 100");
  EXPECT_EQ(ui.Messages()[1].caption, "File Load Error!");
  EXPECT_EQ(ui.Messages()[1].icon, Icon::Error);
  EXPECT_EQ(ui.OpenDialogs().size(), 2u);
  EXPECT_EQ(ReadAll(dir / "Short.USR").size(), 757u);  // never rewritten

  // Cancel ends at once.
  ScriptedPlatform ui2;
  ui2.ChooseFilesNext(std::vector<std::string>{missing});
  ui2.AnswerNext(Answer::Cancel);
  EXPECT_FALSE(FindUserData(ui2, dir.Path()));
  EXPECT_EQ(ui2.OpenDialogs().size(), 1u);
}

TEST(UserFile, SaveFailureNamesTheFile) {
  TempDir dir;
  ScriptedPlatform ui;
  const std::string bad = dir / "no-such-dir/A.USR";
  ui.SaveAsNext(bad);
  EXPECT_FALSE(SaveUserData(ui, UserRecord{}, dir.Path()));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "File Creation Error!");
  EXPECT_EQ(ui.Messages()[0].text.rfind(
                "Unable to Save User Parameters File!\r\n\r\nFile Name: " + bad + "\r\nIOResult = ", 0),
            0u);
}

TEST(RecordFiles, LocationRule) {
  TempDir root;
  const std::string data = root.MakeDir("data");
  const std::string program = root.MakeDir("program");
  // Neither exists: data directory for both.
  RecordFilePaths p = LocateRecordFile("ASTCAMS.DAT", data, program);
  EXPECT_EQ(p.read, data + "ASTCAMS.DAT");
  EXPECT_EQ(p.write, data + "ASTCAMS.DAT");
  // Only in the program directory: read there, write into the data directory.
  WriteAll(program + "ASTCAMS.DAT", {});
  p = LocateRecordFile("ASTCAMS.DAT", data, program);
  EXPECT_EQ(p.read, program + "ASTCAMS.DAT");
  EXPECT_EQ(p.write, data + "ASTCAMS.DAT");
  // In both: the data directory wins.
  WriteAll(data + "ASTCAMS.DAT", {});
  p = LocateRecordFile("ASTCAMS.DAT", data, program);
  EXPECT_EQ(p.read, data + "ASTCAMS.DAT");
  // A value with a directory is taken as it stands.
  p = LocateRecordFile("/elsewhere/CAMS.DAT", data, program);
  EXPECT_EQ(p.read, "/elsewhere/CAMS.DAT");
  EXPECT_EQ(p.write, "/elsewhere/CAMS.DAT");
  EXPECT_EQ(LocateScopeCodesFile("SCPCODES.DAT", data), data + "SCPCODES.DAT");
  EXPECT_EQ(LocateScopeCodesFile("/x/SCPCODES.DAT", data), "/x/SCPCODES.DAT");
}

TEST(RecordFiles, CameraFileSortedRoundTripAndDuplicates) {
  TempDir dir;
  const std::string path = dir / "ASTCAMS.DAT";
  EXPECT_EQ(ReadCameraFile(path).Size(), 0u);  // missing: empty list

  // Records in file order Zeta, Alpha, beta come back in byte order of names.
  ByteWriter out;
  WriteCameraRecord(out, Camera("Zeta", 1));
  WriteCameraRecord(out, Camera("Alpha", 2));
  WriteCameraRecord(out, Camera("beta", 3));
  WriteAll(path, out.Buffer());
  CameraList list = ReadCameraFile(path);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha", "Zeta", "beta"}));

  ScriptedPlatform ui;
  // Same name, answered No: a second record of that name.
  ui.AnswerNext(Answer::No);
  EXPECT_EQ(MergeRecord(ui, list, Camera("Zeta", 9)), SaveOutcome::AddedDuplicate);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "A Record for \"Zeta\" Already Exists.\r\n\r\nReplace It?");
  EXPECT_EQ(ui.Messages()[0].caption, "Duplicate Record Found");
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::YesNoCancel);
  // Case matters: "alpha" is a new name.
  EXPECT_EQ(MergeRecord(ui, list, Camera("alpha", 4)), SaveOutcome::Added);
  WriteCameraFile(path, list);
  EXPECT_EQ(ReadAll(path).size(), 5u * 69u);
  CameraList back = ReadCameraFile(path);
  EXPECT_EQ(Names(back), (std::vector<std::string>{"Alpha", "Zeta", "Zeta", "alpha", "beta"}));

  // Yes replaces in place; Cancel leaves the list as it was.
  ui.AnswerNext(Answer::Yes);
  EXPECT_EQ(MergeRecord(ui, back, Camera("Alpha", 42)), SaveOutcome::Replaced);
  EXPECT_FLOAT_EQ(At(back, 0).apertureMm, 42.0f);
  EXPECT_EQ(back.Size(), 5u);
  ui.AnswerNext(Answer::Cancel);
  EXPECT_EQ(MergeRecord(ui, back, Camera("beta", 1)), SaveOutcome::Cancelled);
  EXPECT_EQ(back.Size(), 5u);
}

TEST(RecordFiles, CorruptFilesGiveTheSystemsMessages) {
  TempDir dir;
  ScriptedPlatform ui;
  // A camera file one byte short of two records, and a station file with a stray byte.
  WriteAll(dir / "ASTCAMS.DAT", std::vector<std::uint8_t>(2 * 69 - 1, 0x41));
  WriteAll(dir / "ASTSITES.DAT", std::vector<std::uint8_t>(172 + 1, 0xFF));
  EXPECT_FALSE(LoadCameraList(ui, dir / "ASTCAMS.DAT"));
  EXPECT_FALSE(LoadSiteList(ui, dir / "ASTSITES.DAT"));
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, "Error Occurred Reading Camera File!");
  EXPECT_EQ(ui.Messages()[0].caption, "Camera File Error");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
  EXPECT_EQ(ui.Messages()[1].text, "Error Occurred Reading Station File!");
  EXPECT_EQ(ui.Messages()[1].caption, "Station File Error");
  // Hostile length bytes (0xFF) in whole records are cut to the capacity, never read beyond.
  WriteAll(dir / "S2.DAT", std::vector<std::uint8_t>(172, 0xFF));
  SiteList sites = ReadSiteFile(dir / "S2.DAT");
  ASSERT_EQ(sites.Size(), 1u);
  EXPECT_EQ(At(sites, 0).name.size(), 40u);
}

TEST(ScopeCodes, LetterCodesExpand) {
  EXPECT_EQ(ExpandScopeCode("A12"), "1012");
  EXPECT_EQ(ExpandScopeCode("Y05"), "3405");
  EXPECT_EQ(ExpandScopeCode("Z99"), "3599");
  EXPECT_EQ(ExpandScopeCode("695"), "0695");
  EXPECT_EQ(ExpandScopeCode("69"), "69");
}

TEST(ScopeCodes, FoundByBothFormsAndReadingStopsAfterTheSite) {
  const std::vector<std::string> sozzago = {"1  Sozzago 0.40-m f/5 reflector", "2  Sozzago 0.30-m f/4 reflector"};
  for (const char* code : {"A12", "1012"}) {
    const ScopeLookup r = FindScopeLines(kScopeCodes, code);
    EXPECT_EQ(r.status, ScopeLookup::Status::Found) << code;
    EXPECT_EQ(r.lines, sozzago) << code;
  }
  for (const char* code : {"Y05", "3405"}) {
    const ScopeLookup r = FindScopeLines(kScopeCodes, code);
    ASSERT_EQ(r.lines.size(), 2u) << code;
    EXPECT_EQ(r.lines[0], "1  SONEAR 0.45-m f/2.9 reflector");
  }
  // 695 and 0695: the three lines of the first run only, not the trailing one.
  EXPECT_EQ(FindScopeLines(kScopeCodes, "0695").lines.size(), 2u);
  EXPECT_EQ(FindScopeLines(kScopeCodes, "695").lines.size(), 2u);
  EXPECT_EQ(FindScopeLines(kScopeCodes, "999").status, ScopeLookup::Status::NotFound);
  EXPECT_EQ(FindScopeLines(kScopeCodes, "3412").status, ScopeLookup::Status::NotFound);
  EXPECT_EQ(FindScopeLines("/no/such/SCPCODES.DAT", "695").status, ScopeLookup::Status::ReadError);

  const ScopeChoice c = ParseScopeLine("2  KPNO 2.1-m f/7.6 reflector");
  EXPECT_EQ(c.id, '2');
  EXPECT_EQ(c.description, "KPNO 2.1-m f/7.6 reflector");
  EXPECT_EQ(ParseScopeLine("").id, ' ');
}

}  // namespace
}  // namespace skarvel
