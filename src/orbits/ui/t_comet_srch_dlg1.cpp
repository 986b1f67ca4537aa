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
  when_ = DateTimeEdits::Make(this, "Date/Time Format", Qt::Vertical);
  auto* fields = new QHBoxLayout;
  fields->addWidget(new QLabel("Date/Time (TDT):", this));
  fields->addWidget(when_.date);
  fields->addWidget(when_.time);
  fields->addWidget(new QLabel("JDT:", this));
  fields->addWidget(when_.julianDate);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("buttons");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(when_.format);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  for (QRadioButton* b : {when_.calendar, when_.julian})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (!on || loading_) return;
      Store();
      Load();
    });
  when_.ConnectLeaving(this, logic_, loading_, [this] { Store(); }, [this] { Load(); });
  Load();
}

void TCometSrchDlg1::Load() {
  loading_ = true;
  const CometSearchFields& f = logic_.fields;
  when_.Load(f);
  when_.date->setEnabled(f.dateFormat == 0);
  when_.time->setEnabled(f.dateFormat == 0);
  when_.julianDate->setEnabled(f.dateFormat == 1);
  loading_ = false;
}

void TCometSrchDlg1::Store() {
  CometSearchFields& f = logic_.fields;
  when_.Store(f);
}

void TCometSrchDlg1::accept() {
  Store();
  if (logic_.Ok()) QDialog::accept();
  Load();
}

}  // namespace skarvel::ui
