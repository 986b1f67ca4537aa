// The automatic paths of the windows on the options' on-line catalog: Gaia
// DR3 served by a loopback VizieR (nothing leaves the machine) with the demo
// night's catalog stars. "Find Moving &Objects..." reads the field from it
// and finds (433) Eros in the four images; "&Auto-Match" of the measurement
// pairs image 1 with the Gaia stars and the target lands on the truth; the
// one query serves both. A server that fails afterwards is told, and the
// observation already measured, the field and the solution stay.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cmath>
#include <string>
#include <vector>

#include "astrometry/reference_field.h"
#include "astrometry/ui/t_gsc_form1.h"
#include "astrometry/ui/t_moving_form1.h"
#include "catalogs/online_catalogs.h"
#include "demo/demo_support.h"
#include "demo/ui/demo_gaia_answer.h"
#include "demo/ui/demo_window.h"
#include "images/ui/t_image_form1.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_measurement.h"
#include "support/net/loopback_http_server.h"
#include "support/picture_path.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::RefSelection;
using skarvel::platform::Answer;
using skarvel::testing::DemoImageTruth;
using skarvel::testing::GaiaAnswerOfDemoStars;
using skarvel::testing::NetworkedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TImageForm1;
using skarvel::ui::TMeasurement;
using skarvel::ui::TMovingForm1;

class TestOnlineAutoMoving : public QObject {
  Q_OBJECT

  TempDir root_;
  std::string work_ = root_.MakeDir("demo-night");
  std::string demo_ = skarvel::testing::DemoFolder();
  NetworkedPlatform ui_;
  skarvel::test::LoopbackHttpServer server_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  std::vector<DemoImageTruth> truth_;

  void Click(QWidget* w, double x, double y) {
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier,
                      QPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))));
  }

  int GaiaRequests() const {
    int n = 0;
    for (const std::string& r : server_.Requests()) n += r.rfind("/viz-bin/asu-tsv?-source=I/355/gaiadr3&", 0) == 0;
    return n;
  }

 private slots:
  void initTestCase() {
    server_.Answer("/viz-bin/asu-tsv", skarvel::test::HttpReply::Text(GaiaAnswerOfDemoStars(demo_)));
    skarvel::testing::StartDemoWindow(root_, work_, demo_, ui_, lab_, window_, truth_, [this](skarvel::OptionsRecord& o) {
      o.catalogLocation = skarvel::kCatalogWeb;
      o.onlineService = skarvel::kServiceVizieR;
      o.webCatalog = skarvel::kWebGaiaDR3;
      o.vizierServer = server_.BaseUrl();
      o.maximizeBlink = false;
    });
    std::vector<std::string> files;
    for (const auto& t : truth_) files.push_back(work_ + "images/" + t.file);
    ui_.ChooseFilesNext(files);
    window_->RunCommand("MultipleLoad1");
    QVERIFY(window_->Action("MovingObjects1")->isEnabled());
  }

  void findMovingObjectsReadsTheGaiaField() {
    const std::size_t before = ui_.Messages().size();
    window_->RunCommand("MovingObjects1");
    TMovingForm1* m = window_->MovingWindow();
    QVERIFY(m != nullptr && m->isVisible());
    QCOMPARE(ui_.Messages().size(), before);  // nothing to tell
    QCOMPARE(GaiaRequests(), 1);
    // The field is Gaia's: its stars carry the catalog and the band G.
    auto& stars = window_->Field().Stars();
    QVERIFY(stars.LastIndex() >= 20);
    const skarvel::CatalogStar* first = stars.GetAt(0);
    QVERIFY(first != nullptr);
    const skarvel::CatalogStar star = *first;
    QCOMPARE(star.catalog, static_cast<std::uint8_t>(skarvel::kCatalogGaiaDR3));
    QCOMPARE(window_->Field().PrimaryName(), std::string("Gaia DR3"));
    QCOMPARE(m->List()->topLevelItemCount(), 1);
    QCOMPARE(m->List()->topLevelItem(0)->text(0), QString("(433) Eros"));
    const auto& c = m->Model().Candidates()[0];
    QCOMPARE(c.positions.size(), std::size_t{4});
    for (std::size_t k = 0; k < 4; ++k) {
      const double d = std::hypot(static_cast<double>(c.positions[k].x) - truth_[k].targetX,
                                  static_cast<double>(c.positions[k].y) - truth_[k].targetY);
      QVERIFY2(d < 0.5, qPrintable(QString("image %1: %2 pixels off").arg(k + 1).arg(d)));
      const double off = skarvel::testing::ArcsecApart(static_cast<double>(c.positions[k].raHours),
                                                       static_cast<double>(c.positions[k].decDeg), truth_[k].targetRA,
                                                       truth_[k].targetDec);
      QVERIFY2(off < 1.0, qPrintable(QString("image %1: %2 arc seconds off").arg(k + 1).arg(off)));
    }
    QVERIFY(m->grab().save(skarvel::testing::PicturePath(root_, "online-moving-window.png")));
    m->close();
  }

  void autoMatchPairsTheImageWithTheGaiaStars() {
    window_->Action("MeasImg1")->trigger();
    TMeasurement* m = window_->Measurement();
    QVERIFY(m != nullptr && m->Active());
    window_->ReferenceWindow()->runRefInfo = [](const skarvel::RefInfoView&, const skarvel::PickCandidate&) {
      return skarvel::ui::RefInfoAnswer{true, true, true};
    };
    // The field of the measurement is the one the search read: the stored answer serves it.
    QCOMPARE(GaiaRequests(), 1);
    const std::size_t before = ui_.Messages().size();
    QTest::mouseClick(m->Dialog().AutoMatchButton(), Qt::LeftButton);
    QCOMPARE(ui_.Messages().size(), before);
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kUnknown);
    TImageForm1& form = m->Image();
    QVERIFY(form.measurement.references.size() >= 8);
    for (const auto& r : form.measurement.references)  // Gaia's identifiers, not the GSC's
      QVERIFY2(r.id.size() >= 18 && r.id.find_first_not_of("0123456789") == std::string::npos, r.id.c_str());
    const DemoImageTruth& t = truth_[0];
    const double s = static_cast<double>(form.Sizing().scale);
    Click(form.Canvas(), (t.targetX + 1) * s, (t.targetY + 1) * s);
    ui_.AnswerNext(Answer::Yes);  // the sky border is clean
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    const double spots[][2] = {{0, 40}, {40, 0}, {0, -40}, {-40, 0}};
    for (const auto& spot : spots) {
      if (m->Selection().CurrentStep() != RefSelection::kSky) break;
      Click(form.Canvas(), (t.targetX + spot[0]) * s, (t.targetY + spot[1]) * s);
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    }
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kSolved);
    const double off = skarvel::testing::ArcsecApart(static_cast<double>(form.measurement.target.fitRA),
                                                     static_cast<double>(form.measurement.target.fitDec), t.targetRA,
                                                     t.targetDec);
    QVERIFY2(off < 0.5, qPrintable(QString("%1 arc seconds from the truth").arg(off)));
    ui_.AnswerNext(Answer::Yes);  // "Add to Report?"
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kCompleted);
    ui_.SaveAsNext(std::nullopt);
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QVERIFY(!m->Active());
    QCOMPARE(lab_->Report()->Count(), std::size_t{1});
    QVERIFY(form.measurement.plate.Solved());
  }

  // The VizieR server answers a web page, then nothing: each is told with
  // what to do, and the observation, the field and image 1's plate stay.
  void aFailingServerLosesNothingMeasured() {
    TImageForm1* image1 = window_->ImageWindow(0);
    QVERIFY(image1 != nullptr && image1->measurement.plate.Solved());
    const std::size_t references = image1->measurement.references.size();
    const std::int32_t stars = window_->Field().Stars().LastIndex();
    skarvel::test::HttpReply page = skarvel::test::HttpReply::Text("<html><body>Down for maintenance</body></html>");
    page.contentType = "text/html";
    server_.Answer("/page", page);
    skarvel::test::HttpReply silent;
    silent.mode = skarvel::test::HttpReply::Mode::Silent;
    server_.Answer("/silent", silent);
    struct Case {
      const char* path;
      const char* caption;
      const char* start;
    } cases[] = {
        {"/page", "VizieR Catalog Error!", "VizieR answered the Gaia DR3 query with a web page instead of a table."},
        {"/silent", "Cannot Access Online Catalog!", "VizieR \"Get\" request for Gaia DR3 failed!"},
    };
    for (const Case& c : cases) {
      lab_->Options().vizierServer = server_.BaseUrl() + c.path;
      ui_.limits.timeoutMs = 1000;  // a silent server is given up after a second
      lab_->newFieldNeeded = true;
      const std::size_t before = ui_.Messages().size();
      window_->Action("MeasImg2")->trigger();
      QVERIFY(ui_.Messages().size() > before);
      const auto& said = ui_.Messages()[before];
      QCOMPARE(QString::fromStdString(said.caption), QString(c.caption));
      QVERIFY2(said.text.rfind(c.start, 0) == 0, said.text.c_str());
      QVERIFY2(said.text.find(skarvel::kVizieRFailureAdvice) != std::string::npos, said.text.c_str());
      QVERIFY(window_->Measurement() == nullptr || !window_->Measurement()->Active());
      QCOMPARE(lab_->Report()->Count(), std::size_t{1});
      QCOMPARE(window_->Field().Stars().LastIndex(), stars);
      QCOMPARE(image1->measurement.references.size(), references);
      QVERIFY(image1->measurement.plate.Solved());
      if (QTest::currentTestFailed()) return;
    }
  }

  void cleanupTestCase() {
    ui_.AnswerNext(Answer::No);
    ui_.AnswerNext(Answer::No);
    ui_.AnswerNext(Answer::No);
    window_->close();
  }
};

QTEST_MAIN(TestOnlineAutoMoving)
#include "tst_online_auto_moving.moc"
