// The Report menu of the main window on the offscreen platform: the report
// window opened from the menu with its acknowledgement dialog and kept in
// step with saves, loads and clears, the menu actions after a truncated file,
// and "Access &Spreadsheet" starting real processes whose file and program
// names hold blanks, quotes and semicolons.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "astrometry/ui/astrom_list_form.h"
#include "astrometry/ui/t_ack_msg_form.h"
#include "foundations/date_time.h"
#include "platform/ui/qt_platform.h"
#include "shell/astrm_lab.h"
#include "shell/ui/report_views.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::AstrmLabEnvironment;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TACKMsgForm;
using skarvel::ui::TAstrmLab;

namespace {

// Scripted dialogs and messages, but processes that really start.
class ProcessPlatform : public ScriptedPlatform {
 public:
  skarvel::platform::ProcessHandle StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                                                const std::string& workingDirectory) override {
    ScriptedPlatform::StartProcess(program, arguments, workingDirectory);
    return real_.StartProcess(program, arguments, workingDirectory);
  }
  bool ProcessRunning(skarvel::platform::ProcessHandle handle) override { return real_.ProcessRunning(handle); }

 private:
  skarvel::platform::QtPlatform real_;
};

void OnNextModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(modal);
  });
  timer->start();
}

QStringList BoxLines(QListWidget* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->item(i)->text();
  return out;
}

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

// A shell script that records how it was called: the number of its
// arguments, each argument on a line and its working directory, into
// "argv.txt" beside itself; then it stays for `seconds`.
void WriteRecorder(const std::string& path, int seconds) {
  skarvel::testing::WriteText(path,
                              "#!/bin/sh\n"
                              "out=\"$(dirname \"$0\")/argv.txt\"\n"
                              "{ echo \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; pwd; } > \"$out.part\"\n"
                              "mv \"$out.part\" \"$out\"\n"
                              "sleep " +
                                  std::to_string(seconds) + "\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read);
}

QStringList ReadLines(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

double At(int y, int mo, int d, int h, int mi) {
  return *skarvel::EncodeDateTime(y, mo, d, h, mi, 0.0L);
}

}  // namespace

class TestReportMenu : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  std::string reports_;

  void Start(std::unique_ptr<ScriptedPlatform> ui, const std::function<void(skarvel::OptionsRecord&)>& setup = {}) {
    Stop();
    root_ = std::make_unique<TempDir>();
    ui_ = std::move(ui);
    AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(*root_);
    env.storage.currentDir = root_->MakeDir("work");
    env.storage.perUserDir = root_->Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root_->Path() + "none";
    env.clock = [] { return At(2026, 12, 9, 23, 0); };
    {
      ScriptedPlatform quiet;
      skarvel::OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      QVERIFY(opts.Start());
      opts.Record().expertMode = false;
      opts.Record().oldReportFormat = true;
      if (setup) setup(opts.Record());
      QVERIFY(opts.Write(env.storage.currentDir));
    }
    lab_ = std::make_unique<AstrmLab>(*ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    reports_ = root_->MakeDir("reports");
    lab_->reportDir = reports_;
  }

  void Stop() {
    if (window_ && window_->isVisible()) {
      ui_->AnswerNext(Answer::Yes);
      window_->close();
    }
    window_.reset();
    lab_.reset();
  }

  void Add(const std::string& name, double time) {
    skarvel::ObsParams p;
    p.objectName = name;
    p.number = "433";
    p.observationTime = time;
    skarvel::ReferenceStar t;
    t.fitRA = 5.5L;
    t.fitDec = 20.0L;
    lab_->AddObservation(p, t);
  }

  QListWidget* ReportBox() const { return window_->Reports().Window()->ListBox(); }

 private slots:
  void cleanup() { Stop(); }

  void reportWindowFollowsSaveLoadAndClear() {
    Start(std::make_unique<ScriptedPlatform>());
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    Add("b", At(2026, 12, 9, 21, 0));
    Add("a", At(2026, 12, 9, 20, 0));
    window_->SyncMenus();
    QVERIFY(window_->Action("SaveData1")->isEnabled());
    QVERIFY(lab_->Menus().At("MeanMotion1").enabled);  // its command is another window's
    // Opening "&View/Print/Save Text" shows its first entries.
    emit window_->Menu("ViewEdit1")->aboutToShow();
    QVERIFY(window_->Action("ShortFormat1")->isVisible());
    QString ackTitle;
    OnNextModal([&ackTitle](QWidget* modal) {
      auto* d = qobject_cast<TACKMsgForm*>(modal);
      QVERIFY(d != nullptr);
      ackTitle = d->windowTitle();
      QVERIFY(!d->CancelButton()->isEnabled());
      QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    window_->RunCommand("ShortFormat1");
    QCOMPARE(ackTitle, QString("Edit Acknowledgement Message"));
    auto* report = window_->Reports().Window();
    QVERIFY(report != nullptr);
    QVERIFY(report->isVisible());
    QCOMPARE(report->windowTitle(), QString("Formatted Astrometric Results -  (Modified)"));
    QVERIFY(BoxLines(ReportBox()).contains("NUM 2"));
    QVERIFY(BoxLines(ReportBox()).contains("ACK Report Generated 2026/12/09 23:00:00"));
    QVERIFY(report->grab().toImage().save(PicturePath(*root_, "report_from_menu.png")));

    // Saving renames the window and drops the mark.
    ui_->SaveAsNext(reports_ + "night.rpt");
    window_->RunCommand("SaveData1");
    QCOMPARE(report->windowTitle(), QString("Formatted Astrometric Results - NIGHT.RPT"));
    QVERIFY(lab_->reportSaved);

    // An observation added while the window shows appears at once.
    Add("c", At(2026, 12, 9, 22, 0));
    QVERIFY(BoxLines(ReportBox()).contains("NUM 3"));

    // A truncated file: the loads lock in the menu bar too; what was read shows.
    auto bytes = skarvel::testing::ReadAll(reports_ + "night.rpt");
    bytes.resize(1010 + 343 + 10);
    skarvel::testing::WriteAll(reports_ + "cut.rpt", bytes);
    ui_->ChooseFilesNext(std::vector<std::string>{reports_ + "cut.rpt"});
    ui_->AnswerNext(Answer::No);  // not saved: no
    ui_->AnswerNext(Answer::No);  // overwrite
    ui_->AnswerNext(Answer::No);  // keep the parameters
    window_->RunCommand("LoadData1");
    QCOMPARE(ui_->Captions().back(), std::string("Error Loading File!"));
    QVERIFY(!window_->Action("LoadData1")->isEnabled());
    QVERIFY(!window_->Action("LoadOldReportData1")->isEnabled());
    QVERIFY(window_->Action("ClearData1")->isEnabled());
    QVERIFY(BoxLines(ReportBox()).contains("NUM 1"));
    // Clearing sets the records: the report is generated afresh, with its acknowledgement.
    bool acknowledged = false;
    OnNextModal([&acknowledged](QWidget* modal) {
      auto* d = qobject_cast<TACKMsgForm*>(modal);
      QVERIFY(d != nullptr);
      acknowledged = true;
      QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    window_->RunCommand("ClearData1");
    QVERIFY(acknowledged);
    QVERIFY(window_->Action("LoadData1")->isEnabled());
    QVERIFY(window_->Action("LoadOldReportData1")->isEnabled());
    QVERIFY(!window_->Action("SaveData1")->isEnabled());
    QVERIFY(BoxLines(ReportBox()).contains("NUM 0"));

    // The whole file loads back.
    ui_->ChooseFilesNext(std::vector<std::string>{reports_ + "night.rpt"});
    ui_->AnswerNext(Answer::Yes);
    window_->RunCommand("LoadData1");
    QVERIFY(BoxLines(ReportBox()).contains("NUM 2"));
    QVERIFY(window_->Action("SaveData1")->isEnabled());
    QCOMPARE(report->windowTitle(), QString("Formatted Astrometric Results - night.rpt"));
    Stop();
  }

  void adesItemsShowTheirFormsInTheReportWindow() {
    Start(std::make_unique<ScriptedPlatform>());
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    Add("b", At(2026, 12, 9, 21, 0));
    Add("a", At(2026, 12, 9, 20, 0));
    window_->SyncMenus();
    QVERIFY(window_->Action("AdesXmlFormat1")->isEnabled());
    QCOMPARE(window_->Action("AdesPsvFormat1")->text(), QString("ADES PSV Format..."));
    window_->Action("AdesXmlFormat1")->trigger();
    auto* report = window_->Reports().Window();
    QVERIFY(report != nullptr && report->isVisible());
    QStringList lines = BoxLines(ReportBox());
    QCOMPARE(lines.first(), QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QCOMPARE(lines.last(), QString("</ades>"));
    QCOMPARE(lines.filter("<optical>").size(), 2);
    QVERIFY(report->grab().toImage().save(PicturePath(*root_, "report-ades-xml.png")));
    // An observation added while it shows appears in the ADES text at once.
    Add("c", At(2026, 12, 9, 22, 0));
    QCOMPARE(BoxLines(ReportBox()).filter("<optical>").size(), 3);
    window_->Action("AdesPsvFormat1")->trigger();
    lines = BoxLines(ReportBox());
    QCOMPARE(lines.first(), QString("# version=2022"));
    QCOMPARE(lines.filter(QRegularExpression("\\|CCD *\\|")).size(), 3);
    Stop();
  }

  void spreadsheetProgramWithOddNamesRunsAlone() {
    auto platform = std::make_unique<ProcessPlatform>();
    const std::string oddDir = "odd dir; 'q' \"d\" $(touch PWNED)";
    std::string program;
    Start(std::move(platform), [&](skarvel::OptionsRecord& r) {
      program = root_->MakeDir(oddDir) + "rec;ord \"argv\" 'x' && touch PWNED.sh";
      r.spreadsheetProgram = program;
    });
    const std::string dir = root_->Path() + oddDir + "/";
    WriteRecorder(program, 2);
    const std::string file = "sheet; touch PWNED \"q\" 'z' | x.CSV";
    skarvel::testing::WriteText(dir + file, "a,b\n");
    ui_->ChooseFilesNext(std::vector<std::string>{dir + file});
    QVERIFY(lab_->Run("SpreadSheet1"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QString::fromStdString(dir + "argv.txt")), 10000);
    const QStringList argv = ReadLines(dir + "argv.txt");
    QCOMPARE(argv,
             QStringList({"1", QString::fromStdString(file), QString::fromStdString(dir.substr(0, dir.size() - 1))}));
    QVERIFY(ui_->Messages().empty());
    // While it runs, a second start is refused.
    ui_->ChooseFilesNext(std::vector<std::string>{dir + file});
    lab_->Run("SpreadSheet1");
    QCOMPARE(ui_->Messages().size(), 1u);
    QCOMPARE(ui_->Messages()[0].caption, std::string("Module Already Loaded"));
    QVERIFY(ui_->Messages()[0].beep);
    QCOMPARE(ui_->Processes().size(), 1u);
    // Once it has ended it starts again.
    QTRY_VERIFY_WITH_TIMEOUT(!lab_->Launcher()->IsRunning(program), 15000);
    QVERIFY(QFile::remove(QString::fromStdString(dir + "argv.txt")));
    ui_->ChooseFilesNext(std::vector<std::string>{dir + file});
    lab_->Run("SpreadSheet1");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QString::fromStdString(dir + "argv.txt")), 10000);
    QCOMPARE(ui_->Processes().size(), 2u);
    // No shell ever ran the names.
    for (const std::string& where : {dir, root_->Path(), root_->Path() + "work/"})
      QVERIFY(!QFile::exists(QString::fromStdString(where + "PWNED")));
    QVERIFY(!QFile::exists("PWNED"));
    Stop();
  }

  void desktopOpenerGetsTheWholePathAsOneArgument() {
    auto platform = std::make_unique<ProcessPlatform>();
    Start(std::move(platform));
    const std::string bin = root_->MakeDir("bin");
    WriteRecorder(bin + "xdg-open", 0);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path);
    const std::string dir = root_->MakeDir("my reports; \"x\"");
    skarvel::testing::WriteText(dir + "night 1;2.csv", "a\n");
    ui_->ChooseFilesNext(std::vector<std::string>{dir + "night 1;2.csv"});
    lab_->Run("SpreadSheet1");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QString::fromStdString(bin + "argv.txt")), 10000);
    qputenv("PATH", path);
    QCOMPARE(ReadLines(bin + "argv.txt"), QStringList({"1", QString::fromStdString(dir + "night 1;2.csv"),
                                                       QString::fromStdString(dir.substr(0, dir.size() - 1))}));
    QCOMPARE(ui_->Processes()[0].program, std::string("xdg-open"));
    Stop();
  }

  void programThatCannotStartIsNamedWithItsCode() {
    auto platform = std::make_unique<ProcessPlatform>();
    std::string missing;
    Start(std::move(platform), [&](skarvel::OptionsRecord& r) {
      missing = root_->Path() + "no such; program";
      r.spreadsheetProgram = missing;
    });
    ui_->ChooseFilesNext(std::vector<std::string>{reports_ + "a.csv"});
    lab_->Run("SpreadSheet1");
    QCOMPARE(ui_->Messages().size(), 1u);
    QCOMPARE(ui_->Messages()[0].text, "Unable to Execute " + missing + "\r\n\r\nCode = 2 - File Not Found");
    QCOMPARE(ui_->Messages()[0].caption, std::string("Cannot Run Spreadsheet!"));
    // A file that may not be executed.
    skarvel::testing::WriteText(missing, "#!/bin/sh\n");
    std::filesystem::permissions(missing, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ui_->ChooseFilesNext(std::vector<std::string>{reports_ + "a.csv"});
    lab_->Run("SpreadSheet1");
    QCOMPARE(ui_->Messages().size(), 2u);
    QCOMPARE(ui_->Messages()[1].text, "Unable to Execute " + missing + "\r\n\r\nCode = 5 - Access Denied");
    // A working directory that is not there.
    ui_->ChooseFilesNext(std::vector<std::string>{root_->Path() + "gone/a.csv"});
    lab_->Run("SpreadSheet1");
    QCOMPARE(ui_->Messages().size(), 3u);
    QCOMPARE(ui_->Messages()[2].text,
             "Unable to Execute " + missing + "\r\n\r\nCode = 267 - Directory Name is Invalid");
    Stop();
  }
};

QTEST_MAIN(TestReportMenu)
#include "tst_report_menu.moc"
