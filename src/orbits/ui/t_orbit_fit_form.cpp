#include "orbits/ui/t_orbit_fit_form.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace skarvel::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TOrbitFitForm::TOrbitFitForm(OrbitFitFormLogic& logic, std::function<void(const CurrentElements&)> useElements,
                             std::string savedOrbitsPath, QWidget* parent)
    : QDialog(parent), logic_(logic), useElements_(std::move(useElements)), savedOrbitsPath_(std::move(savedOrbitsPath)) {
  setWindowTitle(kOrbitFitCaption);
  auto* form = new QFormLayout;
  observations_ = new QLineEdit(Q(logic_.observationsPath));
  observations_->setPlaceholderText("the report's observations");
  browse_ = new QPushButton("&Browse...");
  auto* obsRow = new QHBoxLayout;
  obsRow->addWidget(observations_);
  obsRow->addWidget(browse_);
  form->addRow("Observations:", obsRow);
  codes_ = new QLineEdit(Q(logic_.codesPath));
  codes_->setToolTip("The Minor Planet Center's observatory code list, as saved from its page");
  codesBrowse_ = new QPushButton("Bro&wse...");
  auto* codesRow = new QHBoxLayout;
  codesRow->addWidget(codes_);
  codesRow->addWidget(codesBrowse_);
  form->addRow("Observatory Codes:", codesRow);
  reject_ = new QLineEdit(Q(logic_.rejectSigmaText));
  reject_->setToolTip("Reject observations beyond this many sigma (0 keeps all)");
  form->addRow("Reject at (sigma):", reject_);
  holdE_ = new QLineEdit(Q(logic_.holdEText));
  holdE_->setToolTip("Hold the eccentricity at this value (short arcs)");
  form->addRow("Hold e:", holdE_);
  holdQ_ = new QLineEdit(Q(logic_.holdQText));
  holdQ_->setToolTip("Hold the perihelion distance at this value, AU (short arcs)");
  form->addRow("Hold q (AU):", holdQ_);
  report_ = new QPlainTextEdit;
  report_->setReadOnly(true);
  report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  report_->setMinimumSize(640, 360);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  fit_ = buttons->addButton("&Fit", QDialogButtonBox::ActionRole);
  use_ = buttons->addButton("&Use Elements", QDialogButtonBox::ActionRole);
  save_ = buttons->addButton("&Save Orbit", QDialogButtonBox::ActionRole);
  use_->setEnabled(false);
  save_->setEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(report_);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse_, &QPushButton::clicked, this, [this] {
    logic_.observationsPath = observations_->text().toStdString();
    if (logic_.ChooseObservations()) observations_->setText(Q(logic_.observationsPath));
  });
  connect(codesBrowse_, &QPushButton::clicked, this, [this] {
    logic_.codesPath = codes_->text().toStdString();
    if (logic_.ChooseCodes()) codes_->setText(Q(logic_.codesPath));
  });
  connect(fit_, &QPushButton::clicked, this, &TOrbitFitForm::RunFit);
  connect(use_, &QPushButton::clicked, this, [this] {
    if (const auto current = logic_.Elements(); current && useElements_) useElements_(*current);
  });
  connect(save_, &QPushButton::clicked, this, [this] { logic_.SaveOrbit(savedOrbitsPath_); });
}

void TOrbitFitForm::RunFit() {
  logic_.observationsPath = observations_->text().toStdString();
  logic_.codesPath = codes_->text().toStdString();
  logic_.rejectSigmaText = reject_->text().toStdString();
  logic_.holdEText = holdE_->text().toStdString();
  logic_.holdQText = holdQ_->text().toStdString();
  const bool ok = logic_.Fit();
  QString text;
  for (const auto& line : logic_.Progress()) text += Q(line) + "\n";
  if (ok) {
    text += "\n";
    for (const auto& line : logic_.ReportLines()) text += QString::fromLatin1(line.c_str()) + "\n";
  }
  report_->setPlainText(text);
  use_->setEnabled(logic_.HasResult());
  save_->setEnabled(logic_.HasResult());
}

}  // namespace skarvel::ui
