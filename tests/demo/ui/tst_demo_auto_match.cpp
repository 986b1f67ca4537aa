// "&Auto-Match" on the demo night through the GUI: the reference stars of
// image 1 are chosen and located without clicks, the flow stops at "Locate
// Unknown", and after the target the solution is the one the manual path
// reaches with the same stars clicked by hand (same reference list and flags,
// same "Astrometric Solution" text). A field without the image's stars is
// refused in plain words and the manual path stays as it was.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "astrometry/auto_match.h"
#include "astrometry/reference_field.h"
#include "astrometry/ui/t_gsc_form1.h"
#include "demo/demo_support.h"
#include "foundations/file_system.h"
#include "images/ui/t_image_form1.h"
#include "images/ui/t_image_text_window.h"
#include "make_demo.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_measurement.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::ReferenceStar;
using skarvel::RefSelection;
using skarvel::platform::Answer;
using skarvel::testing::DemoImageTruth;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TGSCForm1;
using skarvel::ui::TImageForm1;
using skarvel::ui::TMeasurement;

class TestDemoAutoMatch : public QObject {
  Q_OBJECT

  TempDir root_;
  std::string work_ = root_.MakeDir("demo-night");
  std::string demo_ =
      skarvel::fs::WithTrailingSeparator(std::filesystem::absolute(SKARVEL_DEMO_DIR).lexically_normal().string());
  ScriptedPlatform ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  std::vector<DemoImageTruth> truth_;

  struct Outcome {
    std::vector<ReferenceStar> references;
    std::vector<std::string> solution;
    long double ra = 0, dec = 0;
  };

  void Start() {
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
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    truth_ = skarvel::testing::ReadTruth();
    window_->runObsParams = [](skarvel::ObsParams& p, const std::string&, bool) {
      p.objectName = "Eros";
      p.number = "433";
      return true;
    };
    window_->runFieldParameters = [](skarvel::FieldRequest& r) {
      skarvel::DeriveSearchWindow(r.params);
      return true;
    };
    ui_.ChooseFilesNext(std::vector<std::string>{demo_ + "images/" + truth_[0].file});
    window_->Action("MultipleLoad1")->trigger();
    QVERIFY(window_->Action("MeasImg1")->isEnabled());
  }

  void Click(QWidget* w, double x, double y) {
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))));
  }

  TMeasurement* Open() {
    window_->Action("MeasImg1")->trigger();
    TMeasurement* m = window_->Measurement();
    if (m == nullptr || !m->Active()) return nullptr;
    window_->ReferenceWindow()->runRefInfo = [](const skarvel::RefInfoView&, const skarvel::PickCandidate&) {
      return skarvel::ui::RefInfoAnswer{true, true, true};
    };
    return m;
  }

  // From "Locate Unknown" (or a solution already shown): the target clicked, its sky
  // accepted, the solution read; the measurement closed.
  Outcome Finish(TMeasurement& m) {
    Outcome o;
    const DemoImageTruth& t = truth_[0];
    TImageForm1& form = m.Image();
    const double s = static_cast<double>(form.Sizing().scale);
    if (m.Selection().CurrentStep() == RefSelection::kUnknown) {
      Click(form.Canvas(), (t.targetX + 1) * s, (t.targetY + 1) * s);
      ui_.AnswerNext(Answer::Yes);
      QTest::mouseClick(m.Dialog().OkButton(), Qt::LeftButton);
    }
    const double spots[][2] = {{0, 40}, {40, 0}, {0, -40}, {-40, 0}};
    for (const auto& spot : spots) {
      if (m.Selection().CurrentStep() != RefSelection::kSky) break;
      Click(form.Canvas(), (t.targetX + spot[0]) * s, (t.targetY + spot[1]) * s);
      QTest::mouseClick(m.Dialog().OkButton(), Qt::LeftButton);
    }
    if (m.Selection().CurrentStep() != RefSelection::kSolved || form.SolutionWindow() == nullptr) return o;
    o.references = form.measurement.references;
    o.solution = form.SolutionWindow()->List().Lines();
    o.ra = form.measurement.target.fitRA;
    o.dec = form.measurement.target.fitDec;
    ui_.AnswerNext(Answer::No);  // "Add to Report?"
    QTest::mouseClick(m.Dialog().OkButton(), Qt::LeftButton);
    ui_.SaveAsNext(std::nullopt);
    QTest::mouseClick(m.Dialog().OkButton(), Qt::LeftButton);
    return o;
  }

 private slots:
  void initTestCase() { Start(); }

  void autoMatchEndsWhereTheManualPathEnds() {
    TMeasurement* m = Open();
    QVERIFY(m != nullptr);
    QVERIFY(m->Dialog().AutoMatchButton()->isVisible());
    QCOMPARE(m->Dialog().AutoMatchButton()->text(), QString("&Auto-Match"));
    const std::size_t messagesBefore = ui_.Messages().size();
    QTest::mouseClick(m->Dialog().AutoMatchButton(), Qt::LeftButton);
    QCOMPARE(ui_.Messages().size(), messagesBefore);  // nothing to tell
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kUnknown);
    QCOMPARE(m->Dialog().windowTitle(), QString("Locate Unknown"));
    QCOMPARE(m->Selection().LocateIndex(), RefSelection::kAllLocated);
    QVERIFY(!m->Dialog().AutoMatchButton()->isVisible());
    TGSCForm1* field = window_->ReferenceWindow();
    QVERIFY(!field->AddRemove());
    const auto& entries = field->Model().Entries();
    const auto& refs = m->Image().measurement.references;
    QVERIFY2(entries.size() >= 8 && entries.size() <= 30, qPrintable(QString::number(entries.size())));
    QCOMPARE(refs.size(), entries.size());
    const DemoImageTruth& t = truth_[0];
    for (std::size_t i = 0; i < refs.size(); ++i) {
      QCOMPARE(refs[i].id, entries[i].id);
      QCOMPARE(refs[i].number, static_cast<std::int32_t>(i + 1));
      QCOMPARE(refs[i].kind, std::uint8_t{0});
      QVERIFY(refs[i].measured && refs[i].flux > 0);
      double x = 0, y = 0;
      QVERIFY(skarvel::testing::ProjectToPixel(t, static_cast<double>(refs[i].catRA), static_cast<double>(refs[i].catDec), x, y));
      const double d = std::hypot(static_cast<double>(refs[i].imageX) - x, static_cast<double>(refs[i].imageY) - y);
      QVERIFY2(d < 1.0, qPrintable(QString::fromStdString(refs[i].id) + QString(" %1 pixels off").arg(d)));
    }
    // Spread over the image: references in at least seven of its ninths.
    std::vector<int> ninths(9, 0);
    for (const ReferenceStar& r : refs)
      ninths[static_cast<std::size_t>(std::min(2, static_cast<int>(r.imageY * 3 / 512)) * 3 +
                                      std::min(2, static_cast<int>(r.imageX * 3 / 768)))] = 1;
    QVERIFY(std::count(ninths.begin(), ninths.end(), 1) >= 7);
    const Outcome automatic = Finish(*m);
    QVERIFY(!automatic.solution.empty());
    const double off = skarvel::testing::ArcsecApart(static_cast<double>(automatic.ra), static_cast<double>(automatic.dec),
                                                     t.targetRA, t.targetDec);
    // The linear plate of the chosen stars, before any improvement.
    QVERIFY2(off < 0.5, qPrintable(QString("%1 arc seconds").arg(off)));

    // The manual path with the same stars: picked in the field in the same
    // order, each clicked in the image a pixel off and confirmed with OK.
    m = Open();
    QVERIFY(m != nullptr);
    field = window_->ReferenceWindow();
    field->ClearReselect();
    auto& stars = window_->Field().Stars();
    for (const ReferenceStar& r : automatic.references)
      for (std::int32_t i = 0; i <= stars.LastIndex(); ++i)
        if (stars.GetAt(i)->id == r.id) Click(field->Canvas(), stars.GetAt(i)->screenX, stars.GetAt(i)->screenY);
    QCOMPARE(field->Model().Entries().size(), automatic.references.size());
    QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kLocate);
    const double s = static_cast<double>(m->Image().Sizing().scale);
    for (const ReferenceStar& r : automatic.references) {
      Click(m->Image().Canvas(), (static_cast<double>(r.imageX) + 1) * s, (static_cast<double>(r.imageY) - 1) * s);
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
    }
    // The image window kept the target of the first measurement: the plate is solved at once.
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kSolved);
    const Outcome manual = Finish(*m);
    QCOMPARE(manual.references.size(), automatic.references.size());
    for (std::size_t i = 0; i < manual.references.size(); ++i) {
      const ReferenceStar &a = automatic.references[i], &b = manual.references[i];
      QCOMPARE(a.id, b.id);
      QCOMPARE(a.kind, b.kind);
      QCOMPARE(a.usePos, b.usePos);
      QCOMPARE(a.useMag, b.useMag);
      QCOMPARE(a.band, b.band);
      QCOMPARE(static_cast<double>(a.imageX), static_cast<double>(b.imageX));
      QCOMPARE(static_cast<double>(a.imageY), static_cast<double>(b.imageY));
    }
    QCOMPARE(manual.solution, automatic.solution);
  }

  void aFieldWithoutTheImagesStarsIsRefused() {
    TMeasurement* m = Open();
    QVERIFY(m != nullptr);
    TGSCForm1* field = window_->ReferenceWindow();
    // The catalog stars of the field moved by two fields: nothing of them is in the image.
    auto& stars = window_->Field().Stars();
    for (std::int32_t i = 0; i <= stars.LastIndex(); ++i) stars.GetAt(i)->dec += 0.9L;
    field->ClearReselect();
    const std::size_t messagesBefore = ui_.Messages().size();
    QTest::mouseClick(m->Dialog().AutoMatchButton(), Qt::LeftButton);
    QCOMPARE(ui_.Messages().size(), messagesBefore + 1);
    const auto& msg = ui_.Messages().back();
    QCOMPARE(msg.caption, std::string("Auto-Match"));
    QVERIFY(msg.text.rfind("No trustworthy match of the catalog stars with the stars of the image was found.\r\n\r\n", 0) == 0);
    QVERIFY(msg.text.find("\r\n\r\nSelect the reference stars on the Reference (left-hand) Display by hand.") != std::string::npos);
    QCOMPARE(m->Selection().CurrentStep(), RefSelection::kSelect);
    QVERIFY(field->Model().Entries().empty());
    QVERIFY(field->AddRemove());
    QVERIFY(m->Dialog().AutoMatchButton()->isVisible());
    for (std::int32_t i = 0; i <= stars.LastIndex(); ++i) stars.GetAt(i)->dec -= 0.9L;
  }
};

QTEST_MAIN(TestDemoAutoMatch)
#include "tst_demo_auto_match.moc"
