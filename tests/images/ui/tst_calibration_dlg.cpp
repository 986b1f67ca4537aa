// The "Calibration" dialog on the offscreen platform: a master built from
// scripted file choices lands in its field, OK remembers the choice, Cancel
// remembers nothing.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "images/calibration_choice.h"
#include "images/ui/t_calibration_dlg.h"
#include "support/picture_path.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::CalibFrame;
using skarvel::CalibrationDialogHost;
using skarvel::CalibrationDialogLogic;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TCalibrationDlg;

class TestCalibrationDlg : public QObject {
  Q_OBJECT

  TempDir root_;
  ScriptedPlatform ui_;

  std::string Frame(const std::string& name, float value) {
    CalibFrame f;
    f.width = 16;
    f.height = 12;
    f.pixels.assign(16 * 12, value);
    for (std::size_t i = 0; i < f.pixels.size(); ++i) f.pixels[i] += static_cast<float>(i % 7);
    f.cards = {skarvel::RealCard("EXPTIME", 0)};
    skarvel::WriteFloatFits(root_ / name, f);
    return root_ / name;
  }
  CalibrationDialogHost Host() {
    CalibrationDialogHost host;
    host.ui = &ui_;
    host.dataDir = root_.Path();
    host.camera = "ST-8";
    host.directory = root_.Path();
    return host;
  }

 private slots:
  void buildAMasterThenOkRemembersIt() {
    const std::vector<std::string> frames = {Frame("b1.fit", 400), Frame("b2.fit", 402), Frame("b3.fit", 404)};
    CalibrationDialogLogic logic(Host());
    TCalibrationDlg dialog(logic);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Calibration"));
    QVERIFY(dialog.findChild<QRadioButton*>("kind0")->isChecked());
    QVERIFY(dialog.findChild<QRadioButton*>("method0")->isChecked());
    QCOMPARE(dialog.findChild<QLineEdit*>("master0")->text(), QString());
    dialog.findChild<QRadioButton*>("method1")->setChecked(true);
    ui_.ChooseFilesNext(frames);
    ui_.SaveAsNext(root_ / "MB.FIT");
    QTest::mouseClick(dialog.findChild<QPushButton*>("buildMaster"), Qt::LeftButton);
    QCOMPARE(dialog.findChild<QLineEdit*>("master0")->text(), QString::fromStdString(root_ / "MB.FIT"));
    QVERIFY(dialog.findChild<QRadioButton*>("method1")->isChecked());
    QCOMPARE(QString::fromStdString(ui_.Messages().back().caption), QString("Master Written"));
    QCOMPARE(skarvel::ReadCalibFrame(root_ / "MB.FIT").facts.method, std::string("MEAN"));
    dialog.findChild<QCheckBox*>("onLoad")->setChecked(true);
    QVERIFY(dialog.grab().save(skarvel::testing::PicturePath(root_, "calibration_dialog.png")));
    QTest::mouseClick(dialog.findChild<QPushButton*>("ok"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const auto choice = skarvel::ChoiceForCamera(root_.Path(), "ST-8");
    QVERIFY(choice.onLoad);
    QCOMPARE(choice.bias, root_ / "MB.FIT");
  }

  void aTypedFaultyMasterKeepsTheDialogOpen() {
    CalibrationDialogLogic logic(Host());
    TCalibrationDlg dialog(logic);
    dialog.show();
    QCOMPARE(dialog.findChild<QLineEdit*>("master0")->text(), QString::fromStdString(root_ / "MB.FIT"));
    dialog.findChild<QLineEdit*>("master2")->setText(QString::fromStdString(root_ / "missing.fit"));
    QTest::mouseClick(dialog.findChild<QPushButton*>("ok"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(QString::fromStdString(ui_.Messages().back().text),
             QString::fromStdString("Unable to Open FITS File!\r\n\r\nFile Name: " + (root_ / "missing.fit")));
    QCOMPARE(QString::fromStdString(skarvel::ChoiceForCamera(root_.Path(), "ST-8").flat), QString());
  }

  void cancelRemembersNothing() {
    QTimer::singleShot(30, [] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(d != nullptr);
      d->findChild<QCheckBox*>("onLoad")->setChecked(false);
      d->findChild<QPushButton*>("cancel")->click();
    });
    QVERIFY(!TCalibrationDlg::Run(Host(), nullptr));
    QVERIFY(skarvel::ChoiceForCamera(root_.Path(), "ST-8").onLoad);
  }
};

QTEST_MAIN(TestCalibrationDlg)
#include "tst_calibration_dlg.moc"
