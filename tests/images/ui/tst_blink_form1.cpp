// The blink comparator through the main window on the offscreen platform:
// "&Blink..." with two, three and four images, the alignment dialog's clicks
// and Continue presses, the shifts in the image windows, the blink options
// and frame order, the timer, a reloaded image aligned alone, the window
// size and a zoomed region blinked.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "images/ui/t_blink_form1.h"
#include "images/ui/t_image_form1.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/lab_environment.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/synthetic_image.h"
#include "support/picture_path.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::BlinkOptions;
using skarvel::BlinkPoint;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::SyntheticImage;
using skarvel::testing::TempDir;
using skarvel::testing::PicturePath;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TBlinkForm1;

namespace {

// The two stars of every image, before its own offset (image pixels).
constexpr double kStars[2][2] = {{100, 100}, {300, 200}};

}  // namespace

class TestBlinkForm1 : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  int written_ = 0;

  void Start() {
    root_ = std::make_unique<TempDir>();
    written_ = 0;
    ui_ = std::make_unique<ScriptedPlatform>();
    lab_ = std::make_unique<AstrmLab>(*ui_, skarvel::testing::LabEnvironment(*root_));
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    lab_->Options().maximizeBlink = false;  // M = 512
    lab_->Options().expertMode = true;      // no replace questions
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
  }

  void Stop() {
    if (TBlinkForm1* b = window_->BlinkWindow()) {
      if (b->Blinking()) b->Stop();
      b->close();
    }
    ui_->AnswerNext(Answer::Yes);
    ui_->AnswerNext(Answer::No);
    ui_->AnswerNext(Answer::No);
    window_->close();
    window_.reset();
    lab_.reset();
  }

  // An image with the two stars moved by (dx, dy) and a target at (tx, ty).
  std::string WriteImage(double dx, double dy, double tx, double ty, int width = 400, int height = 300) {
    SyntheticImage image(width, height, 1000);
    for (const auto& s : kStars) image.AddStar(s[0] + dx, s[1] + dy, 20000, 1.6);
    image.AddStar(tx, ty, 8000, 1.6);
    image.AddNoise(3, static_cast<unsigned>(11 + written_));
    std::vector<std::int16_t> values;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        values.push_back(static_cast<std::int16_t>(std::min(32767, image.pixels.PixelAt(x, y))));
    const std::string path = root_->Path() + "frame" + std::to_string(++written_) + ".fits";
    skarvel::testing::WriteFitsPixels(path, image.width, image.height, values,
                                      {"OBJECT  = 'Target'", "DATE-OBS= '2026-12-09T21:30:00'"});
    return path;
  }

  void Load(int slot, const std::string& path) {
    ui_->ChooseFilesNext(std::vector<std::string>{path});
    window_->RunCommand(QString("LoadImg%1").arg(slot + 1));
    QVERIFY(lab_->Slots()[static_cast<std::size_t>(slot)].Loaded());
  }

  // Clicks near the two stars of the image shown (offset by dx, dy) and presses Continue after each.
  void AlignShown(TBlinkForm1& b, double dx, double dy) {
    const double s = static_cast<double>(b.Size().scale);
    for (const auto& star : kStars) {
      QTest::mouseClick(b.Canvas(), Qt::LeftButton, {},
                        QPoint(static_cast<int>(std::lround((star[0] + dx + 1.5) * s)),
                               static_cast<int>(std::lround((star[1] + dy - 1) * s))));
      QTest::mouseClick(b.AlignmentDialog()->ContinueButton(), Qt::LeftButton);
    }
  }

  QString Message(TBlinkForm1& b) { return b.AlignmentDialog()->MessageLabel()->text(); }

 private slots:
  void twoImagesAlignAndBlinkWithoutTheOptions() {
    Start();
    Load(0, WriteImage(0, 0, 200, 150));
    Load(1, WriteImage(3, -2, 210, 154));
    QVERIFY(window_->Action("Blink1")->isEnabled());
    window_->RunCommand("Blink1");
    TBlinkForm1* b = window_->BlinkWindow();
    QVERIFY(b != nullptr && b->isVisible());
    QVERIFY(!window_->ImageWindow(0)->isVisible());
    QVERIFY(!window_->Action("ClearImages1")->isEnabled());
    QVERIFY(!window_->Action("LoadImages1")->isEnabled());
    QCOMPARE(b->Canvas()->size(), QSize(400, 300));
    QCOMPARE(b->Frames(), (std::vector<int>{0, 1}));
    QVERIFY(b->AlignmentDialog()->isVisible());
    QCOMPARE(b->AlignmentDialog()->windowTitle(), QString("Select Star for Image Positioning"));
    QCOMPARE(Message(*b), QString("Select a star for field alignment."));
    QCOMPARE(b->windowTitle(), QString("Blinking Images: Image 1 - FRAME1S.FIT"));
    QVERIFY(!b->Action("Blink1")->isEnabled());  // the blink menus wait for the alignment
    QVERIFY(!b->canClose);
    // Continue before any click: the system's message, the step stays.
    QTest::mouseClick(b->AlignmentDialog()->ContinueButton(), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(ui_->Messages().back().text), QString("Please Make a Valid Selection!"));
    AlignShown(*b, 0, 0);
    QCOMPARE(Message(*b), QString(" Select the 1st alignment star on Image 2."));
    QCOMPARE(b->windowTitle(), QString("Blinking Images: Image 2 - FRAME2S.FIT"));
    AlignShown(*b, 3, -2);
    QVERIFY(!b->AlignmentDialog()->isVisible());
    QCOMPARE(b->optionsShown, 0);  // two images never open the options by themselves
    const auto& a = lab_->blinkAlignments;
    QVERIFY(a[0].aligned && a[1].aligned);
    QVERIFY2(std::fabs(static_cast<double>(a[1].shift.x) + 3) < 0.15 && std::fabs(static_cast<double>(a[1].shift.y) - 2) < 0.15,
             qPrintable(QString("shift %1, %2").arg(static_cast<double>(a[1].shift.x)).arg(static_cast<double>(a[1].shift.y))));
    QCOMPARE(window_->ImageWindow(1)->registrationX, a[1].shift.x);
    QCOMPARE(window_->ImageWindow(1)->registrationY, a[1].shift.y);
    QVERIFY(b->Action("Blink1")->isEnabled());
    // The rate, then the timer: frames in order, wrapping; the slots locked while it runs.
    b->runRate = [](int interval) {
      return interval == 500 ? std::optional<int>(200) : std::nullopt;
    };
    b->Rate();
    QCOMPARE(b->Interval(), 200);
    b->Blink();
    QVERIFY(b->Blinking());
    QCOMPARE(b->Timer().interval(), 200);
    QVERIFY(!window_->Action("LoadImg1")->isEnabled());
    QVERIFY(!b->Action("BlinkOptions1")->isEnabled());
    QVERIFY(b->Action("Stop1")->isEnabled());
    std::vector<int> shown;
    for (int tick = 0; tick < 3; ++tick) {
      b->Tick();
      shown.push_back(b->ShownSlot());
    }
    QCOMPARE(shown, (std::vector<int>{1, 0, 1}));
    b->close();
    QVERIFY(b->isVisible());  // closing is refused while blinking
    b->Stop();
    QVERIFY(!b->Blinking());
    QVERIFY(b->Action("BlinkOptions1")->isEnabled());
    b->close();
    QVERIFY(!b->isVisible());
    QVERIFY(window_->Action("ClearImages1")->isEnabled());
    QVERIFY(window_->Action("LoadImg1")->isEnabled());
    // Slot 2 loaded anew: only that image is asked for its stars next time.
    Load(1, WriteImage(-4, 5, 215, 160));
    QVERIFY(!lab_->blinkAlignments[1].aligned);
    QVERIFY(lab_->blinkAlignments[0].aligned);
    window_->RunCommand("Blink1");
    QCOMPARE(b->Alignment()->CurrentSlot(), 1);
    QCOMPARE(Message(*b), QString(" Select the 1st alignment star on Image 2."));
    AlignShown(*b, -4, 5);
    QVERIFY(std::fabs(static_cast<double>(lab_->blinkAlignments[1].shift.x) - 4) < 0.15);
    QVERIFY(std::fabs(static_cast<double>(lab_->blinkAlignments[1].shift.y) + 5) < 0.15);
    Stop();
  }

  void targetIdentifiedOnEachImageAndAlignmentAgain() {
    Start();
    Load(0, WriteImage(0, 0, 200, 150));
    Load(1, WriteImage(3, -2, 212, 155));
    window_->RunCommand("Blink1");
    TBlinkForm1* b = window_->BlinkWindow();
    AlignShown(*b, 0, 0);
    AlignShown(*b, 3, -2);
    // "&Image Display": the image's own adjust dialog, its window hidden again.
    int adjusted = 0;
    window_->ImageWindow(1)->runAdjustDialog = [&adjusted](skarvel::ImageAdjustModel&) {
      ++adjusted;
      return skarvel::ImageAdjustModel::Ending::Ok;
    };
    b->Action("DisplayImage2")->trigger();
    QCOMPARE(adjusted, 1);
    QVERIFY(b->Action("DisplayImage2")->isChecked());
    QVERIFY(!b->Action("DisplayImage1")->isChecked());
    QVERIFY(!b->Action("DisplayImage3")->isVisible());
    QVERIFY(!window_->ImageWindow(1)->isVisible());
    // "Identify &Target": a click on the target of each image, Continue.
    b->Action("IdentifyTarget1")->trigger();
    QVERIFY(b->AlignmentDialog()->isVisible());
    QCOMPARE(b->AlignmentDialog()->windowTitle(), QString("Identify Target Object for Measurements"));
    QCOMPARE(Message(*b), QString("Identify the Target Object on Image 1."));
    QTest::mouseClick(b->Canvas(), Qt::LeftButton, {}, QPoint(201, 151));
    QTest::mouseClick(b->AlignmentDialog()->ContinueButton(), Qt::LeftButton);
    QCOMPARE(Message(*b), QString("Identify the Target Object on Image 2."));
    // Image 2 is drawn moved by its shift (-3, 2): its target shows at (209, 157).
    QTest::mouseClick(b->Canvas(), Qt::LeftButton, {}, QPoint(209, 157));
    QTest::mouseClick(b->AlignmentDialog()->ContinueButton(), Qt::LeftButton);
    for (int slot = 0; slot < 2; ++slot) {
      const auto& m = window_->ImageWindow(slot)->measurement;
      QVERIFY(m.targetLocated);
      QCOMPARE(static_cast<double>(m.target.flux), 0.0);
    }
    const auto& t1 = window_->ImageWindow(0)->measurement.target;
    const auto& t2 = window_->ImageWindow(1)->measurement.target;
    QVERIFY(std::hypot(static_cast<double>(t1.imageX) - 200, static_cast<double>(t1.imageY) - 150) < 0.3);
    QVERIFY(std::hypot(static_cast<double>(t2.imageX) - 212, static_cast<double>(t2.imageY) - 155) < 0.3);
    QVERIFY(!b->isVisible());  // every target known: the blink window closed
    QVERIFY(window_->Action("ClearImages1")->isEnabled());
    // Blinked again, "Field &Alignment..." asks every image for its stars anew.
    window_->RunCommand("Blink1");
    QVERIFY(!b->AlignmentDialog()->isVisible());  // both aligned: nothing to ask
    b->Action("FieldAlignment1")->trigger();
    QVERIFY(b->AlignmentDialog()->isVisible());
    QVERIFY(!lab_->blinkAlignments[1].aligned);
    QCOMPARE(b->Alignment()->CurrentSlot(), 0);
    QCOMPARE(Message(*b), QString(" Select the 1st alignment star on Image 1."));
    // A star taken, then Cancel: the stars as they were when the dialog
    // opened (none, after the reset), the menus back.
    QTest::mouseClick(b->Canvas(), Qt::LeftButton, {}, QPoint(101, 99));
    QTest::mouseClick(b->AlignmentDialog()->ContinueButton(), Qt::LeftButton);
    QVERIFY(std::fabs(static_cast<double>(lab_->blinkAlignments[0].star1.x) - 100) < 0.1);
    QTest::mouseClick(b->AlignmentDialog()->CancelButton(), Qt::LeftButton);
    QVERIFY(!b->AlignmentDialog()->isVisible());
    QCOMPARE(static_cast<double>(lab_->blinkAlignments[0].star1.x), 0.0);
    QVERIFY(!lab_->blinkAlignments[0].aligned);
    QVERIFY(b->Action("Blink1")->isEnabled());
    Stop();
  }

  void threeImagesFrameChoicesThreeNoneOneNone() {
    Start();
    Load(0, WriteImage(0, 0, 200, 150));
    Load(1, WriteImage(2, 1, 205, 152));
    Load(2, WriteImage(-1, 3, 210, 154));
    window_->RunCommand("Blink1");
    TBlinkForm1* b = window_->BlinkWindow();
    QCOMPARE(b->Frames(), (std::vector<int>{0, 1, 2}));
    int asked = 0;
    b->runOptions = [&asked](const BlinkOptions& o, int last) -> std::optional<BlinkOptions> {
      ++asked;
      BlinkOptions chosen = o;
      chosen.Choose(0, 2, last);
      chosen.Choose(1, skarvel::kBlinkNoImage, last);
      chosen.Choose(2, 0, last);
      chosen.Choose(3, skarvel::kBlinkNoImage, last);
      return chosen;
    };
    AlignShown(*b, 0, 0);
    AlignShown(*b, 2, 1);
    AlignShown(*b, -1, 3);
    QCOMPARE(asked, 1);  // three frames: the options open after the alignment
    QCOMPARE(b->Frames(), (std::vector<int>{2, 0}));
    b->Blink();
    std::vector<QString> captions{b->windowTitle()};
    for (int tick = 0; tick < 3; ++tick) {
      b->Tick();
      captions.push_back(b->windowTitle());
    }
    QCOMPARE(captions, (std::vector<QString>{"Blinking Images: Image 3 - FRAME3S.FIT", "Blinking Images: Image 1 - FRAME1S.FIT",
                                             "Blinking Images: Image 3 - FRAME3S.FIT", "Blinking Images: Image 1 - FRAME1S.FIT"}));
    b->Stop();
    Stop();
  }

  void optionsDialogRefusesTooFewImages() {
    Start();
    Load(0, WriteImage(0, 0, 200, 150));
    Load(1, WriteImage(0, 0, 200, 150));
    Load(2, WriteImage(0, 0, 200, 150));
    skarvel::ui::TBlinkOptions dialog(BlinkOptions::Defaults(2), 2, *ui_);
    dialog.show();
    // Image 4 does not exist: beep and None.
    const int beeps = ui_->Beeps();
    dialog.Frame(3)->setCurrentIndex(3);
    emit dialog.Frame(3)->activated(3);
    QCOMPARE(ui_->Beeps(), beeps + 1);
    QCOMPARE(dialog.Frame(3)->currentText(), QString("None"));
    // One image alone: "Need 2 Images"; Cancel of that box leaves the dialog.
    for (int k : {1, 2}) {
      dialog.Frame(k)->setCurrentIndex(4);
      emit dialog.Frame(k)->activated(4);
    }
    ui_->AnswerNext(Answer::Cancel);
    dialog.accept();
    QCOMPARE(QString::fromStdString(ui_->Messages().back().text),
             QString("Not Enough Images to Blink!\r\n\r\nSpecify at Least 2 Images."));
    QCOMPARE(QString::fromStdString(ui_->Messages().back().caption), QString("Need 2 Images"));
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Rejected));
    Stop();
  }

  // "Set Blink &Region (Zoom)..." in the middle of the alignment ends its steps.
  void settingARegionEndsTheAlignmentSteps() {
    Start();
    Load(0, WriteImage(0, 0, 200, 150));
    Load(1, WriteImage(3, -2, 210, 154));
    window_->RunCommand("Blink1");
    TBlinkForm1* b = window_->BlinkWindow();
    QVERIFY(b->Alignment() != nullptr);
    QVERIFY(b->Alignment()->Step() != skarvel::kBlinkFinished);
    QTest::mousePress(b->Canvas(), Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(b->Canvas()->cursor().shape(), Qt::CrossCursor);  // a step wants the click
    QTest::mouseRelease(b->Canvas(), Qt::LeftButton, {}, QPoint(40, 40));
    b->SetRegion();  // no hint in expert mode
    QCOMPARE(b->Alignment()->Step(), static_cast<int>(skarvel::kBlinkFinished));
    QTest::mousePress(b->Canvas(), Qt::LeftButton, {}, QPoint(40, 40));
    QVERIFY(b->Canvas()->cursor().shape() != Qt::CrossCursor);
    QTest::mouseRelease(b->Canvas(), Qt::LeftButton, {}, QPoint(40, 40));
    Stop();
  }

  void blinkIntervalDialog() {
    skarvel::ui::TBlnkTmrDlg dialog(250);
    QCOMPARE(dialog.windowTitle(), QString("Set Blink Interval"));
    QCOMPARE(dialog.Bar()->minimum(), 10);
    QCOMPARE(dialog.Bar()->maximum(), 1000);
    QCOMPARE(dialog.Bar()->pageStep(), 100);
    QCOMPARE(dialog.Bar()->value(), 250);
    QVERIFY(dialog.findChild<QLabel*>() != nullptr);
    QCOMPARE(dialog.findChild<QLabel*>("intervalText")->text(), QString("250"));
    dialog.findChild<QPushButton*>("defaultButton")->click();
    QCOMPARE(dialog.Bar()->value(), 500);
    QCOMPARE(dialog.findChild<QLabel*>("intervalText")->text(), QString("500"));
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.findChild<QPushButton*>("okButton")->click(); });
    QCOMPARE(dialog.Run(), std::optional<int>(500));
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.findChild<QPushButton*>("cancelButton")->click(); });
    QCOMPARE(dialog.Run(), std::optional<int>());
  }

  void aLargeImageAndAZoomedRegion() {
    Start();
    Load(0, WriteImage(0, 0, 600, 400, 1024, 768));
    Load(1, WriteImage(6, -4, 620, 410, 1024, 768));
    window_->RunCommand("Blink1");
    TBlinkForm1* b = window_->BlinkWindow();
    QCOMPARE(b->Canvas()->size(), QSize(512, 384));
    QCOMPARE(static_cast<double>(b->Size().scale), 0.5);
    AlignShown(*b, 0, 0);
    AlignShown(*b, 6, -4);
    QVERIFY(std::fabs(static_cast<double>(lab_->blinkAlignments[1].shift.x) + 3) < 0.1);  // screen pixels: -6 x 0.5
    // A region around the first star, dragged with the right button.
    ui_->AnswerNext(Answer::Ok);  // the one-time hint
    b->SetRegion();
    QVERIFY(b->regionMode);
    QCOMPARE(b->Alignment()->Step(), static_cast<int>(skarvel::kBlinkFinished));
    // With the alignment done a left click does not track (no crosshair).
    QTest::mousePress(b->Canvas(), Qt::LeftButton, {}, QPoint(40, 40));
    QVERIFY(b->Canvas()->cursor().shape() != Qt::CrossCursor);
    QTest::mouseRelease(b->Canvas(), Qt::LeftButton, {}, QPoint(40, 40));
    QTest::mousePress(b->Canvas(), Qt::RightButton, {}, QPoint(30, 30));
    QTest::mouseMove(b->Canvas(), QPoint(70, 60));
    QTest::mouseRelease(b->Canvas(), Qt::RightButton, {}, QPoint(70, 60));
    QCOMPARE(b->region, (skarvel::ScreenRect{30, 30, 70, 70}));
    b->Blink();
    QVERIFY(b->blinkZoomed);
    QCOMPARE(b->Canvas()->size(), QSize(512, 512));  // square while a region blinks
    // Each frame shows its own image's region moved back by its shift: the
    // star stands on the same client pixel in both. Its centre: (100 - 30 x 2) x 512 / 80.
    const int cx = static_cast<int>(std::lround((100 - 60) * 512.0 / 80)), cy = cx;
    const QImage first = b->Picture();
    b->Tick();
    QCOMPARE(b->ShownSlot(), 1);
    const QImage second = b->Picture();
    QVERIFY(first.save(PicturePath(*root_, "blink_region_1.png")));
    QVERIFY(second.save(PicturePath(*root_, "blink_region_2.png")));
    QVERIFY2(first.pixelColor(cx, cy).value() > 200 && second.pixelColor(cx, cy).value() > 200,
             qPrintable(QString("%1 %2").arg(first.pixelColor(cx, cy).value()).arg(second.pixelColor(cx, cy).value())));
    b->Stop();
    QCOMPARE(b->Canvas()->size(), QSize(512, 384));
    Stop();
  }
};

QTEST_MAIN(TestBlinkForm1)
#include "tst_blink_form1.moc"
