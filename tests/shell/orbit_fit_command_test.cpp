// "Determine Orbit..." in the session: the window opens on the report's
// observations (each with its measured uncertainty) with the user's site,
// and "&Use Elements" makes the fitted orbit the current elements (the
// ephemeris command enabled).
#include <gtest/gtest.h>

#include <fstream>

#include "astrometry/report_formats.h"
#include "orbits/saved_orbits.h"
#include "shell/astrm_lab.h"
#include "shell/orbit_session.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

// The program's environment in a fresh folder, with an options file in
// expert mode (no option-saving questions in between).
AstrmLabEnvironment ExpertEnvironment(const TempDir& root) {
  const std::string dataDir = root.MakeDir("work");
  AstrmLabEnvironment env;
  env.storage.programDir = testing::MakeProgramDir(root);
  env.storage.currentDir = dataDir;
  env.storage.perUserDir = root / "peruser/";
  env.storage.changeCurrentDirectory = false;
  env.storage.mountsFile = root / "no-mounts";
  ScriptedPlatform quiet;
  OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
  EXPECT_TRUE(opts.Start());
  opts.Record().expertMode = true;
  EXPECT_TRUE(opts.Write(dataDir));
  return env;
}

TEST(DetermineOrbitCommand, FitFromAFileBecomesTheCurrentElements) {
  TempDir root;
  ScriptedPlatform ui;
  AstrmLabEnvironment env = ExpertEnvironment(root);
  AstrmLab lab(ui, env);
  ASSERT_EQ(lab.Create(), AstrmLab::StartResult::Running);
  AstrmLabViews views;
  int opened = 0;
  std::string codesPathSeen;
  views.orbits.orbitFitWindow = [&](OrbitFitFormLogic& logic, const std::string& savedPath,
                                    const std::function<void(const CurrentElements&)>& use) {
    ++opened;
    codesPathSeen = logic.codesPath;
    EXPECT_EQ(savedPath, SavedOrbitsPath(lab.Options()));
    EXPECT_TRUE(logic.ownSite.has_value());
    logic.codesPath = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/fit/obscodes.txt";
    logic.observationsPath = std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/fit/three_nights_02.txt";
    ASSERT_TRUE(logic.Fit());
    use(*logic.Elements());
  };
  lab.SetViews(views);
  EXPECT_FALSE(lab.Available("GenEphem1"));
  ASSERT_TRUE(lab.Run("DetermineOrbit1"));
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(codesPathSeen, lab.Options().dataDir + "ObsCodes.html");
  EXPECT_TRUE(lab.Orbits().Current().valid);
  EXPECT_EQ(lab.Orbits().Current().elements.designation, "J97X10E");
  EXPECT_EQ(lab.Orbits().Current().source, ElementSource::kElementDialog);
  EXPECT_TRUE(lab.Available("GenEphem1"));
  // The window keeps what was typed for the next time.
  ASSERT_TRUE(lab.Run("DetermineOrbit1"));
  EXPECT_EQ(codesPathSeen, std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/fit/obscodes.txt");
}

TEST(DetermineOrbitCommand, TheReportsObservationsCarryTheirMeasuredUncertainty) {
  TempDir root;
  ScriptedPlatform ui;
  AstrmLabEnvironment env = ExpertEnvironment(root);
  AstrmLab lab(ui, env);
  ASSERT_EQ(lab.Create(), AstrmLab::StartResult::Running);
  ASSERT_NE(lab.Report(), nullptr);
  // The list saved under its upper-case name is the one found.
  std::ofstream(lab.Options().dataDir + "OBSCODES.TXT") << "568 204.5300 0.94169 +0.33731 Mauna Kea\n";
  ObservationRecord measured;
  measured.params.designation = "K26A01A";
  measured.params.observationTime = 46000.25;
  measured.target.fitRA = 10.5L;
  measured.target.fitDec = 12.25L;
  measured.target.resRA = 0.31L;  // the measurement's error estimates
  measured.target.resDec = 0.42L;
  ObservationRecord typed = measured;
  typed.params.observationTime = 46001.25;
  typed.target.resRA = 0;
  typed.target.resDec = 0;
  lab.Report()->Observations() = {measured, typed};
  std::vector<ReportObservation> seen;
  std::string codes;
  AstrmLabViews views;
  views.orbits.orbitFitWindow = [&](OrbitFitFormLogic& logic, const std::string&,
                                    const std::function<void(const CurrentElements&)>&) {
    seen = logic.ReportObservations();
    codes = logic.codesPath;
  };
  lab.SetViews(views);
  ASSERT_TRUE(lab.Run("DetermineOrbit1"));
  EXPECT_EQ(codes, lab.Options().dataDir + "OBSCODES.TXT");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].lines, ObservationLines80(measured, lab.Report()->site));
  EXPECT_EQ(seen[0].sigmaRaArcsec, 0.31L);
  EXPECT_EQ(seen[0].sigmaDecArcsec, 0.42L);
  EXPECT_EQ(seen[1].lines, ObservationLines80(typed, lab.Report()->site));
  EXPECT_EQ(seen[1].sigmaRaArcsec, 0);
  EXPECT_EQ(seen[1].sigmaDecArcsec, 0);
}

}  // namespace
}  // namespace skarvel
