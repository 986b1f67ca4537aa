#include "shell/ui/t_help_win.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <algorithm>

#include "astrometry/ui/t_get_srch_str_dlg.h"
#include "astrometry/ui/t_info_list_form1.h"
#include "foundations/date_time.h"
#include "platform/ui/qt_platform.h"
#include "shell/ui/t_help_lst_dlg.h"

namespace skarvel::ui {

using platform::ToQt;

THelpWin::THelpWin(HelpSystem& help, platform::Platform& ui, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      help_(help),
      ui_(ui),
      box_(new QListWidget(this)),
      searchDlg_(new TGetSrchStrDlg(this)) {
  setObjectName("HelpWin");
  box_->setObjectName("helpLines");
  box_->setFont(FixedPitchFont("Courier New", 14));
  box_->setFrameShape(QFrame::NoFrame);
  box_->setUniformItemSizes(true);
  box_->setSelectionMode(QAbstractItemView::SingleSelection);
  setCentralWidget(box_);
  QMenu* topic = menuBar()->addMenu("&Topic");
  topic->setObjectName("Topic1");
  const auto add = [this](QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu != nullptr ? menu->addAction(caption) : menuBar()->addAction(caption);
    action->setObjectName(name);
    const QString command(name);
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
  };
  add(topic, "PrintTopic1", "&Print Topic...");
  add(topic, "SearchText1", "&Search Text...");
  add(topic, "ShowHelpTopics1", "Show Help &Topics...");
  add(topic, "CloseTopicWindow1", "&Close Topic Window");
  add(nullptr, "Back1", "&Back");
  connect(box_, &QListWidget::itemSelectionChanged, this, [this] {
    if (syncing_) return;
    const QList<QListWidgetItem*> items = box_->selectedItems();
    help_.Window().Select(items.isEmpty() ? -1 : box_->row(items.front()));
  });
  connect(box_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { help_.RelatedTopic(box_->row(item)); });
  // Made once: the client is 5 inches wide.
  resize(5 * logicalDpiX(), 3 * logicalDpiY());
  printSettings_ = [] {
    HelpPrintSettings s;
    s.now = CurrentDateTimeValue();
    return s;
  };
  printDialog_ = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, parentWidget() != nullptr ? parentWidget() : this);
    return dialog.exec() == QDialog::Accepted;
  };
  Refresh();
}

THelpWin::~THelpWin() = default;

QAction* THelpWin::Action(const QString& name) const {
  return findChild<QAction*>(name);
}

TextMetrics THelpWin::Metrics() const { return MetricsOfFont(box_->font()); }

void THelpWin::Present() {
  // A window shown over a modal dialog (the observation parameters' help)
  // would be blocked by it; it is modal itself then.
  QWidget* modal = QApplication::activeModalWidget();
  const bool overModal = modal != nullptr && modal != this;
  const Qt::WindowModality wanted = overModal ? Qt::ApplicationModal : Qt::NonModal;
  if (windowModality() != wanted) {
    if (isVisible()) hide();
    setWindowModality(wanted);
  }
  Refresh();
  show();
  raise();
  activateWindow();
}

void THelpWin::Refresh() {
  const HelpWindowLogic& w = help_.Window();
  syncing_ = true;
  if (shownVersion_ != w.Version()) {
    box_->clear();
    for (const std::string& line : w.Lines()) box_->addItem(platform::DisplayText(line));
    shownVersion_ = w.Version();
    if (w.ClientWidth() > 0) resize(w.ClientWidth(), w.ClientHeight() + menuBar()->sizeHint().height());
  }
  box_->clearSelection();
  if (w.Selected() >= 0 && w.Selected() < box_->count()) {
    box_->setCurrentRow(w.Selected());
    box_->item(w.Selected())->setSelected(true);
    box_->scrollToItem(box_->item(w.Selected()));
  }
  syncing_ = false;
  setWindowTitle(ToQt(w.Caption()));
  Action("Back1")->setEnabled(w.BackEnabled());
  Action("ShowHelpTopics1")->setEnabled(w.ShowTopicsEnabled());
}

void THelpWin::RunCommand(const QString& name) {
  QAction* action = Action(name);
  if (action == nullptr || !action->isEnabled()) return;
  if (name == "PrintTopic1") {
    Print();
  } else if (name == "SearchText1") {
    help_.SearchText(*this);
  } else if (name == "ShowHelpTopics1") {
    help_.ShowHelpTopics();
  } else if (name == "CloseTopicWindow1") {
    help_.CloseWindow();
  } else if (name == "Back1") {
    help_.Back();
  }
  Refresh();
}

void THelpWin::closeEvent(QCloseEvent* event) {
  // Closed by hand: the help system forgets the history.
  if (help_.WindowVisible()) help_.CloseWindow();
  event->accept();
}

void THelpWin::Print() {
  QPrinter printer(QPrinter::HighResolution);
  if (!printDialog_(printer)) return;
  platform::BusyCursor busy(ui_);
  setEnabled(false);
  PrintTo(printer);
  setEnabled(true);
}

void THelpWin::PaintPage(QPainter& painter, int pageHeight, int resolution, bool landscape) {
  QFont font = PrintFixedPitchFont("Courier", 10);
  // Points on a device of `resolution` dots per inch.
  font.setPixelSize(std::max(1, 10 * resolution / 72));
  painter.setFont(font);
  // The height of the text "Text": the font's line height.
  const int lineHeight = std::max(1, painter.fontMetrics().size(0, "Text").height());
  const PrintedPage page =
      LayoutHelpPrint(help_.Window().Lines(), help_.Window().Caption(), printSettings_(), pageHeight / lineHeight);
  DrawPrintedPage(painter, page, ListPrintMargin(landscape), lineHeight);
}

bool THelpWin::PrintTo(QPrinter& printer) {
  printer.setDocName(ToQt(HelpPrintJobTitle(printSettings_().login)));
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const int pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
  PaintPage(painter, pageHeight, printer.resolution(), printer.pageLayout().orientation() == QPageLayout::Landscape);
  painter.end();
  return true;
}

SearchStart THelpWin::AskSearch(const std::string& caption, SearchDialogState& state) {
  return searchDlg_->Ask(ToQt(caption), state);
}

}  // namespace skarvel::ui
