#include "orbits/ui/t_chrt_cntrl_box.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::ToQt;

TChrtCntrlBox::TChrtCntrlBox(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
  setObjectName("ChrtCntrlBox");
  setModal(false);
  prompt_ = new QLabel(this);
  prompt_->setObjectName("Prompt");
  prompt_->setWordWrap(true);
  ephemeris_ = new QCheckBox("Plot Generated Ephemeris", this);
  ephemeris_->setObjectName("PlotEphemeris");
  observations_ = new QCheckBox("Plot Measured Positions ", this);
  observations_->setObjectName("PlotObservations");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  cancel_ = buttons->button(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt_);
  layout->addWidget(ephemeris_);
  layout->addWidget(observations_);
  layout->addWidget(buttons);
  connect(ephemeris_, &QCheckBox::toggled, this, [this](bool on) {
    if (logic_ != nullptr) logic_->plotEphemeris = on;
  });
  connect(observations_, &QCheckBox::toggled, this, [this](bool on) {
    if (logic_ != nullptr) logic_->plotObservations = on;
  });
}

TChrtCntrlBox::~TChrtCntrlBox() = default;

void TChrtCntrlBox::ShowOn(ChartControlLogic& logic) {
  logic_ = &logic;
  Load();
  show();
  raise();
  activateWindow();
}

void TChrtCntrlBox::Load() {
  ChartControlLogic* logic = logic_;
  logic_ = nullptr;  // the check boxes are set, not ticked
  setWindowTitle(ToQt(std::string(logic->Caption())));
  prompt_->setText(ToQt(std::string(logic->Prompt())));
  const bool options = logic->CurrentStep() == ChartControlLogic::Step::kOptions;
  ephemeris_->setChecked(logic->plotEphemeris);
  observations_->setChecked(logic->plotObservations);
  ephemeris_->setEnabled(options && logic->ephemerisEnabled);
  observations_->setEnabled(options && logic->observationsEnabled);
  logic_ = logic;
}

void TChrtCntrlBox::accept() {
  if (onOk && !onOk()) {
    if (logic_ != nullptr && logic_->CurrentStep() != ChartControlLogic::Step::kClosed) Load();
    return;
  }
  QDialog::accept();
}

void TChrtCntrlBox::reject() {
  if (onCancel) onCancel();
  QDialog::reject();
}

}  // namespace skarvel::ui
