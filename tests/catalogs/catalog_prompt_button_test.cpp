#include <gtest/gtest.h>

#include "catalogs/catalog_location.h"
#include "support/scripted_platform.h"

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

}  // namespace
}  // namespace skarvel
