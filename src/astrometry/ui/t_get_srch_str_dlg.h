// The small search dialog that the list windows and the help window share.
#pragma once

#include <QDialog>

#include "astrometry/info_list.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace skarvel::ui {

/// "Search String:" field (at most 80 characters), "Case Dependent" check box
/// and, under "Begin Search:", "From &Top" (the default button), "&From
/// Cursor" and "&Cancel". Its caption is "Find Help Topic" as designed; each
/// user sets its own with Ask.
class TGetSrchStrDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TGetSrchStrDlg(QWidget* parent = nullptr);

  /// Shows the dialog modally with `caption`, its field and check box taken
  /// from `state`. A search button stores the field and check box back into
  /// `state`; "&Cancel" and closing leave `state` alone. Either search button
  /// with an empty field counts as Cancelled.
  SearchStart Ask(const QString& caption, SearchDialogState& state);

  QLineEdit* TextField() const { return text_; }
  QCheckBox* CaseBox() const { return caseBox_; }
  QPushButton* FromTopButton() const { return fromTop_; }
  QPushButton* FromCursorButton() const { return fromCursor_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  QLineEdit* text_;
  QCheckBox* caseBox_;
  QPushButton* fromTop_;
  QPushButton* fromCursor_;
  QPushButton* cancel_;
};

}  // namespace skarvel::ui
