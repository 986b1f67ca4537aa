// The orbit databases on disk: the Lowell and MPC sources with their converted
// files, the TARNE orbit file and the comet file; locating them, the rule that
// says when a converted file is valid, the conversion, and the look-ups.
//
// A converted file is valid when its day stamp (modification time as a Julian
// date, rounded) equals its source's; a conversion copies the source's
// modification time onto the converted file. A converted file whose source is
// gone stays usable.
//
// Usage:
//   OrbitFiles files(OrbitFileContext{ui, options, saveFolder});
//   if (files.OpenAnyAsteroidFile()) { ... files.Current()->NextRecord(rec) ... }
//   files.CloseOrbitFiles();
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/options.h"
#include "foundations/record_list.h"
#include "orbits/convert_commands.h"
#include "orbits/kepler.h"
#include "orbits/orbit_elements.h"
#include "platform/platform.h"

namespace skarvel {

/// Layout of a source file to convert.
enum class OrbitSourceFormat { kLowell, kMpcorb };

/// How the head of an MPCORB file is found: the system's rule skips every line
/// up to the first one starting with "-"; kAuto does so only when such a line
/// is among the first 200 (files such as NEA.txt have no head).
enum class MpcHeader { kSkipToDashes, kAuto };

/// Counts of one conversion.
struct ConversionStats {
  std::int64_t records = 0;  ///< records written
  std::int64_t skipped = 0;  ///< records that could not be read and were skipped
};

/// Raised when the person cancels a conversion at a bad record.
class ConversionCancelled : public std::runtime_error {
 public:
  explicit ConversionCancelled(const std::string& what) : std::runtime_error(what) {}
};

/// What a conversion asks of its caller.
struct ConversionCallbacks {
  /// A record could not be read: true skips it, false cancels the conversion.
  /// `bodyName` is the record's name as far as it could be read; `converted`
  /// the records written so far. Absent: skip.
  std::function<bool(const std::string& bodyName, const std::string& what, std::int64_t converted)> badRecord;
  /// Progress in percent (0-100), called about a hundred times.
  std::function<void(int percent)> progress;
  /// Where Kepler failures are reported (null: silently written as zeros).
  const KeplerErrorReporter* kepler = nullptr;
  /// Asked once every record has been handled, before the target is
  /// replaced: false cancels (ConversionCancelled, the target stays as it
  /// was). Absent: accept.
  std::function<bool(const ConversionStats& stats)> accept;
};

/// Converts a source file into a converted file of 162-byte records.
///
/// The records are written to a temporary file that replaces `target` only
/// when every record has been handled, and the target then takes the source's
/// modification time; a failure or cancellation leaves `target` as it was.
/// Lowell sources are read as 268-byte blocks (a trailing partial block is not
/// a record); MPCORB sources as lines (after the head, lines of two characters
/// or fewer are skipped; a line is read up to 4096 characters). `sevenChar` is
/// the packed form for unnumbered Lowell records. The working codes persist
/// from record to record as the record layout defines.
/// @throws IOFailure when the source cannot be read or the target not written;
///         ConversionCancelled when badRecord answers false.
ConversionStats ConvertOrbitFile(const std::string& source, const std::string& target, OrbitSourceFormat format,
                                 bool sevenChar, MpcHeader header, const ConversionCallbacks& callbacks);

/// The day stamp of a file: its modification time as a Julian date (the
/// clock's time scale, no zone offset), plus 1e-8, rounded to the nearest
/// integer; -1 when the file does not exist.
std::int64_t FileDayStamp(const std::string& path);

/// Gives `target` the modification time of `source`. False on failure.
bool CopyFileTime(const std::string& source, const std::string& target);

/// Sequential reader of a converted file (162-byte records, read in blocks).
class CmoFileReader {
 public:
  /// Opens the file. Throws IOFailure when it cannot be opened.
  explicit CmoFileReader(const std::string& path);
  /// The next record; false at the end (a trailing partial record is ignored).
  bool Next(CmoRecord& record);
  /// Number of whole records in the file.
  std::int64_t RecordCount() const { return count_; }

 private:
  std::ifstream in_;
  std::vector<std::uint8_t> buffer_;
  std::size_t at_ = 0;
  std::size_t filled_ = 0;
  std::int64_t count_ = 0;
  std::int64_t read_ = 0;
};

/// What the orbit file objects need from the session.
struct OrbitFileContext {
  platform::Platform& ui;
  const OptionsRecord& options;
  /// Stores a chosen database folder in the option (AstorbPath or MPCOrbPath)
  /// and saves the options file. May be empty (nothing is stored).
  SaveFolderFn saveFolder;
};

/// An orbit database: its source, converted and packed files and their state.
class OrbFileObj {
 public:
  virtual ~OrbFileObj();
  OrbFileObj(const OrbFileObj&) = delete;
  OrbFileObj& operator=(const OrbFileObj&) = delete;

  /// Rebuilds the converted file from the source (with the progress window
  /// and the question at a bad record). Messages and exceptions as described
  /// for the conversion commands; a cancelled conversion deletes the
  /// converted file and rethrows ConversionCancelled.
  virtual void Convert();
  /// Reads the current source record into the working elements and codes.
  virtual void ParseRecord(std::string_view record);
  /// Reads the number, name and designation of the current source record into `target`.
  virtual void ParseNames(std::string_view record, OrbitElements& target);
  /// Reads the codes of the current source record into the working codes.
  virtual void ParseCodes(std::string_view record);

  /// Opens the converted file for reading (closing it first when open).
  /// False (and nothing open) when it cannot be opened.
  bool OpenConverted();
  /// Closes the converted file.
  void CloseConverted() { reader_.reset(); }
  /// The next converted record; false at the end or when nothing is open.
  bool NextRecord(CmoRecord& record);

  const std::string& SourceName() const { return sourceName_; }
  const std::string& ConvertedName() const { return convertedName_; }
  const std::string& PackedName() const { return packedName_; }
  std::int64_t SourceStamp() const { return sourceStamp_; }
  std::int64_t ConvertedStamp() const { return convertedStamp_; }
  std::int64_t PackedStamp() const { return packedStamp_; }
  bool SourcePresent() const { return sourcePresent_; }
  bool ConvertedValid() const { return convertedValid_; }
  bool PackedPresent() const { return packedPresent_; }
  bool ConvertedOpen() const { return reader_ != nullptr; }
  const OrbitElements& Working() const { return working_; }
  const OrbitCodes& Codes() const { return codes_; }
  /// Re-reads the day stamps and the two flags from the files as they are now.
  void RefreshStamps();

 protected:
  explicit OrbFileObj(OrbitFileContext context) : context_(std::move(context)) {}

  /// Finds the three files (the locating rule of the two asteroid databases).
  void Locate(OrbitDatabase database);

  OrbitFileContext context_;
  std::string sourceName_;
  std::string convertedName_;
  std::string packedName_;
  std::int64_t sourceStamp_ = -1;
  std::int64_t convertedStamp_ = -1;
  std::int64_t packedStamp_ = -1;
  bool sourcePresent_ = false;
  bool convertedValid_ = false;
  bool packedPresent_ = false;
  OrbitElements working_;
  CmoRecord workingRecord_;
  OrbitCodes codes_{};
  std::unique_ptr<CmoFileReader> reader_;

 private:
  virtual OrbitSourceFormat Format() const = 0;
  virtual std::string ProgressText() const = 0;
};

/// The Lowell database: "ASTORB.DAT", "ASTORB.CMO", "astorb.dat.gz" in the
/// folder of the AstorbPath option (or the program's folder).
class ASTFileObj : public OrbFileObj {
 public:
  explicit ASTFileObj(OrbitFileContext context);

 private:
  OrbitSourceFormat Format() const override { return OrbitSourceFormat::kLowell; }
  std::string ProgressText() const override { return "Converting Lowell Orbit Database to ASTORB.CMO"; }
};

/// The MPC database: "MPCORB.DAT", "MPCORB.CMO", "MPCORB.ZIP" in the folder of
/// the MPCOrbPath option (or the program's folder).
class MPCFileObj : public OrbFileObj {
 public:
  explicit MPCFileObj(OrbitFileContext context);
  /// Whether H was given in the last record read.
  bool HPresent() const { return hPresent_; }
  void ParseRecord(std::string_view record) override;

 private:
  OrbitSourceFormat Format() const override { return OrbitSourceFormat::kMpcorb; }
  std::string ProgressText() const override { return "Converting MPC Orbit Database to MPCORB.CMO"; }
  bool hPresent_ = false;
};

/// The TARNE orbit file named by the OrbitFileArg option: already converted,
/// always valid.
class TARNEFileObj : public OrbFileObj {
 public:
  explicit TARNEFileObj(OrbitFileContext context);
  void Convert() override {}

 private:
  OrbitSourceFormat Format() const override { return OrbitSourceFormat::kLowell; }
  std::string ProgressText() const override { return ""; }
};

/// The comet file "COMET.DAT" (folder: the MPCCometPath option, or the
/// program's folder), read whole when the object is created.
class CometFileObj {
 public:
  /// Reads the file; a file that cannot be opened shows "Comet File Error"
  /// and leaves the object unloaded. Lines that cannot be read are left out.
  explicit CometFileObj(OrbitFileContext context);

  bool Loaded() const { return loaded_; }
  const std::string& FileName() const { return fileName_; }
  /// The file's modification time as a date-time value (days since 1899-12-30).
  double FileDateTime() const { return fileDateTime_; }
  RecordList<CmoRecord>& Records() { return records_; }
  RecordList<CmoHeader>& Headers() { return headers_; }
  /// Lines that could not be read as comet elements.
  std::int64_t SkippedLines() const { return skipped_; }

 private:
  std::string fileName_;
  double fileDateTime_ = 0;
  bool loaded_ = false;
  std::int64_t skipped_ = 0;
  RecordList<CmoRecord> records_;
  RecordList<CmoHeader> headers_;
};

/// The orbit file objects of a session: at most one Lowell and one MPC
/// object, and the one in use.
class OrbitFiles {
 public:
  explicit OrbitFiles(OrbitFileContext context) : context_(std::move(context)) {}

  /// Creates the Lowell object (which locates its files) unless it exists.
  ASTFileObj& OpenLowellObject();
  /// Creates the MPC object unless it exists.
  MPCFileObj& OpenMpcObject();
  /// Creates the Lowell object if needed; converts when the source is present
  /// and the converted file not valid; opens a valid converted file.
  void OpenLowell();
  /// The same for the MPC database.
  void OpenMPC();
  /// Creates the TARNE object and opens its file.
  void OpenTARNE();
  /// OpenLowell, and when its converted file is valid it becomes the current
  /// file; else OpenMPC likewise. False when neither is usable.
  bool OpenAnyAsteroidFile();
  /// Frees both objects; no current file.
  void CloseOrbitFiles();

  /// The designation of the numbered record whose name is `name` (case and
  /// "_" as described for the look-up), or "" (also for unnumbered objects:
  /// the search stops at the first unnumbered record). Closes the files.
  std::string FindDesignationByName(const std::string& name);
  /// The name of the record numbered `numberText` ("433" or "(433)"), or "".
  /// Closes the files.
  std::string FindNameByNumber(const std::string& numberText);

  ASTFileObj* Lowell() { return lowell_.get(); }
  MPCFileObj* Mpc() { return mpc_.get(); }
  TARNEFileObj* Tarne() { return tarne_.get(); }
  OrbFileObj* Current() { return current_; }

 private:
  OrbitFileContext context_;
  std::unique_ptr<ASTFileObj> lowell_;
  std::unique_ptr<MPCFileObj> mpc_;
  std::unique_ptr<TARNEFileObj> tarne_;
  OrbFileObj* current_ = nullptr;
};

}  // namespace skarvel
