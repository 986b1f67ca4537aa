#include "orbits/search_form.h"

#include "foundations/angles.h"
#include "foundations/date_dialog.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"
#include "foundations/time_scales.h"
#include "orbits/ephemeris_form.h"

namespace skarvel {

using platform::Icon;

namespace {

/// A limit shown in the limit boxes: a right ascension outside 0..24 h (a box
/// that DeriveBox left unwrapped) is brought back into it.
std::string RaLimitText(long double hours) {
  if (hours < 0) hours += 24;
  if (hours > 24) hours -= 24;
  return FormatFixed(2, hours);
}

}  // namespace

SearchDialogLogic::SearchDialogLogic(SearchParams& params, SearchDialogSettings settings, platform::Platform& ui,
                                     std::function<bool()> confirmSite,
                                     std::function<std::optional<ImageFieldInfo>(int slot)> imageField)
    : params_(params),
      work_(params),
      settings_(settings),
      ui_(ui),
      confirmSite_(std::move(confirmSite)),
      imageField_(std::move(imageField)) {
  Load();
}

std::string SearchDialogLogic::Caption() const {
  return "Search " + std::string(ElementSourceName(work_.source));
}

bool SearchDialogLogic::ImageItemEnabled(int slot) const {
  return slot >= 0 && slot < 4 && settings_.imagesLoaded[static_cast<std::size_t>(slot)];
}

void SearchDialogLogic::Load() {
  const SearchParams& p = work_;
  fields.dateFormat = p.dateFormat;
  fields.julianDate = p.instant.JDText(5);
  const JulianToCalendar back = ConvertJulianDateField(fields.julianDate);
  fields.date = back.dateText;
  fields.time = back.timeText;
  const SexagesimalRec ra = SplitRounded(p.centerRaHours, 2);
  fields.raHours = std::to_string(ra.degrees);
  fields.raMinutes = std::to_string(ra.minutes);
  fields.raSeconds = FormatFixed(2, ra.seconds);
  const SexagesimalRec dec = SplitRounded(p.centerDecDeg, 1);
  fields.decDegrees = (dec.sign < 0 ? "-" : "") + std::to_string(dec.degrees);
  fields.decMinutes = std::to_string(dec.minutes);
  fields.decSeconds = FormatFixed(1, dec.seconds);
  fields.kind = p.kind;
  const long double hDeg = p.halfSizeRad * kDegreesPerRadian;
  fields.size = FormatFixed(1, p.kind == FieldKind::kArcMinutes ? 120 * hDeg : 2 * hDeg);
  fields.raMin = RaLimitText(p.raMinHours);
  fields.raMax = RaLimitText(p.raMaxHours);
  fields.decMin = FormatFixed(2, p.decMinDeg);
  fields.decMax = FormatFixed(2, p.decMaxDeg);
  fields.bright = FormatFixed(1, p.brightMag);
  fields.faint = FormatFixed(1, p.faintMag);
  fields.nearAu = FormatFixed(1, p.nearAu);
  fields.farAu = FormatFixed(1, p.farAu);
  fields.altitude = FormatFixed(1, p.minAltitudeDeg);
  fields.opposition = p.opposition;
}

void SearchDialogLogic::LoadKeepingRanges() {
  const SearchFields typed = fields;
  Load();
  fields.bright = typed.bright;
  fields.faint = typed.faint;
  fields.nearAu = typed.nearAu;
  fields.farAu = typed.farAu;
  fields.altitude = typed.altitude;
}

void SearchDialogLogic::LeaveCalendarFields() {
  const CalendarToJulian c = ConvertCalendarFields(fields.date, fields.time, settings_.currentYear);
  if (c.status == FieldConversion::kConverted) {
    fields.julianDate = c.julianDateText;
  } else if (c.status == FieldConversion::kError) {
    platform::Tell(ui_, c.error.text, c.error.caption, Icon::Error);
  }
}

void SearchDialogLogic::LeaveJulianField() {
  const JulianToCalendar j = ConvertJulianDateField(fields.julianDate);
  if (j.status == FieldConversion::kConverted) {
    fields.date = j.dateText;
    fields.time = j.timeText;
  } else if (j.status == FieldConversion::kError) {
    platform::Tell(ui_, j.error.text, j.error.caption, Icon::Error);
  }
}

void SearchDialogLogic::Opposition() {
  const auto jd =
      ReadStartJD(fields.dateFormat, fields.date, fields.time, fields.julianDate, settings_.currentYear, ui_);
  if (!jd) return;
  work_.dateFormat = fields.dateFormat == 1 ? 1 : 0;
  work_.instant.tzOffset = 0;
  work_.instant.SetJD(*jd);
  SetOppositionCentre(work_);
  // The ranges as typed become the stored ones; a text that is no number keeps the stored value.
  if (const auto v = ParseDecimal(fields.bright)) work_.brightMag = *v;
  if (const auto v = ParseDecimal(fields.faint)) work_.faintMag = *v;
  if (const auto v = ParseDecimal(fields.nearAu)) work_.nearAu = *v;
  if (const auto v = ParseDecimal(fields.farAu)) work_.farAu = *v;
  LoadKeepingRanges();
}

void SearchDialogLogic::FromImage(int slot) {
  if (!ImageItemEnabled(slot) || !imageField_) return;
  const auto info = imageField_(slot);
  if (!info) return;
  const long double jdUtc = DateTimeToDays(info->observationTime) + kJulianDateOffset;
  work_.instant.tzOffset = 0;
  work_.instant.SetJD(UtcToTT(jdUtc));
  if (info->solved) {
    work_.centerRaHours = info->solvedRaHours;
    work_.centerDecDeg = info->solvedDecDeg;
  } else if (settings_.chartRaHours != 0 && settings_.chartDecDeg != 0) {
    work_.centerRaHours = settings_.chartRaHours;
    work_.centerDecDeg = settings_.chartDecDeg;
  } else {
    work_.centerRaHours = info->headerRaHours;
    work_.centerDecDeg = info->headerDecDeg;
  }
  work_.kind = FieldKind::kArcMinutes;
  work_.halfSizeRad = info->fieldWidthArcMin / 120 * kRadiansPerDegree;
  work_.opposition = false;
  work_.DeriveBox();
  LoadKeepingRanges();
  NoteImageTime(jdUtc);
}

bool SearchDialogLogic::Ok() {
  SearchParams p = work_;
  auto jd = ReadStartJD(fields.dateFormat, fields.date, fields.time, fields.julianDate, settings_.currentYear, ui_);
  if (!jd) return false;
  // An image's time still shown is searched to the full precision, not to the second the fields show.
  if (const auto image = note_.InstantTT(fields.date, fields.time, fields.julianDate)) jd = image;
  p.dateFormat = fields.dateFormat == 1 ? 1 : 0;
  p.instant.tzOffset = 0;
  p.instant.SetJD(*jd);
  SearchFieldInput in;
  in.kind = fields.kind;
  in.raHours = fields.raHours;
  in.raMinutes = fields.raMinutes;
  in.raSeconds = fields.raSeconds;
  in.decDegrees = fields.decDegrees;
  in.decMinutes = fields.decMinutes;
  in.decSeconds = fields.decSeconds;
  in.size = fields.size;
  in.raMin = fields.raMin;
  in.raMax = fields.raMax;
  in.decMin = fields.decMin;
  in.decMax = fields.decMax;
  const auto warn = [this](std::string_view text) {
    platform::Tell(ui_, std::string(text), std::string(kSearchInputErrorCaption), Icon::Warning);
    return false;
  };
  if (const auto problem = ReadFieldInput(in, p)) return warn(*problem);
  const auto bright = ParseDecimal(fields.bright);
  const auto faint = ParseDecimal(fields.faint);
  if (!bright || !faint || *bright > *faint) return warn(kMagnitudeRangeError);
  const auto nearAu = ParseDecimal(fields.nearAu);
  const auto farAu = ParseDecimal(fields.farAu);
  if (!nearAu || !farAu || *nearAu < 0 || *farAu < *nearAu) return warn(kDistanceRangeError);
  const auto altitude = ParseDecimal(fields.altitude);
  if (!altitude || *altitude < 0 || *altitude > 90) return warn(kAltitudeError);
  p.brightMag = *bright;
  p.faintMag = *faint;
  p.nearAu = *nearAu;
  p.farAu = *farAu;
  p.minAltitudeDeg = *altitude;
  p.opposition = fields.opposition;
  if (p.minAltitudeDeg > 0 && !settings_.expertMode && confirmSite_ && !confirmSite_()) return false;
  work_ = p;
  params_ = p;
  Load();
  return true;
}

void SearchDialogLogic::NoteImageTime(long double jdUtc) {
  note_.Set(jdUtc, fields.date, fields.time, fields.julianDate);
}

std::string SearchDialogLogic::TimeNote() const {
  return note_.Text(fields.date, fields.time, fields.julianDate);
}

}  // namespace skarvel
