#include "config/observer_forms.h"

#include "foundations/strings.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

std::string Cut(const std::string& s, std::size_t n) {
  return s.size() > n ? s.substr(0, n) : s;
}

bool AllBlank(const std::string& s) {
  return s.find_first_not_of(' ') == std::string::npos;
}

void NonNumeric(platform::Platform& ui) {
  platform::Tell(ui, "Input String Contains Non-Numeric Characters!", "Numeric Conversion Error!", Icon::Error,
                 Buttons::Ok, true);
}

/// A number field; an empty (or blank) one counts as 0 when `emptyIsZero`.
std::optional<long double> Number(const std::string& text, bool emptyIsZero) {
  if (emptyIsZero && AllBlank(text)) return 0.0L;
  return ParseDecimal(text);
}

constexpr const char* kTimingMessage =
    "Please provide a valid estimate for the timing error \r\n(uncertainty in date of observation, in milliseconds)";

}  // namespace

// ---- user ----

std::string NormalizeCountry(const std::string& country) {
  if (country == "USA") return "U.S.A.";
  if (country == "UK") return "U.K.";
  return country;
}

UsrParmsLogic::UsrParmsLogic(UserRecord& handed, platform::Platform& ui, std::string dataDir)
    : fields(handed), handed_(handed), ui_(ui), dataDir_(std::move(dataDir)) {}

void UsrParmsLogic::Ok() {
  constexpr std::size_t kName = UserRecord::kNameCapacity;
  constexpr std::size_t kList = UserRecord::kListCapacity;
  handed_.contactName = Cut(fields.contactName, kName);
  handed_.institution = Cut(fields.institution, kName);
  handed_.street = Cut(fields.street, kName);
  handed_.cityStateZip = Cut(fields.cityStateZip, kName);
  handed_.country = Cut(fields.country, kName);
  handed_.email = Cut(fields.email, kName);
  handed_.observers = Cut(fields.observers, kList);
  handed_.measurers = Cut(fields.measurers, kList);
}

void UsrParmsLogic::SaveUser() {
  Ok();
  SaveUserData(ui_, handed_, dataDir_);
}

void UsrParmsLogic::FindUser() {
  if (std::optional<UserRecord> found = FindUserData(ui_, dataDir_)) fields = *found;
}

// ---- camera ----

CameraFields CameraFieldsOf(const CameraRecord& r) {
  CameraFields f;
  f.name = r.name;
  f.pixelWidth = FormatFixed(1, r.pixelWidthUm);
  f.pixelHeight = FormatFixed(1, r.pixelHeightUm);
  f.imageWidth = std::to_string(r.imageWidth);
  f.imageHeight = std::to_string(r.imageHeight);
  f.aperture = FormatFixed(1, r.apertureMm);
  f.focalLength = FormatFixed(1, r.focalLengthMm);
  f.timingError = std::to_string(r.timingErrorMs);
  f.inverted = r.inverted;
  f.filter = r.filter;
  return f;
}

bool TimingErrorValid(const std::string& text) {
  const std::optional<std::int32_t> v = ParseInteger(text);
  return v.has_value() && *v != 0;
}

CamParmsLogic::CamParmsLogic(CameraRecord& handed, const CameraRecord* current, bool oldReportFormat,
                             platform::Platform& ui, RecordFileSettings files)
    : handed_(handed), current_(current), oldReportFormat_(oldReportFormat), ui_(ui), files_(std::move(files)) {
  SelectValues(current_ != nullptr);
}

void CamParmsLogic::SelectValues(bool current) {
  showingCurrent_ = current && current_ != nullptr;
  fields = CameraFieldsOf(showingCurrent_ ? *current_ : handed_);
}

bool CamParmsLogic::TimingErrorEdited() {
  if (oldReportFormat_ || TimingErrorValid(fields.timingError)) return true;
  platform::Tell(ui_, kTimingMessage, "Timing Error Needed", Icon::Exclamation);
  return false;
}

bool CamParmsLogic::StoreFields(CameraRecord& record) {
  const auto pw = ParseDecimal(fields.pixelWidth);
  const auto ph = ParseDecimal(fields.pixelHeight);
  const auto iw = ParseInteger(fields.imageWidth);
  const auto ih = ParseInteger(fields.imageHeight);
  const auto ap = ParseDecimal(fields.aperture);
  const auto fl = ParseDecimal(fields.focalLength);
  const auto te = ParseInteger(fields.timingError);
  if (!pw || !ph || !iw || !ih || !ap || !fl || !te || *te < INT16_MIN || *te > INT16_MAX) {
    NonNumeric(ui_);
    return false;
  }
  record.name = Cut(fields.name, CameraRecord::kNameCapacity);
  record.pixelWidthUm = static_cast<float>(*pw);
  record.pixelHeightUm = static_cast<float>(*ph);
  record.imageWidth = *iw;
  record.imageHeight = *ih;
  record.apertureMm = static_cast<float>(*ap);
  record.focalLengthMm = static_cast<float>(*fl);
  record.timingErrorMs = static_cast<std::int16_t>(*te);
  record.inverted = fields.inverted;
  record.filter = fields.filter <= 8 ? fields.filter : std::uint8_t{8};
  return true;
}

bool CamParmsLogic::Ok() {
  if (showingCurrent_ &&
      platform::Tell(ui_, "Are You Sure You Want to Replace the Default Camera Parameters with These?",
                     "Verify Default Change", Icon::Question, Buttons::YesNo, true) != Answer::Yes)
    return false;
  if (!oldReportFormat_ && !TimingErrorValid(fields.timingError)) {
    platform::Tell(ui_, kTimingMessage, "Timing Error Needed", Icon::Exclamation);
    return false;
  }
  return StoreFields(handed_);
}

void CamParmsLogic::FindCamera(ListWindowRunner& runner) {
  const RecordFilePaths paths = LocateRecordFile(files_.fileOption, files_.dataDir, files_.programDir);
  std::optional<CameraList> list = LoadCameraList(ui_, paths.read);
  if (!list) return;
  CamListForm form(*list, paths.write);
  runner.RunModal(form);
  if (form.Chosen() >= 0)
    if (const CameraRecord* r = list->GetAt(form.Chosen())) fields = CameraFieldsOf(*r);
}

void CamParmsLogic::SaveCamera() {
  if (platform::Tell(ui_, "Write Current Camera Data to File?", "Confirm", Icon::Question, Buttons::YesNo) !=
      Answer::Yes)
    return;
  if (!StoreFields(handed_)) return;
  const RecordFilePaths paths = LocateRecordFile(files_.fileOption, files_.dataDir, files_.programDir);
  std::optional<CameraList> list = LoadCameraList(ui_, paths.read);
  if (!list) return;
  if (MergeRecord(ui_, *list, handed_) == SaveOutcome::Cancelled) return;
  WriteCameraFile(paths.write, *list);
}

// ---- site ----

SiteFields SiteFieldsOf(const SiteRecord& r) {
  SiteFields f;
  f.name = r.name;
  f.code = r.code;
  f.telescope = r.telescope;
  f.lonDegrees = r.lonDegrees;
  f.lonMinutes = r.lonMinutes;
  f.lonSeconds = r.lonSeconds;
  f.latDegrees = r.latDegrees;
  f.latMinutes = r.latMinutes;
  f.latSeconds = r.latSeconds;
  f.west = r.west;
  f.north = r.north;
  f.altitude = FormatFixed(1, r.altitudeM);
  f.timeZone = FormatFixed(1, r.timeZoneHours);
  if (r.telescopeId != ' ' && r.telescopeId != '\0') f.telescopeId = std::string(1, r.telescopeId);
  return f;
}

bool IsRovingObserverCode(const std::string& code) {
  return code == "247" || code == "0247";
}

SiteParmsLogic::SiteParmsLogic(SiteRecord& handed, platform::Platform& ui, RecordFileSettings stations,
                               std::string obsCodesFile)
    : fields(SiteFieldsOf(handed)),
      handed_(handed),
      ui_(ui),
      stations_(std::move(stations)),
      obsCodesFile_(std::move(obsCodesFile)) {}

void SiteParmsLogic::Opened() {
  if (handed_.telescopeId == ' ' || handed_.telescopeId == '\0' || handed_.telescopeId == '0') {
    platform::Tell(ui_, "Verify Telescope ID Number.", "Default Value Applied", Icon::Information);
    fields.telescopeId = std::string(1, '1');
  }
}

void SiteParmsLogic::CodeEdited() {
  if (!IsRovingObserverCode(fields.code)) return;
  platform::Tell(ui_,
                 "You have specified Observatory Code 247 (\"roving observer\").  Be Sure the latitude, longitude "
                 "and altitude are correct for the observations you are submitting to the MPC.  If you have "
                 "observations at more than one site you should process them in single-site batches.  You can "
                 "then combine the output files into a single submission.",
                 "Observatory Code 247", Icon::Information);
}

bool SiteParmsLogic::StoreFields(SiteRecord& record) {
  const auto lonD = Number(fields.lonDegrees, true), lonM = Number(fields.lonMinutes, true),
             lonS = Number(fields.lonSeconds, true);
  const auto latD = Number(fields.latDegrees, true), latM = Number(fields.latMinutes, true),
             latS = Number(fields.latSeconds, true);
  const auto alt = Number(fields.altitude, false), zone = Number(fields.timeZone, false);
  if (!lonD || !lonM || !lonS || !latD || !latM || !latS || !alt || !zone) {
    NonNumeric(ui_);
    return false;
  }
  const long double lon = *lonD + *lonM / 60.0L + *lonS / 3600.0L;
  if (lon < 0 || lon > 180) {
    platform::Tell(ui_, "Longitude Value is Out of Range (0-180)!", "Value Out of Range!", Icon::Error, Buttons::Ok,
                   true);
    return false;
  }
  const long double lat = *latD + *latM / 60.0L + *latS / 3600.0L;
  if (lat < 0 || lat > 90) {
    platform::Tell(ui_, "Latitude Value is Out of Range (0-90)!", "Value Out of Range!", Icon::Error, Buttons::Ok,
                   true);
    return false;
  }
  constexpr std::size_t kAngle = SiteRecord::kAngleTextCapacity;
  record.lonDegrees = Cut(fields.lonDegrees, kAngle);
  record.lonMinutes = Cut(fields.lonMinutes, kAngle);
  record.lonSeconds = Cut(fields.lonSeconds, kAngle);
  record.longitudeDeg = static_cast<float>(fields.west ? -lon : lon);
  record.west = fields.west;
  record.latDegrees = Cut(fields.latDegrees, kAngle);
  record.latMinutes = Cut(fields.latMinutes, kAngle);
  record.latSeconds = Cut(fields.latSeconds, kAngle);
  record.latitudeDeg = static_cast<float>(fields.north ? lat : -lat);
  record.north = fields.north;
  record.altitudeM = static_cast<float>(*alt);
  record.timeZoneHours = static_cast<float>(*zone);
  record.name = Cut(fields.name, SiteRecord::kNameCapacity);
  record.code = Cut(fields.code, SiteRecord::kCodeCapacity);
  record.telescope = Cut(fields.telescope, SiteRecord::kNameCapacity);
  record.telescopeId = fields.telescopeId.empty() ? ' ' : fields.telescopeId[0];
  return true;
}

void SiteParmsLogic::FindSite(ListWindowRunner& runner) {
  const RecordFilePaths paths = LocateRecordFile(stations_.fileOption, stations_.dataDir, stations_.programDir);
  std::optional<SiteList> list = LoadSiteList(ui_, paths.read);
  if (!list) return;
  SiteListForm form(*list, paths.write);
  runner.RunModal(form);
  if (form.Chosen() >= 0)
    if (const SiteRecord* r = list->GetAt(form.Chosen())) fields = SiteFieldsOf(*r);
}

void SiteParmsLogic::FindScopeId(ListWindowRunner& runner) {
  const std::string code = Cut(fields.code, SiteRecord::kCodeCapacity);
  if (AllBlank(code)) {
    platform::Tell(ui_, "Enter a valid observatory code.", "Observatory Code Required", Icon::Error);
    return;
  }
  const ScopeLookup found = FindScopeLines(LocateScopeCodesFile(obsCodesFile_, stations_.dataDir), code);
  if (found.status == ScopeLookup::Status::ReadError) {
    platform::Tell(ui_, "Error Occurred Reading Telescope Codes File!", "Telescope File Error", Icon::Error);
    return;
  }
  if (found.status == ScopeLookup::Status::NotFound) {
    platform::Tell(ui_, "Unable to find observatory (Code = " + code + ") in file.", "Observatory Not In File",
                   Icon::Error);
    return;
  }
  ScopeListForm form(code, found.lines);
  runner.RunModal(form);
  if (form.Chosen() < 0 || form.Chosen() >= static_cast<int>(found.lines.size())) return;
  const ScopeChoice choice = ParseScopeLine(found.lines[static_cast<std::size_t>(form.Chosen())]);
  if (choice.id != ' ') fields.telescopeId = std::string(1, choice.id);
  if (!choice.description.empty()) fields.telescope = Cut(choice.description, SiteRecord::kNameCapacity);
}

void SiteParmsLogic::SaveSite() {
  if (platform::Tell(ui_, "Write Current Site Data to File?", "Confirm", Icon::Question, Buttons::YesNo) != Answer::Yes)
    return;
  if (!StoreFields(handed_)) return;
  const RecordFilePaths paths = LocateRecordFile(stations_.fileOption, stations_.dataDir, stations_.programDir);
  std::optional<SiteList> list = LoadSiteList(ui_, paths.read);
  if (!list) return;
  if (MergeRecord(ui_, *list, handed_) == SaveOutcome::Cancelled) return;
  WriteSiteFile(paths.write, *list);
}

}  // namespace skarvel
