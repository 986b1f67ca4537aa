#include "astrometry/ui/t_info_list_form1.h"

#include <QStyle>
#include <QAction>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <exception>

#include "astrometry/ui/t_edit_text_line_dlg.h"
#include "astrometry/ui/t_get_srch_str_dlg.h"
#include "foundations/date_time.h"
#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::FromQt;
using platform::ToQt;

namespace {

QString InstalledFixedFamily(const QString& family) {
  if (QFontDatabase::hasFamily(family)) return family;
  if (QFontDatabase::hasFamily("DejaVu Sans Mono")) return "DejaVu Sans Mono";
  return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QFont FixedFamilyFont(const QString& family) {
  QFont font(InstalledFixedFamily(family));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}

}  // namespace

QFont FixedPitchFont(const QString& family, int pixelSize) {
  QFont font = FixedFamilyFont(family);
  font.setPixelSize(pixelSize);
  return font;
}

QFont PrintFixedPitchFont(const QString& family, int pointSize) {
  QFont font = FixedFamilyFont(family);
  font.setPointSize(pointSize);
  return font;
}

void DrawPrintedPage(QPainter& painter, const PrintedPage& page, int margin, int lineHeight) {
  const int ascent = painter.fontMetrics().ascent();
  for (const PrintedLine& line : page)
    painter.drawText(margin + line.indent, line.row * lineHeight + ascent, ToQt(line.text));
}

TInfoListForm1::TInfoListForm1(InfoList& list, platform::Platform& ui, SearchDialogState& search, QWidget* parent)
    : QMainWindow(parent), list_(list), ui_(ui), search_(search), box_(new QListWidget(this)) {
  setObjectName("InfoListForm1");
  box_->setObjectName("listBox");
  box_->setFont(FixedPitchFont("Courier New", 14));
  box_->setFrameShape(QFrame::NoFrame);
  box_->setUniformItemSizes(true);
  box_->setSelectionMode(QAbstractItemView::SingleSelection);
  box_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(box_);
  settings_ = [] {
    InfoListSettings s;
    s.now = CurrentDateTimeValue();
    return s;
  };
  printDialog_ = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
  };
  // The selection, not the current row: the list box makes its first row
  // current when it takes the focus, which selects nothing.
  connect(box_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> items = box_->selectedItems();
    list_.Select(items.isEmpty() ? -1 : box_->row(items.front()));
  });
  connect(box_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    const int row = box_->row(item);
    list_.Select(row);
    try {
      ListCommandContext context = Context(Settings());
      list_.DoubleClick(row, context);
    } catch (const std::exception& failure) {
      platform::Tell(ui_, failure.what(), Settings().errorCaption, platform::Icon::Error);
    }
    Refresh();
  });
  RebuildMenus();
  Refresh();
}

TInfoListForm1::~TInfoListForm1() = default;

int TInfoListForm1::LineHeight() const { return QFontMetrics(box_->font()).height(); }

void TInfoListForm1::RebuildMenus() {
  menuBar()->clear();
  actions_.clear();
  menus_.clear();
  for (const ListMenuItem& top : list_.Menu().Bar()) {
    const QString name = ToQt(top.name);
    if (!top.IsSubmenu()) {
      QAction* action = menuBar()->addAction(ToQt(top.caption));
      action->setObjectName(name);
      actions_[name] = action;
      connect(action, &QAction::triggered, this, [this, name] { RunCommand(name); });
      continue;
    }
    QMenu* menu = menuBar()->addMenu(ToQt(top.caption));
    menu->setObjectName(name);
    menus_[name] = menu;
    actions_[name] = menu->menuAction();
    AddItems(menu, top);
  }
  SyncMenus();
}

void TInfoListForm1::AddItems(QMenu* menu, const ListMenuItem& item) {
  for (const ListMenuItem& child : item.children) {
    const QString name = ToQt(child.name);
    if (child.separator) {
      actions_[name] = menu->addSeparator();
      continue;
    }
    if (child.IsSubmenu()) {
      QMenu* sub = menu->addMenu(ToQt(child.caption));
      sub->setObjectName(name);
      menus_[name] = sub;
      actions_[name] = sub->menuAction();
      AddItems(sub, child);
      continue;
    }
    QAction* action = menu->addAction(ToQt(child.caption));
    action->setObjectName(name);
    actions_[name] = action;
    connect(action, &QAction::triggered, this, [this, name] { RunCommand(name); });
  }
}

void TInfoListForm1::SyncMenus() {
  std::function<void(const ListMenuItem&)> sync = [&](const ListMenuItem& item) {
    if (QAction* action = actions_.value(ToQt(item.name), nullptr)) {
      action->setVisible(item.visible);
      action->setEnabled(item.enabled);
      if (!item.separator) {
        action->setText(ToQt(item.caption));
        // A check mark when checked, and no empty box beside an item that is not.
        action->setCheckable(item.checkable && item.checked);
        action->setChecked(item.checkable && item.checked);
      }
    }
    for (const ListMenuItem& child : item.children) sync(child);
  };
  for (const ListMenuItem& top : list_.Menu().Bar()) sync(top);
}

void TInfoListForm1::SyncLines() {
  if (shownVersion_ == list_.LinesVersion()) return;
  shownVersion_ = list_.LinesVersion();
  const QSignalBlocker block(box_);
  box_->clear();
  const int height = LineHeight();
  const QFontMetrics metrics(box_->font());
  int widest = 0;
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(list_.Count()));
  for (const std::string& line : list_.Lines()) {
    texts << ToQt(line);
    widest = std::max(widest, metrics.horizontalAdvance(texts.back()));
  }
  scrollWidth_ = widest + 20;
  box_->addItems(texts);
  for (int i = 0; i < box_->count(); ++i) box_->item(i)->setSizeHint(QSize(scrollWidth_, height));
}

void TInfoListForm1::Refresh() {
  SyncLines();
  {
    const QSignalBlocker block(box_);
    const int selected = list_.Selected();
    if (selected < 0) {
      box_->setCurrentRow(-1);
      box_->clearSelection();
    } else if (box_->currentRow() != selected || !box_->item(selected)->isSelected()) {
      box_->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
    }
    if (selected >= 0) box_->scrollToItem(box_->item(selected));
  }
  setWindowTitle(platform::DisplayText(list_.Title()));
  SyncMenus();
}

void TInfoListForm1::ShowList() {
  SyncLines();
  const QFontMetrics metrics(box_->font());
  int widest = 0;
  for (const std::string& line : list_.Lines()) widest = std::max(widest, metrics.horizontalAdvance(ToQt(line)));
  // A line is as high as the list draws its rows (the style may add to the font's height).
  const int lineHeight = std::max(LineHeight(), box_->count() > 0 ? box_->sizeHintForRow(0) : 0);
  const ListWindowGeometry g = ListWindowSize(widest, list_.Count(), lineHeight, ui_.Screen().width);
  // The window fits its widest line: the lines' own width with the list's
  // frame and, when the lines do not all fit in height, its scroll bar.
  const int scrollBar = box_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box_);
  const bool scrolls = static_cast<int>(list_.Count()) * lineHeight + 2 * box_->frameWidth() > g.clientHeight;
  const int fitting = scrollWidth_ + 2 * box_->frameWidth() + (scrolls ? scrollBar : 0);
  const int width = std::min(std::max(g.clientWidth, fitting), std::max(g.clientWidth, ui_.Screen().width - 10));
  // Lines wider than the window bring a scroll bar below them: the window is
  // taller by it, so that it still shows the lines it is sized for.
  const int below = width < fitting ? scrollBar : 0;
  resize(width, g.clientHeight + below + menuBar()->sizeHint().height());
  show();
  raise();
  activateWindow();
  list_.Activate(search_);
  Refresh();
}

ListCommandContext TInfoListForm1::Context(const InfoListSettings& settings) {
  return ListCommandContext{ui_, *this, search_, settings.reportDir, settings.errorCaption};
}

void TInfoListForm1::RunCommand(const QString& name) {
  const InfoListSettings settings = Settings();
  try {
    if (name == "Print1") {
      if (list_.Menu().Available("Print1")) Print();
    } else if (name == "Close1") {
      if (list_.Menu().Available("Close1")) close();
    } else {
      ListCommandContext context = Context(settings);
      list_.Run(FromQt(name), context);
    }
  } catch (const std::exception& failure) {
    // The program's general error report: the failure's own text.
    platform::Tell(ui_, failure.what(), settings.errorCaption, platform::Icon::Error);
  }
  Refresh();
}

void TInfoListForm1::Print() {
  QPrinter printer(QPrinter::HighResolution);
  if (!printDialog_(printer)) return;
  {
    platform::BusyCursor busy(ui_);
    setEnabled(false);
    const bool printed = PrintTo(printer);
    setEnabled(true);
    if (!printed) return;
  }
  list_.NotePrinted();
}

bool TInfoListForm1::PrintTo(QPrinter& printer) {
  const InfoListSettings settings = Settings();
  printer.setDocName(ToQt(ListPrintJobTitle(settings.userLine)));
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QFont font = PrintFixedPitchFont("Courier", 10);
  painter.setFont(font);
  const int lineHeight = std::max(1, painter.fontMetrics().height());
  const int pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
  const auto pages = LayoutListPrint(list_.Lines(), PrintDateTimeText(settings.now), settings.userLine,
                                     list_.Title(), pageHeight / lineHeight);
  const int margin = ListPrintMargin(printer.pageLayout().orientation() == QPageLayout::Landscape);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) printer.newPage();
    DrawPrintedPage(painter, pages[i], margin, lineHeight);
  }
  painter.end();
  return true;
}

TGetSrchStrDlg* TInfoListForm1::SearchDialog() {
  if (searchDlg_ == nullptr) searchDlg_ = new TGetSrchStrDlg(this);
  return searchDlg_;
}

SearchStart TInfoListForm1::AskSearch(const std::string& caption, SearchDialogState& state) {
  return SearchDialog()->Ask(ToQt(caption), state);
}

std::optional<std::string> TInfoListForm1::AskEditLine(const std::string& line) {
  return TEditTextLineDlg::Ask(line, this);
}

}  // namespace skarvel::ui
