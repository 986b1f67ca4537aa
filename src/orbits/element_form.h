// What the "Orbital Elements" dialog (`TOrbElForm1`) does, without any
// windowing: three element sets (minor planet, comet, planet) typed or
// checked, the epoch and the time of perihelion as calendar dates or Julian
// dates kept in step, Verify (the elements not in the set computed from
// those that are), Clear, and the "&File..." pop-up that saves the current
// elements to the saved-orbits file or takes one from it.
//
// Usage: the session keeps one logic for the whole run (the dialog is created
// once); the view calls Fill() when it opens, copies the fields in and out,
// calls the Leave...() functions when an edit loses the focus and closes the
// dialog when Ok() is true.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/record_list_forms.h"
#include "foundations/sky_coord.h"
#include "orbits/ephemeris.h"
#include "platform/platform.h"

namespace skarvel {

inline constexpr std::string_view kElementDialogCaption = "Orbital Elements";
/// Caption of a field that holds no number.
inline constexpr std::string_view kElementInputErrorCaption = "Input Error!";
/// Edit lengths (characters).
inline constexpr int kElementNameLength = 30;
inline constexpr int kElementDesignationLength = 8;
inline constexpr int kEpochDateLength = 12;
inline constexpr int kPerihelionDateLength = 16;

/// The element sets of `ElemSetGrp`.
enum class ElementSet : std::uint8_t { kMinorPlanet = 0, kComet = 1, kPlanet = 2 };

/// The element fields, for enabling.
enum class ElementField { kA, kE, kIncl, kNode, kPeri, kM, kQ, kLongPeri, kL, kH, kG, kT, kJDT };

/// The dialog's texts and choices.
struct ElementFields {
  std::string name;         ///< `NameEd`
  std::string designation;  ///< `NumbrEd`
  int dateFormat = 0;       ///< `DateFrmtGrp`: 0 "Calendar (&Yr-Mo-Day)", 1 "&Julian Date "
  std::string epochDate;    ///< `EpDatEd`, "YYYY/MM/DD(.0)"
  std::string epochJD;      ///< `EpJDEd`
  ElementSet set = ElementSet::kMinorPlanet;
  EquinoxChoice equinox = EquinoxChoice::kJ2000;
  std::string a, e, incl, node, peri, M, q, longPeri, L, H, G;
  std::string T;    ///< `T_Ed`, "YYYY/MM/DD.DDDDD"
  std::string JDT;  ///< `JDT_Ed`, T as Julian date

  bool operator==(const ElementFields&) const = default;

  /// Whether an element field belongs to the set (and, for T and JDT, to the date format).
  bool Enabled(ElementField field) const;
  /// The epoch date edit is enabled (else the epoch Julian date edit).
  bool CalendarEnabled() const { return dateFormat == 0; }
};

class ElementDialogLogic {
 public:
  /// @param current the session's current elements, which OK sets.
  /// @param currentYear century of two-digit years typed into a date.
  ElementDialogLogic(CurrentElements& current, platform::Platform& ui);

  ElementFields fields;
  /// The dialog opens with empty fields ("&Clear", or no elements yet).
  bool startBlank = true;
  /// The year that completes a two-digit year.
  std::int32_t currentYear = 2026;
  /// The saved-orbits file.
  std::string savedOrbitsPath;
  /// The list window of "&Find Saved Elements..." (absent: the command does nothing).
  ListWindowRunner* listRunner = nullptr;
  /// Called when "&Find Saved Elements..." made a saved orbit the current elements.
  std::function<void()> onElementsTaken;

  /// Fills the fields from the current elements, or empties them (calendar,
  /// minor planet, J2000, codes zeroed) when the start-blank flag is set.
  void Fill();
  /// Fills the fields from `el` (the form of Fill).
  void FillFrom(const OrbitElements& el);

  /// `EpDatEd` left: the epoch Julian date follows (1 decimal).
  void LeaveEpochDate();
  /// `EpJDEd` left: the epoch date follows as "YYYY/MM/DD.0".
  void LeaveEpochJD();
  /// `T_Ed` left: `JDT_Ed` follows (5 decimals).
  void LeaveT();
  /// `JDT_Ed` left: `T_Ed` follows as a fractional date.
  void LeaveJDT();

  /// The elements the fields describe; a field that cannot be read shows its
  /// message (error icon) and gives nothing.
  std::optional<OrbitElements> Compute();
  /// OK: the computed elements become current (source "Element Input Dialog"
  /// when a field was edited since the dialog was filled).
  /// @return true when the dialog may close.
  bool Ok();
  /// "&Verify": the fields refilled from the elements computed from the set,
  /// the current elements untouched.
  bool Verify();
  /// "&Clear": every field empty, the start-blank flag set.
  void Clear();
  /// "&Save Current Elements": asks "Write Current Orbit Data to File?"; Yes
  /// applies OK and stores the current elements in the saved-orbits file.
  /// @return true when the file was written.
  bool SaveCurrent();
  /// "&Find Saved Elements...": the list window; an accessed record becomes
  /// the current elements (source "User Saved Elements") and refills the fields.
  /// @return true when a record was taken.
  bool FindSaved();

 private:
  bool ReadNumber(const std::string& text, std::string_view label, long double& out, bool emptyIsZero = false);
  std::optional<long double> EpochJD();
  std::optional<long double> PerihelionJD();

  CurrentElements& current_;
  platform::Platform& ui_;
  ElementFields filled_;  ///< the fields as filled, to tell an edit
};

/// The Julian date of a perihelion field "YYYY/MM/DD.DDDDD": the date part
/// read with "YYYY/MM/DD" plus "0." and the digits after the point ("0.0"
/// without a point); nothing when it cannot be read.
std::optional<long double> ParsePerihelionField(std::string_view text, std::int32_t currentYear);

}  // namespace skarvel
