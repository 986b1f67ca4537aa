#include "astrometry/ui/t_fld_parms_dlg.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "astrometry/ui/t_gsc_form1.h"
#include "platform/ui/line_edit.h"
#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::ToQt;

namespace {

constexpr int kNumberLength = 12;  ///< characters of each edit field
const char* const kReferenceItems[] = {"RegionParameters1", "AddRemove1", "AddRemove2"};

}  // namespace

TFldParmsDlg::TFldParmsDlg(FieldParamsSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), logic_(*setup_.request, *setup_.options, setup_.imageFilter) {
  setObjectName("FldParmsDlg");
  setWindowTitle("Enter/Verify Field Parameters");
  auto* layout = new QVBoxLayout(this);
  auto add = [this](QGridLayout* grid, int row, int column, const char* name, const char* hint) {
    QLineEdit* e = MakeEdit(this, name, kNumberLength, hint);
    edits_[name] = e;
    grid->addWidget(e, row, column);
    return e;
  };
  auto* ra = new QGroupBox("RA of Field Center", this);
  ra->setObjectName("RAGroup");
  auto* raGrid = new QGridLayout(ra);
  add(raGrid, 0, 0, "RAHr", "0-23");
  add(raGrid, 0, 1, "RAMin", "0-59");
  add(raGrid, 0, 2, "RASec", "0.00-59.99");
  layout->addWidget(ra);
  auto* dec = new QGroupBox("Dec of Field Center", this);
  dec->setObjectName("DecGroup");
  auto* decGrid = new QGridLayout(dec);
  add(decGrid, 0, 0, "DecDeg", "89 - -89");
  add(decGrid, 0, 1, "DecMin", "0-59");
  add(decGrid, 0, 2, "DecSec", "0.00-59.99");
  layout->addWidget(dec);
  auto* numbers = new QGridLayout;
  numbers->addWidget(new QLabel("Field Size:", this), 0, 0);
  add(numbers, 0, 1, "SizEd", "Field Size in Arc Mins (')");
  numbers->addWidget(new QLabel("Mag. Limit:", this), 1, 0);
  add(numbers, 1, 1, "MagEd", "Limiting Magnitude for Catalog Stars..");
  numbers->addWidget(new QLabel("Field Rotation\n(Degs. N->E)", this), 2, 0);
  add(numbers, 2, 1, "RotEd", "-90.0<=degs<=90.0");
  layout->addLayout(numbers);
  revEW_ = new QCheckBox("Reverse E-W", this);
  revEW_->setObjectName("RevEWBox");
  revEW_->setToolTip("When checked, display is reversed E-W.");
  revNS_ = new QCheckBox("Reverse  N-S", this);
  revNS_->setObjectName("RevNSBox");
  revNS_->setToolTip("When checked, display is reversed N-S.");
  layout->addWidget(revEW_);
  layout->addWidget(revNS_);
  auto* catalogRow = new QHBoxLayout;
  catalog_ = new QLineEdit(this);
  catalog_->setObjectName("CatlgEd");
  catalog_->setReadOnly(true);
  catalogRow->addWidget(catalog_);
  auto* change = new QPushButton("&Change", this);
  change->setObjectName("ChangeBtn");
  change->setAutoDefault(false);
  catalogRow->addWidget(change);
  layout->addLayout(catalogRow);
  useSA_ = new QCheckBox("Supplementary Cat.", this);
  useSA_->setObjectName("UseSABox");
  useSA_->setToolTip("When checked, include stars from USNO-SA1.0/2.0 in addition to GSC or ACT.");
  layout->addWidget(useSA_);
  colourGroup_ = new QGroupBox("Color", this);
  colourGroup_->setObjectName("ColorGrp");
  colourGroup_->setToolTip("NA for GSC");
  colourLayout_ = new QVBoxLayout(colourGroup_);
  colourButtonsGroup_ = new QButtonGroup(this);
  layout->addWidget(colourGroup_);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("cancelButton");
  cancel->setAutoDefault(false);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  edits_["RAHr"]->setText(ToQt(logic_.raHr));
  edits_["RAMin"]->setText(ToQt(logic_.raMin));
  edits_["RASec"]->setText(ToQt(logic_.raSec));
  edits_["DecDeg"]->setText(ToQt(logic_.decDeg));
  edits_["DecMin"]->setText(ToQt(logic_.decMin));
  edits_["DecSec"]->setText(ToQt(logic_.decSec));
  edits_["SizEd"]->setText(ToQt(logic_.size));
  edits_["MagEd"]->setText(ToQt(logic_.mag));
  edits_["RotEd"]->setText(ToQt(logic_.rotation));
  revEW_->setChecked(logic_.reverseEW);
  revNS_->setChecked(logic_.reverseNS);
  FillCatalog();
  const auto focus = FieldParamsLogic::InitialFocus(setup_.chartListShown);
  (focus == FieldParamsLogic::Focus::SizEd ? edits_["SizEd"] : edits_["RAHr"])->setFocus();

  connect(useSA_, &QCheckBox::toggled, this, [this](bool on) {
    logic_.SetUseSA(on);
    colourGroup_->setEnabled(logic_.ColourEnabled());
  });
  connect(change, &QPushButton::clicked, this, [this] { Change(); });
  connect(ok, &QPushButton::clicked, this, [this] {
    if (TryAccept()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  if (setup_.referenceWindow != nullptr) {
    for (const char* name : kReferenceItems) {
      if (QAction* a = setup_.referenceWindow->Action(name)) {
        remembered_[name] = a->isEnabled();
        a->setEnabled(false);
      }
    }
  }
}

TFldParmsDlg::~TFldParmsDlg() {
  if (setup_.referenceWindow == nullptr) return;
  for (auto it = remembered_.cbegin(); it != remembered_.cend(); ++it)
    if (QAction* a = setup_.referenceWindow->Action(it.key())) a->setEnabled(it.value());
}

QLineEdit* TFldParmsDlg::Edit(const char* name) const {
  return edits_.value(name, nullptr);
}

void TFldParmsDlg::FillCatalog() {
  catalog_->setText(ToQt(logic_.CatalogText()));
  for (QRadioButton* b : colourButtons_) {
    colourButtonsGroup_->removeButton(b);
    delete b;
  }
  colourButtons_.clear();
  const auto& items = logic_.Colours();
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(ToQt(items[i].caption), colourGroup_);
    b->setObjectName(ToQt("Color" + std::to_string(i)));
    colourButtonsGroup_->addButton(b, static_cast<int>(i));
    colourLayout_->addWidget(b);
    colourButtons_.push_back(b);
  }
  if (logic_.colourIndex >= 0 && logic_.colourIndex < static_cast<int>(colourButtons_.size()))
    colourButtons_[static_cast<std::size_t>(logic_.colourIndex)]->setChecked(true);
  const QSignalBlocker block(useSA_);
  useSA_->setChecked(logic_.useSA);
  useSA_->setEnabled(logic_.UseSAEnabled());
  colourGroup_->setEnabled(logic_.ColourEnabled());
}

void TFldParmsDlg::ReadBack() {
  logic_.raHr = EditText(edits_["RAHr"]);
  logic_.raMin = EditText(edits_["RAMin"]);
  logic_.raSec = EditText(edits_["RASec"]);
  logic_.decDeg = EditText(edits_["DecDeg"]);
  logic_.decMin = EditText(edits_["DecMin"]);
  logic_.decSec = EditText(edits_["DecSec"]);
  logic_.size = EditText(edits_["SizEd"]);
  logic_.mag = EditText(edits_["MagEd"]);
  logic_.rotation = EditText(edits_["RotEd"]);
  logic_.reverseEW = revEW_->isChecked();
  logic_.reverseNS = revNS_->isChecked();
  logic_.useSA = useSA_->isChecked();
  const int checked = colourButtonsGroup_->checkedId();
  if (checked >= 0) logic_.colourIndex = checked;
}

void TFldParmsDlg::Change() {
  if (!setup_.changeCatalogOptions) return;
  ReadBack();
  const OptionsRecord copy = logic_.ChangedOptions() ? *logic_.ChangedOptions() : *setup_.options;
  if (std::optional<OptionsRecord> changed = setup_.changeCatalogOptions(copy)) {
    logic_.AdoptCatalogOptions(*changed);
    FillCatalog();
  }
}

bool TFldParmsDlg::TryAccept() {
  ReadBack();
  result_ = logic_.Accept(*setup_.ui, *setup_.request, *setup_.options);
  return result_.has_value();
}

std::optional<bool> TFldParmsDlg::Run() {
  result_.reset();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return result_;
}

}  // namespace skarvel::ui
