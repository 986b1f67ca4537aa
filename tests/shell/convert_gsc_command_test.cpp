// "Convert &GSC...": the dialog on settings kept for the run, the conversion
// of a whole CD-ROM tree, and the question that switches the setup to the
// converted catalog (Yes: the options changed and saved; No: untouched).
#include <gtest/gtest.h>

#include <filesystem>

#include "shell/astrm_lab.h"
#include "support/gsc_cdrom_tree.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

const char* kSwitchQuestion = "Do you want to change your setup to use the converted GSC file?";

class ConvertGSCCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tree_ = new testing::GSCCdromTree; }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }

  // A main window whose options name the tree's volumes (CD-ROM form).
  std::unique_ptr<AstrmLab> Started() {
    {
      ScriptedPlatform quiet;
      OptsObj opts("ASTROPTS.INI", "1.330", testing::LabEnvironment(root).storage, quiet);
      EXPECT_TRUE(opts.Start());
      opts.Record().gscPath1 = tree_->Volume1();
      opts.Record().gscPath2 = tree_->Volume2();
      opts.Record().vornFormatGSC = false;
      EXPECT_TRUE(opts.Write(root / "work/"));
    }
    auto lab = std::make_unique<AstrmLab>(ui, testing::LabEnvironment(root));
    EXPECT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    return lab;
  }
  // The options as the file in the work folder holds them.
  OptionsRecord Saved() {
    ScriptedPlatform quiet;
    OptsObj opts("ASTROPTS.INI", "1.330", testing::LabEnvironment(root).storage, quiet);
    EXPECT_TRUE(opts.Start());
    return opts.Record();
  }

  static testing::GSCCdromTree* tree_;
  TempDir root;
  ScriptedPlatform ui;
};
testing::GSCCdromTree* ConvertGSCCommand::tree_ = nullptr;

TEST_F(ConvertGSCCommand, YesSwitchesTheSetupAndSavesIt) {
  auto lab = Started();
  EXPECT_FALSE(lab->Available("ConvertGSC1"));  // until the dialog exists
  std::vector<GSCConvertSettings> shown;
  const std::string out = root / "converted/";
  AstrmLabViews views = lab->Views();
  int catalogChanges = 0;
  views.catalogSettingsChanged = [&] { ++catalogChanges; };
  lab->newFieldNeeded = false;  // a field was read from the CD-ROM form
  views.convertGSCDialog = [&](GSCConvertSettings& s) {
    shown.push_back(s);
    s.outputPath = out;
    return true;
  };
  lab->SetViews(views);
  ASSERT_TRUE(lab->Available("ConvertGSC1"));
  ui.AnswerNext(Answer::Yes);  // use the converted catalog
  ui.AnswerNext(Answer::Yes);  // save the options
  ASSERT_TRUE(lab->Run("ConvertGSC1"));
  // The dialog opened on the defaults: the volumes of the options, the output beside the first.
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].inputPath1, tree_->Volume1());
  EXPECT_EQ(shown[0].inputPath2, tree_->Volume2());
  EXPECT_EQ(shown[0].outputPath, tree_->Root() + "vol1_VORN/");
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].text, kSwitchQuestion);
  EXPECT_EQ(ui.Messages()[0].caption, "GSC Successfully Converted");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Question);
  EXPECT_EQ(ui.Messages()[0].buttons, Buttons::YesNo);
  EXPECT_EQ(ui.Messages()[1].caption, "Save Option Changes?");
  EXPECT_EQ(ui.Unanswered(), 0);
  EXPECT_TRUE(testing::Exists(out + "TABLES/REGIONS.BIN"));
  EXPECT_TRUE(testing::Exists(out + "GSC/S8230/9537.BIN"));
  EXPECT_EQ(lab->Options().gscPath1, out);
  EXPECT_EQ(lab->Options().gscPath2, out);
  EXPECT_TRUE(lab->Options().vornFormatGSC);
  EXPECT_FALSE(lab->optionsChanged);
  EXPECT_EQ(catalogChanges, 1);
  EXPECT_TRUE(lab->newFieldNeeded);
  const OptionsRecord saved = Saved();
  EXPECT_EQ(saved.gscPath1, out);
  EXPECT_EQ(saved.gscPath2, out);
  EXPECT_TRUE(saved.vornFormatGSC);
  // Written through a temporary file: nothing else is left in the work folder.
  for (const auto& e : std::filesystem::directory_iterator(root / "work"))
    EXPECT_TRUE(e.path().filename() == "ASTROPTS.INI" || e.path().filename() == "ASTROPTS.BAK" ||
                e.path().filename() == "VORNLOG.LOG")
        << e.path();

  // The second time the dialog shows what the first one left, not new defaults.
  ui.ClearRecords();
  views.convertGSCDialog = [&](GSCConvertSettings& s) {
    shown.push_back(s);
    return false;
  };
  lab->SetViews(views);
  ASSERT_TRUE(lab->Run("ConvertGSC1"));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].outputPath, out);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(ui.Progress().empty());  // cancelled: no conversion
}

TEST_F(ConvertGSCCommand, NoOrAnUnfinishedConversionLeavesTheSetup) {
  auto lab = Started();
  const auto before = testing::ReadAll(root / "work/ASTROPTS.INI");
  const OptionsRecord options = lab->Options();
  AstrmLabViews views = lab->Views();
  std::string out = root / "no/";
  int catalogChanges = 0;
  views.catalogSettingsChanged = [&] { ++catalogChanges; };
  lab->newFieldNeeded = false;
  views.convertGSCDialog = [&](GSCConvertSettings& s) {
    s.outputPath = out;
    return true;
  };
  lab->SetViews(views);
  ui.AnswerNext(Answer::No);
  ASSERT_TRUE(lab->Run("ConvertGSC1"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, kSwitchQuestion);
  EXPECT_TRUE(testing::Exists(out + "TABLES/REGIONS.BIN"));
  EXPECT_EQ(lab->Options().gscPath1, options.gscPath1);
  EXPECT_FALSE(lab->Options().vornFormatGSC);
  EXPECT_FALSE(lab->optionsChanged);
  EXPECT_EQ(catalogChanges, 0);
  EXPECT_FALSE(lab->newFieldNeeded);
  EXPECT_EQ(testing::ReadAll(root / "work/ASTROPTS.INI"), before);

  // Stopped on the way (the stop question answered Yes): no question about the setup.
  ui.ClearRecords();
  out = root / "stopped/";
  ui.StopProgressAfter(20);
  ui.AnswerNext(Answer::Yes);
  ASSERT_TRUE(lab->Run("ConvertGSC1"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Converting GSC to VORN Format");
  EXPECT_FALSE(testing::Exists(out + "TABLES/REGIONS.BIN"));
  EXPECT_FALSE(lab->Options().vornFormatGSC);
  EXPECT_EQ(testing::ReadAll(root / "work/ASTROPTS.INI"), before);
}

}  // namespace
}  // namespace skarvel
