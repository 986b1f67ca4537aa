// The shared search dialog and the "Edit Text Line" dialog on the offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "astrometry/info_list.h"
#include "astrometry/ui/t_edit_text_line_dlg.h"
#include "astrometry/ui/t_get_srch_str_dlg.h"

using skarvel::SearchDialogState;
using skarvel::SearchStart;
using skarvel::ui::TEditTextLineDlg;
using skarvel::ui::TGetSrchStrDlg;

namespace {

// Runs `act` on the next modal dialog once it shows and has the focus.
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

QStringList Labels(QWidget* w) {
  QStringList out;
  for (QLabel* l : w->findChildren<QLabel*>()) out << l->text();
  for (QGroupBox* g : w->findChildren<QGroupBox*>()) out << g->title();
  return out;
}

}  // namespace

class TestListDialogs : public QObject {
  Q_OBJECT

 private slots:
  void searchDialogAsDesigned() {
    TGetSrchStrDlg dialog;
    QCOMPARE(dialog.windowTitle(), QString("Find Help Topic"));
    QCOMPARE(Labels(&dialog), QStringList({"Search String:", "Begin Search:"}));
    QCOMPARE(dialog.CaseBox()->text(), QString("Case Dependent"));
    QCOMPARE(dialog.FromTopButton()->text(), QString("From &Top"));
    QCOMPARE(dialog.FromCursorButton()->text(), QString("&From Cursor"));
    QCOMPARE(dialog.CancelButton()->text(), QString("&Cancel"));
    QVERIFY(dialog.FromTopButton()->isDefault());
    QCOMPARE(dialog.TextField()->maxLength(), 80);
  }

  void searchDialogAnswersAndKeepsItsState() {
    TGetSrchStrDlg dialog;
    SearchDialogState state{"old", false};
    QString shownText;
    QString caption;
    // Enter in the field presses the default "From &Top".
    OnNextModal([&](QWidget* modal) {
      auto* d = qobject_cast<TGetSrchStrDlg*>(modal);
      caption = d->windowTitle();
      shownText = d->TextField()->text();
      d->TextField()->clear();
      QTest::keyClicks(d->TextField(), QString(90, 'x'));
      d->CaseBox()->setChecked(true);
      QTest::keyClick(d->TextField(), Qt::Key_Return);
    });
    QCOMPARE(dialog.Ask("Find Text String", state), SearchStart::FromTop);
    QCOMPARE(caption, QString("Find Text String"));
    QCOMPARE(shownText, QString("old"));
    QCOMPARE(state.text, std::string(80, 'x'));  // the field takes 80 characters
    QVERIFY(state.caseDependent);

    // "&From Cursor" shows the kept text and check box.
    bool ticked = false;
    OnNextModal([&](QWidget* modal) {
      auto* d = qobject_cast<TGetSrchStrDlg*>(modal);
      shownText = d->TextField()->text();
      ticked = d->CaseBox()->isChecked();
      d->TextField()->setText("Vesta");
      d->CaseBox()->setChecked(false);
      QTest::mouseClick(d->FromCursorButton(), Qt::LeftButton);
    });
    QCOMPARE(dialog.Ask("Find Help Item", state), SearchStart::FromCursor);
    QCOMPARE(shownText, QString(80, 'x'));
    QVERIFY(ticked);
    QCOMPARE(state.text, std::string("Vesta"));
    QVERIFY(!state.caseDependent);

    // "&Cancel" leaves the state as it was.
    OnNextModal([](QWidget* modal) {
      auto* d = qobject_cast<TGetSrchStrDlg*>(modal);
      d->TextField()->setText("changed");
      QTest::mouseClick(d->CancelButton(), Qt::LeftButton);
    });
    QCOMPARE(dialog.Ask("Find Help Item", state), SearchStart::Cancelled);
    QCOMPARE(state.text, std::string("Vesta"));

    // Either search button with an empty text counts as Cancel.
    for (bool fromTop : {true, false}) {
      OnNextModal([fromTop](QWidget* modal) {
        auto* d = qobject_cast<TGetSrchStrDlg*>(modal);
        d->TextField()->clear();
        QTest::mouseClick(fromTop ? d->FromTopButton() : d->FromCursorButton(), Qt::LeftButton);
      });
      QCOMPARE(dialog.Ask("Find Text String", state), SearchStart::Cancelled);
    }
  }

  void editLineDialog() {
    const std::string line = "00433         C2026 12 09.12345 01 02 03.45 +12 34 56.7";
    {
      TEditTextLineDlg dialog(line);
      QCOMPARE(dialog.windowTitle(), QString("Edit Text Line"));
      QCOMPARE(dialog.Field()->text(), QString::fromStdString(line));
      QCOMPARE(dialog.Field()->maxLength(), 80);
      const QStringList ruler = dialog.Ruler()->text().split('\n');
      QCOMPARE(ruler.size(), 2);
      QCOMPARE(ruler[0].size(), 80);
      QCOMPARE(ruler[0].mid(8, 3), QString(" 1 "));
      QCOMPARE(ruler[0].right(1), QString("8"));
      QCOMPARE(ruler[1].left(12), QString("123456789012"));
      QVERIFY(QFontInfo(dialog.Field()->font()).fixedPitch());
      // The field is wide enough for 80 characters.
      const QFontMetrics m(dialog.Field()->font());
      dialog.show();
      QVERIFY(dialog.Field()->width() >= m.horizontalAdvance(QString(80, 'M')));
    }
    // OK returns the edited text; Cancel nothing.
    OnNextModal([](QWidget* modal) {
      auto* d = qobject_cast<TEditTextLineDlg*>(modal);
      d->Field()->setText("edited line");
      QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    QCOMPARE(TEditTextLineDlg::Ask(line, nullptr), std::optional<std::string>("edited line"));
    OnNextModal([](QWidget* modal) {
      auto* d = qobject_cast<TEditTextLineDlg*>(modal);
      d->Field()->setText("lost");
      QTest::mouseClick(d->CancelButton(), Qt::LeftButton);
    });
    QCOMPARE(TEditTextLineDlg::Ask(line, nullptr), std::optional<std::string>());
    // A line longer than 80 characters is shown and returned whole.
    const std::string longLine = std::string(100, 'a') + "\xE9";
    OnNextModal([](QWidget* modal) {
      auto* d = qobject_cast<TEditTextLineDlg*>(modal);
      QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    QCOMPARE(TEditTextLineDlg::Ask(longLine, nullptr), std::optional<std::string>(longLine));
  }
};

QTEST_MAIN(TestListDialogs)
#include "tst_list_dialogs.moc"
