#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "foundations/angles.h"
#include "foundations/date_dialog.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "orbits/ephemeris.h"
#include "orbits/find_orb.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "orbits/orbit_search.h"
#include "shell/cli/cli_platform.h"
#include "shell/cli/cli_support.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/json_text.h"
#include "shell/cli/orbit_commands.h"

namespace skarvel::cli {

namespace {

constexpr const char* kEphemerisHelp =
    "Usage: skarvel-cli ephemeris (--cmo DB.CMO --object NAME-OR-NUMBER | --mpcorb-line \"LINE\" |\n"
    "         --findorb FILE)\n"
    "         --start JD --count N --step-days D --site LON_EAST_DEG,LAT_DEG,HEIGHT_M\n"
    "         [--equinox B1900|B1950|J2000|J2050|date] [--code CODE] [--name SITE]\n"
    "         [--source lowell|mpc|tarne] [--text]\n\n"
    "Topocentric astrometric ephemeris of one object, as \"&Generate Ephemeris...\":\n"
    "two-body motion, light time, the 50-term solar series for the Earth, the\n"
    "chosen mean equator and equinox (\"date\": the start's Julian date for every\n"
    "line), the topocentric parallax, and altitude and azimuth (no refraction,\n"
    "azimuth from north through east, -180..180) of the place of date.\n"
    "--cmo: a converted orbit file; the object is a record number-designation\n"
    "(\"433\") or a name or packed designation (case ignored). --source names the\n"
    "database for the report (default mpc). --mpcorb-line: one MPCORB line.\n"
    "--findorb: a FIND_ORB element file (\"FIND_ORB &File...\"; orbits about the Sun\n"
    "only). Julian dates are used as given.\n"
    "--code, --name: the observatory code and name printed by --text (default none:\n"
    "\"XXX\").\n\n"
    "JSON keys: object, rows: list of {jd, ra_hours, dec_deg, delta_au, mag, alt_deg,\n"
    "az_deg}; with --text the \"VORN Ephemeris Report\" text.\n";

/// The site record of east longitude, latitude and height, with the angle texts the report prints.
SiteRecord SiteOf(long double lonEast, long double lat, long double height) {
  if (lonEast > 180) lonEast -= 360;
  SiteRecord s;
  s.longitudeDeg = static_cast<float>(lonEast);
  s.latitudeDeg = static_cast<float>(lat);
  s.altitudeM = static_cast<float>(height);
  s.west = lonEast < 0;
  s.north = lat >= 0;
  const SexagesimalRec lo = SplitRounded(std::fabs(lonEast), 1);
  const SexagesimalRec la = SplitRounded(std::fabs(lat), 1);
  s.lonDegrees = std::to_string(lo.degrees);
  s.lonMinutes = std::to_string(lo.minutes);
  s.lonSeconds = FormatFixed(1, lo.seconds);
  s.latDegrees = std::to_string(la.degrees);
  s.latMinutes = std::to_string(la.minutes);
  s.latSeconds = FormatFixed(1, la.seconds);
  return s;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

int RunEphemeris(const Arguments& args, std::ostream& out, std::ostream& err) {
  Arguments rest;
  bool text = false;
  for (const std::string& a : args) {
    if (a == "--text")
      text = true;
    else
      rest.push_back(a);
  }
  const auto flags = Flags::Parse(
      rest, {"cmo", "object", "mpcorb-line", "findorb", "start", "count", "step-days", "site", "equinox", "code", "name", "source"},
      "ephemeris", err);
  if (!flags) return kExitUsage;
  for (const char* required : {"start", "count", "step-days", "site"}) {
    if (!flags->Has(required)) {
      err << "skarvel-cli ephemeris: --" << required << " is required\n";
      return kExitUsage;
    }
  }
  const int sources = (flags->Has("cmo") ? 1 : 0) + (flags->Has("mpcorb-line") ? 1 : 0) + (flags->Has("findorb") ? 1 : 0);
  if (sources != 1 || (flags->Has("cmo") && !flags->Has("object"))) {
    err << "skarvel-cli ephemeris: give one of --cmo with --object, --mpcorb-line or --findorb\n";
    return kExitUsage;
  }
  const JulianToCalendar start = ConvertJulianDateField(flags->Text("start"));
  if (start.status != FieldConversion::kConverted) {
    err << start.error.caption << " " << start.error.text << "\n";
    return kExitUsage;
  }
  const auto count = flags->Number("count", 0, 100000, err);
  const auto step = flags->Number("step-days", -1e6L, 1e6L, err);
  if (!count || !step || *count != std::floor(*count)) return kExitUsage;
  const auto site = NumberList(flags->Text("site"), 3);
  if (!site || (*site)[0] < -180 || (*site)[0] > 360 || std::fabs((*site)[1]) > 90) {
    err << "skarvel-cli ephemeris: --site must be LON_EAST_DEG,LAT_DEG,HEIGHT_M\n";
    return kExitUsage;
  }
  EquinoxChoice equinox = EquinoxChoice::kJ2000;
  if (flags->Has("equinox")) {
    const std::string e = flags->Text("equinox");
    if (e == "B1900") equinox = EquinoxChoice::kB1900;
    else if (e == "B1950") equinox = EquinoxChoice::kB1950;
    else if (e == "J2000") equinox = EquinoxChoice::kJ2000;
    else if (e == "J2050") equinox = EquinoxChoice::kJ2050;
    else if (e == "date") equinox = EquinoxChoice::kOfDate;
    else {
      err << "skarvel-cli ephemeris: --equinox must be B1900, B1950, J2000, J2050 or date\n";
      return kExitUsage;
    }
  }
  ElementSource source = ElementSource::kMpc;
  if (flags->Has("source")) {
    const std::string s = flags->Text("source");
    if (s == "lowell") source = ElementSource::kLowell;
    else if (s == "tarne") source = ElementSource::kTarne;
    else if (s != "mpc") {
      err << "skarvel-cli ephemeris: --source must be lowell, mpc or tarne\n";
      return kExitUsage;
    }
  }
  CurrentElements current;
  if (flags->Has("findorb")) {
    CliPlatform quiet(err);
    if (!LoadFindOrb(quiet, flags->Text("findorb"), current)) return kExitFailed;
    if (current.elements.centralBody != 0) {
      err << "Ephemeris Not Available: Ephemerides can be computed for orbits about the Sun only.\n";
      return kExitFailed;
    }
  } else if (flags->Has("mpcorb-line")) {
    OrbitElements el;
    SetAsteroidDefaults(el);
    OrbitCodes codes{};
    try {
      ParseMpcorbLine(flags->Text("mpcorb-line"), el, codes);
    } catch (const OrbitRecordError& e) {
      err << "Not an MPCORB line: " << e.what() << "\n";
      return kExitFailed;
    }
    current.Set(el, codes, ElementSource::kMpc, 0);
  } else {
    const std::string path = flags->Text("cmo");
    std::unique_ptr<CmoFileReader> reader;
    try {
      reader = std::make_unique<CmoFileReader>(path);
    } catch (const IOFailure&) {
      err << "Unable to Open Asteriod Orbits File!\n\nFile Name: " << path << "\nIOResult = 2\n";
      return kExitFailed;
    }
    const std::string wanted = Upper(flags->Text("object"));
    CmoRecord rec;
    bool found = false;
    while (reader->Next(rec)) {
      if (Upper(rec.designation) == wanted || Upper(rec.name) == wanted) {
        found = true;
        break;
      }
    }
    if (!found) {
      err << "No object \"" << flags->Text("object") << "\" in " << path << "\n";
      return kExitFailed;
    }
    current.Set(CmoToElements(rec), rec.codes, source, FileDateTimeValue(path).value_or(0));
  }
  SiteRecord where = SiteOf((*site)[0], (*site)[1], (*site)[2]);
  if (flags->Has("code")) where.code = flags->Text("code");
  if (flags->Has("name")) where.name = flags->Text("name");
  EphemerisParams params;
  params.start.SetJD(start.jd);
  params.points = static_cast<int>(*count);
  params.stepDays = *step;
  params.SetEquinox(equinox);
  CliPlatform ui(err);
  RecordList<EphemerisRecord> table;
  if (!GenerateEphemeris(current.elements, where, params, table, KeplerErrorReporter{&ui, false})) return kExitFailed;
  if (text) {
    for (const std::string& line : EphemerisReport(current, where, params, table)) out << Latin1ToUtf8(line) << "\n";
    return kExitOk;
  }
  nlohmann::ordered_json j;
  j["object"] = Latin1ToUtf8(current.elements.name);
  j["designation"] = Latin1ToUtf8(current.elements.designation);
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (std::int32_t k = 0; k <= table.LastIndex(); ++k) {
    const EphemerisRecord& r = *table.GetAt(k);
    nlohmann::ordered_json row;
    row["jd"] = static_cast<double>(start.jd + k * *step);
    row["ra_hours"] = static_cast<double>(r.raHours);
    row["dec_deg"] = static_cast<double>(r.decDeg);
    row["delta_au"] = static_cast<double>(r.deltaAu);
    row["mag"] = static_cast<double>(r.magnitude);
    row["alt_deg"] = static_cast<double>(r.altitudeDeg);
    row["az_deg"] = static_cast<double>(r.azimuthDeg);
    rows.push_back(row);
  }
  j["rows"] = rows;
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand EphemerisCommand() {
  return {"ephemeris", "topocentric ephemeris of one object for a site", kEphemerisHelp, RunEphemeris};
}

}  // namespace skarvel::cli
