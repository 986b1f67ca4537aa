// Calendar dates, times of day and Julian dates.
//
// A date-time value counts days since 1899-12-30 00:00 with the time of day as
// the fraction, in the OLE Automation convention: for negative values the
// integer part counts days back and the magnitude of the fraction is the time
// of day (-1.25 is 1899-12-29 06:00). The calendar is the proleptic Gregorian
// one (no switch to the Julian calendar in 1582); years 1 to 9999 are the
// system's range, and the routines extend the same calendar beyond it.
//
// No conversion between time scales is made anywhere: a Julian date is used
// exactly as given.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skarvel {

/// Julian date of the date-time origin 1899-12-30 00:00 (days). The system
/// fixes this offset once; it never changes while the program runs.
inline constexpr long double kJulianDateOffset = 2415018.5L;

/// Seconds and minutes per day.
inline constexpr long double kSecondsPerDay = 86400.0L;
inline constexpr long double kMinutesPerDay = 1440.0L;

/// English month names, January first, independent of the locale.
inline constexpr std::array<std::string_view, 12> kMonthNames = {"January",   "February", "March",    "April",
                                                                 "May",       "June",     "July",     "August",
                                                                 "September", "October",  "November", "December"};

/// The English name of month 1..12; "" for any other number.
std::string_view MonthName(int month);

/// A calendar date of the proleptic Gregorian calendar.
struct CalendarDate {
  std::int32_t year = 1899;
  int month = 12;  ///< 1..12
  int day = 30;    ///< 1..31
};

/// Time of day.
struct TimeOfDayObj {
  std::uint8_t hour = 0;    ///< 0..23
  std::uint8_t minute = 0;  ///< 0..59
  float seconds = 0;        ///< seconds including milliseconds (0 <= seconds < 60)
  double moment = 0;        ///< the date-time value the fields were decoded from
};

/// True when year/month/day is a date of the proleptic Gregorian calendar
/// within years 1..9999.
bool IsValidDate(std::int32_t year, int month, int day);

/// The date-time value of 00:00 on a date (days since 1899-12-30).
/// @return nullopt when the date is not valid (see IsValidDate).
std::optional<double> EncodeDate(std::int32_t year, int month, int day);

/// The calendar date of a date-time value, after rounding the value to the
/// nearest millisecond (so 23:59:59.9996 is already the next day). NaN counts
/// as 0; values beyond +-1e9 days are clamped there.
CalendarDate DecodeDate(double dateTime);

/// The time of day of a date-time value: hour, minute, second and millisecond
/// of the value rounded to the nearest millisecond (halves to even), seconds =
/// second + millisecond / 1000, moment = the value. For negative values the
/// time of day is the magnitude of the fraction (OLE convention).
TimeOfDayObj DecodeTimeOfDay(double dateTime);

/// The linear day count (days since 1899-12-30 00:00, increasing with time) of
/// a date-time value. Equal to the value from 0 on; below 0 the OLE fraction is
/// turned around: -1.25 (1899-12-29 06:00) gives -0.75.
long double DateTimeToDays(double dateTime);

/// The date-time value of a linear day count; the inverse of DateTimeToDays
/// (-0.75 gives -1.25).
double DaysToDateTime(long double days);

/// The date-time value of year/month/day hour:minute:seconds, with the OLE
/// convention for dates before 1899-12-30. nullopt for an invalid date or a
/// time outside 0 <= hour*3600 + minute*60 + seconds < 86400.
std::optional<double> EncodeDateTime(std::int32_t year, int month, int day, int hour, int minute, long double seconds);

/// The local system clock as a date-time value (millisecond resolution).
double CurrentDateTimeValue();

/// A number of days split into whole days and a time of day.
struct DaysAndTime {
  std::int64_t wholeDays = 0;
  TimeOfDayObj time;  ///< hour, minute, seconds; moment is left 0
};

/// Splits x days: x := x + 0.1 ms (1.1574074074074074e-9 d, so that a value a
/// hair below a whole second or day does not show as 59.9999); whole days =
/// trunc(x); f = frac(x); hour = trunc(24 f); g = frac(24 f); minute =
/// trunc(60 g); seconds = 60 frac(60 g). 23:59:59.9996 carries into the next day.
/// A negative x is split with floor instead of trunc, so the time of day stays
/// in 0..24 h (-0.25 gives -1 day and 18:00:00).
DaysAndTime SplitDays(long double x);

/// hour / 24 + minute / 1440 + seconds / 86400 (days).
long double DayFraction(const TimeOfDayObj& t);

/// The time of day as sexagesimal text: FormatDMS of hour + minute / 60 +
/// seconds / 3600 with `decimals` decimals of seconds and the three separators,
/// without its first two characters. TimeText(t, 0, ":", ":", "") of 12:30:05
/// is "12:30:05"; of 9:05:00 it is " 9:05:00".
std::string TimeText(const TimeOfDayObj& t, int decimals, std::string_view sep1, std::string_view sep2,
                     std::string_view sep3);

/// (jd - 2451545) / 3652500: time since J2000.0 in units of 10000 Julian years.
long double TenMillennia(long double jd);

/// Local mean sidereal time (hours, 0 <= LST <= 24) at Julian date `jd` for a
/// longitude in radians east: (SiderealAngle(kMean, jd) + longitude) 24 / 2 pi,
/// brought into 0..24 by one turn. The mean angle is the IAU 1982 expression
/// 280.46061837 + 360.98564736629 d + T^2 (0.000387933 - T / 38710000) degrees,
/// d = jd - 2451545, T = d / 36525 (Meeus, Astronomical Algorithms, eq. 12.4);
/// no equation of the equinoxes. A longitude beyond one turn east or west of
/// Greenwich leaves the result outside 0..24.
long double LocalSiderealTime(long double jd, long double longitudeEast);

/// "MM/DD/YYYY" of a date: month and day two digits, the year a plain integer
/// (5 January 2010 gives "01/05/2010").
std::string ShortDateText(const CalendarDate& date);

/// "January 5, 2010": month name, blank, day, ", ", year, numbers unpadded.
std::string LongDateText(const CalendarDate& date);

/// A date-time value in the dialog pattern "YYYY/MM/DD" (the year four digits).
std::string DateFieldText(double dateTime);

/// A date-time value in the dialog pattern "HH:MM:SS" (milliseconds dropped).
std::string TimeFieldText(double dateTime);

/// A date-time value as "HH:MM:SS.sss", rounded to the millisecond, or
/// "HH:MM:SS" when it falls on a whole second; a time that would round up to
/// midnight stays at 23:59:59.999 (the date is written apart).
std::string TimeFieldTextMs(double dateTime);

/// The shared date and time of an instant: calendar fields, local and UT time
/// of day, and the Julian date.
///
/// Invariant: GetJD() = tzOffset + DateTimeToDays(civil) + 2415018.5, which is
/// tzOffset + civil + 2415018.5 for every instant from 1899-12-30 on. Every
/// user sets tzOffset to 0, so the UT and local times agree.
struct DateTimeObj {
  std::int32_t year = 1899;
  std::uint8_t month = 12;
  std::uint8_t day = 30;
  double civil = 0;          ///< date-time value of the instant (local time)
  TimeOfDayObj utTime;       ///< time of day of civil + tzOffset
  TimeOfDayObj localTime;    ///< time of day of civil
  long double tzOffset = 0;  ///< days added to civil to give UT (hours / 24)

  /// tzOffset := tzHours / 24, then SetNow.
  void InitNow(float tzHours);

  /// SetDateTime(local system clock now).
  void SetNow();

  /// civil := dt; year, month, day and localTime decoded from dt; utTime
  /// decoded from dt + tzOffset.
  void SetDateTime(double dt);

  /// Rebuilds civil from year, month, day and utTime (hour, minute, seconds
  /// with their fraction) and stores it in civil and utTime.moment; year,
  /// month, day and localTime are not re-derived.
  /// @return false (nothing changed) when the fields are not a valid date and time.
  bool SetFromFields();

  /// Julian date (days): tzOffset + DateTimeToDays(civil) + 2415018.5.
  long double GetJD() const;

  /// SetDateTime of the date-time value of jd - tzOffset.
  void SetJD(long double jd);

  /// The date as "January 5, 2010".
  std::string LongDateText() const;

  /// The date as "01/05/2010" (month/day/year).
  std::string ShortDateText() const;

  /// The Julian date fixed-point with `decimals` decimals (18 significant digits).
  std::string JDText(int decimals) const;

  /// Local mean sidereal time (hours) at GetJD() for a longitude in radians east.
  long double LocalSiderealTime(long double longitudeEast) const;
};

}  // namespace skarvel
