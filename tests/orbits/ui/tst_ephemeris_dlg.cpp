// The "Ephemeris Generation Parameters" dialog on the offscreen platform:
// what it shows, the two date forms, OK with good and bad values, Cancel.
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "foundations/time_scales.h"
#include "orbits/ui/t_ephemeris_dlg.h"
#include "support/scripted_platform.h"

using skarvel::EphemerisDialogLogic;
using skarvel::EphemerisParams;
using skarvel::EquinoxChoice;
using skarvel::testing::ScriptedPlatform;
using skarvel::ui::TEphemerisDlg;

namespace {

QPushButton* Button(QDialog& d, QDialogButtonBox::StandardButton which) {
  return d.findChild<QDialogButtonBox*>("buttons")->button(which);
}

// Types a text into an edit and leaves it (the edit reports the end of editing as leaving does).
void Type(QLineEdit* e, const QString& text) {
  e->clear();
  QTest::keyClicks(e, text);
  emit e->editingFinished();
}

}  // namespace

class TestEphemerisDlg : public QObject {
  Q_OBJECT

 private slots:
  // A start taken from an image: the TDT fields and, below them, the image's UTC until the start is edited.
  void showsTheImagesUtcBelowTheStart() {
    ScriptedPlatform ui;
    EphemerisParams params = skarvel::DefaultEphemerisParams(46000.7);
    const long double utc = 2458604.65625L;  // 2019-05-01 03:45:00 UTC
    params.start.SetJD(skarvel::UtcToTT(utc));
    EphemerisDialogLogic logic(params, 2025, ui);
    logic.NoteImageTime(utc);
    TEphemerisDlg dialog(logic);
    dialog.show();
    QCOMPARE(dialog.TimeField()->text(), QString("03:46:09"));
    QVERIFY(!dialog.TimeNote()->isHidden());
    QCOMPARE(dialog.TimeNote()->text(), QString("2019/05/01 03:45:00 UTC = 2019/05/01 03:46:09 TDT (TT - UTC = 69.184 s)"));
    dialog.JulianFormat()->click();  // the same instant in the other form keeps the note
    QVERIFY(!dialog.TimeNote()->isHidden());
    dialog.CalendarFormat()->click();
    Type(dialog.TimeField(), "04:00:00");
    QVERIFY(dialog.TimeNote()->isHidden());
    QCOMPARE(dialog.TimeNote()->text(), QString());
  }

  void showsTheStoredParameters() {
    ScriptedPlatform ui;
    EphemerisParams params = skarvel::DefaultEphemerisParams(46000.7);  // 2025/12/09 16:48 -> start 2025/12/10
    EphemerisDialogLogic logic(params, 2025, ui);
    TEphemerisDlg dialog(logic);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Ephemeris Generation Parameters"));
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(dialog.DateField()->text(), QString("2025/12/10"));
    QCOMPARE(dialog.TimeField()->text(), QString("00:00:00"));
    QCOMPARE(dialog.JulianDateField()->text(), QString("2461019.50000"));
    QCOMPARE(dialog.PointsField()->text(), QString("10"));
    QCOMPARE(dialog.IntervalField()->text(), QString("1.00"));
    QVERIFY(dialog.Hours()->isChecked());
    QVERIFY(dialog.Equinox(EquinoxChoice::kJ2000)->isChecked());
    QCOMPARE(dialog.Equinox(EquinoxChoice::kOfDate)->text(), QString("Of Date"));
    QCOMPARE(dialog.CalendarFormat()->text(), QString("Calendar (&YMD-HMS)"));
    QCOMPARE(dialog.JulianFormat()->text(), QString("&Julian Date "));
    QCOMPARE(dialog.DateField()->toolTip(), QString("Use Full (4 digit) Year"));
    QCOMPARE(dialog.DateField()->maxLength(), 10);
    QCOMPARE(dialog.TimeField()->maxLength(), 8);
    QCOMPARE(dialog.JulianDateField()->maxLength(), 15);
    QVERIFY(dialog.DateField()->isEnabled());
    QVERIFY(!dialog.JulianDateField()->isEnabled());
    QCOMPARE(dialog.StartLabel()->text(), QString("Start (TDT):"));
    dialog.JulianFormat()->click();
    QVERIFY(!dialog.DateField()->isEnabled());
    QVERIFY(!dialog.TimeField()->isEnabled());
    QVERIFY(dialog.JulianDateField()->isEnabled());
    QCOMPARE(dialog.StartLabel()->text(), QString("JDT:"));
  }

  void leavingAFieldKeepsTheOtherInStep() {
    ScriptedPlatform ui;
    EphemerisParams params = skarvel::DefaultEphemerisParams(46000.7);
    EphemerisDialogLogic logic(params, 2025, ui);
    TEphemerisDlg dialog(logic);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    Type(dialog.TimeField(), "18:00:00");
    QCOMPARE(dialog.JulianDateField()->text(), QString("2461020.25000"));
    dialog.JulianFormat()->click();
    Type(dialog.JulianDateField(), "2461030.75");
    QCOMPARE(dialog.DateField()->text(), QString("2025/12/21"));
    QCOMPARE(dialog.TimeField()->text(), QString("06:00:00"));
    QVERIFY(ui.Messages().empty());
    Type(dialog.JulianDateField(), "x1");
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(ui.Messages()[0].caption, std::string("Julian Date Error!"));
    QCOMPARE(dialog.DateField()->text(), QString("2025/12/21"));
  }

  void okStoresAndBadValuesKeepTheDialogOpen() {
    ScriptedPlatform ui;
    EphemerisParams params = skarvel::DefaultEphemerisParams(46000.7);
    EphemerisDialogLogic logic(params, 2025, ui);
    TEphemerisDlg dialog(logic);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.PointsField()->setText("0");
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(ui.Messages()[0].text, std::string("Number of Points must be a whole number from 1 to 10000!"));
    QCOMPARE(params.points, 10);
    dialog.PointsField()->setText("30");
    dialog.IntervalField()->setText("3");
    dialog.Days()->click();
    dialog.Equinox(EquinoxChoice::kOfDate)->click();
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(params.points, 30);
    QCOMPARE(params.unitsPerDay, 1);
    QCOMPARE(static_cast<double>(params.stepDays), 3.0);
    QCOMPARE(params.equinox, EquinoxChoice::kOfDate);
    QCOMPARE(static_cast<double>(params.equinoxJD), 2461019.5);
    QCOMPARE(ui.Messages().size(), std::size_t{1});
  }

  void cancelKeepsTheParameters() {
    ScriptedPlatform ui;
    EphemerisParams params = skarvel::DefaultEphemerisParams(46000.7);
    EphemerisDialogLogic logic(params, 2025, ui);
    TEphemerisDlg dialog(logic);
    dialog.open();
    dialog.PointsField()->setText("99");
    dialog.Equinox(EquinoxChoice::kB1900)->click();
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(params.points, 10);
    QCOMPARE(params.equinox, EquinoxChoice::kJ2000);
    QVERIFY(ui.Messages().empty());
  }
};

QTEST_MAIN(TestEphemerisDlg)
#include "tst_ephemeris_dlg.moc"
