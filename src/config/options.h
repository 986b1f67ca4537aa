// The options record, its file "ASTROPTS.INI" and the object that keeps it.
//
// The options file is binary despite its name: the persisted fields of the
// record one after the other, 8040 bytes, no keys or checksum. The OptsObj
// finds the writable working directory, reads the file (or takes the
// defaults) and writes it with a ".BAK" copy of the previous file.
//
// Usage:
//   1. OptsObj opts("ASTROPTS.INI", "1.330", StorageEnvironment::FromProcess(), ui);
//   2. if (!opts.Start()) -> the person declined to name writable storage; end the program.
//   3. read and change opts.Record(); opts.Write(opts.Record().dataDir) to save.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/observer_records.h"
#include "foundations/byte_io.h"
#include "images/box_record.h"
#include "images/display_settings.h"
#include "platform/platform.h"

namespace skarvel {

/// A scrambled access code: up to four groups of 4 complemented bytes and the text length.
struct AccessCode {
  std::array<std::uint8_t, 16> groups{};
  std::uint8_t length = 0;
  bool operator==(const AccessCode&) const = default;
};

/// Scrambles a code of at most 16 characters (longer texts are cut): groups of
/// 4 characters from the start, every byte complemented; the length byte holds
/// the text length. Bytes beyond the groups used are zero.
AccessCode Scramble(const std::string& text);
/// Complements the stored groups again and cuts the result to the stored
/// length (at most 16).
std::string Unscramble(const AccessCode& code);

/// Local star catalog choice (`PrimaryCatalog`).
enum PrimaryCatalogChoice : std::uint8_t { kPrimaryNone = 0, kPrimaryGSC = 1, kPrimaryUCAC2 = 2, kPrimaryUCAC3 = 3 };
/// Web catalog choice (`WebCatalog`). NOMAD, USNO-B1.0 and USNO-A2.0 are
/// served by both on-line services; Gaia DR3 and UCAC4 only by VizieR (with
/// the USNO-style service chosen they are still fetched from VizieR).
enum WebCatalogChoice : std::uint8_t {
  kWebNOMAD = 0,
  kWebUSNOB1 = 1,
  kWebUSNOA2 = 2,
  kWebGaiaDR3 = 3,
  kWebUCAC4 = 4,
};
/// Last valid `WebCatalog` index.
inline constexpr std::uint8_t kLastWebCatalog = kWebUCAC4;
/// Catalog location choice (`CatalogLocation`).
enum CatalogLocationChoice : std::uint8_t { kCatalogLocal = 0, kCatalogWeb = 1 };
/// Kind of on-line service (`onlineService`): VizieR's ASU interface with
/// tab-separated answers, or the USNO-style cone search at `USNOCatURL`
/// answering a "|"-separated table.
enum OnlineServiceChoice : std::uint8_t { kServiceVizieR = 0, kServiceUSNO = 1 };
/// Last valid `onlineService` index.
inline constexpr std::uint8_t kLastOnlineService = kServiceUSNO;
/// VizieR's main address, used while `vizierServer` is empty.
inline constexpr const char* kVizieRMainServer = "https://vizier.cds.unistra.fr";
/// The ASU tab-separated query path under a VizieR server.
inline constexpr const char* kVizieRQueryPath = "/viz-bin/asu-tsv";

/// Image file type choice (`ImageFileType`).
/// The centring choices of `centroidMethod` (the values of CentroidMethod).
enum CentroidChoice : std::uint8_t { kCentroidClassic = 0, kCentroidWindowed = 1, kCentroidPsfFit = 2 };

/// Bit 0 of `reservedByte` (offset 6943): weight the plate by the stars' measured uncertainties.
inline constexpr std::uint8_t kWeightPlateFlag = 0x01;

enum ImageFileTypeChoice : std::uint8_t { kImageFITS = 0, kImageST4 = 1, kImageSBIG = 2 };

/// Every setting of the program. Field order is the record's order; the
/// fields marked "not persisted" are never in the file.
struct OptionsRecord {
  // Text capacities of the file layout (characters after the length byte).
  static constexpr std::size_t kShortText = 71;
  static constexpr std::size_t kLongText = 255;
  static constexpr std::size_t kLabTable = 4;
  static constexpr std::size_t kReservedBlock = 28;     ///< the 28 bytes at offset 7996 in all
  static constexpr std::size_t kVizieRServerText = 25;  ///< `vizierServer` capacity

  std::string expectedVersion;  ///< not persisted: the version this program accepts
  std::string fileName;         ///< not persisted: "ASTROPTS.INI"
  std::string backupName;       ///< not persisted: "ASTROPTS.BAK"
  std::string version;          ///< text[71]: version of the program that wrote the file
  std::string programDir;       ///< not persisted: the program's data folder (foundations/installation.h), trailing separator
  std::string dataDir;          ///< not persisted: writable working directory, trailing separator
  std::string imagePath;        ///< text[255]: directory images were last loaded from
  std::string gscPath1;         ///< text[255]: Guide Star Catalog volume 1
  std::string gscPath2;         ///< text[255]: Guide Star Catalog volume 2
  std::string bssPath;          ///< text[255]: UCAC-BSS catalog
  std::string ucac2Path;        ///< text[255]
  std::string ucac3Path1;       ///< text[255]: UCAC3 side 1
  std::string ucac3Path2;       ///< text[255]: UCAC3 side 2
  std::string sa1Path;          ///< text[255]: USNO-SA1.0
  std::string sa2Path;          ///< text[255]: USNO-SA2.0
  std::string astorbPath;       ///< text[255]: directory of the Lowell astorb.dat
  std::string mpcOrbPath;       ///< text[255]: directory of MPCORB.DAT
  std::string mpcCometPath;     ///< text[255]: directory of COMET.DAT
  std::string orbitFileArg;     ///< not persisted: TARNE orbit file named on the command line
  std::string cdromDrive;       ///< not persisted: root of the first CD-ROM drive, or empty
  std::string logoFile;         ///< text[71]
  std::string titleFile;        ///< text[71]
  std::string helpFile;         ///< text[71]
  std::string toolHelpList;     ///< text[71]
  std::string userHelpFile;     ///< text[71]
  std::string reminderFile;     ///< text[71]
  std::string stationsFile;     ///< text[255]
  std::string obsCodesFile;     ///< text[255]
  std::string cameraFile;       ///< text[255]
  std::string savedOrbitsFile;  ///< text[255]
  std::string astorbURL;        ///< text[255]
  std::string mpcOrbURL;        ///< text[255]
  std::string mpcURL;           ///< text[255]
  std::string vornURL;          ///< text[255]
  std::string pPlutoURL;        ///< text[255]
  std::string usnoStatusURL;    ///< text[255]
  std::string usnoCatURL;       ///< text[255]: catalogue cone-search query, ending in "?"
  std::string spreadsheetProgram;  ///< text[255]: empty = the program associated with the file
  std::string logFile;          ///< text[255]: session log
  AccessCode accessCode1;       ///< 16 bytes + length
  AccessCode accessCode2;       ///< 16 bytes + length
  std::string labTable;         ///< text[4]: laboratory table number
  // The byte after the laboratory table (offset 6943) holds flags of the
  // plate solution; a file from before holds 0 there and solves as always:
  //   6943      1 byte   reservedByte   bit 0 (kWeightPlateFlag): the plate solution weights each
  //                                     reference star by its measured centring uncertainty
  //                                     (WeightPlateByUncertainty); bits 1..7: 0, kept as read
  std::uint8_t reservedByte = 0;
  bool administrator = false;   ///< not persisted: option saves also go to the program directory
  bool optionsAccess = true;
  bool expertMode = false;
  bool autoVerifyID = false;
  bool readSkyForCentroid = true;
  bool vornFormatGSC = false;
  bool gscOnACT = false;
  bool invertRefDisplay = true;
  bool oldReportFormat = true;
  bool maximizeBlink = true;
  bool defaultRefMags = true;
  bool restoreAllRefs = false;
  std::uint8_t primaryCatalog = kPrimaryGSC;  ///< 0 none, 1 GSC, 2 UCAC2, 3 UCAC3
  std::uint8_t supplCatalog = 0;              ///< 0 none, 1 USNO-SA1.0, 2 USNO-SA2.0, 3 UCAC-BSS
  std::uint8_t webCatalog = kWebGaiaDR3;      ///< WebCatalogChoice: 0 NOMAD, 1 USNO-B1.0, 2 USNO-A2.0, 3 Gaia DR3, 4 UCAC4
  std::uint8_t catalogLocation = kCatalogWeb;  ///< 0 local files, 1 web
  std::uint8_t solutionType = 0;              ///< 0 linear (6), 1 cross-term (8), 2 full quadratic (12)
  std::uint8_t imageFileType = kImageFITS;    ///< 0 FITS, 1 ST-4, 2 other SBIG
  std::uint8_t headerTimeType = 0;            ///< 0 start, 1 midpoint, 2 end; 3 stored with ST-4 files
  UserRecord userRecord;
  CameraRecord cameraRecord;
  SiteRecord siteRecord;
  DisplaySettings displayDefaults;
  // The on-line catalog settings live in the 28 bytes that used to be all
  // reserved (offset 7996), so the file stays 8040 bytes and a program that
  // ignores them still reads it:
  //   7996      1 byte   onlineService  OnlineServiceChoice (0 VizieR, 1 USNO-style at usnoCatURL)
  //   7997     26 bytes  vizierServer   text[25]: empty = kVizieRMainServer; a host name
  //                                     ("vizier.cfa.harvard.edu") means https://host; or
  //                                     scheme://host[:port]. The query goes to it + kVizieRQueryPath.
  //   8023      1 byte   centroidMethod CentroidMethod of every star measurement (0 the
  //                                     thresholded centroid of the box, 1 the Gaussian-
  //                                     windowed centroid, 2 the PSF fit)
  // Zero bytes (a file from before) mean VizieR at its main address and the
  // thresholded centroid; the catalog itself is `webCatalog`. A new
  // installation measures with the windowed centroid.
  std::uint8_t onlineService = kServiceVizieR;
  std::string vizierServer;
  std::uint8_t centroidMethod = kCentroidWindowed;
  BoxRecord refBox;
  BoxRecord unknownBox;
  float magLimit = 20.0f;   ///< limiting magnitude for catalog stars
  float fieldSize = 15.0f;  ///< star field size, arc minutes

  bool operator==(const OptionsRecord&) const = default;
};

/// Whether the plate solution weights its stars by their measured uncertainties (bit 0 at offset 6943).
inline bool WeightPlateByUncertainty(const OptionsRecord& r) { return (r.reservedByte & kWeightPlateFlag) != 0; }
/// Sets or clears that bit, the other bits kept.
inline void SetWeightPlateByUncertainty(OptionsRecord& r, bool on) {
  r.reservedByte = static_cast<std::uint8_t>(on ? (r.reservedByte | kWeightPlateFlag) : (r.reservedByte & ~kWeightPlateFlag));
}

/// Size of the persisted fields in the options file, bytes.
inline constexpr std::size_t kOptionsFileBytes = 8040;

/// Writes the persisted fields in file order (8040 bytes). Text areas after
/// the text are zero.
void WriteOptionsFields(ByteWriter& out, const OptionsRecord& r);
/// Reads the persisted fields after `Version` (the remaining 7968 bytes) into `r`.
/// Throws IOFailure on a short input.
void ReadOptionsFieldsAfterVersion(ByteReader& in, OptionsRecord& r);

/// Puts a value that no dialog can produce back to its default: a choice
/// beyond its last index, a filter code above 8, a measuring box outside
/// 1..10 pixels (cut-off outside -3..3 sigma), a magnitude limit or field
/// size that is not a finite number (or a field size not above 0).
void SanitizeOptions(OptionsRecord& r);

/// The version text cut after the second character following its first "."
/// (at most 71 characters considered): "1.330" -> "1.33".
std::string VersionPrefix(const std::string& version);

/// `fileName` with the 4 characters from its first "." removed and ".BAK" appended.
std::string BackupNameFor(const std::string& fileName);

/// Where the OptsObj looks for storage. `FromProcess` reads the running process.
struct StorageEnvironment {
  std::string programDir;         ///< the program's data folder: fs::InstallationDataDirectory() of the executable
  std::string currentDir;         ///< the working directory at start
  std::string perUserDir;         ///< $XDG_DATA_HOME/VORN/Toolkit (default ~/.local/share/VORN/Toolkit)
  bool perUserStorage = true;     ///< the per-user rule applies on this system
  bool changeCurrentDirectory = true;  ///< a directory taken instead of the current one becomes current
  std::string mountsFile = "/proc/mounts";  ///< mount table searched for the CD-ROM drive

  static StorageEnvironment FromProcess();
};

/// The mount point (with trailing separator) of the first mounted optical
/// drive in a mount table in /proc/mounts form, or "" when there is none.
std::string FindCdromDrive(const std::string& mountsFile);

/// Holder of the options record and its file.
class OptsObj {
 public:
  /// Sets `ExpectedVersion`, `FileName` and `BackupName`. Nothing is read yet.
  OptsObj(const std::string& fileName, const std::string& version, StorageEnvironment env,
          platform::Platform& ui);
  virtual ~OptsObj() = default;
  OptsObj(const OptsObj&) = delete;
  OptsObj& operator=(const OptsObj&) = delete;

  /// Finds `ProgramDir`, `DataDir` and `CDROMDrive` and loads the options:
  /// `DataDir` + file, else `ProgramDir` + file, else the defaults; then
  /// `Administrator` and `SavedInDataDir` are off. Returns false when no
  /// writable working directory could be found and the person declined to
  /// name one: the program must then end.
  bool Start();

  /// Reads the file at `path` into the record. False (and the record as it
  /// was) when the file does not exist, cannot be opened, is obsolete
  /// ("Version Error") or is invalid ("File Error").
  bool Read(const std::string& path);

  /// Writes directory + `FileName`, after copying an existing file of that
  /// name to directory + `BackupName`. False with the "Options File Error!"
  /// message when the backup or the file cannot be created; a failure while
  /// writing throws IOFailure and leaves the previous file in place.
  bool Write(const std::string& directory);

  /// The defaults of every persisted field, except `VornFormatGSC`,
  /// `LabTable`, the reserved tail byte and the observers and measurers of the user
  /// record, which keep what they hold.
  void SetDefaults();

  OptionsRecord& Record() { return record_; }
  const OptionsRecord& Record() const { return record_; }
  bool PerUserStorage() const { return perUserStorage_; }
  bool SavedInDataDir() const { return savedInDataDir_; }

  /// The built-in access codes (before scrambling).
  static constexpr const char* kDefaultAccessCode1 = "INSTRUCTOR";
  static constexpr const char* kDefaultAccessCode2 = "ADMINISTRATOR";

 protected:
  /// Called after the last persisted field has been read, before the
  /// end-of-file test; a descendant reads its own appended data here.
  virtual void ReadExtra(ByteReader& /*in*/, OptionsRecord& /*record*/) {}
  /// Called after the last persisted field has been written.
  virtual void WriteExtra(ByteWriter& /*out*/) {}

 private:
  bool FindDataDir();

  OptionsRecord record_;
  StorageEnvironment env_;
  platform::Platform& ui_;
  bool perUserStorage_ = false;
  bool savedInDataDir_ = false;
};

}  // namespace skarvel
