// "Find Moving &Objects..." on the demo night: the four images placed on the
// sky by the catalog read for them, (433) Eros the one candidate, named from
// the demo's orbit file as seen from Kitt Peak; its track drawn on every image
// window and on the blink display where it stands, and "&Measure" making it
// the target of every image.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QHeaderView>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "astrometry/ui/t_moving_form1.h"
#include "demo/demo_support.h"
#include "foundations/file_system.h"
#include "images/ui/t_blink_form1.h"
#include "images/ui/t_image_form1.h"
#include "make_demo.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/picture_path.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::platform::Answer;
using skarvel::testing::DemoImageTruth;
using skarvel::testing::PicturePath;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TBlinkForm1;
using skarvel::ui::TImageForm1;
using skarvel::ui::TMovingForm1;

namespace {

// Pixels of `colour` at a distance from..to of (x, y).
int PixelsAround(const QImage& picture, const QColor& colour, double x, double y, double from, double to) {
  int n = 0;
  for (int v = static_cast<int>(y - to) - 1; v <= static_cast<int>(y + to) + 1; ++v)
    for (int u = static_cast<int>(x - to) - 1; u <= static_cast<int>(x + to) + 1; ++u) {
      const double d = std::hypot(u - x, v - y);
      if (d < from || d > to || !picture.rect().contains(u, v)) continue;
      n += picture.pixelColor(u, v).rgb() == colour.rgb();
    }
  return n;
}

}  // namespace

class TestDemoMoving : public QObject {
  Q_OBJECT

  TempDir root_;
  std::string work_ = root_.MakeDir("demo-night");
  std::string demo_ =
      skarvel::fs::WithTrailingSeparator(std::filesystem::absolute(SKARVEL_DEMO_DIR).lexically_normal().string());
  ScriptedPlatform ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  std::vector<DemoImageTruth> truth_;

 private slots:
  void initTestCase() {
    QCOMPARE(skarvel::demo::InstallSession(demo_, work_), 0);
    skarvel::AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(root_);
    env.storage.currentDir = work_;
    env.storage.perUserDir = root_.Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root_.Path() + "no-mounts";
    env.clock = [] { return *skarvel::EncodeDateTime(2026, 12, 9, 21, 0, 0.0L); };
    lab_ = std::make_unique<AstrmLab>(ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    lab_->Options().maximizeBlink = false;
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    truth_ = skarvel::testing::ReadTruth();
    QVERIFY(!window_->Action("MovingObjects1")->isEnabled());
    std::vector<std::string> files;
    for (const auto& t : truth_) files.push_back(work_ + "images/" + t.file);
    // Two images are too few to search.
    ui_.ChooseFilesNext(std::vector<std::string>(files.begin(), files.begin() + 2));
    window_->RunCommand("MultipleLoad1");
    QVERIFY(window_->Action("Blink1")->isEnabled());
    QVERIFY(!window_->Action("MovingObjects1")->isEnabled());
    ui_.AnswerNext(Answer::Yes);  // clear the images loaded
    window_->RunCommand("Object1");
    ui_.ChooseFilesNext(files);
    window_->RunCommand("MultipleLoad1");
    QVERIFY(window_->Action("MovingObjects1")->isEnabled());
    QCOMPARE(window_->Action("MovingObjects1")->text(), QString("Find Moving &Objects..."));
  }

  void erosIsListedNamedAndDrawn() {
    const std::size_t messagesBefore = ui_.Messages().size();
    window_->RunCommand("MovingObjects1");
    TMovingForm1* m = window_->MovingWindow();
    QVERIFY(m != nullptr);
    QVERIFY(m->isVisible());
    QCOMPARE(m->windowTitle(), QString("Moving Objects"));
    QCOMPARE(ui_.Messages().size(), messagesBefore);  // nothing to tell
    QCOMPARE(m->List()->topLevelItemCount(), 1);
    QTreeWidgetItem* row = m->List()->topLevelItem(0);
    QCOMPARE(row->text(0), QString("(433) Eros"));
    // 104" an hour to the south-west, magnitude 12, on the straight line to a tenth of an arc second.
    QVERIFY(std::fabs(row->text(1).toDouble() - 104.0 / 60) < 0.05);
    QVERIFY(std::fabs(row->text(3).toDouble() - truth_[0].targetMag) < 0.3);
    QVERIFY(row->text(4).toDouble() < 0.3);
    // Predicted for the site of the session (Kitt Peak) at the images' TT: within the measuring
    // error of the window's own field (0.5"; the command line's 0.05" on the same images).
    QVERIFY2(row->text(5).toDouble() < 1.0, qPrintable(row->text(5)));
    QCOMPARE(m->Status()->text(), QString("1 moving object(s) found."));
    {
      // Every column is in view, the last (Pred.-Meas.) too, and the window lies on the screen.
      QVERIFY(QTest::qWaitForWindowExposed(m));
      QTreeWidget* list = m->List();
      const int last = list->columnCount() - 1;
      QVERIFY2(list->header()->sectionViewportPosition(last) + list->header()->sectionSize(last) <=
                   list->viewport()->width(),
               qPrintable(QString("columns %1 wide in %2").arg(list->header()->length()).arg(list->viewport()->width())));
      QVERIFY(list->header()->sectionSize(last) >=
              list->header()->fontMetrics().horizontalAdvance(list->headerItem()->text(last)));
      QVERIFY(m->screen()->availableGeometry().contains(m->frameGeometry()));
      QVERIFY(m->grab().save(PicturePath(root_, QString("demo-moving-window.png"))));
    }
    const auto& c = m->Model().Candidates()[0];
    for (std::size_t k = 0; k < 4; ++k) {
      QVERIFY(c.detected[k]);
      QVERIFY(std::hypot(static_cast<double>(c.positions[k].x) - truth_[k].targetX,
                         static_cast<double>(c.positions[k].y) - truth_[k].targetY) < 0.5);
    }

    // The track on every image window: the chosen candidate's ring (orange)
    // around Eros in that image, none over the field's far corner.
    for (int k = 0; k < 4; ++k) {
      TImageForm1* w = window_->ImageWindow(k);
      QVERIFY(w != nullptr);
      QCOMPARE(w->tracks.size(), std::size_t{1});
      QCOMPARE(w->tracks[0].current, k);
      QVERIFY(w->tracks[0].selected);
      const QImage picture = w->Picture();
      QVERIFY(picture.save(PicturePath(root_, QString("demo-moving-image-%1.png").arg(k + 1))));
      const double s = static_cast<double>(w->Sizing().scale);
      const double x = truth_[static_cast<std::size_t>(k)].targetX * s, y = truth_[static_cast<std::size_t>(k)].targetY * s;
      const int ring = PixelsAround(picture, skarvel::ui::kSelectedTrackColour, x, y, skarvel::ui::kTrackRing - 2,
                                    skarvel::ui::kTrackRing + 2);
      QVERIFY2(ring > 20, qPrintable(QString("image %1: %2 ring pixels").arg(k + 1).arg(ring)));
      QCOMPARE(PixelsAround(picture, skarvel::ui::kSelectedTrackColour, x, y, 0, 2.5), 0);  // Eros itself stays visible
      QCOMPARE(PixelsAround(picture, skarvel::ui::kSelectedTrackColour, picture.width() - 40, 40, 0, 30), 0);
    }

    // On the blink display: the shown image's ring where Eros stands in it.
    window_->RunCommand("Blink1");
    TBlinkForm1* b = window_->BlinkWindow();
    QVERIFY(b != nullptr);
    const double s = static_cast<double>(b->Size().scale);
    for (int frame = 0; frame < 2; ++frame) {
      b->ShowFrame(frame);
      const int slot = b->ShownSlot();
      const QImage picture = b->Picture();
      QVERIFY(picture.save(PicturePath(root_, QString("demo-moving-blink-%1.png").arg(frame + 1))));
      const double x = truth_[static_cast<std::size_t>(slot)].targetX * s, y = truth_[static_cast<std::size_t>(slot)].targetY * s;
      const int ring = PixelsAround(picture, skarvel::ui::kSelectedTrackColour, x, y, skarvel::ui::kTrackRing - 2,
                                    skarvel::ui::kTrackRing + 2);
      QVERIFY2(ring > 20, qPrintable(QString("blink frame %1: %2 ring pixels").arg(frame + 1).arg(ring)));
    }
    b->AlignmentDialog()->CancelButton()->click();
    b->close();
  }

  void measureMakesErosTheTargetOfEveryImage() {
    TMovingForm1* m = window_->MovingWindow();
    QVERIFY(m != nullptr);
    for (int k = 0; k < 4; ++k) QVERIFY(!window_->ImageWindow(k)->measurement.targetLocated);
    QVERIFY(m->MeasureButton()->isEnabled());
    QTest::mouseClick(m->MeasureButton(), Qt::LeftButton);
    for (int k = 0; k < 4; ++k) {
      const auto& meas = window_->ImageWindow(k)->measurement;
      QVERIFY(meas.targetLocated);
      QCOMPARE(static_cast<double>(meas.target.flux), 0.0);
      const double d = std::hypot(static_cast<double>(meas.target.imageX) - truth_[static_cast<std::size_t>(k)].targetX,
                                  static_cast<double>(meas.target.imageY) - truth_[static_cast<std::size_t>(k)].targetY);
      QVERIFY2(d < 0.5, qPrintable(QString("image %1: %2 pixels off").arg(k + 1).arg(d)));
      // The object of the image's observation parameters, for the report.
      const auto& params = window_->ImageWindow(k)->obsParams;
      QCOMPARE(params.number, std::string("433"));
      QCOMPARE(params.objectName, std::string("Eros"));
      QVERIFY(params.designation.empty());
    }
    // Closing the window takes the tracks off the images.
    m->close();
    for (int k = 0; k < 4; ++k) QVERIFY(window_->ImageWindow(k)->tracks.empty());
  }

  void loadingAnImageEndsTheSearch() {
    window_->RunCommand("MovingObjects1");
    QVERIFY(window_->MovingWindow() != nullptr);
    QVERIFY(!window_->ImageWindow(1)->tracks.empty());
    ui_.ChooseFilesNext(std::vector<std::string>{work_ + "images/" + truth_[1].file});
    window_->RunCommand("LoadImg2");
    QVERIFY(window_->MovingWindow() == nullptr);
    for (int k = 0; k < 4; ++k) QVERIFY(window_->ImageWindow(k)->tracks.empty());
  }

  void cleanupTestCase() {
    ui_.AnswerNext(Answer::Yes);
    ui_.AnswerNext(Answer::No);
    ui_.AnswerNext(Answer::No);
    window_->close();
  }
};

QTEST_MAIN(TestDemoMoving)
#include "tst_demo_moving.moc"
