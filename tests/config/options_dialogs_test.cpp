// The rules of "Software Options", "File Name Options" and "Set Star Catalog
// Options" without widgets: control states, messages, what OK and Cancel write.
#include "config/options_dialogs.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "config/vizier_server.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing::ScriptedPlatform;

OptionsRecord Defaults() {
  OptionsRecord r;
  r.dataDir = "/data/";
  r.programDir = "/prog/";
  return r;
}

TEST(OptionsAssignedTest, AMissingRecordIsRefusedWithItsMessage) {
  ScriptedPlatform ui;
  EXPECT_FALSE(OptionsAssigned(ui, nullptr));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "No Options Assigned!");
  EXPECT_EQ(ui.Messages()[0].caption, "Cannot Modify Options!");
  OptionsRecord r;
  EXPECT_TRUE(OptionsAssigned(ui, &r));
  EXPECT_EQ(ui.Messages().size(), 1u);
}

// ---------------------------------------------------------------------------

TEST(SoftwareOptionsTest, OpeningShowsTheRecordWithOneDecimal) {
  OptionsRecord r = Defaults();
  r.fieldSize = 26.25f;
  r.magLimit = 18.0f;
  r.solutionType = 2;
  r.headerTimeType = 1;
  r.expertMode = true;
  SoftwareOptionsLogic logic(r);
  EXPECT_EQ(logic.fieldSize, "26.3");  // halves away from zero
  EXPECT_EQ(logic.magLimit, "18.0");
  EXPECT_EQ(logic.solutionType, 2);
  EXPECT_EQ(logic.timeType, 1);
  EXPECT_TRUE(logic.expertMode);
  EXPECT_TRUE(logic.readSkyForCentroid);
  EXPECT_FALSE(logic.gscOnACT);
  EXPECT_TRUE(logic.timeGroupEnabled);
  EXPECT_TRUE(logic.autoVerifyEnabled);
  EXPECT_TRUE(logic.userEnabled && logic.cameraEnabled);
}

TEST(SoftwareOptionsTest, FileFormatSwitchesTheTimeGroupAndAutoVerify) {
  OptionsRecord r = Defaults();
  r.imageFileType = kImageST4;
  r.headerTimeType = 3;
  SoftwareOptionsLogic logic(r);
  EXPECT_EQ(logic.timeType, SoftwareOptionsLogic::kNone);
  EXPECT_FALSE(logic.timeGroupEnabled);
  EXPECT_FALSE(logic.autoVerifyEnabled);

  logic.ChooseFileFormat(kImageSBIG);
  EXPECT_EQ(logic.timeType, 0);
  EXPECT_TRUE(logic.timeGroupEnabled);
  EXPECT_FALSE(logic.autoVerifyEnabled);
  logic.timeType = 2;
  logic.ChooseFileFormat(kImageFITS);
  EXPECT_EQ(logic.timeType, 0);  // back to "Start of Exposure"
  EXPECT_TRUE(logic.autoVerifyEnabled);
  logic.ChooseFileFormat(kImageST4);
  EXPECT_EQ(logic.timeType, SoftwareOptionsLogic::kNone);
  EXPECT_FALSE(logic.timeGroupEnabled);
  logic.ChooseFileFormat(7);  // no such button
  EXPECT_EQ(logic.fileFormat, kImageST4);
}

TEST(SoftwareOptionsTest, OkWritesEveryControlAndTheST4TimeCode) {
  OptionsRecord r = Defaults();
  SoftwareOptionsLogic logic(r);
  logic.expertMode = logic.autoVerifyID = logic.gscOnACT = logic.restoreAllRefs = true;
  logic.readSkyForCentroid = logic.invertRefDisplay = logic.oldReportFormat = logic.maximizeBlink =
      logic.defaultRefMags = false;
  logic.vornFormatGSC = true;
  logic.solutionType = 1;
  logic.ChooseFileFormat(kImageST4);
  logic.fieldSize = "30.5";
  logic.magLimit = " 17 ";
  logic.Ok();
  EXPECT_TRUE(r.expertMode && r.autoVerifyID && r.gscOnACT && r.restoreAllRefs && r.vornFormatGSC);
  EXPECT_FALSE(r.readSkyForCentroid || r.invertRefDisplay || r.oldReportFormat || r.maximizeBlink ||
               r.defaultRefMags);
  EXPECT_EQ(r.solutionType, 1);
  EXPECT_EQ(r.imageFileType, kImageST4);
  EXPECT_EQ(r.headerTimeType, 3);
  EXPECT_EQ(r.fieldSize, 30.5f);
  EXPECT_EQ(r.magLimit, 17.0f);

  SoftwareOptionsLogic again(r);
  again.ChooseFileFormat(kImageSBIG);
  again.timeType = 2;
  again.Ok();
  EXPECT_EQ(r.imageFileType, kImageSBIG);
  EXPECT_EQ(r.headerTimeType, 2);
}

TEST(SoftwareOptionsTest, CentringChoiceAndPlateWeightingKeepTheFlagByteOtherBits) {
  OptionsRecord r = Defaults();
  r.reservedByte = 0x84;  // bits a later program may use: kept as read
  r.centroidMethod = 7;   // no choice of the dialog: shown as the box centroid
  SoftwareOptionsLogic logic(r);
  EXPECT_EQ(logic.centroidMethod, kCentroidClassic);
  EXPECT_FALSE(logic.weightPlate);
  logic.weightPlate = true;
  logic.centroidMethod = kCentroidPsfFit;
  logic.Ok();
  EXPECT_EQ(r.reservedByte, 0x85);
  EXPECT_EQ(r.centroidMethod, kCentroidPsfFit);
  EXPECT_TRUE(WeightPlateByUncertainty(r));
  SoftwareOptionsLogic again(r);
  EXPECT_TRUE(again.weightPlate);
  EXPECT_EQ(again.centroidMethod, kCentroidPsfFit);
  again.weightPlate = false;
  again.centroidMethod = 3;  // out of range: the choice stays
  again.Ok();
  EXPECT_EQ(r.reservedByte, 0x84);
  EXPECT_EQ(r.centroidMethod, kCentroidPsfFit);
  // Cancel puts both back.
  SoftwareOptionsLogic cancelled(r);
  cancelled.weightPlate = true;
  cancelled.centroidMethod = kCentroidWindowed;
  cancelled.Ok();
  cancelled.Cancel();
  EXPECT_EQ(r.reservedByte, 0x84);
  EXPECT_EQ(r.centroidMethod, kCentroidPsfFit);
}

TEST(SoftwareOptionsTest, TextsThatAreNoUsableNumberKeepTheOldValues) {
  OptionsRecord r = Defaults();
  // Not numbers, a size of no field, and a number beyond a 32-bit float.
  for (const auto& [size, mag] : {std::pair{"abc", "x17"}, std::pair{"0", ""}, std::pair{"-5", "1e39"},
                                  std::pair{"15,5", "1.2.3"}}) {
    SoftwareOptionsLogic logic(r);
    logic.fieldSize = size;
    logic.magLimit = mag;
    logic.Ok();
    EXPECT_EQ(r.fieldSize, 15.0f) << size;
    EXPECT_EQ(r.magLimit, 20.0f) << mag;
  }
  SoftwareOptionsLogic negativeMag(r);
  negativeMag.magLimit = "-1.5";
  negativeMag.Ok();
  EXPECT_EQ(r.magLimit, -1.5f);
}

TEST(SoftwareOptionsTest, AdministratorAsksAndNoLeavesItUnchecked) {
  OptionsRecord r = Defaults();
  ScriptedPlatform ui;
  SoftwareOptionsLogic logic(r);
  ui.AnswerNext(Answer::No);
  EXPECT_FALSE(logic.AdministratorChecked(ui));
  EXPECT_FALSE(logic.administrator);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Are you the administrator of this program in a multi-user environment?\r\n(Do NOT check this box if "
            "you are the ONLY user.)");
  EXPECT_EQ(ui.Messages()[0].caption, "Multi-User Environment?");
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::YesNo);
  ui.AnswerNext(Answer::Yes);
  EXPECT_TRUE(logic.AdministratorChecked(ui));
  logic.Ok();
  EXPECT_TRUE(r.administrator);
}

TEST(SoftwareOptionsTest, CancelRestoresTheWholeRecordWithSubDialogChanges) {
  OptionsRecord r = Defaults();
  r.cameraRecord.name = "ST-7";
  r.cameraRecord.focalLengthMm = 1000.0f;
  const OptionsRecord before = r;
  SoftwareOptionsLogic logic(r);
  // What the sub-dialogs write straight into the record.
  logic.Record().cameraRecord.name = "ST-10";
  logic.Record().cameraRecord.focalLengthMm = 2000.0f;
  logic.Record().refBox = BoxRecord{5, 4, 3, 2};
  logic.Record().gscPath1 = "/cat/gsc/";
  logic.Record().primaryCatalog = kPrimaryUCAC3;
  logic.Record().displayDefaults.brightness = 20;
  logic.Confirm(OptionsSubDialog::Camera);
  EXPECT_TRUE(logic.Confirmed(OptionsSubDialog::Camera));
  EXPECT_FALSE(logic.Confirmed(OptionsSubDialog::User));
  logic.expertMode = true;
  logic.Cancel();
  EXPECT_EQ(r, before);
  EXPECT_EQ(r.cameraRecord.name, "ST-7");
}

// ---------------------------------------------------------------------------

TEST(FileOptionsTest, FourPagesOfTheFieldsWithTheirCapacities) {
  const auto& fields = FileOptionFields();
  ASSERT_EQ(fields.size(), 29u);
  std::map<std::string, int> perPage;
  std::set<std::string> names;
  for (const auto& f : fields) {
    ++perPage[f.page];
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
  }
  EXPECT_EQ(perPage["System Files"], 7);
  EXPECT_EQ(perPage["Star Catalogs"], 8);
  EXPECT_EQ(perPage["Data Files"], 6);
  EXPECT_EQ(perPage["URLs"], 8);
  EXPECT_EQ(FileOptionPages(), (std::vector<std::string>{"System Files", "Star Catalogs", "Data Files", "URLs"}));
  int shortFields = 0;
  for (const auto& f : fields) shortFields += f.capacity == 71 ? 1 : 0;
  EXPECT_EQ(shortFields, 5);  // the two bitmaps and the three help names
  EXPECT_EQ(fields[FileOptionsLogic::IndexOf("LogoEd")].capacity, 71u);
  EXPECT_EQ(fields[FileOptionsLogic::IndexOf("LogFileEd")].capacity, 255u);
  EXPECT_EQ(fields[FileOptionsLogic::IndexOf("VizieRServerEd")].capacity, 25u);
  EXPECT_EQ(FileOptionsLogic::IndexOf("NoSuchEd"), std::string::npos);
  EXPECT_STREQ(fields[FileOptionsLogic::IndexOf("GSCPath1Ed")].hint, "Default is 1st CDROM Drive Detected");
  EXPECT_STREQ(fields[FileOptionsLogic::IndexOf("USNOStatusURLEd")].hint, "For B1.0 Catalog Data Downloads");
}

TEST(FileOptionsTest, OkGivesTheElevenCatalogAndOrbitPathsATrailingSeparator) {
  OptionsRecord r = Defaults();
  FileOptionsLogic logic(r);
  const auto& fields = FileOptionFields();
  for (std::size_t i = 0; i < fields.size(); ++i) logic.texts[i] = std::string("/x/") + fields[i].name;
  logic.texts[FileOptionsLogic::IndexOf("SA2PathEd")] = "";  // empty stays empty
  logic.texts[FileOptionsLogic::IndexOf("UCAC2PathEd")] = "/cat/ucac2/";  // already ends in one
  logic.texts[FileOptionsLogic::IndexOf("BSSPathEd")] = "D:\\BSS";        // typed the old way
  logic.Ok();
  EXPECT_EQ(r.gscPath1, "/x/GSCPath1Ed/");
  EXPECT_EQ(r.gscPath2, "/x/GSCPath2Ed/");
  EXPECT_EQ(r.sa1Path, "/x/SA1PathEd/");
  EXPECT_EQ(r.sa2Path, "");
  EXPECT_EQ(r.ucac2Path, "/cat/ucac2/");
  EXPECT_EQ(r.bssPath, "D:/BSS/");
  EXPECT_EQ(r.ucac3Path1, "/x/UCAC3Path1Ed/");
  EXPECT_EQ(r.ucac3Path2, "/x/UCAC3Path2Ed/");
  EXPECT_EQ(r.astorbPath, "/x/AstorbPathEd/");
  EXPECT_EQ(r.mpcOrbPath, "/x/MPCOrbPathEd/");
  EXPECT_EQ(r.mpcCometPath, "/x/CometPathEd/");
  // Files and addresses stay as typed.
  EXPECT_EQ(r.logFile, "/x/LogFileEd");
  EXPECT_EQ(r.stationsFile, "/x/StationsEd");
  EXPECT_EQ(r.savedOrbitsFile, "/x/SavedOrbitsEd");
  EXPECT_EQ(r.usnoCatURL, "/x/USNOCatURLEd");
  EXPECT_EQ(r.logoFile, "/x/LogoEd");
  EXPECT_EQ(r.toolHelpList, "/x/ToolHelpEd");
  int separated = 0;
  for (const auto& f : fields) separated += f.trailingSeparator ? 1 : 0;
  EXPECT_EQ(separated, 11);
}

TEST(FileOptionsTest, OkCutsTextsToTheirCapacity) {
  OptionsRecord r = Defaults();
  FileOptionsLogic logic(r);
  logic.texts[FileOptionsLogic::IndexOf("LogoEd")] = std::string(80, 'L');
  logic.texts[FileOptionsLogic::IndexOf("MPCURLEd")] = std::string(300, 'u');
  logic.texts[FileOptionsLogic::IndexOf("GSCPath1Ed")] = std::string(255, 'g');
  logic.Ok();
  EXPECT_EQ(r.logoFile, std::string(71, 'L'));
  EXPECT_EQ(r.mpcURL, std::string(255, 'u'));
  EXPECT_EQ(r.gscPath1, std::string(255, 'g'));  // no room left for the separator
}

TEST(FileOptionsTest, DirectoryChooserStartsAtTheFieldThenARelatedFieldThenDataDir) {
  OptionsRecord r = Defaults();
  ScriptedPlatform ui;
  FileOptionsLogic logic(r);
  const std::size_t gsc1 = FileOptionsLogic::IndexOf("GSCPath1Ed");
  const std::size_t gsc2 = FileOptionsLogic::IndexOf("GSCPath2Ed");
  const std::size_t comet = FileOptionsLogic::IndexOf("CometPathEd");
  const std::size_t ucac2 = FileOptionsLogic::IndexOf("UCAC2PathEd");
  // Everything empty: DataDir.
  ui.ChooseDirectoryNext(std::string("/mnt/gsc1"));
  EXPECT_TRUE(logic.DoubleClicked(gsc1, ui));
  EXPECT_EQ(logic.texts[gsc1], "/mnt/gsc1/");
  ASSERT_EQ(ui.DirectoryDialogs().size(), 1u);
  EXPECT_EQ(ui.DirectoryDialogs()[0].directory, "/data/");
  EXPECT_EQ(ui.DirectoryDialogs()[0].title, "Guide Star Catalog Volume 1 Path");
  // Volume 2 empty: volume 1's folder, as typed so far.
  ui.ChooseDirectoryNext(std::nullopt);
  EXPECT_FALSE(logic.DoubleClicked(gsc2, ui));
  EXPECT_EQ(ui.DirectoryDialogs()[1].directory, "/mnt/gsc1/");
  EXPECT_EQ(logic.texts[gsc2], "");
  // The comet file: MPCORB's folder first, then Lowell's.
  logic.texts[FileOptionsLogic::IndexOf("AstorbPathEd")] = "/orb/lowell/";
  ui.ChooseDirectoryNext(std::nullopt);
  logic.DoubleClicked(comet, ui);
  EXPECT_EQ(ui.DirectoryDialogs()[2].directory, "/orb/lowell/");
  logic.texts[FileOptionsLogic::IndexOf("MPCOrbPathEd")] = "/orb/mpc/";
  ui.ChooseDirectoryNext(std::nullopt);
  logic.DoubleClicked(comet, ui);
  EXPECT_EQ(ui.DirectoryDialogs()[3].directory, "/orb/mpc/");
  // A field of its own folder starts there; the UCAC2 has no related field.
  logic.texts[ucac2] = "/cat/u2";
  ui.ChooseDirectoryNext(std::string("/cat/u2/"));
  EXPECT_TRUE(logic.DoubleClicked(ucac2, ui));
  EXPECT_EQ(ui.DirectoryDialogs()[4].directory, "/cat/u2");
  EXPECT_EQ(logic.texts[ucac2], "/cat/u2/");
  // Addresses have no chooser.
  EXPECT_FALSE(logic.DoubleClicked(FileOptionsLogic::IndexOf("MPCURLEd"), ui));
  EXPECT_FALSE(logic.DoubleClicked(999, ui));
  EXPECT_EQ(ui.DirectoryDialogs().size(), 5u);
  EXPECT_TRUE(ui.OpenDialogs().empty());
}

TEST(FileOptionsTest, FileFieldsOpenTheirFileDialogs) {
  OptionsRecord r = Defaults();
  ScriptedPlatform ui;
  FileOptionsLogic logic(r);
  ui.ChooseFilesNext(std::vector<std::string>{"/data/logs/NIGHT.LOG"});
  EXPECT_TRUE(logic.DoubleClicked(FileOptionsLogic::IndexOf("LogFileEd"), ui));
  EXPECT_EQ(logic.texts[FileOptionsLogic::IndexOf("LogFileEd")], "/data/logs/NIGHT.LOG");
  ui.ChooseFilesNext(std::nullopt);
  EXPECT_FALSE(logic.DoubleClicked(FileOptionsLogic::IndexOf("SpreadsheetEd"), ui));
  ui.ChooseFilesNext(std::nullopt);
  logic.DoubleClicked(FileOptionsLogic::IndexOf("StationsEd"), ui);
  ui.ChooseFilesNext(std::nullopt);
  logic.DoubleClicked(FileOptionsLogic::IndexOf("CameraEd"), ui);
  ui.ChooseFilesNext(std::nullopt);
  logic.DoubleClicked(FileOptionsLogic::IndexOf("SavedOrbitsEd"), ui);
  const auto& d = ui.OpenDialogs();
  ASSERT_EQ(d.size(), 5u);
  EXPECT_EQ(d[0].title, "Locate Log File");
  EXPECT_EQ(d[0].filter, "Log Files (*.LOG)|*.LOG");
  EXPECT_EQ(d[0].fileName, "VORNLOG.LOG");
  EXPECT_EQ(d[0].defaultExtension, ".LOG");
  EXPECT_EQ(d[0].directory, "/data/");
  EXPECT_FALSE(d[0].multiple);
  EXPECT_EQ(d[1].title, "Locate Spreadsheet Program");
  EXPECT_EQ(d[1].filter, "Program Files|*.EXE|All Files|*");
  EXPECT_EQ(d[1].fileName, "EXCEL.EXE");
  EXPECT_EQ(d[1].defaultExtension, ".exe");
  EXPECT_EQ(d[1].directory, kProgramFilesDir);
  for (std::size_t i = 2; i < 5; ++i) {
    EXPECT_EQ(d[i].filter, "Data Files (*.DAT)|*.DAT");
    EXPECT_EQ(d[i].defaultExtension, ".DAT");
    EXPECT_EQ(d[i].directory, "/data/");
  }
  EXPECT_EQ(d[2].title, "Locate Stations File");
  EXPECT_EQ(d[2].fileName, "ASTSITES.DAT");
  EXPECT_EQ(d[3].title, "Locate Camera File");
  EXPECT_EQ(d[3].fileName, "ASTCAMS.DAT");
  EXPECT_EQ(d[4].title, "Locate Save Orbits File");
  EXPECT_EQ(d[4].fileName, "SAVORBS.DAT");
}

// ---------------------------------------------------------------------------

TEST(CatalogOptionsTest, OpeningEnablesTheGroupsOfTheLocation) {
  OptionsRecord r = Defaults();  // web, Gaia DR3 at VizieR, GSC primary
  CatalogOptionsLogic web(r);
  EXPECT_EQ(web.location, 1);
  EXPECT_EQ(web.web, kWebGaiaDR3);
  EXPECT_EQ(web.service, kServiceVizieR);
  EXPECT_EQ(web.primary, kPrimaryGSC);
  EXPECT_TRUE(web.webEnabled);
  EXPECT_FALSE(web.localEnabled);
  EXPECT_FALSE(web.supplEnabled);

  r.catalogLocation = 0;
  r.supplCatalog = kSupplSA2;
  CatalogOptionsLogic local(r);
  EXPECT_FALSE(local.webEnabled);
  EXPECT_TRUE(local.localEnabled);
  EXPECT_TRUE(local.supplEnabled);
  EXPECT_EQ(local.suppl, kSupplSA2);
  local.ChooseLocation(1);
  EXPECT_TRUE(local.webEnabled);
  EXPECT_FALSE(local.localEnabled || local.supplEnabled);
  local.ChooseLocation(0);
  EXPECT_TRUE(local.localEnabled && local.supplEnabled);

  // A primary choice beyond UCAC3 clears and disables the supplement.
  r.primaryCatalog = 5;
  CatalogOptionsLogic unknown(r);
  EXPECT_EQ(unknown.primary, CatalogOptionsLogic::kNone);
  EXPECT_EQ(unknown.suppl, CatalogOptionsLogic::kNone);
  EXPECT_FALSE(unknown.supplEnabled);
  unknown.Ok();
  EXPECT_EQ(r.primaryCatalog, 5);
  EXPECT_EQ(r.supplCatalog, kSupplSA2);
}

TEST(CatalogOptionsTest, TheVizieRServerIsShownAsTheQueriesUseItAndKeptTrimmed) {
  OptionsRecord r = Defaults();
  CatalogOptionsLogic logic(r);
  EXPECT_EQ(logic.vizierServer, "");
  EXPECT_EQ(logic.ServerInUseText(), "Queries go to https://vizier.cds.unistra.fr/viz-bin/asu-tsv");
  const std::pair<const char*, const char*> cases[] = {
      {"vizier.cfa.harvard.edu", "https://vizier.cfa.harvard.edu/viz-bin/asu-tsv"},
      {"  vizier.nao.ac.jp/ ", "https://vizier.nao.ac.jp/viz-bin/asu-tsv"},
      {"http://127.0.0.1:8080", "http://127.0.0.1:8080/viz-bin/asu-tsv"},
      {"http://127.0.0.1:8080/asu", "http://127.0.0.1:8080/asu"},  // a path of its own: the endpoint
      {"   ", "https://vizier.cds.unistra.fr/viz-bin/asu-tsv"},
  };
  for (const auto& [text, endpoint] : cases) {
    logic.vizierServer = text;
    EXPECT_EQ(logic.ServerInUseText(), std::string("Queries go to ") + endpoint) << text;
    EXPECT_EQ(VizieREndpointOf(text), endpoint) << text;
  }
  // OK keeps the text without its surrounding spaces, cut to the field's 25 characters.
  logic.vizierServer = "  vizier.cfa.harvard.edu ";
  logic.Ok();
  EXPECT_EQ(r.vizierServer, "vizier.cfa.harvard.edu");
  logic.vizierServer = "http://a-very-long-mirror-name.example:8080";
  logic.Ok();
  EXPECT_EQ(r.vizierServer, "http://a-very-long-mirror");
  EXPECT_EQ(r.vizierServer.size(), OptionsRecord::kVizieRServerText);
}

TEST(CatalogOptionsTest, APrimaryChoiceDropsTheStoredSupplementThatDoesNotGoWithIt) {
  OptionsRecord r = Defaults();
  r.catalogLocation = 0;
  struct Case {
    std::uint8_t stored;
    int primary;
    int shown;
  };
  for (const Case c : {Case{kSupplSA1, kPrimaryUCAC2, kSupplNone}, Case{kSupplSA2, kPrimaryUCAC3, kSupplNone},
                       Case{kSupplBSS, kPrimaryUCAC3, kSupplBSS}, Case{kSupplBSS, kPrimaryGSC, kSupplNone},
                       Case{kSupplSA1, kPrimaryGSC, kSupplSA1}, Case{kSupplBSS, kPrimaryNone, kSupplBSS},
                       Case{kSupplSA2, kPrimaryNone, kSupplSA2}}) {
    r.supplCatalog = c.stored;
    CatalogOptionsLogic logic(r);
    logic.suppl = kSupplNone;  // whatever is shown, the stored choice counts
    logic.ChoosePrimary(c.primary);
    EXPECT_EQ(logic.suppl, c.shown) << int(c.stored) << " with " << c.primary;
    EXPECT_TRUE(logic.supplEnabled);
  }
}

TEST(CatalogOptionsTest, ASupplementThatDoesNotGoWithThePrimaryIsRefused) {
  OptionsRecord r = Defaults();
  r.catalogLocation = 0;
  ScriptedPlatform ui;
  CatalogOptionsLogic logic(r);
  logic.ChooseSuppl(kSupplBSS, ui);
  EXPECT_EQ(logic.suppl, kSupplNone);
  logic.ChooseSuppl(kSupplSA1, ui);
  EXPECT_EQ(logic.suppl, kSupplSA1);
  logic.ChoosePrimary(kPrimaryUCAC2);
  logic.ChooseSuppl(kSupplSA2, ui);
  EXPECT_EQ(logic.suppl, kSupplNone);
  logic.ChooseSuppl(kSupplBSS, ui);
  EXPECT_EQ(logic.suppl, kSupplBSS);
  logic.ChoosePrimary(kPrimaryNone);
  logic.ChooseSuppl(kSupplSA2, ui);
  EXPECT_EQ(logic.suppl, kSupplSA2);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, "Selected supplementary catalog cannot be used with GSC.");
  EXPECT_EQ(ui.Messages()[1].text, "Selected supplementary catalog cannot be used with UCAC2 or UCAC3.");
  for (const auto& m : ui.Messages()) EXPECT_EQ(m.caption, "Invalid Supplementary Catalog");
}

TEST(CatalogOptionsTest, OkWritesTheFourChoices) {
  OptionsRecord r = Defaults();
  ScriptedPlatform ui;
  CatalogOptionsLogic logic(r);
  logic.ChooseLocation(0);
  logic.ChoosePrimary(kPrimaryUCAC3);
  logic.ChooseSuppl(kSupplBSS, ui);
  logic.web = kWebUCAC4;
  logic.service = kServiceUSNO;
  EXPECT_EQ(r.primaryCatalog, kPrimaryGSC);  // nothing written before OK
  EXPECT_EQ(r.catalogLocation, 1);
  logic.Ok();
  EXPECT_EQ(r.catalogLocation, 0);
  EXPECT_EQ(r.primaryCatalog, kPrimaryUCAC3);
  EXPECT_EQ(r.supplCatalog, kSupplBSS);
  EXPECT_EQ(r.webCatalog, kWebUCAC4);
  EXPECT_EQ(r.onlineService, kServiceUSNO);
  EXPECT_EQ(PrimaryCatalogCaptions(), (std::vector<std::string>{"No Primary Catlg", "Guide Star Catlg", "UCAC2",
                                                                  "UCAC3"}));
  EXPECT_EQ(SupplCatalogCaptions(), (std::vector<std::string>{"(None)", "USNO-SA1.0", "USNO-SA2.0", "UCAC-BSS"}));
  EXPECT_EQ(CatalogLocationCaptions(), (std::vector<std::string>{"Local Files", "Web (NVO)"}));
  EXPECT_EQ(WebCatalogCaptions(),
            (std::vector<std::string>{"NOMAD", "USNO-B1.0", "USNO-A2.0", "Gaia DR3", "UCAC4"}));
  EXPECT_EQ(WebCatalogCaptions().size(), std::size_t{kLastWebCatalog} + 1);
  EXPECT_EQ(OnlineServiceCaptions(), (std::vector<std::string>{"VizieR (CDS)", "USNO-Style Cone Search"}));
  EXPECT_EQ(OnlineServiceCaptions().size(), std::size_t{kLastOnlineService} + 1);
}

}  // namespace
}  // namespace skarvel
