// The user file, the camera and station files and the telescope-codes file.
//
// A user file holds one UserRecord. The camera file ("ASTCAMS.DAT") and the
// station file ("ASTSITES.DAT") hold CameraRecords and SiteRecords one after
// the other, kept in ascending name order; they are read into record lists
// whose same-key test is equal names (exact, case-sensitive) and whose order
// is byte comparison of the names. The telescope-codes file ("SCPCODES.DAT")
// is text: columns 1-3 the observatory code (a leading letter stands for a
// two-digit number, "A" 10 ... "Z" 35), column 6 the telescope ID, columns 9
// on the description. Every file is written through a temporary file that
// replaces the old one, so a failed write leaves the previous file intact.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/observer_records.h"
#include "foundations/record_list.h"
#include "platform/platform.h"

namespace skarvel {

/// Key class of the camera and station lists: same key = equal names,
/// order = ascending name by byte comparison.
struct RecordNameKey {
  template <typename Record>
  static bool SameKey(const Record& a, const Record& b) {
    return a.name == b.name;
  }
  template <typename Record>
  static bool ComesAfter(const Record& a, const Record& b) {
    return a.name > b.name;
  }
};

using CameraList = RecordList<CameraRecord, RecordNameKey>;
using SiteList = RecordList<SiteRecord, RecordNameKey>;

/// Where a camera or station file is read from and written to.
struct RecordFilePaths {
  std::string read;   ///< the file to read (it may not exist: an empty list)
  std::string write;  ///< the file a save writes
};

/// The location rule of the camera and station files: the option's value when
/// it holds a directory; otherwise `dataDir` + value, and when that file does
/// not exist but `programDir` + value does, that one is read while writing
/// still goes to `dataDir` + value. Directories carry a trailing separator.
RecordFilePaths LocateRecordFile(const std::string& optionValue, const std::string& dataDir,
                                 const std::string& programDir);

/// The telescope-codes file: the option's value when it holds a directory,
/// else `dataDir` + value.
std::string LocateScopeCodesFile(const std::string& optionValue, const std::string& dataDir);

// ---- user file ----

/// The proposed user file name: the first character of the contact name and
/// the part after its last space (the whole name when it has no space), plus
/// ".USR". "Ann Lee Smith" gives "ASmith.USR", "Observatory" "Observatory.USR";
/// an empty name gives ".USR".
std::string DefaultUserFileName(const std::string& contactName);

/// Writes `record` as the only record of `path` (758 bytes). Throws IOFailure.
void WriteUserFile(const std::string& path, const UserRecord& record);
/// Reads the first record of `path`. Throws IOFailure (code 100 for a file
/// shorter than 758 bytes; longer files are read up to their first record).
UserRecord ReadUserFile(const std::string& path);

/// "Save User Data": the save dialog "Save User Parameters File" in `dataDir`
/// with DefaultUserFileName, then the write. A failure shows "Unable to Save
/// User Parameters File!" with the file name and result code (caption "File
/// Creation Error!", error icon). Returns true when the file was written.
bool SaveUserData(platform::Platform& ui, const UserRecord& record, const std::string& dataDir);

/// "Find User": the open dialog "Open User Parameters File" in `dataDir`; a
/// name that does not exist asks "Unable to open <name>\r\n\r\nFile Does Not
/// Exist!" (caption "Can't Find File!", OK/Cancel): OK asks again, Cancel ends.
/// A read failure shows "Unable to Open User Parameters File!" with the name
/// and result code (caption "File Load Error!").
/// @return the record read, or nullopt (cancelled or failed).
std::optional<UserRecord> FindUserData(platform::Platform& ui, const std::string& dataDir);

// ---- camera and station files ----

/// Reads every record of a camera file in order into a list sorted by name.
/// A missing file gives an empty list. Throws IOFailure for an unreadable
/// file or one whose size is not a whole number of records.
CameraList ReadCameraFile(const std::string& path);
SiteList ReadSiteFile(const std::string& path);
/// Rewrites the whole file with the list's records in list order. Throws IOFailure.
void WriteCameraFile(const std::string& path, const CameraList& list);
void WriteSiteFile(const std::string& path, const SiteList& list);

/// ReadCameraFile with the system's message: a failure shows "Error Occurred
/// Reading Camera File!" (caption "Camera File Error", error icon) and gives nullopt.
std::optional<CameraList> LoadCameraList(platform::Platform& ui, const std::string& path);
/// The same for sites: "Error Occurred Reading Station File!" ("Station File Error").
std::optional<SiteList> LoadSiteList(platform::Platform& ui, const std::string& path);

/// How a record is put into its list when it is saved.
enum class SaveOutcome { Added, Replaced, AddedDuplicate, Cancelled };

/// Puts `record` into `list`: when a record of the same name exists, asks
/// "A Record for \"<name>\" Already Exists.\r\n\r\nReplace It?" (caption
/// "Duplicate Record Found", Yes/No/Cancel): Yes replaces the first such
/// record, No adds a second one, Cancel leaves the list as it was. Otherwise
/// the record is added in name order.
SaveOutcome MergeRecord(platform::Platform& ui, CameraList& list, const CameraRecord& record);
SaveOutcome MergeRecord(platform::Platform& ui, SiteList& list, const SiteRecord& record);

// ---- telescope-codes file ----

/// The 4-character form of a 3-character code: a leading letter "A".."Z" as
/// its two-digit number 10..35 followed by the other two characters ("A12" ->
/// "1012", "Y05" -> "3405"); a leading digit gets a "0" in front ("695" ->
/// "0695"). Other texts are returned unchanged.
std::string ExpandScopeCode(const std::string& code3);

/// Result of looking up the telescopes of a site.
struct ScopeLookup {
  enum class Status { Found, NotFound, ReadError } status = Status::NotFound;
  std::vector<std::string> lines;  ///< the text from column 6 of each belonging line
};

/// Reads the telescope-codes file and lists the lines of observatory `code`
/// (which equals either the 3-character or the 4-character form of a line's
/// code). Reading stops at the first line that does not belong after a
/// belonging one. A missing or unreadable file is a ReadError.
ScopeLookup FindScopeLines(const std::string& path, const std::string& code);

/// A chosen telescope line (from column 6): its first character is the
/// telescope ID and the text from its fourth character on the description.
struct ScopeChoice {
  char id = ' ';
  std::string description;
};
ScopeChoice ParseScopeLine(const std::string& line);

}  // namespace skarvel
