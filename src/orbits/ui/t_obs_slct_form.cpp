#include "orbits/ui/t_obs_slct_form.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::ToQt;

TObsSlctForm::TObsSlctForm(RecordPicker& picker, QWidget* parent) : QDialog(parent), picker_(picker) {
  setObjectName("TObsSlctForm");
  auto* layout = new QVBoxLayout(this);
  prompt_ = new QLabel;
  prompt_->setObjectName("Prompt");
  prompt_->setWordWrap(true);
  layout->addWidget(prompt_);
  list_ = new QListWidget;
  list_->setObjectName("RecordList");
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const std::string& line : picker.Lines()) list_->addItem(ToQt(line));
  list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QString(82, 'M')));
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &TObsSlctForm::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TObsSlctForm::reject);
  layout->addWidget(buttons);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
  Load();
}

void TObsSlctForm::Load() {
  setWindowTitle(ToQt(picker_.Caption()));
  prompt_->setText(ToQt(picker_.Prompt()));
}

void TObsSlctForm::accept() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  chosen_ = picker_.Ok(selected.isEmpty() ? -1 : list_->row(selected.front()));
  if (!chosen_) {
    Load();
    return;
  }
  QDialog::accept();
}

std::optional<std::size_t> TObsSlctForm::Pick() {
  chosen_.reset();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return chosen_;
}

}  // namespace skarvel::ui
