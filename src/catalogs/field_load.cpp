#include "catalogs/field_load.h"

namespace skarvel {

namespace {

constexpr std::uint8_t kLocalFiles = 0;
constexpr std::uint8_t kSupplementSA1 = 1;
constexpr std::uint8_t kSupplementSA2 = 2;
constexpr std::uint8_t kSupplementBSS = 3;

// Runs one reader when its catalog was found; its stars join the field list
// only when it reports stars.
void RunReader(FieldLoadContext& c, FieldCatalogReader* reader, const FieldParameters& params, long double jd) {
  if (reader == nullptr || !reader->OpenCatalog()) return;
  std::vector<CatalogStar> stars;
  if (!reader->ReadField(params.window, jd, stars) || stars.empty()) return;
  reader->Merge(c.field, stars);
}

FieldCatalogReader* SupplementReader(const FieldLoadContext& c) {
  switch (c.options.supplCatalog) {
    case kSupplementSA1: return c.readers.sa1;
    case kSupplementSA2: return c.readers.sa2;
    case kSupplementBSS: return c.readers.bss;
    default: return nullptr;
  }
}

}  // namespace

bool LoadGSCPart(FieldLoadContext& c, const FieldParameters& params) {
  c.regions.LoadRegions(true);
  if (!c.regions.Loaded()) return false;
  const RegionList found = c.regions.FindRegions(params.window);
  if (found.count == 0) return false;
  c.field.PrepareField();
  c.field.LoadGSCField(params.window, found);
  return true;
}

bool LoadReferenceField(FieldLoadContext& c, const FieldParameters& params, long double julianDate) {
  platform::BusyCursor busy(c.ui);
  c.field.BeginField();
  if (c.options.catalogLocation != kLocalFiles) {
    RunReader(c, c.readers.online, params, julianDate);
    return true;
  }
  switch (c.options.primaryCatalog) {
    case kPrimaryGSC:
      if (!LoadGSCPart(c, params)) return false;
      if (params.useSupplement) RunReader(c, SupplementReader(c), params, julianDate);
      return true;
    case kPrimaryUCAC2:
    case kPrimaryUCAC3:
      RunReader(c, c.options.primaryCatalog == kPrimaryUCAC2 ? c.readers.ucac2 : c.readers.ucac3, params,
                julianDate);
      if (params.useSupplement) RunReader(c, c.readers.bss, params, julianDate);
      return true;
    default:
      // No primary catalog: only the supplement (UCAC-BSS or the GSC sequence without its GSC part).
      if (params.useSupplement) RunReader(c, SupplementReader(c), params, julianDate);
      return true;
  }
}

}  // namespace skarvel
