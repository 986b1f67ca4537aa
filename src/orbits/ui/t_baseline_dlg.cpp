#include "orbits/ui/t_baseline_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "orbits/ui/t_obs_slct_form.h"

namespace skarvel::ui {

TBaselineDlg::TBaselineDlg(BaselineDialogLogic& logic, SiteDialog siteDialog, QWidget* parent)
    : QDialog(parent), logic_(logic), siteDialog_(std::move(siteDialog)) {
  setObjectName("TBaselineDlg");
  setWindowTitle("Compute Baseline Between Two Sites");
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox("Position of Target Object");
  auto* grid = new QGridLayout(group);
  target_ = AddMotionPointFields(grid, 0, "Date (UT):", "JD:", "Target");
  LoadMotionPoint(target_, logic.target);
  layout->addWidget(group);
  layout->addWidget(DateFormatGroup(calendar_, julian_, logic.dateFormat, {&target_}));
  auto* sites = new QHBoxLayout;
  site1_ = new QPushButton("Site &1");
  site2_ = new QPushButton("Site &2");
  site1_->setObjectName("Site1Btn");
  site2_->setObjectName("Site2Btn");
  sites->addWidget(site1_);
  sites->addWidget(site2_);
  layout->addLayout(sites);
  obsData_ = new QPushButton("Obs. &Data");
  ephData_ = new QPushButton("&Eph. Data");
  obsData_->setObjectName("ObsDataBtn");
  ephData_->setObjectName("EphDataBtn");
  obsData_->setEnabled(logic.ObservationDataEnabled());
  ephData_->setEnabled(logic.EphemerisDataEnabled());
  sites->addWidget(obsData_);
  sites->addWidget(ephData_);
  connect(obsData_, &QPushButton::clicked, this, [this] { PickRecord(RecordPicker::Kind::kObservation); });
  connect(ephData_, &QPushButton::clicked, this, [this] { PickRecord(RecordPicker::Kind::kEphemeris); });
  connect(site1_, &QPushButton::clicked, this, [this] { EditSite(1); });
  connect(site2_, &QPushButton::clicked, this, [this] { EditSite(2); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName("buttons");
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setEnabled(logic.OkEnabled());
  connect(buttons, &QDialogButtonBox::accepted, this, &TBaselineDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TBaselineDlg::reject);
  layout->addWidget(buttons);
}

void TBaselineDlg::EditSite(int n) {
  logic_.EditSite(n, siteDialog_);
  ok_->setEnabled(logic_.OkEnabled());
}

void TBaselineDlg::PickRecord(RecordPicker::Kind kind) {
  const auto window = [this](RecordPicker& picker) {
    TObsSlctForm form(picker, this);
    return form.Pick();
  };
  if (logic_.PickRecord(kind, window)) LoadMotionPoint(target_, logic_.target);
}

void TBaselineDlg::accept() {
  logic_.target = StoreMotionPoint(target_);
  logic_.dateFormat = julian_->isChecked() ? 1 : 0;
  if (!logic_.Ok()) return;
  QDialog::accept();
}

}  // namespace skarvel::ui
