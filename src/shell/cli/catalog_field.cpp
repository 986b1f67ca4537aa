#include "shell/cli/catalog_field.h"

#include "catalogs/field_load.h"
#include "foundations/file_system.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

std::optional<std::string> CatalogCliPlatform::PromptText(const platform::TextPromptRequest& request) {
  err_ << request.caption << ": " << TerminalText(request.prompt) << "\n";
  return std::nullopt;
}

namespace {

OptionsRecord CatalogOptions(const std::string& dataDir, bool converted, const std::string& path,
                             const std::string& path2) {
  OptionsRecord options;
  options.dataDir = dataDir;
  options.catalogLocation = 0;
  options.primaryCatalog = kPrimaryGSC;
  options.supplCatalog = 0;
  options.defaultRefMags = true;
  options.vornFormatGSC = converted;
  options.gscPath1 = fs::WithTrailingSeparator(path);
  options.gscPath2 = path2.empty() ? options.gscPath1 : fs::WithTrailingSeparator(path2);
  options.programDir = options.gscPath1;
  options.cdromDrive.clear();
  return options;
}

}  // namespace

CliCatalogField::CliCatalogField(std::ostream& err, bool converted, const std::string& path, const std::string& path2)
    : err_(err),
      ui_(err),
      options_(CatalogOptions(scratch_.Path(), converted, path, path2)),
      table_(options_, ui_),
      field_(options_, ui_, table_) {}

bool CliCatalogField::Load(FieldParameters& params, long double julianDate) {
  options_.magLimit = params.limitMag;
  DeriveSearchWindow(params);
  FieldLoadContext context{options_, ui_, table_, field_, {}};
  if (!LoadReferenceField(context, params, julianDate)) {
    if (table_.Loaded()) err_ << "No GSC region overlaps the field.\n";
    return false;
  }
  return field_.ReadComplete();
}

}  // namespace skarvel::cli
