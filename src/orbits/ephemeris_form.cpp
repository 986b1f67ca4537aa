#include "orbits/ephemeris_form.h"

#include <cmath>

#include "foundations/date_dialog.h"
#include "foundations/strings.h"
#include "foundations/time_scales.h"

namespace skarvel {

using platform::Icon;

std::optional<long double> ReadStartJD(int dateFormat, const std::string& date, const std::string& time,
                                       const std::string& julianDate, std::int32_t currentYear,
                                       platform::Platform& ui) {
  if (dateFormat == 0) {
    const CalendarToJulian c = ConvertCalendarFields(date, time, currentYear);
    if (c.status == FieldConversion::kConverted) return c.jd;
    // An empty date is as unreadable as a wrong one when the start is needed.
    const DialogMessage m =
        c.status == FieldConversion::kError
            ? c.error
            : DialogMessage{"\"" + date + " " + time + "\" is not a valid Calendar Date and/or Time!",
                            std::string(kCalendarDateErrorCaption)};
    platform::Tell(ui, m.text, m.caption, Icon::Error);
    return std::nullopt;
  }
  const JulianToCalendar j = ConvertJulianDateField(julianDate);
  if (j.status == FieldConversion::kConverted) return j.jd;
  const DialogMessage m =
      j.status == FieldConversion::kError
          ? j.error
          : DialogMessage{"\"" + julianDate + "\" is not a valid Julian Date!", std::string(kJulianDateErrorCaption)};
  platform::Tell(ui, m.text, m.caption, Icon::Error);
  return std::nullopt;
}

void LeaveCalendarPair(const std::string& date, const std::string& time, std::string& julianDate,
                       std::int32_t currentYear, platform::Platform& ui) {
  const CalendarToJulian c = ConvertCalendarFields(date, time, currentYear);
  if (c.status == FieldConversion::kConverted)
    julianDate = c.julianDateText;
  else if (c.status == FieldConversion::kError)
    platform::Tell(ui, c.error.text, c.error.caption, Icon::Error);
}

void LeaveJulianPair(const std::string& julianDate, std::string& date, std::string& time, platform::Platform& ui) {
  const JulianToCalendar j = ConvertJulianDateField(julianDate);
  if (j.status == FieldConversion::kConverted) {
    date = j.dateText;
    time = j.timeText;
  } else if (j.status == FieldConversion::kError) {
    platform::Tell(ui, j.error.text, j.error.caption, Icon::Error);
  }
}

void ImageTimeNote::Set(long double jdUtc, const std::string& date, const std::string& time,
                        const std::string& julianDate) {
  // The TT as the fields show it (through the Julian date of 5 decimals).
  text_ = UtcWithTTText(jdUtc, date + " " + time);
  date_ = date;
  time_ = time;
  julianDate_ = julianDate;
  tt_ = UtcToTT(jdUtc);
}

std::optional<long double> ImageTimeNote::InstantTT(const std::string& date, const std::string& time,
                                                    const std::string& julianDate) const {
  if (Text(date, time, julianDate).empty()) return std::nullopt;
  return tt_;
}

std::string ImageTimeNote::Text(const std::string& date, const std::string& time,
                                const std::string& julianDate) const {
  if (text_.empty() || date != date_ || time != time_ || julianDate != julianDate_) return "";
  return text_;
}

EphemerisDialogLogic::EphemerisDialogLogic(EphemerisParams& params, std::int32_t currentYear, platform::Platform& ui)
    : params_(params), currentYear_(currentYear), ui_(ui) {
  Load();
}

void EphemerisDialogLogic::Load() {
  fields.dateFormat = params_.dateFormat;
  fields.julianDate = params_.start.JDText(5);
  const JulianToCalendar back = ConvertJulianDateField(fields.julianDate);
  fields.date = back.dateText;
  fields.time = back.timeText;
  fields.points = std::to_string(params_.points);
  fields.unitsPerDay = params_.unitsPerDay == 1 ? 1 : 24;
  fields.interval = FormatFixed(2, params_.stepDays * fields.unitsPerDay);
  fields.equinox = params_.equinox;
}

void EphemerisDialogLogic::LeaveCalendarFields() {
  LeaveCalendarPair(fields.date, fields.time, fields.julianDate, currentYear_, ui_);
}

void EphemerisDialogLogic::LeaveJulianField() {
  LeaveJulianPair(fields.julianDate, fields.date, fields.time, ui_);
}

bool EphemerisDialogLogic::Ok() {
  auto jd = ReadStartJD(fields.dateFormat, fields.date, fields.time, fields.julianDate, currentYear_, ui_);
  if (const auto image = note_.InstantTT(fields.date, fields.time, fields.julianDate); jd && image) jd = image;
  if (!jd) return false;
  const auto points = ParseInteger(fields.points);
  if (!points || *points < 1 || *points > kMaxEphemerisPoints) {
    platform::Tell(ui_, std::string(kBadPointsText), std::string(kEphemerisInputErrorCaption), Icon::Error);
    return false;
  }
  const auto interval = ParseDecimal(fields.interval);
  if (!interval || *interval == 0 || !std::isfinite(*interval)) {
    platform::Tell(ui_, std::string(kBadIntervalText), std::string(kEphemerisInputErrorCaption), Icon::Error);
    return false;
  }
  const int unit = fields.unitsPerDay == 1 ? 1 : 24;
  params_.dateFormat = fields.dateFormat == 1 ? 1 : 0;
  params_.start.tzOffset = 0;
  params_.start.SetJD(*jd);
  params_.points = *points;
  params_.unitsPerDay = unit;
  params_.stepDays = *interval / unit;
  params_.SetEquinox(fields.equinox);
  Load();
  return true;
}

void EphemerisDialogLogic::NoteImageTime(long double jdUtc) {
  note_.Set(jdUtc, fields.date, fields.time, fields.julianDate);
}

std::string EphemerisDialogLogic::TimeNote() const {
  return note_.Text(fields.date, fields.time, fields.julianDate);
}

}  // namespace skarvel
