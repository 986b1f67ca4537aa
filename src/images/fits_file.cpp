#include "images/fits_file.h"

#include <sys/stat.h>

#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "foundations/date_dialog.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"
#include "images/fits_tiles.h"

namespace skarvel {

using platform::Icon;

namespace {

constexpr const char* kFitsError = "FITS File Error!";

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string TrimLeft(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : s.substr(first);
}

// The keyword table, searched from its end: the first name that begins the
// card wins (NAXIS3 before NAXIS, FILTERS before FILTER, EXPTIME as EXP).
// RA, DEC and UT must stand as whole keywords, so that RADESYS or RA_OBS is
// not read as RA.
enum Keyword {
  kSimple, kExtend, kBitpix, kNaxis, kNaxis1, kNaxis2, kNaxis3, kBscale, kBzero, kBlank, kXtension, kPcount,
  kGcount, kTfields, kRa, kDec, kObject, kOrigin, kEpoch, kEquinox, kObserver, kDateObs, kUt, kTimeObs, kExp,
  kFilter, kFilters, kEnd, kKeywordCount
};

constexpr const char* kKeywordNames[kKeywordCount] = {
    "SIMPLE", "EXTEND", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2", "NAXIS3", "BSCALE", "BZERO", "BLANK",
    "XTENSION", "PCOUNT", "GCOUNT", "TFIELDS", "RA", "DEC", "OBJECT", "ORIGIN", "EPOCH", "EQUINOX",
    "OBSERVER", "DATE-OBS", "UT", "TIME-OBS", "EXP", "FILTER", "FILTERS", "END"};

int FindKeyword(const std::string& card) {
  const std::string field = TrimRight(card.substr(0, 8));
  for (int i = kKeywordCount - 1; i >= 0; --i) {
    const std::string name = kKeywordNames[i];
    if (i == kRa || i == kDec || i == kUt) {
      if (field == name) return i;
    } else if (card.compare(0, name.size(), name) == 0) {
      return i;
    }
  }
  return -1;
}

// The value text: after a quote in column 11 up to the closing quote (blanks
// inside kept), else from column 11 up to the next blank.
std::string ValueText(const std::string& card) {
  if (card.size() <= 10) return std::string();
  if (card[10] == '\'') {
    std::string rest = TrimLeft(card.substr(11));
    const auto close = rest.find('\'');
    return close == std::string::npos ? rest : rest.substr(0, close);
  }
  std::string rest = TrimLeft(card.substr(10));
  const auto blank = rest.find(' ');
  return blank == std::string::npos ? rest : rest.substr(0, blank);
}

// Reads up to `size` bytes; returns how many came.
std::size_t ReadSome(std::istream& in, std::uint8_t* buffer, std::size_t size) {
  in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size));
  return static_cast<std::size_t>(in.gcount());
}

// A 32-bit result of rounding half to even, or false when it does not fit.
bool RoundToInt32(long double x, std::int32_t& out) {
  if (!(x > -2147483648.5L && x < 2147483647.5L)) return false;  // also NaN
  const long double r = std::nearbyint(x);                      // the default mode: halves to even
  if (r < -2147483648.0L || r > 2147483647.0L) return false;
  out = static_cast<std::int32_t>(r);
  return true;
}

}  // namespace

std::optional<long double> ParseSexagesimalCard(const std::string& text, bool declination) {
  std::string t;
  for (char c : text)
    if (c != ' ') t.push_back(c);
  if (t.empty()) return 0.0L;
  std::string parts[3];
  int n = 0;
  std::string rest = t;
  while (n < 2) {
    const auto colon = rest.find(':');
    if (colon == std::string::npos) break;
    parts[n++] = rest.substr(0, colon);
    rest = rest.substr(colon + 1);
  }
  parts[n++] = rest;
  long double v[3] = {0, 0, 0};
  for (int i = 0; i < n; ++i) {
    const auto x = ParseDecimal(parts[i]);
    if (!x) return std::nullopt;
    v[i] = *x;
  }
  if (!declination) return v[0] + v[1] / 60.0L + v[2] / 3600.0L;
  const long double sign = parts[0].rfind('-', 0) == 0 ? -1.0L : 1.0L;
  return v[0] + sign * v[1] / 60.0L + sign * v[2] / 3600.0L;
}

double ObservationDateTime(platform::Platform* ui, const std::string& dateText, const std::string& timeText,
                           long double exposure, long double timeObsSeconds, std::uint8_t headerTimeType) {
  const char sep = dateText.find('/') != std::string::npos ? '/' : '-';
  const std::string d = TrimRight(dateText);
  bool yearFirst = false;
  if (d.size() > 8) yearFirst = d.find(sep) == 4;
  // Split into three numbers in the order the text shows.
  double date = 0;
  bool dateOk = false;
  {
    std::string fields[3];
    std::string rest = d;
    int n = 0;
    for (; n < 2; ++n) {
      const auto at = rest.find(sep);
      if (at == std::string::npos) break;
      fields[n] = rest.substr(0, at);
      rest = rest.substr(at + 1);
    }
    if (n == 2) {
      fields[2] = rest;
      std::string yearText = yearFirst ? fields[0] : fields[2];
      if (d.size() <= 8 && yearText.size() == 2 && IsIntegerText(yearText))
        yearText = (std::stoi(yearText) > 79 ? "19" : "20") + yearText;
      const auto year = ParseInteger(yearText);
      const auto month = ParseInteger(fields[1]);
      const auto day = ParseInteger(yearFirst ? fields[2] : fields[0]);
      if (year && month && day) {
        if (const auto encoded = EncodeDate(*year, *month, *day)) {
          date = *encoded;
          dateOk = true;
        }
      }
    }
  }
  if (!dateOk) {
    if (ui != nullptr) ShowNumericConversionError(*ui, "DATE-OBS", dateText);
    date = 0;
  }
  long double timeOfDay = 0;
  if (timeText.empty()) {
    timeOfDay = timeObsSeconds / 86400.0L;
  } else if (const auto t = ParseTimeField(timeText)) {
    timeOfDay = *t;
  } else if (ui != nullptr) {
    ShowNumericConversionError(*ui, "UT", timeText);
  }
  long double correction = 0;  // half the exposure, in days
  if (headerTimeType == 0) correction = exposure / 172800.0L;
  else if (headerTimeType == 2) correction = -exposure / 172800.0L;
  return static_cast<double>(static_cast<long double>(date) + timeOfDay + correction);
}

FITSFileObj::FITSFileObj(ImageLoadContext context) : GraphicsFileObj(std::move(context)) {
  fileTypeCode = kFileFITS;
  block_[kBlockBytes] = 0;
}

FITSFileObj::~FITSFileObj() = default;

void FITSFileObj::Numeric(const std::string& keyword, const std::string& data) {
  if (context_.ui != nullptr) ShowNumericConversionError(*context_.ui, keyword, data);
}

bool FITSFileObj::ReadHeader(const std::string& path) {
  restored_ = std::istringstream();
  source_ = &in_;
  const auto opened = OpenImageFile(path, in_, "FITS", kFitsError, "File Error!");
  if (!opened) return false;
  const std::string& resolved = *opened;
  header_ = FITSHeader{};
  dateText_.clear();
  timeText_.clear();
  timeObsSeconds_ = 0;
  cards_.clear();
  zimage_ = false;
  compression_.clear();
  wcs_.reset();
  mjdObs_.reset();
  jd_.reset();
  textLines_ = {path, "** FITS Header Information **", ""};
  extensionTextStart_ = textLines_.size();

  int headers = 0;
  bool waitingForExtension = false;
  if (!ReadHeaderRecords(in_, path, headers, waitingForExtension)) {
    WriteHeaderText();
    in_.close();
    return false;
  }
  if (header_.xtension == "BINTABLE" && zimage_ && !RestoreCompressed(path, resolved, headers)) {
    WriteHeaderText();
    in_.close();
    return false;
  }
  WriteHeaderText();

  const bool haveTime = !dateText_.empty() || mjdObs_ || jd_;
  if (!dateText_.empty()) {
    const auto t = dateText_.find('T');
    if (t != std::string::npos) {
      timeText_ = dateText_.substr(t + 1);
      dateText_ = dateText_.substr(0, t);
    }
    header_.observationTime = ObservationDateTime(context_.ui, dateText_, timeText_, header_.exposure,
                                                  timeObsSeconds_, context_.headerTimeType);
  } else if (haveTime) {
    // Without DATE-OBS the modified or plain Julian date gives the time
    // (date-time 0 is MJD 15018.0 = JD 2415018.5), corrected like a header date.
    long double days = mjdObs_ ? *mjdObs_ - 15018.0L : *jd_ - 2415018.5L;
    if (context_.headerTimeType == 0) days += header_.exposure / 172800.0L;
    else if (context_.headerTimeType == 2) days -= header_.exposure / 172800.0L;
    header_.observationTime = DaysToDateTime(days);
  }
  if (haveTime) {
    if (ObsParams* p = context_.obsParams) {
      if (p->objectName.empty()) p->objectName = header_.object;
      if (p->observer.empty()) p->observer = header_.observer;
      p->observationTime = header_.observationTime;
      if (header_.origin == "VORN Simulation") p->note = kNoteSimulated;
    }
  }
  if (!waitingForExtension) {
    fileName = path;
    formatDescription = "FITS (BITPIX = " + std::to_string(header_.bitpix) + ")";
    if (!compression_.empty()) formatDescription += " " + compression_.substr(0, 12);
    width = header_.naxis1;
    height = header_.naxis2;
    total = static_cast<std::int32_t>(std::int64_t{width} * height > 2147483647 ? 2147483647
                                                                                 : std::int64_t{width} * height);
    minimum = 2147483647;
    maximum = 0;
    wcs_ = ImageWcsFromCards(cards_);
  }
  if (HeaderValid()) return true;
  if (context_.ui != nullptr) {
    context_.ui->Beep();
    platform::Tell(*context_.ui, "Required FITS Keyword Data is Missing or Faulty!", kFitsError, Icon::Error);
  }
  in_.close();
  return false;
}

bool FITSFileObj::ReadHeaderRecords(std::istream& in, const std::string& path, int& headers,
                                    bool& waitingForExtension) {
  headers = 1;
  for (;;) {
    const std::size_t got = ReadSome(in, block_.data(), kBlockBytes);
    const std::size_t cards = got / kCardBytes;
    if (cards == 0) break;  // end of file
    bool endSeen = false;
    for (std::size_t c = 0; c < cards && !endSeen; ++c) {
      const std::string card(reinterpret_cast<const char*>(block_.data()) + c * kCardBytes, kCardBytes);
      if (!ReadCard(card, path, endSeen)) return false;
    }
    if (endSeen) {
      // An empty primary header that announces extensions: the extension's header follows.
      waitingForExtension = header_.extend && header_.xtension.empty() && header_.naxis == 0;
      if (!waitingForExtension) break;
      ++headers;
      extensionTextStart_ = textLines_.size();
    }
    if (got < kBlockBytes) break;
  }
  return true;
}

bool FITSFileObj::RestoreCompressed(const std::string& path, const std::string& resolved, int hdu) {
  for (const HeaderCard& c : cards_)
    if (c.keyword == "ZCMPTYPE") compression_ = c.value;
  while (!compression_.empty() && compression_.back() == ' ') compression_.pop_back();
  RestoredImage restored = RestoreCompressedImage(resolved, hdu);
  if (restored.bytes.empty()) {
    if (context_.ui != nullptr)
      platform::Tell(*context_.ui,
                     "Unable to Read the Compressed FITS Image!\r\nFile Name: " + path + "\r\nCompression: " +
                         compression_ + "\r\n\r\n" + restored.error,
                     kFitsError, Icon::Error);
    return false;
  }
  // The listing shows the image's own header in place of the table's.
  textLines_.resize(extensionTextStart_);
  ResetDataFields();
  header_.extend = false;
  restored_.str(std::string(restored.bytes.begin(), restored.bytes.end()));
  restored_.clear();
  source_ = &restored_;
  int headers = 0;
  bool waiting = false;
  return ReadHeaderRecords(restored_, path, headers, waiting);
}

void FITSFileObj::ResetDataFields() {
  header_.bitpix = 0;
  header_.naxis = header_.naxis1 = header_.naxis2 = header_.naxis3 = 0;
  header_.bscale = 1.0L;
  header_.bzero = 0.0L;
  header_.blank = 0;
  header_.xtension.clear();
  header_.pcount = header_.gcount = header_.tfields = 0;
  cards_.clear();
  zimage_ = false;
}

void FITSFileObj::WriteHeaderText() {
  std::ofstream text(headerTextPath, std::ios::trunc);
  for (const std::string& line : textLines_) text << line << "\n";
}

bool FITSFileObj::ReadCard(const std::string& raw, const std::string& path, bool& endSeen) {
  std::string card = TrimRight(raw.substr(0, 72));
  if (card.empty()) card = " ";
  textLines_.push_back(card);
  if (card.rfind("XTENSION", 0) == 0) ResetDataFields();  // an extension's data are its own
  // Every card with a value is kept for the WCS and the time keywords.
  if (card.size() > 10 && card[8] == '=' && card[9] == ' ') {
    HeaderCard hc{TrimRight(card.substr(0, 8)), TrimRight(ValueText(card))};
    if (hc.keyword == "ZIMAGE") zimage_ = !hc.value.empty() && hc.value[0] == 'T';
    else if (hc.keyword == "MJD-OBS" || hc.keyword == "JD") {
      const auto v = ParseDecimal(hc.value);
      if (!v) Numeric(hc.keyword, hc.value);
      else (hc.keyword == "JD" ? jd_ : mjdObs_) = *v;
    }
    cards_.push_back(std::move(hc));
  }
  if (card.rfind("TELRA   ", 0) == 0) card.replace(0, 8, "RA      ");
  else if (card.rfind("TELDEC  ", 0) == 0) card.replace(0, 8, "DEC     ");
  else if (card.rfind("FILTNME", 0) == 0 && card.find("open    ") == std::string::npos) {
    if (card.size() < 8) card.resize(8, ' ');
    card.replace(0, 8, "FILTERS ");
  }
  const int keyword = FindKeyword(card);
  if (keyword >= 0) {
    const std::string value = ValueText(card);
    const std::string name = kKeywordNames[keyword];
    auto integer = [&](std::int32_t& field) {
      if (const auto v = ParseInteger(value)) field = *v;
      else Numeric(name, value);
    };
    auto decimal = [&](long double& field) {
      if (const auto v = ParseDecimal(value)) field = *v;
      else Numeric(name, value);
    };
    switch (keyword) {
      case kSimple: header_.simple = !value.empty() && value[0] == 'T'; break;
      case kExtend: header_.extend = !value.empty() && value[0] == 'T'; break;
      case kBitpix: integer(header_.bitpix); break;
      case kNaxis: integer(header_.naxis); break;
      case kNaxis1: integer(header_.naxis1); break;
      case kNaxis2: integer(header_.naxis2); break;
      case kNaxis3: integer(header_.naxis3); break;
      case kBscale: decimal(header_.bscale); break;
      case kBzero: decimal(header_.bzero); break;
      case kBlank: integer(header_.blank); break;
      case kXtension: header_.xtension = value.substr(0, 8); break;
      case kPcount: integer(header_.pcount); break;
      case kGcount: integer(header_.gcount); break;
      case kTfields: integer(header_.tfields); break;
      case kRa:
      case kDec: {
        const auto v = ParseSexagesimalCard(value, keyword == kDec);
        if (!v) Numeric(name, value);
        (keyword == kRa ? header_.ra : header_.dec) = v.value_or(0.0L);
        break;
      }
      case kObject: header_.object = Upper(value.substr(0, 68)); break;
      case kOrigin: header_.origin = value.substr(0, 68); break;
      case kEpoch:
      case kEquinox: decimal(header_.equinox); break;
      case kObserver: header_.observer = value.substr(0, 68); break;
      case kDateObs: dateText_ = value; break;
      case kUt: timeText_ = value; break;
      case kTimeObs:
        if (value.find(':') != std::string::npos) timeText_ = value;
        else decimal(timeObsSeconds_);
        break;
      case kExp: decimal(header_.exposure); break;
      case kFilter:
      case kFilters: header_.filter = ParseFilterCode(value); break;
      case kEnd: endSeen = true; break;
      default: break;
    }
  }
  if (!header_.simple) {
    if (context_.ui != nullptr) {
      context_.ui->Beep();
      platform::Tell(*context_.ui,
                     "File is Not FITS Format!\r\nFile Name: " + path +
                         "\r\n\r\nChange the File Type via \"File\" -> \"Image File Type...\"",
                     kFitsError, Icon::Error);
    }
    return false;
  }
  return true;
}

bool FITSFileObj::HeaderValid() {
  const FITSHeader& h = header_;
  if (!h.simple) return false;
  if (h.bitpix != 8 && h.bitpix != 16 && h.bitpix != 32 && h.bitpix != 64 && h.bitpix != -32 && h.bitpix != -64)
    return false;
  if (h.naxis >= 1 && h.naxis1 <= 0) return false;
  if (h.naxis >= 2 && h.naxis2 <= 0) return false;
  if (h.naxis >= 3 && h.naxis3 <= 0) return false;
  return true;
}

bool FITSFileObj::Load(const std::string& path) {
  if (!ReadHeader(path)) return false;
  if (header_.xtension == "TABLE   ") return ReadTable();
  if (!header_.xtension.empty() && header_.xtension != "IMAGE   ") {
    // A binary table (or any other extension) holds no pixels this reader can show.
    if (context_.ui != nullptr)
      platform::Tell(*context_.ui,
                     "File Holds No Image This Program Can Read!\r\nFile Name: " + path +
                         "\r\n\r\nIts data follow an extension header XTENSION = '" + TrimRight(header_.xtension) +
                         "', which is not an image.",
                     kFitsError, Icon::Error);
    in_.close();
    return false;
  }
  // An image needs two axes within the pixel store's limits.
  if (header_.naxis < 2) {
    if (context_.ui != nullptr)
      platform::Tell(*context_.ui, "Required FITS Keyword Data is Missing or Faulty!", kFitsError, Icon::Error);
    in_.close();
    return false;
  }
  if (!SizeFits(header_.naxis1, header_.naxis2, kFitsError) || !pixels.Create(width, height)) {
    in_.close();
    return false;
  }
  const bool ok = ReadPixels();
  in_.close();
  if (!ok) {
    pixels = IntArrayList();
    return false;
  }
  StoreCameraParameters();
  return true;
}

namespace {

// Puts values into the pixel store row after row, as its sequential filling
// does: a partly supplied last row keeps, in its remaining columns, what the
// row buffer held from the row before (that row's values, or 0 for the first).
class RowFiller {
 public:
  explicit RowFiller(IntArrayList& pixels) : pixels_(pixels) {}

  void Put(const std::int32_t* values, std::size_t count) {
    const auto width = static_cast<std::size_t>(pixels_.Width());
    while (count > 0 && row_ < pixels_.Height()) {
      const std::size_t n = std::min(count, width - column_);
      const auto row = pixels_.Row(row_);
      std::copy(values, values + n, row.begin() + static_cast<std::ptrdiff_t>(column_));
      column_ += n;
      values += n;
      count -= n;
      if (column_ == width) {
        ++row_;
        column_ = 0;
      }
    }
  }

  void Finish() {
    if (column_ == 0 || row_ >= pixels_.Height() || row_ == 0) return;
    const auto previous = pixels_.Row(row_ - 1);
    const auto row = pixels_.Row(row_);
    std::copy(previous.begin() + static_cast<std::ptrdiff_t>(column_), previous.end(),
              row.begin() + static_cast<std::ptrdiff_t>(column_));
  }

 private:
  IntArrayList& pixels_;
  std::int32_t row_ = 0;
  std::size_t column_ = 0;
};

}  // namespace

bool FITSFileObj::ReadPixels() {
  const std::int32_t bitpix = header_.bitpix;
  histogram = HistogramObj(256, bitpix == 8 ? 1.0L : 256.0L);
  const std::size_t bytesPerValue = static_cast<std::size_t>(std::abs(bitpix) / 8);
  const long double bscale = header_.bscale;
  const long double bzero = header_.bzero;
  // With BSCALE 1 and a whole BZERO the scaled value is exact in 64-bit integers.
  const bool integerScale = bscale == 1.0L && std::nearbyint(bzero) == bzero && std::fabs(bzero) < 4.0e18L;
  const std::int64_t izero = integerScale ? static_cast<std::int64_t>(bzero) : 0;
  bool errors = false;
  std::int64_t remaining = total;
  RowFiller filler(pixels);

  // The file is read in runs of 8 records into one reused buffer.
  constexpr std::size_t kRecordsPerRead = 8;
  std::vector<std::uint8_t> buffer(kBlockBytes * kRecordsPerRead);
  std::vector<std::int32_t> values(buffer.size() / bytesPerValue);
  std::vector<std::int64_t> raw(values.size());
  std::vector<long double> real(values.size());
  const bool fastInt16 = bitpix == 16 && integerScale && izero >= -2147450880LL && izero <= 2147450879LL;

  while (remaining > 0) {
    source_->read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(source_->gcount());
    if (source_->bad()) {
      errors = true;
      break;
    }
    const std::uint8_t* b = buffer.data();
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::int64_t>(remaining, static_cast<std::int64_t>(got / bytesPerValue)));
    std::int32_t* v = values.data();
    if (fastInt16) {
      // Every 16-bit value plus this zero fits in 32 bits.
      DecodeInt16PlusZero(b, take, static_cast<std::int32_t>(izero), v);
    } else if (bitpix > 0) {
      if (bitpix == 8) DecodeUInt8(b, take, raw.data());
      else if (bitpix == 16) DecodeInt16(b, take, raw.data());
      else if (bitpix == 32) DecodeInt32(b, take, raw.data());
      else DecodeInt64(b, take, raw.data());
      for (std::size_t i = 0; i < take; ++i) {
        v[i] = 0;
        if (integerScale) {
          std::int64_t s = 0;
          if (!__builtin_add_overflow(raw[i], izero, &s) && s >= -2147483648LL && s <= 2147483647LL)
            v[i] = static_cast<std::int32_t>(s);
          else errors = true;
        } else if (!RoundToInt32(static_cast<long double>(raw[i]) * bscale + bzero, v[i])) {
          v[i] = 0;
          errors = true;
        }
      }
    } else {
      // Floating-point data ignore BSCALE and BZERO; a value that is no number
      // or does not fit is stored as 0 and reported at the end.
      if (bitpix == -32) DecodeFloat32(b, take, real.data());
      else DecodeFloat64(b, take, real.data());
      for (std::size_t i = 0; i < take; ++i)
        if (!RoundToInt32(real[i], v[i])) {
          v[i] = 0;
          errors = true;
        }
    }
    AddPixelValues(v, take);
    filler.Put(v, take);
    remaining -= static_cast<std::int64_t>(take);
    if (got < buffer.size()) break;  // end of file
  }
  filler.Finish();
  // The rows the file does not hold are not shown as pixels.
  if (remaining > 0) return KeepCompleteRows(static_cast<std::int32_t>((total - remaining) / width));
  return errors ? ConfirmAfterErrors() : true;
}

std::vector<std::string> FITSFileObj::ImageDataExtraLines() const {
  if (!wcs_) return {};
  return WcsSummaryLines(FieldOfWcs(*wcs_, width, height), wcs_->sipOrderA > 0 || wcs_->sipOrderB > 0);
}

void FITSFileObj::StoreCameraParameters() {
  if (context_.report == nullptr) return;
  CameraRecord& camera = context_.report->camera;
  camera.imageWidth = width;
  camera.imageHeight = height;
  if (header_.filter != 8) camera.filter = header_.filter;
  context_.report->cameraFromImage = true;
}

}  // namespace skarvel
