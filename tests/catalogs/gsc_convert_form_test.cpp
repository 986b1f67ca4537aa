// The conversion dialog's decisions: the fields filled from the settings, the
// directory choosers of a double click, the OK step with its refusals, and the
// progress window's time estimate.
#include "catalogs/gsc_convert_form.h"

#include <gtest/gtest.h>

#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using platform::Icon;
using testing::ScriptedPlatform;

GSCConvertSettings Kept() { return {"/cd/", "/cd/", "/data/GSC_VORN\\", 20, false, true, false}; }

TEST(GSCConvertForm, FieldsAndDoubleClicks) {
  const GSCConvertForm form(Kept());
  EXPECT_EQ(form.paths[kInputPath1], "/cd/");
  EXPECT_EQ(form.paths[kOutputPath], "/data/GSC_VORN\\");
  EXPECT_EQ(form.magText, "20.0");
  EXPECT_FALSE(form.restart);
  EXPECT_TRUE(form.finder);
  GSCConvertSettings odd = Kept();
  odd.magLimit = 15.25f;
  EXPECT_EQ(GSCConvertForm(odd).magText, "15.3");

  ScriptedPlatform ui;
  GSCConvertForm f(Kept());
  f.paths[kInputPath2].clear();
  // An empty field starts at DataDir; the inputs' choosers create no folder, the output's may.
  ui.ChooseDirectoryNext(std::string("/mnt/gsc2"));
  EXPECT_TRUE(f.DoubleClicked(kInputPath2, ui, "/data/"));
  ui.ChooseDirectoryNext(std::nullopt);
  EXPECT_FALSE(f.DoubleClicked(kOutputPath, ui, "/data/"));
  ASSERT_EQ(ui.DirectoryDialogs().size(), 2u);
  EXPECT_EQ(ui.DirectoryDialogs()[0].title, "Input Path - Volume 2");
  EXPECT_EQ(ui.DirectoryDialogs()[0].directory, "/data/");
  EXPECT_FALSE(ui.DirectoryDialogs()[0].mayCreate);
  EXPECT_EQ(ui.DirectoryDialogs()[1].title, "Output Path:");
  EXPECT_EQ(ui.DirectoryDialogs()[1].directory, "/data/GSC_VORN/");  // the field's text
  EXPECT_TRUE(ui.DirectoryDialogs()[1].mayCreate);
  EXPECT_EQ(f.paths[kInputPath2], "/mnt/gsc2/");
  EXPECT_EQ(f.paths[kOutputPath], "/data/GSC_VORN\\");  // a cancelled chooser changes nothing
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(GSCConvertForm, OkRefusesTheSameFolderAndABadLimit) {
  ScriptedPlatform ui;
  GSCConvertSettings settings = Kept();
  GSCConvertForm f(settings);
  f.paths = {"/gsc/vol1", "/gsc/vol2/", "/gsc/vol1/"};
  f.magText = "14.5";
  f.restart = true;
  EXPECT_FALSE(f.Ok(ui, settings));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Input Directory Cannot Be Used for Output");
  EXPECT_EQ(ui.Messages()[0].caption, "Same Directory!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Error);
  EXPECT_EQ(f.paths[kInputPath1], "/gsc/vol1\\");  // the separator shows in the field
  EXPECT_EQ(settings, Kept());                     // nothing taken over
  // The same folder as the second volume, written with the other separator.
  f.paths[kOutputPath] = "/gsc/vol2\\";
  EXPECT_FALSE(f.Ok(ui, settings));
  EXPECT_EQ(ui.Messages().size(), 2u);

  f.paths[kOutputPath] = "/out";
  for (const char* bad : {"", "fourteen", "14,5", "1e99"}) {
    f.magText = bad;
    EXPECT_FALSE(f.Ok(ui, settings)) << bad;
    EXPECT_EQ(ui.Messages().back().text, "Invalid Numeric Value - Check Mag Limit Entry!") << bad;
    EXPECT_EQ(ui.Messages().back().caption, "Input Error!");
    EXPECT_EQ(ui.Messages().back().icon, Icon::Error);
  }
  EXPECT_EQ(ui.Messages().size(), 6u);
  EXPECT_EQ(settings, Kept());
  f.magText = " 14.5 ";
  EXPECT_TRUE(f.Ok(ui, settings));
  EXPECT_EQ(ui.Messages().size(), 6u);
  const GSCConvertSettings taken{"/gsc/vol1\\", "/gsc/vol2/", "/out\\", 14.5f, true, true, false};
  EXPECT_EQ(settings, taken);
}

TEST(GSCConvertProgress, TimeRemaining) {
  EXPECT_EQ(TimeRemainingText(30, 10, 100), "Time remaining: 4 min 30 s");
  EXPECT_EQ(TimeRemainingText(1, 3, 4), "Time remaining: 0 min 0 s");  // 0.33 s
  EXPECT_EQ(TimeRemainingText(2, 3, 4), "Time remaining: 0 min 1 s");  // 0.67 s
  EXPECT_EQ(TimeRemainingText(0, 0, 9537), "Time remaining: 0 min 0 s");
  EXPECT_EQ(TimeRemainingText(50, 9537, 9537), "Time remaining: 0 min 0 s");
  EXPECT_EQ(TimeRemainingText(1e9, 1, 9537), "Time remaining: 5999 min 59 s");
}

}  // namespace
}  // namespace skarvel
