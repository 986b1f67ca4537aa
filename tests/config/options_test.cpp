#include "config/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>

#include "images/display_mapping.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::ReadAll;
using testing::ScriptedPlatform;
using testing::TempDir;
using testing::WriteAll;

// Program directory and working directory of one simulated installation.
struct Installation {
  TempDir root;
  std::string programDir = root.MakeDir("program");
  std::string dataDir = root.MakeDir("work");

  StorageEnvironment Env() const {
    StorageEnvironment env;
    env.programDir = programDir;
    env.currentDir = dataDir;
    env.perUserDir = root / "peruser/VORN/Toolkit/";
    env.perUserStorage = true;
    env.changeCurrentDirectory = false;
    env.mountsFile = root / "no-mounts";
    return env;
  }
};

std::vector<std::uint8_t> Serialize(const OptionsRecord& r) {
  ByteWriter out;
  WriteOptionsFields(out, r);
  return out.Buffer();
}

// A record whose every persisted field holds something other than its default.
OptionsRecord Distinctive() {
  OptionsRecord r;
  r.version = "1.331";
  r.imagePath = "/images/night1/";
  r.gscPath1 = "/gsc/a/";
  r.gscPath2 = "/gsc/b/";
  r.bssPath = "/bss/";
  r.ucac2Path = "/u2/";
  r.ucac3Path1 = "/u3a/";
  r.ucac3Path2 = "/u3b/";
  r.sa1Path = "/sa1/";
  r.sa2Path = "/sa2/";
  r.astorbPath = "/astorb/";
  r.mpcOrbPath = "/mpcorb/";
  r.mpcCometPath = "/comet/";
  r.logoFile = "L.BMP";
  r.titleFile = "T.BMP";
  r.helpFile = "H.HLP";
  r.toolHelpList = "T.LST";
  r.userHelpFile = "U.HLP";
  r.reminderFile = "R.AST";
  r.stationsFile = "S.DAT";
  r.obsCodesFile = "C.DAT";
  r.cameraFile = "K.DAT";
  r.savedOrbitsFile = "O.DAT";
  r.astorbURL = "a";
  r.mpcOrbURL = "b";
  r.mpcURL = "c";
  r.vornURL = "d";
  r.pPlutoURL = "e";
  r.usnoStatusURL = "f";
  r.usnoCatURL = "g?";
  r.spreadsheetProgram = "/usr/bin/localc";
  r.logFile = "/var/log/x.log";
  r.accessCode1 = Scramble("ABCDE");
  r.accessCode2 = Scramble("0123456789abcdef");
  r.labTable = "12";
  r.reservedByte = 7;
  r.optionsAccess = false;
  r.expertMode = true;
  r.autoVerifyID = true;
  r.readSkyForCentroid = false;
  r.vornFormatGSC = true;
  r.gscOnACT = true;
  r.invertRefDisplay = false;
  r.oldReportFormat = false;
  r.maximizeBlink = false;
  r.defaultRefMags = false;
  r.restoreAllRefs = true;
  r.primaryCatalog = 3;
  r.supplCatalog = 2;
  r.webCatalog = 0;
  r.catalogLocation = 0;
  r.solutionType = 2;
  r.imageFileType = 1;
  r.headerTimeType = 3;
  r.userRecord = {"Ann Lee Smith", "Uni", "Main St 1", "Tucson AZ", "U.S.A.", "a@b.c", "A. Smith", "B. Jones"};
  r.cameraRecord = {"ST-7", 9.0f, 9.5f, 765, 510, 254.0f, 2000.0f, 50, true, 2};
  r.siteRecord = DefaultSiteRecord();
  r.displayDefaults.brightness = -5;
  r.displayDefaults.invert = true;
  r.onlineService = kServiceUSNO;
  r.vizierServer = "vizier.cfa.harvard.edu";
  r.centroidMethod = kCentroidPsfFit;
  r.refBox = {5, 4, 3, -2};
  r.unknownBox = {10, 9, 8, 1};
  r.magLimit = 18.5f;
  r.fieldSize = 22.25f;
  return r;
}

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

float F32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  const std::uint32_t bits = U32At(b, at);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

std::string TextAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::string(reinterpret_cast<const char*>(&b[at + 1]), b[at]);
}

TEST(OptionsFileLayout, EveryFieldStandsAtItsOffset) {
  const auto b = Serialize(Distinctive());
  ASSERT_EQ(b.size(), kOptionsFileBytes);
  EXPECT_EQ(TextAt(b, 0), "1.331");
  EXPECT_EQ(TextAt(b, 72), "/images/night1/");
  EXPECT_EQ(TextAt(b, 72 + 256), "/gsc/a/");
  EXPECT_EQ(TextAt(b, 72 + 11 * 256), "/comet/");
  EXPECT_EQ(TextAt(b, 3144), "L.BMP");
  EXPECT_EQ(TextAt(b, 3144 + 5 * 72), "R.AST");
  EXPECT_EQ(TextAt(b, 3576), "S.DAT");
  EXPECT_EQ(TextAt(b, 3576 + 4 * 256), "a");
  EXPECT_EQ(TextAt(b, 3576 + 10 * 256), "g?");
  EXPECT_EQ(TextAt(b, 3576 + 12 * 256), "/var/log/x.log");
  // Access code 1: "ABCDE" as two complemented groups, then the length.
  EXPECT_EQ(b[6904], static_cast<std::uint8_t>(~'A'));
  EXPECT_EQ(b[6908], static_cast<std::uint8_t>(~'E'));
  EXPECT_EQ(b[6920], 5);
  EXPECT_EQ(b[6921 + 15], static_cast<std::uint8_t>(~'f'));
  EXPECT_EQ(b[6937], 16);
  EXPECT_EQ(TextAt(b, 6938), "12");
  EXPECT_EQ(b[6943], 7);
  // The 18 switch and choice bytes.
  const std::vector<std::uint8_t> flags = {0, 1, 1, 0, 1, 1, 0, 0, 0, 0, 1, 3, 2, 0, 0, 2, 1, 3};
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 6944, b.begin() + 6962), flags);
  EXPECT_EQ(TextAt(b, 6962), "Ann Lee Smith");
  EXPECT_EQ(TextAt(b, 6962 + 6 * 41), "A. Smith");
  EXPECT_EQ(TextAt(b, 6962 + 6 * 41 + 256), "B. Jones");
  EXPECT_EQ(TextAt(b, 7720), "ST-7");
  EXPECT_FLOAT_EQ(F32At(b, 7720 + 41), 9.0f);
  EXPECT_EQ(U32At(b, 7720 + 49), 765u);
  EXPECT_EQ(b[7720 + 65], 50);  // timing error, 16-bit
  EXPECT_EQ(b[7720 + 67], 1);   // inverted
  EXPECT_EQ(b[7720 + 68], 2);   // filter R
  EXPECT_EQ(TextAt(b, 7789), "Kitt Peak");
  EXPECT_EQ(TextAt(b, 7789 + 41), "695");
  EXPECT_EQ(b[7789 + 171], '1');
  EXPECT_EQ(static_cast<std::int32_t>(U32At(b, 7961)), -5);
  EXPECT_EQ(b[7961 + 30], 1);  // invert
  // The on-line service kind, the VizieR server text[25] and the centring byte in the 28 bytes at 7996.
  EXPECT_EQ(b[7996], 1);
  EXPECT_EQ(TextAt(b, 7997), "vizier.cfa.harvard.edu");
  EXPECT_EQ(b[7997 + 1 + 22], 0);  // the text area after the text is zero
  EXPECT_EQ(b[7996 + 27], 2);
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 8024, b.begin() + 8032),
            (std::vector<std::uint8_t>{5, 4, 3, 0xFE, 10, 9, 8, 1}));
  EXPECT_FLOAT_EQ(F32At(b, 8032), 18.5f);
  EXPECT_FLOAT_EQ(F32At(b, 8036), 22.25f);
}

TEST(OptionsFileLayout, DefaultsAsWritten) {
  ScriptedPlatform ui;
  Installation inst;
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(opts.Start());
  const auto b = Serialize(opts.Record());
  EXPECT_EQ(TextAt(b, 0), "1.330");
  EXPECT_EQ(b[72], 0);  // paths empty
  EXPECT_EQ(TextAt(b, 3144), "VORNLOGO.BMP");
  EXPECT_EQ(TextAt(b, 3144 + 72), "ASTROMET.BMP");
  EXPECT_EQ(TextAt(b, 3576 + 12 * 256), "VORNLOG.LOG");
  const auto& r = opts.Record();
  EXPECT_EQ(r.usnoCatURL.back(), '?');
  EXPECT_EQ(Unscramble(r.accessCode1), OptsObj::kDefaultAccessCode1);
  // A new installation queries Gaia DR3 (web catalog 3) on the web (location 1).
  const std::vector<std::uint8_t> flags = {1, 0, 0, 1, 0, 0, 1, 1, 1, 1, 0, 1, 0, 3, 1, 0, 0, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 6944, b.begin() + 6962), flags);
  // Display defaults: 0, 0, 64, 127, 1.0, -0.25, 2.0, then 0 0 0 1 1 0 0.
  EXPECT_EQ(U32At(b, 7961 + 8), 64u);
  EXPECT_EQ(U32At(b, 7961 + 12), 127u);
  EXPECT_FLOAT_EQ(F32At(b, 7961 + 16), 1.0f);
  EXPECT_FLOAT_EQ(F32At(b, 7961 + 20), -0.25f);
  EXPECT_FLOAT_EQ(F32At(b, 7961 + 24), 2.0f);
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 7989, b.begin() + 7996),
            (std::vector<std::uint8_t>{0, 0, 0, 1, 1, 0, 0}));
  // VizieR (0) at its main address (empty server text): 27 bytes at 7996
  // zero; a new installation measures with the windowed centroid (1 at 8023).
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 7996, b.begin() + 8023), std::vector<std::uint8_t>(27, 0));
  EXPECT_EQ(b[8023], 1);
  EXPECT_EQ(r.centroidMethod, kCentroidWindowed);
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 8024, b.begin() + 8032),
            (std::vector<std::uint8_t>{8, 8, 4, 3, 8, 8, 4, 3}));
  EXPECT_FLOAT_EQ(F32At(b, 8032), 20.0f);
  EXPECT_FLOAT_EQ(F32At(b, 8036), 15.0f);
  EXPECT_EQ(r.backupName, "ASTROPTS.BAK");
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(OptionsFile, RoundTripIsByteExact) {
  ScriptedPlatform ui;
  Installation inst;
  OptsObj writer("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(writer.Start());
  const OptionsRecord keepDirs = writer.Record();
  writer.Record() = Distinctive();
  writer.Record().expectedVersion = keepDirs.expectedVersion;
  writer.Record().fileName = keepDirs.fileName;
  writer.Record().backupName = keepDirs.backupName;
  writer.Record().dataDir = keepDirs.dataDir;
  ASSERT_TRUE(writer.Write(inst.dataDir));
  EXPECT_TRUE(writer.SavedInDataDir());
  const auto first = ReadAll(inst.dataDir + "ASTROPTS.INI");
  EXPECT_EQ(first, Serialize(Distinctive()));

  OptsObj reader("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(reader.Start());
  OptionsRecord expected = Distinctive();
  const OptionsRecord& got = reader.Record();
  expected.expectedVersion = got.expectedVersion;
  expected.fileName = got.fileName;
  expected.backupName = got.backupName;
  expected.programDir = got.programDir;
  expected.dataDir = got.dataDir;
  EXPECT_EQ(got, expected);
  ASSERT_TRUE(reader.Write(inst.dataDir));
  EXPECT_EQ(ReadAll(inst.dataDir + "ASTROPTS.INI"), first);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(OptionsFile, AnExistingFileKeepsItsCentroidAndAnUnknownChoiceFallsBack) {
  // Byte 8023: 0 in a file from before the choice existed (the thresholded
  // centroid), 1 and 2 the fitted ones, anything else the thresholded one.
  for (const auto& [stored, read] : std::vector<std::pair<std::uint8_t, std::uint8_t>>{
           {0, kCentroidClassic}, {1, kCentroidWindowed}, {2, kCentroidPsfFit}, {3, kCentroidClassic}, {255, kCentroidClassic}}) {
    SCOPED_TRACE(int{stored});
    ScriptedPlatform ui;
    Installation inst;
    auto bytes = Serialize(Distinctive());
    bytes[8023] = stored;
    WriteAll(inst.dataDir + "ASTROPTS.INI", bytes);
    OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
    ASSERT_TRUE(opts.Read(inst.dataDir + "ASTROPTS.INI"));
    EXPECT_EQ(opts.Record().centroidMethod, read);
    EXPECT_EQ(opts.Record().vizierServer, "vizier.cfa.harvard.edu");  // its neighbours unchanged
    EXPECT_EQ(opts.Record().refBox, (BoxRecord{5, 4, 3, -2}));
  }
}

TEST(OptionsFile, ThePlateWeightingIsBitZeroOfTheByteAfterTheLaboratoryTable) {
  // 0 there (every file from before, and a new installation) solves unweighted;
  // bit 0 weights by the measured uncertainties, the other bits are kept as read.
  for (const auto& [stored, weighted] : std::vector<std::pair<std::uint8_t, bool>>{
           {0x00, false}, {0x01, true}, {0xFE, false}, {0xFF, true}}) {
    SCOPED_TRACE(int{stored});
    ScriptedPlatform ui;
    Installation inst;
    auto bytes = Serialize(Distinctive());
    bytes[6943] = stored;
    WriteAll(inst.dataDir + "ASTROPTS.INI", bytes);
    OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
    ASSERT_TRUE(opts.Read(inst.dataDir + "ASTROPTS.INI"));
    EXPECT_EQ(WeightPlateByUncertainty(opts.Record()), weighted);
    EXPECT_EQ(opts.Record().labTable, "12");  // its neighbours unchanged
    EXPECT_FALSE(opts.Record().optionsAccess);
    // Switched over and written back: only bit 0 of byte 6943 changes.
    SetWeightPlateByUncertainty(opts.Record(), !weighted);
    ASSERT_TRUE(opts.Write(inst.dataDir));
    auto expected = bytes;
    expected[6943] = static_cast<std::uint8_t>(stored ^ kWeightPlateFlag);
    EXPECT_EQ(ReadAll(inst.dataDir + "ASTROPTS.INI"), expected);
  }
  EXPECT_FALSE(WeightPlateByUncertainty(OptionsRecord{}));
}

TEST(OptionsFile, VersionPrefixDecidesAcceptance) {
  EXPECT_EQ(VersionPrefix("1.330"), "1.33");
  EXPECT_EQ(VersionPrefix("1.339"), "1.33");
  EXPECT_EQ(VersionPrefix("1.3"), "1.3");
  EXPECT_EQ(VersionPrefix("133"), "133");

  struct Case {
    const char* version;
    bool accepted;
  };
  for (const Case c : {Case{"1.339", true}, Case{"1.33", true}, Case{"1.320", false}, Case{"1.3", false},
                       Case{"2.330", false}, Case{"", false}}) {
    SCOPED_TRACE(c.version);
    ScriptedPlatform ui;
    Installation inst;
    OptionsRecord r = Distinctive();
    r.version = c.version;
    WriteAll(inst.dataDir + "ASTROPTS.INI", Serialize(r));
    OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
    EXPECT_EQ(opts.Read(inst.dataDir + "ASTROPTS.INI"), c.accepted);
    if (c.accepted) {
      EXPECT_TRUE(ui.Messages().empty());
      EXPECT_EQ(opts.Record().version, c.version);
      EXPECT_EQ(opts.Record().magLimit, 18.5f);
    } else {
      ASSERT_EQ(ui.Messages().size(), 1u);
      EXPECT_EQ(ui.Messages()[0].text, "Options File " + inst.dataDir +
                                           "ASTROPTS.INI is obsolete.\r\n"
                                           "Program will continue with defaults or alternative file.");
      EXPECT_EQ(ui.Messages()[0].caption, "Version Error");
      EXPECT_EQ(ui.Messages()[0].icon, Icon::Information);
      EXPECT_EQ(opts.Record().version, "1.330");  // nothing of the file taken
    }
  }
}

TEST(OptionsFile, OneByteTooManyIsInvalid) {
  ScriptedPlatform ui;
  Installation inst;
  auto bytes = Serialize(Distinctive());
  bytes.push_back(0);
  WriteAll(inst.dataDir + "ASTROPTS.INI", bytes);
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(opts.Start());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Options File " + inst.dataDir +
                                       "ASTROPTS.INI is Invalid.\r\n"
                                       "Program will continue with defaults or alternative file.\r\n\r\n"
                                       "EOF Not Reached!");
  EXPECT_EQ(ui.Messages()[0].caption, "File Error");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Information);
  // The defaults are in force, not the invalid file's fields.
  EXPECT_EQ(opts.Record().magLimit, 20.0f);
  EXPECT_FALSE(opts.Record().vornFormatGSC);
  EXPECT_EQ(opts.Record().labTable, "");
}

TEST(OptionsFile, TruncatedAtEveryFieldClassFallsBackToDefaults) {
  const auto full = Serialize(Distinctive());
  // Empty, inside and at the end of the version, each block boundary and inside, one short of the end.
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{40}, std::size_t{72}, std::size_t{73},
                           std::size_t{3144}, std::size_t{3500}, std::size_t{3576}, std::size_t{6904},
                           std::size_t{6921}, std::size_t{6938}, std::size_t{6944}, std::size_t{6950},
                           std::size_t{6962}, std::size_t{7720}, std::size_t{7789}, std::size_t{7961},
                           std::size_t{7996}, std::size_t{8024}, std::size_t{8032}, std::size_t{8039}}) {
    SCOPED_TRACE(size);
    ScriptedPlatform ui;
    Installation inst;
    WriteAll(inst.dataDir + "ASTROPTS.INI", std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<long>(size)));
    OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
    ASSERT_TRUE(opts.Start());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].caption, "File Error");
    EXPECT_NE(ui.Messages()[0].text.find("is Invalid."), std::string::npos);
    EXPECT_EQ(ui.Messages()[0].text.substr(ui.Messages()[0].text.size() - 4), "EOF!");
    EXPECT_EQ(opts.Record().magLimit, 20.0f);
    EXPECT_EQ(opts.Record().imagePath, "");
    EXPECT_FALSE(opts.Record().vornFormatGSC);
  }
}

TEST(OptionsFile, HostileFilesNeverBreakTheStart) {
  std::mt19937 rng(20261209);
  std::vector<std::vector<std::uint8_t>> files;
  // Random bytes of several sizes, and a valid version followed by random bytes.
  for (std::size_t size : {std::size_t{10}, std::size_t{8040}, std::size_t{100000}}) {
    std::vector<std::uint8_t> b(size);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    files.push_back(b);
    auto withVersion = b;
    if (withVersion.size() >= 72) {
      const auto v = Serialize(OptionsRecord{});
      std::copy(v.begin(), v.begin() + 72, withVersion.begin());
      withVersion[0] = 5;
      std::memcpy(&withVersion[1], "1.330", 5);
    }
    files.push_back(withVersion);
  }
  // Length bytes beyond their text areas.
  auto overLong = Serialize(Distinctive());
  overLong[0] = 0xFF;
  files.push_back(overLong);
  auto overLongPath = Serialize(Distinctive());
  overLongPath[72] = 0xFF;
  files.push_back(overLongPath);
  // Oversized: a valid file with a megabyte after it.
  auto huge = Serialize(Distinctive());
  huge.resize(huge.size() + (1u << 20), 0xAA);
  files.push_back(huge);

  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    ScriptedPlatform ui;
    Installation inst;
    WriteAll(inst.dataDir + "ASTROPTS.INI", files[i]);
    OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
    ASSERT_TRUE(opts.Start());
    const auto& r = opts.Record();
    EXPECT_LE(r.version.size(), 71u);
    EXPECT_LE(r.imagePath.size(), 255u);
    if (i == files.size() - 3) {
      // A version length byte of 255 is taken as 71; the version test looks
      // only at the start, so the file is read.
      EXPECT_TRUE(ui.Messages().empty());
      EXPECT_EQ(r.version.size(), 71u);
      EXPECT_EQ(r.magLimit, 18.5f);
    } else if (i == files.size() - 2) {
      // The over-long path length is cut to the area; the file is otherwise valid.
      EXPECT_TRUE(ui.Messages().empty());
      EXPECT_EQ(r.imagePath.size(), 255u);
    } else if (files[i].size() == 8040 && files[i][0] == 5) {
      // A right version and random fields is a readable file; what no dialog
      // could have stored is put back to its default.
      EXPECT_TRUE(ui.Messages().empty());
      EXPECT_LE(r.primaryCatalog, 3);
      EXPECT_LE(r.headerTimeType, 3);
      EXPECT_LE(r.cameraRecord.filter, 8);
      EXPECT_GE(r.refBox.peakHalfWidth, 1);
      EXPECT_LE(r.refBox.peakHalfWidth, 10);
      EXPECT_TRUE(std::isfinite(r.fieldSize));
    } else {
      ASSERT_EQ(ui.Messages().size(), 1u);
      EXPECT_EQ(r.magLimit, 20.0f);
    }
  }
}

TEST(OptionsFile, DisplayDefaultsOutsideTheDialogRangesAreBroughtIntoThem) {
  struct Case {
    std::int32_t brightness, contrast;
    float background, range;
    std::int32_t wantB, wantC;
    float wantBackground, wantRange;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case& c : {Case{INT32_MIN, -2000, nan, 1e30f, -50, -50, -0.25f, 6.0f},
                        Case{INT32_MAX, INT32_MAX, -1e30f, nan, 50, 50, -2.5f, 2.0f},
                        Case{7, -3, 0.5f, 3.25f, 7, -3, 0.5f, 3.25f}}) {
    SCOPED_TRACE(c.brightness);
    OptionsRecord stored = Distinctive();
    stored.displayDefaults.brightness = c.brightness;
    stored.displayDefaults.contrast = c.contrast;
    stored.displayDefaults.backgroundSigmas = c.background;
    stored.displayDefaults.rangeSigmas = c.range;
    stored.displayDefaults.paletteLow = INT32_MIN;  // as a hostile file may hold
    ScriptedPlatform ui;
    Installation inst;
    WriteAll(inst.dataDir + "ASTROPTS.INI", Serialize(stored));
    OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
    ASSERT_TRUE(opts.Start());
    EXPECT_TRUE(ui.Messages().empty());
    const DisplaySettings& d = opts.Record().displayDefaults;
    EXPECT_EQ(d.brightness, c.wantB);
    EXPECT_EQ(d.contrast, c.wantC);
    EXPECT_EQ(d.backgroundSigmas, c.wantBackground);
    EXPECT_EQ(d.rangeSigmas, c.wantRange);
    // The palette bounds follow the brought-in values as the dialog computes them.
    DisplaySettings expect = d;
    UpdatePaletteBounds(expect);
    EXPECT_EQ(d.paletteLow, expect.paletteLow);
    EXPECT_EQ(d.paletteHigh, expect.paletteHigh);
  }
}

TEST(OptionsFile, ADirectoryOfThatNameIsPassedSilently) {
  ScriptedPlatform ui;
  Installation inst;
  inst.root.MakeDir("work/ASTROPTS.INI");
  WriteAll(inst.programDir + "ASTROPTS.INI", Serialize(Distinctive()));
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(opts.Start());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(opts.Record().magLimit, 18.5f);  // the program directory's copy
  // Writing over a directory fails with the system's message, not a crash.
  EXPECT_FALSE(opts.Write(inst.dataDir));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Options File Error!");
}

TEST(OptionsFile, ProgramDirectoryCopyServesAsDefaultsAndFirstSaveGoesToDataDir) {
  ScriptedPlatform ui;
  Installation inst;
  WriteAll(inst.programDir + "ASTROPTS.INI", Serialize(Distinctive()));
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(opts.Start());
  EXPECT_EQ(opts.Record().imagePath, "/images/night1/");
  EXPECT_EQ(opts.Record().dataDir, inst.dataDir);
  EXPECT_EQ(opts.Record().programDir, inst.programDir);
  EXPECT_FALSE(testing::Exists(inst.dataDir + "ASTROPTS.INI"));
  opts.Record().magLimit = 17.0f;
  ASSERT_TRUE(opts.Write(opts.Record().dataDir));
  EXPECT_TRUE(testing::Exists(inst.dataDir + "ASTROPTS.INI"));
  EXPECT_FALSE(testing::Exists(inst.dataDir + "ASTROPTS.BAK"));  // nothing was there before
  EXPECT_EQ(ReadAll(inst.programDir + "ASTROPTS.INI"), Serialize(Distinctive()));  // untouched
  OptsObj again("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(again.Start());
  EXPECT_EQ(again.Record().magLimit, 17.0f);
}

TEST(OptionsFile, FileFoundIgnoringLetterCase) {
  ScriptedPlatform ui;
  Installation inst;
  WriteAll(inst.dataDir + "astropts.ini", Serialize(Distinctive()));
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(opts.Start());
  EXPECT_EQ(opts.Record().magLimit, 18.5f);
  ASSERT_TRUE(opts.Write(inst.dataDir));
  // The save replaces the file it found and keeps its predecessor as the backup.
  EXPECT_FALSE(testing::Exists(inst.dataDir + "ASTROPTS.INI"));
  EXPECT_TRUE(testing::Exists(inst.dataDir + "astropts.ini"));
  EXPECT_TRUE(testing::Exists(inst.dataDir + "ASTROPTS.BAK"));
}

TEST(OptionsFile, BackupHoldsThePreviousFileByteForByte) {
  ScriptedPlatform ui;
  Installation inst;
  auto previous = Serialize(Distinctive());
  previous[100] = 0x5A;  // a byte after a text, which a reader ignores
  WriteAll(inst.dataDir + "ASTROPTS.INI", previous);
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(opts.Start());
  opts.Record().fieldSize = 30.0f;
  ASSERT_TRUE(opts.Write(inst.dataDir));
  EXPECT_EQ(ReadAll(inst.dataDir + "ASTROPTS.BAK"), previous);
  EXPECT_EQ(F32At(ReadAll(inst.dataDir + "ASTROPTS.INI"), 8036), 30.0f);
  // No temporary file is left beside them.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(inst.dataDir)) ++entries;
  EXPECT_EQ(entries, 2u);
}

TEST(OptionsFile, WriteIntoAMissingDirectoryReportsAndReturnsFalse) {
  ScriptedPlatform ui;
  Installation inst;
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(opts.Start());
  const std::string dir = inst.root / "missing/";
  EXPECT_FALSE(opts.Write(dir));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Unable to save Options!\r\n\r\nFileName: " + dir + "ASTROPTS.INI\r\nFile Not Found!");
  EXPECT_EQ(ui.Messages()[0].caption, "Options File Error!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
}

TEST(OptionsFile, AdministratorIsOffAfterEveryStart) {
  ScriptedPlatform ui;
  Installation inst;
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  opts.Record().administrator = true;
  ASSERT_TRUE(opts.Start());
  EXPECT_FALSE(opts.Record().administrator);
  opts.Record().administrator = true;
  ASSERT_TRUE(opts.Write(inst.dataDir));
  OptsObj again("ASTROPTS.INI", "1.330", inst.Env(), ui);
  again.Record().administrator = true;
  ASSERT_TRUE(again.Start());
  EXPECT_FALSE(again.Record().administrator);
  EXPECT_FALSE(again.SavedInDataDir());
}

// A new installation's camera: no name, numbers zero, and unfiltered ("&None",
// code 7) rather than the blue filter a zero would name; it is so written.
TEST(OptionsFile, ANewInstallationsCameraIsUnfiltered) {
  ScriptedPlatform ui;
  Installation inst;
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(opts.Start());
  const CameraRecord& c = opts.Record().cameraRecord;
  EXPECT_EQ(c.filter, 7);
  EXPECT_EQ(c.name, "");
  EXPECT_EQ(c.imageWidth, 0);
  EXPECT_FLOAT_EQ(c.focalLengthMm, 0.0f);
  ASSERT_TRUE(opts.Write(inst.dataDir));
  const auto b = ReadAll(inst.dataDir + "ASTROPTS.INI");
  ASSERT_EQ(b.size(), 8040u);
  EXPECT_EQ(b[7720 + 68], 7);
  EXPECT_EQ(b[7720], 0);  // the name's length
}

TEST(OptionsFile, SetDefaultsKeepsWhatItKeeps) {
  ScriptedPlatform ui;
  Installation inst;
  OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
  opts.Record() = Distinctive();
  opts.SetDefaults();
  const auto& r = opts.Record();
  EXPECT_TRUE(r.vornFormatGSC);
  EXPECT_EQ(r.labTable, "12");
  // The centring choice returns to a new installation's.
  EXPECT_EQ(r.centroidMethod, kCentroidWindowed);
  // The on-line choices are settings like the others: back to VizieR at its main address.
  EXPECT_EQ(r.onlineService, kServiceVizieR);
  EXPECT_EQ(r.vizierServer, "");
  EXPECT_EQ(r.webCatalog, kWebGaiaDR3);
  EXPECT_EQ(r.userRecord.observers, "A. Smith");
  EXPECT_EQ(r.userRecord.measurers, "B. Jones");
  EXPECT_EQ(r.userRecord.contactName, "");
  EXPECT_EQ(r.userRecord.email, "");
  EXPECT_EQ(r.imagePath, "");
  EXPECT_EQ(r.mpcCometPath, "");
  CameraRecord unfiltered;
  unfiltered.filter = 7;  // "&None"
  EXPECT_EQ(r.cameraRecord, unfiltered);
  EXPECT_EQ(r.siteRecord.code, "695");
  EXPECT_TRUE(r.optionsAccess);
  EXPECT_FALSE(r.expertMode);
  EXPECT_EQ(r.primaryCatalog, 1);
  EXPECT_EQ(r.refBox, (BoxRecord{8, 8, 4, 3}));
  EXPECT_EQ(Unscramble(r.accessCode2), OptsObj::kDefaultAccessCode2);
}

TEST(AccessCodes, ScrambleInGroupsOfFour) {
  const AccessCode five = Scramble("ABCDE");
  EXPECT_EQ(five.length, 5);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(five.groups[i], static_cast<std::uint8_t>(~"ABCDE"[i]));
  EXPECT_EQ(five.groups[5], 0xFF);  // the second group is padded and complemented
  EXPECT_EQ(five.groups[8], 0);     // the third group is not used
  EXPECT_EQ(Unscramble(five), "ABCDE");
  EXPECT_EQ(Unscramble(Scramble("")), "");
  EXPECT_EQ(Unscramble(Scramble("0123456789ABCDEFXYZ")), "0123456789ABCDEF");
  AccessCode hostile;
  hostile.length = 200;
  EXPECT_EQ(Unscramble(hostile).size(), 16u);
}

TEST(OptionsNames, BackupName) {
  EXPECT_EQ(BackupNameFor("ASTROPTS.INI"), "ASTROPTS.BAK");
  EXPECT_EQ(BackupNameFor("A.B"), "A.BAK");
  EXPECT_EQ(BackupNameFor("NODOT"), "NODOT.BAK");
}

TEST(StorageLocation, UnwritableCurrentDirectoryTurnsToThePerUserDirectory) {
  ScriptedPlatform ui;
  Installation inst;
  StorageEnvironment env = inst.Env();
  env.currentDir = inst.root / "gone/";  // does not exist: not writable
  OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
  ASSERT_TRUE(opts.Start());
  EXPECT_EQ(opts.Record().dataDir, inst.root / "peruser/VORN/Toolkit/");
  EXPECT_TRUE(testing::Exists(inst.root / "peruser/VORN/Toolkit"));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(StorageLocation, NoWritableDirectoryAsksForOne) {
  Installation inst;
  testing::WriteText(inst.root / "plainfile", "x");
  StorageEnvironment env = inst.Env();
  env.currentDir = inst.root / "gone/";
  env.perUserDir = inst.root / "plainfile/VORN/Toolkit/";  // cannot be created

  {  // Cancel on the message ends the program.
    ScriptedPlatform ui;
    ui.AnswerNext(Answer::Cancel);
    OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
    EXPECT_FALSE(opts.Start());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text,
              "Path \"" + env.currentDir +
                  "\" is write-protected!\r\n\r\nYou must provide a path to write-enabled storage.  If you are "
                  "using removable storage,\r\nsuch as a USB device, please mount it before continuing, then "
                  "select it in the dialog that follows.");
    EXPECT_EQ(ui.Messages()[0].caption, "Write-Enabled Storage Required");
    EXPECT_EQ(ui.Messages()[0].icon, Icon::Stop);
    EXPECT_EQ(ui.Messages()[0].buttons, platform::Buttons::OkCancel);
    EXPECT_TRUE(ui.DirectoryDialogs().empty());
  }
  {  // Cancelling the chooser ends it too.
    ScriptedPlatform ui;
    ui.AnswerNext(Answer::Ok);
    ui.ChooseDirectoryNext(std::nullopt);
    OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
    EXPECT_FALSE(opts.Start());
    ASSERT_EQ(ui.DirectoryDialogs().size(), 1u);
    EXPECT_TRUE(ui.DirectoryDialogs()[0].mayCreate);
  }
  {  // An unwritable choice asks again; a writable one becomes the data directory.
    ScriptedPlatform ui;
    ui.AnswerNext(Answer::Ok);
    ui.ChooseDirectoryNext(inst.root / "also-gone");
    ui.AnswerNext(Answer::Ok);
    ui.ChooseDirectoryNext(inst.root / "program");
    OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
    ASSERT_TRUE(opts.Start());
    EXPECT_EQ(opts.Record().dataDir, inst.programDir);
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_NE(ui.Messages()[1].text.find(inst.root / "also-gone/"), std::string::npos);
    EXPECT_EQ(ui.Unanswered(), 0);
  }
}

TEST(StorageLocation, CdromDriveIsTheFirstMountedOpticalDrive) {
  TempDir dir;
  testing::WriteText(dir / "mounts",
                     "/dev/vda1 / ext4 rw 0 0\n"
                     "proc /proc proc rw 0 0\n"
                     "/dev/sr0 /media/cd\\040rom iso9660 ro 0 0\n"
                     "/dev/sr1 /media/other udf ro 0 0\n");
  EXPECT_EQ(FindCdromDrive(dir / "mounts"), "/media/cd rom/");
  testing::WriteText(dir / "none", "/dev/vda1 / ext4 rw 0 0\n/dev/sr /x ext4 rw 0 0\n");
  EXPECT_EQ(FindCdromDrive(dir / "none"), "");
  EXPECT_EQ(FindCdromDrive(dir / "missing"), "");
}

// No optical drive in the mount table: "CDROM Drive?" asks for it at start.
// OK gives the first character typed + ":\", or a folder typed as it stands;
// Cancel no drive. With a drive mounted, or no mount table, nothing is asked.
TEST(StorageLocation, WithoutAMountedOpticalDriveTheDriveIsAsked) {
  struct Case {
    std::optional<std::string> typed;
    std::string drive;
  };
  for (const Case& c : {Case{std::string("e"), "e:\\"}, Case{std::string("Fgh"), "F:\\"},
                        Case{std::string("/media/cdrom"), "/media/cdrom/"}, Case{std::nullopt, ""},
                        Case{std::string(""), ""}}) {
    Installation inst;
    testing::WriteText(inst.root / "no-mounts", "/dev/vda1 / ext4 rw 0 0\n");
    ScriptedPlatform ui;
    ui.TypeNext(c.typed);
    OptsObj opts("ASTROPTS.INI", "1.330", inst.Env(), ui);
    ASSERT_TRUE(opts.Start());
    ASSERT_EQ(ui.TextPrompts().size(), 1u);
    EXPECT_EQ(ui.TextPrompts()[0].caption, "CDROM Drive?");
    EXPECT_EQ(ui.TextPrompts()[0].prompt, "Please Enter Drive Letter of CDROM:");
    EXPECT_EQ(ui.TextPrompts()[0].extraButton, "");
    EXPECT_EQ(opts.Record().cdromDrive, c.drive);
    EXPECT_EQ(ui.Unanswered(), 0);
  }
  // A mounted drive is taken without a question; no mount table, no question.
  Installation inst;
  testing::WriteText(inst.root / "no-mounts", "/dev/sr0 /media/disc iso9660 ro 0 0\n");
  ScriptedPlatform ui;
  OptsObj mounted("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(mounted.Start());
  EXPECT_EQ(mounted.Record().cdromDrive, "/media/disc/");
  Installation bare;
  OptsObj none("ASTROPTS.INI", "1.330", bare.Env(), ui);
  ASSERT_TRUE(none.Start());
  EXPECT_EQ(none.Record().cdromDrive, "");
  EXPECT_TRUE(ui.TextPrompts().empty());
}

class ExtendedOpts : public OptsObj {
 public:
  using OptsObj::OptsObj;
  std::uint32_t extra = 0;

 protected:
  void ReadExtra(ByteReader& in, OptionsRecord&) override { extra = in.U32(); }
  void WriteExtra(ByteWriter& out) override { out.U32(extra); }
};

TEST(OptionsFile, DescendantsAppendTheirOwnData) {
  ScriptedPlatform ui;
  Installation inst;
  ExtendedOpts writer("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(writer.Start());
  writer.extra = 0xC0FFEE;
  ASSERT_TRUE(writer.Write(inst.dataDir));
  EXPECT_EQ(ReadAll(inst.dataDir + "ASTROPTS.INI").size(), kOptionsFileBytes + 4);
  ExtendedOpts reader("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(reader.Start());
  EXPECT_EQ(reader.extra, 0xC0FFEEu);
  EXPECT_TRUE(ui.Messages().empty());
  // The plain object sees four bytes too many.
  OptsObj plain("ASTROPTS.INI", "1.330", inst.Env(), ui);
  ASSERT_TRUE(plain.Start());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_NE(ui.Messages()[0].text.find("EOF Not Reached!"), std::string::npos);
}

}  // namespace
}  // namespace skarvel

namespace skarvel {
namespace {

TEST(OptionsSanitize, ValuesNoDialogCanProduceFallBackToDefaults) {
  OptionsRecord r = Distinctive();
  r.primaryCatalog = 4;
  r.webCatalog = 5;
  r.onlineService = 2;
  r.headerTimeType = 9;
  r.cameraRecord.filter = 9;
  r.refBox = {0, 8, 4, 3};
  r.unknownBox = {8, 8, 4, -4};
  r.magLimit = std::nanf("");
  r.fieldSize = -1.0f;
  SanitizeOptions(r);
  EXPECT_EQ(r.primaryCatalog, 1);
  EXPECT_EQ(r.webCatalog, kWebGaiaDR3);
  EXPECT_EQ(r.onlineService, kServiceVizieR);
  EXPECT_EQ(r.headerTimeType, 0);
  EXPECT_EQ(r.cameraRecord.filter, 7);  // "&None", the filter of a new camera record
  EXPECT_EQ(r.refBox, BoxRecord{});
  EXPECT_EQ(r.unknownBox, BoxRecord{});
  EXPECT_EQ(r.magLimit, 20.0f);
  EXPECT_EQ(r.fieldSize, 15.0f);
  // Values at the ends of their ranges stay.
  OptionsRecord edge = Distinctive();
  edge.refBox = {10, 1, 10, -3};
  SanitizeOptions(edge);
  EXPECT_EQ(edge.refBox, (BoxRecord{10, 1, 10, -3}));
  EXPECT_EQ(edge.primaryCatalog, 3);
  EXPECT_EQ(edge.headerTimeType, 3);
}

}  // namespace
}  // namespace skarvel
