// The Guide Star Catalog: the regions table (its rows, or the whole FITS
// table file), and region records in the CD-ROM (ASCII) and the converted
// (binary) forms, alone or as a whole region file read by the field load;
// the first byte chooses. Then what the program does next: the regions a
// field window overlaps, and for region records the merge of the plate
// entries and the reference field.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "support/field_use.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

namespace {

// The regions of a few windows (one wrapping through 0 h, a polar cap).
void FindRegions(GSCRgnsTblObj& table) {
  if (fuzz::kReaderOnly) return;
  for (const SearchWindow& w : {SearchWindow{5.9, 6.1, 19.5, 20.5, 20.0f}, SearchWindow{23.9, 0.1, -1.0, 1.0, 20.0f},
                                SearchWindow{0, 24, 88.0, 90.0, 20.0f}})
    (void)table.FindRegions(w);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int kind = data[0] % 6;
  ++data;
  --size;
  OptionsRecord options;
  testing::ScriptedPlatform ui;
  GSCRgnsTblObj table(options, ui);
  if (kind == 0) {
    table.Regions().Append(SearchWindow{});
    for (const std::string& row : fuzz::InputLines(data, size, 512)) {
      SearchWindow region;
      if (ParseRegionRow(row, region)) table.Regions().Append(region);
    }
    FindRegions(table);
    return 0;
  }
  if (kind == 3) {
    table.SetFileName(fuzz::WriteInput("REGIONS.TBL", data, size));
    table.LoadRegions(false);
    if (table.Loaded()) FindRegions(table);
    return 0;
  }
  std::vector<CatalogStar> stars;
  if (kind >= 4) {  // region 5340 (zone S0730) as a CD-ROM or a converted file
    const std::string root = fuzz::WorkDir() + "gsc/";
    std::filesystem::create_directories(root + "GSC/S0730");
    fuzz::WriteInput(kind == 4 ? "gsc/GSC/S0730/5340.GSC" : "gsc/GSC/S0730/5340.BIN", data, size);
    options.vornFormatGSC = kind == 5;
    options.gscPath1 = options.gscPath2 = root;
    GSCFieldObj field(options, ui, table);
    field.BeginField();
    field.SetVolumePaths(root, root);
    RegionList one;
    one.count = 1;
    one.regions[0] = 5340;
    const SearchWindow all{0, 24, -90, 90, 30.0f};
    field.LoadGSCField(all, one);
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(field.Stars().Size()) && i < 512; ++i)
      stars.push_back(*field.Stars().GetAt(i));
    std::filesystem::remove(root + (kind == 4 ? "GSC/S0730/5340.GSC" : "GSC/S0730/5340.BIN"));
    if (stars.empty() || fuzz::kReaderOnly) return 0;
    const double ra = static_cast<double>(stars.front().ra), dec = static_cast<double>(stars.front().dec);
    fuzz::UseField(stars, SearchWindow{ra - 0.05, ra + 0.05, dec - 0.5, dec + 0.5, 20.0f});
    return 0;
  }
  GSCFieldObj field(options, ui, table);
  field.BeginField();
  if (kind == 1) {
    for (std::size_t at = 0; at + kGSCRecordBytes <= size && at < 512 * kGSCRecordBytes; at += kGSCRecordBytes) {
      CatalogStar star;
      if (ParseGSCRecord(std::string(reinterpret_cast<const char*>(data + at), kGSCRecordBytes), 5260, true, star))
        field.RawStars().InsertSorted(star);
    }
    if (fuzz::kReaderOnly) return 0;
    field.MergeEntries();
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(field.Stars().Size()); ++i)
      stars.push_back(*field.Stars().GetAt(i));
  } else {
    for (std::size_t at = 0; at + kGSCConvertedRecordBytes <= size && at < 512 * kGSCConvertedRecordBytes;
         at += kGSCConvertedRecordBytes)
      stars.push_back(DecodeConvertedGSCRecord(data + at, 5260, true));
  }
  if (stars.empty() || fuzz::kReaderOnly) return 0;
  const double ra = static_cast<double>(stars.front().ra), dec = static_cast<double>(stars.front().dec);
  fuzz::UseField(stars, SearchWindow{ra - 0.05, ra + 0.05, dec - 0.5, dec + 0.5, 20.0f});
  return 0;
}
