#include "images/ui/t_calibration_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

namespace {

constexpr FrameKind kKinds[3] = {FrameKind::Bias, FrameKind::Dark, FrameKind::Flat};

}  // namespace

TCalibrationDlg::TCalibrationDlg(CalibrationDialogLogic& logic, QWidget* parent) : QDialog(parent), logic_(logic) {
  setObjectName("CalibrationDlg");
  setWindowTitle(CalibrationDialogLogic::kCaption);

  auto* build = new QGroupBox("Build a Master", this);
  auto* buildLayout = new QGridLayout(build);
  const char* kinds[3] = {"B&ias", "&Dark", "&Flat"};
  for (int i = 0; i < 3; ++i) {
    kind_[i] = new QRadioButton(kinds[i], build);
    kind_[i]->setObjectName(QString("kind%1").arg(i));
    buildLayout->addWidget(kind_[i], 0, i);
  }
  auto* methodBox = new QWidget(build);
  auto* methodLayout = new QHBoxLayout(methodBox);
  methodLayout->setContentsMargins(0, 0, 0, 0);
  method_[0] = new QRadioButton("&Median", methodBox);
  method_[1] = new QRadioButton("Sigma-clipped m&ean", methodBox);
  for (int i = 0; i < 2; ++i) {
    method_[i]->setObjectName(QString("method%1").arg(i));
    methodLayout->addWidget(method_[i]);
  }
  buildLayout->addWidget(methodBox, 1, 0, 1, 3);
  auto* buildButton = new QPushButton("&Build Master...", build);
  buildButton->setObjectName("buildMaster");
  buildLayout->addWidget(buildButton, 2, 0, 1, 3);

  auto* apply = new QGroupBox(platform::DisplayText("Masters to Apply (camera \"" + logic_.choice.camera + "\")"), this);
  auto* applyLayout = new QGridLayout(apply);
  const char* labels[3] = {"Bias:", "Dark:", "Flat:"};
  for (int i = 0; i < 3; ++i) {
    applyLayout->addWidget(new QLabel(labels[i], apply), i, 0);
    master_[i] = new QLineEdit(apply);
    master_[i]->setObjectName(QString("master%1").arg(i));
    master_[i]->setMinimumWidth(320);
    applyLayout->addWidget(master_[i], i, 1);
    auto* browse = new QPushButton("...", apply);
    browse->setObjectName(QString("browse%1").arg(i));
    browse->setFixedWidth(32);
    applyLayout->addWidget(browse, i, 2);
    connect(browse, &QPushButton::clicked, this, [this, i] {
      Take();
      if (logic_.Browse(kKinds[i])) Show();
    });
  }
  onLoad_ = new QCheckBox("Calibrate images on &load", apply);
  onLoad_->setObjectName("onLoad");
  applyLayout->addWidget(onLoad_, 3, 0, 1, 3);
  auto* now = new QPushButton("Calibrate Loaded &Images", apply);
  now->setObjectName("calibrateLoaded");
  applyLayout->addWidget(now, 4, 0, 1, 3);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { Done(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buildButton, &QPushButton::clicked, this, [this] {
    Take();
    if (logic_.BuildMaster()) Show();
  });
  connect(now, &QPushButton::clicked, this, [this] {
    Take();
    logic_.CalibrateLoaded();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(build);
  layout->addWidget(apply);
  layout->addWidget(buttons);
  Show();
}

void TCalibrationDlg::Show() {
  for (int i = 0; i < 3; ++i) {
    kind_[i]->setChecked(logic_.buildKind == kKinds[i]);
    master_[i]->setText(platform::PathToQt(logic_.Field(kKinds[i])));
  }
  method_[0]->setChecked(logic_.method == CombineMethod::Median);
  method_[1]->setChecked(logic_.method == CombineMethod::Mean);
  onLoad_->setChecked(logic_.choice.onLoad);
}

void TCalibrationDlg::Take() {
  for (int i = 0; i < 3; ++i) {
    if (kind_[i]->isChecked()) logic_.buildKind = kKinds[i];
    logic_.Field(kKinds[i]) = platform::PathFromQt(master_[i]->text().trimmed());
  }
  logic_.method = method_[1]->isChecked() ? CombineMethod::Mean : CombineMethod::Median;
  logic_.choice.onLoad = onLoad_->isChecked();
}

void TCalibrationDlg::Done() {
  Take();
  if (logic_.Accept()) accept();
}

bool TCalibrationDlg::Run(CalibrationDialogHost host, QWidget* parent) {
  CalibrationDialogLogic logic(std::move(host));
  TCalibrationDlg dialog(logic, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace skarvel::ui
