#include "shell/ui/t_image_file_type_dlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace skarvel::ui {

TImageFileTypeDlg::TImageFileTypeDlg(ImageTypeSelection present, QWidget* parent) : QDialog(parent) {
  setObjectName("ImageFileTypeDlg");
  setWindowTitle("Select Image File Type");
  auto* formatGroup = new QGroupBox("File Format", this);
  auto* formatLayout = new QVBoxLayout(formatGroup);
  auto* formatButtons = new QButtonGroup(this);
  const char* formats[3] = {"&FITS", "ST-&4", "Other S&BIG"};
  for (int i = 0; i < 3; ++i) {
    format_[i] = new QRadioButton(formats[i], formatGroup);
    format_[i]->setObjectName(QString("format%1").arg(i));
    formatButtons->addButton(format_[i], i);
    formatLayout->addWidget(format_[i]);
  }
  timeGroup_ = new QGroupBox("File Header Time is:", this);
  auto* timeLayout = new QVBoxLayout(timeGroup_);
  auto* timeButtons = new QButtonGroup(this);
  timeButtons_ = timeButtons;
  const char* times[3] = {"&Start of Exposure", "&Midpoint of Exp.", "&End of Exposure"};
  for (int i = 0; i < 3; ++i) {
    time_[i] = new QRadioButton(times[i], timeGroup_);
    time_[i]->setObjectName(QString("time%1").arg(i));
    timeButtons->addButton(time_[i], i);
    timeLayout->addWidget(time_[i]);
  }
  auto* groups = new QHBoxLayout;
  groups->addWidget(formatGroup);
  groups->addWidget(timeGroup_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(groups);
  layout->addWidget(buttons);

  format_[present.format <= 2 ? present.format : 0]->setChecked(true);
  if (present.timeType <= 2) time_[present.timeType]->setChecked(true);
  FormatChanged();
  connect(formatButtons, &QButtonGroup::idClicked, this, [this] { FormatChanged(); });
}

void TImageFileTypeDlg::FormatChanged() {
  // ST-4 files carry their own time convention: the time group is cleared and disabled.
  const bool st4 = format_[1]->isChecked();
  if (st4) {
    timeButtons_->setExclusive(false);
    for (QRadioButton* b : time_) b->setChecked(false);
    timeButtons_->setExclusive(true);
  } else if (!time_[0]->isChecked() && !time_[1]->isChecked() && !time_[2]->isChecked()) {
    time_[0]->setChecked(true);
  }
  timeGroup_->setEnabled(!st4);
}

ImageTypeSelection TImageFileTypeDlg::Choice() const {
  ImageTypeSelection c;
  for (std::uint8_t i = 0; i < 3; ++i) {
    if (format_[i]->isChecked()) c.format = i;
    if (time_[i]->isChecked()) c.timeType = i;
  }
  if (c.format == 1) c.timeType = 3;
  return c;
}

std::optional<ImageTypeSelection> TImageFileTypeDlg::Ask(ImageTypeSelection present, QWidget* parent) {
  TImageFileTypeDlg dialog(present, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Choice();
}

}  // namespace skarvel::ui
