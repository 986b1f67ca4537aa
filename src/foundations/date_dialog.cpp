#include "foundations/date_dialog.h"

#include "foundations/angles.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

/// Julian dates of 0001-01-01 00:00 and 10000-01-01 00:00: the calendar's range.
constexpr long double kFirstCalendarJD = 1721425.5L;
constexpr long double kEndCalendarJD = 5373484.5L;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::optional<double> ParseDateField(std::string_view text, std::int32_t currentYear) {
  text = Trim(text);
  const std::size_t first = text.find('/');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = text.find('/', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  const std::string_view y = text.substr(0, first);
  const std::string_view m = text.substr(first + 1, second - first - 1);
  const std::string_view d = text.substr(second + 1);
  if (!AllDigits(y) || !AllDigits(m) || !AllDigits(d) || y.size() > 4 || m.size() > 2 || d.size() > 2) {
    return std::nullopt;
  }
  std::int32_t year = *ParseInteger(y);
  if (y.size() < 3) year += currentYear / 100 * 100;
  return EncodeDate(year, *ParseInteger(m), *ParseInteger(d));
}

std::optional<long double> ParseTimeField(std::string_view text) {
  std::string rest(text);
  const auto part = [&rest](char sep) -> std::optional<long double> {
    std::size_t n = 0;
    while (n < rest.size() && (rest[n] == ' ' || rest[n] == sep)) ++n;
    if (n == rest.size()) {
      rest.clear();
      return 0.0L;  // a missing part counts as 0
    }
    return ReadNumberToken(rest, sep);
  };
  const auto hours = part(':');
  if (!hours) return std::nullopt;
  const auto minutes = part(':');
  if (!minutes) return std::nullopt;
  const auto seconds = part(' ');
  if (!seconds) return std::nullopt;
  long double h = *hours;
  if (rest == "PM") {
    if (h >= 13) return std::nullopt;  // "13:00 PM" names no time
    if (h < 12) h += 12;               // 12 PM is noon
  }
  if (!(h >= 0 && h < 24 && *minutes >= 0 && *minutes < 60 && *seconds >= 0 && *seconds < 60)) return std::nullopt;
  return (h + (*minutes + *seconds / 60) / 60) / 24;
}

CalendarToJulian ConvertCalendarFields(std::string_view dateText, std::string_view timeText, std::int32_t currentYear) {
  CalendarToJulian r;
  if (Trim(dateText).empty()) return r;
  const auto date = ParseDateField(dateText, currentYear);
  const auto time = ParseTimeField(timeText);
  if (!date || !time) {
    r.status = FieldConversion::kError;
    r.error.text =
        "\"" + std::string(dateText) + " " + std::string(timeText) + "\" is not a valid Calendar Date and/or Time!";
    r.error.caption = std::string(kCalendarDateErrorCaption);
    return r;
  }
  r.status = FieldConversion::kConverted;
  r.jd = DateTimeToDays(*date) + *time + kJulianDateOffset;
  r.julianDateText = FormatFixed(5, r.jd);
  return r;
}

JulianToCalendar ConvertJulianDateField(std::string_view jdText) {
  JulianToCalendar r;
  if (Trim(jdText).empty()) return r;
  const auto jd = ParseDecimal(jdText);
  if (!jd || *jd < kFirstCalendarJD || *jd >= kEndCalendarJD) {
    r.status = FieldConversion::kError;
    r.error.text = "\"" + std::string(jdText) + "\" is not a valid Julian Date!";
    r.error.caption = std::string(kJulianDateErrorCaption);
    return r;
  }
  r.status = FieldConversion::kConverted;
  r.jd = *jd;
  const double dt = DaysToDateTime(*jd - kJulianDateOffset);
  r.dateText = DateFieldText(dt);
  r.timeText = TimeFieldText(dt);
  return r;
}

}  // namespace skarvel
