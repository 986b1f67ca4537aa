// The record finder, the comet listing and the orbit statistics through the
// main window on the offscreen platform: "Find Asteroid Orbit Record" typed
// and searched, "Search Comet Orbit File" confirmed and its listing window
// (double click loads a comet), and the statistics window. Pictures of the
// finder and the listing are kept for a person to look at.
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "astrometry/ui/t_info_list_form1.h"
#include "orbits/ui/t_ast_orb_fl_dlg.h"
#include "orbits/ui/t_comet_srch_dlg1.h"
#include "shell/astrm_lab.h"
#include "shell/ui/orbit_windows.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/field_bodies.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::AstrmLabEnvironment;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;

namespace {

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

// Dark pixels (text) of a picture.
int DarkPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 100) ++n;
  return n;
}

}  // namespace

class TestOrbitToolsWindows : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;

 private slots:
  void init() {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    const std::string mpc = root_->MakeDir("mpc");
    skarvel::OrbitElements ceres = skarvel::testing::BodySeenAt("Ceres", 2461192.5L, 150, 20);
    ceres.designation = "1";
    skarvel::OrbitElements eros = skarvel::testing::BodySeenAt("Eros", 2461192.5L, 170, 20);
    eros.designation = "433";
    skarvel::testing::WriteConvertedFile(mpc + "MPCORB.CMO", {ceres, eros});
    skarvel::testing::WriteText(
        mpc + "COMET.DAT", skarvel::testing::ReadText(std::string(SKARVEL_TEST_DATA_DIR) + "/orbits/CometEls_excerpt.txt"));
    const AstrmLabEnvironment env = skarvel::testing::LabEnvironment(*root_);
    {
      ScriptedPlatform quiet;
      skarvel::OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      QVERIFY(opts.Start());
      opts.Record().mpcOrbPath = mpc;
      opts.Record().mpcCometPath = mpc;
      QVERIFY(opts.Write(env.storage.currentDir));
    }
    lab_ = std::make_unique<AstrmLab>(*ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanup() {
    ui_->AnswerNext(Answer::Yes);
    window_->close();
    window_.reset();
    lab_.reset();
  }

  void finderTypedAndSearched() {
    bool seen = false;
    QString result;
    QImage picture;
    QTimer::singleShot(50, [&] {
      auto* dialog = qobject_cast<skarvel::ui::TAstOrbFlDlg*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      seen = true;
      QCOMPARE(dialog->windowTitle(), QString("Find Asteroid Orbit Record"));
      QCOMPARE(dialog->SearchingLabel()->text(), QString("MPC Orbit Database (MPCORB)"));
      QCOMPARE(dialog->KeyField()->maxLength(), 18);
      dialog->ByNumber()->click();
      QCOMPARE(dialog->KeyField()->maxLength(), 10);
      QCOMPARE(dialog->KeyField()->toolTip(), QString("Max 10 Characters"));
      dialog->KeyField()->setText("1");
      QTest::mouseClick(dialog->SearchFromTop(), Qt::LeftButton);
      QCOMPARE(dialog->ResultLabel()->text(), QString("(1) Ceres"));
      QTest::mouseClick(dialog->ContinueSearch(), Qt::LeftButton);
      QCOMPARE(dialog->ResultLabel()->text(), QString("Record Not Found!"));
      dialog->ByName()->click();
      dialog->KeyField()->setText("ero");
      QTest::mouseClick(dialog->SearchFromTop(), Qt::LeftButton);
      result = dialog->ResultLabel()->text();
      picture = dialog->grab().toImage();
      dialog->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
    });
    window_->RunCommand("MPCDatabase1");
    QVERIFY(seen);
    QCOMPARE(result, QString("(433) Eros"));
    QVERIFY(picture.save(PicturePath(*root_, "record-finder.png")));
    QVERIFY(DarkPixels(picture) > 500);
    QVERIFY(lab_->Orbits().Current().valid);
    QCOMPARE(lab_->Orbits().Current().elements.name, std::string("Eros"));
    QVERIFY(window_->Action("GenEphem1")->isEnabled());
  }

  void cometListingAndStatistics() {
    bool seen = false;
    QTimer::singleShot(50, [&] {
      auto* dialog = qobject_cast<skarvel::ui::TCometSrchDlg1*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      seen = true;
      QCOMPARE(dialog->windowTitle(), QString("Search Comet Orbit File"));
      QVERIFY(dialog->CalendarFormat()->isChecked());
      QVERIFY(!dialog->JulianDateField()->isEnabled());
      dialog->JulianFormat()->click();
      QVERIFY(dialog->JulianDateField()->isEnabled());
      dialog->JulianDateField()->setText("2461193.0");
      emit dialog->JulianDateField()->editingFinished();
      QCOMPARE(dialog->DateField()->text(), QString("2026/06/01"));
      QCOMPARE(dialog->TimeField()->text(), QString("12:00:00"));
      dialog->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
    });
    window_->RunCommand("SearchMPCCometFile1");
    QVERIFY(seen);
    skarvel::ui::TInfoListForm1* list = window_->Orbits()->CometForm();
    QVERIFY(list->isVisible());
    QCOMPARE(list->windowTitle(), QString("Results of Comet Orbit File Search"));
    const QImage picture = list->grab().toImage();
    QVERIFY(picture.save(PicturePath(*root_, "comet-listing.png")));
    QVERIFY(DarkPixels(picture) > 2000);
    // A double click on the first comet line loads that comet and hides the listing.
    auto* lines = list->findChild<QListWidget*>();
    QVERIFY(lines != nullptr);
    QVERIFY(lines->count() > 240);
    QListWidgetItem* first = lines->item(12);
    lines->setCurrentItem(first);
    emit lines->itemDoubleClicked(first);
    QVERIFY(lab_->Orbits().Current().valid);
    QCOMPARE(lab_->Orbits().Current().source, skarvel::ElementSource::kCometFile);
    QVERIFY(!list->isVisible());

    window_->RunCommand("OrbitStatistics1");
    skarvel::ui::TInfoListForm1* stats = window_->Orbits()->StatisticsForm();
    QVERIFY(stats->isVisible());
    QCOMPARE(stats->windowTitle(), QString("MPC Asteroid Database Orbit Statistics"));
    QCOMPARE(QString::fromStdString(ui_->Messages().back().text), QString("2   Records Searched."));
  }
};

QTEST_MAIN(TestOrbitToolsWindows)
#include "tst_orbit_tools_windows.moc"
