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

namespace {

QString Q(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QLineEdit* e) {
  return e->text().toLatin1().toStdString();
}

QLineEdit* Edit(QWidget* parent, const char* name, int maxLength, const char* hint = nullptr) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMaxLength(maxLength);
  if (hint) e->setToolTip(hint);
  return e;
}

}  // namespace

TObsParamsDlg::TObsParamsDlg(ObsParams& record, const std::string& mode, bool checkOnOk, ObsParamsSettings settings,
                             VerifiedIds& verified, ObjectLookup& lookup, platform::Platform& ui, QWidget* parent)
    : QDialog(parent),
      logic_(std::make_unique<ObsParamsLogic>(record, mode, checkOnOk, settings, verified, lookup, ui)) {
  setObjectName("ObsParamsDlg");
  setWindowTitle(Q(logic_->Caption()));
  name_ = Edit(this, "ObjectName", static_cast<int>(kObsNameMax));
  designation_ = Edit(this, "Designation", static_cast<int>(kObsDesignationTyped), "See \"Help\"");
  number_ = Edit(this, "Number", static_cast<int>(kObsNumberTyped), "See \"Help\"");
  observer_ = Edit(this, "Observer", 68);
  date_ = Edit(this, "ObsDate", 10, "Use Full (4 digit) Year");
  time_ = Edit(this, "ObsTime", 8, "Use 24 hr format.");
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
  name_->setText(Q(f.name));
  designation_->setText(Q(f.designation));
  number_->setText(Q(f.number));
  observer_->setText(Q(f.observer));
  date_->setText(Q(f.date));
  time_->setText(Q(f.time));
  discovery_->setChecked(f.discovery);
  discovery_->setEnabled(f.discoveryEnabled);
  for (QWidget* w : std::initializer_list<QWidget*>{name_, designation_, number_, observer_})
    w->setEnabled(f.idFieldsEnabled);
  (f.objectType == 1 ? comet_ : minorPlanet_)->setChecked(true);
}

void TObsParamsDlg::Store() {
  ObsParamsFields& f = logic_->fields;
  f.name = S(name_);
  f.designation = S(designation_);
  f.number = S(number_);
  f.observer = S(observer_);
  f.date = S(date_);
  f.time = S(time_);
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
