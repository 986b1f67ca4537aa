#include "astrometry/ui/t_ack_msg_form.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "astrometry/report_list.h"
#include "platform/ui/line_edit.h"

namespace skarvel::ui {

using platform::ToQt;

TACKMsgForm::TACKMsgForm(AstromObsObj& report, bool cancelEnabled, QWidget* parent) : QDialog(parent), report_(report) {
  setObjectName("ACKMsgForm");
  setWindowTitle("Edit Acknowledgement Message");
  constexpr int kMax = static_cast<int>(kAckTextMax);
  message_ = MakeEdit(this, "message", kMax);
  email_ = MakeEdit(this, "email", kMax);
  message_->setText(ToQt(report.ackMessage));
  email_->setText(ToQt(report.ackEmail));
  message_->setMinimumWidth(QFontMetrics(message_->font()).horizontalAdvance(QString(kMax, 'M')) / 2);
  connect(email_, &QLineEdit::textEdited, this, [this] { emailTyped_ = true; });
  auto* form = new QFormLayout;
  form->setRowWrapPolicy(QFormLayout::WrapAllRows);
  form->addRow(new QLabel("Message:", this), message_);
  form->addRow(new QLabel("E-Mail Address for Acknowledgement:", this), email_);
  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("ok");
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("cancel");
  cancel_->setEnabled(cancelEnabled);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
}

void TACKMsgForm::accept() {
  ApplyAcknowledgement(report_, EditText(message_), EditText(email_), emailTyped_);
  QDialog::accept();
}

void TACKMsgForm::Ask(AstromObsObj& report, bool cancelEnabled, QWidget* parent) {
  TACKMsgForm dialog(report, cancelEnabled, parent);
  // With Cancel disabled, closing the dialog counts as OK: the report needs its text.
  if (dialog.exec() != QDialog::Accepted && !cancelEnabled) dialog.accept();
}

}  // namespace skarvel::ui
