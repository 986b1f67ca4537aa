#include "catalogs/sa_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "catalogs/catalog_files.h"
#include "catalogs/catalog_location.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Icon;

namespace {

/// Height of a zone, degrees, and its step in the zone names (0.1 degree).
constexpr double kZoneDegrees = 7.5;
constexpr int kZoneStep = 75;
constexpr int kLastZoneStart = 1725;
/// RA span of one ".ACC" line, hours.
constexpr double kAccessBinHours = 0.25;
/// Neighbours closer than this are one star, arc seconds.
constexpr long double kDuplicateArcsec = 2.0L;
constexpr long double kArcsecPerHour = 54000.0L;
constexpr long double kRadiansPerDegree = 3.14159265358979323846264338327950288L / 180.0L;
constexpr std::size_t kRecordsPerRead = 1024;


std::int32_t BigEndianI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
                                   (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]));
}

int ZoneStartOf(double decDeg) {
  const int start = static_cast<int>(std::trunc((decDeg + 90.0) / kZoneDegrees)) * kZoneStep;
  return std::clamp(start, 0, kLastZoneStart);
}

bool IsSA(const CatalogStar& s) { return s.catalog == kCatalogUSNOSA1 || s.catalog == kCatalogUSNOSA2; }

}  // namespace

float SARecord::Red() const { return static_cast<float>(std::llabs(magWord) % 1000) / 10.0f; }
float SARecord::Blue() const { return static_cast<float>(std::llabs(magWord) / 1000 % 1000) / 10.0f; }
int SARecord::FieldNumber() const { return static_cast<int>(std::llabs(magWord) / 1000000 % 1000); }

SARecord DecodeSARecord(const std::uint8_t* bytes) {
  return SARecord{BigEndianI32(bytes), BigEndianI32(bytes + 4), BigEndianI32(bytes + 8)};
}

std::string SAZoneStem(int start) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "ZONE%04d", std::clamp(start, 0, 9999));
  return buffer;
}

SAFilesObj::SAFilesObj(const OptionsRecord& options, platform::Platform& ui, int version,
                       std::function<std::string()> gscWorkingPath)
    : options_(options), ui_(ui), version_(version == 1 ? 1 : 2), gscWorkingPath_(std::move(gscWorkingPath)) {}

bool SAFilesObj::OpenCatalog() { return LocateCatalog(); }

bool SAFilesObj::LocateCatalog() {
  if (located_ && fs::FileExists(path_ + "ZONE0000.ACC")) return true;
  const std::string& own = version_ == 1 ? options_.sa1Path : options_.sa2Path;
  std::string path = !path_.empty() ? path_ : !own.empty() ? own : options_.cdromDrive;
  if (path.empty() && gscWorkingPath_) path = gscWorkingPath_();
  const std::string v = version_ == 1 ? "1.0" : "2.0";
  const CatalogPromptTexts texts{"USNO-SA" + v + " Catalog", "Load SA" + v + " CDROM", "USNO-SA" + v + " Catalog",
                                 "SA" + v + " File Error!", ""};
  const auto found = LocateCatalogFile(ui_, path, "ZONE0000.ACC", texts, options_.programDir, options_.cdromDrive);
  if (!found) return false;
  path_ = *found;
  located_ = true;
  return true;
}

bool SAFilesObj::SelectZones(const SearchWindow& window, std::vector<SAZone>& zones) {
  zones.clear();
  const int low = ZoneStartOf(window.decMin);
  const int high = ZoneStartOf(window.decMax);
  const int record = std::clamp(static_cast<int>(std::trunc(window.raMin / kAccessBinHours)), 0, 95);
  for (int start : {low, high}) {
    if (!zones.empty() && zones.front().start == start) break;
    const std::string name = path_ + SAZoneStem(start) + ".ACC";
    std::ifstream in;
    int code = OpenCatalogFile(fs::Resolve(name), in);
    std::int64_t first = 0;
    if (code == 0) {
      std::string line(kSAAccessLineBytes, ' ');
      in.seekg(static_cast<std::streamoff>(record) * static_cast<std::streamoff>(kSAAccessLineBytes));
      in.read(line.data(), static_cast<std::streamsize>(kSAAccessLineBytes));
      if (in.gcount() < static_cast<std::streamsize>(kSAAccessLineBytes - 1)) {
        code = io_code::kEndOfFile;  // a last line may lack its line end
      } else {
        const auto number = ParseInteger(std::string_view(line).substr(6, 11));
        if (!number) code = io_code::kInvalidInput;
        else first = std::max<std::int64_t>(*number - 1, 0);
      }
    }
    if (code != 0) {
      platform::Tell(ui_, CatalogFileMessage("Unable to Open .ACC File!", name, code), "SA File Error!", Icon::Error);
      zones.clear();
      return false;
    }
    zones.push_back(SAZone{start, first});
  }
  return true;
}

bool SAFilesObj::ReadZone(const SAZone& zone, const SearchWindow& window, StarList& list) {
  const std::string relative = SAZoneStem(zone.start) + ".CAT";
  const std::string v = version_ == 1 ? "1.0" : "2.0";
  const CatalogPromptTexts texts{"USNO-SA" + v + " Catalog", "Load SA" + v + " CDROM", "USNO-SA" + v + " Catalog",
                                 "SA" + v + " File Error!", ""};
  const auto found = LocateCatalogFile(ui_, path_, relative, texts, options_.programDir, options_.cdromDrive);
  if (!found) return false;
  path_ = *found;
  const std::string name = path_ + relative;
  std::ifstream in;
  const int code = OpenCatalogFile(fs::Resolve(name), in);
  if (code != 0) {
    platform::Tell(ui_, CatalogFileMessage("Unable to Open " + Name() + " File!", name, code), "SA File Error!",
                   Icon::Error);
    return false;
  }
  const bool wraps = window.raMin > window.raMax;
  const std::uint8_t catalog = version_ == 1 ? kCatalogUSNOSA1 : kCatalogUSNOSA2;
  const std::string stem = SAZoneStem(zone.start).substr(4);
  std::vector<std::uint8_t> buffer(kSARecordBytes * kRecordsPerRead);
  // Pass 1 from the access file's record; a wrapping window reads on to the
  // end of the file and then from its start (pass 2) up to RAMax.
  for (int pass = 1; pass <= (wraps ? 2 : 1); ++pass) {
    std::int64_t record = pass == 1 ? zone.firstRecord : 0;
    in.clear();
    in.seekg(static_cast<std::streamoff>(record) * static_cast<std::streamoff>(kSARecordBytes), std::ios::beg);
    bool done = false;
    while (!done && in) {
      in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
      const std::size_t got = static_cast<std::size_t>(in.gcount()) / kSARecordBytes;
      for (std::size_t k = 0; k < got && !done; ++k) {
        const SARecord r = DecodeSARecord(buffer.data() + k * kSARecordBytes);
        ++record;
        const long double ra = r.RAHours();
        if ((!wraps || pass == 2) && ra > window.raMax) {
          done = true;
          break;
        }
        const long double dec = r.DecDeg();
        if (r.magWord < 0 || !RAInWindow(window, ra) || dec < window.decMin || dec > window.decMax) continue;
        CatalogStar s;
        s.catalog = catalog;
        s.ra = ra;
        s.dec = dec;
        s.usePos = true;
        s.mag = colourChoice_ == 0 ? r.Blue() : r.Red();
        s.band = colourChoice_ == 0 ? kBandB : kBandR;
        s.magErr = 0;
        s.useMag = options_.defaultRefMags;
        s.starClass = 0;
        s.entries = 1;
        s.id = stem + "-" + std::to_string(record);
        if (s.mag > window.magLimit) continue;
        list.InsertSorted(s);
      }
      if (got < kRecordsPerRead) break;
    }
  }
  return true;
}

bool SAFilesObj::ReadField(const SearchWindow& window, long double, std::vector<CatalogStar>& stars) {
  stars.clear();
  std::vector<SAZone> zones;
  if (!SelectZones(window, zones)) return false;
  ui_.ProgressNote(Name() + " Catalog\r\nSearching " + Name());
  StarList list;
  for (const SAZone& zone : zones)
    if (!ReadZone(zone, window, list)) break;
  ui_.ProgressNote("");
  list.Reset();
  while (const CatalogStar* s = list.Next()) stars.push_back(*s);
  return !stars.empty();
}

void SAFilesObj::Merge(GSCFieldObj& field, const std::vector<CatalogStar>& stars) { MergeSupplement(field, stars); }

void MergeSupplement(GSCFieldObj& field, const std::vector<CatalogStar>& stars) {
  float brightest = field.BrightestMag();
  float faintest = field.FaintestMag();
  for (const CatalogStar& s : stars) {
    field.Stars().InsertSorted(s);
    brightest = brightest == 0 ? s.mag : std::min(brightest, s.mag);
    faintest = faintest == 0 ? s.mag : std::max(faintest, s.mag);
  }
  std::vector<CatalogStar> all;
  all.reserve(field.Stars().Size());
  field.Stars().Reset();
  while (const CatalogStar* s = field.Stars().Next()) all.push_back(*s);
  std::size_t i = 0;
  while (i + 1 < all.size()) {
    const CatalogStar& a = all[i];
    const CatalogStar& b = all[i + 1];
    if (a.catalog != b.catalog && (IsSA(a) || IsSA(b))) {
      const long double dx = (b.ra - a.ra) * kArcsecPerHour * std::cos(a.dec * kRadiansPerDegree);
      const long double dy = (b.dec - a.dec) * 3600.0L;
      if (std::hypot(dx, dy) < kDuplicateArcsec) {
        all.erase(all.begin() + static_cast<std::ptrdiff_t>(IsSA(b) ? i + 1 : i));
        continue;
      }
    }
    ++i;
  }
  field.Stars().Clear();
  for (const CatalogStar& s : all) field.Stars().Append(s);
  field.SetSummary(brightest, faintest, static_cast<std::int32_t>(all.size()) - field.NonStellarCount());
}

}  // namespace skarvel
