// "Positions for Mean Motion" (`TMeanEphForm1`): the object's name and its two
// positions; OK hands the texts to the accepting function and closes when it agrees.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <vector>

#include "orbits/mean_motion_forms.h"

class QGridLayout;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace skarvel::ui {

/// The fields of one position: date, time, JD, RA h m s, Dec d m s.
struct MotionPointEdits {
  QLineEdit *date, *time, *julianDate, *raHours, *raMinutes, *raSeconds, *decDegrees, *decMinutes, *decSeconds;
};

/// Builds the fields of a position (labels as the dialog shows them) into `layout`.
MotionPointEdits AddMotionPointFields(QGridLayout* layout, int row, const QString& dateLabel,
                                      const QString& julianLabel, const QString& prefix);
void LoadMotionPoint(const MotionPointEdits& edits, const MotionPointFields& fields);
MotionPointFields StoreMotionPoint(const MotionPointEdits& edits);
/// Enables the calendar or the Julian date fields.
void EnableDateFormat(const MotionPointEdits& edits, int dateFormat);
/// The "Date/Time Format" group on `dateFormat`; its buttons switch the fields of `points`.
QGroupBox* DateFormatGroup(QRadioButton*& calendar, QRadioButton*& julian, int dateFormat,
                           std::vector<const MotionPointEdits*> points);

class TMeanEphForm1 : public QDialog {
  Q_OBJECT
 public:
  using Accept = std::function<bool(const MeanMotionForm&)>;
  /// The dialog on `form` (which must outlive it); OK stores the fields and closes when `accept` agrees.
  TMeanEphForm1(MeanMotionForm& form, Accept accept, QWidget* parent = nullptr);

  QLineEdit* NameField() const { return name_; }
  const MotionPointEdits& Position(int n) const { return n == 1 ? first_ : second_; }
  QRadioButton* CalendarFormat() const { return calendar_; }
  QRadioButton* JulianFormat() const { return julian_; }

  void accept() override;

 private:
  MeanMotionForm& form_;
  Accept accept_;
  QLineEdit* name_;
  MotionPointEdits first_{}, second_{};
  QRadioButton *calendar_, *julian_;
};

}  // namespace skarvel::ui
