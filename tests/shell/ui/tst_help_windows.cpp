// The help windows on the offscreen platform: "&Topics..." through the topic
// list dialog, the help window's menus, the related-topic double click, the
// text search, the observation parameters' help button and the printout.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "astrometry/ui/t_get_srch_str_dlg.h"
#include "astrometry/ui/t_obs_params_dlg.h"
#include "foundations/date_time.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "shell/ui/t_help_lst_dlg.h"
#include "shell/ui/t_help_win.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

using skarvel::AstrmLab;
using skarvel::AstrmLabEnvironment;
using skarvel::platform::Answer;
using skarvel::testing::ScriptedPlatform;
using skarvel::testing::TempDir;
using skarvel::ui::TAstrmLab;
using skarvel::ui::TGetSrchStrDlg;
using skarvel::ui::THelpLstDlg;
using skarvel::ui::THelpWin;

namespace {

const std::string kFixtures = std::string(SKARVEL_TEST_DATA_DIR) + "/help/";

/// Runs `step` once the event loop of the next modal dialog runs. A step that
/// failed leaves its dialog open: it is closed then, so that the test ends.
void WhenModal(std::function<void()> step) {
  QTimer::singleShot(0, [step = std::move(step)] {
    QWidget* modal = QApplication::activeModalWidget();
    step();
    if (QTest::currentTestFailed() && modal != nullptr && modal->isVisible())
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  });
}

/// Answers the search dialog with `text` from the top.
void SearchFromTop(TGetSrchStrDlg* dialog, const QString& text) {
  WhenModal([dialog, text] {
    QVERIFY(dialog->isVisible());
    dialog->TextField()->setText(text);
    QTest::mouseClick(dialog->FromTopButton(), Qt::LeftButton);
  });
}

/// Pages of a PDF file: its "/Type /Page" objects.
int PageCount(const QByteArray& pdf) {
  return static_cast<int>(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page(?!s)")));
}

/// A double click on line `row` of a list box, as the list box reports it.
void DoubleClick(QListWidget* box, int row) {
  box->setCurrentRow(row);
  emit box->itemDoubleClicked(box->item(row));
}

int SelectedRow(const QListWidget* box) {
  const auto items = box->selectedItems();
  return items.isEmpty() ? -1 : box->row(items.front());
}

/// Whether any pixel of rows [top, bottom) is dark, and the leftmost dark column.
struct Ink {
  bool any = false;
  int left = 1 << 30;
};
Ink InkIn(const QImage& image, int top, int bottom) {
  Ink ink;
  for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) {
        ink.any = true;
        ink.left = std::min(ink.left, x);
      }
  return ink;
}

}  // namespace

class TestHelpWindows : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> root_;
  std::unique_ptr<ScriptedPlatform> ui_;
  std::unique_ptr<AstrmLab> lab_;
  std::unique_ptr<TAstrmLab> window_;

  THelpWin* Help() const { return window_->HelpWindow(); }
  THelpLstDlg* List() const { return window_->HelpListDialog(); }

 private slots:
  void init() {
    root_ = std::make_unique<TempDir>();
    ui_ = std::make_unique<ScriptedPlatform>();
    AstrmLabEnvironment env;
    env.storage.programDir = root_->MakeDir("program");
    for (const char* name :
         {"TOOLSHLP.LST", "VORNHELP.HLP", "download.hlp", "images.hlp", "single.hlp", "short.hlp", "toolshlp.txt"})
      skarvel::testing::WriteText(env.storage.programDir + name, skarvel::testing::ReadText(kFixtures + name));
    env.storage.currentDir = root_->MakeDir("work");
    env.storage.perUserDir = root_->Path() + "peruser/";
    env.storage.changeCurrentDirectory = false;
    env.storage.mountsFile = root_->Path() + "none";
    env.clock = [] { return *skarvel::EncodeDateTime(2026, 12, 9, 20, 0, 0.0L); };
    lab_ = std::make_unique<AstrmLab>(*ui_, env);
    QCOMPARE(lab_->Create(), AstrmLab::StartResult::Running);
    QVERIFY(ui_->Messages().empty());
    window_ = std::make_unique<TAstrmLab>(*lab_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanup() {
    ui_->AnswerNext(Answer::Yes);
    window_->close();
    window_.reset();
    lab_.reset();
    root_.reset();
  }

  void topicsDialogBeepsNamesHeadingsFindsAndChooses() {
    bool ran = false;
    WhenModal([this, &ran] {
      THelpLstDlg* dlg = List();
      QVERIFY(dlg->isVisible());
      QCOMPARE(dlg->windowTitle(), QString("Select Help Topic"));
      QVERIFY(dlg->windowFlags() & Qt::WindowStaysOnTopHint);
      QListWidget* box = dlg->ListBox();
      QCOMPARE(box->count(), 13);
      QCOMPARE(box->item(0)->text(), QString("-Getting Started-"));
      QCOMPARE(box->item(1)->text(), QString("  Loading Images"));
      QCOMPARE(box->item(3)->text(), QString(""));
      QCOMPARE(SelectedRow(box), 0);  // SelectedTopicIndex after loading
      QVERIFY(dlg->width() >= 230);
      QCoreApplication::processEvents();
      const QImage shot = dlg->grab().toImage();
      const QPoint at = box->mapTo(dlg, QPoint(0, 0));
      const QRect heading = box->visualItemRect(box->item(0));
      QVERIFY(InkIn(shot, at.y() + heading.top(), at.y() + heading.bottom()).any);  // "-Getting Started-"
      if (const char* dir = std::getenv("SKARVEL_SCREENSHOT_DIR")) shot.save(QString(dir) + "/help-topics.png");
      // A separator only beeps.
      box->setCurrentRow(3);
      dlg->Action("ReadPrintTopic1")->trigger();
      QCOMPARE(ui_->Beeps(), 1);
      QVERIFY(ui_->Messages().empty());
      QVERIFY(dlg->isVisible());
      // A heading names itself and the dialog stays.
      box->setCurrentRow(4);
      dlg->Action("ReadPrintTopic1")->trigger();
      QCOMPARE(ui_->Captions(), std::vector<std::string>{"Topic Heading"});
      QCOMPARE(ui_->Messages()[0].text, std::string("Select a Topic Under \"-Orbits-\""));
      QVERIFY(dlg->isVisible());
      // Find Topic from the top.
      SearchFromTop(dlg->SearchDialog(), "blinking");
      dlg->Action("FindTopic1")->trigger();
      QCOMPARE(dlg->SearchDialog()->windowTitle(), QString("Find Help Topic"));
      QCOMPARE(SelectedRow(box), 2);
      SearchFromTop(dlg->SearchDialog(), "blink");
      dlg->Action("FindTopic1")->trigger();
      QCOMPARE(ui_->Messages().back().text, std::string("\"blink\" Not Found."));
      QCOMPARE(SelectedRow(box), 2);
      // A double click chooses the topic under it.
      DoubleClick(box, 1);
      ran = true;
    });
    window_->RunCommand("Topics1");
    QVERIFY(ran);
    QVERIFY(!List()->isVisible());
    QVERIFY(Help()->isVisible());
    QVERIFY(Help()->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(Help()->windowTitle(), QString("Help - Loading Images"));
    QCOMPARE(Help()->ListBox()->count(), 9);
    QCOMPARE(Help()->ListBox()->item(1)->text(),
             QString("  Choose \"Image 1\" to \"Image 4\" in the \"Load Image Files\" menu to load a  "));
    QVERIFY(Help()->Action("ShowHelpTopics1")->isEnabled());
    QVERIFY(!Help()->Action("Back1")->isEnabled());
    QCOMPARE(lab_->Help().List()->selectedTopicIndex, 1);
    QCOMPARE(ui_->Messages().size(), std::size_t(2));
  }

  void closingTheListShowsNothing() {
    WhenModal([this] {
      List()->ListBox()->clearSelection();
      List()->Action("CloseHelpTopics1")->trigger();
    });
    window_->RunCommand("Topics1");
    QVERIFY(!Help()->isVisible());
    QCOMPARE(lab_->Help().List()->selectedTopicIndex, -1);
  }

  void relatedTopicBackAndSearch() {
    QVERIFY(lab_->Help().ShowTopicByTitle("Loading Images"));
    QVERIFY(Help()->isVisible());
    QListWidget* box = Help()->ListBox();
    // A line above RELATED TOPICS is no link; one below it is.
    DoubleClick(box, 2);
    QCOMPARE(Help()->windowTitle(), QString("Help - Loading Images"));
    DoubleClick(box, 6);
    QCOMPARE(Help()->windowTitle(), QString("Help - Download the MPC Database"));
    QVERIFY(Help()->isVisible());
    QVERIFY(Help()->Action("Back1")->isEnabled());
    Help()->Action("Back1")->trigger();
    QCOMPARE(Help()->windowTitle(), QString("Help - Loading Images"));
    QVERIFY(!Help()->Action("Back1")->isEnabled());
    // "&Search Text...": the match in the joined lines selects its line.
    SearchFromTop(Help()->SearchDialog(), "four slots");
    Help()->Action("SearchText1")->trigger();
    QCOMPARE(Help()->SearchDialog()->windowTitle(), QString("Find Help Item"));
    QCOMPARE(SelectedRow(box), 2);
    QVERIFY(ui_->Messages().empty());
    // "Show Help &Topics..." picks another topic, recorded.
    WhenModal([this] {
      List()->ListBox()->setCurrentRow(2);
      List()->Action("ReadPrintTopic1")->trigger();
    });
    Help()->Action("ShowHelpTopics1")->trigger();
    QCOMPARE(Help()->windowTitle(), QString("Help - Blinking"));
    QVERIFY(Help()->Action("Back1")->isEnabled());
    // Closed by hand: the history goes.
    Help()->close();
    QVERIFY(!lab_->Help().WindowVisible());
    QVERIFY(lab_->Help().Window().HistoryTitles().empty());
    // The menu's close item.
    window_->RunCommand("OnHelp1");
    QVERIFY(Help()->isVisible());
    Help()->Action("CloseTopicWindow1")->trigger();
    QVERIFY(!Help()->isVisible());
  }

  void obsParamsHelpButtonOpensItsTopicOverTheDialog() {
    skarvel::ObsParams params;
    bool ran = false;
    WhenModal([this, &ran] {
      auto* dlg = qobject_cast<skarvel::ui::TObsParamsDlg*>(QApplication::activeModalWidget());
      QVERIFY(dlg != nullptr);
      auto* buttons = dlg->findChild<QDialogButtonBox*>();
      QVERIFY(buttons != nullptr);
      QTest::mouseClick(buttons->button(QDialogButtonBox::Help), Qt::LeftButton);
      QVERIFY(Help()->isVisible());
      QCOMPARE(Help()->windowTitle(), QString("Help - Set Object Information Parameters"));
      QCOMPARE(Help()->windowModality(), Qt::ApplicationModal);  // usable over the modal dialog
      QCOMPARE(Help()->ListBox()->item(1)->text(),
               QString("  Enter the object name, its number or its provisional designation here.  "));
      Help()->Action("CloseTopicWindow1")->trigger();
      dlg->reject();
      ran = true;
    });
    QVERIFY(lab_->Views().editObservationParameters);
    QVERIFY(!lab_->Views().editObservationParameters(params));
    QVERIFY(ran);
    QVERIFY(ui_->Messages().empty());
    // Shown from the menu afterwards it is an ordinary window again.
    window_->RunCommand("OnHelp1");
    QCOMPARE(Help()->windowModality(), Qt::NonModal);
  }

  void downloadHelpThroughTheTopicList() {
    QVERIFY(window_->Action("HelponCometFileDownload1") != nullptr);
    window_->Action("HelponCometFileDownload1")->trigger();
    QCOMPARE(Help()->windowTitle(), QString("Help - Download the MPC Comet File"));
    QVERIFY(ui_->Messages().empty());
  }

  void printsOnePageToPdfAndLaysItOut() {
    window_->RunCommand("OnHelp1");
    QCOMPARE(Help()->windowTitle(), QString("Help - On Help"));
    const QString pdf = QString::fromStdString(root_->Path() + "help.pdf");
    // Cancelled: nothing printed.
    Help()->SetPrintDialog([](QPrinter&) { return false; });
    Help()->Action("PrintTopic1")->trigger();
    QVERIFY(!QFile::exists(pdf));
    Help()->SetPrintDialog([pdf](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      return true;
    });
    Help()->Action("PrintTopic1")->trigger();
    QVERIFY(Help()->isEnabled());
    QCOMPARE(ui_->BusyDepth(), 0);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(PageCount(bytes), 1);

    // The page drawn on paper 100 dots per inch: rows of "Text" height.
    QImage page(850, 1100, QImage::Format_RGB32);
    page.fill(Qt::white);
    int h = 0;
    {
      QPainter painter(&page);
      Help()->PaintPage(painter, page.height(), 100, false);
      h = painter.fontMetrics().size(0, "Text").height();
    }
    QVERIFY(h > 5);
    const auto band = [&](int row) { return InkIn(page, row * h + 1, (row + 1) * h - 1); };
    QVERIFY(band(0).any);  // date and table number
    QVERIFY(band(0).left < 10);
    QVERIFY(!band(1).any);
    QVERIFY(band(2).any);  // "Demonstration"
    QVERIFY(band(2).left < 10);
    QVERIFY(!band(3).any);
    QVERIFY(band(4).any);  // the job title, 50 units in
    QVERIFY(band(4).left >= 50 && band(4).left < 60);
    QVERIFY(band(6).any);                   // "Help - On Help"
    QVERIFY(!band(7).any && !band(8).any);  // the blank first line
    QVERIFY(band(9).any);
    QVERIFY(band(10).any);
    QVERIFY(!band(12).any);
    // A topic longer than the page is cut at its end: still one page.
    std::string longText;
    for (int i = 0; i < 400; ++i)
      longText += "Line " + std::to_string(i) + " of a topic longer than one printed page.\n";
    skarvel::testing::WriteText(lab_->Options().programDir + "VORNHELP.HLP", longText);
    window_->RunCommand("OnHelp1");
    QCOMPARE(Help()->ListBox()->count(), 402);
    QVERIFY(QFile::remove(pdf));
    Help()->Action("PrintTopic1")->trigger();
    QFile longFile(pdf);
    QVERIFY(longFile.open(QIODevice::ReadOnly));
    const QByteArray longBytes = longFile.readAll();
    QCOMPARE(PageCount(longBytes), 1);
    // The window as a person sees it: the lines drawn in its list.
    QCoreApplication::processEvents();
    const QImage shot = Help()->grab().toImage();
    const QPoint listTop = Help()->ListBox()->mapTo(Help(), QPoint(0, 0));
    QVERIFY(InkIn(shot, listTop.y() + Help()->ListBox()->visualItemRect(Help()->ListBox()->item(1)).top(),
                  listTop.y() + Help()->ListBox()->visualItemRect(Help()->ListBox()->item(1)).bottom())
                .any);
    if (const char* dir = std::getenv("SKARVEL_SCREENSHOT_DIR")) {
      page.save(QString(dir) + "/help-printout.png");
      shot.save(QString(dir) + "/help-window.png");
    }
  }
};

QTEST_MAIN(TestHelpWindows)
#include "tst_help_windows.moc"
