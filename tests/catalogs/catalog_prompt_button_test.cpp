#include <gtest/gtest.h>

#include <filesystem>

#include "catalogs/catalog_location.h"
#include "foundations/file_system.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

TEST(CatalogPrompt, OffersTheBrowseButton) {
  testing::ScriptedPlatform ui;
  ui.TypeNext(std::string("e"));
  const auto answer = AskCatalogLocation(ui, "GSC Volume I", "GSC", "D:\\", false, "/prog/");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->location, "E:\\");
  ASSERT_EQ(ui.TextPrompts().size(), 1u);
  EXPECT_EQ(ui.TextPrompts()[0].extraButton, "Browse");
  EXPECT_EQ(ui.TextPrompts()[0].initial, "D:\\");
}

// Where drive letters mean nothing, the drive field offers the mounted optical
// drive, whose mount point counts as the drive root (the "Please insert" form);
// a folder typed in the field is taken as it stands.
TEST(CatalogPrompt, OffersTheMountedOpticalDriveAndTakesATypedFolder) {
  testing::TempDir dir;
  const std::string disc = dir.MakeDir("disc");
  const std::string copy = dir.MakeDir("copy");
  std::filesystem::create_directories(copy + "U2");
  testing::WriteText(copy + "U2/u2index.da", "index");
  testing::ScriptedPlatform ui;
  ui.TypeNext(std::string(disc));                     // OK on the drive offered: still missing
  ui.TypeNext(copy.substr(0, copy.size() - 1));       // a folder typed without its separator
  const CatalogPromptTexts texts{"UCAC2 Catalog (Any Disk)", "Load UCAC2 CDROM", "UCAC2 Catalog",
                                 "UCAC2 File Error!", ""};
  const auto found = LocateCatalogFile(ui, disc, "U2/u2index.da", texts, dir.Path(), disc);
  ASSERT_TRUE(found.has_value());
  // The folder gets the trailing separator a browsed folder gets ("\\", which
  // the file layer reads as the native one).
  EXPECT_EQ(*found, copy.substr(0, copy.size() - 1) + "\\");
  EXPECT_TRUE(fs::FileExists(*found + "U2/u2index.da"));
  ASSERT_EQ(ui.TextPrompts().size(), 2u);
  EXPECT_EQ(ui.TextPrompts()[0].caption, "Load UCAC2 CDROM");
  EXPECT_EQ(ui.TextPrompts()[0].initial, disc);
  EXPECT_EQ(ui.TextPrompts()[0].prompt.rfind("Please insert UCAC2 Catalog (Any Disk) in CDROM drive shown.", 0), 0u);
  EXPECT_EQ(ui.TextPrompts()[1].caption, "Load UCAC2 CDROM");  // the typed drive is the drive again
  EXPECT_EQ(ui.TextPrompts()[1].extraButton, "Browse");
  // A folder elsewhere is the error form, its drive field still the optical drive.
  ui.TypeNext(std::nullopt);
  EXPECT_FALSE(LocateCatalogFile(ui, dir.Path() + "gone/", "U2/u2index.da", texts, dir.Path(), disc).has_value());
  EXPECT_EQ(ui.TextPrompts().back().caption, "UCAC2 File Error!");
  EXPECT_EQ(ui.TextPrompts().back().initial, disc);
  // No optical drive: the letter form of old.
  ui.TypeNext(std::nullopt);
  EXPECT_FALSE(AskCatalogLocation(ui, "UCAC2 Catalog", "UCAC2 File Error!", dir.Path(), true, dir.Path()).has_value());
  EXPECT_EQ(ui.TextPrompts().back().initial, "D:\\");
  EXPECT_EQ(ui.Unanswered(), 0);
}

}  // namespace
}  // namespace skarvel
