// "Determine Orbit" on the offscreen platform: a fit of PyEphem-made
// observations (tests/data/orbits/fit/), its report in the window, the
// hand-over to the current elements and the saved orbits, the messages of a
// failed fit and of bad settings; a picture of the window after a fit.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "orbits/orbit_fit_form.h"
#include "orbits/saved_orbits.h"
#include "orbits/ui/t_orbit_fit_form.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::CurrentElements;
using skarvel::OrbitFitFormLogic;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TOrbitFitForm;

namespace {

const QString kDir = QString(SKARVEL_TEST_DATA_DIR) + "/orbits/fit/";

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

}  // namespace

class TestOrbitFitForm : public QObject {
  Q_OBJECT

 private slots:
  void fitUseAndSave() {
    ScriptedPlatform ui;
    TempDir dir;
    OrbitFitFormLogic logic(ui);
    CurrentElements used;
    TOrbitFitForm form(logic, [&used](const CurrentElements& c) { used = c; }, dir / "SAVORBS.DAT");
    form.show();
    QVERIFY(!form.UseButton()->isEnabled());
    form.ObservationsEdit()->setText(kDir + "three_nights_02.txt");
    form.CodesEdit()->setText(kDir + "obscodes.txt");
    QTest::mouseClick(form.FitButton(), Qt::LeftButton);
    QVERIFY(ui.Messages().empty());
    const QString text = form.ReportView()->toPlainText();
    QVERIFY(text.contains("Orbit Determination"));
    QVERIFY(text.contains("Two-body orbit about the Sun: planetary perturbations are left out."));
    QVERIFY(text.contains("Gauss's method: "));
    QVERIFY(text.contains("RMS: "));
    QVERIFY(form.UseButton()->isEnabled());
    QTest::mouseClick(form.UseButton(), Qt::LeftButton);
    QVERIFY(used.valid);
    QCOMPARE(QString::fromStdString(used.elements.designation), QString("J97X10E"));
    QCOMPARE(static_cast<double>(used.elements.a), static_cast<double>(logic.Result()->elements.a));
    QTest::mouseClick(form.SaveButton(), Qt::LeftButton);
    QCOMPARE(skarvel::ReadSavedOrbits(dir / "SAVORBS.DAT").LastIndex(), 0);
    QVERIFY(form.grab().save(PicturePath(dir, "orbit_fit_form.png")));
  }

  void failuresShowTheirMessages() {
    ScriptedPlatform ui;
    TempDir dir;
    OrbitFitFormLogic logic(ui);
    TOrbitFitForm form(logic, nullptr, dir / "SAVORBS.DAT");
    form.CodesEdit()->setText(kDir + "obscodes.txt");
    form.ObservationsEdit()->setText(kDir + "obscodes.txt");  // no observations in it
    QTest::mouseClick(form.FitButton(), Qt::LeftButton);
    QCOMPARE(ui.Messages().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(ui.Messages()[0].text), QString(skarvel::kFitTooFew));
    QCOMPARE(QString::fromStdString(ui.Messages()[0].caption), QString("Determine Orbit"));
    QVERIFY(!form.UseButton()->isEnabled());
    form.ObservationsEdit()->setText(kDir + "three_nights_02.txt");
    form.RejectEdit()->setText("x");
    QTest::mouseClick(form.FitButton(), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(ui.Messages().back().text),
             QString("The rejection limit must be a number from 0 to 100 (sigma)."));
    form.RejectEdit()->setText("3");
    form.HoldEEdit()->setText("0.4");
    form.HoldQEdit()->setText("1.0");
    QTest::mouseClick(form.FitButton(), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(ui.Messages().back().text), QString("Hold e or q, not both."));
    form.HoldQEdit()->clear();
    QTest::mouseClick(form.FitButton(), Qt::LeftButton);
    QCOMPARE(ui.Messages().size(), std::size_t{3});
    QVERIFY(form.ReportView()->toPlainText().contains("e held at 0.4"));
    form.CodesEdit()->setText(kDir + "no_such_list.txt");
    QTest::mouseClick(form.FitButton(), Qt::LeftButton);
    QVERIFY(QString::fromStdString(ui.Messages().back().text).startsWith("Unable to Read the Observatory Code List!"));
    // The last good result stays.
    QVERIFY(form.UseButton()->isEnabled());
  }
};

QTEST_MAIN(TestOrbitFitForm)
#include "tst_orbit_fit_form.moc"
