#include "catalogs/gsc_regions.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "catalogs/catalog_location.h"
#include "catalogs/gsc_zones.h"
#include "foundations/byte_io.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Icon;

namespace {

constexpr const char* kTableFile = "TABLES\\REGIONS.TBL";
constexpr const char* kConvertedTableFile = "TABLES\\REGIONS.BIN";
constexpr const char* kBreak = "\r\n";
constexpr const char* kBreak2 = "\r\n\r\n";
/// Records of a converted table: the placeholder and the 9537 regions.
constexpr std::size_t kConvertedRecords = std::size_t{kGSCRegionCount} + 1;

std::optional<long double> Field(const std::string& row, std::size_t offset, std::size_t width) {
  return ParseDecimal(std::string_view(row).substr(offset, width));
}

// Opens a file for binary reading; 0 or the I/O result code of the failure.
int OpenForReading(const std::string& path, std::ifstream& in) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return IOCodeFromErrno(errno);
  if (!S_ISREG(st.st_mode)) return io_code::kAccessDenied;
  in.open(path, std::ios::binary);
  return in ? 0 : io_code::kAccessDenied;
}

}  // namespace

bool ParseRegionRow(const std::string& row, SearchWindow& region) {
  if (row.size() < static_cast<std::size_t>(GSCRgnsTblObj::kMinRowBytes)) return false;
  const auto raLowH = Field(row, 7, 2), raLowM = Field(row, 10, 2), raLowS = Field(row, 13, 5);
  const auto raHighH = Field(row, 19, 2), raHighM = Field(row, 22, 2), raHighS = Field(row, 25, 5);
  const auto decLowD = Field(row, 32, 2), decLowM = Field(row, 35, 4);
  const auto decHighD = Field(row, 41, 2), decHighM = Field(row, 44, 4);
  if (!raLowH || !raLowM || !raLowS || !raHighH || !raHighM || !raHighS || !decLowD || !decLowM || !decHighD ||
      !decHighM)
    return false;
  const long double raLow = *raLowH + *raLowM / 60.0L + *raLowS / 3600.0L;
  long double raHigh = *raHighH + *raHighM / 60.0L + *raHighS / 3600.0L;
  if (raHigh == 0) raHigh = 24;  // a region reaching 0 h ends at 24 h
  long double decLow = (*decLowD + *decLowM / 60.0L) * (row[31] == '-' ? -1 : 1);
  long double decHigh = (*decHighD + *decHighM / 60.0L) * (row[40] == '-' ? -1 : 1);
  if (decLow > decHigh) std::swap(decLow, decHigh);
  region = SearchWindow{static_cast<double>(raLow), static_cast<double>(raHigh), static_cast<double>(decLow),
                        static_cast<double>(decHigh), 0.0f};
  return true;
}

GSCRgnsTblObj::GSCRgnsTblObj(const OptionsRecord& options, platform::Platform& ui)
    : FITSFileObj(ImageLoadContext{&ui, options.dataDir, 0, nullptr, nullptr}), options_(options), ui_(ui) {}

std::uint16_t GSCRgnsTblObj::RegionCount() const {
  return regions_.IsEmpty() ? 0 : static_cast<std::uint16_t>(regions_.Size() - 1);
}

void GSCRgnsTblObj::Reset() {
  regions_.Clear();
  regions_.Append(SearchWindow{});  // entry 0, so that entry n is region n
}

void GSCRgnsTblObj::LoadRegions(bool allowPrompt) {
  if (loaded_) return;
  if (!allowPrompt) {
    LoadTableFile(tableFile_);
    return;
  }
  if (options_.vornFormatGSC) {
    LoadConverted();
    return;
  }
  std::string location = options_.programDir;
  if (!fs::FileExists(location + kTableFile)) {
    if (options_.primaryCatalog == kPrimaryGSC && !options_.gscPath1.empty()) location = options_.gscPath1;
    else if (!options_.cdromDrive.empty()) location = options_.cdromDrive;
    const CatalogPromptTexts texts{"Guide Star Catalog Volume I or II", "GSC Regions Table",
                                   "Guide Star Catalog Regions Table", "GSC Regions Table Not Found", "TABLES\\"};
    const auto found =
        LocateCatalogFile(ui_, WithTrailingBackslash(location), kTableFile, texts, options_.programDir, options_.cdromDrive);
    if (!found) return;
    location = *found;
  }
  catalogRoot_ = location;
  workingPath_ = location;
  LoadTableFile(location + kTableFile);
}

void GSCRgnsTblObj::LoadTableFile(const std::string& file) {
  tableFile_ = file;
  ui_.ProgressNote("Guide Star Catalog\r\nLoading GSC Regions File.");
  Reset();
  bool ok = ReadHeader(file) && Header().xtension == "TABLE   " && ReadTable();
  if (Input().is_open()) Input().close();
  ui_.ProgressNote("");
  if (!ok) {
    Reset();
    platform::Tell(ui_, std::string("Unable to Load GSC Regions File.") + kBreak2 + "File Name: " + file,
                   "File Error!", Icon::Error);
    return;
  }
  loaded_ = true;
}

bool GSCRgnsTblObj::ReadTable() {
  const std::int32_t rowBytes = Header().naxis1;
  const std::int32_t rows = Header().naxis2;
  if (rowBytes < kMinRowBytes || rowBytes > static_cast<std::int32_t>(kBlockBytes) || rows < 1) return false;
  const auto rowLength = static_cast<std::size_t>(rowBytes);
  const std::size_t perBlock = kBlockBytes / rowLength;
  const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(rows), kGSCRegionCount);
  std::ifstream& in = Input();
  std::string block(kBlockBytes, ' ');
  std::size_t done = 0;
  while (done < wanted) {
    in.read(block.data(), static_cast<std::streamsize>(kBlockBytes));
    const auto got = static_cast<std::size_t>(in.gcount());
    const std::size_t here = std::min(perBlock, got / rowLength);
    for (std::size_t r = 0; r < here && done < wanted; ++r) {
      SearchWindow region;
      if (!ParseRegionRow(block.substr(r * rowLength, rowLength), region)) return false;
      regions_.Append(region);
      ++done;
    }
    if (got < kBlockBytes) break;
  }
  return done == wanted;
}

void GSCRgnsTblObj::LoadConverted() {
  const std::string file = options_.gscPath1 + kConvertedTableFile;
  tableFile_ = file;
  std::ifstream in;
  int code = OpenForReading(fs::Resolve(file), in);
  std::vector<std::uint8_t> bytes(kConvertedRecords * SearchWindow::kBytes);
  std::size_t records = 0;
  if (code == 0) {
    ui_.ProgressNote("Converted Guide Star Catalog\r\nLoading GSC Regions Data.");
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    records = static_cast<std::size_t>(in.gcount()) / SearchWindow::kBytes;
    ui_.ProgressNote("");
    if (records < 2) code = io_code::kEndOfFile;  // not even one region after the placeholder
  }
  if (code != 0) {
    platform::Tell(ui_,
                   std::string("Unable to Open Converted GSC Regions Table!") + kBreak2 + "File Name: " + file +
                       kBreak + "IOResult = " + std::to_string(code),
                   "Converted GSC Regions Error!", Icon::Error);
    return;
  }
  regions_.Clear();
  ByteReader reader(bytes.data(), records * SearchWindow::kBytes);
  for (std::size_t i = 0; i < records; ++i) regions_.Append(ReadSearchWindow(reader));
  catalogRoot_ = options_.gscPath1;
  workingPath_ = options_.gscPath1;
  loaded_ = true;
}

bool GSCRgnsTblObj::RegionOverlaps(const SearchWindow& w, std::uint32_t region) {
  if (region == 0 || region > RegionCount()) return false;
  const SearchWindow* entry = regions_.GetAt(static_cast<std::int32_t>(region));
  if (entry == nullptr) return false;
  const SearchWindow& r = *entry;
  bool ra = false;
  if (w.raMax > w.raMin) ra = w.raMin < r.raMax && w.raMax > r.raMin;
  else if (r.raMin < 12) ra = w.raMax > r.raMin;  // a wrapping window: its side of 0 h the region lies on
  else ra = w.raMin < r.raMax;
  const bool dec = w.decMin < r.decMax && w.decMax > r.decMin;
  return ra && dec;
}

RegionList GSCRgnsTblObj::FindRegions(const SearchWindow& window) {
  RegionList found;
  const std::uint16_t count = std::min<std::uint16_t>(RegionCount(), kGSCRegionCount);
  for (std::uint16_t n = 1; n <= count; ++n) {
    if (!RegionOverlaps(window, n)) continue;
    if (found.count < RegionList::kMaxRegions) found.regions[found.count++] = n;
    else platform::Tell(ui_, "Field Contains Too Many Regions!", "Region Table Full!", Icon::Exclamation);
  }
  return found;
}

}  // namespace skarvel
