// The plain message of a load that cannot read the catalog the options
// choose: which reader or folder is missing, and what to set where, so that a
// missing catalog is never taken for an empty field.
#pragma once

#include <string>

#include "config/options.h"
#include "platform/platform.h"

namespace skarvel {

/// What is missing for a field load.
enum class MissingCatalog {
  kOnlineReader,      ///< the web catalog is chosen and no reader queries it
  kPrimaryReader,     ///< the local primary catalog (UCAC2, UCAC3) has no reader
  kPrimaryFolder,     ///< the primary catalog's files are not in their folder
  kSupplementReader,  ///< the supplementary catalog has no reader
  kSupplementFolder,  ///< the supplementary catalog's files are not in their folder
};

/// The message text for `what` under `options` (names the catalog, its
/// folder where it has one, and the option to set with the dialog it is in).
std::string MissingCatalogText(const OptionsRecord& options, MissingCatalog what);

/// Shows MissingCatalogText captioned "Star Catalog Not Available" (warning icon).
void TellCatalogMissing(platform::Platform& ui, const OptionsRecord& options, MissingCatalog what);

}  // namespace skarvel
