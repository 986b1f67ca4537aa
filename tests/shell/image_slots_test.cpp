#include <gtest/gtest.h>

#include "foundations/date_time.h"
#include "shell/astrm_lab.h"
#include "astrometry/field_params_logic.h"
#include "support/mini_fits.h"
#include "support/sbig_writer.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::ScriptedPlatform;
using testing::TempDir;

class ImageSlotsTest : public ::testing::Test {
 protected:
  TempDir root;
  std::string programDir = skarvel::testing::MakeProgramDir(root);
  std::string dataDir = root.MakeDir("work");
  std::string nightDir = root.MakeDir("night");
  ScriptedPlatform ui;
  std::unique_ptr<AstrmLab> lab;

  void SetUp() override { Start(); }

  void Start(bool expert = false) {
    AstrmLabEnvironment env;
    env.storage.programDir = programDir;
    env.storage.currentDir = dataDir;
    env.storage.perUserDir = root / "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root / "none";
    env.clock = [] { return *EncodeDateTime(2026, 12, 9, 22, 0, 0.0L); };
    if (expert) {
      ScriptedPlatform quiet;
      OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      ASSERT_TRUE(opts.Start());
      opts.Record().expertMode = true;
      ASSERT_TRUE(opts.Write(dataDir));
    }
    lab = std::make_unique<AstrmLab>(ui, env);
    ASSERT_EQ(lab->Create(), AstrmLab::StartResult::Running);
    ui.ClearRecords();
  }

  std::string Image(const std::string& name, int base = 100) {
    const std::string path = nightDir + name;
    testing::WriteMiniFits(path, 6, 4, base, {"OBJECT  = 'Eros'", "DATE-OBS= '2026-12-09T21:30:00'"});
    return path;
  }

  bool Enabled(const std::string& name) { return lab->Menus().At(name).enabled; }
  bool Checked(const std::string& name) { return lab->Menus().At(name).checked; }
};

TEST_F(ImageSlotsTest, LoadingSlotsStepByStepSetsTheMenus) {
  ui.ChooseFilesNext(std::vector<std::string>{Image("a.fits")});
  ASSERT_TRUE(lab->Run("LoadImg1"));
  ASSERT_EQ(ui.OpenDialogs().size(), 1u);
  const auto& dialog = ui.OpenDialogs()[0];
  EXPECT_EQ(dialog.title, "Select Image File for Load (Image 1)");
  EXPECT_EQ(dialog.filter,
            "FITS Files (*.FIT, *.FTS)|*.FIT; *.FTS|ST-4 Files|*.ST4|SBIG Files (ST4X thru STV)|*.ST*|All Files "
            "(*.*)|*.*");
  EXPECT_EQ(dialog.filterIndex, 1);
  EXPECT_EQ(dialog.directory, dataDir);
  EXPECT_FALSE(dialog.multiple);
  ASSERT_TRUE(lab->Slots()[0].Loaded());
  EXPECT_EQ(lab->ScreenMode(), AstrmLab::kWorkScreen);
  EXPECT_FALSE(Enabled("MultipleLoad1"));
  EXPECT_TRUE(Enabled("ClearImages1"));
  EXPECT_TRUE(Checked("LoadImg1"));
  EXPECT_TRUE(Enabled("LoadImg2"));
  EXPECT_FALSE(Enabled("LoadImg3"));
  EXPECT_TRUE(Enabled("Images1"));
  EXPECT_TRUE(Enabled("MeasImg1"));
  EXPECT_FALSE(Enabled("Blink1"));  // needs images 1 and 2
  // The directory is remembered as the image path, to be saved.
  EXPECT_EQ(lab->imageDir, nightDir);
  EXPECT_EQ(lab->imageFileName, "a.fits");
  EXPECT_EQ(lab->Options().imagePath, nightDir);
  EXPECT_EQ(lab->reportDir, nightDir);
  EXPECT_TRUE(lab->optionsChanged);
  EXPECT_TRUE(Enabled("SaveUpdates1"));
  // The header filled the observation parameters and the report's camera.
  EXPECT_EQ(lab->currentObsParms.objectName, "EROS");
  EXPECT_EQ(lab->Report()->camera.imageWidth, 6);
  EXPECT_TRUE(lab->Report()->cameraFromImage);

  ui.ChooseFilesNext(std::vector<std::string>{Image("b.fits")});
  ASSERT_TRUE(lab->Run("LoadImg2"));
  EXPECT_EQ(ui.OpenDialogs().back().directory, nightDir);
  EXPECT_EQ(ui.OpenDialogs().back().fileName, "a.fits");
  EXPECT_FALSE(Enabled("MultipleLoad1"));
  EXPECT_TRUE(Checked("LoadImg2"));
  EXPECT_TRUE(Enabled("LoadImg3"));
  EXPECT_TRUE(Enabled("MeasImg2"));
  EXPECT_TRUE(Enabled("Blink1"));
  EXPECT_TRUE(ui.Messages().empty());

  // A camera of a new installation is unfiltered ("&None"); an image naming its
  // filter gives the report's camera that filter, one naming none keeps it.
  EXPECT_EQ(lab->Report()->camera.filter, 7);
  const std::string red = nightDir + "red.fits";
  testing::WriteMiniFits(red, 6, 4, 100, {"OBJECT  = 'Eros'", "DATE-OBS= '2026-12-09T21:30:00'", "FILTER  = 'R'"});
  ui.AnswerNext(Answer::Yes);  // replace image 2
  ui.ChooseFilesNext(std::vector<std::string>{red});
  ASSERT_TRUE(lab->Run("LoadImg2"));
  EXPECT_EQ(lab->Report()->camera.filter, 2);
  ui.ClearRecords();

  // Clear all enables "&Multiple Load" again.
  ui.AnswerNext(Answer::Yes);
  ASSERT_TRUE(lab->Run("Object1"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Clear Current Images, Reference Fields and Parameters?");
  EXPECT_EQ(ui.Messages()[0].caption, "Verify Clear");
  EXPECT_TRUE(Enabled("MultipleLoad1"));
  EXPECT_TRUE(Enabled("LoadImg1"));
  for (const char* name : {"ClearImages1", "LoadImg2", "LoadImg3", "LoadImg4", "MeasImg1", "Blink1", "Images1"})
    EXPECT_FALSE(Enabled(name)) << name;
  EXPECT_FALSE(Checked("LoadImg1"));
  EXPECT_FALSE(lab->Slots()[0].Loaded());
  EXPECT_FALSE(lab->Slots()[1].Loaded());
  EXPECT_EQ(lab->currentObsParms, ObsParams{});
  EXPECT_FALSE(lab->Report()->cameraFromImage);
  EXPECT_EQ(lab->Report()->camera, lab->Options().cameraRecord);
  EXPECT_EQ(ui.Unanswered(), 0);
}

TEST_F(ImageSlotsTest, ReplacingAnImageAsksFirst) {
  ui.ChooseFilesNext(std::vector<std::string>{Image("a.fits")});
  lab->Run("LoadImg1");
  GraphicsFileObj* first = lab->Slots()[0].image.get();
  ui.AnswerNext(Answer::No);
  lab->Run("LoadImg1");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Replace Current Image 1 With New Image?");
  EXPECT_EQ(ui.Messages()[0].buttons, platform::Buttons::YesNo);
  EXPECT_EQ(ui.OpenDialogs().size(), 1u);  // no dialog after No
  EXPECT_EQ(lab->Slots()[0].image.get(), first);
  ui.AnswerNext(Answer::Yes);
  ui.ChooseFilesNext(std::vector<std::string>{Image("c.fits", 500)});
  lab->Run("LoadImg1");
  EXPECT_NE(lab->Slots()[0].image.get(), first);
  EXPECT_EQ(lab->Slots()[0].image->pixels.PixelAt(0, 0), 500);
}

TEST_F(ImageSlotsTest, AFailedLoadKeepsTheOldImageAndReopensTheDialog) {
  ui.ChooseFilesNext(std::vector<std::string>{Image("a.fits")});
  lab->Run("LoadImg1");
  GraphicsFileObj* first = lab->Slots()[0].image.get();
  testing::WriteText(nightDir + "broken.fits", std::string(300, 'x'));
  ui.AnswerNext(Answer::Yes);                                              // replace
  ui.ChooseFilesNext(std::vector<std::string>{nightDir + "broken.fits"});  // fails
  ui.ChooseFilesNext(std::nullopt);                                        // then cancel
  lab->Run("LoadImg1");
  EXPECT_EQ(ui.OpenDialogs().size(), 3u);
  EXPECT_EQ(lab->Slots()[0].image.get(), first);
  EXPECT_EQ(lab->Slots()[0].image->fileName, nightDir + "a.fits");
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Confirm", "FITS File Error!"}));
}

TEST_F(ImageSlotsTest, MultipleLoadTakesAtMostFourFilesInTheListedOrder) {
  const std::vector<std::string> five = {Image("1.fits", 1), Image("2.fits", 2), Image("3.fits", 3),
                                         Image("4.fits", 4), Image("5.fits", 5)};
  ui.ChooseFilesNext(five);
  ui.ChooseFilesNext(std::vector<std::string>(five.begin(), five.begin() + 4));
  ASSERT_TRUE(lab->Run("MultipleLoad1"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "A Maximum of Four (4) Files May Be Selected.");
  EXPECT_EQ(ui.Messages()[0].caption, "Too Many Files!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Exclamation);
  ASSERT_EQ(ui.OpenDialogs().size(), 2u);
  EXPECT_EQ(ui.OpenDialogs()[0].title, "Select (n <= 4) Image Files for Load");
  EXPECT_TRUE(ui.OpenDialogs()[0].multiple);
  // The first listed file goes to slot 1, the others follow in the dialog's order.
  for (int slot = 0; slot < 4; ++slot) {
    ASSERT_TRUE(lab->Slots()[static_cast<std::size_t>(slot)].Loaded());
    EXPECT_EQ(lab->Slots()[static_cast<std::size_t>(slot)].image->pixels.PixelAt(0, 0), slot + 1);
    EXPECT_EQ(lab->Slots()[static_cast<std::size_t>(slot)].image->fileName, five[static_cast<std::size_t>(slot)]);
    EXPECT_TRUE(Checked("LoadImg" + std::to_string(slot + 1)));
    EXPECT_TRUE(Enabled("MeasImg" + std::to_string(slot + 1)));
  }
  EXPECT_FALSE(Enabled("MultipleLoad1"));
  EXPECT_EQ(ui.BusyDepth(), 0);
}

TEST_F(ImageSlotsTest, MultipleLoadSkipsAFileThatFails) {
  testing::WriteText(nightDir + "bad.fits", std::string(300, 'x'));
  ui.ChooseFilesNext(std::vector<std::string>{Image("2.fits", 2), nightDir + "bad.fits", Image("0.fits", 7)});
  lab->Run("MultipleLoad1");
  ASSERT_TRUE(lab->Slots()[0].Loaded());
  EXPECT_EQ(lab->Slots()[0].image->pixels.PixelAt(0, 0), 2);
  EXPECT_FALSE(lab->Slots()[1].Loaded());
  ASSERT_TRUE(lab->Slots()[2].Loaded());
  EXPECT_EQ(lab->Slots()[2].image->pixels.PixelAt(0, 0), 7);
}

TEST_F(ImageSlotsTest, StFourAndSbigImagesLoadThroughSingleAndMultipleLoad) {
  // ST-4: the fixed 192 x 165 frame.
  lab->Options().imageFileType = kImageST4;
  std::vector<std::uint8_t> st4Pixels(31680);
  for (std::size_t i = 0; i < st4Pixels.size(); ++i) st4Pixels[i] = static_cast<std::uint8_t>(i % 251);
  testing::WriteAll(nightDir + "frame.st4", testing::ST4FileBytes(st4Pixels, "M42", "1000", "8.0", "12.5", "1.0"));
  ui.ChooseFilesNext(std::vector<std::string>{nightDir + "frame.st4"});
  lab->Run("LoadImg1");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(ui.OpenDialogs()[0].filterIndex, 2);
  ASSERT_TRUE(lab->Slots()[0].Loaded());
  EXPECT_EQ(lab->Slots()[0].image->formatDescription, "SBIG - ST-4");
  EXPECT_EQ(lab->Slots()[0].image->pixels.PixelAt(191, 164), static_cast<std::int32_t>(31679 % 251));
  EXPECT_EQ(lab->Report()->camera.name, "SBIG ST-4");

  // Other SBIG cameras, two at once: the last chosen goes to slot 1.
  ui.AnswerNext(Answer::Yes);
  ASSERT_TRUE(lab->Run("Object1"));  // clear images and reference fields
  ASSERT_FALSE(lab->Slots()[0].Loaded());
  lab->Options().imageFileType = kImageSBIG;
  for (const char* name : {"a.st7", "b.st7"}) {
    testing::SBIGFileSetup setup;
    setup.firstLine = "ST-7 Compressed Image";
    setup.keys = {{"Width", "4"}, {"Height", "2"}, {"Pedestal", "100"}, {"Filter", "V"},
                 {"Date", "12/09/26"}, {"Time", "21:30:00"}};
    setup.width = 4;
    setup.height = 2;
    setup.values = {name[0] == 'a' ? std::uint16_t{10} : std::uint16_t{20}, 11, 12, 13, 14, 15, 16, 17};
    testing::WriteAll(nightDir + name, testing::SBIGFileBytes(setup));
  }
  ui.ClearRecords();
  ui.ChooseFilesNext(std::vector<std::string>{nightDir + "a.st7", nightDir + "b.st7"});
  lab->Run("MultipleLoad1");
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_TRUE(lab->Slots()[0].Loaded());
  ASSERT_TRUE(lab->Slots()[1].Loaded());
  // Slot 1 takes the first file the dialog lists.
  EXPECT_EQ(lab->Slots()[0].image->pixels.PixelAt(0, 0), 10);
  EXPECT_EQ(lab->Slots()[1].image->pixels.PixelAt(0, 0), 20);
  EXPECT_EQ(lab->Slots()[1].image->pixels.PixelAt(3, 1), 17);
  EXPECT_EQ(lab->Report()->camera.name, "SBIG ST-7");
  EXPECT_EQ(lab->currentObsParms.observationTime, *EncodeDateTime(2026, 12, 9, 21, 30, 0.0L));
  // The header's filter reaches the field parameters dialog.
  EXPECT_EQ(DialogImageFilter(lab->Slots()[0].image.get(), kImageSBIG), 1);
  EXPECT_EQ(DialogImageFilter(lab->Slots()[0].image.get(), kImageST4), 8);
}

TEST_F(ImageSlotsTest, AnUnknownImageTypeAsksToChangeTheSelection) {
  lab->Options().imageFileType = 3;
  ui.ChooseFilesNext(std::vector<std::string>{nightDir + "frame.xyz"});
  ui.AnswerNext(Answer::No);
  lab->Run("LoadImg1");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "The file type you selected (extension .XYZ) is not supported!\r\n\r\nDo you want to change your "
            "selection?");
  EXPECT_EQ(ui.Messages()[0].caption, "File Type Not Supported!");
  EXPECT_EQ(ui.OpenDialogs()[0].filterIndex, 4);
  EXPECT_FALSE(lab->Slots()[0].Loaded());
}

TEST_F(ImageSlotsTest, ExpertModeSuppressesTheReplaceAndClearQuestions) {
  Start(true);
  ui.ChooseFilesNext(std::vector<std::string>{Image("a.fits")});
  lab->Run("LoadImg1");
  ui.ChooseFilesNext(std::vector<std::string>{Image("b.fits", 9)});
  lab->Run("LoadImg1");
  EXPECT_EQ(lab->Slots()[0].image->pixels.PixelAt(0, 0), 9);
  lab->Run("Object1");
  EXPECT_FALSE(lab->Slots()[0].Loaded());
  lab->Run("FieldObservationSet1");
  // Only the saving of the changed image directory was done, without asking.
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ImageSlotsTest, ClearReferenceFieldsAsks) {
  lab->newFieldNeeded = false;
  ui.AnswerNext(Answer::No);
  lab->Run("FieldObservationSet1");
  EXPECT_FALSE(lab->newFieldNeeded);
  ui.AnswerNext(Answer::Yes);
  lab->Run("FieldObservationSet1");
  EXPECT_TRUE(lab->newFieldNeeded);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].text, "Clear Field and Reference Star Parameters?");
  EXPECT_EQ(ui.Messages()[1].caption, "Verify Clear");
}

TEST_F(ImageSlotsTest, ClearAllOffersToSaveUnsavedReportData) {
  lab->reportSaved = false;
  ui.AnswerNext(Answer::Yes);
  ui.AnswerNext(Answer::No);
  lab->Run("Object1");
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Verify Clear", "Save Current Data?"}));
  EXPECT_EQ(ui.Messages()[1].text,
            "For safety, you should save your current report data before loading new images.\r\n\r\nSave report "
            "data now?");
}

TEST_F(ImageSlotsTest, ImageFileTypeDialogChangesTheOptions) {
  std::vector<ImageTypeSelection> shown;
  std::optional<ImageTypeSelection> answer;
  AstrmLabViews views;
  views.imageFileType = [&](ImageTypeSelection present) {
    shown.push_back(present);
    return answer;
  };
  lab->SetViews(views);
  lab->orbitView = true;
  answer = ImageTypeSelection{0, 0};  // OK without a change counts as Cancel
  ASSERT_TRUE(lab->Run("ImageFileType1"));
  EXPECT_FALSE(lab->orbitView);
  EXPECT_TRUE(ui.Messages().empty());
  answer = ImageTypeSelection{1, 2};  // ST-4 stores header time type 3
  ui.AnswerNext(Answer::Yes);
  lab->Run("ImageFileType1");
  EXPECT_EQ(lab->Options().imageFileType, 1);
  EXPECT_EQ(lab->Options().headerTimeType, 3);
  EXPECT_EQ(ui.Captions(), (std::vector<std::string>{"Save Option Changes?"}));
  answer = ImageTypeSelection{0, 2};
  ui.AnswerNext(Answer::No);
  lab->Run("ImageFileType1");
  EXPECT_EQ(lab->Options().headerTimeType, 2);
  EXPECT_TRUE(lab->optionsChanged);
  answer = std::nullopt;
  lab->Run("ImageFileType1");
  EXPECT_EQ(lab->Options().imageFileType, 0);
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[2].format, 1);
  EXPECT_EQ(shown[2].timeType, 3);
}

TEST_F(ImageSlotsTest, LockSlotDuringMeasuringKeepsTheSlotsLoadItemOff) {
  ui.ChooseFilesNext(std::vector<std::string>{Image("a.fits")});
  lab->Run("LoadImg1");
  lab->LockSlot(0, true);
  EXPECT_FALSE(lab->Available("LoadImg1"));
  EXPECT_FALSE(lab->Run("LoadImg1"));
  lab->LockSlot(0, false);
  EXPECT_TRUE(lab->Available("LoadImg1"));
  EXPECT_FALSE(Enabled("MultipleLoad1"));  // slot 1 is loaded
}

}  // namespace
}  // namespace skarvel

namespace skarvel {
namespace {

// The measure command with the windows replaced by records of what they were asked.
class MeasureCommandTest : public ImageSlotsTest {
 protected:
  std::vector<std::string> calls;
  bool obsParamsOk = true;
  bool fieldDialogOk = true;
  bool fieldFound = true;
  bool kept = false;
  FieldRequest seenRequest;
  long double seenJulianDate = 0;

  void SetUp() override {
    ImageSlotsTest::SetUp();
    AstrmLabViews v;
    v.verifyImageObsParams = [this](int slot) -> std::optional<ObsParams> {
      calls.push_back("verify " + std::to_string(slot));
      if (!obsParamsOk) return std::nullopt;
      ObsParams p;
      p.objectName = "Eros";
      p.observationTime = *EncodeDateTime(2026, 12, 9, 21, 30, 0.0L);
      return p;
    };
    v.referenceFieldKept = [this] { return kept; };
    v.releaseReferenceField = [this] { calls.push_back("release field"); };
    v.fieldParametersDialog = [this](FieldRequest& r) {
      calls.push_back("field dialog");
      seenRequest = r;
      r.params.size = 20;
      return fieldDialogOk;
    };
    v.loadReferenceField = [this](const FieldRequest&, long double jd) {
      calls.push_back("load");
      seenJulianDate = jd;
      return fieldFound;
    };
    v.showMeasurement = [this](int slot, bool newField) {
      calls.push_back("show " + std::to_string(slot) + (newField ? " new" : " same"));
    };
    lab->SetViews(v);
  }

  void LoadSlot1() {
    const std::string path = nightDir + "m.fits";
    testing::WriteMiniFits(path, 6, 4, 100,
                           {"OBJECT  = 'Eros'", "DATE-OBS= '2026-12-09T21:30:00'", "RA      = '05:30:00'",
                            "DEC     = '+22:15:00'"});
    ui.ChooseFilesNext(std::vector<std::string>{path});
    ASSERT_TRUE(lab->Run("LoadImg1"));
    ui.ClearRecords();
  }
};

TEST_F(MeasureCommandTest, ANewFieldIsReadAtTheImageTimeAndTheWindowsOpen) {
  LoadSlot1();
  ASSERT_TRUE(lab->Run("MeasImg1"));
  EXPECT_EQ(calls, (std::vector<std::string>{"verify 0", "field dialog", "load", "show 0 new"}));
  EXPECT_TRUE(Checked("MeasImg1"));
  EXPECT_FALSE(Enabled("LoadImg1"));  // the slot is locked while it is measured
  EXPECT_EQ(lab->currentObsParms.objectName, "Eros");
  EXPECT_EQ(lab->measureSlot, 0);
  // The field centre came from the header.
  EXPECT_NEAR(static_cast<double>(seenRequest.params.centreRA), 5.5, 1e-9);
  EXPECT_NEAR(static_cast<double>(seenRequest.params.centreDec), 22.25, 1e-9);
  // 2026-12-09 21:30 UT is JD 2461384.395833...
  EXPECT_NEAR(static_cast<double>(seenJulianDate), 2461384.3958333, 1e-6);
  EXPECT_EQ(ui.BusyDepth(), 0);
  EXPECT_GE(ui.BusyCalls(), 1);
  // The second measurement of the set uses the same field.
  calls.clear();
  ASSERT_TRUE(lab->Run("MeasImg1"));
  EXPECT_EQ(calls, (std::vector<std::string>{"verify 0", "show 0 same"}));
  // A kept chart field is discarded and the field read anew.
  calls.clear();
  kept = true;
  ASSERT_TRUE(lab->Run("MeasImg1"));
  EXPECT_EQ(calls, (std::vector<std::string>{"verify 0", "release field", "field dialog", "load", "show 0 new"}));
}

TEST_F(MeasureCommandTest, APlateSolvedHeaderGivesCentreRotationAndMirrorOfTheField) {
  // North up in FITS terms (CD2_2 > 0) with a 10-degree turn; the RA and DEC
  // cards point a little elsewhere, the WCS is finer.
  const std::string path = nightDir + "solved.fits";
  testing::WriteMiniFits(path, 6, 4, 100,
                         {"DATE-OBS= '2026-12-09T21:30:00'", "RA      = '05:31:00'", "DEC     = '+22:00:00'",
                          "CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRVAL1  = 82.5", "CRVAL2  = 22.25",
                          "CRPIX1  = 3.5", "CRPIX2  = 2.5", "CD1_1   = -5.4710132E-04", "CD1_2   = 9.6467963E-05",
                          "CD2_1   = 9.6467963E-05", "CD2_2   = 5.4710132E-04"});
  ui.ChooseFilesNext(std::vector<std::string>{path});
  ASSERT_TRUE(lab->Run("LoadImg1"));
  ASSERT_TRUE(lab->Run("MeasImg1"));
  EXPECT_NEAR(static_cast<double>(seenRequest.params.centreRA), 5.5, 1e-9);
  EXPECT_NEAR(static_cast<double>(seenRequest.params.centreDec), 22.25, 1e-9);
  // Shown with the first row at the top the field is mirrored north-south and turned by -10 degrees.
  EXPECT_NEAR(seenRequest.params.rotation, -10.0, 1e-4);
  EXPECT_TRUE(seenRequest.params.reverseNS);
  EXPECT_FALSE(seenRequest.params.reverseEW);
}

TEST_F(MeasureCommandTest, CancelledParametersLeaveTheItemUncheckedAndTheSlotFree) {
  LoadSlot1();
  obsParamsOk = false;
  ASSERT_TRUE(lab->Run("MeasImg1"));
  EXPECT_EQ(calls, (std::vector<std::string>{"verify 0"}));
  EXPECT_FALSE(Checked("MeasImg1"));
  EXPECT_TRUE(Enabled("LoadImg1"));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(MeasureCommandTest, NoStarsStopTheMeasurementAndACancelledFieldDialogEndsItQuietly) {
  LoadSlot1();
  for (int round = 0; round < 2; ++round) {
    calls.clear();
    ui.ClearRecords();
    const bool cancelled = round == 0;
    fieldDialogOk = !cancelled;
    fieldFound = false;
    ASSERT_TRUE(lab->Run("MeasImg1"));
    if (cancelled) {
      EXPECT_TRUE(ui.Messages().empty()) << ui.Messages()[0].text;
      EXPECT_EQ(calls, (std::vector<std::string>{"verify 0", "field dialog"}));
    } else {
      ASSERT_EQ(ui.Messages().size(), 1u);
      EXPECT_EQ(ui.Messages()[0].text, "No Reference Stars Found in Region!");
      EXPECT_EQ(ui.Messages()[0].caption, "Check Region Parameters");
      EXPECT_EQ(ui.Messages()[0].icon, Icon::Exclamation);
      EXPECT_EQ(calls, (std::vector<std::string>{"verify 0", "field dialog", "load"}));
    }
    EXPECT_FALSE(Checked("MeasImg1"));
    EXPECT_TRUE(Enabled("LoadImg1"));
    EXPECT_TRUE(lab->newFieldNeeded);
    EXPECT_EQ(ui.BusyDepth(), 0);
  }
}

TEST_F(MeasureCommandTest, ClearingTheReferenceFieldsResetsTheFieldRequest) {
  LoadSlot1();
  ASSERT_TRUE(lab->Run("MeasImg1"));
  lab->fieldRequest.params.centreRA = 7;
  ui.AnswerNext(Answer::Yes);
  ASSERT_TRUE(lab->Run("FieldObservationSet1"));
  EXPECT_EQ(lab->fieldRequest.params.centreRA, 0);
  EXPECT_EQ(lab->fieldRequest.params.size, lab->Options().fieldSize);
  EXPECT_TRUE(lab->newFieldNeeded);
  EXPECT_FALSE(Checked("MeasImg1"));
}

}  // namespace
}  // namespace skarvel
