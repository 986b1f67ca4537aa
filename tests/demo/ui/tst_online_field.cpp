// The reference field of the demo night's first image filled from an on-line
// catalog: a loopback HTTP server started by the test answers the VizieR
// Gaia DR3 query with the demo night's own catalog stars; the real
// reference-field window shows them, ten are picked and the plate is solved
// on them, and the report names the catalog and the G band. Nothing leaves
// the machine. SKARVEL_SCREENSHOT_DIR keeps the picture.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "astrometry/reference_field.h"
#include "astrometry/report_list.h"
#include "astrometry/ui/t_gsc_form1.h"
#include "demo/demo_support.h"
#include "demo/ui/demo_gaia_answer.h"
#include "demo/ui/demo_window.h"
#include "foundations/file_system.h"
#include "images/ui/t_image_form1.h"
#include "make_demo.h"
#include "platform/net/http_get.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_measurement.h"
#include "support/net/loopback_http_server.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::CatalogStar;
using skarvel::RefSelection;
using skarvel::platform::Answer;
using skarvel::testing::ClickImage;
using skarvel::testing::GaiaAnswerOfDemoStars;
using skarvel::testing::NetworkedPlatform;
using skarvel::testing::DemoImageTruth;
using skarvel::testing::StartDemoWindow;
using skarvel::testing::UsableStar;
using skarvel::testing::UsableStars;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TGSCForm1;
using skarvel::ui::TImageForm1;
using skarvel::ui::TMeasurement;

namespace {

QString ShotPath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

}  // namespace

class TestOnlineField : public QObject {
  Q_OBJECT

  TempDir root_;
  std::string work_ = root_.MakeDir("demo-night");
  std::string demo_ = skarvel::testing::DemoFolder();
  NetworkedPlatform ui_;
  skarvel::test::LoopbackHttpServer server_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  std::vector<DemoImageTruth> truth_;

  void Start() {
    // The on-line catalog instead of the demo's converted GSC.
    StartDemoWindow(root_, work_, demo_, ui_, lab_, window_, truth_, [this](skarvel::OptionsRecord& o) {
      o.catalogLocation = skarvel::kCatalogWeb;
      o.onlineService = skarvel::kServiceVizieR;
      o.webCatalog = skarvel::kWebGaiaDR3;
      o.vizierServer = server_.BaseUrl();
    });
  }

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
    const std::vector<UsableStar> usable = UsableStars(*window_, *field, t);
    QVERIFY2(usable.size() >= 6, "six catalog stars in the image");
    const std::size_t count = std::min<std::size_t>(usable.size(), 10);
    for (std::size_t i = 0; i < count; ++i)
      QTest::mouseClick(field->Canvas(), Qt::LeftButton, Qt::NoModifier,
                        QPoint(usable[i].star.screenX, usable[i].star.screenY));
    QCOMPARE(field->Model().Entries().size(), count);
    // The reference field drawn from the on-line answer, for a person to look at.
    field->Picture().save(ShotPath(root_, "online-reference-field.png"));
    const QImage pic = field->Picture();
    const int v = pic.pixelColor(usable[0].star.screenX, usable[0].star.screenY).value();
    QVERIFY(field->Model().Inverted() ? v < 160 : v > 100);
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kLocate);
    TImageForm1& form = m->Image();
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
    QVERIFY2(off < 0.3, qPrintable(QString("image %1: Eros measured %2 arc seconds from the truth").arg(slot + 1).arg(off)));
    ui_.AnswerNext(Answer::Yes);  // "Add to Report?"
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kCompleted);
    ui_.SaveAsNext(std::nullopt);  // the solution report is not kept
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QVERIFY(!m->Active());
  }

 private slots:
  void aPlateSolvedOnGaiaStarsFromTheLoopbackServer() {
    server_.Answer("/viz-bin/asu-tsv", skarvel::test::HttpReply::Text(GaiaAnswerOfDemoStars(demo_)));
    Start();
    ui_.ChooseFilesNext(std::vector<std::string>{demo_ + "images/" + truth_[0].file});
    window_->Action("MultipleLoad1")->trigger();
    QVERIFY(window_->Action("MeasImg1")->isEnabled());
    Measure(0);
    if (QTest::currentTestFailed()) return;
    // One query, for Gaia DR3 with the G magnitude, sent to the loopback server.
    QCOMPARE(server_.Requests().size(), std::size_t{1});
    QVERIFY(server_.Requests()[0].rfind("/viz-bin/asu-tsv?-source=I/355/gaiadr3&-c=", 0) == 0);
    QVERIFY(server_.Requests()[0].find("&-sort=Gmag&Gmag=%3C") != std::string::npos);
    auto& stars = window_->Field().Stars();
    QVERIFY(stars.LastIndex() >= 20);
    const CatalogStar* first = stars.GetAt(0);
    QVERIFY(first != nullptr);
    const CatalogStar star = *first;
    QCOMPARE(star.catalog, static_cast<std::uint8_t>(skarvel::kCatalogGaiaDR3));
    QCOMPARE(star.band, static_cast<std::uint8_t>(skarvel::kBandG));
    QCOMPARE(window_->Field().PrimaryName(), std::string("Gaia DR3"));
    // The report names the catalog and the band.
    QCOMPARE(lab_->Report()->Count(), std::size_t{1});
    QVERIFY(lab_->Report()->catalogs.gaiaDR3);
    lab_->Views().acknowledgement = [](skarvel::AstromObsObj&, bool) {};
    lab_->MenuOpened("ViewEdit1");
    window_->SyncMenus();
    window_->Action("ShortFormat1")->trigger();
    QVERIFY(lab_->ReportWindow() != nullptr);
    const auto lines = lab_->ReportWindow()->Lines();
    QVERIFY(std::find(lines.begin(), lines.end(), std::string("NET Gaia-DR3")) != lines.end());
    int observations = 0;
    for (const std::string& line : lines) {
      if (line.size() != 80 || line.substr(0, 5) != "00433") continue;
      ++observations;
      QVERIFY2(line[70] == 'G', line.c_str());  // column 71: the band of the catalog magnitudes
    }
    QCOMPARE(observations, 1);
    ui_.AnswerNext(Answer::Yes);
    ui_.AnswerNext(Answer::No);
    ui_.AnswerNext(Answer::No);
    window_->close();
  }
};

QTEST_MAIN(TestOnlineField)
#include "tst_online_field.moc"
