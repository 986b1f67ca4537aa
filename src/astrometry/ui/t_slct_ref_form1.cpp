#include "astrometry/ui/t_slct_ref_form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::ToQt;

// ------------------------------------------------------------ TRefCnclForm1

TRefCnclForm1::TRefCnclForm1(const CancelOptions& options, QWidget* parent) : QDialog(parent) {
  setObjectName("RefCnclForm1");
  setWindowTitle("\"Cancel\" Options");
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox("Select Desired Action", this);
  group->setObjectName("RadioGroup1");
  auto* inner = new QVBoxLayout(group);
  static const char* const kCaptions[] = {"&Select Reference Stars", "&Add/Delete Reference Stars",
                                          "&Locate Reference Stars", "Locate &Unknown",
                                          "Identify Sky &Background",    "&Return to Current Step"};
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i] = new QRadioButton(kCaptions[i], group);
    buttons_[i]->setObjectName(QString("Choice%1").arg(i + 1));
    buttons_[i]->setEnabled(options.enabled[i]);
    inner->addWidget(buttons_[i]);
  }
  buttons_[static_cast<std::size_t>(CancelChoice::ReturnToStep)]->setEnabled(true);
  buttons_[static_cast<std::size_t>(options.preselected)]->setChecked(true);
  layout->addWidget(group);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(box);
}

CancelChoice TRefCnclForm1::Chosen() const {
  for (std::size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->isChecked()) return static_cast<CancelChoice>(i);
  return CancelChoice::ReturnToStep;
}

std::optional<CancelChoice> TRefCnclForm1::Ask(const CancelOptions& options, QWidget* parent) {
  TRefCnclForm1 dialog(options, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Chosen();
}

// ------------------------------------------------------------ TSlctRefForm1

TSlctRefForm1::TSlctRefForm1(RefSelection& selection, QWidget* parent)
    : QWidget(parent, Qt::Tool), selection_(selection) {
  setObjectName("SlctRefForm1");
  auto* layout = new QVBoxLayout(this);
  label_ = new QLabel(this);
  label_->setObjectName("Label1");
  label_->setWordWrap(true);
  label_->setMinimumWidth(320);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(label_);
  auto* row = new QHBoxLayout;
  ok_ = new QPushButton("&OK", this);
  ok_->setObjectName("OKBtn");
  cancel_ = new QPushButton("&Cancel", this);
  cancel_->setObjectName("CnclBtn");
  accept_ = new QPushButton("&Accept", this);
  accept_->setObjectName("AllBtn");
  improve_ = new QPushButton("&Improve", this);
  improve_->setObjectName("ImprvBtn");
  for (QPushButton* b : {ok_, cancel_, accept_, improve_}) row->addWidget(b);
  autoMatch_ = new QPushButton("&Auto-Match", this);
  autoMatch_->setObjectName("AutoMatchBtn");
  row->addWidget(autoMatch_);
  connect(autoMatch_, &QPushButton::clicked, this, [this] { Run([this] { selection_.AutoMatch(); }); });
  layout->addLayout(row);
  magnifier_ = new QCheckBox("Show Magnification Window", this);
  magnifier_->setObjectName("CheckBox1");
  magnifier_->setChecked(selection_.showMagnifier);
  layout->addWidget(magnifier_);

  popup_ = new QMenu(this);
  popup_->setObjectName("SelectPopup");
  QAction* remove = popup_->addAction("&Remove Highest Resdual");
  remove->setObjectName("RemoveHighest1");
  QMenu* model = popup_->addMenu("Change Solution &Model");
  model->setObjectName("ChangeModel1");
  static const char* const kModels[] = {"&Linear", "Add &Cross-term", "Full Quadratic"};
  for (std::size_t i = 0; i < models_.size(); ++i) {
    models_[i] = model->addAction(kModels[i]);
    models_[i]->setObjectName(QString("Model%1").arg(i + 1));
    models_[i]->setCheckable(true);
    const auto type = static_cast<std::uint8_t>(i);
    connect(models_[i], &QAction::triggered, this, [this, type] { Run([this, type] { selection_.ChangeModel(type); }); });
  }
  connect(remove, &QAction::triggered, this, [this] { Run([this] { selection_.RemoveHighestResidual(); }); });
  connect(ok_, &QPushButton::clicked, this, [this] { Run([this] { selection_.Ok(); }); });
  connect(cancel_, &QPushButton::clicked, this, [this] { Run([this] { selection_.Cancel(); }); });
  connect(accept_, &QPushButton::clicked, this, [this] { Run([this] { selection_.Accept(); }); });
  connect(improve_, &QPushButton::clicked, this, [this] {
    bool popupWanted = false;
    Run([this, &popupWanted] { popupWanted = selection_.Improve(); });
    if (!popupWanted) return;
    const QPoint corner = improve_->mapToGlobal(QPoint(improve_->width(), improve_->height()));
    if (showPopup) {
      showPopup(*popup_, corner);
    } else {
      popup_->popup(corner);
    }
  });
  connect(magnifier_, &QCheckBox::toggled, this, [this](bool on) {
    selection_.showMagnifier = on;
    if (magnifierToggled) magnifierToggled(on);
  });
  Sync();
}

void TSlctRefForm1::Run(const std::function<void()>& action) {
  action();
  Sync();
  if (changed) changed();
}

void TSlctRefForm1::Sync() {
  setWindowTitle(ToQt(selection_.Title()));
  // The prompt is shown from its first line of text: line breaks in front of
  // it would leave an empty band at the top of the dialog.
  QString label = ToQt(selection_.Label());
  while (label.startsWith("\r\n") || label.startsWith('\n')) label.remove(0, label.startsWith('\r') ? 2 : 1);
  label_->setText(label);
  accept_->setVisible(selection_.AcceptVisible());
  improve_->setVisible(selection_.ImproveVisible());
  improve_->setText(ToQt(selection_.ImproveCaption()));
  autoMatch_->setVisible(selection_.AutoMatchAvailable());
  for (std::size_t i = 0; i < models_.size(); ++i) models_[i]->setChecked(i == selection_.SolutionType());
  adjustSize();  // the dialog fits its prompt
}

void TSlctRefForm1::Dismiss() {
  dismissing_ = true;
  close();
  dismissing_ = false;
}

void TSlctRefForm1::closeEvent(QCloseEvent* event) {
  if (dismissing_) {
    event->accept();
    return;
  }
  // Closing the dialog is its Cancel button.
  event->ignore();
  Run([this] { selection_.Cancel(); });
}

}  // namespace skarvel::ui
