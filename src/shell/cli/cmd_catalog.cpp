#include <nlohmann/json.hpp>
#include <ostream>

#include "shell/cli/catalog_field.h"
#include "foundations/file_system.h"
#include "foundations/strings.h"
#include "shell/cli/catalog_commands.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

namespace {

constexpr const char* kCatalogHelp =
    "Usage: skarvel-cli catalog --catalog gsc|gsc-converted --path ROOT --center RA,DEC\n"
    "                           --size-arcmin S --mag-limit M [--path2 ROOT2] [--jd JD]\n\n"
    "Reads the stars of a square field from the Guide Star Catalog as the reference\n"
    "field does: the search window is 1.5 times the field (RA hours, Dec degrees of\n"
    "the centre; size in arc minutes), at most 12 regions are read, and plate entries\n"
    "of one star are merged (CD-ROM form). gsc: the CD-ROM layout, ROOT holding\n"
    "TABLES/REGIONS.TBL and the GSC/ zone folders of Volume I; --path2 names Volume II\n"
    "(default ROOT). gsc-converted: the converted layout, ROOT holding\n"
    "TABLES/REGIONS.BIN and GSC/ (--path2 for zones 14-24, default ROOT).\n"
    "--jd is the observation time; the GSC has no proper motions, so it changes nothing.\n"
    "Options taken as: GSC primary catalog from local files, no supplement,\n"
    "DefaultRefMags on. A missing file is not asked for: its prompt is printed.\n\n"
    "JSON keys: stars (list of {id, ra_hours, dec_deg, mag, pos_err, mag_err, class,\n"
    "entries, catalog}, sorted by RA then Dec), brightest, faintest, star_count,\n"
    "nonstellar_count, regions (region numbers read), window ({ra_min, ra_max,\n"
    "dec_min, dec_max, mag_limit}).\n"
    "Exit status 1 when the regions table cannot be read, no region overlaps, or a\n"
    "region file could not be read.\n";

int RunCatalog(const Arguments& args, std::ostream& out, std::ostream& err) {
  const auto flags =
      Flags::Parse(args, {"catalog", "path", "path2", "center", "size-arcmin", "mag-limit", "jd"}, "catalog", err);
  if (!flags) return kExitUsage;
  for (const char* required : {"catalog", "path", "center", "size-arcmin", "mag-limit"}) {
    if (!flags->Has(required)) {
      err << "skarvel-cli catalog: --" << required << " is required\n";
      return kExitUsage;
    }
  }
  const std::string& kind = flags->Text("catalog");
  if (kind != "gsc" && kind != "gsc-converted") {
    err << "skarvel-cli catalog: --catalog takes gsc or gsc-converted, not \"" << kind << "\"\n";
    return kExitUsage;
  }
  std::string centre = flags->Text("center");
  const auto ra = ParseDecimal(NextField(centre, ','));
  const auto dec = ParseDecimal(centre);
  if (!ra || !dec || *ra < 0 || *ra >= 24 || *dec < -90 || *dec > 90) {
    err << "skarvel-cli catalog: --center takes RA,DEC (hours 0..24, degrees -90..90), not \""
        << flags->Text("center") << "\"\n";
    return kExitUsage;
  }
  constexpr long double kLargestField = 3600;  // arc minutes (60 degrees)
  const auto size = flags->Number("size-arcmin", 0, kLargestField, err);
  const auto magLimit = flags->Number("mag-limit", -5, 30, err);
  if (!size || !magLimit) return kExitUsage;
  if (*size <= 0) {
    err << "skarvel-cli catalog: --size-arcmin must be above 0\n";
    return kExitUsage;
  }
  long double jd = 0;
  if (flags->Has("jd")) {
    const auto v = flags->Number("jd", 0, 1e8L, err);
    if (!v) return kExitUsage;
    jd = *v;
  }

  FieldParameters params;
  params.centreRA = *ra;
  params.centreDec = *dec;
  params.size = static_cast<float>(*size);
  params.limitMag = static_cast<float>(*magLimit);
  CliCatalogField catalog(err, kind == "gsc-converted", flags->Text("path"), flags->Has("path2") ? flags->Text("path2") : "");
  if (!catalog.Load(params, jd)) return kExitFailed;
  GSCFieldObj& field = catalog.Field();

  nlohmann::ordered_json stars = nlohmann::ordered_json::array();
  field.Stars().Reset();
  while (const CatalogStar* s = field.Stars().Next()) {
    nlohmann::ordered_json j;
    j["id"] = Latin1ToUtf8(s->id);
    j["ra_hours"] = static_cast<double>(s->ra);
    j["dec_deg"] = static_cast<double>(s->dec);
    j["mag"] = static_cast<double>(s->mag);
    j["pos_err"] = static_cast<double>(s->posErr);
    j["mag_err"] = static_cast<double>(s->magErr);
    j["class"] = s->starClass;
    j["entries"] = s->entries;
    j["catalog"] = s->catalog;
    stars.push_back(std::move(j));
  }
  const RegionList& regions = field.RegionsRequested();
  nlohmann::ordered_json j;
  j["stars"] = std::move(stars);
  j["brightest"] = static_cast<double>(field.BrightestMag());
  j["faintest"] = static_cast<double>(field.FaintestMag());
  j["star_count"] = field.StarCount();
  j["nonstellar_count"] = field.NonStellarCount();
  j["regions"] = std::vector<int>(regions.regions, regions.regions + regions.count);
  j["window"] = {{"ra_min", params.window.raMin},
                 {"ra_max", params.window.raMax},
                 {"dec_min", params.window.decMin},
                 {"dec_max", params.window.decMax},
                 {"mag_limit", static_cast<double>(params.window.magLimit)}};
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand CatalogCommand() {
  return {"catalog", "stars of a field from the Guide Star Catalog", kCatalogHelp, RunCatalog};
}

}  // namespace skarvel::cli
