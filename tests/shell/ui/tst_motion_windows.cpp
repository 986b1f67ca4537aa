// "Use &Mean Motion..." and "Compute &Baseline..." in the main window on the
// offscreen platform: the observation picker, "Positions for Mean Motion" and
// the ephemeris parameters ending in the ephemeris window's lines; the baseline
// dialog with its two site dialogs ending in the baseline report; the Cancel
// paths; the baseline's record pickers filling its target; a picture of each dialog.
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "astrometry/ui/t_info_list_form1.h"
#include "config/ui/t_usr_parms_dlg.h"
#include "foundations/date_time.h"
#include "orbits/ui/t_baseline_dlg.h"
#include "orbits/ui/t_ephemeris_dlg.h"
#include "orbits/ui/t_mean_eph_form1.h"
#include "orbits/ui/t_obs_slct_form.h"
#include "shell/astrm_lab.h"
#include "shell/motion_session.h"
#include "shell/ui/motion_windows.h"
#include "shell/ui/obs_list_form.h"
#include "shell/ui/orbit_windows.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::AstrmLabEnvironment;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using namespace skarvel::ui;

namespace {

// Runs `act` on the modal dialog of type D as soon as it is the active modal
// window (polling, so that dialogs opened one after another are each met).
template <typename D>
void WhenModal(std::function<void(D&)> act, int* seen) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, act, seen] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    timer->stop();
    timer->deleteLater();
    ++*seen;
    act(*dialog);
    // A failed check inside `act` must not leave the command waiting on its dialog.
    if (QTest::currentTestFailed() && dialog->isVisible()) dialog->reject();
  });
  timer->start();
}

void Press(QDialog& dialog, QDialogButtonBox::StandardButton which) {
  QTest::mouseClick(dialog.findChild<QDialogButtonBox*>("buttons")->button(which), Qt::LeftButton);
}

// The dialog drawn into a PNG file and read back: its size and some text drawn on it.
void CheckPicture(QWidget& dialog, const TempDir& dir, const QString& name) {
  const QString path = QString::fromStdString(dir.Path()) + name;
  QVERIFY(dialog.grab().save(path, "PNG"));
  QImage image(path);
  QCOMPARE(image.size(), dialog.size() * dialog.devicePixelRatio());
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
  QVERIFY(dark > 200);
}

QStringList Lines(QListWidget* box) {
  QStringList lines;
  for (int k = 0; k < box->count(); ++k) lines << box->item(k)->text();
  return lines;
}

}  // namespace

class TestMotionWindows : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;

  void Start() {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(*root_);
    env.storage.currentDir = root_->MakeDir("work");
    env.storage.perUserDir = root_->Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root_->Path() + "none";
    {
      ScriptedPlatform quiet;
      skarvel::OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      QVERIFY(opts.Start());
      opts.Record().expertMode = true;
      QVERIFY(opts.Write(env.storage.currentDir));
    }
    lab_ = std::make_unique<AstrmLab>(*ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    lab_->reportDir = root_->MakeDir("reports");
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  // Two observations of one object two hours apart, one minute of RA between them.
  void AddTwo() {
    for (int k = 0; k < 2; ++k) {
      skarvel::ObsParams p;
      p.designation = "K19A12B";
      p.observationTime = *skarvel::EncodeDateTime(2019, 5, 1, 3 + 2 * k, 45, 0.0L);
      skarvel::ReferenceStar t;
      t.fitRA = 14.5L + k / 60.0L;
      t.fitDec = 10.0L;
      lab_->AddObservation(p, t);
    }
    window_->SyncMenus();
  }

  // The picker: a header line refused, then the two observations chosen.
  static void PickBoth(ObsListForm& form, ScriptedPlatform& ui) {
    form.ClickLine(1);
    QCOMPARE(ui.Messages().back().text, std::string("Not An Observation Record!"));
    QVERIFY(!form.List()->item(1)->isSelected());
    form.ClickLine(3);
    ui.AnswerNext(Answer::Yes);
    form.ClickLine(4);
  }

 private slots:
  void cleanup() {
    if (window_ && window_->isVisible()) {
      ui_->AnswerNext(Answer::Yes);
      window_->close();
    }
    window_.reset();
    lab_.reset();
  }

  void meanMotionEndsInTheEphemerisWindow() {
    Start();
    AddTwo();
    QVERIFY(lab_->Menus().At("MeanMotion1").enabled);
    int seen = 0;
    WhenModal<ObsListForm>(
        [this](ObsListForm& form) {
          QCOMPARE(form.windowTitle(), QString("Recorded Observations"));
          QCOMPARE(ui_->Messages().back().caption, std::string("Select Observations"));
          QCOMPARE(form.List()->count(), 5);
          QVERIFY(form.List()->item(3)->text().startsWith("K19A12B              2019 05 01  03 45 00  14 30 00.00  +10"));
          CheckPicture(form, *root_, "picker.png");
          PickBoth(form, *ui_);
        },
        &seen);
    WhenModal<TMeanEphForm1>(
        [this](TMeanEphForm1& form) {
          QCOMPARE(form.windowTitle(), QString("Positions for Mean Motion"));
          QCOMPARE(form.NameField()->text(), QString("K19A12B"));
          // The report's UTC 03:45:00 as TT (TT - UTC = 69.184 s).
          QCOMPARE(form.Position(1).julianDate->text(), QString("2458604.65705"));
          QCOMPARE(form.Position(2).raMinutes->text(), QString("31"));
          QVERIFY(form.Position(1).date->isEnabled());
          QVERIFY(!form.Position(1).julianDate->isEnabled());
          CheckPicture(form, *root_, "positions.png");
          Press(form, QDialogButtonBox::Ok);
        },
        &seen);
    WhenModal<TEphemerisDlg>(
        [](TEphemerisDlg& d) {
          d.JulianFormat()->click();
          d.JulianDateField()->setText("2458604.73958");
          d.PointsField()->setText("3");
          d.IntervalField()->setText("1");
          d.Days()->click();
          Press(d, QDialogButtonBox::Ok);
        },
        &seen);
    window_->RunCommand("MeanMotion1");
    QCOMPARE(seen, 3);
    QCOMPARE(lab_->Motion().Record().name, std::string("K19A12B"));
    TInfoListForm1* list = window_->Orbits()->EphemerisForm();
    QVERIFY(list->isVisible());
    const QStringList lines = Lines(list->ListBox());
    QCOMPARE(lines.value(0), QString("Body: K19A12B"));
    QCOMPARE(lines.value(2), QString("Positions are Estimated from Observed Motion - Reliability is Unknown"));
    QCOMPARE(lab_->Orbits().EphemerisWindow().TableLines(), std::size_t{3});
    const int first = static_cast<int>(lab_->Orbits().EphemerisWindow().FirstTableLine());
    // 0.2 h of RA a day along the parallel of +10 degrees: 12 minutes of RA a day;
    // the observations' UTC become TT 69.184 s later, so each TDT row stands 0.6 s of RA lower.
    QCOMPARE(lines.value(first).left(47), QString("2019 05 01   05 45 00   14 30 59.4   +10 00 00 "));
    QCOMPARE(lines.value(first + 1).left(47), QString("2019 05 02   05 45 00   14 42 59.4   +10 00 00 "));
    QCOMPARE(lines.value(first + 2).left(47), QString("2019 05 03   05 45 00   14 54 59.4   +10 00 00 "));
    QVERIFY(lines.contains("Observed Motion:"));
    QCOMPARE(lines.last(), QString(" Rate (Arc Minutes per Hour):  RA: 7.386, Dec: 0.000"));
    QVERIFY(window_->Action("ViewEphText1")->isEnabled());
  }

  void meanMotionCancelPaths() {
    Start();
    AddTwo();
    // Cancel of the picker: nothing follows.
    int seen = 0;
    WhenModal<ObsListForm>([](ObsListForm& form) { Press(form, QDialogButtonBox::Cancel); }, &seen);
    window_->RunCommand("MeanMotion1");
    QCOMPARE(seen, 1);
    // "Selections OK?" answered Cancel closes the picker too.
    WhenModal<ObsListForm>(
        [this](ObsListForm& form) {
          form.ClickLine(3);
          ui_->AnswerNext(Answer::Cancel);
          form.ClickLine(4);
        },
        &seen);
    window_->RunCommand("MeanMotion1");
    QCOMPARE(seen, 2);
    // The positions dialog stays open on two equal instants, then Cancel.
    WhenModal<ObsListForm>([this](ObsListForm& form) { PickBoth(form, *ui_); }, &seen);
    WhenModal<TMeanEphForm1>(
        [this](TMeanEphForm1& form) {
          form.Position(2).date->setText(form.Position(1).date->text());
          form.Position(2).time->setText(form.Position(1).time->text());
          Press(form, QDialogButtonBox::Ok);
          QCOMPARE(ui_->Messages().back().text, std::string("Time Span is Insufficient to Determine Motion"));
          QVERIFY(form.isVisible());
          Press(form, QDialogButtonBox::Cancel);
        },
        &seen);
    window_->RunCommand("MeanMotion1");
    QCOMPARE(seen, 4);
    QCOMPARE(lab_->Motion().Record().name, std::string(""));
    QVERIFY(!window_->Orbits()->EphemerisForm()->isVisible());
    QVERIFY(!window_->Action("ViewEphText1")->isEnabled());
  }

  void baselineEndsInItsReport() {
    Start();
    int seen = 0;
    const auto site = [this, &seen](int n, const char* name, const char* lat) {
      WhenModal<TSiteParmsDlg>(
          [this, n, name, lat](TSiteParmsDlg& d) {
            QCOMPARE(d.windowTitle(), QString("Baseline Parameters - Site%1").arg(n));
            d.Field(0)->setText(name);
            d.Field(3)->setText("111");
            d.Field(4)->setText("36");
            d.Field(5)->setText("0");
            d.West()->click();
            d.Field(6)->setText(lat);
            d.Field(7)->setText("0");
            d.Field(8)->setText("0");
            d.North()->click();
            if (n == 2) CheckPicture(d, *root_, "site.png");
            d.accept();
          },
          &seen);
    };
    WhenModal<TBaselineDlg>(
        [this, site](TBaselineDlg& d) {
          QCOMPARE(d.windowTitle(), QString("Compute Baseline Between Two Sites"));
          QVERIFY(!d.OkButton()->isEnabled());
          site(1, "Kitt Peak", "32");
          QTest::mouseClick(d.SiteButton(1), Qt::LeftButton);
          QVERIFY(!d.OkButton()->isEnabled());
          site(2, "Elsewhere", "31");
          QTest::mouseClick(d.SiteButton(2), Qt::LeftButton);
          QVERIFY(d.OkButton()->isEnabled());
          d.Target().date->setText("2019/05/01");
          d.Target().time->setText("03:45:00");
          d.Target().raHours->setText("14");
          d.Target().raMinutes->setText("30");
          d.Target().raSeconds->setText("0");
          d.Target().decDegrees->setText("-0");
          d.Target().decMinutes->setText("30");
          d.Target().decSeconds->setText("0");
          CheckPicture(d, *root_, "baseline.png");
          Press(d, QDialogButtonBox::Ok);
        },
        &seen);
    window_->RunCommand("Baseline1");
    QCOMPARE(seen, 3);
    TInfoListForm1* report = window_->Motion()->BaselineForm();
    QVERIFY(report->isVisible());
    QCOMPARE(report->windowTitle(), QString("VORN Astrometric Baseline Report"));
    const QStringList lines = Lines(report->ListBox());
    QCOMPARE(lines.size(), 14);
    QCOMPARE(lines[0], QString("  Site 1: Kitt Peak"));
    QCOMPARE(lines[1], QString::fromLatin1("    Longitude: 111\xB0 36' 0\" W"));
    QCOMPARE(lines[6], QString::fromLatin1("    Latitude:  31\xB0 0' 0\" N"));
    QCOMPARE(lines[9], QString::fromLatin1("    RA:  14h 30m 00.00s    Dec:  -0\xB0 30' 00.0\" "));
    QCOMPARE(lines[11], QString("  Date: 2019 May 01,  UT: 03:45:00"));
    // One degree of latitude along one meridian: 2 x 6378.16 x sin(0.5 deg) = 111.32 km.
    QCOMPARE(lines[13], QString("      Maximum Baseline: 111.32km,  69.17mi"));
    // The dialog is kept: its sites, their confirmations and the target come back.
    lab_->SetScreenMode(AstrmLab::kTitleScreen);
    WhenModal<TBaselineDlg>(
        [](TBaselineDlg& d) {
          QVERIFY(d.OkButton()->isEnabled());
          QCOMPARE(d.Target().raHours->text(), QString("14"));
          QCOMPARE(d.Target().date->text(), QString("2019/05/01"));
          Press(d, QDialogButtonBox::Cancel);
        },
        &seen);
    window_->RunCommand("Baseline1");
    QCOMPARE(seen, 4);
    QCOMPARE(lab_->ScreenMode(), AstrmLab::kWorkScreen);
    QCOMPARE(lab_->Motion().BaselineState()->Site(2).name, std::string("Elsewhere"));
  }

  // "Obs. &Data" and "&Eph. Data": the record picker, its wrong-line texts,
  // Cancel, and the chosen record's instant and place in the target fields.
  void baselineTargetFromRecords() {
    Start();
    AddTwo();
    // An ephemeris table of two records and its report window.
    skarvel::EphemerisRecord e;
    e.dateTime = *skarvel::EncodeDateTime(2019, 5, 2, 6, 0, 0.0L);
    e.raHours = 0.5L;
    e.decDeg = -20.75L;
    lab_->Orbits().Table().Append(e);
    e.dateTime += 1;
    lab_->Orbits().Table().Append(e);
    std::vector<std::string> report = {"Body: X", " "};
    for (const std::string& h : skarvel::EphemerisTableHeader()) report.push_back(h);
    for (std::int32_t k = 0; k < 2; ++k)
      report.push_back(skarvel::EphemerisTableLine(*lab_->Orbits().Table().GetAt(k)));
    lab_->Orbits().Table().Reset();
    report.emplace_back("note");
    lab_->Orbits().EphemerisWindow().Build(report, lab_->reportDir);
    int seen = 0;
    WhenModal<TBaselineDlg>(
        [this, &seen](TBaselineDlg& d) {
          QCOMPARE(d.ObservationDataButton()->text(), QString("Obs. &Data"));
          QCOMPARE(d.EphemerisDataButton()->text(), QString("&Eph. Data"));
          QVERIFY(d.ObservationDataButton()->isEnabled());
          QVERIFY(d.EphemerisDataButton()->isEnabled());
          const QString typedJd = d.Target().julianDate->text();
          // Cancel leaves the fields as they were.
          WhenModal<TObsSlctForm>([](TObsSlctForm& f) { Press(f, QDialogButtonBox::Cancel); }, &seen);
          QTest::mouseClick(d.ObservationDataButton(), Qt::LeftButton);
          QCOMPARE(d.Target().julianDate->text(), typedJd);
          WhenModal<TObsSlctForm>(
              [this](TObsSlctForm& f) {
                QCOMPARE(f.windowTitle(), QString("Select Observation Record"));
                QCOMPARE(f.Prompt()->text(),
                         QString("Select an Observation Record for baseline calculation.  Press \"OK\" when ready."));
                QCOMPARE(f.List()->count(), 5);
                QVERIFY(f.List()->item(4)->text().startsWith("K19A12B              2019 05 01  05 45 00"));
                // OK on nothing, then on a header line: the picker stays and says so.
                Press(f, QDialogButtonBox::Ok);
                QVERIFY(f.isVisible());
                QCOMPARE(f.windowTitle(), QString("Not an Observation Record!"));
                QCOMPARE(f.Prompt()->text(), QString("Select an Observation Record and Press \"OK\"!"));
                f.List()->setCurrentRow(2);
                Press(f, QDialogButtonBox::Ok);
                QVERIFY(f.isVisible());
                CheckPicture(f, *root_, "record-picker.png");
                f.List()->setCurrentRow(4);
                Press(f, QDialogButtonBox::Ok);
              },
              &seen);
          QTest::mouseClick(d.ObservationDataButton(), Qt::LeftButton);
          // The second observation: 2019-05-01 05:45 UT at 14h 31m, +10 degrees.
          QCOMPARE(d.Target().date->text(), QString("2019/05/01"));
          QCOMPARE(d.Target().time->text(), QString("05:45:00"));
          QCOMPARE(d.Target().julianDate->text(), QString("2458604.73958"));
          QCOMPARE(d.Target().raHours->text(), QString("14"));
          QCOMPARE(d.Target().raMinutes->text(), QString("31"));
          QCOMPARE(d.Target().decDegrees->text(), QString("10"));
          WhenModal<TObsSlctForm>(
              [](TObsSlctForm& f) {
                QCOMPARE(f.windowTitle(), QString("Select Ephemeris Record"));
                QCOMPARE(f.Prompt()->text(),
                         QString("Select an Ephemeris Record for baseline calculation.  Press \"OK\" when ready."));
                QCOMPARE(f.List()->count(), 7);
                f.List()->setCurrentRow(6);  // the note below the table
                Press(f, QDialogButtonBox::Ok);
                QCOMPARE(f.windowTitle(), QString("Not an Ephemeris Record!"));
                QCOMPARE(f.Prompt()->text(), QString("Select an Ephemeris Record and Press \"OK\"!"));
                // A double click on a table line takes it.
                QListWidgetItem* line = f.List()->item(5);
                const QPoint at = f.List()->visualItemRect(line).center();
                QTest::mouseClick(f.List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
                QTest::mouseDClick(f.List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
              },
              &seen);
          QTest::mouseClick(d.EphemerisDataButton(), Qt::LeftButton);
          QCOMPARE(d.Target().date->text(), QString("2019/05/03"));
          // The ephemeris line's 06:00:00 TDT as UT.
          QCOMPARE(d.Target().time->text(), QString("05:58:51"));
          QCOMPARE(d.Target().raHours->text(), QString("0"));
          QCOMPARE(d.Target().raMinutes->text(), QString("30"));
          QCOMPARE(d.Target().decDegrees->text(), QString("-20"));
          QCOMPARE(d.Target().decMinutes->text(), QString("45"));
          // The baseline is made for the record's place and instant.
          const auto site = [](TSiteParmsDlg& s, const char* name, const char* lat) {
            s.Field(0)->setText(name);
            s.Field(3)->setText("10");
            s.Field(4)->setText("0");
            s.Field(5)->setText("0");
            s.Field(6)->setText(lat);
            s.Field(7)->setText("0");
            s.Field(8)->setText("0");
            s.accept();
          };
          WhenModal<TSiteParmsDlg>([site](TSiteParmsDlg& s) { site(s, "A", "40"); }, &seen);
          QTest::mouseClick(d.SiteButton(1), Qt::LeftButton);
          WhenModal<TSiteParmsDlg>([site](TSiteParmsDlg& s) { site(s, "B", "41"); }, &seen);
          QTest::mouseClick(d.SiteButton(2), Qt::LeftButton);
          Press(d, QDialogButtonBox::Ok);
        },
        &seen);
    window_->RunCommand("Baseline1");
    QCOMPARE(seen, 6);
    const QStringList lines = Lines(window_->Motion()->BaselineForm()->ListBox());
    QCOMPARE(lines.size(), 14);
    QCOMPARE(lines[9], QString::fromLatin1("    RA:   0h 30m 00.00s    Dec: -20\xB0 45' 00.0\" "));
    QCOMPARE(lines[11], QString("  Date: 2019 May 03,  UT: 05:58:51"));
  }

  // Without observations or a table the data buttons are disabled.
  void baselineWithoutRecords() {
    Start();
    int seen = 0;
    WhenModal<TBaselineDlg>(
        [](TBaselineDlg& d) {
          QVERIFY(!d.ObservationDataButton()->isEnabled());
          QVERIFY(!d.EphemerisDataButton()->isEnabled());
          Press(d, QDialogButtonBox::Cancel);
        },
        &seen);
    window_->RunCommand("Baseline1");
    QCOMPARE(seen, 1);
  }

  void baselineCancel() {
    Start();
    int seen = 0;
    WhenModal<TBaselineDlg>(
        [&seen](TBaselineDlg& d) {
          // A cancelled site dialog confirms nothing.
          WhenModal<TSiteParmsDlg>([](TSiteParmsDlg& s) { s.reject(); }, &seen);
          QTest::mouseClick(d.SiteButton(2), Qt::LeftButton);
          QVERIFY(!d.OkButton()->isEnabled());
          Press(d, QDialogButtonBox::Cancel);
        },
        &seen);
    window_->RunCommand("Baseline1");
    QCOMPARE(seen, 2);
    QVERIFY(!window_->Motion()->BaselineForm()->isVisible());
    QCOMPARE(lab_->Motion().BaselineWindow().Count(), std::size_t{0});
  }
};

QTEST_MAIN(TestMotionWindows)
#include "tst_motion_windows.moc"
