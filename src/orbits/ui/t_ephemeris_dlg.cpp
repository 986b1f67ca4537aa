#include "orbits/ui/t_ephemeris_dlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
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

TEphemerisDlg::TEphemerisDlg(EphemerisDialogLogic& logic, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), logic_(logic) {
  setObjectName("EphemerisDialog");
  setWindowTitle(ToQt(std::string(kEphemerisDialogCaption)));

  when_ = DateTimeEdits::Make(this, "Date/Time Format", Qt::Vertical);
  points_ = MakeEdit(this, "PtsEd", 6);
  interval_ = MakeEdit(this, "IntrvlEd", 12);
  startLabel_ = new QLabel(this);
  startLabel_->setObjectName("StartLabel");

  auto* unit = new QGroupBox("Unit", this);
  unit->setObjectName("IntrvlGrp");
  hours_ = new QRadioButton("&Hours", unit);
  days_ = new QRadioButton("&Days", unit);
  auto* unitLayout = new QVBoxLayout(unit);
  unitLayout->addWidget(hours_);
  unitLayout->addWidget(days_);

  auto* eqnx = new QGroupBox("Eqtr, Eqnx", this);
  eqnx->setObjectName("EqnxGrp");
  auto* eqnxLayout = new QVBoxLayout(eqnx);
  for (std::size_t k = 0; k < equinox_.size(); ++k) {
    equinox_[k] = new QRadioButton(ToQt(std::string(kEquinoxChoices[k].name)), eqnx);
    eqnxLayout->addWidget(equinox_[k]);
  }

  auto* start = new QHBoxLayout;
  start->addWidget(startLabel_);
  start->addWidget(when_.date);
  start->addWidget(when_.time);
  start->addWidget(when_.julianDate);
  timeNote_ = new QLabel(this);
  timeNote_->setObjectName("ImageTimeNote");
  auto* form = new QFormLayout;
  form->addRow(start);
  form->addRow(timeNote_);
  form->addRow("Number of Points:", points_);
  form->addRow("Interval Between Points:", interval_);
  auto* left = new QVBoxLayout;
  left->addWidget(when_.format);
  left->addLayout(form);
  auto* right = new QVBoxLayout;
  right->addWidget(unit);
  right->addWidget(eqnx);
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addLayout(right);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);

  for (QRadioButton* b : {when_.calendar, when_.julian})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (!on || loading_) return;
      logic_.fields.dateFormat = when_.julian->isChecked() ? 1 : 0;
      Enable();
    });
  when_.ConnectLeaving(this, logic_, loading_, [this] { Store(); }, [this] { Load(); });
  Load();
}

TEphemerisDlg::~TEphemerisDlg() = default;

void TEphemerisDlg::Load() {
  loading_ = true;
  const EphemerisFields& f = logic_.fields;
  when_.Load(f);
  points_->setText(ToQt(f.points));
  interval_->setText(ToQt(f.interval));
  (f.unitsPerDay == 1 ? days_ : hours_)->setChecked(true);
  equinox_[static_cast<std::size_t>(f.equinox)]->setChecked(true);
  const std::string note = logic_.TimeNote();
  timeNote_->setText(ToQt(note));
  timeNote_->setVisible(!note.empty());
  Enable();
  loading_ = false;
}

void TEphemerisDlg::Enable() {
  const bool calendar = logic_.fields.CalendarEnabled();
  when_.date->setEnabled(calendar);
  when_.time->setEnabled(calendar);
  when_.julianDate->setEnabled(!calendar);
  startLabel_->setText(ToQt(std::string(logic_.fields.StartLabel())));
}

void TEphemerisDlg::Store() {
  EphemerisFields& f = logic_.fields;
  when_.Store(f);
  f.points = EditText(points_);
  f.interval = EditText(interval_);
  f.unitsPerDay = days_->isChecked() ? 1 : 24;
  for (std::size_t k = 0; k < equinox_.size(); ++k)
    if (equinox_[k]->isChecked()) f.equinox = static_cast<EquinoxChoice>(k);
}

void TEphemerisDlg::accept() {
  Store();
  if (logic_.Ok()) QDialog::accept();
  Load();
}

}  // namespace skarvel::ui
