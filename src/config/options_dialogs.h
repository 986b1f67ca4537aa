// What the three options dialogs do, without any windowing: "Software
// Options" (the hub of the Preferences commands), "File Name Options" and
// "Set Star Catalog Options".
//
// Each logic object is made on the options record it edits (the OptsObj's
// own record, or a copy for the field parameters dialog's "&Change"). It
// holds the states of the dialog's controls; the Qt dialogs (config/ui/)
// show them, call the operations as the person clicks and copy their
// widgets back before Ok().
//
// Usage:
//   if (!OptionsAssigned(ui, record)) -> close at once (the message was shown)
//   SoftwareOptionsLogic logic(*record);   // takes the copy of the record
//   ... logic.ChooseFileFormat(1); logic.AdministratorChecked(ui); ...
//   ... sub-dialogs edit logic.Record() and call logic.Confirm(...) on OK ...
//   logic.Ok() or logic.Cancel()
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/options.h"
#include "platform/platform.h"

namespace skarvel {

/// True when the dialog has a record to work on; otherwise shows "No Options
/// Assigned!" (caption "Cannot Modify Options!", error icon) and the dialog
/// changes nothing.
bool OptionsAssigned(platform::Platform& ui, const OptionsRecord* record);

// ---------------------------------------------------------------------------
// "Software Options"

/// The record's field size or magnitude limit as the dialog shows it (one decimal).
std::string OptionsNumberText(float value);

/// The sub-dialogs of "Software Options" whose confirmation is recorded.
enum class OptionsSubDialog : std::size_t { User, Camera, Site, RefBox, UnknownBox, Display };

class SoftwareOptionsLogic {
 public:
  static constexpr int kNone = -1;  ///< no button of a radio group checked

  /// Opening: the controls take the record's values; the copy of the whole
  /// record is taken and the sub-dialog flags are cleared.
  explicit SoftwareOptionsLogic(OptionsRecord& record);

  // ---- controls ----
  bool expertMode = false, autoVerifyID = false, readSkyForCentroid = false, vornFormatGSC = false,
       gscOnACT = false, invertRefDisplay = false, oldReportFormat = false, maximizeBlink = false,
       defaultRefMags = false, restoreAllRefs = false, administrator = false;
  int fileFormat = 0;      ///< "File Format": 0 FITS, 1 ST-4, 2 Other SBIG
  int timeType = kNone;    ///< "File Header Time is:" 0..2, kNone when cleared
  int solutionType = 0;    ///< "Astrometric Solution" 0..2
  int centroidMethod = kCentroidWindowed;  ///< "Centring": 0 box centroid, 1 windowed, 2 PSF fit
  bool weightPlate = false;  ///< "Weight Plate by Centring Errors" (bit 0 of the byte at 6943)
  std::string fieldSize;   ///< "Size (Arc Min)"
  std::string magLimit;    ///< "Mag Limit"
  bool timeGroupEnabled = true;
  bool autoVerifyEnabled = true;
  bool userEnabled = true;    ///< "&User..."
  bool cameraEnabled = true;  ///< "Ca&mera..."

  /// A file format was chosen: FITS enables the time group (set to "Start of
  /// Exposure") and "Auto-Verify Object ID"; ST-4 disables and clears the time
  /// group and disables the auto-verify box; Other SBIG enables the time group
  /// (set to the start) and disables the auto-verify box.
  void ChooseFileFormat(int format);

  /// The person checked "\"Administrator\"": asks "Are you the administrator
  /// ..." (caption "Multi-User Environment?", Yes/No). Returns the box's
  /// state afterwards: false (unchecked) on No.
  bool AdministratorChecked(platform::Platform& ui);

  /// The record the sub-dialogs edit (the one the dialog was opened on).
  OptionsRecord& Record() { return record_; }
  /// A sub-dialog ended with OK (it has written its record or box).
  void Confirm(OptionsSubDialog which) { confirmed_[static_cast<std::size_t>(which)] = true; }
  bool Confirmed(OptionsSubDialog which) const { return confirmed_[static_cast<std::size_t>(which)]; }

  /// OK: every box and group into its field; `HeaderTimeType` 3 with ST-4,
  /// else the time choice (0 when none is checked); `FieldSize` only when
  /// its text is a number above 0 and `MagLimit` only when its text is a
  /// number (both finite as 32-bit floats), else the old values stay;
  /// `centroidMethod` and the plate-weighting bit (the byte's other bits kept).
  void Ok();
  /// Cancel: the whole record as it was at opening, sub-dialog changes included.
  void Cancel() { record_ = copy_; }

 private:
  OptionsRecord& record_;
  OptionsRecord copy_;
  std::array<bool, 6> confirmed_{};
};

// ---------------------------------------------------------------------------
// "File Name Options"

/// How a field of "File Name Options" is edited by a double click.
enum class FileFieldKind {
  Plain,      ///< no chooser (web addresses)
  Directory,  ///< a directory chooser; the directory gets a trailing separator
  File,       ///< a file dialog
};

/// One edit field of "File Name Options".
struct FileOptionField {
  const char* page;     ///< "System Files", "Star Catalogs", "Data Files", "URLs"
  const char* group;    ///< group caption on the "System Files" page, else ""
  const char* label;    ///< the field's caption
  const char* hint;     ///< tool-tip, or ""
  const char* name;     ///< object name of the edit field
  std::string OptionsRecord::*field;
  std::size_t capacity;  ///< characters kept: 71 for bitmap and help names, else 255
  FileFieldKind kind;
  /// Directory fields: the fields whose directory a chooser starts at, in
  /// order, when this one is empty (then `DataDir`). Also marks the eleven
  /// catalog and orbit-database paths that OK gives a trailing separator.
  std::vector<std::string OptionsRecord::*> related;
  bool trailingSeparator;  ///< OK adds a separator to a non-empty text lacking one
  // File fields: the file dialog.
  const char* filter;
  const char* fileName;
  const char* extension;
  const char* title;
  bool startInDataDir;  ///< the dialog starts at `DataDir`, else at kProgramFilesDir
};

/// The page captions in order.
const std::vector<std::string>& FileOptionPages();
/// Every field of the four pages, in page order and, within a page, in the order shown.
const std::vector<FileOptionField>& FileOptionFields();

/// Where the spreadsheet program's file dialog starts (the platform's folder of programs).
inline constexpr const char* kProgramFilesDir = "/usr/bin/";

class FileOptionsLogic {
 public:
  /// Opening: the texts of every field from `record` (FileOptionFields order).
  explicit FileOptionsLogic(OptionsRecord& record);

  std::vector<std::string> texts;  ///< one per FileOptionFields() entry

  /// The index in FileOptionFields() of the field with that object name (npos when none).
  static std::size_t IndexOf(const std::string& name);

  /// A double click on field `index`: a directory chooser starting at the
  /// field's directory, at a related field's when it is empty, else at
  /// `DataDir` (the chosen directory with a trailing separator becomes the
  /// text); or the field's file dialog (the chosen file becomes the text).
  /// True when the text changed.
  bool DoubleClicked(std::size_t index, platform::Platform& ui);

  /// OK: every text, cut to its capacity, into its field; the catalog and
  /// orbit-database paths get a trailing separator when not empty.
  void Ok();

 private:
  OptionsRecord& record_;
};

// ---------------------------------------------------------------------------
// "Set Star Catalog Options"

/// The captions of the four radio groups. A further choice of a group is one
/// more caption at the end of its list: the dialog draws one button per entry
/// and the entry's index is the value stored in the record.
const std::vector<std::string>& PrimaryCatalogCaptions();   ///< `PrimaryCatalog`
const std::vector<std::string>& SupplCatalogCaptions();     ///< `SupplCatalog`
const std::vector<std::string>& CatalogLocationCaptions();  ///< `CatalogLocation`
const std::vector<std::string>& WebCatalogCaptions();       ///< `WebCatalog`
const std::vector<std::string>& OnlineServiceCaptions();    ///< `onlineService`

/// Supplementary catalog choice (`SupplCatalog`).
enum SupplCatalogChoice : std::uint8_t { kSupplNone = 0, kSupplSA1 = 1, kSupplSA2 = 2, kSupplBSS = 3 };

class CatalogOptionsLogic {
 public:
  static constexpr int kNone = -1;

  /// Opening: the four choices from `record` and the groups enabled by the location.
  explicit CatalogOptionsLogic(OptionsRecord& record);

  int location = 0;  ///< "Catalog Location": 0 "Local Files", 1 "Web (NVO)"
  int primary = 0;   ///< "Local Star Catalog", kNone when the stored value has no button
  int suppl = 0;     ///< "Supplementary"
  int web = 0;       ///< "Web-Based Catalog"
  int service = 0;   ///< "On-line Service": 0 VizieR, 1 the USNO-style query at `USNOCatURL`
  /// "VizieR Server": the `vizierServer` text (the same setting as the field
  /// of "File Name Options"), edited with the web group.
  std::string vizierServer;
  bool localEnabled = false;
  bool supplEnabled = false;
  bool webEnabled = false;  ///< the web catalog and the on-line service groups

  /// "Local Files" or "Web (NVO)" chosen: the groups follow.
  void ChooseLocation(int choice);
  /// A primary catalog chosen: the supplementary group is enabled with the
  /// stored choice, less the catalog that does not go with the primary one.
  void ChoosePrimary(int choice);
  /// A supplementary catalog chosen: one that does not go with the primary
  /// catalog shows "Selected supplementary catalog cannot be used with ..."
  /// (caption "Invalid Supplementary Catalog") and the choice becomes "(None)".
  void ChooseSuppl(int choice, platform::Platform& ui);
  /// The caption under the server field: "Queries go to " + the address the
  /// VizieR queries of the text now typed go to (VizieREndpointOf).
  std::string ServerInUseText() const;
  /// OK: `CatalogLocation`, `PrimaryCatalog`, `SupplCatalog` (only when a
  /// primary catalog is chosen), `WebCatalog`, the on-line service and
  /// `vizierServer` (its surrounding spaces removed, cut to its 25 characters).
  void Ok();

 private:
  void EnableGroups();
  OptionsRecord& record_;
};

}  // namespace skarvel
