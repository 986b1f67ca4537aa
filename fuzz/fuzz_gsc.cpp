// The Guide Star Catalog's regions table rows and region records, in the
// CD-ROM (ASCII) and the converted (binary) forms; the first byte chooses.
#include <cstdint>
#include <string>

#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "support/fuzz_input.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int kind = data[0] % 3;
  ++data;
  --size;
  if (kind == 0) {
    for (const std::string& row : fuzz::InputLines(data, size, 512)) {
      SearchWindow region;
      (void)ParseRegionRow(row, region);
    }
  } else if (kind == 1) {
    for (std::size_t at = 0; at + kGSCRecordBytes <= size; at += kGSCRecordBytes) {
      CatalogStar star;
      (void)ParseGSCRecord(std::string(reinterpret_cast<const char*>(data + at), kGSCRecordBytes), 5260, true, star);
    }
  } else {
    for (std::size_t at = 0; at + kGSCConvertedRecordBytes <= size; at += kGSCConvertedRecordBytes)
      (void)DecodeConvertedGSCRecord(data + at, 5260, true);
  }
  return 0;
}
