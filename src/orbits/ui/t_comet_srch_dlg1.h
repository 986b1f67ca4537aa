// "Search Comet Orbit File": a thin view of CometSearchDialogLogic.
#pragma once

#include <QDialog>

#include "orbits/comet_listing.h"
#include "orbits/ui/date_time_edits.h"

class QLineEdit;
class QRadioButton;

namespace skarvel::ui {

class TCometSrchDlg1 : public QDialog {
  Q_OBJECT
 public:
  explicit TCometSrchDlg1(CometSearchDialogLogic& logic, QWidget* parent = nullptr);

  QRadioButton* CalendarFormat() const { return when_.calendar; }
  QRadioButton* JulianFormat() const { return when_.julian; }
  QLineEdit* DateField() const { return when_.date; }
  QLineEdit* TimeField() const { return when_.time; }
  QLineEdit* JulianDateField() const { return when_.julianDate; }

  void accept() override;

 private:
  void Load();
  void Store();

  CometSearchDialogLogic& logic_;
  DateTimeEdits when_;
  bool loading_ = false;
};

}  // namespace skarvel::ui
