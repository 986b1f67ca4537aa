#include "orbits/ui/date_time_edits.h"

#include <QBoxLayout>

#include "foundations/date_dialog.h"

namespace skarvel::ui {

DateTimeEdits DateTimeEdits::Make(QWidget* parent, const QString& formatTitle, Qt::Orientation buttons) {
  DateTimeEdits e;
  e.format = new QGroupBox(formatTitle, parent);
  e.format->setObjectName("DateFrmtGrp");
  e.calendar = new QRadioButton("Calendar (&YMD-HMS)", e.format);
  e.julian = new QRadioButton("&Julian Date ", e.format);
  auto* layout = new QBoxLayout(buttons == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom,
                                e.format);
  layout->addWidget(e.calendar);
  layout->addWidget(e.julian);
  e.date = MakeEdit(parent, "YMDInEd", kDateFieldLength, kDateFieldHint.data());
  e.time = MakeEdit(parent, "HMSInEd", kTimeFieldLength);
  e.julianDate = MakeEdit(parent, "StrtJDEd", kJulianDateFieldLength);
  return e;
}

}  // namespace skarvel::ui
