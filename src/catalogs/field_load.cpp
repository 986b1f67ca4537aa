#include "catalogs/field_load.h"

#include "catalogs/b1_cat.h"
#include "catalogs/catalog_missing.h"

namespace skarvel {

namespace {

constexpr std::uint8_t kLocalFiles = 0;
constexpr std::uint8_t kSupplementSA1 = 1;
constexpr std::uint8_t kSupplementSA2 = 2;
constexpr std::uint8_t kSupplementBSS = 3;

// Runs one reader when its catalog was found; its stars join the field list
// only when it reports stars. False when there is no reader or its catalog
// was not found.
bool RunReader(FieldLoadContext& c, FieldCatalogReader* reader, const FieldParameters& params, long double jd) {
  if (reader == nullptr || !reader->OpenCatalog()) return false;
  std::vector<CatalogStar> stars;
  if (!reader->ReadField(params.window, jd, stars) || stars.empty()) return true;
  reader->Merge(c.field, stars);
  return true;
}

// ---- a chosen catalog that cannot be read is said plainly ----

void Missing(FieldLoadContext& c, MissingCatalog what) {
  c.catalogMissing = true;
  c.failureTold = true;
  TellCatalogMissing(c.ui, c.options, what);
}

// RunReader for a catalog the options choose: a missing reader or folder is
// told (when `chosen`), never left to look like an empty field.
void RunChosen(FieldLoadContext& c, FieldCatalogReader* reader, const FieldParameters& params, long double jd,
               bool primary, bool chosen) {
  if (RunReader(c, reader, params, jd) || !chosen) return;
  if (reader == nullptr) Missing(c, primary ? MissingCatalog::kPrimaryReader : MissingCatalog::kSupplementReader);
  else Missing(c, primary ? MissingCatalog::kPrimaryFolder : MissingCatalog::kSupplementFolder);
}

// The result of a load that read what it could: a failure when a catalog was
// missing and nothing else gave stars.
bool Result(const FieldLoadContext& c) {
  return !(c.catalogMissing && c.field.Stars().IsEmpty());
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
  c.catalogMissing = false;
  c.failureTold = false;
  if (c.options.catalogLocation != kLocalFiles) {
    if (c.readers.online == nullptr) {
      c.field.BeginField();
      Missing(c, MissingCatalog::kOnlineReader);
      return false;
    }
    return LoadOnlineField(c, params, julianDate);
  }
  c.field.BeginField();
  const bool supplementChosen = c.options.supplCatalog != 0;
  switch (c.options.primaryCatalog) {
    case kPrimaryGSC:
      if (!LoadGSCPart(c, params)) {
        if (!c.regions.Loaded()) Missing(c, MissingCatalog::kPrimaryFolder);
        return false;
      }
      if (params.useSupplement)
        RunChosen(c, SupplementReader(c), params, julianDate, false, supplementChosen);
      return true;
    case kPrimaryUCAC2:
    case kPrimaryUCAC3:
      RunChosen(c, c.options.primaryCatalog == kPrimaryUCAC2 ? c.readers.ucac2 : c.readers.ucac3, params,
                julianDate, true, true);
      if (params.useSupplement)
        RunChosen(c, c.readers.bss, params, julianDate, false, c.options.supplCatalog == kSupplementBSS);
      return Result(c);
    default:
      // No primary catalog: only the supplement (UCAC-BSS or the GSC sequence without its GSC part).
      if (params.useSupplement)
        RunChosen(c, SupplementReader(c), params, julianDate, false, supplementChosen);
      return Result(c);
  }
}

}  // namespace skarvel
