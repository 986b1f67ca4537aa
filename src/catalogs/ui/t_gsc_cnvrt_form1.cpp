#include "catalogs/ui/t_gsc_cnvrt_form1.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "config/ui/radio_group.h"
#include "platform/ui/line_edit.h"

namespace skarvel::ui {

using platform::ToQt;

namespace {

constexpr int kPathWidth = 320;  ///< path field width, pixels
constexpr int kMagLength = 5;    ///< characters of the magnitude field ("20.0")

QCheckBox* MakeBox(QWidget* parent, const char* name, const char* caption, const char* hint, bool on) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setToolTip(hint);
  box->setChecked(on);
  return box;
}

}  // namespace

TGSCCnvrtForm1::TGSCCnvrtForm1(GSCConvertSettings& settings, platform::Platform& ui, std::string dataDir,
                               QWidget* parent)
    : QDialog(parent), settings_(settings), ui_(ui), dataDir_(std::move(dataDir)), form_(settings) {
  setObjectName("GSCCnvrtForm1");
  setWindowTitle(kGSCConvertCaption);
  static constexpr std::array<const char*, 3> kNames = {"InPath1Ed", "InPath2Ed", "OutPathEd"};
  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    QLineEdit* e = MakeEdit(this, kNames[i], static_cast<int>(kGSCConvertPathLength), kGSCConvertPathHint);
    e->setMinimumWidth(kPathWidth);
    e->installEventFilter(this);
    auto* label = new QLabel(GSCConvertForm::kPathLabels[i], this);
    label->setBuddy(e);
    grid->addWidget(label, static_cast<int>(2 * i), 0, 1, 2);
    grid->addWidget(e, static_cast<int>(2 * i + 1), 0, 1, 2);
    paths_[i] = e;
  }
  mag_ = MakeEdit(this, "MagEd", kMagLength);
  mag_->setText(ToQt(form_.magText));
  mag_->setMaximumWidth(60);
  auto* magLabel = new QLabel("Mag Limit", this);
  magLabel->setBuddy(mag_);
  grid->addWidget(magLabel, 6, 0);
  grid->addWidget(mag_, 6, 1, Qt::AlignLeft);
  restart_ = MakeBox(this, "RstrtCk", "Restart", "Restart unfinished conversion?", form_.restart);
  finder_ = MakeBox(this, "FndrCk", "Finder", "Generate Finder Version.", form_.finder);
  marlo_ = MakeBox(this, "MarloCk", "Marlo Version", "Generate Version for Marlo lab.", form_.marloVersion);
  auto* switches = new QHBoxLayout;
  switches->addWidget(restart_);
  switches->addWidget(finder_);
  switches->addWidget(marlo_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(switches);
  layout->addWidget(MakeOkCancel(this));
  layout->setSizeConstraint(QLayout::SetFixedSize);
  ShowPaths();
}

bool TGSCCnvrtForm1::Run(GSCConvertSettings& settings, platform::Platform& ui, const std::string& dataDir,
                         QWidget* parent) {
  TGSCCnvrtForm1 dialog(settings, ui, dataDir, parent);
  return dialog.exec() == QDialog::Accepted;
}

void TGSCCnvrtForm1::ReadBack() {
  for (std::size_t i = 0; i < paths_.size(); ++i) form_.paths[i] = EditText(paths_[i]);
  form_.magText = EditText(mag_);
  form_.restart = restart_->isChecked();
  form_.finder = finder_->isChecked();
  form_.marloVersion = marlo_->isChecked();
}

void TGSCCnvrtForm1::ShowPaths() {
  for (std::size_t i = 0; i < paths_.size(); ++i) paths_[i]->setText(ToQt(form_.paths[i]));
}

bool TGSCCnvrtForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick)
    for (std::size_t i = 0; i < paths_.size(); ++i)
      if (paths_[i] == watched) {
        ReadBack();
        if (form_.DoubleClicked(static_cast<GSCConvertPath>(i), ui_, dataDir_)) ShowPaths();
        return true;
      }
  return QDialog::eventFilter(watched, event);
}

void TGSCCnvrtForm1::accept() {
  ReadBack();
  const bool ok = form_.Ok(ui_, settings_);
  ShowPaths();
  if (ok) QDialog::accept();
}

}  // namespace skarvel::ui
