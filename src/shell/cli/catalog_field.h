// The Guide Star Catalog field of a command-line run: the options a local GSC
// reading needs, the regions table and the field, read as the reference
// field reads them. A missing file is not asked for: its prompt is printed.
#pragma once

#include <ostream>
#include <string>

#include "catalogs/field_parameters.h"
#include "catalogs/gsc_field.h"
#include "catalogs/gsc_regions.h"
#include "config/options.h"
#include "platform/net/http_get.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/cli_support.h"

namespace skarvel::cli {

// The command line's platform, which also prints the location prompts it cannot answer.
class CatalogCliPlatform : public CliPlatform {
 public:
  explicit CatalogCliPlatform(std::ostream& err) : CliPlatform(err), err_(err) {}
  std::optional<std::string> PromptText(const platform::TextPromptRequest& request) override;
  /// The on-line queries go out through Qt's network access, with `limits`.
  platform::HttpResponse HttpGet(const std::string& url) override { return platform::QtHttpGet(url, limits, {}); }

  platform::HttpLimits limits;

 private:
  std::ostream& err_;
};

class CliCatalogField {
 public:
  /// `kind` "gsc" (CD-ROM layout) or "gsc-converted"; `path2` the second
  /// volume (zones 14-24 when converted), "" for `path`. GSC primary, no
  /// supplement, DefaultRefMags on.
  CliCatalogField(std::ostream& err, bool converted, const std::string& path, const std::string& path2);
  /// Reads the field of `params` (its search window derived here). False, with
  /// the reason on the error stream, when the table cannot be read, no region
  /// overlaps or a region file could not be read.
  bool Load(FieldParameters& params, long double julianDate);
  GSCFieldObj& Field() { return field_; }

 private:
  std::ostream& err_;
  ScratchDir scratch_;
  CatalogCliPlatform ui_;
  OptionsRecord options_;
  GSCRgnsTblObj table_;
  GSCFieldObj field_;
};

}  // namespace skarvel::cli
