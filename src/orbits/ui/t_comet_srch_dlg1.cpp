#include "orbits/ui/t_comet_srch_dlg1.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "foundations/date_dialog.h"
#include "platform/ui/line_edit.h"

namespace skarvel::ui {

using platform::ToQt;

TCometSrchDlg1::TCometSrchDlg1(CometSearchDialogLogic& logic, QWidget* parent) : QDialog(parent), logic_(logic) {
  setObjectName("CometSrchDlg1");
  setWindowTitle(ToQt(std::string(kCometSearchCaption)));
  auto* prompt = new QLabel(ToQt(std::string(kCometSearchPrompt)), this);
  auto* format = new QGroupBox("Date/Time Format", this);
  format->setObjectName("DateFrmtGrp");
  calendar_ = new QRadioButton("Calendar (&YMD-HMS)", format);
  julian_ = new QRadioButton("&Julian Date ", format);
  auto* formatLayout = new QVBoxLayout(format);
  formatLayout->addWidget(calendar_);
  formatLayout->addWidget(julian_);
  date_ = MakeEdit(this, "YMDInEd", kDateFieldLength, kDateFieldHint.data());
  time_ = MakeEdit(this, "HMSInEd", kTimeFieldLength);
  julianDate_ = MakeEdit(this, "StrtJDEd", kJulianDateFieldLength);
  auto* fields = new QHBoxLayout;
  fields->addWidget(new QLabel("Date/Time (TDT):", this));
  fields->addWidget(date_);
  fields->addWidget(time_);
  fields->addWidget(new QLabel("JDT:", this));
  fields->addWidget(julianDate_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("buttons");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(format);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  for (QRadioButton* b : {calendar_, julian_})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (!on || loading_) return;
      Store();
      Load();
    });
  for (QLineEdit* e : {date_, time_})
    connect(e, &QLineEdit::editingFinished, this, [this] {
      if (loading_) return;
      Store();
      logic_.LeaveCalendarFields();
      Load();
    });
  connect(julianDate_, &QLineEdit::editingFinished, this, [this] {
    if (loading_) return;
    Store();
    logic_.LeaveJulianField();
    Load();
  });
  Load();
}

void TCometSrchDlg1::Load() {
  loading_ = true;
  const CometSearchFields& f = logic_.fields;
  (f.dateFormat == 1 ? julian_ : calendar_)->setChecked(true);
  date_->setText(ToQt(f.date));
  time_->setText(ToQt(f.time));
  julianDate_->setText(ToQt(f.julianDate));
  date_->setEnabled(f.dateFormat == 0);
  time_->setEnabled(f.dateFormat == 0);
  julianDate_->setEnabled(f.dateFormat == 1);
  loading_ = false;
}

void TCometSrchDlg1::Store() {
  CometSearchFields& f = logic_.fields;
  f.dateFormat = julian_->isChecked() ? 1 : 0;
  f.date = EditText(date_);
  f.time = EditText(time_);
  f.julianDate = EditText(julianDate_);
}

void TCometSrchDlg1::accept() {
  Store();
  if (logic_.Ok()) QDialog::accept();
  Load();
}

}  // namespace skarvel::ui
