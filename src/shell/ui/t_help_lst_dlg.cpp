#include "shell/ui/t_help_lst_dlg.h"

#include <QAction>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

#include "astrometry/ui/t_get_srch_str_dlg.h"
#include "astrometry/ui/t_info_list_form1.h"
#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::ToQt;

THelpLstDlg::THelpLstDlg(platform::Platform& ui, SearchDialogState& search, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui_(ui),
      search_(search),
      bar_(new QMenuBar(this)),
      box_(new QListWidget(this)),
      searchDlg_(new TGetSrchStrDlg(this)) {
  setObjectName("HelpLstDlg");
  setWindowTitle("Select Help Topic");
  box_->setObjectName("topicList");
  box_->setFont(FixedPitchFont("Courier New", 14));
  box_->setSelectionMode(QAbstractItemView::SingleSelection);
  box_->setUniformItemSizes(true);
  QMenu* menu = bar_->addMenu("&Topics");
  menu->setObjectName("Topics1");
  const auto add = [this, menu](const char* name, const char* caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    const QString command(name);
    connect(action, &QAction::triggered, this, [this, command] { Command(command); });
  };
  add("FindTopic1", "Find &Topic...");
  add("ReadPrintTopic1", "&Read/Print Topic...");
  add("CloseHelpTopics1", "&Close Help Topics");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(bar_);
  layout->addWidget(box_);
  connect(box_, &QListWidget::itemSelectionChanged, this, [this] {
    if (syncing_ || logic_ == nullptr) return;
    const QList<QListWidgetItem*> items = box_->selectedItems();
    logic_->Select(items.isEmpty() ? -1 : box_->row(items.front()));
  });
  connect(box_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (logic_ != nullptr) logic_->Select(box_->row(item));
    Command("ReadPrintTopic1");
  });
}

QAction* THelpLstDlg::Action(const QString& name) const {
  return findChild<QAction*>(name);
}

TextMetrics MetricsOfFont(const QFont& font) {
  const QFontMetrics metrics(font);
  TextMetrics m;
  m.textWidth = [metrics](const std::string& s) { return metrics.horizontalAdvance(ToQt(s)); };
  m.lineHeight = metrics.height();
  const QScreen* screen = QGuiApplication::primaryScreen();
  m.screenWidth = screen != nullptr ? screen->availableGeometry().width() : 1280;
  return m;
}

TextMetrics THelpLstDlg::Metrics() const { return MetricsOfFont(box_->font()); }

bool THelpLstDlg::Run(HelpListDialogLogic& logic) {
  logic_ = &logic;
  syncing_ = true;
  box_->clear();
  for (const std::string& line : logic.Lines()) box_->addItem(platform::DisplayText(line));
  syncing_ = false;
  const ListWindowGeometry g = logic.Geometry();
  if (!logic.Lines().empty()) resize(g.clientWidth, g.clientHeight + bar_->sizeHint().height());
  Sync();
  const int result = exec();
  logic_ = nullptr;
  return result == QDialog::Accepted;
}

void THelpLstDlg::Sync() {
  if (logic_ == nullptr) return;
  syncing_ = true;
  const int selected = logic_->Selected();
  box_->clearSelection();
  if (selected >= 0 && selected < box_->count()) {
    box_->setCurrentRow(selected);
    box_->item(selected)->setSelected(true);
  }
  if (logic_->TopLine() >= 0 && logic_->TopLine() < box_->count())
    box_->scrollToItem(box_->item(logic_->TopLine()), QAbstractItemView::PositionAtTop);
  syncing_ = false;
}

void THelpLstDlg::Command(const QString& name) {
  if (logic_ == nullptr) return;
  if (name == "FindTopic1") {
    logic_->FindTopic(search_, *this, ui_);
    Sync();
  } else if (name == "ReadPrintTopic1") {
    if (logic_->ReadPrintTopic(ui_) == HelpListDialogLogic::Choice::kChosen) accept();
  } else if (name == "CloseHelpTopics1") {
    reject();
  }
}

void THelpLstDlg::reject() {
  if (logic_ != nullptr) logic_->CloseTopics();
  QDialog::reject();
}

SearchStart THelpLstDlg::AskSearch(const std::string& caption, SearchDialogState& state) {
  return searchDlg_->Ask(ToQt(caption), state);
}

}  // namespace skarvel::ui
