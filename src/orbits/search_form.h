// What the orbit search dialog `TOrbSrchDlg1` does, without any windowing.
//
// The dialog edits the search parameters of the session's TAstOrbFlSrch: the
// search instant (calendar or Julian date, kept in step), the field as a
// centre with a size in arc minutes or degrees or as RA and Dec limits, the
// magnitude and distance ranges and the minimum altitude at upper
// culmination. Its "C&Oordinates" button offers "&Opposition" and
// "Image&1".."Image&4", which fill the instant and the field.
//
// Usage: construct on the parameters (the fields are filled at once); the
// view copies the fields in and out around every call and closes when Ok()
// is true.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "orbits/ephemeris_form.h"
#include "orbits/orbit_search.h"
#include "platform/platform.h"

namespace skarvel {

/// What the search dialog needs from an image slot for "Image&1".."Image&4".
struct ImageFieldInfo {
  double observationTime = 0;                       ///< date-time value of the observation, UTC
  bool solved = false;                              ///< the image has a plate solution
  long double solvedRaHours = 0, solvedDecDeg = 0;  ///< centre of the plate solution
  long double headerRaHours = 0, headerDecDeg = 0;  ///< pointing of the header (0 when it has none)
  long double fieldWidthArcMin = 0;                 ///< the current field width
};

/// What else the dialog reads from the session.
struct SearchDialogSettings {
  std::int32_t currentYear = 2000;  ///< century of two-digit years
  bool expertMode = false;          ///< no site confirmation before an altitude test
  /// Centre of the last chart (hours, degrees); used by the image items when both are non-zero.
  long double chartRaHours = 0, chartDecDeg = 0;
  /// The slots that hold an image ("Image&1".."Image&4" enabled).
  std::array<bool, 4> imagesLoaded{};
};

/// Messages of the ranges; the box's caption is kSearchInputErrorCaption.
inline constexpr std::string_view kMagnitudeRangeError = "Error in Magnitude Range";
inline constexpr std::string_view kDistanceRangeError = "Error in Distance Range";
inline constexpr std::string_view kAltitudeError = "Error in Minimum Altitude";
/// Hints of the edits and of the pop-up item.
inline constexpr std::string_view kOppositionHint = "Compute Opposition Coordinates for Date & Time Shown";
inline constexpr std::string_view kAltitudeHint = "0-90 Deg.  (No Test if 0)";

/// The dialog's field texts and choices.
struct SearchFields {
  int dateFormat = 0;  ///< 0 calendar, 1 Julian date
  std::string date, time, julianDate;
  std::string raHours, raMinutes, raSeconds;       ///< `RAHr1`, `RAMin1`, `RASec1`
  std::string decDegrees, decMinutes, decSeconds;  ///< `DecDeg1`, `DecMin1`, `DecSec1`
  std::string size;                                ///< `SizeEd1`
  FieldKind kind = FieldKind::kDegrees;            ///< `FldUnitsGrp`
  std::string raMin, raMax, decMin, decMax;        ///< "RA Limits (Hrs)", "Dec Limits (Deg)"
  std::string bright, faint;                       ///< `MaxMagEd`, `MinMagEd`
  std::string nearAu, farAu;                       ///< `NearEd`, `FarEd`
  std::string altitude;                            ///< `AltEd`
  bool opposition = false;                         ///< "&Opposition" checked

  bool CalendarEnabled() const { return dateFormat == 0; }
  /// Centre and size are enabled except for RA and Dec limits, which enable the limit boxes.
  bool CentreEnabled() const { return kind != FieldKind::kLimits; }
};

class SearchDialogLogic {
 public:
  /// @param confirmSite the site dialog, shown before an altitude test unless
  ///        in expert mode; false (cancelled) keeps the search dialog open.
  ///        Absent: nothing is shown.
  /// @param imageField what an image slot (0..3) gives for the image items; absent or nothing: the item does nothing.
  SearchDialogLogic(SearchParams& params, SearchDialogSettings settings, platform::Platform& ui,
                    std::function<bool()> confirmSite = {},
                    std::function<std::optional<ImageFieldInfo>(int slot)> imageField = {});

  SearchFields fields;

  /// "Search " + the source's name.
  std::string Caption() const;
  /// Whether "Image&1".."Image&4" (slot 0..3) can be chosen.
  bool ImageItemEnabled(int slot) const;

  /// Fills the fields from the stored parameters: the centre split with
  /// SplitRounded (RA 2 decimals, Dec 1 decimal, "-" before the degrees of a
  /// negative declination), the size (2h) in the field's unit with 1 decimal,
  /// the limits with 2 decimals, the rest with 1 decimal.
  void Load();
  void LeaveCalendarFields();
  void LeaveJulianField();

  /// "&Opposition": the instant from the date fields, the centre opposite the
  /// Sun, a 5 degree field; the magnitude and distance fields are taken over.
  /// A date that cannot be read shows its message and changes nothing.
  void Opposition();
  /// "Image&n" (slot 0..3) of a loaded slot: the instant of the observation
  /// turned from UTC into TT (the fields show the TT, the note the UTC);
  /// the centre of the plate solution, else the last chart's centre when both
  /// its coordinates are non-zero, else the header's pointing; the field width
  /// in arc minutes. The range fields keep what was typed.
  void FromImage(int slot);

  /// OK: the instant (an image's time still shown to the full precision), the field (ReadFieldInput), the magnitude range (bright
  /// <= faint), the distance range (0 <= near <= far) and the altitude (0..90)
  /// are read; a bad value shows its message in a warning box captioned
  /// "Input Error!" (the date messages with their own captions) and keeps the
  /// dialog open with the parameters unchanged. With an altitude above 0 and
  /// not in expert mode the site is confirmed first.
  bool Ok();

  /// The fields show the stored instant, which was taken from an image whose
  /// time is `jdUtc` (UTC): the note of that time is shown with them.
  void NoteImageTime(long double jdUtc);
  /// The note beside the instant fields: the image's UTC with the TT used,
  /// while the fields still hold that TT; "" otherwise.
  std::string TimeNote() const;

 private:
  ImageTimeNote note_;
  /// Load that keeps the range texts as they were typed.
  void LoadKeepingRanges();

  SearchParams& params_;
  SearchParams work_;  ///< what the dialog shows; stored into params_ by Ok
  SearchDialogSettings settings_;
  platform::Platform& ui_;
  std::function<bool()> confirmSite_;
  std::function<std::optional<ImageFieldInfo>(int)> imageField_;
};

}  // namespace skarvel
