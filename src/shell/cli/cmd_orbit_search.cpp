#include <chrono>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "foundations/angles.h"
#include "foundations/date_dialog.h"
#include "foundations/file_system.h"
#include "orbits/orbit_search.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/json_text.h"
#include "shell/cli/orbit_commands.h"

namespace skarvel::cli {

namespace {

constexpr const char* kSearchHelp =
    "Usage: skarvel-cli orbit-search DB.CMO --jd JD (--center RA,DEC --size-deg S | --limits RAMIN,RAMAX,DECMIN,DECMAX)\n"
    "         [--bright M] [--faint M] [--near AU] [--far AU]\n"
    "         [--min-alt DEG --site LON_EAST_DEG,LAT_DEG,HEIGHT_M] [--source lowell|mpc|tarne]\n"
    "         [--straightforward] [--text]\n\n"
    "The known objects of a converted orbit file in a field at an instant, as the\n"
    "\"Search ... Database...\" commands: every record propagated by two-body motion,\n"
    "kept when its magnitude (default 0 to 25), geocentric distance (default 0 to\n"
    "100 AU) and J2000 place are within the limits. --center in hours and degrees\n"
    "with the full field size in degrees; --limits in hours and degrees (RAMIN >\n"
    "RAMAX is a window through 0 h). --min-alt: the object must culminate at least\n"
    "that high at the site (default 0: no test; site default Kitt Peak).\n"
    "--straightforward: test every record in full on one core (the default scan\n"
    "pre-filters in double precision on all cores; both find the same objects).\n"
    "Messages (\"Search Completed!\") go to stderr.\n\n"
    "JSON keys: analyzed, found, highest_number, seconds, objects: list of {record,\n"
    "designation, name, ra_hours, dec_deg, mag, delta_au} in database order;\n"
    "with --text the \"Results of Asteroid Database Search\" report.\n";

int RunSearch(const Arguments& args, std::ostream& out, std::ostream& err) {
  Arguments rest;
  std::string path;
  bool text = false;
  bool straightforward = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--text") {
      text = true;
    } else if (a == "--straightforward") {
      straightforward = true;
    } else if (a.rfind("--", 0) == 0) {
      rest.push_back(a);
      if (a.find('=') == std::string::npos && i + 1 < args.size()) rest.push_back(args[++i]);
    } else if (path.empty()) {
      path = a;
    } else {
      err << "skarvel-cli orbit-search: one DB.CMO only\n";
      return kExitUsage;
    }
  }
  const auto flags = Flags::Parse(
      rest, {"jd", "center", "size-deg", "limits", "bright", "faint", "near", "far", "min-alt", "site", "source"},
      "orbit-search", err);
  if (!flags) return kExitUsage;
  if (path.empty() || !flags->Has("jd") || flags->Has("center") == flags->Has("limits") ||
      (flags->Has("center") && !flags->Has("size-deg"))) {
    err << "skarvel-cli orbit-search: give DB.CMO, --jd and either --center with --size-deg or --limits\n";
    return kExitUsage;
  }
  const JulianToCalendar jd = ConvertJulianDateField(flags->Text("jd"));
  if (jd.status != FieldConversion::kConverted) {
    err << jd.error.caption << " " << jd.error.text << "\n";
    return kExitUsage;
  }
  SiteRecord site = DefaultSiteRecord();
  if (flags->Has("site")) {
    const auto s = SiteFromFlag(flags->Text("site"));
    if (!s) {
      err << "skarvel-cli orbit-search: --site must be LON_EAST_DEG,LAT_DEG,HEIGHT_M\n";
      return kExitUsage;
    }
    site = *s;
  }
  ElementSource source = ElementSource::kMpc;
  if (flags->Has("source")) {
    const std::string s = flags->Text("source");
    if (s == "lowell") source = ElementSource::kLowell;
    else if (s == "tarne") source = ElementSource::kTarne;
    else if (s != "mpc") {
      err << "skarvel-cli orbit-search: --source must be lowell, mpc or tarne\n";
      return kExitUsage;
    }
  }
  CliPlatform ui(err);
  TAstOrbFlSrch search(SearchContext{ui, site, true});
  SearchParams& p = search.Params();
  p.instant.SetJD(jd.jd);
  SearchFieldInput field;
  if (flags->Has("center")) {
    const auto c = NumberList(flags->Text("center"), 2);
    const auto size = flags->Number("size-deg", 0, 360, err);
    if (!c || !size) {
      err << "skarvel-cli orbit-search: --center must be RA_HOURS,DEC_DEG\n";
      return kExitUsage;
    }
    field.kind = FieldKind::kDegrees;
    field.raHours = FormatFixed(15, (*c)[0]);
    field.decDegrees = FormatFixed(15, (*c)[1]);
    field.size = FormatFixed(15, *size);
  } else {
    const auto l = NumberList(flags->Text("limits"), 4);
    if (!l) {
      err << "skarvel-cli orbit-search: --limits must be RAMIN,RAMAX,DECMIN,DECMAX\n";
      return kExitUsage;
    }
    field = SearchFieldInput{};
    field.kind = FieldKind::kLimits;
    field.raMin = FormatFixed(15, (*l)[0]);
    field.raMax = FormatFixed(15, (*l)[1]);
    field.decMin = FormatFixed(15, (*l)[2]);
    field.decMax = FormatFixed(15, (*l)[3]);
  }
  if (const auto problem = ReadFieldInput(field, p)) {
    err << kSearchInputErrorCaption << ": " << *problem << "\n";
    return kExitUsage;
  }
  struct Limit {
    const char* flag;
    long double* value;
    long double low, high;
  };
  for (const Limit& l : {Limit{"bright", &p.brightMag, -100, 100}, Limit{"faint", &p.faintMag, -100, 100},
                         Limit{"near", &p.nearAu, 0, 1e6L}, Limit{"far", &p.farAu, 0, 1e6L},
                         Limit{"min-alt", &p.minAltitudeDeg, 0, 90}}) {
    if (!flags->Has(l.flag)) continue;
    const auto v = flags->Number(l.flag, l.low, l.high, err);
    if (!v) return kExitUsage;
    *l.value = *v;
  }
  const auto started = std::chrono::steady_clock::now();
  if (!search.Search(path, fs::FileExists(path), source, FileDateTimeValue(path).value_or(0),
                     straightforward ? ScanStrategy::kStraightforward : ScanStrategy::kFast))
    return kExitFailed;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (text) {
    for (const std::string& line : search.ResultReport()) out << Latin1ToUtf8(line) << "\n";
    return kExitOk;
  }
  nlohmann::ordered_json j;
  j["analyzed"] = search.Counts().read;
  j["found"] = search.Counts().found;
  j["highest_number"] = search.Counts().highestNumber;
  j["seconds"] = seconds;
  nlohmann::ordered_json objects = nlohmann::ordered_json::array();
  for (std::int32_t k = 0; k <= search.Results().LastIndex(); ++k) {
    const SearchResult& r = *search.Results().GetAt(k);
    nlohmann::ordered_json o;
    o["record"] = r.recordNumber;
    o["designation"] = Latin1ToUtf8(r.designation);
    o["name"] = Latin1ToUtf8(r.name);
    o["ra_hours"] = r.ra;
    o["dec_deg"] = r.dec;
    o["mag"] = static_cast<double>(r.mag);
    o["delta_au"] = static_cast<double>(r.delta);
    objects.push_back(o);
  }
  j["objects"] = objects;
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand OrbitSearchCommand() {
  return {"orbit-search", "the known objects of a converted orbit file in a field", kSearchHelp, RunSearch};
}

}  // namespace skarvel::cli
