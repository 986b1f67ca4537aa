// The rules by which every dialog that accepts a date and a time (ephemeris,
// search, comet search, elements, mean motion, baseline) reads its calendar
// fields and its Julian date field, and keeps the two forms in step.
//
// These are pure functions: they return the converted value or the message a
// dialog shows (text and caption, shown with the error icon and an OK button).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skarvel {

/// Edit lengths of the three fields (characters).
inline constexpr int kDateFieldLength = 10;
inline constexpr int kTimeFieldLength = 8;
inline constexpr int kJulianDateFieldLength = 15;
/// The hint of the date field.
inline constexpr std::string_view kDateFieldHint = "Use Full (4 digit) Year";
inline constexpr std::string_view kCalendarDateErrorCaption = "Calendar Date Error!";
inline constexpr std::string_view kJulianDateErrorCaption = "Julian Date Error!";

/// A message box a dialog shows: its text and caption.
struct DialogMessage {
  std::string text;
  std::string caption;
};

/// Reads a date field "YYYY/MM/DD" (blanks around it allowed, one or two digit
/// month and day). A year written with fewer than three digits is taken in the
/// century of `currentYear` ("10/01/05" in 2026 is 2010/01/05).
/// @return the date-time value of 00:00 on that date; nullopt for an empty
///         field, a malformed text or a date outside years 1..9999.
std::optional<double> ParseDateField(std::string_view text, std::int32_t currentYear);

/// Reads a time field "HH:MM:SS" as a fraction of a day. The hours are read up
/// to the first ":", the minutes up to the next ":", the seconds up to the next
/// blank or the end, each skipping leading blanks and separators; each may
/// carry a decimal fraction. A missing minutes or seconds part (and an empty
/// field) counts as 0. When what remains after the seconds is exactly "PM",
/// hours below 12 get 12 added; 12 PM stays noon and hours of 13 or more with
/// "PM" are refused.
/// @return days, 0 <= value < 1; nullopt when a part is not a number, or the
///         hours are not in 0..23, the minutes or seconds not in [0, 60).
std::optional<long double> ParseTimeField(std::string_view text);

/// What leaving a field of the pair did.
enum class FieldConversion {
  kConverted,  ///< the other form was filled in
  kEmpty,      ///< the field was empty: nothing converted, nothing shown
  kError,      ///< the message is shown; the other form keeps its value
};

/// The result of leaving the date or the time field.
struct CalendarToJulian {
  FieldConversion status = FieldConversion::kEmpty;
  long double jd = 0;          ///< the Julian date (tzOffset 0) when converted
  std::string julianDateText;  ///< JDText(5) of it, for the Julian date field
  DialogMessage error;         ///< when status is kError
};

/// Converts the date and time fields to a Julian date (tzOffset 0). An empty
/// date field is not converted. A date or time that cannot be read gives the
/// message "\"<date> <time>\" is not a valid Calendar Date and/or Time!"
/// captioned "Calendar Date Error!".
CalendarToJulian ConvertCalendarFields(std::string_view dateText, std::string_view timeText, std::int32_t currentYear);

/// The result of leaving the Julian date field.
struct JulianToCalendar {
  FieldConversion status = FieldConversion::kEmpty;
  long double jd = 0;
  std::string dateText;  ///< "YYYY/MM/DD"
  std::string timeText;  ///< "HH:MM:SS"
  DialogMessage error;
};

/// Converts the Julian date field back to the date and time fields. An empty
/// field is not converted. A text that is not a number, or a Julian date
/// outside the calendar's years 1..9999 (JD 1721425.5 to 5373484.5), gives
/// "\"<text>\" is not a valid Julian Date!" captioned "Julian Date Error!".
JulianToCalendar ConvertJulianDateField(std::string_view jdText);

}  // namespace skarvel
