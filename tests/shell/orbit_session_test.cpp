// The Orbit Search and Ephemeris commands of the main window: the search
// with its dialog, progress window and messages, the results window and
// loading a result, the ephemeris and its report window, the menu states,
// and the chart flow through its hook.
#include "shell/orbit_session.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "images/fits_file.h"
#include "shell/astrm_lab.h"
#include "support/field_bodies.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

constexpr long double kJD = 2461192.5L;  // 2026/06/01 00:00

/// Record k of an ephemeris table (a missing one is a failure of the test).
const skarvel::EphemerisRecord& Rec(skarvel::RecordList<skarvel::EphemerisRecord>& table, std::int32_t k) {
  const skarvel::EphemerisRecord* r = table.GetAt(k);
  if (r == nullptr) throw std::out_of_range("no ephemeris record " + std::to_string(k));
  return *r;
}

class OrbitCommands : public ::testing::Test {
 protected:
  TempDir root;
  std::string programDir = skarvel::testing::MakeProgramDir(root);
  std::string dataDir = root.MakeDir("work");
  std::string lowellDir = root.MakeDir("lowell");
  std::string mpcDir = root.MakeDir("mpc");
  ScriptedPlatform ui;
  std::unique_ptr<AstrmLab> lab;

  // What the views saw.
  std::vector<std::string> dialogCaptions;
  int ephemerisShown = 0, ephemerisHidden = 0, resultsShown = 0, resultsHidden = 0, chartBoxShown = 0,
      chartBoxClosed = 0, observationsShown = 0, observationsClosed = 0, referenceDiscarded = 0;
  std::vector<std::pair<ChartContent, ChartFieldParameters>> charts;
  // How the search dialog is filled before OK.
  std::function<void(SearchFields&)> fillSearch = [](SearchFields& f) {
    f.dateFormat = 1;
    f.julianDate = "2461192.5";
    f.kind = FieldKind::kDegrees;
    f.raHours = "10";
    f.raMinutes = "0";
    f.raSeconds = "0";
    f.decDegrees = "20";
    f.decMinutes = "0";
    f.decSeconds = "0";
    f.size = "2";
  };

  void SetUp() override {
    testing::WriteConvertedFile(
        lowellDir + "ASTORB.CMO",
        {testing::BodySeenAt("Inside1", kJD, 150, 20), testing::BodySeenAt("Outside", kJD, 170, 20),
         testing::BodySeenAt("Inside2", kJD, 150.3L, 19.8L, 1.5L, 14)});
    AstrmLabEnvironment env;
    env.storage.programDir = programDir;
    env.storage.currentDir = dataDir;
    env.storage.perUserDir = root / "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root / "no-mounts";
    {
      ScriptedPlatform quiet;
      OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      ASSERT_TRUE(opts.Start());
      opts.Record().astorbPath = lowellDir;
      opts.Record().mpcOrbPath = mpcDir;
      opts.Record().expertMode = true;  // no option-saving questions in between
      ASSERT_TRUE(opts.Write(dataDir));
    }
    lab = std::make_unique<AstrmLab>(ui, env);
    ASSERT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    AstrmLabViews views;
    OrbitViews& v = views.orbits;
    v.searchDialog = [this](SearchDialogLogic& logic) {
      dialogCaptions.push_back(logic.Caption());
      fillSearch(logic.fields);
      return logic.Ok();
    };
    v.ephemerisDialog = [this](EphemerisDialogLogic& logic) {
      dialogCaptions.push_back(std::string(kEphemerisDialogCaption));
      logic.fields.dateFormat = 1;
      logic.fields.julianDate = "2461192.5";
      logic.fields.points = "5";
      logic.fields.interval = "2";
      logic.fields.unitsPerDay = 24;
      return logic.Ok();
    };
    v.showEphemerisList = [this] { ++ephemerisShown; };
    v.hideEphemerisList = [this] { ++ephemerisHidden; };
    v.showSearchResults = [this] { ++resultsShown; };
    v.hideSearchResults = [this] { ++resultsHidden; };
    v.chartDialog = [this](ChartControlLogic&) { ++chartBoxShown; };
    v.closeChartDialog = [this] { ++chartBoxClosed; };
    v.showObservationList = [this] { ++observationsShown; };
    v.closeObservationList = [this] { ++observationsClosed; };
    v.discardReferenceWindow = [this] { ++referenceDiscarded; };
    v.showChart = [this](const ChartContent& c, const ChartFieldParameters& f) { charts.emplace_back(c, f); };
    lab->SetViews(views);
    ui.ClearRecords();
  }

  bool Enabled(const std::string& name) { return lab->Available(name); }
  bool Checked(const std::string& name) { return lab->Menus().At(name).checked; }
  OrbitSession& Orbits() { return lab->Orbits(); }

  /// Searches the Lowell file and returns the index of the first result line.
  std::size_t SearchLowell() {
    EXPECT_TRUE(lab->Run("SearchDatabase1"));
    Orbits().ShowSearchResults();
    return Orbits().FieldSearch().FirstResultLine();
  }
};

TEST_F(OrbitCommands, MenusBeforeAnythingWasSearchedOrLoaded) {
  for (const char* name : {"SearchDatabase1", "SearchMPCDatabase1", "CreateChart1"}) EXPECT_TRUE(Enabled(name)) << name;
  for (const char* name : {"ShowSearchResults1", "GenEphem1", "ViewEphText1", "SearchTARNEOrbitFile1"})
    EXPECT_FALSE(Enabled(name)) << name;
}

TEST_F(OrbitCommands, LowellSearchWithProgressAndCompletionMessage) {
  ASSERT_TRUE(lab->Run("SearchDatabase1"));
  EXPECT_EQ(dialogCaptions, std::vector<std::string>{"Search Lowell Orbit Database"});
  EXPECT_EQ(lab->ScreenMode(), AstrmLab::kWorkScreen);
  ASSERT_EQ(ui.Progress().size(), 1U);
  const double fileTime = *FileDateTimeValue(lowellDir + "ASTORB.CMO");
  EXPECT_EQ(ui.Progress()[0].caption, "Lowell Asteroid Database of " + PrintDateTimeText(fileTime));
  EXPECT_EQ(ui.Progress()[0].text, "File: ASTORB.CMO\nOrbits Analyzed: 3\nObjects Found: 2");
  EXPECT_FALSE(ui.Progress()[0].open);
  EXPECT_EQ(ui.Progress()[0].position, 100);
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text, "3 Orbits Analyzed.\r\n\r\n2 Objects Meet Search Criteria.");
  EXPECT_EQ(ui.Messages()[0].caption, "Search Completed!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Information);
  EXPECT_TRUE(Enabled("ShowSearchResults1"));
  EXPECT_TRUE(Checked("SearchDatabase1"));
  EXPECT_FALSE(Checked("SearchMPCDatabase1"));
  EXPECT_EQ(Orbits().SearchedFile(), lowellDir + "ASTORB.CMO");

  ASSERT_TRUE(lab->Run("ShowSearchResults1"));
  EXPECT_EQ(resultsShown, 1);
  const auto& lines = Orbits().ResultsWindow().Lines();
  ASSERT_FALSE(lines.empty());
  // Dated by the records' epoch (kJD), not by the converted file's time.
  EXPECT_EQ(lines[1], "Searched: Lowell Orbit Database Dated " +
                          PrintDateTimeText(static_cast<double>(kJD - kJulianDateOffset)));
  const std::size_t first = Orbits().FieldSearch().FirstResultLine();
  EXPECT_EQ(lines[first].substr(0, 17), "(Inside1) Inside1");
  EXPECT_EQ(lines[first + 1].substr(0, 17), "(Inside2) Inside2");
}

TEST_F(OrbitCommands, ANewSearchOfTheSameDatabaseReplacesTheResults) {
  SearchLowell();
  fillSearch = [](SearchFields& f) {
    f.dateFormat = 1;
    f.julianDate = "2461192.5";
    f.raHours = "11";
    f.raMinutes = "20";
    f.raSeconds = "0";
    f.decDegrees = "20";
    f.decMinutes = "0";
    f.decSeconds = "0";
    f.size = "1";
  };
  ui.ClearRecords();
  ASSERT_TRUE(lab->Run("SearchDatabase1"));
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text, "3 Orbits Analyzed.\r\n\r\n1 Objects Meet Search Criteria.");
  Orbits().ShowSearchResults();
  const std::size_t first = Orbits().FieldSearch().FirstResultLine();
  EXPECT_EQ(Orbits().ResultsWindow().Lines()[first].substr(0, 17), "(Outside) Outside");
}

TEST_F(OrbitCommands, CancelledDialogSearchesNothing) {
  lab->Orbits().Views().searchDialog = [](SearchDialogLogic&) { return false; };
  ASSERT_TRUE(lab->Run("SearchMPCDatabase1"));
  EXPECT_TRUE(ui.Progress().empty());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(ui.OpenDialogs().empty());
  EXPECT_EQ(Orbits().FieldSearch().Params().source, ElementSource::kMpc);
}

TEST_F(OrbitCommands, MissingMpcDatabaseIsReported) {
  ASSERT_TRUE(lab->Run("SearchMPCDatabase1"));
  EXPECT_EQ(dialogCaptions, std::vector<std::string>{"Search MPC Orbit Database"});
  // Neither file is there: the person is asked where it is, and cancels.
  ASSERT_EQ(ui.OpenDialogs().size(), 1U);
  EXPECT_EQ(ui.OpenDialogs()[0].title, "Locate MPC Asteroid Orbits File");
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text,
            "The MPC Orbit Database (MPCORB) cannot be located!\r\n\r\nSee Help topics under \"Database "
            "Features\" for assistance.");
  EXPECT_EQ(ui.Messages()[0].caption, "No MPC Orbit Database!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
  EXPECT_TRUE(ui.Progress().empty());
  EXPECT_FALSE(Enabled("ShowSearchResults1"));
}

TEST_F(OrbitCommands, TarneFileNamedOnTheCommandLine) {
  // The command line is upper-cased; the test's folder is not, so the file
  // name goes into the option afterwards.
  testing::WriteConvertedFile(lowellDir + "MARLO_AST.CMO", {testing::BodySeenAt("Tarne1", kJD, 150, 20)});
  lab->Options().orbitFileArg = lowellDir + "MARLO_AST.CMO";
  lab->Menus().SetVisible("SearchTARNEOrbitFile1", true);
  ASSERT_TRUE(lab->Run("SearchTARNEOrbitFile1"));
  EXPECT_EQ(dialogCaptions, std::vector<std::string>{"Search TARNE Orbit File"});
  ASSERT_EQ(ui.Progress().size(), 1U);
  EXPECT_EQ(ui.Progress()[0].caption.rfind("TARNE data extracted from Lowell Asteriod Database of ", 0), 0U);
  EXPECT_EQ(ui.Progress()[0].text, "File: MARLO_AST.CMO\nOrbits Analyzed: 1\nObjects Found: 1");
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text, "1 Orbits Analyzed.\r\n\r\n1 Objects Meet Search Criteria.");
  EXPECT_TRUE(Checked("SearchTARNEOrbitFile1"));
  EXPECT_FALSE(Checked("SearchDatabase1"));
}

TEST_F(OrbitCommands, DoubleClickLoadsTheResultAsCurrentElements) {
  const std::size_t first = SearchLowell();
  EXPECT_FALSE(Orbits().LoadResult(static_cast<int>(first) - 1));  // a header line
  EXPECT_FALSE(Orbits().Current().valid);
  EXPECT_EQ(ui.Beeps(), 0);
  EXPECT_FALSE(Orbits().LoadResult(static_cast<int>(first) + 2));  // past the last result
  EXPECT_EQ(ui.Beeps(), 1);
  EXPECT_FALSE(Orbits().Current().valid);
  ASSERT_TRUE(Orbits().LoadResult(static_cast<int>(first) + 1));
  const CurrentElements& current = Orbits().Current();
  EXPECT_TRUE(current.valid);
  EXPECT_EQ(current.elements.name, "Inside2");
  EXPECT_EQ(current.source, ElementSource::kLowell);
  EXPECT_EQ(current.databaseDateTime, static_cast<double>(kJD - kJulianDateOffset));
  const OrbitElements expected = testing::BodySeenAt("Inside2", kJD, 150.3L, 19.8L, 1.5L, 14);
  EXPECT_NEAR(static_cast<double>(current.elements.e), static_cast<double>(expected.e), 1e-9);
  EXPECT_NEAR(static_cast<double>(current.elements.i), static_cast<double>(expected.i), 1e-9);
  EXPECT_TRUE(Enabled("GenEphem1"));
  EXPECT_FALSE(Checked("GenEphem1"));
  EXPECT_FALSE(Enabled("ViewEphText1"));
  EXPECT_TRUE(Checked("OrbitalElements1"));
  EXPECT_EQ(resultsHidden, 1);
  EXPECT_EQ(ephemerisHidden, 1);
  EXPECT_EQ(lab->ScreenMode(), AstrmLab::kWorkScreen);
}

TEST_F(OrbitCommands, EphemerisOfTheLoadedResultAndItsReportWindow) {
  const std::size_t first = SearchLowell();
  ASSERT_TRUE(Orbits().LoadResult(static_cast<int>(first)));
  ASSERT_TRUE(lab->Run("GenEphem1"));
  EXPECT_EQ(dialogCaptions.back(), "Ephemeris Generation Parameters");
  EXPECT_EQ(ephemerisShown, 1);
  EXPECT_TRUE(Checked("GenEphem1"));
  EXPECT_TRUE(Enabled("ViewEphText1"));
  ASSERT_EQ(Orbits().Table().Size(), 5U);
  const EphemerisList& list = Orbits().EphemerisWindow();
  EXPECT_EQ(list.Lines()[0], "Body: (Inside1) Inside1");
  EXPECT_EQ(list.TableLines(), 5U);
  EXPECT_EQ(list.TextFileName(), "EPHEM001.TXT");
  // The first line is at the search instant: the body where it was placed,
  // moved only by the light time and the parallax.
  const EphemerisRecord& r0 = Rec(Orbits().Table(), 0);
  EXPECT_NEAR(static_cast<double>(r0.raHours), 10.0, 0.01);
  EXPECT_NEAR(static_cast<double>(r0.decDeg), 20.0, 0.1);
  EXPECT_NEAR(Rec(Orbits().Table(), 1).dateTime - r0.dateTime, 2.0 / 24, 1e-9);
  ASSERT_TRUE(lab->Run("ViewEphText1"));
  EXPECT_EQ(ephemerisShown, 2);
}

TEST_F(OrbitCommands, ChartOfTheEphemerisThroughTheHook) {
  const std::size_t first = SearchLowell();
  ASSERT_TRUE(Orbits().LoadResult(static_cast<int>(first)));
  ASSERT_TRUE(lab->Run("GenEphem1"));
  ui.ClearRecords();
  ASSERT_TRUE(lab->Run("CreateChart1"));
  EXPECT_EQ(referenceDiscarded, 1);
  EXPECT_EQ(chartBoxShown, 1);
  ChartControlLogic& box = Orbits().ChartDialog();
  EXPECT_TRUE(box.ephemerisEnabled);
  EXPECT_FALSE(box.observationsEnabled);  // the report holds no observations
  EXPECT_FALSE(box.plotEphemeris);
  box.plotEphemeris = true;
  EXPECT_FALSE(Orbits().ChartOk());
  EXPECT_EQ(ephemerisShown, 2);
  EXPECT_EQ(chartBoxShown, 2);
  EXPECT_EQ(box.Caption(), "Identify Chart Center");
  // A header line is no ephemeris record.
  EphemerisList& list = Orbits().EphemerisWindow();
  list.Select(0);
  EXPECT_FALSE(Orbits().ChartOk());
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].caption, "Not an Ephemeris Record!");
  EXPECT_TRUE(charts.empty());
  list.Select(static_cast<int>(list.FirstTableLine() + 3));
  EXPECT_TRUE(Orbits().ChartOk());
  EXPECT_EQ(chartBoxClosed, 1);
  ASSERT_EQ(charts.size(), 1U);
  const ChartContent& c = charts[0].first;
  const ChartFieldParameters& f = charts[0].second;
  RecordList<EphemerisRecord>& table = Orbits().Table();
  EXPECT_EQ(c.source, ChartContent::Source::Ephemeris);
  EXPECT_EQ(c.designation, "Inside1");  // not numbered
  ASSERT_EQ(c.positions.size(), 5U);
  EXPECT_EQ(c.positions[0].raHours, Rec(table, 3).raHours);
  EXPECT_EQ(c.positions[1].raHours, Rec(table, 0).raHours);
  EXPECT_EQ(c.positions[4].raHours, Rec(table, 4).raHours);
  EXPECT_EQ(f.centreRaHours, Rec(table, 3).raHours);
  EXPECT_EQ(f.centreDecDeg, Rec(table, 3).decDeg);
  EXPECT_EQ(f.sizeArcMin, lab->Options().fieldSize);
  EXPECT_EQ(f.chartTime, Rec(table, 3).dateTime);
  EXPECT_TRUE(c.hourlySteps);
  EXPECT_NEAR(static_cast<double>(c.step), 2.0, 1e-12);
  ASSERT_TRUE(Orbits().LastChart().has_value());
  EXPECT_EQ(Orbits().LastChart()->field.centreRaHours, f.centreRaHours);
}

TEST_F(OrbitCommands, ChartCancelClosesTheListItOpened) {
  const std::size_t first = SearchLowell();
  ASSERT_TRUE(Orbits().LoadResult(static_cast<int>(first)));
  ASSERT_TRUE(lab->Run("GenEphem1"));
  const int hiddenBefore = ephemerisHidden;
  ASSERT_TRUE(lab->Run("CreateChart1"));
  Orbits().ChartDialog().plotEphemeris = true;
  EXPECT_FALSE(Orbits().ChartOk());
  Orbits().ChartCancel();
  EXPECT_EQ(ephemerisHidden, hiddenBefore + 1);
  EXPECT_EQ(chartBoxClosed, 1);
  EXPECT_TRUE(charts.empty());
  // From the report window's own "&Chart", the report stays open on Cancel.
  Orbits().EphemerisWindow().onChart();
  EXPECT_TRUE(Orbits().ChartDialog().plotEphemeris);
  EXPECT_FALSE(Orbits().ChartOk());
  Orbits().ChartCancel();
  EXPECT_EQ(ephemerisHidden, hiddenBefore + 1);
}

TEST_F(OrbitCommands, ChartOfTheMeasuredPositions) {
  for (int k = 0; k < 2; ++k) {
    ObservationRecord obs;
    obs.params.objectName = "Target";
    obs.params.observationTime = 46000.5 + k;
    obs.target.fitRA = 6 + 0.01L * k;
    obs.target.fitDec = -5;
    lab->Report()->Observations().push_back(obs);
  }
  std::optional<std::size_t> picked;
  Orbits().Views().selectedObservation = [&] { return picked; };
  ASSERT_TRUE(lab->Run("CreateChart1"));
  ChartControlLogic& box = Orbits().ChartDialog();
  EXPECT_FALSE(box.ephemerisEnabled);
  EXPECT_TRUE(box.observationsEnabled);
  box.plotObservations = true;
  EXPECT_FALSE(Orbits().ChartOk());
  EXPECT_EQ(observationsShown, 1);
  EXPECT_FALSE(Orbits().ChartOk());  // nothing picked
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text, "Select a Measurement Record and Press \"OK\"!");
  picked = 7;  // not an observation of the report
  EXPECT_FALSE(Orbits().ChartOk());
  EXPECT_EQ(ui.Messages().size(), 2U);
  picked = 1;
  EXPECT_TRUE(Orbits().ChartOk());
  ASSERT_EQ(charts.size(), 1U);
  EXPECT_EQ(charts[0].first.source, ChartContent::Source::Observations);
  EXPECT_EQ(charts[0].first.positions[0].raHours, 6.01L);
  EXPECT_EQ(charts[0].second.chartTime, 46001.5);
  EXPECT_EQ(observationsClosed, 0);
}

TEST_F(OrbitCommands, ImageItemsReadTheSlotsFitsHeaderAndPlateSolution) {
  EXPECT_FALSE(Orbits().ImageField(0).has_value());
  const std::string path = dataDir + "field.fits";
  testing::WriteMiniFits(
      path, 8, 8, 100,
      {"RA      = '10:30:00'", "DEC     = '-05:15:00'", "DATE-OBS= '2026-06-01'", "UT      = '03:00:00'"});
  ScriptedPlatform quiet;
  auto image = std::make_unique<FITSFileObj>(ImageLoadContext{&quiet, dataDir, 0, nullptr, nullptr});
  ASSERT_TRUE(image->Load(path));
  lab->Slots()[1].image = std::move(image);
  auto info = Orbits().ImageField(1);
  ASSERT_TRUE(info.has_value());
  EXPECT_FALSE(info->solved);
  EXPECT_NEAR(static_cast<double>(info->headerRaHours), 10.5, 1e-12);
  EXPECT_NEAR(static_cast<double>(info->headerDecDeg), -5.25, 1e-12);
  EXPECT_NEAR(info->observationTime, *EncodeDateTime(2026, 6, 1, 3, 0, 0.0L), 1e-9);
  EXPECT_EQ(info->fieldWidthArcMin, lab->Options().fieldSize);
  Orbits().Views().solvedCentre = [](int slot) -> std::optional<ChartPosition> {
    if (slot == 1) return ChartPosition{10.51L, -5.2L};
    return std::nullopt;
  };
  info = Orbits().ImageField(1);
  ASSERT_TRUE(info.has_value());
  EXPECT_TRUE(info->solved);
  EXPECT_EQ(info->solvedRaHours, 10.51L);
  // The search dialog offers the slot and takes its field.
  fillSearch = [](SearchFields&) {};
  Orbits().Views().searchDialog = [](SearchDialogLogic& logic) {
    EXPECT_FALSE(logic.ImageItemEnabled(0));
    EXPECT_TRUE(logic.ImageItemEnabled(1));
    logic.FromImage(1);
    EXPECT_EQ(logic.fields.raHours, "10");
    EXPECT_EQ(logic.fields.raMinutes, "30");
    EXPECT_EQ(logic.fields.raSeconds, "36.00");
    EXPECT_EQ(logic.fields.date, "2026/06/01");
    EXPECT_EQ(logic.fields.time, "03:01:09");  // the image's UTC as TT
    EXPECT_EQ(logic.TimeNote(), "2026/06/01 03:00:00 UTC = 2026/06/01 03:01:09 TDT (TT - UTC = 69.184 s)");
    return false;
  };
  ASSERT_TRUE(lab->Run("SearchDatabase1"));
}

}  // namespace
}  // namespace skarvel

namespace skarvel {
namespace {

TEST_F(OrbitCommands, DialogsStartAtTheLoadedImagesTimeInTT) {
  // Two images, the earlier in slot 2: both dialogs start at its TT.
  ScriptedPlatform quiet;
  const auto load = [&](int slot, const std::string& name, const std::string& ut) {
    const std::string path = dataDir + name;
    testing::WriteMiniFits(path, 8, 8, 100, {"DATE-OBS= '2019-05-01'", "UT      = '" + ut + "'"});
    auto image = std::make_unique<FITSFileObj>(ImageLoadContext{&quiet, dataDir, 0, nullptr, nullptr});
    ASSERT_TRUE(image->Load(path));
    lab->Slots()[static_cast<std::size_t>(slot)].image = std::move(image);
  };
  load(1, "b.fits", "04:15:00");
  load(2, "a.fits", "03:45:00");
  ASSERT_TRUE(Orbits().ImagesTimeUtc().has_value());
  EXPECT_NEAR(static_cast<double>(*Orbits().ImagesTimeUtc()), 2458604.65625, 1e-9);
  std::vector<std::string> seen;
  Orbits().Views().searchDialog = [&](SearchDialogLogic& logic) {
    seen.push_back(logic.fields.date + " " + logic.fields.time + " | " + logic.TimeNote());
    logic.fields.time = "05:00:00";  // the person types another time and searches
    logic.LeaveCalendarFields();
    return false;
  };
  ASSERT_TRUE(lab->Run("SearchDatabase1"));
  // Cancelled: the stored instant stays at the images' time, and so does the note.
  ASSERT_TRUE(lab->Run("SearchDatabase1"));
  ASSERT_EQ(seen.size(), 2U);
  EXPECT_EQ(seen[0], "2019/05/01 03:46:09 | 2019/05/01 03:45:00 UTC = 2019/05/01 03:46:09 TDT (TT - UTC = 69.184 s)");
  EXPECT_EQ(seen[1], seen[0]);
  EXPECT_NEAR(static_cast<double>(Orbits().FieldSearch().Params().instant.GetJD()),
              2458604.65625 + 69.184 / 86400, 1e-8);
  // A search made at another instant keeps it while the images stay: no note.
  Orbits().Views().searchDialog = [](SearchDialogLogic& logic) {
    logic.fields.time = "05:00:00";
    return logic.Ok();
  };
  ASSERT_TRUE(lab->Run("SearchDatabase1"));
  Orbits().Views().searchDialog = [&](SearchDialogLogic& logic) {
    seen.push_back(logic.fields.date + " " + logic.fields.time + " | " + logic.TimeNote());
    return false;
  };
  ASSERT_TRUE(lab->Run("SearchDatabase1"));
  // (05:00:00 comes back through the Julian date of 5 decimals as 04:59:59.)
  EXPECT_EQ(seen.back(), "2019/05/01 04:59:59 | ");
  // Images of another time: the search starts there again.
  load(2, "c.fits", "02:00:00");
  ASSERT_TRUE(lab->Run("SearchDatabase1"));
  // 02:01:09.184 TT shows as 02:01:08 through its Julian date of 5 decimals, in the fields and the note alike.
  EXPECT_EQ(seen.back(), "2019/05/01 02:01:08 | 2019/05/01 02:00:00 UTC = 2019/05/01 02:01:08 TDT (TT - UTC = 69.184 s)");

  // The ephemeris dialog: current elements from a search result, then its start.
  fillSearch = [](SearchFields& f) {
    f.dateFormat = 1;
    f.julianDate = "2461192.5";
    f.kind = FieldKind::kDegrees;
    f.raHours = "10";
    f.decDegrees = "20";
    f.size = "2";
  };
  Orbits().Views().searchDialog = [this](SearchDialogLogic& logic) {
    fillSearch(logic.fields);
    return logic.Ok();
  };
  ASSERT_TRUE(lab->Run("SearchDatabase1"));
  Orbits().ShowSearchResults();
  ASSERT_TRUE(Orbits().LoadResult(static_cast<int>(Orbits().FieldSearch().FirstResultLine())));
  std::string start;
  Orbits().Views().ephemerisDialog = [&](EphemerisDialogLogic& logic) {
    start = logic.fields.date + " " + logic.fields.time + " | " + logic.TimeNote();
    return logic.Ok();
  };
  ASSERT_TRUE(lab->Run("GenEphem1"));
  EXPECT_EQ(start, "2019/05/01 02:01:08 | 2019/05/01 02:00:00 UTC = 2019/05/01 02:01:08 TDT (TT - UTC = 69.184 s)");
  ASSERT_GT(Orbits().Table().Size(), 0U);
  EXPECT_NEAR(Rec(Orbits().Table(), 0).dateTime, *EncodeDateTime(2019, 5, 1, 2, 1, 9.184L), 1e-8);
}

}  // namespace
}  // namespace skarvel
