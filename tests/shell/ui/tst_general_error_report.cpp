// The general error report: a command that throws while the event loop runs
// (here "&Save Report Data..." on a full disk) is reported in an error box
// with the failure's own text, the program runs on with its data, and the
// previous report file stands byte for byte.

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <new>

#include "foundations/date_time.h"
#include "foundations/io_error.h"
#include "shell/astrm_lab.h"
#include "shell/ui/skarvel_application.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/file_size_limit.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::platform::Answer;
using skarvel::testing::FileSizeLimit;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;

namespace {

double At(int y, int mo, int d, int h, int mi) { return *skarvel::EncodeDateTime(y, mo, d, h, mi, 0.0L); }

}  // namespace

class TestGeneralErrorReport : public QObject {
  Q_OBJECT

 private slots:
  void reportDataSavedOnAFullDisk() {
    auto* app = dynamic_cast<skarvel::ui::SkarvelApplication*>(QCoreApplication::instance());
    QVERIFY(app != nullptr);
    TempDir root;
    ScriptedPlatform ui;
    app->SetReporter(&ui);
    AstrmLab lab(ui, skarvel::testing::LabEnvironment(root));
    QCOMPARE(lab.Create(), AstrmLab::StartResult::Running);
    const std::string reports = root.MakeDir("reports");
    lab.reportDir = reports;
    skarvel::ui::TAstrmLab window(lab);
    window.show();
    const auto add = [&](int hour) {
      skarvel::ObsParams p;
      p.objectName = "Eros";
      p.number = "433";
      p.observationTime = At(2026, 12, 9, hour, 0);
      lab.AddObservation(p, skarvel::ReferenceStar{});
    };
    add(20);
    ui.SaveAsNext(reports + "night.rpt");
    window.RunCommand("SaveData1");
    const auto before = skarvel::testing::ReadAll(reports + "night.rpt");
    QVERIFY(!before.empty());
    for (int h = 0; h < 12; ++h) add(h);

    const int reportedBefore = app->Reported();
    ui.SaveAsNext(reports + "night.rpt");
    ui.AnswerNext(Answer::Yes);  // replace the existing file
    {
      FileSizeLimit limit(before.size() + 50);
      QTimer::singleShot(0, &window, [&window] { window.RunCommand("SaveData1"); });
      QTest::qWait(50);
    }
    QCOMPARE(app->Reported(), reportedBefore);  // the main window's commands report it themselves
    QCOMPARE(ui.Messages().back().text, std::string("Disk Full!"));
    QCOMPARE(ui.Messages().back().caption, std::string("Skarvel"));
    QVERIFY(ui.Messages().back().icon == skarvel::platform::Icon::Error);
    QCOMPARE(skarvel::testing::ReadAll(reports + "night.rpt"), before);
    // The program runs on with every observation, and the next save works.
    QVERIFY(window.isVisible());
    QCOMPARE(lab.Report()->Count(), std::size_t{13});
    ui.SaveAsNext(reports + "night2.rpt");
    window.RunCommand("SaveData1");
    QVERIFY(skarvel::testing::ReadAll(reports + "night2.rpt").size() > before.size());
    ui.AnswerNext(Answer::Yes);
    window.close();
    app->SetReporter(nullptr);
  }

  // Any other event handler that throws: the application object reports it and
  // the event loop goes on, instead of the program ending.
  void anyHandlerThatThrowsIsReported() {
    auto* app = dynamic_cast<skarvel::ui::SkarvelApplication*>(QCoreApplication::instance());
    QVERIFY(app != nullptr);
    ScriptedPlatform ui;
    app->SetReporter(&ui);
    QPushButton button("Save");
    int clicks = 0;
    connect(&button, &QPushButton::clicked, [&clicks] {
      ++clicks;
      if (clicks == 1) throw skarvel::IOFailure(skarvel::io_code::kDiskFull);
      if (clicks == 2) throw std::bad_alloc();
    });
    button.show();
    const int before = app->Reported();
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(app->Reported(), before + 1);
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(ui.Messages()[0].text, std::string("Disk Full!"));
    QCOMPARE(ui.Messages()[0].caption, std::string("Skarvel"));
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(ui.Messages().back().text, std::string("Out of memory!"));
    QTest::mouseClick(&button, Qt::LeftButton);  // the third click does its work
    QCOMPARE(clicks, 3);
    QCOMPARE(app->Reported(), before + 2);
    app->SetReporter(nullptr);
  }
};

int main(int argc, char** argv) {
  skarvel::ui::SkarvelApplication app(argc, argv);
  TestGeneralErrorReport test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_general_error_report.moc"
