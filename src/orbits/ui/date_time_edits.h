// The instant fields of the orbit dialogs (comet search, ephemeris, field
// search): the "Date/Time Format" choice and the date, time and Julian date
// edits, loaded from and stored to the dialog logic's fields.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>

#include "platform/ui/line_edit.h"

namespace skarvel::ui {

struct DateTimeEdits {
  QGroupBox* format = nullptr;       ///< "Date/Time Format" (`DateFrmtGrp`)
  QRadioButton* calendar = nullptr;  ///< "Calendar (&YMD-HMS)"
  QRadioButton* julian = nullptr;    ///< "&Julian Date "
  QLineEdit* date = nullptr;         ///< `YMDInEd`, hint "Use Full (4 digit) Year"
  QLineEdit* time = nullptr;         ///< `HMSInEd`
  QLineEdit* julianDate = nullptr;   ///< `StrtJDEd`

  /// Makes them as children of `parent`: the group titled `formatTitle`,
  /// its two buttons in a row (Qt::Horizontal) or a column.
  static DateTimeEdits Make(QWidget* parent, const QString& formatTitle, Qt::Orientation buttons);

  /// Shows the format and the three texts of `f` (a dialog's fields with
  /// dateFormat 0 calendar / 1 Julian date, date, time and julianDate).
  template <typename Fields>
  void Load(const Fields& f) const {
    (f.dateFormat == 1 ? julian : calendar)->setChecked(true);
    date->setText(platform::ToQt(f.date));
    time->setText(platform::ToQt(f.time));
    julianDate->setText(platform::ToQt(f.julianDate));
  }

  /// Reads the format and the three texts back into `f`.
  template <typename Fields>
  void Store(Fields& f) const {
    f.dateFormat = julian->isChecked() ? 1 : 0;
    f.date = EditText(date);
    f.time = EditText(time);
    f.julianDate = EditText(julianDate);
  }

  /// Leaving the date or the time edit runs `store`, logic.LeaveCalendarFields()
  /// and `load`; leaving the Julian date edit the same with
  /// logic.LeaveJulianField(). Nothing happens while `loading` is set.
  template <typename Logic>
  void ConnectLeaving(QObject* context, Logic& logic, const bool& loading, const std::function<void()>& store,
                      const std::function<void()>& load) const {
    for (QLineEdit* e : {date, time})
      QObject::connect(e, &QLineEdit::editingFinished, context, [&logic, &loading, store, load] {
        if (loading) return;
        store();
        logic.LeaveCalendarFields();
        load();
      });
    QObject::connect(julianDate, &QLineEdit::editingFinished, context, [&logic, &loading, store, load] {
      if (loading) return;
      store();
      logic.LeaveJulianField();
      load();
    });
  }
};

}  // namespace skarvel::ui
