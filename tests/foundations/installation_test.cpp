// The folder of the program's files, found from the folder of the executable.
#include <gtest/gtest.h>

#include "foundations/installation.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using testing::TempDir;

TEST(InstallationDataDirectory, IsTheShareFolderBesideTheProgramsFolder) {
  // The build is configured with the GNU directories bin and share.
  EXPECT_EQ(fs::DataPathFromPrograms(), "../share/skarvel");
  TempDir root;
  const std::string bin = root.MakeDir("usr/bin");
  root.MakeDir("usr/share/skarvel");
  // Normalised, with its separator, with or without one after the programs' folder.
  EXPECT_EQ(fs::InstallationDataDirectory(bin), root.Path() + "usr/share/skarvel/");
  EXPECT_EQ(fs::InstallationDataDirectory(root.Path() + "usr/bin"), root.Path() + "usr/share/skarvel/");
}

TEST(InstallationDataDirectory, FallsBackToTheProgramsFolderWithoutTheShareFolder) {
  TempDir root;
  const std::string bin = root.MakeDir("opt/bin");
  EXPECT_EQ(fs::InstallationDataDirectory(bin), bin);
  EXPECT_EQ(fs::InstallationDataDirectory(root.Path() + "opt/bin"), bin);
  // A file of that name is no folder.
  root.MakeDir("opt/share");
  testing::WriteText(root.Path() + "opt/share/skarvel", "not a folder");
  EXPECT_EQ(fs::InstallationDataDirectory(bin), bin);
  EXPECT_EQ(fs::InstallationDataDirectory(""), "");
}

}  // namespace
}  // namespace skarvel
