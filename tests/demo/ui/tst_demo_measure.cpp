// The image window's measurement and `skarvel-cli measure` are one path: on
// each demo image the real windows measure Eros ("&Auto-Match", a click on
// the target, its sky accepted, the solution recorded) and the report lines
// the window's observation gives (80-column and ADES PSV) equal the lines
// `measure` prints for the same click. Every reference star the window
// centred sits where `skarvel-cli centroid` puts it with the reference box.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "astrometry/ades_report.h"
#include "astrometry/astrom_obs.h"
#include "astrometry/headless_measurement.h"
#include "astrometry/report_formats.h"
#include "demo/demo_support.h"
#include "demo/ui/demo_window.h"
#include "images/ui/t_image_form1.h"
#include "shell/astrm_lab.h"
#include "shell/cli_run.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_measurement.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::RefSelection;
using skarvel::platform::Answer;
using skarvel::testing::DemoImageTruth;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TImageForm1;
using skarvel::ui::TMeasurement;

class TestDemoMeasure : public QObject {
  Q_OBJECT

  std::string demo_ = skarvel::testing::DemoFolder();

 private slots:
  void windowReportLinesEqualTheCommandLines() {
    for (const int k : {0, 2}) {
      // A program started afresh on the demo night for each image.
      TempDir root;
      const std::string work = root.MakeDir("demo-night");
      ScriptedPlatform ui;
      std::unique_ptr<AstrmLab> lab;
      std::unique_ptr<TAstrmLab> window;
      std::vector<DemoImageTruth> truth;
      skarvel::testing::StartDemoWindow(root, work, demo_, ui, lab, window, truth);
      const DemoImageTruth& t = truth[static_cast<std::size_t>(k)];
      ui.ChooseFilesNext(std::vector<std::string>{demo_ + "images/" + t.file});
      window->Action("MultipleLoad1")->trigger();
      QVERIFY(window->Action("MeasImg1")->isEnabled());
      window->Action("MeasImg1")->trigger();
      TMeasurement* m = window->Measurement();
      QVERIFY(m != nullptr && m->Active());
      QTest::mouseClick(m->Dialog().AutoMatchButton(), Qt::LeftButton);
      QCOMPARE(m->Selection().CurrentStep(), RefSelection::kUnknown);
      TImageForm1& form = m->Image();
      const double s = static_cast<double>(form.Sizing().scale);
      // A click on Eros as a person makes it: a whole screen pixel.
      const QPoint click(static_cast<int>(std::lround(t.targetX * s)), static_cast<int>(std::lround(t.targetY * s)));
      QTest::mouseClick(form.Canvas(), Qt::LeftButton, Qt::NoModifier, click);
      QVERIFY(form.measurement.targetLocated);
      ui.AnswerNext(Answer::Yes);  // "Target Sky OK?"
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
      // A neighbour in the sky frame: the empty spots `measure` tries, in its order.
      for (const auto& spot : skarvel::kHeadlessSkySpots) {
        if (m->Selection().CurrentStep() != RefSelection::kSky) break;
        QTest::mouseClick(form.Canvas(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(static_cast<int>(std::lround((click.x() / s + spot[0]) * s)),
                                 static_cast<int>(std::lround((click.y() / s + spot[1]) * s))));
        QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
      }
      QCOMPARE(m->Selection().CurrentStep(), RefSelection::kSolved);
      ui.AnswerNext(Answer::Yes);  // "Add to Report?"
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);
      QCOMPARE(lab->Report()->Count(), std::size_t{1});
      const auto references = form.measurement.references;
      ui.SaveAsNext(std::nullopt);
      QTest::mouseClick(m->Dialog().OkButton(), Qt::LeftButton);

      // The same click through the command line, with the session's options.
      char target[64];
      std::snprintf(target, sizeof target, "%.17g,%.17g", click.x() / s, click.y() / s);
      const auto run = skarvel::testing::Cli(
          {"measure", demo_ + "images/" + t.file, "--catalog", "gsc-converted", "--path", demo_ + "catalog/gsc_vorn",
           "--options", work + "ASTROPTS.INI", "--target", target, "--object", "Eros", "--number", "433"});
      QVERIFY2(run.status == 0, run.err.c_str());
      const auto j = nlohmann::json::parse(run.out);

      // The window's observation in a report of its own, as the report window writes it.
      skarvel::AstromObsObj alone(lab->Report()->user, lab->Report()->camera, lab->Report()->site);
      alone.catalogs = lab->Report()->catalogs;
      const skarvel::ObservationRecord* mine = nullptr;
      for (const auto& o : lab->Report()->Observations())
        if (std::fabs(o.params.observationTime - (t.midJD - 2415018.5)) < 1e-6) mine = &o;
      QVERIFY(mine != nullptr);
      alone.Observations().push_back(*mine);
      const auto lines80 = skarvel::ObservationLines80(*mine, alone.site, alone.camera.timingErrorMs);
      QCOMPARE(QString::fromStdString(j["observation"]["mpc80"].get<std::string>()),
               QString::fromLatin1(lines80.front().c_str()));
      const auto psv = skarvel::AdesPsvLines(skarvel::MakeAdesReport(alone));
      QCOMPARE(QString::fromStdString(j["observation"]["ades_psv"].get<std::string>()),
               QString::fromLatin1(psv.back().c_str()));
      QVERIFY2(skarvel::testing::ArcsecApart(static_cast<double>(mine->target.fitRA),
                                             static_cast<double>(mine->target.fitDec), t.targetRA, t.targetDec) < 0.10,
               t.file.c_str());

      // The window's reference centres: those of `centroid` with the reference box.
      QCOMPARE(j["references"].size(), references.size());
      for (std::size_t i = 0; i < references.size(); ++i) {
        const auto& r = references[i];
        QCOMPARE(QString::fromStdString(j["references"][i]["id"].get<std::string>()), QString::fromStdString(r.id));
        QCOMPARE(j["references"][i]["x"].get<double>(), static_cast<double>(r.imageX));
        QCOMPARE(j["references"][i]["y"].get<double>(), static_cast<double>(r.imageY));
        if (i >= 3) continue;
        char at[64];
        std::snprintf(at, sizeof at, "%.17g,%.17g", static_cast<double>(r.imageX), static_cast<double>(r.imageY));
        const auto c = skarvel::testing::Cli({"centroid", demo_ + "images/" + t.file, "--at", at, "--box", "8,8,4,3"});
        QVERIFY2(c.status == 0, c.err.c_str());
        const auto cj = nlohmann::json::parse(c.out);
        QVERIFY2(std::fabs(cj["x"].get<double>() - static_cast<double>(r.imageX)) < 1e-9, r.id.c_str());
        QVERIFY2(std::fabs(cj["y"].get<double>() - static_cast<double>(r.imageY)) < 1e-9, r.id.c_str());
      }
    }
  }
};

QTEST_MAIN(TestDemoMeasure)
#include "tst_demo_measure.moc"
