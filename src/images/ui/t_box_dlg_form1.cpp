#include "images/ui/t_box_dlg_form1.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

TBoxDlgForm1::TBoxDlgForm1(BoxKind kind, const BoxRecord& record, QWidget* parent)
    : QDialog(parent), values_(record) {
  setObjectName("BoxDlgForm1");
  setWindowTitle(platform::ToQt(BoxDialogCaption(kind)));
  auto spin = [this](const char* name, int lo, int hi, int step) {
    auto* s = new QSpinBox(this);
    s->setObjectName(name);
    s->setRange(lo, hi);
    s->setSingleStep(step);
    return s;
  };
  peak_ = spin("peakWidth", BoxDialogValues::kMinWidth, BoxDialogValues::kMaxWidth, 2);
  diameter_ = spin("diameter", BoxDialogValues::kMinWidth, BoxDialogValues::kMaxWidth, 2);
  border_ = spin("border", BoxDialogValues::kMinBorder, BoxDialogValues::kMaxBorder, 1);
  cutoff_ = spin("cutoff", BoxDialogValues::kMinCutoff, BoxDialogValues::kMaxCutoff, 1);
  auto* form = new QFormLayout;
  form->addRow("Box Width for Peak Search", peak_);
  form->addRow("Region Diameter for Centroid", diameter_);
  form->addRow("Width of Sky \"Border\"", border_);
  form->addRow(new QLabel("Sky Cut-Off for Centroiding", this));
  form->addRow("Sigma Above/Below Mean Sky", cutoff_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* defaults = buttons->addButton("&Defaults", QDialogButtonBox::ResetRole);
  defaults->setObjectName("defaults");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(defaults, &QPushButton::clicked, this, [this] {
    values_.Defaults();
    Show();
  });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  connect(peak_, &QSpinBox::valueChanged, this, [this](int v) {
    if (updating_) return;
    values_.SetPeakWidth(v);
    Show();
  });
  connect(diameter_, &QSpinBox::valueChanged, this, [this](int v) {
    if (updating_) return;
    values_.SetDiameter(v);
    Show();
  });
  connect(border_, &QSpinBox::valueChanged, this, [this](int v) {
    if (!updating_) values_.SetBorder(v);
  });
  connect(cutoff_, &QSpinBox::valueChanged, this, [this](int v) {
    if (!updating_) values_.SetCutoff(v);
  });
  Show();
}

void TBoxDlgForm1::Show() {
  updating_ = true;
  peak_->setValue(values_.PeakWidth());
  diameter_->setValue(values_.Diameter());
  border_->setValue(values_.Border());
  cutoff_->setValue(values_.Cutoff());
  updating_ = false;
}

std::optional<BoxRecord> TBoxDlgForm1::Ask(BoxKind kind, const BoxRecord& record, QWidget* parent) {
  TBoxDlgForm1 dialog(kind, record, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Values().Record();
}

}  // namespace skarvel::ui
