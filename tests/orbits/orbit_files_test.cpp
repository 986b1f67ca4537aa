// The orbit databases on disk: locating, the validity rule, conversion with
// its questions, the convert commands, the look-ups, the comet file, and
// hostile files.
#include "orbits/orbit_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "foundations/byte_io.h"
#include "foundations/extended_float.h"
#include "foundations/io_error.h"
#include "orbits/convert_commands.h"
#include "orbits/minor_body.h"
#include "orbits/orbit_records.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::ReadText;
using testing::ScriptedPlatform;
using testing::TempDir;

std::string Fixture(const char* name) {
  return ReadText(std::string(SKARVEL_TEST_DATA_DIR "/orbits/") + name);
}

/// The NEA excerpt behind a head ending in a dashed line, as MPCORB.DAT has it.
std::string MpcorbText() {
  return "MINOR PLANET CENTER ORBIT DATABASE (MPCORB)\n\nDes'n     H     G   Epoch     M\n" + std::string(160, '-') +
         "\n" + Fixture("MPCORB_format_NEA_excerpt.txt");
}

/// Moves a file's modification time by `days`.
void ShiftFileTime(const std::string& path, double days) {
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  times[1].tv_sec += static_cast<time_t>(days * 86400);
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::vector<std::string> DirectoryEntries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

/// A session with its own folders for the Lowell, MPC and comet files.
struct Session {
  TempDir dir;
  std::string lowellDir = dir.MakeDir("lowell");
  std::string mpcDir = dir.MakeDir("mpc");
  std::string cometDir = dir.MakeDir("comet");
  ScriptedPlatform ui;
  OptionsRecord options;
  std::vector<std::pair<OrbitDatabase, std::string>> saved;

  Session() {
    options.programDir = dir.MakeDir("program");
    options.astorbPath = lowellDir;
    options.mpcOrbPath = mpcDir;
    options.mpcCometPath = cometDir;
  }
  OrbitFileContext Context() {
    return OrbitFileContext{ui, options, [this](OrbitDatabase d, const std::string& f) { saved.emplace_back(d, f); }};
  }
  SaveFolderFn Saver() {
    return [this](OrbitDatabase d, const std::string& f) { saved.emplace_back(d, f); };
  }
};

TEST(ConvertMPC, ConvertsOnceThenReportsNoConversionNecessary) {
  Session s;
  testing::WriteText(s.mpcDir + "MPCORB.DAT", MpcorbText());
  ConvertMPC(s.ui, s.options, s.Saver());
  ASSERT_EQ(s.ui.Progress().size(), 1u);
  EXPECT_EQ(s.ui.Progress()[0].text, "Converting MPC Orbit Database to MPCORB.CMO");
  EXPECT_EQ(s.ui.Progress()[0].position, 100);
  EXPECT_FALSE(s.ui.Progress()[0].open);
  EXPECT_TRUE(s.ui.Messages().empty());
  EXPECT_EQ(s.ui.BusyDepth(), 0);
  const std::string cmo = s.mpcDir + "MPCORB.CMO";
  EXPECT_EQ(testing::ReadAll(cmo).size(), 305u * 162u);
  EXPECT_EQ(FileDayStamp(cmo), FileDayStamp(s.mpcDir + "MPCORB.DAT"));

  ConvertMPC(s.ui, s.options, s.Saver());
  ASSERT_EQ(s.ui.Messages().size(), 1u);
  EXPECT_EQ(s.ui.Messages()[0].text, "MPCORB.DAT already converted to MPCORB.CMO");
  EXPECT_EQ(s.ui.Messages()[0].caption, "No Conversion Necessary");
  EXPECT_EQ(s.ui.Messages()[0].icon, Icon::Information);
  EXPECT_EQ(s.ui.Progress().size(), 1u);  // nothing converted the second time
  EXPECT_EQ(DirectoryEntries(s.mpcDir), (std::vector<std::string>{"MPCORB.CMO", "MPCORB.DAT"}));
}

TEST(OrbitFiles, ConvertedRecordsHoldTheParsedStates) {
  Session s;
  testing::WriteText(s.mpcDir + "MPCORB.DAT", MpcorbText());
  OrbitFiles files(s.Context());
  files.OpenMPC();
  ASSERT_TRUE(files.Mpc()->ConvertedValid());
  const auto lines = [] {
    std::vector<std::string> out;
    std::ifstream in(SKARVEL_TEST_DATA_DIR "/orbits/MPCORB_format_NEA_excerpt.txt");
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
  }();
  CmoRecord rec;
  OrbitCodes codes{};
  for (std::size_t k = 0; k < lines.size(); ++k) {
    ASSERT_TRUE(files.Mpc()->NextRecord(rec)) << k;
    OrbitElements el;
    SetAsteroidDefaults(el);
    ParseMpcorbLine(lines[k], el, codes);
    const CmoRecord expected = ElementsToCmo(el);
    EXPECT_EQ(rec.designation, el.designation);
    EXPECT_EQ(rec.name, el.name);
    EXPECT_EQ(rec.position.x, expected.position.x);
    EXPECT_EQ(rec.velocity.z, expected.velocity.z);
    EXPECT_EQ(rec.H, el.H);
    EXPECT_EQ(rec.codes, codes) << k;
  }
  EXPECT_FALSE(files.Mpc()->NextRecord(rec));
  // Every record's frame header is (2, 0, 1, 2451545.0) as the databases write it.
  std::ifstream in(s.mpcDir + "MPCORB.CMO", std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), lines.size() * kCmoRecordBytes);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const char* p = bytes.data() + k * kCmoRecordBytes + 143;
    EXPECT_EQ(p[0], 2) << k;
    EXPECT_EQ(p[1], 0) << k;
    EXPECT_EQ(p[2], 1) << k;
    ByteReader jd(reinterpret_cast<const std::uint8_t*>(p + 3), 10);
    EXPECT_EQ(ReadExtended(jd), 2451545.0L) << k;
  }
}

TEST(OrbitFiles, ChangedSourceStampTriggersConversionAndOrphanStaysUsable) {
  Session s;
  const std::string source = s.mpcDir + "MPCORB.DAT";
  testing::WriteText(source, MpcorbText());
  {
    OrbitFiles files(s.Context());
    files.OpenMPC();
  }
  ASSERT_EQ(s.ui.Progress().size(), 1u);
  ShiftFileTime(source, 3);  // a newer download
  {
    OrbitFiles files(s.Context());
    MPCFileObj& mpc = files.OpenMpcObject();
    EXPECT_TRUE(mpc.SourcePresent());
    EXPECT_FALSE(mpc.ConvertedValid());
    EXPECT_EQ(mpc.SourceStamp() - mpc.ConvertedStamp(), 3);
    files.OpenMPC();
    EXPECT_TRUE(mpc.ConvertedValid());
  }
  EXPECT_EQ(s.ui.Progress().size(), 2u);
  ASSERT_TRUE(std::filesystem::remove(source));
  OrbitFiles files(s.Context());
  ASSERT_TRUE(files.OpenAnyAsteroidFile());  // no Lowell files: the MPC one serves
  EXPECT_EQ(files.Current(), files.Mpc());
  EXPECT_FALSE(files.Mpc()->SourcePresent());
  EXPECT_TRUE(files.Mpc()->ConvertedValid());
  CmoRecord rec;
  ASSERT_TRUE(files.Current()->NextRecord(rec));
  EXPECT_EQ(rec.name, "Eros");
  EXPECT_EQ(s.ui.Progress().size(), 2u);
  // Looking for the Lowell files asked for their location once; it was cancelled.
  ASSERT_EQ(s.ui.OpenDialogs().size(), 1u);
  EXPECT_EQ(s.ui.OpenDialogs()[0].title, "Locate Lowell Asteroid Orbits File");
  EXPECT_EQ(s.ui.OpenDialogs()[0].fileName, "ASTORB.DAT");
  EXPECT_EQ(s.ui.OpenDialogs()[0].defaultExtension, ".DAT");
  EXPECT_EQ(s.ui.OpenDialogs()[0].directory, s.lowellDir);
}

TEST(OrbitFiles, LookUpsStopAtTheFirstUnnumberedRecord) {
  Session s;
  testing::WriteText(s.mpcDir + "MPCORB.DAT", MpcorbText());
  OrbitFiles files(s.Context());
  EXPECT_EQ(files.FindNameByNumber("(433)"), "Eros");
  EXPECT_EQ(files.Current(), nullptr);  // the files are closed after a look-up
  EXPECT_EQ(files.FindNameByNumber("  719"), "Albert");
  EXPECT_EQ(files.FindNameByNumber("100004"), "1983 VA");  // packed A0004
  EXPECT_EQ(files.FindNameByNumber("198752"), "");         // after the first unnumbered record
  EXPECT_EQ(files.FindNameByNumber("Eros"), "");
  EXPECT_EQ(files.FindDesignationByName("eros"), "433");
  EXPECT_EQ(files.FindDesignationByName("GANYMED"), "1036");
  EXPECT_EQ(files.FindDesignationByName("1992SK"), "10115");         // a blank put after the year
  EXPECT_EQ(files.FindDesignationByName("1992 SK_extra"), "10115");  // cut at "_"
  EXPECT_EQ(files.FindDesignationByName("1979 XB"), "");             // unnumbered
  EXPECT_EQ(files.FindDesignationByName("2005 EA60"), "");
}

TEST(OrbitFiles, PackedSourceOnlyIsExplained) {
  Session s;
  testing::WriteText(s.mpcDir + "MPCORB.ZIP", "PK");
  ConvertMPC(s.ui, s.options, s.Saver());
  ASSERT_EQ(s.ui.Messages().size(), 2u);
  EXPECT_EQ(s.ui.Messages()[0].caption, "MPCORB.ZIP Found!");
  EXPECT_EQ(s.ui.Messages()[0].text,
            "After you download the packed version of the MPC Orbital Elements Database\r\n(MPCORB.ZIP), you must "
            "extract the file MPCORB.DAT before the data\r\ncan be used. See \"Help on MPC Download\" for more "
            "information.");
  EXPECT_EQ(s.ui.Messages()[1].caption, "MPCORB.DAT not Found!");
  EXPECT_EQ(s.ui.Messages()[1].icon, Icon::Error);
  EXPECT_EQ(s.ui.Messages()[1].text,
            "If you downloaded the packed version of the MPC Orbital Elements Database\r\n(MPCORB.ZIP), you must "
            "extract the file MPCORB.DAT before running\r\nthis conversion. See \"Help on MPC Download\" for more "
            "information.");
  EXPECT_TRUE(s.ui.OpenDialogs().empty());

  testing::WriteText(s.lowellDir + "astorb.dat.gz", "gz");
  ConvertLowell(s.ui, s.options, s.Saver());
  ASSERT_EQ(s.ui.Messages().size(), 4u);
  EXPECT_EQ(s.ui.Messages()[2].caption, "ASTORB.DAT.GZ Found!");
  EXPECT_EQ(s.ui.Messages()[3].caption, "ASTORB.DAT Not Found!");
  EXPECT_EQ(s.ui.Messages()[3].text,
            "If you downloaded the packed version of the Lowell Orbital Elements Database\r\n(ASTORB.DAT.GZ), you "
            "must extract the file ASTORB.DAT before running\r\nthis conversion. See \"Help on Lowell Download\" for "
            "more information.");
}

TEST(OrbitFiles, ChosenSourceFolderIsOfferedForSaving) {
  Session s;
  const std::string elsewhere = s.dir.MakeDir("downloads");
  testing::WriteText(elsewhere + "MPCORB.DAT", MpcorbText());
  s.ui.ChooseFilesNext(std::vector<std::string>{elsewhere + "MPCORB.DAT"});
  s.ui.AnswerNext(Answer::Yes);
  ConvertMPC(s.ui, s.options, s.Saver());
  ASSERT_EQ(s.ui.OpenDialogs().size(), 1u);
  EXPECT_EQ(s.ui.OpenDialogs()[0].title, "Locate MPC Asteroid Orbits File");
  ASSERT_GE(s.ui.Messages().size(), 1u);
  EXPECT_EQ(s.ui.Messages()[0].caption, "Save Path Information?");
  EXPECT_EQ(s.ui.Messages()[0].text, "Do You Want to Save the Location of the MPC Orbit File?\r\n\r\n" + elsewhere);
  EXPECT_EQ(s.ui.Messages()[0].buttons, platform::Buttons::YesNo);
  ASSERT_EQ(s.saved.size(), 1u);
  EXPECT_EQ(s.saved[0].first, OrbitDatabase::kMpc);
  EXPECT_EQ(s.saved[0].second, elsewhere);
  EXPECT_EQ(testing::ReadAll(elsewhere + "MPCORB.CMO").size(), 305u * 162u);
  EXPECT_EQ(s.ui.Unanswered(), 0);
}

/// The MPCORB text with line `k` of the records given garbage in the mean anomaly.
std::string WithBadRecord(std::size_t k) {
  std::string text = Fixture("MPCORB_format_NEA_excerpt.txt");
  std::size_t at = 0;
  for (std::size_t n = 0; n < k; ++n) at = text.find('\n', at) + 1;
  text.replace(at + 26, 9, "  ??.????");
  return "Head\n-----\n" + text;
}

TEST(OrbitFiles, BadRecordIsSkippedOrCancelsWithoutLeavingAFile) {
  Session s;
  const std::string cmo = s.mpcDir + "MPCORB.CMO";
  testing::WriteText(s.mpcDir + "MPCORB.DAT", WithBadRecord(1));  // (719) Albert
  s.ui.AnswerNext(Answer::Ok);
  ConvertMPC(s.ui, s.options, s.Saver());
  ASSERT_EQ(s.ui.Messages().size(), 1u);
  EXPECT_EQ(s.ui.Messages()[0].caption, "Record Converstion Error!");
  EXPECT_EQ(s.ui.Messages()[0].text,
            "Error occurred while processing record!\r\n\r\nBody ID: Albert\r\n\r\nPress \"OK\" to skip record and "
            "continue.");
  EXPECT_EQ(s.ui.Messages()[0].buttons, platform::Buttons::OkCancel);
  EXPECT_EQ(testing::ReadAll(cmo).size(), 304u * 162u);

  // A newer source with a bad record, cancelled: no converted file at all.
  testing::WriteText(s.mpcDir + "MPCORB.DAT", WithBadRecord(100));
  ShiftFileTime(s.mpcDir + "MPCORB.DAT", 2);
  s.ui.AnswerNext(Answer::Cancel);
  EXPECT_THROW(ConvertMPC(s.ui, s.options, s.Saver()), ConversionCancelled);
  EXPECT_FALSE(std::filesystem::exists(cmo));
  EXPECT_EQ(DirectoryEntries(s.mpcDir), (std::vector<std::string>{"MPCORB.DAT"}));  // no temporary file either
  EXPECT_FALSE(s.ui.Progress().back().open);
}

TEST(OrbitFiles, LowellDatabaseWithAnUnnumberedRecord) {
  Session s;
  s.options.oldReportFormat = true;
  std::string text = Fixture("astorb_lowell_doc_sample_records.txt");
  std::string ceres = text.substr(0, 268);
  std::string unnumbered = ceres;
  unnumbered.replace(0, 25, "       1998 SS162        ");
  text += unnumbered;
  testing::WriteText(s.lowellDir + "ASTORB.DAT", text);
  ConvertLowell(s.ui, s.options, s.Saver());
  ASSERT_EQ(s.ui.Progress().size(), 1u);
  EXPECT_EQ(s.ui.Progress()[0].text, "Converting Lowell Orbit Database to ASTORB.CMO");
  CmoFileReader reader(s.lowellDir + "ASTORB.CMO");
  EXPECT_EQ(reader.RecordCount(), 3);
  CmoRecord rec;
  std::vector<std::string> designations;
  while (reader.Next(rec)) designations.push_back(rec.designation);
  EXPECT_EQ(designations, (std::vector<std::string>{"1", "1693", "J98SG2S"}));
  OrbitFiles files(s.Context());
  EXPECT_EQ(files.FindNameByNumber("1693"), "Hertzsprung");
  EXPECT_EQ(files.Current(), nullptr);
}

TEST(ConvertOrbitFile, HostileSources) {
  TempDir dir;
  const std::string target = dir / "OUT.CMO";
  // A huge sparse file of zeros: no head line, so no record; read through without trouble.
  const std::string sparse = dir / "SPARSE.DAT";
  {
    const int fd = ::open(sparse.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 256LL << 20), 0);
    ::close(fd);
  }
  ConversionStats stats =
      ConvertOrbitFile(sparse, target, OrbitSourceFormat::kMpcorb, true, MpcHeader::kSkipToDashes, {});
  EXPECT_EQ(stats.records, 0);
  EXPECT_EQ(testing::ReadAll(target).size(), 0u);
  // The same as Lowell blocks: the first block is refused and the conversion cancelled.
  ConversionCallbacks cancel;
  int asked = 0;
  cancel.badRecord = [&](const std::string&, const std::string&, std::int64_t) {
    ++asked;
    return false;
  };
  std::filesystem::remove(target);
  EXPECT_THROW(ConvertOrbitFile(sparse, target, OrbitSourceFormat::kLowell, true, MpcHeader::kAuto, cancel),
               ConversionCancelled);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(std::filesystem::exists(target));
  std::filesystem::remove(sparse);

  // Binary garbage, with lines of every length: records are skipped, never misread.
  std::mt19937 rng(7);
  std::string garbage(1 << 20, '\0');
  for (char& c : garbage) c = static_cast<char>(rng() % 256);
  testing::WriteText(dir / "GARBAGE.DAT", "x\n-\n" + garbage);
  stats = ConvertOrbitFile(dir / "GARBAGE.DAT", target, OrbitSourceFormat::kMpcorb, true, MpcHeader::kAuto, {});
  EXPECT_EQ(stats.records, 0);
  EXPECT_GT(stats.skipped, 1000);
  stats = ConvertOrbitFile(dir / "GARBAGE.DAT", target, OrbitSourceFormat::kLowell, true, MpcHeader::kAuto, {});
  EXPECT_EQ(stats.records, 0);
  EXPECT_EQ(stats.skipped, (4 + (1 << 20)) / 268);

  // Short lines and a truncated last Lowell block.
  testing::WriteText(dir / "SHORT.DAT", "-\n\n1\n12\n00433   11.16  0.46 K1972\n");
  stats = ConvertOrbitFile(dir / "SHORT.DAT", target, OrbitSourceFormat::kMpcorb, true, MpcHeader::kSkipToDashes, {});
  EXPECT_EQ(stats.records, 0);
  EXPECT_EQ(stats.skipped, 1);  // lines of two characters or fewer are not records
  const std::string lowell = Fixture("astorb_lowell_doc_sample_records.txt");
  testing::WriteText(dir / "CUT.DAT", lowell.substr(0, 268 + 200));
  stats = ConvertOrbitFile(dir / "CUT.DAT", target, OrbitSourceFormat::kLowell, true, MpcHeader::kAuto, {});
  EXPECT_EQ(stats.records, 1);
  EXPECT_EQ(stats.skipped, 0);

  // A result refused before it replaces the target leaves the old target.
  testing::WriteText(target, "previous");
  ConversionCallbacks refuse;
  refuse.accept = [](const ConversionStats& st) { return st.records > 0; };
  EXPECT_THROW(ConvertOrbitFile(dir / "SHORT.DAT", target, OrbitSourceFormat::kMpcorb, true, MpcHeader::kAuto, refuse),
               ConversionCancelled);
  EXPECT_EQ(ReadText(target), "previous");

  // Missing source, and a target that cannot be replaced (a directory).
  EXPECT_THROW(ConvertOrbitFile(dir / "NONE.DAT", target, OrbitSourceFormat::kMpcorb, true, MpcHeader::kAuto, {}),
               IOFailure);
  const std::string blocked = dir.MakeDir("BLOCKED.CMO");
  EXPECT_THROW(
      ConvertOrbitFile(dir / "CUT.DAT", dir / "BLOCKED.CMO", OrbitSourceFormat::kLowell, true, MpcHeader::kAuto, {}),
      IOFailure);
  EXPECT_TRUE(std::filesystem::is_directory(blocked));
  for (const std::string& name : DirectoryEntries(dir.Path())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST(CmoFileReader, TruncatedAndHostileConvertedFiles) {
  TempDir dir;
  const std::string source = dir / "MPCORB.DAT";
  testing::WriteText(source, MpcorbText());
  ConvertOrbitFile(source, dir / "MPCORB.CMO", OrbitSourceFormat::kMpcorb, true, MpcHeader::kSkipToDashes, {});
  std::vector<std::uint8_t> bytes = testing::ReadAll(dir / "MPCORB.CMO");
  bytes.resize(3 * 162 + 50);
  testing::WriteAll(dir / "CUT.CMO", bytes);
  CmoFileReader cut(dir / "CUT.CMO");
  EXPECT_EQ(cut.RecordCount(), 3);
  CmoRecord rec;
  int n = 0;
  while (cut.Next(rec)) ++n;
  EXPECT_EQ(n, 3);
  // Random bytes: every record reads, and turning it into a body never fails hard.
  std::mt19937 rng(3);
  std::vector<std::uint8_t> noise(162 * 200);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng() % 256);
  testing::WriteAll(dir / "NOISE.CMO", noise);
  CmoFileReader reader(dir / "NOISE.CMO");
  auto earth = std::make_shared<EarthObj>();
  int read = 0;
  while (reader.Next(rec)) {
    ++read;
    EXPECT_LE(rec.name.size(), 40u);
    const OrbitElements el = CmoToElements(rec);
    MinorBody body(MinorBody::kAstrometric, SiteRecord{}, el, earth);
    body.Geocentric(2460831.5L);
    body.Magnitude(2460831.5L);
  }
  EXPECT_EQ(read, 200);
  EXPECT_THROW(CmoFileReader(dir / "NONE.CMO"), IOFailure);
}

TEST(CometFileObj, ReadsTheCometFileOrSaysWhyNot) {
  Session s;
  {
    CometFileObj missing(s.Context());
    EXPECT_FALSE(missing.Loaded());
    ASSERT_EQ(s.ui.Messages().size(), 1u);
    EXPECT_EQ(s.ui.Messages()[0].caption, "Comet File Error");
    EXPECT_EQ(s.ui.Messages()[0].icon, Icon::Warning);
    EXPECT_EQ(s.ui.Messages()[0].text, "FileName: " + s.cometDir + "COMET.DAT\r\n\r\nFile Not Found!");
  }
  testing::WriteText(s.cometDir + "COMET.DAT", Fixture("CometEls_excerpt.txt") + "garbage line\n\n");
  CometFileObj comets(s.Context());
  ASSERT_TRUE(comets.Loaded());
  EXPECT_EQ(comets.Records().Size(), 241u);
  EXPECT_EQ(comets.Headers().Size(), 241u);
  EXPECT_EQ(comets.SkippedLines(), 1);
  ASSERT_NE(comets.Records().GetAt(1), nullptr);
  ASSERT_NE(comets.Headers().GetAt(1), nullptr);
  const CmoRecord hb = *comets.Records().Current();
  const CmoHeader header = *comets.Headers().Current();
  EXPECT_EQ(hb.name, "C/1995 O1 (Hale-Bopp)");
  EXPECT_EQ(hb.objectKind, 1);
  EXPECT_EQ(hb.magModel, 2);
  EXPECT_EQ(static_cast<int>(hb.frame.mode), 2);
  EXPECT_EQ(hb.frame.frame, CoordFrame::kEcliptic);
  EXPECT_EQ(hb.frame.equinoxKind, EquinoxKind::kJulian);
  EXPECT_EQ(header.designation, "CJ95O010");
  ByteWriter a;
  WriteCmoRecord(a, hb);
  ByteWriter b;
  WriteCmoHeader(b, header);
  EXPECT_TRUE(std::equal(b.Buffer().begin(), b.Buffer().end(), a.Buffer().begin()));
  EXPECT_EQ(b.Size(), 51u);
  EXPECT_GT(comets.FileDateTime(), 40000);  // a date after 2009
}

TEST(TARNEFileObj, IsAlwaysValid) {
  Session s;
  const std::string source = s.dir / "SRC.DAT";
  testing::WriteText(source, MpcorbText());
  ConvertOrbitFile(source, s.dir / "MARLO_MPC.CMO", OrbitSourceFormat::kMpcorb, true, MpcHeader::kAuto, {});
  s.options.orbitFileArg = s.dir / "MARLO_MPC.CMO";
  OrbitFiles files(s.Context());
  files.OpenTARNE();
  ASSERT_NE(files.Tarne(), nullptr);
  EXPECT_TRUE(files.Tarne()->ConvertedValid());
  EXPECT_EQ(files.Current(), files.Tarne());
  CmoRecord rec;
  ASSERT_TRUE(files.Current()->NextRecord(rec));
  EXPECT_EQ(rec.designation, "433");
}

}  // namespace
}  // namespace skarvel
