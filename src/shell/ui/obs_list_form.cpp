#include "shell/ui/obs_list_form.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QListWidget>
#include <QVBoxLayout>

namespace skarvel::ui {

ObsListForm::ObsListForm(ObservationPicker& picker, platform::Platform& ui, QWidget* parent)
    : QDialog(parent), picker_(picker), ui_(ui) {
  setObjectName("ObsListForm");
  setWindowTitle("Recorded Observations");
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget;
  list_->setObjectName("ObsList");
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list_->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const std::string& line : picker.Lines())
    list_->addItem(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
  list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QString(82, 'M')));
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::rejected, this, &ObsListForm::reject);
  layout->addWidget(buttons);
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { ClickLine(list_->row(item)); });
}

void ObsListForm::ClickLine(int row) {
  QListWidgetItem* item = list_->item(row);
  if (item == nullptr) return;
  const auto& chosen = picker_.Selected();
  const bool wasSelected = std::find(chosen.begin(), chosen.end(), row) != chosen.end();
  if (wasSelected) {
    picker_.Deselect(row);
    item->setSelected(false);
    return;
  }
  item->setSelected(true);
  const ObservationPicker::Result result = picker_.Select(row, ui_);
  const auto& now = picker_.Selected();
  item->setSelected(std::find(now.begin(), now.end(), row) != now.end());
  if (result == ObservationPicker::Result::kDone) accept();
  if (result == ObservationPicker::Result::kCancelled) reject();
}

std::optional<std::pair<std::size_t, std::size_t>> ObsListForm::Pick() {
  // The list is up (and modal) behind the opening message.
  setWindowModality(Qt::ApplicationModal);
  show();
  picker_.Open(ui_);
  if (exec() != QDialog::Accepted) return std::nullopt;
  return picker_.Chosen();
}

}  // namespace skarvel::ui
