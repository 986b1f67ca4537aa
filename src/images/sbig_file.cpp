#include "images/sbig_file.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "foundations/date_dialog.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Icon;

namespace {

constexpr const char* kChangeType = "Change the File Type via \"File\" -> \"Image File Type...\"";
constexpr std::uint8_t kEndOfHeader = 26;  // Ctrl-Z where the next line would begin
constexpr long double kPiLD = 3.141592653589793238462643383279502884L;

// The header keys in table order; the first with which a line begins decides.
enum Key {
  kCameraLine, kFileVersion, kDataVersion, kExposure, kFocalLength, kAperture, kResponseFactor, kNote,
  kBackground, kRange, kHeight, kWidth, kDate, kTime, kExposureState, kTemperature, kNumberExposures,
  kEachExposure, kHistory, kObserver, kXPixelSize, kYPixelSize, kPedestal, kEGain, kUser1, kUser2, kUser3,
  kUser4, kFilter, kReadoutMode, kTrackTime, kSatLevel, kEnd, kKeyCount
};

constexpr const char* kKeys[kKeyCount] = {
    "ST-", "File_version", "Data_version", "Exposure ", "Focal_length", "Aperture", "Response_factor", "Note",
    "Background", "Range", "Height", "Width", "Date", "Time", "Exposure_state", "Temperature",
    "Number_exposures", "Each_exposure", "History", "Observer", "X_pixel_size", "Y_pixel_size", "Pedestal",
    "E_gain", "User_1", "User_2", "User_3", "User_4", "Filter", "Readout_mode", "Track_time", "Sat_level", "End"};

int FindKey(const std::string& line) {
  for (int k = 0; k < kKeyCount; ++k)
    if (line.rfind(kKeys[k], 0) == 0) return k;
  return -1;
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

// Control characters of a line shown in a message become blanks.
std::string Printable(std::string s) {
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  return s;
}

std::size_t ReadSome(std::ifstream& in, std::uint8_t* buffer, std::size_t size) {
  in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size));
  return static_cast<std::size_t>(in.gcount());
}

// The date-time of a header date "mm/dd/yy" (a two-digit year from 80 on is
// 19xx, below 80 20xx) and time of day, corrected by half the exposure
// (1/100 s) for a header time at the start (0, +) or end (2, -) of the exposure.
double SBIGObservationTime(platform::Platform* ui, const std::string& dateText, const std::string& timeText,
                           std::int32_t exposure, std::uint8_t headerTimeType) {
  long double date = 0;
  const std::string d = Trim(dateText);
  if (!d.empty()) {
    bool ok = false;
    const auto first = d.find('/');
    const auto last = d.rfind('/');
    if (first != std::string::npos && last != first) {
      std::string yearText = Trim(d.substr(last + 1));
      if (yearText.size() == 2 && IsIntegerText(yearText)) yearText = (std::stoi(yearText) >= 80 ? "19" : "20") + yearText;
      const auto month = ParseInteger(d.substr(0, first));
      const auto day = ParseInteger(d.substr(first + 1, last - first - 1));
      const auto year = ParseInteger(yearText);
      if (month && day && year)
        if (const auto encoded = EncodeDate(*year, *month, *day)) {
          date = *encoded;
          ok = true;
        }
    }
    if (!ok && ui != nullptr) ShowNumericConversionError(*ui, "DATE-OBS", dateText);
  }
  long double timeOfDay = 0;
  const std::string t = Trim(timeText);
  if (!t.empty()) {
    if (const auto v = ParseTimeField(t)) timeOfDay = *v;
    else if (ui != nullptr) ShowNumericConversionError(*ui, "UT", timeText);
  }
  long double correction = 0;  // days
  if (headerTimeType == 0) correction = exposure / 100.0L / 172800.0L;
  else if (headerTimeType == 2) correction = -exposure / 100.0L / 172800.0L;
  return static_cast<double>(date + timeOfDay + correction);
}

}  // namespace

void DecodeSBIGRow(std::span<const std::uint8_t> row, std::int32_t width, std::vector<std::int32_t>& out) {
  const auto le16 = [&](std::size_t at) { return static_cast<std::int32_t>(row[at] | (row[at + 1] << 8)); };
  if (width > 0 && row.size() == 2 * static_cast<std::size_t>(width)) {
    for (std::size_t i = 0; i + 1 < row.size(); i += 2) out.push_back(le16(i));
    return;
  }
  if (row.size() < 2) return;
  std::int32_t value = le16(0);
  out.push_back(value);
  for (std::size_t i = 2; i < row.size();) {
    const auto b = static_cast<std::int8_t>(row[i]);
    if (b == -128) {
      if (i + 2 >= row.size()) return;  // the full value is cut off
      value = le16(i + 1);
      i += 3;
    } else {
      // A difference stays within 16 bits, as the camera's values do.
      value = (value + b) & 0xFFFF;
      i += 1;
    }
    out.push_back(value);
  }
}

SBIGFileObj::SBIGFileObj(ImageLoadContext context) : GraphicsFileObj(std::move(context)) { fileTypeCode = kFileSBIG; }

SBIGFileObj::~SBIGFileObj() = default;

bool SBIGFileObj::OpenAndPrepare(const std::string& path, const std::string& kind, const std::string& caption) {
  if (!OpenImageFile(path, in_, kind, caption, "File Error")) return false;
  header_ = SBIGHeader{};
  return true;
}

void SBIGFileObj::WriteHeaderText() {
  std::ofstream text(headerTextPath, std::ios::trunc);
  for (const std::string& line : textLines_) text << line << "\n";
}

bool SBIGFileObj::StoreValue(int key, const std::string& raw) {
  const std::string value = Trim(raw);
  SBIGHeader& h = header_;
  bool ok = true;
  auto integer = [&](std::int32_t& field) {
    if (value.empty()) return;
    if (const auto v = ParseInteger(value)) field = *v;
    else ok = false;
  };
  auto decimal = [&](float& field) {
    if (value.empty()) return;
    const auto v = ParseDecimal(value);
    if (v && std::fabs(*v) <= 3.0e38L) field = static_cast<float>(*v);
    else ok = false;
  };
  auto text = [&](std::string& field, std::size_t capacity) { field = value.substr(0, capacity); };
  switch (key) {
    case kFileVersion: integer(h.fileVersion); break;
    case kDataVersion: integer(h.dataVersion); break;
    case kExposure: integer(h.exposure); break;
    case kFocalLength: decimal(h.focalLength); break;
    case kAperture: decimal(h.aperture); break;
    case kResponseFactor: decimal(h.responseFactor); break;
    case kNote: text(h.note, 78); break;
    case kBackground: integer(h.background); break;
    case kRange: integer(h.range); break;
    case kHeight: integer(h.height); break;
    case kWidth: integer(h.width); break;
    case kDate: text(h.date, 8); break;
    case kTime: text(h.time, 8); break;
    case kExposureState: integer(h.exposureState); break;
    case kTemperature: decimal(h.temperature); break;
    case kNumberExposures: integer(h.numberExposures); break;
    case kEachExposure: integer(h.eachExposure); break;
    case kHistory: text(h.history, 64); break;
    case kObserver: text(h.observer, 64); break;
    case kXPixelSize: decimal(h.xPixelSize); break;
    case kYPixelSize: decimal(h.yPixelSize); break;
    case kPedestal: integer(h.pedestal); break;
    case kEGain: decimal(h.electronicGain); break;
    case kUser1: case kUser2: case kUser3: case kUser4: text(h.user[key - kUser1], 64); break;
    case kFilter:
      text(h.filterText, 10);
      h.filter = ParseFilterCode(h.filterText);
      break;
    case kReadoutMode: integer(h.readoutMode); break;
    case kTrackTime: integer(h.trackTime); break;
    case kSatLevel: integer(h.saturationLevel); break;
    default: break;
  }
  if (!ok && context_.ui != nullptr) ShowNumericConversionError(*context_.ui, Trim(kKeys[key]), value);
  return ok;
}

bool SBIGFileObj::ReadHeader(const std::string& path) {
  constexpr const char* kCaption = "SBIG File Error";
  if (!OpenAndPrepare(path, "SBIG", kCaption)) return false;
  textLines_ = {path, "** SBIG Header Information **", ""};
  std::vector<std::uint8_t> buffer(kHeaderBytes);
  const std::size_t got = ReadSome(in_, buffer.data(), buffer.size());
  const auto lineAt = [&](std::size_t start) {
    const auto end = std::find(buffer.begin() + static_cast<std::ptrdiff_t>(start),
                               buffer.begin() + static_cast<std::ptrdiff_t>(got), std::uint8_t{'\n'});
    return std::string(buffer.begin() + static_cast<std::ptrdiff_t>(start), end);
  };
  // The first line names the camera and "Image".
  const std::string first = lineAt(0).substr(0, 30);
  bool known = false;
  for (std::uint8_t k = 1; k < 10; ++k)
    if (first.find(kSBIGCameras[k].headerName) != std::string::npos) known = true;
  if (first.find("Image") == std::string::npos || !known) {
    if (context_.ui != nullptr) {
      context_.ui->Beep();
      platform::Tell(*context_.ui,
                     "File is Not a Valid SBIG Format (ST-4X thru STV)!\r\nFile Name: " + path +
                         "\r\nFirst Hdr Line: " + Printable(first) + "\r\n\r\n" + kChangeType,
                     kCaption, Icon::Error);
    }
    WriteHeaderText();
    in_.close();
    return false;
  }
  bool endSeen = false;
  for (std::size_t start = 0; start < got;) {
    const std::string line = lineAt(start);
    textLines_.push_back(line);
    const int key = FindKey(line);
    // The first line names the camera, also when it does not begin "ST-" (PixCel255, PixCel237).
    if (key == kCameraLine || start == 0) {
      for (std::uint8_t k = 1; k < 10; ++k)
        if (line.find(kSBIGCameras[k].headerName) != std::string::npos) {
          header_.cameraType = k;
          break;
        }
      header_.compressed = line.find("Compressed") != std::string::npos;
      header_.imageType = line.substr(0, 24);
    } else if (key > kCameraLine && key != kEnd) {
      const auto eq = line.find("= ");
      if (!StoreValue(key, eq == std::string::npos ? std::string() : line.substr(eq + 2))) {
        WriteHeaderText();
        in_.close();
        return false;
      }
    }
    const std::size_t next = start + line.size() + 2;  // the line feed and the carriage return
    if (next < got && buffer[next] == kEndOfHeader) {
      endSeen = true;
      break;
    }
    start = next;
  }
  WriteHeaderText();
  if (!endSeen) {
    // Without its end mark the header may be cut off anywhere: refused, with a word.
    if (context_.ui != nullptr)
      platform::Tell(*context_.ui,
                     "SBIG Header is Incomplete!\r\nFile Name: " + path +
                         "\r\n\r\nNo end mark (Ctrl-Z) was found in its first 2048 bytes.",
                     kCaption, Icon::Error);
    in_.close();
    return false;
  }
  header_.observationTime =
      SBIGObservationTime(context_.ui, header_.date, header_.time, header_.exposure, context_.headerTimeType);
  if (context_.obsParams != nullptr) CopyHeaderToObservation(header_, *context_.obsParams);
  fileName = path;
  formatDescription = "SBIG - " + header_.imageType;
  width = header_.width;
  height = header_.height;
  total = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{width} * height, 2147483647));
  minimum = 2147483647;
  maximum = 0;
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(kHeaderBytes));
  return true;
}

void SBIGFileObj::CopyHeaderToObservation(const SBIGHeader& header, ObsParams& params) {
  if (params.observer.empty()) params.observer = header.observer;
  params.observationTime = header.observationTime;
}

void SBIGFileObj::BeginPixels() {
  histogram = HistogramObj(256, 256.0L);
  valuesPut_ = 0;
}

void SBIGFileObj::PutValues(const std::vector<std::int32_t>& raw, std::int64_t offset) {
  for (const std::int32_t v : raw) {
    if (valuesPut_ >= total) return;  // values beyond the image are dropped
    const auto value = static_cast<std::int32_t>(std::clamp<std::int64_t>(v + offset, INT32_MIN, INT32_MAX));
    const auto y = static_cast<std::int32_t>(valuesPut_ / width);
    const auto x = static_cast<std::int32_t>(valuesPut_ % width);
    pixels.Row(y)[static_cast<std::size_t>(x)] = value;
    AddPixelValue(value);
    ++valuesPut_;
  }
}

bool SBIGFileObj::FinishPixels(bool readError) {
  if (!readError && valuesPut_ >= total) return true;
  return KeepCompleteRows(static_cast<std::int32_t>(valuesPut_ / width));
}

bool SBIGFileObj::ReadPixels() {
  BeginPixels();
  const std::int64_t offset = std::int64_t{header_.pedestal} - 100;
  std::vector<std::uint8_t> row(2 * static_cast<std::size_t>(width));
  std::vector<std::int32_t> values;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::size_t got = ReadSome(in_, row.data(), row.size());
    values.clear();
    for (std::size_t i = 0; i + 1 < got; i += 2) values.push_back(row[i] | (row[i + 1] << 8));
    PutValues(values, offset);
    if (got != row.size()) return FinishPixels(true);  // a cut row: its whole values still count
  }
  return FinishPixels(false);
}

bool SBIGFileObj::ReadCompressedPixels() {
  BeginPixels();
  const std::int64_t offset = std::int64_t{header_.pedestal} - 100;
  std::vector<std::uint8_t> row;
  std::vector<std::int32_t> values;
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t count[2] = {0, 0};
    if (ReadSome(in_, count, 2) != 2) return FinishPixels(true);
    row.resize(static_cast<std::size_t>(count[0] | (count[1] << 8)));
    const std::size_t got = ReadSome(in_, row.data(), row.size());
    values.clear();
    DecodeSBIGRow(std::span<const std::uint8_t>(row.data(), got), width, values);
    PutValues(values, offset);
    if (got != row.size()) return FinishPixels(true);
  }
  return FinishPixels(false);
}

bool SBIGFileObj::Load(const std::string& path) {
  if (!ReadHeader(path)) return false;
  const std::string caption = fileTypeCode == kFileST4 ? "ST-4 File Error" : "SBIG File Error";
  if (!SizeFits(width, height, caption) || !pixels.Create(width, height)) {
    in_.close();
    return false;
  }
  const bool ok = header_.compressed ? ReadCompressedPixels() : ReadPixels();
  in_.close();
  if (!ok) {
    pixels = IntArrayList();
    return false;
  }
  // The display range of the header (an ST-4 file gives none).
  if (fileTypeCode == kFileSBIG) {
    // In 64 bits and clamped: a hostile header cannot overflow them.
    const auto clamp = [](std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); };
    headerBackground = clamp(std::int64_t{header_.background} + header_.pedestal - 100);
    headerRangeTop = clamp(std::int64_t{headerBackground} + header_.range);
  }
  StoreCameraParameters();
  return true;
}

void SBIGFileObj::StoreCameraParameters() {
  if (context_.report == nullptr) return;
  CameraRecord& camera = context_.report->camera;
  if (header_.cameraType < 10) camera.name = kSBIGCameras[header_.cameraType].cameraName;
  if (header_.xPixelSize != 0) camera.pixelWidthUm = header_.xPixelSize * 1000.0f;
  if (header_.yPixelSize != 0) camera.pixelHeightUm = header_.yPixelSize * 1000.0f;
  // The aperture is an area in square inches: diameter = 2 sqrt(A / pi) inches.
  if (header_.aperture > 0)
    camera.apertureMm = static_cast<float>(std::sqrt(static_cast<long double>(header_.aperture) / kPiLD) * 50.8L);
  if (header_.focalLength != 0) camera.focalLengthMm = header_.focalLength * 25.4f;
  camera.imageWidth = width;
  camera.imageHeight = height;
  if (header_.filter != 8) camera.filter = header_.filter;
  context_.report->cameraFromImage = true;
}

// ---------------------------------------------------------------- ST-4

ST4FileObj::ST4FileObj(ImageLoadContext context) : SBIGFileObj(std::move(context)) { fileTypeCode = kFileST4; }

bool ST4FileObj::ReadHeader(const std::string& path) {
  constexpr const char* kCaption = "ST-4 File Error";
  if (!OpenAndPrepare(path, "ST-4", kCaption)) return false;
  textLines_ = {path, "** ST-4 Header Information **", ""};
  std::string trailer(kTrailerBytes, ' ');
  in_.seekg(static_cast<std::streamoff>(kTrailerOffset));
  const std::size_t got = in_ ? ReadSome(in_, reinterpret_cast<std::uint8_t*>(trailer.data()), kTrailerBytes) : 0;
  if (got == 0 || trailer[0] != 'v') {
    if (context_.ui != nullptr) {
      context_.ui->Beep();
      platform::Tell(*context_.ui, "File is Not in ST-4 Format!\r\nFile Name: " + path + "\r\n\r\n" + kChangeType,
                     kCaption, Icon::Error);
    }
    WriteHeaderText();
    in_.close();
    return false;
  }
  if (got < kTrailerBytes) std::fill(trailer.begin() + static_cast<std::ptrdiff_t>(got), trailer.end(), ' ');
  for (char& c : trailer)
    if (c == '\0') c = ' ';
  const auto field = [&](std::size_t at, std::size_t size) { return Trim(trailer.substr(at - kTrailerOffset, size)); };
  const std::string note = field(31681, 78);
  const std::string exposure = field(31759, 10);
  const std::string focal = field(31769, 10);
  const std::string aperture = field(31779, 10);
  const std::string response = field(31789, 10);
  header_.note = note;
  const bool ok = StoreValue(kExposure, exposure) && StoreValue(kFocalLength, focal) &&
                  StoreValue(kAperture, aperture) && StoreValue(kResponseFactor, response);
  textLines_.insert(textLines_.end(), {"Note = " + note, "Exposure = " + exposure, "Focal_length = " + focal,
                                       "Aperture = " + aperture, "Response_factor = " + response, "Height = 165",
                                       "Width = 192", "X_pixel_size = 0.0138", "Y_pixel_size = 0.0160"});
  WriteHeaderText();
  if (!ok) {
    in_.close();
    return false;
  }
  header_.cameraType = 0;
  header_.width = kWidth;
  header_.height = kHeight;
  header_.xPixelSize = 0.0138f;
  header_.yPixelSize = 0.016f;
  in_.clear();
  in_.seekg(0);
  fileName = path;
  formatDescription = "SBIG - ST-4";
  width = kWidth;
  height = kHeight;
  total = kWidth * kHeight;
  minimum = 2147483647;
  maximum = 0;
  return true;
}

bool ST4FileObj::ReadPixels() {
  BeginPixels();
  std::vector<std::uint8_t> row(kWidth);
  std::vector<std::int32_t> values;
  for (std::int32_t y = 0; y < kHeight; ++y) {
    const std::size_t got = ReadSome(in_, row.data(), row.size());
    values.assign(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(got));
    PutValues(values, 0);
    if (got != row.size()) return FinishPixels(true);
  }
  return FinishPixels(false);
}

}  // namespace skarvel
