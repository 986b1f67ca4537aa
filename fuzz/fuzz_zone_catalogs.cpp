// The zone-file catalogs UCAC2, UCAC3, UCAC-BSS, USNO-SA1.0 and USNO-SA2.0.
// The input gives the catalog (first byte), the colour choice and the number
// of stars (second byte: bits 0-1 and 2-6), the window's centre RA, the stars
// that a well-formed catalog is written from (index, zone table, access texts
// and zone files), then byte patches and cuts anywhere in those files; then
// what the program does with a field read: the reader's merge into the field
// list and the reference field.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "catalogs/sa_files.h"
#include "catalogs/zone_catalogs.h"
#include "support/field_use.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"
#include "support/zone_catalog_writer.h"

using namespace skarvel;

namespace {

constexpr std::size_t kStarBytes = 8;   // RA (16 bits), Dec offset, magnitude, proper motions, flags
constexpr std::size_t kPatchBytes = 5;  // file, offset (24 bits), value

std::uint32_t U16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] | (p[1] << 8)); }

// Applies the patches to the catalog's files (in name order): a byte set, or
// (file byte's top bit) the file cut at the offset.
void Patch(const std::string& dir, const std::uint8_t* data, std::size_t size) {
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files.push_back(e.path());
  if (files.empty()) return;
  std::sort(files.begin(), files.end());
  for (std::size_t at = 0; at + kPatchBytes <= size && at < 64 * kPatchBytes; at += kPatchBytes) {
    const auto& file = files[(data[at] & 0x7F) % files.size()];
    const std::uintmax_t length = std::filesystem::file_size(file);
    if (length == 0) continue;
    const std::uintmax_t offset = (data[at + 1] | (data[at + 2] << 8) | (data[at + 3] << 16)) % length;
    if ((data[at] & 0x80) != 0) {
      std::filesystem::resize_file(file, offset);
    } else {
      std::FILE* f = std::fopen(file.c_str(), "r+b");
      if (f == nullptr) continue;
      std::fseek(f, static_cast<long>(offset), SEEK_SET);
      std::fputc(data[at + 4], f);
      std::fclose(f);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int kind = data[0] % 5;
  const auto colour = static_cast<std::uint8_t>(data[1] & 3);
  // The window: centre RA from bytes 2-3 (over 24 h), a Dec band chosen by the
  // first star, 0.2 h by 1 degree, or through 0 h when the centre is near it.
  const double centreRA = U16(data + 2) * 24.0 / 65536.0;
  const std::size_t count = std::min<std::size_t>((size - 4) / kStarBytes, (data[1] >> 2) & 31);
  std::vector<testing::ZoneStar> stars;
  double centreDec = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = data + 4 + i * kStarBytes;
    testing::ZoneStar s;
    s.raHours = std::fmod(centreRA + (static_cast<std::int8_t>(p[0]) / 128.0) * 0.2 + 24.0, 24.0);
    const double dec = (static_cast<double>(U16(p + 1)) - 32768.0) * 90.0 / 32768.0;
    if (i == 0) centreDec = dec;
    s.decDeg = i == 0 ? dec : std::clamp(centreDec + (dec / 90.0), -90.0, 90.0);
    s.mag = p[3] / 10.0;
    s.blue = s.mag + 1;
    s.pmRA = static_cast<std::int8_t>(p[4]) * 100.0;
    s.pmDec = static_cast<std::int8_t>(p[5]) * 100.0;
    s.observations = p[6] % 8;
    s.posErrCode = static_cast<std::int8_t>(p[7]);
    s.saFlagged = (p[7] & 1) != 0;
    s.scB = (p[7] & 2) != 0 ? 0 : 13;
    stars.push_back(s);
  }
  const std::size_t patchAt = 4 + count * kStarBytes;

  const std::string dir = fuzz::WorkDir() + "catalog/";
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  std::filesystem::create_directories(dir);
  OptionsRecord options;
  options.programDir = options.dataDir = dir;
  options.cdromDrive.clear();
  options.gscPath1.clear();
  options.ucac2Path = options.ucac3Path1 = options.ucac3Path2 = options.bssPath = dir;
  options.sa1Path = options.sa2Path = dir;
  switch (kind) {
    case 0: testing::WriteUCAC2(dir, stars); break;
    case 1: testing::WriteUCAC3(dir, dir, stars); break;
    case 2: testing::WriteBSS(dir, stars, "bsindex.da"); break;
    default: testing::WriteSA(dir, stars); break;
  }
  Patch(dir, data + patchAt, size - patchAt);

  testing::ScriptedPlatform ui;  // every prompt for a missing file is cancelled
  std::unique_ptr<FieldCatalogReader> reader;
  if (kind == 0) reader = std::make_unique<UCAC2FileObj>(options, ui);
  if (kind == 1) reader = std::make_unique<UCAC3FileObj>(options, ui);
  if (kind == 2) reader = std::make_unique<BSSFileObj>(options, ui);
  if (kind >= 3) reader = std::make_unique<SAFilesObj>(options, ui, kind - 2);
  if (kind <= 2) static_cast<UCAC2FileObj&>(*reader).SetColourChoice(colour);
  else static_cast<SAFilesObj&>(*reader).SetColourChoice(colour % 2);
  if (!reader->OpenCatalog()) return 0;
  const double raMin = std::fmod(centreRA - 0.1 + 24.0, 24.0), raMax = std::fmod(centreRA + 0.1, 24.0);
  const SearchWindow window{raMin, raMax, std::max(centreDec - 0.5, -90.0), std::min(centreDec + 0.5, 90.0), 25.0f};
  std::vector<CatalogStar> found;
  reader->ReadField(window, 2461000.5L, found);
  if (fuzz::kReaderOnly) return 0;
  fuzz::UseField(found, window, reader.get(), colour);
  return 0;
}
