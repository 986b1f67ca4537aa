// The reference catalog of a command-line run: the --catalog choice and its
// options, and the field read as the reference field reads it (every local
// and on-line catalog). A missing file is not asked for: its prompt is printed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "catalogs/field_parameters.h"
#include "catalogs/gsc_field.h"
#include "catalogs/b1_cat.h"
#include "catalogs/gsc_regions.h"
#include "catalogs/zone_readers.h"
#include "config/options.h"
#include "images/fits_file.h"
#include "platform/net/http_get.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/flag_parser.h"

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

/// The reference catalog a command reads, as --catalog KIND names it with
/// --path ROOT [--path2 ROOT2] (local catalogs) or [--url URL] (on-line ones),
/// [--colour N], [--timeout-s T] and [--jd JD]: the catalogs and options of `catalog`.
struct CatalogChoice {
  std::string kind;                 ///< gsc, gsc-converted, ucac2, ucac3, bss, sa1, sa2, online, vizier-*, usno-*
  std::string path, path2, url;     ///< path2 "" = path
  std::optional<std::uint8_t> colour;
  std::optional<long double> timeoutS;
  /// --jd: the time the catalog's proper motions carry its stars to; absent,
  /// the command takes the image's time (JulianDateFor).
  std::optional<long double> jd;
  bool online = false;
  std::uint8_t service = 0;         ///< OnlineServiceChoice (on-line kinds)
  std::uint8_t webCatalog = 0;      ///< WebCatalogChoice (on-line kinds)
};

/// The flags ParseCatalogChoice reads (add them to the command's known flags).
inline constexpr std::string_view kCatalogChoiceFlags[] = {"catalog", "path", "path2", "url", "colour", "timeout-s", "jd"};

/// The Julian date of an image's header time (0, no proper motion, when the
/// header gives none).
long double ImageJulianDate(const FITSFileObj& image);

/// The Julian date a command reads its catalog at: --jd when given, else the
/// image's time `imageJD`.
inline long double JulianDateFor(const CatalogChoice& choice, long double imageJD) {
  return choice.jd ? *choice.jd : imageJD;
}


/// The Auto-Match refusal as the command line tells it: what was not found,
/// the reason, and `advice` (what to try on the command line) in place of the
/// windows' advice to pick the reference stars by hand.
std::string CliAutoMatchRefusal(const std::string& reason, const std::string& advice);

/// An on-line catalog name of --catalog ("online", "vizier-gaia-dr3", ...) with
/// the service and web catalog it chooses.
struct OnlineKind {
  const char* kind;
  std::uint8_t service;
  std::uint8_t webCatalog;
};

/// The on-line catalog the --catalog name `kind` chooses; nullptr for a local
/// catalog or an unknown name.
const OnlineKind* FindOnlineKind(const std::string& kind);

/// The catalog choice of a command line; nothing (the reason written as
/// "skarvel-cli SUB: ...") when the kind is unknown, a local catalog has no
/// --path, or a number is out of range.
std::optional<CatalogChoice> ParseCatalogChoice(const Flags& flags, const std::string& subcommand, std::ostream& err);

/// Any catalog of a CatalogChoice read into a field as the reference field
/// reads it, with `options` set to that catalog (the other options as given:
/// the report's catalog names and the field's use flags follow them).
class CliReferenceCatalog {
 public:
  /// `options` must outlive the object; its catalog fields are set here.
  CliReferenceCatalog(std::ostream& err, const CatalogChoice& choice, OptionsRecord& options);
  /// Reads the field of `request` (its search window derived here) at `julianDate`
  /// (0: no proper motion). False, with the reason on the error stream, when
  /// the catalog cannot be read or holds no star of the field.
  bool Load(FieldRequest& request, long double julianDate);
  GSCFieldObj& Field() { return field_; }
  CatalogCliPlatform& Ui() { return ui_; }

 private:
  std::ostream& err_;
  CatalogChoice choice_;
  ScratchDir scratch_;
  CatalogCliPlatform ui_;
  OptionsRecord& options_;
  GSCRgnsTblObj table_;
  GSCFieldObj field_;
  ZoneCatalogReaders zoneReaders_;
  B1CatObj online_;
};

}  // namespace skarvel::cli
