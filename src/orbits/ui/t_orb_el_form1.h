// "Orbital Elements": a thin view of ElementDialogLogic.
#pragma once

#include <QDialog>
#include <array>
#include <map>

#include "orbits/element_form.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace skarvel::ui {

class TOrbElForm1 : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on `logic`, which must outlive it; the fields are shown as the logic holds them.
  explicit TOrbElForm1(ElementDialogLogic& logic, QWidget* parent = nullptr);
  ~TOrbElForm1() override;

  QLineEdit* Field(ElementField field) const { return edits_.at(field); }
  QLineEdit* NameField() const { return name_; }
  QLineEdit* NumberField() const { return number_; }
  QLineEdit* EpochDateField() const { return epochDate_; }
  QLineEdit* EpochJDField() const { return epochJD_; }
  QRadioButton* CalendarFormat() const { return calendar_; }
  QRadioButton* JulianFormat() const { return julian_; }
  QRadioButton* Set(ElementSet set) const { return sets_[static_cast<std::size_t>(set)]; }
  QRadioButton* Equinox(EquinoxChoice choice) const { return equinox_[static_cast<std::size_t>(choice)]; }
  QPushButton* VerifyButton() const { return verify_; }
  QPushButton* FileButton() const { return file_; }
  QPushButton* ClearButton() const { return clear_; }
  /// The "&File..." pop-up: "&Find Saved Elements...", "&Save Current Elements".
  QMenu* FileMenu() const { return fileMenu_; }

  void accept() override;

 private:
  void Load();
  void Store();
  void Enable();
  /// An edit lost the focus: the logic converts, the fields are shown again.
  void Leave(void (ElementDialogLogic::*convert)());

  ElementDialogLogic& logic_;
  QLineEdit *name_, *number_, *epochDate_, *epochJD_;
  std::map<ElementField, QLineEdit*> edits_;
  QRadioButton *calendar_, *julian_;
  std::array<QRadioButton*, 3> sets_{};
  std::array<QRadioButton*, 5> equinox_{};
  QPushButton *verify_, *file_, *clear_;
  QMenu* fileMenu_;
  bool loading_ = false;
};

}  // namespace skarvel::ui
