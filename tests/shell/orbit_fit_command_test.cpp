// "Determine Orbit..." in the session: the window opens on the report's
// observations with the user's site, and "&Use Elements" makes the fitted
// orbit the current elements (the ephemeris command enabled).
#include <gtest/gtest.h>

#include "orbits/saved_orbits.h"
#include "shell/astrm_lab.h"
#include "shell/orbit_session.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::ScriptedPlatform;
using testing::TempDir;

TEST(DetermineOrbitCommand, FitFromAFileBecomesTheCurrentElements) {
  TempDir root;
  const std::string programDir = testing::MakeProgramDir(root);
  const std::string dataDir = root.MakeDir("work");
  ScriptedPlatform ui;
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
    opts.Record().expertMode = true;  // no option-saving questions in between
    ASSERT_TRUE(opts.Write(dataDir));
  }
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

}  // namespace
}  // namespace skarvel
