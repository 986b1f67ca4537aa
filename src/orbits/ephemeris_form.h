// What the "Ephemeris Generation Parameters" dialog does, without any windowing.
//
// The dialog edits the session's EphemerisParams: the start as calendar date
// and time or as a Julian date (the two forms kept in step when a field is
// left), the number of points, the interval with its unit and the equator and
// equinox. OK stores everything or, on a bad value, shows why and keeps the
// dialog open.
//
// Usage: construct on the parameters (fields are filled at once); the view
// copies the fields in and out, calls LeaveCalendarFields / LeaveJulianField
// when an edit loses the focus, and closes the dialog when Ok() is true.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "orbits/ephemeris.h"
#include "platform/platform.h"

namespace skarvel {

inline constexpr std::string_view kEphemerisDialogCaption = "Ephemeris Generation Parameters";
/// Caption of the messages about the number of points and the interval.
inline constexpr std::string_view kEphemerisInputErrorCaption = "Input Error!";
inline constexpr std::string_view kBadPointsText = "Number of Points must be a whole number from 1 to 10000!";
inline constexpr std::string_view kBadIntervalText = "Interval Between Points must be a non-zero number!";
/// Most table lines one generation makes: beyond it the table would only eat memory and time.
inline constexpr std::int32_t kMaxEphemerisPoints = 10000;

/// The dialog's field texts and choices.
struct EphemerisFields {
  int dateFormat = 0;                             ///< `DateFrmtGrp`: 0 "Calendar (&YMD-HMS)", 1 "&Julian Date "
  std::string date;                               ///< `YMDInEd`, "YYYY/MM/DD"
  std::string time;                               ///< `HMSInEd`, "HH:MM:SS"
  std::string julianDate;                         ///< `StrtJDEd`, 5 decimals
  std::string points;                             ///< `PtsEd`
  std::string interval;                           ///< `IntrvlEd`: step x unit, 2 decimals
  int unitsPerDay = 24;                           ///< `IntrvlGrp`: 24 "&Hours", 1 "&Days"
  EquinoxChoice equinox = EquinoxChoice::kJ2000;  ///< `EqnxGrp`

  /// The date and time edits are enabled (else the Julian date edit).
  bool CalendarEnabled() const { return dateFormat == 0; }
  /// The label of the start: "Start (TDT):" for the calendar form, "JDT:" for the Julian date.
  std::string_view StartLabel() const { return dateFormat == 0 ? "Start (TDT):" : "JDT:"; }
};

/// The note a date-time dialog shows beside its TDT fields after a time was
/// taken from an image: the image's UTC with the TT used as the fields show
/// it (UtcWithTTText), while the fields still hold that TT.
class ImageTimeNote {
 public:
  /// Remembers the note of `jdUtc` and the field texts that show its TT.
  void Set(long double jdUtc, const std::string& date, const std::string& time, const std::string& julianDate);
  void Clear() { text_.clear(); }
  /// The note while date, time and Julian date are still the texts given to
  /// Set; "" once any of them changed, after Clear, or before any Set.
  std::string Text(const std::string& date, const std::string& time, const std::string& julianDate) const;
  /// The image's TT to the full precision while the fields still show it
  /// (they show it to the second only); nothing otherwise.
  std::optional<long double> InstantTT(const std::string& date, const std::string& time,
                                       const std::string& julianDate) const;

 private:
  std::string text_, date_, time_, julianDate_;
  long double tt_ = 0;
};

class EphemerisDialogLogic {
 public:
  /// @param currentYear century of two-digit years typed into the date field.
  EphemerisDialogLogic(EphemerisParams& params, std::int32_t currentYear, platform::Platform& ui);

  EphemerisFields fields;

  /// Fills the fields from the stored parameters.
  void Load();
  /// The date or the time edit was left: the Julian date field follows, or the
  /// calendar error is shown (an empty date converts nothing).
  void LeaveCalendarFields();
  /// The Julian date edit was left: date and time follow, or the error is shown.
  void LeaveJulianField();
  /// OK: the start from the enabled form (calendar: date with optional time;
  /// an image's time still shown is kept to the full precision),
  /// the number of points (1..10000), the interval (non-zero) divided by the
  /// unit, the unit and the equinox (Of Date: the start's Julian date). A bad
  /// value shows its message (error icon) and leaves the parameters as they were.
  /// @return true when the parameters were stored and the dialog may close.
  bool Ok();

  /// The fields show the stored start, which was taken from an image whose
  /// time is `jdUtc` (UTC): the note of that time is shown with them.
  void NoteImageTime(long double jdUtc);
  /// The note beside the start fields: the image's UTC with the TT used,
  /// while the fields still hold that TT; "" otherwise.
  std::string TimeNote() const;

 private:
  ImageTimeNote note_;
  EphemerisParams& params_;
  std::int32_t currentYear_;
  platform::Platform& ui_;
};

/// A date-time dialog's date or time edit was left: the Julian date field
/// follows (5 decimals), or the calendar message is shown (an empty date converts nothing).
void LeaveCalendarPair(const std::string& date, const std::string& time, std::string& julianDate,
                       std::int32_t currentYear, platform::Platform& ui);
/// Its Julian date edit was left: the date and time follow, or the message is shown.
void LeaveJulianPair(const std::string& julianDate, std::string& date, std::string& time, platform::Platform& ui);

/// The start of a date-time dialog read from its fields: the calendar form
/// (date required, time optional) or the Julian date. Shows the
/// calendar or Julian date message (error icon) and returns nothing when the
/// enabled form cannot be read.
std::optional<long double> ReadStartJD(int dateFormat, const std::string& date, const std::string& time,
                                       const std::string& julianDate, std::int32_t currentYear, platform::Platform& ui);

}  // namespace skarvel
