// The image window on the offscreen platform: what it draws (grey ramp,
// mirror, inversion, markers, the click cross), the adjust dialog in both
// modes, the size dialog, zoom, closing during selection, printing to PDF,
// and "&View/Adjust..." of the main window.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include "foundations/date_time.h"
#include "images/display_mapping.h"
#include "images/fits_file.h"
#include "images/ui/t_image_form1.h"
#include "images/ui/t_img_adjst_dlg.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::DisplaySettings;
using skarvel::FITSFileObj;
using skarvel::ImageAdjustModel;
using skarvel::ImageLoadContext;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::ImageMarker;
using skarvel::ui::ImageWindowHost;
using skarvel::ui::TImageForm1;
using skarvel::ui::TImgAdjstDlg;

namespace {

constexpr int kW = 120;  // test image size, pixels
constexpr int kH = 90;
constexpr int kBase = 100;
int Value(int x, int y) { return kBase + x + 10 * y; }  // the mini FITS pixel values

// Runs `step` on the next modal dialog once it is up.
void OnModal(std::function<void(QDialog*)> step) {
  QTimer::singleShot(30, [step] {
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(modal != nullptr);
    step(modal);
  });
}

QPushButton* Button(QDialog* d, const char* name) { return d->findChild<QPushButton*>(name); }

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

QByteArray Utf16Be(const QString& s) {
  QByteArray out("\xFE\xFF", 2);
  for (QChar c : s) {
    out.append(static_cast<char>(c.unicode() >> 8));
    out.append(static_cast<char>(c.unicode() & 0xFF));
  }
  return out;
}

}  // namespace

class TestImageForm1 : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ScriptedPlatform> ui_;
  skarvel::OptionsRecord options_;
  skarvel::SearchDialogState search_;
  bool zoomHint_ = true;
  int optionsNoted_ = 0;
  std::unique_ptr<FITSFileObj> image_;
  std::unique_ptr<TImageForm1> form_;

  void Open(int slot = 0) {
    dir_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    options_ = skarvel::OptionsRecord{};
    options_.dataDir = dir_->Path();
    options_.userRecord.contactName = "Ada Observer";
    zoomHint_ = true;
    optionsNoted_ = 0;
    const std::string path = dir_->Path() + "m31.fit";
    skarvel::testing::WriteMiniFits(path, kW, kH, kBase);
    image_ = std::make_unique<FITSFileObj>(ImageLoadContext{ui_.get(), dir_->Path(), 0, nullptr, nullptr});
    QVERIFY(image_->Load(path));
    ImageWindowHost host;
    host.ui = ui_.get();
    host.options = &options_;
    host.image = [this] { return image_.get(); };
    host.noteOptionsChanged = [this] { ++optionsNoted_; };
    host.search = &search_;
    host.zoomHintPending = &zoomHint_;
    host.userName = [this] { return options_.userRecord.contactName; };
    form_ = std::make_unique<TImageForm1>(slot, std::move(host));
    QVERIFY(form_->ShowImage(slot));
    form_->show();
  }

  // The grey level the window must show for an image pixel value.
  int Grey(int v) const {
    const int index = form_->Display().BitmapIndex(v);
    const int g = form_->Display().Bitmap().palette[static_cast<std::size_t>(index)];
    return form_->Display().settings.invert ? 255 - g : g;
  }

  // Checks the picture against the image at sample points away from the scale text.
  void CheckPicture(const QImage& pic, bool mirrorLR, bool mirrorUD) {
    QCOMPARE(pic.size(), QSize(kW, kH));
    for (int y = 20; y < kH; y += 17)
      for (int x = 3; x < kW; x += 13) {
        const int ix = mirrorLR ? kW - 1 - x : x;
        const int iy = mirrorUD ? kH - 1 - y : y;
        const QColor c = pic.pixelColor(x, y);
        QCOMPARE(c.red(), Grey(Value(ix, iy)));
        QCOMPARE(c.green(), c.red());
        QCOMPARE(c.blue(), c.red());
      }
  }

 private slots:
  void drawsTheGreyRampMirroredAndInverted() {
    Open();
    QCOMPARE(form_->windowTitle(), QString("Image 1 - M31.FIT"));
    QCOMPARE(form_->Canvas()->size(), QSize(kW, kH));  // 120 x 90 fits: scale 1
    QImage pic = form_->Picture();
    pic.save(PicturePath(*dir_, "image_plain.png"));
    CheckPicture(pic, false, false);
    // The ramp: darker top-left than bottom-right, black below the display low, white above the high.
    QVERIFY(pic.pixelColor(3, 20).red() < pic.pixelColor(116, 88).red());
    QCOMPARE(pic.pixelColor(116, 88).red(), 255);
    QCOMPARE(Grey(kBase), 0);
    // The scale text "1.00" in the mark colour (green) at the top-left corner.
    bool green = false;
    for (int y = 0; y < 16 && !green; ++y)
      for (int x = 0; x < 30 && !green; ++x) green = pic.pixelColor(x, y) == QColor(0, 255, 0);
    QVERIFY(green);

    // Both mirrors: 180 degrees; then inverted, with blue marks.
    auto& s = form_->Display().settings;
    s.mirrorLeftRight = true;
    s.mirrorUpDown = true;
    form_->BuildDisplay(false);
    form_->RewritePalette();
    CheckPicture(form_->Picture(), true, true);
    s.mirrorUpDown = false;
    form_->BuildDisplay(false);
    CheckPicture(form_->Picture(), true, false);
    s.invert = true;
    form_->Canvas()->update();
    pic = form_->Picture();
    pic.save(PicturePath(*dir_, "image_inverted.png"));
    CheckPicture(pic, true, false);
    QCOMPARE(form_->MarkColour(), QColor(0, 0, 255));
  }

  void drawsMarkersAndTheClickCross() {
    Open();
    form_->markers.push_back(ImageMarker{"1", form_->MarkColour(), false, true, 40, 40});
    form_->markers.push_back(ImageMarker{"U", TImageForm1::kCurrentReference, false, false, 90, 60});
    QImage pic = form_->Picture();
    pic.save(PicturePath(*dir_, "image_markers.png"));
    // Reference box at x = 40 x s + 1 = 41, y = 40, half-width 8; dotted sky square 4 further out.
    QCOMPARE(pic.pixelColor(41, 32), QColor(0, 255, 0));  // top edge
    QCOMPARE(pic.pixelColor(33, 40), QColor(0, 255, 0));  // left edge
    QCOMPARE(pic.pixelColor(49, 44), QColor(0, 255, 0));  // right edge
    QVERIFY(pic.pixelColor(41, 40) != QColor(0, 255, 0)); // no fill
    int dotted = 0;
    for (int x = 29; x <= 53; ++x) dotted += pic.pixelColor(x, 28) == QColor(0, 255, 0) ? 1 : 0;
    QVERIFY(dotted > 4 && dotted < 25);
    // Target box: yellow, the unknown box (8 by default), no sky square.
    QCOMPARE(pic.pixelColor(91, 52), QColor(255, 255, 0));
    QVERIFY(pic.pixelColor(91, 48) != QColor(255, 255, 0));

    // A click outside measuring: the magenta cross of +-15 pixels.
    QTest::mouseClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(70, 30));
    QVERIFY(form_->Mark().inside);
    QCOMPARE(form_->Mark().x, 70);
    pic = form_->Picture();
    QCOMPARE(pic.pixelColor(85, 30), QColor(255, 0, 255));
    QCOMPARE(pic.pixelColor(70, 45), QColor(255, 0, 255));
    QVERIFY(pic.pixelColor(87, 30) != QColor(255, 0, 255));
    // While measuring a click draws no cross.
    form_->measuring = true;
    QTest::mouseClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(20, 70));
    QVERIFY(!form_->CrossShown());
    QVERIFY(form_->Picture().pixelColor(35, 70) != QColor(255, 0, 255));
  }

  void adjustDialogInWindowMode() {
    Open(1);
    // OK after moving brightness and contrast: palette only, live.
    OnModal([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QString("Adjust Image 2 Display Parameters"));
      QVERIFY(!Button(d, "applyButton")->isEnabled());
      QVERIFY(!Button(d, "restoreLeftRight")->isEnabled());
      QVERIFY(!d->findChild<QWidget*>("headerRadio")->isEnabled());  // FITS: no header range
      d->findChild<QScrollBar*>("brightnessBar")->setValue(100);
      d->findChild<QScrollBar*>("contrastBar")->setValue(100);
      QCOMPARE(d->findChild<QLabel*>("brightnessText")->text(), QString("10.0"));
      Button(d, "okButton")->click();
    });
    form_->AdjustImage();
    auto& s = form_->Display().settings;
    QCOMPARE(s.brightness, 50);
    QCOMPARE(s.contrast, 50);
    QCOMPARE(s.paletteLow, 14);
    QCOMPARE(s.paletteHigh, 22);
    QCOMPARE(form_->Display().Bitmap().palette[22], std::uint8_t{255});
    CheckPicture(form_->Picture(), false, false);
    QCOMPARE(optionsNoted_, 0);

    // Cancel restores the record and the palette.
    const DisplaySettings before = s;
    OnModal([](QDialog* d) {
      d->findChild<QScrollBar*>("brightnessBar")->setValue(-100);
      Button(d, "cancelButton")->click();
    });
    form_->AdjustImage();
    QCOMPARE(form_->Display().settings, before);
    QCOMPARE(form_->Display().Bitmap().palette[22], std::uint8_t{255});

    // Reverse left-right, apply (the window rebuilds and the dialog comes back), then OK with "Use as Defaults".
    OnModal([](QDialog* d) {
      Button(d, "reverseLeftRight")->click();
      QVERIFY(Button(d, "applyButton")->isEnabled());
      QVERIFY(Button(d, "restoreLeftRight")->isEnabled());
      QTimer::singleShot(30, [] {
        auto* again = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(again != nullptr);
        QVERIFY(!Button(again, "applyButton")->isEnabled());
        again->findChild<QCheckBox*>("useAsDefaultsBox")->setChecked(true);
        Button(again, "okButton")->click();
      });
      Button(d, "applyButton")->click();
    });
    form_->AdjustImage();
    QVERIFY(form_->Display().settings.mirrorLeftRight);
    CheckPicture(form_->Picture(), true, false);
    QCOMPARE(optionsNoted_, 1);
    QVERIFY(options_.displayDefaults.mirrorLeftRight);
    QCOMPARE(options_.displayDefaults.brightness, 50);
  }

  void adjustDialogInDefaultsMode() {
    Open();
    DisplaySettings& defaults = options_.displayDefaults;
    ImageAdjustModel model(defaults, ImageAdjustModel::Mode::Defaults, 0, defaults, 0);
    TImgAdjstDlg dialog(model);
    QCOMPARE(dialog.windowTitle(), QString("Set Image Display Parameters"));
    auto* use = dialog.findChild<QCheckBox*>("useAsDefaultsBox");
    QVERIFY(use->isChecked());
    QVERIFY(!use->isEnabled());
    OnModal([](QDialog* d) {
      d->findChild<QScrollBar*>("rangeBar")->setValue(12);
      Button(d, "reverseUpDown")->click();
      QVERIFY(!Button(d, "applyButton")->isEnabled());  // never in defaults mode
      d->findChild<QCheckBox*>("invertBox")->setChecked(true);
      Button(d, "okButton")->click();
    });
    QCOMPARE(dialog.Run(), ImageAdjustModel::Ending::Ok);
    QCOMPARE(defaults.rangeSigmas, 4.0f);
    QVERIFY(defaults.mirrorUpDown);
    QVERIFY(defaults.invert);
    QVERIFY(!defaults.originalMark);
    // Original Display, then cancel: the record as it was.
    const DisplaySettings before = defaults;
    ImageAdjustModel again(defaults, ImageAdjustModel::Mode::Defaults, 0, defaults, 0);
    TImgAdjstDlg second(again);
    OnModal([](QDialog* d) {
      Button(d, "originalButton")->click();
      QCOMPARE(d->findChild<QLabel*>("backgroundText")->text(), QString("-0.25"));
      QCOMPARE(d->findChild<QLabel*>("rangeText")->text(), QString("2.00"));
      QVERIFY(d->findChild<QLabel*>("originalLamp")->property("on").toBool());
      Button(d, "cancelButton")->click();
    });
    QCOMPARE(second.Run(), ImageAdjustModel::Ending::Cancel);
    QCOMPARE(defaults, before);
  }

  void resizeAndZoom() {
    Open();
    OnModal([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QString("Adjust Image 1 Display Size"));
      auto* bar = d->findChild<QScrollBar*>("widthBar");
      QCOMPARE(bar->maximum(), kW);  // never wider than the image
      QCOMPARE(bar->minimum(), 100);
      bar->setValue(500);
      QCOMPARE(bar->value(), kW);
      bar->setValue(100);
      Button(d, "okButton")->click();
    });
    form_->ResizeImage();
    QCOMPARE(form_->Canvas()->size(), QSize(100, 75));
    QCOMPARE(static_cast<double>(form_->Sizing().scale), 100.0 / kW);
    // A palette change shows on the resampled picture too: brighter everywhere but at white.
    const QColor before = form_->Picture().pixelColor(50, 40);
    QVERIFY(before.red() > 0 && before.red() < 255);
    form_->Display().settings.brightness = 30;
    skarvel::UpdatePaletteBounds(form_->Display().settings);
    form_->RewritePalette();
    QVERIFY(form_->Picture().pixelColor(50, 40).red() > before.red());

    // Zoom: the one-time hint, then a right-drag of 40 by 25 gives a 40 x 40 square.
    form_->ZoomImage();
    QCOMPARE(ui_->Messages().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(ui_->Messages()[0].text).left(41),
             QString("Place the Cursor on the upper left corner"));
    QVERIFY(form_->zoomMode);
    QTest::mousePress(form_->Canvas(), Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseMove(form_->Canvas(), QPoint(50, 35));
    QTest::mouseRelease(form_->Canvas(), Qt::RightButton, {}, QPoint(50, 35));
    QCOMPARE(form_->zoomSquare, (skarvel::ScreenRect{10, 10, 50, 50}));
    QTest::mouseDClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(form_->zoomed);
    QCOMPARE(form_->Canvas()->size(), QSize(100, 100));
    form_->Picture().save(PicturePath(*dir_, "image_zoomed.png"));
    // Zoomed: the image region (10 / s, 10 / s) = (12, 12) to (60, 60) fills the 100 x 100 client,
    // 0.48 image pixels per client pixel.
    const QImage zoomedPic = form_->Picture();
    QCOMPARE(zoomedPic.pixelColor(25, 50).red(), Grey(Value(12 + 12, 12 + 24)));
    QCOMPARE(zoomedPic.pixelColor(75, 90).red(), Grey(Value(12 + 36, 12 + 43)));
    const int bar = form_->menuBar()->sizeHint().height();
    QCOMPARE(form_->size(), QSize(100, 100 + bar));  // the window is the square client and its menu
    form_->ClearZoom();
    QVERIFY(!form_->zoomed && !form_->zoomMode);
    QCOMPARE(form_->Canvas()->size(), QSize(100, 75));
    QCOMPARE(form_->size(), QSize(100, 75 + bar));  // no band left below the image
    form_->ZoomImage();  // no second hint
    QCOMPARE(ui_->Messages().size(), std::size_t{1});
    // Resized while zoomed, the view leaves the zoom with the height that
    // fits the image at the new width (not the height from before the zoom).
    QTest::mousePress(form_->Canvas(), Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseMove(form_->Canvas(), QPoint(40, 40));
    QTest::mouseRelease(form_->Canvas(), Qt::RightButton, {}, QPoint(40, 40));
    QTest::mouseDClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(form_->zoomed);
    OnModal([](QDialog* d) {
      d->findChild<QScrollBar*>("widthBar")->setValue(110);
      Button(d, "okButton")->click();
    });
    form_->ResizeImage();
    QCOMPARE(form_->Canvas()->size(), QSize(110, 110));
    QTest::mouseDClick(form_->Canvas(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!form_->zoomed);
    QCOMPARE(form_->Canvas()->size(), QSize(110, 82));  // 110 x 90 / 120 = 82.5, halves to even
    QCOMPARE(form_->size(), QSize(110, 82 + bar));
    const QImage unzoomed = form_->grab().toImage();
    QVERIFY(unzoomed.save(PicturePath(*dir_, "image_unzoomed.png")));
    // The picture reaches the window's bottom row: the image's last rows, not a band.
    QCOMPARE(unzoomed.height(), 82 + bar);
    QVERIFY(unzoomed.pixelColor(55, unzoomed.height() - 1) == form_->Picture().pixelColor(55, 81));
  }

  void closingRefusedDuringSelectionAndPrintingToPdf() {
    Open();
    form_->canClose = false;
    form_->close();
    QVERIFY(form_->isVisible());
    QCOMPARE(ui_->Beeps(), 1);
    form_->canClose = true;

    const QString pdf = QString::fromStdString(dir_->Path() + "image.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(form_->PrintAll(printer));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.contains(Utf16Be("Skarvel - Ada Observer")));
    QVERIFY(bytes.contains("/Subtype /Image"));
    const auto lines = form_->InfoLines();
    QCOMPARE(lines.size(), std::size_t{2});  // the mini FITS has no RA and DEC
    QCOMPARE(QString::fromStdString(lines[1].text), QString("Image Width: 120 Pixels,  Height: 90 Pixels"));
    form_->close();
    QVERIFY(!form_->isVisible());
  }

  void viewAdjustShowsTheChosenWindows() {
    TempDir root;
    ScriptedPlatform ui;
    skarvel::AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(root);
    env.storage.currentDir = root.MakeDir("work");
    env.storage.perUserDir = root.Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root.Path() + "none";
    env.clock = [] { return *skarvel::EncodeDateTime(2026, 12, 9, 22, 0, 0.0L); };
    AstrmLab lab(ui, env);
    QCOMPARE(lab.Create(), AstrmLab::StartResult::Running);
    auto window = std::make_unique<skarvel::ui::TAstrmLab>(lab);
    window->show();
    const std::string one = root.Path() + "one.fits";
    skarvel::testing::WriteMiniFits(one, 16, 12, 10);
    ui.ChooseFilesNext(std::vector<std::string>{one});
    window->Action("LoadImg1")->trigger();
    TImageForm1* form = window->ImageWindow(0);
    QVERIFY(form != nullptr);
    QVERIFY(form->HasValidImage());
    QVERIFY(fs_exists(lab.Options().dataDir + "ones.BMP"));  // "one.fits" less ".fit"
    form->hide();
    form->move(300, 300);
    OnModal([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QString("Display Image(s)"));
      auto* b1 = d->findChild<QCheckBox*>("image1Box");
      auto* b2 = d->findChild<QCheckBox*>("image2Box");
      QVERIFY(b1->isEnabled() && b1->isChecked());
      QVERIFY(!b2->isEnabled() && !b2->isChecked());
      d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    window->Action("ViewAdjust1")->trigger();
    QVERIFY(form->isVisible());
    QCOMPARE(form->pos(), QPoint(0, 0));
    QVERIFY(!window->Action("LoadImg1")->isEnabled());  // the slot is locked while viewed
    form->close();
    QVERIFY(window->Action("LoadImg1")->isEnabled());
    ui.AnswerNext(skarvel::platform::Answer::Yes);
    ui.AnswerNext(skarvel::platform::Answer::No);
    window->close();
  }

 private:
  static bool fs_exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }
};

QTEST_MAIN(TestImageForm1)
#include "tst_image_form1.moc"
