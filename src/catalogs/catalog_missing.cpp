#include "catalogs/catalog_missing.h"

namespace skarvel {

namespace {

// Where the catalog choices and folders are set.
constexpr const char* kCatalogChoice =
    "\"Set Star Catalog Options\" (\"&Preferences...\" > \"&Options and Parameters...\" > \"S&tar Cat.\")";
constexpr const char* kFolderPage =
    "the \"Star Catalogs\" page of \"File Name Options\" (\"&Preferences...\" > \"&Options and Parameters...\" > "
    "\"&Files...\")";

struct CatalogNames {
  std::string name;    ///< as the user knows it
  std::string folder;  ///< the folder option's value
  std::string label;   ///< the folder field's caption
};

CatalogNames Primary(const OptionsRecord& o) {
  switch (o.primaryCatalog) {
    case kPrimaryGSC:
      return {o.vornFormatGSC ? "converted Guide Star Catalog" : "Guide Star Catalog", o.gscPath1,
              "Guide Star Catalog Volume 1 Path"};
    case kPrimaryUCAC2: return {"UCAC2 catalog", o.ucac2Path, "UCAC2 Catalog Path"};
    case kPrimaryUCAC3: return {"UCAC3 catalog", o.ucac3Path1, "UCAC3 Catalog Side 1 Path"};
    default: return {"primary catalog", "", ""};
  }
}

CatalogNames Supplement(const OptionsRecord& o) {
  switch (o.supplCatalog) {
    case 1: return {"USNO-SA1.0 catalog", o.sa1Path, "USNO-SA1.0 Catalog Path"};
    case 2: return {"USNO-SA2.0 catalog", o.sa2Path, "USNO-SA2.0 Catalog Path"};
    case 3: return {"UCAC-BSS catalog", o.bssPath, "UCAC_BSS Catalog Path"};
    default: return {"supplementary catalog", "", ""};
  }
}

std::string WebCatalogName(const OptionsRecord& o) {
  switch (o.webCatalog) {
    case 0: return "NOMAD";
    case 2: return "USNO-A2.0";
    default: return "USNO-B1.0";
  }
}

std::string NoReader(const std::string& name, const std::string& choice) {
  return "This program has no reader for the " + name + ".\r\n\r\nChoose another catalog under " + choice +
         " in " + kCatalogChoice + ".";
}

std::string NoFolder(const CatalogNames& c) {
  const std::string where = c.folder.empty() ? "no folder is set for it" : "not at \"" + c.folder + "\"";
  return "The " + c.name + " was not found: " + where + ".\r\n\r\nSet \"" + c.label + "\" on " + kFolderPage +
         " to the catalog's folder, or choose another catalog in " + kCatalogChoice + ".";
}

}  // namespace

std::string MissingCatalogText(const OptionsRecord& options, MissingCatalog what) {
  switch (what) {
    case MissingCatalog::kOnlineReader:
      return "The web catalog " + WebCatalogName(options) +
             " cannot be queried by this program.\r\n\r\nChoose \"Local Files\" under \"Catalog Location\" in " +
             kCatalogChoice + ", and set the folder of the local catalog on " + kFolderPage + ".";
    case MissingCatalog::kPrimaryReader: return NoReader(Primary(options).name, "\"Local Star Catalog\"");
    case MissingCatalog::kPrimaryFolder: return NoFolder(Primary(options));
    case MissingCatalog::kSupplementReader: return NoReader(Supplement(options).name, "\"Supplementary\"");
    case MissingCatalog::kSupplementFolder: return NoFolder(Supplement(options));
  }
  return {};
}

void TellCatalogMissing(platform::Platform& ui, const OptionsRecord& options, MissingCatalog what) {
  platform::Tell(ui, MissingCatalogText(options, what), "Star Catalog Not Available", platform::Icon::Warning);
}

}  // namespace skarvel
