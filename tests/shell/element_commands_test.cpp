// "FIND_ORB &File..." and "&Edit/Save/Retrieve..." of the Ephemeris menu,
// and what the work screen shows of the current elements: the elements panel
// and, in orbit view, the orbit notes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundations/strings.h"
#include "orbits/find_orb.h"
#include "shell/astrm_lab.h"
#include "shell/orbit_screen.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

const std::string kFindOrbDir = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/findorb/";

class ElementCommands : public ::testing::Test {
 protected:
  TempDir root;
  std::string dataDir = root.Path() + "work/";
  ScriptedPlatform ui;
  std::unique_ptr<AstrmLab> lab;
  int ephemerisHidden = 0, ephemerisShown = 0;
  std::function<bool(ElementDialogLogic&)> elementsDialog;

  void SetUp() override {
    const AstrmLabEnvironment env = testing::LabEnvironment(root);
    {
      ScriptedPlatform quiet;
      OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      ASSERT_TRUE(opts.Start());
      opts.Record().expertMode = true;
      ASSERT_TRUE(opts.Write(dataDir));
    }
    lab = std::make_unique<AstrmLab>(ui, env);
    ASSERT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    AstrmLabViews views;
    views.orbits.hideEphemerisList = [this] { ++ephemerisHidden; };
    views.orbits.showEphemerisList = [this] { ++ephemerisShown; };
    views.orbits.elementsDialog = [this](ElementDialogLogic& logic) { return elementsDialog(logic); };
    views.orbits.ephemerisDialog = [](EphemerisDialogLogic& logic) {
      logic.fields.dateFormat = 1;
      logic.fields.julianDate = "2450734.5";
      logic.fields.points = "3";
      logic.fields.interval = "1";
      logic.fields.unitsPerDay = 1;
      return logic.Ok();
    };
    lab->SetViews(views);
    ui.ClearRecords();
  }

  CurrentElements& Current() { return lab->Orbits().Current(); }
  bool Checked(const std::string& name) { return lab->Menus().At(name).checked; }

  /// The work screen's lines for a 16-pixel font whose characters are 7 pixels wide.
  std::vector<ScreenLine> Screen() {
    return lab->WorkScreenLines(AstrmLab::kClientWidth,
                                [](const std::string& s) { return static_cast<int>(s.size()) * 7; }, 16);
  }

  void SelectionMenus() {
    EXPECT_TRUE(lab->Available("GenEphem1"));
    EXPECT_FALSE(Checked("GenEphem1"));
    EXPECT_FALSE(lab->Menus().At("ViewEphText1").enabled);
    EXPECT_TRUE(Checked("OrbitalElements1"));
    EXPECT_EQ(lab->ScreenMode(), AstrmLab::kWorkScreen);
  }
};

std::vector<std::string> Texts(const std::vector<ScreenLine>& lines) {
  std::vector<std::string> out;
  for (const ScreenLine& l : lines)
    out.push_back(std::to_string(l.x) + "," + std::to_string(l.y) + (l.white ? " white " : " ") + l.text);
  return out;
}

TEST_F(ElementCommands, FindOrbFileBecomesTheCurrentElements) {
  ASSERT_TRUE(lab->Available("FINDORBFile1"));
  // Cancelled: nothing changes.
  ui.ChooseFilesNext(std::nullopt);
  lab->Run("FINDORBFile1");
  ASSERT_EQ(ui.OpenDialogs().size(), 1u);
  const platform::FileDialogRequest& request = ui.OpenDialogs()[0];
  EXPECT_EQ(request.title, "Select FIND_ORB Elements File for Load");
  EXPECT_EQ(request.filter, "FIND_ORB Elements|*.*");
  EXPECT_EQ(request.defaultExtension, ".*");
  EXPECT_EQ(request.directory, lab->Options().dataDir);
  EXPECT_EQ(request.fileName, "");
  EXPECT_FALSE(Current().valid);
  EXPECT_FALSE(lab->Available("GenEphem1"));

  // A file that is no FIND_ORB file: its message, and still nothing current.
  ui.ChooseFilesNext(std::vector<std::string>{kFindOrbDir + "mpcorb.hdr"});
  lab->Run("FINDORBFile1");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "File Is NOT a FIND_ORB File!\r\n\r\nFile Name: " + kFindOrbDir + "mpcorb.hdr");
  EXPECT_FALSE(Current().valid);
  EXPECT_EQ(lab->findOrbFileName, "");

  ui.ChooseFilesNext(std::vector<std::string>{kFindOrbDir + "findorb_elements_examples.txt"});
  lab->Run("FINDORBFile1");
  EXPECT_EQ(ui.Messages().size(), 1u);
  ASSERT_TRUE(Current().valid);
  EXPECT_EQ(Current().source, ElementSource::kFindOrb);
  EXPECT_EQ(Current().elements.name, "1996XX1");
  EXPECT_EQ(lab->findOrbDir, kFindOrbDir);
  EXPECT_EQ(lab->findOrbFileName, "findorb_elements_examples.txt");
  EXPECT_TRUE(lab->orbitView);
  EXPECT_EQ(ephemerisHidden, 1);
  SelectionMenus();
  // The next dialog starts where the last file was.
  ui.ChooseFilesNext(std::nullopt);
  lab->Run("FINDORBFile1");
  EXPECT_EQ(ui.OpenDialogs().back().directory, kFindOrbDir);
  EXPECT_EQ(ui.OpenDialogs().back().fileName, "findorb_elements_examples.txt");
}

TEST_F(ElementCommands, ElementsPanelOfAFindOrbOrbit) {
  ui.ChooseFilesNext(std::vector<std::string>{kFindOrbDir + "findorb_elements_examples.txt"});
  lab->Run("FINDORBFile1");
  ASSERT_TRUE(Current().valid);
  const OrbitElements& el = Current().elements;
  const std::vector<std::string> expected = {
      "20,270 *** Osculating Orbital Elements ***",
      "20,296 1996XX1",
      "200,296 Source: FIND_ORB Generated",
      "20,317 Reference: J2000.0",
      "200,317 Epoch: 1997/10/13.0 TDT   (2450734.5)",
      "20,338 a: 2.4550124 AU",
      "200,338 q: 1.0454523 AU",
      "380,338 e: 0.574156",
      "20,359 Incl: 0.14296 deg",
      "200,359 Node: 47.71084 deg",
      "380,359 Peri: 72.47318 deg",
      "550,359 H: 15.80",
      "550,380 G: 0.15",
      "20,380 Lng P: 120.18402 deg",
      "200,380 L: 82.52662 deg",
      "380,380 M: 322.3426 deg",
      "20,401 P: 3.85 years",
      "200,401 T: " + FractionalDateText(el.T) + " TDT   (" + FormatFixed(5, el.T) + ")"};
  EXPECT_EQ(Texts(Screen()), expected);
  EXPECT_EQ(FractionalDateText(el.T).substr(0, 13), "1998/03/08.96");  // FIND_ORB: 1998 Mar 8.969329
  // The panel stays when the image view comes back; the slots' lines join it.
  lab->MenuOpened("Images1");
  EXPECT_FALSE(lab->orbitView);
  EXPECT_EQ(Texts(Screen()), expected);
}

TEST_F(ElementCommands, OrbitNotesInOrbitViewOnly) {
  CurrentElements mpc;
  mpc.Set(*ParseFindOrbText(testing::ReadText(kFindOrbDir + "findorb_elements_examples.txt")),
          OrbitCodes{0, 66, 128, 0, 3, 5}, ElementSource::kMpc, 43647.5);
  // Apollo (type 3), PHA (code 3 bit 128), e assumed and H unknown (code 2), U = 5.
  const std::vector<std::string> notes = {"20,20 white *** Orbit Notes ***",
                                          "20,46 white Apollo Group Asteroid (a > 1.0 AU; 0 < q < 1.0).",
                                          "20,67 white Potentially Hazardous Asteroid (PHA)!",
                                          "20,88 white Eccentricity assumed.",
                                          "20,109 white H is unknown.  H = 14 assumed.",
                                          "20,130 white Orbital Uncertainty Parameter (U) = 5"};
  EXPECT_EQ(Texts(OrbitNotesScreenLines(mpc, "", 16)), notes);
  const std::vector<ScreenLine> inOrbitView = OrbitScreenLines(mpc, true, "", 16);
  const std::vector<ScreenLine> inImageView = OrbitScreenLines(mpc, false, "", 16);
  EXPECT_EQ(inOrbitView.size(), inImageView.size() + notes.size());
  // The database's date follows the source.
  EXPECT_EQ(Texts(inImageView)[2], "200,296 Source: MPC Orbit Database - 2019/07/01 12:00:00");
  // A TARNE orbit takes the notes of the database its file came from.
  mpc.source = ElementSource::kTarne;
  EXPECT_EQ(Texts(OrbitNotesScreenLines(mpc, "C:\\TARNE\\MARLO_MPC.CMO", 16)), notes);
  EXPECT_TRUE(OrbitNotesScreenLines(mpc, "C:\\TARNE\\OTHER.CMO", 16).empty());
  // Lowell notes by their own codes: code 1 bit 2, code 4 = 2, code 6.
  mpc.codes = {2, 0, 0, 2, 0, 7};
  EXPECT_EQ(Texts(OrbitNotesScreenLines(mpc, "MARLO_AST.CMO", 16)),
            (std::vector<std::string>{"20,20 white *** Orbit Notes ***",
                                      "20,46 white Apollo Group Asteroid (a > 1.0 AU; 0 < q < 1.0).",
                                      "20,67 white MPC Critical List - Observed at Only Two Apparitions!",
                                      "20,88 white Importance of Additional/Frequent Observations: 7"}));
  // Codes without notes draw nothing; neither do sources without codes.
  mpc.source = ElementSource::kMpc;
  mpc.codes = {0, 0, 0, 0, 0, 2};
  EXPECT_TRUE(OrbitNotesScreenLines(mpc, "", 16).empty());
  mpc.codes = {0, 66, 128, 0, 3, 5};
  mpc.source = ElementSource::kFindOrb;
  EXPECT_TRUE(OrbitNotesScreenLines(mpc, "", 16).empty());
}

TEST_F(ElementCommands, PanelOfACometAndAParabola) {
  CurrentElements comet;
  OrbitElements el;
  el.objectKind = 1;
  el.origin = kOriginComet;
  el.name = "C/2010 X1";
  el.designation = "CK10X010";
  el.magModel = kMagModelComet;
  el.q = el.a = 1.0L * 149597870.66L;
  el.e = 1;
  el.epoch = 2455378.5L;
  el.T = 2455400.5L;
  el.H = 8;
  el.G = 4;
  comet.Set(el, OrbitCodes{}, ElementSource::kCometFile, 40000.25);
  const std::vector<std::string> lines = Texts(ElementsPanelLines(comet, 10));
  EXPECT_EQ(lines[1], "20,290 C/2010 X1");
  EXPECT_EQ(lines[2], "280,290 Source: MPC Comet File - 2009/07/06 06:00:00");
  EXPECT_EQ(lines[4], "200,305 Epoch: 2010/07/01.0 TDT   (2455378.5)");
  EXPECT_EQ(lines[5], "20,320 a: ");  // a <= q: no axis
  EXPECT_EQ(lines[6], "200,320 q: 1.0 AU");
  EXPECT_EQ(lines[16], "20,365 P: ");
  EXPECT_EQ(lines[17], "200,365 T: 2010/07/23.00000 TDT   (2455400.50000)");
  // Nothing current: no panel.
  EXPECT_TRUE(ElementsPanelLines(CurrentElements{}, 10).empty());
}

TEST_F(ElementCommands, PlanetSetThroughTheDialogHasNoMagnitude) {
  elementsDialog = [](ElementDialogLogic& logic) {
    EXPECT_EQ(logic.fields, ElementFields{});  // nothing current: blank
    ElementFields& f = logic.fields;
    f.name = "Mars";
    f.set = ElementSet::kPlanet;
    f.epochDate = "1997/10/13.0";
    f.a = "1.5236";
    f.e = "0.0934";
    f.incl = "1.85";
    f.node = "49.56";
    f.longPeri = "336.06";
    f.L = "200.0";
    return logic.Ok();
  };
  ASSERT_TRUE(lab->Available("ElemEdit1"));
  lab->Run("ElemEdit1");
  ASSERT_TRUE(Current().valid);
  EXPECT_EQ(Current().source, ElementSource::kElementDialog);
  SelectionMenus();
  lab->Run("GenEphem1");
  ASSERT_EQ(ephemerisShown, 1);
  const std::vector<std::string>& report = lab->Orbits().EphemerisWindow().Lines();
  int table = 0;
  for (const std::string& line : report) {
    if (line.rfind("1997 10 1", 0) != 0) continue;
    ++table;
    EXPECT_EQ(line.substr(49, 4), "    ") << line;  // no magnitude
    EXPECT_NE(line.substr(55, 6), "      ") << line;  // but a distance
  }
  EXPECT_EQ(table, 3);
  for (const std::string& line : report) EXPECT_EQ(line.rfind("H: ", 0), std::string::npos) << line;
  // The panel has no H and G either.
  for (const std::string& line : Texts(Screen())) EXPECT_EQ(line.find("H: "), std::string::npos) << line;

  // Cancelled, the dialog leaves everything as it was; opened again it shows the planet.
  elementsDialog = [](ElementDialogLogic& logic) {
    EXPECT_EQ(logic.fields.name, "Mars");
    EXPECT_EQ(logic.fields.set, ElementSet::kPlanet);
    EXPECT_EQ(logic.fields.a, "1.5236");
    EXPECT_EQ(logic.fields.H, "");
    return false;
  };
  lab->Run("GenEphem1");
  ASSERT_TRUE(Checked("GenEphem1"));
  lab->Run("ElemEdit1");
  EXPECT_TRUE(Checked("GenEphem1"));
}

TEST_F(ElementCommands, NoEphemerisOfAnOrbitAboutTheEarth) {
  TempDir dir;
  const std::string text = testing::ReadText(kFindOrbDir + "findorb_elements_examples.txt");
  testing::WriteText(dir / "2009BD.TXT", text.substr(text.find("Orbital elements:\n2009 BD")));
  ui.ChooseFilesNext(std::vector<std::string>{dir / "2009BD.TXT"});
  lab->Run("FINDORBFile1");
  ASSERT_EQ(Current().elements.name, "2009BD");
  lab->Run("GenEphem1");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Ephemerides can be computed for orbits about the Sun only.");
  EXPECT_EQ(ui.Messages()[0].caption, "Ephemeris Not Available");
  EXPECT_EQ(ephemerisShown, 0);
  EXPECT_FALSE(Checked("GenEphem1"));
}

}  // namespace
}  // namespace skarvel
