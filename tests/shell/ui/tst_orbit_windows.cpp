// The orbit commands in the main window on the offscreen platform: the
// search dialog filled and confirmed, the progress window and messages, the
// results window with its sort menu and double click, the ephemeris window
// (its text and its picture) and the chart box up to the chart hook.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <memory>
#include <stdexcept>

#include "astrometry/ui/t_gsc_form1.h"
#include "astrometry/ui/t_info_list_form1.h"
#include "astrometry/ui/astrom_list_form.h"
#include "shell/ui/report_views.h"
#include "foundations/date_time.h"
#include "orbits/ui/t_chrt_cntrl_box.h"
#include "orbits/ui/t_ephemeris_dlg.h"
#include "orbits/ui/t_orb_srch_dlg1.h"
#include "shell/astrm_lab.h"
#include "shell/ui/orbit_windows.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/field_bodies.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::AstrmLabEnvironment;
using skarvel::ChartContent;
using skarvel::ChartFieldParameters;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TChrtCntrlBox;
using skarvel::ui::TEphemerisDlg;
using skarvel::ui::TInfoListForm1;
using skarvel::ui::TOrbSrchDlg1;

namespace {

constexpr long double kJD = 2461192.5L;

/// Record k of an ephemeris table (a missing one is a failure of the test).
const skarvel::EphemerisRecord& Rec(skarvel::RecordList<skarvel::EphemerisRecord>& table, std::int32_t k) {
  const skarvel::EphemerisRecord* r = table.GetAt(k);
  if (r == nullptr) throw std::out_of_range("no ephemeris record " + std::to_string(k));
  return *r;
}

// Runs `fill` on the next modal dialog of type D once it shows, then presses its OK button.
template <typename D>
void FillNextModal(std::function<void(D&)> fill, bool* seen) {
  QTimer::singleShot(50, [fill, seen] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    *seen = true;
    fill(*dialog);
    QTest::mouseClick(dialog->template findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
  });
}

// Counts dark pixels (text) of a picture.
int DarkPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 100) ++n;
  return n;
}

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

}  // namespace

class TestOrbitWindows : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  std::vector<std::pair<ChartContent, ChartFieldParameters>> charts_;

  void Start(bool recordCharts = true) {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    charts_.clear();
    const std::string lowell = root_->MakeDir("lowell");
    skarvel::testing::WriteConvertedFile(lowell + "ASTORB.CMO",
                                         {skarvel::testing::BodySeenAt("Faint", kJD, 150.2L, 20.1L, 1.5L, 15),
                                          skarvel::testing::BodySeenAt("Away", kJD, 200, 20),
                                          skarvel::testing::BodySeenAt("Bright", kJD, 150, 20, 1.5L, 10)});
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
      opts.Record().astorbPath = lowell;
      opts.Record().expertMode = true;
      QVERIFY(opts.Write(env.storage.currentDir));
    }
    lab_ = std::make_unique<AstrmLab>(*ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    window_ = std::make_unique<TAstrmLab>(*lab_);
    if (recordCharts)
      lab_->Orbits().Views().showChart = [this](const ChartContent& c, const ChartFieldParameters& f) {
        charts_.emplace_back(c, f);
      };
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void Stop() {
    ui_->AnswerNext(Answer::Yes);
    window_->close();
    window_.reset();
    lab_.reset();
  }

  // The search of the Lowell file through the real dialog.
  void Search() {
    bool seen = false;
    FillNextModal<TOrbSrchDlg1>(
        [](TOrbSrchDlg1& d) {
          d.JulianFormat()->click();
          d.Edit("StrtJDEd")->setText("2461192.5");
          d.Edit("RAHr1")->setText("10");
          d.Edit("DecDeg1")->setText("20");
          d.Edit("SizeEd1")->setText("2");
        },
        &seen);
    window_->RunCommand("SearchDatabase1");
    QVERIFY(seen);
  }

 private slots:
  void searchShowsProgressAndResults() {
    Start();
    Search();
    QCOMPARE(ui_->Progress().size(), std::size_t{1});
    QVERIFY(QString::fromStdString(ui_->Progress()[0].caption).startsWith("Lowell Asteroid Database of "));
    QCOMPARE(ui_->Progress()[0].text, std::string("File: ASTORB.CMO\nOrbits Analyzed: 3\nObjects Found: 2"));
    QVERIFY(!ui_->Progress()[0].open);
    QCOMPARE(ui_->Messages().size(), std::size_t{1});
    QCOMPARE(ui_->Messages()[0].text, std::string("3 Orbits Analyzed.\r\n\r\n2 Objects Meet Search Criteria."));
    QVERIFY(window_->Action("ShowSearchResults1")->isEnabled());
    QVERIFY(window_->Action("SearchDatabase1")->isChecked());
    window_->RunCommand("ShowSearchResults1");
    TInfoListForm1* results = window_->Orbits()->ResultsForm();
    QVERIFY(results->isVisible());
    QCOMPARE(results->windowTitle(), QString("Results of Asteroid Database Search"));
    QListWidget* box = results->ListBox();
    const int first = static_cast<int>(lab_->Orbits().FieldSearch().FirstResultLine());
    QCOMPARE(box->count(), static_cast<int>(lab_->Orbits().ResultsWindow().Count()));
    QVERIFY(box->item(first)->text().startsWith("(Faint) Faint"));
    QVERIFY(box->item(first + 1)->text().startsWith("(Bright) Bright"));
    // "S&ort List" / "By &Magnitude" puts the bright one first.
    results->Action("Sort3")->trigger();
    QVERIFY(results->Action("Sort3")->isChecked());
    QVERIFY(box->item(first)->text().startsWith("(Bright) Bright"));
    bool orderLine = false;
    for (int k = 0; k < box->count(); ++k)
      orderLine = orderLine || box->item(k)->text() == "    Order of List: Apparent Magnitude";
    QVERIFY(orderLine);
    Stop();
  }

  void doubleClickLoadsTheResultAndTheEphemerisFollows() {
    Start();
    Search();
    window_->RunCommand("ShowSearchResults1");
    TInfoListForm1* results = window_->Orbits()->ResultsForm();
    QVERIFY(QTest::qWaitForWindowExposed(results));
    QListWidget* box = results->ListBox();
    const int first = static_cast<int>(lab_->Orbits().FieldSearch().FirstResultLine());
    QVERIFY(!window_->Action("GenEphem1")->isEnabled());
    QVERIFY(window_->findChild<QStatusBar*>("statusLine") == nullptr);  // nothing loaded yet
    // A header line loads nothing.
    const QPoint header = box->visualItemRect(box->item(first - 2)).center();
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, header);  // a double click begins with a press
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, header);
    QVERIFY(!lab_->Orbits().Current().valid);
    QVERIFY(results->isVisible());
    QTest::qWait(QApplication::doubleClickInterval() + 100);  // two separate double clicks
    box->scrollToItem(box->item(first + 1));
    const QPoint second = box->visualItemRect(box->item(first + 1)).center();
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, second);
    QVERIFY(lab_->Orbits().Current().valid);
    QCOMPARE(lab_->Orbits().Current().elements.name, std::string("Bright"));
    QVERIFY(!results->isVisible());
    QVERIFY(window_->Action("GenEphem1")->isEnabled());
    QVERIFY(!window_->Action("ViewEphText1")->isEnabled());
    QVERIFY(window_->Action("OrbitalElements1")->isEnabled());
    // The status line says what was loaded.
    auto* status = window_->findChild<QStatusBar*>("statusLine");
    QVERIFY(status != nullptr);
    QVERIFY(status->isVisible());
    QCOMPARE(status->currentMessage(), QString("Orbital elements of Bright loaded from the search results."));
    QVERIFY(window_->grab().toImage().save(PicturePath(*root_, "main_window_status_line.png")));

    bool seen = false;
    FillNextModal<TEphemerisDlg>(
        [](TEphemerisDlg& d) {
          d.JulianFormat()->click();
          d.JulianDateField()->setText("2461192.5");
          d.PointsField()->setText("6");
        },
        &seen);
    window_->RunCommand("GenEphem1");
    QVERIFY(seen);
    TInfoListForm1* ephem = window_->Orbits()->EphemerisForm();
    QVERIFY(ephem->isVisible());
    QCOMPARE(ephem->windowTitle(), QString("VORN Ephemeris Report"));
    QCOMPARE(ephem->ListBox()->item(0)->text(), QString("Body: (Bright) Bright"));
    QCOMPARE(ephem->ListBox()->item(2)->text(), QString("Topocentric astrometric ephemerides computed for"));
    const int table = static_cast<int>(lab_->Orbits().EphemerisWindow().FirstTableLine());
    QVERIFY(ephem->ListBox()->item(table)->text().startsWith("2026 06 01   00 00 00   "));
    QVERIFY(window_->Action("ViewEphText1")->isEnabled());
    QVERIFY(window_->Action("GenEphem1")->isChecked());
    // What a person sees: the report drawn in the window.
    const QImage picture = ephem->grab().toImage();
    QVERIFY(picture.save(PicturePath(*root_, "ephemeris_report.png")));
    QVERIFY(DarkPixels(picture) > 500);
    Stop();
  }

  void chartFromTheEphemerisWindow() {
    Start();
    Search();
    QVERIFY(lab_->Orbits().LoadResult(static_cast<int>(lab_->Orbits().FieldSearch().FirstResultLine())));
    bool seen = false;
    FillNextModal<TEphemerisDlg>([](TEphemerisDlg& d) { d.PointsField()->setText("4"); }, &seen);
    window_->RunCommand("GenEphem1");
    QVERIFY(seen);
    TInfoListForm1* ephem = window_->Orbits()->EphemerisForm();
    ephem->RunCommand("Plot1");  // "&Chart"
    TChrtCntrlBox* box = window_->Orbits()->ChartBox();
    QVERIFY(box->isVisible());
    QCOMPARE(box->windowTitle(), QString("Chart Options"));
    QCOMPARE(box->Prompt()->text(), QString("Select options for chart.  Press \"OK\" when ready."));
    QVERIFY(box->PlotEphemeris()->isChecked());
    QVERIFY(box->PlotEphemeris()->isEnabled());
    QVERIFY(!box->PlotObservations()->isEnabled());
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QVERIFY(box->isVisible());
    QCOMPARE(box->windowTitle(), QString("Identify Chart Center"));
    QCOMPARE(box->Prompt()->text(),
             QString("Select an Ephemeris Record for center of chart field.  Press \"OK\" when ready."));
    QVERIFY(!box->PlotEphemeris()->isEnabled());
    // The title line is no ephemeris record.
    ephem->ListBox()->setCurrentRow(0);
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QVERIFY(box->isVisible());
    QCOMPARE(ui_->Messages().back().caption, std::string("Not an Ephemeris Record!"));
    QVERIFY(charts_.empty());
    const int table = static_cast<int>(lab_->Orbits().EphemerisWindow().FirstTableLine());
    ephem->ListBox()->setCurrentRow(table + 1);
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QVERIFY(!box->isVisible());
    QCOMPARE(charts_.size(), std::size_t{1});
    const auto& [content, field] = charts_[0];
    QCOMPARE(content.source, ChartContent::Source::Ephemeris);
    QCOMPARE(content.positions.size(), std::size_t{4});
    QCOMPARE(content.designation, std::string("Faint"));
    auto& records = lab_->Orbits().Table();
    QCOMPARE(static_cast<double>(content.positions[0].raHours), static_cast<double>(Rec(records, 1).raHours));
    QCOMPARE(static_cast<double>(content.positions[1].raHours), static_cast<double>(Rec(records, 0).raHours));
    QCOMPARE(static_cast<double>(field.centreDecDeg), static_cast<double>(Rec(records, 1).decDeg));
    QCOMPARE(static_cast<double>(field.sizeArcMin), static_cast<double>(lab_->Options().fieldSize));
    Stop();
  }

  void chartCancelFromTheMenuClosesTheReportItShowed() {
    Start();
    Search();
    QVERIFY(lab_->Orbits().LoadResult(static_cast<int>(lab_->Orbits().FieldSearch().FirstResultLine())));
    bool seen = false;
    FillNextModal<TEphemerisDlg>([](TEphemerisDlg&) {}, &seen);
    window_->RunCommand("GenEphem1");
    TInfoListForm1* ephem = window_->Orbits()->EphemerisForm();
    ephem->hide();
    window_->RunCommand("CreateChart1");
    TChrtCntrlBox* box = window_->Orbits()->ChartBox();
    QVERIFY(box->isVisible());
    QVERIFY(!box->PlotEphemeris()->isChecked());
    box->PlotEphemeris()->click();
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QVERIFY(ephem->isVisible());
    QTest::mouseClick(box->CancelButton(), Qt::LeftButton);
    QVERIFY(!box->isVisible());
    QVERIFY(!ephem->isVisible());
    QVERIFY(charts_.empty());
    Stop();
  }

  // Three measured positions in the report, a minute apart, and the report window shown.
  std::vector<double> AddMeasurements() {
    std::vector<double> times;
    for (int k = 0; k < 3; ++k) {
      skarvel::ObsParams p;
      p.objectName = "Target";
      p.number = "00433";
      p.observationTime = *skarvel::EncodeDateTime(2026, 6, 1, 3, k, 0.0L);
      skarvel::ReferenceStar target;
      target.fitRA = 10.0L + 0.01L * k;
      target.fitDec = 20.0L + 0.1L * k;
      lab_->AddObservation(p, target);
      times.push_back(p.observationTime);
    }
    lab_->Views().acknowledgement = [](skarvel::AstromObsObj&, bool) {};
    lab_->MenuOpened("ViewEdit1");
    window_->SyncMenus();
    window_->RunCommand("ShortFormat1");
    return times;
  }

  void chartOfTheMeasuredPositionsFromTheReportWindow() {
    Start();
    const std::vector<double> times = AddMeasurements();
    TInfoListForm1* report = window_->Reports().Window();
    QVERIFY(report != nullptr && report->isVisible());
    report->RunCommand("Plot1");  // the report window's "&Chart"
    TChrtCntrlBox* box = window_->Orbits()->ChartBox();
    QVERIFY(box->isVisible());
    QVERIFY(box->PlotObservations()->isChecked());
    QVERIFY(!box->PlotEphemeris()->isChecked());
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QCOMPARE(box->windowTitle(), QString("Identify Chart Center"));
    QCOMPARE(box->Prompt()->text(),
             QString("Select a Measurement Record for center of chart field.  Press \"OK\" when ready."));
    QVERIFY(report->isVisible());
    // A header line is no measurement.
    report->ListBox()->setCurrentRow(0);
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QCOMPARE(ui_->Messages().back().text, std::string("Select a Measurement Record and Press \"OK\"!"));
    QCOMPARE(ui_->Messages().back().caption, std::string("Not a Measurement Record!"));
    QVERIFY(box->isVisible());
    QVERIFY(charts_.empty());
    // The second measurement's line centres the chart on it.
    report->ListBox()->setCurrentRow(lab_->ReportWindow()->FirstLineOf(1));
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QVERIFY(!box->isVisible());
    QCOMPARE(charts_.size(), std::size_t{1});
    const auto& [content, field] = charts_[0];
    QCOMPARE(content.source, ChartContent::Source::Observations);
    QCOMPARE(content.positions.size(), std::size_t{3});
    QCOMPARE(static_cast<double>(field.centreRaHours), 10.01);
    QCOMPARE(static_cast<double>(field.centreDecDeg), 20.1);
    QCOMPARE(field.chartTime, times[1]);

    // Cancelled from the report window, the report window stays open.
    report->RunCommand("Plot1");
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QTest::mouseClick(box->CancelButton(), Qt::LeftButton);
    QVERIFY(!box->isVisible());
    QVERIFY(report->isVisible());
    // From the menu with the report window closed: the list opens for the
    // pick and closes again on Cancel.
    report->hide();
    window_->RunCommand("CreateChart1");
    QVERIFY(!box->PlotObservations()->isChecked());
    box->PlotObservations()->click();
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QVERIFY(report->isVisible());
    QTest::mouseClick(box->CancelButton(), Qt::LeftButton);
    QVERIFY(!report->isVisible());
    QCOMPARE(charts_.size(), std::size_t{1});
    Stop();
  }

  // "&Region Parameters..." of a chart reads the field again at the chart's time.
  void regionParametersOfAChartUseTheChartsTime() {
    Start(false);
    const std::vector<double> times = AddMeasurements();
    window_->runFieldParameters = [](skarvel::FieldRequest&) { return true; };
    window_->Reports().Window()->RunCommand("Plot1");
    TChrtCntrlBox* box = window_->Orbits()->ChartBox();
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    window_->Reports().Window()->ListBox()->setCurrentRow(lab_->ReportWindow()->FirstLineOf(2));
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QVERIFY(window_->ReferenceWindow() != nullptr);
    QVERIFY(window_->ReferenceWindow()->isVisible());
    const long double chartJD = 2415018.5L + static_cast<long double>(times[2]);
    QCOMPARE(static_cast<double>(window_->FieldTime()), static_cast<double>(chartJD));
    lab_->currentObsParms.observationTime = times[0] - 30;  // another time than the chart's
    QAction* region = window_->ReferenceWindow()->Action("RegionParameters1");
    QVERIFY(region != nullptr && region->isEnabled());
    region->trigger();
    QCOMPARE(static_cast<double>(window_->FieldTime()), static_cast<double>(chartJD));
    Stop();
  }

  // The field of the last measurement (its magnitude limit, rotation and
  // reversals) does not carry over into a chart: it starts from the options.
  void aChartStartsFromTheOptionsFieldParameters() {
    Start(false);
    AddMeasurements();
    skarvel::FieldParameters& p = lab_->fieldRequest.params;
    p.limitMag = 11.0f;
    p.rotation = 33.0f;
    p.reverseEW = true;
    p.reverseNS = true;
    window_->Reports().Window()->RunCommand("Plot1");
    TChrtCntrlBox* box = window_->Orbits()->ChartBox();
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    window_->Reports().Window()->ListBox()->setCurrentRow(lab_->ReportWindow()->FirstLineOf(1));
    QTest::mouseClick(box->OkButton(), Qt::LeftButton);
    QVERIFY(window_->ReferenceWindow() != nullptr && window_->ReferenceWindow()->isVisible());
    QCOMPARE(p.limitMag, lab_->Options().magLimit);
    QCOMPARE(p.rotation, 0.0f);
    QVERIFY(!p.reverseEW);
    QVERIFY(!p.reverseNS);
    Stop();
  }
};

QTEST_MAIN(TestOrbitWindows)
#include "tst_orbit_windows.moc"
