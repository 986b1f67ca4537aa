#include "platform/ui/line_edit.h"
#include "astrometry/ui/t_obs_params_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace skarvel::ui {

TObsParamsDlg::TObsParamsDlg(ObsParams& record, const std::string& mode, bool checkOnOk, ObsParamsSettings settings,
                             VerifiedIds& verified, ObjectLookup& lookup, platform::Platform& ui, QWidget* parent)
    : QDialog(parent),
      logic_(std::make_unique<ObsParamsLogic>(record, mode, checkOnOk, settings, verified, lookup, ui)) {
  setObjectName("ObsParamsDlg");
  setWindowTitle(platform::ToQt(logic_->Caption()));
  name_ = MakeEdit(this, "ObjectName", static_cast<int>(kObsNameMax));
  designation_ = MakeEdit(this, "Designation", static_cast<int>(kObsDesignationTyped), "See \"Help\"");
  number_ = MakeEdit(this, "Number", static_cast<int>(kObsNumberTyped), "See \"Help\"");
  observer_ = MakeEdit(this, "Observer", 68);
  date_ = MakeEdit(this, "ObsDate", 10, "Use Full (4 digit) Year");
  time_ = MakeEdit(this, "ObsTime", 8, "Use 24 hr format.");
  for (QLineEdit* e : {name_, designation_, number_}) e->installEventFilter(this);
  discovery_ = new QCheckBox("Discovery", this);
  discovery_->setObjectName("Discovery");
  auto* type = new QGroupBox("Object Type", this);
  auto* typeLayout = new QVBoxLayout(type);
  minorPlanet_ = new QRadioButton("Minor Planet", type);
  comet_ = new QRadioButton("Comet", type);
  minorPlanet_->setObjectName("MinorPlanet");
  comet_->setObjectName("Comet");
  typeLayout->addWidget(minorPlanet_);
  typeLayout->addWidget(comet_);

  auto* form = new QFormLayout;
  form->addRow("Object Name:", name_);
  form->addRow("Designation:", designation_);
  form->addRow("Number:", number_);
  form->addRow("Observer:", observer_);
  auto* when = new QHBoxLayout;
  when->addWidget(date_);
  when->addWidget(time_);
  form->addRow("Observation Date/Time:", when);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
    if (help_) help_("Set Object Information Parameters");
  });
  auto* side = new QVBoxLayout;
  side->addWidget(type);
  side->addWidget(discovery_);
  side->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(form);
  top->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  Load();
}

TObsParamsDlg::~TObsParamsDlg() = default;

void TObsParamsDlg::Load() {
  const ObsParamsFields& f = logic_->fields;
  name_->setText(platform::ToQt(f.name));
  designation_->setText(platform::ToQt(f.designation));
  number_->setText(platform::ToQt(f.number));
  observer_->setText(platform::ToQt(f.observer));
  date_->setText(platform::ToQt(f.date));
  time_->setText(platform::ToQt(f.time));
  discovery_->setChecked(f.discovery);
  discovery_->setEnabled(f.discoveryEnabled);
  for (QWidget* w : std::initializer_list<QWidget*>{name_, designation_, number_, observer_})
    w->setEnabled(f.idFieldsEnabled);
  (f.objectType == 1 ? comet_ : minorPlanet_)->setChecked(true);
}

void TObsParamsDlg::Store() {
  ObsParamsFields& f = logic_->fields;
  f.name = EditText(name_);
  f.designation = EditText(designation_);
  f.number = EditText(number_);
  f.observer = EditText(observer_);
  f.date = EditText(date_);
  f.time = EditText(time_);
  f.discovery = discovery_->isChecked();
  f.objectType = comet_->isChecked() ? 1 : 0;
}

bool TObsParamsDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    const IdField field = watched == name_          ? IdField::Name
                          : watched == designation_ ? IdField::Designation
                                                    : IdField::Number;
    Store();
    logic_->VerifyObjectID(field);
    Load();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

int TObsParamsDlg::exec() {
  Store();
  logic_->Opened();
  Load();
  return QDialog::exec();
}

void TObsParamsDlg::accept() {
  Store();
  if (logic_->Ok()) QDialog::accept();
  Load();
}

}  // namespace skarvel::ui
