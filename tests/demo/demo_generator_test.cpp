// The demo generator and the session set-up of scripts/run: the committed
// demo is what the generator writes from its sources, and a session started in
// the prepared working directory finds the demo's images, catalog and orbits.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "catalogs/field_load.h"
#include "config/options.h"
#include "demo/demo_support.h"
#include "foundations/file_system.h"
#include "make_demo.h"
#include "orbits/orbit_files.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

namespace sfs = std::filesystem;
using testing::DemoPath;
using testing::ReadTruth;
using testing::ScriptedPlatform;
using testing::TempDir;

/// Relative paths of the regular files under `root`, leaving out `skip` (a
/// first-level folder or file name).
std::set<std::string> FilesUnder(const std::string& root, const std::set<std::string>& skip) {
  std::set<std::string> files;
  for (const auto& entry : sfs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = sfs::relative(entry.path(), root).generic_string();
    if (skip.count(rel.substr(0, rel.find('/'))) != 0) continue;
    files.insert(rel);
  }
  return files;
}

TEST(DemoGenerator, TheCommittedDemoIsWhatTheGeneratorWrites) {
  TempDir dir;
  const std::string out = dir.MakeDir("demo");
  ASSERT_EQ(demo::Generate(DemoPath("source"), out), 0);
  const auto written = FilesUnder(out, {});
  const auto committed = FilesUnder(DemoPath(""), {"source", "README.md"});
  EXPECT_EQ(written, committed);
  for (const std::string& rel : written)
    EXPECT_TRUE(testing::ReadAll(out + rel) == testing::ReadAll(DemoPath(rel))) << rel << " differs from a fresh run";
  // Small enough to ship in the repository.
  std::uintmax_t bytes = 0;
  for (const std::string& rel : written) bytes += sfs::file_size(out + rel);
  EXPECT_LT(bytes, 20u * 1024u * 1024u);
}

class DemoSession : public ::testing::Test {
 protected:
  TempDir dir;
  std::string work = dir.MakeDir("work");
  std::string perUser = dir.Path() + "xdg/VORN/Toolkit/";
  ScriptedPlatform ui;

  /// The options as the program finds them when started in the working directory.
  std::unique_ptr<OptsObj> Start() {
    StorageEnvironment env;
    env.programDir = dir.MakeDir("bin");
    env.currentDir = work;
    env.perUserDir = perUser;
    env.perUserStorage = true;
    env.changeCurrentDirectory = false;
    env.mountsFile = "/dev/null";
    auto opts = std::make_unique<OptsObj>("ASTROPTS.INI", "1.330", env, ui);
    EXPECT_TRUE(opts->Start());
    return opts;
  }
};

TEST_F(DemoSession, TheProgramStartsWithTheDemoFoldersAndLeavesThePersonalFolderAlone) {
  ASSERT_EQ(demo::InstallSession(DemoPath(""), work), 0);
  auto opts = Start();
  const OptionsRecord& r = opts->Record();
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(r.dataDir, work);
  EXPECT_FALSE(sfs::exists(dir.Path() + "xdg"));
  const std::string demo = fs::WithTrailingSeparator(sfs::absolute(SKARVEL_DEMO_DIR).lexically_normal().string());
  // The images are the session's own copies: what the program saves beside
  // the last image loaded stays out of the demo folder.
  EXPECT_EQ(r.imagePath, work + "images/");
  for (const char* f : {"images/EROS001.FIT", "images/EROS002.FIT", "images/EROS003.FIT", "images/EROS004.FIT"})
    EXPECT_TRUE(testing::ReadAll(work + f) == testing::ReadAll(DemoPath(f))) << f;
  EXPECT_EQ(r.gscPath1, demo + "catalog/gsc_vorn/");
  EXPECT_EQ(r.gscPath2, demo + "catalog/gsc_vorn/");
  EXPECT_EQ(r.mpcOrbPath, work + "orbits/");
  for (const char* f : {"ASTSITES.DAT", "ASTCAMS.DAT", "orbits/MPCORB.DAT", "orbits/MPCORB.CMO"})
    EXPECT_TRUE(testing::ReadAll(work + f) == testing::ReadAll(DemoPath(f))) << f;
}

TEST_F(DemoSession, TheCopiedOrbitFileNeedsNoConversion) {
  ASSERT_EQ(demo::InstallSession(DemoPath(""), work), 0);
  auto opts = Start();
  OrbitFiles files(OrbitFileContext{ui, opts->Record(), {}});
  ASSERT_TRUE(files.OpenAnyAsteroidFile());
  ASSERT_NE(files.Mpc(), nullptr);
  EXPECT_TRUE(files.Mpc()->ConvertedValid());
  EXPECT_EQ(files.Mpc()->SourceStamp(), files.Mpc()->ConvertedStamp());
  EXPECT_EQ(files.FindNameByNumber("433"), "Eros");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(ui.Progress().empty()) << "a conversion ran";
}

TEST_F(DemoSession, TheFieldOfTheFirstImageLoadsWithTheSessionOptions) {
  ASSERT_EQ(demo::InstallSession(DemoPath(""), work), 0);
  auto opts = Start();
  GSCRgnsTblObj table(opts->Record(), ui);
  GSCFieldObj field(opts->Record(), ui, table);
  FieldParameters p;
  const auto t = ReadTruth().front();
  p.centreRA = t.centreRA;
  p.centreDec = t.centreDec;
  p.size = opts->Record().fieldSize;
  p.limitMag = opts->Record().magLimit;
  DeriveSearchWindow(p);
  FieldLoadContext c{opts->Record(), ui, table, field, {}};
  ASSERT_TRUE(LoadReferenceField(c, p, t.midJD));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_GE(field.StarCount(), 10);
}

TEST_F(DemoSession, APreparedSessionAgainKeepsThePreviousOptionsAsBackup) {
  ASSERT_EQ(demo::InstallSession(DemoPath(""), work), 0);
  const auto first = testing::ReadAll(work + "ASTROPTS.INI");
  ASSERT_EQ(demo::InstallSession(DemoPath(""), work), 0);
  EXPECT_EQ(testing::ReadAll(work + "ASTROPTS.BAK"), first);
  EXPECT_EQ(testing::ReadAll(work + "ASTROPTS.INI"), first);
}

TEST_F(DemoSession, AMissingDemoFolderIsRefused) {
  EXPECT_THROW(demo::InstallSession(dir.Path() + "nowhere/", work), std::runtime_error);
  EXPECT_FALSE(sfs::exists(work + "ASTROPTS.INI"));
}

}  // namespace
}  // namespace skarvel
