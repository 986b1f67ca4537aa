#include "orbits/ui/t_orb_el_form1.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/ui/line_edit.h"

namespace skarvel::ui {

using platform::ToQt;

namespace {

/// The element edits: field, component name, label, hint.
struct ElementEdit {
  ElementField field;
  const char* name;
  const char* label;
  const char* hint;
};
constexpr ElementEdit kElementEdits[] = {
    {ElementField::kA, "a_Ed", "a:", "Semi-Major Axis (AU)"},
    {ElementField::kE, "e_Ed", "e:", "Eccentricity"},
    {ElementField::kIncl, "i_Ed", "Incl:", "Inclination (deg)"},
    {ElementField::kNode, "O_Ed", "Node:", "Longitude of Ascending Node (deg)"},
    {ElementField::kPeri, "w_Ed", "Peri:", "Argument of Perihelion (deg)"},
    {ElementField::kM, "M_Ed", "M:", "Mean Anomaly (deg)"},
    {ElementField::kQ, "q_Ed", "q:", "Perihelion Distance (AU)"},
    {ElementField::kLongPeri, "wTildEd", "LngP:", "Longitude of Perihelion (deg)"},
    {ElementField::kL, "L_Ed", "L:", "Mean Longitude (deg)"},
};

QGroupBox* RadioGroup(QWidget* parent, const char* name, const char* title, std::initializer_list<QRadioButton**> out,
                      std::initializer_list<QString> captions) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  auto* layout = new QVBoxLayout(box);
  auto caption = captions.begin();
  for (QRadioButton** button : out) {
    *button = new QRadioButton(*caption++, box);
    layout->addWidget(*button);
  }
  return box;
}

}  // namespace

TOrbElForm1::TOrbElForm1(ElementDialogLogic& logic, QWidget* parent) : QDialog(parent), logic_(logic) {
  setObjectName("OrbElForm1");
  setWindowTitle(ToQt(std::string(kElementDialogCaption)));

  name_ = MakeEdit(this, "NameEd", kElementNameLength);
  number_ = MakeEdit(this, "NumbrEd", kElementDesignationLength);
  auto* ids = new QGridLayout;
  ids->addWidget(new QLabel("Object Name:", this), 0, 0);
  ids->addWidget(name_, 0, 1);
  ids->addWidget(new QLabel("Number or Designation:", this), 1, 0);
  ids->addWidget(number_, 1, 1);

  QGroupBox* format = RadioGroup(this, "DateFrmtGrp", "Date Format", {&calendar_, &julian_},
                                 {"Calendar (&Yr-Mo-Day)", "&Julian Date "});
  epochDate_ = MakeEdit(this, "EpDatEd", kEpochDateLength, "Use Full (4 digit) Year");
  epochJD_ = MakeEdit(this, "EpJDEd", 15);
  auto* epoch = new QGroupBox("Epoch", this);
  auto* epochLayout = new QGridLayout(epoch);
  epochLayout->addWidget(new QLabel("TT:", epoch), 0, 0);
  epochLayout->addWidget(epochDate_, 0, 1);
  epochLayout->addWidget(new QLabel("YYYY/MM/DD(.0)", epoch), 0, 2);
  epochLayout->addWidget(new QLabel("JDT:", epoch), 1, 0);
  epochLayout->addWidget(epochJD_, 1, 1);

  std::array<QRadioButton*, 3>& s = sets_;
  QGroupBox* setBox =
      RadioGroup(this, "ElemSetGrp", "Element Set", {&s[0], &s[1], &s[2]}, {"&Minor Planet", "Come&t", "&Planet"});
  std::array<QRadioButton*, 5>& q = equinox_;
  QGroupBox* eqnx = RadioGroup(this, "EqnxGrp", "Eclptc, Eqnx", {&q[0], &q[1], &q[2], &q[3], &q[4]},
                               {"B1900", "B1950", "J2000", "J2050", "Of Date"});

  auto* elements = new QGridLayout;
  int row = 0;
  for (const ElementEdit& setup : kElementEdits) {
    QLineEdit* edit = MakeEdit(this, setup.name, 16, setup.hint);
    edits_[setup.field] = edit;
    elements->addWidget(new QLabel(setup.label, this), row % 5, 2 * (row / 5));
    elements->addWidget(edit, row % 5, 2 * (row / 5) + 1);
    ++row;
  }
  auto* magnitude = new QGroupBox("Magnitude Parameters", this);
  auto* magLayout = new QGridLayout(magnitude);
  edits_[ElementField::kH] = MakeEdit(magnitude, "H_Ed", 8, "Abs. V Mag at Zero Phase");
  edits_[ElementField::kG] = MakeEdit(magnitude, "G_Ed", 8, "Magnitude Slope Parameter");
  magLayout->addWidget(new QLabel("H:", magnitude), 0, 0);
  magLayout->addWidget(edits_[ElementField::kH], 0, 1);
  magLayout->addWidget(new QLabel("G:", magnitude), 1, 0);
  magLayout->addWidget(edits_[ElementField::kG], 1, 1);
  auto* perihelion = new QGroupBox("T(Time of Perihelion)", this);
  auto* periLayout = new QGridLayout(perihelion);
  edits_[ElementField::kT] = MakeEdit(perihelion, "T_Ed", kPerihelionDateLength, "Date/Time (TDT) of Perihelion");
  edits_[ElementField::kJDT] = MakeEdit(perihelion, "JDT_Ed", 16);
  periLayout->addWidget(new QLabel("TT:", perihelion), 0, 0);
  periLayout->addWidget(edits_[ElementField::kT], 0, 1);
  periLayout->addWidget(new QLabel("YYYY/MM/DD.DDDDD", perihelion), 0, 2);
  periLayout->addWidget(new QLabel("JDT:", perihelion), 1, 0);
  periLayout->addWidget(edits_[ElementField::kJDT], 1, 1);

  verify_ = new QPushButton("&Verify", this);
  verify_->setObjectName("VerifyBtn");
  verify_->setToolTip("Compute Elements not in Set");
  file_ = new QPushButton("&File...", this);
  file_->setObjectName("FileBtn");
  file_->setToolTip("Save/Retrieve Elements");
  clear_ = new QPushButton("&Clear", this);
  clear_->setObjectName("ClrBtn");
  fileMenu_ = new QMenu(this);
  fileMenu_->setObjectName("FileMenu");
  QAction* find = fileMenu_->addAction("&Find Saved Elements...");
  find->setObjectName("FindSaved");
  QAction* save = fileMenu_->addAction("&Save Current Elements");
  save->setObjectName("SaveCurrent");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("buttons");
  buttons->addButton(verify_, QDialogButtonBox::ActionRole);
  buttons->addButton(file_, QDialogButtonBox::ActionRole);
  buttons->addButton(clear_, QDialogButtonBox::ActionRole);

  auto* left = new QVBoxLayout;
  left->addLayout(ids);
  left->addWidget(format);
  left->addWidget(epoch);
  auto* right = new QHBoxLayout;
  right->addWidget(setBox);
  right->addWidget(eqnx);
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addLayout(right);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(magnitude);
  bottom->addWidget(perihelion);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(elements);
  layout->addLayout(bottom);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  for (QRadioButton* b : {calendar_, julian_, sets_[0], sets_[1], sets_[2]})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (!on || loading_) return;
      Store();
      Enable();
    });
  connect(epochDate_, &QLineEdit::editingFinished, this, [this] { Leave(&ElementDialogLogic::LeaveEpochDate); });
  connect(epochJD_, &QLineEdit::editingFinished, this, [this] { Leave(&ElementDialogLogic::LeaveEpochJD); });
  connect(edits_[ElementField::kT], &QLineEdit::editingFinished, this,
          [this] { Leave(&ElementDialogLogic::LeaveT); });
  connect(edits_[ElementField::kJDT], &QLineEdit::editingFinished, this,
          [this] { Leave(&ElementDialogLogic::LeaveJDT); });
  connect(verify_, &QPushButton::clicked, this, [this] {
    Store();
    logic_.Verify();
    Load();
  });
  connect(clear_, &QPushButton::clicked, this, [this] {
    logic_.Clear();
    Load();
  });
  connect(file_, &QPushButton::clicked, this, [this] { fileMenu_->popup(file_->mapToGlobal(QPoint(0, file_->height()))); });
  connect(find, &QAction::triggered, this, [this] {
    Store();
    logic_.FindSaved();
    Load();
  });
  connect(save, &QAction::triggered, this, [this] {
    Store();
    logic_.SaveCurrent();
    Load();
  });
  Load();
}

TOrbElForm1::~TOrbElForm1() = default;

void TOrbElForm1::Leave(void (ElementDialogLogic::*convert)()) {
  if (loading_) return;
  Store();
  (logic_.*convert)();
  Load();
}

void TOrbElForm1::Load() {
  loading_ = true;
  const ElementFields& f = logic_.fields;
  name_->setText(ToQt(f.name));
  number_->setText(ToQt(f.designation));
  (f.dateFormat == 1 ? julian_ : calendar_)->setChecked(true);
  epochDate_->setText(ToQt(f.epochDate));
  epochJD_->setText(ToQt(f.epochJD));
  sets_[static_cast<std::size_t>(f.set)]->setChecked(true);
  equinox_[static_cast<std::size_t>(f.equinox)]->setChecked(true);
  const std::pair<ElementField, const std::string*> texts[] = {
      {ElementField::kA, &f.a},       {ElementField::kE, &f.e},     {ElementField::kIncl, &f.incl},
      {ElementField::kNode, &f.node}, {ElementField::kPeri, &f.peri}, {ElementField::kM, &f.M},
      {ElementField::kQ, &f.q},       {ElementField::kLongPeri, &f.longPeri}, {ElementField::kL, &f.L},
      {ElementField::kH, &f.H},       {ElementField::kG, &f.G},     {ElementField::kT, &f.T},
      {ElementField::kJDT, &f.JDT}};
  for (const auto& [field, text] : texts) edits_[field]->setText(ToQt(*text));
  Enable();
  loading_ = false;
}

void TOrbElForm1::Store() {
  ElementFields& f = logic_.fields;
  f.name = EditText(name_);
  f.designation = EditText(number_);
  f.dateFormat = julian_->isChecked() ? 1 : 0;
  f.epochDate = EditText(epochDate_);
  f.epochJD = EditText(epochJD_);
  for (std::size_t k = 0; k < sets_.size(); ++k)
    if (sets_[k]->isChecked()) f.set = static_cast<ElementSet>(k);
  for (std::size_t k = 0; k < equinox_.size(); ++k)
    if (equinox_[k]->isChecked()) f.equinox = static_cast<EquinoxChoice>(k);
  f.a = EditText(edits_[ElementField::kA]);
  f.e = EditText(edits_[ElementField::kE]);
  f.incl = EditText(edits_[ElementField::kIncl]);
  f.node = EditText(edits_[ElementField::kNode]);
  f.peri = EditText(edits_[ElementField::kPeri]);
  f.M = EditText(edits_[ElementField::kM]);
  f.q = EditText(edits_[ElementField::kQ]);
  f.longPeri = EditText(edits_[ElementField::kLongPeri]);
  f.L = EditText(edits_[ElementField::kL]);
  f.H = EditText(edits_[ElementField::kH]);
  f.G = EditText(edits_[ElementField::kG]);
  f.T = EditText(edits_[ElementField::kT]);
  f.JDT = EditText(edits_[ElementField::kJDT]);
}

void TOrbElForm1::Enable() {
  const ElementFields& f = logic_.fields;
  for (auto& [field, edit] : edits_) edit->setEnabled(f.Enabled(field));
  epochDate_->setEnabled(f.CalendarEnabled());
  epochJD_->setEnabled(!f.CalendarEnabled());
}

void TOrbElForm1::accept() {
  Store();
  if (logic_.Ok()) QDialog::accept();
  Load();
}

}  // namespace skarvel::ui
