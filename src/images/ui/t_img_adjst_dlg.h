// "Adjust Image Display Parameters": the widgets over ImageAdjustModel.
#pragma once

#include <QDialog>

#include "images/image_adjust.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace skarvel::ui {

class TImgAdjstDlg : public QDialog {
  Q_OBJECT
 public:
  /// The dialog over `model` (which it does not own); controls set from it.
  explicit TImgAdjstDlg(ImageAdjustModel& model, QWidget* parent = nullptr);

  /// Shows the dialog modally and tells how it ended (closing counts as Cancel).
  ImageAdjustModel::Ending Run();

 private:
  void Sync();
  void Finish(ImageAdjustModel::Ending ending);

  ImageAdjustModel& model_;
  ImageAdjustModel::Ending ending_ = ImageAdjustModel::Ending::Cancel;
  QScrollBar* brightness_;
  QScrollBar* contrast_;
  QScrollBar* background_;
  QScrollBar* range_;
  QLabel* brightnessText_;
  QLabel* contrastText_;
  QLabel* backgroundText_;
  QLabel* rangeText_;
  QPushButton* reverseLR_;
  QPushButton* restoreLR_;
  QPushButton* reverseUD_;
  QPushButton* restoreUD_;
  QLabel* lampLR_;
  QLabel* lampUD_;
  QLabel* lampOriginal_;
  QLabel* lampDefault_;
  QCheckBox* invert_;
  QRadioButton* statistical_;
  QRadioButton* header_;
  QCheckBox* useAsDefaults_;
  QPushButton* apply_;
  bool syncing_ = false;
  bool finished_ = false;
};

}  // namespace skarvel::ui
