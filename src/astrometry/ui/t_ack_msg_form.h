// "Edit Acknowledgement Message": the message and the e-mail address the
// Minor Planet Center acknowledges a report to.
#pragma once

#include <QDialog>

#include "astrometry/astrom_obs.h"

class QLineEdit;
class QPushButton;

namespace skarvel::ui {

class TACKMsgForm : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on the report's acknowledgement; `cancelEnabled` false while
  /// a report is being generated (the text must be confirmed).
  TACKMsgForm(AstromObsObj& report, bool cancelEnabled, QWidget* parent = nullptr);

  QLineEdit* MessageField() const { return message_; }
  QLineEdit* EmailField() const { return email_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  /// The e-mail field was typed in since the dialog opened.
  bool EmailTyped() const { return emailTyped_; }

  void accept() override;

  /// Shows the dialog modally; OK stores the fields into the report.
  static void Ask(AstromObsObj& report, bool cancelEnabled, QWidget* parent);

 private:
  AstromObsObj& report_;
  QLineEdit* message_;
  QLineEdit* email_;
  QPushButton* ok_;
  QPushButton* cancel_;
  bool emailTyped_ = false;
};

}  // namespace skarvel::ui
