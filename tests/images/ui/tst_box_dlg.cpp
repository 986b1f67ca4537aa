// The "Box" size dialog on the offscreen platform.
#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "images/ui/t_box_dlg_form1.h"

using skarvel::BoxKind;
using skarvel::BoxRecord;
using skarvel::ui::TBoxDlgForm1;

class TestBoxDlg : public QObject {
  Q_OBJECT

 private slots:
  void couplingDefaultsAndOk() {
    TBoxDlgForm1 dialog(BoxKind::Unknown, BoxRecord{4, 3, 5, 2});
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("\"Box\" Size for Unknown"));
    auto* peak = dialog.findChild<QSpinBox*>("peakWidth");
    auto* diameter = dialog.findChild<QSpinBox*>("diameter");
    QCOMPARE(peak->value(), 8);
    QCOMPARE(diameter->value(), 6);
    QCOMPARE(peak->singleStep(), 2);
    QCOMPARE(peak->maximum(), 20);
    // Stepping the diameter up past the width pushes the width along.
    diameter->setValue(10);
    QCOMPARE(peak->value(), 10);
    peak->setValue(4);
    QCOMPARE(diameter->value(), 4);
    QTest::mouseClick(dialog.findChild<QPushButton*>("defaults"), Qt::LeftButton);
    QCOMPARE(peak->value(), 16);
    QCOMPARE(diameter->value(), 16);
    QCOMPARE(dialog.findChild<QSpinBox*>("border")->value(), 4);
    QCOMPARE(dialog.findChild<QSpinBox*>("cutoff")->value(), 3);
  }

  void askReturnsTheRecordOnOkAndNothingOnCancel() {
    QTimer::singleShot(30, [] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(d != nullptr);
      d->findChild<QSpinBox*>("border")->setValue(7);
      d->findChild<QSpinBox*>("cutoff")->setValue(-1);
      d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const auto ok = TBoxDlgForm1::Ask(BoxKind::Reference, BoxRecord{8, 8, 4, 3}, nullptr);
    QVERIFY(ok.has_value());
    QCOMPARE(*ok, (BoxRecord{8, 8, 7, -1}));
    QTimer::singleShot(30, [] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    QVERIFY(!TBoxDlgForm1::Ask(BoxKind::Reference, BoxRecord{8, 8, 4, 3}, nullptr).has_value());
  }
};

QTEST_MAIN(TestBoxDlg)
#include "tst_box_dlg.moc"
