// The main window on the offscreen platform: menus after start-up, the
// pop-up menu, the About box, the pictures of the client area and closing.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "foundations/date_time.h"
#include "platform/ui/qt_platform.h"
#include "shell/astrm_lab.h"
#include "shell/ui/screen_pictures.h"
#include "shell/ui/t_astrm_lab.h"
#include "images/ui/t_image_form1.h"
#include "images/fits_file.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::AstrmLabEnvironment;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;

namespace {

QStringList MenuCaptions(QMenu* menu) {
  QStringList captions;
  for (QAction* a : menu->actions()) captions << (a->isSeparator() ? QString("-") : a->text());
  return captions;
}

// Counts pixels of a colour, within a tolerance per channel.
int CountColour(const QImage& image, QColor colour, int tolerance = 40) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) <= tolerance && std::abs(c.green() - colour.green()) <= tolerance &&
          std::abs(c.blue() - colour.blue()) <= tolerance)
        ++n;
    }
  return n;
}

// Where the pictures a person would look at are kept: $SKARVEL_SCREENSHOT_DIR when set, else the test's folder.
QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

// Presses the default button of the next modal dialog once it shows.
void AcceptNextModal(QString* title, QStringList* labels) {
  QTimer::singleShot(50, [title, labels] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    if (title) *title = modal->windowTitle();
    if (labels)
      for (QLabel* l : modal->findChildren<QLabel*>())
        if (!l->text().isEmpty()) *labels << l->text();
    QTest::keyClick(modal, Qt::Key_Return);
  });
}

// The file dialogs of the Qt platform, every other question answered from the script.
class QtFileDialogs : public ScriptedPlatform {
 public:
  std::optional<std::vector<std::string>> OpenFiles(const skarvel::platform::FileDialogRequest& r) override {
    return qt.OpenFiles(r);
  }
  std::optional<std::string> SaveFile(const skarvel::platform::FileDialogRequest& r) override { return qt.SaveFile(r); }
  std::optional<std::string> ChooseDirectory(const skarvel::platform::DirectoryRequest& r) override {
    return qt.ChooseDirectory(r);
  }
  skarvel::platform::QtPlatform qt;
};

// Picks `path` (the file system's bytes) in the next file dialog and accepts it;
// `shownFolder` gets the folder the dialog opened in.
void PickInNextFileDialog(const std::string& path, QString* shownFolder) {
  QTimer::singleShot(50, [path, shownFolder] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    if (shownFolder) *shownFolder = dialog->directory().absolutePath();
    // As a person would: the folder, then the name typed into the name field.
    const QFileInfo file(skarvel::platform::PathToQt(path));
    dialog->setDirectory(file.absolutePath());
    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(file.fileName());
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;
  double now_ = 0;

  void Start(bool optionsAccess = true) {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(*root_);
    env.storage.currentDir = root_->MakeDir("work");
    env.storage.perUserDir = root_->Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root_->Path() + "none";
    now_ = *skarvel::EncodeDateTime(2026, 12, 9, 20, 0, 0.0L);
    env.clock = [this] { return now_; };
    if (!optionsAccess) {
      ScriptedPlatform quiet;
      skarvel::OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      QVERIFY(opts.Start());
      opts.Record().optionsAccess = false;
      QVERIFY(opts.Write(env.storage.currentDir));
    }
    lab_ = std::make_unique<AstrmLab>(*ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void Stop() {
    if (window_ && window_->isVisible()) {
      ui_->AnswerNext(Answer::Yes);
      window_->close();
    }
    window_.reset();
    lab_.reset();
  }

 private slots:
  void menuBarAfterStartUp() {
    Start();
    QCOMPARE(window_->windowTitle(), QString("VORN Skarvel"));
    QCOMPARE(window_->ClientArea()->size(), QSize(634, 436));
    QStringList top;
    for (QAction* a : window_->menuBar()->actions()) top << a->text();
    QCOMPARE(top, QStringList({"&File", "&Images", "&Report", "Orbit &Search", "&Ephemeris", "&Help"}));
    QCOMPARE(MenuCaptions(window_->Menu("File1")),
             QStringList({"Set Image &File Type...", "&Clear Images/Ref. Fields", "L&oad Image Files", "-",
                          "Download &Orbit Database", "Other &URLs", "-", "&Preferences...", "-", "&Exit"}));
    QCOMPARE(MenuCaptions(window_->Menu("LoadImages1")),
             QStringList({"&Multiple Load", "-", "Image &1", "Image &2", "Image &3", "Image &4", "-",
                          "Track and &Stack..."}));
    QCOMPARE(MenuCaptions(window_->Menu("Preferences1")),
             QStringList({"&Options and Parameters...", "-", "&Save Updates", "-", "Convert &GSC..."}));
    QCOMPARE(MenuCaptions(window_->Menu("Report1")),
             QStringList({"Set &Information Parameters", "&View/Print/Save Text", "-", "&Save Report Data...",
                          "&Load Report Data...", "Load &Old Report Data", "-", "&Clear Report Data...", "-",
                          "Compute &Baseline...", "-", "Access &Spreadsheet"}));
    QCOMPARE(MenuCaptions(window_->Menu("ViewEdit1")),
             QStringList({"&Short (Electronic) Format...", "&Long (Text) Format...", "-", "&Exercise Format...", "-",
                          "S&preadsheet Format (.CSV)...", "-", "ADES PSV Format...", "ADES XML Format..."}));
    QCOMPARE(MenuCaptions(window_->Menu("OrbitSearch1")),
             QStringList({"Search &Lowell Database...", "Search &MPC Database...", "Search MPC &Comet File...",
                          "Search &TARNE Orbit File...", "-", "&View/Print/Select Results...", "-",
                          "Orbit &Statistics (MPC)"}));
    QCOMPARE(MenuCaptions(window_->Menu("OrbitalElements1")),
             QStringList({"&Lowell Database...", "&MPC Database...", "MPC &Comet File...", "&TARNE Orbit File...",
                          "-", "FIND_ORB &File...", "-", "&Edit/Save/Retrieve..."}));
    QCOMPARE(MenuCaptions(window_->Menu("Ephemeris1")),
             QStringList({"Orbital &Elements", "-", "&Generate Ephemeris...", "&View/Print/Save Text...", "-",
                          "Use &Mean Motion...", "-", "Create &Chart...", "-", "Determine Orbit..."}));
    QCOMPARE(MenuCaptions(window_->Menu("Help1")),
             QStringList({"On &Help", "-", "&Topics...", "-", "&User", "-", "Open Demo Night", "-", "&About..."}));
    QCOMPARE(MenuCaptions(window_->PopupMenu()), QStringList({"&Preferences..."}));
    QCOMPARE(window_->Action("LoadData1")->toolTip(), QString("Load data saved from this version."));

    // Visible after Enter session.
    for (const char* name : {"Preferences1", "PrefSeparator", "Report1", "OrbitSearch1", "Ephemeris1"})
      QVERIFY2(window_->Action(name)->isVisible(), name);
    for (const char* name : {"ShortFormat1", "LongFormat1", "SearchTARNEOrbitFile1", "TARNEOrbitFile1"})
      QVERIFY2(!window_->Action(name)->isVisible(), name);
    // Enabled: the menus and submenus the session opens, and the commands already built.
    for (const char* name : {"File1", "LoadImages1", "LoadImg1", "MultipleLoad1", "ImageFileType1", "DownloadOrbitDatabase1", "OtherURLs1",
                             "Report1", "Preferences1", "Options1", "MinorPlanetCenter1", "VORNWebsite1", "ProjectPluto1",
                             "USNOOnlineStatusInfo1", "Exit1", "AboutThisExercise1", "Help1", "ConvertGSC1",
                             "DetermineOrbit1"})
      QVERIFY2(window_->Action(name)->isEnabled(), name);
    // Disabled: as designed, or not built yet.
    for (const char* name : {"ClearImages1", "Images1", "MeasImg1", "Blink1", "SaveUpdates1", "ViewEdit1",
                             "SaveData1", "ClearData1", "ShowSearchResults1", "GenEphem1", "ViewEphText1",
                             "LoadImg2", "User1"})
      QVERIFY2(!window_->Action(name)->isEnabled(), name);
    // Opening the format submenu shows its first entries.
    emit window_->Menu("ViewEdit1")->aboutToShow();
    QVERIFY(window_->Action("ShortFormat1")->isVisible());
    QVERIFY(window_->Action("LongFormat1")->isVisible());
    Stop();
  }

  void popupMenuShowsTheInstructorMessageWhenLocked() {
    Start(false);
    QVERIFY(!window_->Action("Preferences1")->isVisible());
    QTest::mouseClick(window_->ClientArea(), Qt::RightButton, {}, QPoint(100, 100));
    QTRY_VERIFY(window_->PopupMenu()->isVisible());
    const QPoint expected = window_->ClientArea()->mapToGlobal(QPoint(110, 120));
    QCOMPARE(window_->PopupMenu()->pos(), expected);
    window_->Action("Preferences2")->trigger();
    window_->PopupMenu()->hide();
    QCOMPARE(ui_->Messages().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(ui_->Messages()[0].caption), QString("USER OPTIONS!"));
    QVERIFY(ui_->Messages()[0].text.rfind("INSTRUCTOR: ", 0) == 0);
    Stop();
  }

  void popupPreferencesFollowsTheSlotLockAndSubmenusShowTheirCheckMarks() {
    Start();
    // A slot taken for measuring locks both "&Preferences..." items.
    lab_->Views().options = [](skarvel::OptsObj&) { return skarvel::OptionsDialogResult{}; };
    window_->SyncMenus();
    QVERIFY(window_->Action("Preferences2")->isEnabled());
    lab_->LockSlot(0, true);
    window_->SyncMenus();
    QVERIFY(!window_->Action("Preferences1")->isEnabled());
    QVERIFY(!window_->Action("Preferences2")->isEnabled());
    QVERIFY(!window_->PopupMenu()->actions().front()->isEnabled());
    lab_->LockSlot(0, false);
    window_->SyncMenus();
    QVERIFY(window_->Action("Preferences1")->isEnabled());
    QVERIFY(window_->Action("Preferences2")->isEnabled());

    // "Orbital &Elements" shows its check mark once it is checked.
    QMenu* ephemeris = window_->Menu("Ephemeris1");
    QAction* elements = window_->Action("OrbitalElements1");
    QVERIFY(!elements->isChecked());
    ephemeris->popup(QPoint(0, 0));
    QTRY_VERIFY(ephemeris->isVisible());
    const QRect row = ephemeris->actionGeometry(elements);
    const QImage plain = ephemeris->grab().toImage().copy(row);
    lab_->Menus().SetChecked("OrbitalElements1", true);
    window_->SyncMenus();
    QVERIFY(elements->isCheckable());
    QVERIFY(elements->isChecked());
    ephemeris->update();
    const QPixmap shown = ephemeris->grab();
    QVERIFY(shown.save(PicturePath(*root_, "ephemeris-menu-elements-checked.png")));
    const QImage checked = shown.toImage().copy(row);
    // The check mark sits left of the caption: the row's left part changes.
    const QRect markArea(0, 0, row.height() + 8, row.height());
    int changed = 0;
    for (int y = markArea.top(); y <= markArea.bottom(); ++y)
      for (int x = markArea.left(); x <= markArea.right(); ++x)
        if (plain.pixel(x, y) != checked.pixel(x, y)) ++changed;
    QVERIFY2(changed > 10, qPrintable(QString::number(changed)));
    ephemeris->hide();
    Stop();
  }

  // Folders and files whose names are not Latin-1 are opened and written
  // under their own names: an image loaded, report data saved and loaded
  // again, the options saved, and the names shown as they are.
  void pathsOutsideLatin1KeepTheirNames() {
    root_ = std::make_unique<TempDir>();
    const std::string home = root_->MakeDir("zo\xC3\xAB");                              // "zoë"
    const std::string night = home + "\xE8\xA6\xB3\xE6\xB8\xAC/";                      // "観測"
    std::filesystem::create_directories(night);
    auto ui = std::make_unique<QtFileDialogs>();
    AstrmLabEnvironment env;
    env.storage.programDir = skarvel::testing::MakeProgramDir(*root_);
    env.storage.currentDir = home;
    env.storage.perUserDir = root_->Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root_->Path() + "none";
    env.clock = [] { return *skarvel::EncodeDateTime(2026, 12, 9, 20, 0, 0.0L); };
    lab_ = std::make_unique<AstrmLab>(*ui, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    QCOMPARE(QString::fromStdString(lab_->Options().dataDir), QString::fromUtf8(home.c_str()));

    // 1. An image named "星野.fits" in "観測".
    const std::string image = night + "\xE6\x98\x9F\xE9\x87\x8E.fits";
    skarvel::testing::WriteMiniFits(image, 8, 8);
    PickInNextFileDialog(image, nullptr);
    window_->Action("LoadImg1")->trigger();
    QVERIFY(lab_->Slots()[0].image != nullptr);
    QCOMPARE(lab_->Slots()[0].image->fileName, image);
    QVERIFY(lab_->Slots()[0].image->HasImage());
    QVERIFY(window_->ImageWindow(0)->windowTitle().contains(QString::fromUtf8("\xE6\x98\x9F\xE9\x87\x8E")));
    QVERIFY(std::filesystem::exists(lab_->Slots()[0].image->headerTextPath));
    // The next dialog opens in that folder, named as the file system names it.
    QString shown;
    PickInNextFileDialog(image, &shown);
    ui->AnswerNext(Answer::Yes);  // replace image 1
    window_->Action("LoadImg1")->trigger();
    QCOMPARE(shown + "/", QString::fromUtf8(night.c_str()));

    // 2. Report data saved as "夜.RPT" and loaded again.
    skarvel::ObsParams p;
    p.objectName = "Target";
    p.number = "00433";
    p.observationTime = 47000.25;
    skarvel::ReferenceStar target;
    target.fitRA = 5.5L;
    target.fitDec = 22.25L;
    lab_->AddObservation(p, target);
    window_->SyncMenus();
    const std::string report = night + "\xE5\xA4\x9C.RPT";
    PickInNextFileDialog(report, nullptr);
    QVERIFY(lab_->Available("SaveData1"));
    window_->RunCommand("SaveData1");
    QVERIFY(std::filesystem::exists(report));
    QVERIFY(lab_->reportSaved);
    lab_->Report()->SetRecords(nullptr, nullptr, true, nullptr);
    QCOMPARE(lab_->Report()->Count(), std::size_t{0});
    PickInNextFileDialog(report, nullptr);
    window_->RunCommand("LoadData1");
    QCOMPARE(lab_->Report()->Count(), std::size_t{1});
    QCOMPARE(lab_->Report()->Observations()[0].params.objectName, std::string("Target"));

    // 3. The options saved in the folder "zoë".
    std::filesystem::remove(home + "ASTROPTS.INI");
    ui->AnswerNext(Answer::Yes);  // "Save Updated Parameters in ...?"
    lab_->NoteOptionsChanged();
    QVERIFY(std::filesystem::exists(home + "ASTROPTS.INI"));
    QCOMPARE(std::filesystem::file_size(home + "ASTROPTS.INI"), std::uintmax_t{8040});
    // The question named the folder as the file system does.
    QVERIFY(QString::fromStdString(ui->Messages().back().text).contains(QString::fromUtf8("zo\xC3\xAB")));
    QCOMPARE(skarvel::platform::DisplayText(ui->Messages().back().text),
             QString::fromUtf8(("Save Updated Parameters in " + home + "ASTROPTS.INI?").c_str()));
    // Latin-1 texts stay as they were.
    QCOMPARE(skarvel::platform::DisplayText("12\xB0 30'"), QString::fromUtf8("12\u00B0 30'"));
    ui->AnswerNext(Answer::Yes);
    ui->AnswerNext(Answer::No);
    ui->AnswerNext(Answer::No);
    window_->close();
    window_.reset();
    lab_.reset();
  }

  void webPageItemsOpenTheConfiguredAddresses() {
    Start();
    window_->Action("VORNWebsite1")->trigger();
    window_->Action("USNOOnlineStatusInfo1")->trigger();
    QCOMPARE(ui_->WebPages().size(), std::size_t{2});
    QCOMPARE(ui_->WebPages()[0], lab_->Options().vornURL);
    QCOMPARE(ui_->WebPages()[1], lab_->Options().usnoStatusURL);
    // The observatory code list, below the Minor Planet Center's address.
    QCOMPARE(MenuCaptions(window_->Menu("DownloadOrbitDatabase1")).mid(8),
             QStringList({"-", "Download O&bservatory Codes (ObsCodes.html)"}));
    QVERIFY(window_->Action("ObsCodes1")->isEnabled());
    lab_->Options().expertMode = false;
    lab_->Options().mpcURL = "https://mpc.example/mirror";
    ui_->ClearRecords();
    window_->Action("ObsCodes1")->trigger();
    QCOMPARE(ui_->WebPages(), std::vector<std::string>{"https://mpc.example/mirror/iau/lists/ObsCodes.html"});
    QCOMPARE(ui_->Messages().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(ui_->Messages()[0].caption), QString("Observatory Codes"));
    QVERIFY(QString::fromStdString(ui_->Messages()[0].text).contains(QString::fromStdString(lab_->Options().dataDir)));
    Stop();
  }

  void aboutBoxShowsVersionAndExercise() {
    Start();
    QString title;
    QStringList labels;
    AcceptNextModal(&title, &labels);
    window_->Action("AboutThisExercise1")->trigger();
    QCOMPARE(title, QString("About This Software"));
    QVERIFY(labels.contains("Version 1.330"));
    QVERIFY(labels.contains("Skarvel"));
    Stop();
  }

  void clientAreaPictures() {
    Start();
    // Title screen: the drawn title, navy with yellow lettering.
    QImage title = window_->ClientArea()->grab().toImage();
    QVERIFY(title.save(PicturePath(*root_, "main-window-title.png")));
    QCOMPARE(title.size(), QSize(634, 436));
    QVERIFY(CountColour(title, QColor(0, 0, 128), 10) > 634 * 436 / 2);
    QVERIFY(CountColour(title, QColor(255, 255, 0), 60) > 500);
    {
      // The File menu and its "Other &URLs" submenu cut no yellow letter into
      // a bar beside them: no yellow within 12 pixels of where they open.
      QMenu* file = window_->Menu("File1");
      QMenu* urls = window_->Menu("OtherURLs1");
      file->popup(window_->menuBar()->mapToGlobal(window_->menuBar()->actionGeometry(file->menuAction()).bottomLeft()));
      urls->popup(file->mapToGlobal(file->actionGeometry(urls->menuAction()).topRight()));
      int yellow = 0;
      for (QMenu* m : {file, urls}) {
        const QRect r(window_->ClientArea()->mapFromGlobal(m->geometry().topLeft()), m->size());
        const QRect near = r.adjusted(0, 0, 12, 12).intersected(title.rect());
        QVERIFY(!near.isEmpty());
        yellow += CountColour(title.copy(near), QColor(255, 255, 0), 60);
      }
      urls->hide();
      file->hide();
      QCOMPARE(yellow, 0);
    }
    // Work screen: nothing loaded, only navy.
    lab_->SetScreenMode(AstrmLab::kWorkScreen);
    QImage empty = window_->ClientArea()->grab().toImage();
    QCOMPARE(CountColour(empty, QColor(0, 0, 128), 0), 634 * 436);
    // A loaded slot writes its two lines in yellow, in the band of slot 2.
    const std::string path = root_->MakeDir("n1") + "img2.fits";
    skarvel::testing::WriteMiniFits(path, 8, 8);
    auto image = std::make_unique<skarvel::FITSFileObj>(
        skarvel::ImageLoadContext{ui_.get(), root_->Path(), 0, nullptr, nullptr});
    QVERIFY(image->Load(path));
    lab_->Slots()[1].image = std::move(image);
    QImage work = window_->ClientArea()->grab().toImage();
    QVERIFY(work.save(PicturePath(*root_, "main-window-work.png")));
    const QImage band = work.copy(0, 70, 634, 50);
    const QImage above = work.copy(0, 0, 634, 70);
    QVERIFY(CountColour(band, QColor(255, 255, 0), 80) > 100);
    QCOMPARE(CountColour(above, QColor(0, 0, 128), 0), 634 * 70);
    Stop();
  }

  // A dialog closed over the work screen gets it drawn again at once, without
  // waiting for the window system to say so (a bare X server may not).
  void theWorkScreenIsDrawnAgainAfterADialogCloses() {
    Start();
    lab_->SetScreenMode(AstrmLab::kWorkScreen);
    const std::string path = root_->MakeDir("n1") + "img1.fits";
    skarvel::testing::WriteMiniFits(path, 8, 8);
    auto image = std::make_unique<skarvel::FITSFileObj>(
        skarvel::ImageLoadContext{ui_.get(), root_->Path(), 0, nullptr, nullptr});
    QVERIFY(image->Load(path));
    lab_->Slots()[0].image = std::move(image);
    window_->ClientArea()->repaint();
    struct PaintCounter : QObject {
      int paints = 0;
      bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
      }
    } counter;
    window_->ClientArea()->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;
    {
      QDialog dialog(window_.get());
      dialog.setWindowTitle("Over the work screen");
      dialog.setGeometry(window_->geometry().adjusted(40, 60, -40, -60));
      QTimer::singleShot(50, &dialog, &QDialog::accept);
      dialog.exec();
    }
    QTest::qWait(50);
    QVERIFY2(counter.paints > 0, "the work screen was not drawn again after the dialog closed");
    const QImage work = window_->ClientArea()->grab().toImage();
    QVERIFY(work.save(PicturePath(*root_, "main-window-after-dialog.png")));
    QVERIFY(CountColour(work.copy(0, 0, 634, 70), QColor(255, 255, 0), 80) > 100);  // slot 1's lines
    window_->ClientArea()->removeEventFilter(&counter);
    Stop();
  }

  void drawnPicturesAndInstalledBitmaps() {
    const QImage logo = skarvel::ui::DrawnLogo();
    QCOMPARE(logo.size(), QSize(300, 200));
    QVERIFY(CountColour(logo, QColor(255, 255, 0), 60) > 200);
    // An installed bitmap is shown as it is.
    TempDir dir;
    QImage red(50, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString path = QString::fromStdString(dir.Path() + "LOGO.BMP");
    QVERIFY(red.save(path, "BMP"));
    QCOMPARE(skarvel::ui::LogoPicture(path).size(), QSize(50, 40));
    QCOMPARE(skarvel::ui::LogoPicture(QString::fromStdString(dir.Path() + "missing.bmp")).size(), QSize(300, 200));
  }

  void closingAsksAndWritesTheLogout() {
    Start();
    ui_->AnswerNext(Answer::No);
    window_->close();
    QVERIFY(window_->isVisible());
    QCOMPARE(QString::fromStdString(ui_->Messages().back().caption), QString("Verify Exit"));
    const std::string log = root_->Path() + "work/VORNLOG.LOG";
    QVERIFY(skarvel::testing::ReadText(log).find("Logout:") == std::string::npos);
    // "&Exit" runs the same query.
    ui_->AnswerNext(Answer::Yes);
    now_ += 1.5 / 24.0;
    window_->Action("Exit1")->trigger();
    QVERIFY(!window_->isVisible());
    const std::string text = skarvel::testing::ReadText(log);
    QVERIFY(text.find("Elapsed Time:  1:30:00.00\nEndLogout: VORN_AST\n") != std::string::npos);
    Stop();
  }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
