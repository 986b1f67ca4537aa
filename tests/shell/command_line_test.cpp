#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace skarvel {
namespace {

TEST(CommandLine, NothingAfterTheProgramNameChangesNothing) {
  const auto e = ParseCommandArguments("");
  EXPECT_FALSE(e.anyArgument);
  EXPECT_FALSE(e.tarne);
  EXPECT_EQ(ParseCommandLine("\"C:\\VORN\\SKARVEL.EXE\"").anyArgument, false);
  EXPECT_EQ(ParseCommandLine("C:\\VORN\\Skarvel.exe").anyArgument, false);
}

TEST(CommandLine, AnyArgumentSetsTheImageDirectory) {
  const auto e = ParseCommandArguments("image.fits");
  EXPECT_TRUE(e.anyArgument);
  EXPECT_FALSE(e.tarne);
  EXPECT_TRUE(ParseCommandLine("C:\\VORN\\SKARVEL.EXE x").anyArgument);
  // The one character after ".EXE" is dropped: a quote, or the blank.
  EXPECT_TRUE(ParseCommandLine("\"C:\\VORN\\SKARVEL.EXE\" x").anyArgument);
}

TEST(CommandLine, OrbflNamesTheTarneOrbitFile) {
  const auto e = ParseCommandArguments("orbfl=/data/orbits/marlo_ast.cmo extra words");
  EXPECT_TRUE(e.anyArgument);
  EXPECT_TRUE(e.tarne);
  EXPECT_EQ(e.orbitFileArg, "/DATA/ORBITS/MARLO_AST.CMO");
  const auto win = ParseCommandLine("C:\\VORN\\SKARVEL.EXE ORBFL=D:\\ORB\\MARLO_MPC.CMO /X");
  EXPECT_EQ(win.orbitFileArg, "D:\\ORB\\MARLO_MPC.CMO");
  // The text before "ORBFL" is passed over; without "CMO" the rest stays whole.
  EXPECT_EQ(ParseCommandArguments("-v ORBFL=/a/b.dat").orbitFileArg, "/A/B.DAT");
  // Only the first "=" and the first "CMO" count.
  EXPECT_EQ(ParseCommandArguments("ORBFL==/CMOS/X.CMO").orbitFileArg, "=/CMO");
  // Without "=" nothing is cut before the path.
  EXPECT_EQ(ParseCommandArguments("ORBFL/x.cmo").orbitFileArg, "ORBFL/X.CMO");
}

}  // namespace
}  // namespace skarvel
