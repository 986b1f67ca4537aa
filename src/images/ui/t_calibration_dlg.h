// "Calibration": build masters from chosen raw frames, choose the masters
// applied to the current camera's images (remembered per camera record),
// calibrate on load or the loaded images now. The logic is
// CalibrationDialogLogic; this window shows its fields.
#pragma once

#include <QDialog>

#include "images/calibration_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace skarvel::ui {

class TCalibrationDlg : public QDialog {
  Q_OBJECT
 public:
  TCalibrationDlg(CalibrationDialogLogic& logic, QWidget* parent = nullptr);
  /// Runs the dialog: true when OK remembered the choice.
  static bool Run(CalibrationDialogHost host, QWidget* parent);

 private:
  void Show();   // the logic's fields into the widgets
  void Take();   // the widgets into the logic's fields
  void Done();   // OK

  CalibrationDialogLogic& logic_;
  QRadioButton* kind_[3];
  QRadioButton* method_[2];
  QLineEdit* master_[3];
  QCheckBox* onLoad_;
};

}  // namespace skarvel::ui
