#include "shell/ui/t_image_select_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace skarvel::ui {

TImageSelectDlg::TImageSelectDlg(const std::array<bool, 4>& valid, QWidget* parent) : QDialog(parent) {
  setObjectName("ImageSelectDlg");
  setWindowTitle("Display Image(s)");
  auto* layout = new QVBoxLayout(this);
  for (int k = 0; k < 4; ++k) {
    auto* box = new QCheckBox(QString("Image %1").arg(k + 1), this);
    box->setObjectName(QString("image%1Box").arg(k + 1));
    box->setEnabled(valid[static_cast<std::size_t>(k)]);
    box->setChecked(valid[static_cast<std::size_t>(k)]);
    boxes_[static_cast<std::size_t>(k)] = box;
    layout->addWidget(box);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("&OK");
  buttons->button(QDialogButtonBox::Cancel)->setText("&Cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

std::optional<std::array<bool, 4>> TImageSelectDlg::Run() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  std::array<bool, 4> ticked{};
  for (std::size_t k = 0; k < 4; ++k) ticked[k] = boxes_[k]->isEnabled() && boxes_[k]->isChecked();
  return ticked;
}

}  // namespace skarvel::ui
