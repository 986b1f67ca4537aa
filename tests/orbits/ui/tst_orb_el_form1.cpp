// "Orbital Elements" on the offscreen platform: the fields each element set
// enables, the date fields kept in step when an edit is left, Verify, Clear,
// the "&File..." pop-up and OK; a picture of the filled dialog.
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "foundations/astro_constants.h"
#include "orbits/element_form.h"
#include "orbits/kepler.h"
#include "orbits/saved_orbits.h"
#include "orbits/ui/t_orb_el_form1.h"
#include "support/scripted_list_runner.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::CurrentElements;
using skarvel::ElementDialogLogic;
using skarvel::ElementField;
using skarvel::ElementSet;
using skarvel::ElementSource;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedListRunner;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TOrbElForm1;

namespace {

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

// Types `text` into an edit and leaves it, as a person tabbing on would.
void TypeAndLeave(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
  emit edit->editingFinished();
}

}  // namespace

class TestOrbElForm1 : public QObject {
  Q_OBJECT

 private slots:
  void setsEnableTheirFields() {
    ScriptedPlatform ui;
    CurrentElements current;
    ElementDialogLogic logic(current, ui);
    logic.Fill();
    TOrbElForm1 form(logic);
    form.show();
    QCOMPARE(form.windowTitle(), QString("Orbital Elements"));
    QVERIFY(form.Set(ElementSet::kMinorPlanet)->isChecked());
    QVERIFY(form.Equinox(skarvel::EquinoxChoice::kJ2000)->isChecked());
    QVERIFY(form.CalendarFormat()->isChecked());
    QVERIFY(form.Field(ElementField::kA)->isEnabled());
    QVERIFY(form.Field(ElementField::kM)->isEnabled());
    QVERIFY(!form.Field(ElementField::kQ)->isEnabled());
    QVERIFY(!form.Field(ElementField::kT)->isEnabled());
    QVERIFY(form.EpochDateField()->isEnabled());
    QVERIFY(!form.EpochJDField()->isEnabled());
    form.Set(ElementSet::kComet)->click();
    QVERIFY(!form.Field(ElementField::kA)->isEnabled());
    QVERIFY(form.Field(ElementField::kQ)->isEnabled());
    QVERIFY(form.Field(ElementField::kT)->isEnabled());
    QVERIFY(!form.Field(ElementField::kJDT)->isEnabled());
    form.JulianFormat()->click();
    QVERIFY(!form.Field(ElementField::kT)->isEnabled());
    QVERIFY(form.Field(ElementField::kJDT)->isEnabled());
    QVERIFY(form.EpochJDField()->isEnabled());
    form.Set(ElementSet::kPlanet)->click();
    QVERIFY(!form.Field(ElementField::kH)->isEnabled());
    QVERIFY(!form.Field(ElementField::kPeri)->isEnabled());
    QVERIFY(form.Field(ElementField::kLongPeri)->isEnabled());
    QVERIFY(form.Field(ElementField::kL)->isEnabled());
    QCOMPARE(form.Field(ElementField::kA)->toolTip(), QString("Semi-Major Axis (AU)"));
    QCOMPARE(form.VerifyButton()->toolTip(), QString("Compute Elements not in Set"));
    QCOMPARE(form.FileButton()->text(), QString("&File..."));
    QCOMPARE(form.NameField()->maxLength(), 30);
    QCOMPARE(form.NumberField()->maxLength(), 8);
    QCOMPARE(form.Field(ElementField::kT)->maxLength(), 16);
  }

  void cometTypedVerifiedAndAccepted() {
    TempDir dir;
    ScriptedPlatform ui;
    CurrentElements current;
    ElementDialogLogic logic(current, ui);
    logic.currentYear = 2026;
    logic.savedOrbitsPath = dir / "SAVORBS.DAT";
    logic.Fill();
    TOrbElForm1 form(logic);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Set(ElementSet::kComet)->click();
    TypeAndLeave(form.NameField(), "C/2010 X1");
    TypeAndLeave(form.EpochDateField(), "2010/07/01.0");
    QCOMPARE(form.EpochJDField()->text(), QString("2455378.5"));
    TypeAndLeave(form.Field(ElementField::kQ), "1.0");
    TypeAndLeave(form.Field(ElementField::kE), "1");
    TypeAndLeave(form.Field(ElementField::kIncl), "30");
    TypeAndLeave(form.Field(ElementField::kNode), "100");
    TypeAndLeave(form.Field(ElementField::kPeri), "200");
    TypeAndLeave(form.Field(ElementField::kH), "8");
    TypeAndLeave(form.Field(ElementField::kG), "4");
    // The Julian date field is typed: the calendar field follows.
    form.JulianFormat()->click();
    TypeAndLeave(form.Field(ElementField::kJDT), "2455400.5");
    QCOMPARE(form.Field(ElementField::kT)->text(), QString("2010/07/23.00000"));
    QVERIFY(ui.Messages().empty());

    QTest::mouseClick(form.VerifyButton(), Qt::LeftButton);
    QCOMPARE(form.Field(ElementField::kA)->text(), QString(""));  // e = 1: no axis
    QVERIFY(!form.Field(ElementField::kM)->text().isEmpty());
    QVERIFY(!current.valid);
    QImage picture = form.grab().toImage();
    QVERIFY(picture.save(PicturePath(dir, "orbital-elements-dialog.png")));
    QVERIFY(picture.width() > 300);

    // "&Save Current Elements" from the pop-up: asked, OK applied, written.
    ui.AnswerNext(Answer::Yes);
    form.FileMenu()->findChild<QAction*>("SaveCurrent")->trigger();
    QCOMPARE(QString::fromStdString(ui.Messages().back().text), QString("Write Current Orbit Data to File?"));
    QVERIFY(current.valid);
    QCOMPARE(current.source, ElementSource::kElementDialog);
    QCOMPARE(skarvel::ReadSavedOrbits(dir / "SAVORBS.DAT").Size(), std::size_t{1});

    // Clear empties every field; "&Find Saved Elements..." brings the comet back.
    QTest::mouseClick(form.ClearButton(), Qt::LeftButton);
    QCOMPARE(form.NameField()->text(), QString(""));
    QCOMPARE(form.Field(ElementField::kQ)->text(), QString(""));
    QVERIFY(form.Set(ElementSet::kMinorPlanet)->isChecked());
    ScriptedListRunner runner(ui);
    runner.Next({{0, "AccessSelectedRecord1"}});
    logic.listRunner = &runner;
    form.FileMenu()->findChild<QAction*>("FindSaved")->trigger();
    QCOMPARE(form.NameField()->text(), QString("C/2010 X1"));
    QVERIFY(form.Set(ElementSet::kComet)->isChecked());
    QCOMPARE(form.Field(ElementField::kJDT)->text(), QString("2455400.50000"));
    QCOMPARE(current.source, ElementSource::kUserSaved);

    // A bad value keeps the dialog open with its message; a good one closes it.
    TypeAndLeave(form.Field(ElementField::kE), "one");
    form.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
    QVERIFY(form.isVisible());
    QCOMPARE(QString::fromStdString(ui.Messages().back().text), QString("\"one\" is not a valid value for e:"));
    TypeAndLeave(form.Field(ElementField::kE), "0.9");
    form.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(current.source, ElementSource::kElementDialog);
    QCOMPARE(double(current.elements.e), 0.9);
  }
};

QTEST_MAIN(TestOrbElForm1)
#include "tst_orb_el_form1.moc"
