// The orbit search dialog: a thin view of SearchDialogLogic, with the
// "C&Oordinates" pop-up menu ("&Opposition", "Image&1".."Image&4").
#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "orbits/search_form.h"
#include "orbits/ui/date_time_edits.h"

class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

class QLabel;

namespace skarvel::ui {

class TOrbSrchDlg1 : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on `logic`, which must outlive it.
  explicit TOrbSrchDlg1(SearchDialogLogic& logic, QWidget* parent = nullptr);
  ~TOrbSrchDlg1() override;

  /// An edit by its component name ("RAHr1", "SizeEd1", "MaxMagEd", ...), or null.
  QLineEdit* Edit(const char* name) const;
  QRadioButton* CalendarFormat() const { return when_.calendar; }
  QRadioButton* JulianFormat() const { return when_.julian; }
  QRadioButton* Units(FieldKind kind) const { return units_[static_cast<std::size_t>(kind)]; }
  QPushButton* CoordinatesButton() const { return coordinates_; }
  QMenu* CoordinatesMenu() const { return popup_; }
  QAction* OppositionItem() const { return opposition_; }
  QAction* ImageItem(int slot) const { return images_[static_cast<std::size_t>(slot)]; }
  QGroupBox* CentreBox() const { return centreBox_; }
  QGroupBox* LimitsBox() const { return limitsBox_; }
  /// The image's UTC with the TT used, below the instant fields ("" when the fields hold no image time).
  QLabel* TimeNote() const { return timeNote_; }

  void accept() override;

 private:
  /// Each text field with the member of the fields it shows.
  std::vector<std::pair<QLineEdit*, std::string*>> TextFields(SearchFields& f) const;
  void Load();
  void Store();
  void Enable();

  SearchDialogLogic& logic_;
  DateTimeEdits when_;
  std::array<QRadioButton*, 3> units_{};
  QLineEdit *raHours_, *raMinutes_, *raSeconds_, *decDegrees_, *decMinutes_, *decSeconds_, *size_;
  QLineEdit *raMin_, *raMax_, *decMin_, *decMax_;
  QLineEdit *bright_, *faint_, *near_, *far_, *altitude_;
  QGroupBox *centreBox_, *sizeBox_, *limitsBox_;
  QPushButton* coordinates_;
  QMenu* popup_;
  QAction* opposition_;
  std::array<QAction*, 4> images_{};
  QLabel* timeNote_;
  bool loading_ = false;
};

}  // namespace skarvel::ui
