#include "orbits/ui/t_mean_eph_form1.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace skarvel::ui {

namespace {

QString FromText(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string ToText(const QLineEdit* edit) { return edit->text().toLatin1().toStdString(); }

QLineEdit* Field(QGridLayout* layout, int row, int column, const QString& name, const QString& hint) {
  auto* edit = new QLineEdit;
  edit->setObjectName(name);
  edit->setToolTip(hint);
  edit->setPlaceholderText(hint);
  layout->addWidget(edit, row, column);
  return edit;
}

}  // namespace

MotionPointEdits AddMotionPointFields(QGridLayout* layout, int row, const QString& dateLabel,
                                      const QString& julianLabel, const QString& prefix) {
  MotionPointEdits e{};
  layout->addWidget(new QLabel(dateLabel), row, 0);
  e.date = Field(layout, row, 1, prefix + "Date", "Use Full (4 digit) Year");
  e.time = Field(layout, row, 2, prefix + "Time", "HH:MM:SS");
  layout->addWidget(new QLabel(julianLabel), row, 3);
  e.julianDate = Field(layout, row, 4, prefix + "JD", "");
  layout->addWidget(new QLabel("RA:"), row + 1, 0);
  e.raHours = Field(layout, row + 1, 1, prefix + "RAHr", "0-23");
  e.raMinutes = Field(layout, row + 1, 2, prefix + "RAMin", "0-59");
  e.raSeconds = Field(layout, row + 1, 3, prefix + "RASec", "0.00-59.99");
  layout->addWidget(new QLabel("Dec:"), row + 2, 0);
  e.decDegrees = Field(layout, row + 2, 1, prefix + "DecDeg", "89 - -89");
  e.decMinutes = Field(layout, row + 2, 2, prefix + "DecMin", "0-59");
  e.decSeconds = Field(layout, row + 2, 3, prefix + "DecSec", "0.00-59.99");
  return e;
}

void LoadMotionPoint(const MotionPointEdits& e, const MotionPointFields& f) {
  e.date->setText(FromText(f.date));
  e.time->setText(FromText(f.time));
  e.julianDate->setText(FromText(f.julianDate));
  e.raHours->setText(FromText(f.raHours));
  e.raMinutes->setText(FromText(f.raMinutes));
  e.raSeconds->setText(FromText(f.raSeconds));
  e.decDegrees->setText(FromText(f.decDegrees));
  e.decMinutes->setText(FromText(f.decMinutes));
  e.decSeconds->setText(FromText(f.decSeconds));
}

MotionPointFields StoreMotionPoint(const MotionPointEdits& e) {
  return {ToText(e.date),       ToText(e.time),       ToText(e.julianDate),
          ToText(e.raHours),    ToText(e.raMinutes),  ToText(e.raSeconds),
          ToText(e.decDegrees), ToText(e.decMinutes), ToText(e.decSeconds)};
}

void EnableDateFormat(const MotionPointEdits& e, int dateFormat) {
  e.date->setEnabled(dateFormat == 0);
  e.time->setEnabled(dateFormat == 0);
  e.julianDate->setEnabled(dateFormat != 0);
}

QGroupBox* DateFormatGroup(QRadioButton*& calendar, QRadioButton*& julian, int dateFormat,
                           std::vector<const MotionPointEdits*> points) {
  auto* group = new QGroupBox("Date/Time Format");
  auto* box = new QHBoxLayout(group);
  calendar = new QRadioButton("Calendar (&YMD-HMS)");
  julian = new QRadioButton("&Julian Date ");
  calendar->setObjectName("CalendarFormat");
  julian->setObjectName("JulianFormat");
  box->addWidget(calendar);
  box->addWidget(julian);
  (dateFormat == 0 ? calendar : julian)->setChecked(true);
  QObject::connect(calendar, &QRadioButton::toggled, group, [points](bool on) {
    for (const MotionPointEdits* p : points) EnableDateFormat(*p, on ? 0 : 1);
  });
  for (const MotionPointEdits* p : points) EnableDateFormat(*p, dateFormat);
  return group;
}

TMeanEphForm1::TMeanEphForm1(MeanMotionForm& form, Accept accept, QWidget* parent)
    : QDialog(parent), form_(form), accept_(std::move(accept)) {
  setObjectName("TMeanEphForm1");
  setWindowTitle("Positions for Mean Motion");
  auto* layout = new QVBoxLayout(this);
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(new QLabel("Object:"));
  name_ = new QLineEdit(FromText(form.name));
  name_->setObjectName("ObjectName");
  name_->setMaxLength(static_cast<int>(MeanMotionRecord::kNameChars));
  nameRow->addWidget(name_);
  layout->addLayout(nameRow);
  for (int n = 1; n <= 2; ++n) {
    auto* group = new QGroupBox(QString("Position %1").arg(n));
    auto* grid = new QGridLayout(group);
    MotionPointEdits& edits = n == 1 ? first_ : second_;
    edits = AddMotionPointFields(grid, 0, "Date (TDT):", "JDT:", QString("P%1").arg(n));
    LoadMotionPoint(edits, n == 1 ? form.first : form.second);
    layout->addWidget(group);
  }
  layout->addWidget(DateFormatGroup(calendar_, julian_, form.dateFormat, {&first_, &second_}));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &TMeanEphForm1::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TMeanEphForm1::reject);
  layout->addWidget(buttons);
}

void TMeanEphForm1::accept() {
  MeanMotionForm typed;
  typed.name = ToText(name_);
  typed.dateFormat = julian_->isChecked() ? 1 : 0;
  typed.first = StoreMotionPoint(first_);
  typed.second = StoreMotionPoint(second_);
  if (accept_ && !accept_(typed)) return;
  form_ = typed;
  QDialog::accept();
}

}  // namespace skarvel::ui
