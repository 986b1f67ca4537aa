#include "config/options.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundations/file_system.h"
#include "foundations/installation.h"
#include "foundations/io_error.h"
#include "images/display_mapping.h"

namespace skarvel {

using platform::Buttons;
using platform::Icon;

// ---------------------------------------------------------------- access codes

AccessCode Scramble(const std::string& text) {
  AccessCode code;
  const std::size_t n = text.size() < code.groups.size() ? text.size() : code.groups.size();
  code.length = static_cast<std::uint8_t>(n);
  const std::size_t groups = (n + 3) / 4;
  for (std::size_t i = 0; i < groups * 4; ++i) {
    const auto c = i < n ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{0};
    code.groups[i] = static_cast<std::uint8_t>(~c);
  }
  return code;
}

std::string Unscramble(const AccessCode& code) {
  const std::size_t n = code.length < code.groups.size() ? code.length : code.groups.size();
  std::string text(n, '\0');
  for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>(static_cast<std::uint8_t>(~code.groups[i]));
  return text;
}

// ---------------------------------------------------------------- file layout

namespace {

void WriteAccessCode(ByteWriter& out, const AccessCode& code) {
  out.Bytes(code.groups.data(), code.groups.size());
  out.U8(code.length);
}

AccessCode ReadAccessCode(ByteReader& in) {
  AccessCode code;
  in.Bytes(code.groups.data(), code.groups.size());
  code.length = in.U8();
  return code;
}

}  // namespace

void WriteOptionsFields(ByteWriter& out, const OptionsRecord& r) {
  using R = OptionsRecord;
  out.Text(r.version, R::kShortText);
  for (const std::string* p : {&r.imagePath, &r.gscPath1, &r.gscPath2, &r.bssPath, &r.ucac2Path, &r.ucac3Path1,
                               &r.ucac3Path2, &r.sa1Path, &r.sa2Path, &r.astorbPath, &r.mpcOrbPath, &r.mpcCometPath})
    out.Text(*p, R::kLongText);
  for (const std::string* p : {&r.logoFile, &r.titleFile, &r.helpFile, &r.toolHelpList, &r.userHelpFile,
                               &r.reminderFile})
    out.Text(*p, R::kShortText);
  for (const std::string* p : {&r.stationsFile, &r.obsCodesFile, &r.cameraFile, &r.savedOrbitsFile, &r.astorbURL,
                               &r.mpcOrbURL, &r.mpcURL, &r.vornURL, &r.pPlutoURL, &r.usnoStatusURL, &r.usnoCatURL,
                               &r.spreadsheetProgram, &r.logFile})
    out.Text(*p, R::kLongText);
  WriteAccessCode(out, r.accessCode1);
  WriteAccessCode(out, r.accessCode2);
  out.Text(r.labTable, R::kLabTable);
  out.U8(r.reservedByte);
  for (bool b : {r.optionsAccess, r.expertMode, r.autoVerifyID, r.readSkyForCentroid, r.vornFormatGSC, r.gscOnACT,
                 r.invertRefDisplay, r.oldReportFormat, r.maximizeBlink, r.defaultRefMags, r.restoreAllRefs})
    out.Bool(b);
  for (std::uint8_t c : {r.primaryCatalog, r.supplCatalog, r.webCatalog, r.catalogLocation, r.solutionType,
                         r.imageFileType, r.headerTimeType})
    out.U8(c);
  WriteUserRecord(out, r.userRecord);
  WriteCameraRecord(out, r.cameraRecord);
  WriteSiteRecord(out, r.siteRecord);
  WriteDisplaySettings(out, r.displayDefaults);
  out.U8(r.onlineService);
  out.Text(r.vizierServer, R::kVizieRServerText);
  out.U8(r.centroidMethod);
  WriteBoxRecord(out, r.refBox);
  WriteBoxRecord(out, r.unknownBox);
  out.F32(r.magLimit);
  out.F32(r.fieldSize);
}

void ReadOptionsFieldsAfterVersion(ByteReader& in, OptionsRecord& r) {
  using R = OptionsRecord;
  for (std::string* p : {&r.imagePath, &r.gscPath1, &r.gscPath2, &r.bssPath, &r.ucac2Path, &r.ucac3Path1,
                         &r.ucac3Path2, &r.sa1Path, &r.sa2Path, &r.astorbPath, &r.mpcOrbPath, &r.mpcCometPath})
    *p = in.Text(R::kLongText);
  for (std::string* p : {&r.logoFile, &r.titleFile, &r.helpFile, &r.toolHelpList, &r.userHelpFile, &r.reminderFile})
    *p = in.Text(R::kShortText);
  for (std::string* p : {&r.stationsFile, &r.obsCodesFile, &r.cameraFile, &r.savedOrbitsFile, &r.astorbURL,
                         &r.mpcOrbURL, &r.mpcURL, &r.vornURL, &r.pPlutoURL, &r.usnoStatusURL, &r.usnoCatURL,
                         &r.spreadsheetProgram, &r.logFile})
    *p = in.Text(R::kLongText);
  r.accessCode1 = ReadAccessCode(in);
  r.accessCode2 = ReadAccessCode(in);
  r.labTable = in.Text(R::kLabTable);
  r.reservedByte = in.U8();
  for (bool* b : {&r.optionsAccess, &r.expertMode, &r.autoVerifyID, &r.readSkyForCentroid, &r.vornFormatGSC,
                  &r.gscOnACT, &r.invertRefDisplay, &r.oldReportFormat, &r.maximizeBlink, &r.defaultRefMags,
                  &r.restoreAllRefs})
    *b = in.Bool();
  for (std::uint8_t* c : {&r.primaryCatalog, &r.supplCatalog, &r.webCatalog, &r.catalogLocation, &r.solutionType,
                          &r.imageFileType, &r.headerTimeType})
    *c = in.U8();
  r.userRecord = ReadUserRecord(in);
  r.cameraRecord = ReadCameraRecord(in);
  r.siteRecord = ReadSiteRecord(in);
  r.displayDefaults = ReadDisplaySettings(in);
  r.onlineService = in.U8();
  r.vizierServer = in.Text(R::kVizieRServerText);
  r.centroidMethod = in.U8();
  r.refBox = ReadBoxRecord(in);
  r.unknownBox = ReadBoxRecord(in);
  r.magLimit = in.F32();
  r.fieldSize = in.F32();
}

namespace {
/// FilterCode of a new camera record: 7, "&None".
constexpr std::uint8_t kNewCameraFilter = 7;
}  // namespace

void SanitizeOptions(OptionsRecord& r) {
  const OptionsRecord d;
  auto choice = [](std::uint8_t& value, std::uint8_t last, std::uint8_t fallback) {
    if (value > last) value = fallback;
  };
  choice(r.primaryCatalog, 3, d.primaryCatalog);
  choice(r.supplCatalog, 3, d.supplCatalog);
  choice(r.webCatalog, kLastWebCatalog, d.webCatalog);
  choice(r.onlineService, kLastOnlineService, d.onlineService);
  choice(r.catalogLocation, 1, d.catalogLocation);
  choice(r.solutionType, 2, d.solutionType);
  choice(r.imageFileType, 2, d.imageFileType);
  choice(r.headerTimeType, 3, d.headerTimeType);
  choice(r.centroidMethod, kCentroidPsfFit, kCentroidClassic);
  choice(r.cameraRecord.filter, 8, kNewCameraFilter);
  auto box = [](BoxRecord& b) {
    const bool ok = b.peakHalfWidth >= 1 && b.peakHalfWidth <= 10 && b.centroidRadius >= 1 &&
                    b.centroidRadius <= 10 && b.skyBorder >= 1 && b.skyBorder <= 10 && b.skyCutoff >= -3 &&
                    b.skyCutoff <= 3;
    if (!ok) b = BoxRecord{};
  };
  box(r.refBox);
  box(r.unknownBox);
  if (!std::isfinite(r.magLimit)) r.magLimit = d.magLimit;
  if (!std::isfinite(r.fieldSize) || r.fieldSize <= 0.0f) r.fieldSize = d.fieldSize;
  BringIntoDialogRanges(r.displayDefaults);
}

std::string VersionPrefix(const std::string& version) {
  const std::string v = version.substr(0, OptionsRecord::kShortText);
  const auto dot = v.find('.');
  if (dot == std::string::npos) return v;
  return v.substr(0, dot + 3);
}

std::string BackupNameFor(const std::string& fileName) {
  std::string name = fileName;
  const auto dot = name.find('.');
  if (dot != std::string::npos) name.erase(dot, 4);
  return name + ".BAK";
}

// ---------------------------------------------------------------- storage

StorageEnvironment StorageEnvironment::FromProcess() {
  StorageEnvironment env;
  env.programDir = fs::InstallationDataDirectory();
  env.currentDir = fs::CurrentDirectory();
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = fs::WithTrailingSeparator(home) + ".local/share";
  }
  env.perUserDir = base.empty() ? std::string() : fs::WithTrailingSeparator(base) + "VORN/Toolkit/";
  env.perUserStorage = !env.perUserDir.empty();
  return env;
}

namespace {

// Mount-table fields escape blanks and the like as a backslash and three octal digits.
std::string UnescapeMountField(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

bool IsOpticalDevice(const std::string& device) {
  if (device == "/dev/cdrom" || device == "/dev/dvd") return true;
  if (device.rfind("/dev/sr", 0) == 0 && device.size() > 7) {
    for (std::size_t i = 7; i < device.size(); ++i)
      if (device[i] < '0' || device[i] > '9') return false;
    return true;
  }
  return false;
}

}  // namespace

std::string FindCdromDrive(const std::string& mountsFile) {
  std::ifstream in(mountsFile);
  std::string line;
  constexpr std::size_t kMaxLines = 100000;  // a mount table is far shorter
  for (std::size_t n = 0; n < kMaxLines && std::getline(in, line); ++n) {
    std::istringstream fields(line);
    std::string device;
    std::string mountPoint;
    std::string type;
    if (!(fields >> device >> mountPoint >> type)) continue;
    if (type == "iso9660" || type == "udf" || IsOpticalDevice(device))
      return fs::WithTrailingSeparator(UnescapeMountField(mountPoint));
  }
  return std::string();
}

namespace {

/// With no optical drive in a mount table that could be read, the drive is
/// asked for ("CDROM Drive?"). OK with a folder (it holds a "/", such as a
/// mount point) gives that folder, else the first character typed + ":\";
/// Cancel, or nothing typed, leaves no drive. Without a mount table (none
/// at the path, or not a file) nothing can be told about the drives and
/// nothing is asked.
std::string AskCdromDrive(platform::Platform& ui, const std::string& mountsFile) {
  std::error_code error;
  if (mountsFile.empty() || !std::filesystem::is_regular_file(mountsFile, error)) return std::string();
  const auto typed = ui.PromptText({"CDROM Drive?", "Please Enter Drive Letter of CDROM:", "", ""});
  if (!typed || typed->empty()) return std::string();
  if (typed->find('/') != std::string::npos) return fs::WithTrailingSeparator(*typed);
  return std::string(1, (*typed)[0]) + ":\\";
}

}  // namespace

// ---------------------------------------------------------------- OptsObj

OptsObj::OptsObj(const std::string& fileName, const std::string& version, StorageEnvironment env,
                 platform::Platform& ui)
    : env_(std::move(env)), ui_(ui) {
  record_.expectedVersion = version;
  record_.fileName = fileName;
  record_.backupName = BackupNameFor(fileName);
  record_.version = version;
}

bool OptsObj::FindDataDir() {
  record_.programDir = fs::WithTrailingSeparator(env_.programDir);
  std::string candidate = fs::WithTrailingSeparator(env_.currentDir);
  perUserStorage_ = env_.perUserStorage;
  if (perUserStorage_ && !fs::DirectoryWritable(candidate)) {
    const std::string perUser = fs::WithTrailingSeparator(env_.perUserDir);
    if (!perUser.empty() && fs::MakeDirectories(perUser) && fs::DirectoryWritable(perUser)) {
      candidate = perUser;
      if (env_.changeCurrentDirectory) fs::SetCurrentDirectory(candidate);
    } else {
      // Ask until a writable directory is named, or the person gives up.
      for (;;) {
        const auto answer = platform::Tell(
            ui_,
            "Path \"" + candidate + "\" is write-protected!" + "\r\n\r\n" +
                "You must provide a path to write-enabled storage.  " + "If you are using removable storage," +
                "\r\n" + "such as a USB device, please mount it before continuing, " +
                "then select it in the dialog that follows.",
            "Write-Enabled Storage Required", Icon::Stop, Buttons::OkCancel);
        if (answer != platform::Answer::Ok) return false;
        const auto chosen = ui_.ChooseDirectory({"Write-Enabled Storage Required", candidate, true});
        if (!chosen) return false;
        candidate = fs::WithTrailingSeparator(*chosen);
        if (fs::DirectoryWritable(candidate)) break;
      }
      if (env_.changeCurrentDirectory) fs::SetCurrentDirectory(candidate);
    }
  }
  record_.dataDir = candidate;
  return true;
}

bool OptsObj::Start() {
  if (!FindDataDir()) return false;
  record_.cdromDrive = FindCdromDrive(env_.mountsFile);
  if (record_.cdromDrive.empty()) record_.cdromDrive = AskCdromDrive(ui_, env_.mountsFile);
  bool loaded = Read(record_.dataDir + record_.fileName);
  if (!loaded && record_.dataDir != record_.programDir) loaded = Read(record_.programDir + record_.fileName);
  record_.orbitFileArg.clear();
  if (!loaded) SetDefaults();
  record_.administrator = false;
  savedInDataDir_ = false;
  return true;
}

bool OptsObj::Read(const std::string& path) {
  if (!fs::FileExists(path)) return false;
  std::ifstream in(fs::Resolve(path), std::ios::binary);
  if (!in) return false;
  // Read into a copy: a file that fails on the way changes nothing.
  OptionsRecord copy = record_;
  ByteReader reader(in);
  try {
    copy.version = reader.Text(OptionsRecord::kShortText);
    if (VersionPrefix(record_.expectedVersion) != VersionPrefix(copy.version)) {
      platform::Tell(ui_,
                     "Options File " + path + " is obsolete." + "\r\n" +
                         "Program will continue with defaults or alternative file.",
                     "Version Error", Icon::Information);
      return false;
    }
    ReadOptionsFieldsAfterVersion(reader, copy);
    ReadExtra(reader, copy);
    if (!reader.AtEnd()) throw IOFailure(io_code::kInvalidInput, "EOF Not Reached!");
    SanitizeOptions(copy);
  } catch (const IOFailure& failure) {
    platform::Tell(ui_,
                   "Options File " + path + " is Invalid." + "\r\n" +
                       "Program will continue with defaults or alternative file." + "\r\n\r\n" + failure.what(),
                   "File Error", Icon::Information);
    return false;
  }
  // Only the persisted fields come from the file.
  OptionsRecord& r = record_;
  const OptionsRecord keep = r;
  r = copy;
  r.expectedVersion = keep.expectedVersion;
  r.fileName = keep.fileName;
  r.backupName = keep.backupName;
  r.programDir = keep.programDir;
  r.dataDir = keep.dataDir;
  r.orbitFileArg = keep.orbitFileArg;
  r.cdromDrive = keep.cdromDrive;
  r.administrator = keep.administrator;
  return true;
}

bool OptsObj::Write(const std::string& directory) {
  const std::string dir = fs::WithTrailingSeparator(directory);
  const std::string target = dir + record_.fileName;
  const std::string backup = dir + record_.backupName;
  auto refuse = [&](const IOFailure& failure) {
    platform::Tell(ui_, "Unable to save Options!\r\n\r\nFileName: " + target + "\r\n" + failure.what(),
                   "Options File Error!", Icon::Error);
    return false;
  };
  // A directory standing at the file's name cannot be replaced by the file.
  if (fs::DirectoryExists(target)) return refuse(IOFailure(io_code::kAccessDenied));
  try {
    if (fs::FileExists(target)) fs::CopyFileBytes(target, backup);
  } catch (const IOFailure& failure) {
    return refuse(failure);
  }
  std::unique_ptr<fs::AtomicFile> file;
  try {
    file = std::make_unique<fs::AtomicFile>(target);
  } catch (const IOFailure& failure) {
    return refuse(failure);
  }
  ByteWriter out;
  WriteOptionsFields(out, record_);
  WriteExtra(out);
  try {
    file->Write(out.Buffer());
    file->Commit();
  } catch (const IOFailure& failure) {  // a full disk: the temporary file goes, the previous file stays
    return refuse(failure);
  }
  savedInDataDir_ = (dir == record_.dataDir);
  return true;
}

void OptsObj::SetDefaults() {
  OptionsRecord& r = record_;
  const OptionsRecord keep = r;
  OptionsRecord d;  // the member initialisers are the switch, choice and number defaults
  r.version = r.expectedVersion;
  for (std::string* p : {&r.imagePath, &r.gscPath1, &r.gscPath2, &r.bssPath, &r.ucac2Path, &r.ucac3Path1,
                         &r.ucac3Path2, &r.sa1Path, &r.sa2Path, &r.astorbPath, &r.mpcOrbPath, &r.mpcCometPath})
    p->clear();
  r.logoFile = "VORNLOGO.BMP";
  r.titleFile = "ASTROMET.BMP";
  r.helpFile = "VORNHELP.HLP";
  r.toolHelpList = "TOOLSHLP.LST";
  r.userHelpFile.clear();
  r.reminderFile = "REMINDER.AST";
  r.stationsFile = "ASTSITES.DAT";
  r.obsCodesFile = "SCPCODES.DAT";
  r.cameraFile = "ASTCAMS.DAT";
  r.savedOrbitsFile = "SAVORBS.DAT";
  // The Lowell database download location and the MPC's pages.
  r.astorbURL = "https://ftp.lowell.edu/pub/elgb/astorb.dat.gz";
  r.mpcOrbURL = "https://www.minorplanetcenter.net/iau/MPCORB.html";
  r.mpcURL = "https://www.minorplanetcenter.net/";
  // The maker has no page of its own; the MPC's guide to minor-body astrometry stands in.
  r.vornURL = "https://www.minorplanetcenter.net/iau/info/Astrometry.html";
  r.pPlutoURL = "https://www.projectpluto.com/";
  // The US Naval Observatory Flagstaff Station, which served the USNO-B1.0, USNO-A2.0 and NOMAD catalogues.
  r.usnoStatusURL = "https://www.nofs.navy.mil/";
  r.usnoCatURL = "https://www.nofs.navy.mil/cgi-bin/vo_cone.cgi?";
  r.spreadsheetProgram.clear();
  r.logFile = "VORNLOG.LOG";
  r.accessCode1 = Scramble(kDefaultAccessCode1);
  r.accessCode2 = Scramble(kDefaultAccessCode2);
  r.reservedByte = d.reservedByte;
  r.optionsAccess = d.optionsAccess;
  r.expertMode = d.expertMode;
  r.autoVerifyID = d.autoVerifyID;
  r.readSkyForCentroid = d.readSkyForCentroid;
  r.gscOnACT = d.gscOnACT;
  r.invertRefDisplay = d.invertRefDisplay;
  r.oldReportFormat = d.oldReportFormat;
  r.maximizeBlink = d.maximizeBlink;
  r.defaultRefMags = d.defaultRefMags;
  r.restoreAllRefs = d.restoreAllRefs;
  r.primaryCatalog = d.primaryCatalog;
  r.supplCatalog = d.supplCatalog;
  r.webCatalog = d.webCatalog;
  r.catalogLocation = d.catalogLocation;
  r.onlineService = d.onlineService;
  r.vizierServer = d.vizierServer;
  r.solutionType = d.solutionType;
  r.imageFileType = d.imageFileType;
  r.headerTimeType = d.headerTimeType;
  r.centroidMethod = d.centroidMethod;
  r.userRecord = UserRecord{};
  r.userRecord.observers = keep.userRecord.observers;
  r.userRecord.measurers = keep.userRecord.measurers;
  // A new camera is unfiltered ("&None", the astrometrist's usual camera)
  // rather than the blue filter a zero would name; an image's FILTER card
  // replaces it as the image is loaded.
  r.cameraRecord = CameraRecord{};
  r.cameraRecord.filter = kNewCameraFilter;
  r.siteRecord = DefaultSiteRecord();
  r.displayDefaults = DisplaySettings{};
  r.refBox = BoxRecord{};
  r.unknownBox = BoxRecord{};
  r.magLimit = d.magLimit;
  r.fieldSize = d.fieldSize;
  // vornFormatGSC and labTable keep what they hold.
}

}  // namespace skarvel
