// "Software Options", "File Name Options" and "Set Star Catalog Options" on the
// offscreen platform, opened from the main window's menus and from the field
// parameters dialog: controls clicked and typed, sub-dialogs driven, OK and
// Cancel pressed, the options file compared byte for byte, pictures of every
// page checked for their captions.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <functional>
#include <memory>

#include "astrometry/ui/t_fld_parms_dlg.h"
#include "config/ui/t_catlg_opts_dlg.h"
#include "config/ui/t_file_opts_dlg.h"
#include "config/ui/t_options_dlg.h"
#include "config/ui/t_usr_parms_dlg.h"
#include "images/ui/t_box_dlg_form1.h"
#include "images/ui/t_img_adjst_dlg.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/lab_environment.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using namespace skarvel;
using skarvel::platform::Answer;
using skarvel::testing::ReadAll;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;

namespace {

/// Runs `fn` on the modal dialog of type T once it shows (nested dialogs schedule their own).
template <typename T>
void OnModal(std::function<void(T&)> fn, bool* ran = nullptr) {
  QTimer::singleShot(0, [fn, ran] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    QVERIFY2(dialog != nullptr, "the expected dialog is not the active modal window");
    fn(*dialog);
    if (ran) *ran = true;
  });
}

void PressBoxOk(QDialog& dialog) { dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); }

QPushButton* Named(QWidget& w, const char* name) { return w.findChild<QPushButton*>(name); }

/// The offsets at which two files of equal size differ.
std::vector<std::size_t> Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) at.push_back(i);
  return at;
}

float FloatAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t bits = 0;
  for (int k = 3; k >= 0; --k) bits = (bits << 8) | bytes[offset + static_cast<std::size_t>(k)];
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// Where the pictures a person would look at are kept: $SKARVEL_SCREENSHOT_DIR when set, else the test's folder.
QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

QString CaptionOf(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return {};
}

/// Every caption is drawn in `picture` (a grab of `top`): its widget is shown,
/// lies wholly inside the picture, is wide enough for its text, overlaps no
/// other caption, and its text area holds text pixels darker than the face.
void CheckCaptions(QWidget* top, const QImage& picture, const QStringList& captions) {
  QList<QRect> taken;
  // Text, disabled text included, is well darker than the dialog's face.
  const int background = picture.pixelColor(1, 1).lightness();
  for (const QString& caption : captions) {
    QWidget* found = nullptr;
    for (QWidget* w : top->findChildren<QWidget*>())
      if (w->isVisibleTo(top) && CaptionOf(w) == caption) found = w;
    QVERIFY2(found != nullptr, qPrintable("caption not shown: " + caption));
    QRect area(found->mapTo(top, QPoint(0, 0)), found->size());
    QVERIFY2(picture.rect().contains(area), qPrintable("caption outside the picture: " + caption));
    const QFontMetrics metrics(found->font());
    const int textWidth = metrics.horizontalAdvance(QString(caption).remove('&'));
    // Check boxes and radio buttons draw their indicator left of the text; group boxes their title on top.
    if (qobject_cast<QCheckBox*>(found) || qobject_cast<QRadioButton*>(found)) area.setLeft(area.left() + 18);
    if (qobject_cast<QGroupBox*>(found)) area.setHeight(metrics.height() + 2);
    if (!qobject_cast<QGroupBox*>(found))
      QVERIFY2(found->width() >= textWidth, qPrintable("caption cut off: " + caption));
    for (const QRect& other : taken)
      if (!qobject_cast<QGroupBox*>(found)) QVERIFY2(!other.intersects(area), qPrintable("captions overlap: " + caption));
    if (!qobject_cast<QGroupBox*>(found)) taken << area;
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (picture.pixelColor(x, y).lightness() < background - 40) ++ink;
    QVERIFY2(ink >= textWidth / 3, qPrintable("caption not drawn: " + caption));
  }
}

}  // namespace

class TestOptionsDialogs : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<ui::TAstrmLab> window_;
  std::vector<std::uint8_t> before_;  ///< the options file as it was written at the start

  std::string OptionsFile() const { return lab_->Options().dataDir + "ASTROPTS.INI"; }

  /// A session with its options file in the working folder.
  void Start() {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    lab_ = std::make_unique<AstrmLab>(*ui_, skarvel::testing::LabEnvironment(*root_));
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    QVERIFY(lab_->Opts()->Write(lab_->Options().dataDir));
    before_ = ReadAll(OptionsFile());
    QCOMPARE(before_.size(), std::size_t{8040});
    window_ = std::make_unique<ui::TAstrmLab>(*lab_);
    window_->show();
    ui_->ClearRecords();
  }
  void Stop() {
    window_.reset();
    lab_.reset();
    ui_.reset();
    root_.reset();
  }
  /// Opens "Software Options" from the menu; `fn` works in it.
  void WithOptionsDialog(std::function<void(ui::TOptionsDlg&)> fn, const char* item = "Options1") {
    bool ran = false;
    OnModal<ui::TOptionsDlg>(fn, &ran);
    QVERIFY(window_->Action(item)->isEnabled());
    window_->Action(item)->trigger();
    QVERIFY(ran);
  }

 private slots:
  void bothMenuItemsOpenTheDialogAndCancelChangesNothing() {
    Start();
    for (const char* item : {"Options1", "Preferences2"}) {
      WithOptionsDialog(
          [](ui::TOptionsDlg& d) {
            QCOMPARE(d.windowTitle(), QString("Software Options"));
            d.Box("ExpertBox")->click();
            d.Solution().Button(2)->click();
            Named(d, "CancelBtn")->click();
          },
          item);
      QVERIFY(!lab_->Options().expertMode);
      QCOMPARE(lab_->Options().solutionType, std::uint8_t{0});
    }
    // Cancel runs no save, and the file stays as it was.
    QVERIFY(ui_->Messages().empty());
    QCOMPARE(ReadAll(OptionsFile()), before_);
    Stop();
  }

  void okSavesExactlyTheChangedFields() {
    Start();
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      QVERIFY(!d.Box("RstrRefsBox")->isChecked());
      QCOMPARE(d.SizeEdit()->text(), QString("15.0"));
      QCOMPARE(d.MagEdit()->text(), QString("20.0"));
      QCOMPARE(d.Box("ExpertBox")->toolTip(), QString("In \"Expert\" mode, warning and confirmation messages are omitted."));
      d.Box("RstrRefsBox")->click();
      d.Solution().Button(2)->click();
      d.MagEdit()->clear();
      QTest::keyClicks(d.MagEdit(), "16.5");
      Named(d, "OKBtn")->click();
    });
    QCOMPARE(ui_->Messages().size(), std::size_t{1});
    QCOMPARE(ui_->Messages()[0].caption, std::string("Save Option Changes?"));
    QCOMPARE(ui_->Messages()[0].text, "Save Updated Parameters in " + OptionsFile() + "?");
    const auto after = ReadAll(OptionsFile());
    QCOMPARE(after.size(), std::size_t{8040});
    // RestoreAllRefs (6954), SolutionType (6959) and the one byte of MagLimit that differs (8032..8035).
    QCOMPARE(Differences(before_, after), (std::vector<std::size_t>{6954, 6959, 8034}));
    QCOMPARE(after[6954], std::uint8_t{1});
    QCOMPARE(after[6959], std::uint8_t{2});
    QCOMPARE(FloatAt(after, 8032), 16.5f);
    QCOMPARE(ReadAll(lab_->Options().dataDir + "ASTROPTS.BAK"), before_);
    QVERIFY(lab_->Options().restoreAllRefs);
    QCOMPARE(lab_->Options().magLimit, 16.5f);
    QVERIFY(!lab_->optionsChanged);
    Stop();
  }

  void centringChoiceAndPlateWeightingAreSavedAtTheirBytes() {
    Start();
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      // A new installation measures with the windowed centroid and solves unweighted.
      QCOMPARE(d.Centring().Checked(), 1);
      QVERIFY(!d.Box("WeightBox")->isChecked());
      QCOMPARE(d.Box("WeightBox")->text(), QString("Weight Plate by Centring Errors"));
      d.Centring().Button(2)->click();
      d.Box("WeightBox")->click();
      Named(d, "OKBtn")->click();
    });
    const auto after = ReadAll(OptionsFile());
    // The plate flags byte after the laboratory table and the centring byte, nothing else.
    QCOMPARE(Differences(before_, after), (std::vector<std::size_t>{6943, 8023}));
    QCOMPARE(after[6943], std::uint8_t{1});
    QCOMPARE(after[8023], std::uint8_t{2});
    QVERIFY(WeightPlateByUncertainty(lab_->Options()));
    QCOMPARE(lab_->Options().centroidMethod, std::uint8_t{kCentroidPsfFit});
    // Opened again it shows the saved choice; the box centroid and no weighting go back.
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      QCOMPARE(d.Centring().Checked(), 2);
      QVERIFY(d.Box("WeightBox")->isChecked());
      d.Centring().Button(0)->click();
      d.Box("WeightBox")->click();
      Named(d, "OKBtn")->click();
    });
    const auto again = ReadAll(OptionsFile());
    QCOMPARE(again[6943], std::uint8_t{0});
    QCOMPARE(again[8023], std::uint8_t{0});
    QCOMPARE(lab_->Options().centroidMethod, std::uint8_t{kCentroidClassic});
    Stop();
  }

  void cancelAfterTheCameraSubDialogRestoresTheOldCamera() {
    Start();
    const CameraRecord old = lab_->Options().cameraRecord;
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      OnModal<ui::TCamParmsDlg>([](ui::TCamParmsDlg& cam) {
        QCOMPARE(cam.windowTitle(), QString("Camera Parameters"));
        cam.Field(0)->setText("ST-10XME");
        cam.Field(6)->setText("2000.0");
        cam.Field(7)->setText("1");
        PressBoxOk(cam);
      });
      Named(d, "CameraBtn")->click();
      // The sub-dialog wrote the record the options dialog works on.
      QCOMPARE(d.Logic()->Record().cameraRecord.name, std::string("ST-10XME"));
      QCOMPARE(d.Logic()->Record().cameraRecord.focalLengthMm, 2000.0f);
      QVERIFY(d.Logic()->Confirmed(OptionsSubDialog::Camera));
      Named(d, "CancelBtn")->click();
    });
    QCOMPARE(lab_->Options().cameraRecord, old);
    QCOMPARE(lab_->Opts()->Record().cameraRecord, old);
    QCOMPARE(lab_->Report()->camera, old);
    QVERIFY(ui_->Messages().empty());
    Stop();
  }

  void aConfirmedUserGoesIntoTheReport() {
    Start();
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      OnModal<ui::TUsrParmsDlg>([](ui::TUsrParmsDlg& user) {
        user.Field(0)->setText("R. Vance");
        PressBoxOk(user);
      });
      Named(d, "UserBtn")->click();
      Named(d, "OKBtn")->click();
    });
    QCOMPARE(lab_->Options().userRecord.contactName, std::string("R. Vance"));
    QCOMPARE(lab_->Report()->user.contactName, std::string("R. Vance"));
    QCOMPARE(ReadAll(OptionsFile())[6962], std::uint8_t{8});  // the contact name's length byte
    Stop();
  }

  void administratorAnsweredNoStaysUncheckedAndIsNeverSaved() {
    Start();
    WithOptionsDialog([this](ui::TOptionsDlg& d) {
      ui_->AnswerNext(Answer::No);
      QTest::mouseClick(d.Box("AdminBox"), Qt::LeftButton);
      QVERIFY(!d.Box("AdminBox")->isChecked());
      QCOMPARE(ui_->Messages().back().caption, std::string("Multi-User Environment?"));
      Named(d, "OKBtn")->click();
    });
    QVERIFY(!lab_->Options().administrator);
    QVERIFY(!lab_->saveAsDefaults);
    // Answered Yes it is set for the session, yet the file never holds it.
    ui_->ClearRecords();
    WithOptionsDialog([this](ui::TOptionsDlg& d) {
      ui_->AnswerNext(Answer::Yes);
      QTest::mouseClick(d.Box("AdminBox"), Qt::LeftButton);
      QVERIFY(d.Box("AdminBox")->isChecked());
      Named(d, "OKBtn")->click();
    });
    QVERIFY(lab_->Options().administrator);
    QCOMPARE(ui_->Captions(), (std::vector<std::string>{"Multi-User Environment?", "Save Option Changes?",
                                                         "Use As Defaults for All Users?"}));
    QCOMPARE(ReadAll(OptionsFile()), before_);
    QCOMPARE(ReadAll(lab_->Options().programDir + "ASTROPTS.INI"), before_);
    Stop();
  }

  void numbersThatAreNoNumbersAreIgnored() {
    Start();
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      d.SizeEdit()->setText("abc");
      d.MagEdit()->setText("17,5");
      Named(d, "OKBtn")->click();
    });
    QCOMPARE(lab_->Options().fieldSize, 15.0f);
    QCOMPARE(lab_->Options().magLimit, 20.0f);
    QCOMPARE(ReadAll(OptionsFile()), before_);
    Stop();
  }

  void fileFormatRadiosSwitchTheTimeGroup() {
    Start();
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      QVERIFY(d.TimeType().box->isEnabled());
      QVERIFY(d.TimeType().Button(0)->isChecked());
      d.FileFormat().Button(1)->click();  // ST-4
      QVERIFY(!d.TimeType().box->isEnabled());
      QCOMPARE(d.TimeType().Checked(), -1);
      QVERIFY(!d.Box("AutoBox")->isEnabled());
      d.FileFormat().Button(2)->click();  // Other SBIG
      QVERIFY(d.TimeType().box->isEnabled());
      QVERIFY(d.TimeType().Button(0)->isChecked());
      QVERIFY(!d.Box("AutoBox")->isEnabled());
      d.FileFormat().Button(1)->click();
      Named(d, "OKBtn")->click();
    });
    QCOMPARE(lab_->Options().imageFileType, std::uint8_t{1});
    QCOMPARE(lab_->Options().headerTimeType, std::uint8_t{3});
    // Opening again on ST-4: the time group is cleared and disabled.
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      QVERIFY(!d.TimeType().box->isEnabled());
      QCOMPARE(d.TimeType().Checked(), -1);
      d.FileFormat().Button(0)->click();
      QVERIFY(d.Box("AutoBox")->isEnabled());
      Named(d, "CancelBtn")->click();
    });
    QCOMPARE(lab_->Options().imageFileType, std::uint8_t{1});
    Stop();
  }

  void aGscPathTypedWithoutSeparatorIsStoredWithOne() {
    Start();
    WithOptionsDialog([this](ui::TOptionsDlg& d) {
      OnModal<ui::TFIleOptsDlg>([this](ui::TFIleOptsDlg& files) {
        QCOMPARE(files.windowTitle(), QString("File Name Options"));
        QCOMPARE(files.Pages()->currentIndex(), 0);
        QCOMPARE(files.focusWidget(), files.Field("LogoEd"));
        QCOMPARE(files.Field("LogoEd")->selectedText(), QString("VORNLOGO.BMP"));
        files.Pages()->setCurrentIndex(1);
        QTest::keyClicks(files.Field("GSCPath1Ed"), "/cat/gsc");
        // A double click on volume 2 starts the chooser at volume 1's folder.
        ui_->ChooseDirectoryNext(std::string("/cat/gsc2"));
        QTest::mouseDClick(files.Field("GSCPath2Ed"), Qt::LeftButton);
        QCOMPARE(files.Field("GSCPath2Ed")->text(), QString("/cat/gsc2/"));
        QCOMPARE(ui_->DirectoryDialogs().back().directory, std::string("/cat/gsc"));
        Named(files, "OKBtn")->click();
      });
      Named(d, "FilesBtn")->click();
      Named(d, "OKBtn")->click();
    });
    QCOMPARE(lab_->Options().gscPath1, std::string("/cat/gsc/"));
    QCOMPARE(lab_->Options().gscPath2, std::string("/cat/gsc2/"));
    const auto after = ReadAll(OptionsFile());
    QCOMPARE(after[328], std::uint8_t{9});  // GSCPath1 at 328: length 9, "/cat/gsc/"
    QCOMPARE(std::string(after.begin() + 329, after.begin() + 338), std::string("/cat/gsc/"));
    QCOMPARE(after[584], std::uint8_t{10});
    Stop();
  }

  void ucac2AfterSa1StoredShowsNone() {
    Start();
    lab_->Options().catalogLocation = 0;
    lab_->Options().supplCatalog = kSupplSA1;
    WithOptionsDialog([this](ui::TOptionsDlg& d) {
      OnModal<ui::TCatlgOptsDlg>([this](ui::TCatlgOptsDlg& c) {
        QCOMPARE(c.windowTitle(), QString("Set Star Catalog Options"));
        QVERIFY(c.Suppl().Button(1)->isChecked());
        QVERIFY(!c.Web().box->isEnabled());
        c.Primary().Button(2)->click();  // "UCAC2"
        QVERIFY(c.Suppl().Button(0)->isChecked());
        QCOMPARE(c.Suppl().Button(0)->text(), QString("(None)"));
        c.Suppl().Button(2)->click();  // "USNO-SA2.0" does not go with UCAC2
        QCOMPARE(ui_->Messages().back().text,
                 std::string("Selected supplementary catalog cannot be used with UCAC2 or UCAC3."));
        QVERIFY(c.Suppl().Button(0)->isChecked());
        c.Suppl().Button(3)->click();  // "UCAC-BSS" does
        c.Location().Button(1)->click();
        QVERIFY(c.Web().box->isEnabled() && c.Service().box->isEnabled());
        c.Web().Button(4)->click();      // "UCAC4"
        c.Service().Button(1)->click();  // the USNO-style query
        QVERIFY(!c.Primary().box->isEnabled() && !c.Suppl().box->isEnabled());
        c.Location().Button(0)->click();
        Named(c, "OKBtn")->click();
      });
      Named(d, "StarCatBtn")->click();
      Named(d, "OKBtn")->click();
    });
    QCOMPARE(lab_->Options().primaryCatalog, std::uint8_t{kPrimaryUCAC2});
    QCOMPARE(lab_->Options().supplCatalog, std::uint8_t{kSupplBSS});
    QCOMPARE(lab_->Options().catalogLocation, std::uint8_t{0});
    QCOMPARE(lab_->Options().webCatalog, std::uint8_t{kWebUCAC4});
    QCOMPARE(lab_->Options().onlineService, std::uint8_t{kServiceUSNO});
    Stop();
  }

  // The star catalog dialog shows the VizieR server the queries go to and
  // changes it: the same `vizierServer` text as "File Name Options", saved in
  // its bytes of the options file (length at 7997, 25 characters after it).
  void theStarCatalogDialogShowsAndChangesTheVizieRServer() {
    Start();
    lab_->Options().catalogLocation = 0;
    WithOptionsDialog([this](ui::TOptionsDlg& d) {
      OnModal<ui::TCatlgOptsDlg>([this](ui::TCatlgOptsDlg& c) {
        QLineEdit* server = c.ServerEdit();
        QVERIFY(server != nullptr && c.findChild<QLineEdit*>("VizieRServerEd") == server);
        QCOMPARE(server->text(), QString());
        QCOMPARE(c.ServerInUse()->text(), QString("Queries go to https://vizier.cds.unistra.fr/viz-bin/asu-tsv"));
        QVERIFY(!server->parentWidget()->isEnabled());  // local files: no query is sent
        c.Location().Button(1)->click();
        QVERIFY(server->parentWidget()->isEnabled());
        QCOMPARE(server->maxLength(), 25);
        QTest::keyClicks(server, "vizier.cfa.harvard.edu");
        QCOMPARE(c.ServerInUse()->text(), QString("Queries go to https://vizier.cfa.harvard.edu/viz-bin/asu-tsv"));
        QApplication::processEvents();
        QVERIFY(c.ServerInUse()->width() >= c.ServerInUse()->sizeHint().width());  // the address shown whole
        QVERIFY(c.grab().toImage().save(PicturePath(*root_, "star-catalog-options-vizier.png")));
        Named(c, "OKBtn")->click();
      });
      Named(d, "StarCatBtn")->click();
      Named(d, "OKBtn")->click();
    });
    QCOMPARE(lab_->Options().vizierServer, std::string("vizier.cfa.harvard.edu"));
    QCOMPARE(lab_->Options().catalogLocation, std::uint8_t{1});
    const std::vector<std::uint8_t> after = ReadAll(OptionsFile());
    QCOMPARE(after.size(), std::size_t{8040});
    QCOMPARE(int(after[7997]), 22);
    QCOMPARE(std::string(after.begin() + 7998, after.begin() + 7998 + 22), std::string("vizier.cfa.harvard.edu"));
    for (std::size_t at : Differences(before_, after))
      QVERIFY2(at == 6958 || (at >= 7997 && at < 7997 + 26), qPrintable(QString("byte %1 changed").arg(at)));
    // "File Name Options" shows the same setting; emptied, the main address is back.
    const FileOptionsLogic files(lab_->Options());
    QCOMPARE(files.texts.at(FileOptionsLogic::IndexOf("VizieRServerEd")), std::string("vizier.cfa.harvard.edu"));
    lab_->Options().vizierServer.clear();
    OnModal<ui::TCatlgOptsDlg>([](ui::TCatlgOptsDlg& c) {
      QCOMPARE(c.ServerEdit()->text(), QString());
      // A loopback address with its port, kept as written; Cancel keeps the record.
      c.ServerEdit()->setText(" http://127.0.0.1:8080/ ");
      QCOMPARE(c.ServerInUse()->text(), QString("Queries go to http://127.0.0.1:8080/viz-bin/asu-tsv"));
      Named(c, "CancelBtn")->click();
    });
    ui::TCatlgOptsDlg direct(&lab_->Options(), *ui_);
    direct.exec();
    QCOMPARE(lab_->Options().vizierServer, std::string());
    OnModal<ui::TCatlgOptsDlg>([](ui::TCatlgOptsDlg& c) {
      c.ServerEdit()->setText(" http://127.0.0.1:8080/ ");
      Named(c, "OKBtn")->click();
    });
    ui::TCatlgOptsDlg again(&lab_->Options(), *ui_);
    again.exec();
    QCOMPARE(lab_->Options().vizierServer, std::string("http://127.0.0.1:8080/"));
    Stop();
  }

  void boxAndImageDefaultsWriteOnlyOnOkAndCancelUndoesThem() {
    Start();
    const OptionsRecord old = lab_->Options();
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      QStringList items;
      for (QAction* a : d.BoxMenu()->actions()) items << a->text();
      QCOMPARE(items, QStringList({"Box Size for &Unknown...", "Box Size for &References..."}));
      // The box of the unknown: OK writes it.
      OnModal<ui::TBoxDlgForm1>([](ui::TBoxDlgForm1& box) {
        QCOMPARE(box.windowTitle(), QString("\"Box\" Size for Unknown"));
        box.findChild<QSpinBox*>("border")->setValue(7);
        PressBoxOk(box);
      });
      d.BoxMenu()->actions()[0]->trigger();
      QCOMPARE(d.Logic()->Record().unknownBox.skyBorder, std::int8_t{7});
      // The reference box: Cancel leaves it.
      OnModal<ui::TBoxDlgForm1>([](ui::TBoxDlgForm1& box) {
        box.findChild<QSpinBox*>("border")->setValue(9);
        box.reject();
      });
      d.BoxMenu()->actions()[1]->trigger();
      QCOMPARE(d.Logic()->Record().refBox.skyBorder, std::int8_t{4});
      QVERIFY(!d.Logic()->Confirmed(OptionsSubDialog::RefBox));
      // The display defaults: cancelled first, then confirmed.
      OnModal<ui::TImgAdjstDlg>([](ui::TImgAdjstDlg& adjust) {
        QCOMPARE(adjust.windowTitle(), QString("Set Image Display Parameters"));
        adjust.findChild<QScrollBar*>("brightnessBar")->setValue(40);
        Named(adjust, "cancelButton")->click();
      });
      Named(d, "ImageBtn")->click();
      QCOMPARE(d.Logic()->Record().displayDefaults.brightness, 0);
      OnModal<ui::TImgAdjstDlg>([](ui::TImgAdjstDlg& adjust) {
        QVERIFY(!adjust.findChild<QCheckBox*>("useAsDefaultsBox")->isEnabled());
        adjust.findChild<QScrollBar*>("brightnessBar")->setValue(40);
        Named(adjust, "okButton")->click();
      });
      Named(d, "ImageBtn")->click();
      QCOMPARE(d.Logic()->Record().displayDefaults.brightness, 20);
      QCOMPARE(d.Logic()->Record().displayDefaults.paletteLow, 44);
      QVERIFY(d.Logic()->Confirmed(OptionsSubDialog::Display));
      Named(d, "CancelBtn")->click();
    });
    QCOMPARE(lab_->Options().unknownBox, old.unknownBox);
    QCOMPARE(lab_->Options().displayDefaults, old.displayDefaults);
    // Now kept: OK saves the box into the file and the session's measuring boxes.
    WithOptionsDialog([](ui::TOptionsDlg& d) {
      OnModal<ui::TBoxDlgForm1>([](ui::TBoxDlgForm1& box) {
        box.findChild<QSpinBox*>("border")->setValue(6);
        PressBoxOk(box);
      });
      d.BoxMenu()->actions()[1]->trigger();
      Named(d, "OKBtn")->click();
    });
    QCOMPARE(lab_->SharedRefBox().skyBorder, std::int8_t{6});
    QCOMPARE(Differences(before_, ReadAll(OptionsFile())), std::vector<std::size_t>{8026});
    Stop();
  }

  void changeInTheFieldParametersDialogOpensTheCatalogDialog() {
    Start();
    FieldRequest request = lab_->fieldRequest;
    OnModal<ui::TFldParmsDlg>([](ui::TFldParmsDlg& field) {
      QCOMPARE(field.findChild<QLineEdit*>("CatlgEd")->text(), QString("Gaia DR3 (Online)"));
      OnModal<ui::TCatlgOptsDlg>([](ui::TCatlgOptsDlg& c) {
        c.Location().Button(0)->click();
        c.Primary().Button(3)->click();  // "UCAC3"
        Named(c, "OKBtn")->click();
      });
      Named(field, "ChangeBtn")->click();
      QCOMPARE(field.findChild<QLineEdit*>("CatlgEd")->text(), QString("UCAC3"));
      Named(field, "okButton")->click();
    });
    QVERIFY(lab_->Views().fieldParametersDialog(request));
    QCOMPARE(lab_->Options().primaryCatalog, std::uint8_t{kPrimaryUCAC3});
    QCOMPARE(lab_->Options().catalogLocation, std::uint8_t{0});
    QCOMPARE(Differences(before_, ReadAll(OptionsFile())), (std::vector<std::size_t>{6955, 6958}));
    // Changed and then cancelled: the options stay.
    OnModal<ui::TFldParmsDlg>([](ui::TFldParmsDlg& field) {
      OnModal<ui::TCatlgOptsDlg>([](ui::TCatlgOptsDlg& c) {
        c.Primary().Button(2)->click();
        Named(c, "OKBtn")->click();
      });
      Named(field, "ChangeBtn")->click();
      QCOMPARE(field.findChild<QLineEdit*>("CatlgEd")->text(), QString("UCAC2"));
      Named(field, "cancelButton")->click();
    });
    QVERIFY(!lab_->Views().fieldParametersDialog(request));
    QCOMPARE(lab_->Options().primaryCatalog, std::uint8_t{kPrimaryUCAC3});
    Stop();
  }

  void withoutOptionsNoDialogOpens() {
    ScriptedPlatform ui;
    SearchDialogState search;
    ui::TOptionsDlg options(nullptr, ui, search);
    QCOMPARE(options.exec(), int(QDialog::Rejected));
    ui::TFIleOptsDlg files(nullptr, ui);
    QCOMPARE(files.exec(), int(QDialog::Rejected));
    ui::TCatlgOptsDlg catalogs(nullptr, ui);
    QCOMPARE(catalogs.exec(), int(QDialog::Rejected));
    QCOMPARE(ui.Captions(), std::vector<std::string>(3, "Cannot Modify Options!"));
    QCOMPARE(ui.Messages()[0].text, std::string("No Options Assigned!"));
  }

  void picturesOfEveryPageShowTheirCaptions() {
    Start();
    OptsObj& opts = *lab_->Opts();
    SearchDialogState search;
    {
      ui::TOptionsDlg d(&opts, *ui_, search, nullptr);
      d.show();
      QVERIFY(QTest::qWaitForWindowExposed(&d));
      const QImage picture = d.grab().toImage();
      QVERIFY(picture.save(PicturePath(*root_, "options-software.png")));
      CheckCaptions(&d, picture,
                    {"\"Expert\" Mode", "Auto-Verify Object ID", "Read Sky for Centroid", "VORN Format GSC",
                     "GSC on ACT System", "Invert Reference Disp", "Old Report Format", "Maximize Blink Dsply",
                     "Default Ref Star Mags", "Restore All Ref Stars", "\"Special\"", "\"Administrator\"",
                     "File Format", "FITS", "ST-4", "Other SBIG", "File Header Time is:", "Start of Exposure",
                     "Midpoint of Exp.", "End of Exposure", "Astrometric Solution", "Linear (6 Constants)",
                     "Add  Cross-Term (8)", "Full Quadratic (12)", "Centring", "Box Centroid",
                     "Windowed Centroid", "PSF Fit", "Weight Plate by Centring Errors", "Star Field Defaults",
                     "Size (Arc Min)",
                     "Mag Limit", "S&tar Cat.", "&Files...", "&User...", "Ca&mera...", "&Site...", "\"&Box\"",
                     "&Image", "&OK", "&Cancel"});
    }
    {
      ui::TFIleOptsDlg d(&opts.Record(), *ui_);
      d.show();
      QVERIFY(QTest::qWaitForWindowExposed(&d));
      const char* names[4] = {"options-files-system.png", "options-files-catalogs.png", "options-files-data.png",
                              "options-files-urls.png"};
      for (int page = 0; page < 4; ++page) {
        d.Pages()->setCurrentIndex(page);
        QCOMPARE(d.Pages()->tabText(page).toStdString(), FileOptionPages()[static_cast<std::size_t>(page)]);
        const QImage picture = d.grab().toImage();
        QVERIFY(picture.save(PicturePath(*root_, names[page])));
        QStringList captions;
        for (const FileOptionField& f : FileOptionFields())
          if (FileOptionPages()[static_cast<std::size_t>(page)] == f.page) {
            captions << QString::fromLatin1(f.label);
            if (*f.group && !captions.contains(QString::fromLatin1(f.group))) captions << QString::fromLatin1(f.group);
          }
        CheckCaptions(&d, picture, captions);
      }
    }
    {
      ui::TCatlgOptsDlg d(&opts.Record(), *ui_);
      d.show();
      QVERIFY(QTest::qWaitForWindowExposed(&d));
      const QImage picture = d.grab().toImage();
      QVERIFY(picture.save(PicturePath(*root_, "options-catalogs.png")));
      QStringList captions{"Local Star Catalog", "Supplementary", "Catalog Location", "Web-Based Catalog",
                           "On-line Service"};
      for (const auto* list : {&PrimaryCatalogCaptions(), &SupplCatalogCaptions(), &CatalogLocationCaptions(),
                               &WebCatalogCaptions(), &OnlineServiceCaptions()})
        for (const std::string& c : *list) captions << QString::fromStdString(c);
      CheckCaptions(&d, picture, captions);
      // The README shows this dialog as it is now (SKARVEL_SCREENSHOT_DIR=docs/screenshots renews it):
      // a dialog that grew a catalog or a service is drawn anew.
      const QImage shown(QStringLiteral(SKARVEL_TEST_DATA_DIR "/../../docs/screenshots/options-catalogs.png"));
      QVERIFY(!shown.isNull());
      QCOMPARE(shown.size(), picture.size());
    }
    Stop();
  }
};

QTEST_MAIN(TestOptionsDialogs)
#include "tst_options_dialogs.moc"
