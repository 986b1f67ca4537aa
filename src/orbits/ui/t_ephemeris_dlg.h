// "Ephemeris Generation Parameters": a thin view of EphemerisDialogLogic.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "orbits/ephemeris_form.h"
#include "orbits/ui/date_time_edits.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace skarvel::ui {

class TEphemerisDlg : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on `logic`, which must outlive it.
  explicit TEphemerisDlg(EphemerisDialogLogic& logic, QWidget* parent = nullptr);
  ~TEphemerisDlg() override;

  QRadioButton* CalendarFormat() const { return when_.calendar; }
  QRadioButton* JulianFormat() const { return when_.julian; }
  QLineEdit* DateField() const { return when_.date; }
  QLineEdit* TimeField() const { return when_.time; }
  QLineEdit* JulianDateField() const { return when_.julianDate; }
  QLineEdit* PointsField() const { return points_; }
  QLineEdit* IntervalField() const { return interval_; }
  QRadioButton* Hours() const { return hours_; }
  QRadioButton* Days() const { return days_; }
  QRadioButton* Equinox(EquinoxChoice choice) const { return equinox_[static_cast<std::size_t>(choice)]; }
  QLabel* StartLabel() const { return startLabel_; }
  /// The image's UTC with the TT used, below the start ("" when the start holds no image time).
  QLabel* TimeNote() const { return timeNote_; }

  void accept() override;

 private:
  void Load();
  void Store();
  void Enable();

  EphemerisDialogLogic& logic_;
  DateTimeEdits when_;
  QRadioButton *hours_, *days_;
  std::array<QRadioButton*, 5> equinox_{};
  QLineEdit *points_, *interval_;
  QLabel* startLabel_;
  QLabel* timeNote_;
  bool loading_ = false;
};

}  // namespace skarvel::ui
