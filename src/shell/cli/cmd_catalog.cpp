#include <nlohmann/json.hpp>
#include <ostream>

#include "catalogs/b1_cat.h"
#include "catalogs/field_load.h"
#include "catalogs/zone_readers.h"
#include "platform/net/http_get.h"
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
    "Usage: skarvel-cli catalog --catalog gsc|gsc-converted|ucac2|ucac3|bss|sa1|sa2\n"
    "                           --path ROOT --center RA,DEC --size-arcmin S --mag-limit M\n"
    "                           [--path2 ROOT2] [--jd JD] [--colour N]\n"
    "       skarvel-cli catalog --catalog online|vizier-gaia-dr3|vizier-ucac4|vizier-nomad|\n"
    "                           vizier-usno-b1|vizier-usno-a2|usno-nomad|usno-usno-b1|usno-usno-a2\n"
    "                           --center RA,DEC --size-arcmin S --mag-limit M [--jd JD]\n"
    "                           [--url URL] [--colour N] [--timeout-s T]\n\n"
    "Reads the stars of a square field from a star catalog as the reference field\n"
    "does: the search window is 1.5 times the field (RA hours, Dec degrees of the\n"
    "centre; size in arc minutes).\n"
    "gsc: the Guide Star Catalog's CD-ROM layout, ROOT holding TABLES/REGIONS.TBL and\n"
    "the GSC/ zone folders of Volume I; --path2 names Volume II (default ROOT); at\n"
    "most 12 regions are read and plate entries of one star are merged.\n"
    "gsc-converted: the converted layout, ROOT holding TABLES/REGIONS.BIN and GSC/\n"
    "(--path2 for zones 14-24, default ROOT).\n"
    "ucac2: ROOT holds U2/u2index.da and the zone files U2/z001 ... U2/z288.\n"
    "ucac3: ROOT holds u3index.unf, table_zones and z001 ... z144 (side 1);\n"
    "--path2 the zones z145 ... z360 (side 2, default ROOT).\n"
    "bss: ROOT holds bsindex.da (or bsindx.da) and s01 ... s36.\n"
    "sa1, sa2: ROOT holds ZONE0000.ACC ... ZONE1725.ACC and the .CAT files of\n"
    "USNO-SA1.0 or USNO-SA2.0 (read alone, as the supplement with no primary catalog).\n"
    "--jd is the observation time (default J2000.0, JD 2451545.0, for the local\n"
    "catalogs): the UCAC positions are carried to it by their proper motions; the GSC\n"
    "and the SA have none.\n"
    "--colour is the colour choice of the field parameters: UCAC3 0 SuperCosmos B,\n"
    "1 R2, 2 I, 3 2MASS J, 4 H, 5 K, 6 UCAC model magnitude (default 6); SA 0 blue,\n"
    "1 red (default 1); for the on-line catalogs the catalog's first choice for a new\n"
    "field by default (Gaia G, UCAC4 V, NOMAD R, USNO-B1.0 and USNO-A2.0 red).\n"
    "Options taken as: DefaultRefMags on. A missing file is not asked for: its\n"
    "prompt is printed.\n\n"
    "The on-line catalogs are queried over HTTP(S) as the reference field does and\n"
    "the stars of the window are listed at the time --jd (proper motions from the\n"
    "catalog's epoch: J2016.0 for Gaia DR3, J2000.0 for the others; without --jd no\n"
    "motion is applied). online: the default of a new installation, Gaia DR3 from\n"
    "VizieR. vizier-*: VizieR's ASU interface; --url is the server\n"
    "(https://vizier.cds.unistra.fr when absent; a bare host means https://host;\n"
    "scheme://host[:port] gets /viz-bin/asu-tsv appended; an address with a path is\n"
    "the endpoint itself). usno-*: the USNO-style cone search, --url its query\n"
    "address ending in \"?\" (default: the options file's default).\n"
    "--timeout-s ends a transfer that stays silent that long (default 30).\n"
    "The query text is the JSON key \"query\"; the catalog's messages are printed.\n\n"
    "JSON keys: query (on-line catalogs), stars (list of {id, ra_hours, dec_deg, mag,\n"
    "pos_err, mag_err, class, entries, catalog, band, pm_ra, pm_dec, use_mag}, sorted\n"
    "by RA then Dec), brightest, faintest, star_count, nonstellar_count, regions (GSC\n"
    "region numbers read), window ({ra_min, ra_max, dec_min, dec_max, mag_limit}).\n"
    "Exit status 1 when the catalog cannot be read: the GSC regions table missing,\n"
    "no region overlapping, a region file unreadable, a zone catalog's index not\n"
    "found, or the on-line query failed.\n";

int RunCatalog(const Arguments& args, std::ostream& out, std::ostream& err) {
  const auto flags = Flags::Parse(args,
                                  {"catalog", "path", "path2", "center", "size-arcmin", "mag-limit", "jd", "url",
                                   "colour", "timeout-s"},
                                  "catalog", err);
  if (!flags) return kExitUsage;
  const OnlineKind* online = flags->Has("catalog") ? FindOnlineKind(flags->Text("catalog")) : nullptr;
  if (!flags->Has("catalog")) {
    err << "skarvel-cli catalog: --catalog is required\n";
    return kExitUsage;
  }
  const std::string& kind = flags->Text("catalog");
  const bool gsc = kind == "gsc" || kind == "gsc-converted";
  const bool zone = kind == "ucac2" || kind == "ucac3" || kind == "bss" || kind == "sa1" || kind == "sa2";
  if (!gsc && !zone && online == nullptr) {
    err << "skarvel-cli catalog: --catalog takes gsc, gsc-converted, online, vizier-gaia-dr3, vizier-ucac4, "
           "vizier-nomad, vizier-usno-b1, vizier-usno-a2, usno-nomad, usno-usno-b1, usno-usno-a2, ucac2, ucac3, "
           "bss, sa1 or sa2, not \""
        << kind << "\"\n";
    return kExitUsage;
  }
  for (const char* required : {"catalog", "path", "center", "size-arcmin", "mag-limit"}) {
    if (online != nullptr && std::string(required) == "path") continue;
    if (!flags->Has(required)) {
      err << "skarvel-cli catalog: --" << required << " is required\n";
      return kExitUsage;
    }
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
  long double jd = online != nullptr ? 0 : kJ2000JulianDate;  // on-line: no motion without --jd
  if (flags->Has("jd")) {
    const auto v = flags->Number("jd", 0, 1e8L, err);
    if (!v) return kExitUsage;
    jd = *v;
  }

  std::optional<long double> colour, timeout;
  // The zone catalogs know colours 0 to 6, the on-line ones up to 7.
  if (flags->Has("colour") && !(colour = flags->Number("colour", 0, zone || gsc ? 6 : 7, err))) return kExitUsage;
  if (flags->Has("timeout-s") && !(timeout = flags->Number("timeout-s", 1, 3600, err))) return kExitUsage;
  const auto zoneColour = static_cast<std::uint8_t>(colour ? *colour : (kind == "ucac3" ? 6 : 1));

  ScratchDir scratch;
  CatalogCliPlatform ui(err);
  if (timeout) ui.limits.timeoutMs = static_cast<int>(*timeout * 1000);
  OptionsRecord options;
  options.dataDir = scratch.Path();
  options.catalogLocation = 0;
  options.primaryCatalog = gsc ? kPrimaryGSC : kind == "ucac2" ? kPrimaryUCAC2 : kind == "ucac3" ? kPrimaryUCAC3 : kPrimaryNone;
  options.supplCatalog = kind == "sa1" ? 1 : kind == "sa2" ? 2 : kind == "bss" ? 3 : 0;
  options.defaultRefMags = true;
  options.vornFormatGSC = kind == "gsc-converted";
  const std::string root = flags->Has("path") ? fs::WithTrailingSeparator(flags->Text("path")) : std::string();
  const std::string root2 = flags->Has("path2") ? fs::WithTrailingSeparator(flags->Text("path2")) : root;
  options.gscPath1 = root;
  options.gscPath2 = root2;
  if (!gsc) options.gscPath1 = options.gscPath2 = scratch.Path();  // nothing else is looked for
  options.ucac2Path = options.bssPath = options.sa1Path = options.sa2Path = options.ucac3Path1 = root;
  options.ucac3Path2 = root2;
  options.programDir = root;
  options.cdromDrive.clear();
  options.magLimit = static_cast<float>(*magLimit);

  FieldParameters params;
  params.centreRA = *ra;
  params.centreDec = *dec;
  params.size = static_cast<float>(*size);
  params.limitMag = static_cast<float>(*magLimit);
  params.useSupplement = !gsc;
  DeriveSearchWindow(params);

  GSCRgnsTblObj table(options, ui);
  GSCFieldObj field(options, ui, table);
  ZoneCatalogReaders zoneReaders(options, ui);
  B1CatObj onlineReader(options, ui);
  FieldLoadContext context{options, ui, table, field, {}};
  if (online != nullptr) {
    options.catalogLocation = kCatalogWeb;
    options.onlineService = online->service;
    options.webCatalog = online->webCatalog;
    if (flags->Has("url")) {
      if (online->service == kServiceUSNO) options.usnoCatURL = flags->Text("url");
      else options.vizierServer = flags->Text("url");
    }
    onlineReader.SetColourChoice(colour ? static_cast<std::uint8_t>(*colour)
                                        : OnlineCatalogOf(online->webCatalog).resetColour);
    context.readers.online = &onlineReader;
  } else {
    zoneReaders.Fill(context.readers, zoneColour);
  }
  if (!LoadReferenceField(context, params, jd)) {
    if (online == nullptr && gsc && table.Loaded()) err << "No GSC region overlaps the field.\n";
    return kExitFailed;
  }
  if (online == nullptr && gsc && !field.ReadComplete()) return kExitFailed;
  if (online == nullptr && !gsc) {
    const bool opened = kind == "ucac2"   ? zoneReaders.UCAC2().Loaded()
                        : kind == "ucac3" ? zoneReaders.UCAC3().Loaded()
                        : kind == "bss"   ? zoneReaders.BSS().Loaded()
                                          : !zoneReaders.SA(kind == "sa1" ? 1 : 2).CatalogPath().empty();
    if (!opened) return kExitFailed;
  }

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
    j["band"] = s->band;
    j["pm_ra"] = static_cast<double>(s->pmRA);
    j["pm_dec"] = static_cast<double>(s->pmDec);
    j["use_mag"] = s->useMag;
    stars.push_back(std::move(j));
  }
  const RegionList& regions = field.RegionsRequested();
  nlohmann::ordered_json j;
  if (online != nullptr) j["query"] = onlineReader.QueryText();
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
  return {"catalog", "stars of a field from a star catalog", kCatalogHelp, RunCatalog};
}

}  // namespace skarvel::cli
