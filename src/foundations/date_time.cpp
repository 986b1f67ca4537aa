#include "foundations/date_time.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/sky_coord.h"
#include "foundations/strings.h"

namespace skarvel {

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
/// Days from 1899-12-30 to 1970-01-01.
constexpr std::int64_t kUnixEpochDays = 25569;
/// Date-time values are clamped to this magnitude before decoding (days).
constexpr long double kDecodeLimitDays = 1.0e9L;

/// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
/// days_from_civil, valid for every year).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

/// The proleptic Gregorian date of a day count since 1970-01-01 (civil_from_days).
CalendarDate CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const auto d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const auto m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  CalendarDate date;
  date.year = static_cast<std::int32_t>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  date.month = m;
  date.day = d;
  return date;
}

/// A date-time value rounded to whole milliseconds: the signed day part and
/// the millisecond of the day (OLE convention for negative values).
struct SplitValue {
  std::int64_t days;
  std::int64_t msOfDay;
};

SplitValue SplitDateTimeValue(double dateTime) {
  long double v = dateTime;
  if (std::isnan(v)) v = 0;
  if (v > kDecodeLimitDays) v = kDecodeLimitDays;
  if (v < -kDecodeLimitDays) v = -kDecodeLimitDays;
  const auto total = static_cast<std::int64_t>(std::nearbyint(v * kMsPerDay));
  SplitValue s;
  s.days = total / kMsPerDay;
  s.msOfDay = (total < 0 ? -total : total) % kMsPerDay;
  return s;
}

int DaysInMonth(std::int32_t year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

std::string ZeroPadded(long long v, std::size_t width) {
  const bool negative = v < 0;
  std::string digits = std::to_string(negative ? -v : v);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return negative ? "-" + digits : digits;
}

}  // namespace

std::string_view MonthName(int month) {
  if (month < 1 || month > 12) return {};
  return kMonthNames[static_cast<std::size_t>(month - 1)];
}

bool IsValidDate(std::int32_t year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

std::optional<double> EncodeDate(std::int32_t year, int month, int day) {
  if (!IsValidDate(year, month, day)) return std::nullopt;
  return static_cast<double>(DaysFromCivil(year, month, day) + kUnixEpochDays);
}

CalendarDate DecodeDate(double dateTime) {
  return CivilFromDays(SplitDateTimeValue(dateTime).days - kUnixEpochDays);
}

TimeOfDayObj DecodeTimeOfDay(double dateTime) {
  const SplitValue s = SplitDateTimeValue(dateTime);
  TimeOfDayObj t;
  t.hour = static_cast<std::uint8_t>(s.msOfDay / 3600000);
  t.minute = static_cast<std::uint8_t>(s.msOfDay / 60000 % 60);
  const std::int64_t ms = s.msOfDay % 60000;
  t.seconds = static_cast<float>(ms / 1000) + static_cast<float>(ms % 1000) / 1000.0f;
  t.moment = dateTime;
  return t;
}

long double DateTimeToDays(double dateTime) {
  const long double v = dateTime;
  if (v >= 0 || std::isnan(v)) return v;
  const long double whole = std::trunc(v);
  return whole + (whole - v);  // whole days back, then forward by the time of day
}

double DaysToDateTime(long double days) {
  if (days >= 0 || std::isnan(days)) return static_cast<double>(days);
  const long double whole = std::floor(days);
  const long double timeOfDay = days - whole;
  return static_cast<double>(whole - timeOfDay);
}

std::optional<double> EncodeDateTime(std::int32_t year, int month, int day, int hour, int minute, long double seconds) {
  const auto date = EncodeDate(year, month, day);
  if (!date) return std::nullopt;
  const long double secondOfDay = hour * 3600.0L + minute * 60.0L + seconds;
  if (!(secondOfDay >= 0 && secondOfDay < kSecondsPerDay)) return std::nullopt;
  return DaysToDateTime(*date + secondOfDay / kSecondsPerDay);
}

double CurrentDateTimeValue() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto value = EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                    local.tm_sec + static_cast<long double>(ms % 1000) / 1000);
  return value.value_or(0.0);
}

DaysAndTime SplitDays(long double x) {
  constexpr long double kBias = 1.1574074074074074e-9L;  // 0.1 ms in days
  x += kBias;
  const long double whole = x < 0 ? std::floor(x) : std::trunc(x);
  const long double f = x - whole;
  const long double hours = 24 * f;
  const long double wholeHours = std::trunc(hours);
  const long double g = hours - wholeHours;
  const long double minutes = 60 * g;
  const long double wholeMinutes = std::trunc(minutes);
  DaysAndTime r;
  r.wholeDays = static_cast<std::int64_t>(whole);
  r.time.hour = static_cast<std::uint8_t>(wholeHours);
  r.time.minute = static_cast<std::uint8_t>(wholeMinutes);
  r.time.seconds = static_cast<float>((minutes - wholeMinutes) * 60);
  return r;
}

long double DayFraction(const TimeOfDayObj& t) {
  return t.hour / 24.0L + t.minute / kMinutesPerDay + static_cast<long double>(t.seconds) / kSecondsPerDay;
}

std::string TimeText(const TimeOfDayObj& t, int decimals, std::string_view sep1, std::string_view sep2,
                     std::string_view sep3) {
  const long double hours = t.hour + t.minute / 60.0L + static_cast<long double>(t.seconds) / 3600.0L;
  return FormatDMS(hours, decimals, sep1, sep2, sep3).substr(2);
}

long double TenMillennia(long double jd) {
  return (jd - kJD_J2000) / 3652500.0L;
}

long double LocalSiderealTime(long double jd, long double longitudeEast) {
  long double lst = (SiderealAngle(CoordMode::kMean, jd) + longitudeEast) * 24.0L / kTwoPi;
  if (lst < 0) lst += 24;
  if (lst > 24) lst -= 24;
  return lst;
}

std::string ShortDateText(const CalendarDate& date) {
  return ZeroPadded(date.month, 2) + "/" + ZeroPadded(date.day, 2) + "/" + std::to_string(date.year);
}

std::string LongDateText(const CalendarDate& date) {
  return std::string(MonthName(date.month)) + " " + std::to_string(date.day) + ", " + std::to_string(date.year);
}

std::string DateFieldText(double dateTime) {
  const CalendarDate d = DecodeDate(dateTime);
  return ZeroPadded(d.year, 4) + "/" + ZeroPadded(d.month, 2) + "/" + ZeroPadded(d.day, 2);
}

std::string TimeFieldText(double dateTime) {
  const TimeOfDayObj t = DecodeTimeOfDay(dateTime);
  return ZeroPadded(t.hour, 2) + ":" + ZeroPadded(t.minute, 2) + ":" + ZeroPadded(static_cast<long long>(t.seconds), 2);
}

std::string TimeFieldTextMs(double dateTime) {
  constexpr long long kMsPerDay = 86400000;
  const long double days = DateTimeToDays(dateTime);
  long long ms = std::llround((days - std::floor(days)) * kMsPerDay);
  if (ms >= kMsPerDay) ms = kMsPerDay - 1;
  if (ms < 0) ms = 0;
  std::string text = ZeroPadded(ms / 3600000, 2) + ":" + ZeroPadded(ms / 60000 % 60, 2) + ":" + ZeroPadded(ms / 1000 % 60, 2);
  if (ms % 1000 != 0) text += "." + ZeroPadded(ms % 1000, 3);
  return text;
}

void DateTimeObj::InitNow(float tzHours) {
  tzOffset = static_cast<long double>(tzHours) / 24.0L;
  SetNow();
}

void DateTimeObj::SetNow() {
  SetDateTime(CurrentDateTimeValue());
}

void DateTimeObj::SetDateTime(double dt) {
  civil = dt;
  const CalendarDate date = DecodeDate(dt);
  year = date.year;
  month = static_cast<std::uint8_t>(date.month);
  day = static_cast<std::uint8_t>(date.day);
  localTime = DecodeTimeOfDay(dt);
  utTime = DecodeTimeOfDay(tzOffset == 0 ? dt : DaysToDateTime(DateTimeToDays(dt) + tzOffset));
}

bool DateTimeObj::SetFromFields() {
  const auto value =
      EncodeDateTime(year, month, day, utTime.hour, utTime.minute, static_cast<long double>(utTime.seconds));
  if (!value) return false;
  civil = *value;
  utTime.moment = *value;
  return true;
}

long double DateTimeObj::GetJD() const {
  return tzOffset + DateTimeToDays(civil) + kJulianDateOffset;
}

void DateTimeObj::SetJD(long double jd) {
  SetDateTime(DaysToDateTime(jd - tzOffset - kJulianDateOffset));
}

std::string DateTimeObj::LongDateText() const {
  return skarvel::LongDateText({year, month, day});
}

std::string DateTimeObj::ShortDateText() const {
  return skarvel::ShortDateText({year, month, day});
}

std::string DateTimeObj::JDText(int decimals) const {
  return FormatFixed(decimals, GetJD());
}

long double DateTimeObj::LocalSiderealTime(long double longitudeEast) const {
  return skarvel::LocalSiderealTime(GetJD(), longitudeEast);
}

}  // namespace skarvel
