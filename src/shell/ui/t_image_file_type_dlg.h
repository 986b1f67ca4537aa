// "Select Image File Type": the file format and what the header time stands for.
#pragma once

#include <QDialog>

#include "shell/astrm_lab.h"

class QRadioButton;
class QGroupBox;
class QButtonGroup;

namespace skarvel::ui {

class TImageFileTypeDlg : public QDialog {
  Q_OBJECT
 public:
  TImageFileTypeDlg(ImageTypeSelection present, QWidget* parent = nullptr);
  /// The choice shown; the time type is 3 for ST-4.
  ImageTypeSelection Choice() const;
  /// Runs the dialog: the choice on OK, nothing on Cancel.
  static std::optional<ImageTypeSelection> Ask(ImageTypeSelection present, QWidget* parent);

 private:
  void FormatChanged();

  QRadioButton* format_[3];
  QRadioButton* time_[3];
  QGroupBox* timeGroup_;
  QButtonGroup* timeButtons_;
};

}  // namespace skarvel::ui
