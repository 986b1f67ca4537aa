#include "catalogs/zone_catalogs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "catalogs/catalog_files.h"
#include "catalogs/catalog_location.h"
#include "foundations/byte_io.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Icon;

namespace {

constexpr long double kMasPerDegree = 3600000.0L;
constexpr long double kMasPerHour = 54000000.0L;  // 15 degrees of 3,600,000 mas
constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr long double kRadiansPerDegree = kPi / 180.0L;
/// The UCAC3 south pole distance of the equator, mas (90 degrees).
constexpr std::int64_t kEquatorSpdMas = 324000000;
/// Records taken from a zone file per read.
constexpr std::size_t kRecordsPerRead = 512;
/// Largest index file accepted, bytes (the UCAC3 index is 691,200).
constexpr std::uint64_t kLargestIndex = 1u << 21;
/// Largest zone table accepted, bytes.
constexpr std::uint64_t kLargestZoneTable = 1u << 20;

std::string FirstSet(std::initializer_list<const std::string*> paths) {
  for (const std::string* p : paths)
    if (!p->empty()) return *p;
  return std::string();
}

// RA (hours) brought into [0, 24).
long double NormalisedRA(long double ra) {
  ra = std::fmod(ra, 24.0L);
  if (ra < 0) ra += 24.0L;
  if (ra >= 24.0L) ra = 0;
  return ra;
}

// The RA change in mas of RA over `years` of a proper motion pm in 0.1 mas/yr
// of great circle (the UCAC catalogs give "pmRA cos Dec"): pm T / 10 / cos Dec.
// At the very pole the RA is left as it is.
long double RAMotionMas(std::int32_t pm, long double years, long double decDeg) {
  const long double c = std::cos(decDeg * kRadiansPerDegree);
  if (std::fabs(c) < 1e-9L) return 0;
  return static_cast<long double>(pm) * years / 10.0L / c;
}

}  // namespace

UCAC2Record DecodeUCAC2Record(const std::uint8_t* record) {
  ByteReader in(record, kUCAC2RecordBytes);
  UCAC2Record r;
  r.raMas = in.I32();
  r.decMas = in.I32();
  r.mag = in.I16();
  in.Skip(2);  // RA and Dec errors
  r.observations = in.U8();
  r.posErrCode = in.I8();
  in.Skip(6);
  r.pmRA = in.I32();
  r.pmDec = in.I32();
  return r;
}

// ---------------------------------------------------------------- UCAC2

UCAC2FileObj::UCAC2FileObj(OptionsRecord& options, platform::Platform& ui) : options_(options), ui_(ui) {}

int UCAC2FileObj::RABin(double raHours) const {
  const int bin = static_cast<int>(std::trunc(raHours / kRABinHours)) + 1;
  return std::clamp(bin, 1, kRABins);
}

int UCAC2FileObj::DecZone(double decDeg) const {
  return static_cast<int>(std::trunc((decDeg + 90.0) / 0.5)) + 1;
}

bool UCAC2FileObj::Accepts(const CatalogStar& star, const SearchWindow& window) const {
  return InWindow(window, star.ra, star.dec, star.mag);
}

std::int64_t UCAC2FileObj::IndexValue(int zone, int bin) const {
  if (bin <= 0) {
    if (zone <= 1) return 0;
    --zone;
    bin = kRABins;
  }
  const std::size_t at = static_cast<std::size_t>(zone - 1) * kRABins + static_cast<std::size_t>(bin - 1);
  return at < index_.size() ? index_[at] : 0;
}

ZoneRange UCAC2FileObj::RangeOf(int zone, int fromBin, int toBin) const {
  ZoneRange r;
  r.zone = zone;
  r.before = IndexValue(zone, 0);
  r.first = IndexValue(zone, fromBin - 1) - r.before;
  r.last = IndexValue(zone, toBin) - r.before;
  r.idBase = IndexValue(zone, fromBin - 1);
  return r;
}

void UCAC2FileObj::SelectRanges(const SearchWindow& window) {
  ranges_.clear();
  const int b = RABin(window.raMin);
  const int a = RABin(window.raMax);
  const int lowZone = std::max(DecZone(window.decMin), 1);
  const int highZone = std::min(DecZone(window.decMax), ZoneCount());
  for (int zone = lowZone; zone <= highZone; ++zone) {
    if (window.raMin > window.raMax) {
      ranges_.push_back(RangeOf(zone, 1, a));
      ranges_.push_back(RangeOf(zone, b, kRABins));
    } else {
      ranges_.push_back(RangeOf(zone, b, a));
    }
  }
  for (ZoneRange& r : ranges_) {  // a damaged index never gives a negative stretch
    r.first = std::max<std::int64_t>(r.first, 0);
    r.last = std::max(r.last, r.first);
  }
}

bool UCAC2FileObj::ReadIndexFile(const std::string& name, std::size_t count, const std::string& message,
                                 const std::string& caption) {
  int code = 0;
  std::vector<std::uint8_t> bytes;
  try {
    bytes = fs::ReadFileBytes(name, kLargestIndex);
    if (bytes.size() < count * 4) code = io_code::kEndOfFile;
  } catch (const IOFailure& failure) {
    code = failure.Code();
  }
  if (code != 0) {
    platform::Tell(ui_, CatalogFileMessage(message, name, code), caption, Icon::Error);
    return false;
  }
  index_.assign(count, 0);
  ByteReader in(bytes.data(), bytes.size());
  for (std::int32_t& v : index_) v = in.I32();
  return true;
}

bool UCAC2FileObj::LoadIndex(const std::string& name) {
  return ReadIndexFile(name, static_cast<std::size_t>(ZoneCount()) * kRABins, "Unable to Open NX Array File!",
                       "UCAC2 File Error!");
}

bool UCAC2FileObj::OpenCatalog() {
  if (loaded_) return true;
  std::string path =
      FirstSet({&options_.ucac2Path, &options_.cdromDrive, &options_.gscPath1, &options_.programDir});
  const CatalogPromptTexts texts{"UCAC2 Catalog (Any Disk)", "Load UCAC2 CDROM", "UCAC2 Catalog",
                                 "UCAC2 File Error!", "U2\\"};
  const auto found = LocateCatalogFile(ui_, path, "U2\\u2index.da", texts, options_.programDir, options_.cdromDrive);
  if (!found) return false;
  path_ = *found;
  loaded_ = LoadIndex(path_ + "U2\\u2index.da");
  return loaded_;
}

bool UCAC2FileObj::OpenZoneFile(const std::string& name, const std::string& message, const std::string& caption) {
  if (zoneFile_.is_open()) zoneFile_.close();
  zoneFile_.clear();
  const int code = OpenCatalogFile(fs::Resolve(name), zoneFile_);
  if (code != 0) {
    if (zoneFile_.is_open()) zoneFile_.close();
    platform::Tell(ui_, CatalogFileMessage(message, name, code), caption, Icon::Error);
    return false;
  }
  return true;
}

bool UCAC2FileObj::OpenZone(int zone) {
  const std::string relative = "U2\\z" + ZeroFilled(zone, 3);
  const std::string disk = zone < 107 ? "CD #1" : zone <= 182 ? "CD #2" : "CD #3";
  const CatalogPromptTexts texts{"UCAC2 Catalog " + disk, "Load UCAC2 CDROM", "UCAC2 Reference Catalog",
                                 "UCAC2 File Error!", "U2\\"};
  const auto found = LocateCatalogFile(ui_, path_, relative, texts, options_.programDir, options_.cdromDrive);
  if (!found) return false;
  path_ = *found;
  return OpenZoneFile(path_ + relative, "Unable to Open UCAC2 File!", "UCAC2 File Error!");
}

CatalogStar UCAC2FileObj::ConvertRecord(const std::uint8_t* record, std::int64_t runningNumber,
                                        long double years) const {
  const UCAC2Record r = DecodeUCAC2Record(record);
  CatalogStar s;
  s.catalog = kCatalogUCAC2;
  s.dec = (r.decMas + r.pmDec * years / 10.0L) / kMasPerDegree;
  const long double cosDec = std::cos(s.dec * kRadiansPerDegree);
  s.ra = NormalisedRA((r.raMas + RAMotionMas(r.pmRA, years, s.dec)) / kMasPerHour);
  s.pmDec = static_cast<float>(r.pmDec / 10000.0L);
  s.pmRA = static_cast<float>(r.pmRA * cosDec / 10000.0L);
  s.posErr = static_cast<float>((r.posErrCode + 127) / 1000.0L);
  s.mag = static_cast<float>(r.mag / 100.0L);
  s.magErr = 0.3f;
  s.usePos = true;
  s.useMag = options_.defaultRefMags;
  s.band = kBandNone;
  s.starClass = 0;
  s.entries = r.observations;
  s.id = ZeroFilled(runningNumber, 8);
  return s;
}

bool UCAC2FileObj::ReadField(const SearchWindow& window, long double julianDate, std::vector<CatalogStar>& stars) {
  stars.clear();
  brightestMag_ = 25;
  faintestMag_ = -2;
  starCount_ = 0;
  const long double years = YearsFromJ2000(julianDate);
  SelectRanges(window);
  ui_.ProgressNote(ProgressText());
  StarList list;
  const std::size_t size = RecordBytes();
  std::vector<std::uint8_t> buffer(size * kRecordsPerRead);
  for (const ZoneRange& range : ranges_) {
    if (range.last <= range.first) continue;
    if (!OpenZone(range.zone)) break;
    zoneFile_.seekg(static_cast<std::streamoff>(range.first) * static_cast<std::streamoff>(size), std::ios::beg);
    std::int64_t position = 0;  // records read from `first`
    const std::int64_t wanted = range.last - range.first;
    while (zoneFile_ && position < wanted) {
      const std::int64_t batch = std::min<std::int64_t>(kRecordsPerRead, wanted - position);
      zoneFile_.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(static_cast<std::size_t>(batch) * size));
      const auto got = static_cast<std::int64_t>(zoneFile_.gcount()) / static_cast<std::int64_t>(size);
      for (std::int64_t k = 0; k < got; ++k) {
        const CatalogStar star =
            ConvertRecord(buffer.data() + static_cast<std::size_t>(k) * size, range.idBase + position + k + 1, years);
        if (!Accepts(star, window)) continue;
        list.InsertSorted(star);
        ++starCount_;
        brightestMag_ = std::min(brightestMag_, star.mag);
        faintestMag_ = std::max(faintestMag_, star.mag);
      }
      position += got;
      if (got < batch) break;  // the end of the file
    }
    zoneFile_.close();
  }
  ui_.ProgressNote("");
  stars.reserve(list.Size());
  list.Reset();
  while (const CatalogStar* s = list.Next()) stars.push_back(*s);
  return !stars.empty();
}

// ---------------------------------------------------------------- UCAC3

UCAC3FileObj::UCAC3FileObj(OptionsRecord& options, platform::Platform& ui) : UCAC2FileObj(options, ui) {}

std::int64_t UCAC3FileObj::IndexValue(int zone, int bin) const {
  // RA bin outer, zone inner: 240 x 360 values.
  if (bin < 1 || bin > kRABins || zone < 1 || zone > ZoneCount()) return 0;
  const std::size_t at = static_cast<std::size_t>(bin - 1) * 360 + static_cast<std::size_t>(zone - 1);
  return at < index_.size() ? index_[at] : 0;
}

ZoneRange UCAC3FileObj::RangeOf(int zone, int fromBin, int toBin) const {
  ZoneRange r;
  r.zone = zone;
  const auto z = static_cast<std::size_t>(zone);
  r.first = fromBin > 1 ? IndexValue(zone, fromBin - 1) : 0;
  const std::int64_t before = z < zoneFirst_.size() ? zoneFirst_[z] : 0;
  // To the end of the zone: its last running number L less the running numbers before it.
  r.last = toBin < kRABins ? IndexValue(zone, toBin + 1) : (z < zoneLast_.size() ? zoneLast_[z] - before : 0);
  r.idBase = before + r.first;
  return r;
}

bool UCAC3FileObj::LoadIndex(const std::string& name) {
  // Two arrays; the second is read and not used.
  return ReadIndexFile(name, 2u * kRABins * 360, "Unable to Open Index File!", "UCAC3 File Error!");
}

bool UCAC3FileObj::LoadZoneTable(const std::string& name) {
  int code = 0;
  std::vector<std::uint8_t> bytes;
  try {
    bytes = fs::ReadFileBytes(name, kLargestZoneTable);
  } catch (const IOFailure& failure) {
    code = failure.Code();
  }
  zoneFirst_.assign(static_cast<std::size_t>(ZoneCount()) + 1, 0);
  zoneLast_.assign(static_cast<std::size_t>(ZoneCount()) + 1, 0);
  if (code == 0) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    std::getline(in, line);  // the heading
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      long long zone = 0, first = 0, last = 0;
      if (!(fields >> zone >> first >> last)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        code = io_code::kInvalidInput;
        break;
      }
      if (zone < 1 || zone > ZoneCount()) continue;
      zoneFirst_[static_cast<std::size_t>(zone)] = first - 1;
      zoneLast_[static_cast<std::size_t>(zone)] = last;
    }
  }
  if (code != 0) {
    platform::Tell(ui_, CatalogFileMessage("Unable to Open Table Zones File!", name, code), "UCAC3 File Error!",
                   Icon::Error);
    return false;
  }
  return true;
}

bool UCAC3FileObj::OnCdrom(const std::string& dir) const {
  const std::string& cd = options_.cdromDrive;
  return !cd.empty() && dir.compare(0, cd.size(), cd) == 0;
}

bool UCAC3FileObj::OpenCatalog() {
  if (loaded_) return true;
  const std::string& cd = options_.cdromDrive;
  const std::string side1 = options_.ucac3Path1.empty() ? cd : options_.ucac3Path1;
  const std::string side2 = options_.ucac3Path2.empty() ? (cd.empty() ? cd : cd + "UCAC3B\\") : options_.ucac3Path2;
  std::string working = !options_.ucac3Path1.empty() ? options_.ucac3Path1
                        : !options_.ucac3Path2.empty() ? options_.ucac3Path2
                                                       : cd;
  const bool cdrom = OnCdrom(working);
  const std::string name = cdrom ? "UCAC3 Catalog (Any Disk)" : "UCAC3 Catalog";
  const std::string caption = cdrom ? "Load UCAC3 CDROM" : "UCAC3 File Error!";
  const auto found = LocateCatalogFile(ui_, working, "u3index.unf", {name, caption, name, caption, ""},
                                       options_.programDir, options_.cdromDrive);
  if (!found) return false;
  working = *found;
  path_ = working;
  if (!LoadIndex(working + "u3index.unf") || !LoadZoneTable(working + "table_zones")) return false;
  // A side is available where its index stands, or where the working path holds its first zone.
  auto sideDir = [&](const std::string& path, const char* firstZone, const std::string& fallback) {
    if (!path.empty() && fs::FileExists(path + "u3index.unf")) return path;
    if (fs::FileExists(working + firstZone)) return working;
    return fallback;
  };
  side1Dir_ = sideDir(side1, "Z001", cd);
  side2Dir_ = sideDir(side2, "Z145", cd.empty() ? cd : cd + "UCAC3B\\");
  loaded_ = true;
  return true;
}

bool UCAC3FileObj::OpenZone(int zone) {
  const bool firstSide = zone <= 144;
  std::string& dir = firstSide ? side1Dir_ : side2Dir_;
  const std::string relative = "z" + ZeroFilled(zone, 3);
  CatalogPromptTexts texts{"UCAC3 Catalog", "UCAC3 File Error!", "UCAC3 Catalog", "UCAC3 File Error!", ""};
  if (OnCdrom(dir)) {
    const std::string name = firstSide ? "UCAC3 CDROM  - SIDE 1" : "UCAC3 CDROM  - SIDE 2";
    const std::string caption = firstSide ? "UCAC3 Catalog (Side 1)" : "UCAC3 Catalog (Side 2)";
    texts = {name, caption, name, caption, ""};
  }
  const auto found = LocateCatalogFile(ui_, dir, relative, texts, options_.programDir, options_.cdromDrive);
  if (!found) return false;
  dir = *found;
  return OpenZoneFile(dir + relative, "Unable to Open UCAC3 File!", "UCAC3 File Error!");
}

CatalogStar UCAC3FileObj::ConvertRecord(const std::uint8_t* record, std::int64_t runningNumber,
                                        long double years) const {
  ByteReader in(record, kUCAC3RecordBytes);
  const std::int32_t raMas = in.I32();
  const std::int32_t spd = in.I32();
  const std::int16_t modelMag = in.I16();
  in.Skip(2);
  const std::int16_t modelErr = in.I16();
  in.Skip(2);
  const std::int16_t sigRA = in.I16();
  const std::int16_t sigDec = in.I16();
  in.Skip(1);
  const std::uint8_t observations = in.U8();
  in.Skip(6);
  const std::int32_t pmRA = in.I32();
  const std::int32_t pmDec = in.I32();
  in.Skip(8);
  std::int16_t twoMass[3];
  for (std::int16_t& m : twoMass) m = in.I16();
  in.Skip(3);
  std::int8_t twoMassErr[3];
  for (std::int8_t& e : twoMassErr) e = in.I8();
  std::int16_t superCosmos[3];  // B, R2, I
  for (std::int16_t& m : superCosmos) m = in.I16();

  CatalogStar s;
  s.catalog = kCatalogUCAC3;
  s.dec = (static_cast<long double>(spd - kEquatorSpdMas) + pmDec * years / 10.0L) / kMasPerDegree;
  s.ra = NormalisedRA((raMas + RAMotionMas(pmRA, years, s.dec)) / kMasPerHour);
  s.pmRA = static_cast<float>(pmRA / 10000.0L);
  s.pmDec = static_cast<float>(pmDec / 10000.0L);
  const long double posErr = std::hypot(sigRA / 1000.0L, sigDec / 1000.0L);
  if (!std::isfinite(posErr)) {
    char text[96];
    std::snprintf(text, sizeof text, "SigRA = %.4f, SigDc = %.4f", static_cast<double>(sigRA),
                  static_cast<double>(sigDec));
    platform::Tell(ui_, text, "Floating Point Error!", Icon::Error);
  } else {
    s.posErr = static_cast<float>(posErr);
  }
  s.usePos = true;
  s.useMag = true;
  s.starClass = 0;
  s.magErr = 0.3f;
  s.entries = observations;
  static constexpr std::uint8_t kBands[7] = {kBandB, kBandR, kBandI, kBandJ, kBandH, kBandK, kBandNone};
  const std::uint8_t choice = colourChoice_ <= 6 ? colourChoice_ : 6;
  s.band = kBands[choice];
  if (choice <= 2) {
    s.mag = static_cast<float>(superCosmos[choice] / 1000.0L);
    if (superCosmos[choice] == 0) {  // no SuperCosmos magnitude in this band
      s.starClass = 1;
      s.magErr = 10;
      s.useMag = false;
    }
  } else if (choice <= 5) {
    s.mag = static_cast<float>(twoMass[choice - 3] / 1000.0L);
    s.magErr = static_cast<float>(twoMassErr[choice - 3] / 100.0L);
  } else {
    s.mag = static_cast<float>(modelMag / 1000.0L);
    s.magErr = static_cast<float>(modelErr / 1000.0L);
  }
  s.id = "3UCAC" + ZeroFilled(runningNumber, 9);
  return s;
}

// ---------------------------------------------------------------- BSS

BSSFileObj::BSSFileObj(OptionsRecord& options, platform::Platform& ui) : UCAC2FileObj(options, ui) {}

int BSSFileObj::DecZone(double decDeg) const {
  return static_cast<int>(std::trunc((decDeg + 90.0) / 5.0)) + 1;
}

std::string BSSFileObj::FindIndex(const std::string& dir) {
  for (const char* name : {"bsindex.da", "bsindx.da"})
    if (fs::FileExists(dir + name)) return name;
  return std::string();
}

bool BSSFileObj::LoadIndex(const std::string& name) {
  return ReadIndexFile(name, static_cast<std::size_t>(ZoneCount()) * kRABins, "Unable to Open NX Array File!",
                       "BSS File Error!");
}

bool BSSFileObj::OpenCatalog() {
  if (loaded_) return true;
  const std::string ucac2Bss = options_.ucac2Path.empty() ? std::string() : options_.ucac2Path + "BSS\\";
  std::string path = FirstSet({&options_.bssPath, &ucac2Bss, &options_.gscPath1, &options_.programDir});
  std::string index = FindIndex(path);
  while (index.empty()) {
    const auto chosen = ui_.ChooseDirectory({"Locate UCAC-BSS Catalog", path, false});
    if (!chosen || chosen->empty()) return false;
    path = WithTrailingBackslash(*chosen);
    options_.bssPath = path;
    index = FindIndex(path);
  }
  path_ = path;
  loaded_ = LoadIndex(path_ + index);
  return loaded_;
}

bool BSSFileObj::OpenZone(int zone) {
  return OpenZoneFile(path_ + "s" + ZeroFilled(zone, 2), "Unable to Open BSS File!", "BSS File Error!");
}

CatalogStar BSSFileObj::ConvertRecord(const std::uint8_t* record, std::int64_t runningNumber,
                                      long double years) const {
  const UCAC2Record r = DecodeUCAC2Record(record);
  CatalogStar s;
  s.catalog = kCatalogUCACBSS;
  s.dec = (r.decMas + r.pmDec * years / 10.0L) / kMasPerDegree;
  s.ra = NormalisedRA((r.raMas + RAMotionMas(r.pmRA, years, s.dec)) / kMasPerHour);
  s.pmDec = static_cast<float>(r.pmDec / 10000.0L);
  s.pmRA = static_cast<float>(r.pmRA / 10000.0L);
  s.posErr = static_cast<float>((r.posErrCode + 127) / 1000.0L);
  s.mag = static_cast<float>(r.mag / 100.0L);
  s.magErr = 0.3f;
  s.usePos = true;
  s.useMag = options_.defaultRefMags;
  s.band = kBandV;
  s.starClass = 0;
  s.entries = r.observations;
  s.id = "50" + ZeroFilled(runningNumber, 6);
  return s;
}

}  // namespace skarvel
