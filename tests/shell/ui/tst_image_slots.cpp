// The image slot commands through the main window's menus, and the
// "Select Image File Type" dialog, on the offscreen platform.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "foundations/date_time.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_image_file_type_dlg.h"
#include "support/lab_environment.h"
#include "support/mini_fits.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::ImageTypeSelection;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TImageFileTypeDlg;

class TestImageSlots : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;

  void Start(bool expert = false) {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    skarvel::AstrmLabEnvironment env = skarvel::testing::LabEnvironment(*root_);
    if (expert) {
      ScriptedPlatform quiet;
      skarvel::OptsObj opts("ASTROPTS.INI", "1.330", env.storage, quiet);
      QVERIFY(opts.Start());
      opts.Record().expertMode = true;
      QVERIFY(opts.Write(env.storage.currentDir));
    }
    lab_ = std::make_unique<AstrmLab>(*ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
  }

  std::string Image(const std::string& name, int base) {
    const std::string path = root_->Path() + name;
    skarvel::testing::WriteMiniFits(path, 8, 6, base);
    return path;
  }

  void Stop() {
    ui_->AnswerNext(Answer::Yes);  // close
    ui_->AnswerNext(Answer::No);   // do not save the changed image folder
    window_->close();
    window_.reset();
    lab_.reset();
  }

  bool On(const char* name) { return window_->Action(name)->isEnabled(); }

 private slots:
  // Two images of one file name from two folders keep their own header text
  // and bitmap in DataDir; releasing one deletes exactly its own files.
  void sameFileNamesFromTwoFoldersKeepTheirOwnTemporaryFiles() {
    Start();
    const std::string data = lab_->Options().dataDir;
    const std::string a = root_->MakeDir("night1") + "m31.fits";
    const std::string b = root_->MakeDir("night2") + "m31.fits";
    skarvel::testing::WriteMiniFits(a, 8, 6, 10, {"OBJECT  = 'First night'"});
    skarvel::testing::WriteMiniFits(b, 8, 6, 20, {"OBJECT  = 'Second night'"});
    ui_->ChooseFilesNext(std::vector<std::string>{a});
    window_->Action("LoadImg1")->trigger();
    ui_->ChooseFilesNext(std::vector<std::string>{b});
    window_->Action("LoadImg2")->trigger();
    const auto* first = lab_->Slots()[0].image.get();
    const auto* second = lab_->Slots()[1].image.get();
    QVERIFY(first != nullptr && second != nullptr);
    // The first keeps the plain names; the second takes numbered ones.
    QCOMPARE(QString::fromStdString(first->headerTextPath), QString::fromStdString(data + "M31S.HDR"));
    QCOMPARE(QString::fromStdString(second->headerTextPath), QString::fromStdString(data + "M31S-2.HDR"));
    QCOMPARE(QString::fromStdString(first->BitmapPath()), QString::fromStdString(data + "m31s.BMP"));
    QCOMPARE(QString::fromStdString(second->BitmapPath()), QString::fromStdString(data + "m31s-2.BMP"));
    for (const std::string& f : {data + "M31S.HDR", data + "M31S-2.HDR", data + "m31s.BMP", data + "m31s-2.BMP"})
      QVERIFY2(QFile::exists(QString::fromStdString(f)), f.c_str());
    QVERIFY(skarvel::testing::ReadText(data + "M31S.HDR").find("First night") != std::string::npos);
    QVERIFY(skarvel::testing::ReadText(data + "M31S-2.HDR").find("Second night") != std::string::npos);
    // Slot 1 reloaded with the second night's file: the old image goes with
    // its own files, the new one does not take slot 2's.
    ui_->AnswerNext(Answer::Yes);  // replace image 1
    ui_->ChooseFilesNext(std::vector<std::string>{b});
    window_->Action("LoadImg1")->trigger();
    const auto* reloaded = lab_->Slots()[0].image.get();
    QVERIFY(reloaded != first);
    QVERIFY(reloaded->headerTextPath != second->headerTextPath);
    QVERIFY(reloaded->BitmapPath() != second->BitmapPath());
    QVERIFY(QFile::exists(QString::fromStdString(reloaded->headerTextPath)));
    QVERIFY(QFile::exists(QString::fromStdString(reloaded->BitmapPath())));
    QVERIFY(skarvel::testing::ReadText(data + "M31S-2.HDR").find("Second night") != std::string::npos);
    QVERIFY(QFile::exists(QString::fromStdString(data + "m31s-2.BMP")));
    const std::string reloadedHeader = reloaded->headerTextPath;
    // Clearing the images removes every temporary file.
    ui_->AnswerNext(Answer::Yes);  // clear
    window_->Action("Object1")->trigger();
    for (const std::string& f : {data + "M31S.HDR", data + "M31S-2.HDR", data + "m31s.BMP", data + "m31s-2.BMP",
                                 reloadedHeader})
      QVERIFY2(!QFile::exists(QString::fromStdString(f)), f.c_str());
    Stop();
  }

  void loadClearAndMultipleLoadThroughTheMenus() {
    Start();
    QVERIFY(On("MultipleLoad1"));
    ui_->ChooseFilesNext(std::vector<std::string>{Image("one.fits", 10)});
    window_->Action("LoadImg1")->trigger();
    ui_->ChooseFilesNext(std::vector<std::string>{Image("two.fits", 20)});
    window_->Action("LoadImg2")->trigger();
    QVERIFY(!On("MultipleLoad1"));
    QVERIFY(window_->Action("LoadImg1")->isChecked());
    QVERIFY(window_->Action("LoadImg2")->isChecked());
    QVERIFY(On("LoadImg3"));
    QVERIFY(!On("LoadImg4"));
    QVERIFY(On("Images1"));
    QVERIFY(On("ClearImages1"));
    QVERIFY(On("Object1"));
    // The work screen lists both slots.
    const QImage screen = window_->ClientArea()->grab().toImage();
    int yellowInSlot2 = 0;
    for (int y = 75; y < 120; ++y)
      for (int x = 0; x < 300; ++x) {
        const QColor c = screen.pixelColor(x, y);
        if (c.red() > 200 && c.green() > 200 && c.blue() < 80) ++yellowInSlot2;
      }
    QVERIFY(yellowInSlot2 > 50);

    ui_->AnswerNext(Answer::Yes);
    window_->Action("Object1")->trigger();
    QVERIFY(On("MultipleLoad1"));
    QVERIFY(!On("LoadImg2"));
    QVERIFY(!window_->Action("LoadImg1")->isChecked());
    QVERIFY(!On("Images1"));

    // Five files are refused, then four fill slots 1 to 4 in the order listed.
    std::vector<std::string> files;
    for (int i = 1; i <= 5; ++i) files.push_back(Image("m" + std::to_string(i) + ".fits", i));
    ui_->ChooseFilesNext(files);
    files.pop_back();
    ui_->ChooseFilesNext(files);
    window_->Action("MultipleLoad1")->trigger();
    QCOMPARE(QString::fromStdString(ui_->Messages().back().text),
             QString("A Maximum of Four (4) Files May Be Selected."));
    for (std::size_t slot = 0; slot < 4; ++slot)
      QCOMPARE(lab_->Slots()[slot].image->pixels.PixelAt(0, 0), static_cast<int>(slot) + 1);
    for (const char* name : {"MeasImg1", "MeasImg2", "MeasImg3", "MeasImg4", "Blink1"}) QVERIFY2(lab_->Menus().At(name).enabled, name);
    Stop();
  }

  void failedLoadKeepsTheImageAndExpertModeAsksNothing() {
    Start(true);
    ui_->ChooseFilesNext(std::vector<std::string>{Image("one.fits", 10)});
    window_->Action("LoadImg1")->trigger();
    auto* first = lab_->Slots()[0].image.get();
    skarvel::testing::WriteText(root_->Path() + "bad.fits", std::string(400, 'z'));
    ui_->ChooseFilesNext(std::vector<std::string>{root_->Path() + "bad.fits"});
    ui_->ChooseFilesNext(std::nullopt);
    window_->Action("LoadImg1")->trigger();
    QCOMPARE(lab_->Slots()[0].image.get(), first);
    QCOMPARE(ui_->Messages().size(), std::size_t{1});  // only the reader's own message
    QCOMPARE(QString::fromStdString(ui_->Messages()[0].caption), QString("FITS File Error!"));
    window_->Action("Object1")->trigger();
    QVERIFY(!lab_->Slots()[0].Loaded());
    QCOMPARE(ui_->Messages().size(), std::size_t{1});
    ui_->AnswerNext(Answer::Yes);
    window_->close();
    window_.reset();
    lab_.reset();
  }

  void imageFileTypeDialog() {
    TImageFileTypeDlg dialog(ImageTypeSelection{0, 2});
    dialog.show();
    auto* st4 = dialog.findChild<QRadioButton*>("format1");
    auto* end = dialog.findChild<QRadioButton*>("time2");
    QVERIFY(end->isChecked());
    QCOMPARE(dialog.windowTitle(), QString("Select Image File Type"));
    QCOMPARE(dialog.findChild<QRadioButton*>("format2")->text(), QString("Other S&BIG"));
    QCOMPARE(dialog.findChild<QRadioButton*>("time1")->text(), QString("&Midpoint of Exp."));
    QTest::mouseClick(st4, Qt::LeftButton);
    QVERIFY(st4->isChecked());
    auto* timeGroup = end->parentWidget();
    QVERIFY(!timeGroup->isEnabled());
    QVERIFY(!end->isChecked());
    QCOMPARE(dialog.Choice().format, std::uint8_t{1});
    QCOMPARE(dialog.Choice().timeType, std::uint8_t{3});
    QTest::mouseClick(dialog.findChild<QRadioButton*>("format0"), Qt::LeftButton);
    QVERIFY(timeGroup->isEnabled());
    QCOMPARE(dialog.Choice().timeType, std::uint8_t{0});

    // Through the menu: choosing "Other SBIG" with the end time runs the options-changed flow.
    Start();
    QTimer::singleShot(50, [] {
      auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(modal != nullptr);
      QTest::mouseClick(modal->findChild<QRadioButton*>("format2"), Qt::LeftButton);
      QTest::mouseClick(modal->findChild<QRadioButton*>("time2"), Qt::LeftButton);
      modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ui_->AnswerNext(Answer::Yes);
    window_->Action("ImageFileType1")->trigger();
    QCOMPARE(lab_->Options().imageFileType, std::uint8_t{2});
    QCOMPARE(lab_->Options().headerTimeType, std::uint8_t{2});
    QCOMPARE(QString::fromStdString(ui_->Messages().back().caption), QString("Save Option Changes?"));
    ui_->AnswerNext(Answer::Yes);
    window_->close();
    window_.reset();
    lab_.reset();
  }
};

QTEST_MAIN(TestImageSlots)
#include "tst_image_slots.moc"
