#include "orbits/ui/t_orb_srch_dlg1.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "foundations/date_dialog.h"
#include "platform/ui/line_edit.h"

namespace skarvel::ui {

using platform::ToQt;

namespace {

QGroupBox* Box(QWidget* parent, const char* title, const char* name) {
  auto* b = new QGroupBox(title, parent);
  b->setObjectName(name);
  return b;
}

}  // namespace

TOrbSrchDlg1::TOrbSrchDlg1(SearchDialogLogic& logic, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), logic_(logic) {
  setObjectName("OrbSrchDlg1");
  setWindowTitle(ToQt(logic_.Caption()));

  // Search Date/Time (TDT)
  auto* when = Box(this, "Search Date/Time (TDT)", "WhenBox");
  when_ = DateTimeEdits::Make(when, "", Qt::Horizontal);
  auto* whenLayout = new QGridLayout(when);
  whenLayout->addWidget(when_.format, 0, 0, 1, 3);
  whenLayout->addWidget(when_.date, 1, 0);
  whenLayout->addWidget(when_.time, 1, 1);
  whenLayout->addWidget(when_.julianDate, 1, 2);
  timeNote_ = new QLabel(when);
  timeNote_->setObjectName("ImageTimeNote");
  whenLayout->addWidget(timeNote_, 2, 0, 1, 3);

  // Field Center
  centreBox_ = Box(this, "Field Center", "CentreBox");
  raHours_ = MakeEdit(centreBox_, "RAHr1", 2, "0-23");
  raMinutes_ = MakeEdit(centreBox_, "RAMin1", 2, "0-59");
  raSeconds_ = MakeEdit(centreBox_, "RASec1", 5, "0.00-59.99");
  decDegrees_ = MakeEdit(centreBox_, "DecDeg1", 3, "89 - -89");
  decMinutes_ = MakeEdit(centreBox_, "DecMin1", 2, "0-59");
  decSeconds_ = MakeEdit(centreBox_, "DecSec1", 4, "0.0-59.9");
  auto* centreLayout = new QGridLayout(centreBox_);
  centreLayout->addWidget(new QLabel("RA:", centreBox_), 0, 0);
  centreLayout->addWidget(raHours_, 0, 1);
  centreLayout->addWidget(raMinutes_, 0, 2);
  centreLayout->addWidget(raSeconds_, 0, 3);
  centreLayout->addWidget(new QLabel("Dec:", centreBox_), 1, 0);
  centreLayout->addWidget(decDegrees_, 1, 1);
  centreLayout->addWidget(decMinutes_, 1, 2);
  centreLayout->addWidget(decSeconds_, 1, 3);

  // Field Size and Units
  sizeBox_ = Box(this, "Field Size", "SizeBox");
  size_ = MakeEdit(sizeBox_, "SizeEd1", 8);
  (new QVBoxLayout(sizeBox_))->addWidget(size_);
  auto* units = Box(this, "Units", "FldUnitsGrp");
  auto* unitsLayout = new QVBoxLayout(units);
  const char* unitNames[] = {"Arc Minutes", "Degrees", "RA and Dec Limits"};
  for (std::size_t k = 0; k < units_.size(); ++k) {
    units_[k] = new QRadioButton(unitNames[k], units);
    unitsLayout->addWidget(units_[k]);
  }

  // Limits
  limitsBox_ = Box(this, "", "LimitsBox");
  raMin_ = MakeEdit(limitsBox_, "RAMinEd", 8);
  raMax_ = MakeEdit(limitsBox_, "RAMaxEd", 8);
  decMin_ = MakeEdit(limitsBox_, "DecMinEd", 8);
  decMax_ = MakeEdit(limitsBox_, "DecMaxEd", 8);
  auto* limitsLayout = new QGridLayout(limitsBox_);
  limitsLayout->addWidget(new QLabel("RA Limits (Hrs)", limitsBox_), 0, 0);
  limitsLayout->addWidget(raMin_, 0, 1);
  limitsLayout->addWidget(raMax_, 0, 2);
  limitsLayout->addWidget(new QLabel("Dec Limits (Deg)", limitsBox_), 1, 0);
  limitsLayout->addWidget(decMin_, 1, 1);
  limitsLayout->addWidget(decMax_, 1, 2);

  // Ranges
  auto* mags = Box(this, "Magnitude Range", "MagBox");
  bright_ = MakeEdit(mags, "MaxMagEd", 6);
  faint_ = MakeEdit(mags, "MinMagEd", 6);
  auto* magLayout = new QFormLayout(mags);
  magLayout->addRow("Bright:", bright_);
  magLayout->addRow("Faint:", faint_);
  auto* dist = Box(this, "Distance Range (AU)", "DistBox");
  near_ = MakeEdit(dist, "NearEd", 8);
  far_ = MakeEdit(dist, "FarEd", 8);
  auto* distLayout = new QFormLayout(dist);
  distLayout->addRow("Near:", near_);
  distLayout->addRow("Far:", far_);
  auto* culmination = Box(this, "Upper Culmination", "AltBox");
  altitude_ = MakeEdit(culmination, "AltEd", 5, kAltitudeHint.data());
  (new QFormLayout(culmination))->addRow("Min Altitude at Site:", altitude_);

  // The coordinates pop-up.
  coordinates_ = new QPushButton("C&Oordinates", this);
  coordinates_->setObjectName("CoordinatesButton");
  popup_ = new QMenu(coordinates_);
  popup_->setObjectName("CoordinatesMenu");
  opposition_ = popup_->addAction("&Opposition");
  opposition_->setObjectName("Opposition1");
  opposition_->setCheckable(true);
  opposition_->setToolTip(ToQt(std::string(kOppositionHint)));
  opposition_->setStatusTip(ToQt(std::string(kOppositionHint)));
  popup_->setToolTipsVisible(true);
  for (std::size_t k = 0; k < images_.size(); ++k) {
    images_[k] = popup_->addAction("Image&" + QString::number(k + 1));
    images_[k]->setObjectName("Image" + QString::number(k + 1));
    const int slot = static_cast<int>(k);
    connect(images_[k], &QAction::triggered, this, [this, slot] {
      Store();
      logic_.FromImage(slot);
      Load();
    });
  }
  connect(opposition_, &QAction::triggered, this, [this] {
    Store();
    logic_.Opposition();
    Load();
  });
  connect(coordinates_, &QPushButton::clicked, this,
          [this] { popup_->popup(coordinates_->mapToGlobal(QPoint(0, coordinates_->height()))); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("buttons");
  buttons->addButton(coordinates_, QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout;
  grid->addWidget(when, 0, 0, 1, 2);
  grid->addWidget(centreBox_, 1, 0);
  auto* sizeAndUnits = new QHBoxLayout;
  sizeAndUnits->addWidget(sizeBox_);
  sizeAndUnits->addWidget(units);
  grid->addLayout(sizeAndUnits, 1, 1);
  grid->addWidget(limitsBox_, 2, 0, 1, 2);
  auto* ranges = new QHBoxLayout;
  ranges->addWidget(mags);
  ranges->addWidget(dist);
  ranges->addWidget(culmination);
  grid->addLayout(ranges, 3, 0, 1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);

  for (QRadioButton* b : {when_.calendar, when_.julian})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (!on || loading_) return;
      logic_.fields.dateFormat = when_.julian->isChecked() ? 1 : 0;
      Enable();
    });
  for (QRadioButton* b : units_)
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (!on || loading_) return;
      for (std::size_t k = 0; k < units_.size(); ++k)
        if (units_[k]->isChecked()) logic_.fields.kind = static_cast<FieldKind>(k);
      Enable();
    });
  when_.ConnectLeaving(this, logic_, loading_, [this] { Store(); }, [this] { Load(); });
  Load();
}

TOrbSrchDlg1::~TOrbSrchDlg1() = default;

QLineEdit* TOrbSrchDlg1::Edit(const char* name) const {
  return findChild<QLineEdit*>(name);
}

std::vector<std::pair<QLineEdit*, std::string*>> TOrbSrchDlg1::TextFields(SearchFields& f) const {
  return {{when_.date, &f.date},
          {when_.time, &f.time},
          {when_.julianDate, &f.julianDate},
          {raHours_, &f.raHours},
          {raMinutes_, &f.raMinutes},
          {raSeconds_, &f.raSeconds},
          {decDegrees_, &f.decDegrees},
          {decMinutes_, &f.decMinutes},
          {decSeconds_, &f.decSeconds},
          {size_, &f.size},
          {raMin_, &f.raMin},
          {raMax_, &f.raMax},
          {decMin_, &f.decMin},
          {decMax_, &f.decMax},
          {bright_, &f.bright},
          {faint_, &f.faint},
          {near_, &f.nearAu},
          {far_, &f.farAu},
          {altitude_, &f.altitude}};
}

void TOrbSrchDlg1::Load() {
  loading_ = true;
  const SearchFields& f = logic_.fields;
  (f.dateFormat == 1 ? when_.julian : when_.calendar)->setChecked(true);
  for (const auto& [edit, text] : TextFields(logic_.fields)) edit->setText(ToQt(*text));
  units_[static_cast<std::size_t>(f.kind)]->setChecked(true);
  opposition_->setChecked(f.opposition);
  for (int k = 0; k < 4; ++k) images_[static_cast<std::size_t>(k)]->setEnabled(logic_.ImageItemEnabled(k));
  const std::string note = logic_.TimeNote();
  timeNote_->setText(ToQt(note));
  timeNote_->setVisible(!note.empty());
  Enable();
  loading_ = false;
}

void TOrbSrchDlg1::Enable() {
  const bool calendar = logic_.fields.CalendarEnabled();
  when_.date->setEnabled(calendar);
  when_.time->setEnabled(calendar);
  when_.julianDate->setEnabled(!calendar);
  const bool centre = logic_.fields.CentreEnabled();
  centreBox_->setEnabled(centre);
  sizeBox_->setEnabled(centre);
  limitsBox_->setEnabled(!centre);
}

void TOrbSrchDlg1::Store() {
  SearchFields& f = logic_.fields;
  f.dateFormat = when_.julian->isChecked() ? 1 : 0;
  for (const auto& [edit, text] : TextFields(f)) *text = EditText(edit);
  for (std::size_t k = 0; k < units_.size(); ++k)
    if (units_[k]->isChecked()) f.kind = static_cast<FieldKind>(k);
  f.opposition = opposition_->isChecked();
}

void TOrbSrchDlg1::accept() {
  Store();
  if (logic_.Ok()) QDialog::accept();
  Load();
}

}  // namespace skarvel::ui
