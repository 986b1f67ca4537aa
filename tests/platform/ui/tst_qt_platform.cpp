// The Qt implementation of the platform interface on the offscreen platform.
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/ui/qt_platform.h"

using skarvel::platform::Answer;
using skarvel::platform::Buttons;
using skarvel::platform::Icon;
using skarvel::platform::QtPlatform;

namespace {

// Runs `act` on the next modal dialog once it shows.
template <typename F>
void OnNextModal(F act) {
  QTimer::singleShot(30, [act] {
    if (QWidget* modal = QApplication::activeModalWidget()) act(modal);
  });
}

}  // namespace

class TestQtPlatform : public QObject {
  Q_OBJECT

 private slots:
  void latin1TextsKeepTheirBytes() {
    const std::string degree = "12\xB0 30'";
    QCOMPARE(skarvel::platform::ToQt(degree), QString::fromUtf8("12\u00B0 30'"));
    QCOMPARE(skarvel::platform::FromQt(skarvel::platform::ToQt(degree)), degree);
  }

  void filtersBecomeQtFilters() {
    QCOMPARE(skarvel::platform::QtFilter("VORN User Parameter File (*.USR)|.USR"),
             QString("VORN User Parameter File (*.USR *.usr)"));
    QCOMPARE(skarvel::platform::QtFilter("FITS Files|*.fit;*.fits|All Files (*.*)|*.*"),
             QString("FITS Files (*.fit *.fits);;All Files (*.*)"));
    QCOMPARE(skarvel::platform::QtFilter("FITS Files (*.FIT, *.FTS)|*.FIT; *.FTS|ST-4 Files|*.ST4"),
             QString("FITS Files (*.FIT *.fit *.FTS *.fts);;ST-4 Files (*.ST4 *.st4)"));
  }

  void fileDialogsStartOnTheRequestedFilter() {
    QtPlatform ui;
    QString selected;
    OnNextModal([&](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      QVERIFY(dialog != nullptr);
      selected = dialog->selectedNameFilter();
      dialog->reject();
    });
    skarvel::platform::FileDialogRequest request;
    request.title = "Select Image File for Load (Image 1)";
    request.filter = "FITS Files (*.FIT, *.FTS)|*.FIT; *.FTS|ST-4 Files|*.ST4|All Files (*.*)|*.*";
    request.filterIndex = 2;
    request.directory = "/tmp";
    QVERIFY(!ui.OpenFiles(request).has_value());
    QCOMPARE(selected, QString("ST-4 Files (*.ST4 *.st4)"));
  }

  void messageBoxShowsTextCaptionIconAndReturnsTheButton() {
    QtPlatform ui;
    QString title;
    QString text;
    int icon = -1;
    OnNextModal([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      QVERIFY(box != nullptr);
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      box->button(QMessageBox::No)->click();
    });
    const Answer a = ui.Message({"Line 1\r\nLine 2", "Verify Exit", Icon::Question, Buttons::YesNo, false});
    QCOMPARE(a, Answer::No);
    QCOMPARE(title, QString("Verify Exit"));
    QCOMPARE(text, QString("Line 1\nLine 2"));
    QCOMPARE(icon, static_cast<int>(QMessageBox::Question));

    OnNextModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click(); });
    QCOMPARE(ui.Message({"?", "Duplicate Record Found", Icon::Stop, Buttons::YesNoCancel, false}), Answer::Yes);
    // Escape on Yes/No/Cancel is Cancel.
    OnNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    QCOMPARE(ui.Message({"?", "c", Icon::Warning, Buttons::YesNoCancel, false}), Answer::Cancel);
    OnNextModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click(); });
    QCOMPARE(ui.Message({"!", "c", Icon::Error, Buttons::OkCancel, true}), Answer::Ok);
  }

  void messageBoxStandsBesideItsAnchorWindow() {
    // The rule: below the window, above it when the screen has no room below,
    // kept on the screen.
    const QRect screen(0, 0, 1280, 1024);
    QCOMPARE(QtPlatform::BesideAnchor(QRect(638, 0, 640, 470), QSize(400, 120), screen), QPoint(638, 478));
    QCOMPARE(QtPlatform::BesideAnchor(QRect(638, 800, 640, 200), QSize(400, 120), screen), QPoint(638, 672));
    QCOMPARE(QtPlatform::BesideAnchor(QRect(1100, 0, 640, 470), QSize(400, 120), screen), QPoint(880, 478));
    // A box shown while an anchor is set stands below it and leaves it uncovered.
    QWidget anchor;
    anchor.setGeometry(600, 0, 500, 300);
    anchor.show();
    QtPlatform ui;
    ui.SetMessageAnchor(&anchor);
    QRect shown;
    OnNextModal([&](QWidget* w) {
      shown = w->frameGeometry();
      qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(ui.Message({"Sky?", "Target Sky OK?", Icon::Question, Buttons::YesNo, false}), Answer::Yes);
    QVERIFY2(!shown.intersects(anchor.frameGeometry()), "the box covers the window it belongs to");
    QVERIFY(shown.top() > anchor.frameGeometry().bottom());
    QCOMPARE(shown.left(), anchor.frameGeometry().left());
    // A hidden anchor places nothing: the box is centred as usual.
    anchor.hide();
    OnNextModal([&](QWidget* w) {
      shown = w->frameGeometry();
      qobject_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
    });
    ui.Message({"!", "c", Icon::Information, Buttons::Ok, false});
    QVERIFY(shown.left() != anchor.frameGeometry().left() || shown.top() != anchor.frameGeometry().bottom() + 9);
  }

  // "Target Sky OK?" asks about the magnifier below the image window: the box
  // keeps clear of it (above, right or left of the window, whichever is free).
  void messageBoxKeepsClearOfTheMagnifier() {
    const QRect screen(0, 0, 1280, 1024);
    const QRect image(638, 0, 640, 470);
    const QSize box(400, 120);
    // The magnifier right below the window's left part: below is taken; above
    // has no room and, moved onto the screen, would cover the window, as would
    // right of it (moved back onto the screen); left of the window is free.
    const QRect magnifier(638, 478, 160, 180);
    const QPoint at = QtPlatform::BesideAnchor(image, box, screen, {magnifier});
    QVERIFY(!QRect(at, box).intersects(magnifier));
    QVERIFY(screen.contains(QRect(at, box)));
    QCOMPARE(at, QPoint(230, 0));
    // Nothing to avoid: below, as before.
    QCOMPARE(QtPlatform::BesideAnchor(image, box, screen, {}), QPoint(638, 478));
    // Every place beside the window taken: below the window to keep clear,
    // where nothing is covered (before, the box covered 82 of its rows there).
    const QPoint clear = QtPlatform::BesideAnchor(image, box, screen, {QRect(0, 0, 1280, 560)});
    QCOMPARE(clear, QPoint(0, 568));
    // Covered everywhere: the place covering least, which leaves the window free.
    const QPoint least = QtPlatform::BesideAnchor(image, box, screen, {QRect(0, 0, 1280, 1024)});
    QVERIFY(screen.contains(QRect(least, box)));
    QVERIFY(!QRect(least, box).intersects(image));
    // A magnifier just below and left of the window's corner, a dialog beside
    // it (as a running measurement has them): the box leaves both in view.
    const QRect small(329, 0, 400, 262), lens(398, 263, 155, 155), dialog(553, 263, 240, 300);
    const QPoint judged = QtPlatform::BesideAnchor(small, QSize(404, 102), QRect(0, 0, 800, 600), {dialog, lens});
    QVERIFY(!QRect(judged, QSize(404, 102)).intersects(lens));
    QVERIFY(QRect(0, 0, 800, 600).contains(QRect(judged, QSize(404, 102))));
    // The box a question shows while a magnifier is kept clear.
    QWidget anchor;
    anchor.setGeometry(600, 0, 500, 300);
    anchor.show();
    QWidget keep;
    keep.setGeometry(600, 320, 151, 151);
    keep.show();
    QtPlatform ui;
    ui.SetMessageAnchor(&anchor, {&keep});
    QRect shown;
    OnNextModal([&](QWidget* w) {
      shown = w->frameGeometry();
      qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(ui.Message({"Sky?", "Target Sky OK?", Icon::Question, Buttons::YesNo, false}), Answer::Yes);
    QVERIFY2(!shown.intersects(keep.frameGeometry()), "the box covers the magnifier");
    QVERIFY2(!shown.intersects(anchor.frameGeometry()), "the box covers the window it belongs to");
  }

  void textPromptReturnsTheTypedTextOrNothing() {
    QtPlatform ui;
    OnNextModal([](QWidget* w) {
      auto* edit = w->findChild<QLineEdit*>();
      QVERIFY(edit != nullptr);
      edit->setText("E");
      QTest::keyClick(edit, Qt::Key_Return);
    });
    QCOMPARE(ui.PromptText({"CDROM Drive?", "Please Enter Drive Letter of CDROM:", "", ""}),
             std::optional<std::string>("E"));
    OnNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    QVERIFY(!ui.PromptText({"CDROM Drive?", "Please Enter Drive Letter of CDROM:", "", ""}).has_value());
  }

  void promptWithAThirdButton() {
    QtPlatform ui;
    skarvel::platform::TextPromptRequest request{"GSC Location", "Please insert the GSC", "D:\\", "Browse"};
    OnNextModal([](QWidget* w) {
      auto* edit = w->findChild<QLineEdit*>("promptText");
      QVERIFY(edit != nullptr);
      QCOMPARE(edit->text(), QString("D:\\"));
      QCOMPARE(w->windowTitle(), QString("GSC Location"));
      w->findChild<QPushButton*>("extraButton")->click();
    });
    QCOMPARE(ui.PromptText(request), std::optional<std::string>("Browse"));
    OnNextModal([](QWidget* w) {
      w->findChild<QLineEdit*>("promptText")->setText("E");
      QTest::keyClick(w->findChild<QLineEdit*>("promptText"), Qt::Key_Return);
    });
    QCOMPARE(ui.PromptText(request), std::optional<std::string>("E"));
    OnNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    QVERIFY(!ui.PromptText(request).has_value());
  }

  void progressWindowReportsTheStopRequest() {
    QtPlatform ui;
    auto progress = ui.OpenProgress("Converting", "Records", 100, true);
    progress->SetPosition(50);
    QVERIFY(!progress->StopRequested());
    auto* dialog = QApplication::topLevelWidgets().isEmpty() ? nullptr : [] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == "Converting") return w;
      return static_cast<QWidget*>(nullptr);
    }();
    QVERIFY(dialog != nullptr);
    auto* stop = dialog->findChild<QPushButton*>();
    QVERIFY(stop != nullptr);
    stop->click();
    QVERIFY(progress->StopRequested());
    // Lines broken the system's way show as lines.
    progress->SetText("GSC\\N0000\\\r\n0001.BIN\r\nRegion 1");
    QLabel* label = dialog->findChild<QLabel*>();
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), QString("GSC\\N0000\\\n0001.BIN\nRegion 1"));
    // A declined stop: the window stays in view and can be stopped again.
    QVERIFY(dialog->isVisible());
    progress->ResumeAfterStop();
    QVERIFY(!progress->StopRequested());
    progress->SetPosition(60);
    QVERIFY(dialog->isVisible());
    stop->click();
    QVERIFY(progress->StopRequested());
  }

  void busyCursorNests() {
    QtPlatform ui;
    ui.SetBusy(true);
    ui.SetBusy(true);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.SetBusy(false);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    ui.SetBusy(false);
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void startProcessAndAskWhetherItRuns() {
    QtPlatform ui;
    const auto handle = ui.StartProcess("/bin/sleep", {"5"}, "/tmp");
    QVERIFY(handle.id != 0);
    QVERIFY(ui.ProcessRunning(handle));
    QCOMPARE(ui.StartProcess("/no/such/program", {}, "/tmp").id, std::int64_t{0});
    QVERIFY(!ui.ProcessRunning({12345}));
  }
};

QTEST_MAIN(TestQtPlatform)
#include "tst_qt_platform.moc"
