#include "catalogs/gsc_field.h"

#include "catalogs/online_catalogs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "catalogs/catalog_location.h"
#include "catalogs/gsc_zones.h"
#include "foundations/byte_io.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Icon;

namespace {

constexpr const char* kBreak = "\r\n";
constexpr const char* kBreak2 = "\r\n\r\n";
constexpr long double kDegreesPerHour = 15.0L;
/// Weight of a position or magnitude without an error value (errors 0).
constexpr long double kWeightWithoutError = 10.0L;
/// Records taken from a region file per read.
constexpr std::size_t kRecordsPerRead = 1024;

int OpenForReading(const std::string& path, std::ifstream& in) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return IOCodeFromErrno(errno);
  if (!S_ISREG(st.st_mode)) return io_code::kAccessDenied;
  in.open(path, std::ios::binary);
  return in ? 0 : io_code::kAccessDenied;
}

std::string Trim(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string();
  const auto last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

std::optional<long double> Field(std::string_view record, std::size_t offset, std::size_t width) {
  return ParseDecimal(record.substr(offset, width));
}

// The weight of an error value: 1 / error, or 10 when the error is not given.
long double WeightOf(float error) {
  return error > 0 ? 1.0L / static_cast<long double>(error) : kWeightWithoutError;
}

}  // namespace

bool ParseGSCRecord(std::string_view record, std::uint32_t region, bool useMag, CatalogStar& star) {
  if (record.size() < kGSCRecordBytes) return false;
  const std::string number = Trim(record.substr(0, 5));
  if (number.empty()) return false;  // five blanks: a record to skip
  const auto ra = Field(record, 5, 9);
  const auto dec = Field(record, 14, 9);
  const auto posErr = Field(record, 23, 5);
  const auto mag = Field(record, 28, 5);
  const auto magErr = Field(record, 33, 4);
  const char classDigit = record[39];
  if (!ra || !dec || !posErr || !mag || !magErr || classDigit < '0' || classDigit > '9') return false;
  star = CatalogStar{};
  star.catalog = kCatalogGSC;
  star.id = GSCRegionPrefix(region) + "-" + std::string(number.size() < 5 ? 5 - number.size() : 0, '0') + number;
  if (star.id.size() > kStarIdCapacity) star.id.resize(kStarIdCapacity);
  star.ra = *ra;  // degrees until the merge
  star.dec = *dec;
  star.posErr = static_cast<float>(*posErr);
  star.mag = static_cast<float>(*mag);
  star.magErr = static_cast<float>(*magErr);
  star.starClass = static_cast<std::uint8_t>(classDigit - '0');
  star.entries = 1;
  star.band = kBandUnknown;
  star.usePos = true;
  star.useMag = useMag;
  return true;
}

CatalogStar DecodeConvertedGSCRecord(const std::uint8_t* record, std::uint32_t region, bool useMag) {
  ByteReader in(record, kGSCConvertedRecordBytes);
  CatalogStar star;
  star.catalog = kCatalogGSC;
  star.ra = in.I32() / 1e7L;   // hours x 10^7
  star.dec = in.I32() / 1e5L;  // degrees x 10^5
  in.Skip(4);                  // reserved
  star.mag = static_cast<float>(in.I16() / 1000.0L);
  star.posErr = static_cast<float>(in.I16() / 10.0L);
  star.magErr = static_cast<float>(in.I16() / 100.0L);
  star.entries = static_cast<std::uint8_t>(in.U16() & 0xFFu);
  star.starClass = in.U8();
  star.id = GSCRegionPrefix(region) + "-" + in.Text(5);
  star.band = kBandUnknown;
  star.usePos = true;
  star.useMag = useMag;
  return star;
}

GSCFieldObj::GSCFieldObj(const OptionsRecord& options, platform::Platform& ui, GSCRgnsTblObj& table)
    : options_(options), ui_(ui), table_(table) {}

void GSCFieldObj::BeginField() {
  stars_.Clear();
  regionsRequested_ = RegionList{};
  starCount_ = 0;
  nonStellarCount_ = 0;
  brightestMag_ = 25;
  faintestMag_ = -2;
}

void GSCFieldObj::PrepareField() {
  if (volumePath1_.empty()) volumePath1_ = table_.CatalogRoot();
  if (volumePath2_.empty()) volumePath2_ = options_.gscPath2.empty() ? volumePath1_ : options_.gscPath2;
  constexpr std::uint8_t kLocalFiles = 0;
  primaryName_.clear();
  supplementName_.clear();
  if (options_.catalogLocation == kLocalFiles) {
    switch (options_.primaryCatalog) {
      case kPrimaryGSC: primaryName_ = "STScI Guide Star Catalog"; break;
      case kPrimaryUCAC2: primaryName_ = "UCAC-2.0"; break;
      case kPrimaryUCAC3: primaryName_ = "UCAC-3.0"; break;
      default: break;
    }
    switch (options_.supplCatalog) {
      case 1: supplementName_ = "USNO-SA1.0"; break;
      case 2: supplementName_ = "USNO-SA2.0"; break;
      case 3: supplementName_ = "UCAC-BSS"; break;
      default: break;
    }
  } else {
    primaryName_ = OnlineCatalogOf(options_.webCatalog).name;
  }
  stars_.Clear();
}

void GSCFieldObj::CountMagnitude(float mag) {
  if (mag < brightestMag_) brightestMag_ = mag;
  if (mag > faintestMag_) faintestMag_ = mag;
}

void GSCFieldObj::AddStar(const CatalogStar& star) {
  stars_.InsertSorted(star);
  if (star.starClass == 0) {
    ++starCount_;
    CountMagnitude(star.mag);
  } else {
    ++nonStellarCount_;
  }
}

bool GSCFieldObj::LoadGSCField(const SearchWindow& window, const RegionList& regions) {
  ui_.ProgressNote("Guide Star Catalog\r\nSearching Selected GSC Regions.");
  rawStars_.Clear();
  stars_.Clear();
  brightestMag_ = 25;
  faintestMag_ = -2;
  starCount_ = 0;
  nonStellarCount_ = 0;
  readComplete_ = true;
  regionsRequested_ = regions;
  const std::uint16_t count = std::min<std::uint16_t>(regions.count, RegionList::kMaxRegions);
  for (std::uint16_t i = 0; i < count && readComplete_; ++i) {
    const std::uint16_t region = regions.regions[i];
    if (options_.vornFormatGSC) {
      readComplete_ = ReadConvertedRegion(window, region);
    } else if (OpenRegionFile(region)) {
      ReadOpenRegion(window, region);
    } else {
      readComplete_ = false;
    }
  }
  if (!options_.vornFormatGSC && readComplete_ && !rawStars_.IsEmpty()) MergeEntries();
  ui_.ProgressNote("");
  return !stars_.IsEmpty();
}

bool GSCFieldObj::ReadConvertedRegion(const SearchWindow& window, std::uint32_t region) {
  const int zone = GSCZoneOfRegion(region);
  const std::string root = GSCZoneOnVolumeII(zone) ? options_.gscPath2 : options_.gscPath1;
  const std::string name = root + GSCZoneDirectory(zone) + GSCRegionFileName(region, ".BIN");
  std::ifstream in;
  const int code = zone == 0 ? io_code::kFileNotFound : OpenForReading(fs::Resolve(name), in);
  if (code != 0) {
    platform::Tell(ui_,
                   std::string("Unable to Open Converted GSC File!") + kBreak2 + "File Name: " + name + kBreak +
                       "IOResult = " + std::to_string(code),
                   "Converted GSC File Error!", Icon::Error);
    return false;
  }
  zone_ = zone;
  std::vector<std::uint8_t> buffer(kGSCConvertedRecordBytes * kRecordsPerRead);
  for (;;) {
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    const std::size_t records = static_cast<std::size_t>(in.gcount()) / kGSCConvertedRecordBytes;
    for (std::size_t r = 0; r < records; ++r) {
      const CatalogStar star =
          DecodeConvertedGSCRecord(buffer.data() + r * kGSCConvertedRecordBytes, region, options_.defaultRefMags);
      if (InWindow(window, star.ra, star.dec, star.mag)) AddStar(star);
    }
    if (records < kRecordsPerRead) break;  // the end (a partial last record is no record)
  }
  return true;
}

bool GSCFieldObj::OpenRegionFile(std::uint32_t region) {
  if (regionFile_.is_open()) regionFile_.close();
  regionFile_.clear();
  const int zone = GSCZoneOfRegion(region);
  if (zone == 0) return false;
  const bool volumeII = GSCZoneOnVolumeII(zone);
  std::string& path = volumeII ? volumePath2_ : volumePath1_;
  const std::string relative = GSCZoneDirectory(zone) + GSCRegionFileName(region, ".GSC");
  const std::string volume = volumeII ? "Guide Star Catalog Volume II" : "Guide Star Catalog Volume I";
  const CatalogPromptTexts texts{volume, "Change GSC Volume", volume, "GSC File Error!", "GSC\\"};
  const auto found = LocateCatalogFile(ui_, path, relative, texts, options_.programDir, options_.cdromDrive);
  if (!found) return false;
  path = *found;
  const std::string name = path + relative;
  int code = OpenForReading(fs::Resolve(name), regionFile_);
  if (code == 0) {
    regionFile_.seekg(0, std::ios::end);
    const auto size = static_cast<std::streamoff>(regionFile_.tellg());
    if (size < static_cast<std::streamoff>(kGSCHeaderBytes)) code = io_code::kEndOfFile;  // no record 192
    else regionFile_.seekg(static_cast<std::streamoff>(kGSCHeaderBytes), std::ios::beg);
    if (code == 0 && !regionFile_) code = io_code::kEndOfFile;
  }
  if (code != 0) {
    if (regionFile_.is_open()) regionFile_.close();
    platform::Tell(ui_,
                   std::string("Unable to Open GSC File!") + kBreak2 + "File Name: " + name + kBreak +
                       "IOResult = " + std::to_string(code),
                   "GSC File Error!", Icon::Error);
    return false;
  }
  zone_ = zone;
  return true;
}

void GSCFieldObj::ReadOpenRegion(const SearchWindow& window, std::uint32_t region) {
  std::string buffer(kGSCRecordBytes * kRecordsPerRead, ' ');
  for (;;) {
    regionFile_.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::size_t records = static_cast<std::size_t>(regionFile_.gcount()) / kGSCRecordBytes;
    for (std::size_t r = 0; r < records; ++r) {
      const std::string record = buffer.substr(r * kGSCRecordBytes, kGSCRecordBytes);
      CatalogStar star;
      if (!ParseGSCRecord(record, region, options_.defaultRefMags, star)) continue;
      if (!InWindow(window, star.ra / kDegreesPerHour, star.dec, star.mag)) continue;
      rawStars_.InsertSorted(star);
      if (star.starClass == 0) CountMagnitude(star.mag);
    }
    if (records < kRecordsPerRead) break;
  }
  regionFile_.close();
}

void MergeGSCEntries(const std::vector<const CatalogStar*>& raw, const std::function<void(const CatalogStar&)>& take) {
  constexpr long double kDegreesPerTurn = 360.0L;
  constexpr long double kHoursPerTurn = 24.0L;
  std::size_t i = 0;
  while (i < raw.size()) {
    const CatalogStar& first = *raw[i];
    std::size_t end = i;  // the run is i..end
    while (end + 1 < raw.size() && raw[end + 1]->id == first.id) ++end;
    long double sumW = 0, sumRA = 0, sumDec = 0, sumV = 0, sumMag = 0;
    std::uint8_t maxClass = 0;
    for (std::size_t k = i; k <= end; ++k) {
      const CatalogStar& e = *raw[k];
      // RA relative to the run's first entry, unwrapped across 0/360 degrees.
      long double dRA = e.ra - first.ra;
      if (dRA > kDegreesPerTurn / 2) dRA -= kDegreesPerTurn;
      else if (dRA < -kDegreesPerTurn / 2) dRA += kDegreesPerTurn;
      const long double w = WeightOf(e.posErr);
      const long double v = WeightOf(e.magErr);
      sumW += w;
      sumRA += w * dRA;
      sumDec += w * e.dec;
      sumV += v;
      sumMag += v * e.mag;
      maxClass = std::max(maxClass, e.starClass);
    }
    const CatalogStar& lastEntry = *raw[end];
    const auto n = static_cast<long double>(end - i + 1);
    CatalogStar merged;
    merged.catalog = lastEntry.catalog;
    merged.id = lastEntry.id;
    merged.band = lastEntry.band;
    merged.usePos = lastEntry.usePos;
    merged.useMag = lastEntry.useMag;
    long double ra = std::fmod((first.ra + sumRA / sumW) / kDegreesPerHour, kHoursPerTurn);
    if (ra < 0) ra += kHoursPerTurn;
    if (ra >= kHoursPerTurn) ra = 0;
    merged.ra = ra;
    merged.dec = sumDec / sumW;
    merged.posErr = static_cast<float>(std::sqrt(n) / sumW);
    merged.mag = static_cast<float>(sumMag / sumV);
    merged.magErr = static_cast<float>(std::sqrt(n) / sumV);
    merged.starClass = maxClass;
    merged.entries = static_cast<std::uint8_t>(std::min<std::size_t>(end - i + 1, 255));
    take(merged);
    i = end + 1;
  }
}

void GSCFieldObj::MergeEntries() {
  std::vector<const CatalogStar*> raw;
  raw.reserve(rawStars_.Size());
  rawStars_.Reset();
  while (const CatalogStar* p = rawStars_.Next()) raw.push_back(p);
  MergeGSCEntries(raw, [this](const CatalogStar& merged) {
    stars_.InsertSorted(merged);
    if (merged.starClass == 0) ++starCount_;
    else ++nonStellarCount_;
  });
}

std::int32_t GSCFieldObj::NearestStar(std::int32_t x, std::int32_t y, CatalogStar* star) {
  constexpr long double kNearLimit = 100.0L;  // reference-field picture units
  std::int32_t best = -1;
  long double bestDistance = kNearLimit;
  std::int32_t i = -1;
  stars_.Reset();
  const CatalogStar* bestStar = nullptr;
  while (const CatalogStar* p = stars_.Next()) {
    ++i;
    const CatalogStar& s = *p;
    const long double d = std::hypot(static_cast<long double>(x) - s.fieldX, static_cast<long double>(y) - s.fieldY);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      bestStar = p;
    }
  }
  if (bestStar != nullptr && star != nullptr) *star = *bestStar;
  return best;
}

}  // namespace skarvel
