// The saved-orbits file: its 156-byte records, their order, the duplicate
// question, the list window's access and delete, and files that cannot be read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundations/byte_io.h"
#include "foundations/extended_float.h"
#include "foundations/io_error.h"
#include "orbits/orbit_records.h"
#include "orbits/saved_orbits.h"
#include "support/scripted_list_runner.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using testing::ReadAll;
using testing::ScriptedListRunner;
using testing::ScriptedPlatform;
using testing::TempDir;
using testing::WriteAll;

CmoRecord Record(const std::string& name, const std::string& designation, long double x = 1.0e8L) {
  CmoRecord r;
  r.objectKind = 0;
  r.name = name;
  r.designation = designation;
  r.epoch = 2461000.5L;
  r.position = Vec3{x, 2.0e7L, -3.0e6L};
  r.velocity = Vec3{-5.0L, 25.0L, 0.5L};
  r.magModel = kMagModelAsteroid;
  r.H = 15.5L;
  r.G = 0.15L;
  r.codes = {9, 9, 9, 9, 9, 9};  // not stored
  return r;
}

std::vector<std::string> Names(SavedOrbitList& list) {
  std::vector<std::string> out;
  for (std::int32_t k = 0; k <= list.LastIndex(); ++k) out.push_back(list.GetAt(k)->designation + "/" + list.GetAt(k)->name);
  return out;
}

TEST(SavedOrbits, RecordLayout) {
  ByteWriter out;
  WriteSavedOrbit(out, Record("Eros", "433"));
  const std::vector<std::uint8_t>& b = out.Buffer();
  ASSERT_EQ(b.size(), 156u);
  EXPECT_EQ(b[0], 0);                       // kind
  EXPECT_EQ(b[1], 4);                       // name length
  EXPECT_EQ(std::string(b.begin() + 2, b.begin() + 6), "Eros");
  EXPECT_EQ(b[42], 3);                      // designation length
  EXPECT_EQ(std::string(b.begin() + 43, b.begin() + 46), "433");
  ByteReader epoch(b.data() + 51, 10);
  EXPECT_EQ(ReadExtended(epoch), 2461000.5L);
  ByteReader x(b.data() + 61, 10);
  EXPECT_EQ(ReadExtended(x), 1.0e8L);
  ByteReader vz(b.data() + 111, 10);
  EXPECT_EQ(ReadExtended(vz), 0.5L);
  EXPECT_EQ(b[121], 0);                     // central body
  EXPECT_EQ(b[122], kMagModelAsteroid);
  ByteReader h(b.data() + 123, 10);
  EXPECT_EQ(ReadExtended(h), 15.5L);
  EXPECT_EQ(b[145], 1);                     // frame header at 143: mode, frame, kind (Julian), JD
  ByteReader jd(b.data() + 146, 10);
  EXPECT_EQ(ReadExtended(jd), 2451545.0L);
  ByteReader in(b.data(), b.size());
  const CmoRecord back = ReadSavedOrbit(in);
  EXPECT_EQ(back.name, "Eros");
  EXPECT_EQ(back.velocity.y, 25.0L);
  EXPECT_EQ(back.codes, OrbitCodes{});
}

TEST(SavedOrbits, FileIsOrderedByDesignationThenName) {
  TempDir dir;
  const std::string path = dir / "SAVORBS.DAT";
  // A file that does not exist is an empty list.
  EXPECT_EQ(ReadSavedOrbits(path).Size(), 0u);
  ScriptedPlatform ui;
  for (const CmoRecord& r : {Record("Toro", "1685"), Record("Eros", "433"), Record("Apollo", "1862"),
                             Record("Betulia", "1580"), Record("A", "433")})
    EXPECT_TRUE(SaveOrbitRecord(ui, path, r));
  EXPECT_TRUE(ui.Messages().empty());
  SavedOrbitList list = ReadSavedOrbits(path);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"1580/Betulia", "1685/Toro", "1862/Apollo", "433/A", "433/Eros"}));
  EXPECT_EQ(ReadAll(path).size(), 5u * 156u);
}

TEST(SavedOrbits, SavingOverAnExistingRecordAsksFirst) {
  TempDir dir;
  const std::string path = dir / "SAVORBS.DAT";
  ScriptedPlatform ui;
  ASSERT_TRUE(SaveOrbitRecord(ui, path, Record("Eros", "433", 1.0e8L)));
  const std::vector<std::uint8_t> first = ReadAll(path);

  // Cancel: nothing written.
  ui.AnswerNext(Answer::Cancel);
  EXPECT_FALSE(SaveOrbitRecord(ui, path, Record("Eros", "433", 2.0e8L)));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "A Record for \"Eros\" Already Exists.\r\n\r\nReplace It?");
  EXPECT_EQ(ui.Messages()[0].caption, "Duplicate Record Found");
  EXPECT_EQ(ui.Messages()[0].buttons, platform::Buttons::YesNoCancel);
  EXPECT_EQ(ReadAll(path), first);

  // Yes replaces it.
  ui.AnswerNext(Answer::Yes);
  EXPECT_TRUE(SaveOrbitRecord(ui, path, Record("Eros", "433", 2.0e8L)));
  SavedOrbitList list = ReadSavedOrbits(path);
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_EQ(list.GetAt(0)->position.x, 2.0e8L);

  // No keeps both, side by side.
  ui.AnswerNext(Answer::No);
  EXPECT_TRUE(SaveOrbitRecord(ui, path, Record("Eros", "433", 3.0e8L)));
  list = ReadSavedOrbits(path);
  ASSERT_EQ(list.Size(), 2u);
  // A record equal in designation only is no duplicate.
  ui.ClearRecords();
  EXPECT_TRUE(SaveOrbitRecord(ui, path, Record("Eros2", "433")));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(SavedOrbits, FilesThatCannotBeRead) {
  TempDir dir;
  const std::string path = dir / "SAVORBS.DAT";
  ScriptedPlatform ui;
  ASSERT_TRUE(SaveOrbitRecord(ui, path, Record("Eros", "433")));
  std::vector<std::uint8_t> bytes = ReadAll(path);
  bytes.resize(100);  // truncated
  WriteAll(path, bytes);
  EXPECT_THROW(ReadSavedOrbits(path), IOFailure);
  // Saving does not overwrite a file it could not read.
  EXPECT_FALSE(SaveOrbitRecord(ui, path, Record("Toro", "1685")));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Error Occurred Reading Orbits File!");
  EXPECT_EQ(ui.Messages()[0].caption, "Orbits File Error");
  EXPECT_EQ(ReadAll(path).size(), 100u);
  // The list window says the same and lists nothing.
  ui.ClearRecords();
  OrbitListForm form(ui, path);
  EXPECT_FALSE(form.Loaded());
  EXPECT_EQ(form.Count(), 0u);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Orbits File Error");

  // Hostile bytes: length bytes of 255 are cut at the texts' capacities.
  WriteAll(path, std::vector<std::uint8_t>(2 * 156, 0xFF));
  SavedOrbitList hostile = ReadSavedOrbits(path);
  ASSERT_EQ(hostile.Size(), 2u);
  EXPECT_EQ(hostile.GetAt(0)->name.size(), 40u);
  EXPECT_EQ(hostile.GetAt(0)->designation.size(), 8u);
  // A write into a folder that does not exist leaves the message.
  ui.ClearRecords();
  EXPECT_FALSE(SaveOrbitRecord(ui, dir / "no/such/SAVORBS.DAT", Record("Eros", "433")));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Orbits File Error");
  EXPECT_NE(ui.Messages()[0].text.find("File Name: " + (dir / "no/such/SAVORBS.DAT") + "\r\nIOResult = "),
            std::string::npos);
}

TEST(SavedOrbits, ListWindowAccessAndDelete) {
  TempDir dir;
  const std::string path = dir / "SAVORBS.DAT";
  ScriptedPlatform ui;
  for (const CmoRecord& r : {Record("Toro", "1685"), Record("Eros", "433"), Record("Apollo", "1862")})
    ASSERT_TRUE(SaveOrbitRecord(ui, path, r));
  ScriptedListRunner runner(ui);

  OrbitListForm form(ui, path);
  EXPECT_EQ(form.Title(), "Select an Orbit Record");
  EXPECT_EQ(form.Lines(), (std::vector<std::string>{"Toro", "Apollo", "Eros"}));
  // Access without a selection, then delete with No and Yes, then access.
  ui.AnswerNext(Answer::No);
  ui.AnswerNext(Answer::Yes);
  runner.Next({{-1, "AccessSelectedRecord1"},
               {-1, "DeleteSelectedRecord1"},
               {1, "DeleteSelectedRecord1"},
               {1, "DeleteSelectedRecord1"},
               {1, "AccessSelectedRecord1"}});
  runner.RunModal(form);
  std::vector<std::string> texts;
  for (const auto& m : ui.Messages()) texts.push_back(m.caption + ": " + m.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"No Selection!: Select a Record to Access!",
                                             "No Selection!: Select a Record to Delete!",
                                             "Are You Sure?: Delete Orbit Record \"Apollo\"?",
                                             "Are You Sure?: Delete Orbit Record \"Apollo\"?"}));
  EXPECT_TRUE(runner.Showings()[0].closedByList);
  ASSERT_NE(form.ChosenRecord(), nullptr);
  EXPECT_EQ(form.ChosenRecord()->name, "Eros");
  EXPECT_EQ(form.Lines(), (std::vector<std::string>{"Toro", "Eros"}));
  SavedOrbitList onDisk = ReadSavedOrbits(path);
  EXPECT_EQ(Names(onDisk), (std::vector<std::string>{"1685/Toro", "433/Eros"}));
}

TEST(SavedOrbits, PathOfTheOption) {
  OptionsRecord options;
  options.programDir = "/opt/vorn/";
  options.savedOrbitsFile = "SAVORBS.DAT";
  EXPECT_EQ(SavedOrbitsPath(options), "/opt/vorn/SAVORBS.DAT");
  options.savedOrbitsFile = "/srv/me/orbits.dat";
  EXPECT_EQ(SavedOrbitsPath(options), "/srv/me/orbits.dat");
}

}  // namespace
}  // namespace skarvel
