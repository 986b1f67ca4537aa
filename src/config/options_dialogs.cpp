#include "config/options_dialogs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "config/vizier_server.h"
#include "foundations/file_system.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

bool OptionsAssigned(platform::Platform& ui, const OptionsRecord* record) {
  if (record != nullptr) return true;
  platform::Tell(ui, "No Options Assigned!", "Cannot Modify Options!", Icon::Error);
  return false;
}

// ---------------------------------------------------------------------------
// "Software Options"

std::string OptionsNumberText(float value) { return FormatFixed(1, static_cast<long double>(value)); }

namespace {

/// The number a text holds when it fits a 32-bit float, else nothing.
std::optional<float> FloatOf(const std::string& text) {
  const std::optional<long double> v = ParseDecimal(text);
  if (!v || std::fabs(*v) > static_cast<long double>(std::numeric_limits<float>::max())) return std::nullopt;
  return static_cast<float>(*v);
}

}  // namespace

SoftwareOptionsLogic::SoftwareOptionsLogic(OptionsRecord& record) : record_(record), copy_(record) {
  expertMode = record.expertMode;
  autoVerifyID = record.autoVerifyID;
  readSkyForCentroid = record.readSkyForCentroid;
  vornFormatGSC = record.vornFormatGSC;
  gscOnACT = record.gscOnACT;
  invertRefDisplay = record.invertRefDisplay;
  oldReportFormat = record.oldReportFormat;
  maximizeBlink = record.maximizeBlink;
  defaultRefMags = record.defaultRefMags;
  restoreAllRefs = record.restoreAllRefs;
  administrator = record.administrator;
  fileFormat = record.imageFileType <= kImageSBIG ? record.imageFileType : 0;
  timeType = record.headerTimeType <= 2 ? record.headerTimeType : 0;
  solutionType = record.solutionType <= 2 ? record.solutionType : 0;
  centroidMethod = record.centroidMethod <= kCentroidPsfFit ? int{record.centroidMethod} : int{kCentroidClassic};
  weightPlate = WeightPlateByUncertainty(record);
  fieldSize = OptionsNumberText(record.fieldSize);
  magLimit = OptionsNumberText(record.magLimit);
  // ST-4 files carry their own time convention; only FITS headers name the object to verify.
  timeGroupEnabled = fileFormat != kImageST4;
  if (!timeGroupEnabled) timeType = kNone;
  autoVerifyEnabled = fileFormat == kImageFITS;
  userEnabled = cameraEnabled = true;
}

void SoftwareOptionsLogic::ChooseFileFormat(int format) {
  if (format < kImageFITS || format > kImageSBIG) return;
  fileFormat = format;
  timeGroupEnabled = format != kImageST4;
  timeType = timeGroupEnabled ? 0 : kNone;
  autoVerifyEnabled = format == kImageFITS;
}

bool SoftwareOptionsLogic::AdministratorChecked(platform::Platform& ui) {
  const Answer answer = platform::Tell(ui,
                                       "Are you the administrator of this program in a multi-user environment?\r\n"
                                       "(Do NOT check this box if you are the ONLY user.)",
                                       "Multi-User Environment?", Icon::Question, Buttons::YesNo);
  administrator = answer == Answer::Yes;
  return administrator;
}

void SoftwareOptionsLogic::Ok() {
  record_.expertMode = expertMode;
  record_.autoVerifyID = autoVerifyID;
  record_.readSkyForCentroid = readSkyForCentroid;
  record_.vornFormatGSC = vornFormatGSC;
  record_.gscOnACT = gscOnACT;
  record_.invertRefDisplay = invertRefDisplay;
  record_.oldReportFormat = oldReportFormat;
  record_.maximizeBlink = maximizeBlink;
  record_.defaultRefMags = defaultRefMags;
  record_.restoreAllRefs = restoreAllRefs;
  record_.administrator = administrator;
  record_.imageFileType = static_cast<std::uint8_t>(fileFormat);
  record_.headerTimeType = fileFormat == kImageST4 ? 3 : static_cast<std::uint8_t>(timeType >= 0 ? timeType : 0);
  record_.solutionType = static_cast<std::uint8_t>(solutionType);
  if (centroidMethod >= kCentroidClassic && centroidMethod <= kCentroidPsfFit)
    record_.centroidMethod = static_cast<std::uint8_t>(centroidMethod);
  SetWeightPlateByUncertainty(record_, weightPlate);
  // A field of no size has no projection: only a positive size is taken.
  if (const auto size = FloatOf(fieldSize); size && *size > 0.0f) record_.fieldSize = *size;
  if (const auto mag = FloatOf(magLimit)) record_.magLimit = *mag;
}

// ---------------------------------------------------------------------------
// "File Name Options"

namespace {

using R = OptionsRecord;
constexpr std::size_t kShort = OptionsRecord::kShortText;
constexpr std::size_t kLong = OptionsRecord::kLongText;
constexpr const char* kSystem = "System Files";
constexpr const char* kCatalogs = "Star Catalogs";
constexpr const char* kData = "Data Files";
constexpr const char* kUrls = "URLs";
constexpr const char* kLocal = "Default is Local Directory";
constexpr const char* kB1 = "For B1.0 Catalog Data Downloads";
constexpr const char* kDatFilter = "Data Files (*.DAT)|*.DAT";

FileOptionField Text(const char* page, const char* group, const char* label, const char* hint, const char* name,
                     std::string R::*field, std::size_t capacity) {
  return {page, group, label, hint, name, field, capacity, FileFieldKind::Plain, {}, false,
          "", "", "", "", true};
}

FileOptionField Dir(const char* page, const char* label, const char* hint, const char* name, std::string R::*field,
                    std::vector<std::string R::*> related) {
  return {page, "", label, hint, name, field, kLong, FileFieldKind::Directory, std::move(related), true,
          "", "", "", "", true};
}

FileOptionField File(const char* page, const char* group, const char* label, const char* hint, const char* name,
                     std::string R::*field, const char* filter, const char* fileName, const char* extension,
                     const char* title, bool startInDataDir) {
  return {page,   group,    label,     hint,  name, field, kLong, FileFieldKind::File, {}, false,
          filter, fileName, extension, title, startInDataDir};
}

}  // namespace

const std::vector<std::string>& FileOptionPages() {
  static const std::vector<std::string> pages{kSystem, kCatalogs, kData, kUrls};
  return pages;
}

const std::vector<FileOptionField>& FileOptionFields() {
  static const std::vector<FileOptionField> fields{
      Text(kSystem, "&Bitmap Files (256-Color)", "Logo:", "", "LogoEd", &R::logoFile, kShort),
      Text(kSystem, "&Bitmap Files (256-Color)", "Astrometry Title:", "", "TitleEd", &R::titleFile, kShort),
      Text(kSystem, "&Help Files", "User Help File:", "", "UserHelpEd", &R::userHelpFile, kShort),
      Text(kSystem, "&Help Files", "Reminder File:", "", "ReminderEd", &R::reminderFile, kShort),
      Text(kSystem, "&Help Files", "Toolkit Help List:", "", "ToolHelpEd", &R::toolHelpList, kShort),
      File(kSystem, "&Other Files", "Log File (May Include Path)", "", "LogFileEd", &R::logFile,
           "Log Files (*.LOG)|*.LOG", "VORNLOG.LOG", ".LOG", "Locate Log File", true),
      File(kSystem, "&Other Files", "Spreadsheet Program (.EXE).", "", "SpreadsheetEd", &R::spreadsheetProgram,
           "Program Files|*.EXE|All Files|*", "EXCEL.EXE", ".exe", "Locate Spreadsheet Program", false),
      Dir(kCatalogs, "Guide Star Catalog Volume 1 Path", "Default is 1st CDROM Drive Detected", "GSCPath1Ed",
          &R::gscPath1, {&R::gscPath2}),
      Dir(kCatalogs, "Guide Star Catalog Volume 2 Path", "Default is GSC Vol. 1 Path", "GSCPath2Ed", &R::gscPath2,
          {&R::gscPath1}),
      Dir(kCatalogs, "USNO-SA1.0 Catalog Path", "", "SA1PathEd", &R::sa1Path, {&R::sa2Path}),
      Dir(kCatalogs, "USNO-SA2.0 Catalog Path", "", "SA2PathEd", &R::sa2Path, {&R::sa1Path}),
      Dir(kCatalogs, "UCAC2 Catalog Path", "", "UCAC2PathEd", &R::ucac2Path, {}),
      Dir(kCatalogs, "UCAC_BSS Catalog Path", "", "BSSPathEd", &R::bssPath, {}),
      Dir(kCatalogs, "UCAC3 Catalog Side 1 Path", "", "UCAC3Path1Ed", &R::ucac3Path1, {&R::ucac3Path2}),
      Dir(kCatalogs, "UCAC3 Catalog Side 2 Path", "", "UCAC3Path2Ed", &R::ucac3Path2, {&R::ucac3Path1}),
      Dir(kData, "Lowell Orbit Database (ASTORB.DAT) Path", kLocal, "AstorbPathEd", &R::astorbPath,
          {&R::mpcOrbPath}),
      File(kData, "", "Stations File (May Include Path)", kLocal, "StationsEd", &R::stationsFile, kDatFilter,
           "ASTSITES.DAT", ".DAT", "Locate Stations File", true),
      File(kData, "", "Camera File (May Include Path)", kLocal, "CameraEd", &R::cameraFile, kDatFilter,
           "ASTCAMS.DAT", ".DAT", "Locate Camera File", true),
      Dir(kData, "MPC Orbit Database (MPCORB.DAT) Path", kLocal, "MPCOrbPathEd", &R::mpcOrbPath, {&R::astorbPath}),
      File(kData, "", "Save Orbits File (May Include Path)", kLocal, "SavedOrbitsEd", &R::savedOrbitsFile,
           kDatFilter, "SAVORBS.DAT", ".DAT", "Locate Save Orbits File", true),
      Dir(kData, "MPC Comet File (COMET.DAT) Path", kLocal, "CometPathEd", &R::mpcCometPath,
          {&R::mpcOrbPath, &R::astorbPath}),
      Text(kUrls, "", "Lowell Orbit Database (ASTORB.DAT) URL", "", "AstorbURLEd", &R::astorbURL, kLong),
      Text(kUrls, "", "MPC Orbit Database (MPCORB.DAT) URL", "", "MPCOrbURLEd", &R::mpcOrbURL, kLong),
      Text(kUrls, "", "Harvard/CFA Minor Planet Center", "", "MPCURLEd", &R::mpcURL, kLong),
      Text(kUrls, "", "Project VORN Website", "", "VornURLEd", &R::vornURL, kLong),
      Text(kUrls, "", "Project Pluto Website", "", "PPlutoURLEd", &R::pPlutoURL, kLong),
      Text(kUrls, "", "USNO VO Catalogue Cone Search", kB1, "USNOCatURLEd", &R::usnoCatURL, kLong),
      Text(kUrls, "", "USNO On-Line Status", kB1, "USNOStatusURLEd", &R::usnoStatusURL, kLong),
      Text(kUrls, "", "VizieR Server (Empty: Main Address)", kVizieRMainServer, "VizieRServerEd", &R::vizierServer,
           OptionsRecord::kVizieRServerText),
  };
  return fields;
}

FileOptionsLogic::FileOptionsLogic(OptionsRecord& record) : record_(record) {
  for (const FileOptionField& f : FileOptionFields()) texts.push_back(record.*(f.field));
}

std::size_t FileOptionsLogic::IndexOf(const std::string& name) {
  const auto& fields = FileOptionFields();
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (name == fields[i].name) return i;
  return std::string::npos;
}

bool FileOptionsLogic::DoubleClicked(std::size_t index, platform::Platform& ui) {
  const auto& fields = FileOptionFields();
  if (index >= fields.size() || index >= texts.size()) return false;
  const FileOptionField& f = fields[index];
  std::string chosen;
  if (f.kind == FileFieldKind::Directory) {
    // The chooser starts at this field's folder, else at a related field's, else at DataDir.
    std::string start = texts[index];
    for (std::string R::*other : f.related) {
      if (!start.empty()) break;
      for (std::size_t j = 0; j < fields.size(); ++j)
        if (fields[j].field == other) start = texts[j];
    }
    if (start.empty()) start = record_.dataDir;
    const auto dir = ui.ChooseDirectory(platform::DirectoryRequest{f.label, fs::NativePath(start), false});
    if (!dir) return false;
    chosen = fs::WithTrailingSeparator(*dir);
  } else if (f.kind == FileFieldKind::File) {
    platform::FileDialogRequest request;
    request.title = f.title;
    request.filter = f.filter;
    request.defaultExtension = f.extension;
    request.directory = f.startInDataDir ? record_.dataDir : kProgramFilesDir;
    request.fileName = f.fileName;
    const auto files = ui.OpenFiles(request);
    if (!files || files->empty()) return false;
    chosen = files->front();
  } else {
    return false;
  }
  if (chosen.size() > f.capacity) chosen.resize(f.capacity);
  const bool changed = chosen != texts[index];
  texts[index] = chosen;
  return changed;
}

void FileOptionsLogic::Ok() {
  const auto& fields = FileOptionFields();
  for (std::size_t i = 0; i < fields.size() && i < texts.size(); ++i) {
    std::string text = texts[i];
    if (fields[i].trailingSeparator) text = fs::WithTrailingSeparator(text);
    if (text.size() > fields[i].capacity) text.resize(fields[i].capacity);
    record_.*(fields[i].field) = text;
  }
}

// ---------------------------------------------------------------------------
// "Set Star Catalog Options"

const std::vector<std::string>& PrimaryCatalogCaptions() {
  static const std::vector<std::string> c{"No Primary Catlg", "Guide Star Catlg", "UCAC2", "UCAC3"};
  return c;
}
const std::vector<std::string>& SupplCatalogCaptions() {
  static const std::vector<std::string> c{"(None)", "USNO-SA1.0", "USNO-SA2.0", "UCAC-BSS"};
  return c;
}
const std::vector<std::string>& CatalogLocationCaptions() {
  static const std::vector<std::string> c{"Local Files", "Web (NVO)"};
  return c;
}
const std::vector<std::string>& WebCatalogCaptions() {
  // The on-line catalogs, by `WebCatalog` value (WebCatalogChoice).
  static const std::vector<std::string> c{"NOMAD", "USNO-B1.0", "USNO-A2.0", "Gaia DR3", "UCAC4"};
  return c;
}
const std::vector<std::string>& OnlineServiceCaptions() {
  static const std::vector<std::string> c{"VizieR (CDS)", "USNO-Style Cone Search"};
  return c;
}

namespace {

int ChoiceOf(std::uint8_t value, const std::vector<std::string>& captions) {
  return value < captions.size() ? value : CatalogOptionsLogic::kNone;
}

/// True when the supplementary catalog does not go with the primary one.
bool SupplForbidden(int primary, int suppl) {
  if (primary == kPrimaryGSC) return suppl == kSupplBSS;
  if (primary == kPrimaryUCAC2 || primary == kPrimaryUCAC3) return suppl == kSupplSA1 || suppl == kSupplSA2;
  return false;
}

}  // namespace

CatalogOptionsLogic::CatalogOptionsLogic(OptionsRecord& record) : record_(record) {
  location = ChoiceOf(record.catalogLocation, CatalogLocationCaptions());
  primary = ChoiceOf(record.primaryCatalog, PrimaryCatalogCaptions());
  suppl = ChoiceOf(record.supplCatalog, SupplCatalogCaptions());
  web = ChoiceOf(record.webCatalog, WebCatalogCaptions());
  service = ChoiceOf(record.onlineService, OnlineServiceCaptions());
  vizierServer = record.vizierServer;
  EnableGroups();
}

std::string CatalogOptionsLogic::ServerInUseText() const { return "Queries go to " + VizieREndpointOf(vizierServer); }

void CatalogOptionsLogic::EnableGroups() {
  const bool local = location == 0;
  localEnabled = local;
  webEnabled = !local;
  // A primary choice beyond the four known ones takes no supplement.
  const bool primaryKnown = primary != kNone;
  supplEnabled = local && primaryKnown;
  if (local && !primaryKnown) suppl = kNone;
}

void CatalogOptionsLogic::ChooseLocation(int choice) {
  if (choice < 0 || choice >= static_cast<int>(CatalogLocationCaptions().size())) return;
  location = choice;
  EnableGroups();
}

void CatalogOptionsLogic::ChoosePrimary(int choice) {
  if (choice < 0 || choice >= static_cast<int>(PrimaryCatalogCaptions().size())) return;
  primary = choice;
  supplEnabled = true;
  suppl = ChoiceOf(record_.supplCatalog, SupplCatalogCaptions());
  if (suppl == kNone || SupplForbidden(primary, suppl)) suppl = kSupplNone;
}

void CatalogOptionsLogic::ChooseSuppl(int choice, platform::Platform& ui) {
  if (choice < 0 || choice >= static_cast<int>(SupplCatalogCaptions().size())) return;
  suppl = choice;
  if (!SupplForbidden(primary, choice)) return;
  const std::string text = primary == kPrimaryGSC
                               ? "Selected supplementary catalog cannot be used with GSC."
                               : "Selected supplementary catalog cannot be used with UCAC2 or UCAC3.";
  platform::Tell(ui, text, "Invalid Supplementary Catalog", Icon::Exclamation);
  suppl = kSupplNone;
}

void CatalogOptionsLogic::Ok() {
  if (location != kNone) record_.catalogLocation = static_cast<std::uint8_t>(location);
  if (primary != kNone) {
    record_.primaryCatalog = static_cast<std::uint8_t>(primary);
    if (suppl != kNone) record_.supplCatalog = static_cast<std::uint8_t>(suppl);
  }
  if (web != kNone) record_.webCatalog = static_cast<std::uint8_t>(web);
  if (service != kNone) record_.onlineService = static_cast<std::uint8_t>(service);
  std::string server = vizierServer;
  server.erase(0, std::min(server.size(), server.find_first_not_of(' ')));
  while (!server.empty() && server.back() == ' ') server.pop_back();
  record_.vizierServer = server.substr(0, OptionsRecord::kVizieRServerText);
}

}  // namespace skarvel
