// "Search Comet Orbit File": a thin view of CometSearchDialogLogic.
#pragma once

#include <QDialog>

#include "orbits/comet_listing.h"

class QLineEdit;
class QRadioButton;

namespace skarvel::ui {

class TCometSrchDlg1 : public QDialog {
  Q_OBJECT
 public:
  explicit TCometSrchDlg1(CometSearchDialogLogic& logic, QWidget* parent = nullptr);

  QRadioButton* CalendarFormat() const { return calendar_; }
  QRadioButton* JulianFormat() const { return julian_; }
  QLineEdit* DateField() const { return date_; }
  QLineEdit* TimeField() const { return time_; }
  QLineEdit* JulianDateField() const { return julianDate_; }

  void accept() override;

 private:
  void Load();
  void Store();

  CometSearchDialogLogic& logic_;
  QRadioButton *calendar_, *julian_;
  QLineEdit *date_, *time_, *julianDate_;
  bool loading_ = false;
};

}  // namespace skarvel::ui
