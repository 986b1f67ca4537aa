// The orbit search dialog on the offscreen platform: the fields it shows,
// the field units, the "C&Oordinates" pop-up items, OK and Cancel.
#include <QAction>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "orbits/ui/t_orb_srch_dlg1.h"
#include "support/picture_path.h"
#include "support/scripted_platform.h"

using skarvel::FieldKind;
using skarvel::ImageFieldInfo;
using skarvel::SearchDialogLogic;
using skarvel::SearchDialogSettings;
using skarvel::SearchParams;
using skarvel::testing::ScriptedPlatform;
using skarvel::ui::TOrbSrchDlg1;

namespace {

QPushButton* Button(QDialog& d, QDialogButtonBox::StandardButton which) {
  return d.findChild<QDialogButtonBox*>("buttons")->button(which);
}

SearchParams Params() {
  SearchParams p = skarvel::DefaultSearchParams(0);
  p.instant.SetJD(2461192.5L);
  p.source = skarvel::ElementSource::kMpc;
  return p;
}

}  // namespace

class TestOrbSrchDlg1 : public QObject {
  Q_OBJECT

 private slots:
  // Leaving the date or the time fills the Julian date, leaving the Julian date the calendar fields.
  void leavingAnInstantFieldFillsTheOther() {
    ScriptedPlatform ui;
    SearchParams params = Params();
    SearchDialogLogic logic(params, {}, ui);
    TOrbSrchDlg1 dialog(logic);
    dialog.show();
    QCOMPARE(dialog.Edit("YMDInEd")->toolTip(), QString("Use Full (4 digit) Year"));
    QCOMPARE(dialog.findChild<QGroupBox*>("DateFrmtGrp")->findChildren<QRadioButton*>().size(), 2);
    dialog.Edit("HMSInEd")->setText("18:00:00");
    emit dialog.Edit("HMSInEd")->editingFinished();
    QCOMPARE(dialog.Edit("StrtJDEd")->text(), QString("2461193.25000"));
    dialog.JulianFormat()->click();
    QVERIFY(dialog.Edit("StrtJDEd")->isEnabled());
    QVERIFY(!dialog.Edit("YMDInEd")->isEnabled());
    dialog.Edit("StrtJDEd")->setText("2461194.0");
    emit dialog.Edit("StrtJDEd")->editingFinished();
    QCOMPARE(dialog.Edit("YMDInEd")->text(), QString("2026/06/02"));
    QCOMPARE(dialog.Edit("HMSInEd")->text(), QString("12:00:00"));
  }

  void showsTheFieldsWithTheirHints() {
    ScriptedPlatform ui;
    SearchParams params = Params();
    SearchDialogLogic logic(params, {}, ui);
    TOrbSrchDlg1 dialog(logic);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Search MPC Orbit Database"));
    QCOMPARE(dialog.Edit("YMDInEd")->text(), QString("2026/06/01"));
    QCOMPARE(dialog.Edit("StrtJDEd")->text(), QString("2461192.50000"));
    QCOMPARE(dialog.Edit("RAHr1")->text(), QString("0"));
    QCOMPARE(dialog.Edit("RASec1")->text(), QString("0.00"));
    QCOMPARE(dialog.Edit("DecSec1")->text(), QString("0.0"));
    QCOMPARE(dialog.Edit("SizeEd1")->text(), QString("1.0"));
    QCOMPARE(dialog.Edit("MinMagEd")->text(), QString("25.0"));
    QCOMPARE(dialog.Edit("MaxMagEd")->text(), QString("0.0"));
    QCOMPARE(dialog.Edit("FarEd")->text(), QString("100.0"));
    QCOMPARE(dialog.Edit("AltEd")->text(), QString("0.0"));
    QCOMPARE(dialog.Edit("RAHr1")->toolTip(), QString("0-23"));
    QCOMPARE(dialog.Edit("RAMin1")->toolTip(), QString("0-59"));
    QCOMPARE(dialog.Edit("RASec1")->toolTip(), QString("0.00-59.99"));
    QCOMPARE(dialog.Edit("DecDeg1")->toolTip(), QString("89 - -89"));
    QCOMPARE(dialog.Edit("AltEd")->toolTip(), QString("0-90 Deg.  (No Test if 0)"));
    QVERIFY(dialog.Units(FieldKind::kDegrees)->isChecked());
    QCOMPARE(dialog.Units(FieldKind::kLimits)->text(), QString("RA and Dec Limits"));
    QCOMPARE(dialog.CoordinatesButton()->text(), QString("C&Oordinates"));
    QVERIFY(dialog.CentreBox()->isEnabled());
    QVERIFY(!dialog.LimitsBox()->isEnabled());
    dialog.Units(FieldKind::kLimits)->click();
    QVERIFY(!dialog.CentreBox()->isEnabled());
    QVERIFY(dialog.LimitsBox()->isEnabled());
    dialog.Units(FieldKind::kArcMinutes)->click();
    QVERIFY(dialog.CentreBox()->isEnabled());
  }

  void popUpOffersOppositionAndTheLoadedImages() {
    ScriptedPlatform ui;
    SearchParams params = Params();
    SearchDialogSettings settings;
    settings.imagesLoaded = {false, true, false, false};
    ImageFieldInfo image;
    image.observationTime = 46000.25;
    image.headerRaHours = 5.5L;
    image.headerDecDeg = -20.25L;
    image.fieldWidthArcMin = 24;
    SearchDialogLogic logic(params, settings, ui, {}, [&](int) { return std::optional<ImageFieldInfo>(image); });
    TOrbSrchDlg1 dialog(logic);
    dialog.show();
    QStringList captions;
    for (QAction* a : dialog.CoordinatesMenu()->actions()) captions << a->text();
    QCOMPARE(captions, QStringList({"&Opposition", "Image&1", "Image&2", "Image&3", "Image&4"}));
    QCOMPARE(dialog.OppositionItem()->toolTip(), QString("Compute Opposition Coordinates for Date & Time Shown"));
    QVERIFY(!dialog.ImageItem(0)->isEnabled());
    QVERIFY(dialog.ImageItem(1)->isEnabled());
    QVERIFY(!dialog.ImageItem(2)->isEnabled());
    dialog.ImageItem(1)->trigger();
    QCOMPARE(dialog.Edit("RAHr1")->text(), QString("5"));
    QCOMPARE(dialog.Edit("RAMin1")->text(), QString("30"));
    QCOMPARE(dialog.Edit("DecDeg1")->text(), QString("-20"));
    QCOMPARE(dialog.Edit("DecMin1")->text(), QString("15"));
    QCOMPARE(dialog.Edit("SizeEd1")->text(), QString("24.0"));
    QVERIFY(dialog.Units(FieldKind::kArcMinutes)->isChecked());
    // The image's 06:00:00 UTC is searched at its TT, and the note below says so.
    QCOMPARE(dialog.Edit("YMDInEd")->text(), QString("2025/12/09"));
    QCOMPARE(dialog.Edit("HMSInEd")->text(), QString("06:01:09"));
    QVERIFY(!dialog.TimeNote()->isHidden());
    QCOMPARE(dialog.TimeNote()->text(), QString("2025/12/09 06:00:00 UTC = 2025/12/09 06:01:09 TDT (TT - UTC = 69.184 s)"));
    QCOMPARE(dialog.findChild<QLabel*>("ImageTimeNote"), dialog.TimeNote());
    {
      skarvel::testing::TempDir dir;
      QVERIFY(dialog.grab().toImage().save(skarvel::testing::PicturePath(dir, "orbit-search-image-time.png")));
    }
    QVERIFY(!dialog.OppositionItem()->isChecked());
    dialog.Edit("MinMagEd")->setText("17.5");
    dialog.OppositionItem()->trigger();
    QVERIFY(dialog.OppositionItem()->isChecked());
    QCOMPARE(dialog.Edit("SizeEd1")->text(), QString("5.0"));
    QVERIFY(dialog.Units(FieldKind::kDegrees)->isChecked());
    QCOMPARE(dialog.Edit("MinMagEd")->text(), QString("17.5"));
    QVERIFY(!dialog.TimeNote()->isHidden());  // the opposition is taken at the instant shown: still the image's
    // The opposition point in early December lies near 5 h RA, +23 deg.
    QVERIFY(dialog.Edit("RAHr1")->text().toInt() >= 4 && dialog.Edit("RAHr1")->text().toInt() <= 5);
    QVERIFY(dialog.Edit("DecDeg1")->text().toInt() >= 21 && dialog.Edit("DecDeg1")->text().toInt() <= 23);
    QVERIFY(ui.Messages().empty());
  }

  void okReadsTheFieldsAndWarnsAboutBadOnes() {
    ScriptedPlatform ui;
    SearchParams params = Params();
    SearchDialogLogic logic(params, {}, ui);
    TOrbSrchDlg1 dialog(logic);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.Edit("RAHr1")->setText("25");
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(ui.Messages()[0].text, std::string("Error in Right Ascension Value"));
    QCOMPARE(ui.Messages()[0].caption, std::string("Input Error!"));
    dialog.Edit("RAHr1")->setText("12");
    dialog.Edit("RAMin1")->setText("30");
    dialog.Edit("DecDeg1")->setText("-0");
    dialog.Edit("DecMin1")->setText("30");
    dialog.Units(FieldKind::kArcMinutes)->click();
    dialog.Edit("SizeEd1")->setText("40");
    dialog.Edit("MinMagEd")->setText("21");
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(static_cast<double>(params.centerRaHours), 12.5);
    QCOMPARE(static_cast<double>(params.centerDecDeg), -0.5);
    QCOMPARE(params.kind, FieldKind::kArcMinutes);
    QVERIFY(std::abs(static_cast<double>(params.halfSizeRad) - 20.0 / 60 * 3.14159265358979323846 / 180) < 1e-15);
    QCOMPARE(static_cast<double>(params.faintMag), 21.0);
    QCOMPARE(ui.Messages().size(), std::size_t{1});
  }

  void cancelKeepsTheParameters() {
    ScriptedPlatform ui;
    SearchParams params = Params();
    SearchDialogLogic logic(params, {}, ui);
    TOrbSrchDlg1 dialog(logic);
    dialog.open();
    dialog.OppositionItem()->trigger();
    dialog.Edit("FarEd")->setText("2");
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(static_cast<double>(params.centerRaHours), 0.0);
    QCOMPARE(static_cast<double>(params.farAu), 100.0);
    QVERIFY(!params.opposition);
  }
};

QTEST_MAIN(TestOrbSrchDlg1)
#include "tst_orb_srch_dlg1.moc"
