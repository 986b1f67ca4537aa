// The "Box" size dialog of the measuring boxes.
#pragma once

#include <QDialog>
#include <optional>

#include "images/box_dialog.h"

class QSpinBox;

namespace skarvel::ui {

class TBoxDlgForm1 : public QDialog {
  Q_OBJECT
 public:
  TBoxDlgForm1(BoxKind kind, const BoxRecord& record, QWidget* parent = nullptr);
  /// The values shown.
  const BoxDialogValues& Values() const { return values_; }
  /// Runs the dialog: the record on OK, nothing on Cancel.
  static std::optional<BoxRecord> Ask(BoxKind kind, const BoxRecord& record, QWidget* parent);

 private:
  void Show();

  BoxDialogValues values_;
  QSpinBox* peak_;
  QSpinBox* diameter_;
  QSpinBox* border_;
  QSpinBox* cutoff_;
  bool updating_ = false;
};

}  // namespace skarvel::ui
