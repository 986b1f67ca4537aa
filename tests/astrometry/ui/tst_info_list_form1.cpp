// The text-list window on the offscreen platform: menus, size, the search,
// edit, delete and undo flows through the real dialogs, printing to PDF, the
// drawn selection and a derived window with its own items.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <memory>

#include "astrometry/info_list.h"
#include "astrometry/ui/t_edit_text_line_dlg.h"
#include "astrometry/ui/t_get_srch_str_dlg.h"
#include "astrometry/ui/t_info_list_form1.h"
#include "foundations/date_time.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::InfoList;
using skarvel::ListCommandContext;
using skarvel::ListMenuItem;
using skarvel::SearchDialogState;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::InfoListSettings;
using skarvel::ui::TEditTextLineDlg;
using skarvel::ui::TGetSrchStrDlg;
using skarvel::ui::TInfoListForm1;

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

// Answers the next search dialog with `text` and the button `fromTop` or "&From Cursor".
void SearchNext(const QString& text, bool fromTop, QString* caption = nullptr, QString* shown = nullptr) {
  OnNextModal([=](QWidget* modal) {
    auto* d = qobject_cast<TGetSrchStrDlg*>(modal);
    if (d == nullptr) return;
    if (caption) *caption = d->windowTitle();
    if (shown) *shown = d->TextField()->text();
    d->TextField()->setText(text);
    QTest::mouseClick(fromTop ? d->FromTopButton() : d->FromCursorButton(), Qt::LeftButton);
  });
}

QStringList MenuCaptions(QMenu* menu) {
  QStringList captions;
  for (QAction* a : menu->actions())
    if (a->isVisible()) captions << (a->isSeparator() ? QString("-") : a->text());
  return captions;
}

QStringList BoxLines(QListWidget* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->item(i)->text();
  return out;
}

// Share of the pixels in `rect` of `image` that differ from `colour`.
double ShareNot(const QImage& image, const QRect& rect, QColor colour) {
  int other = 0;
  int all = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x, ++all)
      if (image.pixelColor(x, y) != colour) ++other;
  return all == 0 ? 0 : static_cast<double>(other) / all;
}

int CountOccurrences(const QByteArray& haystack, const QByteArray& needle) {
  int n = 0;
  for (qsizetype at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + 1)) ++n;
  return n;
}

// The pages of a PDF file: its "/Type /Page" objects (not "/Type /Pages").
int PdfPageCount(const QByteArray& pdf) {
  return CountOccurrences(pdf, "/Type /Page\n") + CountOccurrences(pdf, "/Type /Page ") +
         CountOccurrences(pdf, "/Type /Page/") + CountOccurrences(pdf, "/Type /Page>");
}

// Text as the PDF info dictionary writes it: UTF-16BE with a byte order mark.
QByteArray Utf16Be(const QString& s) {
  QByteArray out("\xFE\xFF", 2);
  for (QChar c : s) {
    out.append(static_cast<char>(c.unicode() >> 8));
    out.append(static_cast<char>(c.unicode() & 0xFF));
  }
  return out;
}

QString PicturePath(const TempDir& dir, const QString& name) {
  const QByteArray keep = qgetenv("SKARVEL_SCREENSHOT_DIR");
  return (keep.isEmpty() ? QString::fromStdString(dir.Path()) : QString::fromLocal8Bit(keep) + "/") + name;
}

std::vector<std::string> NumberedLines(int n) {
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) lines.push_back("Line " + std::to_string(i) + " of the list");
  return lines;
}

// A list whose owner sorts, takes records, answers double clicks and adds an item.
class OwnerList : public InfoList {
 public:
  OwnerList() : InfoList("Orbit Search Results") {
    Menu().SetVisible("Action1", true);
    Menu().Add("Action1", ListMenuItem::Command("ShowOrbit1", "Show &Orbit"));
    SetSortCaption(1, "By &Name", true);
    SetSortCaption(2, "By &Magnitude");
  }
  std::vector<int> sorts;
  std::vector<std::pair<int, bool>> records;
  std::vector<int> doubleClicks;
  int shown = 0;
  void DoubleClick(int line, ListCommandContext&) override { doubleClicks.push_back(line); }

 protected:
  void SortBy(int index) override {
    sorts.push_back(index);
    auto lines = Lines();
    std::reverse(lines.begin(), lines.end());
    SetLines(lines);
  }
  void RecordChosen(ListCommandContext&) override { records.emplace_back(SelectedRecord(), DeleteRecord()); }
  bool OwnerCommand(const std::string& name, ListCommandContext& context) override {
    if (name != "ShowOrbit1") return InfoList::OwnerCommand(name, context);
    ++shown;
    return true;
  }
};

}  // namespace

class TestInfoListForm1 : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<InfoList> list_;
  SearchDialogState search_;
  std::unique_ptr<TInfoListForm1> window_;
  std::unique_ptr<TempDir> dir_;

  void Open(std::vector<std::string> lines, std::unique_ptr<InfoList> list = nullptr) {
    ui_ = std::make_unique<ScriptedPlatform>();
    dir_ = std::make_unique<TempDir>();
    list_ = list ? std::move(list) : std::make_unique<InfoList>("Astrometric Solution");
    list_->SetLines(std::move(lines));
    window_ = std::make_unique<TInfoListForm1>(*list_, *ui_, search_);
    window_->SetSettingsSource([this] {
      InfoListSettings s;
      s.reportDir = dir_->Path();
      s.userLine = "J. Smith, Lab 3";
      s.now = *skarvel::EncodeDateTime(2026, 12, 9, 20, 0, 0.0L);
      return s;
    });
    window_->ShowList();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void Close() {
    window_.reset();
    list_.reset();
  }

  QListWidget* Box() { return window_->ListBox(); }

 private slots:
  void menusAndFontAsDesigned() {
    Open(NumberedLines(3));
    QCOMPARE(window_->windowTitle(), QString("Astrometric Solution"));
    QStringList top;
    for (QAction* a : window_->menuBar()->actions())
      if (a->isVisible()) top << a->text();
    QCOMPARE(top, QStringList({"&List"}));  // "&Edit", "&Action" and "&Chart" are the owners'
    QCOMPARE(MenuCaptions(window_->Menu("List1")),
             QStringList({"&Search...", "-", "&Print...", "Save &Text", "-", "&Close"}));
    QCOMPARE(MenuCaptions(window_->Menu("SaveText1")),
             QStringList({"As &Displayed...", "&Comma Delimit (for Spreadsheet)..."}));
    QVERIFY(!window_->Action("CommaDelimit")->isEnabled());
    // An owner shows the edit menu.
    list_->Menu().SetVisible("Edit1", true);
    window_->Refresh();
    QVERIFY(window_->Action("Edit1")->isVisible());
    QCOMPARE(MenuCaptions(window_->Menu("Edit1")),
             QStringList({"&Undo Text Edit/Delete", "-", "Edit as &Text...", "&Delete Selected Text Line..."}));
    QVERIFY(!window_->Action("UndoEdit")->isEnabled());
    // The fixed-pitch font: "Courier New" 14 px, or its stand-in.
    const QFont font = Box()->font();
    QCOMPARE(font.pixelSize(), 14);
    QVERIFY(QFontInfo(font).fixedPitch());
    QVERIFY2(QStringList({"Courier New", "DejaVu Sans Mono"}).contains(QFontInfo(font).family()),
             qPrintable(QFontInfo(font).family()));
    window_->Action("Close1")->trigger();
    QVERIFY(!window_->isVisible());
    Close();
  }

  void sizeFollowsTheLines() {
    Open(NumberedLines(30));
    const int h = window_->LineHeight();
    QCOMPARE(Box()->height(), static_cast<int>(std::nearbyint(22.3 * h)));
    const int widest = QFontMetrics(Box()->font()).horizontalAdvance("Line 10 of the list");
    QCOMPARE(Box()->width(), std::max(widest, 200) + 30);
    QCOMPARE(Box()->visualItemRect(Box()->item(1)).height(), h);
    Close();
    Open(NumberedLines(5));
    QCOMPARE(Box()->height(), static_cast<int>(std::nearbyint(6.3 * window_->LineHeight())));
    Close();
    // A long line: the window stops at the screen less 10 and scrolls across widest + 20.
    auto list = std::make_unique<InfoList>("Wide");
    const std::string wide(150, 'W');
    list->SetLines({wide});
    ScriptedPlatform small;
    small.SetScreen(640, 480);
    TInfoListForm1 window(*list, small, search_);
    window.ShowList();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.ListBox()->width(), 630);
    const int w = QFontMetrics(window.ListBox()->font()).horizontalAdvance(QString::fromStdString(wide));
    QScrollBar* bar = window.ListBox()->horizontalScrollBar();
    QCOMPARE(bar->maximum() + window.ListBox()->viewport()->width(), w + 20);
  }

  void searchSelectsTheMatchingLine() {
    Open({"  (1) Ceres", "  (2) Pallas", "  (3) Juno", "  (4) Vesta", "  ceres again"});
    QString caption;
    SearchNext("CERES", true, &caption);
    window_->Action("Search1")->trigger();
    QCOMPARE(caption, QString("Find Text String"));
    QCOMPARE(Box()->currentRow(), 0);
    QCOMPARE(list_->Selected(), 0);
    // From the cursor: line 3 "(4) Vesta" is joined with "ceres again", whose line is selected.
    QString shown;
    SearchNext("ceres", false, nullptr, &shown);
    window_->Action("Search1")->trigger();
    QCOMPARE(shown, QString("CERES"));  // the dialog kept its text
    QCOMPARE(Box()->currentRow(), 4);
    QVERIFY(Box()->item(4)->isSelected());
    SearchNext("ceres", false);
    window_->Action("Search1")->trigger();
    QCOMPARE(Box()->currentRow(), 4);
    QCOMPARE(ui_->Messages().size(), std::size_t{1});
    QCOMPARE(ui_->Messages()[0].text, std::string("\"ceres\" Not Found."));
    QCOMPARE(ui_->Messages()[0].caption, std::string("String Not Found"));
    // A line picked with the mouse is where "&From Cursor" goes on.
    QTest::mouseClick(Box()->viewport(), Qt::LeftButton, {}, Box()->visualItemRect(Box()->item(1)).center());
    QCOMPARE(list_->Selected(), 1);
    SearchNext("(", false);
    window_->Action("Search1")->trigger();
    QCOMPARE(Box()->currentRow(), 2);
    // Activation resets the shared dialog.
    window_->ShowList();
    QCOMPARE(search_.text, std::string());
    SearchNext("", true, nullptr, &shown);
    window_->Action("Search1")->trigger();
    QCOMPARE(shown, QString());
    QCOMPARE(Box()->currentRow(), 2);
    QCOMPARE(ui_->Messages().size(), std::size_t{1});
    Close();
  }

  void editDeleteAndUndo() {
    Open({"first line", "second line", "third line"});
    list_->Menu().SetVisible("Edit1", true);
    window_->Refresh();
    window_->Action("EditasText1")->trigger();
    QCOMPARE(ui_->Messages().back().text, std::string("Select Text Line for Edit!"));
    Box()->setCurrentRow(1);
    QString shown;
    OnNextModal([&](QWidget* modal) {
      auto* d = qobject_cast<TEditTextLineDlg*>(modal);
      if (d == nullptr) return;
      shown = d->Field()->text();
      d->Field()->setText("2nd line, edited");
      QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    window_->Action("EditasText1")->trigger();
    QCOMPARE(shown, QString("second line"));
    QCOMPARE(BoxLines(Box()), QStringList({"first line", "2nd line, edited", "third line"}));
    QVERIFY(window_->Action("UndoEdit")->isEnabled());
    window_->Action("UndoEdit")->trigger();
    QCOMPARE(BoxLines(Box()), QStringList({"first line", "second line", "third line"}));
    QVERIFY(!window_->Action("UndoEdit")->isEnabled());
    // Delete the first line with "Yes", then undo.
    Box()->setCurrentRow(0);
    ui_->AnswerNext(Answer::Yes);
    window_->Action("DeleteSelectedItem1")->trigger();
    QCOMPARE(ui_->Messages().back().caption, std::string("Verify Deletion"));
    QCOMPARE(BoxLines(Box()), QStringList({"second line", "third line"}));
    QCOMPARE(Box()->selectedItems().size(), 0);
    window_->Action("UndoEdit")->trigger();
    QCOMPARE(BoxLines(Box()), QStringList({"first line", "second line", "third line"}));
    QCOMPARE(Box()->currentRow(), 0);
    // "No" keeps the line.
    ui_->AnswerNext(Answer::No);
    window_->Action("DeleteSelectedItem1")->trigger();
    QCOMPARE(Box()->count(), 3);
    QCOMPARE(ui_->Unanswered(), 0);
    Close();
  }

  void saveAsTextChecksTheItem() {
    Open({"a line", "another line"});
    const std::string path = dir_->Path() + "SOLN.TXT";
    ui_->SaveAsNext(path);
    QVERIFY(!window_->Action("SaveText1")->isChecked());
    window_->Action("AsDisplayed1")->trigger();
    QCOMPARE(ui_->SaveDialogs().at(0).directory, dir_->Path());
    QCOMPARE(skarvel::testing::ReadText(path), std::string("a line\nanother line\n"));
    QCOMPARE(ui_->Messages().back().caption, std::string("Text File Written"));
    QVERIFY(window_->Action("SaveText1")->isChecked());
    Close();
  }

  void printsPagesToPdf() {
    Open(NumberedLines(150));
    const QString pdf = QString::fromStdString(dir_->Path() + "list.pdf");
    int dialogs = 0;
    window_->SetPrintDialog([&](QPrinter& printer) {
      ++dialogs;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      printer.setPageSize(QPageSize(QPageSize::A4));
      printer.setPageOrientation(QPageLayout::Portrait);
      return true;
    });
    list_->Menu().SetVisible("Edit1", true);
    window_->Refresh();
    window_->Action("Print1")->trigger();
    QCOMPARE(dialogs, 1);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    // 10-point lines on A4: about 60 list lines on the first page and 64 on the next.
    QCOMPARE(PdfPageCount(bytes), 3);
    QVERIFY(bytes.contains(Utf16Be("VORN CCD Astrometry - J. Smith, Lab 3")));
    QVERIFY(bytes.contains("DejaVuSansMono") || bytes.contains("Courier"));
    QVERIFY(window_->Action("Print1")->isChecked());
    QVERIFY(list_->Printed());
    QCOMPARE(ui_->BusyCalls(), 2);
    QCOMPARE(ui_->BusyDepth(), 0);
    QVERIFY(window_->isEnabled());
    file.close();
    Close();

    // A short list fits on one page; a cancelled dialog prints nothing.
    Open(NumberedLines(10));
    const QString pdf2 = QString::fromStdString(dir_->Path() + "short.pdf");
    bool accept = false;
    window_->SetPrintDialog([&](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf2);
      return accept;
    });
    window_->Action("Print1")->trigger();
    QVERIFY(!QFile::exists(pdf2));
    QVERIFY(!window_->Action("Print1")->isChecked());
    accept = true;
    window_->Action("Print1")->trigger();
    QFile file2(pdf2);
    QVERIFY(file2.open(QIODevice::ReadOnly));
    QCOMPARE(PdfPageCount(file2.readAll()), 1);
    Close();
  }

  void drawnPageFollowsTheLayout() {
    // Rows 0, 2 and 4 of a page, the last two indented past the landscape margin.
    const skarvel::PrintedPage page = {{0, 0, "2026/12/09 20:00:00"}, {2, 0, "J. Smith"}, {4, 50, "Title"}};
    QImage image(400, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter p(&image);
      p.setFont(skarvel::ui::FixedPitchFont("Courier New", 14));
      p.setPen(Qt::black);
      skarvel::ui::DrawPrintedPage(p, page, 50, 20);
    }
    auto inkIn = [&](int top, int left, int right) {
      return ShareNot(image, QRect(left, top, right - left, 20), Qt::white) > 0.02;
    };
    QVERIFY(inkIn(0, 50, 150));     // date at the margin
    QVERIFY(!inkIn(0, 0, 50));      // nothing left of the margin
    QVERIFY(!inkIn(20, 0, 400));    // row 1 empty
    QVERIFY(inkIn(40, 50, 150));    // user line
    QVERIFY(!inkIn(80, 0, 100));    // title starts at margin + 50
    QVERIFY(inkIn(80, 100, 160));
  }

  void selectedLineIsHighlighted() {
    Open(NumberedLines(8));
    Box()->setCurrentRow(3);
    QCOMPARE(list_->Selected(), 3);
    const QImage image = Box()->viewport()->grab().toImage();
    QVERIFY(image.save(PicturePath(*dir_, "info-list-selection.png")));
    const QColor base = Box()->palette().color(QPalette::Base);
    const QRect selected = Box()->visualItemRect(Box()->item(3));
    const QRect other = Box()->visualItemRect(Box()->item(5));
    QVERIFY2(ShareNot(image, selected, base) > 0.8, "the selected row is filled with the highlight");
    const double ink = ShareNot(image, other, base);
    QVERIFY2(ink > 0.01 && ink < 0.4, "an unselected row shows its text on the base colour");
    Close();
  }

  void derivedWindowSortsActsAndAddsItems() {
    auto owner = std::make_unique<OwnerList>();
    OwnerList* list = owner.get();
    Open({"alpha", "beta", "gamma"}, std::move(owner));
    QVERIFY(window_->Action("Action1")->isVisible());
    QCOMPARE(MenuCaptions(window_->Menu("Action1")),
             QStringList({"&Access Selected Record", "&Delete Selected Record", "Show &Orbit"}));
    QCOMPARE(MenuCaptions(window_->Menu("SortList1")), QStringList({"By &Name", "By &Magnitude"}));
    QVERIFY(window_->Action("Sort1")->isChecked());
    window_->Action("Sort2")->trigger();
    QVERIFY(window_->Action("Sort2")->isChecked());
    QVERIFY(!window_->Action("Sort1")->isChecked());
    QCOMPARE(list->sorts, std::vector<int>{2});
    QCOMPARE(BoxLines(Box()), QStringList({"gamma", "beta", "alpha"}));  // the owner rebuilt the lines
    Box()->setCurrentRow(1);
    window_->Action("DeleteSelectedRecord1")->trigger();
    window_->Action("ShowOrbit1")->trigger();
    QCOMPARE(list->records, (std::vector<std::pair<int, bool>>{{1, true}}));
    QCOMPARE(list->shown, 1);
    const QPoint third = Box()->visualItemRect(Box()->item(2)).center();
    QTest::mouseClick(Box()->viewport(), Qt::LeftButton, {}, third);  // a double click begins with a press
    QTest::mouseDClick(Box()->viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(list->doubleClicks, std::vector<int>{2});
    QCOMPARE(list->Selected(), 2);
    // A caption the owner changes later shows after a refresh.
    list->Menu().SetCaption("DeleteSelectedItem1", "&Delete Selected Item...");
    window_->Refresh();
    QCOMPARE(window_->Action("DeleteSelectedItem1")->text(), QString("&Delete Selected Item..."));
    Close();
  }
};

QTEST_MAIN(TestInfoListForm1)
#include "tst_info_list_form1.moc"
