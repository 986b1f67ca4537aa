// The whole road of the demo night through the GUI on the offscreen
// platform: load the four images, measure (433) Eros on each (pick catalog
// stars in the reference field, click them in the image, locate the target,
// solve), add each measurement to the report, check the short report's
// observation lines against the truth, save and reload the report data,
// find Eros by a field search of the MPC database and compare an ephemeris
// with the measured places. SKARVEL_SCREENSHOT_DIR keeps the pictures (the
// README's tutorial shows them).
#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "astrometry/reference_field.h"
#include "astrometry/report_list.h"
#include "astrometry/ui/t_gsc_form1.h"
#include "demo/demo_support.h"
#include "demo/ui/demo_window.h"
#include "foundations/file_system.h"
#include "images/ui/t_image_form1.h"
#include "make_demo.h"
#include "orbits/ephemeris_form.h"
#include "orbits/search_form.h"
#include "shell/astrm_lab.h"
#include "shell/orbit_session.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_measurement.h"
#include "support/scripted_platform.h"
#include "support/picture_path.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::CatalogStar;
using skarvel::RefSelection;
using skarvel::platform::Answer;
using skarvel::testing::ClickImage;
using skarvel::testing::DemoImageTruth;
using skarvel::testing::StartDemoWindow;
using skarvel::testing::UsableStar;
using skarvel::testing::UsableStars;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::testing::PicturePath;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TGSCForm1;
using skarvel::ui::TImageForm1;
using skarvel::ui::TMeasurement;

namespace {

// Reads the right ascension (columns 33-44) and declination (45-56) of an
// MPC 80-column observation line, counted from 1 as the MPC's layout does.
bool ReadPlace(const std::string& line, double& raHours, double& decDeg) {
  if (line.size() < 80) return false;
  const std::string ra = line.substr(32, 12), dec = line.substr(44, 12);
  const double h = std::stod(ra.substr(0, 2)), m = std::stod(ra.substr(3, 2)), s = std::stod(ra.substr(6));
  const double d = std::stod(dec.substr(1, 2)), dm = std::stod(dec.substr(4, 2)), ds = std::stod(dec.substr(7));
  raHours = h + m / 60 + s / 3600;
  decDeg = (dec[0] == '-' ? -1 : 1) * (d + dm / 60 + ds / 3600);
  return true;
}

}  // namespace

class TestDemoNight : public QObject {
  Q_OBJECT

  TempDir root_;
  std::string work_ = root_.MakeDir("demo-night");
  std::string demo_ = skarvel::testing::DemoFolder();
  ScriptedPlatform ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  std::vector<DemoImageTruth> truth_;

  void Start() { StartDemoWindow(root_, work_, demo_, ui_, lab_, window_, truth_); }

  // Measures Eros on image `slot` from the measure command to "Measurement Completed".
  void Measure(int slot) {
    const DemoImageTruth& t = truth_[static_cast<std::size_t>(slot)];
    window_->Action(QString("MeasImg%1").arg(slot + 1))->trigger();
    TMeasurement* m = window_->Measurement();
    if (m == nullptr || !m->Active()) {
      for (const auto& msg : ui_.Messages()) qWarning("%s | %s", msg.caption.c_str(), msg.text.c_str());
    }
    QVERIFY(m != nullptr && m->Active());
    TGSCForm1* field = window_->ReferenceWindow();
    QVERIFY(field != nullptr && field->isVisible());
    QVERIFY(field->AddRemove());
    field->runRefInfo = [](const skarvel::RefInfoView&, const skarvel::PickCandidate&) {
      return skarvel::ui::RefInfoAnswer{true, true, true};
    };
    // The selection of the image before stays; stars of this image are picked afresh.
    if (slot > 0) {
      QVERIFY(!field->Model().Entries().empty());
      field->ClearReselect();
      QVERIFY(field->Model().Entries().empty());
      QCOMPARE(m->Selection().CurrentStep(), RefSelection::kSelect);
    }
    const std::vector<UsableStar> usable = UsableStars(*window_, *field, t);
    QVERIFY2(usable.size() >= 6, "six catalog stars in the image");
    const std::size_t count = std::min<std::size_t>(usable.size(), 10);
    for (std::size_t i = 0; i < count; ++i)
      QTest::mouseClick(field->Canvas(), Qt::LeftButton, Qt::NoModifier,
                        QPoint(usable[i].star.screenX, usable[i].star.screenY));
    QCOMPARE(field->Model().Entries().size(), count);
    if (slot == 0) {
      field->Picture().save(PicturePath(root_, "demo-reference-field.png"));
      // The picked stars are drawn with their numbers where they were clicked.
      const QImage pic = field->Picture();
      const int v = pic.pixelColor(usable[0].star.screenX, usable[0].star.screenY).value();
      QVERIFY(field->Model().Inverted() ? v < 160 : v > 100);  // the star's image, on white when inverted
      QCOMPARE(pic.pixelColor(usable[0].star.screenX + 20, usable[0].star.screenY - 20).value(),
               field->Model().Inverted() ? 255 : 0);
    }
    // The reference field is drawn like the image: one scale on both axes.
    // Between any two picked stars, the picture distance over the image
    // distance is the same (within the rounding of the picture's pixels),
    // whichever way the pair lies.
    {
      double lo = 1e9, hi = 0;
      for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = i + 1; j < count; ++j) {
          const double image = std::hypot(usable[i].x - usable[j].x, usable[i].y - usable[j].y);
          if (image < 150) continue;
          const double picture = std::hypot(usable[i].star.screenX - usable[j].star.screenX,
                                            usable[i].star.screenY - usable[j].star.screenY);
          lo = std::min(lo, picture / image);
          hi = std::max(hi, picture / image);
        }
      QVERIFY2(hi > 0 && hi / lo < 1.03, qPrintable(QString("picture/image scale from %1 to %2").arg(lo).arg(hi)));
    }
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kLocate);
    TImageForm1& form = m->Image();
    if (slot == 0) {
      // The reference field beside its image, as the screen shows them.
      const QImage left = field->Picture();
      const QImage right = form.Picture();
      QImage both(left.width() + 8 + right.width(), std::max(left.height(), right.height()), QImage::Format_RGB32);
      both.fill(QColor(64, 64, 64));
      QPainter p(&both);
      p.drawImage(0, 0, left);
      p.drawImage(left.width() + 8, 0, right);
      p.end();
      QVERIFY(both.save(PicturePath(root_, "demo-field-beside-image.png")));
    }
    // The first three by hand, the rest by prediction.
    for (int k = 0; k < 3; ++k) {
      ClickImage(form, usable[static_cast<std::size_t>(k)].x + 1.5, usable[static_cast<std::size_t>(k)].y - 1);
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    }
    QTest::mouseClick(m->Dialog().AcceptButton(), Qt::LeftButton);
    for (int guard = 0; guard < 20 && m->Selection().CurrentStep() == RefSelection::kLocate; ++guard)
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);  // a star the prediction missed is left out
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kUnknown);
    ClickImage(form, t.targetX + 1, t.targetY + 1);
    QVERIFY(form.measurement.targetLocated);
    ui_.AnswerNext(Answer::Yes);  // the sky border is clean
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    // A neighbour in the target's sky frame: the user reads the sky at an
    // empty spot nearby, as the dialog asks.
    const double spots[][2] = {{0, 40}, {40, 0}, {0, -40}, {-40, 0}, {30, 30}, {-30, -30}};
    for (const auto& spot : spots) {
      if (m->Selection().CurrentStep() != RefSelection::kSky) break;
      ClickImage(form, t.targetX + spot[0], t.targetY + spot[1]);
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    }
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kSolved);
    const double off = skarvel::testing::ArcsecApart(static_cast<double>(form.measurement.target.fitRA),
                                                     static_cast<double>(form.measurement.target.fitDec), t.targetRA,
                                                     t.targetDec);
    // Ten hand-picked references of a 2"-pixel image: a third of an arc second (image 2 of the
    // night drawn at TT is measured 0.31" off).
    QVERIFY2(off < 0.35, qPrintable(QString("image %1: Eros measured %2 arc seconds from the truth").arg(slot + 1).arg(off)));
    if (slot == 0) {
      // Improve: the worst reference out, then the cross-term model; the
      // solution stays within the limit.
      m->Dialog().showPopup = [](QMenu&, const QPoint&) {};
      const int before = form.measurement.plate.PairCount();
      QTest::mouseClick(m->Dialog().ImproveButton(), Qt::LeftButton);
      m->Dialog().PopupMenu()->findChild<QAction*>("RemoveHighest1")->trigger();
      QCOMPARE(m->Selection().CurrentStep(), RefSelection::kSolved);
      QCOMPARE(form.measurement.plate.PairCount(), before - 1);
      m->Dialog().ModelAction(1)->trigger();
      QCOMPARE(m->Selection().CurrentStep(), RefSelection::kSolved);
      QCOMPARE(form.measurement.Constants().size(), std::size_t{8});
      QVERIFY(m->Dialog().ModelAction(1)->isChecked());
      const double improved = skarvel::testing::ArcsecApart(static_cast<double>(form.measurement.target.fitRA),
                                                            static_cast<double>(form.measurement.target.fitDec),
                                                            t.targetRA, t.targetDec);
      QVERIFY2(improved < 0.3, qPrintable(QString("after improving: %1 arc seconds").arg(improved)));
      form.Picture().save(PicturePath(root_, "demo-image-solved.png"));
      m->Dialog().grab().save(PicturePath(root_, "demo-selection-dialog.png"));
    }
    ui_.AnswerNext(Answer::Yes);  // "Add to Report?"
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kCompleted);
    ui_.SaveAsNext(std::nullopt);  // the solution report is not kept
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QVERIFY(!m->Active());
    // The solution text is offered in the session's own image folder.
    QVERIFY(!ui_.SaveDialogs().empty());
    QCOMPARE(QString::fromStdString(ui_.SaveDialogs().back().directory), QString::fromStdString(work_ + "images/"));
  }

  // Every file of the demo folder with its size and time: nothing the
  // program writes may change it.
  static std::vector<std::string> Listing(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
      if (!e.is_regular_file()) continue;
      out.push_back(e.path().string() + " " + std::to_string(e.file_size()) + " " +
                    std::to_string(e.last_write_time().time_since_epoch().count()));
    }
    std::sort(out.begin(), out.end());
    return out;
  }

 private slots:
  void theWholeNight() {
    const std::vector<std::string> demoBefore = Listing(demo_);
    Start();
    // 1. The four images at once from the session's image folder, in the
    // order the dialog lists them: EROS001 in slot 1.
    QCOMPARE(QString::fromStdString(lab_->imageDir), QString::fromStdString(work_ + "images/"));
    std::vector<std::string> files;
    for (const auto& t : truth_) files.push_back(work_ + "images/" + t.file);
    ui_.ChooseFilesNext(files);
    window_->Action("MultipleLoad1")->trigger();
    QCOMPARE(QString::fromStdString(ui_.OpenDialogs().back().directory), QString::fromStdString(work_ + "images/"));
    for (int slot = 0; slot < 4; ++slot) {
      QVERIFY(window_->Action(QString("MeasImg%1").arg(slot + 1))->isEnabled());
      QCOMPARE(QString::fromStdString(lab_->Slots()[static_cast<std::size_t>(slot)].image->fileName),
               QString::fromStdString(files[static_cast<std::size_t>(slot)]));
    }
    window_->grab().save(PicturePath(root_, "demo-main-window.png"));
    // 2. Each image measured and added to the report.
    for (int slot = 0; slot < 4; ++slot) {
      Measure(slot);
      if (QTest::currentTestFailed()) return;
    }
    QCOMPARE(lab_->Report()->Count(), std::size_t{4});
    // The work screen says which images are measured and what the report holds.
    {
      const QFontMetrics metrics(window_->ClientArea()->font());
      std::vector<std::string> texts;
      for (const auto& line : lab_->WorkScreenLines(
               634, [&](const std::string& t) { return metrics.horizontalAdvance(QString::fromStdString(t)); }, 13))
        texts.push_back(line.text);
      QCOMPARE(std::count(texts.begin(), texts.end(), std::string("measured, in the report")), 4L);
      QCOMPARE(QString::fromStdString(texts.back()), QString("The report holds 4 observations."));
      window_->ClientArea()->update();
      window_->grab().save(PicturePath(root_, "demo-main-window-measured.png"));
    }
    // 3. The short (electronic) report: one 80-column line per image, in time order.
    // The acknowledgement dialog: the observer leaves its texts as they are.
    lab_->Views().acknowledgement = [](skarvel::AstromObsObj&, bool) {};
    lab_->MenuOpened("ViewEdit1");  // opening the submenu shows its format items
    window_->SyncMenus();
    QVERIFY(window_->Action("ShortFormat1")->isVisible());
    QVERIFY(window_->Action("ShortFormat1")->isEnabled());
    window_->Action("ShortFormat1")->trigger();
    QVERIFY(lab_->ReportWindow() != nullptr);
    const auto lines = lab_->ReportWindow()->Lines();
    int checked = 0;
    for (const std::string& line : lines) {
      if (line.size() != 80 || line.substr(0, 5) != "00433") continue;
      const DemoImageTruth& t = truth_[static_cast<std::size_t>(checked)];
      QCOMPARE(QString::fromStdString(line.substr(77, 3)), QString("695"));
      QCOMPARE(line[14], 'C');
      QCOMPARE(QString::fromStdString(line.substr(15, 10)), QString::fromStdString(t.dateObs.substr(0, 4) + " " + t.dateObs.substr(5, 2) + " " + t.dateObs.substr(8, 2)));
      double ra = 0, dec = 0;
      QVERIFY(ReadPlace(line, ra, dec));
      const double off = skarvel::testing::ArcsecApart(ra, dec, t.targetRA, t.targetDec);
      QVERIFY2(off < 0.4, qPrintable(QString("line %1 is %2 arc seconds from the truth: %3").arg(checked + 1).arg(off).arg(QString::fromStdString(line))));
      ++checked;
    }
    QCOMPARE(checked, 4);
    // 4. Save and reload the report data.
    const std::string rpt = root_.Path() + "eros.rpt";
    ui_.SaveAsNext(rpt);
    window_->RunCommand("SaveData1");
    QVERIFY(std::filesystem::exists(rpt));
    QVERIFY(lab_->reportSaved);
    lab_->Report()->SetRecords(nullptr, nullptr, true, nullptr);
    QCOMPARE(lab_->Report()->Count(), std::size_t{0});
    ui_.ChooseFilesNext(std::vector<std::string>{rpt});
    window_->RunCommand("LoadData1");
    QCOMPARE(lab_->Report()->Count(), std::size_t{4});
    // 5. A field search of the MPC database at image 1's field and time finds Eros.
    lab_->Orbits().Views().searchDialog = [](skarvel::SearchDialogLogic& logic) {
      logic.FromImage(0);
      return logic.Ok();
    };
    window_->RunCommand("SearchMPCDatabase1");
    auto& results = lab_->Orbits().ResultsWindow();
    results.Rebuild(root_.Path());
    int erosLine = -1;
    for (std::size_t i = 0; i < results.Lines().size(); ++i)
      if (results.Lines()[i].find("Eros") != std::string::npos) erosLine = static_cast<int>(i);
    QVERIFY2(erosLine >= 0, "Eros among the search results");
    QVERIFY(lab_->Orbits().LoadResult(erosLine));
    window_->ShowStatusLine();
    QCOMPARE(window_->statusBar()->currentMessage(),
             QString("Orbital elements of (433) Eros loaded from the search results."));
    // 6. An ephemeris from image 1's time, at the images' half-hour steps,
    // agrees with the measured places.
    const auto& obs = lab_->Report()->Observations();
    lab_->Orbits().Views().ephemerisDialog = [&obs](skarvel::EphemerisDialogLogic& logic) {
      logic.fields.dateFormat = 1;
      logic.fields.julianDate = std::to_string(2415018.5 + obs.front().params.observationTime);
      logic.fields.points = "4";
      logic.fields.interval = "0.50";
      logic.fields.unitsPerDay = 24;
      return logic.Ok();
    };
    window_->RunCommand("GenEphem1");
    auto& table = lab_->Orbits().Table();
    QCOMPARE(static_cast<int>(table.Size()), 4);
    for (std::int32_t i = 0; i < 4; ++i) {
      const auto* row = table.GetAt(i);
      QVERIFY(row != nullptr);
      const auto& e = *row;
      const auto& o = obs[static_cast<std::size_t>(i)].target;
      const double apart = skarvel::testing::ArcsecApart(static_cast<double>(e.raHours), static_cast<double>(e.decDeg),
                                                         static_cast<double>(o.fitRA), static_cast<double>(o.fitDec));
      QVERIFY2(apart < 10, qPrintable(QString("ephemeris line %1 is %2 arc seconds from the measurement").arg(i + 1).arg(apart)));
    }
    ui_.AnswerNext(Answer::Yes);  // close
    ui_.AnswerNext(Answer::No);
    ui_.AnswerNext(Answer::No);
    window_->close();
    // Nothing of the night was written into the demo folder.
    QVERIFY(demoBefore == Listing(demo_));
  }

  // The observation parameters dialog of the measure command looks the
  // object up in the session's orbit files: the number 433 gives the name.
  void measuringChecksTheObjectAgainstTheOrbitFile() {
    Start();
    window_->runObsParams = nullptr;  // the real dialog
    ui_.ChooseFilesNext(std::vector<std::string>{demo_ + "images/" + truth_.front().file});
    window_->Action("LoadImg1")->trigger();
    QVERIFY(window_->Action("MeasImg1")->isEnabled());
    QString caption, nameBefore, nameAfter;
    QTimer::singleShot(50, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr) return;
      caption = dialog->windowTitle();
      auto* name = dialog->findChild<QLineEdit*>("ObjectName");
      auto* number = dialog->findChild<QLineEdit*>("Number");
      auto* designation = dialog->findChild<QLineEdit*>("Designation");
      if (name == nullptr || number == nullptr || designation == nullptr) return;
      name->clear();
      designation->clear();
      number->setText("433");
      nameBefore = name->text();
      QTest::mouseDClick(number, Qt::LeftButton);
      nameAfter = name->text();
      QTest::keyClick(dialog, Qt::Key_Escape);
    });
    window_->Action("MeasImg1")->trigger();
    QCOMPARE(caption, QString("Observation Parameters - Verify/Complete"));
    QCOMPARE(nameBefore, QString());
    QCOMPARE(nameAfter, QString("Eros"));
    // Cancelled: no measurement, the slot free again.
    QVERIFY(!window_->Action("MeasImg1")->isChecked());
    QVERIFY(window_->Action("LoadImg1")->isEnabled());
    ui_.AnswerNext(Answer::Yes);  // close
    ui_.AnswerNext(Answer::No);
    ui_.AnswerNext(Answer::No);
    window_->close();
    window_.reset();
    lab_.reset();
  }
};

QTEST_MAIN(TestDemoNight)
#include "tst_demo_night.moc"
