// What the user, camera and site dialogs do, without any windowing.
//
// Each dialog is handed one record (the options' or the report's). Its logic
// object holds the texts of the dialog's fields, starts from the handed
// record, checks and writes the fields back into it on OK, and runs the
// "&File..." pop-up items. The Qt dialogs (config/ui/) copy their widgets to
// and from `fields` and call these operations.
//
// Usage: construct on the handed record; call Opened() once the dialog shows;
// call the *Edited operations as the person types; Ok() true means the record
// was written and the dialog closes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config/observer_files.h"
#include "config/record_list_forms.h"
#include "platform/platform.h"

namespace skarvel {

/// Where a record dialog finds its files.
struct RecordFileSettings {
  std::string fileOption;  ///< `CameraFile` or `StationsFile`
  std::string dataDir;     ///< `DataDir`, trailing separator
  std::string programDir;  ///< `ProgramDir`, trailing separator
};

// ---------------------------------------------------------------------------
// User

/// The country field as typed: "USA" becomes "U.S.A.", "UK" "U.K."; any other text stays.
std::string NormalizeCountry(const std::string& country);

/// `TUsrParmsDlg` "User Information".
class UsrParmsLogic {
 public:
  UsrParmsLogic(UserRecord& handed, platform::Platform& ui, std::string dataDir);

  UserRecord fields;  ///< the dialog's texts

  /// The country field changed: NormalizeCountry at once.
  void CountryEdited() { fields.country = NormalizeCountry(fields.country); }
  /// Writes the fields (cut to their capacities) into the handed record.
  void Ok();
  /// "&Save User Data": Ok, then SaveUserData of the record.
  void SaveUser();
  /// "&Find User...": a record read fills the fields (the handed record is unchanged).
  void FindUser();

 private:
  UserRecord& handed_;
  platform::Platform& ui_;
  std::string dataDir_;
};

// ---------------------------------------------------------------------------
// Camera

/// The texts of the camera dialog's fields.
struct CameraFields {
  std::string name, pixelWidth, pixelHeight, imageWidth, imageHeight, aperture, focalLength, timingError;
  bool inverted = false;
  std::uint8_t filter = 8;  ///< FilterCode of the "Filter" radio group
};

/// The fields showing `r`: the pixel sizes, aperture and focal length with one
/// decimal, the image sizes and timing precision as integers.
CameraFields CameraFieldsOf(const CameraRecord& r);

/// True when `text` is an integer other than 0 (the timing error rule).
bool TimingErrorValid(const std::string& text);

/// `TCamParmsDlg` "Camera Parameters".
class CamParmsLogic {
 public:
  /// `current` is the report's camera record when it was filled from an
  /// image (null otherwise); "C&urrent" is then shown first.
  CamParmsLogic(CameraRecord& handed, const CameraRecord* current, bool oldReportFormat, platform::Platform& ui,
                RecordFileSettings files);

  CameraFields fields;

  /// " Values" group: true "C&urrent", false "&Default".
  bool ShowingCurrent() const { return showingCurrent_; }
  bool CurrentAvailable() const { return current_ != nullptr; }
  /// Switching the group shows the other record's values.
  void SelectValues(bool current);
  /// The timing field changed: with `OldReportFormat` off, "0" or a text that
  /// is no integer shows the timing message. Returns false when it was shown.
  bool TimingErrorEdited();
  /// OK: with "C&urrent" a beep and "Are You Sure You Want to Replace the
  /// Default Camera Parameters with These?" (Yes/No, No keeps the dialog);
  /// the timing rule; then StoreFields into the handed record.
  /// @return true when the record was written and the dialog closes.
  bool Ok();
  /// "&Find Camera...": the list "Select a Camera" on the camera file; the
  /// chosen record fills the fields.
  void FindCamera(ListWindowRunner& runner);
  /// "&Save Camera Data": "Write Current Camera Data to File?" (caption
  /// "Confirm"); Yes stores the fields into the handed record, reads the
  /// camera file, merges the record (duplicate question) and rewrites the
  /// file. IOFailure of the write propagates (the general error report).
  void SaveCamera();

  /// The fields as numbers into `record`. A field that is not a number: a
  /// beep and "Input String Contains Non-Numeric Characters!" (caption
  /// "Numeric Conversion Error!"); false and `record` unchanged.
  bool StoreFields(CameraRecord& record);

 private:
  CameraRecord& handed_;
  const CameraRecord* current_;
  bool oldReportFormat_;
  platform::Platform& ui_;
  RecordFileSettings files_;
  bool showingCurrent_ = false;
};

// ---------------------------------------------------------------------------
// Site

/// The texts of the site dialog's fields.
struct SiteFields {
  std::string name, code, telescope, lonDegrees, lonMinutes, lonSeconds, latDegrees, latMinutes, latSeconds;
  bool west = false;
  bool north = true;
  std::string altitude, timeZone, telescopeId;
};

/// The fields showing `r` (altitude and time zone with one decimal; the ID
/// as its character, empty for a space or 0 byte).
SiteFields SiteFieldsOf(const SiteRecord& r);

/// True for the code "247" or "0247" (the roving observer).
bool IsRovingObserverCode(const std::string& code);

/// `TSiteParmsDlg` "Observatory (Site) Information".
class SiteParmsLogic {
 public:
  SiteParmsLogic(SiteRecord& handed, platform::Platform& ui, RecordFileSettings stations, std::string obsCodesFile);

  SiteFields fields;

  /// The dialog shows: a telescope ID that is a space or 0 gives "Verify
  /// Telescope ID Number." (caption "Default Value Applied") and the ID field "1".
  void Opened();
  /// The code field changed: "247" or "0247" shows the roving-observer message.
  void CodeEdited();
  /// OK: StoreFields into the handed record; true when the dialog closes.
  bool Ok() { return StoreFields(handed_); }
  /// "&Find Site...": the list "Select a Site" on the station file.
  void FindSite(ListWindowRunner& runner);
  /// "Find Scope &ID...": the telescopes of the code field's site from the
  /// telescope-codes file in the list "Telescopes at Site " + code.
  void FindScopeId(ListWindowRunner& runner);
  /// "&Save Site Data": "Write Current Site Data to File?"; Yes applies the
  /// OK step to the handed record, then merges and rewrites the station file.
  void SaveSite();

  /// The checks of OK and the write into `record`: longitude and latitude
  /// from their three fields (empty = 0) in 0..180 and 0..90, negated for
  /// West and South; altitude and time zone numbers; then the texts, the
  /// code, telescope and ID (first character, a space when empty). A failed
  /// check beeps, shows its message and returns false with `record` unchanged.
  bool StoreFields(SiteRecord& record);

 private:
  SiteRecord& handed_;
  platform::Platform& ui_;
  RecordFileSettings stations_;
  std::string obsCodesFile_;
};

}  // namespace skarvel
