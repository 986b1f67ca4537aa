// What the "Observation Parameters" dialog does, without any windowing.
//
// The dialog edits one ObsParams record. It cross-checks the object's name,
// number and designation against the orbit databases (ObjectLookup) with
// VerifyObjectID, remembers for the whole run the last texts it verified
// (VerifiedIds, owned by the main window), enables "Discovery" only for an
// object without number or packed designation, and on OK warns when the
// combination does not suit a report to the Minor Planet Center.
//
// Usage: construct on the record; Opened() when the dialog shows; the
// double-click handlers call VerifyObjectID on one field; Ok() true means the
// record was written and the dialog closes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "astrometry/obs_params.h"
#include "orbits/orbit_files.h"
#include "platform/platform.h"

namespace skarvel {

/// The name, number and designation last verified, kept for the whole run.
struct VerifiedIds {
  std::string name;
  std::string number;
  std::string designation;
};

/// The orbit-database look-ups VerifyObjectID uses.
class ObjectLookup {
 public:
  virtual ~ObjectLookup() = default;
  /// The name of the object numbered `number` ("433"), or "".
  virtual std::string FindNameByNumber(const std::string& number) = 0;
  /// The number (as text, possibly with leading zeros) or provisional
  /// designation of the object called `name`, or "".
  virtual std::string FindDesignationByName(const std::string& name) = 0;
};

/// ObjectLookup over the session's orbit files (which close again after each look-up).
class OrbitFilesLookup : public ObjectLookup {
 public:
  explicit OrbitFilesLookup(OrbitFiles& files) : files_(files) {}
  std::string FindNameByNumber(const std::string& number) override { return files_.FindNameByNumber(number); }
  std::string FindDesignationByName(const std::string& name) override { return files_.FindDesignationByName(name); }

 private:
  OrbitFiles& files_;
};

/// The dialog's field texts and states.
struct ObsParamsFields {
  std::string name, designation, number, observer;
  std::string date;  ///< "YYYY/MM/DD"
  std::string time;  ///< "HH:MM:SS"
  bool discovery = false;
  bool discoveryEnabled = true;
  bool idFieldsEnabled = true;  ///< name, designation, number, observer
  std::uint8_t objectType = 0;  ///< 0 "Minor Planet", 1 "Comet"
};

/// Settings the dialog reads from the options.
struct ObsParamsSettings {
  bool oldReportFormat = true;  ///< seven-character packed designations
  bool fitsImages = true;       ///< `ImageFileType` is FITS
  bool autoVerifyID = false;
  std::int32_t currentYear = 2000;  ///< century of two-digit years typed in the date field
};

/// Which field VerifyObjectID works on.
enum class IdField { Name, Designation, Number };

/// Longest texts typed into the fields.
inline constexpr std::size_t kObsNameMax = 68;
inline constexpr std::size_t kObsDesignationTyped = 7;
inline constexpr std::size_t kObsNumberTyped = 5;

class ObsParamsLogic {
 public:
  /// @param mode the caption's mode: "Verify/Complete", "Edit Parameters" or an image file name.
  /// @param checkOnOk the report warnings run on OK.
  ObsParamsLogic(ObsParams& record, std::string mode, bool checkOnOk, ObsParamsSettings settings, VerifiedIds& verified,
                 ObjectLookup& lookup, platform::Platform& ui);

  ObsParamsFields fields;

  /// "Observation Parameters - " + mode.
  std::string Caption() const { return "Observation Parameters - " + mode_; }
  /// The dialog shows: with FITS images and `AutoVerifyID`, VerifyObjectID on the name.
  void Opened();
  /// Verifies one field (a double click on it) and then applies the discovery rule.
  void VerifyObjectID(IdField field);
  /// OK: reads the fields into the record, then (check on OK, not a simulated
  /// image) the report warnings. False keeps the dialog open.
  bool Ok();

 private:
  bool VerifyNumber();
  bool VerifyDesignation();
  void VerifyName();
  /// The name-number check of a name "(n) text"; false when the name has not that form.
  bool NameNumberCheck(const std::string& name);
  void RestoreRemembered();
  bool Simulated() const { return record_.note == kNoteSimulated; }

  ObsParams& record_;
  std::string shownDate_, shownTime_;  ///< the date and time texts first shown
  std::string mode_;
  bool checkOnOk_;
  ObsParamsSettings settings_;
  VerifiedIds& verified_;
  ObjectLookup& lookup_;
  platform::Platform& ui_;
};

/// The number field's text as stored: trimmed; a whole positive number as
/// typed ("433", "00433"), a periodic comet's number upper-cased ("12P"), a
/// packed number as the number it stands for ("A0001" gives "100001", at most
/// 7 digits); empty stays empty. Nothing for any other text ("abc", "0", "4.5").
std::optional<std::string> ObjectNumberText(const std::string& typed);

/// Empties name, designation, number and observer, sets the observation time,
/// note and object type to 0 and forgets the verified texts.
void ClearObsParams(ObsParams& params, VerifiedIds& verified);

}  // namespace skarvel
