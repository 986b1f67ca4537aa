// "Edit Text Line": one line of a list window in a fixed-pitch field under a column ruler.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace skarvel::ui {

class TEditTextLineDlg : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on `line`: the field is 80 characters wide (wider for a
  /// longer line, which is never cut) and the ruler numbers its columns.
  TEditTextLineDlg(const std::string& line, QWidget* parent = nullptr);

  /// The field's text.
  std::string Text() const;

  QLineEdit* Field() const { return field_; }
  QLabel* Ruler() const { return ruler_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  /// Shows the dialog modally on `line`: the edited text on OK, nullopt on Cancel.
  static std::optional<std::string> Ask(const std::string& line, QWidget* parent);

 private:
  QLabel* ruler_;
  QLineEdit* field_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace skarvel::ui
