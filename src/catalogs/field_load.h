// The load sequence of a reference field: dispatches the field request to the
// catalog readers chosen in the options and gathers their stars in the field
// star list.
#pragma once

#include <vector>

#include "catalogs/catalog_star.h"
#include "catalogs/field_parameters.h"
#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "config/options.h"
#include "platform/platform.h"

namespace skarvel {

class B1CatObj;

/// A catalog reader other than the GSC (UCAC2, UCAC3, UCAC-BSS, USNO-SA, online).
class FieldCatalogReader {
 public:
  virtual ~FieldCatalogReader() = default;
  /// Finds the catalog's index or files (prompting where the reader does);
  /// false when it is not available.
  virtual bool OpenCatalog() = 0;
  /// The stars of `window` at the observation time `julianDate` (for proper
  /// motion); true when it produced stars.
  virtual bool ReadField(const SearchWindow& window, long double julianDate, std::vector<CatalogStar>& stars) = 0;
  /// Merges the stars ReadField gave into the field list (each inserted
  /// sorted and counted; the USNO-SA removes its duplicates of the GSC).
  virtual void Merge(GSCFieldObj& field, const std::vector<CatalogStar>& stars) {
    for (const CatalogStar& s : stars) field.AddStar(s);
  }
};

/// The readers of the other catalogs; a missing one is skipped.
struct FieldCatalogReaders {
  FieldCatalogReader* ucac2 = nullptr;
  FieldCatalogReader* ucac3 = nullptr;
  FieldCatalogReader* bss = nullptr;
  FieldCatalogReader* sa1 = nullptr;
  FieldCatalogReader* sa2 = nullptr;
  B1CatObj* online = nullptr;  ///< the on-line catalogs (catalogs/b1_cat.h)
};

/// Everything the load sequence works with.
struct FieldLoadContext {
  const OptionsRecord& options;
  platform::Platform& ui;
  GSCRgnsTblObj& regions;
  GSCFieldObj& field;
  FieldCatalogReaders readers;
  /// Set by the load when a chosen catalog's reader or folder was missing
  /// (the person was told what to set and where).
  bool catalogMissing = false;
  /// Set by a failed load that has told the person why: a missing catalog
  /// (above), an on-line query that failed (its message shown) or that the
  /// person stopped. The caller then adds no message of its own.
  bool failureTold = false;
};

/// Loads the field of `params` (after the field parameters dialog returned
/// OK) with the busy cursor shown. Online source: the online query
/// (LoadOnlineField: a failed query leaves the field list as it was and
/// gives false). Local:
/// GSC (then the supplement when UseSupplement), UCAC2 or UCAC3 (then
/// UCAC-BSS when UseSupplement), or with no primary catalog only the
/// supplement. False only when the GSC is the primary catalog and its regions
/// table did not load or no region overlaps the window (the supplement is
/// then not read); a failed region read still counts as success. The caller
/// marks the current plate solution unsolved afterwards.
///
/// A chosen catalog that cannot be read (no reader for it, the web catalog
/// without a query reader, its files not in their folder) is told plainly
/// with what to set and where, and sets `catalogMissing`; the load then fails
/// when no other catalog gave stars (always for the web source and a GSC
/// whose regions table did not load).
bool LoadReferenceField(FieldLoadContext& context, const FieldParameters& params, long double julianDate);

/// The GSC part of a load: regions table (prompting allowed), the overlapping
/// regions, PrepareField and LoadGSCField. False when the table did not load
/// or no region overlaps.
bool LoadGSCPart(FieldLoadContext& context, const FieldParameters& params);

}  // namespace skarvel
