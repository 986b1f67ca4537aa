// One measurement through the main window on the offscreen platform: the
// measure command, clicks in the image window, the selection dialog's
// buttons, the solution report and the observation added to the report.
// The reference field's selection is filled as picking would fill it.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <deque>
#include <functional>

#include "astrometry/report_formats.h"
#include "astrometry/ui/t_gsc_form1.h"
#include "catalogs/field_parameters.h"
#include "catalogs/online_catalogs.h"
#include "foundations/date_time.h"
#include "images/ui/t_image_form1.h"
#include "platform/ui/qt_platform.h"
#include "images/ui/t_image_text_window.h"
#include "astrometry/ui/t_info_list_form1.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_measurement.h"
#include "support/lab_environment.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/synthetic_plate.h"
#include "support/picture_path.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::ReferenceStar;
using skarvel::platform::Answer;
using skarvel::testing::PlateStar;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::SyntheticImage;
using skarvel::testing::SyntheticPlate;
using skarvel::testing::TempDir;
using skarvel::testing::PicturePath;
using skarvel::ui::ReferenceFieldLink;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TImageForm1;
using skarvel::ui::TMeasurement;

namespace {

// The desktop's platform with the questions of a measurement shown as real
// boxes: "Target Sky OK?" is placed by the platform, recorded where it stood
// and answered Yes; the other questions are answered from a queue (No when it
// is empty) without a box, and the file chooser gives the queued image.
class PlacingPlatform : public skarvel::platform::QtPlatform {
 public:
  std::deque<Answer> answers;
  std::vector<std::string> files;
  std::vector<std::string> captions;
  QRect targetSkyBox;  ///< frame of the "Target Sky OK?" box as it was shown
  std::function<void(QWidget*)> whileShown;

  Answer Message(const skarvel::platform::MessageRequest& request) override {
    captions.push_back(request.caption);
    if (request.caption == "Target Sky OK?") {
      QTimer::singleShot(50, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          targetSkyBox = box->frameGeometry();
          if (whileShown) whileShown(box);
          box->button(QMessageBox::Yes)->click();
        }
      });
      return QtPlatform::Message(request);
    }
    if (request.buttons == skarvel::platform::Buttons::Ok) return Answer::Ok;
    if (answers.empty()) return Answer::No;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<std::vector<std::string>> OpenFiles(const skarvel::platform::FileDialogRequest&) override {
    return files;
  }
  std::optional<std::string> SaveFile(const skarvel::platform::FileDialogRequest&) override { return std::nullopt; }
};

// The screen as a person sees it: the given windows drawn where they stand.
QImage ScreenPicture(const QRect& screen, const QList<QWidget*>& windows) {
  QImage picture(screen.size(), QImage::Format_RGB32);
  picture.fill(QColor(40, 60, 90));
  QPainter painter(&picture);
  for (QWidget* w : windows)
    if (w != nullptr && w->isVisible()) painter.drawPixmap(w->geometry().topLeft() - screen.topLeft(), w->grab());
  return picture;
}

}  // namespace

class TestMeasurement : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  SyntheticPlate plate_;
  std::vector<PlateStar> stars_;
  PlateStar target_;
  std::vector<ReferenceStar> selection_;
  std::vector<std::string> fieldEvents_;

  void Start(bool fakeField = true) {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    skarvel::AstrmLabEnvironment env = skarvel::testing::LabEnvironment(*root_);
    lab_ = std::make_unique<AstrmLab>(*ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    window_->runObsParams = [](skarvel::ObsParams& p, const std::string&, bool) {
      p.objectName = "Target";
      return true;
    };
    if (!fakeField) return;
    lab_->Views().fieldParametersDialog = [](skarvel::FieldRequest&) { return true; };
    lab_->Views().loadReferenceField = [](const skarvel::FieldRequest&, long double) { return true; };
    window_->showReferenceField = [this](int, bool) {
      ReferenceFieldLink link;
      link.selection = [this]() -> std::vector<ReferenceStar>& { return selection_; };
      link.setAddRemove = [this](bool on) { fieldEvents_.push_back(on ? "add on" : "add off"); };
      link.clearSelection = [this] { selection_.clear(); };
      link.close = [this] { fieldEvents_.push_back("closed"); };
      return link;
    };
  }

  // The image of the synthetic plate as a 16-bit FITS file.
  std::string WriteImage() {
    // 0.75 arc seconds per pixel: the centroid's tenth of a pixel stays below 0.1 arc second.
    plate_.arcsecPerPixel = 0.75L;
    stars_ = skarvel::testing::EightStars(plate_, 0.5L);
    target_ = skarvel::testing::TargetStar(plate_, 0.5L);
    SyntheticImage image(plate_.width, plate_.height, 1000);
    skarvel::testing::Render(image, stars_);
    skarvel::testing::Render(image, {target_});
    image.AddNoise(3, 11);
    std::vector<std::int16_t> values;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        values.push_back(static_cast<std::int16_t>(std::min(32767, image.pixels.PixelAt(x, y))));
    const std::string path = root_->Path() + "night.fits";
    skarvel::testing::WriteFitsPixels(path, image.width, image.height, values,
                                      {"OBJECT  = 'Target'", "DATE-OBS= '2026-12-09T21:30:00'",
                                       "RA      = '10:30:00'", "DEC     = '+20:15:00'"});
    return path;
  }

  // The measure command with the real field load and reference-field window;
  // the field parameters dialog answers with a field of `sizeArcmin` at (ra, dec).
  void StartWithRealField(long double raHours, long double decDeg, float sizeArcmin) {
    Start(false);
    window_->runFieldParameters = [raHours, decDeg, sizeArcmin](skarvel::FieldRequest& r) {
      r.params.centreRA = raHours;
      r.params.centreDec = decDeg;
      r.params.size = sizeArcmin;
      skarvel::DeriveSearchWindow(r.params);
      return true;
    };
  }

  bool Said(const std::string& text) const {
    for (const auto& m : ui_->Messages())
      if (m.text == text) return true;
    return false;
  }

  void Click(TImageForm1& form, const PlateStar& s, int dx = 2, int dy = -1) {
    const double scale = static_cast<double>(form.Sizing().scale);
    QTest::mouseClick(form.Canvas(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(static_cast<int>(std::lround(static_cast<double>(s.imageX) * scale)) + dx,
                             static_cast<int>(std::lround(static_cast<double>(s.imageY) * scale)) + dy));
  }

  static bool HasColourNear(const QImage& picture, int x, int y, const QColor& colour, int reach) {
    for (int yy = y - reach; yy <= y + reach; ++yy)
      for (int xx = x - reach; xx <= x + reach; ++xx)
        if (picture.rect().contains(xx, yy) && picture.pixelColor(xx, yy) == colour) return true;
    return false;
  }

 private slots:
  // A fresh installation (web catalog, no query reader): the measurement says
  // what to set and where, and does not start on an empty field.
  void aMissingCatalogIsSaidPlainly() {
    StartWithRealField(10.5L, 20.25L, 10);
    QCOMPARE(lab_->Options().catalogLocation, std::uint8_t{1});
    ui_->ChooseFilesNext(std::vector<std::string>{WriteImage()});
    window_->Action("LoadImg1")->trigger();
    const std::size_t before = ui_->Messages().size();
    window_->Action("MeasImg1")->trigger();
    // The on-line query (answered by nobody here) says why it failed itself,
    // and that one message is all: no empty region is claimed after it.
    QCOMPARE(ui_->Messages().size(), before + 1);
    QCOMPARE(QString::fromStdString(ui_->Messages().back().caption), QString("Cannot Access Online Catalog!"));
    QCOMPARE(QString::fromStdString(ui_->Messages().back().text),
             QString("VizieR \"Get\" request for Gaia DR3 failed!\r\n\r\nServer is not responding!\r\n(no "
                     "scripted response)\r\n\r\n") +
                 QString(skarvel::kVizieRFailureAdvice));
    QVERIFY(!Said("No Reference Stars Found in Region!"));
    QVERIFY(window_->Measurement() == nullptr);
    QVERIFY(!window_->Action("MeasImg1")->isChecked());
    QVERIFY(window_->Action("LoadImg1")->isEnabled());  // the slot is free again
    // Local files with the GSC folder missing: the prompt is cancelled, the folder named.
    lab_->Options().catalogLocation = 0;
    lab_->Options().primaryCatalog = skarvel::kPrimaryGSC;
    lab_->Options().vornFormatGSC = true;
    lab_->Options().gscPath1 = lab_->Options().gscPath2 = root_->Path() + "no-gsc/";
    lab_->newFieldNeeded = true;
    ui_->TypeNext(std::nullopt);
    window_->Action("MeasImg1")->trigger();
    QCOMPARE(QString::fromStdString(ui_->Messages().back().caption), QString("Star Catalog Not Available"));
    QVERIFY(QString::fromStdString(ui_->Messages().back().text)
                .startsWith(QString::fromStdString("The converted Guide Star Catalog was not found: not at \"" +
                                                   root_->Path() + "no-gsc/\".")));
    QVERIFY(!Said("No Reference Stars Found in Region!"));
    QVERIFY(window_->Measurement() == nullptr);
    ui_->AnswerNext(Answer::Yes);
    ui_->AnswerNext(Answer::No);
    ui_->AnswerNext(Answer::No);
    window_->close();
  }

  // A field whose catalog entries are all non-stellar loads; the reference
  // window says it holds no stars and the measurement starts.
  void aFieldOfNonStellarEntriesLoads() {
    // GSC 4663-3 (class 3) stands alone within 20' (tests/data/catalogs/gsc_stars.csv).
    StartWithRealField(0.11475641L, -0.7821481L, 5);
    lab_->Options().catalogLocation = 0;
    lab_->Options().primaryCatalog = skarvel::kPrimaryGSC;
    lab_->Options().vornFormatGSC = true;
    lab_->Options().gscPath1 = lab_->Options().gscPath2 = SKARVEL_TEST_DATA_DIR "/catalogs/gsc_vorn/";
    ui_->ChooseFilesNext(std::vector<std::string>{WriteImage()});
    window_->Action("LoadImg1")->trigger();
    window_->Action("MeasImg1")->trigger();
    QVERIFY(Said("No Catalog Stars Found in Region."));
    QVERIFY(!Said("No Reference Stars Found in Region!"));
    QCOMPARE(window_->Field().StarCount(), 0);
    QCOMPARE(window_->Field().NonStellarCount(), 1);
    QVERIFY(window_->ReferenceWindow() != nullptr && window_->ReferenceWindow()->isVisible());
    QVERIFY(window_->Measurement() != nullptr && window_->Measurement()->Active());
    QVERIFY(window_->Action("MeasImg1")->isChecked());
    const QImage picture = window_->ReferenceWindow()->grab().toImage();
    QVERIFY(picture.save(QString::fromStdString(root_->Path() + "non-stellar-field.png")));
    // The selection dialog and the magnifier lie on the screen, side by side;
    // a dialog grown by a longer prompt ("Solution OK?") pushes the magnifier
    // aside instead of running under it.
    TMeasurement* m = window_->Measurement();
    skarvel::ui::TCursorWindow* magnifier = m->Image().CursorWindow();
    QVERIFY(magnifier != nullptr && magnifier->isVisible());
    const QRect screen = m->Dialog().screen()->availableGeometry();
    auto placedWell = [&] {
      const QRect d = m->Dialog().frameGeometry(), g = magnifier->frameGeometry();
      return screen.contains(d) && screen.contains(g) && !d.intersects(g);
    };
    QVERIFY(placedWell());
    m->Dialog().resize(m->Dialog().width() + 120, m->Dialog().height() + 60);
    m->placeWindows();
    QVERIFY2(placedWell(), qPrintable(QString("dialog %1,%2 %3x%4, magnifier %5,%6")
                                          .arg(m->Dialog().x()).arg(m->Dialog().y())
                                          .arg(m->Dialog().width()).arg(m->Dialog().height())
                                          .arg(magnifier->x()).arg(magnifier->y())));
  }

  // In a running measurement the question "Target Sky OK?" lies within the
  // screen and leaves the magnifier it asks about in view; the dialog of
  // "Solution OK?" lies within the screen with its whole prompt and the
  // Improve button (its place beside the magnifier is checked with the real
  // reference field in aFieldOfNonStellarEntriesLoads).
  void theMeasurementsQuestionsLeaveTheMagnifierInView() {
    root_ = std::make_unique<TempDir>();
    auto placing = std::make_unique<PlacingPlatform>();
    PlacingPlatform& ui = *placing;
    lab_ = std::make_unique<AstrmLab>(ui, skarvel::testing::LabEnvironment(*root_));
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    window_ = std::make_unique<TAstrmLab>(*lab_);
    ui.SetParent(window_.get());
    window_->show();
    window_->runObsParams = [](skarvel::ObsParams& p, const std::string&, bool) {
      p.objectName = "Target";
      return true;
    };
    lab_->Views().fieldParametersDialog = [](skarvel::FieldRequest&) { return true; };
    lab_->Views().loadReferenceField = [](const skarvel::FieldRequest&, long double) { return true; };
    window_->showReferenceField = [this](int, bool) {
      ReferenceFieldLink link;
      link.selection = [this]() -> std::vector<ReferenceStar>& { return selection_; };
      link.clearSelection = [this] { selection_.clear(); };
      return link;
    };
    ui.files = {WriteImage()};
    window_->Action("LoadImg1")->trigger();
    window_->Action("MeasImg1")->trigger();
    TMeasurement* m = window_->Measurement();
    QVERIFY(m != nullptr);
    TImageForm1& form = m->Image();
    skarvel::ui::TCursorWindow* magnifier = form.CursorWindow();
    QVERIFY(magnifier != nullptr);
    // Without the reference-field window (replaced here) nothing places the
    // magnifier: it stands where a person would keep it, below the image window.
    magnifier->move(form.frameGeometry().left(), form.frameGeometry().bottom() + 1);
    magnifier->show();
    QVERIFY(QTest::qWaitForWindowExposed(magnifier));
    selection_.clear();
    for (int i = 0; i < 6; ++i) selection_.push_back(SyntheticPlate::Reference(stars_[static_cast<std::size_t>(i)], i + 1));
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    for (int i = 0; i < 3; ++i) {
      Click(form, stars_[static_cast<std::size_t>(i)]);
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    }
    QTest::mouseClick(m->Dialog().AcceptButton(), Qt::LeftButton);
    QCOMPARE(m->Dialog().windowTitle(), QString("Locate Unknown"));
    Click(form, target_);
    const QRect screen = form.screen()->availableGeometry();
    QImage asked;
    ui.whileShown = [&](QWidget* box) {
      asked = ScreenPicture(screen, {&form, &m->Dialog(), magnifier, box});
    };
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QVERIFY2(!ui.targetSkyBox.isNull(), "no \"Target Sky OK?\" box was shown");
    const QRect lens = magnifier->frameGeometry();
    QVERIFY2(screen.contains(ui.targetSkyBox),
             qPrintable(QString("box %1,%2 %3x%4 off the screen").arg(ui.targetSkyBox.x()).arg(ui.targetSkyBox.y())
                            .arg(ui.targetSkyBox.width()).arg(ui.targetSkyBox.height())));
    QVERIFY2(!ui.targetSkyBox.intersects(lens),
             qPrintable(QString("box %1,%2 %3x%4 over the magnifier %5,%6 %7x%8")
                            .arg(ui.targetSkyBox.x()).arg(ui.targetSkyBox.y()).arg(ui.targetSkyBox.width())
                            .arg(ui.targetSkyBox.height()).arg(lens.x()).arg(lens.y()).arg(lens.width())
                            .arg(lens.height())));
    QVERIFY(asked.save(PicturePath(*root_, "target_sky_question.png")));
    // "Solution OK?": the dialog on the screen, its prompt and buttons unclipped.
    QCOMPARE(m->Dialog().windowTitle(), QString("Solution OK?"));
    QVERIFY(QTest::qWaitForWindowExposed(&m->Dialog()));
    const QRect dialog = m->Dialog().frameGeometry();
    QVERIFY(screen.contains(dialog));
    QVERIFY(m->Dialog().width() >= m->Dialog().minimumSizeHint().width());
    QVERIFY(m->Dialog().height() >= m->Dialog().minimumSizeHint().height());
    QPushButton* improve = m->Dialog().ImproveButton();
    QVERIFY(improve->isVisible());
    QVERIFY(m->Dialog().rect().contains(QRect(improve->mapTo(&m->Dialog(), QPoint(0, 0)), improve->size())));
    QVERIFY(ScreenPicture(screen, {&form, &m->Dialog(), magnifier})
                .save(PicturePath(*root_, "solution_question.png")));
    ui.answers = {Answer::Yes, Answer::No, Answer::No};  // close, save nothing
    window_->close();
    window_.reset();
    lab_.reset();
  }

  void measureAnImageFromSelectionToTheReport() {
    Start();
    ui_->ChooseFilesNext(std::vector<std::string>{WriteImage()});
    window_->Action("LoadImg1")->trigger();
    QVERIFY(window_->Action("MeasImg1")->isEnabled());
    window_->Action("MeasImg1")->trigger();
    TMeasurement* m = window_->Measurement();
    QVERIFY(m != nullptr);
    QVERIFY(m->Dialog().isVisible());
    QCOMPARE(m->Dialog().windowTitle(), QString("Select Reference Stars"));
    QVERIFY(window_->Action("MeasImg1")->isChecked());
    TImageForm1& form = m->Image();
    QVERIFY(form.isVisible());
    QVERIFY(!form.Action("ZoomImage1")->isVisible());
    // Six stars picked on the reference field.
    for (int i = 0; i < 6; ++i) selection_.push_back(SyntheticPlate::Reference(stars_[static_cast<std::size_t>(i)], i + 1));
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(m->Dialog().windowTitle(), QString("Locate Reference Stars"));
    QVERIFY(form.measuring);
    QVERIFY(!form.canClose);
    // Closing the image window now is refused.
    form.close();
    QVERIFY(form.isVisible());
    for (int i = 0; i < 3; ++i) {
      Click(form, stars_[static_cast<std::size_t>(i)]);
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    }
    QVERIFY(m->Dialog().AcceptButton()->isVisible());
    // The predicted boxes of stars 4 to 6 are drawn where the stars are.
    const QImage predicted = form.Picture();
    for (std::size_t i = 3; i < 6; ++i)
      QVERIFY2(HasColourNear(predicted, static_cast<int>(stars_[i].imageX) + 1 - 8,
                             static_cast<int>(stars_[i].imageY), TImageForm1::kCurrentReference, 2),
               "a predicted box");
    predicted.save(QString::fromStdString(root_->Path() + "predicted.png"));
    QTest::mouseClick(m->Dialog().AcceptButton(), Qt::LeftButton);
    QCOMPARE(m->Dialog().windowTitle(), QString("Locate Unknown"));
    QVERIFY(!m->Dialog().AcceptButton()->isVisible());
    Click(form, target_);
    ui_->AnswerNext(Answer::Yes);  // "Target Sky OK?"
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(m->Dialog().windowTitle(), QString("Solution OK?"));
    QVERIFY(m->Dialog().ImproveButton()->isVisible());
    QVERIFY(form.Action("SolutionResults1")->isEnabled());
    QVERIFY(!form.measuring);
    QVERIFY(form.canClose);
    // The solution report window.
    QVERIFY(form.SolutionWindow() != nullptr);
    const auto& lines = form.SolutionWindow()->List().Lines();
    QCOMPARE(QString::fromStdString(lines.at(0)), QString("Image File Name: NIGHTS.FIT"));
    QCOMPARE(QString::fromStdString(lines.at(1)), QString("Object: Target"));
    QCOMPARE(QString::fromStdString(lines.at(4)), QString("Target Object:"));
    QCOMPARE(form.SolutionWindow()->List().Title(), std::string("Image 1 - Astrometric Solution"));
    {
      // The window is as wide as its widest line: nothing to scroll sideways.
      skarvel::ui::TInfoListForm1& text = form.SolutionWindow()->Window();
      QVERIFY(QTest::qWaitForWindowExposed(&text));
      QListWidget* box = text.ListBox();
      int widest = 0;
      for (int i = 0; i < box->count(); ++i)
        widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->item(i)->text()));
      QVERIFY2(box->viewport()->width() >= widest,
               qPrintable(QString("viewport %1 for lines %2 wide").arg(box->viewport()->width()).arg(widest)));
      QCOMPARE(box->horizontalScrollBar()->maximum(), 0);
      QVERIFY(text.grab().save(PicturePath(*root_, "solution_window.png")));
      // The List menu shows no empty check boxes beside Print and Save Text.
      QVERIFY(!text.Action("Print1")->isCheckable());
      QVERIFY(!text.Action("SaveText1")->isCheckable());
    }
    const double dDec = static_cast<double>((form.measurement.target.fitDec - target_.decDeg) * 3600);
    const double dRA = static_cast<double>((form.measurement.target.fitRA - target_.raHours) * 15 * 3600 *
                                           std::cos(static_cast<double>(target_.decDeg) * M_PI / 180));
    QVERIFY2(std::fabs(dDec) < 0.1 && std::fabs(dRA) < 0.1,
             qPrintable(QString("target off by %1, %2 arc seconds").arg(dRA).arg(dDec)));
    // Markers of the solved image: the target "U" and the references in the mark colour.
    const QImage solved = form.Picture();
    solved.save(QString::fromStdString(root_->Path() + "solved.png"));
    const QColor mark = form.MarkColour();
    QVERIFY(HasColourNear(solved, static_cast<int>(target_.imageX) + 1 - 8, static_cast<int>(target_.imageY), mark, 2));
    QVERIFY(HasColourNear(solved, static_cast<int>(stars_[0].imageX) + 1 - 8, static_cast<int>(stars_[0].imageY), mark, 2));
    // Cursor coordinates once solved: a press on the target shows its RA and Dec.
    Click(form, target_, 0, 0);
    QCOMPARE(form.CursorCoordinates().size(), std::size_t{2});
    QVERIFY(QString::fromStdString(form.CursorCoordinates()[0]).startsWith("RA: "));
    QVERIFY(QString::fromStdString(form.CursorCoordinates()[1]).startsWith("Dec: "));
    // Improve: remove the highest residual, solved again with five stars.
    m->Dialog().showPopup = [](QMenu&, const QPoint&) {};
    QTest::mouseClick(m->Dialog().ImproveButton(), Qt::LeftButton);
    m->Dialog().PopupMenu()->findChild<QAction*>("RemoveHighest1")->trigger();
    QCOMPARE(m->Dialog().windowTitle(), QString("Solution OK?"));
    QCOMPARE(form.measurement.plate.PairCount(), 5);
    // Accept and record.
    ui_->AnswerNext(Answer::Yes);  // "Add to Report?"
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(lab_->Report()->Count(), std::size_t{1});
    QCOMPARE(QString::fromStdString(ui_->Messages().back().text),
             QString("Measured Position of Target Placed in Report List."));
    QCOMPARE(QString::fromStdString(ui_->Messages().back().caption), QString("Measurement Recorded"));
    QVERIFY(!lab_->reportSaved);
    QCOMPARE(m->Dialog().windowTitle(), QString("Measurement Completed"));
    QCOMPARE(m->Dialog().ImproveButton()->text(), QString("&New"));
    {
      // The prompt starts at the top of the dialog: no empty band above it.
      auto* label = m->Dialog().findChild<QLabel*>("Label1");
      QVERIFY(label->text().startsWith("Press \"OK\" To Close Windows"));
      const QImage dialog = m->Dialog().grab().toImage();
      QVERIFY(dialog.save(PicturePath(*root_, "selection_completed.png")));
      const QImage top = label->grab().toImage();
      const int lineHeight = label->fontMetrics().height();
      int dark = 0;
      for (int y = 0; y < lineHeight + 2 && y < top.height(); ++y)
        for (int x = 0; x < top.width(); ++x)
          if (top.pixelColor(x, y).value() < 100) ++dark;
      QVERIFY2(dark > 20, "the first line of the prompt is empty");
      QVERIFY(label->geometry().top() < 20);
    }
    // OK closes everything after offering the solution for saving.
    const std::string sln = root_->Path() + "night.SLN";
    ui_->SaveAsNext(sln);
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QVERIFY(QFile::exists(QString::fromStdString(sln)));
    QCOMPARE(ui_->SaveDialogs().back().fileName, std::string("NIGHTS.SLN"));
    QVERIFY(!m->Active());
    QVERIFY(!form.isVisible());
    QVERIFY(!m->Dialog().isVisible());
    QCOMPARE(fieldEvents_.back(), std::string("closed"));
    QVERIFY(window_->Action("LoadImg1")->isEnabled());
    // The solution text's name is not the report data's: "&Save Report Data..."
    // still offers the date name, and the binary report goes there.
    QCOMPARE(lab_->reportFileName, std::string());
    const std::string rpt = root_->Path() + "DEC9.RPT";
    ui_->SaveAsNext(rpt);
    window_->Action("SaveData1")->trigger();
    QCOMPARE(ui_->SaveDialogs().back().title, std::string("Select File Name for Save"));
    QCOMPARE(ui_->SaveDialogs().back().fileName, std::string("Dec9.RPT"));
    QVERIFY(QFile::exists(QString::fromStdString(rpt)));
    QCOMPARE(lab_->reportFileName, std::string("DEC9.RPT"));
    ui_->AnswerNext(Answer::Yes);  // close
    ui_->AnswerNext(Answer::No);   // do not save the changed image folder
    ui_->AnswerNext(Answer::No);
    window_->close();
  }

  // Locates the first three references by clicks, the rest by Accept, then the target.
  void LocateAll(TMeasurement& m, TImageForm1& form) {
    for (int i = 0; i < 3; ++i) {
      Click(form, stars_[static_cast<std::size_t>(i)]);
      QTest::mouseClick(m.Dialog().OkButton(), Qt::LeftButton);
    }
    QTest::mouseClick(m.Dialog().AcceptButton(), Qt::LeftButton);
  }

  // A measurement recorded, then changed and accepted again: the report's
  // observation of the image is replaced after a question, and the person is
  // told it was recorded; a No keeps the old one.
  void remeasuringReplacesTheRecordedObservation() {
    Start();
    window_->runObsParams = [](skarvel::ObsParams& p, const std::string&, bool) {
      p.objectName = "1620 Geographos";
      return true;
    };
    ui_->ChooseFilesNext(std::vector<std::string>{WriteImage()});
    window_->Action("LoadImg1")->trigger();
    window_->Action("MeasImg1")->trigger();
    TMeasurement* m = window_->Measurement();
    QVERIFY(m != nullptr);
    TImageForm1& form = m->Image();
    for (int i = 0; i < 6; ++i) selection_.push_back(SyntheticPlate::Reference(stars_[static_cast<std::size_t>(i)], i + 1));
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    LocateAll(*m, form);
    Click(form, target_);
    ui_->AnswerNext(Answer::Yes);  // "Target Sky OK?"
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(m->Dialog().windowTitle(), QString("Solution OK?"));
    ui_->AnswerNext(Answer::Yes);  // "Add to Report?"
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(lab_->Report()->Count(), std::size_t{1});
    QCOMPARE(QString::fromStdString(ui_->Messages().back().caption), QString("Measurement Recorded"));
    // The name gives the 80-column line its number.
    QCOMPARE(QString::fromStdString(
                 skarvel::ObservationLines80(lab_->Report()->Observations()[0], lab_->Report()->site)[0].substr(0, 5)),
             QString("01620"));
    const long double firstRA = lab_->Report()->Observations()[0].target.fitRA;
    // Back to the references, solved anew, and the highest residual removed.
    m->runCancelOptions = [](const skarvel::CancelOptions&) { return skarvel::CancelChoice::AddDeleteReferences; };
    QTest::mouseClick(m->Dialog().CancelButton(), Qt::LeftButton);
    QCOMPARE(m->Dialog().windowTitle(), QString("Select Reference Stars"));
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    if (m->Dialog().windowTitle() == QString("Locate Reference Stars")) LocateAll(*m, form);
    QCOMPARE(m->Dialog().windowTitle(), QString("Solution OK?"));
    m->Dialog().showPopup = [](QMenu&, const QPoint&) {};
    QTest::mouseClick(m->Dialog().ImproveButton(), Qt::LeftButton);
    m->Dialog().PopupMenu()->findChild<QAction*>("RemoveHighest1")->trigger();
    QCOMPARE(m->Dialog().windowTitle(), QString("Solution OK?"));
    QCOMPARE(form.measurement.plate.PairCount(), 5);
    QVERIFY(form.measurement.target.fitRA != firstRA);
    QVERIFY(form.Action("AddToReportList1")->isEnabled());  // the new solution may go into the report
    // No to the replacement: the report keeps the first measurement.
    ui_->ClearRecords();
    ui_->AnswerNext(Answer::Yes);  // "Add to Report?"
    ui_->AnswerNext(Answer::No);   // "Replace Measurement?"
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(ui_->Captions(), (std::vector<std::string>{"Add to Report?", "Replace Measurement?"}));
    QCOMPARE(QString::fromStdString(ui_->Messages()[1].text),
             QString("The report list already holds the measurement of 1620 Geographos from Image 1.\r\n\r\n"
                     "Replace it with the new measurement?"));
    QCOMPARE(lab_->Report()->Count(), std::size_t{1});
    QCOMPARE(static_cast<double>(lab_->Report()->Observations()[0].target.fitRA), static_cast<double>(firstRA));
    QVERIFY(form.Action("AddToReportList1")->isEnabled());  // still to be recorded
    // The image window's own "&Add to Report List...", Yes: replaced, and told.
    ui_->ClearRecords();
    ui_->AnswerNext(Answer::Yes);  // "Replace Measurement?"
    form.Action("AddToReportList1")->trigger();
    QCOMPARE(ui_->Captions(), (std::vector<std::string>{"Replace Measurement?", "Measurement Recorded"}));
    QCOMPARE(lab_->Report()->Count(), std::size_t{1});
    QCOMPARE(static_cast<double>(lab_->Report()->Observations()[0].target.fitRA),
             static_cast<double>(form.measurement.target.fitRA));
    QVERIFY(!form.Action("AddToReportList1")->isEnabled());
    QCOMPARE(ui_->Unanswered(), 0);
    ui_->SaveAsNext(root_->Path() + "night.SLN");
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    ui_->AnswerNext(Answer::Yes);  // close
    ui_->AnswerNext(Answer::No);
    ui_->AnswerNext(Answer::No);
    window_->close();
  }

  void cancelInTheFieldParametersDialogEndsTheCommandQuietly() {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    lab_ = std::make_unique<AstrmLab>(*ui_, skarvel::testing::LabEnvironment(*root_));
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    window_ = std::make_unique<TAstrmLab>(*lab_);  // its own "Enter/Verify Field Parameters" dialog
    window_->show();
    window_->runObsParams = [](skarvel::ObsParams&, const std::string&, bool) { return true; };
    ui_->ChooseFilesNext(std::vector<std::string>{WriteImage()});
    window_->Action("LoadImg1")->trigger();
    ui_->ClearRecords();
    QString seen;
    QTimer::singleShot(50, [&seen] {
      if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        seen = d->windowTitle();
        if (auto* cancel = d->findChild<QPushButton*>("cancelButton")) cancel->click(); else d->reject();
      }
    });
    window_->Action("MeasImg1")->trigger();
    QCOMPARE(seen, QString("Enter/Verify Field Parameters"));
    QVERIFY2(ui_->Messages().empty(), ui_->Messages().empty() ? "" : ui_->Messages()[0].text.c_str());
    QVERIFY(window_->Measurement() == nullptr);
    QVERIFY(!window_->Action("MeasImg1")->isChecked());
    QVERIFY(window_->Action("LoadImg1")->isEnabled());
    ui_->AnswerNext(Answer::Yes);
    ui_->AnswerNext(Answer::No);
    ui_->AnswerNext(Answer::No);
    window_->close();
  }
};

QTEST_MAIN(TestMeasurement)
#include "tst_measurement.moc"
